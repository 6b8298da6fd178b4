#pragma once

#include <string>

namespace pictavo {

// One music file of a slideshow's music list. Created and filled by the audio preparation.
struct AudioTrack {
    // The file the user added, or the default music file when that file did not exist.
    std::string originalPath;
    // The chosen file's name with its extension.
    std::string name;
    // Where the conversion writes this track's MP2.
    std::string mp2Path;
    // Start within the slideshow's music, in whole seconds, and as "%02d:%02d:%02d".
    int startSeconds = 0;
    std::string startText = "00:00:00";
    // Length in whole seconds and as "%02d:%02d:%02d".
    int durationSeconds = 0;
    std::string durationText = "00:00:00";
};

} // namespace pictavo
