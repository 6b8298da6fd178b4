#include "effects/effect_catalogue.h"

#include "core/app_paths.h"
#include "core/random.h"

namespace pictavo {
namespace {

struct TransitionEntry {
    const char* name;
    const char* key;
    const char* coverFile;
};

// Indexed by TransitionType.
constexpr TransitionEntry kTransitions[kTransitionTypeCount] = {
    {"Alpha", "TRANSITION_EFFECT_ALPHA", "alpha.jpg"},
    {"Accordion", "TRANSITION_EFFECT_ACCORDION", "accordion.jpg"},
    {"Blinds", "TRANSITION_EFFECT_BLIND", "blinds.jpg"},
    {"Circle", "TRANSITION_EFFECT_CIRCLE", "circle.jpg"},
    {"Clock", "TRANSITION_EFFECT_CLOCK", "clock.jpg"},
    {"Cube fly", "TRANSITION_EFFECT_CUBE_FLY", "cubefly.jpg"},
    {"Diagonal sweep", "TRANSITION_EFFECT_DIAGONAL_SWEEP", "diagonalsweep.jpg"},
    {"Door", "TRANSITION_EFFECT_DOOR", "door.jpg"},
    {"Flip", "TRANSITION_EFFECT_FLIP", "flip.jpg"},
    {"Fly", "TRANSITION_EFFECT_FLY", "fly.jpg"},
    {"Polygon", "TRANSITION_EFFECT_POLYGON", "polygon.jpg"},
    {"Rotate in", "TRANSITION_EFFECT_ROTATE_IN", "rotatein.jpg"},
    {"Shutter", "TRANSITION_EFFECT_SHUTTER", "shutter.jpg"},
    {"Spin", "TRANSITION_EFFECT_SPIN", "spin.jpg"},
    {"Sweep", "TRANSITION_EFFECT_SWEEP", "sweep.jpg"},
    {"Twist", "TRANSITION_EFFECT_TWIST", "twist.jpg"},
    {"Wipe", "TRANSITION_EFFECT_WIPE", "wipe.jpg"},
    {"Zoom", "TRANSITION_EFFECT_ZOOM", "zoom.jpg"},
    // The list by id shows Random in lower case, the picking list capitalised.
    {"random", "TRANSITION_EFFECT_RANDOM", "random.jpg"},
};

constexpr const char* kImageEffectNames[kImageEffectTypeCount] = {
    "pan from left to right",
    "pan from right to left",
    "pan from left-down to right-up",
    "pan from right-up to left-down",
    "pan from left-up to right-down",
    "pan from right-down to left-up",
    "pan from up to down",
    "pan from down to up",
    "zoom center in",
    "zoom left-up in",
    "zoom right-up in",
    "zoom left-down in",
    "zoom right-down in",
    "zoom center out",
    "zoom left-up out",
    "zoom right-up out",
    "zoom left-down out",
    "zoom right-down out",
    "zoom in and rotate",
    "zoom out and rotate",
    "none",
    "random",
};

constexpr const char* kImageEffectModeNames[kImageEffectModeCount] = {
    "None",
    "Pan",
    "Pan/Zoom",
    "Pan/Zoom/Rotate",
};

// One draw divided by divisor; the single top quotient (the draws at the very top of the
// range) is folded into the last legal value.
int foldedDraw(int divisor, int lastLegal)
{
    const int value = randomDraw() / divisor;
    return value > lastLegal ? lastLegal : value;
}

} // namespace

std::string transitionName(TransitionType type)
{
    return isTransitionType(type) ? kTransitions[type].name : "";
}

std::string transitionPickName(int position)
{
    const TransitionType type = transitionTypeAtPickPosition(position);
    if (type < 0)
        return {};
    return type == kTransitionRandom ? "Random" : kTransitions[type].name;
}

std::string transitionKey(TransitionType type)
{
    return isTransitionType(type) ? kTransitions[type].key : "";
}

TransitionType transitionTypeForKey(const std::string& key)
{
    for (int type = 0; type < kTransitionTypeCount; ++type) {
        if (key == kTransitions[type].key)
            return type;
    }
    return -1;
}

std::string transitionCoverFile(int position)
{
    const TransitionType type = transitionTypeAtPickPosition(position);
    return type < 0 ? "" : kTransitions[type].coverFile;
}

std::string coverPath(int position)
{
    const std::string file = transitionCoverFile(position);
    if (file.empty())
        return {};
    return joinPath(joinPath(applicationFolder(), "EffectCover"), file);
}

std::string imageEffectName(ImageEffectType type)
{
    return type >= 0 && type < kImageEffectTypeCount ? kImageEffectNames[type] : "";
}

std::string imageEffectModeName(ImageEffectMode mode)
{
    return mode >= 0 && mode < kImageEffectModeCount ? kImageEffectModeNames[mode] : "";
}

TransitionType randomTransitionType()
{
    return foldedDraw(1820, kTransitionZoom);
}

ImageEffectType imageEffectForMode(ImageEffectMode mode)
{
    switch (mode) {
    case kImageEffectModeNone:
        return kImageEffectNone;
    case kImageEffectModePan:
        return foldedDraw(4095, kImageEffectLastPan);
    case kImageEffectModePanZoom:
        return foldedDraw(1820, kImageEffectLastZoom);
    case kImageEffectModePanZoomRotate:
        return foldedDraw(1638, kImageEffectZoomOutRotate);
    default:
        return mode;
    }
}

} // namespace pictavo
