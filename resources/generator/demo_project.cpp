#include "demo_project.h"

#include "core/random.h"
#include "effects/effect_catalogue.h"
#include "effects/transition_settings.h"
#include "model/project.h"
#include "model/project_file.h"

#include <filesystem>
#include <system_error>

namespace pictavo::resources {

namespace {

namespace fs = std::filesystem;

// The coarse mode a motion belongs to, as the effects tab would have stored it.
ImageEffectMode modeOfMotion(ImageEffectType motion)
{
    if (motion >= kImageEffectFirstPan && motion <= kImageEffectLastPan)
        return kImageEffectModePan;
    if (motion >= kImageEffectFirstZoom && motion <= kImageEffectLastZoom)
        return kImageEffectModePanZoom;
    if (motion == kImageEffectZoomInRotate || motion == kImageEffectZoomOutRotate)
        return kImageEffectModePanZoomRotate;
    return kImageEffectModeNone;
}

} // namespace

const std::vector<DemoSlideshow>& demoSlideshows()
{
    // The first photo's transition is never shown (a slideshow opens by fading in from
    // white); it is kept at Alpha.
    static const std::vector<DemoSlideshow> slideshows = {
        {"Landscapes",
         {
             {"01.jpg", kTransitionAlpha, 0, 0, 8, 3, 2},    // zoom center in
             {"05.jpg", kTransitionBlinds, 1, 6, 0, 4, 2},   // right to left, 6 blinds; pan
             {"03.jpg", kTransitionCircle, 0, 60, 14, 3, 2}, // small to big; zoom left-up out
             {"08.jpg", kTransitionClock, 1, 1, 18, 4, 2},   // 2 hands, smooth; zoom + rotate
             {"02.jpg", kTransitionCubeFly, 2, 0, 13, 4, 2}, // left to right; zoom center out
         }},
        {"Journey",
         {
             {"06.jpg", kTransitionAlpha, 1, 0, 1, 3, 2},   // pan right to left
             {"04.jpg", kTransitionDoor, 0, 0, 7, 4, 2},    // open door; pan down to up
             {"07.jpg", kTransitionWipe, 2, 1, 12, 3, 2},   // bottom to up, push
             {"01.jpg", kTransitionPolygon, 5, 1, 3, 3, 2}, // 5 pieces fly out; pan
             {"05.jpg", kTransitionSweep, 3, 30, 19, 4, 2}, // up to bottom; zoom out + rotate
             {"03.jpg", kTransitionZoom, 0, 0, kImageEffectNone, 3, 2},
         }},
    };
    return slideshows;
}

bool writeDemoProject(const std::string& applicationFolder, std::string& error)
{
    const std::string samples = applicationFolder + "/samples";
    Project project;
    seedRandom(20240611u);
    project.folders() = ProjectFolders::forWorkingFolder(samples + "/demo");
    project.defaults().tempFolder = project.folders().tempFolder;
    project.defaults().outputFolder = project.folders().outputFolder;
    std::error_code ignored;
    fs::create_directories(project.folders().tempFolder, ignored);

    for (const DemoSlideshow& show : demoSlideshows()) {
        if (project.addSlideshow(show.name) != 0) {
            error = "slideshow " + show.name + " is refused";
            return false;
        }
        Slideshow& slideshow = *project.slideshow(project.slideshowCount() - 1);
        AudioTrack music;
        music.originalPath = "../menu_pic/default.mp3";
        music.name = "default.mp3";
        slideshow.music().push_back(music);
        for (const DemoPhoto& entry : show.photos) {
            const std::string relative = "photos/" + entry.file;
            if (slideshow.addPhoto(samples + "/" + relative, project.defaults()) != 0) {
                error = "cannot add " + samples + "/" + relative;
                return false;
            }
            PhotoItem& photo = *slideshow.photo(slideshow.photoCount() - 1);
            photo.originalPath = relative;
            photo.workingPath = relative;
            PhotoEffect& effect = photo.settings.effect;
            auto transition = TransitionSettings::createDefault(entry.transition);
            transition->setParameters(entry.first, entry.second);
            effect.setTransition(transition.get());
            effect.imageEffectId = entry.motion;
            effect.imageEffectMode = modeOfMotion(entry.motion);
            effect.displaySeconds = entry.displaySeconds;
            effect.transitionSeconds = entry.transitionSeconds;
        }
        slideshow.recomputeTiming();
    }

    project.setProjectFile(applicationFolder + "/" + kDemoProjectPath);
    project.setModified(true);
    if (!saveProject(project, false)) {
        error = "cannot write " + project.projectFile();
        return false;
    }
    return true;
}

} // namespace pictavo::resources
