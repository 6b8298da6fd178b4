// Flip: the picture turns like a card about the frame's vertical ("Vertical", 0) or horizontal
// ("Horizontal", 1) centre line. In the first half of the transition the outgoing card turns
// away until it is seen edge-on; in the second half the incoming card (frozen at its
// end-of-transition state) turns in until it fills the frame. Around the card the frame shows
// the background colour.

#include "render/transition_renderer.h"
#include "render/transitions/family_b/card_drawing.h"
#include "render/transitions/family_b/family_b_geometry.h"

#include <QPainter>
#include <optional>

namespace pictavo {

namespace {

class FlipTransition : public TransitionRenderer {
protected:
    bool freezesIncomingPhoto() const override { return true; }

    void begin(RenderJob& job) override
    {
        const int width = job.frameRect.width();
        const int height = job.frameRect.height();
        geometry_.emplace(width, height, frames(), firstParameter());
        if (!geometry_->valid())
            return;
        outgoingCard_.setPicture(outgoing(), geometry_->axis());
        work_ = QImage(width, height, QImage::Format_RGB32);
    }

    void composeTransitionFrame(RenderJob& job, int k) override
    {
        if (!geometry_ || !geometry_->valid() || work_.isNull())
            return; // an unknown variant leaves the outgoing frame on screen
        const CardFrame frame = geometry_->next(k);
        const bool incoming = geometry_->showsIncoming(k);
        if (incoming && incomingCard_.isEmpty())
            incomingCard_.setPicture(job.photo.motionCanvas, geometry_->axis());
        work_.fill(background());
        (incoming ? incomingCard_ : outgoingCard_).draw(frame.taper, frame.inset, work_);
        QPainter painter(&job.canvas);
        painter.translate(job.frameRect.topLeft());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRect(QPoint(0, 0), job.frameRect.size()), QColor::fromRgba(background()));
        drawCardPicture(painter, work_, frame.destination);
    }

    void end() override
    {
        outgoingCard_.clear();
        incomingCard_.clear();
        work_ = QImage();
        geometry_.reset();
    }

private:
    std::optional<FlipGeometry> geometry_;
    StripCard outgoingCard_;
    StripCard incomingCard_;
    QImage work_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createFlipTransition()
{
    return std::make_unique<FlipTransition>();
}

} // namespace pictavo
