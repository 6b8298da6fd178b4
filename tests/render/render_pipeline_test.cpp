#include "core/result_codes.h"
#include "render/frame_sink.h"
#include "render/motion_effects.h"
#include "render/render_job.h"
#include "render/transition_renderer.h"
#include "render/yuv_converter.h"
#include "render_test_support.h"

#include <QDir>
#include <QPainter>
#include <QThread>
#include <QThreadPool>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace pictavo {
namespace {

using test::makeSlideshow;
using test::PhotoSpec;
using test::ProductionFixture;
using test::RecordingSink;
using test::TempDir;

constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kGreen = 0xFF00FF00u;
constexpr QRgb kBlue = 0xFF0000FFu;

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

TEST(FramesPerSecond, FromTheProfileTextAndThePreviewStandard)
{
    EXPECT_EQ(productionFramesPerSecond("25"), 25);
    EXPECT_EQ(productionFramesPerSecond("29.97"), 29);
    EXPECT_EQ(productionFramesPerSecond("30"), 30);
    EXPECT_EQ(productionFramesPerSecond(""), 0);
    EXPECT_EQ(productionFramesPerSecond("fast"), 0);
    EXPECT_EQ(previewFramesPerSecond(1), 25);
    EXPECT_EQ(previewFramesPerSecond(0), 30);
    EXPECT_EQ(previewFrameIntervalMs(1), 40);
    EXPECT_EQ(previewFrameIntervalMs(0), 33);
}

// fps x (1 + sum over photos 1..n-1 of display + transition seconds), whatever photo 0 holds.
TEST(SlideshowRun, EmitsOneSecondOfOpeningAndEveryLaterStep)
{
    struct Case {
        const char* name;
        std::vector<PhotoSpec> photos;
        const char* frameRate;
        int expectedFrames;
    };
    const Case cases[] = {
        {"one photo: the opening only", {{kRed, 3, 2}}, "25", 25},
        {"three photos PAL", {{kRed, 9, 9}, {kGreen, 1, 1}, {kBlue, 2, 0}}, "25", 25 * (1 + 2 + 2)},
        {"29.97 renders 29 a second", {{kRed, 3, 2}, {kGreen, 1, 1}}, "29.97", 29 * 3},
        {"no transition: a cut", {{kRed, 1, 1}, {kGreen, 2, 0}}, "10", 10 * 3},
        {"no display: transition only", {{kRed, 1, 1}, {kGreen, 0, 2}}, "10", 10 * 3},
        {"a Random transition is not rendered",
         {{kRed, 1, 1}, {kGreen, 1, 1, kTransitionRandom}, {kBlue, 1, 1}},
         "10",
         10 * 3},
        {"a transition without its own renderer cuts",
         {{kRed, 1, 1}, {kGreen, 1, 1, kTransitionZoom}},
         "10",
         10 * 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto slideshow = makeSlideshow(dir, c.photos);
        RecordingSink sink;
        ProductionFixture fixture(*slideshow, sink);
        const int result = runSlideshowSteps(fixture.job, productionFramesPerSecond(c.frameRate));
        EXPECT_EQ(result, kResultOk);
        EXPECT_EQ(sink.frames(), c.expectedFrames);
    }
}

TEST(SerialPainting, RunsTheWorkOnAPoolThreadAndHandsBackItsResult)
{
    QThreadPool* pool = QThreadPool::globalInstance();
    bool onPool = false;
    bool nestedInPlace = false;
    const int result = runWithSerialPainting([&] {
        onPool = pool->contains(QThread::currentThread());
        QThread* outer = QThread::currentThread();
        // Already on a pool thread: no second task (it could wait for a free thread forever).
        runWithSerialPainting([&] {
            nestedInPlace = QThread::currentThread() == outer;
            return 0;
        });
        return 7;
    });
    EXPECT_EQ(result, 7);
    EXPECT_TRUE(onPool);
    EXPECT_TRUE(nestedInPlace);
    EXPECT_EQ(runWithSerialPainting([]() -> int { throw std::runtime_error("lost"); }),
              kResultFailed);
}

TEST(SerialPainting, OtherPoolTasksStillRunWhileTheRunHoldsAThread)
{
    QThreadPool* pool = QThreadPool::globalInstance();
    const int before = pool->maxThreadCount();
    pool->setMaxThreadCount(1); // the run takes the only thread there is
    bool otherRan = false;
    bool ranWhileHeld = false;
    runWithSerialPainting([&] {
        std::mutex mutex;
        std::condition_variable ran;
        // Started as the window's painting would be: from outside the pool.
        std::thread painter([&] {
            pool->start([&] {
                std::lock_guard lock(mutex);
                otherRan = true;
                ran.notify_one();
            });
        });
        painter.join();
        std::unique_lock lock(mutex);
        ranWhileHeld = ran.wait_for(lock, std::chrono::seconds(5), [&] { return otherRan; });
        return 0;
    });
    pool->waitForDone();
    EXPECT_TRUE(ranWhileHeld);
    EXPECT_EQ(pool->maxThreadCount(), 1); // the loan is given back
    pool->setMaxThreadCount(before);
}

TEST(SlideshowRun, EmptySlideshowRendersNothingAndFails)
{
    TempDir dir;
    const auto slideshow = makeSlideshow(dir, {});
    RecordingSink sink;
    ProductionFixture fixture(*slideshow, sink);
    EXPECT_EQ(runSlideshowSteps(fixture.job, 25), kResultFailed);
    EXPECT_EQ(sink.frames(), 0);
}

TEST(SlideshowRun, OpeningFadesInFromWhite)
{
    TempDir dir;
    const auto slideshow = makeSlideshow(dir, {{kBlue, 3, 2}});
    RecordingSink sink;
    sink.keepFrames = true;
    ProductionFixture fixture(*slideshow, sink);
    ASSERT_EQ(runSlideshowSteps(fixture.job, 25), kResultOk);
    ASSERT_EQ(sink.kept.size(), 25u);
    // first frame: 1/25 of the photo over white
    const QRgb first = sink.kept.front().pixel(32, 24);
    EXPECT_GE(qRed(first), 240);
    EXPECT_GE(qGreen(first), 240);
    EXPECT_EQ(qBlue(first), 255);
    // every frame a little bluer, the last one the photo itself
    int previousRed = 256;
    for (const QImage& frame : sink.kept) {
        EXPECT_LT(qRed(frame.pixel(10, 10)), previousRed);
        previousRed = qRed(frame.pixel(10, 10));
    }
    EXPECT_EQ(sink.kept.back().pixel(0, 0), kBlue);
    EXPECT_EQ(sink.kept.back().pixel(63, 47), kBlue);
}

TEST(SlideshowRun, StopIsHonouredAtTheNextFrame)
{
    // during the opening, in a transition and in the display frames of a later step
    for (const int stopAfter : {3, 27, 38}) {
        SCOPED_TRACE(stopAfter);
        TempDir dir;
        const auto slideshow = makeSlideshow(dir, {{kRed, 1, 1}, {kGreen, 1, 1}, {kBlue, 1, 1}});
        AutoResetEvent stop;
        RecordingSink sink;
        sink.stopAfter = stopAfter;
        sink.stopEvent = &stop;
        ProductionFixture fixture(*slideshow, sink);
        fixture.job.stopEvent = &stop;
        EXPECT_EQ(runSlideshowSteps(fixture.job, 10), kResultStopped);
        EXPECT_EQ(sink.frames(), stopAfter);
    }
}

TEST(SlideshowRun, PhotoThatCannotBeDecodedShowsTheBackgroundAndTheRunGoesOn)
{
    TempDir dir;
    const auto slideshow = makeSlideshow(dir, {{kRed, 1, 1}, {kGreen, 1, 0}, {kBlue, 1, 0}});
    ASSERT_TRUE(test::writeFile(slideshow->photo(1)->workingPath, "not a picture at all"));
    RecordingSink sink;
    sink.keepFrames = true;
    ProductionFixture fixture(*slideshow, sink);
    ASSERT_EQ(runSlideshowSteps(fixture.job, 10), kResultOk);
    ASSERT_EQ(sink.kept.size(), 30u);
    EXPECT_EQ(sink.kept[9].pixel(5, 5), kRed);
    EXPECT_EQ(sink.kept[10].pixel(5, 5), kDefaultBackground);
    EXPECT_EQ(sink.kept[19].pixel(63, 47), kDefaultBackground);
    EXPECT_EQ(sink.kept[20].pixel(5, 5), kBlue);
}

TEST(SlideshowRun, EncoderRefusalEndsTheRunWithItsCodeWithoutAProgressReport)
{
    TempDir dir;
    const auto slideshow = makeSlideshow(dir, {{kRed, 1, 1}, {kGreen, 1, 1}});
    const I420Layout layout = i420Layout(64, 48);
    std::vector<std::uint8_t> yuv(layout.totalBytes);
    EncoderSink sink(yuv.data(), yuv.size());
    ProductionFixture fixture(*slideshow, sink);
    int encoded = 0;
    fixture.job.encodeFrame = [&](const std::uint8_t*) { return ++encoded == 14 ? 7 : 0; };
    std::vector<int> progress;
    fixture.request.progressCallback = [&](int value) { progress.push_back(value); };
    EXPECT_EQ(runSlideshowSteps(fixture.job, 10), 7);
    EXPECT_EQ(encoded, 14);
    ASSERT_EQ(progress.size(), 13u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST(EncoderSink, ProgressCoversTheRunAndTheStopEventIsTheRequests)
{
    TempDir dir;
    const auto slideshow = makeSlideshow(dir, {{kRed, 1, 1}, {kGreen, 1, 1}});
    const I420Layout layout = i420Layout(64, 48);
    std::vector<std::uint8_t> yuv(layout.totalBytes);
    EncoderSink sink(yuv.data(), yuv.size());
    ProductionFixture fixture(*slideshow, sink);
    fixture.job.encodeFrame = [](const std::uint8_t*) { return 0; };
    fixture.job.progressStep = progressStepFor(30);
    std::vector<int> progress;
    AutoResetEvent stop;
    fixture.request.stopEvent = &stop;
    fixture.request.progressCallback = [&](int value) {
        progress.push_back(value);
        if (progress.size() == 20)
            stop.set();
    };
    EXPECT_EQ(runSlideshowSteps(fixture.job, 10), kResultStopped);
    ASSERT_EQ(progress.size(), 20u);
    EXPECT_EQ(progress[0], 2184);   // trunc(65535 / 30)
    EXPECT_EQ(progress[19], 43690); // trunc(20 x 65535 / 30)

    // a frame total below the frames run never reports beyond the whole
    RenderJob job;
    job.mode = RenderMode::Production;
    ASSERT_TRUE(prepareJobFrame(job, 64, 48));
    ProductionRequest request;
    std::vector<int> reports;
    request.progressCallback = [&](int value) { reports.push_back(value); };
    job.productionRequest = &request;
    job.encodeFrame = [](const std::uint8_t*) { return 0; };
    job.progressStep = progressStepFor(2);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(sink.deliver(job), kResultOk);
    EXPECT_EQ(reports, (std::vector<int>{32767, 65535, 65535}));
    EXPECT_EQ(progressStepFor(0), 0.0);
}

// The encoder receives what the plain conversion makes of the frame read back as bottom-up
// 24-bit rows.
TEST(EncoderSink, HandsTheEncoderTheI420PictureOfTheFrame)
{
    TempDir dir;
    QImage photo(128, 96, QImage::Format_RGB32);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x)
            photo.setPixel(x, y,
                           qRgb((x * 37 + y * 11) & 255, (x * 5 + y * 29) & 255, (x ^ y) * 2));
    ASSERT_TRUE(photo.save(QString::fromStdString(dir.file("pattern.png")), "PNG"));
    auto slideshow = makeSlideshow(dir, {});
    ASSERT_EQ(slideshow->addPhoto(dir.file("pattern.png"), PhotoSettings()), 0);
    slideshow->photo(0)->settings.effect.imageEffectId = 8; // a zoom: scaled, fractional

    constexpr int kWidth = 160;
    constexpr int kHeight = 120;
    const I420Layout layout = i420Layout(kWidth, kHeight);
    std::vector<std::uint8_t> yuv(layout.totalBytes);
    EncoderSink sink(yuv.data(), yuv.size());
    ProductionFixture fixture(*slideshow, sink, kWidth, kHeight);
    int frames = 0;
    int mismatches = 0;
    fixture.job.encodeFrame = [&](const std::uint8_t* frame) {
        ++frames;
        const QImage& canvas = fixture.job.canvas;
        std::vector<std::uint8_t> rgb(kWidth * kHeight * 3 + 1);
        for (int y = 0; y < kHeight; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
            std::uint8_t* out = rgb.data() + (kHeight - 1 - y) * kWidth * 3;
            for (int x = 0; x < kWidth; ++x) {
                out[x * 3] = static_cast<std::uint8_t>(qBlue(row[x]));
                out[x * 3 + 1] = static_cast<std::uint8_t>(qGreen(row[x]));
                out[x * 3 + 2] = static_cast<std::uint8_t>(qRed(row[x]));
            }
        }
        std::vector<std::uint8_t> reference(layout.totalBytes);
        EXPECT_TRUE(convertRgb24ToI420(reference.data(), reference.data() + layout.cbOffset,
                                       reference.data() + layout.crOffset, rgb.data(), kWidth,
                                       kHeight, kWidth));
        if (!std::equal(reference.begin(), reference.end(), frame))
            ++mismatches;
        return 0;
    };
    EXPECT_EQ(runSlideshowSteps(fixture.job, 5), kResultOk);
    EXPECT_EQ(frames, 5);
    EXPECT_EQ(mismatches, 0);
}

struct AlphaCase {
    int mode;
    int frame;
    QRgb expected;
};

TEST(AlphaTransition, BlendsAndFadesThroughWhiteOrBlack)
{
    // 10 transition frames from red to blue
    const AlphaCase cases[] = {
        {0, 0, qRgb(230, 0, 25)},
        {0, 4, qRgb(127, 0, 128)},
        {0, 9, kBlue},
        {1, 0, qRgb(255, 51, 51)},
        {1, 4, qRgb(255, 255, 255)},
        {1, 5, qRgb(204, 204, 255)},
        {1, 9, kBlue},
        {2, 2, qRgb(102, 0, 0)},
        {2, 4, qRgb(0, 0, 0)},
        {2, 6, qRgb(0, 0, 102)},
        {2, 9, kBlue},
        {7, 3, kRed}, // an unknown mode leaves the outgoing frame
    };
    for (const AlphaCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " frame " << c.frame);
        TempDir dir;
        const auto slideshow =
            makeSlideshow(dir, {{kRed, 1, 1}, {kBlue, 0, 1, kTransitionAlpha, c.mode}});
        RecordingSink sink;
        sink.keepFrames = true;
        ProductionFixture fixture(*slideshow, sink);
        ASSERT_EQ(runSlideshowSteps(fixture.job, 10), kResultOk);
        ASSERT_EQ(sink.kept.size(), 20u);
        const QRgb pixel = sink.kept[10 + c.frame].pixel(20, 20);
        EXPECT_TRUE(near(pixel, c.expected, 2)) << std::hex << pixel << " expected " << c.expected;
    }
}

// Watches what the shared step sees: the counter, the incoming frame and the release.
class ProbeTransition : public TransitionRenderer {
public:
    explicit ProbeTransition(bool frozen) : frozen_(frozen) {}
    std::vector<int> counters;
    std::vector<QImage> incoming;
    int began = 0;
    int ended = 0;
    int parameter = -1;
    int framesSeen = -1;

protected:
    bool freezesIncomingPhoto() const override { return frozen_; }
    void begin(RenderJob&) override
    {
        ++began;
        parameter = firstParameter();
        framesSeen = frames();
    }
    void composeTransitionFrame(RenderJob& job, int) override
    {
        counters.push_back(job.counter);
        incoming.push_back(job.photo.motionCanvas.copy());
        QPainter painter(&job.canvas);
        painter.drawImage(0, 0, outgoing());
    }
    void end() override { ++ended; }

private:
    bool frozen_;
};

TEST(TransitionStep, MovingOrFrozenIncomingPhotoAndReleaseOnEveryPath)
{
    struct Case {
        bool frozen;
        int stopAfter; // frames of the step before the stop (0: none)
        int expectedFrames;
        int expectedResult;
    };
    const Case cases[] = {
        {false, 0, 20, kResultOk},
        {true, 0, 20, kResultOk},
        {true, 3, 3, kResultStopped},    // stopped during the transition frames
        {false, 15, 15, kResultStopped}, // stopped during the display frames
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "frozen " << c.frozen << " stop " << c.stopAfter);
        TempDir dir;
        // photo 1 pans across the frame while it comes in
        const auto slideshow =
            makeSlideshow(dir, {{kRed, 1, 1}, {kGreen, 1, 1, kTransitionBlinds, 7, 0}});
        QImage tall(64, 256, QImage::Format_RGB32); // fitted 12 x 50, travels 52 pixels
        for (int x = 0; x < 64; ++x)
            for (int y = 0; y < 256; ++y)
                tall.setPixel(x, y, qRgb(x * 4, 255 - y, 0));
        ASSERT_TRUE(tall.save(QString::fromStdString(slideshow->photo(1)->workingPath), "PNG"));
        AutoResetEvent stop;
        RecordingSink sink;
        sink.stopEvent = &stop;
        ProductionFixture fixture(*slideshow, sink);
        fixture.job.stopEvent = &stop;
        fixture.job.counter = 1;
        fixture.job.stepFrames = 20;
        fixture.job.transitionFrames = 10;
        sink.stopAfter = c.stopAfter;
        ProbeTransition probe(c.frozen);
        EXPECT_EQ(probe.run(fixture.job), c.expectedResult);
        EXPECT_EQ(sink.frames(), c.expectedFrames);
        EXPECT_EQ(probe.began, 1);
        EXPECT_EQ(probe.ended, 1);
        EXPECT_EQ(probe.parameter, 7);
        EXPECT_EQ(probe.framesSeen, 10);
        const int transitionFrames = std::min(c.expectedFrames, 10);
        ASSERT_EQ(probe.counters.size(), static_cast<std::size_t>(transitionFrames));
        for (int k = 0; k < transitionFrames; ++k)
            EXPECT_EQ(probe.counters[k], 2 + k); // one counter unit per frame either way
        EXPECT_EQ(fixture.job.counter, 1 + c.expectedFrames);
        // moving: every frame a step further; frozen: the end-of-transition state throughout
        EXPECT_EQ(probe.incoming[0] == probe.incoming[transitionFrames - 1], c.frozen);
        if (c.expectedFrames == 20) {
            // the display frames carry on from where the transition left the photo
            PhotoFrame expected = fixture.job.photo;
            prepareMotion(0, expected, 20, 64, 256);
            moveMotion(expected, 20, 0);
            EXPECT_NEAR(fixture.job.photo.drawX, expected.drawX, 0.01);
        }
    }
}

TEST(TransitionTable, EveryConcreteTypeHasARenderer)
{
    for (int type = 0; type < kConcreteTransitionCount; ++type)
        EXPECT_NE(createTransitionRenderer(type), nullptr) << type;
    EXPECT_EQ(createTransitionRenderer(kTransitionRandom), nullptr);
    EXPECT_EQ(createTransitionRenderer(-1), nullptr);
    EXPECT_TRUE(hasOwnTransitionRenderer(kTransitionAlpha));
}

TEST(PreviewSink, PacesWithoutDroppingFramesAndHandsOverCopies)
{
    std::uint32_t now = 1000;
    std::vector<int> sleeps;
    PreviewSink::Clock clock;
    clock.tick = [&] { return now; };
    clock.sleep = [&](int ms) {
        sleeps.push_back(ms);
        now += static_cast<std::uint32_t>(ms);
    };
    std::vector<QImage> shown;
    PreviewSink sink([&](const QImage& frame) { shown.push_back(frame); }, clock);

    RenderJob job;
    job.mode = RenderMode::SlideshowPreview;
    ASSERT_TRUE(prepareJobFrame(job, 32, 24));
    job.frameIntervalMs = 40;
    AutoResetEvent stop;
    job.stopEvent = &stop;

    job.lastPresentTick = now - 100; // long ago: no wait
    job.canvas.fill(kRed);
    EXPECT_EQ(sink.deliver(job), kResultOk);
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(job.lastPresentTick, 1000u);

    now += 10; // 10 ms later: waits the remaining 30
    job.canvas.fill(kGreen);
    EXPECT_EQ(sink.deliver(job), kResultOk);
    EXPECT_EQ(sleeps, std::vector<int>{30});
    EXPECT_EQ(job.lastPresentTick, 1040u);

    job.frameIntervalMs = 33; // NTSC
    now += 50;                // drawing was slow: no wait, nothing dropped
    stop.set();
    EXPECT_EQ(sink.deliver(job), kResultStopped);
    EXPECT_EQ(sleeps.size(), 1u);

    job.lastPresentTick = now + 5; // the tick wrapped or went back: the difference is huge
    EXPECT_EQ(sink.deliver(job), kResultOk);
    EXPECT_EQ(sleeps.size(), 1u);

    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].pixel(0, 0), kRed); // a copy of its own
    EXPECT_EQ(shown[1].pixel(0, 0), kGreen);
}

