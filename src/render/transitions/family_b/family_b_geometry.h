#pragma once

// Geometry of the Door, Flip, Fly, Polygon, Rotate in and Diagonal sweep transitions, frame by
// frame. Positions are 32-bit floats advanced by adding a fixed per-frame step; each expression
// is evaluated in double and stored at its end. Every geometry is built for a frame of
// width x height and N transition frames; the renderer advances it once per transition frame,
// before drawing, so frame k shows the state after k + 1 steps.
//
// A geometry built from a parameter outside its listed values (or for N <= 0) is not valid:
// the renderer then draws nothing of its own during the transition frames.

#include "render/transitions/family_b/card_drawing.h"

#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <array>

namespace pictavo {

// Door: the two halves of a picture swing like doors hinged at the frame's side edges.
class DoorGeometry {
public:
    static constexpr int kOpen = 0;  // the outgoing halves swing open over the incoming photo
    static constexpr int kClose = 1; // the incoming halves swing shut over the outgoing photo

    DoorGeometry(int width, int height, int frames, int variant);
    bool valid() const { return valid_; }
    // Width of each half picture: width div 2.
    int halfWidth() const { return width_ / 2; }
    void step();
    // Where the left and the right half picture are mapped in the current state.
    Parallelogram left() const;
    Parallelogram right() const;

private:
    int width_;
    int height_;
    int variant_;
    bool valid_;
    float stepAcross_ = 0; // W / (2N)
    float stepDown_ = 0;   // 0.3 H / N
    float across_ = 0;     // j steps
    float down_ = 0;
};

// Two opposite edges of a tapered card: the start edge lies at the first strip, the end edge at
// the last; each has a position along the strips and a span across them.
struct CardEdges {
    float start = 0;
    float end = 0;
    float startLow = 0;
    float startHigh = 0;
    float endLow = 0;
    float endHigh = 0;
};

// Flip: the picture turns about the frame's vertical (variant 0, column strips) or horizontal
// (variant 1, row strips) centre line. During the first N div 2 frames the outgoing card turns
// away until it is seen edge-on; during the rest the incoming card turns in.
class FlipGeometry {
public:
    static constexpr int kVertical = 0;
    static constexpr int kHorizontal = 1;

    FlipGeometry(int width, int height, int frames, int variant);
    bool valid() const { return valid_; }
    StripAxis axis() const { return axis_; }
    int firstHalfFrames() const { return firstHalf_; }
    // The first half shows the outgoing card, the second half the incoming card.
    bool showsIncoming(int k) const { return k >= firstHalf_; }
    // Advances to transition frame k (called for k = 0, 1, ... in turn) and says how the card
    // is drawn in it.
    CardFrame next(int k);
    const CardEdges& edges() const { return edges_; }

private:
    StripAxis axis_;
    bool valid_;
    int frames_;
    int firstHalf_;
    double along_;  // frame length along the strips' order (W for columns)
    double across_; // the strips' own length (H for columns)
    float alongStep1_ = 0, nearStep1_ = 0, farStep1_ = 0;
    float alongStep2_ = 0, nearStep2_ = 0, farStep2_ = 0;
    CardEdges edges_;
};

// Rotate in: the incoming photo turns in about the frame's vertical centre line like a panel,
// over the outgoing photo. Variant 0 "Closewise" and 1 "Anti-Closewise".
class RotateInGeometry {
public:
    static constexpr int kClockwise = 0;
    static constexpr int kAntiClockwise = 1;

    RotateInGeometry(int width, int height, int frames, int variant);
    bool valid() const { return valid_; }
    CardFrame next();
    const CardEdges& edges() const { return edges_; }

private:
    int width_;
    int height_;
    int variant_;
    bool valid_;
    float alongStep_ = 0;
    float spanStep_ = 0;
    CardEdges edges_;
};

// The trapezoid of the Fly card: top edge (x0, y0)-(x1, y0), bottom edge (x3, y3)-(x2, y3).
struct FlyCorners {
    float x0 = 0;
    float x1 = 0;
    float y0 = 0;
    float x3 = 0;
    float x2 = 0;
    float y3 = 0;
};

// Fly: variant 0 "Fly in" raises the incoming card out of the centre, lying flat first and then
// standing up to fill the frame; variant 1 "Fly out" lays the outgoing card down and then
// shrinks it into the frame's centre line.
class FlyGeometry {
public:
    static constexpr int kFlyIn = 0;
    static constexpr int kFlyOut = 1;

