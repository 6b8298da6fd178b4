#pragma once

#include "model/audio_track.h"

#include <string>
#include <vector>

namespace pictavo {

class Project;
class Slideshow;

// The music shipped beside the executable: "<application folder>/menu_pic/default.mp3".
std::string defaultMusicPath();

// The text shown when a chosen file is not usable audio (with the chosen path in it).
std::string illegalMusicMessage(const std::string& path);

// Adds one music file to a slideshow's list. Nothing happens for an empty path or working
// folder, or for a path already in the list (exact comparison). A file that does not exist is
// replaced by the default music but keeps its chosen name. A file that is not usable audio is
// refused with a message. The starts are recomputed; the project is not marked modified.
void addMusicTrack(Slideshow& slideshow, const std::string& path, const std::string& workingFolder);
// addMusicTrack with the default music.
void addDefaultMusic(Slideshow& slideshow, const std::string& workingFolder);

// Whether a file chosen in the music dialog is taken: its extension (after the last ".", any
// case) is mp3, mp2, wav or wma.
bool isMusicFileName(const std::string& path);
// The filter the music file dialog offers.
constexpr const char* kMusicDialogFilter = "All Support Files (*.mp3 *.mp2 *.wav)";
// Adds the files chosen in the music dialog to the project's music (the first slideshow's
// list) with the project's working folder, passing over other file types without a message,
// and marks the project modified. Nothing happens without a slideshow.
void addMusicFromDialog(Project& project, const std::vector<std::string>& chosenPaths);

// Removes the track at position: 0 when removed, 1 when the position is outside the list.
// A removal recomputes the starts and marks the project modified.
int removeMusicTrack(Project& project, Slideshow& slideshow, int position);
// Exchange the track at position with the one before (1 <= position <= count-1) or after
// (0 <= position <= count-2); other positions are ignored. A move recomputes the starts and
// marks the project modified.
void moveMusicTrackUp(Project& project, Slideshow& slideshow, int position);
void moveMusicTrackDown(Project& project, Slideshow& slideshow, int position);

// Every track's start is the sum of the lengths of the tracks before it; start and duration
// texts are "%02d:%02d:%02d".
void updateTrackStarts(std::vector<AudioTrack>& tracks);

// The files of a job's music: the slideshow's joined file becomes
// "<tempFolder>/<slideshow name>.<extension>" and every track's converted file
// "<tempFolder>/<track name without extension>.<extension>". Tracks whose names would lead
// to the same file (or to the joined file, or to a track's own music file) get a numbered
// name instead, so no conversion overwrites another.
void assignJobAudioPaths(Slideshow& slideshow, const std::string& tempFolder,
                         const std::string& extension);

} // namespace pictavo