TEST(SlideshowPreview, RendersThirtyFramesASecondForNtscAtPreviewSize)
{
    TempDir dir;
    const auto slideshow = makeSlideshow(dir, {{kRed, 1, 1}, {kGreen, 1, 1, kTransitionAlpha}});
    SlideshowPreviewRequest request;
    request.slideshow = slideshow.get();
    request.width = 64;
    request.height = 48;
    std::uint32_t now = 0;
    PreviewSink::Clock clock{[&] { return now; }, [&](int ms) { now += ms; }};
    std::vector<QImage> shown;
    PreviewSink sink([&](const QImage& frame) { shown.push_back(frame); }, clock);
    RenderJob job;
    job.mode = RenderMode::SlideshowPreview;
    job.slideshowRequest = &request;
    job.sink = &sink;
    job.frameIntervalMs = 33;
    ASSERT_TRUE(prepareJobFrame(job, request.width, request.height));
    EXPECT_EQ(job.canvas.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(runSlideshowSteps(job, previewFramesPerSecond(request.videoStandard)), kResultOk);
    ASSERT_EQ(shown.size(), 90u);
    // one frame every 33 ms, counted from the start of the opening
    EXPECT_EQ(now, 90u * 33u);
    EXPECT_EQ(shown.back().pixel(10, 10), kGreen);
}

TEST(TransitionPreview, OpeningIsAStillOfTheFirstSamplePicture)
{
    TempDir dir;
    // twice as wide as high: fitted to the frame width and centred vertically
    const std::string first = test::writeSolidPhoto(dir, "0.png", 128, 64, kRed);
    const std::string second = test::writeSolidPhoto(dir, "1.png", 128, 96, kBlue);
    auto alpha = TransitionSettings::createDefault(kTransitionAlpha);
    TransitionPreviewRequest request;
    request.firstImagePath = first;
    request.secondImagePath = second;
    request.transition = alpha.get();
    request.transitionSeconds = 1;
    request.displaySeconds = 1;
    std::vector<QImage> shown;
    PreviewSink::Clock clock{[] { return 0u; }, [](int) {}};
    PreviewSink sink([&](const QImage& frame) { shown.push_back(frame); }, clock);
    RenderJob job;
    job.mode = RenderMode::TransitionPreview;
    job.transitionRequest = &request;
    job.sink = &sink;
    ASSERT_TRUE(prepareJobFrame(job, 64, 48));
    EXPECT_EQ(renderOpening(job), kResultOk);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(qAlpha(shown[0].pixel(32, 2)), 0); // above the picture the canvas stays clear
    EXPECT_EQ(shown[0].pixel(32, 24), kRed);

    job.stepFrames = 50;
    job.transitionFrames = 25;
    EXPECT_EQ(renderTransitionStep(kTransitionAlpha, job), kResultOk);
    ASSERT_EQ(shown.size(), 51u);
    EXPECT_EQ(shown.back().pixel(32, 24), kBlue);
}

TEST(FrameDumpSink, WritesNumberedPngFilesAndFailsOnAMissingFolder)
{
    TempDir dir;
    const auto slideshow = makeSlideshow(dir, {{kRed, 1, 1}});
    FrameDumpSink sink(dir.path(), "t_");
    ProductionFixture fixture(*slideshow, sink, 32, 24);
    EXPECT_EQ(runSlideshowSteps(fixture.job, 3), kResultOk);
    EXPECT_EQ(sink.framesWritten(), 3);
    const QImage last(QString::fromStdString(dir.file("t_000002.png")));
    ASSERT_FALSE(last.isNull());
    EXPECT_EQ(last.pixel(16, 12), kRed);

    FrameDumpSink nowhere(dir.file("missing/folder"));
    ProductionFixture failing(*slideshow, nowhere, 32, 24);
    EXPECT_EQ(runSlideshowSteps(failing.job, 3), kResultFailed);
    EXPECT_EQ(nowhere.framesWritten(), 0);
}

TEST(LoadPhotoFrame, ScalesTheDecodedPhotoToTheFittedSize)
{
    TempDir dir;
    const auto slideshow = makeSlideshow(dir, {{kRed, 1, 1}, {kGreen, 1, 1}});
    slideshow->photo(1)->settings.effect.imageEffectId = 13; // zoom-out: a quarter larger
    RecordingSink sink;
    ProductionFixture fixture(*slideshow, sink);
    fixture.job.counter = 1;
    fixture.job.stepFrames = 20;
    loadPhotoFrame(fixture.job);
    EXPECT_EQ(fixture.job.photo.fitWidth, 80);
    EXPECT_EQ(fixture.job.photo.fitHeight, 60);
    EXPECT_EQ(fixture.job.photo.image.size(), QSize(80, 60));
    EXPECT_EQ(fixture.job.photo.image.format(), QImage::Format_RGB32);
    EXPECT_EQ(fixture.job.photo.image.pixel(40, 30), kGreen);
}

} // namespace
} // namespace pictavo
