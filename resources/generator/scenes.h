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
// photos of the demo project (one of them portrait, two wider than 4:3).
const std::vector<ScenePhoto>& scenePhotos();

// The single scenes, for tests of the generator itself and for the covers.
QImage paintSunsetSea(int width, int height);
QImage paintMountainLake(int width, int height);
QImage paintFlowerMeadow(int width, int height);
QImage paintMoonlitLake(int width, int height);
QImage paintDesertDunes(int width, int height);
QImage paintBalloonMorning(int width, int height);
QImage paintSnowPeaks(int width, int height);
QImage paintPalmBeach(int width, int height);
QImage paintCityDusk(int width, int height);
QImage paintAutumnHills(int width, int height);

} // namespace pictavo::resources
