#include "audio_feed.h"

extern "C" {
#include <libavutil/samplefmt.h>
}

#include <cstdio>

namespace pictavo::encoder {

AudioFeed::~AudioFeed()
{
    av_channel_layout_uninit(&inLayout_);
    av_channel_layout_uninit(&outLayout_);
}

int AudioFeed::open(const std::string& path, AVSampleFormat format, int sampleRate,
                    const AVChannelLayout& layout, std::string& note, std::string& error)
{
    outFormat_ = format;
    outRate_ = sampleRate;
    int ret = av_channel_layout_copy(&outLayout_, &layout);
    if (ret < 0) {
        error = "audio channel layout: " + avErrorText(ret);
        return ret;
    }
    fifo_.reset(av_audio_fifo_alloc(format, layout.nb_channels, 4096));
    packet_.reset(av_packet_alloc());
    decoded_.reset(av_frame_alloc());
    scratch_.reset(av_frame_alloc());
    if (!fifo_ || !packet_ || !decoded_ || !scratch_) {
        error = "out of memory for the audio conversion";
        return AVERROR(ENOMEM);
    }
    sourceDone_ = true;
    if (path.empty()) {
        note = "no audio file was given; the video gets a silent sound track";
        return 0;
    }

    AVFormatContext* raw = nullptr;
    ret = avformat_open_input(&raw, localFile(path).c_str(), nullptr, nullptr);
    if (ret < 0) {
        note = "cannot open the audio file " + path + " (" + avErrorText(ret) +
               "); the video gets a silent sound track";
        return 0;
    }
    input_.reset(raw);
    ret = avformat_find_stream_info(input_.get(), nullptr);
    const AVCodec* codec = nullptr;
    if (ret >= 0)
        ret = av_find_best_stream(input_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (ret < 0 || !codec) {
        note = "the file " + path + " holds no audio that can be decoded (" + avErrorText(ret) +
               "); the video gets a silent sound track";
        input_.reset();
        return 0;
    }
    streamIndex_ = ret;
    decoder_.reset(avcodec_alloc_context3(codec));
    if (!decoder_) {
        error = "out of memory for the audio decoder";
        return AVERROR(ENOMEM);
    }
    ret = avcodec_parameters_to_context(decoder_.get(), input_->streams[streamIndex_]->codecpar);
    if (ret >= 0)
        ret = avcodec_open2(decoder_.get(), codec, nullptr);
    if (ret < 0) {
        note = "cannot decode the audio file " + path + " (" + avErrorText(ret) +
               "); the video gets a silent sound track";
        decoder_.reset();
        input_.reset();
        return 0;
    }
    sourceDone_ = false;
    hadMusic_ = true;
    decoderDrained_ = false;
    return 0;
}

int AudioFeed::read(AVFrame* frame, int count, std::string& error)
{
    while (av_audio_fifo_size(fifo_.get()) < count && !sourceDone_) {
        const int ret = decodeMore(error);
        if (ret < 0)
            return ret;
    }
    int have = av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->data), count);
    if (have < 0)
        have = 0;
    if (have < count)
        av_samples_set_silence(frame->data, have, count - have, outLayout_.nb_channels, outFormat_);
    frame->nb_samples = count;
    return 0;
}

int AudioFeed::decodeMore(std::string& error)
{
    for (;;) {
        int ret = avcodec_receive_frame(decoder_.get(), decoded_.get());
        if (ret == 0) {
            ret = convert(decoded_.get(), error);
            av_frame_unref(decoded_.get());
            return ret;
        }
        if (ret != AVERROR(EAGAIN) || decoderDrained_) {
            // The end of the music, or a decoder that cannot go on: silence from here.
            if (ret != AVERROR_EOF && ret != AVERROR(EAGAIN))
                std::fprintf(stderr, "BrenwickEncoder: audio decoding stopped early: %s\n",
                             avErrorText(ret).c_str());
            sourceDone_ = true;
            return drainResampler(error);
        }
        ret = av_read_frame(input_.get(), packet_.get());
        if (ret < 0) {
            if (ret != AVERROR_EOF)
                std::fprintf(stderr, "BrenwickEncoder: audio file read stopped early: %s\n",
                             avErrorText(ret).c_str());
            avcodec_send_packet(decoder_.get(), nullptr);
            decoderDrained_ = true;
            continue;
        }
        if (packet_->stream_index == streamIndex_)
            avcodec_send_packet(decoder_.get(), packet_.get()); // a damaged packet is skipped
        av_packet_unref(packet_.get());
    }
}

