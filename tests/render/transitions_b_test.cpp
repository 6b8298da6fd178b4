// Door, Flip, Fly, Polygon, Rotate in and Diagonal sweep: their geometry as numbers, and whole
// steps rendered from simply patterned pictures (outgoing in warm colours, incoming in cool
// ones, split in halves where orientation matters), sampled where the geometry says the old or
// the new picture must be.

#include "core/auto_reset_event.h"
#include "core/result_codes.h"
#include "effects/transition_settings.h"
#include "render/frame_sink.h"
#include "render/render_job.h"
#include "render/transition_renderer.h"
#include "render/transitions/family_b/card_drawing.h"
#include "render/transitions/family_b/family_b_geometry.h"
#include "render_test_support.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace pictavo {
namespace {

using test::RecordingSink;
using test::TempDir;

constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kGreen = 0xFF00FF00u;
constexpr QRgb kBlue = 0xFF0000FFu;
constexpr QRgb kYellow = 0xFFFFFF00u;
constexpr QRgb kBlack = 0xFF000000u;

constexpr int kW = 160;
constexpr int kH = 120;

// A picture split into two colours: left | right, or top / bottom.
QImage halves(QRgb first, QRgb second, Qt::Orientation split = Qt::Horizontal, int width = kW,
              int height = kH)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool firstPart = split == Qt::Horizontal ? x < width / 2 : y < height / 2;
            image.setPixel(x, y, firstPart ? first : second);
        }
    return image;
}

// The outgoing (red | green) and incoming (blue | yellow) pictures of most tests.
QImage outgoingPicture(Qt::Orientation split = Qt::Horizontal)
{
    return halves(kRed, kGreen, split);
}
QImage incomingPicture(Qt::Orientation split = Qt::Horizontal)
{
    return halves(kBlue, kYellow, split);
}

struct StepRun {
    int result = -1;
    std::vector<QImage> frames;
};

struct StepOptions {
    int transitionFrames = 10;
    int stepFrames = 12;
    QImage::Format canvasFormat = QImage::Format_RGB32; // production; the previews use ARGB
    int stopAfter = 0;                                  // frames before a stop (0: none)
};

// One step of a transition from `outgoing` (on the canvas) to `incoming` (the incoming photo's
// file, shown without motion).
StepRun runStep(TransitionType type, int first, int second, const QImage& outgoing,
                const QImage& incoming, const StepOptions& options = {})
{
    TempDir dir;
    const std::string incomingPath = dir.file("in.png");
    EXPECT_TRUE(incoming.save(QString::fromStdString(incomingPath), "PNG"));
    const auto settings = TransitionSettings::createDefault(type);
    settings->setParameters(first, second);
    TransitionPreviewRequest request;
    request.secondImagePath = incomingPath;
    request.transition = settings.get();
    request.motionEffect = kImageEffectNone;
    AutoResetEvent stop;
    RecordingSink sink;
    sink.keepFrames = true;
    sink.stopAfter = options.stopAfter;
    sink.stopEvent = &stop;
    RenderJob job;
    job.mode = RenderMode::TransitionPreview;
    job.transitionRequest = &request;
    job.sink = &sink;
    job.stopEvent = &stop;
    EXPECT_TRUE(prepareJobFrame(job, outgoing.width(), outgoing.height()));
    job.canvas = outgoing.convertToFormat(options.canvasFormat);
    job.counter = 1;
    job.transitionFrames = options.transitionFrames;
    job.stepFrames = options.stepFrames;
    StepRun run;
    run.result = renderTransitionStep(type, job);
    run.frames = std::move(sink.kept);
    return run;
}

struct Sample {
    int x;
    int y;
    QRgb colour;
};

void expectSamples(const QImage& frame, const std::vector<Sample>& samples)
{
    for (const Sample& s : samples)
        EXPECT_EQ(frame.pixel(s.x, s.y) | 0xFF000000u, s.colour)
            << "at (" << s.x << ", " << s.y << ") got " << std::hex << frame.pixel(s.x, s.y)
            << " expected " << s.colour;
}

// Points in every quadrant, away from the quadrant borders.
std::vector<Sample> quadrantSamples(const QImage& picture)
{
    std::vector<Sample> samples;
    const int w = picture.width();
    const int h = picture.height();
    for (const int x : {w / 8, w / 4, 3 * w / 4, 7 * w / 8})
        for (const int y : {h / 8, h / 2 - 3, h / 2 + 3, 7 * h / 8})
            samples.push_back({x, y, picture.pixel(x, y)});
    return samples;
}

void expectNear(const QPointF& actual, double x, double y, double tolerance = 1e-3)
{
    EXPECT_NEAR(actual.x(), x, tolerance);
    EXPECT_NEAR(actual.y(), y, tolerance);
}

void expectRect(const QRectF& actual, double x, double y, double w, double h,
                double tolerance = 1e-3)
{
    EXPECT_NEAR(actual.x(), x, tolerance);
    EXPECT_NEAR(actual.y(), y, tolerance);
    EXPECT_NEAR(actual.width(), w, tolerance);
    EXPECT_NEAR(actual.height(), h, tolerance);
}

// ---- The shared card drawing ----

