// Alpha, Accordion, Blinds, Circle, Clock and Cube fly, and the progressive fade that Circle and
// Clock (and the sweeps of the other families) dissolve the outgoing picture with.

#include "core/auto_reset_event.h"
#include "core/result_codes.h"
#include "effects/transition_settings.h"
#include "model/slideshow.h"
#include "render/progressive_fade.h"
#include "render/transition_renderer.h"
#include "render/transitions/family_a/family_a_geometry.h"
#include "render_test_support.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace pictavo {
namespace {

constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kBlue = 0xFF0000FFu;

QImage solid(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// ---- progressive fade ----

TEST(FadeSubSteps, SplitsTravelIntoStepsOfAtMostOnePixel)
{
    struct Case {
        double travel;
        int count;
        float step;
    };
    const Case cases[] = {
        {0.5, 1, 0.5f},
        {1.0, 1, 1.0f},
        {-1.0, 1, -1.0f},
        {1.5, 2, 0.75f},
        {8.96, 9, static_cast<float>(8.96 / 9)},
        {-3.5, 4, -0.875f},
        {0.0, 1, 0.0f},
        {std::numeric_limits<double>::quiet_NaN(), 1, 0.0f},
        {std::numeric_limits<double>::infinity(), 1, 0.0f},
        {1e12, kMaxFadeSubSteps, static_cast<float>(1e12 / kMaxFadeSubSteps)},
    };
    for (const Case& c : cases) {
        const FadeSubSteps split = fadeSubSteps(c.travel);
        EXPECT_EQ(split.count, c.count) << c.travel;
        EXPECT_FLOAT_EQ(split.step, c.step) << c.travel;
    }
}

TEST(ProgressiveFade, AlphaIsFactorToThePowerOfTheSubStepsInside)
{
    ProgressiveFade fade;
    ASSERT_TRUE(fade.begin(solid(8, 4, kRed), 0.6));
    for (int m = 0; m < 12; ++m) {
        EXPECT_EQ(fade.alphaAt(1, 1), std::lround(255 * std::pow(0.6, m))) << m;
        EXPECT_EQ(fade.alphaAt(6, 1), 255) << "outside the region nothing fades";
        fade.fadeRect(QRectF(0, 0, 4, 4));
    }
    // Factor 0: gone after one sub-step; factor 1 (or above): never fades.
    ASSERT_TRUE(fade.begin(solid(8, 4, kRed), 0.0));
    fade.fadeAll();
    EXPECT_EQ(fade.alphaAt(7, 3), 0);
    ASSERT_TRUE(fade.begin(solid(8, 4, kRed), 3.0));
    for (int m = 0; m < 5; ++m)
        fade.fadeAll();
    EXPECT_EQ(fade.alphaAt(7, 3), 255);
    // A factor just below 1 keeps fading long after one rounding step would have stalled.
    ASSERT_TRUE(fade.begin(solid(2, 2, kRed), 0.98));
    for (int m = 0; m < 300; ++m)
        fade.fadeAll();
    EXPECT_EQ(fade.alphaAt(0, 0), std::lround(255 * std::pow(0.98, 300)));
    EXPECT_FALSE(fade.begin(QImage(), 0.5));
    EXPECT_FALSE(fade.isActive());
    fade.fadeAll(); // harmless when inactive
    EXPECT_EQ(fade.alphaAt(0, 0), 0);
}

// Which pixels of a 10 x 6 frame a region covers: a pixel counts when its centre is inside.
std::string coverage(const std::function<void(ProgressiveFade&)>& fadeOnce)
{
    ProgressiveFade fade;
    EXPECT_TRUE(fade.begin(solid(10, 6, kRed), 0.0));
    fadeOnce(fade);
    std::string rows;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 10; ++x)
            rows += fade.alphaAt(x, y) == 0 ? '#' : '.';
        rows += '/';
    }
    return rows;
}

