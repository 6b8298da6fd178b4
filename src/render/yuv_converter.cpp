#include "render/yuv_converter.h"

#include "render/yuv_converter_simd.h"

#include <QImage>

#include <cstddef>

namespace pictavo {

bool convertRgb24ToI420(std::uint8_t* yPlane, std::uint8_t* cbPlane, std::uint8_t* crPlane,
                        const std::uint8_t* source, int width, int height, int yStride)
{
    if (!yPlane || !cbPlane || !crPlane || !source || width <= 0 || height <= 0 || yStride < width)
        return false;
    const std::ptrdiff_t rowBytes = std::ptrdiff_t(width) * 3;
    const std::ptrdiff_t chromaStride = yStride / 2;
    // Picture row y (0 = top) is buffer row height - 1 - y.
    auto pixel = [&](int x, int y) { return source + (height - 1 - y) * rowBytes + x * 3; };

    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = pixel(x, y);
            yPlane[y * std::ptrdiff_t(yStride) + x] = yuv::lumaOf(p[0], p[1], p[2]);
        }
    }
    for (int j = 0; j < height / 2; ++j) {
        for (int i = 0; i < width / 2; ++i) {
            int sumB = 0;
            int sumG = 0;
            int sumR = 0;
            for (int dy = 0; dy < 2; ++dy) {
                for (int dx = 0; dx < 2; ++dx) {
                    const std::uint8_t* p = pixel(2 * i + dx, 2 * j + dy);
                    sumB += p[0];
                    sumG += p[1];
                    sumR += p[2];
                }
            }
            cbPlane[j * chromaStride + i] = yuv::cbOf(sumB, sumG, sumR);
            crPlane[j * chromaStride + i] = yuv::crOf(sumB, sumG, sumR);
        }
    }
    return true;
}

