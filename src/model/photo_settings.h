#pragma once

#include "effects/effect_catalogue.h"
#include "effects/transition_settings.h"

#include <memory>
#include <string>

namespace pictavo {

// The TV system of a photo: 0 = NTSC (29.97 frames per second), 1 = PAL (25). Stored under the
// keys "IS_NTSC" and "isNtsc" although 0 means NTSC.
using VideoStandard = int;
constexpr VideoStandard kVideoStandardNtsc = 0;
constexpr VideoStandard kVideoStandardPal = 1;

// The frame rates as the single-precision values the timing works with (29.97f is
// 29.9699993133544921875). Expressions widen them to double and truncate only at their end.
constexpr float kNtscFrameRate = 29.97f;
constexpr float kPalFrameRate = 25.0f;

// 25 for PAL, 29.97 for NTSC and any other value.
constexpr float frameRate(VideoStandard standard)
{
    return standard == kVideoStandardPal ? kPalFrameRate : kNtscFrameRate;
}

// The effect record of a photo: the transition that leads into it, its length, and the motion
// shown while the photo is on screen. A copy gets its own transition object (an exact copy).
struct PhotoEffect {
    // Never null: an Alpha transition with default parameters for a new record.
    std::unique_ptr<TransitionSettings> transition;
    int transitionSeconds = 2;
    ImageEffectType imageEffectId = kImageEffectNone;
    int displaySeconds = 3;
    ImageEffectMode imageEffectMode = kImageEffectModeNone;

    PhotoEffect();
    PhotoEffect(const PhotoEffect& other);
    PhotoEffect& operator=(const PhotoEffect& other);
    PhotoEffect(PhotoEffect&&) noexcept = default;
    PhotoEffect& operator=(PhotoEffect&&) noexcept = default;

    // Replaces the transition with an exact copy of the given one (null becomes Alpha).
    void setTransition(const TransitionSettings* settings);
    TransitionType transitionType() const;
};

// The settings of a photo (and the project's defaults for new photos).
struct PhotoSettings {
    VideoStandard videoStandard = kVideoStandardNtsc;
    PhotoEffect effect;
    // Carried through loading and saving, otherwise unused.
    std::string workingPathField;
    std::string tempFolder;
    std::string outputFolder;

    // Takes the values of the project's defaults the way a photo receives them: standard,
    // folders, durations and mode are copied; the motion effect is drawn afresh from the mode
    // and the transition is a new value made from the source's (a Random source resolves to a
    // concrete type of its own). workingPathField is kept.
    void copyFrom(const PhotoSettings& source);
};

} // namespace pictavo
