#pragma once

// The cover pictures of the transition list: every transition between the two sample photos,
// rendered by the program's own renderers and caught half-way through.

#include "effects/effect_catalogue.h"

#include <QImage>
#include <string>
#include <vector>

namespace pictavo::resources {

inline constexpr int kCoverWidth = 160;
inline constexpr int kCoverHeight = 120;

// Frames of the transition the cover is taken from; the cover is frame kCoverFrames / 2.
inline constexpr int kCoverFrames = 24;

// The frame half-way through the transition of the given type (default parameters, no motion)
// from the first photo to the second, on black, width x height. A null image when the type
// is not a concrete transition or the run produced no frame at the mid-point.
QImage transitionMidFrame(TransitionType type, const std::string& firstPhoto,
                          const std::string& secondPhoto, int width, int height);

// The cover of Random: four of the given covers (indexed by transition type 0..17) in a 2 x 2
// grid on a light frame, kCoverWidth x kCoverHeight. Missing covers leave their cell empty.
QImage randomCoverMontage(const std::vector<QImage>& concreteCovers);

} // namespace pictavo::resources
