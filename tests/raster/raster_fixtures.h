#pragma once

// Small pictures for the raster tests, written with the codec library directly so that the
// files do not depend on the code under test.

#include <QColor>
#include <QImage>
#include <string>

namespace pictavo::test {

// The four quadrant colours of the test pictures.
struct Quadrants {
    QColor topLeft, topRight, bottomLeft, bottomRight;
};
Quadrants colourQuadrants();  // red, green, blue, white
Quadrants bilevelQuadrants(); // black, white, white, black

// A width x height QImage (Format_RGB32) whose four quadrants have the given colours.
QImage quadrantImage(int width, int height, const Quadrants& colours);

// Writes a quadrant picture with the codec named (as the codec library names formats, e.g.
// "JPEG", "TIFF", "SUN"); false on failure.
bool writeQuadrantFile(const std::string& path, const std::string& codec, int width, int height,
                       const Quadrants& colours);

// Writes a width x height JPEG with a smooth gradient (quick to make at any size).
bool writeGradientJpeg(const std::string& path, int width, int height);

// Inserts an EXIF block with the given orientation tag right after the JPEG's start marker.
std::string withExifOrientation(const std::string& jpegBytes, int orientation);

// A Windows metafile of width x height units at 72 units per inch, filled with one colour.
std::string solidWindowsMetafile(int width, int height, QColor colour);

// A PNG file from its parts: an 8-bit palette picture (colour type 3) with an optional
// transparency chunk, or (with an empty palette) an 8-bit RGBA picture whose rows hold 4 bytes
// per pixel.
std::string palettePng(int width, int height, const std::string& palette,
                       const std::string& transparency, const std::string& indices);
std::string rgbaPng(int width, int height, const std::string& pixels);
// A PNG whose header claims the given size, followed by a token amount of data.
std::string pngHeaderOnly(unsigned width, unsigned height);
// A 24-bit BMP whose header claims the given size, with no pixel data behind it.
std::string bmpHeaderOnly(int width, int height);

// Distance between two colours (largest channel difference).
int colourDistance(QRgb a, QRgb b);

} // namespace pictavo::test
