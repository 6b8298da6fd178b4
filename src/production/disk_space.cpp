#include "production/disk_space.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdio>
#include <filesystem>

namespace pictavo {

namespace fs = std::filesystem;

namespace {

bool deviceOf(const fs::path& path, std::uint64_t& device)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return false;
    device = static_cast<std::uint64_t>(status.st_dev);
    return true;
}

std::string formatted(const char* format, double value)
{
    char text[256];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string formatted(const char* format, const std::string& drive, double value)
{
    char text[1024];
    std::snprintf(text, sizeof text, format, drive.c_str(), value);
    return text;
}

} // namespace

DriveSpace SystemDiskSpace::query(const std::string& folder) const
{
    DriveSpace space;
    std::error_code error;
    fs::path path = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), error);
    if (error)
        return space;
    path = path.lexically_normal();
    // The nearest folder that exists.
    std::uint64_t device = 0;
    while (!deviceOf(path, device)) {
        if (!path.has_relative_path())
            return space;
        path = path.parent_path();
    }
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0)
        return space;
    space.known = true;
    space.device = device;
    space.freeBytes = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
    space.totalBytes = static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize;
    // The mount point: climb while the parent is on the same file system.
    fs::path mount = path;
    while (mount.has_relative_path()) {
        std::uint64_t parentDevice = 0;
        if (!deviceOf(mount.parent_path(), parentDevice) || parentDevice != device)
            break;
        mount = mount.parent_path();
    }
    space.name = mount.string();
    return space;
}

DiskSpaceSource& systemDiskSpace()
{
    static SystemDiskSpace source;
    return source;
}

DiskSpaceVerdict judgeDiskSpace(float neededMB, const DriveSpace& output, const DriveSpace& work)
{
    DiskSpaceVerdict verdict;
    const double need = neededMB;
    const bool sameDrive = output.known && work.known && output.device == work.device;
    if (sameDrive) {
        const double twice = 2.0 * need;
        if (twice > static_cast<double>(output.freeMB())) {
            verdict.enough = false;
            verdict.outputDriveTooSmall = true;
            char text[1024];
            std::snprintf(text, sizeof text,
                          " No enough space, please change a driver, you need %.0fM disk "
                          "space,\n and %s driver need %.0fM disk space!",
                          twice, output.name.c_str(), twice);
            verdict.message = text;
        }
        return verdict;
    }
    if (need > static_cast<double>(output.freeMB())) {
        verdict.enough = false;
        verdict.outputDriveTooSmall = true;
        verdict.message =
            formatted(" No enough space, please change a driver, you need %.0fM disk space", need);
    } else if (need > static_cast<double>(work.freeMB())) {
        verdict.enough = false;
        verdict.message = formatted(
            "%s driver need more then %.0fM free space. Please free no use file and then try "
            "again!",
            work.name, need);
    }
    return verdict;
}

} // namespace pictavo
