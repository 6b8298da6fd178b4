// Circle: the outgoing picture dissolves behind a circular front that grows from the centre
// ("Small to big") or closes in from the circumscribed circle ("Big to small"); behind the front
// its opacity falls to 0.2 over the width of the soft edge. The incoming picture keeps moving.

#include "render/progressive_fade.h"
#include "render/transition_renderer.h"
#include "render/transitions/family_a/family_a_geometry.h"

#include <algorithm>
#include <optional>

namespace pictavo {

namespace {

// The widest soft edge offered; hand-edited values are kept within 0 .. this.
constexpr int kMaxCircleEdge = 80;

class CircleTransition : public TransitionRenderer {
protected:
    void begin(RenderJob& job) override
    {
        const int direction = firstParameter();
        if (frames() <= 0 || (direction != 0 && direction != 1))
            return;
        const int edge = std::clamp(secondParameter(), 0, kMaxCircleEdge);
        geometry_.emplace(job.frameRect.width(), job.frameRect.height(), frames(), edge, direction);
        if (!fade_.begin(outgoing(), geometry_->plan().factor))
            geometry_.reset();
    }

    void composeTransitionFrame(RenderJob& job, int) override
    {
        if (!geometry_)
            return; // an unknown direction leaves the outgoing frame on screen
        for (int i = 0; i < geometry_->plan().subSteps.count; ++i) {
            geometry_->advance();
            if (geometry_->closesIn())
                fade_.fadeRing(geometry_->outer(), geometry_->inner());
            else
                fade_.fadeEllipse(geometry_->box());
        }
        fade_.composeOnto(job.canvas, job.photo.motionCanvas);
    }

    void end() override
    {
        fade_.release();
        geometry_.reset();
    }

private:
    std::optional<CircleGeometry> geometry_;
    ProgressiveFade fade_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createCircleTransition()
{
    return std::make_unique<CircleTransition>();
}

} // namespace pictavo
