#include "render/transitions/family_b/family_b_geometry.h"

#include "render/progressive_fade.h"

#include <QPolygonF>
#include <cmath>
#include <numbers>

namespace pictavo {

namespace {

float toFloat(double value)
{
    return static_cast<float>(value);
}

// A tapered card: the strips' picture is stretched into the rectangle between the two edges
// along the strips and over `low`..`high` across them; q is the ratio of the narrow edge's span
// to the wide edge's span and sets the inset per strip.
CardFrame cardFrame(StripAxis axis, CardTaper taper, double narrowSpan, double wideSpan,
                    double across, int strips, float start, float end, float low, float high)
{
    CardFrame frame;
    frame.axis = axis;
    frame.taper = taper;
    if (!(wideSpan > 0) || strips <= 0)
        return frame; // no card to draw: the destination stays empty
    const float q = toFloat(narrowSpan / wideSpan);
    frame.inset = toFloat((1.0 - q) * across / 2.0 / strips);
    const double alongLength = static_cast<double>(end) - start;
    const double acrossLength = static_cast<double>(high) - low;
    frame.destination = axis == StripAxis::Columns ? QRectF(start, low, alongLength, acrossLength)
                                                   : QRectF(low, start, acrossLength, alongLength);
    return frame;
}

double span(float low, float high)
{
    return static_cast<double>(high) - low;
}

} // namespace

// ---- Door ----

DoorGeometry::DoorGeometry(int width, int height, int frames, int variant)
    : width_(width), height_(height), variant_(variant),
      valid_((variant == kOpen || variant == kClose) && frames > 0 && width > 0 && height > 0)
{
    if (!valid_)
        return;
    stepAcross_ = toFloat(width / (2.0 * frames));
    stepDown_ = toFloat(0.3 * height / frames);
}

void DoorGeometry::step()
{
    across_ += stepAcross_;
    down_ += stepDown_;
}

Parallelogram DoorGeometry::left() const
{
    const double h = height_;
    if (variant_ == kOpen)
        return {{0, 0}, {halfWidth() - static_cast<double>(across_), down_}, {0, h}};
    return {{0, 0}, {across_, 0.3 * h - down_}, {0, h}};
}

Parallelogram DoorGeometry::right() const
{
    const double w = width_;
    const double h = height_;
    if (variant_ == kOpen) {
        const double x = halfWidth() + static_cast<double>(across_);
        return {{x, down_}, {w, 0}, {x, h + down_}};
    }
    const double x = w - across_;
    return {{x, 0.3 * h - down_}, {w, 0}, {x, 1.3 * h - down_}};
}

// ---- Flip ----

FlipGeometry::FlipGeometry(int width, int height, int frames, int variant)
    : axis_(variant == kHorizontal ? StripAxis::Rows : StripAxis::Columns),
      valid_((variant == kVertical || variant == kHorizontal) && frames > 0 && width > 0 &&
             height > 0),
      frames_(frames), firstHalf_(frames > 0 ? frames / 2 : 0),
      along_(variant == kHorizontal ? height : width),
      across_(variant == kHorizontal ? width : height)
{
    if (!valid_)
        return;
    if (firstHalf_ > 0) {
        alongStep1_ = toFloat(along_ / 2.0 / firstHalf_);
        nearStep1_ = toFloat(0.15 * across_ / firstHalf_);
        farStep1_ = toFloat(0.35 * across_ / firstHalf_);
    }
    const int secondHalf = frames - firstHalf_;
    alongStep2_ = toFloat(along_ / 2.0 / secondHalf);
    nearStep2_ = toFloat(0.35 * across_ / secondHalf);
    farStep2_ = toFloat(0.15 * across_ / secondHalf);
    edges_.end = toFloat(along_);
    edges_.startHigh = toFloat(across_);
    edges_.endHigh = toFloat(across_);
}

CardFrame FlipGeometry::next(int k)
{
    const int strips = static_cast<int>(along_);
    CardEdges& e = edges_;
    if (k < firstHalf_) {
        // the start edge comes towards the viewer, the end edge goes away
        e.start += alongStep1_;
        e.end -= alongStep1_;
        e.startLow -= nearStep1_;
        e.startHigh += nearStep1_;
        e.endLow += farStep1_;
        e.endHigh -= farStep1_;
        return cardFrame(axis_, CardTaper::NarrowAtEnd, span(e.endLow, e.endHigh),
                         span(e.startLow, e.startHigh), across_, strips, e.start, e.end, e.startLow,
                         e.startHigh);
    }
    if (k == firstHalf_) {
        // the incoming card starts edge-on at the centre line, its start edge far away
        e.start = e.end = toFloat(along_ / 2.0);
        e.startLow = toFloat(0.35 * across_);
        e.startHigh = toFloat(0.65 * across_);
        e.endLow = toFloat(-0.15 * across_);
        e.endHigh = toFloat(1.15 * across_);
    }
    e.start -= alongStep2_;
    e.end += alongStep2_;
    e.startLow -= nearStep2_;
    e.startHigh += nearStep2_;
    e.endLow += farStep2_;
    e.endHigh -= farStep2_;
    return cardFrame(axis_, CardTaper::NarrowAtStart, span(e.startLow, e.startHigh),
                     span(e.endLow, e.endHigh), across_, strips, e.start, e.end, e.endLow,
                     e.endHigh);
}

// ---- Rotate in ----

RotateInGeometry::RotateInGeometry(int width, int height, int frames, int variant)
    : width_(width), height_(height), variant_(variant),
      valid_((variant == kClockwise || variant == kAntiClockwise) && frames > 0 && width > 0 &&
             height > 0)
{
    if (!valid_)
        return;
    const double h = height;
    alongStep_ = toFloat(width / (2.0 * frames));
    spanStep_ = toFloat(0.2 * h / frames);
    edges_.start = edges_.end = toFloat(width / 2.0);
    if (variant == kClockwise) {
        edges_.startHigh = toFloat(h);
        edges_.endLow = toFloat(0.2 * h);
        edges_.endHigh = toFloat(0.8 * h);
    } else {
        edges_.startLow = toFloat(-0.2 * h);
        edges_.startHigh = toFloat(1.2 * h);
        edges_.endHigh = toFloat(h);
    }
}

CardFrame RotateInGeometry::next()
{
    CardEdges& e = edges_;
    e.start -= alongStep_;
    e.end += alongStep_;
    if (variant_ == kClockwise) {
        // the right edge grows from the middle of the frame to its full height
        e.endLow -= spanStep_;
        e.endHigh += spanStep_;
        return cardFrame(StripAxis::Columns, CardTaper::NarrowAtEnd, span(e.endLow, e.endHigh),
                         span(e.startLow, e.startHigh), height_, width_, e.start, e.end, e.startLow,
                         e.startHigh);
    }
    // the left edge shrinks from beyond the frame to its full height; the ratio is right span /
    // left span in both variants
    e.startLow += spanStep_;
    e.startHigh -= spanStep_;
    return cardFrame(StripAxis::Columns, CardTaper::NarrowAtStart, span(e.endLow, e.endHigh),
                     span(e.startLow, e.startHigh), height_, width_, e.start, e.end, e.endLow,
                     e.endHigh);
}

// ---- Fly ----

FlyGeometry::FlyGeometry(int width, int height, int frames, int variant)
    : width_(width), height_(height), variant_(variant),
      valid_((variant == kFlyIn || variant == kFlyOut) && frames > 0 && width > 0 && height > 0),
      firstHalf_(frames > 0 ? static_cast<int>(frames * 0.5) : 0),
      secondHalf_(frames > 0 ? frames - firstHalf_ : 0)
{
    if (!valid_)
        return;
    bottomStep_ = (width / 2) / secondHalf_;
    FlyCorners& c = corners_;
    if (variant == kFlyIn) {
        // everything starts at the centre
        c.x0 = c.x1 = c.x3 = c.x2 = toFloat(width / 2.0);
        c.y0 = c.y3 = toFloat(height / 2.0);
    } else {
        // the full frame
        c.x1 = c.x2 = toFloat(width);
        c.y3 = toFloat(height);
    }
}

CardFrame FlyGeometry::next(int k)
{
    const double w = width_;
    const double h = height_;
    FlyCorners& c = corners_;
    if (k < firstHalf_) {
        const int n1 = firstHalf_;
        if (variant_ == kFlyIn) {
            // the card grows out of the centre, lying flat in the lower quarter
            c.x0 -= toFloat(0.25 * w / n1);
            c.x1 += toFloat(0.25 * w / n1);
            c.y0 += toFloat(0.25 * h / n1);
            c.x3 -= toFloat(0.5 * w / n1);
            c.x2 += toFloat(0.5 * w / n1);
            c.y3 += toFloat(0.5 * h / n1);
        } else {
            // the card lays itself down, its bottom edge fixed
            c.x0 += toFloat(0.25 * w / n1);
            c.x1 -= toFloat(0.25 * w / n1);
            c.y0 += toFloat(0.75 * h / n1);
        }
    } else {
        const int n2 = secondHalf_;
        if (k == firstHalf_) {
            // both variants lie flat in the lower quarter at the end of the first half
            c.x0 = toFloat(0.25 * w);
            c.x1 = toFloat(0.75 * w);
            c.y0 = toFloat(0.75 * h);
            c.x3 = 0;
            c.x2 = toFloat(w);
            c.y3 = toFloat(h);
        }
        c.x0 -= toFloat(0.25 * w / n2);
        c.x1 += toFloat(0.25 * w / n2);
        if (variant_ == kFlyIn) {
            c.y0 -= toFloat(0.75 * h / n2); // stands up to fill the frame
        } else {
            // shrinks into the centre line
            c.y0 -= toFloat(0.25 * h / n2);
            c.y3 -= toFloat(0.5 * h / n2);
            c.x3 += static_cast<float>(bottomStep_);
            c.x2 -= static_cast<float>(bottomStep_);
        }
    }
    return cardFrame(StripAxis::Rows, CardTaper::NarrowAtStart, span(c.x0, c.x1), span(c.x3, c.x2),
                     w, height_, c.y0, c.y3, c.x3, c.x2);
}

// ---- Polygon ----

PolygonGeometry::PolygonGeometry(int width, int height, int frames, int pieces, int direction)
    : width_(width), height_(height), pieces_(pieces),
      valid_(pieces >= kMinPieces && pieces <= kMaxPieces &&
             (direction == kFlyIn || direction == kFlyOut) && frames > 0 && width > 0 && height > 0)
{
    if (!valid_)
        return;
    radius_ = toFloat(
        std::sqrt(static_cast<double>(width) * width + static_cast<double>(height) * height) / 2.0);
    const float share = 1.0f / static_cast<float>(pieces);
    float angle = toFloat(share * 180.0 - 90.0);
    const float turn = toFloat(share * 360.0);
    for (int i = 0; i < pieces; ++i) {
        startAngle_[i] = angle;
        bisector_[i] = static_cast<int>(angle + 90.0);
        const double radians = bisector_[i] * std::numbers::pi / 180.0;
        velocityX_[i] = toFloat(radius_ * std::cos(radians) / frames);
        velocityY_[i] = toFloat(radius_ * std::sin(radians) / frames);
        if (direction == kFlyIn) {
            // start a radius out along the bisector and come home
            offsetX_[i] = toFloat(frames * static_cast<double>(velocityX_[i]));
            offsetY_[i] = toFloat(frames * static_cast<double>(velocityY_[i]));
            velocityX_[i] = -velocityX_[i];
            velocityY_[i] = -velocityY_[i];
        }
        angle += turn;
    }
}

QPointF PolygonGeometry::velocity(int i) const
{
    return {velocityX_[index(i)], velocityY_[index(i)]};
}

QPointF PolygonGeometry::offset(int i) const
{
    return {offsetX_[index(i)], offsetY_[index(i)]};
}

void PolygonGeometry::step()
{
    for (int i = 0; i < pieces(); ++i) {
        offsetX_[i] += velocityX_[i];
        offsetY_[i] += velocityY_[i];
    }
}

QPainterPath PolygonGeometry::shape(int i) const
{
    QPainterPath path;
    if (!valid_)
        return path;
    const double cx = width_ / 2.0;
    const double cy = height_ / 2.0;
    const double r = radius_;
    // Qt counts angles anticlockwise on the screen, so the clockwise start and sweep change sign
    path.moveTo(cx, cy);
    path.arcTo(QRectF(cx - r, cy - r, 2 * r, 2 * r), -static_cast<double>(startAngle(i)), -180.0);
    path.closeSubpath();
    return path;
}

// ---- Diagonal sweep ----

DiagonalSweepGeometry::DiagonalSweepGeometry(int width, int height, int frames, int direction,
                                             int fadeWidth)
    : width_(width), height_(height), direction_(direction),
      valid_((direction == kLeftToRight || direction == kRightToLeft) && fadeWidth >= kMinWidth &&
             fadeWidth <= kMaxWidth && frames > 0 && width > 0 && height > 0)
{
    if (!valid_)
        return;
    const double travel = 2.0 * width + fadeWidth;
    frameStep_ = toFloat(direction == kLeftToRight ? travel / frames : -(travel / frames));
    const FadeSubSteps split = fadeSubSteps(frameStep_);
    subSteps_ = split.count;
    subStep_ = split.step;
    fadeFactor_ = toFloat(std::pow(static_cast<double>(0.2f),
                                   std::abs(static_cast<double>(subStep_)) / (3.0 * fadeWidth)));
}

void DiagonalSweepGeometry::advance()
{
    front_ += subStep_;
}

QPolygonF DiagonalSweepGeometry::sweptRegion() const
{
    const double w = width_;
    const double h = height_;
    const double x = front_;
    if (direction_ == kLeftToRight)
        return QPolygonF({{x, 0}, {0, 0}, {-w, h}, {x - w, h}});
    return QPolygonF({{w + x, 0}, {w, 0}, {2 * w, h}, {2 * w + x, h}});
}

} // namespace pictavo
