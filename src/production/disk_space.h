#pragma once

// Free space of the file systems the make-video job writes to. Two folders are on the same
// drive when they lie on the same file system.

#include <cstdint>
#include <string>

namespace pictavo {

// What is known of the file system that holds a folder.
struct DriveSpace {
    bool known = false;          // false when the file system could not be asked
    std::uint64_t device = 0;    // the file system's device number
    std::string name;            // its mount point, shown in messages
    std::uint64_t freeBytes = 0; // space an ordinary user may still write
    std::uint64_t totalBytes = 0;

    // Bytes divided by 2^20, truncated.
    std::int64_t freeMB() const { return static_cast<std::int64_t>(freeBytes >> 20); }
    std::int64_t totalMB() const { return static_cast<std::int64_t>(totalBytes >> 20); }
};

// Where the free space comes from; tests give a fake one.
class DiskSpaceSource {
public:
    virtual ~DiskSpaceSource() = default;
    // The file system of a folder. A folder that does not exist yet is measured on the
    // nearest folder above it that does.
    virtual DriveSpace query(const std::string& folder) const = 0;
};

// Asks the operating system (stat and statvfs).
class SystemDiskSpace : public DiskSpaceSource {
public:
    DriveSpace query(const std::string& folder) const override;
};

// The process-wide system source.
DiskSpaceSource& systemDiskSpace();

// Whether the estimated output fits: on different drives the output drive and the working
// drive each need the estimate; on one drive it needs twice the estimate. False with the
// message to show (and outputDriveTooSmall set when the output folder must change, which
// disables the Create button) when it does not fit.
struct DiskSpaceVerdict {
    bool enough = true;
    bool outputDriveTooSmall = false;
    std::string message;
};
DiskSpaceVerdict judgeDiskSpace(float neededMB, const DriveSpace& output, const DriveSpace& work);

} // namespace pictavo
