#include "raster/raster_fixtures.h"
#include "raster/raster_image.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

using test::colourDistance;

int luma(QColor c)
{
    return int(0.2126 * c.red() + 0.7152 * c.green() + 0.0722 * c.blue() + 0.5);
}

struct SaveCase {
    std::string extension;
    enum { Full, Gray, Bilevel } colours;
    int tolerance;
};

TEST(Save, EveryWritableFormatReadsBackTheSamePicture)
{
    const SaveCase cases[] = {
        {"bmp", SaveCase::Full, 0},  {"jpg", SaveCase::Full, 40},    {"jpeg", SaveCase::Full, 40},
        {"gif", SaveCase::Full, 0},  {"png", SaveCase::Full, 0},     {"ico", SaveCase::Full, 0},
        {"tif", SaveCase::Full, 0},  {"tiff", SaveCase::Full, 0},    {"tga", SaveCase::Full, 0},
        {"pcx", SaveCase::Full, 0},  {"wbmp", SaveCase::Bilevel, 0}, {"jp2", SaveCase::Full, 40},
        {"j2k", SaveCase::Full, 40}, {"jpc", SaveCase::Full, 40},    {"j2c", SaveCase::Full, 40},
        {"pgx", SaveCase::Gray, 2},  {"ras", SaveCase::Full, 0},     {"pnm", SaveCase::Full, 0},
        {"pgm", SaveCase::Gray, 2},  {"ppm", SaveCase::Full, 0},
    };
    test::TempDir dir;
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.extension);
        const test::Quadrants colours =
            c.colours == SaveCase::Bilevel ? test::bilevelQuadrants() : test::colourQuadrants();
        // Not square, so that a turned or mirrored result shows.
        const QImage source = test::quadrantImage(48, 32, colours);
        const std::string path = dir.file("saved." + c.extension);
        const RasterStatus status = saveImage(source, path);
        ASSERT_TRUE(status.ok()) << status.error;

        const DecodedImage back = decodeImage(path);
        ASSERT_TRUE(back.ok()) << back.error;
        ASSERT_EQ(back.image.size(), QSize(48, 32));
        const struct {
            int x, y;
            QColor colour;
        } samples[] = {{4, 4, colours.topLeft},
                       {43, 4, colours.topRight},
                       {4, 27, colours.bottomLeft},
                       {43, 27, colours.bottomRight}};
        for (const auto& s : samples) {
            QRgb want = s.colour.rgb();
            if (c.colours == SaveCase::Gray)
                want = qRgb(luma(s.colour), luma(s.colour), luma(s.colour));
            EXPECT_LE(colourDistance(back.image.pixel(s.x, s.y), want), c.tolerance)
                << "at " << s.x << "," << s.y;
        }
    }
}

TEST(Save, TransparencyIsKeptWhereTheFormatHoldsIt)
{
    QImage source(8, 8, QImage::Format_ARGB32);
    source.fill(qRgba(0, 0, 255, 255));
    source.setPixel(1, 1, qRgba(0, 0, 0, 0));
    source.setPixel(6, 6, qRgba(255, 0, 0, 128));
    const struct {
        std::string extension;
        bool partial; // holds alpha values between 0 and 255
    } cases[] = {{"png", true}, {"tif", true}, {"tga", true}, {"bmp", true}, {"gif", false}};
    test::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extension);
        const std::string path = dir.file("alpha." + c.extension);
        ASSERT_TRUE(saveImage(source, path).ok());
        const DecodedImage back = decodeImage(path);
        ASSERT_TRUE(back.ok()) << back.error;
        ASSERT_TRUE(back.image.hasAlphaChannel());
        EXPECT_EQ(qAlpha(back.image.pixel(1, 1)), 0);
        EXPECT_EQ(back.image.pixel(3, 3), qRgba(0, 0, 255, 255));
        if (c.partial) {
            EXPECT_NEAR(qAlpha(back.image.pixel(6, 6)), 128, 1);
            EXPECT_EQ(qRed(back.image.pixel(6, 6)), 255);
        }
    }
}

TEST(Save, BmpIsWrittenWhateverTheExtensionInTheImagesOwnDepth)
{
    test::TempDir dir;
    const QImage opaque = test::quadrantImage(10, 6, test::colourQuadrants());
    QImage withAlpha = opaque.convertToFormat(QImage::Format_ARGB32);
    withAlpha.setPixel(0, 0, qRgba(0, 0, 0, 0));

    const struct {
        const QImage* image;
        int bitsPerPixel;
    } cases[] = {{&opaque, 24}, {&withAlpha, 32}};
    for (const auto& c : cases) {
        const std::string path = dir.file("copy" + std::to_string(c.bitsPerPixel) + ".jpg.bmp");
        ASSERT_TRUE(saveBmp(*c.image, path).ok());
        const std::string bytes = test::readFile(path);
        ASSERT_GT(bytes.size(), 30u);
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(int(static_cast<unsigned char>(bytes[28])), c.bitsPerPixel);
        // Other programs read it too.
        QImage viaQt;
        ASSERT_TRUE(viaQt.load(QString::fromStdString(path), "BMP"));
        EXPECT_EQ(viaQt.size(), QSize(10, 6));
        EXPECT_EQ(viaQt.pixel(9, 5) & 0xFFFFFF, 0xFFFFFFu);
        EXPECT_EQ(viaQt.pixel(9, 0) & 0xFFFFFF, 0x00FF00u);
    }
    // Even under another extension the file is a BMP.
    const std::string odd = dir.file("named.png");
    ASSERT_TRUE(saveBmp(opaque, odd).ok());
    EXPECT_EQ(test::readFile(odd).substr(0, 2), "BM");
}

TEST(Save, FailuresAreReportedAndLeaveExistingFilesAlone)
{
    test::TempDir dir;
    const QImage picture = test::quadrantImage(8, 8, test::colourQuadrants());
    const std::string existing = dir.file("keep.png");
    ASSERT_TRUE(test::writeFile(existing, "earlier content"));

    const struct {
        std::string path;
        QImage image;
        std::string mentions;
    } cases[] = {
        {dir.file("no/such/folder/out.png"), picture, "out.png"},
        {existing, QImage(), "no picture"},
        {dir.file("vector.wmf"), picture, "cannot be written"},
        {dir.file("vector.emf"), picture, "cannot be written"},
        {dir.file("unknown.xyz"), picture, "not a supported"},
        {dir.file("huge.ico"), test::quadrantImage(600, 600, test::colourQuadrants()), "huge.ico"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const RasterStatus status = saveImage(c.image, c.path);
        EXPECT_FALSE(status.ok());
        EXPECT_NE(status.error.find(c.mentions), std::string::npos) << status.error;
    }
    EXPECT_EQ(test::readFile(existing), "earlier content");
    EXPECT_FALSE(saveBmp(QImage(), existing).ok());
    EXPECT_EQ(test::readFile(existing), "earlier content");
}

} // namespace
} // namespace pictavo
