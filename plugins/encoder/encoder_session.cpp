#include "encoder_session.h"

#include "brenwick_encoder.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace pictavo::encoder {
namespace {

// Frames waiting for the worker: enough to ride out a photo being decoded or a costly
// transition frame without the encoder running dry, within a memory bound.
constexpr size_t kQueueFrames = 32;
constexpr size_t kQueueBytes = 96u << 20;
constexpr size_t kPlaneAlign = 64;

size_t alignedUp(size_t value, size_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

// The luma row stride libavcodec gives the pictures of an encoder: the width plus 16-pixel
// edges on both sides, 16-aligned, widened until luma and chroma rows are multiples of 64.
// Input frames with exactly these strides are taken by the MPEG encoders without a copy;
// other codecs take any stride.
int codecLumaStride(int width)
{
    int w = static_cast<int>(alignedUp(static_cast<size_t>(width) + 32, 16));
    while (w % 64 != 0 || (w / 2) % 64 != 0)
        w += w & -w;
    return w;
}

bool supportsPixelFormat(const AVCodec* codec, AVPixelFormat format)
{
    if (!codec->pix_fmts)
        return true;
    for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == format)
            return true;
    return false;
}

// Codecs that pipeline whole frames (x264) get as many threads as they like. Codecs that
// only split a picture into slices wait for the slowest slice several times a frame; the
// caller keeps one core busy rendering, so they get the others, and on a two-core machine
// one thread: a slice worker that loses its core to the renderer stalls the whole frame.
int encoderThreads(const AVCodec* codec)
{
    if (codec->capabilities & (AV_CODEC_CAP_FRAME_THREADS | AV_CODEC_CAP_OTHER_THREADS))
        return 0; // as many as the codec chooses
    if (!(codec->capabilities & AV_CODEC_CAP_SLICE_THREADS))
        return 1;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 2 ? static_cast<int>(std::min(cores - 1, 16u)) : 1;
}

std::string rateText(AVRational rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", av_q2d(rate));
    return text;
}

void logLine(const std::string& text)
{
    std::fprintf(stderr, "BrenwickEncoder: %s\n", text.c_str());
}

} // namespace

EncoderSession::EncoderSession(const EncoderSettings& settings) : settings_(settings)
{
}

EncoderSession::~EncoderSession()
{
    if (!finished_) {
        std::string ignored;
        finish(ignored);
    }
}

int EncoderSession::open(const EncoderSettings& settings, std::unique_ptr<EncoderSession>& session,
                         std::string& error)
{
    auto s = std::make_unique<EncoderSession>(settings);
    AVFormatContext* raw = nullptr;
    int ret =
        avformat_alloc_output_context2(&raw, settings.format, nullptr, settings.outputPath.c_str());
    if (ret < 0 || !raw) {
        error = "cannot set up the " + std::string(settings.format->name) +
                " container: " + avErrorText(ret);
        s->finished_ = true;
        return kEncoderUnknownCodec;
    }
    s->output_.reset(raw);
    s->packet_.reset(av_packet_alloc());
    s->audioPacket_.reset(av_packet_alloc());
    if (!s->packet_ || !s->audioPacket_) {
        error = "out of memory";
        s->finished_ = true;
        return kEncoderEncodeFailed;
    }

    std::string note;
    int result = s->openVideo(error);
    if (result == kEncoderOk)
        result = s->openAudio(note, error);
    if (result == kEncoderOk && !s->prepareFramePool()) {
        error = "out of memory";
        result = kEncoderEncodeFailed;
    }
    if (result == kEncoderOk)
        result = s->openFile(error);
    if (result != kEncoderOk) {
        s->finished_ = true;
        return result;
    }
    if (!note.empty())
        logLine(note);
    if (!settings.adjustments.empty())
        logLine(settings.adjustments);

    EncoderSession* self = s.get();
    try {
        s->worker_ = std::thread([self] { self->run(); });
    } catch (const std::system_error& e) {
        error = std::string("cannot start the encoding thread: ") + e.what();
        s->closing_ = true;
        std::string ignored;
        s->finish(ignored); // leaves a valid, empty file
        return kEncoderEncodeFailed;
    }
    session = std::move(s);
    return kEncoderOk;
}

