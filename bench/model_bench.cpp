// Adding many camera-sized photos to a slideshow and making their thumbnails.
#include "core/notifier.h"
#include "model/project.h"
#include "raster/raster_image.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kPhotoCount = 200;

// 200 copies of one 4000 x 3000 JPEG with enough detail to weigh a few MB, made once.
struct PhotoFolder {
    QTemporaryDir dir;
    std::vector<std::string> photos;
    std::string workingFolder;

    PhotoFolder()
    {
        QImage image(4000, 3000, QImage::Format_RGB32);
        unsigned noise = 12345;
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                noise = noise * 1103515245u + 12345u;
                const int grain = static_cast<int>((noise >> 16) & 15);
                line[x] = qRgb((x / 16 + grain) & 255, (y / 12 + grain) & 255,
                               ((x + y) / 28 + grain) & 255);
            }
        }
        const QString first = dir.filePath("photo_000.jpg");
        image.save(first, "JPG", 90);
        photos.push_back(first.toStdString());
        for (int i = 1; i < kPhotoCount; ++i) {
            const QString copy = dir.filePath(QString("photo_%1.jpg").arg(i, 3, 10, QChar('0')));
            QFile::copy(first, copy);
            photos.push_back(copy.toStdString());
        }
        workingFolder = dir.filePath("Project_1").toStdString();
        QDir().mkpath(QString::fromStdString(workingFolder + "/temp"));
    }
};

PhotoFolder& photoFolder()
{
    static PhotoFolder folder;
    return folder;
}

void BM_AddPhotos(benchmark::State& state)
{
    PhotoFolder& folder = photoFolder();
    state.counters["file MB"] =
        QFileInfo(QString::fromStdString(folder.photos.front())).size() / 1048576.0;
    for (auto _ : state) {
        state.PauseTiming();
        auto project = std::make_unique<pictavo::Project>();
        project->folders() = pictavo::ProjectFolders::forWorkingFolder(folder.workingFolder);
        project->addSlideshow("Bench");
        pictavo::Slideshow& show = *project->slideshow(0);
        state.ResumeTiming();
        for (const std::string& path : folder.photos) {
            if (show.addPhoto(path, project->defaults()) != 0)
                state.SkipWithError("a photo was refused");
        }
        benchmark::DoNotOptimize(show.totalFrames());
        state.PauseTiming();
        project.reset();
        state.ResumeTiming();
    }
    state.counters["photos"] = kPhotoCount;
}
BENCHMARK(BM_AddPhotos)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OneThumbnail(benchmark::State& state)
{
    pictavo::PhotoItem photo;
    if (!photo.create(photoFolder().photos.front()))
        state.SkipWithError("cannot open the photo");
    for (auto _ : state) {
        if (!photo.makeThumbnail(1, true))
            state.SkipWithError("no thumbnail");
        benchmark::DoNotOptimize(photo.thumbnail.constBits());
    }
}
BENCHMARK(BM_OneThumbnail)->Unit(benchmark::kMillisecond);

// The share of the thumbnail time spent in the bounded decode alone.
void BM_BoundedDecode(benchmark::State& state)
{
    const std::string& path = photoFolder().photos.front();
    for (auto _ : state) {
        pictavo::DecodedImage decoded = pictavo::decodeImage(path, QSize(80, 60));
        benchmark::DoNotOptimize(decoded.image.constBits());
        state.counters["decoded width"] = decoded.image.width();
    }
}
BENCHMARK(BM_BoundedDecode)->Unit(benchmark::kMillisecond);

void BM_AllThumbnails(benchmark::State& state)
{
    std::vector<pictavo::PhotoItem> photos(kPhotoCount);
    for (int i = 0; i < kPhotoCount; ++i)
        photos[i].create(photoFolder().photos[i]);
    for (auto _ : state) {
        for (pictavo::PhotoItem& photo : photos)
            photo.makeThumbnail(1, true);
    }
    state.counters["photos"] = kPhotoCount;
}
BENCHMARK(BM_AllThumbnails)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    pictavo::PrintingNotifier printing;
    pictavo::installNotifier(&printing);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
