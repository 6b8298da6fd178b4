#pragma once

#include "av_handles.h"

#include <cstdint>
#include <string>

namespace pictavo::encoder {

// The music under the video: decodes the prepared audio file, converts it to the encoder's
// sample format, rate and channels, and continues with silence once the music ends (or from the
// start when the file is missing or cannot be decoded).
class AudioFeed {
public:
    AudioFeed() = default;
    ~AudioFeed();
    AudioFeed(const AudioFeed&) = delete;
    AudioFeed& operator=(const AudioFeed&) = delete;

    // Prepares the conversion to the encoder's format. Returns false (with the reason in note)
    // when the music cannot be used; the feed then gives silence. Fails only for a format the
    // converter cannot make (error set, result negative FFmpeg error).
    int open(const std::string& path, AVSampleFormat format, int sampleRate,
             const AVChannelLayout& layout, std::string& note, std::string& error);

    // Puts exactly count samples into frame (allocated by the caller with nb_samples >= count).
    int read(AVFrame* frame, int count, std::string& error);

    // True when music was opened and has ended: what follows is silence.
    bool musicEnded() const { return hadMusic_ && sourceDone_; }

private:
    int decodeMore(std::string& error);
    int convert(const AVFrame* decoded, std::string& error);
    int configureResampler(const AVFrame* decoded, std::string& error);
    int drainResampler(std::string& error);

    InputFormatPtr input_;
    CodecContextPtr decoder_;
    ResamplerPtr resampler_;
    AudioFifoPtr fifo_;
    PacketPtr packet_;
    FramePtr decoded_;
    FramePtr scratch_; // converted samples on their way into the FIFO
    int streamIndex_ = -1;
    bool hadMusic_ = false;
    bool sourceDone_ = true;
    bool decoderDrained_ = false;
    // What the resampler was set up for.
    int inRate_ = 0;
    int inFormat_ = -1;
    AVChannelLayout inLayout_{};
    // What the encoder wants.
    AVSampleFormat outFormat_ = AV_SAMPLE_FMT_NONE;
    int outRate_ = 0;
    AVChannelLayout outLayout_{};
};

} // namespace pictavo::encoder
