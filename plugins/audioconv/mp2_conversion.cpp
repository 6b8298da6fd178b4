#include "mp2_conversion.h"

#include "audio_input.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

namespace pictavo::audioconv {
namespace {

constexpr AVSampleFormat kOutputFormat = AV_SAMPLE_FMT_S16;
constexpr size_t kBytesPerSample = XTOMP2_CHANNELS * sizeof(int16_t); // interleaved

// An output file under a temporary name beside its destination, renamed into place only when
// complete and removed otherwise.
class PendingFile {
public:
    ~PendingFile() { discard(); }

    bool create(const std::string& destination, std::string& error)
    {
        static std::atomic<unsigned> counter{0};
        destination_ = destination;
        for (int attempt = 0; attempt < 100; ++attempt) {
            temporary_ = destination + ".part" + std::to_string(getpid()) + "-" +
                         std::to_string(counter.fetch_add(1));
            const int fd =
                ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                file_ = fdopen(fd, "wb");
                if (file_ == nullptr) {
                    ::close(fd);
                    break;
                }
                return true;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        error = "cannot create '" + destination + "': " + std::strerror(errno);
        temporary_.clear();
        return false;
    }

    bool write(const void* data, size_t size, std::string& error)
    {
        if (size > 0 && std::fwrite(data, 1, size, file_) != size) {
            error = "cannot write '" + destination_ + "': " + std::strerror(errno);
            return false;
        }
        return true;
    }

    // Closes the file and moves it to its destination.
    bool commit(std::string& error)
    {
        FILE* file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0) {
            error = "cannot write '" + destination_ + "': " + std::strerror(errno);
            return false;
        }
        if (std::rename(temporary_.c_str(), destination_.c_str()) != 0) {
            error = "cannot replace '" + destination_ + "': " + std::strerror(errno);
            return false;
        }
        temporary_.clear();
        return true;
    }

    void discard()
    {
        if (file_ != nullptr) {
            std::fclose(file_);
            file_ = nullptr;
        }
        if (!temporary_.empty()) {
            std::remove(temporary_.c_str());
            temporary_.clear();
        }
    }

private:
    std::string destination_;
    std::string temporary_;
    FILE* file_ = nullptr;
};

// Resampled sound on its way from the decoding thread to the encoding thread, a few blocks at
// most. Either side can abort: the other then stops at its next push or pop.
class SampleQueue {
public:
    // False when the queue was aborted (the block is dropped).
    bool push(std::vector<uint8_t> block)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return aborted_ || blocks_.size() < kLimit; });
        if (aborted_) {
            return false;
        }
        blocks_.push_back(std::move(block));
        changed_.notify_all();
        return true;
    }

    // False at the end (closed and empty) or after an abort.
    bool pop(std::vector<uint8_t>& block)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return aborted_ || closed_ || !blocks_.empty(); });
        if (aborted_ || blocks_.empty()) {
            return false;
        }
        block = std::move(blocks_.front());
        blocks_.pop_front();
        changed_.notify_all();
        return true;
    }

    void close() { setFlag(closed_); }
    void abort() { setFlag(aborted_); }
    bool aborted()
    {
        std::lock_guard lock(mutex_);
        return aborted_;
    }

private:
    static constexpr size_t kLimit = 16;

    void setFlag(bool& flag)
    {
        std::lock_guard lock(mutex_);
        flag = true;
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<uint8_t>> blocks_;
    bool closed_ = false;
    bool aborted_ = false;
};

// Decoding and resampling run on the caller's thread, MP2 encoding on a thread of its own, so
// that a conversion takes about the time of the slower half.
class Mp2Conversion {
public:
    Mp2Conversion(const XToMp2StopHandle* stop, std::string& error) : stop_(stop), error_(error) {}
    ~Mp2Conversion() { av_channel_layout_uninit(&inputLayout_); }

    int run(const std::string& source, const std::string& destination)
    {
        if (!input_.open(source)) {
            error_ = input_.error();
            return XTOMP2_FAILED;
        }
        if (!openEncoder() || !output_.create(destination, error_)) {
            return XTOMP2_FAILED;
        }
        bool encoded = false;
        std::thread encoder;
        try {
            encoder = std::thread([this, &encoded] { encoded = encodeQueued(); });
        } catch (const std::system_error& e) {
            error_ = std::string("cannot start the encoding thread: ") + e.what();
            return XTOMP2_FAILED;
        }
        const int result = decodeInto(source);
        if (result == XTOMP2_OK) {
            queue_.close();
        } else {
            queue_.abort();
        }
        encoder.join();
        if (result == XTOMP2_STOPPED) {
            return result;
        }
        if (!encoded && !encodeError_.empty()) { // the cause, when decoding stopped for it
            error_ = encodeError_;
            return XTOMP2_FAILED;
        }
        if (result != XTOMP2_OK) {
            return result;
        }
        if (!encoded) {
            error_ = "the audio could not be encoded";
            return XTOMP2_FAILED;
        }
        if (!output_.commit(error_)) {
            return XTOMP2_FAILED;
        }
        return XTOMP2_OK;
    }

private:
    // Decodes and resamples the whole source into the queue.
    int decodeInto(const std::string& source)
    {
        int64_t decodedSamples = 0;
        for (;;) {
            if (stopRequested()) {
                error_ = "stopped while converting '" + source + "'";
                return XTOMP2_STOPPED;
            }
            const AudioInput::Step step = input_.nextFrame(decoded_.get());
            if (step == AudioInput::Step::Failed) {
                error_ = input_.error();
                return XTOMP2_FAILED;
            }
            if (step == AudioInput::Step::End) {
                break;
            }
            decodedSamples += decoded_->nb_samples;
            const bool ok = resample(decoded_.get());
            av_frame_unref(decoded_.get());
            if (!ok) {
                return XTOMP2_FAILED;
            }
        }
        if (decodedSamples == 0) {
            error_ = "no decodable audio in '" + source + "'";
            return XTOMP2_FAILED;
        }
        return drainResampler() ? XTOMP2_OK : XTOMP2_FAILED;
    }

