#pragma once

// Photo sizing and the motion effects shown while a photo is on screen: pans (ids 0..7), zooms
// toward the centre or a corner (8..17), zooms with rotation (18, 19) and no motion (20). Any
// other id behaves as 20.
//
// Geometry is kept in 32-bit floats advanced by fixed per-frame steps; each expression is
// evaluated in double and stored (or truncated toward zero) at its end.

#include "effects/effect_catalogue.h"
#include "render/photo_frame.h"

#include <QRgb>

namespace pictavo {

// How a photo is fitted into the frame: with a 5 % margin (pans, so the photo has room to
// travel) or exactly.
enum class FitVariant { WithMargin, Exact };

struct FittedSize {
    int width = 0;
    int height = 0;
};

// The size at which a photo of photoWidth x photoHeight is shown in a frame of
// frameWidth x frameHeight. The side that is relatively larger decides (the width when the
// aspects are equal); a photo is never enlarged. An empty photo gives 0 x 0.
FittedSize fitPhoto(int frameWidth, int frameHeight, int photoWidth, int photoHeight,
                    FitVariant variant);

// The fit variant a motion effect uses.
FitVariant fitVariantOf(ImageEffectType effect);

// The effect id the drawing code works with: ids outside 0..20 become 20 (no motion).
ImageEffectType normalisedMotionEffect(ImageEffectType effect);

// Sets fitWidth / fitHeight for a photo of photoWidth x photoHeight, the start rectangle and the
// steps, for a motion lasting `frames` frames. photo.frameWidth / frameHeight must be set.
void prepareMotion(ImageEffectType effect, PhotoFrame& photo, int frames, int photoWidth,
                   int photoHeight);

// Moves the rectangle by `frames` frames of the effect's motion at once (1 for one frame).
void moveMotion(PhotoFrame& photo, int frames, ImageEffectType effect);

// Draws photo.image into `target` (frame-sized, Format_RGB32 or ARGB32_Premultiplied) at the
// current rectangle over the background colour, turned by angleDegrees about the frame centre
// for the rotating zooms. The whole target is covered (opaque).
void drawMotionPicture(const PhotoFrame& photo, ImageEffectType effect, QRgb background,
                       double angleDegrees, QImage& target);

// One frame of motion: moves the rectangle by one step, then draws into photo.motionCanvas,
// rotated by counterValue x stepAngle for the rotating zooms.
void composeMotionFrame(PhotoFrame& photo, int counterValue, ImageEffectType effect,
                        QRgb background);

// As composeMotionFrame, but draws straight into `target` instead of the motion canvas (the
// display frames of a step, where the incoming frame is the whole output frame).
void composeMotionFrameInto(PhotoFrame& photo, int counterValue, ImageEffectType effect,
                            QRgb background, QImage& target);

// `frames` frames of motion at once, drawn into photo.motionCanvas with the angle
// frames x stepAngle: the state the photo has at the end of a transition of that length.
void advanceMotion(PhotoFrame& photo, int frames, ImageEffectType effect, QRgb background);

} // namespace pictavo
