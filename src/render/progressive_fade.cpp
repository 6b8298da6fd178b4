#include "render/progressive_fade.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace pictavo {

namespace {

constexpr int kMaxCount = 65535;

// First pixel whose centre is at or right of `edge` (pixel x covers x .. x + 1).
int pixelAtOrAfter(double edge, int limit)
{
    const double first = std::ceil(edge - 0.5);
    if (!(first > 0)) // also catches NaN
        return 0;
    if (first > limit)
        return limit;
    return static_cast<int>(first);
}

// Blends o over i with alpha a (0..255), per channel (o a + i (255 - a)) / 255 rounded; the
// result is opaque.
inline std::uint32_t blendPixel(std::uint32_t o, std::uint32_t i, std::uint32_t a)
{
    const std::uint32_t b = 255 - a;
    std::uint32_t rb = (o & 0x00FF00FFu) * a + (i & 0x00FF00FFu) * b + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    std::uint32_t g = ((o >> 8) & 0xFFu) * a + ((i >> 8) & 0xFFu) * b + 0x80u;
    g = ((g + (g >> 8)) >> 8) & 0xFFu;
    return 0xFF000000u | (g << 8) | rb;
}

} // namespace

FadeSubSteps fadeSubSteps(double travel)
{
    FadeSubSteps result;
    if (!std::isfinite(travel))
        return result;
    const double distance = std::fabs(travel);
    if (distance <= 1.0) {
        result.step = static_cast<float>(travel);
        return result;
    }
    const double count = std::trunc(distance + 1.0);
    result.count = count >= kMaxFadeSubSteps ? kMaxFadeSubSteps : static_cast<int>(count);
    result.step = static_cast<float>(travel / result.count);
    return result;
}

bool ProgressiveFade::begin(const QImage& outgoing, double factor)
{
    release();
    if (outgoing.isNull() || outgoing.width() <= 0 || outgoing.height() <= 0)
        return false;
    outgoing_ = outgoing.convertToFormat(QImage::Format_RGB32);
    if (outgoing_.isNull())
        return false;
    const std::size_t pixels =
        static_cast<std::size_t>(outgoing.width()) * static_cast<std::size_t>(outgoing.height());
    counts_.assign(pixels, 0);

    if (!(factor > 0.0)) // also NaN
        factor = 0.0;
    factor = std::min(factor, 1.0);
    alphaTable_.clear();
    alphaTable_.push_back(255);
    if (factor >= 1.0) {
        alphaTable_.push_back(255); // nothing ever fades
    } else {
        for (int m = 1; m <= kMaxCount; ++m) {
            const auto alpha = static_cast<std::uint8_t>(std::lround(255.0 * std::pow(factor, m)));
            alphaTable_.push_back(alpha);
            if (alpha == 0) // further sub-steps change nothing
                break;
        }
    }
    cap_ = static_cast<std::uint16_t>(alphaTable_.size() - 1);
    width_ = outgoing.width();
    height_ = outgoing.height();
    return true;
}

void ProgressiveFade::release()
{
    width_ = 0;
    height_ = 0;
    outgoing_ = QImage();
    std::vector<std::uint16_t>().swap(counts_);
    std::vector<std::uint8_t>().swap(alphaTable_);
    std::vector<Edge>().swap(edges_);
    std::vector<const Edge*>().swap(active_);
    std::vector<std::pair<double, int>>().swap(crossings_);
    cap_ = 0;
}

void ProgressiveFade::fadeSpan(int y, double left, double right)
{
    const int x0 = pixelAtOrAfter(left, width_);
    const int x1 = pixelAtOrAfter(right, width_);
    if (x1 <= x0)
        return;
    std::uint16_t* row = counts_.data() + static_cast<std::size_t>(y) * width_;
    const std::uint16_t cap = cap_;
    for (int x = x0; x < x1; ++x)
        row[x] = static_cast<std::uint16_t>(row[x] + (row[x] < cap ? 1 : 0));
}

void ProgressiveFade::fadeRows(int firstRow, int lastRow, double left, double right)
{
    for (int y = firstRow; y < lastRow; ++y)
        fadeSpan(y, left, right);
}

void ProgressiveFade::fadeAll()
{
    if (isActive())
        fadeRows(0, height_, 0.0, width_);
}

void ProgressiveFade::fadeRect(const QRectF& rect)
{
    if (!isActive() || !(rect.width() > 0) || !(rect.height() > 0))
        return;
    fadeRows(pixelAtOrAfter(rect.top(), height_), pixelAtOrAfter(rect.bottom(), height_),
             rect.left(), rect.right());
}

void ProgressiveFade::fadeEllipse(const QRectF& box)
{
    fadeRing(box, QRectF());
}

