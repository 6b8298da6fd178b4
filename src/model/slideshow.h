#pragma once

#include "model/audio_track.h"
#include "model/photo_item.h"

#include <memory>
#include <string>
#include <vector>

namespace pictavo {

class Project;

// An ordered list of photos with a music list; it becomes one video file. Photos are owned by
// the slideshow and keep their addresses while they stay in it.
class Slideshow {
public:
    // A slideshow of the given name whose temporary files lie in "<workingFolder>/temp".
    // owner (may be null) receives the modified and refresh flags and the cover notification.
    Slideshow(std::string name, const std::string& workingFolder, Project* owner = nullptr);
    Slideshow(const Slideshow&) = delete;
    Slideshow& operator=(const Slideshow&) = delete;

    const std::string& name() const { return name_; }
    int index() const { return index_; }
    void setIndex(int index) { index_ = index; }

    // The file name the slideshow's files are derived from: its name with characters that
    // cannot stand in a file name written as "%XX" (see safeFileName).
    std::string fileBaseName() const;

    // Temporary and output files. Filled from the working folder when the slideshow is
    // created, re-pointed by rebase, setOutputFiles and setMusicFile.
    const std::string& yuvPath() const { return yuvPath_; }
    const std::string& m2vPath() const { return m2vPath_; }
    const std::string& mp2Path() const { return mp2Path_; }
    const std::string& mpgPath() const { return mpgPath_; }
    const std::string& coverPath() const { return coverPath_; }
    void setMp2Path(std::string path) { mp2Path_ = std::move(path); }
    void setMpgPath(std::string path) { mpgPath_ = std::move(path); }

    // Photos in show order.
    int photoCount() const { return static_cast<int>(photos_.size()); }
    // nullptr outside 0..count-1.
    PhotoItem* photo(int index);
    const PhotoItem* photo(int index) const;

    // The music list, filled by the audio preparation.
    std::vector<AudioTrack>& music() { return music_; }
    const std::vector<AudioTrack>& music() const { return music_; }

    // Appends a photo made from a file and gives it the project's defaults. 0 on success;
    // 1 for an empty path, a file already in the slideshow (same working path), a file that
    // is not a picture, or one that cannot be read. The first photo becomes the cover.
    int addPhoto(const std::string& path, const PhotoSettings& defaults);
    // Appends a photo built by the caller (the project file loader); it is re-timed.
    void appendPhoto(std::unique_ptr<PhotoItem> photo);
    // 0: removed and re-timed; 1: index outside 0..count-1. The cover index is left as it is.
    int removePhoto(int index);
    // Removes the photos at the given indices (ascending) from the last to the first, then
    // re-times. When the cover was among them and photos remain, photo 0 becomes the cover.
    void removePhotos(const std::vector<int>& indices);
    // Moves the photos at the given indices (ascending) directly before or after the photo at
    // target. The list is rewritten with the photos' new positions. The result is the final
    // anchor index, or -1 when an index or the anchor left the list (the moves made so far
    // stay).
    int movePhotos(std::vector<int>& indices, int target, bool before);

    // Edits of the listed photos (indices outside the list are passed over).
    // A fresh motion effect drawn from the mode; the photos' stored mode is left as it was.
    void setImageEffectMode(const std::vector<int>& indices, ImageEffectMode mode);
    void setDisplaySeconds(const std::vector<int>& indices, int seconds);
    // Each photo gets its own value made from the given one (Random resolved per photo).
    void setTransition(const std::vector<int>& indices, const TransitionSettings& settings);
    void setTransitionSeconds(const std::vector<int>& indices, int seconds);

    int coverIndex() const { return coverIndex_; }
    // Stores the index (without rendering) when the project file is read.
    void setCoverIndexValue(int index) { coverIndex_ = index; }
    // Stores the index. When it lies beyond the last photo the result is count-1 and nothing
    // more happens; otherwise the cover file is rendered, the project is told to refresh and
    // the cover observer is called (the result is then 0, or 1 when the cover could not be
    // written).
    int setCoverIndex(int index);
    // The photo at the cover index after clamping the index into 0..count-1 (the clamped value
    // is stored); nullptr when the slideshow has no photos.
    PhotoItem* coverPhoto();
    // Renders the cover photo into coverPath. False without photos or when it fails.
    bool regenerateCover();

    // Sets every photo's start and the frame total; returns the total.
    int recomputeTiming();
    int totalFrames() const { return totalFrames_; }
    // 0 without photos, else the frame total divided by the first photo's frame rate.
    double totalSeconds() const;
    // Sets every music track's start from the lengths of the tracks before it.
    void recomputeMusicTimes();

    // The slideshow's joined music file becomes "<folder>/<name>.<extension>", every track's
    // MP2 file "<folder>/<track name without extension>.<extension>".
    void setMusicFile(const std::string& extension, const std::string& folder);
    // Re-points every temporary file under folder: the slideshow's files, the tracks' MP2
    // files and the photos' working copies.
    void rebase(const std::string& folder);

private:
    void markModified();
    void setPaths(const std::string& folder);

    std::string name_;
    int index_ = 0;
    Project* owner_ = nullptr;
    std::vector<std::unique_ptr<PhotoItem>> photos_;
    std::vector<AudioTrack> music_;
    int coverIndex_ = 0;
    int totalFrames_ = 0;
    std::string yuvPath_;
    std::string m2vPath_;
    std::string mp2Path_;
    std::string mpgPath_;
    std::string coverPath_;
};

} // namespace pictavo
