#pragma once

#include <string>

namespace pictavo {

// Identifiers of the transitions. 0..17 are concrete transitions; 18 (Random) is never
// rendered itself and is resolved to a concrete type when a photo receives a transition.
// Stored and exchanged as plain integers.
using TransitionType = int;

constexpr TransitionType kTransitionAlpha = 0;
constexpr TransitionType kTransitionAccordion = 1;
constexpr TransitionType kTransitionBlinds = 2;
constexpr TransitionType kTransitionCircle = 3;
constexpr TransitionType kTransitionClock = 4;
constexpr TransitionType kTransitionCubeFly = 5;
constexpr TransitionType kTransitionDiagonalSweep = 6;
constexpr TransitionType kTransitionDoor = 7;
constexpr TransitionType kTransitionFlip = 8;
constexpr TransitionType kTransitionFly = 9;
constexpr TransitionType kTransitionPolygon = 10;
constexpr TransitionType kTransitionRotateIn = 11;
constexpr TransitionType kTransitionShutter = 12;
constexpr TransitionType kTransitionSpin = 13;
constexpr TransitionType kTransitionSweep = 14;
constexpr TransitionType kTransitionTwist = 15;
constexpr TransitionType kTransitionWipe = 16;
constexpr TransitionType kTransitionZoom = 17;
constexpr TransitionType kTransitionRandom = 18;

// Number of concrete types (0..17) and of all types including Random (0..18). Both name
// lists, the cover list and the template store have kTransitionTypeCount entries.
constexpr int kConcreteTransitionCount = 18;
constexpr int kTransitionTypeCount = 19;

constexpr bool isTransitionType(int type)
{
    return type >= 0 && type < kTransitionTypeCount;
}
constexpr bool isConcreteTransition(int type)
{
    return type >= 0 && type < kConcreteTransitionCount;
}

// The picking order puts Random first: position p shows type p - 1, position 0 is Random.
// Both return -1 for values outside 0..18.
constexpr TransitionType transitionTypeAtPickPosition(int position)
{
    if (position < 0 || position >= kTransitionTypeCount)
        return -1;
    return position == 0 ? kTransitionRandom : position - 1;
}
constexpr int pickPositionOfTransition(TransitionType type)
{
    if (!isTransitionType(type))
        return -1;
    return type == kTransitionRandom ? 0 : type + 1;
}

// Name from the list by id: "Alpha" ... "Zoom", and "random" (lower case) for 18.
// "" outside 0..18.
std::string transitionName(TransitionType type);

// Name from the picking list: "Random" (capitalised) at position 0, then "Alpha" ... "Zoom".
// "" outside 0..18.
std::string transitionPickName(int position);

// Settings key (the NAME attribute of a stored transition), e.g. "TRANSITION_EFFECT_DOOR";
// "" outside 0..18.
std::string transitionKey(TransitionType type);

// Reverse look-up of a settings key, exact and case-sensitive; -1 when no key matches.
TransitionType transitionTypeForKey(const std::string& key);

// Cover picture file name of a picking position ("random.jpg", "alpha.jpg", ...); "" outside.
std::string transitionCoverFile(int position);

// Full path of the cover picture of a picking position: the "EffectCover" folder of the
// application folder followed by the cover file name; "" outside 0..18.
std::string coverPath(int position);

// Identifiers of the motion effects shown while a photo is on screen: 0..7 pans, 8..17 zooms,
// 18 and 19 zooms with rotation, 20 no motion, 21 a request for a random motion.
using ImageEffectType = int;

constexpr ImageEffectType kImageEffectFirstPan = 0;
constexpr ImageEffectType kImageEffectLastPan = 7;
constexpr ImageEffectType kImageEffectFirstZoom = 8;
constexpr ImageEffectType kImageEffectLastZoom = 17;
constexpr ImageEffectType kImageEffectZoomInRotate = 18;
constexpr ImageEffectType kImageEffectZoomOutRotate = 19;
constexpr ImageEffectType kImageEffectNone = 20;
constexpr ImageEffectType kImageEffectRandom = 21;
constexpr int kImageEffectTypeCount = 22;

// "pan from left to right" ... "none", "random"; "" outside 0..21.
std::string imageEffectName(ImageEffectType type);

// The coarse motion choice stored with each photo, from which its motion effect is drawn.
using ImageEffectMode = int;

constexpr ImageEffectMode kImageEffectModeNone = 0;
constexpr ImageEffectMode kImageEffectModePan = 1;
constexpr ImageEffectMode kImageEffectModePanZoom = 2;
constexpr ImageEffectMode kImageEffectModePanZoomRotate = 3;
constexpr int kImageEffectModeCount = 4;

// "None", "Pan", "Pan/Zoom", "Pan/Zoom/Rotate"; "" outside 0..3.
std::string imageEffectModeName(ImageEffectMode mode);

// A concrete transition drawn at random: draw / 1820, with the top quotient 18 folded into
// 17 (Zoom). Takes one draw.
TransitionType randomTransitionType();

// A motion effect drawn from a mode (one draw, except for None):
//   None -> 20; Pan -> draw / 4095 (8 folded to 7); Pan/Zoom -> draw / 1820 (18 folded to 17);
//   Pan/Zoom/Rotate -> draw / 1638 (20 folded to 19).
// Any other mode value is returned unchanged, without a draw.
ImageEffectType imageEffectForMode(ImageEffectMode mode);

} // namespace pictavo
