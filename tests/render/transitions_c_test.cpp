// Shutter, Spin, Sweep, Twist, Wipe and Zoom: the geometry as numbers, and rendered frames
// sampled where the geometry says the outgoing or the incoming picture must be.
//
// The test pictures are gradients: pixel (x, y) of the outgoing picture is rgb(x, y, 40), of the
// incoming one rgb(x, y, 200), so a sampled pixel tells which picture it shows (blue) and from
// which point of it (red, green).

#include "core/auto_reset_event.h"
#include "core/result_codes.h"
#include "effects/transition_settings.h"
#include "render/frame_sink.h"
#include "render/render_job.h"
#include "render/transition_renderer.h"
#include "render/transitions/family_c/fade_fronts.h"
#include "render/transitions/family_c/family_c_geometry.h"
#include "render_test_support.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pictavo {
namespace {

using namespace family_c;
using test::makeSlideshow;
using test::ProductionFixture;
using test::RecordingSink;
using test::TempDir;

constexpr int kOutgoingBlue = 40;
constexpr int kIncomingBlue = 200;
constexpr QRgb kBlack = 0xFF000000u;

QImage gradient(int width, int height, int blue)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x & 255, y & 255, blue));
    return image;
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

::testing::AssertionResult pixelIs(const QImage& frame, int x, int y, QRgb expected,
                                   int tolerance = 0)
{
    const QRgb actual = frame.pixel(x, y);
    if (near(actual, expected, tolerance))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is rgb(" << qRed(actual) << ", " << qGreen(actual)
           << ", " << qBlue(actual) << "), expected rgb(" << qRed(expected) << ", "
           << qGreen(expected) << ", " << qBlue(expected) << ")";
}

QRgb outgoingAt(int x, int y)
{
    return qRgb(x & 255, y & 255, kOutgoingBlue);
}
QRgb incomingAt(int x, int y)
{
    return qRgb(x & 255, y & 255, kIncomingBlue);
}

// One step of a transition: photo 0 stands for the outgoing picture (the canvas is set to it),
// photo 1 comes in with the transition under test, without motion.
class TransitionStepRun {
public:
    struct Options {
        TransitionType type = kTransitionWipe;
        int first = 0;
        int second = 0;
        int transitionFrames = 4;
        int displayFrames = 2;
        int width = 160;
        int height = 120;
        bool preview = false; // the preview canvas (ARGB32_Premultiplied) instead of RGB32
        int stopAfter = 0;    // frames before a stop request (0: none)
        ImageEffectType motion = kImageEffectNone;
        std::optional<QImage> outgoing;
        std::optional<QImage> incoming;
    };

    explicit TransitionStepRun(const Options& options) : options_(options)
    {
        slideshow_ = makeSlideshow(
            dir_, {{0xFFFF0000u, 1, 1}, {0xFF00FF00u, 1, 1, options.type, 0, options.motion}});
        PhotoItem* photo = slideshow_->photo(1);
        const QImage incoming =
            options.incoming.value_or(gradient(options.width, options.height, kIncomingBlue));
        EXPECT_TRUE(incoming.save(QString::fromStdString(photo->workingPath), "PNG"));
        settings_ = TransitionSettings::createDefault(options.type);
        settings_->setParameters(options.first, options.second);
        photo->settings.effect.setTransition(settings_.get());

        sink.keepFrames = true;
        sink.stopAfter = options.stopAfter;
        sink.stopEvent = &stop_;
        RenderJob* job = nullptr;
        if (options.preview) {
            request_.secondImagePath = photo->workingPath;
            request_.transition = settings_.get();
            request_.motionEffect = options.motion;
            previewJob_.mode = RenderMode::TransitionPreview;
            previewJob_.transitionRequest = &request_;
            previewJob_.sink = &sink;
            EXPECT_TRUE(prepareJobFrame(previewJob_, options.width, options.height));
            job = &previewJob_;
        } else {
            fixture_ = std::make_unique<ProductionFixture>(*slideshow_, sink, options.width,
                                                           options.height);
            job = &fixture_->job;
        }
        job->stopEvent = &stop_;
        job->counter = 1;
        job->transitionFrames = options.transitionFrames;
        job->stepFrames = options.transitionFrames + options.displayFrames;
        const QImage outgoing =
            options.outgoing.value_or(gradient(options.width, options.height, kOutgoingBlue));
        QPainter(&job->canvas).drawImage(0, 0, outgoing);
        job_ = job;
    }

    int run() { return renderTransitionStep(options_.type, *job_); }
    RenderJob& job() { return *job_; }
    const QImage& frame(int k) const { return sink.kept.at(static_cast<std::size_t>(k)); }

    RecordingSink sink;

private:
    Options options_;
    TempDir dir_;
    std::unique_ptr<Slideshow> slideshow_;
    std::unique_ptr<TransitionSettings> settings_;
    AutoResetEvent stop_;
    TransitionPreviewRequest request_;
    RenderJob previewJob_;
    std::unique_ptr<ProductionFixture> fixture_;
    RenderJob* job_ = nullptr;
};

const TransitionType kFamilyC[] = {kTransitionShutter, kTransitionSpin, kTransitionSweep,
                                   kTransitionTwist,   kTransitionWipe, kTransitionZoom};

// --- The contract every renderer keeps --------------------------------------------------------

TEST(FamilyCTransitions, EveryStepEmitsItsFramesAndEndsOnTheIncomingPhoto)
{
    struct Parameters {
        const char* name;
        int first;
        int second;
    };
    const Parameters parameterSets[] = {
        {"defaults", 0, 40},
        {"last listed values", 3, 80},
        {"hand-edited values", 9, 0},
        {"negative and huge values", -5, 1000000},
    };
    for (const TransitionType type : kFamilyC) {
        if (!hasOwnTransitionRenderer(type))
            continue; // not there yet
        for (const int n : {0, 1, 2, 7}) {
            for (const Parameters& parameters : parameterSets) {
                // the preview canvas once per type and length
                for (const bool preview : {false, true}) {
                    if (preview && &parameters != &parameterSets[0])
                        continue;
                    SCOPED_TRACE(testing::Message() << "type " << type << " N " << n << " "
                                                    << parameters.name << " preview " << preview);
                    TransitionStepRun::Options options;
                    options.type = type;
                    options.first = parameters.first;
                    options.second = parameters.second;
                    options.transitionFrames = n;
                    options.displayFrames = 2;
                    options.width = 80;
                    options.height = 60;
                    options.preview = preview;
                    TransitionStepRun step(options);
                    EXPECT_EQ(step.run(), kResultOk);
                    ASSERT_EQ(step.sink.frames(), n + 2);
                    EXPECT_EQ(step.job().counter, 1 + n + 2);
                    for (const QImage& frame : step.sink.kept)
                        EXPECT_EQ(frame.size(), QSize(80, 60));
                    // the display frames show the incoming photo alone
                    const QImage last = step.frame(n + 1).convertToFormat(QImage::Format_RGB32);
                    for (const QPoint p : {QPoint(0, 0), QPoint(79, 59), QPoint(40, 30)})
                        EXPECT_TRUE(pixelIs(last, p.x(), p.y(), incomingAt(p.x(), p.y())));
                }
            }
        }
    }
}

TEST(FamilyCTransitions, StopDuringTheTransitionOrTheDisplayFramesReturnsAtOnce)
{
    for (const TransitionType type : kFamilyC) {
        if (!hasOwnTransitionRenderer(type))
            continue;
        for (const int stopAfter : {1, 3, 7}) {
            SCOPED_TRACE(testing::Message() << "type " << type << " stop after " << stopAfter);
            TransitionStepRun::Options options;
            options.type = type;
            options.first = 1;
            options.second = 20;
            options.transitionFrames = 5;
            options.displayFrames = 5;
            options.width = 80;
            options.height = 60;
            options.stopAfter = stopAfter;
            TransitionStepRun step(options);
            EXPECT_EQ(step.run(), kResultStopped);
            EXPECT_EQ(step.sink.frames(), stopAfter);
        }
    }
}

TEST(FamilyCTransitions, FramesWiderThan720PixelsAreDrawnWhole)
{
    for (const TransitionType type : kFamilyC) {
        if (!hasOwnTransitionRenderer(type))
            continue;
        SCOPED_TRACE(testing::Message() << "type " << type);
        TransitionStepRun::Options options;
        options.type = type;
        options.first = 0;
        options.second = 40;
        options.transitionFrames = 3;
        options.displayFrames = 0;
        options.width = 960;
        options.height = 8;
        TransitionStepRun step(options);
        EXPECT_EQ(step.run(), kResultOk);
        ASSERT_EQ(step.sink.frames(), 3);
        // the last transition frame shows mostly the incoming picture, also beyond column 720
        EXPECT_GT(qBlue(step.frame(2).pixel(900, 4)), 120);
    }
}

// --- Wipe -------------------------------------------------------------------------------------

TEST(WipeGeometry, TheIncomingPictureEndsAtTheOriginAndPushMovesTheOutgoingOneAlong)
{
    struct Case {
        int direction;
        QPointF start; // of the incoming picture, before the first step
        QPointF step;
    };
    const Case cases[] = {
        {kWipeLeftToRight, {-720, 0}, {180, 0}},
        {kWipeRightToLeft, {720, 0}, {-180, 0}},
        {kWipeBottomToTop, {0, 480}, {0, -120}},
        {kWipeTopToBottom, {0, -480}, {0, 120}},
        {7, {-720, 0}, {180, 0}}, // unknown direction: the default
    };
    for (const Case& c : cases) {
        for (const bool push : {false, true}) {
            SCOPED_TRACE(testing::Message() << "direction " << c.direction << " push " << push);
            WipeMotion motion(720, 480, 4, c.direction, push);
            for (int k = 1; k <= 4; ++k) {
                motion.advance();
                EXPECT_EQ(motion.incoming(), c.start + k * c.step);
                EXPECT_EQ(motion.outgoing(), push ? k * c.step : QPointF(0, 0));
            }
        }
    }
}

TEST(WipeGeometry, OddLengthsEndWithTheIncomingPictureInPlace)
{
    for (const int n : {1, 7, 61}) {
        for (int direction = 0; direction < 4; ++direction) {
            WipeMotion motion(720, 480, n, direction, true);
            for (int k = 0; k < n; ++k)
                motion.advance();
            EXPECT_NEAR(motion.incoming().x(), 0, 0.01) << n << " " << direction;
            EXPECT_NEAR(motion.incoming().y(), 0, 0.01) << n << " " << direction;
        }
    }
}

TEST(WipeTransition, FramesShowBothPicturesWhereTheyStand)
{
    // N = 4 at 160 x 120: after k + 1 steps the incoming picture has come 40 (x) or 30 (y)
    // pixels further.
    struct Case {
        int direction;
        QPoint step;
    };
    const Case cases[] = {{0, {40, 0}}, {1, {-40, 0}}, {2, {0, -30}}, {3, {0, 30}}};
    for (const Case& c : cases) {
        for (const bool push : {false, true}) {
            SCOPED_TRACE(testing::Message() << "direction " << c.direction << " push " << push);
            TransitionStepRun::Options options;
            options.type = kTransitionWipe;
            options.first = c.direction;
            options.second = push ? 1 : 0;
            TransitionStepRun step(options);
            ASSERT_EQ(step.run(), kResultOk);
            const QPoint start = -4 * c.step;
            const QPoint outgoingOffset = -(start); // where the outgoing picture sits relative
            for (int k = 0; k < 4; ++k) {
                const QPoint in = start + (k + 1) * c.step;
                const QPoint out = push ? in + outgoingOffset : QPoint(0, 0);
                const QImage& frame = step.frame(k);
                for (int y = 5; y < 120; y += 20) {
                    for (int x = 5; x < 160; x += 20) {
                        const QPoint inSource = QPoint(x, y) - in;
                        if (QRect(0, 0, 160, 120).contains(inSource))
                            ASSERT_TRUE(
                                pixelIs(frame, x, y, incomingAt(inSource.x(), inSource.y())))
                                << "frame " << k;
                        else
                            ASSERT_TRUE(pixelIs(frame, x, y, outgoingAt(x - out.x(), y - out.y())))
                                << "frame " << k;
                    }
                }
            }
        }
    }
}

// --- Zoom -------------------------------------------------------------------------------------

TEST(ZoomGeometry, RectangleGrowsToFiveTimesTheFrameOrShrinksOntoIt)
{
    ZoomMotion in(720, 480, 60, kZoomIn);
    in.advance();
    EXPECT_EQ(in.rect(), QRectF(-24, -16, 768, 512));
    for (int k = 1; k < 60; ++k)
        in.advance();
    EXPECT_NEAR(in.rect().x(), -1440, 0.05);
    EXPECT_NEAR(in.rect().y(), -960, 0.05);
    EXPECT_NEAR(in.rect().width(), 3600, 0.05);
    EXPECT_NEAR(in.rect().height(), 2400, 0.05);
    EXPECT_FLOAT_EQ(in.opacity(0), 0.85f);
    EXPECT_FLOAT_EQ(in.opacity(30), 0.425f);

    ZoomMotion out(720, 480, 60, kZoomOut);
    out.advance();
    EXPECT_EQ(out.rect(), QRectF(-1416, -944, 3552, 2368));
    for (int k = 1; k < 60; ++k)
        out.advance();
    EXPECT_NEAR(out.rect().x(), 0, 0.05);
    EXPECT_NEAR(out.rect().width(), 720, 0.05);
    EXPECT_NEAR(out.rect().height(), 480, 0.05);
    EXPECT_FLOAT_EQ(out.opacity(0), 0.0f);
    EXPECT_FLOAT_EQ(out.opacity(59), static_cast<float>(0.85 * 59 / 60));

    // unknown mode: zoom in; no frames: nothing to show
    EXPECT_EQ(ZoomMotion(720, 480, 60, 5).mode(), kZoomIn);
    EXPECT_FLOAT_EQ(ZoomMotion(720, 480, 0, kZoomIn).opacity(0), 0.0f);
}

TEST(ZoomTransition, TheMovingPictureFadesAsItIsStretched)
{
    const int n = 10;
    // blue of a pixel where the outgoing picture lies over the incoming one at opacity a
    const auto blend = [](double a) {
        return static_cast<int>(std::lround(kIncomingBlue + (kOutgoingBlue - kIncomingBlue) * a));
    };
    {
        SCOPED_TRACE("zoom in");
        TransitionStepRun::Options options;
        options.type = kTransitionZoom;
        options.first = kZoomIn;
        options.transitionFrames = n;
        TransitionStepRun step(options);
        ASSERT_EQ(step.run(), kResultOk);
        for (int k = 0; k < n; ++k) {
            const double a = 0.85 * (1.0 - static_cast<double>(k) / n);
            const QImage& frame = step.frame(k);
            EXPECT_NEAR(qBlue(frame.pixel(3, 3)), blend(a), 2) << k;
            EXPECT_NEAR(qBlue(frame.pixel(80, 60)), blend(a), 2) << k;
        }
        // frame 0: the outgoing picture one step enlarged about the centre: 1.4 times the
        // frame, from (-32, -24); the frame's corner (0, 0) shows its point (22.9, 17.1)
        const QImage& first = step.frame(0);
        const double a = 0.85;
        EXPECT_NEAR(qRed(first.pixel(0, 0)), 22.9 * a, 2.5);
        EXPECT_NEAR(qGreen(first.pixel(0, 0)), 17.1 * a, 2.5);
    }
    {
        SCOPED_TRACE("zoom out");
        TransitionStepRun::Options options;
        options.type = kTransitionZoom;
        options.first = kZoomOut;
        options.transitionFrames = n;
        TransitionStepRun step(options);
        ASSERT_EQ(step.run(), kResultOk);
        // frame 0: the outgoing picture alone
        EXPECT_TRUE(pixelIs(step.frame(0), 10, 100, outgoingAt(10, 100)));
        for (int k = 1; k < n; ++k) {
            const double a = 0.85 * k / n;
            EXPECT_NEAR(qBlue(step.frame(k).pixel(80, 60)), blend(1.0 - a), 2) << k;
        }
        // the last frame: the incoming picture at its own size, not yet opaque
        const QImage& last = step.frame(n - 1);
        EXPECT_NEAR(qRed(last.pixel(120, 30)), 120, 2);
        EXPECT_NEAR(qGreen(last.pixel(120, 30)), 30, 2);
        EXPECT_NEAR(qBlue(last.pixel(120, 30)), blend(1.0 - 0.85 * (n - 1) / n), 2);
    }
}

// --- Spin -------------------------------------------------------------------------------------

TEST(SpinGeometry, ShrinksWhileTurningThenGrowsAndEndsUpright)
{
    struct Case {
        int frames;
        int direction;
    };
    const Case cases[] = {{1, 0}, {1, 1}, {2, 0}, {7, 0}, {7, 1}, {60, 0}, {61, 1}, {8, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "N " << c.frames << " direction " << c.direction);
        SpinMotion motion(720, 480, c.frames, c.direction);
        const int turn = c.direction == 1 ? -30 : 30;
        const int half = c.frames / 2;
        for (int k = 0; k < c.frames; ++k) {
            motion.advance(k);
            EXPECT_EQ(motion.showsIncoming(k), k >= half);
            if (k < half) {
                EXPECT_FLOAT_EQ(motion.angle(), static_cast<float>(turn * (k + 1)));
                // shrinking about the centre
                EXPECT_NEAR(motion.rect().center().x(), 360, 0.01);
                EXPECT_NEAR(motion.rect().width(), 720.0 * (half - k - 1) / half, 0.01);
            } else {
                EXPECT_NEAR(motion.rect().center().y(), 240, 0.01);
                EXPECT_NEAR(motion.rect().height(), 480.0 * (k - half + 1) / (c.frames - half),
                            0.01);
            }
        }
        // the incoming picture ends at its own size, upright
        EXPECT_EQ(std::fmod(motion.angle(), 360.0f), 0.0f);
        EXPECT_NEAR(motion.rect().x(), 0, 0.01);
        EXPECT_NEAR(motion.rect().y(), 0, 0.01);
        EXPECT_NEAR(motion.rect().width(), 720, 0.01);
        EXPECT_NEAR(motion.rect().height(), 480, 0.01);
    }
    // the turn of the second half starts where it ends upright: N = 7, clockwise: 4 frames of
    // 30 degrees from 360 - 120
    SpinMotion seven(720, 480, 7, kSpinClockwise);
    for (int k = 0; k <= 3; ++k)
        seven.advance(k);
    EXPECT_FLOAT_EQ(seven.angle(), 270.0f);
    EXPECT_EQ(seven.centre(), QPointF(360, 240));
}

TEST(SpinTransition, PicturesTurnAboutTheCentreInTheChosenDirection)
{
    // N = 12 at 160 x 120: frame 2 shows the outgoing picture at half size turned by 90
    // degrees. Its point (40, 30), (-40, -30) from its centre, lies at half that distance
    // turned: clockwise at (+15, -20) from the frame centre, anticlockwise at (-15, +20).
    struct Case {
        int direction;
        QPoint offset;
    };
    const Case cases[] = {{kSpinClockwise, {15, -20}}, {kSpinAnticlockwise, {-15, 20}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "direction " << c.direction);
        TransitionStepRun::Options options;
        options.type = kTransitionSpin;
        options.first = c.direction;
        options.transitionFrames = 12;
        TransitionStepRun step(options);
        ASSERT_EQ(step.run(), kResultOk);
        const QImage& frame = step.frame(2);
        EXPECT_TRUE(pixelIs(frame, 80 + c.offset.x(), 60 + c.offset.y(), outgoingAt(40, 30), 3));
        // outside the turned picture the background shows
        EXPECT_TRUE(pixelIs(frame, 5, 5, kBlack));
        EXPECT_TRUE(pixelIs(frame, 150, 110, kBlack));
        // the second half shows the incoming picture; the last frame it fills upright
        EXPECT_EQ(qBlue(step.frame(6).pixel(80, 60)), kIncomingBlue);
        const QImage& last = step.frame(11);
        for (const QPoint p : {QPoint(10, 10), QPoint(150, 15), QPoint(20, 100), QPoint(80, 60)})
            EXPECT_TRUE(pixelIs(last, p.x(), p.y(), incomingAt(p.x(), p.y()), 2));
    }
}

TEST(SpinTransition, OneFrameShowsTheIncomingPictureUprightAtItsOwnSize)
{
    TransitionStepRun::Options options;
    options.type = kTransitionSpin;
    options.transitionFrames = 1;
    options.displayFrames = 0;
    TransitionStepRun step(options);
    ASSERT_EQ(step.run(), kResultOk);
    ASSERT_EQ(step.sink.frames(), 1);
    for (const QPoint p : {QPoint(2, 2), QPoint(157, 3), QPoint(4, 117), QPoint(80, 60)})
        EXPECT_TRUE(pixelIs(step.frame(0), p.x(), p.y(), incomingAt(p.x(), p.y()), 2));
}

// --- Twist ------------------------------------------------------------------------------------

TEST(TwistGeometry, AxisRangesAndColumnHeights)
{
    EXPECT_EQ(TwistMotion::exponent(), 0.7692307974f);
    TwistMotion motion(720, 480, 60, kTwistLeftToRight);
    // a column a quarter of the width from the axis is the full height
    EXPECT_NEAR(2.0 * std::pow(180.0, double(TwistMotion::exponent())) * motion.scale(), 480, 0.01);
    motion.advance();
    EXPECT_FLOAT_EQ(motion.axis(), -162.0f);
    TwistRanges r = motion.ranges();
    EXPECT_EQ(r.low, 0);
    EXPECT_EQ(r.mid, 0);
    EXPECT_EQ(r.high, 18);
    // the first frame: everything still shows the outgoing photo, the first 18 columns
    // shortened
    for (int c = 0; c < 720; c += 17)
        EXPECT_FALSE(motion.columnShowsIncoming(c)) << c;
    EXPECT_NEAR(motion.columnHeight(0),
                2.0 * std::pow(162.0, double(TwistMotion::exponent())) * motion.scale(), 0.01);
    EXPECT_LT(motion.columnHeight(0), 480);
    EXPECT_EQ(motion.columnHeight(18), 480);
    EXPECT_EQ(motion.columnTop(18), 0);
    EXPECT_NEAR(motion.columnTop(0) + motion.columnHeight(0) / 2, 240, 1e-9);

    for (int k = 1; k < 30; ++k)
        motion.advance();
    // half way: the axis on the middle column
    EXPECT_NEAR(motion.axis(), 360, 0.01);
    r = motion.ranges();
    EXPECT_EQ(r.low, 180);
    EXPECT_EQ(r.mid, 360);
    EXPECT_EQ(r.high, 540);
    EXPECT_TRUE(motion.columnShowsIncoming(359));
    EXPECT_FALSE(motion.columnShowsIncoming(360));
    EXPECT_NEAR(motion.columnHeight(360), 0, 1e-3);
    EXPECT_NEAR(motion.columnHeight(270), 2.0 * std::pow(90.0, 0.7692307974) * motion.scale(),
                0.01);

    for (int k = 30; k < 60; ++k)
        motion.advance();
    EXPECT_NEAR(motion.axis(), 900, 0.05);
    r = motion.ranges();
    EXPECT_EQ(r.low, 720);
    EXPECT_TRUE(motion.columnShowsIncoming(719));

    TwistMotion back(720, 480, 60, kTwistRightToLeft);
    back.advance();
    EXPECT_FLOAT_EQ(back.axis(), 882.0f);
    r = back.ranges();
    EXPECT_EQ(r.low, 702);
    EXPECT_EQ(r.mid, 720);
    EXPECT_FALSE(back.columnShowsIncoming(719));
    for (int k = 1; k < 60; ++k)
        back.advance();
    r = back.ranges();
    EXPECT_EQ(r.high, 0);
    EXPECT_TRUE(back.columnShowsIncoming(0));
}

TEST(TwistTransition, ColumnsShowTheirOwnPictureStretchedAboutTheMiddleLine)
{
    const int n = 10;
    for (const int direction : {kTwistLeftToRight, kTwistRightToLeft}) {
        SCOPED_TRACE(testing::Message() << "direction " << direction);
        TransitionStepRun::Options options;
        options.type = kTransitionTwist;
        options.first = direction;
        options.transitionFrames = n;
        TransitionStepRun step(options);
        ASSERT_EQ(step.run(), kResultOk);
        TwistMotion motion(160, 120, n, direction);
        for (int k = 0; k < n; ++k) {
            motion.advance();
            const QImage& frame = step.frame(k);
            for (int c = 0; c < 160; c += 7) {
                SCOPED_TRACE(testing::Message() << "frame " << k << " column " << c);
                const bool incoming = motion.columnShowsIncoming(c);
                const auto picture = [&](int x, int y) {
                    return incoming ? incomingAt(x, y) : outgoingAt(x, y);
                };
                const double top = motion.columnTop(c);
                const double height = motion.columnHeight(c);
                if (height > 4) {
                    // the middle row shows the picture's middle, from its own column
                    const QRgb middle = frame.pixel(c, 60);
                    EXPECT_EQ(qRed(middle), c);
                    EXPECT_EQ(qBlue(middle), qBlue(picture(c, 60)));
                    EXPECT_NEAR(qGreen(middle), 60, 120.0 / height + 1);
                }
                if (top > 2) {
                    // a shortened column: background above and below its strip, the picture's
                    // first rows at the top of the strip
                    EXPECT_TRUE(pixelIs(frame, c, 0, kBlack));
                    EXPECT_TRUE(pixelIs(frame, c, 119, kBlack));
                    const int y = static_cast<int>(std::ceil(top + 0.5));
                    if (y < 60) {
                        EXPECT_EQ(qBlue(frame.pixel(c, y)), qBlue(picture(c, 0)));
                        EXPECT_LE(qGreen(frame.pixel(c, y)), 120.0 / height * 2 + 1);
                    }
                } else if (height >= 119.5) {
                    EXPECT_TRUE(pixelIs(frame, c, 0, picture(c, 0)));
                    EXPECT_TRUE(pixelIs(frame, c, 119, picture(c, 119)));
                }
            }
        }
        // the last frame: every column shows the incoming photo
        for (int c = 0; c < 160; c += 9)
            EXPECT_TRUE(pixelIs(step.frame(n - 1), c, 30, incomingAt(c, 30)));
    }
}

TEST(TwistTransition, TheIncomingPhotoIsHeldAtItsEndOfTransitionState)
{
    // a zooming photo: the incoming columns show the same picture in every transition frame,
    // the one the display frames continue from
    const int n = 8;
    TransitionStepRun::Options options;
    options.type = kTransitionTwist;
    options.first = kTwistLeftToRight;
    options.transitionFrames = n;
    options.displayFrames = 4;
    options.motion = 8; // zoom centre in
    TransitionStepRun step(options);
    ASSERT_EQ(step.run(), kResultOk);
    TwistMotion motion(160, 120, n, kTwistLeftToRight);
    for (int k = 0; k < n; ++k) {
        motion.advance();
        const int low = motion.ranges().low;
        for (int c = 0; c < low; c += 5)
            for (const int y : {0, 40, 119})
                EXPECT_EQ(step.frame(k).pixel(c, y), step.frame(n - 1).pixel(c, y))
                    << "frame " << k << " column " << c << " row " << y;
    }
    // the zoom went on: the photo on the last transition frame is not the unzoomed picture
    EXPECT_NE(step.frame(n - 1).pixel(10, 10), incomingAt(10, 10));
}

// --- Shutter and Sweep ------------------------------------------------------------------------

// The outgoing picture's opacity at a pixel of a frame, from the blend of the two blues.
double outgoingOpacity(const QImage& frame, int x, int y)
{
    return (kIncomingBlue - qBlue(frame.pixel(x, y))) /
           static_cast<double>(kIncomingBlue - kOutgoingBlue);
}

TEST(FadeFronts, SubStepsOfAtMostAPixelAndAFactorByDistance)
{
    // Shutter, 320 wide, w = 40, N = 60: kappa = 0.85, each bar edge 2.2667 a frame: 3
    // sub-steps of 0.7556
    FadePlan plan = shutterPlanFor(320, 240, 60, kShutterVertical, 40);
    EXPECT_EQ(plan.subSteps.count, 3);
    EXPECT_NEAR(plan.subSteps.step, 320 * 0.85 / 60 * 0.5 / 3, 1e-5);
    EXPECT_NEAR(plan.factor, std::pow(0.2, plan.subSteps.step / 40.0), 1e-6);
    // horizontal bars use the height
    plan = shutterPlanFor(320, 240, 60, kShutterHorizontal, 40);
    EXPECT_EQ(plan.subSteps.count, 2);
    EXPECT_NEAR(plan.subSteps.step, 240 * 0.85 / 60 * 0.5 / 2, 1e-5);
    // slow: one sub-step of the whole travel
    plan = shutterPlanFor(320, 240, 400, kShutterVertical, 1);
    EXPECT_EQ(plan.subSteps.count, 1);
    EXPECT_NEAR(plan.subSteps.step, 320 * 0.50875 / 400 * 0.5, 1e-6);

    // Sweep: the width for left/right, the height for bottom/top, plus the band's width
    plan = sweepPlanFor(720, 480, 60, kSweepLeftToRight, 40);
    EXPECT_EQ(plan.subSteps.count, 13);
    EXPECT_NEAR(plan.subSteps.step, 760.0 / 60 / 13, 1e-5);
    plan = sweepPlanFor(720, 480, 60, kSweepBottomToTop, 40);
    EXPECT_EQ(plan.subSteps.count, 9);
    EXPECT_NEAR(plan.subSteps.step, 520.0 / 60 / 9, 1e-5);

    // out-of-range widths are clamped, so nothing divides by zero; no frames, no travel
    EXPECT_EQ(sweepPlanFor(720, 480, 60, 0, 0).factor, sweepPlanFor(720, 480, 60, 0, 1).factor);
    EXPECT_EQ(sweepPlanFor(720, 480, 60, 0, 999).factor, sweepPlanFor(720, 480, 60, 0, 80).factor);
    EXPECT_EQ(shutterPlanFor(720, 480, 0, 0, 40).subSteps.step, 0.0f);
    EXPECT_EQ(sweepRegion(720, 480, 9, 10), sweepRegion(720, 480, kSweepLeftToRight, 10));

    EXPECT_EQ(sweepRegion(720, 480, kSweepRightToLeft, 10), QRectF(710, 0, 10, 480));
    EXPECT_EQ(sweepRegion(720, 480, kSweepBottomToTop, 10), QRectF(0, 470, 720, 10));
    EXPECT_EQ(sweepRegion(720, 480, kSweepTopToBottom, 10), QRectF(0, 0, 720, 10));
    const ShutterBars bars = shutterBars(720, 480, kShutterHorizontal, 10);
    EXPECT_EQ(bars.first, QRectF(0, 0, 720, 10));
    EXPECT_EQ(bars.second, QRectF(0, 470, 720, 10));
}

TEST(ShutterTransition, BarsFadeTheOutgoingPhotoByDepthAndTheCentreLineEndsTheSameForAnyWidth)
{
    const int n = 20;
    for (const int direction : {kShutterVertical, kShutterHorizontal}) {
        for (const int w : {1, 40, 80}) {
            SCOPED_TRACE(testing::Message() << "direction " << direction << " width " << w);
            TransitionStepRun::Options options;
            options.type = kTransitionShutter;
            options.first = direction;
            options.second = w;
            options.transitionFrames = n;
            options.width = direction == kShutterVertical ? 320 : 40;
            options.height = direction == kShutterVertical ? 40 : 320;
            TransitionStepRun step(options);
            ASSERT_EQ(step.run(), kResultOk);
            // a pixel `along` the bars' axis
            const auto opacity = [&](int k, int along) {
                return direction == kShutterVertical ? outgoingOpacity(step.frame(k), along, 20)
                                                     : outgoingOpacity(step.frame(k), 20, along);
            };
            // a quarter through: each bar has grown by 2 x step a sub-step
            const FadePlan plan = shutterPlanFor(320, 320, n, direction, w);
            const int k = n / 4;
            float depth = 0;
            for (int s = 0; s < (k + 1) * plan.subSteps.count; ++s)
                depth = static_cast<float>(depth + 2.0 * plan.subSteps.step);
            ASSERT_LT(depth, 160);
            for (int along = 0; along < 320; along += 3) {
                // distance of the pixel's centre inside the nearer bar
                const double inside = depth - std::min(along + 0.5, 320 - (along + 0.5));
                const double expected = inside > 0 ? std::pow(0.2, inside / (2.0 * w)) : 1.0;
                // one sub-step's worth of fade either way, plus rounding
                const double slack = 1.0 - std::pow(0.2, 2.0 * plan.subSteps.step / (2.0 * w));
                EXPECT_NEAR(opacity(k, along), expected, slack + 0.02) << "pixel " << along;
            }
            // the centre line ends at 0.2^(0.004375 x 320), about 0.105, whatever the width:
            // closely for the usual widths; for the narrowest band one sub-step fades by a
            // quarter, so the centre line lies within two sub-steps of it
            const double centre = (opacity(n - 1, 159) + opacity(n - 1, 160)) / 2;
            const double residual = std::pow(0.2, 0.004375 * 320);
            if (w > 1) {
                EXPECT_NEAR(centre, residual, 0.02);
            } else {
                EXPECT_GE(centre, residual * plan.factor * plan.factor - 0.005);
                EXPECT_LE(centre, residual / plan.factor / plan.factor + 0.005);
            }
        }
    }
}

TEST(SweepTransition, TheFrontFadesTheOutgoingPhotoByDistanceFromEveryEdge)
{
    const int n = 16;
    const int w = 20;
    struct Case {
        int direction;
        QPoint start; // a pixel at the edge the sweep starts from
        QPoint step;  // one pixel further along the sweep
    };
    const Case cases[] = {
        {kSweepLeftToRight, {0, 60}, {1, 0}},
        {kSweepRightToLeft, {159, 60}, {-1, 0}},
        {kSweepBottomToTop, {80, 119}, {0, -1}},
        {kSweepTopToBottom, {80, 0}, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "direction " << c.direction);
        TransitionStepRun::Options options;
        options.type = kTransitionSweep;
        options.first = c.direction;
        options.second = w;
        options.transitionFrames = n;
        TransitionStepRun step(options);
        ASSERT_EQ(step.run(), kResultOk);
        const int length = c.step.x() != 0 ? 160 : 120;
        const FadePlan plan = sweepPlanFor(160, 120, n, c.direction, w);
        const double slack = 1.0 - plan.factor;
        for (const int k : {n / 2, n - 1}) {
            float depth = 0;
            for (int s = 0; s < (k + 1) * plan.subSteps.count; ++s)
                depth += plan.subSteps.step;
            for (int along = 0; along < length; along += 4) {
                const QPoint p = c.start + along * c.step;
                const double behind = depth - (along + 0.5);
                const double expected = behind > 0 ? std::pow(0.2, behind / w) : 1.0;
                EXPECT_NEAR(outgoingOpacity(step.frame(k), p.x(), p.y()), expected, slack + 0.02)
                    << "frame " << k << " pixel " << along;
            }
        }
        // the last transition frame: the far edge still shows the outgoing photo at 0.2
        const QPoint far = c.start + (length - 1) * c.step;
        EXPECT_NEAR(outgoingOpacity(step.frame(n - 1), far.x(), far.y()), 0.2, slack + 0.02);
    }
}

// --- Contact sheets ---------------------------------------------------------------------------

// A picture with something to recognise its orientation by: a diagonal gradient, a grid, a disc
// in its top-left quadrant and a bar along its top edge.
QImage samplePicture(int width, int height, bool incoming)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int t = (x + y) * 255 / (width + height);
            image.setPixel(x, y,
                           incoming ? qRgb(40, 80 + t / 2, 255 - t / 2)
                                    : qRgb(255 - t / 3, 140 + t / 3, 40));
        }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(incoming ? QColor(230, 240, 255) : QColor(90, 40, 10), 1));
    for (int x = 0; x < width; x += width / 8)
        painter.drawLine(x, 0, x, height);
    for (int y = 0; y < height; y += height / 6)
        painter.drawLine(0, y, width, y);
    painter.setPen(Qt::NoPen);
    painter.setBrush(incoming ? QColor(255, 255, 255) : QColor(120, 20, 20));
    painter.drawEllipse(QRectF(width * 0.1, height * 0.1, width * 0.25, height * 0.3));
    painter.fillRect(QRectF(0, 0, width, height * 0.06), incoming ? Qt::yellow : Qt::darkBlue);
    return image;
}

