// Clock: one, two or four hands sweep round from 12 o'clock (and 6, 3 and 9 o'clock) and the
// outgoing picture vanishes behind them, at once or, smoothly, over a few degrees. The incoming
// picture keeps moving.

#include "render/progressive_fade.h"
#include "render/transition_renderer.h"
#include "render/transitions/family_a/family_a_geometry.h"

namespace pictavo {

namespace {

class ClockTransition : public TransitionRenderer {
protected:
    void begin(RenderJob& job) override
    {
        plan_ = clockPlan(firstParameter(), secondParameter() != 0, frames());
        circle_ = clockCircle(job.frameRect.width(), job.frameRect.height());
        angle_ = 0;
        if (frames() > 0 && plan_.hands > 0)
            fade_.begin(outgoing(), plan_.factor);
    }

    void composeTransitionFrame(RenderJob& job, int) override
    {
        if (!fade_.isActive())
            return; // an unknown hand count leaves the outgoing frame on screen
        const double step = static_cast<double>(plan_.sweepPerFrame) / plan_.subSteps;
        for (int i = 0; i < plan_.subSteps; ++i) {
            angle_ = static_cast<float>(angle_ + step);
            clockRegion(plan_, circle_, angle_, region_);
            fade_.fadePolygon(region_, Qt::WindingFill);
        }
        fade_.composeOnto(job.canvas, job.photo.motionCanvas);
    }

    void end() override
    {
        fade_.release();
        region_ = QPolygonF();
    }

private:
    ClockPlan plan_;
    QRectF circle_;
    float angle_ = 0;
    QPolygonF region_;
    ProgressiveFade fade_;
};

} // namespace

std::unique_ptr<TransitionRenderer> createClockTransition()
{
    return std::make_unique<ClockTransition>();
}

} // namespace pictavo
