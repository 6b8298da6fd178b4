// The renderers of Shutter, Spin, Sweep, Twist, Wipe and Zoom.

#include "render/transition_renderer.h"

namespace pictavo {

std::unique_ptr<TransitionRenderer> createFamilyCTransition(TransitionType type)
{
    switch (type) {
    default:
        return nullptr;
    }
}

} // namespace pictavo
