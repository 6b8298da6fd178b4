// Blinds: vertical blinds turn one after the other; each closes about its centre line showing
// the outgoing picture and opens again showing the incoming one, which keeps moving.

#include "render/transition_renderer.h"
#include "render/transitions/family_a/family_a_geometry.h"

#include <QPainter>
#include <optional>

namespace pictavo {

namespace {

class BlindsTransition : public TransitionRenderer {
protected:
    void begin(RenderJob& job) override
    {
        const int direction = firstParameter();
        if (frames() > 0 && (direction == 0 || direction == 1))
            geometry_.emplace(job.frameRect.width(), frames(), secondParameter(), direction);
    }

    void composeTransitionFrame(RenderJob& job, int k) override
    {
        if (!geometry_)
            return; // an unknown direction leaves the outgoing frame on screen
        geometry_->advance(k);
        const QPoint origin = job.frameRect.topLeft();
        const int height = job.frameRect.height();
        QPainter painter(&job.canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(job.frameRect, QColor::fromRgba(background()));
        for (const BlindsGeometry::Blind& blind : geometry_->blinds()) {
            if (!(blind.width > 0.0f) || blind.strip.width <= 0)
                continue;
            const QImage& picture = blind.showsIncoming ? job.photo.motionCanvas : outgoing();
            painter.drawImage(QRectF(origin.x() + blind.x, origin.y(), blind.width, height),
                              picture, QRectF(blind.strip.x, 0, blind.strip.width, height));
        }
    }

    void end() override { geometry_.reset(); }

private:
    std::optional<BlindsGeometry> geometry_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createBlindsTransition()
{
    return std::make_unique<BlindsTransition>();
}

} // namespace pictavo
