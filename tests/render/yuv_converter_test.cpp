#include "render/yuv_converter.h"
#include "render/yuv_converter_simd.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace pictavo {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kGuard = 0xA5;

struct Planes {
    int width = 0;
    int height = 0;
    int yStride = 0;
    int cStride = 0;
    Bytes y;
    Bytes cb;
    Bytes cr;

    // Planes with the given strides, pre-filled with a guard value so that bytes the
    // conversion must not touch can be checked.
    Planes(int w, int h, int lumaStride, int chromaStride)
        : width(w), height(h), yStride(lumaStride), cStride(chromaStride),
          y(std::size_t(lumaStride) * h, kGuard),
          cb(std::size_t(chromaStride) * (h / 2) + 1, kGuard),
          cr(std::size_t(chromaStride) * (h / 2) + 1, kGuard)
    {
    }
    std::uint8_t lumaAt(int x, int row) const { return y[std::size_t(row) * yStride + x]; }
    std::uint8_t cbAt(int i, int j) const { return cb[std::size_t(j) * cStride + i]; }
    std::uint8_t crAt(int i, int j) const { return cr[std::size_t(j) * cStride + i]; }
};

// The picture as the plain conversion takes it: 24-bit rows, bottom row first.
Bytes bottomUpRgb24(const QImage& image)
{
    const int w = image.width();
    const int h = image.height();
    Bytes out(std::size_t(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = image.constScanLine(y);
        std::uint8_t* dst = out.data() + std::size_t(h - 1 - y) * w * 3;
        for (int x = 0; x < w; ++x) {
            dst[x * 3] = src[x * 4];
            dst[x * 3 + 1] = src[x * 4 + 1];
            dst[x * 3 + 2] = src[x * 4 + 2];
        }
    }
    return out;
}

Planes plainConversion(const QImage& image)
{
    const int w = image.width();
    const int h = image.height();
    Planes planes(w, h, w, w / 2);
    const Bytes rgb = bottomUpRgb24(image);
    EXPECT_TRUE(convertRgb24ToI420(planes.y.data(), planes.cb.data(), planes.cr.data(), rgb.data(),
                                   w, h, w));
    return planes;
}

QImage solidImage(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// --- The colour table ------------------------------------------------------------------------

struct ColourCase {
    const char* name;
    int r, g, b;
    int y, cb, cr;
};

const ColourCase kColours[] = {
    {"white", 255, 255, 255, 235, 128, 128}, {"black", 0, 0, 0, 16, 128, 128},
    {"grey", 128, 128, 128, 126, 128, 128},  {"red", 255, 0, 0, 81, 90, 239},
    {"green", 0, 255, 0, 144, 54, 34},       {"blue", 0, 0, 255, 40, 239, 110},
};

TEST(YuvConverter, SolidColoursGiveStudioRangeValues)
{
    for (const ColourCase& c : kColours) {
        SCOPED_TRACE(c.name);
        const QImage image = solidImage(4, 4, qRgb(c.r, c.g, c.b));
        const Planes plain = plainConversion(image);
        Planes fast(4, 4, 4, 2);
        ASSERT_TRUE(
            convertCanvasToI420(image, fast.y.data(), 4, fast.cb.data(), 2, fast.cr.data(), 2));
        for (const Planes* p : {&plain, const_cast<const Planes*>(&fast)}) {
            for (int row = 0; row < 4; ++row) {
                for (int x = 0; x < 4; ++x)
                    EXPECT_EQ(p->lumaAt(x, row), c.y);
            }
            for (int j = 0; j < 2; ++j) {
                for (int i = 0; i < 2; ++i) {
                    EXPECT_EQ(p->cbAt(i, j), c.cb);
                    EXPECT_EQ(p->crAt(i, j), c.cr);
                }
            }
        }
    }
}

TEST(YuvConverter, BlockChromaComesFromTheSumOfItsFourPixels)
{
    // One red pixel among three black ones: -38 * 255 / 1024 = -9.46 rounds down to -10 and
    // 112 * 255 / 1024 = 27.9 to 27; neither equals the chroma of any single pixel.
    QImage image = solidImage(2, 2, qRgb(0, 0, 0));
    image.setPixel(1, 0, qRgb(255, 0, 0));
    const Planes plain = plainConversion(image);
    EXPECT_EQ(plain.cbAt(0, 0), 118);
    EXPECT_EQ(plain.crAt(0, 0), 155);
    EXPECT_EQ(plain.lumaAt(0, 0), 16);
    EXPECT_EQ(plain.lumaAt(1, 0), 81);

    Planes fast(2, 2, 2, 1);
    ASSERT_TRUE(convertCanvasToI420(image, fast.y.data(), 2, fast.cb.data(), 1, fast.cr.data(), 1));
    EXPECT_EQ(fast.y, plain.y);
    EXPECT_EQ(fast.cb, plain.cb);
    EXPECT_EQ(fast.cr, plain.cr);
}

TEST(YuvConverter, BottomRowOfTheBufferBecomesTheTopRowOfThePlanes)
{
    // 2 x 4 picture, bottom-up buffer: buffer row 0 (the bottom of the picture) white, the rest
    // black.
    const int w = 2;
    const int h = 4;
    Bytes rgb(std::size_t(w) * h * 3, 0);
    std::fill(rgb.begin(), rgb.begin() + w * 3, 255);
    Planes planes(w, h, w, w / 2);
    ASSERT_TRUE(convertRgb24ToI420(planes.y.data(), planes.cb.data(), planes.cr.data(), rgb.data(),
                                   w, h, w));
    for (int row = 0; row < h; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(planes.lumaAt(0, row), row == h - 1 ? 235 : 16);
        EXPECT_EQ(planes.lumaAt(1, row), row == h - 1 ? 235 : 16);
    }
}

TEST(YuvConverter, OddSizesConvertAllLumaAndWholeBlocksOnly)
{
    struct Size {
        int w, h;
    };
    for (const Size s : {Size{1, 1}, Size{3, 1}, Size{1, 3}, Size{3, 3}, Size{5, 4}, Size{4, 5}}) {
        SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h));
        const QImage image = solidImage(s.w, s.h, qRgb(255, 0, 0));
        const Planes plain = plainConversion(image);
        Planes fast(s.w, s.h, s.w, s.w / 2);
        ASSERT_TRUE(convertCanvasToI420(image, fast.y.data(), s.w, fast.cb.data(), s.w / 2,
                                        fast.cr.data(), s.w / 2));
        for (const Planes* p : {&plain, const_cast<const Planes*>(&fast)}) {
            for (std::uint8_t luma : p->y)
                EXPECT_EQ(luma, 81);
            const std::size_t chromaBytes = std::size_t(s.w / 2) * (s.h / 2);
            for (std::size_t i = 0; i < p->cb.size(); ++i) {
                EXPECT_EQ(p->cb[i], i < chromaBytes ? 90 : kGuard);
                EXPECT_EQ(p->cr[i], i < chromaBytes ? 239 : kGuard);
            }
        }
    }
}

