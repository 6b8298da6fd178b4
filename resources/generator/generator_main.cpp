// Makes the pictures and the demo project that ship with the program, into the application
// folder: the sample photos, the transition covers, the decorations, the placeholder picture
// and samples/demo.prg. Everything is drawn here; the covers come from the program's own
// transition renderers.
//
// Usage: pictavo_resource_generator <application folder> [--timings]

#include "clip_art.h"
#include "demo_project.h"
#include "effect_covers.h"
#include "scenes.h"

#include "core/app_paths.h"
#include "effects/effect_catalogue.h"
#include "raster/raster_image.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

using namespace pictavo;
using namespace pictavo::resources;
namespace fs = std::filesystem;

bool save(const QImage& image, const std::string& path, bool bmp = false)
{
    std::error_code ignored;
    fs::create_directories(fs::path(path).parent_path(), ignored);
    const RasterStatus status = bmp ? saveBmp(image, path) : saveImage(image, path);
    if (!status.ok())
        std::fprintf(stderr, "resource generator: %s\n", status.error.c_str());
    return status.ok();
}

class Phase {
public:
    explicit Phase(bool report) : report_(report) { timer_.start(); }
    void done(const char* what)
    {
        if (report_)
            std::fprintf(stderr, "%-12s %6lld ms\n", what,
                         static_cast<long long>(timer_.restart()));
    }

private:
    bool report_;
    QElapsedTimer timer_;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <application folder> [--timings]\n", argv[0]);
        return 1;
    }
    const std::string appFolder = fs::absolute(argv[1]).lexically_normal().string();
    const bool timings = argc > 2 && std::string(argv[2]) == "--timings";
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    initializeRaster();
    setApplicationFolder(appFolder);
    setWritableFolder(appFolder);

    Phase phase(timings);
    bool ok = true;
    for (const ScenePhoto& photo : scenePhotos())
        ok = save(photo.paint(photo.width, photo.height), appFolder + "/" + photo.relativePath) &&
             ok;
    phase.done("photos");

    for (const ClipArt& art : clipArts())
        ok = save(art.paint(), appFolder + "/decorate_pics/" + art.category + "/" + art.fileName) &&
             ok;
    ok = save(paintPlaceholder(), appFolder + "/res/defaultImage.bmp", true) && ok;
    phase.done("clip-art");

    const std::string first = appFolder + "/menu_pic/0.jpg";
    const std::string second = appFolder + "/menu_pic/1.jpg";
    std::vector<QImage> covers;
    for (TransitionType type = 0; type < kConcreteTransitionCount; ++type) {
        QImage cover = transitionMidFrame(type, first, second, kCoverWidth, kCoverHeight);
        if (cover.isNull()) {
            // A renderer that ends before its mid-point: the cover shows the incoming photo,
            // as a cut would, and the build goes on.
            std::fprintf(stderr, "resource generator: warning: no mid-point frame for %s\n",
                         transitionName(type).c_str());
            cover = decodeImage(second).image.scaled(
                kCoverWidth, kCoverHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        ok = save(cover, appFolder + "/EffectCover/" +
                             transitionCoverFile(pickPositionOfTransition(type))) &&
             ok;
        covers.push_back(cover);
    }
    ok = save(randomCoverMontage(covers),
              appFolder + "/EffectCover/" +
                  transitionCoverFile(pickPositionOfTransition(kTransitionRandom))) &&
         ok;
    phase.done("covers");

    std::string error;
    if (!writeDemoProject(appFolder, error)) {
        std::fprintf(stderr, "resource generator: %s\n", error.c_str());
        ok = false;
    }
    phase.done("demo");
    return ok ? 0 : 1;
}
