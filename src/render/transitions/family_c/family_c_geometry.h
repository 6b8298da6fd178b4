#pragma once

// Geometry of the Spin, Twist, Wipe and Zoom transitions and the parameter rules of the family,
// kept apart from the drawing so that it can be checked as numbers.
//
// Positions are 32-bit floats advanced by adding a fixed per-frame step; each expression is
// evaluated in double and stored (or truncated toward zero) at its end. Every class here is
// set up for a frame of width x height and a transition of `frames` frames; frame k of the
// transition shows the state after advance() was called k + 1 times.

#include <QPointF>
#include <QRectF>

namespace pictavo::family_c {

// Parameter values outside the listed sets (hand-edited project files) fall back to the
// default; a width outside 1..80 is clamped into that range.
int directionOf(int value, int directionCount);
int fadeWidthOf(int value);

// Wipe: the incoming picture slides in from one edge; with push the outgoing picture slides
// out on the far side by the same step, without push it stays where it is.
enum WipeDirection {
    kWipeLeftToRight = 0,
    kWipeRightToLeft = 1,
    kWipeBottomToTop = 2,
    kWipeTopToBottom = 3
};
class WipeMotion {
public:
    WipeMotion(int width, int height, int frames, int direction, bool push);
    void advance();
    QPointF incoming() const { return {incomingX_, incomingY_}; }
    QPointF outgoing() const { return {outgoingX_, outgoingY_}; }
    bool push() const { return push_; }

private:
    float incomingX_ = 0, incomingY_ = 0;
    float outgoingX_ = 0, outgoingY_ = 0;
    float stepX_ = 0, stepY_ = 0;
    bool push_ = false;
};

// Zoom: "in" (0) blows the outgoing picture up about the centre to five times the frame while
// it fades over the incoming one; "out" (1) shrinks the incoming picture from five times the
// frame onto it while it fades in over the outgoing one.
enum ZoomMode { kZoomIn = 0, kZoomOut = 1 };
class ZoomMotion {
public:
    ZoomMotion(int width, int height, int frames, int mode);
    void advance();
    // Where the moving picture is stretched to.
    QRectF rect() const { return {x_, y_, width_, height_}; }
    // Opacity of the moving picture in frame k (k before it is advanced).
    float opacity(int k) const;
    int mode() const { return mode_; }

private:
    int mode_ = kZoomIn;
    int frames_ = 0;
    float x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    float stepX_ = 0, stepY_ = 0, stepWidth_ = 0, stepHeight_ = 0;
};

// Spin: the outgoing picture shrinks into the centre while it turns by 30 degrees a frame
// (first half, frames 0 .. frames/2 - 1), then the incoming one grows out of the centre while
// it turns on, ending upright. Angles in degrees, positive clockwise on the screen.
enum SpinDirection { kSpinClockwise = 0, kSpinAnticlockwise = 1 };
class SpinMotion {
public:
    SpinMotion(int width, int height, int frames, int direction);
    // Moves to frame k (called with k = 0, 1, ... in turn).
    void advance(int k);
    float angle() const { return angle_; }
    QRectF rect() const { return {x_, y_, width_, height_}; }
    // Whether frame k shows the incoming picture (the second half).
    bool showsIncoming(int k) const { return k >= firstHalf_; }
    // The point the pictures turn about.
    QPointF centre() const { return centre_; }

private:
    int turn_ = 30;
    int firstHalf_ = 0;
    int secondHalf_ = 0;
    double frameWidth_ = 0, frameHeight_ = 0;
    QPointF centre_;
    float angle_ = 0;
    float x_ = 0, y_ = 0, width_ = 0, height_ = 0;
    float stepX_ = 0, stepY_ = 0;
};

// Twist: every column of the frame is stretched vertically about the frame's middle line by
// its distance to an axis that crosses the frame; columns within a quarter of the width of
// the axis are shortened (0 high on the axis), the incoming picture lies on the side the axis
// has passed.
enum TwistDirection { kTwistLeftToRight = 0, kTwistRightToLeft = 1 };
struct TwistRanges {
    int low = 0;  // first column shortened on the axis' trailing side
    int mid = 0;  // first column on the leading side of the axis
    int high = 0; // first column at its full height again
};
class TwistMotion {
public:
    TwistMotion(int width, int height, int frames, int direction);
    void advance();
    float axis() const { return axis_; }
    float scale() const { return scale_; }
    TwistRanges ranges() const;
    // Top edge and height of column c's stretched strip (the full height outside the shortened
    // ranges).
    double columnTop(int c) const;
    double columnHeight(int c) const;
    // Whether column c shows the incoming picture.
    bool columnShowsIncoming(int c) const;

    // 1 / 1.3 in single precision.
    static float exponent();

private:
    float shortening(int c) const;

    int width_ = 0, height_ = 0;
    int direction_ = kTwistLeftToRight;
    float axis_ = 0, step_ = 0;
    float scale_ = 0;
};

} // namespace pictavo::family_c
