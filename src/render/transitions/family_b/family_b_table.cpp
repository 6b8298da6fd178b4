// The renderers of Diagonal sweep, Door, Flip, Fly, Polygon and Rotate in.

#include "render/transition_renderer.h"

namespace pictavo {

std::unique_ptr<TransitionRenderer> createDiagonalSweepTransition();
std::unique_ptr<TransitionRenderer> createDoorTransition();
std::unique_ptr<TransitionRenderer> createFlipTransition();
std::unique_ptr<TransitionRenderer> createFlyTransition();
std::unique_ptr<TransitionRenderer> createPolygonTransition();
std::unique_ptr<TransitionRenderer> createRotateInTransition();

std::unique_ptr<TransitionRenderer> createFamilyBTransition(TransitionType type)
{
    switch (type) {
    case kTransitionDiagonalSweep:
        return createDiagonalSweepTransition();
    case kTransitionDoor:
        return createDoorTransition();
    case kTransitionFlip:
        return createFlipTransition();
    case kTransitionFly:
        return createFlyTransition();
    case kTransitionPolygon:
        return createPolygonTransition();
    case kTransitionRotateIn:
        return createRotateInTransition();
    default:
        return nullptr;
    }
}

} // namespace pictavo
