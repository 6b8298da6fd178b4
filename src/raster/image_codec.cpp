#include "raster/raster_image.h"

#include "core/log.h"
#include "raster/magick_support.h"

#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace pictavo {

using namespace raster_detail;

namespace {

// Enough for the header (with the camera's EXIF block) of nearly every file; formats whose
// header lies further on (a TIFF directory at the end) are read whole.
constexpr qint64 kHeaderBytes = 256 * 1024;

// No picture the program opens needs a file this large (150 megapixels of uncompressed 16-bit
// RGBA come to 1.2 GB); larger files are refused before they are read into memory.
constexpr qint64 kMaxFileBytes = qint64(2) << 30;

std::string openFailure(const std::string& path, const std::string& why)
{
    std::string text = "Cannot open picture \"" + path + "\": " + why;
    writeLog(text);
    return text;
}

std::string saveFailure(const std::string& path, const std::string& why)
{
    std::string text = "Cannot save picture \"" + path + "\": " + why;
    writeLog(text);
    return text;
}

std::string unsupportedText(const std::string& extension)
{
    if (extension == "emf")
        return "EMF pictures cannot be read on this system";
    if (extension.empty())
        return "the file name has no picture extension";
    return "\"" + extension + "\" is not a supported picture type";
}

// Camera orientation tags live in JPEG and TIFF files. Other codecs report the order in which
// the file stores its rows (TGA) and have already put the rows right.
bool carriesOrientation(const std::string& codec)
{
    return codec == "JPEG" || codec == "TIFF";
}

bool isSideways(MagickCore::OrientationType orientation)
{
    return orientation == MagickCore::LeftTopOrientation ||
           orientation == MagickCore::RightTopOrientation ||
           orientation == MagickCore::RightBottomOrientation ||
           orientation == MagickCore::LeftBottomOrientation;
}

std::string sizeLimitText(size_t width, size_t height)
{
    const unsigned long long pixels = 1ULL * width * height;
    if (width == 0 || height == 0)
        return "the file holds no picture";
    if (width > size_t(kMaxImageSide) || height > size_t(kMaxImageSide) ||
        pixels > static_cast<unsigned long long>(kMaxImagePixels)) {
        return "the picture is too large (" + std::to_string(width) + " x " +
               std::to_string(height) + " pixels); pictures of up to " +
               std::to_string(kMaxImagePixels / 1'000'000) + " megapixels and " +
               std::to_string(kMaxImageSide) + " pixels a side can be opened";
    }
    return {};
}

// Icon files hold several pictures; the largest one is the picture of the file.
std::string readLargestFrame(const Magick::Blob& blob, const std::string& codec, bool ping,
                             Magick::Image& out)
{
    std::vector<Magick::Image> frames;
    std::string error = runMagick([&] {
        Magick::ReadOptions options;
        options.quiet(false);
        MagickCore::ImageInfo* info = options.imageInfo();
        std::strncpy(info->magick, codec.c_str(), MaxTextExtent - 1);
        info->ping = ping ? MagickCore::MagickTrue : MagickCore::MagickFalse;
        Magick::readImages(&frames, blob, options);
    });
    if (!error.empty())
        return error;
    if (frames.empty())
        return "the file holds no picture";
    out = *std::max_element(frames.begin(), frames.end(), [](const auto& a, const auto& b) {
        return a.columns() * a.rows() < b.columns() * b.rows();
    });
    return {};
}

std::string pingBlob(const Magick::Blob& blob, const std::string& codec, Magick::Image& image)
{
    if (codec == "ICO")
        return readLargestFrame(blob, codec, true, image);
    return runMagick([&] {
        image.quiet(false);
        image.magick(codec);
        image.subRange(1);
        image.ping(blob);
    });
}

std::string readBlob(const Magick::Blob& blob, const std::string& codec, const std::string& hint,
                     Magick::Image& image)
{
    if (codec == "ICO")
        return readLargestFrame(blob, codec, false, image);
    return runMagick([&] {
        image.quiet(false);
        image.magick(codec);
        image.subRange(1);
        if (!hint.empty())
            image.defineValue("jpeg", "size", hint);
        image.read(blob);
    });
}

// The size hint that lets the JPEG decoder scale by 1/2, 1/4 or 1/8 while still giving at least
// the bound in both directions. Only asked for when the picture is at least twice the bound:
// the decoder would otherwise enlarge small pictures.
std::string jpegSizeHint(size_t width, size_t height, QSize storedBound)
{
    if (!storedBound.isValid() || storedBound.isEmpty())
        return {};
    const double factor =
        std::min(double(width) / storedBound.width(), double(height) / storedBound.height());
    if (factor < 2.0)
        return {};
    return std::to_string(storedBound.width()) + "x" + std::to_string(storedBound.height());
}

} // namespace

