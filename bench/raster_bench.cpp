// Decoding speed of camera-sized photos: full size, bounded for thumbnails and frames, the
// header check used when photos are added, and the editor's resampling and saving.

#include "raster/raster_image.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <random>

namespace {

using namespace pictavo;

// A 12-megapixel photo-like JPEG (smooth shapes with sensor-like noise), made once.
const std::string& photoPath()
{
    static QTemporaryDir dir;
    static const std::string path = [] {
        const std::string file = dir.filePath("photo.jpg").toStdString();
        QImage image(4000, 3000, QImage::Format_RGB32);
        std::mt19937 random(7);
        std::uniform_int_distribution<int> noise(-6, 6);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const double wave = 60.0 * std::sin(x / 170.0) * std::cos(y / 230.0);
                const int r = std::clamp(int(120 + wave + x / 40) + noise(random), 0, 255);
                const int g = std::clamp(int(100 - wave + y / 30) + noise(random), 0, 255);
                const int b = std::clamp(int(140 + wave / 2) + noise(random), 0, 255);
                line[x] = qRgb(r, g, b);
            }
        }
        if (!saveImage(image, file).ok())
            std::abort();
        return file;
    }();
    return path;
}

void decode(benchmark::State& state, QSize bound)
{
    const std::string& path = photoPath();
    state.counters["file_MB"] = double(QFileInfo(QString::fromStdString(path)).size()) / 1e6;
    for (auto _ : state) {
        DecodedImage decoded = decodeImage(path, bound);
        if (!decoded.ok())
            state.SkipWithError(decoded.error.c_str());
        benchmark::DoNotOptimize(decoded.image.constBits());
    }
}

void BM_DecodeFullSize(benchmark::State& state)
{
    decode(state, QSize());
}
BENCHMARK(BM_DecodeFullSize)->Unit(benchmark::kMillisecond);

void BM_DecodeBounded80x60(benchmark::State& state)
{
    decode(state, QSize(80, 60));
}
BENCHMARK(BM_DecodeBounded80x60)->Unit(benchmark::kMillisecond);

void BM_DecodeBounded720x480(benchmark::State& state)
{
    decode(state, QSize(720, 480));
}
BENCHMARK(BM_DecodeBounded720x480)->Unit(benchmark::kMillisecond);

// A whole 80 x 60 thumbnail: bounded decode, then fitted onto white with smooth scaling.
void BM_Thumbnail80x60(benchmark::State& state)
{
    const std::string& path = photoPath();
    for (auto _ : state) {
        const DecodedImage decoded = decodeImage(path, QSize(80, 60));
        QImage thumbnail(80, 60, QImage::Format_RGB888);
        thumbnail.fill(Qt::white);
        QPainter painter(&thumbnail);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, 80, 60), decoded.image);
        painter.end();
        benchmark::DoNotOptimize(thumbnail.constBits());
    }
}
BENCHMARK(BM_Thumbnail80x60)->Unit(benchmark::kMillisecond);

void BM_HeaderCheck(benchmark::State& state)
{
    const std::string& path = photoPath();
    for (auto _ : state) {
        const ImageProbe probe = probeImage(path);
        if (!probe.ok())
            state.SkipWithError(probe.error.c_str());
        benchmark::DoNotOptimize(probe.size);
    }
}
BENCHMARK(BM_HeaderCheck)->Unit(benchmark::kMicrosecond);

// Adding 200 photos checks 200 headers.
void BM_HeaderCheck200(benchmark::State& state)
{
    const std::string& path = photoPath();
    for (auto _ : state) {
        for (int i = 0; i < 200; ++i)
            benchmark::DoNotOptimize(probeImage(path).size);
    }
}
BENCHMARK(BM_HeaderCheck200)->Unit(benchmark::kMillisecond);

void BM_ResampleToDisplay(benchmark::State& state)
{
    const QImage full = decodeImage(photoPath()).image;
    for (auto _ : state)
        benchmark::DoNotOptimize(resample(full, QSize(640, 480)).constBits());
}
BENCHMARK(BM_ResampleToDisplay)->Unit(benchmark::kMillisecond);

void BM_RotateRight90(benchmark::State& state)
{
    const QImage full = decodeImage(photoPath()).image;
    for (auto _ : state)
        benchmark::DoNotOptimize(rotateRight90(full).constBits());
}
BENCHMARK(BM_RotateRight90)->Unit(benchmark::kMillisecond);

void BM_SaveBmp(benchmark::State& state)
{
    const QImage full = decodeImage(photoPath()).image;
    QTemporaryDir dir;
    const std::string path = dir.filePath("copy.bmp").toStdString();
    for (auto _ : state) {
        if (!saveBmp(full, path).ok())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveBmp)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
