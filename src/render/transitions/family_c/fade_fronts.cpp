#include "render/transitions/family_c/fade_fronts.h"

#include "render/transitions/family_c/family_c_geometry.h"

#include <cmath>

namespace pictavo::family_c {

float fadeFactorFor(float step, int width)
{
    return static_cast<float>(std::pow(0.2, static_cast<double>(step) / fadeWidthOf(width)));
}

int shutterLength(int width, int height, int direction)
{
    return directionOf(direction, 2) == kShutterHorizontal ? height : width;
}

FadePlan shutterPlanFor(int width, int height, int frames, int direction, int fadeWidth)
{
    const int w = fadeWidthOf(fadeWidth);
    // Each bar travels kappa x length in all: past the middle line by 0.00875 x w x length.
    const float kappa = static_cast<float>(0.5 + 0.00875 * w);
    const double length = shutterLength(width, height, direction);
    // Half of what each bar's inner edge travels per frame.
    const float travel = frames > 0 ? static_cast<float>(length * kappa / frames * 0.5) : 0.0f;
    FadePlan plan;
    plan.subSteps = fadeSubSteps(travel);
    plan.factor = fadeFactorFor(plan.subSteps.step, w);
    return plan;
}

ShutterBars shutterBars(int width, int height, int direction, float depth)
{
    const double p = depth;
    if (directionOf(direction, 2) == kShutterHorizontal)
        return {{0.0, 0.0, double(width), p}, {0.0, height - p, double(width), p}};
    return {{0.0, 0.0, p, double(height)}, {width - p, 0.0, p, double(height)}};
}

FadePlan sweepPlanFor(int width, int height, int frames, int direction, int fadeWidth)
{
    const int w = fadeWidthOf(fadeWidth);
    const int d = directionOf(direction, 4);
    const double length = d == kSweepLeftToRight || d == kSweepRightToLeft ? width : height;
    const float travel = frames > 0 ? static_cast<float>((length + w) / frames) : 0.0f;
    FadePlan plan;
    plan.subSteps = fadeSubSteps(travel);
    plan.factor = fadeFactorFor(plan.subSteps.step, w);
    return plan;
}

QRectF sweepRegion(int width, int height, int direction, float depth)
{
    const double p = depth;
    switch (directionOf(direction, 4)) {
    case kSweepRightToLeft:
        return {width - p, 0.0, p, double(height)};
    case kSweepBottomToTop:
        return {0.0, height - p, double(width), p};
    case kSweepTopToBottom:
        return {0.0, 0.0, double(width), p};
    default:
        return {0.0, 0.0, p, double(height)};
    }
}

} // namespace pictavo::family_c
