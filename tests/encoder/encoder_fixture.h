#pragma once

#include "brenwick_encoder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pictavo::test {

// BrenwickEncoder.so from the application folder, loaded once for all tests.
struct EncoderLibrary {
    InitEncoderFunction init = nullptr;
    EncOneFrameFunction encodeFrame = nullptr;
    CloseEncoderFunction close = nullptr;
    EncoderLastErrorFunction lastError = nullptr;
    std::string loadError;
    bool loaded() const { return init && encodeFrame && close && lastError; }
};
const EncoderLibrary& encoderLibrary();

// The thirteen initEncoder arguments as texts, with usable defaults.
struct EncoderCall {
    int width = 320;
    int height = 240;
    std::string output;
    std::string audio;
    std::string audioCodec = "mp2";
    std::string audioBitrate = "224kb";
    std::string sampleRate = "48000";
    std::string channels = "2";
    std::string videoCodec = "mpeg2video";
    std::string videoBitrate = "6000kb";
    std::string frameSize; // "" = width x height
    std::string frameRate = "29.97";

    int init() const;
};

// A YUV 4:2:0 colour (studio range).
struct Yuv {
    uint8_t y, u, v;
};
constexpr Yuv kRed{81, 90, 239};
constexpr Yuv kGreen{144, 54, 34};
constexpr Yuv kBlue{40, 239, 110};
constexpr Yuv kWhite{235, 128, 128};

// An I420 frame of one colour.
std::vector<uint8_t> solidFrame(int width, int height, Yuv colour);
// An I420 frame with one colour per quadrant: top left, top right, bottom left, bottom right.
std::vector<uint8_t> quadrantFrame(int width, int height, const Yuv (&colours)[4]);
// Frames whose luma ramps with the frame number, so that consecutive frames differ.
std::vector<uint8_t> movingFrame(int width, int height, int number);

// A frame of pseudo-random noise, which no codec can compress much.
std::vector<uint8_t> noiseFrame(int width, int height, uint32_t seed);

// Writes a 16-bit PCM WAV file with a 440 Hz tone.
bool writeToneWav(const std::string& path, double seconds, int sampleRate, int channels);

// Calls EncOneFrame count times with movingFrame pictures; the first non-zero result, else 0.
int encodeFrames(int width, int height, int count);

} // namespace pictavo::test
