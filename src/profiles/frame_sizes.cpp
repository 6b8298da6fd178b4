#include "profiles/frame_sizes.h"

namespace pictavo {

const std::array<FrameSize, 22> kFrameSizes = {{
    {"720x480", 720, 480}, {"720x576", 720, 576}, {"480x480", 480, 480}, {"480x576", 480, 576},
    {"352x240", 352, 240}, {"352x288", 352, 288}, {"160x120", 160, 120}, {"240x180", 240, 180},
    {"320x240", 320, 240}, {"400x300", 400, 300}, {"480x360", 480, 360}, {"512x384", 512, 384},
    {"640x480", 640, 480}, {"720x540", 720, 540}, {"768x576", 768, 576}, {"800x600", 800, 600},
    {"320x180", 320, 180}, {"640x360", 640, 360}, {"960x540", 960, 540}, {"176x144", 176, 144},
    {"368x208", 368, 208}, {"160x112", 160, 112},
}};

const FrameSize* findFrameSize(std::string_view text)
{
    for (const FrameSize& size : kFrameSizes) {
        if (size.text == text) {
            return &size;
        }
    }
    return nullptr;
}

} // namespace pictavo
