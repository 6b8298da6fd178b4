#include "model/photo_edit.h"

namespace pictavo {

const char* photoEditElementName(PhotoEditKind kind)
{
    switch (kind) {
    case PhotoEditKind::Text:
        return "Text";
    case PhotoEditKind::Image:
        return "Image";
    case PhotoEditKind::Crop:
        return "Crop";
    case PhotoEditKind::RotateLeft90:
        return "RotateLeft90";
    case PhotoEditKind::RotateRight90:
        return "RotateRight90";
    case PhotoEditKind::Rotate180:
        return "Rotate180";
    case PhotoEditKind::FlipHorizontally:
        return "FlipHorizontally";
    case PhotoEditKind::FlipVertically:
        return "FlipVertically";
    }
    return "";
}

} // namespace pictavo
