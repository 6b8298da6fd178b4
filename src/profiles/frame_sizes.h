#pragma once

#include <array>
#include <string_view>

namespace pictavo {

// One entry of the frame-size vocabulary: the text a profile's video size parameter uses and
// the frame it names.
struct FrameSize {
    std::string_view text;
    int width = 0;
    int height = 0;
};

// The fixed vocabulary of frame sizes, in look-up order ("720x480" first).
extern const std::array<FrameSize, 22> kFrameSizes;

// The entry whose text equals the given text exactly (first match wins); nullptr when the text
// names no usable frame size.
const FrameSize* findFrameSize(std::string_view text);

} // namespace pictavo
