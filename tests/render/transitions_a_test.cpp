// Alpha, Accordion, Blinds, Circle, Clock and Cube fly, and the progressive fade that Circle and
// Clock (and the sweeps of the other families) dissolve the outgoing picture with.

#include "render/progressive_fade.h"

#include <QPainterPath>
#include <cmath>
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
        if (format == QImage::Format_ARGB32_Premultiplied)
            EXPECT_EQ(qAlpha(canvas.pixel(7, 2)), 0) << "outside the frame: untouched";
    }
    // An incoming picture smaller than the frame counts as black where it is missing.
    QImage canvas(6, 2, QImage::Format_RGB32);
    fade.composeOnto(canvas, solid(1, 1, kBlue));
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(64, 0, 0));
}

} // namespace
} // namespace pictavo