TEST(StripCard, StretchesEveryStripBetweenItsInsets)
{
    // 8 x 4 picture whose pixel at (x, y) encodes x and y
    QImage picture(8, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            picture.setPixel(x, y, qRgb(x * 10, y * 10, 0));
    StripCard columns;
    columns.setPicture(picture, StripAxis::Columns);
    QImage card(8, 4, QImage::Format_RGB32);
    card.fill(kBlack);
    // inset 0.25 per column: column 4 is inset by 1 at both ends, its 4 source rows squeezed
    // into rows 1 and 2 (sampled at rows 1 and 3); column 6 keeps row 1 only; column 7
    // (0.5 long, between 1.75 and 2.25) covers no pixel centre; column 0 is untouched
    columns.draw(CardTaper::NarrowAtEnd, 0.25f, card);
    EXPECT_EQ(card.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(card.pixel(0, 3), qRgb(0, 30, 0));
    EXPECT_EQ(card.pixel(4, 0), kBlack);
    EXPECT_EQ(card.pixel(4, 1), qRgb(40, 10, 0));
    EXPECT_EQ(card.pixel(4, 2), qRgb(40, 30, 0));
    EXPECT_EQ(card.pixel(4, 3), kBlack);
    EXPECT_EQ(card.pixel(6, 1), qRgb(60, 0, 0));
    EXPECT_EQ(card.pixel(6, 2), kBlack);
    EXPECT_EQ(card.pixel(7, 1), kBlack);
    EXPECT_EQ(card.pixel(7, 2), kBlack);
    // the other taper: strip i inset by (8 - i) * 0.25, so column 0 is the narrowest
    card.fill(kBlack);
    columns.draw(CardTaper::NarrowAtStart, 0.25f, card);
    EXPECT_EQ(card.pixel(0, 1), kBlack);
    EXPECT_EQ(card.pixel(0, 2), kBlack);
    EXPECT_EQ(card.pixel(2, 1), qRgb(20, 0, 0));
    EXPECT_EQ(card.pixel(2, 2), kBlack);
    EXPECT_EQ(card.pixel(7, 0), qRgb(70, 0, 0));
    EXPECT_EQ(card.pixel(7, 3), qRgb(70, 30, 0));

    StripCard rows;
    rows.setPicture(picture, StripAxis::Rows);
    card.fill(kBlack);
    rows.draw(CardTaper::NarrowAtEnd, 1.0f, card); // row 2 inset by 2: 4 pixels wide
    EXPECT_EQ(card.pixel(1, 2), kBlack);
    EXPECT_EQ(card.pixel(2, 2), qRgb(10, 20, 0));
    EXPECT_EQ(card.pixel(5, 2), qRgb(70, 20, 0));
    EXPECT_EQ(card.pixel(6, 2), kBlack);
    EXPECT_EQ(card.pixel(7, 0), qRgb(70, 0, 0));

    // a card of another size, a strip without length, an inset that is no number: no crash
    QImage other(3, 3, QImage::Format_RGB32);
    other.fill(kBlack);
    columns.draw(CardTaper::NarrowAtEnd, 0.25f, other);
    EXPECT_EQ(other.pixel(1, 1), kBlack);
    card.fill(kBlack);
    columns.draw(CardTaper::NarrowAtEnd, 100.0f, card);
    columns.draw(CardTaper::NarrowAtEnd, std::nanf(""), card);
    EXPECT_EQ(card.pixel(0, 1), qRgb(0, 10, 0)); // only column 0 (inset 0) was drawn
    EXPECT_EQ(card.pixel(1, 1), kBlack);
}

TEST(Parallelogram, MapsTheCornersAndSkipsALine)
{
    const QImage picture = halves(kRed, kGreen, Qt::Horizontal, 20, 10);
    QImage canvas(40, 40, QImage::Format_RGB32);
    canvas.fill(kBlack);
    {
        QPainter painter(&canvas);
        // turned a quarter clockwise: upper edge downwards along x = 30, left edge leftwards
        drawOnParallelogram(painter, picture, {{30, 5}, {30, 25}, {20, 5}});
        // a picture squashed to a line draws nothing
        drawOnParallelogram(painter, picture, {{0, 0}, {10, 0}, {20, 0}});
    }
    EXPECT_EQ(canvas.pixel(25, 10), kRed);   // the picture's left half now lies at the top
    EXPECT_EQ(canvas.pixel(25, 20), kGreen); // its right half below
    EXPECT_EQ(canvas.pixel(25, 30), kBlack);
    EXPECT_EQ(canvas.pixel(15, 10), kBlack);
    EXPECT_EQ(canvas.pixel(5, 0), kBlack);
}

// ---- Door ----

TEST(DoorGeometry, HalvesSwingToTheHinges)
{
    // odd width: halves of 80, the right half hinged at 161; at the end the left door's free
    // edge lies at -0.5 and has sunk by 0.3 H
    DoorGeometry open(161, 120, 10, DoorGeometry::kOpen);
    ASSERT_TRUE(open.valid());
    EXPECT_EQ(open.halfWidth(), 80);
    open.step();
    expectNear(open.left().upperRight, 80 - 8.05, 3.6);
    expectNear(open.right().upperLeft, 80 + 8.05, 3.6);
    expectNear(open.right().lowerLeft, 80 + 8.05, 123.6);
    for (int j = 2; j <= 10; ++j)
        open.step();
    expectNear(open.left().upperLeft, 0, 0);
    expectNear(open.left().upperRight, -0.5, 36);
    expectNear(open.left().lowerLeft, 0, 120);
    expectNear(open.right().upperLeft, 160.5, 36);
    expectNear(open.right().upperRight, 161, 0);

    // closing: the incoming halves come in from the edges and meet in the middle
    DoorGeometry close(160, 120, 4, DoorGeometry::kClose);
    close.step();
    expectNear(close.left().upperRight, 20, 36 - 9);
    expectNear(close.right().upperLeft, 140, 27);
    expectNear(close.right().lowerLeft, 140, 156 - 9);
    for (int j = 2; j <= 4; ++j)
        close.step();
    expectNear(close.left().upperRight, 80, 0);
    expectNear(close.right().upperLeft, 80, 0);
    expectNear(close.right().lowerLeft, 80, 120);

    EXPECT_FALSE(DoorGeometry(160, 120, 10, 2).valid());
    EXPECT_FALSE(DoorGeometry(160, 120, 0, 0).valid());
}

TEST(DoorTransition, HalvesSinkAndSwingAtTheHinges)
{
    // frame 4 of 10 at 160 x 120: the free edges are 40 pixels from the hinges and 18 lower
    const StepRun open =
        runStep(kTransitionDoor, DoorGeometry::kOpen, 0, outgoingPicture(), incomingPicture());
    ASSERT_EQ(open.frames.size(), 12u);
    expectSamples(open.frames[4], {
                                      {10, 60, kRed},    // left outgoing half
                                      {150, 60, kGreen}, // right outgoing half
                                      {60, 60, kBlue},   // the incoming photo between them
                                      {100, 60, kYellow},
                                      {36, 5, kBlue}, // above the sinking top edge
                                      {36, 20, kRed},
                                      {124, 5, kYellow},
                                  });
    const StepRun close =
        runStep(kTransitionDoor, DoorGeometry::kClose, 0, outgoingPicture(), incomingPicture());
    ASSERT_EQ(close.frames.size(), 12u);
    expectSamples(close.frames[4], {
                                       {10, 60, kBlue},
                                       {150, 60, kYellow},
                                       {60, 60, kRed},
                                       {100, 60, kGreen},
                                       {36, 10, kRed}, // above the left half's slanted top
                                       {36, 40, kBlue},
                                   });
}

// ---- Flip ----

TEST(FlipGeometry, TurnsAwayThenTurnsIn)
{
    FlipGeometry flip(160, 120, 10, FlipGeometry::kVertical);
    ASSERT_TRUE(flip.valid());
    EXPECT_EQ(flip.firstHalfFrames(), 5);
    CardFrame frame = flip.next(0); // f = 0.2 of the first half
    EXPECT_FALSE(flip.showsIncoming(0));
    EXPECT_EQ(frame.axis, StripAxis::Columns);
    EXPECT_EQ(frame.taper, CardTaper::NarrowAtEnd);
    expectRect(frame.destination, 16, -3.6, 128, 127.2);
    // q = right span / left span = 103.2 / 127.2, s = (1 - q) * 120 / 2 / 160
    EXPECT_NEAR(frame.inset, (1 - 103.2 / 127.2) * 120 / 2 / 160, 1e-6);
    for (int k = 1; k < 5; ++k)
        frame = flip.next(k);
    EXPECT_NEAR(frame.destination.width(), 0, 1e-3); // seen edge-on at the centre line
    frame = flip.next(5);                            // second half, f = 0.2
    EXPECT_TRUE(flip.showsIncoming(5));
    EXPECT_EQ(frame.taper, CardTaper::NarrowAtStart);
    expectRect(frame.destination, 64, -14.4, 32, 148.8);
    EXPECT_NEAR(frame.inset, (1 - 52.8 / 148.8) * 120 / 2 / 160, 1e-6);
    for (int k = 6; k < 10; ++k)
        frame = flip.next(k);
    expectRect(frame.destination, 0, 0, 160, 120);
    EXPECT_NEAR(frame.inset, 0, 1e-6);

    // horizontal: the same with the axes exchanged
    FlipGeometry rows(160, 120, 10, FlipGeometry::kHorizontal);
    frame = rows.next(0);
    EXPECT_EQ(frame.axis, StripAxis::Rows);
    expectRect(frame.destination, -4.8, 12, 169.6, 96);
    EXPECT_NEAR(frame.inset, (1 - 137.6 / 169.6) * 160 / 2 / 120, 1e-6);

    // one frame: only the second half, already the full incoming card
    FlipGeometry single(160, 120, 1, FlipGeometry::kVertical);
    EXPECT_EQ(single.firstHalfFrames(), 0);
    EXPECT_TRUE(single.showsIncoming(0));
    expectRect(single.next(0).destination, 0, 0, 160, 120);

    EXPECT_FALSE(FlipGeometry(160, 120, 10, -1).valid());
}

TEST(FlipTransition, CardEdgesInBothHalves)
{
    // vertical, 10 frames: frame 0 shows the outgoing card between x = 16 and 144, its right
    // edge shorter (8.4 .. 111.6); frame 4 is edge-on; frame 5 the incoming card between
    // x = 64 and 96, short at the left (33.6 .. 86.4)
    const StepRun vertical =
        runStep(kTransitionFlip, FlipGeometry::kVertical, 0, outgoingPicture(), incomingPicture());
    ASSERT_EQ(vertical.frames.size(), 12u);
    expectSamples(vertical.frames[0], {{20, 60, kRed},
                                       {140, 60, kGreen},
                                       {8, 60, kBlack},
                                       {20, 2, kRed},
                                       {140, 4, kBlack},
                                       {152, 60, kBlack}});
    expectSamples(vertical.frames[4], {{80, 60, kBlack}, {20, 60, kBlack}});
    expectSamples(vertical.frames[5], {{66, 60, kBlue},
                                       {94, 60, kYellow},
                                       {66, 28, kBlack},
                                       {94, 28, kYellow},
                                       {60, 60, kBlack},
                                       {100, 60, kBlack}});
    // horizontal: rows, top half of the picture above
    const StepRun horizontal =
        runStep(kTransitionFlip, FlipGeometry::kHorizontal, 0, outgoingPicture(Qt::Vertical),
                incomingPicture(Qt::Vertical));
    ASSERT_EQ(horizontal.frames.size(), 12u);
    expectSamples(
        horizontal.frames[0],
        {{80, 16, kRed}, {80, 100, kGreen}, {80, 8, kBlack}, {4, 100, kBlack}, {2, 16, kRed}});
    expectSamples(horizontal.frames[5], {{80, 50, kBlue}, {80, 66, kYellow}, {80, 40, kBlack}});
}

// ---- Fly ----

TEST(FlyGeometry, CornersOfBothVariants)
{
    FlyGeometry in(160, 120, 8, FlyGeometry::kFlyIn);
    ASSERT_TRUE(in.valid());
    EXPECT_EQ(in.firstHalfFrames(), 4);
    CardFrame frame = in.next(0);
    expectRect(frame.destination, 60, 67.5, 40, 7.5);
    for (int k = 1; k < 4; ++k)
        frame = in.next(k);
    // lying flat in the lower quarter, the top edge half as wide as the bottom edge
    expectRect(frame.destination, 0, 90, 160, 30);
    EXPECT_EQ(frame.axis, StripAxis::Rows);
    EXPECT_EQ(frame.taper, CardTaper::NarrowAtStart);
    EXPECT_NEAR(frame.inset, 0.5 * 160 / 2 / 120, 1e-6);
    for (int k = 4; k < 8; ++k)
        frame = in.next(k);
    expectRect(frame.destination, 0, 0, 160, 120);
    EXPECT_NEAR(frame.inset, 0, 1e-6);

    // fly out with W div 2 = 75 and 4 second-half frames: the bottom corners move by 18 per
    // frame and stop 3 short of the centre while the height reaches 0
    FlyGeometry out(150, 120, 7, FlyGeometry::kFlyOut);
    ASSERT_TRUE(out.valid());
    EXPECT_EQ(out.firstHalfFrames(), 3);
    EXPECT_EQ(out.bottomStep(), 18);
    frame = out.next(0);
    expectRect(frame.destination, 0, 30, 150, 90);
    EXPECT_TRUE(out.redrawsCard(2));
    EXPECT_FALSE(out.redrawsCard(3));
    for (int k = 1; k < 7; ++k)
        frame = out.next(k);
    EXPECT_NEAR(out.corners().x3, 72, 1e-4);
    EXPECT_NEAR(out.corners().x2, 78, 1e-4);
    EXPECT_NEAR(out.corners().y0, 60, 1e-4);
    EXPECT_NEAR(out.corners().y3, 60, 1e-4);

    // one frame: the second half only
    FlyGeometry single(160, 120, 1, FlyGeometry::kFlyIn);
    expectRect(single.next(0).destination, 0, 0, 160, 120);
    FlyGeometry singleOut(160, 120, 1, FlyGeometry::kFlyOut);
    EXPECT_NEAR(singleOut.next(0).destination.height(), 0, 1e-4);

    EXPECT_FALSE(FlyGeometry(160, 120, 8, 3).valid());
}

TEST(FlyTransition, TrapezoidOverTheOtherPicture)
{
    // 8 frames: frame 3 ends the first half with the card lying in y = 90 .. 120, its top edge
    // from x = 40 to 120
    const StepRun in = runStep(kTransitionFly, FlyGeometry::kFlyIn, 0, outgoingPicture(),
                               incomingPicture(Qt::Vertical), {8, 10});
    ASSERT_EQ(in.frames.size(), 10u);
    expectSamples(in.frames[3], {{80, 92, kBlue}, // the narrow top row of the incoming photo
                                 {80, 118, kYellow},
                                 {20, 60, kRed},
                                 {140, 60, kGreen},
                                 {30, 93, kRed}, // beside the slanted left edge
                                 {45, 93, kBlue},
                                 {5, 118, kYellow}});
    const StepRun out = runStep(kTransitionFly, FlyGeometry::kFlyOut, 0,
                                outgoingPicture(Qt::Vertical), incomingPicture(), {8, 10});
    ASSERT_EQ(out.frames.size(), 10u);
    expectSamples(out.frames[3], {{80, 92, kRed}, {80, 118, kGreen}, {20, 60, kBlue}});
    // frame 5: the picture of frame 3 scaled into x = 40 .. 120, y = 75 .. 90
    expectSamples(out.frames[5], {{80, 77, kRed},
                                  {80, 88, kGreen},
                                  {30, 82, kBlue},
                                  {130, 82, kYellow},
                                  {80, 100, kYellow}});
}

// ---- Polygon ----

TEST(PolygonGeometry, HalfDiscsAlongTruncatedBisectors)
{
    for (int n = PolygonGeometry::kMinPieces; n <= PolygonGeometry::kMaxPieces; ++n) {
        SCOPED_TRACE(n);
        PolygonGeometry out(720, 480, 10, n, PolygonGeometry::kFlyOut);
        ASSERT_TRUE(out.valid());
        ASSERT_EQ(out.pieces(), n);
        const double r = std::sqrt(720.0 * 720 + 480.0 * 480) / 2;
        EXPECT_NEAR(out.radius(), r, 1e-3);
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(out.bisector(i), (2 * i + 1) * 180 / n) << i;
            EXPECT_NEAR(out.startAngle(i), (2.0 * i + 1) * 180 / n - 90, 1e-3);
            expectNear(out.offset(i), 0, 0);
        }
        for (int j = 0; j < 10; ++j)
            out.step();
        for (int i = 0; i < n; ++i) {
            const double theta = out.bisector(i) * M_PI / 180;
            expectNear(out.offset(i), r * std::cos(theta), r * std::sin(theta), 1e-2);
        }
        // fly in: from a radius out back home
        PolygonGeometry in(720, 480, 10, n, PolygonGeometry::kFlyIn);
        const double theta0 = in.bisector(0) * M_PI / 180;
        expectNear(in.offset(0), r * std::cos(theta0), r * std::sin(theta0), 1e-2);
        for (int j = 0; j < 10; ++j)
            in.step();
        for (int i = 0; i < n; ++i)
            expectNear(in.offset(i), 0, 0, 1e-2);
    }
    for (const int n : {-1, 0, 2, 10, 1000}) {
        const PolygonGeometry bad(720, 480, 10, n, PolygonGeometry::kFlyOut);
        EXPECT_FALSE(bad.valid());
        EXPECT_EQ(bad.pieces(), 0);
        EXPECT_EQ(bad.bisector(n), 0); // no index outside the tables
    }
    EXPECT_FALSE(PolygonGeometry(720, 480, 10, 5, 2).valid());
}

TEST(PolygonTransition, TriangleOpensAndCloses)
{
    // 160 x 120 (circumradius 100), 10 frames: at frame 4 the hole is the triangle of inradius
    // 50 whose sides face 60, 180 and 300 degrees; its corner towards 0 degrees lies 100 from
    // the centre, so (155, 60) is inside while (25, 60), 55 towards 180 degrees, is not
    const StepRun out = runStep(kTransitionPolygon, 3, PolygonGeometry::kFlyOut, outgoingPicture(),
                                incomingPicture());
    ASSERT_EQ(out.frames.size(), 12u);
    expectSamples(out.frames[4], {{78, 60, kBlue},
                                  {155, 60, kYellow},
                                  {25, 60, kRed},
                                  {107, 108, kGreen},   // 55 towards 60 degrees
                                  {102, 98, kYellow}}); // 44 towards 60 degrees
    const StepRun in = runStep(kTransitionPolygon, 3, PolygonGeometry::kFlyIn, outgoingPicture(),
                               incomingPicture());
    ASSERT_EQ(in.frames.size(), 12u);
    expectSamples(in.frames[4],
                  {{78, 60, kRed}, {155, 60, kGreen}, {25, 60, kBlue}, {107, 108, kYellow}});
}

// ---- Rotate in ----

TEST(RotateInGeometry, PanelOpensFromTheCentreLine)
{
    RotateInGeometry clockwise(160, 120, 10, RotateInGeometry::kClockwise);
    ASSERT_TRUE(clockwise.valid());
    CardFrame frame = clockwise.next();
    // edges at 72 and 88; the right edge spans 21.6 .. 98.4 of the left edge's 0 .. 120
    expectRect(frame.destination, 72, 0, 16, 120);
    EXPECT_EQ(frame.taper, CardTaper::NarrowAtEnd);
    EXPECT_NEAR(frame.inset, (1 - 76.8 / 120) * 120 / 2 / 160, 1e-6);
    for (int j = 2; j <= 10; ++j)
        frame = clockwise.next();
    expectRect(frame.destination, 0, 0, 160, 120);
    EXPECT_NEAR(frame.inset, 0, 1e-6);

    RotateInGeometry anti(160, 120, 10, RotateInGeometry::kAntiClockwise);
    frame = anti.next();
    // left edge spans -21.6 .. 141.6, right edge 0 .. 120; the card is drawn over the right
    // edge's span
    expectRect(frame.destination, 72, 0, 16, 120);
    EXPECT_EQ(frame.taper, CardTaper::NarrowAtStart);
    EXPECT_NEAR(frame.inset, (1 - 120 / 163.2) * 120 / 2 / 160, 1e-6);
    EXPECT_FALSE(RotateInGeometry(160, 120, 10, 2).valid());
}

TEST(RotateInTransition, PanelOverTheOutgoingPhoto)
{
    // frame 4 of 10: the panel spans x = 40 .. 120; clockwise its right edge spans 12 .. 108
    const StepRun clockwise = runStep(kTransitionRotateIn, RotateInGeometry::kClockwise, 0,
                                      outgoingPicture(), incomingPicture());
    ASSERT_EQ(clockwise.frames.size(), 12u);
    expectSamples(
        clockwise.frames[4],
        {{42, 2, kBlue}, {118, 6, kGreen}, {118, 60, kYellow}, {20, 60, kRed}, {140, 60, kGreen}});
    // anti-clockwise the ratio 120 / 144 narrows the left edge to 10 .. 110
    const StepRun anti = runStep(kTransitionRotateIn, RotateInGeometry::kAntiClockwise, 0,
                                 outgoingPicture(), incomingPicture());
    ASSERT_EQ(anti.frames.size(), 12u);
    expectSamples(anti.frames[4],
                  {{42, 6, kRed}, {42, 60, kBlue}, {118, 2, kYellow}, {140, 60, kGreen}});
}

// ---- Diagonal sweep ----

TEST(DiagonalSweepGeometry, SubStepsOfAtMostOnePixel)
{
    // 720 x 480, 60 frames, width 40: the front travels 1480 pixels, 24.67 per frame, in 25
    // sub-steps of 0.9867 with the fade factor 0.2^(0.9867 / 120)
    DiagonalSweepGeometry sweep(720, 480, 60, DiagonalSweepGeometry::kLeftToRight, 40);
    ASSERT_TRUE(sweep.valid());
    EXPECT_NEAR(sweep.frameStep(), 1480.0 / 60, 1e-4);
    EXPECT_EQ(sweep.subSteps(), 25);
    EXPECT_NEAR(sweep.subStep(), 1480.0 / 60 / 25, 1e-5);
    EXPECT_NEAR(sweep.fadeFactor(), std::pow(0.2, 1480.0 / 60 / 25 / 120), 1e-6);
    sweep.advance();
    // front (x, 0)-(x - W, H) behind the fixed line (0, 0)-(-W, H)
    const QPolygonF region = sweep.sweptRegion();
    ASSERT_EQ(region.size(), 4);
    expectNear(region[0], 0.98667, 0);
    expectNear(region[1], 0, 0);
    expectNear(region[2], -720, 480);
    expectNear(region[3], 0.98667 - 720, 480);
    for (int i = 1; i < 60 * 25; ++i)
        sweep.advance();
    EXPECT_NEAR(sweep.front(), 1480, 0.05);

    // right to left: fixed line (W, 0)-(2W, H), the front moving left
    DiagonalSweepGeometry back(720, 480, 60, DiagonalSweepGeometry::kRightToLeft, 1);
    EXPECT_NEAR(back.frameStep(), -1441.0 / 60, 1e-4);
    EXPECT_EQ(back.subSteps(), 25);
    back.advance();
    expectNear(back.sweptRegion()[0], 720 - 1441.0 / 60 / 25, 0);
    expectNear(back.sweptRegion()[2], 1440, 480);

    // a slow front: one sub-step per frame
    const DiagonalSweepGeometry slow(20, 10, 100, DiagonalSweepGeometry::kLeftToRight, 10);
    EXPECT_EQ(slow.subSteps(), 1);
    EXPECT_NEAR(slow.subStep(), 0.5, 1e-6);

    for (const auto& [direction, width] : {std::pair{2, 40}, {-1, 40}, {0, 0}, {1, 81}})
        EXPECT_FALSE(DiagonalSweepGeometry(720, 480, 60, direction, width).valid());
}

// Share of the outgoing red over the incoming blue in a pixel, and what it must be d pixels
// behind the front: 0.2^(d / 3w) with d rounded up to the next sub-step of g (the fade moves in
// sub-steps), give or take the rounding to 8 bits. Ahead of the front (d < 0) it is 1.
void expectShareBehindFront(const QImage& frame, int x, int y, double d, double g, int width)
{
    const double share = qRed(frame.pixel(x, y)) / 255.0;
    if (d < 0) {
        EXPECT_EQ(share, 1.0) << x << ", " << y;
        return;
    }
    EXPECT_LE(share, std::pow(0.2, d / (3.0 * width)) + 0.005) << x << ", " << y;
    EXPECT_GE(share, std::pow(0.2, (d + g) / (3.0 * width)) - 0.005) << x << ", " << y;
}

TEST(DiagonalSweepTransition, OutgoingPhotoThinsOutBehindTheFront)
{
    // 160 x 120, 10 frames, width 10: 33 pixels per frame in 34 sub-steps; after frame 4 the
    // front's top is at x = 165. A pixel centre (px, py) is passed once the front's top lies
    // beyond px + 160 py / 120.
    const QImage out = halves(kRed, kRed);
    const QImage in = halves(kBlue, kBlue);
    const double g = 33.0 / 34;
    struct Case {
        int x;
        int y;
        double behind; // how far the front is past the pixel (left to right)
    };
    const Case cases[] = {
        {10, 60, 165 - (10.5 + 160 * 60.5 / 120)},     // passed long ago: almost gone
        {150, 10, 165 - (150.5 + 160 * 10.5 / 120)},   // just passed
        {150, 100, 165 - (150.5 + 160 * 100.5 / 120)}, // not reached yet
    };
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        for (const int direction : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "direction " << direction << " format " << format);
            const StepRun run =
                runStep(kTransitionDiagonalSweep, direction, 10, out, in, {10, 12, format});
            ASSERT_EQ(run.frames.size(), 12u);
            // right to left is the mirror image
            for (const Case& c : cases) {
                const int x = direction == 0 ? c.x : kW - 1 - c.x;
                expectShareBehindFront(run.frames[4], x, c.y, c.behind, g, 10);
            }
            // at the last transition frame the far corner lies one width (and a little) behind
            // the front and still shows about 58 % of the outgoing photo
            const int farX = direction == 0 ? kW - 1 : 0;
            expectShareBehindFront(run.frames[9], farX, kH - 1, 10 + 0.5 + 160 * 0.5 / 120.0, g,
                                   10);
            EXPECT_EQ(run.frames[10].pixel(farX, kH - 1), kBlue); // the display frames
        }
    }
}

