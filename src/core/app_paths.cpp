#include "core/app_paths.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <unistd.h>

namespace pictavo {
namespace {

struct Folders {
    std::mutex mutex;
    std::string application;
    std::string writable;
};

Folders& folders()
{
    static Folders f;
    return f;
}

std::string executableFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::filesystem::current_path(ec).string();
    return exe.parent_path().string();
}

std::string userDataFolder()
{
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::string(home) + "/.local/share";
    else
        base = "/tmp";
    return base + "/pictavo";
}

} // namespace

std::string applicationFolder()
{
    Folders& f = folders();
    std::lock_guard lock(f.mutex);
    if (!f.application.empty())
        return f.application;
    if (const char* env = std::getenv("PICTAVO_APP_DIR"); env && *env)
        return env;
    return executableFolder();
}

std::string writableFolder()
{
    {
        Folders& f = folders();
        std::lock_guard lock(f.mutex);
        if (!f.writable.empty())
            return f.writable;
    }
    const std::string app = applicationFolder();
    if (::access(app.c_str(), W_OK) == 0)
        return app;
    const std::string data = userDataFolder();
    std::error_code ec;
    std::filesystem::create_directories(data, ec);
    return data;
}

void setApplicationFolder(const std::string& folder)
{
    Folders& f = folders();
    std::lock_guard lock(f.mutex);
    f.application = folder;
}

void setWritableFolder(const std::string& folder)
{
    Folders& f = folders();
    std::lock_guard lock(f.mutex);
    f.writable = folder;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

} // namespace pictavo