    FlyGeometry(int width, int height, int frames, int variant);
    bool valid() const { return valid_; }
    int firstHalfFrames() const { return firstHalf_; }
    // Whether the card picture is drawn anew in frame k (Fly out keeps the picture of the
    // first half's end and only scales it afterwards).
    bool redrawsCard(int k) const { return variant_ == kFlyIn || k < firstHalf_; }
    // Advances to transition frame k (called for k = 0, 1, ... in turn).
    CardFrame next(int k);
    const FlyCorners& corners() const { return corners_; }
    // The integer step by which the bottom corners of Fly out move inwards per frame.
    int bottomStep() const { return bottomStep_; }

private:
    int width_;
    int height_;
    int variant_;
    bool valid_;
    int firstHalf_;
    int secondHalf_;
    int bottomStep_ = 0;
    FlyCorners corners_;
};

// Polygon: n half-discs of the frame's circumscribed circle, one per side of a regular n-gon,
// fly out along their bisectors (direction 1) opening an n-gon hole through which the
// incoming photo shows, or fly home (direction 0) closing such a hole over the outgoing photo.
class PolygonGeometry {
public:
    static constexpr int kMinPieces = 3;
    static constexpr int kMaxPieces = 9;
    static constexpr int kFlyIn = 0;
    static constexpr int kFlyOut = 1;

    PolygonGeometry(int width, int height, int frames, int pieces, int direction);
    bool valid() const { return valid_; }
    int pieces() const { return valid_ ? pieces_ : 0; }
    float radius() const { return radius_; }
    // Start angle of piece i's half-disc (degrees, clockwise from the positive x axis).
    float startAngle(int i) const { return startAngle_[index(i)]; }
    // Direction of piece i's travel in whole degrees: its bisector, truncated.
    int bisector(int i) const { return bisector_[index(i)]; }
    QPointF velocity(int i) const;
    QPointF offset(int i) const;
    // Moves every piece by its velocity.
    void step();
    // Piece i's half-disc at its home position.
    QPainterPath shape(int i) const;

private:
    static int index(int i) { return i < 0 ? 0 : (i >= kMaxPieces ? kMaxPieces - 1 : i); }

    int width_;
    int height_;
    int pieces_;
    bool valid_;
    float radius_ = 0;
    std::array<float, kMaxPieces> startAngle_{};
    std::array<int, kMaxPieces> bisector_{};
    std::array<float, kMaxPieces> velocityX_{};
    std::array<float, kMaxPieces> velocityY_{};
    std::array<float, kMaxPieces> offsetX_{};
    std::array<float, kMaxPieces> offsetY_{};
};

// Diagonal sweep: a slanted front crosses the frame from left to right (direction 0) or from
// right to left (1); behind it the outgoing photo fades out over a band about three widths deep.
class DiagonalSweepGeometry {
public:
    static constexpr int kLeftToRight = 0;
    static constexpr int kRightToLeft = 1;
    static constexpr int kMinWidth = 1;
    static constexpr int kMaxWidth = 80;

    DiagonalSweepGeometry(int width, int height, int frames, int direction, int fadeWidth);
    bool valid() const { return valid_; }
    // Distance the front moves per frame (negative from right to left).
    float frameStep() const { return frameStep_; }
    // Sub-steps per frame, and the front's move per sub-step (at most one pixel).
    int subSteps() const { return subSteps_; }
    float subStep() const { return subStep_; }
    // Alpha factor applied inside the swept region at every sub-step.
    float fadeFactor() const { return fadeFactor_; }
    // Position of the front (0 at the start).
    float front() const { return front_; }
    // Moves the front by one sub-step.
    void advance();
    // The region the front has swept so far: front-top, fixed-top, fixed-bottom, front-bottom.
    QPolygonF sweptRegion() const;

private:
    int width_;
    int height_;
    int direction_;
    bool valid_;
    float frameStep_ = 0;
    int subSteps_ = 0;
    float subStep_ = 0;
    float fadeFactor_ = 1;
    float front_ = 0;
};

} // namespace pictavo
