#include "raster/magick_support.h"

#include "core/log.h"
#include "raster/raster_image.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string_view>

namespace pictavo::raster_detail {
namespace {

// Debian's ImageMagick policy keeps pictures to 16000 pixels a side, 128 megapixels and
// 256 MiB of memory, which stops large camera photos and panoramas. The policy file only lets
// a program lower its limits, so the process starts the library with a policy file of its own
// (found first through MAGICK_CONFIGURE_PATH) that raises them to the program's own maximum.
// Rights the system policy takes away (coders, paths) stay taken away.
//
// The library's own width and height limits lie far beyond the program's, so that the header of
// an oversized picture still reports its size and the program refuses it with a clear message
// (checked before any pixel is decoded); they stay as a safety net for what slips past.
constexpr MagickCore::MagickSizeType kLibrarySideLimit = 1'000'000;
constexpr MagickCore::MagickSizeType kLibraryAreaLimit = 2 * kMaxImagePixels;

std::string policyText()
{
    const std::string side = std::to_string(kLibrarySideLimit);
    const std::string area = std::to_string(kLibraryAreaLimit);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<policymap>\n"
           "  <policy domain=\"resource\" name=\"width\" value=\"" +
           side + "\"/>\n  <policy domain=\"resource\" name=\"height\" value=\"" + side +
           "\"/>\n  <policy domain=\"resource\" name=\"area\" value=\"" + area +
           "\"/>\n"
           "  <policy domain=\"resource\" name=\"memory\" value=\"4GiB\"/>\n"
           "  <policy domain=\"resource\" name=\"map\" value=\"8GiB\"/>\n"
           "  <policy domain=\"resource\" name=\"disk\" value=\"16GiB\"/>\n"
           "</policymap>\n";
}

void startMagick()
{
    QTemporaryDir policyFolder;
    bool policyWritten = false;
    if (policyFolder.isValid()) {
        QFile file(policyFolder.filePath(QStringLiteral("policy.xml")));
        const std::string text = policyText();
        policyWritten = file.open(QIODevice::WriteOnly) &&
                        file.write(text.data(), qint64(text.size())) == qint64(text.size());
        file.close();
    }

    const char* previous = std::getenv("MAGICK_CONFIGURE_PATH");
    const std::string previousPath = previous ? previous : "";
    if (policyWritten) {
        std::string path = policyFolder.path().toStdString();
        if (!previousPath.empty())
            path += ":" + previousPath;
        setenv("MAGICK_CONFIGURE_PATH", path.c_str(), 1);
    }

    Magick::InitializeMagick(nullptr);

    // The policy is read while the library starts; the folder can go now.
    if (policyWritten) {
        if (previous)
            setenv("MAGICK_CONFIGURE_PATH", previousPath.c_str(), 1);
        else
            unsetenv("MAGICK_CONFIGURE_PATH");
    }

    Magick::ResourceLimits::width(kLibrarySideLimit);
    Magick::ResourceLimits::height(kLibrarySideLimit);
    Magick::ResourceLimits::area(kLibraryAreaLimit);
    Magick::ResourceLimits::memory(MagickCore::MagickSizeType(4) << 30);
    Magick::ResourceLimits::map(MagickCore::MagickSizeType(8) << 30);
    Magick::ResourceLimits::disk(MagickCore::MagickSizeType(16) << 30);
    if (Magick::ResourceLimits::width() < kLibrarySideLimit ||
        Magick::ResourceLimits::area() < kLibraryAreaLimit)
        writeLog("Picture size limits could not be raised; large pictures may fail to open");
}

} // namespace

void ensureMagick()
{
    static std::once_flag once;
    std::call_once(once, startMagick);
}

std::string codecForExtension(const std::string& extension)
{
    struct Entry {
        std::string_view extension;
        const char* codec;
    };
    static constexpr Entry kCodecs[] = {
        {"bmp", "BMP"},   {"jpg", "JPEG"}, {"jpeg", "JPEG"}, {"gif", "GIF"}, {"png", "PNG"},
        {"ico", "ICO"},   {"tif", "TIFF"}, {"tiff", "TIFF"}, {"tga", "TGA"}, {"pcx", "PCX"},
        {"wbmp", "WBMP"}, {"wmf", "WMF"},  {"emf", "EMF"},   {"jp2", "JP2"}, {"j2k", "J2K"},
        {"jpc", "JPC"},   {"j2c", "J2C"},  {"pgx", "PGX"},   {"ras", "SUN"}, {"pnm", "PNM"},
        {"pgm", "PGM"},   {"ppm", "PPM"},
    };
    for (const Entry& entry : kCodecs) {
        if (entry.extension == extension)
            return entry.codec;
    }
    return {};
}

std::string cleanMessage(const std::string& text)
{
    std::string message = text;
    // "program: reason `file' @ error/coder.c/Function/123"
    const auto colon = message.find(": ");
    if (colon != std::string::npos && message.find(' ') > colon)
        message.erase(0, colon + 2);
    for (const char* tail : {" `", " @ "}) {
        const auto at = message.find(tail);
        if (at != std::string::npos)
            message.erase(at);
    }
    while (!message.empty() && (message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? text : message;
}

bool isFatalWarning(const std::string& text)
{
    for (const char* sign : {"Premature end", "UnexpectedEndOfFile", "unexpected end of file",
                             "InsufficientImageData", "insufficient image data"}) {
        if (text.find(sign) != std::string::npos)
            return true;
    }
    return false;
}

std::string runMagick(const std::function<void()>& operation)
{
    try {
        operation();
        return {};
    } catch (const Magick::Warning& warning) {
        return isFatalWarning(warning.what()) ? cleanMessage(warning.what()) : std::string();
    } catch (const Magick::Exception& error) {
        return cleanMessage(error.what());
    } catch (const std::bad_alloc&) {
        return "not enough memory";
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "unknown error";
    }
}

namespace {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char* kQImageChannelOrder = "BGRA"; // QImage 0xAARRGGBB words in memory
#else
constexpr const char* kQImageChannelOrder = "ARGB";
#endif

} // namespace

QImage toQImage(Magick::Image& image)
{
    const auto width = static_cast<int>(image.columns());
    const auto height = static_cast<int>(image.rows());
    const MagickCore::ColorspaceType space = image.colorSpace();
    if (space != MagickCore::sRGBColorspace && space != MagickCore::GRAYColorspace &&
        space != MagickCore::UndefinedColorspace && space != MagickCore::TransparentColorspace)
        image.colorSpace(MagickCore::sRGBColorspace); // converts the pixels
    QImage out(width, height, image.matte() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull())
        return {};
    // 32-bit QImage rows have no padding, so the whole picture goes in one call.
    image.write(0, 0, image.columns(), image.rows(), kQImageChannelOrder, Magick::CharPixel,
                out.bits());
    return out;
}

Magick::Image fromQImage(const QImage& image)
{
    const bool alpha = image.hasAlphaChannel();
    const QImage source =
        image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    Magick::Image out(static_cast<size_t>(source.width()), static_cast<size_t>(source.height()),
                      kQImageChannelOrder, Magick::CharPixel, source.constBits());
    if (!alpha)
        out.matte(false);
    return out;
}

bool readFileBytes(const std::string& path, std::string& bytes, qint64 maxBytes)
{
    bytes.clear();
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    const qint64 wanted = (maxBytes >= 0 && maxBytes < size) ? maxBytes : size;
    try {
        bytes.resize(static_cast<size_t>(wanted));
    } catch (const std::bad_alloc&) {
        return false;
    }
    qint64 done = 0;
    while (done < wanted) {
        const qint64 got = file.read(bytes.data() + done, wanted - done);
        if (got <= 0)
            break;
        done += got;
    }
    bytes.resize(static_cast<size_t>(done));
    return done == wanted;
}

} // namespace pictavo::raster_detail

namespace pictavo {

void initializeRaster()
{
    raster_detail::ensureMagick();
}

} // namespace pictavo