// --- Canvas conversion against the plain conversion -----------------------------------------

// A canvas over an exactly sized buffer (the last row ends at the end of the allocation, so
// that reading past it is caught by the address sanitizer), with random bytes in every pixel
// including the unused fourth byte.
struct RandomCanvas {
    std::vector<std::uint8_t> bytes;
    QImage image;

    RandomCanvas(int w, int h, int padding, QImage::Format format, std::mt19937& random)
    {
        const int bytesPerLine = w * 4 + padding;
        bytes.resize(std::size_t(bytesPerLine) * (h - 1) + std::size_t(w) * 4);
        std::uniform_int_distribution<int> byte(0, 255);
        for (std::uint8_t& b : bytes)
            b = std::uint8_t(byte(random));
        image = QImage(bytes.data(), w, h, bytesPerLine, format);
    }
};

std::vector<yuv::Loop> availableLoops()
{
    std::vector<yuv::Loop> loops;
    for (yuv::Loop loop : {yuv::Loop::Portable, yuv::Loop::Sse2, yuv::Loop::Avx2,
                           yuv::Loop::Avx2Vnni, yuv::Loop::Avx512Vnni}) {
        if (yuv::rowPairLoop(loop))
            loops.push_back(loop);
    }
    return loops;
}

TEST(YuvConverter, CanvasConversionEqualsPlainConversionOnRandomPictures)
{
    std::mt19937 random(20240611);
    struct Size {
        int w, h;
    };
    std::vector<Size> sizes;
    for (int w = 1; w <= 70; ++w)
        sizes.push_back({w, 1 + w % 7});
    for (Size s : {Size{127, 9}, Size{128, 8}, Size{130, 3}, Size{720, 480}, Size{961, 7}})
        sizes.push_back(s);

    const std::vector<yuv::Loop> loops = availableLoops();
    ASSERT_FALSE(loops.empty());
    for (const Size s : sizes) {
        for (int padding : {0, 4, 12}) {
            const QImage::Format format =
                padding == 4 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
            RandomCanvas canvas(s.w, s.h, padding, format, random);
            const Planes plain = plainConversion(canvas.image);
            for (yuv::Loop loop : loops) {
                SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << " padding " << padding
                                                << " loop " << int(loop));
                // Strides wider than the planes: the bytes in between must stay untouched.
                const int yStride = s.w + 3;
                const int cStride = s.w / 2 + 5;
                Planes fast(s.w, s.h, yStride, cStride);
                ASSERT_TRUE(yuv::convertCanvasWith(loop, canvas.image, fast.y.data(), yStride,
                                                   fast.cb.data(), cStride, fast.cr.data(),
                                                   cStride));
                bool same = true;
                for (int row = 0; row < s.h; ++row) {
                    for (int x = 0; x < yStride; ++x) {
                        const int want = x < s.w ? plain.lumaAt(x, row) : kGuard;
                        same = same && fast.lumaAt(x, row) == want;
                    }
                }
                for (int j = 0; j < s.h / 2; ++j) {
                    for (int i = 0; i < cStride; ++i) {
                        const bool inside = i < s.w / 2;
                        same = same && fast.cbAt(i, j) == (inside ? plain.cbAt(i, j) : kGuard);
                        same = same && fast.crAt(i, j) == (inside ? plain.crAt(i, j) : kGuard);
                    }
                }
                EXPECT_TRUE(same);
            }
        }
    }
}

