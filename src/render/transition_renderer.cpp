#include "render/transition_renderer.h"

#include "core/result_codes.h"
#include "effects/transition_settings.h"
#include "render/motion_effects.h"

#include <QPainter>

namespace pictavo {

int TransitionRenderer::firstParameter() const
{
    return settings_ != nullptr ? settings_->first() : 0;
}

int TransitionRenderer::secondParameter() const
{
    return settings_ != nullptr ? settings_->second() : 0;
}

int TransitionRenderer::run(RenderJob& job)
{
    outgoing_ = snapshotCanvas(job);
    settings_ = transitionSettingsOf(job);
    effect_ = motionEffectOf(job);
    background_ = backgroundOf(job);
    frames_ = job.transitionFrames;
    loadPhotoFrame(job);
    begin(job);

    int result = kResultOk;
    if (frames_ > 0 && freezesIncomingPhoto())
        advanceMotion(job.photo, frames_, effect_, background_);
    for (int k = 0; k < frames_; ++k) {
        if (freezesIncomingPhoto())
            ++job.counter;
        else
            composeMotionFrame(job.photo, job.counter++, effect_, background_);
        composeTransitionFrame(job, k);
        result = emitFrame(job);
        if (result != kResultOk)
            break;
    }
    // The incoming photo alone: it is the whole frame, so it is drawn straight onto the canvas.
    for (int k = std::max(frames_, 0); result == kResultOk && k < job.stepFrames; ++k) {
        composeMotionFrameInto(job.photo, job.counter++, effect_, background_, job.canvas);
        result = emitFrame(job);
    }

    end();
    outgoing_ = QImage();
    settings_ = nullptr;
    return result;
}

int renderTransitionStep(TransitionType type, RenderJob& job)
{
    const std::unique_ptr<TransitionRenderer> renderer = createTransitionRenderer(type);
    if (!renderer)
        return kResultFailed;
    return renderer->run(job);
}

} // namespace pictavo
