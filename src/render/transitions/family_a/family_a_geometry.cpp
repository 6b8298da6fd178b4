#include "render/transitions/family_a/family_a_geometry.h"

#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace pictavo {

namespace {

constexpr double kPi = 3.14159265358979323846;

// a / b as a 32-bit float, 0 when b is 0.
float ratio(double a, double b)
{
    return b != 0.0 ? static_cast<float>(a / b) : 0.0f;
}

} // namespace

std::vector<Strip> equalStrips(int frameWidth, int count)
{
    std::vector<Strip> strips;
    if (count < 1 || frameWidth < 0)
        return strips;
    const int d = frameWidth / count;
    // The pixels left over after count strips of d go one each to the first strips, so the
    // strips always cover the whole width.
    const int r = frameWidth - count * d;
    strips.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (i < r)
            strips.push_back({i * (d + 1), d + 1});
        else
            strips.push_back({r + i * d, d});
    }
    return strips;
}

// ---- Accordion ----

AccordionGeometry::AccordionGeometry(int width, int height, int frames, int direction)
{
    const std::vector<Strip> strips = equalStrips(width, kAccordionStrips);
    std::copy(strips.begin(), strips.end(), strips_.begin());
    const float h = static_cast<float>(height);
    const float lowered = static_cast<float>(0.2 * height);
    const bool towardRight = direction == 0;
    const float edge = towardRight ? 0.0f : static_cast<float>(width);
    for (int i = 0; i < kAccordionStrips; ++i) {
        const float x = static_cast<float>(strips_[i].x);
        const float right = static_cast<float>(strips_[i].x + strips_[i].width);
        outgoing_[i] = {QPointF(x, 0), QPointF(right, 0), QPointF(x, h)};
        if (i % 2 == 0)
            incoming_[i] = {QPointF(edge, 0), QPointF(edge, lowered), QPointF(edge, h)};
        else
            incoming_[i] = {QPointF(edge, lowered), QPointF(edge, 0),
                            QPointF(edge, static_cast<float>(1.2 * height))};
    }
    if (frames <= 0)
        return;
    // u_j = w_j / N; before[i] = u_0 + ... + u_{i-1}.
    std::array<float, kAccordionStrips> u{};
    for (int j = 0; j < kAccordionStrips; ++j)
        u[j] = ratio(strips_[j].width, frames);
    std::array<double, kAccordionStrips + 1> before{};
    for (int j = 0; j < kAccordionStrips; ++j)
        before[j + 1] = before[j] + u[j];
    const double all = before[kAccordionStrips];
    for (int i = 0; i <= kAccordionStrips; ++i) {
        if (towardRight) {
            outgoingSpeed_[i] = static_cast<float>(all - before[i]);
            incomingSpeed_[i] = static_cast<float>(before[i]);
        } else {
            outgoingSpeed_[i] = static_cast<float>(-before[i]);
            incomingSpeed_[i] = static_cast<float>(-(all - before[i]));
        }
    }
    drop_ = ratio(0.2 * height, frames);
    shadeStep_ = ratio(255.0, frames);
}

void AccordionGeometry::advance()
{
    auto move = [](QPointF& point, double dx, double dy) {
        point.setX(static_cast<float>(static_cast<float>(point.x()) + dx));
        point.setY(static_cast<float>(static_cast<float>(point.y()) + dy));
    };
    for (int i = 0; i < kAccordionStrips; ++i) {
        const bool even = i % 2 == 0;
        Parallelogram& out = outgoing_[i];
        move(out.topLeft, outgoingSpeed_[i], even ? 0.0 : drop_);
        move(out.topRight, outgoingSpeed_[i + 1], even ? drop_ : 0.0);
        out.bottomLeft = QPointF(out.topLeft.x(), out.bottomLeft.y());
        move(out.bottomLeft, 0.0, even ? 0.0 : drop_);
        Parallelogram& in = incoming_[i];
        move(in.topLeft, incomingSpeed_[i], even ? 0.0 : -drop_);
        move(in.topRight, incomingSpeed_[i + 1], even ? -drop_ : 0.0);
        in.bottomLeft = QPointF(in.topLeft.x(), in.bottomLeft.y());
        move(in.bottomLeft, 0.0, even ? 0.0 : -drop_);
    }
}

int AccordionGeometry::shade(int k) const
{
    const double value = std::trunc(static_cast<double>(k + 1) * shadeStep_);
    return value >= 255.0 ? 255 : std::max(0, static_cast<int>(value));
}

// ---- Blinds ----

BlindsGeometry::BlindsGeometry(int width, int frames, int count, int direction)
{
    count = std::clamp(count, kMinBlinds, kMaxBlinds);
    const double n = frames;
    closing_ = 0.3 * n;
    opening_ = 0.6 * n;
    for (const Strip& strip : equalStrips(width, count)) {
        Blind blind;
        blind.strip = strip;
        const int i = static_cast<int>(blinds_.size());
        const double order = direction == 1 ? count - i : i;
        blind.startFrame = static_cast<int>(std::trunc(0.4 * n * order / count));
        blind.speed = ratio(strip.width, closing_);
        blind.x = static_cast<float>(strip.x);
        blind.width = static_cast<float>(strip.width);
        blinds_.push_back(blind);
    }
}

