#pragma once

// The fading fronts of Shutter and Sweep: how far a front travels per frame, how that travel
// is split into sub-steps of at most about one pixel, the alpha factor of one sub-step, and
// the region a front has swept. The fade itself is the shared ProgressiveFade.

#include "render/progressive_fade.h"

#include <QRectF>

namespace pictavo::family_c {

// How a front advances: `subSteps` per frame, each multiplying the outgoing picture's alpha
// inside the swept region by `factor` = 0.2^(step / fade width), so a pixel d pixels behind the
// front keeps 0.2^(d / width) of its opacity whatever the speed.
struct FadePlan {
    FadeSubSteps subSteps;
    float factor = 1;
};

// Alpha factor of one sub-step of `step` pixels for a fade band `width` pixels deep (width
// clamped into 1..80).
float fadeFactorFor(float step, int width);

// Shutter: two bars grow from opposite edges towards the middle line (vertical: from the left
// and right edges; horizontal: from the top and bottom), fading the outgoing picture; once
// they meet the whole frame fades on. Each sub-step the bars grow by 2 x step.
enum ShutterDirection { kShutterVertical = 0, kShutterHorizontal = 1 };
FadePlan shutterPlanFor(int width, int height, int frames, int direction, int fadeWidth);
// The length the bars grow along: the width for vertical bars, the height for horizontal ones.
int shutterLength(int width, int height, int direction);
// The two bars at depth p.
struct ShutterBars {
    QRectF first;
    QRectF second;
};
ShutterBars shutterBars(int width, int height, int direction, float depth);

// Sweep: a fade band moves from one edge across the frame and on by its own width. Each
// sub-step the swept rectangle grows by step.
enum SweepDirection {
    kSweepLeftToRight = 0,
    kSweepRightToLeft = 1,
    kSweepBottomToTop = 2,
    kSweepTopToBottom = 3
};
FadePlan sweepPlanFor(int width, int height, int frames, int direction, int fadeWidth);
// The rectangle swept by a front at depth p.
QRectF sweepRegion(int width, int height, int direction, float depth);

} // namespace pictavo::family_c