    // The encoding thread: every block into MP2 frames, the last one padded with silence.
    bool encodeQueued()
    {
        std::vector<uint8_t> block;
        bool ok = true;
        while (ok && queue_.pop(block)) {
            void* planes[] = {block.data()};
            const int samples = static_cast<int>(block.size() / kBytesPerSample);
            if (av_audio_fifo_write(fifo_.get(), planes, samples) != samples) {
                ok = failEncoding("cannot buffer the audio", AVERROR(ENOMEM));
            } else {
                ok = encode(false);
            }
        }
        ok = ok && !queue_.aborted() && encode(true);
        if (!ok) {
            queue_.abort(); // the decoding side stops at its next block
        }
        return ok;
    }

    bool stopRequested() const
    {
        return stop_ != nullptr && stop_->isStopRequested != nullptr &&
               stop_->isStopRequested(stop_->context) != 0;
    }

    bool failWith(const std::string& what, int code)
    {
        error_ = what + ": " + avErrorText(code);
        return false;
    }

    bool failEncoding(const std::string& what, int code)
    {
        encodeError_ = what + ": " + avErrorText(code);
        return false;
    }

    bool openEncoder()
    {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
        if (codec == nullptr) {
            return failWith("no MP2 encoder", AVERROR_ENCODER_NOT_FOUND);
        }
        encoder_.reset(avcodec_alloc_context3(codec));
        decoded_.reset(av_frame_alloc());
        encodeFrame_.reset(av_frame_alloc());
        packet_.reset(av_packet_alloc());
        if (!encoder_ || !decoded_ || !encodeFrame_ || !packet_) {
            return failWith("cannot start the MP2 encoder", AVERROR(ENOMEM));
        }
        const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        encoder_->sample_fmt = kOutputFormat;
        encoder_->sample_rate = XTOMP2_SAMPLE_RATE;
        encoder_->bit_rate = XTOMP2_BIT_RATE;
        encoder_->time_base = AVRational{1, XTOMP2_SAMPLE_RATE};
        int code = av_channel_layout_copy(&encoder_->ch_layout, &stereo);
        if (code >= 0) {
            code = avcodec_open2(encoder_.get(), codec, nullptr);
        }
        if (code < 0) {
            return failWith("cannot start the MP2 encoder", code);
        }
        frameSize_ = encoder_->frame_size;
        encodeFrame_->nb_samples = frameSize_;
        encodeFrame_->format = kOutputFormat;
        encodeFrame_->sample_rate = XTOMP2_SAMPLE_RATE;
        code = av_channel_layout_copy(&encodeFrame_->ch_layout, &stereo);
        if (code >= 0) {
            code = av_frame_get_buffer(encodeFrame_.get(), 0);
        }
        fifo_.reset(av_audio_fifo_alloc(kOutputFormat, XTOMP2_CHANNELS, frameSize_ * 4));
        if (code < 0 || !fifo_) {
            return failWith("cannot start the MP2 encoder", code < 0 ? code : AVERROR(ENOMEM));
        }
        return true;
    }