TEST(DiagonalSweepTransition, FramesStopAndUnknownParameters)
{
    const QImage out = outgoingPicture();
    const QImage in = incomingPicture();
    for (const int n : {0, 1, 7}) {
        SCOPED_TRACE(n);
        const StepRun run = runStep(kTransitionDiagonalSweep, 1, 80, out, in, {n, n + 2});
        EXPECT_EQ(run.result, kResultOk);
        ASSERT_EQ(run.frames.size(), static_cast<std::size_t>(n + 2));
        expectSamples(run.frames.back(), quadrantSamples(in));
    }
    const StepRun stopped =
        runStep(kTransitionDiagonalSweep, 0, 40, out, in, {10, 20, QImage::Format_RGB32, 3});
    EXPECT_EQ(stopped.result, kResultStopped);
    EXPECT_EQ(stopped.frames.size(), 3u);
    for (const auto& [direction, width] : {std::pair{0, 0}, {2, 40}, {0, 81}, {-5, -5}}) {
        SCOPED_TRACE(testing::Message() << direction << " " << width);
        const StepRun run = runStep(kTransitionDiagonalSweep, direction, width, out, in, {5, 8});
        EXPECT_EQ(run.result, kResultOk);
        ASSERT_EQ(run.frames.size(), 8u);
        expectSamples(run.frames[4], quadrantSamples(out));
        expectSamples(run.frames[5], quadrantSamples(in));
    }
}

