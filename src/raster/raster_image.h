#pragma once

// Reading, writing and transforming still pictures. Everything the rest of the program sees is a
// QImage; the codecs behind these functions stay inside this folder. Every function is safe to
// call from several threads at once (decoding runs on worker threads too) and none throws.

#include <QImage>
#include <QRect>
#include <QSize>
#include <string>
#include <vector>

namespace pictavo {

// The outcome of an operation that can fail: an empty error means success. A failure names the
// file and carries the codec's own text, ready for the log and for a message box.
struct RasterStatus {
    std::string error;
    bool ok() const { return error.empty(); }
};

// A decoded picture.
struct DecodedImage {
    // Upright pixels (the camera's orientation tag is already applied): Format_ARGB32 (not
    // premultiplied) when the file has transparency, otherwise Format_RGB32. Null on failure.
    QImage image;
    // The upright size of the whole picture in the file; image may be smaller when a bounding
    // size was asked for.
    QSize fullSize;
    std::string error;
    bool ok() const { return error.empty(); }
};

// What the header of a picture file says, without decoding its pixels.
struct ImageProbe {
    QSize size; // upright size (width and height swapped for photos taken on their side)
    std::string error;
    bool ok() const { return error.empty(); }
};

// A decoration picture with its palette, for drawing it over a photo.
struct DecorationImage {
    // All pixels as Format_ARGB32 (not premultiplied) with the file's alpha: the transparent
    // palette entry and any alpha channel come out with their alpha values.
    QImage image;
    // For palette files only: the palette indices as Format_Indexed8, whose colour table holds
    // the file's palette in file order (with the alpha of each entry). Null for other files.
    QImage indexed;
    // The first palette entry that is fully transparent; -1 when the file has none (or has no
    // palette).
    int transparentIndex = -1;
    std::string error;
    bool ok() const { return error.empty(); }
};

// The largest picture that is opened: at most this many pixels and at most kMaxImageSide pixels
// wide or high. Larger pictures are refused with a clear error before any pixel is decoded.
inline constexpr long long kMaxImagePixels = 150'000'000;
inline constexpr int kMaxImageSide = 30'000;

// Starts the codec library with the program's resource limits. Every function below does so
// when first called, but the start briefly sets an environment variable, so the program calls
// this once from main() before it starts other threads. Further calls do nothing.
void initializeRaster();

// The extensions (lower case, without the dot) of the picture formats the program accepts:
// bmp jpg jpeg gif png ico tif tiff tga pcx wbmp wmf emf jp2 j2k jpc j2c pgx ras pnm pgm ppm.
const std::vector<std::string>& acceptedImageExtensions();

// True when pictures with this extension (with or without a leading dot, any case) can be
// decoded: every accepted extension except "emf", for which this system has no decoder.
bool isSupportedImageExtension(const std::string& extension);

// True when pictures can be written with this extension (every supported one but "wmf").
bool isWritableImageExtension(const std::string& extension);

// The extension of a path, lower-cased, without the dot ("" when the file name has none).
std::string imageExtension(const std::string& path);

// Decodes a picture in the format its extension names. A file that is not a valid picture of
// that kind (missing, truncated, of another kind, too large) is a failure with an error text.
//
// With a valid boundingSize the decoder may return a reduced picture (JPEG files are decoded at
// 1/2, 1/4 or 1/8 scale), but never one with less detail than the bound asks for: the result is
// at least boundingSize in both directions, or the full picture when that is smaller. Callers
// scale the result down to what they need. An invalid or empty boundingSize decodes full size.
DecodedImage decodeImage(const std::string& path, QSize boundingSize = QSize());

// Reads only the header of a picture and reports its upright size. It refuses what decodeImage
// would refuse for the header alone (wrong kind, unreadable, too large); pixel data that is
// damaged further on is only found by decoding.
ImageProbe probeImage(const std::string& path);

// Decodes a decoration picture (normally a PNG) with its palette and transparency.
DecorationImage decodeDecoration(const std::string& path);

// Turns a picture by 90 degrees anticlockwise / clockwise, and by 180 degrees.
QImage rotateLeft90(const QImage& image);
QImage rotateRight90(const QImage& image);
QImage rotate180(const QImage& image);

// Reverses the order of the rows (top and bottom change places).
QImage flipRows(const QImage& image);
// Reverses the order of the columns (left and right change places).
QImage flipColumns(const QImage& image);

// The region of the picture inside rect (clipped to the picture). When nothing of the picture
// lies inside rect the picture is returned unchanged.
QImage crop(const QImage& image, const QRect& rect);

// Resamples the picture to exactly size with a high-quality (Lanczos) filter; transparency is
// kept. A null image on failure or for an empty size.
QImage resample(const QImage& image, QSize size);

// Writes the picture in the format the path's extension names. The file is replaced only when
// the whole picture was written. Opaque pictures are written without an alpha channel.
RasterStatus saveImage(const QImage& image, const std::string& path);

// Writes the picture as a BMP file whatever the path's extension: 24 bits per pixel for opaque
// pictures, 32 bits with alpha for pictures with transparency.
RasterStatus saveBmp(const QImage& image, const std::string& path);

} // namespace pictavo
