// Fly: "Fly in" (0) raises the incoming photo (frozen at its end-of-transition state) out of the
// centre of the outgoing photo, lying flat at first and then standing up to fill the frame;
// "Fly out" (1) lays the outgoing photo down over the incoming photo in motion and then shrinks
// it into the frame's horizontal centre line.

#include "render/transition_renderer.h"
#include "render/transitions/family_b/card_drawing.h"
#include "render/transitions/family_b/family_b_geometry.h"

#include <QPainter>
#include <optional>

namespace pictavo {

namespace {

class FlyTransition : public TransitionRenderer {
protected:
    bool freezesIncomingPhoto() const override { return variant_ == FlyGeometry::kFlyIn; }

    void begin(RenderJob& job) override
    {
        variant_ = firstParameter();
        const int width = job.frameRect.width();
        const int height = job.frameRect.height();
        geometry_.emplace(width, height, frames(), variant_);
        if (!geometry_->valid())
            return;
        if (variant_ == FlyGeometry::kFlyOut)
            card_.setPicture(outgoing(), StripAxis::Rows);
        work_ = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
        work_.fill(Qt::transparent);
    }

    void composeTransitionFrame(RenderJob& job, int k) override
    {
        if (!geometry_ || !geometry_->valid() || work_.isNull())
            return; // an unknown variant leaves the outgoing frame on screen
        const bool flyIn = variant_ == FlyGeometry::kFlyIn;
        if (k == 0 && flyIn)
            card_.setPicture(job.photo.motionCanvas, StripAxis::Rows); // the frozen photo
        const CardFrame frame = geometry_->next(k);
        if (geometry_->redrawsCard(k)) {
            work_.fill(Qt::transparent);
            card_.draw(frame.taper, frame.inset, work_);
        }
        QPainter painter(&job.canvas);
        painter.translate(job.frameRect.topLeft());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, flyIn ? outgoing() : job.photo.motionCanvas);
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
    int variant_ = FlyGeometry::kFlyOut;
    std::optional<FlyGeometry> geometry_;
    StripCard card_;
    QImage work_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createFlyTransition()
{
    return std::make_unique<FlyTransition>();
}

} // namespace pictavo
