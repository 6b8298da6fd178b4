#pragma once

// Small generated sounds and helpers to load the conversion library and inspect its output.

#include "xtomp2.h"

#include <cstdint>
#include <functional>
#include <string>

namespace pictavo::test {

// Writes a 16-bit PCM WAV file; `sample(seconds, channel)` gives values in -1..1.
bool writeWav(const std::string& path, double seconds, int rate, int channels,
              const std::function<double(double, int)>& sample);

// A soft tone of the given frequency on every channel.
bool writeToneWav(const std::string& path, double seconds, int rate, int channels,
                  double frequency = 440.0);

// Runs the ffmpeg command with the given arguments (input and output included); true when it
// succeeded.
bool runFfmpeg(const std::string& arguments);

// What FFmpeg's own decoders find in an audio file.
struct AudioProbe {
    bool opened = false;
    std::string codec;     // decoder name, e.g. "mp2"
    std::string container; // demuxer name
    int sampleRate = 0;
    int channels = 0;
    int64_t bitRate = 0;
    int64_t samples = 0;       // decoded samples per channel
    int decodeErrors = 0;      // packets the decoder rejected
    double peak = 0.0;         // largest absolute sample value, 0..1
    double headerSeconds = -1; // the container's own length estimate, -1 when none
};
AudioProbe probeAudio(const std::string& path);

// The conversion library, loaded from the application folder as the program does.
class ConversionLibrary {
public:
    ConversionLibrary();
    ~ConversionLibrary();
    ConversionLibrary(const ConversionLibrary&) = delete;
    ConversionLibrary& operator=(const ConversionLibrary&) = delete;

    bool loaded() const { return convert != nullptr && timeLength != nullptr; }
    const std::string& loadError() const { return loadError_; }

    XToMp2Function convert = nullptr;
    GetFileTimeLengthFunction timeLength = nullptr;
    XToMp2LastErrorFunction lastError = nullptr;

private:
    void* handle_ = nullptr;
    std::string loadError_;
};

// The application folder of the build under test.
std::string appFolder();

// Names of the entries of a folder, sorted.
std::string folderListing(const std::string& folder);

} // namespace pictavo::test