struct SheetVariant {
    const char* label;
    int first;
    int second;
};

struct SheetSpec {
    TransitionType type;
    const char* name;
    std::vector<SheetVariant> variants;
};

// Renders every variant of a transition through the frame-dump sink and lays the frames at 0,
// 25, 50, 75 and 100 % of the transition side by side, one row per variant.
bool writeContactSheet(const SheetSpec& sheetPlan, const std::string& folder)
{
    constexpr int kWidth = 224;
    constexpr int kHeight = 168;
    constexpr int kFrames = 21;
    constexpr int kGap = 4;
    const double fractions[] = {0.0, 0.25, 0.5, 0.75, 1.0};
    QImage sheet(5 * (kWidth + kGap) + kGap,
                 static_cast<int>(sheetPlan.variants.size()) * (kHeight + kGap) + kGap,
                 QImage::Format_RGB32);
    sheet.fill(0xFF808080u);
    QPainter painter(&sheet);
    int row = 0;
    for (const SheetVariant& variant : sheetPlan.variants) {
        TempDir frames;
        TransitionStepRun::Options options;
        options.type = sheetPlan.type;
        options.first = variant.first;
        options.second = variant.second;
        options.transitionFrames = kFrames;
        options.displayFrames = 0;
        options.width = kWidth;
        options.height = kHeight;
        options.outgoing = samplePicture(kWidth, kHeight, false);
        options.incoming = samplePicture(kWidth, kHeight, true);
        TransitionStepRun step(options);
        FrameDumpSink dump(frames.path(), "f_");
        step.job().sink = &dump;
        if (step.run() != kResultOk)
            return false;
        for (int column = 0; column < 5; ++column) {
            const int k = static_cast<int>(std::lround(fractions[column] * (kFrames - 1)));
            char name[32];
            std::snprintf(name, sizeof name, "f_%06d.png", k);
            const QImage frame(QString::fromStdString(frames.file(name)));
            if (frame.isNull())
                return false;
            painter.drawImage(kGap + column * (kWidth + kGap), kGap + row * (kHeight + kGap),
                              frame);
        }
        ++row;
    }
    painter.end();
    return sheet.save(QString::fromStdString(folder + "/" + sheetPlan.name + ".png"), "PNG");
}

