#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pictavo::test {

// What a video file holds, found by demuxing and decoding all of it.
struct MediaProbe {
    bool opened = false;
    std::string error;
    std::string formatName; // the demuxer, e.g. "mpeg", "mov,mp4,m4a,3gp,3g2,mj2", "avi"

    bool hasVideo = false;
    std::string videoCodec; // codec name, e.g. "mpeg2video", "h264"
    uint32_t videoTag = 0;
    int width = 0;
    int height = 0;
    int frameRateNum = 0; // the stream's frame rate
    int frameRateDen = 1;
    int sarNum = 0;
    int sarDen = 1;
    int64_t videoFrames = 0;        // decoded frames
    std::vector<int64_t> keyFrames; // decoded frame numbers of key frames
    int64_t rcBufferSize = 0;       // VBV size the stream declares (MPEG-1/2)
    int64_t declaredBitrate = 0;    // bit rate the stream declares (MPEG-1/2)
    std::vector<uint8_t> lastFrame; // last decoded frame, I420, width x height x 3 / 2
    std::vector<int> centreLuma;    // luma of the middle pixel of every decoded frame

    bool hasAudio = false;
    std::string audioCodec; // codec name, e.g. "mp2", "aac", "mp3"
    int sampleRate = 0;
    int channels = 0;
    int audioFrameSize = 0;         // samples per encoded audio frame
    int64_t audioSamples = 0;       // decoded samples per channel
    std::vector<float> audioLevels; // mean absolute level of every 1/20 s of channel 0

    double videoSeconds() const
    {
        return frameRateNum ? double(videoFrames) * frameRateDen / frameRateNum : 0.0;
    }
    double audioSeconds() const { return sampleRate ? double(audioSamples) / sampleRate : 0.0; }
};

MediaProbe probeMedia(const std::string& path);

// Copies the packets of the first audio stream of a file, as they are, to a raw elementary
// stream file (an .mp2 file from an MPEG program stream); appends when append is set.
bool extractAudioStream(const std::string& from, const std::string& to, bool append);

} // namespace pictavo::test
