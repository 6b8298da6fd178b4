#pragma once

// The geometry of Accordion, Blinds, Circle, Clock and Cube fly, apart from the drawing, so that
// it can be checked as numbers. Positions are 32-bit floats advanced by fixed per-frame steps;
// every expression is evaluated in double and stored (or truncated toward zero) at its end.

#include "render/progressive_fade.h"

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <array>
#include <vector>

namespace pictavo {

// One of `count` vertical strips of equal width that together cover the frame: the first
// (width mod count) strips are one pixel wider. A count below 1 gives no strips.
struct Strip {
    int x = 0;
    int width = 0;
};
std::vector<Strip> equalStrips(int frameWidth, int count);

// An image drawn through three points: the destinations of its top-left, top-right and
// bottom-left corners (the fourth corner follows).
struct Parallelogram {
    QPointF topLeft;
    QPointF topRight;
    QPointF bottomLeft;
};

// ---- Accordion ----

inline constexpr int kAccordionStrips = 6;

// The outgoing picture folds together like bellows toward one edge while the incoming picture
// unfolds from the other. Direction 0 folds toward the right edge, 1 toward the left.
class AccordionGeometry {
public:
    AccordionGeometry(int width, int height, int frames, int direction);
    // The change before each frame is drawn.
    void advance();
    // Alpha 0..255 of the black that covers the odd outgoing strips in frame k (the odd incoming
    // strips get 255 minus it).
    int shade(int k) const;

    const Strip& strip(int i) const { return strips_[i]; }
    const Parallelogram& outgoing(int i) const { return outgoing_[i]; }
    const Parallelogram& incoming(int i) const { return incoming_[i]; }

private:
    std::array<Strip, kAccordionStrips> strips_{};
    std::array<Parallelogram, kAccordionStrips> outgoing_{};
    std::array<Parallelogram, kAccordionStrips> incoming_{};
    std::array<float, kAccordionStrips + 1> outgoingSpeed_{};
    std::array<float, kAccordionStrips + 1> incomingSpeed_{};
    float drop_ = 0;      // vertical change per frame
    float shadeStep_ = 0; // alpha per frame
};

// ---- Blinds ----

inline constexpr int kMinBlinds = 4;
inline constexpr int kMaxBlinds = 10;

// The blinds turn one after the other: each closes about its centre line, showing the outgoing
// picture, then opens again showing the incoming one. Direction 0 starts at the left, 1 at the
// right. The count is kept to kMinBlinds..kMaxBlinds.
class BlindsGeometry {
public:
    struct Blind {
        Strip strip;
        int startFrame = 0;
        float speed = 0; // width change per frame
        float x = 0;
        float width = 0;
        bool showsIncoming = false;
    };

    BlindsGeometry(int width, int frames, int count, int direction);
    // The state of every blind in frame k (called for k = 0, 1, ... in order).
    void advance(int k);
    const std::vector<Blind>& blinds() const { return blinds_; }

private:
    std::vector<Blind> blinds_;
    double closing_ = 0; // frames of closing: 0.3 N
    double opening_ = 0; // end of opening after the start: 0.6 N
};

// ---- Circle ----

// The outgoing picture dissolves behind a circular front growing from the centre (direction 0)
// or closing in from the circumscribed circle (1), with a soft edge `edge` pixels wide.
struct CirclePlan {
    FadeSubSteps subSteps; // per frame
    double factor = 0;     // alpha factor per sub-step
    QRectF outer;          // the circumscribed circle's box
};
CirclePlan circlePlan(int width, int height, int frames, int edge);

class CircleGeometry {
public:
    CircleGeometry(int width, int height, int frames, int edge, int direction);
    const CirclePlan& plan() const { return plan_; }
    // One sub-step: the front moves by one step.
    void advance();
    // Direction 0: the ellipse; direction 1: outer() without inner() (inner may be empty).
    QRectF box() const { return QRectF(x_, y_, w_, h_); }
    QRectF outer() const { return plan_.outer; }
    QRectF inner() const { return innerEmpty_ ? QRectF() : box(); }
    bool closesIn() const { return direction_ == 1; }

private:
    CirclePlan plan_;
    int direction_ = 0;
    int halfWidth_ = 0;
    float x_ = 0, y_ = 0, w_ = 0, h_ = 0;
    bool innerEmpty_ = false;
};

// ---- Clock ----

// Hands sweep round from 12 o'clock, the outgoing picture vanishing behind them. The hand
// parameter 0, 1, 2 gives 1, 2 or 4 hands (0 for any other value: no hands).
struct ClockPlan {
    int hands = 0;
    float sweepPerFrame = 0; // degrees
    int subSteps = 1;
    double factor = 0;
    std::array<float, 4> starts{}; // degrees, clockwise on screen, -90 pointing up
};
ClockPlan clockPlan(int handParameter, bool smooth, int frames);
// The circumscribed circle's box.
QRectF clockCircle(int width, int height);
// The hands' region when each hand has swept `angle` degrees: the union of pie slices of the
// circle, as one polygon (every slice starts and ends at the centre) to be filled by winding.
// `region` is cleared and refilled (its storage is reused from call to call).
void clockRegion(const ClockPlan& plan, const QRectF& circle, float angle, QPolygonF& region);

// ---- Cube fly ----

// Two faces of a cube turning: the shared edge moves from the entry side across the frame,
// the outgoing face narrows toward its far edge and the incoming face grows behind it.
// Directions: 0 bottom to up, 1 up to bottom, 2 left to right, 3 right to left.
class CubeFlyGeometry {
public:
    CubeFlyGeometry(int width, int height, int frames, int direction);
    // The change before frame k is drawn (called for k = 0, 1, ... in order).
    void advance(int k);

    bool vertical() const { return direction_ <= 1; } // strips are pixel rows
    int strips() const { return length_; }            // C: the frame dimension along the motion
    int across() const { return across_; }            // A: the other dimension
    // r: the inset step of the strips.
    float stripInset() const;
    // The inset of outgoing / incoming strip i (counted from the top or the left).
    double outgoingInset(int i, float r) const;
    double incomingInset(int i, float r) const;
    // The face rectangles on the canvas; the outgoing face is drawn only while it has a
    // positive extent along the motion.
    bool outgoingVisible() const;
    QRectF outgoingFace() const;
    QRectF incomingFace() const;

    float shared() const { return p_; }
    float farEdge() const { return q_; }
    float acrossInset() const { return e_; }
    float sharedInset() const { return f_; }

private:
    QRectF face(float from, float to) const;

    int direction_ = 0;
    int length_ = 0;
    int across_ = 0;
    int firstPhase_ = 0; // P1
    float p_ = 0, q_ = 0, e_ = 0, f_ = 0;
    float incomingEdge_ = 0;
    float pStep_ = 0;
    float qStep1_ = 0, qStep2_ = 0, eStep1_ = 0, eStep2_ = 0, fStep1_ = 0, fStep2_ = 0;
};

} // namespace pictavo
