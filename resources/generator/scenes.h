#pragma once

// The sample photos that ship with the program: landscapes painted from gradients, ridge lines,
// soft low-resolution noise and a few shapes. Every scene is the same on every build.

#include <QImage>
#include <string>
#include <vector>

namespace pictavo::resources {

struct ScenePhoto {
    // Path below the application folder, e.g. "menu_pic/0.jpg".
    std::string relativePath;
    int width = 0;
    int height = 0;
    // Paints the scene at the photo's size.
    QImage (*paint)(int width, int height) = nullptr;
};

// Every photo the generator writes: the two sample photos of the effects tab first, then the
// photos of the demo project (one of them portrait, three wider than 4:3).
const std::vector<ScenePhoto>& scenePhotos();

} // namespace pictavo::resources