TEST(ProgressiveFade, RegionsCoverThePixelsWhoseCentresLieInside)
{
    struct Case {
        const char* name;
        std::function<void(ProgressiveFade&)> fadeOnce;
        const char* expected;
    };
    QPainterPath twoBoxes; // overlapping squares, filled as their union
    twoBoxes.setFillRule(Qt::WindingFill);
    twoBoxes.addRect(1, 1, 4, 4);
    twoBoxes.addRect(3, 2, 4, 3);
    QPainterPath holed; // odd-even: the inner square is a hole
    holed.addRect(1, 0, 8, 6);
    holed.addRect(3, 2, 4, 2);
    const Case cases[] = {
        {"rect with fractional edges",
         [](ProgressiveFade& f) {
             f.fadeRect({1.4, 0.6, 3.2, 2});
         },
         "........../.####...../.####...../........../........../........../"},
        {"rect outside the frame",
         [](ProgressiveFade& f) {
             f.fadeRect({-20, -20, 5, 5});
         },
         "........../........../........../........../........../........../"},
        {"ellipse",
         [](ProgressiveFade& f) {
             f.fadeEllipse({0, 0, 10, 6});
         },
         "..######../.########./##########/##########/.########./..######../"},
        {"ring",
         [](ProgressiveFade& f) {
             f.fadeRing({0, 0, 10, 6}, {2, 1, 6, 4});
         },
         "..######../.##....##./##......##/##......##/.##....##./..######../"},
        {"triangle",
         [](ProgressiveFade& f) {
             f.fadePolygon(QPolygonF({{0, 0}, {6, 0}, {0, 6}}));
         },
         "#####...../####....../###......./##......../#........./........../"},
        {"union of paths", [&](ProgressiveFade& f) { f.fadePath(twoBoxes); },
         "........../.####...../.######.../.######.../.######.../........../"},
        {"path with a hole", [&](ProgressiveFade& f) { f.fadePath(holed); },
         ".########./.########./.##....##./.##....##./.########./.########./"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(coverage(c.fadeOnce), c.expected) << c.name;
}

TEST(ProgressiveFade, ComposesTheOutgoingPictureOverTheIncomingOne)
{
    ProgressiveFade fade;
    ASSERT_TRUE(fade.begin(solid(6, 2, kRed), 0.5));
    fade.fadeRect(QRectF(0, 0, 4, 2));
    fade.fadeRect(QRectF(0, 0, 2, 2));
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888}) {
        QImage canvas(8, 3, format);
        canvas.fill(Qt::transparent);
        fade.composeOnto(canvas, solid(6, 2, kBlue));
        // 2 sub-steps: alpha 64; 1 sub-step: alpha 128; none: the outgoing picture.
        EXPECT_EQ(canvas.pixel(0, 0), qRgb(64, 0, 191)) << format;
        EXPECT_EQ(canvas.pixel(3, 1), qRgb(128, 0, 127)) << format;
        EXPECT_EQ(canvas.pixel(5, 1), kRed) << format;
        if (format == QImage::Format_ARGB32_Premultiplied) {
            EXPECT_EQ(qAlpha(canvas.pixel(7, 2)), 0) << "outside the frame: untouched";
        }
    }
    // An incoming picture smaller than the frame counts as black where it is missing.
    QImage canvas(6, 2, QImage::Format_RGB32);
    fade.composeOnto(canvas, solid(1, 1, kBlue));
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(64, 0, 0));
}

// ---- running one step of a transition ----

constexpr QRgb kGreen = 0xFF00FF00u;
constexpr QRgb kYellow = 0xFFFFFF00u;
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kCyan = 0xFF00FFFFu;
constexpr QRgb kMagenta = 0xFFFF00FFu;

// Top-left, top-right, bottom-left and bottom-right quarters in four colours.
QImage quadrants(int width, int height, QRgb tl, QRgb tr, QRgb bl, QRgb br)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    const int hw = width / 2, hh = height / 2;
    painter.fillRect(0, 0, hw, hh, QColor::fromRgb(tl));
    painter.fillRect(hw, 0, width - hw, hh, QColor::fromRgb(tr));
    painter.fillRect(0, hh, hw, height - hh, QColor::fromRgb(bl));
    painter.fillRect(hw, hh, width - hw, height - hh, QColor::fromRgb(br));
    return image;
}

struct Step {
    TransitionType type = kTransitionAlpha;
    int first = 0;
    int second = 0;
    int frames = 4; // transition frames
    int displayFrames = 2;
    int width = 160;
    int height = 120;
    RenderMode mode = RenderMode::TransitionPreview;
    int stopAfter = 0;
};

struct StepOutcome {
    int result = -1;
    std::vector<QImage> frames;
    int counter = 0;
};

// Runs the transition of `step` from `outgoing` (drawn onto the canvas) to `incoming` (a photo
// file of the frame's size, shown without motion), keeping every emitted frame.
StepOutcome runStep(const Step& step, const QImage& outgoing, const QImage& incoming,
                    FrameSink* frameSink = nullptr)
{
    StepOutcome outcome;
    test::TempDir dir;
    const std::string first = dir.file("outgoing.bmp");
    const std::string second = dir.file("incoming.bmp");
    EXPECT_TRUE(outgoing.save(QString::fromStdString(first), "BMP"));
    EXPECT_TRUE(incoming.save(QString::fromStdString(second), "BMP"));
    const auto settings = TransitionSettings::createDefault(step.type);
    settings->setParameters(step.first, step.second);

    AutoResetEvent stop;
    test::RecordingSink sink;
    sink.keepFrames = true;
    sink.stopAfter = step.stopAfter;
    sink.stopEvent = &stop;

    TransitionPreviewRequest preview;
    preview.firstImagePath = first;
    preview.secondImagePath = second;
    preview.transition = settings.get();
    preview.motionEffect = kImageEffectNone;
    ProductionRequest production;
    production.stopEvent = &stop;
    std::unique_ptr<Slideshow> slideshow;

    RenderJob job;
    job.mode = step.mode;
    job.sink = frameSink != nullptr ? frameSink : &sink;
    if (step.mode == RenderMode::Production) {
        slideshow = std::make_unique<Slideshow>("show", dir.path());
        for (const std::string& path : {first, second})
            EXPECT_EQ(slideshow->addPhoto(path, PhotoSettings()), 0);
        PhotoEffect& effect = slideshow->photo(1)->settings.effect;
        effect.imageEffectId = kImageEffectNone;
        effect.setTransition(settings.get());
        production.slideshow = slideshow.get();
        job.productionRequest = &production;
    } else {
        job.transitionRequest = &preview;
        job.stopEvent = &stop;
    }
    EXPECT_TRUE(prepareJobFrame(job, step.width, step.height));
    {
        QPainter painter(&job.canvas);
        painter.drawImage(0, 0, outgoing);
    }
    job.counter = 1;
    job.transitionFrames = step.frames;
    job.stepFrames = step.frames + step.displayFrames;
    outcome.result = renderTransitionStep(step.type, job);
    outcome.frames = sink.kept;
    outcome.counter = job.counter;
    return outcome;
}