int EncoderSession::openVideo(std::string& error)
{
    const EncoderSettings& st = settings_;
    const AVCodec* codec = st.videoCodec;
    if (!supportsPixelFormat(codec, AV_PIX_FMT_YUV420P)) {
        error = std::string("the video codec ") + codec->name + " cannot take YUV 4:2:0 frames";
        return kEncoderCodecRefused;
    }
    video_.reset(avcodec_alloc_context3(codec));
    if (!video_) {
        error = "out of memory";
        return kEncoderEncodeFailed;
    }
    AVCodecContext* c = video_.get();
    c->width = st.width;
    c->height = st.height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = av_inv_q(st.frameRate);
    c->framerate = st.frameRate;
    c->bit_rate = st.videoBitrate;
    c->color_range = AVCOL_RANGE_MPEG;
    const bool ntscRate = av_q2d(st.frameRate) > 26.0;
    c->colorspace = ntscRate ? AVCOL_SPC_SMPTE170M : AVCOL_SPC_BT470BG;
    if (st.disc != DiscTarget::None) // disc frames are shown at 4:3
        av_reduce(&c->sample_aspect_ratio.num, &c->sample_aspect_ratio.den, 4LL * st.height,
                  3LL * st.width, 255);

    const bool mpeg12 = codec->id == AV_CODEC_ID_MPEG1VIDEO || codec->id == AV_CODEC_ID_MPEG2VIDEO;
    if (mpeg12) {
        // Short GOPs as disc players expect: at most 18 frames NTSC, 15 PAL.
        c->gop_size = ntscRate ? 18 : 15;
        c->max_b_frames = 2;
        switch (st.disc) {
        case DiscTarget::Dvd:
            c->rc_max_rate = 9000000;
            c->rc_buffer_size = 1835008;
            break;
        case DiscTarget::Svcd:
            c->rc_max_rate = 2516000;
            c->rc_buffer_size = 1835008;
            av_opt_set_int(c->priv_data, "scan_offset", 1, 0);
            break;
        case DiscTarget::Vcd:
            c->rc_max_rate = st.videoBitrate;
            c->rc_min_rate = st.videoBitrate;
            c->rc_buffer_size = 327680;
            break;
        case DiscTarget::None:
            // The encoder wants both limits or neither; a buffer as large as the DVD's.
            c->rc_max_rate = 2 * st.videoBitrate;
            c->rc_buffer_size =
                codec->id == AV_CODEC_ID_MPEG2VIDEO
                    ? 1835008
                    : static_cast<int>(std::clamp<int64_t>(st.videoBitrate, 327680, 1835008));
            break;
        }
    }
    c->thread_count = encoderThreads(codec);
    if (output_->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    AVDictionary* options = nullptr;
    if (codec->id == AV_CODEC_ID_H264 && std::strcmp(codec->name, "libx264") == 0) {
        av_dict_set(&options, "preset", "medium", 0);
        // Small phones (3GP) decode baseline only; other players take main.
        const bool small = std::strcmp(output_->oformat->name, "3gp") == 0 ||
                           std::strcmp(output_->oformat->name, "3g2") == 0;
        av_dict_set(&options, "profile", small ? "baseline" : "main", 0);
    }
    const int ret = avcodec_open2(c, codec, &options);
    av_dict_free(&options);
    if (ret < 0) {
        error = std::string("the video codec ") + codec->name + " refuses " +
                std::to_string(st.width) + "x" + std::to_string(st.height) + " at " +
                rateText(st.frameRate) + " fps and " + std::to_string(st.videoBitrate / 1000) +
                " kb/s: " + avErrorText(ret);
        return kEncoderCodecRefused;
    }

    videoStream_ = avformat_new_stream(output_.get(), nullptr);
    if (!videoStream_ || avcodec_parameters_from_context(videoStream_->codecpar, c) < 0) {
        error = "cannot add the video stream";
        return kEncoderEncodeFailed;
    }
    videoStream_->time_base = c->time_base;
    // The buffer size the encoder declares lets the program stream muxer size its buffers.
    for (int i = 0; i < c->nb_coded_side_data; ++i) {
        const AVPacketSideData& side = c->coded_side_data[i];
        uint8_t* copy = av_stream_new_side_data(videoStream_, side.type, side.size);
        if (copy)
            std::memcpy(copy, side.data, side.size);
    }
    videoStream_->avg_frame_rate = st.frameRate;
    videoStream_->r_frame_rate = st.frameRate;
    videoStream_->sample_aspect_ratio = c->sample_aspect_ratio;
    if (st.videoTag)
        videoStream_->codecpar->codec_tag = st.videoTag;
    return kEncoderOk;
}

int EncoderSession::openAudio(std::string& note, std::string& error)
{
    const EncoderSettings& st = settings_;
    const AVCodec* codec = st.audioCodec;
    audio_.reset(avcodec_alloc_context3(codec));
    if (!audio_) {
        error = "out of memory";
        return kEncoderEncodeFailed;
    }
    AVCodecContext* c = audio_.get();
    c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    c->sample_rate = st.sampleRate;
    av_channel_layout_default(&c->ch_layout, st.channels);
    c->bit_rate = st.audioBitrate;
    c->time_base = AVRational{1, st.sampleRate};
    if (output_->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int ret = avcodec_open2(c, codec, nullptr);
    if (ret < 0) {
        error = std::string("the audio codec ") + codec->name + " refuses " +
                std::to_string(st.sampleRate) + " Hz, " + std::to_string(st.channels) +
                " channel(s) at " + std::to_string(st.audioBitrate / 1000) +
                " kb/s: " + avErrorText(ret);
        return kEncoderCodecRefused;
    }
    const bool variable =
        (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || c->frame_size <= 0;
    audioFrameSize_ = c->frame_size > 0 ? c->frame_size : 1024;
    audioSmallLast_ = variable || (codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
    const std::string muxer = output_->oformat->name;
    const bool editLists = muxer == "mp4" || muxer == "mov" || muxer == "3gp" || muxer == "3g2" ||
                           muxer == "ipod" || muxer == "matroska";
    hiddenAudioDelay_ = editLists ? 0 : std::max(0, c->initial_padding);

    audioFrame_.reset(av_frame_alloc());
    if (!audioFrame_) {
        error = "out of memory";
        return kEncoderEncodeFailed;
    }
    audioFrame_->format = c->sample_fmt;
    audioFrame_->sample_rate = c->sample_rate;
    audioFrame_->nb_samples = audioFrameSize_;
    av_channel_layout_copy(&audioFrame_->ch_layout, &c->ch_layout);
    ret = av_frame_get_buffer(audioFrame_.get(), 0);
    if (ret < 0) {
        error = "out of memory";
        return kEncoderEncodeFailed;
    }

    audioStream_ = avformat_new_stream(output_.get(), nullptr);
    if (!audioStream_ || avcodec_parameters_from_context(audioStream_->codecpar, c) < 0) {
        error = "cannot add the audio stream";
        return kEncoderEncodeFailed;
    }
    audioStream_->time_base = c->time_base;

    ret = feed_.open(st.audioPath, c->sample_fmt, c->sample_rate, c->ch_layout, note, error);
    return ret < 0 ? kEncoderEncodeFailed : kEncoderOk;
}

int EncoderSession::openFile(std::string& error)
{
    const EncoderSettings& st = settings_;
    AVFormatContext* out = output_.get();
    int ret = avio_open(&out->pb, localFile(st.outputPath).c_str(), AVIO_FLAG_WRITE);
    if (ret < 0) {
        error = "cannot create the file " + st.outputPath + ": " + avErrorText(ret);
        return kEncoderOutputFailed;
    }
    AVDictionary* options = nullptr;
    if (st.disc == DiscTarget::Dvd) {
        av_dict_set(&options, "muxrate", "10080000", 0);
    } else if (st.disc == DiscTarget::Vcd || st.disc == DiscTarget::Svcd) {
        out->packet_size = 2324;
        if (st.disc == DiscTarget::Vcd) {
            av_dict_set(&options, "muxrate", "1411200", 0);
            av_dict_set(&options, "preload", "440000", 0);
        }
    }
    ret = avformat_write_header(out, &options);
    av_dict_free(&options);
    if (ret < 0) {
        const bool writeFailed = out->pb && out->pb->error < 0;
        error = (writeFailed ? "cannot write the file " : "cannot start the file ") +
                st.outputPath + ": " + avErrorText(ret);
        avio_closep(&out->pb);
        std::remove(st.outputPath.c_str()); // the file we just created, without a header
        return writeFailed ? kEncoderOutputFailed : kEncoderCodecRefused;
    }
    headerWritten_ = true;
    return kEncoderOk;
}

bool EncoderSession::prepareFramePool()
{
    const size_t width = static_cast<size_t>(settings_.width);
    const size_t height = static_cast<size_t>(settings_.height);
    const int luma = codecLumaStride(settings_.width);
    frameStrides_[0] = luma;
    frameStrides_[1] = frameStrides_[2] = luma / 2;
    const size_t lumaBytes = alignedUp(static_cast<size_t>(luma) * height, kPlaneAlign);
    const size_t chromaBytes =
        alignedUp(static_cast<size_t>(luma / 2) * ((height + 1) / 2), kPlaneAlign);
    planeOffsets_[0] = 0;
    planeOffsets_[1] = lumaBytes;
    planeOffsets_[2] = lumaBytes + chromaBytes;
    // Room past the last row for the wide loads of the codecs' SIMD code.
    const size_t total = lumaBytes + 2 * chromaBytes + AV_INPUT_BUFFER_PADDING_SIZE;
    if (width == 0 || height == 0 || total > INT_MAX)
        return false;
    framePool_.reset(av_buffer_pool_init(total, nullptr));
    queueLimit_ = std::clamp<size_t>(kQueueBytes / total, 4, kQueueFrames);
    return framePool_ != nullptr;
}

FramePtr EncoderSession::pooledFrame()
{
    FramePtr frame(av_frame_alloc());
    if (!frame || !framePool_)
        return nullptr;
    frame->buf[0] = av_buffer_pool_get(framePool_.get());
    if (!frame->buf[0])
        return nullptr;
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = settings_.width;
    frame->height = settings_.height;
    for (int p = 0; p < 3; ++p) {
        frame->data[p] = frame->buf[0]->data + planeOffsets_[p];
        frame->linesize[p] = frameStrides_[p];
    }
    return frame;
}

int EncoderSession::submit(const unsigned char* yuv, std::string& error)
{
    {
        std::lock_guard lock(mutex_);
        if (failure_) {
            error = failureText_;
            return failure_;
        }
    }
    FramePtr frame = pooledFrame();
    if (!frame) {
        error = "out of memory";
        return kEncoderEncodeFailed;
    }
    const int w = settings_.width;
    const int h = settings_.height;
    const unsigned char* planes[3] = {yuv, yuv + static_cast<size_t>(w) * h,
                                      yuv + static_cast<size_t>(w) * h * 5 / 4};
    for (int p = 0; p < 3; ++p) {
        const int rowBytes = p == 0 ? w : w / 2;
        const int rows = p == 0 ? h : h / 2;
        for (int y = 0; y < rows; ++y)
            std::memcpy(frame->data[p] + static_cast<size_t>(y) * frame->linesize[p],
                        planes[p] + static_cast<size_t>(y) * rowBytes, rowBytes);
    }

    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return failure_ || queue_.size() < queueLimit_; });
    if (failure_) {
        error = failureText_;
        return failure_;
    }
    frame->pts = framesQueued_++;
    queue_.push_back(std::move(frame));
    changed_.notify_all();
    const int64_t framesTaken = framesQueued_;
    lock.unlock();

    // The sound up to the end of this frame is encoded here, on the caller's thread, which has
    // time to spare while the worker encodes the pictures.
    const int result = encodeAudioUntil(audioSamplesFor(framesTaken), false, error);
    if (result != kEncoderOk)
        fail(result, error);
    return result;
}

void EncoderSession::fail(int code, const std::string& text)
{
    std::lock_guard lock(mutex_);
    if (!failure_) {
        failure_ = code;
        failureText_ = text;
    }
    changed_.notify_all();
}

void EncoderSession::run()
{
    for (;;) {
        FramePtr frame;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return closing_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            frame = std::move(queue_.front());
            queue_.pop_front();
            changed_.notify_all();
            if (failure_)
                continue; // frames after a failure are dropped
        }
        std::string error;
        const int result = encodeVideo(frame.get(), error);
        if (result != kEncoderOk)
            fail(result, error);
    }
}

int EncoderSession::encodeVideo(AVFrame* frame, std::string& error)
{
    frame->pts = videoFramesDone_;
    const int result = sendAndWrite(video_.get(), videoStream_, frame, error);
    if (result == kEncoderOk)
        ++videoFramesDone_;
    return result;
}

int64_t EncoderSession::videoSamples(int64_t videoFrames) const
{
    return av_rescale(videoFrames,
                      static_cast<int64_t>(settings_.frameRate.den) * audio_->sample_rate,
                      settings_.frameRate.num);
}

int64_t EncoderSession::audioSamplesFor(int64_t videoFrames) const
{
    // Where the container cannot mark the codec's start-up delay as skipped (AVI, program
    // streams), the decoded sound is that much longer: feed that much less music.
    return std::max<int64_t>(0, videoSamples(videoFrames) - hiddenAudioDelay_);
}

int EncoderSession::encodeAudioUntil(int64_t sampleCount, bool last, std::string& error)
{
    for (;;) {
        const int64_t missing = sampleCount - audioSamplesDone_;
        if (missing <= 0 || (missing < audioFrameSize_ && !last))
            return kEncoderOk;
        // The last frame is cut where the video ends when the codec allows a short frame, and
        // otherwise still a whole frame (at most one frame longer than the video).
        const int count = missing >= audioFrameSize_ || !audioSmallLast_
                              ? audioFrameSize_
                              : static_cast<int>(missing);
        int ret = av_frame_make_writable(audioFrame_.get());
        if (ret < 0) {
            error = "out of memory";
            return kEncoderEncodeFailed;
        }
        ret = feed_.read(audioFrame_.get(), count, error);
        if (ret < 0)
            return kEncoderEncodeFailed;
        audioFrame_->pts = audioSamplesDone_;
        const int result = sendAndWrite(audio_.get(), audioStream_, audioFrame_.get(), error);
        if (result != kEncoderOk)
            return result;
        audioSamplesDone_ += count;
    }
}

int EncoderSession::sendAndWrite(AVCodecContext* codec, AVStream* stream, const AVFrame* frame,
                                 std::string& error)
{
    const char* kind = codec == video_.get() ? "video" : "audio";
    int ret = avcodec_send_frame(codec, frame);
    if (ret < 0 && ret != AVERROR_EOF) {
        error = std::string("the ") + kind + " encoder failed: " + avErrorText(ret);
        return kEncoderEncodeFailed;
    }
    // Pictures are written from the worker and sound from the caller: one packet each.
    AVPacket* packet = codec == video_.get() ? packet_.get() : audioPacket_.get();
    for (;;) {
        ret = avcodec_receive_packet(codec, packet);
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
            return kEncoderOk;
        if (ret < 0) {
            error = std::string("the ") + kind + " encoder failed: " + avErrorText(ret);
            return kEncoderEncodeFailed;
        }
        if (codec == audio_.get()) {
            // Packets that only carry the codec's padding past the end of the video are left
            // out, so that the sound track ends with the video.
            if (audioLimit_ >= 0 && audioWritten_ >= audioLimit_) {
                av_packet_unref(packet);
                continue;
            }
            audioWritten_ += packet->duration > 0 ? packet->duration : audioFrameSize_;
        }
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        {
            std::lock_guard lock(muxMutex_);
            ret = av_interleaved_write_frame(output_.get(), packet);
            // A failed write (a full disk) is only recorded in the file context.
            if (ret >= 0 && output_->pb && output_->pb->error < 0)
                ret = output_->pb->error;
        }
        if (ret < 0) {
            error = "cannot write the file " + settings_.outputPath + ": " + avErrorText(ret);
            return kEncoderOutputFailed;
        }
    }
}

int EncoderSession::finish(std::string& error)
{
    if (finished_) {
        error = failureText_;
        return failure_;
    }
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        changed_.notify_all();
    }
    if (worker_.joinable())
        worker_.join();
    finished_ = true;

    // The worker has ended; from here on this thread owns everything.
    std::string text;
    int result = sendAndWrite(video_.get(), videoStream_, nullptr, text);
    if (result != kEncoderOk)
        fail(result, text);
    if (hiddenAudioDelay_ > 0)
        audioLimit_ = videoSamples(videoFramesDone_);
    result = encodeAudioUntil(audioSamplesFor(videoFramesDone_), true, text);
    if (result == kEncoderOk)
        result = sendAndWrite(audio_.get(), audioStream_, nullptr, text);
    if (result != kEncoderOk)
        fail(result, text);
    if (feed_.musicEnded())
        logLine("the music is shorter than the video; the sound track ends in silence");

    AVFormatContext* out = output_.get();
    if (headerWritten_) {
        const int ret = av_write_trailer(out);
        if (ret < 0)
            fail(kEncoderOutputFailed,
                 "cannot finish the file " + settings_.outputPath + ": " + avErrorText(ret));
    }
    if (out->pb) {
        avio_flush(out->pb);
        const int writeError = out->pb->error;
        const int ret = avio_closep(&out->pb);
        if (writeError < 0 || ret < 0)
            fail(kEncoderOutputFailed, "cannot write the file " + settings_.outputPath + ": " +
                                           avErrorText(writeError < 0 ? writeError : ret));
    }
    std::lock_guard lock(mutex_);
    error = failureText_;
    return failure_;
}

} // namespace pictavo::encoder
