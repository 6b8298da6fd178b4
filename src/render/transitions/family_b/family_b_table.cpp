// The renderers of Diagonal sweep, Door, Flip, Fly, Polygon and Rotate in.

#include "render/transition_renderer.h"

namespace pictavo {

std::unique_ptr<TransitionRenderer> createFamilyBTransition(TransitionType type)
{
    switch (type) {
    default:
        return nullptr;
    }
}

} // namespace pictavo
