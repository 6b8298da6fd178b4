// Wipe: the incoming photo slides in from one edge; with push it shoves the outgoing photo out
// on the far side, without push it slides over the outgoing photo, which stays still.

#include "render/transition_renderer.h"
#include "render/transitions/family_c/family_c_geometry.h"

#include <QPainter>
#include <cmath>
#include <optional>

namespace pictavo {

namespace {

using family_c::WipeMotion;

// A picture position on whole pixels.
QPoint pixelPosition(QPointF position)
{
    return {static_cast<int>(std::lround(position.x())),
            static_cast<int>(std::lround(position.y()))};
}

class WipeTransition : public TransitionRenderer {
protected:
    void begin(RenderJob& job) override
    {
        const int width = job.frameRect.width();
        const int height = job.frameRect.height();
        motion_.emplace(width, height, frames(), firstParameter(), secondParameter() != 0);
        // The outgoing picture keeps its distance of one frame from the incoming one.
        const QPointF in = motion_->incoming();
        offset_ = QPoint(in.x() < 0   ? width
                         : in.x() > 0 ? -width
                                      : 0,
                         in.y() < 0   ? height
                         : in.y() > 0 ? -height
                                      : 0);
    }

    void composeTransitionFrame(RenderJob& job, int) override
    {
        motion_->advance();
        const QPoint in = pixelPosition(motion_->incoming());
        const QPoint out = motion_->push() ? in + offset_ : pixelPosition(motion_->outgoing());
        const QPoint origin = job.frameRect.topLeft();
        QPainter painter(&job.canvas);
        painter.setClipRect(job.frameRect);
        // Together the two pictures cover the frame, so nothing is cleared.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(origin + out, outgoing());
        painter.drawImage(origin + in, job.photo.motionCanvas);
    }

    void end() override { motion_.reset(); }

private:
    std::optional<WipeMotion> motion_;
    QPoint offset_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createWipeTransition()
{
    return std::make_unique<WipeTransition>();
}

} // namespace pictavo
