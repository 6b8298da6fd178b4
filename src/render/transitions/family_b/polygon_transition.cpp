// Polygon: the picture is cut into n half-discs (3 to 9), one per side of a regular n-gon
// centred in the frame. "Fly out" (1) moves the half-discs of the outgoing photo outwards along
// their bisectors, opening an n-gon through which the incoming photo in motion shows; "Fly in"
// (0) brings the half-discs of the incoming photo (frozen at its end-of-transition state) home
// over the outgoing photo, closing such an n-gon.

#include "render/transition_renderer.h"
#include "render/transitions/family_b/family_b_geometry.h"

#include <QPainter>
#include <array>
#include <optional>

namespace pictavo {

namespace {

class PolygonTransition : public TransitionRenderer {
protected:
    bool freezesIncomingPhoto() const override { return direction_ == PolygonGeometry::kFlyIn; }

    void begin(RenderJob& job) override
    {
        direction_ = secondParameter();
        geometry_.emplace(job.frameRect.width(), job.frameRect.height(), frames(), firstParameter(),
                          direction_);
        for (int i = 0; i < geometry_->pieces(); ++i)
            shapes_[i] = geometry_->shape(i);
    }

    void composeTransitionFrame(RenderJob& job, int) override
    {
        if (!geometry_ || !geometry_->valid())
            return; // an unknown count or direction leaves the outgoing frame on screen
        const bool flyIn = direction_ == PolygonGeometry::kFlyIn;
        const QImage& pieces = flyIn ? job.photo.motionCanvas : outgoing();
        geometry_->step();
        QPainter painter(&job.canvas);
        painter.translate(job.frameRect.topLeft());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, flyIn ? outgoing() : job.photo.motionCanvas);
        // Every piece is its half-disc of the picture, limited to the frame, moved by its
        // offset; later pieces lie over earlier ones.
        for (int i = 0; i < geometry_->pieces(); ++i) {
            const QPointF offset = geometry_->offset(i);
            painter.setClipPath(shapes_[i].translated(offset));
            painter.drawImage(offset, pieces);
        }
    }

    void end() override
    {
        shapes_ = {};
        geometry_.reset();
    }

private:
    int direction_ = PolygonGeometry::kFlyIn;
    std::optional<PolygonGeometry> geometry_;
    std::array<QPainterPath, PolygonGeometry::kMaxPieces> shapes_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createPolygonTransition()
{
    return std::make_unique<PolygonTransition>();
}

} // namespace pictavo