void ProgressiveFade::fadeRing(const QRectF& outer, const QRectF& inner)
{
    if (!isActive() || !(outer.width() > 0) || !(outer.height() > 0))
        return;
    const bool hasInner = inner.width() > 0 && inner.height() > 0;
    const double ocx = outer.center().x(), ocy = outer.center().y();
    const double orx = outer.width() * 0.5, ory = outer.height() * 0.5;
    const double icx = inner.center().x(), icy = inner.center().y();
    const double irx = inner.width() * 0.5, iry = inner.height() * 0.5;
    const int firstRow = pixelAtOrAfter(outer.top(), height_);
    const int lastRow = pixelAtOrAfter(outer.bottom(), height_);
    for (int y = firstRow; y < lastRow; ++y) {
        const double centre = y + 0.5;
        const double t = (centre - ocy) / ory;
        if (!(t * t < 1.0))
            continue;
        const double half = orx * std::sqrt(1.0 - t * t);
        const double left = ocx - half, right = ocx + half;
        if (hasInner) {
            const double u = (centre - icy) / iry;
            if (u * u < 1.0) {
                const double innerHalf = irx * std::sqrt(1.0 - u * u);
                // Whole pixels of the outer span that are not in the inner span.
                const double innerLeft = icx - innerHalf, innerRight = icx + innerHalf;
                fadeSpan(y, left, std::min(innerLeft, right));
                fadeSpan(y, std::max(innerRight, left), right);
                continue;
            }
        }
        fadeSpan(y, left, right);
    }
}

void ProgressiveFade::addEdges(const QPolygonF& polygon)
{
    const qsizetype n = polygon.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QPointF p = polygon[i];
        const QPointF q = polygon[(i + 1) % n];
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(q.x()) ||
            !std::isfinite(q.y()) || p.y() == q.y())
            continue;
        const bool down = p.y() < q.y();
        const QPointF top = down ? p : q;
        const QPointF bottom = down ? q : p;
        edges_.push_back(Edge{top.y(), bottom.y(), top.x(),
                              (bottom.x() - top.x()) / (bottom.y() - top.y()), down ? 1 : -1});
    }
}

void ProgressiveFade::fadeEdges(Qt::FillRule rule)
{
    if (edges_.empty())
        return;
    std::sort(edges_.begin(), edges_.end(),
              [](const Edge& a, const Edge& b) { return a.yTop < b.yTop; });
    double lowest = edges_.front().yBottom;
    for (const Edge& e : edges_)
        lowest = std::max(lowest, e.yBottom);
    const int firstRow = pixelAtOrAfter(edges_.front().yTop, height_);
    const int lastRow = pixelAtOrAfter(lowest, height_);
    active_.clear();
    std::size_t next = 0;
    for (int y = firstRow; y < lastRow; ++y) {
        const double centre = y + 0.5;
        while (next < edges_.size() && edges_[next].yTop <= centre)
            active_.push_back(&edges_[next++]);
        std::erase_if(active_, [centre](const Edge* e) { return e->yBottom <= centre; });
        crossings_.clear();
        for (const Edge* e : active_)
            crossings_.emplace_back(e->xAtTop + (centre - e->yTop) * e->slope, e->winding);
        std::sort(crossings_.begin(), crossings_.end());
        int winding = 0;
        for (std::size_t i = 0; i + 1 < crossings_.size(); ++i) {
            winding += rule == Qt::OddEvenFill ? 1 : crossings_[i].second;
            const bool inside = rule == Qt::OddEvenFill ? (winding & 1) != 0 : winding != 0;
            if (inside)
                fadeSpan(y, crossings_[i].first, crossings_[i + 1].first);
        }
    }
    edges_.clear();
}

void ProgressiveFade::fadePolygon(const QPolygonF& polygon, Qt::FillRule rule)
{
    if (!isActive())
        return;
    edges_.clear();
    addEdges(polygon);
    fadeEdges(rule);
}

void ProgressiveFade::fadePath(const QPainterPath& path)
{
    if (!isActive())
        return;
    edges_.clear();
    for (const QPolygonF& polygon : path.toSubpathPolygons())
        addEdges(polygon);
    fadeEdges(path.fillRule());
}

int ProgressiveFade::alphaAt(int x, int y) const
{
    if (!isActive() || x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return alphaTable_[counts_[static_cast<std::size_t>(y) * width_ + x]];
}

void ProgressiveFade::composeOnto(QImage& target, const QImage& incoming) const
{
    if (!isActive() || target.isNull())
        return;
    const QImage::Format format = target.format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied) {
        QImage frame(std::min(width_, target.width()), std::min(height_, target.height()),
                     QImage::Format_RGB32);
        composeOnto(frame, incoming);
        QPainter painter(&target);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, frame);
        return;
    }
    const QImage source = incoming.format() == QImage::Format_RGB32
                              ? incoming
                              : incoming.convertToFormat(QImage::Format_RGB32);
    const int width = std::min(width_, target.width());
    const int height = std::min(height_, target.height());
    const int sourceWidth = std::min(width, source.isNull() ? 0 : source.width());
    const int sourceHeight = source.isNull() ? 0 : source.height();
    const std::uint8_t* table = alphaTable_.data();
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(target.scanLine(y));
        const auto* old = reinterpret_cast<const std::uint32_t*>(outgoing_.constScanLine(y));
        const std::uint32_t* in =
            y < sourceHeight ? reinterpret_cast<const std::uint32_t*>(source.constScanLine(y))
                             : nullptr;
        const std::uint16_t* count = counts_.data() + static_cast<std::size_t>(y) * width_;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t a = table[count[x]];
            const std::uint32_t i = in != nullptr && x < sourceWidth ? in[x] : 0xFF000000u;
            if (a == 255)
                out[x] = old[x] | 0xFF000000u;
            else if (a == 0)
                out[x] = i | 0xFF000000u;
            else
                out[x] = blendPixel(old[x], i, a);
        }
    }
}

} // namespace pictavo