bool near(QRgb actual, QRgb expected, int tolerance)
{
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

std::string colourText(QRgb c)
{
    return "(" + std::to_string(qRed(c)) + ", " + std::to_string(qGreen(c)) + ", " +
           std::to_string(qBlue(c)) + ", a " + std::to_string(qAlpha(c)) + ")";
}

// A pixel the geometry fixes: frame, position, colour and how far the colour may be off.
struct Sample {
    int frame;
    int x;
    int y;
    QRgb colour;
    int tolerance = 2;
};

void expectSamples(const StepOutcome& outcome, const std::vector<Sample>& samples,
                   const std::string& what)
{
    for (const Sample& s : samples) {
        ASSERT_LT(s.frame, static_cast<int>(outcome.frames.size())) << what;
        const QRgb actual = outcome.frames[static_cast<std::size_t>(s.frame)].pixel(s.x, s.y);
        EXPECT_TRUE(near(actual, s.colour, s.tolerance))
            << what << ": frame " << s.frame << " at (" << s.x << ", " << s.y << ") is "
            << colourText(actual) << ", expected " << colourText(s.colour);
    }
}

const TransitionType kFamilyA[] = {kTransitionAlpha,  kTransitionAccordion, kTransitionBlinds,
                                   kTransitionCircle, kTransitionClock,     kTransitionCubeFly};

// Default parameters of every type, then values no dialog offers (hand-edited files).
struct ParameterCase {
    int first;
    int second;
};
const ParameterCase kParameterCases[] = {
    {0, 8}, {1, 4}, {2, 1}, {3, 80}, {-1, 0}, {99, 99}, {1, -5}, {2, 1000000000},
};

TEST(TransitionsA, EveryStepEmitsItsFramesAndEndsOnTheIncomingPhoto)
{
    const QImage outgoing = solid(40, 30, kRed);
    const QImage incoming = solid(40, 30, kBlue);
    for (const TransitionType type : kFamilyA) {
        EXPECT_TRUE(hasOwnTransitionRenderer(type)) << type;
        for (const int n : {0, 1, 2, 5}) {
            for (const ParameterCase& p : kParameterCases) {
                Step step;
                step.type = type;
                step.first = p.first;
                step.second = p.second;
                step.frames = n;
                step.width = 40;
                step.height = 30;
                const StepOutcome out = runStep(step, outgoing, incoming);
                const std::string what = "type " + std::to_string(type) + " N " +
                                         std::to_string(n) + " parameters " +
                                         std::to_string(p.first) + ", " + std::to_string(p.second);
                EXPECT_EQ(out.result, kResultOk) << what;
                ASSERT_EQ(out.frames.size(), static_cast<std::size_t>(n + 2)) << what;
                EXPECT_EQ(out.counter, 1 + n + 2) << what;
                // The display frames show the incoming photo alone.
                expectSamples(out, {{n, 0, 0, kBlue}, {n + 1, 39, 29, kBlue}}, what);
            }
        }
    }
}

TEST(TransitionsA, TinyFramesAreDrawnWithoutFault)
{
    // Fewer pixels than strips, blinds or faces have: nothing is indexed outside its table.
    const std::pair<int, int> sizes[] = {{1, 1}, {5, 3}, {7, 1}, {1, 9}};
    for (const TransitionType type : kFamilyA) {
        for (const auto& [width, height] : sizes) {
            for (const int first : {0, 1, 2, 3}) {
                Step step;
                step.type = type;
                step.first = first;
                step.second = type == kTransitionBlinds ? 10 : 1;
                step.frames = 3;
                step.width = width;
                step.height = height;
                const StepOutcome out =
                    runStep(step, solid(width, height, kRed), solid(width, height, kBlue));
                EXPECT_EQ(out.result, kResultOk) << type << " " << width << "x" << height;
                EXPECT_EQ(out.frames.size(), 5u) << type << " " << width << "x" << height;
            }
        }
    }
}

TEST(TransitionsA, ProductionFramesAreOpaqueAndFinishOnTheIncomingPhoto)
{
    for (const TransitionType type : kFamilyA) {
        Step step;
        step.type = type;
        step.mode = RenderMode::Production;
        step.first = type == kTransitionClock ? 1 : 0;
        step.second = type == kTransitionBlinds ? 5 : type == kTransitionClock ? 0 : 20;
        step.frames = 5;
        step.displayFrames = 1;
        const StepOutcome out =
            runStep(step, solid(160, 120, kRed), quadrants(160, 120, kBlue, kGreen, kCyan, kWhite));
        ASSERT_EQ(out.result, kResultOk) << type;
        ASSERT_EQ(out.frames.size(), 6u) << type;
        for (const QImage& frame : out.frames)
            EXPECT_EQ(frame.format(), QImage::Format_RGB32) << type;
        // The last transition frame of these ends on the incoming photo (Circle and Clock still
        // hold a trace of the outgoing one far behind the front).
        if (type != kTransitionCircle && type != kTransitionClock)
            expectSamples(
                out,
                {{4, 2, 2, kBlue}, {4, 157, 2, kGreen}, {4, 2, 117, kCyan}, {4, 157, 117, kWhite}},
                "type " + std::to_string(type));
        expectSamples(out, {{5, 2, 2, kBlue}, {5, 157, 117, kWhite}}, std::to_string(type));
    }
}

TEST(TransitionsA, AStopEndsTheStepAtOnce)
{
    for (const TransitionType type : kFamilyA) {
        for (const int stopAfter : {1, 3, 7}) {
            Step step;
            step.type = type;
            step.frames = 5;
            step.displayFrames = 4;
            step.width = 32;
            step.height = 24;
            step.stopAfter = stopAfter;
            const StepOutcome out = runStep(step, solid(32, 24, kRed), solid(32, 24, kBlue));
            EXPECT_EQ(out.result, kResultStopped) << type;
            EXPECT_EQ(out.frames.size(), static_cast<std::size_t>(stopAfter)) << type;
        }
    }
}

// ---- Alpha ----

TEST(AlphaTransition, FadesThroughTheColourInTwoHalves)
{
    struct Case {
        int mode;
        int frames;
        std::vector<Sample> samples;
    };
    const Case cases[] = {
        // Fade to black, N = 4: black over red at 0.5 and 1, then blue over black at 0.5 and 1.
        {2,
         4,
         {{0, 5, 5, qRgb(128, 0, 0)},
          {1, 5, 5, kBlack},
          {2, 5, 5, qRgb(0, 0, 128)},
          {3, 5, 5, kBlue}}},
        // Fade to white, N = 3 (odd): white at 2/3, then blue over white at 2/3 and, capped, 1.
        {1, 3, {{0, 5, 5, qRgb(255, 170, 170)}, {1, 5, 5, qRgb(85, 85, 255)}, {2, 5, 5, kBlue}}},
        // Normal: the incoming photo at (k + 1) / N over the outgoing one.
        {0, 4, {{0, 5, 5, qRgb(191, 0, 64)}, {1, 5, 5, qRgb(128, 0, 128)}, {3, 5, 5, kBlue}}},
        // N = 1 with a colour: the single frame is already the incoming photo.
        {2, 1, {{0, 5, 5, kBlue}}},
        // An unknown mode leaves the outgoing frame on screen.
        {7, 2, {{0, 5, 5, kRed}, {1, 5, 5, kRed}, {2, 5, 5, kBlue}}},
    };
    for (const Case& c : cases) {
        Step step;
        step.type = kTransitionAlpha;
        step.first = c.mode;
        step.frames = c.frames;
        step.width = 16;
        step.height = 12;
        const StepOutcome out = runStep(step, solid(16, 12, kRed), solid(16, 12, kBlue));
        expectSamples(out, c.samples, "mode " + std::to_string(c.mode));
    }
}

// ---- Accordion ----

TEST(AccordionTransition, StripsFoldThroughTheirPoints)
{
    AccordionGeometry g(12, 8, 3, 0);
    for (int i = 0; i < kAccordionStrips; ++i) {
        EXPECT_EQ(g.strip(i).x, 2 * i);
        EXPECT_EQ(g.strip(i).width, 2);
    }
    EXPECT_EQ(g.shade(0), 85);
    EXPECT_EQ(g.shade(1), 170);
    EXPECT_EQ(g.shade(2), 255);
    g.advance();
    const auto expectPoints = [](const Parallelogram& p, QPointF tl, QPointF tr, QPointF bl) {
        EXPECT_NEAR(p.topLeft.x(), tl.x(), 1e-3);
        EXPECT_NEAR(p.topLeft.y(), tl.y(), 1e-3);
        EXPECT_NEAR(p.topRight.x(), tr.x(), 1e-3);
        EXPECT_NEAR(p.topRight.y(), tr.y(), 1e-3);
        EXPECT_NEAR(p.bottomLeft.x(), bl.x(), 1e-3);
        EXPECT_NEAR(p.bottomLeft.y(), bl.y(), 1e-3);
    };
    expectPoints(g.outgoing(0), {4, 0}, {16.0 / 3, 0.5333}, {4, 8});
    expectPoints(g.incoming(0), {0, 0}, {2.0 / 3, 3.2 / 3}, {0, 8});
    g.advance();
    g.advance();
    // At the last frame the incoming strips stand in their columns and the outgoing ones are
    // folded flat against the right edge, zig-zagging down by 0.2 H.
    for (int i = 0; i < kAccordionStrips; ++i) {
        const double x = 2.0 * i;
        expectPoints(g.incoming(i), {x, 0}, {x + 2, 0}, {x, 8});
        const double down = i % 2 == 0 ? 0.0 : 1.6;
        expectPoints(g.outgoing(i), {12, down}, {12, 1.6 - down}, {12, 8 + down});
    }
    // "Right to left" folds toward the left edge.
    AccordionGeometry mirrored(12, 8, 3, 1);
    for (int k = 0; k < 3; ++k)
        mirrored.advance();
    expectPoints(mirrored.incoming(5), {10, 0}, {12, 0}, {10, 8});
    expectPoints(mirrored.outgoing(0), {0, 0}, {0, 1.6}, {0, 8});
}

TEST(AccordionTransition, IncomingUnfoldsFromTheEntryEdgeAndOddStripsAreShaded)
{
    const QImage outgoing = solid(160, 120, kRed);
    const QImage incoming = quadrants(160, 120, kBlue, kGreen, kCyan, kYellow);
    for (const int direction : {0, 1}) {
        Step step;
        step.type = kTransitionAccordion;
        step.first = direction;
        step.frames = 4;
        const StepOutcome out = runStep(step, outgoing, incoming);
        const int in = direction == 0 ? 2 : 157;  // the unfolding side
        const int old = direction == 0 ? 157 : 2; // the folding side
        // Frame 1: the outermost strip on the folding side is odd (direction 0, strip 5) or
        // even (direction 1, strip 0): shaded with 127 of black, or not at all.
        const QRgb folded = direction == 0 ? qRgb(128, 0, 0) : kRed;
        // The bottom quarter at the entry edge: strip 0 (even) or strip 5 (odd, its black at
        // 255 - 127 = 128).
        const QRgb unfolded = direction == 0 ? kCyan : qRgb(127, 127, 0);
        expectSamples(out,
                      {{1, in, 110, unfolded},
                       {1, old, 60, folded},
                       // The last transition frame is the incoming photo, unshaded, upright.
                       {3, 2, 2, kBlue},
                       {3, 157, 2, kGreen},
                       {3, 2, 117, kCyan},
                       {3, 157, 117, kYellow},
                       {3, 40, 30, kBlue}},
                      "direction " + std::to_string(direction));
    }
}

// ---- Blinds ----

TEST(BlindsTransition, BlindsTurnOneAfterTheOther)
{
    const std::vector<Strip> strips = equalStrips(14, 4);
    ASSERT_EQ(strips.size(), 4u);
    const int xs[] = {0, 4, 8, 11}, widths[] = {4, 4, 3, 3};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(strips[i].x, xs[i]);
        EXPECT_EQ(strips[i].width, widths[i]);
    }
    // Strips always cover the frame, also when it is narrower than count squared.
    const std::vector<Strip> narrow = equalStrips(39, 10);
    EXPECT_EQ(narrow.back().x + narrow.back().width, 39);

    BlindsGeometry left(14, 10, 4, 0);
    BlindsGeometry right(14, 10, 4, 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(left.blinds()[i].startFrame, i);
        EXPECT_EQ(right.blinds()[i].startFrame, 4 - i);
    }
    // Blind 0: closes over frames 0..2, opens over 3..5 (N = 10: 0.3 N = 3).
    const float widthsOfBlind0[] = {8.0f / 3, 4.0f / 3, 0, 4.0f / 3, 8.0f / 3, 4, 4};
    for (int k = 0; k < 7; ++k) {
        left.advance(k);
        const auto& b = left.blinds()[0];
        EXPECT_NEAR(b.width, widthsOfBlind0[k], 1e-4) << k;
        EXPECT_NEAR(b.x + b.width / 2, 2.0, 1e-4) << "turns about its centre line";
        EXPECT_EQ(b.showsIncoming, k >= 3) << k;
    }
}