void BlindsGeometry::advance(int k)
{
    for (Blind& b : blinds_) {
        const int sinceStart = k - b.startFrame;
        if (sinceStart < 0)
            continue; // not turning yet: the outgoing strip as it is
        if (sinceStart < closing_) {
            // Closes about its centre line; it never turns inside out.
            b.x = static_cast<float>(b.x + b.speed / 2.0);
            b.width = static_cast<float>(b.width - static_cast<double>(b.speed));
            if (b.width < 0.0f) {
                b.width = 0.0f;
                b.x = static_cast<float>(b.strip.x + b.strip.width / 2.0);
            }
            b.showsIncoming = false;
        } else if (sinceStart < opening_) {
            b.x = static_cast<float>(b.x - b.speed / 2.0);
            b.width = static_cast<float>(b.width + static_cast<double>(b.speed));
            if (b.width > static_cast<float>(b.strip.width)) {
                b.width = static_cast<float>(b.strip.width);
                b.x = static_cast<float>(b.strip.x);
            }
            b.showsIncoming = true;
        } else {
            // Open again: the whole strip shows the incoming picture.
            b.x = static_cast<float>(b.strip.x);
            b.width = static_cast<float>(b.strip.width);
            b.showsIncoming = true;
        }
    }
}

// ---- Circle ----

CirclePlan circlePlan(int width, int height, int frames, int edge)
{
    CirclePlan plan;
    const double w = static_cast<double>(width);
    const double h = static_cast<double>(height);
    const float radius = static_cast<float>(std::sqrt(w * w + h * h) * 0.5);
    plan.outer = QRectF(static_cast<float>(width / 2 - static_cast<double>(radius)),
                        static_cast<float>(height / 2 - static_cast<double>(radius)),
                        static_cast<float>(2.0 * radius), static_cast<float>(2.0 * radius));
    if (frames <= 0)
        return plan;
    const double span = w + static_cast<double>(edge);
    const float travel = static_cast<float>(std::sqrt(2.0 * span * span) * 0.5 / frames);
    plan.subSteps = fadeSubSteps(travel);
    if (edge != 0)
        plan.factor = std::pow(static_cast<double>(0.2f),
                               static_cast<double>(plan.subSteps.step) / static_cast<double>(edge));
    return plan;
}

CircleGeometry::CircleGeometry(int width, int height, int frames, int edge, int direction)
    : plan_(circlePlan(width, height, frames, edge)), direction_(direction), halfWidth_(width / 2)
{
    if (direction_ == 1) {
        x_ = static_cast<float>(plan_.outer.x());
        y_ = static_cast<float>(plan_.outer.y());
        w_ = static_cast<float>(plan_.outer.width());
        h_ = static_cast<float>(plan_.outer.height());
    } else {
        x_ = static_cast<float>(width * 0.5);
        y_ = static_cast<float>(height * 0.5);
    }
}

void CircleGeometry::advance()
{
    const float s = plan_.subSteps.step;
    if (direction_ == 1) {
        if (innerEmpty_)
            return;
        x_ += s;
        y_ += s;
        w_ -= 2 * s;
        h_ -= 2 * s;
        // Once the inner circle has shrunk past the centre it is gone for good.
        if (x_ > static_cast<float>(halfWidth_)) {
            innerEmpty_ = true;
            w_ = 0;
            h_ = 0;
        }
    } else {
        x_ -= s;
        y_ -= s;
        w_ += 2 * s;
        h_ += 2 * s;
    }
}

// ---- Clock ----

ClockPlan clockPlan(int handParameter, bool smooth, int frames)
{
    ClockPlan plan;
    double sweep = 0;
    switch (handParameter) {
    case 0:
        plan.hands = 1;
        plan.starts = {-90.0f};
        sweep = smooth ? 377.99997f : 360.0f;
        break;
    case 1:
        plan.hands = 2;
        plan.starts = {-90.0f, 90.0f};
        sweep = smooth ? 188.99998f : 180.0f;
        break;
    case 2:
        plan.hands = 4;
        plan.starts = {-90.0f, 0.0f, 90.0f, 180.0f};
        sweep = smooth ? 94.49999f : 90.0f;
        break;
    default:
        return plan; // no hands
    }
    plan.sweepPerFrame = ratio(sweep, frames);
    if (smooth) {
        plan.subSteps = 5;
        plan.factor = std::pow(0.2, plan.hands == 4 ? 1.0 / 30.0 : 1.0 / 15.0);
    }
    return plan;
}