int AudioFeed::configureResampler(const AVFrame* decoded, std::string& error)
{
    AVChannelLayout layout{};
    if (decoded->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || decoded->ch_layout.nb_channels <= 0)
        av_channel_layout_default(
            &layout, decoded->ch_layout.nb_channels > 0 ? decoded->ch_layout.nb_channels : 2);
    else
        av_channel_layout_copy(&layout, &decoded->ch_layout);

    const bool same = resampler_ && inRate_ == decoded->sample_rate &&
                      inFormat_ == decoded->format &&
                      av_channel_layout_compare(&inLayout_, &layout) == 0;
    if (same) {
        av_channel_layout_uninit(&layout);
        return 0;
    }
    // Parts joined from files of different formats: finish the old conversion first.
    int ret = drainResampler(error);
    if (ret < 0) {
        av_channel_layout_uninit(&layout);
        return ret;
    }
    SwrContext* raw = nullptr;
    ret = swr_alloc_set_opts2(&raw, &outLayout_, outFormat_, outRate_, &layout,
                              static_cast<AVSampleFormat>(decoded->format), decoded->sample_rate, 0,
                              nullptr);
    resampler_.reset(raw);
    if (ret >= 0)
        ret = swr_init(resampler_.get());
    if (ret < 0) {
        av_channel_layout_uninit(&layout);
        resampler_.reset();
        error = "cannot set up the audio resampler: " + avErrorText(ret);
        return ret;
    }
    av_channel_layout_uninit(&inLayout_);
    inLayout_ = layout;
    inRate_ = decoded->sample_rate;
    inFormat_ = decoded->format;
    return 0;
}

int AudioFeed::convert(const AVFrame* decoded, std::string& error)
{
    if (decoded->nb_samples <= 0 || decoded->sample_rate <= 0)
        return 0;
    int ret = configureResampler(decoded, error);
    if (ret < 0)
        return ret;
    const int capacity = swr_get_out_samples(resampler_.get(), decoded->nb_samples);
    if (capacity <= 0)
        return 0;
    if (scratch_->nb_samples < capacity) {
        av_frame_unref(scratch_.get());
        scratch_->format = outFormat_;
        scratch_->sample_rate = outRate_;
        scratch_->nb_samples = capacity;
        av_channel_layout_copy(&scratch_->ch_layout, &outLayout_);
        ret = av_frame_get_buffer(scratch_.get(), 0);
        if (ret < 0) {
            error = "out of memory for the audio conversion";
            return ret;
        }
    }
    const int converted =
        swr_convert(resampler_.get(), scratch_->data, scratch_->nb_samples,
                    const_cast<const uint8_t**>(decoded->extended_data), decoded->nb_samples);
    if (converted < 0) {
        error = "audio conversion failed: " + avErrorText(converted);
        return converted;
    }
    if (converted > 0 && av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(scratch_->data),
                                             converted) < converted) {
        error = "out of memory for the audio conversion";
        return AVERROR(ENOMEM);
    }
    return 0;
}

int AudioFeed::drainResampler(std::string& error)
{
    if (!resampler_)
        return 0;
    for (;;) {
        const int capacity = scratch_->nb_samples;
        if (capacity <= 0)
            return 0;
        const int converted = swr_convert(resampler_.get(), scratch_->data, capacity, nullptr, 0);
        if (converted < 0) {
            error = "audio conversion failed: " + avErrorText(converted);
            return converted;
        }
        if (converted == 0)
            return 0;
        if (av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(scratch_->data), converted) <
            converted) {
            error = "out of memory for the audio conversion";
            return AVERROR(ENOMEM);
        }
    }
}

} // namespace pictavo::encoder