TEST(BlindsTransition, BlindsOpenFullyWhenTheTransitionLengthIsNoMultipleOfTen)
{
    // N = 25: 0.3 N = 7.5, so a blind closes over 8 frames and opens over 7.
    // With N = 7 and N = 1 the last blinds have no time to open within the transition; they
    // still never turn inside out.
    for (const int n : {25, 29, 60, 7, 1}) {
        BlindsGeometry g(160, n, 4, 0);
        for (int k = 0; k < n; ++k) {
            g.advance(k);
            for (const auto& b : g.blinds()) {
                EXPECT_GE(b.width, 0.0f) << "a blind never turns inside out";
                EXPECT_LE(b.width, static_cast<float>(b.strip.width));
            }
        }
        if (n < 25)
            continue;
        for (const auto& b : g.blinds()) {
            EXPECT_TRUE(b.showsIncoming) << n;
            EXPECT_EQ(b.width, static_cast<float>(b.strip.width)) << n;
        }
    }
}

TEST(BlindsTransition, FramesShowClosingAndOpeningBlinds)
{
    Step step;
    step.type = kTransitionBlinds;
    step.first = 0;
    step.second = 4; // strips of 40
    step.frames = 10;
    const StepOutcome out = runStep(step, solid(160, 120, kRed), solid(160, 120, kBlue));
    expectSamples(out,
                  {// frame 0: blind 0 closing (its edges show the background), the others
                   // untouched
                   {0, 0, 60, kBlack},
                   {0, 20, 60, kRed},
                   {0, 130, 60, kRed},
                   // frame 4: blind 0 opening on the new picture, blind 3 closing
                   {4, 20, 60, kBlue},
                   {4, 0, 60, kBlack},
                   {4, 140, 60, kRed},
                   {4, 121, 60, kBlack},
                   // last frame: every blind open on the new picture
                   {9, 0, 60, kBlue},
                   {9, 159, 60, kBlue}},
                  "blinds");
    // "Right to left": the rightmost blind starts at frame 1, the leftmost last.
    step.first = 1;
    const StepOutcome mirrored = runStep(step, solid(160, 120, kRed), solid(160, 120, kBlue));
    expectSamples(mirrored, {{0, 159, 60, kRed}, {1, 159, 60, kBlack}, {3, 0, 60, kRed}},
                  "mirrored");
}

