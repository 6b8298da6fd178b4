#include "production/encoder_library.h"

#include "core/result_codes.h"

#include <dlfcn.h>

namespace pictavo {

namespace {

std::string dlErrorText()
{
    const char* text = dlerror();
    return text != nullptr ? std::string(text) : std::string();
}

} // namespace

EncoderLibrary::~EncoderLibrary()
{
    unload();
}

bool EncoderLibrary::load(const std::string& path)
{
    unload();
    loadError_.clear();
    dlerror();
    // RTLD_LOCAL: the entry points are only reached through the handle, so that every load
    // gets a fresh copy of the library's state.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        loadError_ = dlErrorText();
        if (loadError_.empty())
            loadError_ = "cannot load " + path;
        return false;
    }
    init_ = reinterpret_cast<InitFunction>(dlsym(handle_, "initEncoder"));
    frame_ = reinterpret_cast<FrameFunction>(dlsym(handle_, "EncOneFrame"));
    close_ = reinterpret_cast<CloseFunction>(dlsym(handle_, "closeEncoder"));
    error_ = reinterpret_cast<ErrorFunction>(dlsym(handle_, "encoderLastError"));
    dlerror();
    if (init_ == nullptr || frame_ == nullptr || close_ == nullptr) {
        std::string missing;
        if (init_ == nullptr)
            missing += " initEncoder";
        if (frame_ == nullptr)
            missing += " EncOneFrame";
        if (close_ == nullptr)
            missing += " closeEncoder";
        loadError_ = path + " lacks the entry points" + missing;
        unload();
        return false;
    }
    return true;
}

void EncoderLibrary::unload()
{
    if (handle_ != nullptr)
        dlclose(handle_);
    handle_ = nullptr;
    init_ = nullptr;
    frame_ = nullptr;
    close_ = nullptr;
    error_ = nullptr;
}

int EncoderLibrary::initEncoder(const EncoderInitArguments& a) const
{
    if (init_ == nullptr)
        return kResultFailed;
    return init_(a.width, a.height, a.outputPath.c_str(), a.yuvPath.c_str(), a.audioPath.c_str(),
                 a.audioCodec.c_str(), a.audioBitrate.c_str(), a.audioSampleRate.c_str(),
                 a.audioChannels.c_str(), a.videoCodec.c_str(), a.videoBitrate.c_str(),
                 a.frameSize.c_str(), a.frameRate.c_str());
}

int EncoderLibrary::encodeFrame(const unsigned char* yuvFrame) const
{
    return frame_ != nullptr ? frame_(yuvFrame) : kResultFailed;
}

int EncoderLibrary::closeEncoder() const
{
    return close_ != nullptr ? close_() : kResultFailed;
}

std::string EncoderLibrary::lastError() const
{
    if (error_ == nullptr)
        return std::string();
    const char* text = error_();
    return text != nullptr ? std::string(text) : std::string();
}

} // namespace pictavo
