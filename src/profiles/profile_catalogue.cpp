#include "profiles/profile_catalogue.h"

#include "core/app_paths.h"
#include "core/xml_document.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace pictavo {

namespace {

// True when the text after the last "." of a file name (the whole name without a ".") is
// "xml" in any case.
bool hasProfileExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    const std::string_view extension =
        dot == std::string::npos ? std::string_view(name) : std::string_view(name).substr(dot + 1);
    if (extension.size() != 3) {
        return false;
    }
    static constexpr char kXml[] = "xml";
    for (std::size_t i = 0; i < 3; ++i) {
        char c = extension[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != kXml[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

OutputProfile* ProfileGroup::profileAt(int position)
{
    if (position < 0 || position >= profileCount()) {
        return nullptr;
    }
    return &profiles_[static_cast<std::size_t>(position)];
}

const OutputProfile* ProfileGroup::profileAt(int position) const
{
    if (position < 0 || position >= profileCount()) {
        return nullptr;
    }
    return &profiles_[static_cast<std::size_t>(position)];
}

std::vector<std::string> ProfileGroup::profileFileNames(const std::string& folderPath)
{
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(folderPath, error);
    if (error) {
        return names;
    }
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        if (error) {
            break;
        }
        // A folder is not a profile file, whatever its name.
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) {
            continue;
        }
        std::string name = it->path().filename().string();
        if (hasProfileExtension(name)) {
            names.push_back(std::move(name));
        }
    }
    // Listing order of the file system is arbitrary; name order keeps every run alike.
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<OutputProfile> ProfileGroup::orderedByListIndex(std::vector<OutputProfile> profiles)
{
    const int count = static_cast<int>(profiles.size());
    std::vector<OutputProfile> ordered;
    ordered.reserve(profiles.size());
    for (OutputProfile& profile : profiles) {
        if (profile.listIndex() >= 0 && profile.listIndex() < count) {
            ordered.push_back(std::move(profile));
        }
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const OutputProfile& a, const OutputProfile& b) {
                         return a.listIndex() < b.listIndex();
                     });
    return ordered;
}

bool ProfileGroup::load(XmlDocument& document, const std::string& baseFolder)
{
    if (document.tagName() != "group") {
        return false;
    }
    id_ = decimalValue(document.attribute("id"));
    desc_ = document.attribute("desc");
    folderPath_ = joinPath(baseFolder, document.attribute("folder"));
    profiles_.clear();
    currentProfile_ = 0;

    std::vector<OutputProfile> loaded;
    for (const std::string& name : profileFileNames(folderPath_)) {
        OutputProfile profile;
        if (!profile.loadFile(joinPath(folderPath_, name))) {
            return false;
        }
        loaded.push_back(std::move(profile));
    }
    if (loaded.empty()) {
        return false;
    }
    profiles_ = orderedByListIndex(std::move(loaded));
    return true;
}

std::string ProfileCatalogue::catalogueFilePath(const std::string& applicationFolder)
{
    return joinPath(groupBaseFolder(applicationFolder), "profile_group.xml");
}

std::string ProfileCatalogue::groupBaseFolder(const std::string& applicationFolder)
{
    return joinPath(joinPath(applicationFolder, "profile"), "avoutput");
}

void ProfileCatalogue::clear()
{
    groups_.clear();
    currentGroup_ = 0;
}

bool ProfileCatalogue::load(const std::string& applicationFolder)
{
    clear();
    const std::string baseFolder = groupBaseFolder(applicationFolder);
    XmlDocument document;
    if (!readProfileDocument(catalogueFilePath(applicationFolder), document)) {
        return false;
    }
    if (!document.findElement("av_output_profile_group")) {
        return false;
    }
    const int count = decimalValue(document.attribute("count"));
    if (!document.enterElement()) {
        return false;
    }
    int appended = 0;
    while (appended < count) {
        if (!document.findElement() || document.tagName() != "group") {
            break;
        }
        ProfileGroup group;
        if (!group.load(document, baseFolder)) {
            break;
        }
        groups_.push_back(std::move(group));
        ++appended;
    }
    return appended == count;
}

ProfileGroup* ProfileCatalogue::currentGroup()
{
    if (currentGroup_ < 0 || currentGroup_ >= groupCount()) {
        return nullptr;
    }
    return &groups_[static_cast<std::size_t>(currentGroup_)];
}

const ProfileGroup* ProfileCatalogue::currentGroup() const
{
    if (currentGroup_ < 0 || currentGroup_ >= groupCount()) {
        return nullptr;
    }
    return &groups_[static_cast<std::size_t>(currentGroup_)];
}

OutputProfile* ProfileCatalogue::currentProfile()
{
    ProfileGroup* group = currentGroup();
    return group ? group->currentProfile() : nullptr;
}

const OutputProfile* ProfileCatalogue::currentProfile() const
{
    const ProfileGroup* group = currentGroup();
    return group ? group->currentProfile() : nullptr;
}

ProfileCatalogue& profileCatalogue()
{
    static ProfileCatalogue catalogue;
    return catalogue;
}

} // namespace pictavo
