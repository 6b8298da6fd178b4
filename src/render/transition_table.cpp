// The table of transition renderers, indexed by TransitionType. The transitions live in three
// families, one folder each under transitions/; every family has one table file
// (transitions/family_x/family_x_table.cpp) with a function that returns the renderer of a type
// it draws, or null. Adding a transition: write its renderer class in
// transitions/<family>/<name>_transition.cpp and put its factory into the family's table.

#include "render/transition_renderer.h"

#include <QPainter>

namespace pictavo {

// Alpha, Accordion, Blinds, Circle, Clock, Cube fly.
std::unique_ptr<TransitionRenderer> createFamilyATransition(TransitionType type);
// Diagonal sweep, Door, Flip, Fly, Polygon, Rotate in.
std::unique_ptr<TransitionRenderer> createFamilyBTransition(TransitionType type);
// Shutter, Spin, Sweep, Twist, Wipe, Zoom.
std::unique_ptr<TransitionRenderer> createFamilyCTransition(TransitionType type);

namespace {

std::unique_ptr<TransitionRenderer> createOwnRenderer(TransitionType type)
{
    if (auto renderer = createFamilyATransition(type))
        return renderer;
    if (auto renderer = createFamilyBTransition(type))
        return renderer;
    return createFamilyCTransition(type);
}

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
    if (auto renderer = createOwnRenderer(type))
        return renderer;
    return std::make_unique<CutTransition>();
}

bool hasOwnTransitionRenderer(TransitionType type)
{
    return isConcreteTransition(type) && createOwnRenderer(type) != nullptr;
}

} // namespace pictavo