namespace yuv {
namespace {

std::uint8_t pixelLuma(const std::uint8_t* p)
{
    return lumaOf(p[0], p[1], p[2]);
}

// Columns [from, width) of a row pair, one block at a time, plus the luma of an odd last column.
void finishRowPair(const std::uint8_t* row0, const std::uint8_t* row1, std::uint8_t* luma0,
                   std::uint8_t* luma1, std::uint8_t* cb, std::uint8_t* cr, int from, int width)
{
    int x = from;
    for (; x + 2 <= width; x += 2) {
        const std::uint8_t* a = row0 + x * 4;
        const std::uint8_t* b = row1 + x * 4;
        luma0[x] = pixelLuma(a);
        luma0[x + 1] = pixelLuma(a + 4);
        luma1[x] = pixelLuma(b);
        luma1[x + 1] = pixelLuma(b + 4);
        const int sumB = a[0] + a[4] + b[0] + b[4];
        const int sumG = a[1] + a[5] + b[1] + b[5];
        const int sumR = a[2] + a[6] + b[2] + b[6];
        cb[x / 2] = cbOf(sumB, sumG, sumR);
        cr[x / 2] = crOf(sumB, sumG, sumR);
    }
    if (x < width) {
        luma0[x] = pixelLuma(row0 + x * 4);
        luma1[x] = pixelLuma(row1 + x * 4);
    }
}

int portableRowPair(const std::uint8_t*, const std::uint8_t*, std::uint8_t*, std::uint8_t*,
                    std::uint8_t*, std::uint8_t*, int)
{
    return 0; // finishRowPair does all the work
}

bool canvasFormatAccepted(const QImage& canvas)
{
    return canvas.format() == QImage::Format_RGB32 ||
           canvas.format() == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

RowPairLoop rowPairLoop(Loop loop)
{
    if (loop == Loop::Portable)
        return portableRowPair;
    return simdRowPairLoop(loop);
}

Loop bestLoop()
{
    static const Loop best = [] {
        for (Loop loop : {Loop::Avx512Vnni, Loop::Avx2Vnni, Loop::Avx2, Loop::Sse2}) {
            if (simdRowPairLoop(loop))
                return loop;
        }
        return Loop::Portable;
    }();
    return best;
}

bool convertCanvasWith(Loop loop, const QImage& canvas, std::uint8_t* yPlane, int yStride,
                       std::uint8_t* cbPlane, int cbStride, std::uint8_t* crPlane, int crStride)
{
    return convertCanvasWith(loop, canvas, canvas.rect(), yPlane, yStride, cbPlane, cbStride,
                             crPlane, crStride);
}

bool convertCanvasWith(Loop loop, const QImage& canvas, const QRect& area, std::uint8_t* yPlane,
                       int yStride, std::uint8_t* cbPlane, int cbStride, std::uint8_t* crPlane,
                       int crStride)
{
    const RowPairLoop rowPair = rowPairLoop(loop);
    if (!rowPair || canvas.isNull() || !canvasFormatAccepted(canvas) || !yPlane || !cbPlane ||
        !crPlane || area.isEmpty() || !canvas.rect().contains(area))
        return false;
    const int width = area.width();
    const int height = area.height();
    if (yStride < width || cbStride < width / 2 || crStride < width / 2)
        return false;
    auto areaRow = [&](int y) { return canvas.constScanLine(area.y() + y) + area.x() * 4; };

    for (int y = 0; y + 1 < height; y += 2) {
        const std::uint8_t* row0 = areaRow(y);
        const std::uint8_t* row1 = areaRow(y + 1);
        std::uint8_t* luma0 = yPlane + std::ptrdiff_t(y) * yStride;
        std::uint8_t* luma1 = luma0 + yStride;
        std::uint8_t* cb = cbPlane + std::ptrdiff_t(y / 2) * cbStride;
        std::uint8_t* cr = crPlane + std::ptrdiff_t(y / 2) * crStride;
        const int done = rowPair(row0, row1, luma0, luma1, cb, cr, width);
        finishRowPair(row0, row1, luma0, luma1, cb, cr, done, width);
    }
    if (height % 2 != 0) {
        // The last row of an odd height has no chroma of its own.
        const std::uint8_t* row = areaRow(height - 1);
        std::uint8_t* luma = yPlane + std::ptrdiff_t(height - 1) * yStride;
        for (int x = 0; x < width; ++x)
            luma[x] = pixelLuma(row + x * 4);
    }
    return true;
}

} // namespace yuv

bool convertCanvasToI420(const QImage& canvas, std::uint8_t* yPlane, int yStride,
                         std::uint8_t* cbPlane, int cbStride, std::uint8_t* crPlane, int crStride)
{
    return yuv::convertCanvasWith(yuv::bestLoop(), canvas, yPlane, yStride, cbPlane, cbStride,
                                  crPlane, crStride);
}

I420Layout i420Layout(int width, int height)
{
    I420Layout layout;
    if (width <= 0 || height <= 0)
        return layout;
    const std::size_t lumaBytes = std::size_t(width) * std::size_t(height);
    layout.cbOffset = lumaBytes;
    layout.crOffset = lumaBytes * 5 / 4;
    layout.totalBytes = layout.crOffset + std::size_t(width / 2) * std::size_t(height / 2);
    return layout;
}

bool convertCanvasToI420(const QImage& canvas, std::uint8_t* buffer, std::size_t bufferSize)
{
    return convertCanvasToI420(canvas, canvas.rect(), buffer, bufferSize);
}

bool convertCanvasToI420(const QImage& canvas, const QRect& area, std::uint8_t* buffer,
                         std::size_t bufferSize)
{
    if (!buffer || area.isEmpty())
        return false;
    const I420Layout layout = i420Layout(area.width(), area.height());
    if (bufferSize < layout.totalBytes)
        return false;
    const int width = area.width();
    return yuv::convertCanvasWith(yuv::bestLoop(), canvas, area, buffer, width,
                                  buffer + layout.cbOffset, width / 2, buffer + layout.crOffset,
                                  width / 2);
}

} // namespace pictavo
