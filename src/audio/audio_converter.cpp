#include "audio/audio_converter.h"

#include "core/app_paths.h"
#include "core/auto_reset_event.h"

#include "xtomp2.h"

#include <dlfcn.h>

#include <vector>

namespace pictavo {

namespace {

struct StopBridge {
    AudioConverter::StopQuery query;
    void* context;
};

int askStop(void* bridge)
{
    const auto* stop = static_cast<const StopBridge*>(bridge);
    return stop->query(stop->context) ? 1 : 0;
}

template <typename Function> Function entryPoint(void* symbol)
{
    return reinterpret_cast<Function>(symbol);
}

} // namespace

std::string audioConverterPath()
{
    return joinPath(applicationFolder(), "libxToMp2.so");
}

AudioConverter::AudioConverter(const std::string& libraryPath)
{
    dlerror();
    handle_ = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* error = dlerror();
        loadError_ = error != nullptr ? error : "cannot load " + libraryPath;
        return;
    }
    convert_ = dlsym(handle_, "xToMp2");
    timeLength_ = dlsym(handle_, "GetFileTimeLength");
    lastError_ = dlsym(handle_, "xToMp2LastError");
}

AudioConverter::~AudioConverter()
{
    if (handle_ != nullptr)
        dlclose(handle_);
}

int AudioConverter::convert(const std::string& source, const std::string& destination,
                            StopQuery stopQuery, void* context) const
{
    if (convert_ == nullptr)
        return 1;
    StopBridge bridge{stopQuery, context};
    const XToMp2StopHandle handle{&askStop, &bridge};
    return entryPoint<XToMp2Function>(convert_)(source.c_str(), destination.c_str(),
                                                stopQuery != nullptr ? &handle : nullptr);
}

int AudioConverter::timeLength(const std::string& path) const
{
    if (timeLength_ == nullptr)
        return 0;
    return entryPoint<GetFileTimeLengthFunction>(timeLength_)(path.c_str());
}

std::string AudioConverter::lastError() const
{
    if (lastError_ == nullptr)
        return std::string();
    const auto function = entryPoint<XToMp2LastErrorFunction>(lastError_);
    const int length = function(nullptr, 0);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    function(buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data());
}

bool StopWatch::stopRequested()
{
    if (stopped_.load())
        return true;
    if (event_ != nullptr && event_->test())
        stopped_.store(true);
    return stopped_.load();
}

bool StopWatch::query(void* stopWatch)
{
    return static_cast<StopWatch*>(stopWatch)->stopRequested();
}

int queryAudioDuration(const std::string& path)
{
    const AudioConverter converter;
    if (!converter.loaded())
        return 1;
    if (!converter.hasTimeLength())
        return 0;
    return converter.timeLength(path);
}

} // namespace pictavo
