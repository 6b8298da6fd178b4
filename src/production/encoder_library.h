#pragma once

// The encoder library BrenwickEncoder.so, loaded from a file for one slideshow and unloaded
// when the object goes away.

#include <string>

namespace pictavo {

// The file name of the encoder library in the application folder.
inline constexpr const char* kEncoderLibraryName = "BrenwickEncoder.so";

// The arguments of initEncoder, as texts in call order (width and height aside).
struct EncoderInitArguments {
    int width = 0;
    int height = 0;
    std::string outputPath;
    std::string yuvPath;
    std::string audioPath;
    std::string audioCodec;
    std::string audioBitrate;
    std::string audioSampleRate;
    std::string audioChannels;
    std::string videoCodec;
    std::string videoBitrate;
    std::string frameSize;
    std::string frameRate;
};

// One loaded copy of the encoder library. Not copyable; unloads in its destructor. The calls
// are only valid while loaded() is true.
class EncoderLibrary {
public:
    EncoderLibrary() = default;
    EncoderLibrary(const EncoderLibrary&) = delete;
    EncoderLibrary& operator=(const EncoderLibrary&) = delete;
    ~EncoderLibrary();

    // Loads the library file afresh and resolves initEncoder, EncOneFrame and closeEncoder (and
    // encoderLastError when the library has it). False, with nothing loaded and the reason in
    // loadError(), when the file does not load or one of the three entry points is missing.
    bool load(const std::string& path);
    // Unloads the library (nothing when none is loaded).
    void unload();
    bool loaded() const { return handle_ != nullptr; }
    const std::string& loadError() const { return loadError_; }

    // The entry points. Results are the library's codes: 0 = success; 1 when nothing is loaded.
    int initEncoder(const EncoderInitArguments& arguments) const;
    int encodeFrame(const unsigned char* yuvFrame) const;
    int closeEncoder() const;
    // The library's text of its last failure ("" when it has none or does not tell).
    std::string lastError() const;

private:
    using InitFunction = int (*)(int, int, const char*, const char*, const char*, const char*,
                                 const char*, const char*, const char*, const char*, const char*,
                                 const char*, const char*);
    using FrameFunction = int (*)(const unsigned char*);
    using CloseFunction = int (*)();
    using ErrorFunction = const char* (*)();

    void* handle_ = nullptr;
    InitFunction init_ = nullptr;
    FrameFunction frame_ = nullptr;
    CloseFunction close_ = nullptr;
    ErrorFunction error_ = nullptr;
    std::string loadError_;
};

} // namespace pictavo
