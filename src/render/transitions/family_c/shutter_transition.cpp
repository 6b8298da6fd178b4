// Shutter: two bars grow from opposite edges of the frame towards its middle line, and the
// outgoing photo fades out behind their inner edges onto the incoming photo; once the bars meet
// the rest of the outgoing photo fades on until the incoming photo is left alone.

#include "render/progressive_fade.h"
#include "render/transition_renderer.h"
#include "render/transitions/family_c/fade_fronts.h"

namespace pictavo {

namespace {

using namespace family_c;

class ShutterTransition : public TransitionRenderer {
protected:
    void begin(RenderJob& job) override
    {
        width_ = job.frameRect.width();
        height_ = job.frameRect.height();
        direction_ = firstParameter();
        half_ = shutterLength(width_, height_, direction_) / 2.0;
        plan_ = shutterPlanFor(width_, height_, frames(), direction_, secondParameter());
        depth_ = 0;
        fade_.begin(outgoing(), plan_.factor);
    }

    void composeTransitionFrame(RenderJob& job, int) override
    {
        for (int s = 0; s < plan_.subSteps.count; ++s) {
            depth_ = static_cast<float>(depth_ + 2.0 * plan_.subSteps.step);
            if (depth_ < half_) {
                const ShutterBars bars = shutterBars(width_, height_, direction_, depth_);
                fade_.fadeRect(bars.first);
                fade_.fadeRect(bars.second);
            } else {
                fade_.fadeAll();
            }
        }
        fade_.composeOnto(job.canvas, job.photo.motionCanvas);
    }

    void end() override { fade_.release(); }

private:
    int width_ = 0;
    int height_ = 0;
    int direction_ = kShutterVertical;
    double half_ = 0;
    FadePlan plan_;
    float depth_ = 0;
    ProgressiveFade fade_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createShutterTransition()
{
    return std::make_unique<ShutterTransition>();
}

} // namespace pictavo
