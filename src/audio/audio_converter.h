#pragma once

#include <atomic>
#include <string>

namespace pictavo {

class AutoResetEvent;

// The conversion library "libxToMp2.so" in the application folder.
std::string audioConverterPath();

// The conversion library, loaded by file path for one use and released when the object goes
// away. The entry points are looked up by name; a missing one stays unset.
class AudioConverter {
public:
    explicit AudioConverter(const std::string& libraryPath = audioConverterPath());
    ~AudioConverter();
    AudioConverter(const AudioConverter&) = delete;
    AudioConverter& operator=(const AudioConverter&) = delete;

    // False when the library could not be loaded; loadError() then tells why.
    bool loaded() const { return handle_ != nullptr; }
    const std::string& loadError() const { return loadError_; }

    bool hasConversion() const { return convert_ != nullptr; }
    bool hasTimeLength() const { return timeLength_ != nullptr; }

    // Converts source to an MP2 file at destination. The stop function, when given, is asked
    // while the conversion runs; a true answer makes the library give up early. Returns the
    // library's result (0 when the file is complete), 1 when the entry point is missing.
    using StopQuery = bool (*)(void* context);
    int convert(const std::string& source, const std::string& destination,
                StopQuery stopQuery = nullptr, void* context = nullptr) const;
    // The playing time in whole seconds, 0 for a file that is not usable audio or when the
    // entry point is missing.
    int timeLength(const std::string& path) const;
    // The library's reason for its last failure ("" when it has none or cannot tell).
    std::string lastError() const;

private:
    void* handle_ = nullptr;
    void* convert_ = nullptr;
    void* timeLength_ = nullptr;
    void* lastError_ = nullptr;
    std::string loadError_;
};

// Bridges the job's stop event to the library's stop question. Taking the event resets it, so
// the first signal seen is remembered: stopRequested() stays true from then on.
class StopWatch {
public:
    explicit StopWatch(AutoResetEvent* event) : event_(event) {}
    bool stopRequested();
    static bool query(void* stopWatch);

private:
    AutoResetEvent* event_;
    std::atomic<bool> stopped_{false};
};

// The playing time of an audio file in whole seconds through the conversion library, loaded
// for this one query: 1 when the library cannot be loaded, 0 when it lacks the duration entry
// point or the file is not usable audio.
int queryAudioDuration(const std::string& path);

} // namespace pictavo
