// Frames per second of Alpha, Accordion, Blinds, Circle, Clock and Cube fly: one production step
// at 720 x 480 of 60 transition frames (no display frames) into a sink that only counts. The
// incoming photo is decoded once per step (included) and shown without motion; the outgoing
// frame is a photo-like picture. Run single-threaded; the figure is items_per_second.

#include "effects/transition_settings.h"
#include "model/slideshow.h"
#include "render/frame_sink.h"
#include "render/render_job.h"
#include "render/transition_renderer.h"

#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace pictavo;

constexpr int kWidth = 720;
constexpr int kHeight = 480;
constexpr int kFrames = 60;

QImage photoLike(int seed)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x)
            row[x] = qRgb((x / 3 + seed * 70) & 255, (y / 2 + seed * 30) & 255,
                          ((x + y) / 5 + seed * 90) & 255);
    }
    return image;
}

// Two photo files in a slideshow, made once.
class Photos {
public:
    Photos()
    {
        for (int i = 0; i < 2; ++i) {
            const QString path = dir_.filePath(QString("photo%1.jpg").arg(i));
            photoLike(i).save(path, "JPEG", 90);
            paths_[i] = path.toStdString();
        }
    }
    const std::string& path(int i) const { return paths_[i]; }
    std::string folder() const { return dir_.path().toStdString(); }

private:
    QTemporaryDir dir_;
    std::string paths_[2];
};

const Photos& photos()
{
    static const Photos set;
    return set;
}

void transitionStep(benchmark::State& state, TransitionType type, int first, int second)
{
    const auto settings = TransitionSettings::createDefault(type);
    settings->setParameters(first, second);
    Slideshow slideshow("bench", photos().folder());
    for (int i = 0; i < 2; ++i)
        slideshow.addPhoto(photos().path(i), PhotoSettings());
    PhotoEffect& effect = slideshow.photo(1)->settings.effect;
    effect.imageEffectId = kImageEffectNone;
    effect.setTransition(settings.get());

    ProductionRequest request;
    request.slideshow = &slideshow;
    NullSink sink;
    RenderJob job;
    job.mode = RenderMode::Production;
    job.productionRequest = &request;
    job.sink = &sink;
    if (!prepareJobFrame(job, kWidth, kHeight)) {
        state.SkipWithError("no frame");
        return;
    }
    const QImage outgoing = photoLike(5);
    for (auto _ : state) {
        state.PauseTiming();
        job.canvas = outgoing.copy();
        job.counter = 1;
        job.transitionFrames = kFrames;
        job.stepFrames = kFrames;
        state.ResumeTiming();
        benchmark::DoNotOptimize(renderTransitionStep(type, job));
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}

// Parameters: Alpha mode; Accordion direction; Blinds direction and count; Circle direction and
// edge width; Clock hands and smoothness; Cube fly direction.
BENCHMARK_CAPTURE(transitionStep, alpha_normal, kTransitionAlpha, 0, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(transitionStep, alpha_to_black, kTransitionAlpha, 2, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(transitionStep, accordion, kTransitionAccordion, 0, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(transitionStep, blinds_8, kTransitionBlinds, 0, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(transitionStep, circle_small_to_big_40, kTransitionCircle, 0, 40)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(transitionStep, circle_big_to_small_80, kTransitionCircle, 1, 80)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(transitionStep, clock_1_smooth, kTransitionClock, 0, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(transitionStep, clock_4_smooth, kTransitionClock, 2, 1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(transitionStep, clock_2_hard, kTransitionClock, 1, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(transitionStep, cube_fly_bottom_to_up, kTransitionCubeFly, 0, 0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(transitionStep, cube_fly_left_to_right, kTransitionCubeFly, 2, 0)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
