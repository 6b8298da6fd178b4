#pragma once

// The demo project that ships with the program: two slideshows of the sample photos with
// varied transitions and motions, and the default music.

#include <string>
#include <vector>

namespace pictavo::resources {

struct DemoPhoto {
    std::string file; // below "samples/photos"
    int transition;   // TransitionType
    int first;        // transition parameters
    int second;
    int motion; // ImageEffectType
    int displaySeconds;
    int transitionSeconds;
};

struct DemoSlideshow {
    std::string name;
    std::vector<DemoPhoto> photos;
};

const std::vector<DemoSlideshow>& demoSlideshows();

// Path of the demo project below the application folder.
inline constexpr const char* kDemoProjectPath = "samples/demo.prg";

// Writes "samples/demo.prg" under the application folder (the sample photos must exist).
// Photo and music paths in the file are relative to its folder; the project's working folder
// is "samples/demo" under the application folder, whose "temp" folder is created here. False
// with a reason when a photo cannot be added or the file cannot be written.
bool writeDemoProject(const std::string& applicationFolder, std::string& error);

} // namespace pictavo::resources
