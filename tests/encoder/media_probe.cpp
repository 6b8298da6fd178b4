#include "media_probe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>

namespace pictavo::test {
namespace {

struct InputCloser {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

CodecPtr openDecoder(AVStream* stream)
{
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return nullptr;
    CodecPtr c(avcodec_alloc_context3(codec));
    if (!c || avcodec_parameters_to_context(c.get(), stream->codecpar) < 0)
        return nullptr;
    c->thread_count = 1;
    if (avcodec_open2(c.get(), codec, nullptr) < 0)
        return nullptr;
    return c;
}

float sampleOfChannel0(const AVFrame* f, int i)
{
    const auto fmt = static_cast<AVSampleFormat>(f->format);
    const int stride = av_sample_fmt_is_planar(fmt) ? 1 : f->ch_layout.nb_channels;
    const uint8_t* d = f->extended_data[0];
    switch (av_get_packed_sample_fmt(fmt)) {
    case AV_SAMPLE_FMT_FLT:
        return reinterpret_cast<const float*>(d)[i * stride];
    case AV_SAMPLE_FMT_DBL:
        return float(reinterpret_cast<const double*>(d)[i * stride]);
    case AV_SAMPLE_FMT_S16:
        return reinterpret_cast<const int16_t*>(d)[i * stride] / 32768.0f;
    case AV_SAMPLE_FMT_S32:
        return float(reinterpret_cast<const int32_t*>(d)[i * stride] / 2147483648.0);
    default:
        return 0.0f;
    }
}

void takeVideoFrame(MediaProbe& p, const AVFrame* f)
{
    if (f->key_frame || f->pict_type == AV_PICTURE_TYPE_I)
        p.keyFrames.push_back(p.videoFrames);
    ++p.videoFrames;
    if (f->format != AV_PIX_FMT_YUV420P && f->format != AV_PIX_FMT_YUVJ420P)
        return;
    const int w = f->width, h = f->height;
    p.centreLuma.push_back(f->data[0][size_t(h / 2) * f->linesize[0] + w / 2]);
    p.lastFrame.assign(size_t(w) * h * 3 / 2, 0);
    uint8_t* out = p.lastFrame.data();
    for (int plane = 0; plane < 3; ++plane) {
        const int pw = plane ? w / 2 : w, ph = plane ? h / 2 : h;
        for (int y = 0; y < ph; ++y) {
            std::memcpy(out, f->data[plane] + size_t(y) * f->linesize[plane], pw);
            out += pw;
        }
    }
}

struct LevelMeter {
    int window = 0;
    int filled = 0;
    double sum = 0;
    void add(MediaProbe& p, float v)
    {
        sum += std::fabs(v);
        if (++filled == window) {
            p.audioLevels.push_back(float(sum / window));
            filled = 0;
            sum = 0;
        }
    }
};

void takeAudioFrame(MediaProbe& p, LevelMeter& meter, const AVFrame* f)
{
    p.audioSamples += f->nb_samples;
    for (int i = 0; i < f->nb_samples; ++i)
        meter.add(p, sampleOfChannel0(f, i));
}

} // namespace

MediaProbe probeMedia(const std::string& path)
{
    MediaProbe p;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        p.error = "cannot open " + path;
        return p;
    }
    InputPtr input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0) {
        p.error = "no stream info in " + path;
        return p;
    }
    p.opened = true;
    p.formatName = input->iformat->name;

    const int vi = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int ai = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    CodecPtr video, audio;
    if (vi >= 0) {
        AVStream* s = input->streams[vi];
        video = openDecoder(s);
        p.hasVideo = video != nullptr;
        p.videoTag = s->codecpar->codec_tag;
        p.width = s->codecpar->width;
        p.height = s->codecpar->height;
        AVRational rate = s->avg_frame_rate.num ? s->avg_frame_rate : s->r_frame_rate;
        p.frameRateNum = rate.num;
        p.frameRateDen = rate.den ? rate.den : 1;
        p.sarNum = s->codecpar->sample_aspect_ratio.num;
        p.sarDen = s->codecpar->sample_aspect_ratio.den;
        p.videoCodec = avcodec_get_name(s->codecpar->codec_id);
    }
    LevelMeter meter;
    if (ai >= 0) {
        AVStream* s = input->streams[ai];
        audio = openDecoder(s);
        p.hasAudio = audio != nullptr;
        p.sampleRate = s->codecpar->sample_rate;
        p.channels = s->codecpar->ch_layout.nb_channels;
        p.audioFrameSize = s->codecpar->frame_size;
        meter.window = p.sampleRate / 20;
        p.audioCodec = avcodec_get_name(s->codecpar->codec_id);
    }

    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    auto drain = [&](AVCodecContext* c, bool isVideo) {
        while (avcodec_receive_frame(c, frame.get()) == 0) {
            if (isVideo)
                takeVideoFrame(p, frame.get());
            else
                takeAudioFrame(p, meter, frame.get());
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (video && packet->stream_index == vi) {
            avcodec_send_packet(video.get(), packet.get());
            drain(video.get(), true);
        } else if (audio && packet->stream_index == ai) {
            avcodec_send_packet(audio.get(), packet.get());
            drain(audio.get(), false);
        }
        av_packet_unref(packet.get());
    }
    if (video) {
        avcodec_send_packet(video.get(), nullptr);
        drain(video.get(), true);
        if (!p.audioFrameSize && audio)
            p.audioFrameSize = audio->frame_size;
    }
    if (audio) {
        avcodec_send_packet(audio.get(), nullptr);
        drain(audio.get(), false);
        if (!p.audioFrameSize)
            p.audioFrameSize = audio->frame_size;
    }
    return p;
}

bool extractAudioStream(const std::string& from, const std::string& to, bool append)
{
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, from.c_str(), nullptr, nullptr) < 0)
        return false;
    InputPtr input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0)
        return false;
    const int ai = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (ai < 0)
        return false;
    std::ofstream out(to, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    PacketPtr packet(av_packet_alloc());
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == ai)
            out.write(reinterpret_cast<const char*>(packet->data), packet->size);
        av_packet_unref(packet.get());
    }
    return bool(out);
}

} // namespace pictavo::test