    // Sets the resampler up for the format of `frame`; a stream whose format changes midway
    // (joined files) gets a new resampler after the old one has given out its last samples.
    bool prepareResampler(const AVFrame* frame)
    {
        AVChannelLayout layout{};
        int code = 0;
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            av_channel_layout_default(&layout, frame->ch_layout.nb_channels);
        } else {
            code = av_channel_layout_copy(&layout, &frame->ch_layout);
        }
        if (code < 0 || layout.nb_channels <= 0) {
            av_channel_layout_uninit(&layout);
            return failWith("unusable channel layout in the audio", AVERROR_INVALIDDATA);
        }
        if (resampler_ && frame->format == inputFormat_ && frame->sample_rate == inputRate_ &&
            av_channel_layout_compare(&layout, &inputLayout_) == 0) {
            av_channel_layout_uninit(&layout);
            return true;
        }
        if (resampler_ && !drainResampler()) {
            av_channel_layout_uninit(&layout);
            return false;
        }
        av_channel_layout_uninit(&inputLayout_);
        inputLayout_ = layout; // takes over what `layout` owns
        inputFormat_ = frame->format;
        inputRate_ = frame->sample_rate;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext* raw = nullptr;
        code =
            swr_alloc_set_opts2(&raw, &stereo, kOutputFormat, XTOMP2_SAMPLE_RATE, &inputLayout_,
                                static_cast<AVSampleFormat>(inputFormat_), inputRate_, 0, nullptr);
        resampler_.reset(raw);
        if (code >= 0) {
            code = swr_init(resampler_.get());
        }
        if (code < 0) {
            resampler_.reset();
            return failWith("cannot resample the audio", code);
        }
        return true;
    }

    bool convertInto(const uint8_t** input, int inputSamples)
    {
        const int capacity = swr_get_out_samples(resampler_.get(), inputSamples);
        if (capacity < 0) {
            return failWith("cannot resample the audio", capacity);
        }
        if (capacity == 0) {
            lastProduced_ = 0;
            return true;
        }
        std::vector<uint8_t> block(static_cast<size_t>(capacity) * kBytesPerSample);
        uint8_t* out = block.data();
        const int produced = swr_convert(resampler_.get(), &out, capacity, input, inputSamples);
        if (produced < 0) {
            return failWith("cannot resample the audio", produced);
        }
        lastProduced_ = produced;
        if (produced == 0) {
            return true;
        }
        block.resize(static_cast<size_t>(produced) * kBytesPerSample);
        if (!queue_.push(std::move(block))) {
            // The encoding side failed; its error is the one reported.
            return failWith("cannot encode the audio", AVERROR_EXTERNAL);
        }
        return true;
    }

    bool resample(const AVFrame* frame)
    {
        if (frame->nb_samples <= 0) {
            return true;
        }
        if (!prepareResampler(frame)) {
            return false;
        }
        return convertInto(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    }

    bool drainResampler()
    {
        if (!resampler_) {
            return true;
        }
        for (;;) {
            if (!convertInto(nullptr, 0)) {
                return false;
            }
            if (lastProduced_ == 0) {
                return true;
            }
        }
    }

    // Encodes every whole frame waiting in the buffer; at the end also the last partial frame,
    // padded with silence, and whatever the encoder still holds.
    bool encode(bool finish)
    {
        while (av_audio_fifo_size(fifo_.get()) >= frameSize_ ||
               (finish && av_audio_fifo_size(fifo_.get()) > 0)) {
            int code = av_frame_make_writable(encodeFrame_.get());
            if (code < 0) {
                return failEncoding("cannot encode the audio", code);
            }
            void** planes = reinterpret_cast<void**>(encodeFrame_->data);
            const int got = av_audio_fifo_read(fifo_.get(), planes, frameSize_);
            if (got < 0) {
                return failEncoding("cannot encode the audio", got);
            }
            if (got < frameSize_) {
                av_samples_set_silence(encodeFrame_->data, got, frameSize_ - got, XTOMP2_CHANNELS,
                                       kOutputFormat);
            }
            encodeFrame_->pts = nextPts_;
            nextPts_ += frameSize_;
            code = avcodec_send_frame(encoder_.get(), encodeFrame_.get());
            if (code < 0) {
                return failEncoding("cannot encode the audio", code);
            }
            if (!writePackets()) {
                return false;
            }
        }
        if (finish) {
            const int code = avcodec_send_frame(encoder_.get(), nullptr);
            if (code < 0) {
                return failEncoding("cannot encode the audio", code);
            }
            return writePackets();
        }
        return true;
    }

    bool writePackets()
    {
        for (;;) {
            const int code = avcodec_receive_packet(encoder_.get(), packet_.get());
            if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) {
                return true;
            }
            if (code < 0) {
                return failEncoding("cannot encode the audio", code);
            }
            const bool written = output_.write(packet_->data, packet_->size, encodeError_);
            av_packet_unref(packet_.get());
            if (!written) {
                return false;
            }
        }
    }

    const XToMp2StopHandle* stop_;
    std::string& error_;
    AudioInput input_;
    CodecContextPtr encoder_;
    ResamplerPtr resampler_;
    AudioFifoPtr fifo_;
    FramePtr decoded_;
    FramePtr encodeFrame_;
    PacketPtr packet_;
    PendingFile output_;
    AVChannelLayout inputLayout_{};
    int inputFormat_ = -1;
    int inputRate_ = 0;
    int frameSize_ = 0;
    int64_t nextPts_ = 0;
    int lastProduced_ = 0;
    SampleQueue queue_;
    std::string encodeError_; // written by the encoding thread only
};

} // namespace

int convertToMp2(const std::string& source, const std::string& destination,
                 const XToMp2StopHandle* stop, std::string& error)
{
    error.clear();
    if (destination.empty()) {
        error = "no destination file named";
        return XTOMP2_FAILED;
    }
    Mp2Conversion conversion(stop, error);
    return conversion.run(source, destination);
}

} // namespace pictavo::audioconv
