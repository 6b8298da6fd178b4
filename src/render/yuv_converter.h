#pragma once

// Conversion of rendered frames to planar YUV 4:2:0 (I420) with studio-range values and the
// integer BT.601 coefficients, the picture format the encoder takes.
//
// Per pixel:   Y  = ((25 B + 129 G + 66 R) >> 8) + 16
// Per 2 x 2 block, from the sums of its four pixels:
//              Cb = floor((112 sB - 74 sG - 38 sR) / 1024) + 128
//              Cr = floor((112 sR - 94 sG - 18 sB) / 1024) + 128
//
// Odd sizes: the chroma planes cover the complete 2 x 2 blocks only ((width / 2) x
// (height / 2)); the luma plane is converted in full, last column and row included.

#include <cstddef>
#include <cstdint>

class QImage;
class QRect;

namespace pictavo {

// Converts a bottom-up 24-bit picture (bytes blue, green, red; rows of width * 3 bytes stored
// back to back; the first row of the buffer is the bottom row of the picture) into three planes
// stored top row first. The Y plane has the row stride yStride, the two chroma planes
// yStride / 2. This is the plain form of the conversion; the render path uses
// convertCanvasToI420. Returns false, writing nothing, when a pointer is null, a size is not
// positive or yStride < width.
bool convertRgb24ToI420(std::uint8_t* yPlane, std::uint8_t* cbPlane, std::uint8_t* crPlane,
                        const std::uint8_t* source, int width, int height, int yStride);

// Converts a render canvas (QImage::Format_RGB32, or Format_ARGB32_Premultiplied whose alpha is
// ignored, i.e. the picture as seen over black) straight from its pixel rows, top row first, into
// the three planes. Produces the same bytes as convertRgb24ToI420 on the same picture read back
// as 24-bit rows and stored bottom-up. Returns false, writing nothing, for a null or
// other-format canvas, null planes or strides too small for the canvas width.
bool convertCanvasToI420(const QImage& canvas, std::uint8_t* yPlane, int yStride,
                         std::uint8_t* cbPlane, int cbStride, std::uint8_t* crPlane, int crStride);

// The single-buffer frame layout the encoder takes: Y at offset 0 with stride width, Cb at
// width * height, Cr at width * height * 5 / 4, both with stride width / 2. For even sizes this
// is the common I420 layout of width * height * 3 / 2 bytes.
struct I420Layout {
    std::size_t cbOffset = 0;
    std::size_t crOffset = 0;
    std::size_t totalBytes = 0; // room the three planes need, odd sizes included
};
I420Layout i420Layout(int width, int height);

// convertCanvasToI420 into one buffer laid out as above. Returns false, writing nothing, when
// bufferSize is smaller than i420Layout(width, height).totalBytes.
bool convertCanvasToI420(const QImage& canvas, std::uint8_t* buffer, std::size_t bufferSize);
// The same for the region `area` of the canvas (the frame rectangle of a larger canvas), read in
// place; sizes and layout are those of the area. Returns false, writing nothing, also when the
// area is empty or not inside the canvas.
bool convertCanvasToI420(const QImage& canvas, const QRect& area, std::uint8_t* buffer,
                         std::size_t bufferSize);

} // namespace pictavo
