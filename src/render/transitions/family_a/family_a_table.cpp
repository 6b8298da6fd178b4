// The renderers of Alpha, Accordion, Blinds, Circle, Clock and Cube fly.

#include "render/transition_renderer.h"

namespace pictavo {

std::unique_ptr<TransitionRenderer> createAlphaTransition();
std::unique_ptr<TransitionRenderer> createAccordionTransition();
std::unique_ptr<TransitionRenderer> createBlindsTransition();
std::unique_ptr<TransitionRenderer> createCircleTransition();
std::unique_ptr<TransitionRenderer> createClockTransition();
std::unique_ptr<TransitionRenderer> createCubeFlyTransition();

std::unique_ptr<TransitionRenderer> createFamilyATransition(TransitionType type)
{
    switch (type) {
    case kTransitionAlpha:
        return createAlphaTransition();
    case kTransitionAccordion:
        return createAccordionTransition();
    case kTransitionBlinds:
        return createBlindsTransition();
    case kTransitionCircle:
        return createCircleTransition();
    case kTransitionClock:
        return createClockTransition();
    case kTransitionCubeFly:
        return createCubeFlyTransition();
    default:
        return nullptr;
    }
}

} // namespace pictavo
