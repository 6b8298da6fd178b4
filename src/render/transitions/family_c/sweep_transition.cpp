// Sweep: a fade band moves across the frame from one edge; the outgoing photo thins out behind
// its front onto the incoming photo, and the band travels on by its own width past the far
// edge.

#include "render/progressive_fade.h"
#include "render/transition_renderer.h"
#include "render/transitions/family_c/fade_fronts.h"

namespace pictavo {

namespace {

using namespace family_c;

class SweepTransition : public TransitionRenderer {
protected:
    void begin(RenderJob& job) override
    {
        width_ = job.frameRect.width();
        height_ = job.frameRect.height();
        direction_ = firstParameter();
        plan_ = sweepPlanFor(width_, height_, frames(), direction_, secondParameter());
        depth_ = 0;
        fade_.begin(outgoing(), plan_.factor);
    }

    void composeTransitionFrame(RenderJob& job, int) override
    {
        for (int s = 0; s < plan_.subSteps.count; ++s) {
            depth_ += plan_.subSteps.step;
            fade_.fadeRect(sweepRegion(width_, height_, direction_, depth_));
        }
        fade_.composeOnto(job.canvas, job.photo.motionCanvas);
    }

    void end() override { fade_.release(); }

private:
    int width_ = 0;
    int height_ = 0;
    int direction_ = kSweepLeftToRight;
    FadePlan plan_;
    float depth_ = 0;
    ProgressiveFade fade_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createSweepTransition()
{
    return std::make_unique<SweepTransition>();
}

} // namespace pictavo