QRectF clockCircle(int width, int height)
{
    const double w = width, h = height;
    const float radius = static_cast<float>(std::sqrt(w * w + h * h) * 0.5);
    return QRectF(static_cast<float>(w * 0.5 - radius), static_cast<float>(h * 0.5 - radius),
                  static_cast<float>(2.0 * radius), static_cast<float>(2.0 * radius));
}

void clockRegion(const ClockPlan& plan, const QRectF& circle, float angle, QPolygonF& region)
{
    region.clear();
    const double sweep = std::min(static_cast<double>(angle), 360.0);
    if (!(sweep > 0.0))
        return;
    const QPointF centre = circle.center();
    const double rx = circle.width() * 0.5, ry = circle.height() * 0.5;
    // Arc points at most one degree apart; the arc lies outside the frame, the two radii are
    // what cut the picture.
    const int segments = std::max(1, static_cast<int>(std::ceil(sweep)));
    for (int hand = 0; hand < plan.hands; ++hand) {
        region << centre;
        for (int i = 0; i <= segments; ++i) {
            const double degrees = plan.starts[hand] + sweep * i / segments;
            const double radians = degrees * kPi / 180.0;
            region << QPointF(centre.x() + rx * std::cos(radians),
                              centre.y() + ry * std::sin(radians));
        }
    }
    if (!region.isEmpty())
        region << centre;
}

// ---- Cube fly ----

CubeFlyGeometry::CubeFlyGeometry(int width, int height, int frames, int direction)
    : direction_(direction)
{
    length_ = vertical() ? height : width;
    across_ = vertical() ? width : height;
    if (frames <= 0)
        return;
    const double n = frames;
    const double length = length_;
    const double across = across_;
    firstPhase_ = static_cast<int>(std::trunc(0.6 * n));
    const int secondPhase = frames - firstPhase_;
    // Where the shared edge enters and which way things move along the motion.
    const bool backward = direction_ == 0 || direction_ == 3; // toward smaller coordinates
    const float entry = backward ? static_cast<float>(length_) : 0.0f;
    const float opposite = backward ? 0.0f : static_cast<float>(length_);
    const double sign = backward ? -1.0 : 1.0;
    p_ = entry;
    q_ = opposite;
    incomingEdge_ = entry;
    pStep_ = static_cast<float>(sign * length / n);
    // Without a first phase (N = 1) there is nothing to undo in the second one.
    if (firstPhase_ > 0) {
        qStep1_ = static_cast<float>(-sign * 0.2 * length / firstPhase_);
        eStep1_ = static_cast<float>(0.05 * across / firstPhase_);
        fStep1_ = static_cast<float>(0.1 * across / firstPhase_);
        qStep2_ = static_cast<float>(sign * 0.2 * length / secondPhase);
        eStep2_ = static_cast<float>(-0.05 * across / secondPhase);
        fStep2_ = static_cast<float>(-0.1 * across / secondPhase);
    }
}

void CubeFlyGeometry::advance(int k)
{
    const bool first = k < firstPhase_;
    p_ += pStep_;
    q_ += first ? qStep1_ : qStep2_;
    e_ += first ? eStep1_ : eStep2_;
    f_ += first ? fStep1_ : fStep2_;
}

float CubeFlyGeometry::stripInset() const
{
    const double a = across_;
    const double narrow = a - 2.0 * static_cast<double>(e_);
    if (length_ <= 0 || narrow == 0.0)
        return 0.0f;
    return static_cast<float>((a * 0.5) * (1.0 - (a - 2.0 * static_cast<double>(f_)) / narrow) /
                              length_);
}

double CubeFlyGeometry::outgoingInset(int i, float r) const
{
    const bool fromFar = direction_ == 0 || direction_ == 2;
    return (fromFar ? static_cast<double>(length_ - i) : static_cast<double>(i)) * r;
}

double CubeFlyGeometry::incomingInset(int i, float r) const
{
    const bool fromFar = direction_ == 1 || direction_ == 3;
    return (fromFar ? static_cast<double>(length_ - i) : static_cast<double>(i)) * r;
}

QRectF CubeFlyGeometry::face(float from, float to) const
{
    const double lo = std::min(from, to), hi = std::max(from, to);
    const double inset = e_;
    const double extent = static_cast<double>(across_) - 2.0 * inset;
    if (vertical())
        return QRectF(inset, lo, extent, hi - lo);
    return QRectF(lo, inset, hi - lo, extent);
}

bool CubeFlyGeometry::outgoingVisible() const
{
    const bool backward = direction_ == 0 || direction_ == 3;
    const double span = backward ? static_cast<double>(p_) - q_ : static_cast<double>(q_) - p_;
    return span > 0.0;
}

QRectF CubeFlyGeometry::outgoingFace() const
{
    return face(p_, q_);
}

QRectF CubeFlyGeometry::incomingFace() const
{
    return face(incomingEdge_, p_);
}

} // namespace pictavo
