#pragma once

#include "av_handles.h"

#include <cstdint>
#include <string>

namespace pictavo::encoder {

// The texts initEncoder receives, as given.
struct EncoderArguments {
    int width = 0;
    int height = 0;
    const char* outputPath = nullptr;
    const char* audioPath = nullptr;
    const char* audioCodec = nullptr;
    const char* audioBitrate = nullptr;
    const char* audioSampleRate = nullptr;
    const char* audioChannels = nullptr;
    const char* videoCodec = nullptr;
    const char* videoBitrate = nullptr;
    const char* frameSize = nullptr;
    const char* frameRate = nullptr;
};

// Disc formats whose players expect fixed stream parameters.
enum class DiscTarget { None, Dvd, Svcd, Vcd };

// Everything needed to open the output file, resolved from the arguments.
struct EncoderSettings {
    int width = 0;
    int height = 0;
    std::string outputPath;
    std::string audioPath;
    const AVOutputFormat* format = nullptr;
    DiscTarget disc = DiscTarget::None;
    const AVCodec* videoCodec = nullptr;
    uint32_t videoTag = 0; // 0: the container's default tag
    int64_t videoBitrate = 0;
    AVRational frameRate{0, 1};
    const AVCodec* audioCodec = nullptr;
    int64_t audioBitrate = 0;
    int sampleRate = 0;
    int channels = 0;
    // Values changed to meet the disc format, as a readable line ("" when none).
    std::string adjustments;
};

// Fills settings from the arguments; returns a BrenwickEncoderResult and describes a failure
// in error.
int resolveSettings(const EncoderArguments& arguments, EncoderSettings& settings,
                    std::string& error);

// "29.97" -> 30000/1001, "25" -> 25/1; {0, 1} when the text is not a usable rate.
AVRational parseFrameRate(const std::string& text);
// "224kb" -> 224000 bits per second; 0 when the text is not a usable bit rate.
int64_t parseBitrate(const std::string& text);

} // namespace pictavo::encoder
