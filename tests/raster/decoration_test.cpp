#include "raster/raster_fixtures.h"
#include "raster/raster_image.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

// Palette: 0 black, 1 red, 2 green, 3 blue. Pixels (4 x 2): 0 1 2 3 / 3 2 1 0.
const std::string kPalette("\0\0\0"
                           "\xFF\0\0"
                           "\0\xFF\0"
                           "\0\0\xFF",
                           12);
const std::string kIndices("\0\1\2\3\3\2\1\0", 8);

TEST(Decoration, PaletteWithTransparentEntry)
{
    test::TempDir dir;
    const std::string path = dir.file("star.png");
    // Entry 2 (green) is fully transparent, entry 1 (red) half transparent.
    ASSERT_TRUE(test::writeFile(
        path, test::palettePng(4, 2, kPalette, std::string("\xFF\x80\x00", 3), kIndices)));

    const DecorationImage decoration = decodeDecoration(path);
    ASSERT_TRUE(decoration.ok()) << decoration.error;
    ASSERT_EQ(decoration.image.format(), QImage::Format_ARGB32);
    ASSERT_EQ(decoration.image.size(), QSize(4, 2));
    EXPECT_EQ(decoration.image.pixel(0, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(qAlpha(decoration.image.pixel(1, 0)), 0x80);
    EXPECT_EQ(qRed(decoration.image.pixel(1, 0)), 255);
    EXPECT_EQ(qAlpha(decoration.image.pixel(2, 0)), 0);
    EXPECT_EQ(decoration.image.pixel(3, 0), qRgba(0, 0, 255, 255));

    EXPECT_EQ(decoration.transparentIndex, 2);
    ASSERT_EQ(decoration.indexed.format(), QImage::Format_Indexed8);
    ASSERT_GE(decoration.indexed.colorCount(), 4);
    EXPECT_EQ(decoration.indexed.color(1), qRgba(255, 0, 0, 0x80));
    EXPECT_EQ(decoration.indexed.color(3), qRgba(0, 0, 255, 255));
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(decoration.indexed.pixelIndex(x, 0), x);
        EXPECT_EQ(decoration.indexed.pixelIndex(x, 1), 3 - x);
    }
}

TEST(Decoration, PaletteWithoutTransparency)
{
    test::TempDir dir;
    const std::string path = dir.file("plain.png");
    ASSERT_TRUE(test::writeFile(path, test::palettePng(4, 2, kPalette, "", kIndices)));

    const DecorationImage decoration = decodeDecoration(path);
    ASSERT_TRUE(decoration.ok()) << decoration.error;
    EXPECT_EQ(decoration.transparentIndex, -1);
    ASSERT_FALSE(decoration.indexed.isNull());
    EXPECT_EQ(decoration.indexed.color(0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(decoration.indexed.pixelIndex(3, 1), 0);
    EXPECT_EQ(decoration.image.pixel(2, 0), qRgba(0, 255, 0, 255));
}

TEST(Decoration, AlphaChannelComesThroughUnchanged)
{
    test::TempDir dir;
    const std::string path = dir.file("shadow.png");
    // Opaque white, a half-transparent grey shadow, and a fully transparent pixel.
    const std::string pixels("\xFF\xFF\xFF\xFF"
                             "\x40\x40\x40\x80"
                             "\x00\x00\x00\x00",
                             12);
    ASSERT_TRUE(test::writeFile(path, test::rgbaPng(3, 1, pixels)));

    const DecorationImage decoration = decodeDecoration(path);
    ASSERT_TRUE(decoration.ok()) << decoration.error;
    EXPECT_TRUE(decoration.indexed.isNull());
    EXPECT_EQ(decoration.transparentIndex, -1);
    EXPECT_EQ(decoration.image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(decoration.image.pixel(0, 0), qRgba(255, 255, 255, 255));
    EXPECT_EQ(decoration.image.pixel(1, 0), qRgba(0x40, 0x40, 0x40, 0x80));
    EXPECT_EQ(qAlpha(decoration.image.pixel(2, 0)), 0);
}

TEST(Decoration, OtherFilesAndFailures)
{
    test::TempDir dir;
    const std::string bmp = dir.file("clip.bmp");
    ASSERT_TRUE(test::writeQuadrantFile(bmp, "BMP", 8, 8, test::colourQuadrants()));
    const DecorationImage fromBmp = decodeDecoration(bmp);
    ASSERT_TRUE(fromBmp.ok()) << fromBmp.error;
    EXPECT_EQ(fromBmp.image.format(), QImage::Format_ARGB32);
    EXPECT_TRUE(fromBmp.indexed.isNull());

    const std::string broken = dir.file("broken.png");
    ASSERT_TRUE(
        test::writeFile(broken, test::palettePng(4, 2, kPalette, "", kIndices).substr(0, 40)));
    const DecorationImage failed = decodeDecoration(broken);
    EXPECT_FALSE(failed.ok());
    EXPECT_TRUE(failed.image.isNull());
    EXPECT_NE(failed.error.find("broken.png"), std::string::npos);
}

} // namespace
} // namespace pictavo
