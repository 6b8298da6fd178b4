// The production run with the real encoder library: the colours that reach the file, a stop in
// the middle of a slideshow, and the runs that cannot start.

#include "media_probe.h"
#include "production_fixture.h"

#include "core/app_paths.h"
#include "core/auto_reset_event.h"
#include "core/result_codes.h"
#include "production/produce_video.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace pictavo::test {
namespace {

namespace fs = std::filesystem;

const std::array<std::string, 8> kDvdNtsc{"mpeg2video", "720x480", "6000",  "29.97",
                                          "mp2",        "224",     "48000", "2"};
const std::array<std::string, 8> kSmallMpeg1{"mpeg1video", "352x240", "1150",  "25",
                                             "mp2",        "224",     "44100", "2"};

struct Yuv {
    int y, cb, cr;
};

// The studio-range BT.601 values of a flat colour.
Yuv yuvOf(QRgb c)
{
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    auto floorDiv = [](int n, int d) { return n >= 0 ? n / d : -((-n + d - 1) / d); };
    return {((25 * b + 129 * g + 66 * r) >> 8) + 16,
            floorDiv(4 * (112 * b - 74 * g - 38 * r), 1024) + 128,
            floorDiv(4 * (112 * r - 94 * g - 18 * b), 1024) + 128};
}

Yuv sampleAt(const MediaProbe& p, int x, int y)
{
    const auto& f = p.lastFrame;
    const std::size_t luma = std::size_t(p.width) * p.height;
    const std::size_t chroma = std::size_t(p.width / 2) * (y / 2) + x / 2;
    return {f[std::size_t(p.width) * y + x], f[luma + chroma], f[luma + luma / 4 + chroma]};
}

TEST(ProduceVideo, TheFileShowsTheRenderedColoursTheRightWayUp)
{
    TempDir dir;
    OutputProfile profile;
    ASSERT_TRUE(makeProfile(dir, kDvdNtsc, profile));
    // The last photo ends the file: four flat quadrants, fitted exact by height (800 x 600 in
    // 720 x 480 is 640 x 480, centred), with black bars left and right.
    TestPhoto last;
    last.width = 800;
    last.height = 600;
    last.gradient = false;
    last.quadrants = {qRgb(200, 60, 30), qRgb(40, 180, 70), qRgb(30, 60, 210), qRgb(230, 220, 90)};
    last.transition = kTransitionWipe;
    const auto slideshow = makeTestSlideshow(dir, {TestPhoto{}, last}, "mpg");
    ProductionRequest request;
    request.slideshow = slideshow.get();
    ASSERT_EQ(produceVideo(request, &profile), 0);

    const MediaProbe p = probeMedia(slideshow->mpgPath());
    ASSERT_TRUE(p.opened) << p.error;
    ASSERT_EQ(p.lastFrame.size(), 720u * 480 * 3 / 2);
    struct Spot {
        int x, y;
        QRgb colour;
    };
    const Spot spots[] = {
        {200, 120, last.quadrants[0]}, {520, 120, last.quadrants[1]}, {200, 360, last.quadrants[2]},
        {520, 360, last.quadrants[3]}, {10, 240, qRgb(0, 0, 0)},      {710, 240, qRgb(0, 0, 0)},
    };
    for (const Spot& spot : spots) {
        SCOPED_TRACE(std::to_string(spot.x) + "," + std::to_string(spot.y));
        const Yuv want = yuvOf(spot.colour);
        const Yuv got = sampleAt(p, spot.x, spot.y);
        EXPECT_NEAR(got.y, want.y, 4);
        EXPECT_NEAR(got.cb, want.cb, 4);
        EXPECT_NEAR(got.cr, want.cr, 4);
    }
}

TEST(ProduceVideo, AStopEndsTheRunWithAPlayableFileOfTheFramesSoFar)
{
    TempDir dir;
    OutputProfile profile;
    ASSERT_TRUE(makeProfile(dir, kSmallMpeg1, profile));
    TestPhoto moving;
    moving.motion = 8;
    moving.transition = kTransitionBlinds;
    const auto slideshow = makeTestSlideshow(dir, {TestPhoto{}, moving, moving}, "mpg");
    AutoResetEvent stop;
    int reports = 0;
    ProductionRequest request;
    request.slideshow = slideshow.get();
    request.stopEvent = &stop;
    // A stop during the first transition (the opening has 25 frames).
    request.progressCallback = [&](int) {
        if (++reports == 40)
            stop.set();
    };
    ASSERT_EQ(produceVideo(request, &profile), kResultStopped);
    EXPECT_EQ(reports, 40);

    const MediaProbe p = probeMedia(slideshow->mpgPath());
    ASSERT_TRUE(p.opened) << p.error;
    EXPECT_EQ(p.videoFrames, 40);
    EXPECT_TRUE(p.hasAudio);
}

// Restores the application folder the tests were started with.
struct ApplicationFolderOverride {
    explicit ApplicationFolderOverride(const std::string& folder) { setApplicationFolder(folder); }
    ~ApplicationFolderOverride() { setApplicationFolder(""); }
};

TEST(ProduceVideo, RunsThatCannotStartGiveOneAndWriteNoFile)
{
    TempDir dir;
    OutputProfile dvd;
    ASSERT_TRUE(makeProfile(dir, kDvdNtsc, dvd));
    TempDir other;
    OutputProfile oddSize;
    ASSERT_TRUE(makeProfile(
        other, {"mpeg2video", "700x400", "6000", "29.97", "mp2", "224", "48000", "2"}, oddSize));
    TempDir empty;
    const auto slideshow = makeTestSlideshow(dir, {TestPhoto{}, TestPhoto{}}, "mpg");
    Slideshow noPhotos("empty", dir.path());
    noPhotos.setMpgPath(dir.file("empty.mpg"));

    struct Case {
        const char* name;
        std::string applicationFolder; // "" for the build's own
        const OutputProfile* profile;
        const Slideshow* slideshow;
    };
    const Case cases[] = {
        {"no encoder library", empty.path(), &dvd, slideshow.get()},
        {"no current profile", "", nullptr, slideshow.get()},
        {"frame size not known", "", &oddSize, slideshow.get()},
        {"slideshow without photos", "", &dvd, &noPhotos},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ApplicationFolderOverride folder(c.applicationFolder);
        ProductionRequest request;
        request.slideshow = c.slideshow;
        EXPECT_EQ(produceVideo(request, c.profile), kResultFailed);
        EXPECT_FALSE(fs::exists(c.slideshow->mpgPath()));
    }
}

TEST(ProduceVideo, AnUnwritableOutputFileIsTheEncodersFailure)
{
    TempDir dir;
    OutputProfile profile;
    ASSERT_TRUE(makeProfile(dir, kSmallMpeg1, profile));
    const auto slideshow = makeTestSlideshow(dir, {TestPhoto{}, TestPhoto{}}, "mpg");
    // The output folder is a plain file.
    ASSERT_TRUE(writeFile(dir.file("blocker"), "x"));
    slideshow->setMpgPath(dir.file("blocker/show.mpg"));
    int reports = 0;
    ProductionRequest request;
    request.slideshow = slideshow.get();
    request.progressCallback = [&reports](int) { ++reports; };
    const int result = produceVideo(request, &profile);
    EXPECT_NE(result, kResultOk);
    EXPECT_NE(result, kResultStopped);
    EXPECT_EQ(reports, 0);
}

} // namespace
} // namespace pictavo::test
