#include "raster/raster_fixtures.h"
#include "raster/raster_image.h"
#include "support/temp_dir.h"

#include <Magick++.h>
#include <QDir>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace pictavo {
namespace {

using test::colourDistance;

enum class Colours { Full, Gray, Bilevel };

struct FormatCase {
    std::string extension;
    std::string codec; // the name the fixture writer uses
    Colours colours;
    int tolerance;
};

std::ostream& operator<<(std::ostream& out, const FormatCase& c)
{
    return out << c.extension;
}

const FormatCase kFormats[] = {
    {"bmp", "BMP", Colours::Full, 0},      {"jpg", "JPEG", Colours::Full, 40},
    {"jpeg", "JPEG", Colours::Full, 40},   {"gif", "GIF", Colours::Full, 0},
    {"png", "PNG", Colours::Full, 0},      {"ico", "ICO", Colours::Full, 0},
    {"tif", "TIFF", Colours::Full, 0},     {"tiff", "TIFF", Colours::Full, 0},
    {"tga", "TGA", Colours::Full, 0},      {"pcx", "PCX", Colours::Full, 0},
    {"wbmp", "WBMP", Colours::Bilevel, 0}, {"jp2", "JP2", Colours::Full, 40},
    {"j2k", "J2K", Colours::Full, 40},     {"jpc", "JPC", Colours::Full, 40},
    {"j2c", "J2C", Colours::Full, 40},     {"pgx", "PGX", Colours::Gray, 2},
    {"ras", "SUN", Colours::Full, 0},      {"pnm", "PNM", Colours::Full, 0},
    {"pgm", "PGM", Colours::Gray, 2},      {"ppm", "PPM", Colours::Full, 0},
};

// Gray formats keep the brightness (Rec. 709 weights).
int luma(QColor c)
{
    return int(0.2126 * c.red() + 0.7152 * c.green() + 0.0722 * c.blue() + 0.5);
}

// Expected colour of a quadrant after the format has had its way with it.
QRgb expected(QColor colour, Colours kind)
{
    if (kind == Colours::Full || kind == Colours::Bilevel)
        return colour.rgb();
    const int gray = luma(colour);
    return qRgb(gray, gray, gray);
}

class DecodeEveryFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(DecodeEveryFormat, GivesTheQuadrantsAtFullSize)
{
    const FormatCase& format = GetParam();
    test::TempDir dir;
    const std::string path = dir.file("picture." + format.extension);
    const test::Quadrants colours =
        format.colours == Colours::Bilevel ? test::bilevelQuadrants() : test::colourQuadrants();
    ASSERT_TRUE(test::writeQuadrantFile(path, format.codec, 32, 32, colours));

    const DecodedImage decoded = decodeImage(path);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    ASSERT_EQ(decoded.image.size(), QSize(32, 32));
    EXPECT_EQ(decoded.fullSize, QSize(32, 32));
    const ImageProbe probe = probeImage(path);
    EXPECT_TRUE(probe.ok()) << probe.error;
    EXPECT_EQ(probe.size, QSize(32, 32));
    // Icons always carry a mask; the other files here are opaque and come out without alpha.
    EXPECT_EQ(decoded.image.hasAlphaChannel(), format.extension == "ico");

