#pragma once

// The decorations of the photo editor (small pictures with transparent surroundings, one folder
// per category) and the placeholder picture shown where a photo cannot be drawn.

#include <QImage>
#include <string>
#include <vector>

namespace pictavo::resources {

// Side of every decoration picture.
inline constexpr int kClipArtSize = 128;

struct ClipArt {
    std::string category; // "Animal", "Dress", "Face", "Mark", "Other"
    std::string fileName; // "cat.png", ...
    QImage (*paint)();    // a kClipArtSize square, Format_ARGB32 with a transparent background
};

// Every decoration, grouped by category in the order of the editor's category list. Outlines
// are dark grey, never pure black: the editor leaves pure black pixels of a decoration out.
const std::vector<ClipArt>& clipArts();

// Size of the placeholder picture.
inline constexpr int kPlaceholderWidth = 320;
inline constexpr int kPlaceholderHeight = 240;

// A neutral picture symbol (frame, hills and sun in light greys) on a mid-grey ground.
QImage paintPlaceholder();

} // namespace pictavo::resources
