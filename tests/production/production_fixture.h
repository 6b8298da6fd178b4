#pragma once

// Fixtures of the production tests: generated photos in a slideshow ready for a run, profile
// files written on the spot, and the folders of the build's application folder.

#include "effects/effect_catalogue.h"
#include "model/slideshow.h"
#include "profiles/output_profile.h"
#include "support/temp_dir.h"

#include <QRgb>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace pictavo::test {

// The build's application folder: PICTAVO_APP_DIR, else the folder the tests were built for.
std::string testApplicationFolder();

// The silent music the program ships (menu_pic/silent.mp2 of the application folder).
std::string silentMusicPath();

// A photo of a slideshow under test: either four solid quadrants (top left, top right, bottom
// left, bottom right) or, with `gradient` set, a colourful gradient with a few shapes.
struct TestPhoto {
    int width = 640;
    int height = 480;
    bool gradient = true;
    std::array<QRgb, 4> quadrants{};
    int displaySeconds = 1;
    int transitionSeconds = 1;
    TransitionType transition = kTransitionAlpha;
    ImageEffectType motion = kImageEffectNone;
};

// Writes the photos as PNG files into the folder, builds a slideshow of them (timed), points
// its output file at "<folder>/show.<extension>" and its music at the shipped silent music.
std::unique_ptr<Slideshow> makeTestSlideshow(const TempDir& dir,
                                             const std::vector<TestPhoto>& photos,
                                             const std::string& extension);

// A profile file with the eight parameter texts (video codec, size, bit rate, frame rate, audio
// codec, bit rate, sample rate, channels), each the only entry of its value list; loaded into
// `profile`. False when the file does not load.
bool makeProfile(const TempDir& dir, const std::array<std::string, 8>& texts,
                 OutputProfile& profile, const std::string& extension = "mpg");

} // namespace pictavo::test
