#include "render_test_support.h"

#include "effects/transition_settings.h"

#include <gtest/gtest.h>

namespace pictavo::test {

std::string writeSolidPhoto(const TempDir& dir, const std::string& name, int width, int height,
                            QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    const std::string path = dir.file(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    return path;
}

std::unique_ptr<Slideshow> makeSlideshow(const TempDir& dir, const std::vector<PhotoSpec>& photos)
{
    auto slideshow = std::make_unique<Slideshow>("show", dir.path());
    const PhotoSettings defaults;
    for (std::size_t i = 0; i < photos.size(); ++i) {
        const PhotoSpec& wanted = photos[i];
        const std::string path =
            writeSolidPhoto(dir, "photo" + std::to_string(i) + ".png", 128, 96, wanted.colour);
        EXPECT_EQ(slideshow->addPhoto(path, defaults), 0) << path;
        PhotoEffect& effect = slideshow->photo(static_cast<int>(i))->settings.effect;
        effect.displaySeconds = wanted.displaySeconds;
        effect.transitionSeconds = wanted.transitionSeconds;
        effect.imageEffectId = wanted.motion;
        auto transition = TransitionSettings::createDefault(wanted.transition);
        EXPECT_TRUE(transition != nullptr);
        if (transition)
            transition->setParameters(wanted.transitionParameter);
        effect.setTransition(transition.get());
    }
    slideshow->recomputeTiming();
    return slideshow;
}

int RecordingSink::deliver(RenderJob& job)
{
    if (keepFrames)
        kept.push_back(job.canvas.copy(job.frameRect));
    if (stopAfter > 0 && frames() + 1 == stopAfter && stopEvent != nullptr)
        stopEvent->set();
    return NullSink::deliver(job);
}

ProductionFixture::ProductionFixture(const Slideshow& slideshow, FrameSink& sink, int width,
                                     int height)
{
    request.slideshow = &slideshow;
    job.mode = RenderMode::Production;
    job.productionRequest = &request;
    job.sink = &sink;
    job.progressStep = progressStepFor(slideshow.totalFrames());
    EXPECT_TRUE(prepareJobFrame(job, width, height));
}

} // namespace pictavo::test
