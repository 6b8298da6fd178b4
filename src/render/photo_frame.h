#pragma once

#include <QImage>

namespace pictavo {

// The incoming photo of a render step, prepared for drawing. One per run, reused for every step:
// loadPhotoFrame replaces `image` and the motion state; `motionCanvas` lives for the whole run.
struct PhotoFrame {
    // The decoded photo scaled to fitWidth x fitHeight (Format_RGB32; null when the file could
    // not be decoded, which leaves only the background on screen).
    QImage image;
    // Frame-sized opaque picture (Format_RGB32) of the photo at its current motion state: the
    // incoming frame the transitions draw from. Created by the run's driver. Up to date during
    // the transition frames of a step; the display frames draw straight onto the canvas.
    QImage motionCanvas;
    int fitWidth = 0;
    int fitHeight = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    // Rectangle into which `image` is drawn for the next frame, and its per-frame changes.
    float drawX = 0;
    float drawY = 0;
    float drawWidth = 0;
    float drawHeight = 0;
    float stepX = 0;
    float stepY = 0;
    // Degrees of rotation per unit of the job's counter (the rotating zooms only).
    float stepAngle = 0;
};

} // namespace pictavo