// ---- Circle ----

TEST(CircleTransition, PlanSplitsTheFrontIntoPixelSubSteps)
{
    const CirclePlan plan = circlePlan(10, 6, 2, 4);
    EXPECT_EQ(plan.subSteps.count, 5);
    EXPECT_NEAR(plan.subSteps.step, 0.98995, 1e-4);
    EXPECT_NEAR(plan.factor, 0.6715, 1e-4);
    EXPECT_NEAR(plan.outer.x(), -0.831, 1e-3);
    EXPECT_NEAR(plan.outer.y(), -2.831, 1e-3);
    EXPECT_NEAR(plan.outer.width(), 11.662, 1e-3);
    EXPECT_NEAR(plan.outer.height(), 11.662, 1e-3);
    EXPECT_EQ(circlePlan(10, 6, 2, 0).factor, 0.0) << "no soft edge: gone at once";
    // A slow transition: the front moves less than a pixel per frame, one sub-step.
    const CirclePlan slow = circlePlan(10, 6, 100, 4);
    EXPECT_EQ(slow.subSteps.count, 1);
    EXPECT_NEAR(slow.subSteps.step, std::sqrt(2.0) * 14 * 0.5 / 100, 1e-6);

    // "Big to small": the inner circle shrinks until it passes the centre, then stays empty.
    CircleGeometry closing(10, 6, 2, 4, 1);
    EXPECT_EQ(closing.inner(), closing.outer());
    int steps = 0;
    while (!closing.inner().isEmpty() && steps < 20) {
        closing.advance();
        ++steps;
    }
    EXPECT_EQ(steps, 6); // x passes 5 after 6 steps of 0.99 from -0.831
    closing.advance();
    EXPECT_TRUE(closing.inner().isEmpty());
}

