#include "raster/raster_fixtures.h"

#include "raster/raster_image.h"

#include <Magick++.h>
#include <QByteArray>
#include <algorithm>
#include <cstdlib>

namespace pictavo::test {
namespace {

void startMagick()
{
    initializeRaster(); // the program's own start, with its resource limits
}

Magick::Color magickColour(QColor colour)
{
    const double scale = 1.0 / 255.0;
    return Magick::ColorRGB(colour.red() * scale, colour.green() * scale, colour.blue() * scale);
}

void putBigEndian(std::string& out, unsigned value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(char((value >> shift) & 0xFF));
}

void putLittle16(std::string& out, unsigned value)
{
    out.push_back(char(value & 0xFF));
    out.push_back(char((value >> 8) & 0xFF));
}

void putLittle32(std::string& out, unsigned value)
{
    putLittle16(out, value & 0xFFFF);
    putLittle16(out, value >> 16);
}

unsigned crc32(const std::string& bytes)
{
    unsigned crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string pngChunk(const std::string& type, const std::string& data)
{
    std::string chunk;
    putBigEndian(chunk, unsigned(data.size()));
    const std::string body = type + data;
    chunk += body;
    putBigEndian(chunk, crc32(body));
    return chunk;
}

std::string pngHeaderChunk(unsigned width, unsigned height, int colourType)
{
    std::string header;
    putBigEndian(header, width);
    putBigEndian(header, height);
    header += char(8);          // bit depth
    header += char(colourType); // 3 = palette, 6 = RGBA
    header += std::string(3, '\0');
    return pngChunk("IHDR", header);
}

std::string pngData(int height, int rowBytes, const std::string& pixels)
{
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0'; // no filter
        raw += pixels.substr(size_t(y) * size_t(rowBytes), size_t(rowBytes));
    }
    const QByteArray packed = qCompress(QByteArray(raw.data(), qsizetype(raw.size())));
    return pngChunk("IDAT", std::string(packed.constData() + 4, size_t(packed.size() - 4)));
}

const std::string kPngSignature("\x89PNG\r\n\x1a\n", 8);

} // namespace

Quadrants colourQuadrants()
{
    return {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255), QColor(255, 255, 255)};
}

Quadrants bilevelQuadrants()
{
    return {QColor(0, 0, 0), QColor(255, 255, 255), QColor(255, 255, 255), QColor(0, 0, 0)};
}

QImage quadrantImage(int width, int height, const Quadrants& colours)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height / 2;
            const QColor& c = bottom ? (right ? colours.bottomRight : colours.bottomLeft)
                                     : (right ? colours.topRight : colours.topLeft);
            image.setPixel(x, y, c.rgb());
        }
    }
    return image;
}

bool writeQuadrantFile(const std::string& path, const std::string& codec, int width, int height,
                       const Quadrants& colours)
{
    startMagick();
    try {
        Magick::Image image(Magick::Geometry(size_t(width), size_t(height)),
                            magickColour(colours.topLeft));
        image.fillColor(magickColour(colours.topRight));
        image.draw(Magick::DrawableRectangle(width / 2, 0, width - 1, height / 2 - 1));
        image.fillColor(magickColour(colours.bottomLeft));
        image.draw(Magick::DrawableRectangle(0, height / 2, width / 2 - 1, height - 1));
        image.fillColor(magickColour(colours.bottomRight));
        image.draw(Magick::DrawableRectangle(width / 2, height / 2, width - 1, height - 1));
        image.matte(false);
        image.write(codec + ":" + path);
        return true;
    } catch (const Magick::Exception&) {
        return false;
    }
}

bool writeGradientJpeg(const std::string& path, int width, int height)
{
    startMagick();
    try {
        Magick::Image image;
        image.size(Magick::Geometry(size_t(width), size_t(height)));
        image.read("gradient:red-blue");
        image.quality(90);
        image.write("JPEG:" + path);
        return true;
    } catch (const Magick::Exception&) {
        return false;
    }
}

