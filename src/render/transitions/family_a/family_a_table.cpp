// The renderers of Alpha, Accordion, Blinds, Circle, Clock and Cube fly.

#include "render/transition_renderer.h"

namespace pictavo {

std::unique_ptr<TransitionRenderer> createAlphaTransition();

std::unique_ptr<TransitionRenderer> createFamilyATransition(TransitionType type)
{
    switch (type) {
    case kTransitionAlpha:
        return createAlphaTransition();
    default:
        return nullptr;
    }
}

} // namespace pictavo