TEST(CircleTransition, OutgoingDissolvesBehindACircularFront)
{
    const QImage outgoing = solid(160, 120, kRed);
    const QImage incoming = solid(160, 120, kBlue);
    Step step;
    step.type = kTransitionCircle;
    step.frames = 4;
    step.second = 10;
    // Small to big: the centre goes first, the corners keep the outgoing picture.
    step.first = 0;
    expectSamples(runStep(step, outgoing, incoming),
                  {{0, 80, 60, kBlue, 10},
                   {0, 0, 0, kRed, 0},
                   {0, 130, 60, kRed, 0},
                   {3, 80, 60, kBlue, 0},
                   {3, 40, 60, kBlue, 0}},
                  "small to big");
    // Big to small: a ring closing in; the centre stays until late.
    step.first = 1;
    expectSamples(runStep(step, outgoing, incoming),
                  {{0, 0, 0, kBlue, 10},
                   {0, 80, 60, kRed, 0},
                   {1, 80, 60, kRed, 0},
                   // the centre is passed last: a trace of 0.2^2 of the outgoing picture
                   {3, 0, 0, kBlue, 0},
                   {3, 80, 60, qRgb(10, 0, 245), 3}},
                  "big to small");
}

// ---- Clock ----

TEST(ClockTransition, PlanOfHandsAndSubSteps)
{
    const ClockPlan smoothTwo = clockPlan(1, true, 2);
    EXPECT_EQ(smoothTwo.hands, 2);
    EXPECT_EQ(smoothTwo.subSteps, 5);
    EXPECT_NEAR(smoothTwo.sweepPerFrame / smoothTwo.subSteps, 18.9, 1e-4);
    EXPECT_NEAR(smoothTwo.factor, std::pow(0.2, 1.0 / 15), 1e-9);
    EXPECT_EQ(smoothTwo.starts[0], -90.0f);
    EXPECT_EQ(smoothTwo.starts[1], 90.0f);
    EXPECT_NEAR(clockPlan(2, true, 2).factor, std::pow(0.2, 1.0 / 30), 1e-9);
    const ClockPlan hardFour = clockPlan(2, false, 2);
    EXPECT_EQ(hardFour.hands, 4);
    EXPECT_EQ(hardFour.subSteps, 1);
    EXPECT_EQ(hardFour.sweepPerFrame, 45.0f);
    EXPECT_EQ(hardFour.factor, 0.0);
    EXPECT_EQ(clockPlan(0, true, 1).sweepPerFrame, 377.99997f);
    EXPECT_EQ(clockPlan(3, true, 2).hands, 0);
    EXPECT_EQ(clockPlan(-1, false, 2).hands, 0);
}

