#include "render/transitions/family_c/family_c_geometry.h"

#include <algorithm>
#include <cmath>

namespace pictavo::family_c {

namespace {

constexpr int kMinimumFadeWidth = 1;
constexpr int kMaximumFadeWidth = 80;

// value / frames stored as a float; 0 for a transition without frames.
float perFrame(double value, int frames)
{
    return frames > 0 ? static_cast<float>(value / frames) : 0.0f;
}

// The smallest integer not less than x, clamped to [0, limit].
int ceilingIn(double x, int limit)
{
    if (!(x > 0)) // also NaN
        return 0;
    if (x >= limit)
        return limit;
    return static_cast<int>(std::ceil(x));
}

} // namespace

int directionOf(int value, int directionCount)
{
    return value >= 0 && value < directionCount ? value : 0;
}

int fadeWidthOf(int value)
{
    return std::clamp(value, kMinimumFadeWidth, kMaximumFadeWidth);
}

// --- Wipe -------------------------------------------------------------------------------------

WipeMotion::WipeMotion(int width, int height, int frames, int direction, bool push) : push_(push)
{
    switch (directionOf(direction, 4)) {
    case kWipeRightToLeft:
        incomingX_ = static_cast<float>(width);
        stepX_ = perFrame(-static_cast<double>(width), frames);
        break;
    case kWipeBottomToTop:
        incomingY_ = static_cast<float>(height);
        stepY_ = perFrame(-static_cast<double>(height), frames);
        break;
    case kWipeTopToBottom:
        incomingY_ = static_cast<float>(-height);
        stepY_ = perFrame(height, frames);
        break;
    default:
        incomingX_ = static_cast<float>(-width);
        stepX_ = perFrame(width, frames);
        break;
    }
}

void WipeMotion::advance()
{
    incomingX_ += stepX_;
    incomingY_ += stepY_;
    if (push_) {
        outgoingX_ += stepX_;
        outgoingY_ += stepY_;
    }
}

// --- Zoom -------------------------------------------------------------------------------------

ZoomMotion::ZoomMotion(int width, int height, int frames, int mode)
    : mode_(directionOf(mode, 2)), frames_(frames)
{
    const double w = width;
    const double h = height;
    stepX_ = perFrame(2.0 * w, frames);
    stepY_ = perFrame(2.0 * h, frames);
    stepWidth_ = perFrame(4.0 * w, frames);
    stepHeight_ = perFrame(4.0 * h, frames);
    if (mode_ == kZoomIn) {
        width_ = static_cast<float>(w);
        height_ = static_cast<float>(h);
        // Growing: the rectangle moves out and gets larger.
        stepX_ = -stepX_;
        stepY_ = -stepY_;
    } else {
        x_ = static_cast<float>(-2.0 * w);
        y_ = static_cast<float>(-2.0 * h);
        width_ = static_cast<float>(5.0 * w);
        height_ = static_cast<float>(5.0 * h);
        stepWidth_ = -stepWidth_;
        stepHeight_ = -stepHeight_;
    }
}

void ZoomMotion::advance()
{
    x_ += stepX_;
    y_ += stepY_;
    width_ += stepWidth_;
    height_ += stepHeight_;
}

float ZoomMotion::opacity(int k) const
{
    if (frames_ <= 0)
        return 0.0f;
    const double fraction = static_cast<double>(k) / frames_;
    return static_cast<float>(mode_ == kZoomIn ? 0.85 * (1.0 - fraction) : 0.85 * fraction);
}

// --- Spin -------------------------------------------------------------------------------------

SpinMotion::SpinMotion(int width, int height, int frames, int direction)
    : turn_(directionOf(direction, 2) == kSpinAnticlockwise ? -30 : 30),
      firstHalf_(std::max(frames, 0) / 2), secondHalf_(std::max(frames, 0) - firstHalf_),
      frameWidth_(width), frameHeight_(height), centre_(width / 2, height / 2),
      width_(static_cast<float>(width)), height_(static_cast<float>(height))
{
    // The outgoing picture shrinks to nothing over the first half.
    stepX_ = perFrame(0.5 * frameWidth_, firstHalf_);
    stepY_ = perFrame(0.5 * frameHeight_, firstHalf_);
}

void SpinMotion::advance(int k)
{
    if (k == firstHalf_) {
        // From here the incoming picture grows out of the centre; the angle is set back so that
        // it is a whole number of turns at the last frame.
        angle_ = static_cast<float>(360 - (secondHalf_ * turn_) % 360);
        if (firstHalf_ == 0) {
            // No first half (a one-frame transition): the picture still grows out of the
            // centre, so that it ends at the frame's own size and not at twice that.
            x_ = static_cast<float>(0.5 * frameWidth_);
            y_ = static_cast<float>(0.5 * frameHeight_);
            width_ = 0.0f;
            height_ = 0.0f;
        }
        stepX_ = -perFrame(0.5 * frameWidth_, secondHalf_);
        stepY_ = -perFrame(0.5 * frameHeight_, secondHalf_);
    }
    angle_ += static_cast<float>(turn_);
    x_ += stepX_;
    y_ += stepY_;
    width_ = static_cast<float>(static_cast<double>(width_) - 2.0 * stepX_);
    height_ = static_cast<float>(static_cast<double>(height_) - 2.0 * stepY_);
}

// --- Twist ------------------------------------------------------------------------------------

float TwistMotion::exponent()
{
    return static_cast<float>(1.0 / static_cast<double>(1.3f));
}

TwistMotion::TwistMotion(int width, int height, int frames, int direction)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      direction_(directionOf(direction, 2))
{
    const double quarter = width_ / 4.0;
    // A column a quarter of the width away from the axis is the full height.
    scale_ = quarter > 0
                 ? static_cast<float>((height_ / 2.0) / std::pow(quarter, double(exponent())))
                 : 0.0f;
    if (direction_ == kTwistLeftToRight) {
        axis_ = static_cast<float>(-0.25 * width_);
        step_ = perFrame(1.5 * width_, frames);
    } else {
        axis_ = static_cast<float>(1.25 * width_);
        step_ = perFrame(-1.5 * width_, frames);
    }
}

void TwistMotion::advance()
{
    axis_ += step_;
}

TwistRanges TwistMotion::ranges() const
{
    const double quarter = width_ / 4.0;
    const double axis = axis_;
    return {ceilingIn(axis - quarter, width_), ceilingIn(axis, width_),
            ceilingIn(axis + quarter, width_)};
}

float TwistMotion::shortening(int c) const
{
    const double distance = std::fabs(static_cast<double>(axis_) - c);
    return static_cast<float>(std::pow(distance, double(exponent())));
}

double TwistMotion::columnTop(int c) const
{
    const TwistRanges r = ranges();
    if (c < r.low || c >= r.high)
        return 0.0;
    return (height_ / 2) - static_cast<double>(shortening(c)) * scale_;
}

double TwistMotion::columnHeight(int c) const
{
    const TwistRanges r = ranges();
    if (c < r.low || c >= r.high)
        return height_;
    return 2.0 * static_cast<double>(shortening(c)) * scale_;
}

bool TwistMotion::columnShowsIncoming(int c) const
{
    const bool beforeAxis = c < ranges().mid;
    return direction_ == kTwistLeftToRight ? beforeAxis : !beforeAxis;
}

} // namespace pictavo::family_c