const std::vector<std::string>& acceptedImageExtensions()
{
    static const std::vector<std::string> kExtensions = {
        "bmp", "jpg", "jpeg", "gif", "png", "ico", "tif", "tiff", "tga", "pcx", "wbmp",
        "wmf", "emf", "jp2",  "j2k", "jpc", "j2c", "pgx", "ras",  "pnm", "pgm", "ppm"};
    return kExtensions;
}

namespace {

std::string normalisedExtension(const std::string& extension)
{
    std::string text = extension;
    if (!text.empty() && text.front() == '.')
        text.erase(0, 1);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

} // namespace

bool isSupportedImageExtension(const std::string& extension)
{
    const std::string text = normalisedExtension(extension);
    return text != "emf" && !codecForExtension(text).empty();
}

bool isWritableImageExtension(const std::string& extension)
{
    const std::string text = normalisedExtension(extension);
    return text != "wmf" && isSupportedImageExtension(text);
}

std::string imageExtension(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return normalisedExtension(path.substr(dot + 1));
}

ImageProbe probeImage(const std::string& path)
{
    ImageProbe result;
    const std::string extension = imageExtension(path);
    if (!isSupportedImageExtension(extension)) {
        result.error = openFailure(path, unsupportedText(extension));
        return result;
    }
    ensureMagick();
    const std::string codec = codecForExtension(extension);

    std::string bytes;
    if (!readFileBytes(path, bytes, kHeaderBytes)) {
        result.error = openFailure(path, "the file cannot be read");
        return result;
    }
    if (bytes.empty()) {
        result.error = openFailure(path, "the file is empty");
        return result;
    }
    Magick::Image header;
    std::string error = pingBlob(Magick::Blob(bytes.data(), bytes.size()), codec, header);
    if (!error.empty() && qint64(bytes.size()) == kHeaderBytes) {
        // The header lies beyond the first block: look at the whole file.
        if (readFileBytes(path, bytes)) {
            header = Magick::Image();
            error = pingBlob(Magick::Blob(bytes.data(), bytes.size()), codec, header);
        }
    }
    if (error.empty())
        error = sizeLimitText(header.columns(), header.rows());
    if (!error.empty()) {
        result.error = openFailure(path, error);
        return result;
    }
    const int width = int(header.columns());
    const int height = int(header.rows());
    const bool sideways = carriesOrientation(codec) && isSideways(header.orientation());
    result.size = sideways ? QSize(height, width) : QSize(width, height);
    return result;
}

DecodedImage decodeImage(const std::string& path, QSize boundingSize)
{
    DecodedImage result;
    const std::string extension = imageExtension(path);
    if (!isSupportedImageExtension(extension)) {
        result.error = openFailure(path, unsupportedText(extension));
        return result;
    }
    ensureMagick();
    const std::string codec = codecForExtension(extension);

    if (QFileInfo(QString::fromStdString(path)).size() > kMaxFileBytes) {
        result.error = openFailure(path, "the file is too large to be a picture");
        return result;
    }
    std::string bytes;
    if (!readFileBytes(path, bytes)) {
        result.error = openFailure(path, "the file cannot be read");
        return result;
    }
    if (bytes.empty()) {
        result.error = openFailure(path, "the file is empty");
        return result;
    }
    const Magick::Blob blob(bytes.data(), bytes.size());
    bytes = std::string();

    // The header first: refuse pictures that are too large before any pixel is decoded.
    Magick::Image header;
    std::string error = pingBlob(blob, codec, header);
    if (error.empty())
        error = sizeLimitText(header.columns(), header.rows());
    if (!error.empty()) {
        result.error = openFailure(path, error);
        return result;
    }
    const bool sideways = carriesOrientation(codec) && isSideways(header.orientation());
    const int width = int(header.columns());
    const int height = int(header.rows());
    result.fullSize = sideways ? QSize(height, width) : QSize(width, height);

    std::string hint;
    if (codec == "JPEG")
        hint = jpegSizeHint(header.columns(), header.rows(),
                            sideways ? boundingSize.transposed() : boundingSize);

    Magick::Image image;
    error = readBlob(blob, codec, hint, image);
    if (error.empty())
        error = sizeLimitText(image.columns(), image.rows());
    if (error.empty()) {
        error = runMagick([&] {
            if (carriesOrientation(codec))
                image.autoOrient();
            result.image = toQImage(image);
        });
        if (error.empty() && result.image.isNull())
            error = "not enough memory for the picture";
    }
    if (!error.empty()) {
        result.image = QImage();
        result.error = openFailure(path, error);
        return result;
    }
    return result;
}

DecorationImage decodeDecoration(const std::string& path)
{
    DecorationImage result;
    DecodedImage decoded = decodeImage(path);
    if (!decoded.ok()) {
        result.error = decoded.error;
        return result;
    }
    result.image = decoded.image.convertToFormat(QImage::Format_ARGB32);

    // The palette indices: PNG colour type 3 (byte 25 of the file, in the IHDR chunk).
    if (imageExtension(path) != "png")
        return result;
    std::string bytes;
    if (!readFileBytes(path, bytes) || bytes.size() < 26 || bytes[25] != 3)
        return result;
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "png");
    reader.setAutoTransform(false);
    QImage indexed = reader.read();
    if (indexed.isNull() || indexed.colorCount() == 0 || indexed.size() != result.image.size())
        return result;
    result.indexed = indexed.convertToFormat(QImage::Format_Indexed8).copy();
    const QList<QRgb> table = result.indexed.colorTable();
    for (qsizetype i = 0; i < table.size(); ++i) {
        if (qAlpha(table[i]) == 0) {
            result.transparentIndex = int(i);
            break;
        }
    }
    return result;
}