std::string withExifOrientation(const std::string& jpegBytes, int orientation)
{
    std::string tiff("II*\0", 4);
    putLittle32(tiff, 8); // first directory
    putLittle16(tiff, 1); // one entry
    putLittle16(tiff, 0x0112);
    putLittle16(tiff, 3); // SHORT
    putLittle32(tiff, 1);
    putLittle16(tiff, unsigned(orientation));
    putLittle16(tiff, 0);
    putLittle32(tiff, 0); // no next directory
    const std::string app1 = std::string("Exif\0\0", 6) + tiff;
    std::string segment("\xFF\xE1", 2);
    segment += char(((app1.size() + 2) >> 8) & 0xFF);
    segment += char((app1.size() + 2) & 0xFF);
    segment += app1;
    return jpegBytes.substr(0, 2) + segment + jpegBytes.substr(2);
}

std::string solidWindowsMetafile(int width, int height, QColor colour)
{
    std::string file;
    // Placeable header: key, handle, bounding box, units per inch, reserved, checksum.
    putLittle32(file, 0x9AC6CDD7u);
    putLittle16(file, 0);
    for (unsigned value : {0u, 0u, unsigned(width), unsigned(height)})
        putLittle16(file, value);
    putLittle16(file, 72);
    putLittle32(file, 0);
    unsigned short checksum = 0;
    for (size_t i = 0; i + 1 < file.size(); i += 2)
        checksum ^= (unsigned char)file[i] | ((unsigned char)file[i + 1] << 8);
    putLittle16(file, checksum);

    std::string records;
    auto record = [&records](unsigned function, std::initializer_list<unsigned> params) {
        putLittle32(records, unsigned(3 + params.size()));
        putLittle16(records, function);
        for (unsigned p : params)
            putLittle16(records, p);
    };
    const unsigned colourRef =
        unsigned(colour.red()) | (unsigned(colour.green()) << 8) | (unsigned(colour.blue()) << 16);
    record(0x020B, {0, 0});                                      // SetWindowOrg(y, x)
    record(0x020C, {unsigned(height), unsigned(width)});         // SetWindowExt(y, x)
    record(0x02FC, {0, colourRef & 0xFFFF, colourRef >> 16, 0}); // solid brush
    record(0x012D, {0});                                         // select it
    record(0x02FA, {5, 0, 0, 0, 0});                             // null pen
    record(0x012D, {1});                                         // select it
    record(0x041B, {unsigned(height), unsigned(width), 0, 0});   // Rectangle(b, r, t, l)
    record(0x0000, {});                                          // end of file

    std::string header;
    putLittle16(header, 1); // metafile kept in a file
    putLittle16(header, 9); // header size in words
    putLittle16(header, 0x0300);
    putLittle32(header, unsigned((18 + records.size()) / 2));
    putLittle16(header, 2); // objects
    putLittle32(header, 8); // largest record in words
    putLittle16(header, 0);
    return file + header + records;
}

std::string palettePng(int width, int height, const std::string& palette,
                       const std::string& transparency, const std::string& indices)
{
    std::string file = kPngSignature + pngHeaderChunk(unsigned(width), unsigned(height), 3);
    file += pngChunk("PLTE", palette);
    if (!transparency.empty())
        file += pngChunk("tRNS", transparency);
    file += pngData(height, width, indices);
    return file + pngChunk("IEND", "");
}

std::string rgbaPng(int width, int height, const std::string& pixels)
{
    std::string file = kPngSignature + pngHeaderChunk(unsigned(width), unsigned(height), 6);
    file += pngData(height, width * 4, pixels);
    return file + pngChunk("IEND", "");
}

std::string pngHeaderOnly(unsigned width, unsigned height)
{
    std::string file = kPngSignature + pngHeaderChunk(width, height, 6);
    file += pngData(1, 4, std::string(4, '\0'));
    return file + pngChunk("IEND", "");
}

std::string bmpHeaderOnly(int width, int height)
{
    std::string file("BM", 2);
    const unsigned rowBytes = (unsigned(width) * 3 + 3) & ~3u;
    putLittle32(file, 54 + rowBytes * unsigned(height));
    putLittle32(file, 0);
    putLittle32(file, 54);
    putLittle32(file, 40);
    putLittle32(file, unsigned(width));
    putLittle32(file, unsigned(height));
    putLittle16(file, 1);
    putLittle16(file, 24);
    putLittle32(file, 0);
    putLittle32(file, rowBytes * unsigned(height));
    for (int i = 0; i < 4; ++i)
        putLittle32(file, 0);
    return file;
}

int colourDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

} // namespace pictavo::test