TEST(YuvConverter, ExtremeBlocksMatchThePlainConversion)
{
    // Blocks mixing full and empty channels reach the ends of every intermediate range.
    const QRgb corners[] = {qRgb(0, 0, 0),     qRgb(255, 255, 255), qRgb(255, 0, 0),
                            qRgb(0, 255, 0),   qRgb(0, 0, 255),     qRgb(255, 255, 0),
                            qRgb(0, 255, 255), qRgb(255, 0, 255)};
    // Every ordered combination of four corner colours, one 2 x 2 block each, in a 64-column
    // strip so that the vector loops see them.
    const int blocks = 8 * 8 * 8 * 8;
    QImage image(64, blocks / 32 * 2, QImage::Format_RGB32);
    for (int n = 0; n < blocks; ++n) {
        const int bx = (n % 32) * 2;
        const int by = (n / 32) * 2;
        image.setPixel(bx, by, corners[n % 8]);
        image.setPixel(bx + 1, by, corners[n / 8 % 8]);
        image.setPixel(bx, by + 1, corners[n / 64 % 8]);
        image.setPixel(bx + 1, by + 1, corners[n / 512 % 8]);
    }
    const Planes plain = plainConversion(image);
    for (yuv::Loop loop : availableLoops()) {
        SCOPED_TRACE(int(loop));
        Planes fast(image.width(), image.height(), image.width(), image.width() / 2);
        ASSERT_TRUE(yuv::convertCanvasWith(loop, image, fast.y.data(), fast.yStride, fast.cb.data(),
                                           fast.cStride, fast.cr.data(), fast.cStride));
        EXPECT_EQ(fast.y, plain.y);
        EXPECT_EQ(fast.cb, plain.cb);
        EXPECT_EQ(fast.cr, plain.cr);
    }
}

// --- Single-buffer layout ---------------------------------------------------------------------

