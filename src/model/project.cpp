#include "model/project.h"

#include "core/app_paths.h"
#include "core/notifier.h"
#include "core/random.h"
#include "core/result_codes.h"
#include "profiles/profile_catalogue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace pictavo {

namespace {

// The first maxCharacters characters of a UTF-8 text; a character is never cut in two.
std::string firstCharacters(const std::string& text, std::size_t maxCharacters)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80) {
            if (characters == maxCharacters)
                return text.substr(0, i);
            ++characters;
        }
    }
    return text;
}

} // namespace

float estimateSizeMB(int totalSeconds, int videoKbps, int audioKbps)
{
    const double rate = static_cast<double>(videoKbps) + audioKbps;
    const float factor = static_cast<float>(rate * static_cast<double>(1.05f) * (1.0 / 8192.0));
    return static_cast<float>(totalSeconds * static_cast<double>(factor));
}

Project::Project()
    : preferences_(Preferences::defaultsFor(applicationFolder())),
      resourcePaths_(ResourcePaths::fromApplicationFolder(applicationFolder())),
      outputProfiles_(&profileCatalogue())
{
    seedRandomFromTime();
}

int Project::addSlideshow(const std::string& requestedName)
{
    const std::string name = firstCharacters(requestedName, kMaxSlideshowNameLength);
    modified_ = true;
    for (const auto& slideshow : slideshows_) {
        if (slideshow->name() == name)
            return kResultFailed;
    }
    if (name.empty())
        return kResultFailed;
    if (slideshowCount() >= kMaxSlideshows) {
        char text[64];
        std::snprintf(text, sizeof text, "get to Max slideshow count %d!", kMaxSlideshows);
        notifier().showMessage(text);
        return kResultFailed;
    }
    refreshNeeded_ = true;
    slideshows_.push_back(std::make_unique<Slideshow>(name, folders_.workingFolder, this));
    currentSlideshow_ = slideshowCount() - 1;
    renumber();
    return kResultOk;
}

int Project::removeSlideshow(int index)
{
    refreshNeeded_ = true;
    modified_ = true;
    if (index < 0 || index >= slideshowCount())
        return kResultFailed;
    const bool wasSingle = slideshowCount() == 1;
    slideshows_.erase(slideshows_.begin() + index);
    if (currentSlideshow_ >= index && currentSlideshow_ > 0)
        --currentSlideshow_;
    if (wasSingle)
        currentSlideshow_ = -1;
    renumber();
    return kResultOk;
}

void Project::removeAllSlideshows()
{
    while (slideshowCount() > 0)
        removeSlideshow(0);
}

int Project::moveSlideshowUp(int index)
{
    refreshNeeded_ = true;
    modified_ = true;
    if (index <= 0 || index >= slideshowCount())
        return kResultOk;
    std::swap(slideshows_[index], slideshows_[index - 1]);
    if (currentSlideshow_ == index)
        currentSlideshow_ = index - 1;
    renumber();
    return kResultOk;
}

int Project::moveSlideshowDown(int index)
{
    refreshNeeded_ = true;
    modified_ = true;
    if (index < 0 || index >= slideshowCount() - 1)
        return kResultOk;
    std::swap(slideshows_[index], slideshows_[index + 1]);
    if (currentSlideshow_ == index)
        currentSlideshow_ = index + 1;
    renumber();
    return kResultOk;
}

std::string Project::nextSlideshowName() const
{
    for (int k = slideshowCount();; ++k) {
        const std::string name = "Slideshow_" + std::to_string(k);
        const bool used =
            std::any_of(slideshows_.begin(), slideshows_.end(),
                        [&](const auto& slideshow) { return slideshow->name() == name; });
        if (!used)
            return name;
    }
}

Slideshow* Project::slideshow(int index)
{
    if (index < 0 || index >= slideshowCount())
        return nullptr;
    return slideshows_[index].get();
}

const Slideshow* Project::slideshow(int index) const
{
    if (index < 0 || index >= slideshowCount())
        return nullptr;
    return slideshows_[index].get();
}

int Project::totalPhotoCount() const
{
    int count = 0;
    for (const auto& slideshow : slideshows_)
        count += slideshow->photoCount();
    return count;
}

void Project::applyDefaultsToAllPhotos()
{
    modified_ = true;
    for (auto& slideshow : slideshows_) {
        for (int i = 0; i < slideshow->photoCount(); ++i)
            slideshow->photo(i)->settings.copyFrom(defaults_);
        slideshow->recomputeTiming();
    }
    sizeCheck();
}

void Project::applyVideoStandardToAllPhotos()
{
    modified_ = true;
    for (auto& slideshow : slideshows_) {
        for (int i = 0; i < slideshow->photoCount(); ++i)
            slideshow->photo(i)->settings.videoStandard = defaults_.videoStandard;
        slideshow->recomputeTiming();
    }
    sizeCheck();
}

std::string Project::musicFileForJob() const
{
    if (slideshows_.empty())
        return std::string();
    const Slideshow& first = *slideshows_.front();
    return first.music().empty() ? resourcePaths_.silentMusic : first.mp2Path();
}

void Project::setOutputFiles(const std::string& folder, const std::string& extension)
{
    for (auto& slideshow : slideshows_)
        slideshow->setMpgPath(folder + "/" + slideshow->fileBaseName() + "." + extension);
}

void Project::shareFirstMusicFile()
{
    if (slideshows_.empty())
        return;
    const std::string path = slideshows_.front()->mp2Path();
    for (auto& slideshow : slideshows_)
        slideshow->setMp2Path(path);
}

int Project::totalSeconds() const
{
    return static_cast<int>(
        std::trunc(totalFrames_ / static_cast<double>(frameRate(defaults_.videoStandard))));
}

void Project::sizeCheck()
{
    long long frames = 0;
    for (const auto& slideshow : slideshows_)
        frames += slideshow->totalFrames();
    totalFrames_ = static_cast<int>(std::clamp<long long>(frames, std::numeric_limits<int>::min(),
                                                          std::numeric_limits<int>::max()));
    const OutputProfile* profile = outputProfiles_->currentProfile();
    if (!profile)
        return;
    estimatedSizeMB_ =
        estimateSizeMB(totalSeconds(), profile->videoBitrateValue(), profile->audioBitrateValue());
    if (estimatedSizeMB_ > kSizeWarningMB)
        notifier().showMessage("Length Is over 4000M! Please delete some Image or change Image "
                               "display time in Preference Screen!");
}

void Project::notifyCoverChanged(Slideshow& slideshow)
{
    if (coverChanged_)
        coverChanged_(slideshow);
}

void Project::renumber()
{
    for (int i = 0; i < slideshowCount(); ++i)
        slideshows_[i]->setIndex(i);
}

} // namespace pictavo
