// Frames per second of the Shutter, Spin, Sweep, Twist, Wipe and Zoom transitions at 720 x 480
// with 60 transition frames, in the production canvas format, into a sink that only counts.
// One iteration is one step of 60 transition frames (loading the incoming photo included);
// the "frames_per_second" counter is the figure to read. Each transition runs with the incoming
// photo still (motion "none") and with a centre zoom, whose per-frame motion drawing is part of
// every moving-incoming transition. Times are the process's CPU time (all of Qt's threads
// included), so the figures hold on a busy machine too; run it pinned to one core
// (taskset -c 0) for the one-core figure.

#include "effects/transition_settings.h"
#include "model/slideshow.h"
#include "render/frame_sink.h"
#include "render/render_job.h"
#include "render/transition_renderer.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace pictavo;

constexpr int kWidth = 720;
constexpr int kHeight = 480;
constexpr int kTransitionFrames = 60;

QImage pattern(int seed)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x)
            row[x] = qRgb((x / 3 + seed * 90) & 255, (y / 2 + seed * 40) & 255,
                          ((x + y) / 5 + seed * 70) & 255);
    }
    return image;
}

// Two photos in a temporary folder; photo 1 comes in with the transition under test.
class BenchStep {
public:
    BenchStep(TransitionType type, int first, int second, ImageEffectType motion)
        : slideshow_("bench", folder_.path().toStdString())
    {
        const PhotoSettings defaults;
        for (int i = 0; i < 2; ++i) {
            const QString path = folder_.filePath(QString("photo%1.png").arg(i));
            pattern(i).save(path, "PNG");
            slideshow_.addPhoto(path.toStdString(), defaults);
        }
        settings_ = TransitionSettings::createDefault(type);
        settings_->setParameters(first, second);
        PhotoEffect& effect = slideshow_.photo(1)->settings.effect;
        effect.setTransition(settings_.get());
        effect.imageEffectId = motion;
        request_.slideshow = &slideshow_;
        job_.mode = RenderMode::Production;
        job_.productionRequest = &request_;
        job_.sink = &sink_;
        prepareJobFrame(job_, kWidth, kHeight);
        outgoing_ = pattern(0);
        type_ = type;
    }

    // One whole step of transition frames; the result of the renderer.
    int run()
    {
        QPainter(&job_.canvas).drawImage(0, 0, outgoing_);
        job_.counter = 1;
        job_.transitionFrames = kTransitionFrames;
        job_.stepFrames = kTransitionFrames;
        return renderTransitionStep(type_, job_);
    }

    long long frames() const { return sink_.frames(); }

private:
    QTemporaryDir folder_;
    Slideshow slideshow_;
    std::unique_ptr<TransitionSettings> settings_;
    ProductionRequest request_;
    NullSink sink_;
    RenderJob job_;
    QImage outgoing_;
    TransitionType type_ = 0;
};

void transitionStep(benchmark::State& state, TransitionType type, int first, int second)
{
    BenchStep step(type, first, second, static_cast<ImageEffectType>(state.range(0)));
    for (auto _ : state) {
        if (step.run() != 0) {
            state.SkipWithError("the step did not run to its end");
            break;
        }
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(step.frames()), benchmark::Counter::kIsRate);
}

// Motion ids: 20 = none, 8 = zoom centre in.
#define TRANSITION_BENCH(name, type, first, second)                                                \
    BENCHMARK_CAPTURE(transitionStep, name, type, first, second)                                   \
        ->Arg(kImageEffectNone)                                                                    \
        ->Arg(8)                                                                                   \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->MeasureProcessCPUTime()

TRANSITION_BENCH(shutter_vertical_w40, kTransitionShutter, 0, 40);
TRANSITION_BENCH(shutter_horizontal_w1, kTransitionShutter, 1, 1);
TRANSITION_BENCH(spin_clockwise, kTransitionSpin, 0, 0);
TRANSITION_BENCH(sweep_left_to_right_w40, kTransitionSweep, 0, 40);
TRANSITION_BENCH(sweep_bottom_to_top_w80, kTransitionSweep, 2, 80);
TRANSITION_BENCH(twist_left_to_right, kTransitionTwist, 0, 0);
TRANSITION_BENCH(wipe_left_to_right_push, kTransitionWipe, 0, 1);
TRANSITION_BENCH(wipe_up_to_bottom_no_push, kTransitionWipe, 3, 0);
TRANSITION_BENCH(zoom_in, kTransitionZoom, 0, 0);
TRANSITION_BENCH(zoom_out, kTransitionZoom, 1, 0);

} // namespace

BENCHMARK_MAIN();
