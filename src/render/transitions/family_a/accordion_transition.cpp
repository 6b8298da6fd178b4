// Accordion: the outgoing picture folds together like bellows toward one edge while the
// incoming picture, frozen at its end-of-transition state, unfolds from the other; every other
// strip is shaded, darker on the folding picture as it closes and lighter on the unfolding one.

#include "render/transition_renderer.h"
#include "render/transitions/family_a/family_a_geometry.h"

#include <QPainter>
#include <QTransform>
#include <cmath>
#include <optional>

namespace pictavo {

namespace {

// Draws the strip's part of `image` through the three points, covered with black of the alpha
// `shade` (0: no cover).
void drawStrip(QPainter& painter, const QPoint& origin, const QImage& image, const Strip& strip,
               int height, const Parallelogram& at, int shade)
{
    if (strip.width <= 0 || height <= 0)
        return;
    const double w = strip.width, h = height;
    const QTransform transform(
        (at.topRight.x() - at.topLeft.x()) / w, (at.topRight.y() - at.topLeft.y()) / w,
        (at.bottomLeft.x() - at.topLeft.x()) / h, (at.bottomLeft.y() - at.topLeft.y()) / h,
        origin.x() + at.topLeft.x(), origin.y() + at.topLeft.y());
    if (std::fabs(transform.determinant()) < 1e-9)
        return; // folded flat: nothing to see
    painter.setTransform(transform);
    painter.drawImage(QPointF(0, 0), image, QRectF(strip.x, 0, w, h));
    if (shade > 0)
        painter.fillRect(QRectF(0, 0, w, h), QColor(0, 0, 0, shade));
    painter.resetTransform();
}

class AccordionTransition : public TransitionRenderer {
protected:
    bool freezesIncomingPhoto() const override { return true; }

    void begin(RenderJob& job) override
    {
        const int direction = firstParameter();
        if (frames() > 0 && (direction == 0 || direction == 1))
            geometry_.emplace(job.frameRect.width(), job.frameRect.height(), frames(), direction);
    }

    void composeTransitionFrame(RenderJob& job, int k) override
    {
        if (!geometry_)
            return; // an unknown direction leaves the outgoing frame on screen
        geometry_->advance();
        const int height = job.frameRect.height();
        const QPoint origin = job.frameRect.topLeft();
        QPainter painter(&job.canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(job.frameRect, QColor::fromRgba(background()));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        const int shade = geometry_->shade(k);
        for (int i = 0; i < kAccordionStrips; ++i) {
            const bool odd = i % 2 == 1;
            const Strip& strip = geometry_->strip(i);
            drawStrip(painter, origin, outgoing(), strip, height, geometry_->outgoing(i),
                      odd ? shade : 0);
            drawStrip(painter, origin, job.photo.motionCanvas, strip, height,
                      geometry_->incoming(i), odd ? 255 - shade : 0);
        }
    }

    void end() override { geometry_.reset(); }

private:
    std::optional<AccordionGeometry> geometry_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createAccordionTransition()
{
    return std::make_unique<AccordionTransition>();
}

} // namespace pictavo
