#pragma once

// Fixtures of the pipeline tests: tiny generated photos in a slideshow and a job set up for a
// run of a given mode.

#include "core/auto_reset_event.h"
#include "model/slideshow.h"
#include "render/frame_sink.h"
#include "render/render_job.h"
#include "support/temp_dir.h"

#include <QImage>
#include <memory>
#include <string>
#include <vector>

namespace pictavo::test {

// Writes a width x height PNG of one colour; returns its path.
std::string writeSolidPhoto(const TempDir& dir, const std::string& name, int width, int height,
                            QRgb colour);

struct PhotoSpec {
    QRgb colour;
    int displaySeconds;
    int transitionSeconds;
    TransitionType transition = kTransitionAlpha;
    int transitionParameter = 0;
    ImageEffectType motion = kImageEffectNone;
};

// A slideshow of solid-colour photos (128 x 96 PNG files) with the given settings.
std::unique_ptr<Slideshow> makeSlideshow(const TempDir& dir, const std::vector<PhotoSpec>& photos);

// Remembers every frame (optionally), can request a stop after a given frame and can answer
// with a code like an encoder that refuses a frame.
class RecordingSink : public NullSink {
public:
    int deliver(RenderJob& job) override;

    bool keepFrames = false;
    std::vector<QImage> kept;
    // After this many frames the stop event is signalled (0: never).
    int stopAfter = 0;
    AutoResetEvent* stopEvent = nullptr;
};

// A production job of width x height over the slideshow with the sink.
struct ProductionFixture {
    ProductionRequest request;
    RenderJob job;
    ProductionFixture(const Slideshow& slideshow, FrameSink& sink, int width = 64, int height = 48);
};

} // namespace pictavo::test
