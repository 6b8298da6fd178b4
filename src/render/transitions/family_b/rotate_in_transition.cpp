// Rotate in: the incoming photo (frozen at its end-of-transition state) turns in over the
// outgoing photo like a panel about the frame's vertical centre line, opening from a line to
// the full frame; "Closewise" (0) and "Anti-Closewise" (1) differ in which edge comes first.

#include "render/transition_renderer.h"
#include "render/transitions/family_b/card_drawing.h"
#include "render/transitions/family_b/family_b_geometry.h"

#include <QPainter>
#include <optional>

namespace pictavo {

namespace {

class RotateInTransition : public TransitionRenderer {
protected:
    bool freezesIncomingPhoto() const override { return true; }

    void begin(RenderJob& job) override
    {
        const int width = job.frameRect.width();
        const int height = job.frameRect.height();
        geometry_.emplace(width, height, frames(), firstParameter());
        if (geometry_->valid())
            work_ = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    }

    void composeTransitionFrame(RenderJob& job, int k) override
    {
        if (!geometry_ || !geometry_->valid() || work_.isNull())
            return; // an unknown variant leaves the outgoing frame on screen
        if (k == 0)
            card_.setPicture(job.photo.motionCanvas, StripAxis::Columns);
        const CardFrame frame = geometry_->next();
        work_.fill(Qt::transparent);
        card_.draw(frame.taper, frame.inset, work_);
        QPainter painter(&job.canvas);
        painter.translate(job.frameRect.topLeft());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, outgoing());
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        drawCardPicture(painter, work_, frame.destination);
    }

    void end() override
    {
        card_.clear();
        work_ = QImage();
        geometry_.reset();
    }

private:
    std::optional<RotateInGeometry> geometry_;
    StripCard card_;
    QImage work_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createRotateInTransition()
{
    return std::make_unique<RotateInTransition>();
}

} // namespace pictavo
