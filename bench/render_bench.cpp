// Render throughput of the frame pipeline: a 10-photo slideshow at 720 x 480 with a motion
// effect on every photo and the Alpha transition between them, rendered into a sink that only
// counts (decoding, scaling, motion and transition drawing included). Also the cost of the
// encoder sink per frame (conversion of the canvas to I420, encoder call left out).
// Run single-threaded.

#include "effects/transition_settings.h"
#include "model/slideshow.h"
#include "render/frame_sink.h"
#include "render/render_job.h"
#include "render/yuv_converter.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace pictavo;

// Photos of camera-like content (gradients and noise) as JPEG files, made once.
class PhotoSet {
public:
    PhotoSet()
    {
        std::mt19937 random(42);
        for (int i = 0; i < 10; ++i) {
            const bool portrait = i % 4 == 3;
            QImage image(portrait ? 1200 : 1600, portrait ? 1600 : 1200, QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    const int noise = static_cast<int>(random() % 32);
                    row[x] = qRgb((x / 7 + i * 40 + noise) & 255, (y / 5 + noise) & 255,
                                  ((x + y) / 11 + i * 20) & 255);
                }
            }
            const QString path = dir_.filePath(QString("photo%1.jpg").arg(i));
            image.save(path, "JPEG", 90);
            paths_.push_back(path.toStdString());
        }
    }
    const std::vector<std::string>& paths() const { return paths_; }
    std::string folder() const { return dir_.path().toStdString(); }

private:
    QTemporaryDir dir_;
    std::vector<std::string> paths_;
};

const PhotoSet& photos()
{
    static const PhotoSet set;
    return set;
}

std::unique_ptr<Slideshow> motionSlideshow()
{
    auto slideshow = std::make_unique<Slideshow>("bench", photos().folder());
    const PhotoSettings defaults;
    const auto alpha = TransitionSettings::createDefault(kTransitionAlpha);
    for (std::size_t i = 0; i < photos().paths().size(); ++i) {
        slideshow->addPhoto(photos().paths()[i], defaults);
        PhotoEffect& effect = slideshow->photo(static_cast<int>(i))->settings.effect;
        effect.displaySeconds = 3;
        effect.transitionSeconds = 2;
        effect.imageEffectId = static_cast<int>((i * 7) % 20); // pans, zooms and rotations
        effect.setTransition(alpha.get());
    }
    slideshow->recomputeTiming();
    return slideshow;
}

void BM_RenderSlideshow720x480(benchmark::State& state)
{
    const auto slideshow = motionSlideshow();
    long long frames = 0;
    for (auto _ : state) {
        NullSink sink;
        ProductionRequest request;
        request.slideshow = slideshow.get();
        RenderJob job;
        job.mode = RenderMode::Production;
        job.productionRequest = &request;
        job.sink = &sink;
        prepareJobFrame(job, 720, 480);
        benchmark::DoNotOptimize(runSlideshowSteps(job, 25));
        frames += sink.frames();
    }
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderSlideshow720x480)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_EncoderSinkPerFrame(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    RenderJob job;
    job.mode = RenderMode::Production;
    prepareJobFrame(job, width, height);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(job.canvas.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = random() | 0xFF000000u;
    }
    ProductionRequest request;
    job.productionRequest = &request;
    job.encodeFrame = [](const std::uint8_t* frame) { return frame[0] == 1 ? 0 : 0; };
    std::vector<std::uint8_t> yuv(i420Layout(width, height).totalBytes);
    EncoderSink sink(yuv.data(), yuv.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(sink.deliver(job));
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EncoderSinkPerFrame)
    ->Args({720, 480})
    ->Args({960, 540})
    ->Unit(benchmark::kMicrosecond)
    ->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