// ---- Every renderer ----

struct Variant {
    const char* name;
    TransitionType type;
    int first;
    int second;
};

const Variant kVariants[] = {
    {"door open", kTransitionDoor, 0, 0},       {"door close", kTransitionDoor, 1, 0},
    {"flip vertical", kTransitionFlip, 0, 0},   {"flip horizontal", kTransitionFlip, 1, 0},
    {"fly in", kTransitionFly, 0, 0},           {"fly out", kTransitionFly, 1, 0},
    {"polygon 3 in", kTransitionPolygon, 3, 0}, {"polygon 9 out", kTransitionPolygon, 9, 1},
    {"rotate in", kTransitionRotateIn, 0, 0},   {"rotate in anti", kTransitionRotateIn, 1, 0},
};

TEST(FamilyBTransitions, EmitEveryFrameAndEndOnTheIncomingPhoto)
{
    const QImage out = outgoingPicture();
    // quadrants, so that a turned or mirrored picture shows
    QImage in = incomingPicture();
    {
        QPainter painter(&in);
        painter.fillRect(0, 0, kW / 2, kH / 2, QColor(0, 128, 128));
        painter.fillRect(kW / 2, kH / 2, kW / 2, kH / 2, QColor(128, 0, 255));
    }
    for (const Variant& v : kVariants)
        for (const int n : {0, 1, 2, 7})
            for (const QImage::Format format :
                 {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
                SCOPED_TRACE(testing::Message() << v.name << " N " << n << " format " << format);
                const StepRun run = runStep(v.type, v.first, v.second, out, in, {n, n + 2, format});
                EXPECT_EQ(run.result, kResultOk);
                ASSERT_EQ(run.frames.size(), static_cast<std::size_t>(n + 2));
                // the last transition frame already shows the whole incoming photo, and the
                // display frames carry on with it
                if (n > 0)
                    expectSamples(run.frames[n - 1], quadrantSamples(in));
                expectSamples(run.frames.back(), quadrantSamples(in));
            }
}

TEST(FamilyBTransitions, UnknownParametersShowTheOutgoingPhotoForTheTransitionFrames)
{
    const Variant unknown[] = {
        {"door 2", kTransitionDoor, 2, 0},
        {"flip -1", kTransitionFlip, -1, 0},
        {"fly 5", kTransitionFly, 5, 0},
        {"polygon 2", kTransitionPolygon, 2, 0},
        {"polygon 10", kTransitionPolygon, 10, 1},
        {"polygon 1000", kTransitionPolygon, 1000, 0},
        {"polygon direction 2", kTransitionPolygon, 7, 2},
        {"rotate in 3", kTransitionRotateIn, 3, 0},
    };
    const QImage out = outgoingPicture();
    const QImage in = incomingPicture(Qt::Vertical);
    for (const Variant& v : unknown) {
        SCOPED_TRACE(v.name);
        const StepRun run = runStep(v.type, v.first, v.second, out, in, {5, 8});
        EXPECT_EQ(run.result, kResultOk);
        ASSERT_EQ(run.frames.size(), 8u);
        for (int k = 0; k < 5; ++k)
            expectSamples(run.frames[k], quadrantSamples(out));
        expectSamples(run.frames[5], quadrantSamples(in));
    }
}

TEST(FamilyBTransitions, StopEndsTheStepAtOnce)
{
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        const StepRun run = runStep(v.type, v.first, v.second, outgoingPicture(), incomingPicture(),
                                    {10, 20, QImage::Format_RGB32, 3});
        EXPECT_EQ(run.result, kResultStopped);
        EXPECT_EQ(run.frames.size(), 3u);
    }
}

