#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <variant>

namespace pictavo {

// The kinds of entries in a photo's edit list, with their stored codes.
enum class PhotoEditKind : int {
    Text = 0,
    Image = 1,
    Crop = 2,
    RotateLeft90 = 3,
    RotateRight90 = 4,
    Rotate180 = 5,
    FlipHorizontally = 6,
    FlipVertically = 7,
};

// The element name of a kind in the project file ("Text", "Image", "Crop", "RotateLeft90",
// "RotateRight90", "Rotate180", "FlipHorizontally", "FlipVertically"); "" for other values.
const char* photoEditElementName(PhotoEditKind kind);

// The logical font of a text overlay while it is being edited.
struct FontDescription {
    int height = 16; // display pixels; positive = cell height
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 400; // 400 normal, 700 bold
    unsigned char italic = 0;
    unsigned char underline = 0;
    unsigned char strikeOut = 0;
    unsigned char charSet = 1;
    unsigned char outPrecision = 0;
    unsigned char clipPrecision = 0;
    unsigned char quality = 0;
    unsigned char pitchAndFamily = 0;
    std::string faceName = "Arial"; // at most 31 characters
};

// A text placed on the photo; the box is in display pixels of the editor's canvas.
struct TextOverlay {
    static constexpr std::size_t kMaxFaceNameLength = 30;

    std::string text;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    std::string faceName; // at most 30 characters
    int fontHeight = 0;
    int fontWeight = 0;
    int italic = 0; // 0 or 1
    int colour = 0; // 0x00BBGGRR
    FontDescription font;
};

// A decoration picture placed on the photo.
struct ImageOverlay {
    std::string imageName; // path of the decoration picture
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

// A crop rectangle by its upper-left and lower-right corners.
struct CropEdit {
    struct Point {
        int x = 0;
        int y = 0;
    };
    Point upleft;
    Point downright;
};

// One entry of a photo's edit list: its kind and, for texts, decorations and crops, the payload.
struct PhotoEdit {
    using Payload = std::variant<std::monostate, TextOverlay, ImageOverlay, CropEdit>;

    PhotoEditKind kind = PhotoEditKind::RotateLeft90;
    Payload payload;

    static PhotoEdit text(TextOverlay overlay) { return {PhotoEditKind::Text, std::move(overlay)}; }
    static PhotoEdit image(ImageOverlay overlay)
    {
        return {PhotoEditKind::Image, std::move(overlay)};
    }
    static PhotoEdit crop(CropEdit crop) { return {PhotoEditKind::Crop, crop}; }
    // An entry without payload (the rotations and flips).
    static PhotoEdit simple(PhotoEditKind kind) { return {kind, std::monostate()}; }

    // The payload of its kind; nullptr when the entry holds another one.
    const TextOverlay* textOverlay() const { return std::get_if<TextOverlay>(&payload); }
    const ImageOverlay* imageOverlay() const { return std::get_if<ImageOverlay>(&payload); }
    const CropEdit* cropEdit() const { return std::get_if<CropEdit>(&payload); }
};

} // namespace pictavo