TEST(YuvConverter, LayoutOfTheEncoderBuffer)
{
    struct Case {
        int w, h;
        std::size_t cb, cr, total;
    };
    const Case cases[] = {
        {720, 480, 345600, 432000, 518400},
        {960, 540, 518400, 648000, 777600},
        {3, 3, 9, 11, 12},
        {0, 480, 0, 0, 0},
        {-2, 2, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        const I420Layout layout = i420Layout(c.w, c.h);
        EXPECT_EQ(layout.cbOffset, c.cb);
        EXPECT_EQ(layout.crOffset, c.cr);
        EXPECT_EQ(layout.totalBytes, c.total);
    }
}

TEST(YuvConverter, SingleBufferHoldsThePlanesAtTheirOffsets)
{
    std::mt19937 random(7);
    for (int size : {2, 3, 34}) {
        SCOPED_TRACE(size);
        RandomCanvas canvas(size, size, 0, QImage::Format_RGB32, random);
        const Planes plain = plainConversion(canvas.image);
        const I420Layout layout = i420Layout(size, size);
        Bytes buffer(layout.totalBytes);
        EXPECT_FALSE(convertCanvasToI420(canvas.image, buffer.data(), buffer.size() - 1));
        ASSERT_TRUE(convertCanvasToI420(canvas.image, buffer.data(), buffer.size()));
        const std::size_t chroma = std::size_t(size / 2) * (size / 2);
        EXPECT_TRUE(std::equal(plain.y.begin(), plain.y.end(), buffer.begin()));
        EXPECT_TRUE(std::equal(plain.cb.begin(), plain.cb.begin() + chroma,
                               buffer.begin() + layout.cbOffset));
        EXPECT_TRUE(std::equal(plain.cr.begin(), plain.cr.begin() + chroma,
                               buffer.begin() + layout.crOffset));
    }
}

TEST(YuvConverter, FrameAreaOfALargerCanvasIsConvertedInPlace)
{
    std::mt19937 random(11);
    RandomCanvas canvas(50, 30, 8, QImage::Format_RGB32, random);
    for (const QRect area : {QRect(0, 0, 50, 30), QRect(3, 5, 20, 10), QRect(7, 1, 33, 7),
                             QRect(49, 29, 1, 1), QRect(1, 0, 48, 30)}) {
        SCOPED_TRACE(testing::Message()
                     << area.x() << "," << area.y() << " " << area.width() << "x" << area.height());
        const Planes plain = plainConversion(canvas.image.copy(area));
        const I420Layout layout = i420Layout(area.width(), area.height());
        Bytes buffer(layout.totalBytes + 1, kGuard);
        ASSERT_TRUE(convertCanvasToI420(canvas.image, area, buffer.data(), layout.totalBytes));
        const std::size_t chroma = std::size_t(area.width() / 2) * (area.height() / 2);
        EXPECT_TRUE(std::equal(plain.y.begin(), plain.y.end(), buffer.begin()));
        EXPECT_TRUE(std::equal(plain.cb.begin(), plain.cb.begin() + chroma,
                               buffer.begin() + layout.cbOffset));
        EXPECT_TRUE(std::equal(plain.cr.begin(), plain.cr.begin() + chroma,
                               buffer.begin() + layout.crOffset));
        EXPECT_EQ(buffer.back(), kGuard);
    }
    Bytes buffer(4096, kGuard);
    for (const QRect area :
         {QRect(), QRect(40, 0, 20, 10), QRect(-1, 0, 5, 5), QRect(0, 29, 4, 2)}) {
        EXPECT_FALSE(convertCanvasToI420(canvas.image, area, buffer.data(), buffer.size()));
    }
    EXPECT_TRUE(
        std::all_of(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b == kGuard; }));
}

// --- Refusals ---------------------------------------------------------------------------------

TEST(YuvConverter, UnusableArgumentsAreRefusedWithoutWriting)
{
    const QImage canvas = solidImage(8, 4, qRgb(1, 2, 3));
    Bytes y(64, kGuard);
    Bytes cb(16, kGuard);
    Bytes cr(16, kGuard);
    Bytes rgb(8 * 4 * 3, 0);
    auto untouched = [&] {
        return std::all_of(y.begin(), y.end(), [](std::uint8_t b) { return b == kGuard; }) &&
               std::all_of(cb.begin(), cb.end(), [](std::uint8_t b) { return b == kGuard; }) &&
               std::all_of(cr.begin(), cr.end(), [](std::uint8_t b) { return b == kGuard; });
    };

    struct CanvasCase {
        const char* name;
        QImage image;
        int yStride, cbStride, crStride;
        bool nullPlane;
    };
    const CanvasCase canvasCases[] = {
        {"null canvas", QImage(), 8, 4, 4, false},
        {"24-bit canvas", canvas.convertToFormat(QImage::Format_RGB888), 8, 4, 4, false},
        {"straight alpha canvas", canvas.convertToFormat(QImage::Format_ARGB32), 8, 4, 4, false},
        {"luma stride too small", canvas, 7, 4, 4, false},
        {"cb stride too small", canvas, 8, 3, 4, false},
        {"cr stride too small", canvas, 8, 4, 3, false},
        {"null plane", canvas, 8, 4, 4, true},
    };
    for (const CanvasCase& c : canvasCases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(convertCanvasToI420(c.image, y.data(), c.yStride,
                                         c.nullPlane ? nullptr : cb.data(), c.cbStride, cr.data(),
                                         c.crStride));
        EXPECT_TRUE(untouched());
    }
    EXPECT_FALSE(convertCanvasToI420(QImage(), y.data(), y.size()));
    EXPECT_FALSE(convertCanvasToI420(canvas, nullptr, 1000));

    struct PlainCase {
        const char* name;
        const std::uint8_t* source;
        int w, h, stride;
    };
    const PlainCase plainCases[] = {
        {"null source", nullptr, 8, 4, 8},
        {"zero width", rgb.data(), 0, 4, 8},
        {"negative height", rgb.data(), 8, -4, 8},
        {"stride below width", rgb.data(), 8, 4, 7},
    };
    for (const PlainCase& c : plainCases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(
            convertRgb24ToI420(y.data(), cb.data(), cr.data(), c.source, c.w, c.h, c.stride));
        EXPECT_TRUE(untouched());
    }
    EXPECT_FALSE(convertRgb24ToI420(nullptr, cb.data(), cr.data(), rgb.data(), 8, 4, 8));
}

} // namespace
} // namespace pictavo
