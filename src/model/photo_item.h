#pragma once

#include "model/photo_edit.h"
#include "model/photo_settings.h"

#include <QImage>
#include <QSize>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pictavo {

// Thumbnail sizes by index: 0: 60 x 45, 1: 80 x 60, 2: 160 x 120, 3: 320 x 240.
inline constexpr std::array<QSize, 4> kThumbnailSizes = {QSize(60, 45), QSize(80, 60),
                                                         QSize(160, 120), QSize(320, 240)};
// thumbnailSize of a photo that has no thumbnail.
inline constexpr int kNoThumbnail = 5;
// The cover of a slideshow is always 80 x 60 (thumbnail size index 1).
inline constexpr int kCoverThumbnailSize = 1;

// A file size as the photo list shows it: "0KB", "1KB" up to one KiB, whole KiB ("1024KB") up
// to one MiB, whole MiB ("1024MB") up to one GiB, and above that GiB with one decimal ("1.5GB").
std::string fileSizeText(std::uint64_t fileSize);

// The picture of a file fitted whole into a box of the given size: scaled by the smaller of the
// two ratios with a smooth filter, centred, on an opaque white background (Format_RGB32). Only
// as much of the file is decoded as the box needs. A null image when the file cannot be decoded;
// error (when given) then says why.
QImage letterBoxedPicture(const std::string& path, QSize box, std::string* error = nullptr);

// One photo of a slideshow.
struct PhotoItem {
    // The file the user added; never changes.
    std::string originalPath;
    // The picture the renderer and the editors read: originalPath until an edit or a rotation
    // writes a working copy into the temp folder.
    std::string workingPath;
    // File name with extension of originalPath.
    std::string displayName;
    // Last modification of the file when it was added, seconds since 1970 (UTC).
    std::int64_t modifiedTime = 0;
    PhotoSettings settings;
    // Start of the photo within its slideshow (set by the slideshow's timing).
    int startSeconds = 0;
    std::string startText = "00:00:00";
    // Applied in list order by the photo editor.
    std::vector<PhotoEdit> edits;
    int brightnessPos = 0;
    int contrastPos = 0;
    int sharpenTimes = 0;
    int softenTimes = 0;
    std::uint64_t fileSize = 0;
    std::string sizeText = "0KB";
    // The file type's description for the detail list; iconIndex is always 0 here.
    std::string typeName;
    int iconIndex = 0;
    // Letter-boxed preview picture of size kThumbnailSizes[thumbnailSize]; null while
    // thumbnailSize is kNoThumbnail.
    QImage thumbnail;
    int thumbnailSize = kNoThumbnail;
    // Photo editor state, not saved with the project.
    bool changedInEditor = false;
    bool savedInEditor = false;
    bool listWrittenByEditor = false;

    // Fills the fields from a file: paths, display name, modification time, size and its text,
    // type description. False when the file cannot be opened or its status read.
    bool create(const std::string& path);

    // Turns the working picture by 90 degrees anticlockwise / clockwise and saves it in the
    // same format as the photo's working copy in "<workingFolder>/temp" (see workingCopyPath).
    // 0 on success; -1 when the extension names no picture format or when loading, turning or
    // saving fails, and the photo is then unchanged.
    int rotateLeft(const std::string& workingFolder);
    int rotateRight(const std::string& workingFolder);

    // Where this photo's working copy goes in a temp folder, keeping the extension of the
    // working picture: the photo's existing copy when it already lies in that folder, else
    // the display name, with "_1", "_2" ... added before the extension while a file of that
    // name exists (so photos with the same file name from different folders never share one
    // copy).
    std::string workingCopyPath(const std::string& tempFolder) const;

    // Builds the thumbnail of a size index (0..3) when there is none yet or force is set.
    // False when the index is outside 0..3 or the picture cannot be decoded (the photo then
    // has no thumbnail).
    bool makeThumbnail(int sizeIndex, bool force);

    // Makes the 80 x 60 thumbnail (thumbnailSize 1) and writes it as a BMP file. False when the
    // picture cannot be decoded or the file cannot be written.
    bool renderCover(const std::string& outputPath);

    // Sets startSeconds and startText.
    void setStartSeconds(int seconds);

    // Appends a copy of a text or decoration overlay; other kinds are ignored.
    void addOverlay(const PhotoEdit& edit);
    void addOverlay(const TextOverlay& overlay);
    void addOverlay(const ImageOverlay& overlay);

    // Moves a working copy into another folder: when workingPath differs from originalPath it
    // becomes folder + "/" + the copy's file name; otherwise nothing changes.
    void rebase(const std::string& folder);

private:
    int rotate(const std::string& workingFolder, bool left);
};

} // namespace pictavo
