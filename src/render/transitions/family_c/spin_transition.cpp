// Spin: the outgoing photo shrinks into the centre of the frame while it turns by 30 degrees a
// frame; then the incoming photo grows out of the centre, turning on, and ends upright.

#include "render/transition_renderer.h"
#include "render/transitions/family_c/family_c_geometry.h"

#include <QPainter>
#include <cmath>
#include <optional>

namespace pictavo {

namespace {

using family_c::SpinMotion;

class SpinTransition : public TransitionRenderer {
protected:
    void begin(RenderJob& job) override
    {
        motion_.emplace(job.frameRect.width(), job.frameRect.height(), frames(), firstParameter());
    }

    void composeTransitionFrame(RenderJob& job, int k) override
    {
        motion_->advance(k);
        const QImage& picture = motion_->showsIncoming(k) ? job.photo.motionCanvas : outgoing();
        const QRectF target = motion_->rect();

        QPainter painter(&job.canvas);
        painter.setClipRect(job.frameRect);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(job.frameRect, QColor::fromRgba(background()));
        if (!(target.width() > 0) || !(target.height() > 0))
            return;
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QPointF centre = motion_->centre() + QPointF(job.frameRect.topLeft());
        painter.translate(centre);
        // Whole turns are left out, so an upright picture is drawn without a turn at all.
        painter.rotate(std::fmod(static_cast<double>(motion_->angle()), 360.0));
        painter.translate(-centre);
        painter.drawImage(target.translated(job.frameRect.topLeft()), picture,
                          QRectF(picture.rect()));
    }

    void end() override { motion_.reset(); }

private:
    std::optional<SpinMotion> motion_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createSpinTransition()
{
    return std::make_unique<SpinTransition>();
}

} // namespace pictavo
