// Door: "Open door" (0) splits the outgoing photo into two halves that swing open like doors
// hinged at the frame's side edges, over the incoming photo in motion; "Close Door" (1) swings
// the halves of the incoming photo (frozen at its end-of-transition state) shut over the
// outgoing photo.

#include "render/transition_renderer.h"
#include "render/transitions/family_b/card_drawing.h"
#include "render/transitions/family_b/family_b_geometry.h"

#include <QPainter>
#include <optional>

namespace pictavo {

namespace {

class DoorTransition : public TransitionRenderer {
protected:
    bool freezesIncomingPhoto() const override { return variant_ == DoorGeometry::kClose; }

    void begin(RenderJob& job) override
    {
        variant_ = firstParameter();
        geometry_.emplace(job.frameRect.width(), job.frameRect.height(), frames(), variant_);
        if (geometry_->valid() && variant_ == DoorGeometry::kOpen)
            cutHalves(outgoing());
    }

    void composeTransitionFrame(RenderJob& job, int k) override
    {
        if (!geometry_ || !geometry_->valid())
            return; // an unknown variant leaves the outgoing frame on screen
        const bool open = variant_ == DoorGeometry::kOpen;
        if (k == 0 && !open)
            cutHalves(job.photo.motionCanvas); // the frozen incoming photo
        geometry_->step();
        QPainter painter(&job.canvas);
        painter.translate(job.frameRect.topLeft());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, open ? job.photo.motionCanvas : outgoing());
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        drawOnParallelogram(painter, left_, geometry_->left());
        drawOnParallelogram(painter, right_, geometry_->right());
    }

    void end() override
    {
        left_ = QImage();
        right_ = QImage();
        geometry_.reset();
    }

private:
    // The left and the right half of the picture, each width div 2 wide (with an odd width the
    // middle column belongs to neither).
    void cutHalves(const QImage& picture)
    {
        const int half = geometry_->halfWidth();
        if (half <= 0 || picture.isNull())
            return;
        left_ = picture.copy(0, 0, half, picture.height());
        right_ = picture.copy(picture.width() - half, 0, half, picture.height());
    }

    int variant_ = DoorGeometry::kOpen;
    std::optional<DoorGeometry> geometry_;
    QImage left_;
    QImage right_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createDoorTransition()
{
    return std::make_unique<DoorTransition>();
}

} // namespace pictavo
