#include "render/transitions/family_b/card_drawing.h"

#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace pictavo {

void drawOnParallelogram(QPainter& painter, const QImage& image, const Parallelogram& target)
{
    if (image.isNull())
        return;
    const double w = image.width();
    const double h = image.height();
    const QPointF across = target.upperRight - target.upperLeft;
    const QPointF down = target.lowerLeft - target.upperLeft;
    const QTransform mapping(across.x() / w, across.y() / w, down.x() / h, down.y() / h,
                             target.upperLeft.x(), target.upperLeft.y());
    const double determinant = mapping.determinant();
    if (!std::isfinite(determinant) || std::abs(determinant) < 1e-12)
        return; // the picture would be a line: nothing to see
    painter.save();
    painter.setTransform(mapping, true);
    painter.drawImage(QPointF(0, 0), image);
    painter.restore();
}

void StripCard::setPicture(const QImage& picture, StripAxis axis)
{
    axis_ = axis;
    picture_ = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    const int strips =
        picture_.isNull() ? 0 : (axis == StripAxis::Columns ? picture_.width() : picture_.height());
    first_.assign(static_cast<std::size_t>(strips), 0);
    end_.assign(static_cast<std::size_t>(strips), 0);
    offset_.assign(static_cast<std::size_t>(strips), 0.0);
    scale_.assign(static_cast<std::size_t>(strips), 0.0);
}

void StripCard::clear()
{
    picture_ = QImage();
    first_.clear();
    end_.clear();
    offset_.clear();
    scale_.clear();
}

void StripCard::draw(CardTaper taper, float inset, QImage& card)
{
    if (picture_.isNull() || card.size() != picture_.size() || card.depth() != 32)
        return;
    const bool columns = axis_ == StripAxis::Columns;
    const int strips = static_cast<int>(first_.size());
    const int length = columns ? picture_.height() : picture_.width();
    // Where each strip lies along its length and how it samples its source.
    for (int i = 0; i < strips; ++i) {
        const int factor = taper == CardTaper::NarrowAtEnd ? i : strips - i;
        const double t = factor * static_cast<double>(inset);
        const double span = length - 2.0 * t;
        if (!std::isfinite(t) || !(span > 0)) {
            first_[i] = end_[i] = 0;
            continue;
        }
        // pixels whose centres lie in [t, t + span)
        first_[i] = static_cast<int>(std::clamp(std::ceil(t - 0.5), 0.0, double(length)));
        end_[i] = static_cast<int>(std::clamp(std::ceil(t + span - 0.5), 0.0, double(length)));
        offset_[i] = 0.5 - t;
        scale_[i] = length / span;
    }

    const auto* source = picture_.constBits();
    const qsizetype sourceStride = picture_.bytesPerLine();
    const int last = length - 1;
    if (columns) {
        for (int y = 0; y < length; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(card.scanLine(y));
            for (int c = 0; c < strips; ++c) {
                if (y < first_[c] || y >= end_[c])
                    continue;
                const int from = std::min(static_cast<int>((y + offset_[c]) * scale_[c]), last);
                row[c] = reinterpret_cast<const std::uint32_t*>(source + from * sourceStride)[c];
            }
        }
        return;
    }
    for (int r = 0; r < strips; ++r) {
        auto* row = reinterpret_cast<std::uint32_t*>(card.scanLine(r));
        const auto* from = reinterpret_cast<const std::uint32_t*>(source + r * sourceStride);
        const double offset = offset_[r];
        const double scale = scale_[r];
        for (int x = first_[r]; x < end_[r]; ++x)
            row[x] = from[std::min(static_cast<int>((x + offset) * scale), last)];
    }
}

void drawCardPicture(QPainter& painter, const QImage& card, const QRectF& destination)
{
    if (card.isNull() || !(destination.width() > 0) || !(destination.height() > 0))
        return;
    painter.drawImage(destination, card);
}

} // namespace pictavo
