#pragma once

// The transitions between two photos. Every transition follows one pattern, run by
// TransitionRenderer::run:
//   1. the canvas holds the outgoing frame; counter is the incoming photo's index, stepFrames
//      and transitionFrames are set;
//   2. the outgoing frame is copied (snapshotCanvas), the incoming photo's transition settings,
//      motion effect and background are read, the incoming photo is loaded (loadPhotoFrame)
//      and the transition creates its temporaries (begin);
//   3. transition frames k = 0 .. transitionFrames - 1: the incoming picture is brought up to
//      date (one motion frame, or for a transition that shows the incoming photo frozen at its
//      end-of-transition state only the counter moves on), the transition composes frame k on
//      the canvas and the frame is emitted; a non-zero result ends the loop at once;
//   4. display frames k = transitionFrames .. stepFrames - 1 while the last result is 0: the
//      incoming photo moves on and fills the canvas, the frame is emitted;
//   5. the temporaries are released (end, and the renderer's destructor) and the last result
//      of emitFrame is returned (0 also when nothing was emitted).
//
// A transition is one small class that supplies begin / composeTransitionFrame / end, and one
// line in the table of transition_table.cpp.

#include "effects/effect_catalogue.h"
#include "render/render_job.h"

#include <QImage>
#include <QRgb>
#include <memory>

namespace pictavo {

class TransitionSettings;

class TransitionRenderer {
public:
    virtual ~TransitionRenderer() = default;

    // Renders the whole step of the incoming photo; see above.
    int run(RenderJob& job);

protected:
    // True for transitions that show the incoming photo frozen in the state it reaches at the
    // end of the transition (advanceMotion by transitionFrames once before the first frame).
    virtual bool freezesIncomingPhoto() const { return false; }
    // Creates the temporaries; called once after the incoming photo was loaded.
    virtual void begin(RenderJob&) {}
    // Draws transition frame k (0 .. frames() - 1) on job.canvas from outgoing() and the
    // incoming frame job.photo.motionCanvas.
    virtual void composeTransitionFrame(RenderJob& job, int k) = 0;
    // Releases the temporaries (also after a stop or an encoder refusal).
    virtual void end() {}

    // Valid from begin to end.
    const QImage& outgoing() const { return outgoing_; }
    const TransitionSettings* settings() const { return settings_; }
    // The first / second parameter of the transition (0 when it has none).
    int firstParameter() const;
    int secondParameter() const;
    ImageEffectType motionEffect() const { return effect_; }
    QRgb background() const { return background_; }
    // N: the number of transition frames.
    int frames() const { return frames_; }

private:
    QImage outgoing_;
    const TransitionSettings* settings_ = nullptr;
    ImageEffectType effect_ = kImageEffectNone;
    QRgb background_ = kDefaultBackground;
    int frames_ = 0;
};

// The renderer of a type 0..17 (a fresh object for every step); null outside. Types whose own
// renderer is not there cut straight to the incoming photo: their transition frames show the
// incoming frame as it is.
std::unique_ptr<TransitionRenderer> createTransitionRenderer(TransitionType type);

// Whether a type has a renderer of its own (rather than the cut).
bool hasOwnTransitionRenderer(TransitionType type);

// Runs the renderer of the type over the step; 1 without emitting anything outside 0..17.
int renderTransitionStep(TransitionType type, RenderJob& job);

} // namespace pictavo
