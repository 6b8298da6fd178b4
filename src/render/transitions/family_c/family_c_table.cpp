// The renderers of Shutter, Spin, Sweep, Twist, Wipe and Zoom.

#include "render/transition_renderer.h"

namespace pictavo {

std::unique_ptr<TransitionRenderer> createShutterTransition();
std::unique_ptr<TransitionRenderer> createSpinTransition();
std::unique_ptr<TransitionRenderer> createSweepTransition();
std::unique_ptr<TransitionRenderer> createTwistTransition();
std::unique_ptr<TransitionRenderer> createWipeTransition();
std::unique_ptr<TransitionRenderer> createZoomTransition();

std::unique_ptr<TransitionRenderer> createFamilyCTransition(TransitionType type)
{
    switch (type) {
    case kTransitionShutter:
        return createShutterTransition();
    case kTransitionSpin:
        return createSpinTransition();
    case kTransitionSweep:
        return createSweepTransition();
    case kTransitionTwist:
        return createTwistTransition();
    case kTransitionWipe:
        return createWipeTransition();
    case kTransitionZoom:
        return createZoomTransition();
    default:
        return nullptr;
    }
}

} // namespace pictavo
