// What the resource generator leaves in the application folder: every picture decodes at its
// size, the decorations are usable by the photo editor, and the demo project loads.

#include "effects/effect_catalogue.h"
#include "model/project.h"
#include "model/project_file.h"
#include "raster/raster_image.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace pictavo {
namespace {

namespace fs = std::filesystem;

std::string appFolder()
{
    const char* folder = std::getenv("PICTAVO_APP_DIR");
    return folder != nullptr ? folder : "";
}

std::string appFile(const std::string& relative)
{
    return appFolder() + "/" + relative;
}

// Standard deviation of the grey level: a picture that came out as one flat colour is near 0.
double greyDeviation(const QImage& image)
{
    double sum = 0;
    double squares = 0;
    long long count = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            const double grey = qGray(image.pixel(x, y));
            sum += grey;
            squares += grey * grey;
            ++count;
        }
    }
    const double mean = sum / count;
    return std::sqrt(std::max(0.0, squares / count - mean * mean));
}

// Mean absolute difference per channel of two pictures of the same size.
double meanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    long long count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
            count += 3;
        }
    }
    return sum / count;
}

QImage decodedOrFail(const std::string& path)
{
    const DecodedImage decoded = decodeImage(path);
    EXPECT_TRUE(decoded.ok()) << path << ": " << decoded.error;
    return decoded.image;
}

TEST(GeneratedPhotos, DecodeAtTheirSizeAndShowAScene)
{
    struct Case {
        const char* path;
        int width;
        int height;
    };
    const Case cases[] = {
        {"menu_pic/0.jpg", 1600, 1200},        {"menu_pic/1.jpg", 1600, 1200},
        {"samples/photos/01.jpg", 1600, 1200}, {"samples/photos/02.jpg", 1600, 1200},
        {"samples/photos/03.jpg", 1920, 1080}, {"samples/photos/04.jpg", 1200, 1600},
        {"samples/photos/05.jpg", 2000, 1000}, {"samples/photos/06.jpg", 1600, 1200},
        {"samples/photos/07.jpg", 1920, 1080}, {"samples/photos/08.jpg", 1600, 1200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const QImage image = decodedOrFail(appFile(c.path));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(c.width, c.height));
        EXPECT_GT(greyDeviation(image), 12.0) << "a flat picture";
    }
}

TEST(GeneratedPhotos, PlaceholderIsAGreyPictureSymbol)
{
    const QImage image = decodedOrFail(appFile("res/defaultImage.bmp"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(320, 240));
    const QRgb corner = image.pixel(0, 0);
    EXPECT_EQ(qRed(corner), qGreen(corner));
    EXPECT_EQ(qGreen(corner), qBlue(corner));
    EXPECT_GT(greyDeviation(image), 5.0) << "the symbol is missing";
}

TEST(GeneratedCovers, EveryTransitionHasACoverOfTheListSize)
{
    for (int position = 0; position < kTransitionTypeCount; ++position) {
        const std::string path = coverPath(position);
        SCOPED_TRACE(path);
        ASSERT_EQ(path.rfind(appFolder(), 0), 0u) << "cover outside the application folder";
        const QImage image = decodedOrFail(path);
        EXPECT_EQ(image.size(), QSize(160, 120));
        EXPECT_GT(greyDeviation(image), 8.0);
    }
}

TEST(GeneratedCovers, AlphaCoverIsTakenHalfWayBetweenTheSamplePhotos)
{
    const QImage cover = decodedOrFail(coverPath(pickPositionOfTransition(kTransitionAlpha)));
    const QImage first = decodedOrFail(appFile("menu_pic/0.jpg"))
                             .scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage second = decodedOrFail(appFile("menu_pic/1.jpg"))
                              .scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    ASSERT_FALSE(cover.isNull());
    const double fromFirst = meanDifference(cover, first);
    const double fromSecond = meanDifference(cover, second);
    const double between = meanDifference(first, second);
    // A cross-fade half-way lies about half the distance from either photo.
    EXPECT_GT(fromFirst, between * 0.25);
    EXPECT_GT(fromSecond, between * 0.25);
    EXPECT_LT(fromFirst, between * 0.75);
    EXPECT_LT(fromSecond, between * 0.75);
}

TEST(GeneratedDecorations, EveryCategoryListsThreeTransparentPictures)
{
    for (const char* category : {"Animal", "Dress", "Face", "Mark", "Other"}) {
        SCOPED_TRACE(category);
        const fs::path folder = appFile(std::string("decorate_pics/") + category);
        int listed = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            // The editor lists files whose name after the first dot is exactly "png".
            if (name.substr(name.find('.') + 1) != "png")
                continue;
            ++listed;
            SCOPED_TRACE(name);
            const DecorationImage decoration = decodeDecoration(entry.path().string());
            ASSERT_TRUE(decoration.ok()) << decoration.error;
            const QImage& image = decoration.image;
            EXPECT_EQ(image.size(), QSize(128, 128));
            int clear = 0;
            int solid = 0;
            int solidBlack = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QRgb p = image.pixel(x, y);
                    clear += qAlpha(p) == 0;
                    if (qAlpha(p) == 255) {
                        ++solid;
                        solidBlack += (p & 0xFFFFFFu) == 0;
                    }
                }
            }
            EXPECT_GT(clear, image.width() * 4) << "no transparent surroundings";
            EXPECT_GT(solid, image.width() * 10) << "nothing drawn";
            // Pure black is left out when a decoration is drawn over a photo.
            EXPECT_EQ(solidBlack, 0);
        }
        EXPECT_GE(listed, 3);
    }
}

