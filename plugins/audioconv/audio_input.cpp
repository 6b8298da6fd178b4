#include "audio_input.h"

extern "C" {
#include <libavutil/error.h>
}

namespace pictavo::audioconv {

std::string avErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(code, text, sizeof(text)) < 0) {
        return "error " + std::to_string(code);
    }
    return text;
}

bool AudioInput::open(const std::string& path)
{
    path_ = path;
    error_.clear();
    if (path.empty()) {
        error_ = "no audio file named";
        return false;
    }
    // Only the local file protocol: a name such as "http:..." or "pipe:0" is a file name here.
    AVDictionary* rawOptions = nullptr;
    av_dict_set(&rawOptions, "protocol_whitelist", "file", 0);
    std::unique_ptr<AVDictionary*, void (*)(AVDictionary**)> options(&rawOptions, av_dict_free);
    AVFormatContext* rawFormat = nullptr;
    const std::string url = "file:" + path;
    int code = avformat_open_input(&rawFormat, url.c_str(), nullptr, options.get());
    if (code < 0) {
        fail("cannot open", code);
        return false;
    }
    format_.reset(rawFormat);
    code = avformat_find_stream_info(format_.get(), nullptr);
    if (code < 0) {
        fail("cannot read the streams of", code);
        return false;
    }
    const AVCodec* codec = nullptr;
    code = av_find_best_stream(format_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (code < 0 || codec == nullptr) {
        fail("no decodable audio stream in", code < 0 ? code : AVERROR_DECODER_NOT_FOUND);
        return false;
    }
    streamIndex_ = code;
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        if (static_cast<int>(i) != streamIndex_) {
            format_->streams[i]->discard = AVDISCARD_ALL;
        }
    }
    decoder_.reset(avcodec_alloc_context3(codec));
    packet_.reset(av_packet_alloc());
    if (!decoder_ || !packet_) {
        fail("out of memory opening", AVERROR(ENOMEM));
        return false;
    }
    AVStream* audio = format_->streams[streamIndex_];
    code = avcodec_parameters_to_context(decoder_.get(), audio->codecpar);
    if (code >= 0) {
        decoder_->pkt_timebase = audio->time_base;
        code = avcodec_open2(decoder_.get(), codec, nullptr);
    }
    if (code < 0) {
        fail("cannot open the audio decoder for", code);
        return false;
    }
    return true;
}

AudioInput::Step AudioInput::fail(const std::string& what, int code)
{
    error_ = what + " '" + path_ + "': " + avErrorText(code);
    return Step::Failed;
}

AudioInput::Step AudioInput::nextPacket(AVPacket* packet)
{
    for (;;) {
        av_packet_unref(packet);
        const int code = av_read_frame(format_.get(), packet);
        if (code == AVERROR_EOF || code == AVERROR_INVALIDDATA) {
            return Step::End;
        }
        if (code < 0) {
            return fail("cannot read", code);
        }
        if (packet->stream_index == streamIndex_) {
            return Step::Ready;
        }
    }
}

AudioInput::Step AudioInput::nextFrame(AVFrame* frame)
{
    int stalls = 0;
    for (;;) {
        int code = avcodec_receive_frame(decoder_.get(), frame);
        if (code >= 0) {
            return Step::Ready;
        }
        if (code == AVERROR_EOF) {
            return Step::End;
        }
        if (code == AVERROR(ENOMEM)) {
            return fail("out of memory decoding", code);
        }
        if (code != AVERROR(EAGAIN)) {
            ++damagedPackets_; // the decoder dropped a damaged packet; go on with the next
        }
        if (draining_) {
            return Step::End;
        }
        if (!packetPending_) {
            const Step read = nextPacket(packet_.get());
            if (read == Step::Failed) {
                return read;
            }
            if (read == Step::End) {
                draining_ = true;
                avcodec_send_packet(decoder_.get(), nullptr);
                continue;
            }
            packetPending_ = true;
        }
        code = avcodec_send_packet(decoder_.get(), packet_.get());
        if (code == AVERROR(EAGAIN)) {
            // The decoder still has output for us; take it before sending the packet again.
            if (++stalls > 2) {
                return fail("the decoder stalled on", code);
            }
            continue;
        }
        stalls = 0;
        packetPending_ = false;
        av_packet_unref(packet_.get());
        if (code == AVERROR(ENOMEM)) {
            return fail("out of memory decoding", code);
        }
        if (code < 0) {
            ++damagedPackets_;
        }
    }
}

int64_t AudioInput::decodePacket(const AVPacket* packet, AVFrame* scratch)
{
    if (avcodec_send_packet(decoder_.get(), packet) < 0) {
        ++damagedPackets_;
        return 0;
    }
    int64_t samples = 0;
    for (;;) {
        const int code = avcodec_receive_frame(decoder_.get(), scratch);
        if (code < 0) {
            if (code != AVERROR(EAGAIN) && code != AVERROR_EOF) {
                ++damagedPackets_;
            }
            return samples;
        }
        samples += scratch->nb_samples;
        av_frame_unref(scratch);
    }
}

} // namespace pictavo::audioconv