    const QImage& image = decoded.image;
    if (format.colours == Colours::Gray) {
        // Gray formats keep the brightness of each quadrant.
        const int red = luma(colours.topLeft);
        const int green = luma(colours.topRight);
        EXPECT_NEAR(qRed(image.pixel(5, 5)), red, format.tolerance);
        EXPECT_NEAR(qRed(image.pixel(26, 5)), green, format.tolerance);
        EXPECT_EQ(qRed(image.pixel(26, 5)), qBlue(image.pixel(26, 5)));
        return;
    }
    const struct {
        int x, y;
        QColor colour;
    } samples[] = {{5, 5, colours.topLeft},
                   {26, 5, colours.topRight},
                   {5, 26, colours.bottomLeft},
                   {26, 26, colours.bottomRight}};
    for (const auto& s : samples) {
        EXPECT_EQ(qAlpha(image.pixel(s.x, s.y)), 255);
        EXPECT_LE(colourDistance(image.pixel(s.x, s.y), expected(s.colour, format.colours)),
                  format.tolerance)
            << "at " << s.x << "," << s.y;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, DecodeEveryFormat, testing::ValuesIn(kFormats),
                         [](const auto& info) { return info.param.extension; });

TEST(Decode, WindowsMetafileIsDrawn)
{
    test::TempDir dir;
    const std::string path = dir.file("shape.wmf");
    ASSERT_TRUE(test::writeFile(path, test::solidWindowsMetafile(40, 30, QColor(255, 0, 0))));
    const DecodedImage decoded = decodeImage(path);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_FALSE(decoded.image.isNull());
    const QImage& image = decoded.image;
    EXPECT_LE(colourDistance(image.pixel(image.width() / 2, image.height() / 2), qRgb(255, 0, 0)),
              8);
}

TEST(Decode, ExtensionCaseDoesNotMatter)
{
    test::TempDir dir;
    const std::string path = dir.file("PIC.JPG");
    ASSERT_TRUE(test::writeQuadrantFile(path, "JPEG", 32, 32, test::colourQuadrants()));
    EXPECT_TRUE(decodeImage(path).ok());
    EXPECT_TRUE(probeImage(path).ok());
}

TEST(Decode, RefusesWhatIsNotAPictureOfItsKind)
{
    test::TempDir dir;
    const std::string good = dir.file("good.jpg");
    ASSERT_TRUE(test::writeGradientJpeg(good, 256, 256));
    const std::string jpeg = test::readFile(good);
    const std::string png = test::rgbaPng(1, 1, std::string("\xFF\0\0\xFF", 4));

    const struct {
        std::string name;
        std::string bytes;
        std::string mentions;
    } cases[] = {
        {"truncated.jpg", jpeg.substr(0, jpeg.size() / 2), "Premature end"},
        {"text.jpg", "This is only a note, not a photo.\n", "text.jpg"},
        {"png_inside.jpg", png, "png_inside.jpg"},
        {"empty.png", "", "empty"},
        {"garbage.png", std::string(100, 'x'), "garbage.png"},
        {"garbage.bmp", std::string(100, 'x'), "garbage.bmp"},
        {"garbage.tif", std::string(100, 'x'), "garbage.tif"},
        {"garbage.gif", "GIF89a" + std::string(10, '\0'), "garbage.gif"},
        {"drawing.emf", std::string(100, '\0'), "EMF"},
        {"notes.xyz", "x", "not a supported picture type"},
        {"noextension", "x", "no picture extension"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        ASSERT_TRUE(test::writeFile(path, c.bytes));
        const DecodedImage decoded = decodeImage(path);
        EXPECT_FALSE(decoded.ok());
        EXPECT_TRUE(decoded.image.isNull());
        EXPECT_NE(decoded.error.find(c.name), std::string::npos) << decoded.error;
        EXPECT_NE(decoded.error.find(c.mentions), std::string::npos) << decoded.error;
    }
    const std::string folder = dir.file("folder.jpg");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    EXPECT_FALSE(decodeImage(folder).ok());
    EXPECT_FALSE(probeImage(folder).ok());

    const DecodedImage missing = decodeImage(dir.file("missing.png"));
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error.find("missing.png"), std::string::npos);
}

TEST(Decode, PrintColoursComeOutAsScreenColours)
{
    test::TempDir dir;
    const std::string path = dir.file("print.jpg");
    {
        Magick::Image image(Magick::Geometry(16, 16), Magick::ColorRGB(1, 0, 0));
        image.matte(false);
        image.colorSpace(MagickCore::CMYKColorspace);
        image.write("JPEG:" + path);
    }
    const DecodedImage decoded = decodeImage(path);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_LE(colourDistance(decoded.image.pixel(8, 8), qRgb(255, 0, 0)), 40);
}

TEST(Decode, CameraOrientationIsApplied)
{
    test::TempDir dir;
    // Stored landscape: red on the left, blue on the right. Tag 6 asks for a clockwise turn,
    // so the upright picture is portrait with red on top.
    const std::string plain = dir.file("plain.jpg");
    ASSERT_TRUE(
        test::writeQuadrantFile(plain, "JPEG", 64, 32, {Qt::red, Qt::blue, Qt::red, Qt::blue}));
    const std::string turned = dir.file("turned.jpg");
    ASSERT_TRUE(test::writeFile(turned, test::withExifOrientation(test::readFile(plain), 6)));

    const DecodedImage decoded = decodeImage(turned);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    ASSERT_EQ(decoded.image.size(), QSize(32, 64));
    EXPECT_EQ(decoded.fullSize, QSize(32, 64));
    EXPECT_LE(colourDistance(decoded.image.pixel(16, 8), qRgb(255, 0, 0)), 40);
    EXPECT_LE(colourDistance(decoded.image.pixel(16, 56), qRgb(0, 0, 255)), 40);
    EXPECT_EQ(probeImage(turned).size, QSize(32, 64));

    // Saved again, the picture stays upright and is not turned a second time.
    const std::string saved = dir.file("saved.jpg");
    ASSERT_TRUE(saveImage(decoded.image, saved).ok());
    const DecodedImage again = decodeImage(saved);
    ASSERT_TRUE(again.ok()) << again.error;
    EXPECT_EQ(again.image.size(), QSize(32, 64));
    EXPECT_LE(colourDistance(again.image.pixel(16, 8), qRgb(255, 0, 0)), 40);
}

TEST(Decode, TiffOrientationIsApplied)
{
    test::TempDir dir;
    const std::string path = dir.file("scan.tif");
    {
        Magick::Image image(Magick::Geometry(40, 20), Magick::ColorRGB(1, 0, 0));
        image.fillColor(Magick::ColorRGB(0, 0, 1));
        image.draw(Magick::DrawableRectangle(20, 0, 39, 19));
        image.matte(false);
        image.orientation(MagickCore::RightTopOrientation);
        image.write("TIFF:" + path);
    }
    const DecodedImage decoded = decodeImage(path);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    ASSERT_EQ(decoded.image.size(), QSize(20, 40));
    EXPECT_EQ(decoded.image.pixel(10, 5), qRgb(255, 0, 0));
    EXPECT_EQ(decoded.image.pixel(10, 35), qRgb(0, 0, 255));
    EXPECT_EQ(probeImage(path).size, QSize(20, 40));
}

TEST(Decode, BoundedDecodeNeverGivesLessThanAsked)
{
    test::TempDir dir;
    const std::string path = dir.file("photo.jpg");
    ASSERT_TRUE(test::writeGradientJpeg(path, 1600, 1200));
    const std::string sideways = dir.file("sideways.jpg");
    ASSERT_TRUE(test::writeFile(sideways, test::withExifOrientation(test::readFile(path), 8)));
    const std::string small = dir.file("small.jpg");
    ASSERT_TRUE(test::writeGradientJpeg(small, 64, 48));
    const std::string png = dir.file("photo.png");
    ASSERT_TRUE(test::writeQuadrantFile(png, "PNG", 400, 300, test::colourQuadrants()));

    const struct {
        std::string file;
        QSize bound;
        QSize full;
        QSize atMost; // the decoder really scaled down
    } cases[] = {
        {path, QSize(80, 60), QSize(1600, 1200), QSize(200, 150)},
        {path, QSize(720, 480), QSize(1600, 1200), QSize(800, 600)},
        {path, QSize(60, 80), QSize(1600, 1200), QSize(400, 300)},
        {path, QSize(1000, 1000), QSize(1600, 1200), QSize(1600, 1200)},
        {path, QSize(5000, 5000), QSize(1600, 1200), QSize(1600, 1200)},
        {path, QSize(), QSize(1600, 1200), QSize(1600, 1200)},
        {sideways, QSize(60, 80), QSize(1200, 1600), QSize(150, 200)},
        {sideways, QSize(480, 720), QSize(1200, 1600), QSize(600, 800)},
        {small, QSize(80, 60), QSize(64, 48), QSize(64, 48)},
        {png, QSize(80, 60), QSize(400, 300), QSize(400, 300)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " bound " + std::to_string(c.bound.width()) + "x" +
                     std::to_string(c.bound.height()));
        const DecodedImage decoded = decodeImage(c.file, c.bound);
        ASSERT_TRUE(decoded.ok()) << decoded.error;
        EXPECT_EQ(decoded.fullSize, c.full);
        const QSize got = decoded.image.size();
        EXPECT_GE(got.width(),
                  std::min(c.bound.isValid() ? c.bound.width() : c.full.width(), c.full.width()));
        EXPECT_GE(got.height(), std::min(c.bound.isValid() ? c.bound.height() : c.full.height(),
                                         c.full.height()));
        EXPECT_LE(got.width(), c.atMost.width());
        EXPECT_LE(got.height(), c.atMost.height());
        // The proportions of the picture are kept.
        EXPECT_NEAR(double(got.width()) / got.height(), double(c.full.width()) / c.full.height(),
                    0.02);
    }
}

TEST(Probe, ReadsTheSizeFromTheHeader)
{
    test::TempDir dir;
    const std::string jpeg = dir.file("photo.jpg");
    ASSERT_TRUE(test::writeGradientJpeg(jpeg, 640, 480));
    // A TIFF larger than the first block the header check reads.
    const std::string tiff = dir.file("scan.tif");
    ASSERT_TRUE(test::writeQuadrantFile(tiff, "TIFF", 400, 300, test::colourQuadrants()));
    ASSERT_GT(test::readFile(tiff).size(), 256u * 1024u);
    // A truncated JPEG still has its header; decoding refuses it later.
    const std::string cut = dir.file("cut.jpg");
    const std::string bytes = test::readFile(jpeg);
    ASSERT_TRUE(test::writeFile(cut, bytes.substr(0, bytes.size() / 2)));

    EXPECT_EQ(probeImage(jpeg).size, QSize(640, 480));
    EXPECT_EQ(probeImage(tiff).size, QSize(400, 300));
    EXPECT_EQ(probeImage(cut).size, QSize(640, 480));

    for (const std::string name : {"text.jpg", "text.png", "text.bmp", "empty.gif"}) {
        const std::string path = dir.file(name);
        ASSERT_TRUE(test::writeFile(path, name == "empty.gif" ? "" : "plain words\n"));
        const ImageProbe probe = probeImage(path);
        EXPECT_FALSE(probe.ok()) << name;
        EXPECT_NE(probe.error.find(name), std::string::npos) << probe.error;
    }
    EXPECT_FALSE(probeImage(dir.file("missing.jpg")).ok());
    EXPECT_FALSE(probeImage(dir.file("a.emf")).ok());
}

TEST(Limits, LargePhotosPassAndHugeOnesAreRefusedClearly)
{
    test::TempDir dir;
    const struct {
        std::string name;
        std::string bytes;
        bool accepted;
    } cases[] = {
        {"hundred.png", test::pngHeaderOnly(12000, 8400), true},
        {"wide.png", test::pngHeaderOnly(40000, 100), false},
        {"huge.png", test::pngHeaderOnly(20000, 20000), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        ASSERT_TRUE(test::writeFile(path, c.bytes));
        const ImageProbe probe = probeImage(path);
        EXPECT_EQ(probe.ok(), c.accepted) << probe.error;
        if (c.accepted)
            continue;
        EXPECT_NE(probe.error.find("too large"), std::string::npos) << probe.error;
        const DecodedImage decoded = decodeImage(path);
        EXPECT_FALSE(decoded.ok());
        EXPECT_NE(decoded.error.find("too large"), std::string::npos) << decoded.error;
    }
    // The library's own limits were raised for the process.
    EXPECT_GT(Magick::ResourceLimits::width(), MagickCore::MagickSizeType(kMaxImageSide));
    EXPECT_GT(Magick::ResourceLimits::height(), MagickCore::MagickSizeType(kMaxImageSide));
    EXPECT_GE(Magick::ResourceLimits::area(), MagickCore::MagickSizeType(kMaxImagePixels));
    EXPECT_GE(Magick::ResourceLimits::memory(), MagickCore::MagickSizeType(1) << 30);
}

TEST(Decode, WorksFromSeveralThreadsAtOnce)
{
    test::TempDir dir;
    const std::string path = dir.file("photo.jpg");
    ASSERT_TRUE(test::writeGradientJpeg(path, 320, 240));
    std::vector<int> good(4, 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i)
                good[size_t(t)] += decodeImage(path, QSize(80, 60)).ok() ? 1 : 0;
        });
    }
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(good, std::vector<int>(4, 5));
}

TEST(Extensions, AcceptedSupportedAndWritable)
{
    EXPECT_EQ(acceptedImageExtensions().size(), 22u);
    for (const std::string& ext : acceptedImageExtensions())
        EXPECT_EQ(isSupportedImageExtension(ext), ext != "emf") << ext;
    EXPECT_TRUE(isSupportedImageExtension(".JPG"));
    EXPECT_FALSE(isSupportedImageExtension("xyz"));
    EXPECT_FALSE(isSupportedImageExtension(""));
    EXPECT_TRUE(isWritableImageExtension("Tiff"));
    EXPECT_FALSE(isWritableImageExtension("wmf"));
    EXPECT_FALSE(isWritableImageExtension("emf"));
    EXPECT_EQ(imageExtension("/a/b/PIC.JPG"), "jpg");
    EXPECT_EQ(imageExtension("/a.dir/noext"), "");
    EXPECT_EQ(imageExtension("x.tar.Gz"), "gz");
}

} // namespace
} // namespace pictavo
