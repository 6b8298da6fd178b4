#include "model/slideshow.h"

#include "core/result_codes.h"
#include "core/time_text.h"
#include "model/file_names.h"
#include "model/project.h"
#include "raster/raster_image.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pictavo {

namespace {

// Moves the element at from so that it ends up at position to, keeping the others in order.
template <typename T> void moveElement(std::vector<T>& items, int from, int to)
{
    if (from < to)
        std::rotate(items.begin() + from, items.begin() + from + 1, items.begin() + to + 1);
    else if (to < from)
        std::rotate(items.begin() + to, items.begin() + from, items.begin() + from + 1);
}

// Truncation toward zero of a frame or second count. Durations from a hand-edited project
// file can be absurd; counts beyond the int range stop at its ends instead of wrapping.
int truncated(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(value, lowest, highest));
}

std::string withoutExtension(const std::string& name)
{
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

Slideshow::Slideshow(std::string name, const std::string& workingFolder, Project* owner)
    : name_(std::move(name)), owner_(owner)
{
    if (!workingFolder.empty())
        setPaths(workingFolder + "/temp");
}

std::string Slideshow::fileBaseName() const
{
    return safeFileName(name_);
}

void Slideshow::setPaths(const std::string& folder)
{
    const std::string base = folder + "/" + fileBaseName();
    yuvPath_ = base + ".yuv";
    m2vPath_ = base + ".m2v";
    mp2Path_ = base + ".mp2";
    mpgPath_ = base + ".mpg";
    coverPath_ = folder + "/cover_" + fileBaseName() + ".bmp";
}

void Slideshow::markModified()
{
    if (owner_)
        owner_->setModified(true);
}

PhotoItem* Slideshow::photo(int index)
{
    if (index < 0 || index >= photoCount())
        return nullptr;
    return photos_[index].get();
}

const PhotoItem* Slideshow::photo(int index) const
{
    if (index < 0 || index >= photoCount())
        return nullptr;
    return photos_[index].get();
}

int Slideshow::addPhoto(const std::string& path, const PhotoSettings& defaults)
{
    markModified();
    if (path.empty())
        return kResultFailed;
    for (const auto& photo : photos_) {
        if (photo->workingPath == path)
            return kResultFailed;
    }
    // The header alone tells whether the file is a picture; decoding waits for the thumbnail.
    if (!probeImage(path).ok())
        return kResultFailed;
    auto photo = std::make_unique<PhotoItem>();
    if (!photo->create(path))
        return kResultFailed;
    photo->settings.copyFrom(defaults);
    photos_.push_back(std::move(photo));
    recomputeTiming();
    if (photoCount() == 1)
        setCoverIndex(0);
    return kResultOk;
}

void Slideshow::appendPhoto(std::unique_ptr<PhotoItem> photo)
{
    if (!photo)
        return;
    photos_.push_back(std::move(photo));
    recomputeTiming();
}

int Slideshow::removePhoto(int index)
{
    if (index < 0 || index >= photoCount())
        return kResultFailed;
    markModified();
    photos_.erase(photos_.begin() + index);
    recomputeTiming();
    return kResultOk;
}

void Slideshow::removePhotos(const std::vector<int>& indices)
{
    bool coverRemoved = false;
    for (auto k = indices.size(); k-- > 0;) {
        if (indices[k] == coverIndex_)
            coverRemoved = true;
        removePhoto(indices[k]);
    }
    recomputeTiming();
    if (coverRemoved && photoCount() > 0)
        setCoverIndex(0);
}

int Slideshow::movePhotos(std::vector<int>& indices, int target, bool before)
{
    markModified();
    int anchor = target;
    const int count = photoCount();
    for (std::size_t k = 0; k < indices.size(); ++k) {
        const int e = indices[k];
        if (e < 0 || e > count - 1 || anchor < 0 || anchor > count - 1) {
            recomputeTiming();
            return -1;
        }
        // The photo is put in front of the insertion point and its old entry removed; where the
        // insertion point is the photo itself, nothing moves.
        const int insertAt = before ? anchor : anchor + 1;
        if (insertAt < e)
            moveElement(photos_, e, insertAt);
        else if (insertAt > e + 1)
            moveElement(photos_, e, insertAt - 1);
        for (std::size_t later = k + 1; later < indices.size(); ++later) {
            if (indices[later] < insertAt)
                --indices[later];
        }
        if (before) {
            if (anchor < e) {
                indices[k] = anchor;
                ++anchor;
            } else {
                indices[k] = anchor - 1;
            }
        } else {
            if (e < anchor) {
                indices[k] = anchor;
                --anchor;
            } else {
                indices[k] = anchor + 1;
            }
        }
    }
    recomputeTiming();
    return anchor;
}

void Slideshow::setImageEffectMode(const std::vector<int>& indices, ImageEffectMode mode)
{
    markModified();
    for (int index : indices) {
        if (PhotoItem* item = photo(index))
            item->settings.effect.imageEffectId = imageEffectForMode(mode);
    }
}

void Slideshow::setDisplaySeconds(const std::vector<int>& indices, int seconds)
{
    markModified();
    for (int index : indices) {
        if (PhotoItem* item = photo(index))
            item->settings.effect.displaySeconds = seconds;
    }
    recomputeTiming();
}

void Slideshow::setTransition(const std::vector<int>& indices, const TransitionSettings& settings)
{
    markModified();
    for (int index : indices) {
        if (PhotoItem* item = photo(index))
            item->settings.effect.transition = TransitionSettings::createFromTemplate(settings);
    }
}

void Slideshow::setTransitionSeconds(const std::vector<int>& indices, int seconds)
{
    markModified();
    for (int index : indices) {
        if (PhotoItem* item = photo(index))
            item->settings.effect.transitionSeconds = seconds;
    }
    recomputeTiming();
}

int Slideshow::setCoverIndex(int index)
{
    coverIndex_ = index;
    markModified();
    if (index > photoCount() - 1)
        return photoCount() - 1;
    const bool rendered = regenerateCover();
    if (owner_) {
        owner_->setRefreshNeeded(true);
        owner_->notifyCoverChanged(*this);
    }
    return rendered ? kResultOk : kResultFailed;
}

PhotoItem* Slideshow::coverPhoto()
{
    if (photos_.empty())
        return nullptr;
    coverIndex_ = std::clamp(coverIndex_, 0, photoCount() - 1);
    return photos_[coverIndex_].get();
}

bool Slideshow::regenerateCover()
{
    PhotoItem* cover = coverPhoto();
    if (!cover || coverPath_.empty())
        return false;
    return cover->renderCover(coverPath_);
}

int Slideshow::recomputeTiming()
{
    if (photos_.empty()) {
        totalFrames_ = 0;
        return 0;
    }
    // The rate is a float; every expression is evaluated in double and truncated at its end.
    const double rate = frameRate(photos_.front()->settings.videoStandard);
    int frames = 0;
    for (const auto& photo : photos_) {
        photo->setStartSeconds(truncated(frames / rate));
        const PhotoEffect& effect = photo->settings.effect;
        const double seconds =
            static_cast<double>(effect.displaySeconds) + effect.transitionSeconds;
        frames = truncated(seconds * rate + frames);
    }
    if (frames == 0) {
        totalFrames_ = 0;
        return 0;
    }
    // One second of opening; the first photo's display time and the last photo's transition
    // are not counted.
    frames = truncated(frames + rate);
    const double uncounted =
        static_cast<double>(photos_.back()->settings.effect.transitionSeconds) +
        photos_.front()->settings.effect.displaySeconds;
    frames = truncated(frames - uncounted * rate);
    totalFrames_ = frames;
    return totalFrames_;
}

double Slideshow::totalSeconds() const
{
    if (photos_.empty())
        return 0.0;
    return totalFrames_ / static_cast<double>(frameRate(photos_.front()->settings.videoStandard));
}

void Slideshow::recomputeMusicTimes()
{
    int start = 0;
    for (AudioTrack& track : music_) {
        track.startSeconds = start;
        track.startText = timeText(start);
        start += track.durationSeconds;
    }
}

void Slideshow::setMusicFile(const std::string& extension, const std::string& folder)
{
    mp2Path_ = folder + "/" + fileBaseName() + "." + extension;
    for (AudioTrack& track : music_)
        track.mp2Path = folder + "/" + safeFileName(withoutExtension(track.name)) + "." + extension;
}

void Slideshow::rebase(const std::string& folder)
{
    setPaths(folder);
    for (AudioTrack& track : music_)
        track.mp2Path = folder + "/" + safeFileName(track.name) + ".mp2";
    for (auto& photo : photos_)
        photo->rebase(folder);
}

} // namespace pictavo
