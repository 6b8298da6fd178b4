// Canvas to YUV 4:2:0 conversion: our conversion (and each of its inner loops) against libyuv's
// ARGBToI420 on frames of the common output sizes. libyuv uses other coefficients and rounding,
// so only the speed is compared. Run single-threaded; compare the times of
// Canvas/<w>/<h> with Libyuv/<w>/<h>.

#include "render/yuv_converter.h"
#include "render/yuv_converter_simd.h"

#include <QImage>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#if PICTAVO_HAVE_LIBYUV
#include <libyuv/convert.h>
#endif

namespace {

QImage randomCanvas(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(1234);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = random() | 0xFF000000u;
    }
    return image;
}

void setFrameCounters(benchmark::State& state, int width, int height)
{
    state.SetItemsProcessed(state.iterations() * std::int64_t(width) * height);
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void Canvas(benchmark::State& state)
{
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    const QImage canvas = randomCanvas(width, height);
    const pictavo::I420Layout layout = pictavo::i420Layout(width, height);
    std::vector<std::uint8_t> frame(layout.totalBytes);
    for (auto _ : state) {
        pictavo::convertCanvasToI420(canvas, frame.data(), frame.size());
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    setFrameCounters(state, width, height);
}

void CanvasLoop(benchmark::State& state)
{
    const auto loop = pictavo::yuv::Loop(state.range(0));
    const int width = int(state.range(1));
    const int height = int(state.range(2));
    if (!pictavo::yuv::rowPairLoop(loop)) {
        state.SkipWithError("loop not available on this machine");
        return;
    }
    const QImage canvas = randomCanvas(width, height);
    const pictavo::I420Layout layout = pictavo::i420Layout(width, height);
    std::vector<std::uint8_t> frame(layout.totalBytes);
    std::uint8_t* y = frame.data();
    for (auto _ : state) {
        pictavo::yuv::convertCanvasWith(loop, canvas, y, width, y + layout.cbOffset, width / 2,
                                        y + layout.crOffset, width / 2);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    setFrameCounters(state, width, height);
}

void Plain(benchmark::State& state)
{
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    std::vector<std::uint8_t> rgb(std::size_t(width) * height * 3);
    std::mt19937 random(99);
    for (std::uint8_t& b : rgb)
        b = std::uint8_t(random());
    const pictavo::I420Layout layout = pictavo::i420Layout(width, height);
    std::vector<std::uint8_t> frame(layout.totalBytes);
    std::uint8_t* y = frame.data();
    for (auto _ : state) {
        pictavo::convertRgb24ToI420(y, y + layout.cbOffset, y + layout.crOffset, rgb.data(), width,
                                    height, width);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    setFrameCounters(state, width, height);
}

#if PICTAVO_HAVE_LIBYUV
void Libyuv(benchmark::State& state)
{
    const int width = int(state.range(0));
    const int height = int(state.range(1));
    const QImage canvas = randomCanvas(width, height);
    const pictavo::I420Layout layout = pictavo::i420Layout(width, height);
    std::vector<std::uint8_t> frame(layout.totalBytes);
    std::uint8_t* y = frame.data();
    for (auto _ : state) {
        libyuv::ARGBToI420(canvas.constBits(), int(canvas.bytesPerLine()), y, width,
                           y + layout.cbOffset, width / 2, y + layout.crOffset, width / 2, width,
                           height);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    setFrameCounters(state, width, height);
}
BENCHMARK(Libyuv)->Args({720, 480})->Args({960, 540})->Unit(benchmark::kMicrosecond);
#endif

BENCHMARK(Canvas)->Args({720, 480})->Args({960, 540})->Unit(benchmark::kMicrosecond);
BENCHMARK(CanvasLoop)
    ->ArgNames({"loop", "w", "h"})
    ->ArgsProduct({{int(pictavo::yuv::Loop::Portable), int(pictavo::yuv::Loop::Sse2),
                    int(pictavo::yuv::Loop::Avx2), int(pictavo::yuv::Loop::Avx2Vnni),
                    int(pictavo::yuv::Loop::Avx512Vnni)},
                   {720},
                   {480}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(Plain)->Args({720, 480})->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