TEST(FamilyBTransitions, FramesWithMoreThan720StripsEitherWay)
{
    // 962 x 730: more than 720 strips either way, odd sizes
    const QImage out = halves(kRed, kGreen, Qt::Horizontal, 962, 730);
    const QImage in = halves(kBlue, kYellow, Qt::Vertical, 962, 730);
    const Variant wide[] = {
        {"flip vertical", kTransitionFlip, 0, 0},
        {"flip horizontal", kTransitionFlip, 1, 0},
        {"fly in", kTransitionFly, 0, 0},
        {"rotate in", kTransitionRotateIn, 1, 0},
    };
    for (const Variant& v : wide) {
        SCOPED_TRACE(v.name);
        const StepRun run = runStep(v.type, v.first, v.second, out, in, {3, 3});
        EXPECT_EQ(run.result, kResultOk);
        ASSERT_EQ(run.frames.size(), 3u);
        expectSamples(run.frames[2], quadrantSamples(in));
    }
}

// ---- Contact sheets ----

// Frames at 0, 25, 50, 75 and 100 % of the transition side by side, one row per variant, when
// PICTAVO_CONTACT_SHEETS names a folder; nothing otherwise.
TEST(FamilyBTransitions, ContactSheets)
{
    const char* folder = std::getenv("PICTAVO_CONTACT_SHEETS");
    if (folder == nullptr || *folder == '\0')
        GTEST_SKIP() << "PICTAVO_CONTACT_SHEETS is not set";
    ASSERT_TRUE(QDir().mkpath(QString::fromLocal8Bit(folder)));
    // outgoing: warm quadrants with a white diagonal; incoming: cool quadrants with a disc
    QImage out(kW, kH, QImage::Format_RGB32);
    QImage in(kW, kH, QImage::Format_RGB32);
    {
        QPainter painter(&out);
        painter.fillRect(0, 0, kW / 2, kH / 2, QColor(220, 40, 40));
        painter.fillRect(kW / 2, 0, kW / 2, kH / 2, QColor(240, 160, 0));
        painter.fillRect(0, kH / 2, kW / 2, kH / 2, QColor(250, 230, 60));
        painter.fillRect(kW / 2, kH / 2, kW / 2, kH / 2, QColor(160, 60, 20));
        painter.setPen(QPen(Qt::white, 5));
        painter.drawLine(0, 0, kW, kH);
    }
    {
        QPainter painter(&in);
        painter.fillRect(0, 0, kW / 2, kH / 2, QColor(30, 60, 200));
        painter.fillRect(kW / 2, 0, kW / 2, kH / 2, QColor(40, 170, 200));
        painter.fillRect(0, kH / 2, kW / 2, kH / 2, QColor(40, 160, 60));
        painter.fillRect(kW / 2, kH / 2, kW / 2, kH / 2, QColor(120, 60, 180));
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPoint(kW / 4, kH / 4), 15, 15);
    }
    struct Sheet {
        const char* file;
        std::vector<Variant> rows;
    };
    const Sheet sheets[] = {
        {"door.png", {{"", kTransitionDoor, 0, 0}, {"", kTransitionDoor, 1, 0}}},
        {"flip.png", {{"", kTransitionFlip, 0, 0}, {"", kTransitionFlip, 1, 0}}},
        {"fly.png", {{"", kTransitionFly, 0, 0}, {"", kTransitionFly, 1, 0}}},
        {"polygon.png",
         {{"", kTransitionPolygon, 3, 0},
          {"", kTransitionPolygon, 3, 1},
          {"", kTransitionPolygon, 7, 0},
          {"", kTransitionPolygon, 9, 1}}},
        {"rotate_in.png", {{"", kTransitionRotateIn, 0, 0}, {"", kTransitionRotateIn, 1, 0}}},
        {"diagonal_sweep.png",
         {{"", kTransitionDiagonalSweep, 0, 40}, {"", kTransitionDiagonalSweep, 1, 10}}},
    };
    constexpr int kFrames = 20;
    constexpr int kGap = 4;
    const int percents[] = {0, 25, 50, 75, 100};
    for (const Sheet& sheet : sheets) {
        QImage contact(5 * (kW + kGap), static_cast<int>(sheet.rows.size()) * (kH + kGap),
                       QImage::Format_RGB32);
        contact.fill(Qt::white);
        QPainter painter(&contact);
        for (std::size_t row = 0; row < sheet.rows.size(); ++row) {
            const Variant& v = sheet.rows[row];
            TempDir dumps;
            const std::string incomingPath = dumps.file("in.png");
            ASSERT_TRUE(in.save(QString::fromStdString(incomingPath), "PNG"));
            const auto settings = TransitionSettings::createDefault(v.type);
            settings->setParameters(v.first, v.second);
            TransitionPreviewRequest request;
            request.secondImagePath = incomingPath;
            request.transition = settings.get();
            FrameDumpSink sink(dumps.path(), "f_");
            RenderJob job;
            job.mode = RenderMode::TransitionPreview;
            job.transitionRequest = &request;
            job.sink = &sink;
            ASSERT_TRUE(prepareJobFrame(job, kW, kH));
            job.canvas = out.copy();
            job.counter = 1;
            job.transitionFrames = kFrames;
            job.stepFrames = kFrames;
            ASSERT_EQ(renderTransitionStep(v.type, job), kResultOk);
            for (int column = 0; column < 5; ++column) {
                const int k = percents[column] * (kFrames - 1) / 100;
                char name[32];
                std::snprintf(name, sizeof name, "f_%06d.png", k);
                const QImage frame(QString::fromStdString(dumps.file(name)));
                ASSERT_FALSE(frame.isNull()) << name;
                painter.drawImage(column * (kW + kGap), static_cast<int>(row) * (kH + kGap), frame);
            }
        }
        painter.end();
        const QString path = QDir(QString::fromLocal8Bit(folder)).filePath(sheet.file);
        EXPECT_TRUE(contact.save(path, "PNG")) << path.toStdString();
    }
}

} // namespace
} // namespace pictavo