TEST(ClockTransition, HandsSweepClockwiseFromTwelve)
{
    const QImage outgoing = solid(160, 120, kRed);
    const QImage incoming = solid(160, 120, kBlue);
    // Points 40 pixels from the centre (80, 60) at a clock angle, -90 pointing up.
    const auto at = [](double degrees) {
        const double r = degrees * 3.14159265358979 / 180.0;
        return QPoint(static_cast<int>(80 + 40 * std::cos(r)),
                      static_cast<int>(60 + 40 * std::sin(r)));
    };
    Step step;
    step.type = kTransitionClock;
    // Four hands, not smooth, N = 2: quarter slices of 45 degrees after the first frame, 90 after
    // the second; inside them the outgoing picture is gone at once.
    step.first = 2;
    step.second = 0;
    step.frames = 2;
    std::vector<Sample> samples;
    for (const double start : {-90.0, 0.0, 90.0, 180.0}) {
        const QPoint inside = at(start + 22.5), outside = at(start + 67.5);
        samples.push_back({0, inside.x(), inside.y(), kBlue, 0});
        samples.push_back({0, outside.x(), outside.y(), kRed, 0});
        samples.push_back({1, outside.x(), outside.y(), kBlue, 0});
    }
    expectSamples(runStep(step, outgoing, incoming), samples, "four hands");
    // One hand, N = 4: after the first frame only the quarter from 12 to 3 o'clock.
    step.first = 0;
    step.frames = 4;
    const QPoint a = at(-45), b = at(-135), c = at(45);
    expectSamples(runStep(step, outgoing, incoming),
                  {{0, a.x(), a.y(), kBlue, 0},
                   {0, b.x(), b.y(), kRed, 0},
                   {0, c.x(), c.y(), kRed, 0},
                   {1, c.x(), c.y(), kBlue, 0},
                   {3, b.x(), b.y(), kBlue, 0}},
                  "one hand");
    // Smooth: the band just behind the hand is still partly the outgoing picture.
    step.second = 1;
    const StepOutcome smooth = runStep(step, outgoing, incoming);
    // 20 degrees past 12 o'clock: inside for 4 of the 5 sub-steps, alpha 0.2^(4/15).
    const QRgb behind = smooth.frames[0].pixel(at(-70).x(), at(-70).y());
    EXPECT_GT(qRed(behind), 40) << colourText(behind);
    EXPECT_GT(qBlue(behind), 40) << colourText(behind);
}

// ---- Cube fly ----

TEST(CubeFlyTransition, FacesFollowTheSharedEdge)
{
    CubeFlyGeometry g(10, 8, 5, 2);
    g.advance(0);
    const QRectF out = g.outgoingFace(), in = g.incomingFace();
    EXPECT_TRUE(g.outgoingVisible());
    EXPECT_NEAR(out.x(), 2.0, 1e-4);
    EXPECT_NEAR(out.y(), 0.1333, 1e-4);
    EXPECT_NEAR(out.width(), 7.3333, 1e-4);
    EXPECT_NEAR(out.height(), 7.7333, 1e-4);
    EXPECT_NEAR(in.x(), 0.0, 1e-4);
    EXPECT_NEAR(in.y(), 0.1333, 1e-4);
    EXPECT_NEAR(in.width(), 2.0, 1e-4);
    EXPECT_NEAR(in.height(), 7.7333, 1e-4);
    for (int k = 1; k < 5; ++k)
        g.advance(k);
    EXPECT_FALSE(g.outgoingVisible());
    const QRectF last = g.incomingFace();
    EXPECT_NEAR(last.x(), 0, 1e-4);
    EXPECT_NEAR(last.y(), 0, 1e-4);
    EXPECT_NEAR(last.width(), 10, 1e-4);
    EXPECT_NEAR(last.height(), 8, 1e-4);

    // Every direction ends with the incoming face on the whole frame, also with N = 1.
    for (const int direction : {0, 1, 2, 3}) {
        for (const int n : {1, 2, 7}) {
            CubeFlyGeometry d(12, 9, n, direction);
            for (int k = 0; k < n; ++k)
                d.advance(k);
            const QRectF face = d.incomingFace();
            EXPECT_NEAR(face.left(), 0, 1e-3) << direction << " " << n;
            EXPECT_NEAR(face.top(), 0, 1e-3) << direction << " " << n;
            EXPECT_NEAR(face.right(), 12, 1e-3) << direction << " " << n;
            EXPECT_NEAR(face.bottom(), 9, 1e-3) << direction << " " << n;
            EXPECT_NEAR(d.stripInset(), 0, 1e-5);
        }
    }
}

TEST(CubeFlyTransition, TheIncomingFaceComesInFromTheEntrySide)
{
    const QImage outgoing = quadrants(160, 120, kRed, kYellow, kMagenta, kWhite);
    const QImage incoming = quadrants(160, 120, kBlue, kGreen, kCyan, kBlack);
    struct Case {
        int direction;
        std::vector<Sample> samples;
    };
    // N = 4, frame 1: the shared edge is half-way across.
    const Case cases[] = {
        {0, {{1, 30, 110, kCyan}, {1, 130, 110, kBlack}, {1, 40, 30, kRed}}},
        {1, {{1, 30, 10, kBlue}, {1, 130, 10, kGreen}, {1, 40, 90, kMagenta}}},
        {2, {{1, 10, 20, kBlue}, {1, 10, 100, kCyan}, {1, 120, 30, kYellow}}},
        {3, {{1, 150, 20, kGreen}, {1, 150, 100, kBlack}, {1, 40, 30, kRed}}},
    };
    for (const Case& c : cases) {
        Step step;
        step.type = kTransitionCubeFly;
        step.first = c.direction;
        step.frames = 4;
        const StepOutcome out = runStep(step, outgoing, incoming);
        expectSamples(out, c.samples, "direction " + std::to_string(c.direction));
        expectSamples(out, {{3, 2, 2, kBlue}, {3, 157, 117, kBlack}, {3, 157, 2, kGreen}},
                      "last frame");
    }
}

