#include "model/working_folders.h"

#include "core/app_paths.h"
#include "core/decimal.h"
#include "core/log.h"
#include "model/project.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace pictavo {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProjectFolderPrefix = "Project_";

bool isRealFolder(const fs::path& path)
{
    std::error_code error;
    return fs::symlink_status(path, error).type() == fs::file_type::directory;
}

// An absolute path with "." and ".." resolved and without a trailing separator.
fs::path normalised(const std::string& text)
{
    fs::path path = fs::path(text).lexically_normal();
    if (!path.has_filename() && path.has_parent_path() && path != path.root_path())
        path = path.parent_path();
    return path;
}

bool isFileSystemRoot(const fs::path& path)
{
    return path.empty() || path == path.root_path() || !path.has_relative_path();
}

// Removes a folder when it is a real, empty folder.
void removeEmptyFolder(const std::string& folder)
{
    if (folder.empty() || !isRealFolder(folder))
        return;
    std::error_code error;
    if (fs::is_empty(folder, error) && !error)
        fs::remove(folder, error);
}

void removeFolderTree(const std::string& folder)
{
    std::error_code error;
    fs::remove_all(folder, error);
    if (error)
        writeLog("cannot remove the folder " + folder + ": " + error.message());
}

// Moves one file into a folder under its own name; an existing file there is never replaced.
bool moveFileInto(const fs::path& file, const fs::path& folder)
{
    const fs::path target = folder / file.filename();
    std::error_code error;
    if (fs::exists(fs::symlink_status(target, error)))
        return false;
    fs::rename(file, target, error);
    if (!error)
        return true;
    // Another file system: copy, then remove the original.
    error.clear();
    if (!fs::copy_file(file, target, fs::copy_options::none, error) || error)
        return false;
    fs::remove(file, error);
    return !error;
}

} // namespace

bool isProjectTempFolder(const std::string& path, const std::string& workingFolder)
{
    if (path.empty() || workingFolder.empty())
        return false;
    const fs::path temp = normalised(path);
    const fs::path working = normalised(workingFolder);
    if (!temp.is_absolute() || !working.is_absolute() || isFileSystemRoot(working))
        return false;
    if (temp.filename() != "temp" || temp.parent_path() != working)
        return false;
    return isRealFolder(temp);
}

std::string nextProjectFolder(const std::string& base)
{
    long long highest = 0;
    std::error_code error;
    for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, kProjectFolderPrefix.size(), kProjectFolderPrefix) != 0)
            continue;
        highest = std::max<long long>(
            highest, decimalValue(std::string_view(name).substr(kProjectFolderPrefix.size())));
    }
    return base + "/" + std::string(kProjectFolderPrefix) + std::to_string(highest + 1);
}

std::string nextProjectFile(const std::string& folder)
{
    for (long long n = 0;; ++n) {
        const std::string candidate = folder + "/project" + std::to_string(n) + ".prg";
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error)))
            return candidate;
    }
}

void useWorkingFolder(Project& project, const std::string& workingFolder)
{
    project.folders() = ProjectFolders::forWorkingFolder(workingFolder);
    project.defaults().tempFolder = project.folders().tempFolder;
    project.defaults().outputFolder = project.folders().outputFolder;
}

void newProjectFolders(Project& project)
{
    useWorkingFolder(project, nextProjectFolder(writableFolder()));
    std::error_code error;
    fs::create_directories(project.folders().tempFolder, error);
    fs::create_directories(project.folders().outputFolder, error);
}

void changeWorkingFolder(Project& project, const std::string& base)
{
    const std::string newTemp = base + "/temp";
    const std::string oldTemp = project.defaults().tempFolder;
    if (newTemp == oldTemp)
        return;

    // Files are moved out of, and the old folder removed, only when it is a program-made
    // "temp" folder; a temp path from a hand-made project file that names another folder is
    // left as it is.
    const fs::path oldPath = normalised(oldTemp);
    const fs::path newPath = normalised(newTemp);
    const bool ownTemp = isProjectTempFolder(oldTemp, oldPath.parent_path().string());

    std::error_code error;
    fs::create_directories(newTemp, error);
    bool everyFileMoved = true;
    if (ownTemp) {
        // The listing is taken first; the folder is not changed while it is being read.
        std::vector<fs::path> files;
        for (fs::directory_iterator it(oldTemp, error), end; !error && it != end;
             it.increment(error)) {
            std::error_code statusError;
            if (it->symlink_status(statusError).type() != fs::file_type::directory)
                files.push_back(it->path());
        }
        if (error)
            everyFileMoved = false;
        for (const fs::path& file : files) {
            if (!moveFileInto(file, newTemp)) {
                writeLog("cannot move " + file.string() + " to " + newTemp);
                everyFileMoved = false;
            }
        }
    }

    // The old folder goes only when nothing of it stayed behind unmoved and the new temp
    // folder does not lie inside it.
    const auto relative = newPath.lexically_relative(oldPath);
    const bool newInsideOld = !relative.empty() && *relative.begin() != "..";
    if (ownTemp && everyFileMoved && !newInsideOld)
        removeFolderTree(oldTemp);

    project.folders().workingFolder = base;
    project.folders().tempFolder = newTemp;
    project.folders().outputFolder = base + "/Output";
    project.defaults().tempFolder = newTemp;
    project.defaults().outputFolder = base + "/Output";
    for (int i = 0; i < project.slideshowCount(); ++i)
        project.slideshow(i)->rebase(newTemp);
}

void cleanUnsavedProject(Project& project)
{
    std::error_code error;
    if (!project.projectFile().empty() &&
        fs::exists(fs::symlink_status(project.projectFile(), error)))
        return;
    const std::string& working = project.folders().workingFolder;
    const std::string& temp = project.defaults().tempFolder;
    if (isProjectTempFolder(temp, working))
        removeFolderTree(temp);
    const std::string& output = project.defaults().outputFolder;
    if (!output.empty() && !working.empty() && normalised(output) == normalised(working) / "Output")
        removeEmptyFolder(output);
    if (!working.empty() && normalised(working).is_absolute() &&
        !isFileSystemRoot(normalised(working)))
        removeEmptyFolder(working);
}

} // namespace pictavo
