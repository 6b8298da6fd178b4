// Zoom: "Zoom in" blows the outgoing photo up about the centre to five times the frame while it
// fades out over the incoming photo; "Zoom out" brings the incoming photo down from five times
// the frame onto the outgoing photo while it fades in.

#include "render/transition_renderer.h"
#include "render/transitions/family_c/family_c_geometry.h"

#include <QPainter>
#include <optional>

namespace pictavo {

namespace {

using family_c::ZoomMotion;

class ZoomTransition : public TransitionRenderer {
protected:
    void begin(RenderJob& job) override
    {
        motion_.emplace(job.frameRect.width(), job.frameRect.height(), frames(), firstParameter());
    }

    void composeTransitionFrame(RenderJob& job, int k) override
    {
        motion_->advance();
        const bool zoomIn = motion_->mode() == family_c::kZoomIn;
        const QImage& still = zoomIn ? job.photo.motionCanvas : outgoing();
        const QImage& moving = zoomIn ? outgoing() : job.photo.motionCanvas;
        const float opacity = motion_->opacity(k);
        const QRectF target = motion_->rect().translated(job.frameRect.topLeft());

        QPainter painter(&job.canvas);
        painter.setClipRect(job.frameRect);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(job.frameRect.topLeft(), still);
        if (opacity <= 0.0f || !(target.width() > 0) || !(target.height() > 0))
            return;
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setOpacity(opacity);
        painter.drawImage(target, moving, QRectF(moving.rect()));
    }

    void end() override { motion_.reset(); }

private:
    std::optional<ZoomMotion> motion_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createZoomTransition()
{
    return std::make_unique<ZoomTransition>();
}

} // namespace pictavo