TEST(CubeFlyTransition, FramesWiderThanSevenHundredTwentyPixels)
{
    for (const int direction : {2, 3}) {
        Step step;
        step.type = kTransitionCubeFly;
        step.first = direction;
        step.frames = 3;
        step.width = 960;
        step.height = 24;
        const StepOutcome out = runStep(step, solid(960, 24, kRed), solid(960, 24, kBlue));
        ASSERT_EQ(out.result, kResultOk);
        // (The photo itself is fitted 959 pixels wide: 960 / 24 is not exact as a float.)
        expectSamples(out, {{2, 0, 12, kBlue}, {2, 958, 12, kBlue}, {2, 800, 2, kBlue}}, "wide");
    }
}

// ---- contact sheets ----

// Photo-like pictures whose orientation shows: a warm gradient with a light disc at the top
// left and a diagonal, and a cool gradient with a yellow square at the top right and a grid.
QImage sheetPicture(int width, int height, bool warm)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int u = 255 * x / width, v = 255 * y / height;
            row[x] = warm ? qRgb(200 + u / 5, 60 + v / 2, 40) : qRgb(20, 80 + u / 2, 120 + v / 2);
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (warm) {
        painter.setBrush(QColor(255, 240, 200));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(width * 0.08, height * 0.08, width * 0.3, width * 0.3));
        painter.setPen(QPen(Qt::white, 3));
        painter.drawLine(QPointF(0, 0), QPointF(width, height));
    } else {
        painter.setPen(QPen(QColor(220, 255, 255), 1));
        for (int x = 0; x < width; x += 16)
            painter.drawLine(x, 0, x, height);
        for (int y = 0; y < height; y += 16)
            painter.drawLine(0, y, width, y);
        painter.fillRect(QRectF(width * 0.6, height * 0.1, width * 0.3, height * 0.3),
                         QColor(250, 220, 0));
    }
    return image;
}

struct SheetRow {
    int first;
    int second;
};

struct Sheet {
    TransitionType type;
    const char* name;
    std::vector<SheetRow> rows; // one row of frames per parameter set
};

// Renders each row's transition into PNG files with the frame-dump sink and puts the frames at
// 0, 25, 50, 75 and 100 % of the transition side by side, one row per parameter set.
bool writeContactSheet(const Sheet& sheet, const QString& folder)
{
    constexpr int kW = 224, kH = 168, kN = 20, kGap = 4;
    const double points[] = {0.0, 0.25, 0.5, 0.75, 1.0};
    const QImage outgoing = sheetPicture(kW, kH, true);
    const QImage incoming = sheetPicture(kW, kH, false);
    QImage sheetImage(kGap + 5 * (kW + kGap),
                      kGap + static_cast<int>(sheet.rows.size()) * (kH + kGap),
                      QImage::Format_RGB32);
    sheetImage.fill(QColor(128, 128, 128));
    QPainter painter(&sheetImage);
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        test::TempDir frames;
        FrameDumpSink sink(frames.path(), "frame_");
        Step step;
        step.type = sheet.type;
        step.first = sheet.rows[r].first;
        step.second = sheet.rows[r].second;
        step.frames = kN;
        step.displayFrames = 0;
        step.width = kW;
        step.height = kH;
        const StepOutcome out = runStep(step, outgoing, incoming, &sink);
        if (out.result != kResultOk || sink.framesWritten() != kN)
            return false;
        for (int c = 0; c < 5; ++c) {
            const int index = static_cast<int>(std::lround(points[c] * (kN - 1)));
            char name[32];
            std::snprintf(name, sizeof name, "frame_%06d.png", index);
            const QImage frame(QString::fromStdString(frames.file(name)));
            if (frame.isNull())
                return false;
            painter.drawImage(kGap + c * (kW + kGap), kGap + static_cast<int>(r) * (kH + kGap),
                              frame);
        }
    }
    painter.end();
    return sheetImage.save(QDir(folder).filePath(QString(sheet.name) + ".png"), "PNG");
}

TEST(TransitionsA, ContactSheetsWhenAFolderIsNamed)
{
    const char* folder = std::getenv("PICTAVO_CONTACT_SHEETS");
    if (folder == nullptr || *folder == '\0')
        GTEST_SKIP() << "PICTAVO_CONTACT_SHEETS names no folder";
    const QString path = QString::fromLocal8Bit(folder);
    ASSERT_TRUE(QDir().mkpath(path));
    const Sheet sheets[] = {
        {kTransitionAlpha, "alpha", {{0, 0}, {1, 0}, {2, 0}}},
        {kTransitionAccordion, "accordion", {{0, 0}, {1, 0}}},
        {kTransitionBlinds, "blinds", {{0, 8}, {1, 4}, {0, 10}}},
        {kTransitionCircle, "circle", {{0, 40}, {1, 40}, {0, 1}, {1, 80}}},
        {kTransitionClock, "clock", {{0, 1}, {1, 1}, {2, 1}, {2, 0}}},
        {kTransitionCubeFly, "cube_fly", {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
    };
    for (const Sheet& sheet : sheets)
        EXPECT_TRUE(writeContactSheet(sheet, path)) << sheet.name;
}
} // namespace
} // namespace pictavo