class DemoProject : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A preferences file of its own, so that loading never rewrites the program's file.
        project.resourcePaths().preferencesFile = temp.file("referenceFile.xml");
        project.setProjectFile(appFile("samples/demo.prg"));
    }

    test::TempDir temp;
    Project project;
};

TEST_F(DemoProject, StoresPathsRelativeToItsFolder)
{
    const std::string text = test::readFile(appFile("samples/demo.prg"));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find(appFolder() + "/samples/photos"), std::string::npos);
    EXPECT_NE(text.find("<strOriginalFile>photos/01.jpg</strOriginalFile>"), std::string::npos);
    EXPECT_NE(text.find("<originalFileName>../menu_pic/default.mp3</originalFileName>"),
              std::string::npos);
}

TEST_F(DemoProject, LoadsTwoSlideshowsWithVariedEffectsAndTheDefaultMusic)
{
    std::vector<std::string> music;
    const bool loaded = loadProject(project, [&](Slideshow&, const std::string& path,
                                                 const std::string&) { music.push_back(path); });
    ASSERT_TRUE(loaded);
    ASSERT_EQ(project.slideshowCount(), 2);
    ASSERT_EQ(music.size(), 2u);
    for (const std::string& path : music) {
        EXPECT_TRUE(fs::exists(path)) << path;
        EXPECT_EQ(fs::path(path).filename(), "default.mp3");
    }
    std::map<int, int> transitions;
    std::map<int, int> motions;
    for (int s = 0; s < project.slideshowCount(); ++s) {
        const Slideshow& slideshow = *project.slideshow(s);
        SCOPED_TRACE(slideshow.name());
        EXPECT_GE(slideshow.photoCount(), 4);
        EXPECT_GT(slideshow.totalFrames(), 0);
        for (int p = 0; p < slideshow.photoCount(); ++p) {
            const PhotoItem& photo = *slideshow.photo(p);
            EXPECT_TRUE(fs::exists(photo.workingPath)) << photo.workingPath;
            EXPECT_TRUE(fs::path(photo.workingPath).is_absolute()) << photo.workingPath;
            ++transitions[photo.settings.effect.transitionType()];
            ++motions[photo.settings.effect.imageEffectId];
        }
    }
    EXPECT_GE(transitions.size(), 8u);
    EXPECT_GE(motions.size(), 8u);
}

} // namespace
} // namespace pictavo
