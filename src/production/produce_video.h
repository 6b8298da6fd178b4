#pragma once

// The production run: one slideshow rendered frame by frame into a video file through the
// encoder library.

#include "production/encoder_library.h"
#include "render/render_job.h"

#include <string>

namespace pictavo {

class OutputProfile;
struct FrameSize;

// The initEncoder arguments for a frame size of the profile: the profile's texts with the
// historical encoder names ("aac" -> "libfaac", "mp3" -> "libmp3lame", "amr_nb" -> "libamr_nb"
// with mono 8000 Hz at "12.2k", "xvid" -> "libxvid", "h263" -> "h263p"), bit rates followed by
// "kb", the first character of the channel count, and "<applicationFolder>/menu_pic/in.yuv" as
// the raw picture file.
EncoderInitArguments encoderArgumentsFor(const OutputProfile& profile, const FrameSize& size,
                                         const std::string& outputPath,
                                         const std::string& audioPath,
                                         const std::string& applicationFolder);

// Renders the request's slideshow into its output video file (the slideshow's mpgPath, with its
// prepared music mp2Path under it) with the current output profile of the process-wide
// catalogue. The encoder library is loaded afresh from the application folder and unloaded at
// the end. Results:
//   0  every frame was encoded and the file was finished;
//   1  the library does not load (or lacks an entry point), there is no current profile, its
//      frame size is not one of the known sizes, or the slideshow has no photos;
//   2  the request's stop event was signalled (the file holds the frames encoded so far);
//   any other value: the encoder's own code (initEncoder, a frame, or finishing the file).
// Runs on the caller's thread; milestones and the encoder's error texts go to the log.
int produceVideo(const ProductionRequest& request);

// The same with the given profile (null: no current profile).
int produceVideo(const ProductionRequest& request, const OutputProfile* profile);

} // namespace pictavo
