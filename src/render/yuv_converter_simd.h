#pragma once

// Inner loops of the canvas conversion. Internal to the render library; tests use it to run
// every loop the machine supports against the plain conversion.

#include <cstdint>

class QImage;
class QRect;

namespace pictavo::yuv {

// Luma and chroma of one pixel and one 2 x 2 block (from the sums of its four pixels).
inline std::uint8_t lumaOf(int b, int g, int r)
{
    return static_cast<std::uint8_t>(((25 * b + 129 * g + 66 * r) >> 8) + 16);
}
inline std::uint8_t cbOf(int sumB, int sumG, int sumR)
{
    return static_cast<std::uint8_t>(((112 * sumB - 74 * sumG - 38 * sumR) >> 10) + 128);
}
inline std::uint8_t crOf(int sumB, int sumG, int sumR)
{
    return static_cast<std::uint8_t>(((112 * sumR - 94 * sumG - 18 * sumB) >> 10) + 128);
}

// Converts the leading columns of two pixel rows of 32-bit pixels (bytes blue, green, red,
// unused) into two luma rows and one row of each chroma plane. Reads and writes only inside
// the first `width` pixels / luma bytes / width / 2 chroma bytes. Returns the number of columns
// done (even, at most width); the caller converts the rest.
using RowPairLoop = int (*)(const std::uint8_t* row0, const std::uint8_t* row1, std::uint8_t* luma0,
                            std::uint8_t* luma1, std::uint8_t* cb, std::uint8_t* cr, int width);

// Portable: plain C++ only. Sse2: 16-bit lanes. Avx2: byte multiply-adds on 256-bit vectors.
// Avx2Vnni / Avx512Vnni: byte dot products (AVX-512 VNNI) on 256- / 512-bit vectors.
enum class Loop { Portable, Sse2, Avx2, Avx2Vnni, Avx512Vnni };

// The loop for `loop`, or nullptr when this machine or build cannot run it.
RowPairLoop rowPairLoop(Loop loop);
// The same for the vector loops only (nullptr for Portable and on other processors).
RowPairLoop simdRowPairLoop(Loop loop);
// The fastest loop this machine runs.
Loop bestLoop();

// convertCanvasToI420 with a chosen loop (false also when the loop is not available).
bool convertCanvasWith(Loop loop, const QImage& canvas, std::uint8_t* yPlane, int yStride,
                       std::uint8_t* cbPlane, int cbStride, std::uint8_t* crPlane, int crStride);
// The same for the region `area` of the canvas (false when it is empty or not inside the canvas).
bool convertCanvasWith(Loop loop, const QImage& canvas, const QRect& area, std::uint8_t* yPlane,
                       int yStride, std::uint8_t* cbPlane, int cbStride, std::uint8_t* crPlane,
                       int crStride);

} // namespace pictavo::yuv
