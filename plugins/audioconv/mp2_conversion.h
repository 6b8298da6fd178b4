#pragma once

#include "xtomp2.h"

#include <string>

namespace pictavo::audioconv {

// Converts the audio of `source` to the library's fixed MP2 format at `destination`.
// Answers XTOMP2_OK, XTOMP2_FAILED (with `error` set) or XTOMP2_STOPPED; the destination is
// only ever replaced by a complete file.
int convertToMp2(const std::string& source, const std::string& destination,
                 const XToMp2StopHandle* stop, std::string& error);

// Playing time of the audio in `path` in whole seconds (see GetFileTimeLength); 0 with
// `error` set when the file holds no usable audio.
int measureSeconds(const std::string& path, std::string& error);

} // namespace pictavo::audioconv
