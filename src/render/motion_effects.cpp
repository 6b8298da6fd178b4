#include "render/motion_effects.h"

#include <QPainter>
#include <cmath>
#include <cstdlib>

namespace pictavo {

namespace {

// The margin of the pans, as the 32-bit value 1.0499999523162841796875.
constexpr float kPanMargin = 1.05f;

int truncated(double value)
{
    return static_cast<int>(std::trunc(value));
}

bool isPan(ImageEffectType effect)
{
    return effect >= kImageEffectFirstPan && effect <= kImageEffectLastPan;
}

bool isRotating(ImageEffectType effect)
{
    return effect == kImageEffectZoomInRotate || effect == kImageEffectZoomOutRotate;
}

// Start position and steps of the pans; the fitted photo is W x H, the gaps gx and gy.
void preparePan(ImageEffectType effect, PhotoFrame& photo, int frames)
{
    const int gx = photo.frameWidth - photo.fitWidth;
    const int gy = photo.frameHeight - photo.fitHeight;
    const bool narrower = gx > 0; // also picks the vertical start
    const double stepH =
        frames > 0 ? static_cast<double>(static_cast<float>(std::abs(gx))) / frames : 0.0;
    const double stepV =
        frames > 0 ? static_cast<double>(static_cast<float>(std::abs(gy))) / frames : 0.0;
    const float centreX = static_cast<float>(gx / 2);
    const float centreY = static_cast<float>(gy / 2);
    // Starting at the left edge means a leftward step (the photo's right part comes into view).
    const float leftStart = narrower ? centreX : 0.0f;
    const float rightStart = narrower ? centreX : static_cast<float>(gx);
    const float topStart = narrower ? centreY : 0.0f;
    const float bottomStart = narrower ? centreY : static_cast<float>(gy);
    float x = 0, y = 0;
    double sx = 0, sy = 0;
    switch (effect) {
    case 0: // left to right
        x = leftStart, y = centreY, sx = -stepH;
        break;
    case 1: // right to left
        x = rightStart, y = centreY, sx = stepH;
        break;
    case 2: // left-down to right-up
        x = leftStart, y = bottomStart, sx = -stepH, sy = stepV;
        break;
    case 3: // right-up to left-down
        x = rightStart, y = topStart, sx = stepH, sy = -stepV;
        break;
    case 4: // left-up to right-down
        x = leftStart, y = topStart, sx = -stepH, sy = -stepV;
        break;
    case 5: // right-down to left-up
        x = rightStart, y = bottomStart, sx = stepH, sy = stepV;
        break;
    case 6: // up to down
        x = centreX, y = topStart, sy = -stepV;
        break;
    default: // 7, down to up
        x = centreX, y = bottomStart, sy = stepV;
        break;
    }
    photo.drawX = x;
    photo.drawY = y;
    photo.stepX = static_cast<float>(sx);
    photo.stepY = static_cast<float>(sy);
}

// Zooms (8..19): steps from the exact fit, zoom-outs start enlarged by a quarter.
void prepareZoom(ImageEffectType effect, PhotoFrame& photo, int frames)
{
    const bool zoomOut = (effect >= 13 && effect <= 17) || effect == kImageEffectZoomOutRotate;
    const double w = photo.fitWidth;
    const double h = photo.fitHeight;
    if (frames > 0) {
        const double n = static_cast<float>(frames);
        photo.stepX = static_cast<float>((zoomOut ? -(w * 0.25) : w * 0.25) / n);
        photo.stepY = static_cast<float>((zoomOut ? -(h * 0.25) : h * 0.25) / n);
        if (isRotating(effect))
            photo.stepAngle = static_cast<float>((zoomOut ? -30.0 : 30.0) / n);
    }
    if (zoomOut) {
        photo.fitWidth = truncated(w * 1.25);
        photo.fitHeight = truncated(h * 1.25);
    }
    const float startW = static_cast<float>(photo.fitWidth);
    const float startH = static_cast<float>(photo.fitHeight);
    photo.drawWidth = startW;
    photo.drawHeight = startH;
    const double fw = photo.frameWidth;
    const double fh = photo.frameHeight;
    const int anchor = isRotating(effect) ? 0 : (effect - 8) % 5;
    switch (anchor) {
    case 0: // centre
        photo.drawX = static_cast<float>((fw - startW) * 0.5);
        photo.drawY = static_cast<float>((fh - startH) * 0.5);
        break;
    case 1: // top left
        photo.drawX = 0;
        photo.drawY = 0;
        break;
    case 2: // top right
        photo.drawX = static_cast<float>(fw - startW);
        photo.drawY = 0;
        break;
    case 3: // bottom left
        photo.drawX = 0;
        photo.drawY = static_cast<float>(fh - startH);
        break;
    default: // bottom right
        photo.drawX = static_cast<float>(fw - startW);
        photo.drawY = static_cast<float>(fh - startH);
        break;
    }
}

} // namespace

FittedSize fitPhoto(int frameWidth, int frameHeight, int photoWidth, int photoHeight,
                    FitVariant variant)
{
    if (photoWidth <= 0 || photoHeight <= 0 || frameWidth <= 0 || frameHeight <= 0)
        return {};
    const float aspect = static_cast<float>(static_cast<double>(photoHeight) / photoWidth);
    const double a = aspect;
    const bool margin = variant == FitVariant::WithMargin;
    FittedSize size;
    if (static_cast<double>(frameHeight) / frameWidth < a) {
        // relatively taller than the frame: the height decides
        size.height =
            margin ? truncated(frameHeight * static_cast<double>(kPanMargin)) : frameHeight;
        size.width = truncated(size.height / a);
    } else {
        size.width = margin ? truncated(frameWidth * static_cast<double>(kPanMargin)) : frameWidth;
        size.height = truncated(size.width * a);
    }
    if (photoHeight < size.height || photoWidth < size.width)
        size = {photoWidth, photoHeight};
    return size;
}

FitVariant fitVariantOf(ImageEffectType effect)
{
    return isPan(effect) ? FitVariant::WithMargin : FitVariant::Exact;
}

ImageEffectType normalisedMotionEffect(ImageEffectType effect)
{
    return effect >= 0 && effect <= kImageEffectNone ? effect : kImageEffectNone;
}

void prepareMotion(ImageEffectType effect, PhotoFrame& photo, int frames, int photoWidth,
                   int photoHeight)
{
    effect = normalisedMotionEffect(effect);
    photo.stepX = 0;
    photo.stepY = 0;
    photo.stepAngle = 0;
    const FittedSize fitted = fitPhoto(photo.frameWidth, photo.frameHeight, photoWidth, photoHeight,
                                       fitVariantOf(effect));
    photo.fitWidth = fitted.width;
    photo.fitHeight = fitted.height;
    if (isPan(effect)) {
        photo.drawWidth = static_cast<float>(fitted.width);
        photo.drawHeight = static_cast<float>(fitted.height);
        preparePan(effect, photo, frames);
    } else if (effect < kImageEffectNone) {
        prepareZoom(effect, photo, frames);
    } else {
        photo.drawWidth = static_cast<float>(fitted.width);
        photo.drawHeight = static_cast<float>(fitted.height);
        photo.drawX = static_cast<float>((photo.frameWidth - fitted.width) / 2);
        photo.drawY = static_cast<float>((photo.frameHeight - fitted.height) / 2);
    }
}

void moveMotion(PhotoFrame& photo, int frames, ImageEffectType effect)
{
    effect = normalisedMotionEffect(effect);
    if (effect == kImageEffectNone)
        return;
    const double sx = frames == 1 ? photo.stepX : frames * static_cast<double>(photo.stepX);
    const double sy = frames == 1 ? photo.stepY : frames * static_cast<double>(photo.stepY);
    auto add = [](float& value, double delta) {
        value = static_cast<float>(static_cast<double>(value) + delta);
    };
    auto grow = [&] {
        add(photo.drawWidth, sx);
        add(photo.drawHeight, sy);
    };
    switch (effect) {
    case 0:
    case 1:
        add(photo.drawX, sx);
        break;
    case 2:
    case 3:
    case 4:
    case 5:
        add(photo.drawX, sx);
        add(photo.drawY, sy);
        break;
    case 6:
    case 7:
        add(photo.drawY, sy);
        break;
    case 8:
    case 13: // the centre stays put
        add(photo.drawX, -(sx * 0.5));
        add(photo.drawY, -(sy * 0.5));
        grow();
        break;
    case 9:
    case 14: // top left stays put
        grow();
        break;
    case 10:
    case 15: // top right stays put
        add(photo.drawX, -sx);
        grow();
        break;
    case 11:
    case 16: // bottom left stays put
        add(photo.drawY, -sy);
        grow();
        break;
    default: // 12, 17, 18, 19: bottom right stays put
        add(photo.drawX, -sx);
        add(photo.drawY, -sy);
        grow();
        break;
    }
}

void drawMotionPicture(const PhotoFrame& photo, ImageEffectType effect, QRgb background,
                       double angleDegrees, QImage& target)
{
    effect = normalisedMotionEffect(effect);
    const bool rotating = isRotating(effect);
    const QRectF rect(photo.drawX, photo.drawY, photo.drawWidth, photo.drawHeight);
    const bool coversFrame = !rotating && !photo.image.isNull() && rect.left() <= 0 &&
                             rect.top() <= 0 && rect.right() >= target.width() &&
                             rect.bottom() >= target.height();
    if (!coversFrame)
        target.fill(background | 0xFF000000u);
    if (photo.image.isNull() || rect.isEmpty())
        return;
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (rotating) {
        const double cx = photo.frameWidth / 2;
        const double cy = photo.frameHeight / 2;
        painter.translate(cx, cy);
        painter.rotate(angleDegrees);
        painter.translate(-cx, -cy);
    }
    painter.drawImage(rect, photo.image);
}

void composeMotionFrame(PhotoFrame& photo, int counterValue, ImageEffectType effect,
                        QRgb background)
{
    composeMotionFrameInto(photo, counterValue, effect, background, photo.motionCanvas);
}

void composeMotionFrameInto(PhotoFrame& photo, int counterValue, ImageEffectType effect,
                            QRgb background, QImage& target)
{
    moveMotion(photo, 1, effect);
    drawMotionPicture(photo, effect, background,
                      static_cast<double>(counterValue) * static_cast<double>(photo.stepAngle),
                      target);
}

void advanceMotion(PhotoFrame& photo, int frames, ImageEffectType effect, QRgb background)
{
    moveMotion(photo, frames, effect);
    drawMotionPicture(photo, effect, background,
                      static_cast<double>(frames) * static_cast<double>(photo.stepAngle),
                      photo.motionCanvas);
}

} // namespace pictavo
