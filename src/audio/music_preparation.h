#pragma once

#include "model/audio_track.h"

#include <string>
#include <vector>

namespace pictavo {

class AutoResetEvent;
class Project;

// How many times the music list is joined: with looping on and a non-empty list of non-zero
// length D, projectSeconds / D + 1 (integer division), so the music lasts at least as long as
// the project; otherwise once.
int musicRepetitions(const std::vector<AudioTrack>& tracks, bool loopAudio, int projectSeconds);

// The playing time of all slideshows in whole seconds: the sum of their frame totals divided
// by the frame rate of the defaults' TV system, truncated.
int projectPlayingSeconds(const Project& project);

// Converts every track to its MP2 file through the conversion library (loaded afresh for every
// track), then joins the MP2 files, `repetitions` times over in list order, into joinedPath as
// their plain byte concatenation and deletes the converted files. Milestones go to the log.
// The stop event (may be null) is watched during every conversion, after every conversion and
// after every copied file.
// Results: 0 done; 1 library not loadable or without its conversion entry point, a track
// without its own converted file name, joined file not writable, converted file not readable;
// 2 stopped; any other value is the library's own error code for a track.
int prepareMusic(const std::vector<AudioTrack>& tracks, const std::string& joinedPath,
                 AutoResetEvent* stopEvent, int repetitions);

// prepareMusic for the project's music (the first slideshow's list) into that slideshow's
// joined file, repeated as musicRepetitions gives for the LoopAudio preference and the
// project's playing time. 0 without slideshows.
int prepareMusic(const Project& project, AutoResetEvent* stopEvent);

// The music steps of a make-video job: the first slideshow's job audio files are assigned
// under the project's temp folder (created when missing), its joined file is given to every
// slideshow, and the music is prepared between the log lines "Begin make slideshow audio" and
// "End make slideshow audio return value:<result>". Returns prepareMusic's result.
int prepareJobMusic(Project& project, AutoResetEvent* stopEvent);

} // namespace pictavo
