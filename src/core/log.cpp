#include "core/log.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace pictavo {
namespace {

std::mutex& logMutex()
{
    static std::mutex m;
    return m;
}

std::string& logPath()
{
    static std::string path;
    return path;
}

} // namespace

void setLogFile(const std::string& path)
{
    std::lock_guard lock(logMutex());
    logPath() = path;
}

std::string logFile()
{
    std::lock_guard lock(logMutex());
    return logPath();
}

std::string formatLogLine(const std::string& message, long long unixSeconds)
{
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[64];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S, %b %d, %Y", &local);
    std::string line = stamp;
    line += ": ";
    line += message;
    line += '\n';
    return line;
}

void writeLog(const std::string& message)
{
    const std::string line = formatLogLine(message, static_cast<long long>(std::time(nullptr)));
    std::lock_guard lock(logMutex());
    if (logPath().empty())
        return;
    if (std::FILE* f = std::fopen(logPath().c_str(), "ab")) {
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    }
}

} // namespace pictavo
