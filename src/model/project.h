#pragma once

#include "effects/transition_settings_store.h"
#include "model/photo_settings.h"
#include "model/preferences.h"
#include "model/project_folders.h"
#include "model/resource_paths.h"
#include "model/slideshow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pictavo {

class ProfileCatalogue;

// The document: the slideshows of the project with the defaults new photos receive, the
// project's folders and the preferences. One lives for the whole process and is edited on the
// user-interface thread only.
class Project {
public:
    static constexpr int kMaxSlideshows = 50;
    static constexpr std::size_t kMaxSlideshowNameLength = 15;
    // Above this estimate the size check warns; above kHardSizeLimitMB the output is refused.
    static constexpr float kSizeWarningMB = 4000.0f;
    static constexpr float kHardSizeLimitMB = 4500.0f;

    // An empty project: no slideshows, default photo settings (Alpha transition, 2 s transition,
    // 3 s display, no motion, NTSC), the first-start preferences and resource paths of the
    // application folder, the process-wide output profile catalogue. Seeds the random
    // generator from the clock.
    Project();
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    // Slideshows.
    // 0: appended and made current. 1: the name (cut to 15 characters) is empty or already
    // used, or 50 slideshows exist (then a message says so).
    int addSlideshow(const std::string& name);
    // 0: removed and the current index adjusted; 1: index outside 0..count-1.
    int removeSlideshow(int index);
    void removeAllSlideshows();
    // Swaps with the neighbour; 0 also when nothing can move.
    int moveSlideshowUp(int index);
    int moveSlideshowDown(int index);
    // "Slideshow_<k>" with the first free k from the number of slideshows up.
    std::string nextSlideshowName() const;
    int slideshowCount() const { return static_cast<int>(slideshows_.size()); }
    // nullptr outside 0..count-1.
    Slideshow* slideshow(int index);
    const Slideshow* slideshow(int index) const;
    int currentSlideshow() const { return currentSlideshow_; }
    void setCurrentSlideshow(int index) { currentSlideshow_ = index; }
    int totalPhotoCount() const;

    // Settings of new photos and their application to every photo.
    PhotoSettings& defaults() { return defaults_; }
    const PhotoSettings& defaults() const { return defaults_; }
    // Every photo takes the defaults (copy rule of PhotoSettings::copyFrom), every slideshow
    // is re-timed, then the size check runs.
    void applyDefaultsToAllPhotos();
    // The same for the video standard alone.
    void applyVideoStandardToAllPhotos();

    // Files of the make-video job.
    // The first slideshow's joined music file when it has music, the silent music file when it
    // has none, "" without slideshows.
    std::string musicFileForJob() const;
    // Every slideshow's output file becomes "<folder>/<name>.<extension>".
    void setOutputFiles(const std::string& folder, const std::string& extension);
    // Every slideshow takes the first slideshow's joined music file.
    void shareFirstMusicFile();

    // Timing and size.
    // The sum of the slideshows' frame totals as of the last size check.
    int totalFrames() const { return totalFrames_; }
    // totalFrames divided by the defaults' frame rate, truncated.
    int totalSeconds() const;
    float estimatedSizeMB() const { return estimatedSizeMB_; }
    // Refreshes totalFrames and, when an output profile is selected, estimatedSizeMB from its
    // bit rates; warns when the estimate is above 4000 MB.
    void sizeCheck();
    // estimatedSizeMB > 4500.
    bool overHardLimit() const { return estimatedSizeMB_ > kHardSizeLimitMB; }

    // Folders, preferences and fixed paths.
    ProjectFolders& folders() { return folders_; }
    const ProjectFolders& folders() const { return folders_; }
    Preferences& preferences() { return preferences_; }
    const Preferences& preferences() const { return preferences_; }
    ResourcePaths& resourcePaths() { return resourcePaths_; }
    const ResourcePaths& resourcePaths() const { return resourcePaths_; }
    // The transition templates of the settings dialogs; read from and written to the
    // preferences file together with the preferences.
    TransitionSettingsStore& transitionStore() { return transitionStore_; }
    const TransitionSettingsStore& transitionStore() const { return transitionStore_; }
    const std::string& projectFile() const { return projectFile_; }
    void setProjectFile(std::string path) { projectFile_ = std::move(path); }

    // The output profile catalogue whose selected profile the size check reads.
    ProfileCatalogue& outputProfiles() { return *outputProfiles_; }
    const ProfileCatalogue& outputProfiles() const { return *outputProfiles_; }
    // Points the project at another catalogue (tests); the caller keeps it alive.
    void setOutputProfiles(ProfileCatalogue& catalogue) { outputProfiles_ = &catalogue; }

    // Flags.
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }
    bool refreshNeeded() const { return refreshNeeded_; }
    void setRefreshNeeded(bool refresh) { refreshNeeded_ = refresh; }

    // Called after a slideshow's cover changed (the main window refreshes its slideshow
    // tree). An empty function removes the observer.
    using CoverChangedObserver = std::function<void(Slideshow&)>;
    void setCoverChangedObserver(CoverChangedObserver observer)
    {
        coverChanged_ = std::move(observer);
    }
    void notifyCoverChanged(Slideshow& slideshow);

private:
    void renumber();

    std::vector<std::unique_ptr<Slideshow>> slideshows_;
    int currentSlideshow_ = -1;
    PhotoSettings defaults_;
    ProjectFolders folders_;
    Preferences preferences_;
    ResourcePaths resourcePaths_;
    TransitionSettingsStore transitionStore_;
    std::string projectFile_;
    ProfileCatalogue* outputProfiles_ = nullptr;
    bool modified_ = false;
    bool refreshNeeded_ = false;
    int totalFrames_ = 0;
    float estimatedSizeMB_ = 0.0f;
    CoverChangedObserver coverChanged_;
};

// The size estimate in MB of a length in seconds at the given video and audio bit rates
// (kilobits per second): seconds x (rate x 1.05 / 8192), the factor held as a float.
float estimateSizeMB(int totalSeconds, int videoKbps, int audioKbps);

} // namespace pictavo
