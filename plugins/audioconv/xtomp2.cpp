// The exported entry points of libxToMp2.so.

#include "xtomp2.h"

#include "mp2_conversion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>

namespace {

// One text for the whole process rather than one per thread: thread-local storage in a library
// that is loaded and unloaded for every call outlives the unloading.
std::mutex errorMutex;
std::string lastError;

int finish(int result, const std::string& error)
{
    const std::lock_guard lock(errorMutex);
    lastError = error;
    return result;
}

} // namespace

extern "C" {

XTOMP2_API int xToMp2(const char* sourcePath, const char* destinationPath,
                      const XToMp2StopHandle* stop)
{
    if (sourcePath == nullptr || destinationPath == nullptr) {
        return finish(XTOMP2_FAILED, "no source or destination file named");
    }
    std::string error;
    const int result = pictavo::audioconv::convertToMp2(sourcePath, destinationPath, stop, error);
    return finish(result, error);
}

XTOMP2_API int GetFileTimeLength(const char* path)
{
    if (path == nullptr) {
        return finish(0, "no audio file named");
    }
    std::string error;
    const int seconds = pictavo::audioconv::measureSeconds(path, error);
    return finish(seconds, error);
}

XTOMP2_API int xToMp2LastError(char* buffer, int size)
{
    const std::lock_guard lock(errorMutex);
    if (buffer != nullptr && size > 0) {
        const size_t copied = std::min(lastError.size(), static_cast<size_t>(size) - 1);
        std::memcpy(buffer, lastError.data(), copied);
        buffer[copied] = '\0';
    }
    return static_cast<int>(std::min<size_t>(lastError.size(), INT32_MAX));
}

} // extern "C"
