#pragma once

#include "profiles/output_profile.h"

#include <string>
#include <vector>

namespace pictavo {

class XmlDocument;

// The profiles of one group folder, in list_index order.
class ProfileGroup {
public:
    int id() const { return id_; }
    const std::string& desc() const { return desc_; }
    // Full path of the group folder.
    const std::string& folderPath() const { return folderPath_; }

    int profileCount() const { return static_cast<int>(profiles_.size()); }
    // The profile at a position, nullptr when the position is outside 0..count-1.
    OutputProfile* profileAt(int position);
    const OutputProfile* profileAt(int position) const;
    const std::vector<OutputProfile>& profiles() const { return profiles_; }

    // The selected profile, nullptr when the stored position is outside the list.
    OutputProfile* currentProfile() { return profileAt(currentProfile_); }
    const OutputProfile* currentProfile() const { return profileAt(currentProfile_); }
    int currentProfileIndex() const { return currentProfile_; }
    // Stores the position unchanged; the look-ups above guard every use.
    void setCurrentProfile(int position) { currentProfile_ = position; }

    // Builds the group from the document's current "group" element: reads id, desc and folder,
    // loads every profile file of baseFolder/folder and orders them. False when the element is
    // not a group, the folder yields no profile file or one of its profile files fails.
    bool load(XmlDocument& document, const std::string& baseFolder);

    // The profile files of a folder, sorted by name: regular files whose text after the last
    // "." (the whole name without a ".") is "xml" in any case. Empty when the folder cannot be
    // listed.
    static std::vector<std::string> profileFileNames(const std::string& folderPath);

    // Keeps, for every position p from 0 to n-1, the profiles whose list_index is p in their
    // given order; profiles with a list_index outside 0..n-1 are left out.
    static std::vector<OutputProfile> orderedByListIndex(std::vector<OutputProfile> profiles);

private:
    int id_ = 0;
    std::string desc_;
    std::string folderPath_;
    std::vector<OutputProfile> profiles_;
    int currentProfile_ = 0;
};

// The catalogue of output profiles installed beside the executable
// (profile/avoutput/profile_group.xml and its group folders). Nothing of it is written back.
class ProfileCatalogue {
public:
    // Replaces the contents with the catalogue under the given application folder. True when
    // every group the catalogue file announces was loaded; groups loaded before a failing one
    // stay. A missing, unreadable or unparsable catalogue file leaves no groups.
    bool load(const std::string& applicationFolder);
    void clear();

    const std::vector<ProfileGroup>& groups() const { return groups_; }
    int groupCount() const { return static_cast<int>(groups_.size()); }

    // The group in use (the first one), nullptr when there is none.
    ProfileGroup* currentGroup();
    const ProfileGroup* currentGroup() const;
    int currentGroupIndex() const { return currentGroup_; }

    // The current group's selected profile, nullptr when there is none.
    OutputProfile* currentProfile();
    const OutputProfile* currentProfile() const;

    // "profile/avoutput/profile_group.xml" and "profile/avoutput" under an application folder.
    static std::string catalogueFilePath(const std::string& applicationFolder);
    static std::string groupBaseFolder(const std::string& applicationFolder);

private:
    std::vector<ProfileGroup> groups_;
    int currentGroup_ = 0;
};

// The process-wide catalogue, loaded once at start-up and read by the timing, the make-video
// job and the create-video tab. Used from the user-interface thread; the make-video worker
// only reads it.
ProfileCatalogue& profileCatalogue();

} // namespace pictavo