TEST(ContactSheets, WrittenIntoTheFolderNamedByTheEnvironment)
{
    const char* folder = std::getenv("PICTAVO_CONTACT_SHEETS");
    if (folder == nullptr || *folder == '\0')
        GTEST_SKIP() << "PICTAVO_CONTACT_SHEETS names no folder";
    ASSERT_TRUE(QDir().mkpath(QString::fromLocal8Bit(folder)));
    const std::vector<SheetSpec> sheetPlans = {
        {kTransitionShutter,
         "shutter",
         {{"vertical 40", 0, 40}, {"horizontal 1", 1, 1}, {"vertical 80", 0, 80}}},
        {kTransitionSpin, "spin", {{"clockwise", 0, 0}, {"anticlockwise", 1, 0}}},
        {kTransitionSweep,
         "sweep",
         {{"left to right 40", 0, 40},
          {"right to left 1", 1, 1},
          {"bottom to up 80", 2, 80},
          {"up to bottom 40", 3, 40}}},
        {kTransitionTwist, "twist", {{"left to right", 0, 0}, {"right to left", 1, 0}}},
        {kTransitionWipe,
         "wipe",
         {{"left to right push", 0, 1},
          {"right to left", 1, 0},
          {"bottom to up push", 2, 1},
          {"up to bottom", 3, 0}}},
        {kTransitionZoom, "zoom", {{"in", 0, 0}, {"out", 1, 0}}},
    };
    for (const SheetSpec& sheetPlan : sheetPlans) {
        if (!hasOwnTransitionRenderer(sheetPlan.type))
            continue;
        EXPECT_TRUE(writeContactSheet(sheetPlan, folder)) << sheetPlan.name;
    }
}

} // namespace
} // namespace pictavo
