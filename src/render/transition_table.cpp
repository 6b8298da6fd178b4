// The table of transition renderers, indexed by TransitionType. Adding a transition: write its
// renderer class in transitions/<family>/<name>_transition.cpp with a factory function
// `std::unique_ptr<TransitionRenderer> create<Name>Transition()`, declare the factory below and
// put it in its slot of the table.

#include "render/transition_renderer.h"

#include <QPainter>
#include <array>

namespace pictavo {

std::unique_ptr<TransitionRenderer> createAlphaTransition();

namespace {

using Factory = std::unique_ptr<TransitionRenderer> (*)();

// Slot by type; nullptr: not there yet, the step cuts to the incoming photo.
constexpr std::array<Factory, kConcreteTransitionCount> kFactories = {
    createAlphaTransition, // 0 Alpha
    nullptr,               // 1 Accordion
    nullptr,               // 2 Blinds
    nullptr,               // 3 Circle
    nullptr,               // 4 Clock
    nullptr,               // 5 Cube fly
    nullptr,               // 6 Diagonal sweep
    nullptr,               // 7 Door
    nullptr,               // 8 Flip
    nullptr,               // 9 Fly
    nullptr,               // 10 Polygon
    nullptr,               // 11 Rotate in
    nullptr,               // 12 Shutter
    nullptr,               // 13 Spin
    nullptr,               // 14 Sweep
    nullptr,               // 15 Twist
    nullptr,               // 16 Wipe
    nullptr,               // 17 Zoom
};

// Transition frames show the incoming frame as it is.
class CutTransition : public TransitionRenderer {
protected:
    void composeTransitionFrame(RenderJob& job, int) override
    {
        QPainter painter(&job.canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(job.frameRect.topLeft(), job.photo.motionCanvas);
    }
};

} // namespace

std::unique_ptr<TransitionRenderer> createTransitionRenderer(TransitionType type)
{
    if (!isConcreteTransition(type))
        return nullptr;
    if (const Factory factory = kFactories[static_cast<std::size_t>(type)])
        return factory();
    return std::make_unique<CutTransition>();
}

bool hasOwnTransitionRenderer(TransitionType type)
{
    return isConcreteTransition(type) && kFactories[static_cast<std::size_t>(type)] != nullptr;
}

} // namespace pictavo
