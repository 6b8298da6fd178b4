#include "raster/raster_fixtures.h"
#include "raster/raster_image.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

using test::colourDistance;

// The colours at the four corners of a picture, clockwise from the top left.
struct Corners {
    QRgb topLeft, topRight, bottomRight, bottomLeft;
    bool operator==(const Corners&) const = default;
};

Corners cornersOf(const QImage& image)
{
    const int r = image.width() - 1;
    const int b = image.height() - 1;
    return {image.pixel(0, 0), image.pixel(r, 0), image.pixel(r, b), image.pixel(0, b)};
}

void PrintTo(const Corners& c, std::ostream* out)
{
    *out << std::hex << c.topLeft << " " << c.topRight << " " << c.bottomRight << " "
         << c.bottomLeft;
}

TEST(Transform, TurnsAndFlipsMovePixelsExactly)
{
    const QImage source = test::quadrantImage(6, 4, test::colourQuadrants());
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255),
               white = qRgb(255, 255, 255);
    ASSERT_EQ(cornersOf(source), (Corners{red, green, white, blue}));

    const struct {
        const char* name;
        QImage (*operation)(const QImage&);
        QSize size;
        Corners corners;
    } cases[] = {
        {"rotateLeft90", rotateLeft90, QSize(4, 6), {green, white, blue, red}},
        {"rotateRight90", rotateRight90, QSize(4, 6), {blue, red, green, white}},
        {"rotate180", rotate180, QSize(6, 4), {white, blue, red, green}},
        {"flipRows", flipRows, QSize(6, 4), {blue, white, green, red}},
        {"flipColumns", flipColumns, QSize(6, 4), {green, red, blue, white}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage result = c.operation(source);
        ASSERT_EQ(result.size(), c.size);
        EXPECT_EQ(cornersOf(result), c.corners);
        // Every pixel is moved, none is blended: the picture holds only the four colours in
        // equal shares.
        int counts[4] = {0, 0, 0, 0};
        for (int y = 0; y < result.height(); ++y) {
            for (int x = 0; x < result.width(); ++x) {
                const QRgb p = result.pixel(x, y);
                counts[0] += p == red;
                counts[1] += p == green;
                counts[2] += p == blue;
                counts[3] += p == white;
            }
        }
        EXPECT_EQ(counts[0] + counts[1] + counts[2] + counts[3], 24);
        EXPECT_EQ(counts[0], 6);
        EXPECT_EQ(counts[3], 6);
    }
}

TEST(Transform, TurnsCombineLikeTheyShould)
{
    const QImage source = test::quadrantImage(6, 4, test::colourQuadrants());
    EXPECT_EQ(rotateRight90(rotateLeft90(source)), source);
    EXPECT_EQ(rotateRight90(rotateRight90(source)), rotate180(source));
    EXPECT_EQ(flipColumns(flipRows(rotate180(source))), source);
    // Transparency survives.
    QImage alpha = source.convertToFormat(QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(10, 20, 30, 40));
    EXPECT_EQ(rotate180(alpha).pixel(5, 3), qRgba(10, 20, 30, 40));
    EXPECT_EQ(rotateLeft90(alpha).pixel(0, 5), qRgba(10, 20, 30, 40));
}

TEST(Transform, CropKeepsTheRectangleInsideThePicture)
{
    const QImage source = test::quadrantImage(20, 10, test::colourQuadrants());
    const struct {
        QRect rect;
        QSize size;
        QRgb topLeft;
    } cases[] = {
        {QRect(10, 5, 10, 5), QSize(10, 5), qRgb(255, 255, 255)},
        {QRect(5, 0, 10, 10), QSize(10, 10), qRgb(255, 0, 0)},
        {QRect(15, 8, 50, 50), QSize(5, 2), qRgb(255, 255, 255)}, // clipped
        {QRect(-5, -5, 10, 10), QSize(5, 5), qRgb(255, 0, 0)},    // clipped
        {QRect(30, 30, 5, 5), QSize(20, 10), qRgb(255, 0, 0)},    // outside: unchanged
        {QRect(3, 3, 0, 4), QSize(20, 10), qRgb(255, 0, 0)},      // empty: unchanged
    };
    for (const auto& c : cases) {
        const QImage result = crop(source, c.rect);
        EXPECT_EQ(result.size(), c.size);
        EXPECT_EQ(result.pixel(0, 0), c.topLeft);
    }
}

TEST(Transform, ResampleGivesTheSizeAskedFor)
{
    const QImage source = test::quadrantImage(64, 48, test::colourQuadrants());
    const QSize sizes[] = {QSize(32, 24), QSize(100, 20), QSize(128, 96), QSize(1, 1)};
    for (const QSize size : sizes) {
        const QImage result = resample(source, size);
        ASSERT_EQ(result.size(), size);
        EXPECT_FALSE(result.hasAlphaChannel());
    }
    const QImage half = resample(source, QSize(32, 24));
    EXPECT_LE(colourDistance(half.pixel(4, 4), qRgb(255, 0, 0)), 2);
    EXPECT_LE(colourDistance(half.pixel(28, 20), qRgb(255, 255, 255)), 2);

    EXPECT_TRUE(resample(source, QSize(0, 10)).isNull());
    EXPECT_TRUE(resample(QImage(), QSize(10, 10)).isNull());

    // Transparency is kept, and transparent pixels do not darken their neighbours' colour.
    QImage alpha(40, 40, QImage::Format_ARGB32);
    alpha.fill(qRgba(0, 0, 0, 0));
    for (int y = 0; y < 40; ++y)
        for (int x = 20; x < 40; ++x)
            alpha.setPixel(x, y, qRgba(255, 255, 255, 255));
    const QImage small = resample(alpha, QSize(20, 20));
    ASSERT_TRUE(small.hasAlphaChannel());
    EXPECT_EQ(qAlpha(small.pixel(2, 10)), 0);
    EXPECT_EQ(qAlpha(small.pixel(17, 10)), 255);
    EXPECT_EQ(small.pixel(17, 10), qRgba(255, 255, 255, 255));
}

} // namespace
} // namespace pictavo
