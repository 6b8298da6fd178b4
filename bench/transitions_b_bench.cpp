// Frames per second of the Diagonal sweep, Door, Flip, Fly, Polygon and Rotate in transitions:
// one step of 60 transition frames at 720 x 480 on the production canvas, into a sink that only
// counts. The step includes loading the incoming photo (a 720 x 480 PNG) once. Run
// single-threaded.

#include "effects/transition_settings.h"
#include "render/frame_sink.h"
#include "render/render_job.h"
#include "render/transition_renderer.h"

#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

using namespace pictavo;

constexpr int kWidth = 720;
constexpr int kHeight = 480;
constexpr int kFrames = 60;

// Camera-like pictures (gradients and noise): the outgoing frame and the incoming photo's file.
class Pictures {
public:
    Pictures()
    {
        std::mt19937 random(11);
        outgoing_ = picture(random, 0);
        incomingPath_ = dir_.filePath("incoming.png").toStdString();
        picture(random, 90).save(QString::fromStdString(incomingPath_), "PNG");
    }
    const QImage& outgoing() const { return outgoing_; }
    const std::string& incomingPath() const { return incomingPath_; }

private:
    static QImage picture(std::mt19937& random, int shift)
    {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        for (int y = 0; y < kHeight; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < kWidth; ++x) {
                const int noise = static_cast<int>(random() % 24);
                row[x] = qRgb((x / 3 + shift + noise) & 255, (y / 2 + noise) & 255,
                              ((x + y) / 5 + shift) & 255);
            }
        }
        return image;
    }

    QTemporaryDir dir_;
    QImage outgoing_;
    std::string incomingPath_;
};

const Pictures& pictures()
{
    static const Pictures set;
    return set;
}

// range(0): transition type, range(1): first parameter, range(2): second parameter.
void BM_TransitionStep(benchmark::State& state)
{
    const auto type = static_cast<TransitionType>(state.range(0));
    const auto settings = TransitionSettings::createDefault(type);
    settings->setParameters(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    TransitionPreviewRequest request;
    request.secondImagePath = pictures().incomingPath();
    request.transition = settings.get();
    request.motionEffect = kImageEffectNone;
    long long frames = 0;
    for (auto _ : state) {
        NullSink sink;
        RenderJob job;
        job.mode = RenderMode::TransitionPreview;
        job.transitionRequest = &request;
        job.sink = &sink;
        prepareJobFrame(job, kWidth, kHeight);
        job.canvas = pictures().outgoing().copy(); // the production canvas format
        job.counter = 1;
        job.transitionFrames = kFrames;
        job.stepFrames = kFrames;
        benchmark::DoNotOptimize(renderTransitionStep(type, job));
        frames += sink.frames();
    }
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_TransitionStep)
    ->ArgNames({"type", "first", "second"})
    ->Args({kTransitionDiagonalSweep, 0, 40})
    ->Args({kTransitionDiagonalSweep, 1, 1})
    ->Args({kTransitionDiagonalSweep, 1, 80})
    ->Args({kTransitionDoor, 0, 0})
    ->Args({kTransitionDoor, 1, 0})
    ->Args({kTransitionFlip, 0, 0})
    ->Args({kTransitionFlip, 1, 0})
    ->Args({kTransitionFly, 0, 0})
    ->Args({kTransitionFly, 1, 0})
    ->Args({kTransitionPolygon, 3, 1})
    ->Args({kTransitionPolygon, 7, 0})
    ->Args({kTransitionPolygon, 9, 0})
    ->Args({kTransitionRotateIn, 0, 0})
    ->Args({kTransitionRotateIn, 1, 0})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
