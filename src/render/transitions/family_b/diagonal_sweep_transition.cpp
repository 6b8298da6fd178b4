// Diagonal sweep: a slanted front crosses the frame from left to right (0) or from right to
// left (1); behind it the outgoing photo fades out over the incoming photo in motion, thinning
// over a band about three widths deep (the width parameter, 1 to 80 pixels).

#include "render/progressive_fade.h"
#include "render/transition_renderer.h"
#include "render/transitions/family_b/family_b_geometry.h"

#include <optional>

namespace pictavo {

namespace {

class DiagonalSweepTransition : public TransitionRenderer {
protected:
    void begin(RenderJob& job) override
    {
        geometry_.emplace(job.frameRect.width(), job.frameRect.height(), frames(), firstParameter(),
                          secondParameter());
        if (geometry_->valid())
            fade_.begin(outgoing(), geometry_->fadeFactor());
    }

    void composeTransitionFrame(RenderJob& job, int) override
    {
        if (!geometry_ || !geometry_->valid() || !fade_.isActive())
            return; // an unknown direction or width leaves the outgoing frame on screen
        // the front moves at most one pixel per sub-step, so the fade stays smooth
        for (int i = 0; i < geometry_->subSteps(); ++i) {
            geometry_->advance();
            fade_.fadePolygon(geometry_->sweptRegion());
        }
        fade_.composeOnto(job.canvas, job.photo.motionCanvas);
    }

    void end() override
    {
        fade_.release();
        geometry_.reset();
    }

private:
    std::optional<DiagonalSweepGeometry> geometry_;
    ProgressiveFade fade_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createDiagonalSweepTransition()
{
    return std::make_unique<DiagonalSweepTransition>();
}

} // namespace pictavo
