#include "model/photo_item.h"

#include "core/log.h"
#include "core/time_text.h"
#include "model/file_names.h"
#include "raster/raster_image.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace pictavo {

namespace {

QString localPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

bool fileExists(const std::string& path)
{
    return QFileInfo::exists(localPath(path));
}

// The extension of a file name as written (after the last "."), "" without one.
std::string extensionAsWritten(const std::string& fileName)
{
    const auto dot = fileName.find_last_of('.');
    return dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
}

std::string stemOf(const std::string& fileName)
{
    const auto dot = fileName.find_last_of('.');
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

// The formats a photo may be turned in: the accepted picture extensions.
bool isRotatableExtension(const std::string& lowerExtension)
{
    const auto& accepted = acceptedImageExtensions();
    return std::find(accepted.begin(), accepted.end(), lowerExtension) != accepted.end();
}

} // namespace

std::string fileSizeText(std::uint64_t fileSize)
{
    const auto high = static_cast<std::int32_t>(fileSize >> 32);
    const auto low = static_cast<std::uint32_t>(fileSize & 0xffffffffu);
    char text[32];
    if (high < 0) {
        std::snprintf(text, sizeof text, "0%s", "KB");
    } else if (high > 0 || low > 1073741824u) {
        // Tenths of a GiB, rounded down so that the text never overstates the size.
        const std::uint64_t tenths = fileSize * 10 / 1073741824u;
        std::snprintf(text, sizeof text, "%llu.%lluGB",
                      static_cast<unsigned long long>(tenths / 10),
                      static_cast<unsigned long long>(tenths % 10));
    } else if (low > 1048576u) {
        std::snprintf(text, sizeof text, "%d%s", static_cast<int>(low >> 20), "MB");
    } else if (low > 1024u) {
        std::snprintf(text, sizeof text, "%d%s", static_cast<int>(low >> 10), "KB");
    } else if (low > 0) {
        std::snprintf(text, sizeof text, "1%s", "KB");
    } else {
        std::snprintf(text, sizeof text, "0%s", "KB");
    }
    return text;
}

QImage letterBoxedPicture(const std::string& path, QSize box, std::string* error)
{
    if (box.isEmpty()) {
        if (error)
            *error = "empty picture box";
        return QImage();
    }
    DecodedImage decoded = decodeImage(path, box);
    if (!decoded.ok() || decoded.image.isNull()) {
        if (error)
            *error = decoded.error.empty() ? "cannot decode " + path : decoded.error;
        return QImage();
    }
    // The geometry follows the whole picture; a reduced decode only supplies the pixels.
    const QSize full = decoded.fullSize.isValid() && !decoded.fullSize.isEmpty()
                           ? decoded.fullSize
                           : decoded.image.size();
    const double widthRatio = static_cast<double>(box.width()) / full.width();
    const double heightRatio = static_cast<double>(box.height()) / full.height();
    const double scale = std::min(widthRatio, heightRatio);
    const double drawnWidth = full.width() * scale;
    const double drawnHeight = full.height() * scale;
    int x = 0;
    int y = 0;
    if (heightRatio < widthRatio)
        x = static_cast<int>((box.width() - drawnWidth) / 2);
    else
        y = static_cast<int>((box.height() - drawnHeight) / 2);
    const QSize target(std::clamp(static_cast<int>(std::lround(drawnWidth)), 1, box.width()),
                       std::clamp(static_cast<int>(std::lround(drawnHeight)), 1, box.height()));

    QImage picture(box, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QImage scaled =
        decoded.image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&picture);
    painter.drawImage(x, y, scaled);
    painter.end();
    return picture;
}

bool PhotoItem::create(const std::string& path)
{
    const QString file = localPath(path);
    QFileInfo info(file);
    if (path.empty() || !info.exists() || !info.isFile())
        return false;
    QFile probe(file);
    if (!probe.open(QIODevice::ReadOnly))
        return false;
    probe.close();

    originalPath = path;
    workingPath = path;
    displayName = fileNameOf(path);
    modifiedTime = info.lastModified().toSecsSinceEpoch();
    fileSize = static_cast<std::uint64_t>(info.size());
    sizeText = fileSizeText(fileSize);
    // Matching by name only: the type text must not cost a read of the file.
    static const QMimeDatabase mimeDatabase;
    typeName =
        mimeDatabase.mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment().toStdString();
    iconIndex = 0;
    startSeconds = 0;
    startText = "00:00:00";
    edits.clear();
    brightnessPos = contrastPos = sharpenTimes = softenTimes = 0;
    thumbnail = QImage();
    thumbnailSize = kNoThumbnail;
    changedInEditor = savedInEditor = listWrittenByEditor = false;
    settings = PhotoSettings();
    return true;
}

std::string PhotoItem::workingCopyPath(const std::string& tempFolder) const
{
    const std::string extension = extensionAsWritten(fileNameOf(workingPath));
    const std::string stem = stemOf(displayName);
    if (workingPath != originalPath && folderOf(workingPath) == tempFolder)
        return workingPath;
    const std::string suffix = extension.empty() ? std::string() : "." + extension;
    std::string candidate = tempFolder + "/" + stem + suffix;
    for (int n = 1; fileExists(candidate); ++n)
        candidate = tempFolder + "/" + stem + "_" + std::to_string(n) + suffix;
    return candidate;
}

int PhotoItem::rotateLeft(const std::string& workingFolder)
{
    return rotate(workingFolder, true);
}

int PhotoItem::rotateRight(const std::string& workingFolder)
{
    return rotate(workingFolder, false);
}

int PhotoItem::rotate(const std::string& workingFolder, bool left)
{
    if (!isRotatableExtension(imageExtension(workingPath)))
        return -1;
    DecodedImage decoded = decodeImage(workingPath);
    if (!decoded.ok() || decoded.image.isNull()) {
        writeLog("cannot turn " + workingPath + ": " + decoded.error);
        return -1;
    }
    const QImage turned = left ? rotateLeft90(decoded.image) : rotateRight90(decoded.image);
    if (turned.isNull()) {
        writeLog("cannot turn " + workingPath);
        return -1;
    }
    const std::string target = workingCopyPath(workingFolder + "/temp");
    const RasterStatus saved = saveImage(turned, target);
    if (!saved.ok()) {
        writeLog("cannot save " + target + ": " + saved.error);
        return -1;
    }
    workingPath = target;
    return 0;
}

bool PhotoItem::makeThumbnail(int sizeIndex, bool force)
{
    if (sizeIndex < 0 || sizeIndex >= static_cast<int>(kThumbnailSizes.size()))
        return false;
    if (!force && thumbnailSize != kNoThumbnail && !thumbnail.isNull())
        return true;
    std::string error;
    QImage picture = letterBoxedPicture(workingPath, kThumbnailSizes[sizeIndex], &error);
    if (picture.isNull()) {
        thumbnail = QImage();
        thumbnailSize = kNoThumbnail;
        writeLog("cannot make a thumbnail of " + workingPath + ": " + error);
        return false;
    }
    thumbnail = std::move(picture);
    thumbnailSize = sizeIndex;
    return true;
}

bool PhotoItem::renderCover(const std::string& outputPath)
{
    if (!makeThumbnail(kCoverThumbnailSize, true))
        return false;
    const RasterStatus saved = saveBmp(thumbnail, outputPath);
    if (!saved.ok()) {
        writeLog("cannot write the cover " + outputPath + ": " + saved.error);
        return false;
    }
    return true;
}

void PhotoItem::setStartSeconds(int seconds)
{
    startSeconds = seconds;
    startText = timeText(seconds);
}

void PhotoItem::addOverlay(const PhotoEdit& edit)
{
    if (edit.kind == PhotoEditKind::Text && edit.textOverlay())
        edits.push_back(edit);
    else if (edit.kind == PhotoEditKind::Image && edit.imageOverlay())
        edits.push_back(edit);
}

void PhotoItem::addOverlay(const TextOverlay& overlay)
{
    edits.push_back(PhotoEdit::text(overlay));
}

void PhotoItem::addOverlay(const ImageOverlay& overlay)
{
    edits.push_back(PhotoEdit::image(overlay));
}

void PhotoItem::rebase(const std::string& folder)
{
    if (workingPath != originalPath)
        workingPath = folder + "/" + fileNameOf(workingPath);
}

} // namespace pictavo