namespace {

RasterStatus writeWithCodec(const QImage& image, const std::string& path, const std::string& codec)
{
    RasterStatus status;
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        status.error = saveFailure(path, "there is no picture to save");
        return status;
    }
    ensureMagick();
    Magick::Blob blob;
    std::string error = runMagick([&] {
        Magick::Image picture = fromQImage(image);
        picture.quiet(false);
        if (codec == "BMP") {
            // Full colour (24 bits, or 32 with alpha) rather than a palette the writer may pick.
            picture.type(image.hasAlphaChannel() ? MagickCore::TrueColorMatteType
                                                 : MagickCore::TrueColorType);
        } else if (codec == "JPEG") {
            picture.quality(92);
        }
        picture.magick(codec);
        picture.write(&blob);
    });
    if (error.empty() && blob.length() == 0)
        error = "the picture could not be encoded";
    if (!error.empty()) {
        status.error = saveFailure(path, error);
        return status;
    }

    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        status.error = saveFailure(path, file.errorString().toStdString());
        return status;
    }
    const auto length = qint64(blob.length());
    if (file.write(static_cast<const char*>(blob.data()), length) != length || !file.commit()) {
        status.error = saveFailure(path, file.errorString().toStdString());
        file.cancelWriting();
        return status;
    }
    return status;
}

} // namespace

RasterStatus saveImage(const QImage& image, const std::string& path)
{
    const std::string extension = imageExtension(path);
    if (!isWritableImageExtension(extension)) {
        RasterStatus status;
        status.error = saveFailure(path, extension == "wmf" || extension == "emf"
                                             ? "pictures cannot be written as " + extension
                                             : unsupportedText(extension));
        return status;
    }
    return writeWithCodec(image, path, codecForExtension(extension));
}

RasterStatus saveBmp(const QImage& image, const std::string& path)
{
    return writeWithCodec(image, path, "BMP");
}

} // namespace pictavo
