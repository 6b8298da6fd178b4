#include "render/motion_effects.h"

#include <QColor>
#include <gtest/gtest.h>

namespace pictavo {
namespace {

struct FitCase {
    int photoWidth;
    int photoHeight;
    FitVariant variant;
    int width;
    int height;
};

TEST(FitPhoto, SizesInA720x480Frame)
{
    const FitCase cases[] = {
        {1600, 1200, FitVariant::WithMargin, 670, 503},
        {1600, 1200, FitVariant::Exact, 640, 480},
        {1600, 900, FitVariant::WithMargin, 755, 424},
        {1600, 900, FitVariant::Exact, 720, 405},
        {400, 300, FitVariant::WithMargin, 400, 300}, // never enlarged
        {400, 300, FitVariant::Exact, 400, 300},
        // Same aspect as the frame: the float aspect lies just above 2/3, so the height decides.
        {1500, 1000, FitVariant::WithMargin, 754, 503},
        {1500, 1000, FitVariant::Exact, 719, 480},
        {1000, 1000, FitVariant::WithMargin, 503, 503},
        {1000, 1000, FitVariant::Exact, 480, 480},
        {720, 480, FitVariant::Exact, 719, 480},
        {0, 0, FitVariant::Exact, 0, 0}, // a photo that could not be decoded
        {100, 0, FitVariant::WithMargin, 0, 0},
    };
    for (const FitCase& c : cases) {
        const FittedSize size = fitPhoto(720, 480, c.photoWidth, c.photoHeight, c.variant);
        EXPECT_EQ(size.width, c.width) << c.photoWidth << "x" << c.photoHeight;
        EXPECT_EQ(size.height, c.height) << c.photoWidth << "x" << c.photoHeight;
    }
}

struct MotionCase {
    int effect;
    int photoWidth;
    int photoHeight;
    // after prepareMotion
    int fitWidth, fitHeight;
    float x, y, stepX, stepY, stepAngle;
    // after 100 frames
    float endX, endY, endWidth, endHeight;
};

PhotoFrame frameOf720x480()
{
    PhotoFrame photo;
    photo.frameWidth = 720;
    photo.frameHeight = 480;
    return photo;
}

TEST(MotionEffects, StartStepsAndEndAfterTheStep)
{
    constexpr int kFrames = 100;
    const MotionCase cases[] = {
        // pans: the photo travels the full gap; the start depends on gx > 0
        {0, 1600, 900, 755, 424, 0, 28, -0.35f, 0, 0, -35, 28, 755, 424},
        {1, 1600, 900, 755, 424, -35, 28, 0.35f, 0, 0, 0, 28, 755, 424},
        {2, 1600, 900, 755, 424, 0, 56, -0.35f, 0.56f, 0, -35, 112, 755, 424},
        {3, 1600, 900, 755, 424, -35, 0, 0.35f, -0.56f, 0, 0, -56, 755, 424},
        {6, 1600, 900, 755, 424, -17, 0, 0, -0.56f, 0, -17, -56, 755, 424},
        {7, 1600, 900, 755, 424, -17, 56, 0, 0.56f, 0, -17, 112, 755, 424},
        {0, 1600, 1200, 670, 503, 25, -11, -0.5f, 0, 0, -25, -11, 670, 503},
        {4, 1600, 1200, 670, 503, 25, -11, -0.5f, -0.23f, 0, -25, -34, 670, 503},
        {5, 1600, 1200, 670, 503, 25, -11, 0.5f, 0.23f, 0, 75, 12, 670, 503},
        {0, 400, 300, 400, 300, 160, 90, -3.2f, 0, 0, -160, 90, 400, 300},
        {0, 1000, 1000, 503, 503, 108, -11, -2.17f, 0, 0, -109, -11, 503, 503},
        // zooms keep their anchor
        {8, 1600, 900, 720, 405, 0, 37.5f, 1.8f, 1.0125f, 0, -90, -13.125f, 900, 506.25f},
        {13, 1600, 900, 900, 506, -90, -13, -1.8f, -1.0125f, 0, 0, 37.625f, 720, 404.75f},
        {9, 1600, 900, 720, 405, 0, 0, 1.8f, 1.0125f, 0, 0, 0, 900, 506.25f},
        {10, 1000, 1000, 480, 480, 240, 0, 1.2f, 1.2f, 0, 120, 0, 600, 600},
        {11, 1600, 900, 720, 405, 0, 75, 1.8f, 1.0125f, 0, 0, -26.25f, 900, 506.25f},
        {12, 1600, 900, 720, 405, 0, 75, 1.8f, 1.0125f, 0, -180, -26.25f, 900, 506.25f},
        {17, 1600, 900, 900, 506, -180, -26, -1.8f, -1.0125f, 0, 0, 75.25f, 720, 404.75f},
        // zooms with rotation
        {18, 1600, 900, 720, 405, 0, 37.5f, 1.8f, 1.0125f, 0.3f, -180, -63.75f, 900, 506.25f},
        {19, 1600, 900, 900, 506, -90, -13, -1.8f, -1.0125f, -0.3f, 90, 88.25f, 720, 404.75f},
        // no motion: integer halves
        {20, 1600, 900, 720, 405, 0, 37, 0, 0, 0, 0, 37, 720, 405},
        {20, 1000, 1000, 480, 480, 120, 0, 0, 0, 0, 120, 0, 480, 480},
        // ids a hand-edited file may carry behave as no motion
        {21, 1600, 900, 720, 405, 0, 37, 0, 0, 0, 0, 37, 720, 405},
        {-3, 1600, 900, 720, 405, 0, 37, 0, 0, 0, 0, 37, 720, 405},
    };
    for (const MotionCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "effect " << c.effect << " photo " << c.photoWidth << "x" << c.photoHeight);
        PhotoFrame photo = frameOf720x480();
        prepareMotion(c.effect, photo, kFrames, c.photoWidth, c.photoHeight);
        EXPECT_EQ(photo.fitWidth, c.fitWidth);
        EXPECT_EQ(photo.fitHeight, c.fitHeight);
        EXPECT_FLOAT_EQ(photo.drawX, c.x);
        EXPECT_FLOAT_EQ(photo.drawY, c.y);
        EXPECT_FLOAT_EQ(photo.drawWidth, static_cast<float>(c.fitWidth));
        EXPECT_FLOAT_EQ(photo.drawHeight, static_cast<float>(c.fitHeight));
        EXPECT_FLOAT_EQ(photo.stepX, c.stepX);
        EXPECT_FLOAT_EQ(photo.stepY, c.stepY);
        EXPECT_FLOAT_EQ(photo.stepAngle, c.stepAngle);
        for (int k = 0; k < kFrames; ++k)
            moveMotion(photo, 1, c.effect);
        // 100 float additions drift a little from the exact end
        EXPECT_NEAR(photo.drawX, c.endX, 0.01);
        EXPECT_NEAR(photo.drawY, c.endY, 0.01);
        EXPECT_NEAR(photo.drawWidth, c.endWidth, 0.01);
        EXPECT_NEAR(photo.drawHeight, c.endHeight, 0.01);
    }
}

TEST(MotionEffects, ZeroFramesLeavesTheStepsAtZero)
{
    for (int effect = 0; effect <= 20; ++effect) {
        PhotoFrame photo = frameOf720x480();
        prepareMotion(effect, photo, 0, 1600, 900);
        EXPECT_EQ(photo.stepX, 0.0f) << effect;
        EXPECT_EQ(photo.stepY, 0.0f) << effect;
        EXPECT_EQ(photo.stepAngle, 0.0f) << effect;
    }
}

TEST(MotionEffects, AdvancingManyFramesAtOnceMatchesSingleFrames)
{
    for (int effect = 0; effect <= 20; ++effect) {
        PhotoFrame single = frameOf720x480();
        prepareMotion(effect, single, 75, 1600, 1000);
        PhotoFrame jump = single;
        for (int k = 0; k < 30; ++k)
            moveMotion(single, 1, effect);
        moveMotion(jump, 30, effect);
        EXPECT_NEAR(jump.drawX, single.drawX, 0.01) << effect;
        EXPECT_NEAR(jump.drawY, single.drawY, 0.01) << effect;
        EXPECT_NEAR(jump.drawWidth, single.drawWidth, 0.01) << effect;
        EXPECT_NEAR(jump.drawHeight, single.drawHeight, 0.01) << effect;
    }
}

QImage solidImage(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(MotionEffects, PhotoWithTheFrameAspectLeavesTheLastColumnToTheBackground)
{
    PhotoFrame photo = frameOf720x480();
    photo.motionCanvas = solidImage(720, 480, 0xFF00FF00u);
    prepareMotion(kImageEffectNone, photo, 25, 1500, 1000);
    photo.image = solidImage(photo.fitWidth, photo.fitHeight, 0xFFFF0000u);
    composeMotionFrame(photo, 0, kImageEffectNone, 0xFF000000u);
    EXPECT_EQ(photo.motionCanvas.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(photo.motionCanvas.pixel(718, 479), 0xFFFF0000u);
    EXPECT_EQ(photo.motionCanvas.pixel(719, 0), 0xFF000000u);
    EXPECT_EQ(photo.motionCanvas.pixel(719, 479), 0xFF000000u);
}

TEST(MotionEffects, SmallPhotoIsDrawnAtItsOwnSizeOverTheBackground)
{
    PhotoFrame photo;
    photo.frameWidth = 160;
    photo.frameHeight = 120;
    photo.motionCanvas = solidImage(160, 120, 0xFF00FF00u);
    prepareMotion(kImageEffectNone, photo, 10, 40, 30);
    ASSERT_EQ(photo.fitWidth, 40);
    photo.image = solidImage(40, 30, 0xFFFFFFFFu);
    composeMotionFrame(photo, 0, kImageEffectNone, 0xFF0000FFu);
    EXPECT_EQ(photo.motionCanvas.pixel(60, 45), 0xFFFFFFFFu);
    EXPECT_EQ(photo.motionCanvas.pixel(99, 74), 0xFFFFFFFFu);
    EXPECT_EQ(photo.motionCanvas.pixel(59, 45), 0xFF0000FFu);
    EXPECT_EQ(photo.motionCanvas.pixel(100, 45), 0xFF0000FFu);
}

TEST(MotionEffects, RotatingZoomTurnsAboutTheFrameCentreByTheCounter)
{
    // A wide bar through the centre: unturned it covers the left and right middle, turned by
    // 90 degrees the top and bottom middle.
    PhotoFrame photo;
    photo.frameWidth = 160;
    photo.frameHeight = 160;
    photo.motionCanvas = solidImage(160, 160, 0xFF000000u);
    prepareMotion(kImageEffectZoomInRotate, photo, 30, 160, 160);
    photo.image = solidImage(160, 160, 0xFF000000u);
    for (int y = 70; y < 90; ++y)
        for (int x = 0; x < 160; ++x)
            photo.image.setPixel(x, y, 0xFFFFFFFFu);
    ASSERT_FLOAT_EQ(photo.stepAngle, 1.0f);
    // counter value 90 with one degree per unit: a quarter turn
    composeMotionFrame(photo, 90, kImageEffectZoomInRotate, 0xFF000000u);
    EXPECT_EQ(qRed(photo.motionCanvas.pixel(80, 10)), 255);
    EXPECT_EQ(qRed(photo.motionCanvas.pixel(80, 150)), 255);
    EXPECT_EQ(qRed(photo.motionCanvas.pixel(10, 80)), 0);
    EXPECT_EQ(qRed(photo.motionCanvas.pixel(150, 80)), 0);
}

} // namespace
} // namespace pictavo
