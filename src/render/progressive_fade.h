#pragma once

// The progressive fade shared by the transitions whose outgoing picture dissolves behind a
// moving front (Circle, Clock, Diagonal sweep, Shutter, Sweep).
//
// The outgoing picture starts fully opaque. One fade sub-step multiplies the alpha of every
// pixel inside a region by a fixed factor, so a pixel that has been inside the region during m
// sub-steps has alpha factor^m: behind a front that moves at most one pixel per sub-step the
// outgoing picture thins out with the distance to the front. A frame shows the incoming picture
// with the partly transparent outgoing picture blended over it.
//
// A pixel belongs to a region when its centre (x + 0.5, y + 0.5) lies inside. The alpha is
// kept as the number of sub-steps each pixel has been inside the region and turned into alpha
// through a table, so it is exactly round(255 x factor^m) however many sub-steps pass (no
// rounding error builds up from sub-step to sub-step).
//
// Typical use, per transition:
//     ProgressiveFade fade;
//     fade.begin(outgoing, factor);
//     per frame: split the front's travel with fadeSubSteps, move the front and call one of the
//                fade* functions per sub-step, then fade.composeOnto(canvas, incoming);
//     fade.release();

#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <cstdint>
#include <vector>

namespace pictavo {

// How one frame's travel of a front is split so that the front never moves more than one pixel
// per sub-step: one sub-step when |travel| <= 1, else trunc(|travel| + 1) sub-steps; `step` is
// travel / count (with the sign of travel). A travel that is not a finite number gives one
// sub-step of 0; the count is capped at kMaxFadeSubSteps.
struct FadeSubSteps {
    int count = 1;
    float step = 0;
};
inline constexpr int kMaxFadeSubSteps = 1 << 20;
FadeSubSteps fadeSubSteps(double travel);

class ProgressiveFade {
public:
    ProgressiveFade() = default;
    ProgressiveFade(const ProgressiveFade&) = delete;
    ProgressiveFade& operator=(const ProgressiveFade&) = delete;

    // Starts from a copy of the outgoing frame (its size is the frame size; it is drawn opaque)
    // with the alpha factor of one sub-step (clamped to 0..1; not a number counts as 0). False
    // when the picture is empty or the work buffers cannot be allocated; the fade then draws
    // only the incoming picture.
    bool begin(const QImage& outgoing, double factor);
    // Frees the work buffers.
    void release();
    bool isActive() const { return width_ > 0; }
    int width() const { return width_; }
    int height() const { return height_; }

    // One fade sub-step each, over the named region (clipped to the frame).
    void fadeAll();
    void fadeRect(const QRectF& rect);
    // The ellipse inscribed in `box`.
    void fadeEllipse(const QRectF& box);
    // The ellipse of `outer` without the ellipse of `inner` (an empty inner box takes nothing
    // away).
    void fadeRing(const QRectF& outer, const QRectF& inner);
    // A polygon (closed implicitly) or a path (curves flattened), filled by its fill rule.
    void fadePolygon(const QPolygonF& polygon, Qt::FillRule rule = Qt::OddEvenFill);
    void fadePath(const QPainterPath& path);

    // Alpha 0..255 of the outgoing picture at a pixel (0 outside the frame or when inactive).
    int alphaAt(int x, int y) const;

    // Writes the frame into target's top-left width() x height() pixels: the incoming picture
    // (frame-sized; missing pixels count as black) with the outgoing picture at its current
    // alpha blended over it. Every written pixel is opaque. Target formats RGB32, ARGB32 and
    // ARGB32_Premultiplied are written directly, others through a conversion.
    void composeOnto(QImage& target, const QImage& incoming) const;

private:
    struct Edge {
        double yTop;
        double yBottom;
        double xAtTop;
        double slope; // dx / dy
        int winding;
    };

    void fadeSpan(int y, double left, double right);
    void fadeRows(int firstRow, int lastRow, double left, double right);
    void fadeEdges(Qt::FillRule rule);
    void addEdges(const QPolygonF& polygon);

    int width_ = 0;
    int height_ = 0;
    QImage outgoing_; // Format_RGB32 copy of the outgoing frame
    // Sub-steps each pixel has spent inside the region, saturating at cap_.
    std::vector<std::uint16_t> counts_;
    // Alpha after m sub-steps, m = 0 .. cap_.
    std::vector<std::uint8_t> alphaTable_;
    std::uint16_t cap_ = 0;
    // Work lists of the path filler, kept to avoid allocations per sub-step.
    std::vector<Edge> edges_;
    std::vector<const Edge*> active_;
    std::vector<std::pair<double, int>> crossings_;
};

} // namespace pictavo
