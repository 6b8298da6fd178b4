#pragma once

#include <functional>
#include <string>

namespace pictavo {

class Project;
class Slideshow;

// The root element of a project file and the filter of the open and save dialogs.
inline constexpr const char* kProjectRootElement = "zovudid";
inline constexpr const char* kProjectFileFilter = "Project Files (*.prg)|*.prg||";

// Adds one music file to a slideshow's list with the project's working folder. The layers
// above the model pass the audio preparation's addMusicTrack; tests may pass their own.
using MusicTrackAdder = std::function<void(Slideshow& slideshow, const std::string& path,
                                           const std::string& workingFolder)>;

// The project file text: folders, slideshows with their music, and every photo with its
// paths, settings, transition, adjustments and edits, one element per line.
std::string projectDocumentText(const Project& project);

// Writes the project to its projectFile when it is modified. False when the project is not
// modified (nothing is written) or the file cannot be written (no message; an existing file
// stays as it was and the project stays modified). On success the project is no longer
// modified and, with showMessage, "Save to '<path>' Success!" is shown.
bool saveProject(Project& project, bool showMessage);

// The file Save As writes for a chosen name: ".prg" is appended unless the name's extension
// is exactly "prg" (case-sensitive).
std::string saveAsFileName(const std::string& chosenName);

// Save As: the project file becomes saveAsFileName(chosenName), the project counts as
// modified and is saved with the message.
bool saveProjectAs(Project& project, const std::string& chosenName);

// Reads the project's projectFile into the project (whose slideshow list the caller has
// emptied) through the model's own operations: slideshows, music (through addMusic), photos,
// their settings, adjustments and edits, and the covers. Photos that cannot be added are
// skipped; a slideshow left without photos is dropped. Relative photo and music paths are
// taken relative to the project file's folder. The preferences are read again when the file
// names the program's own preferences file. Afterwards every slideshow is re-timed and the
// size check runs. True when the file was read to its end; false when it cannot be read, does
// not parse ("can not set Doc!" is shown) or lacks a required element (what was added before
// stays in the project).
bool loadProject(Project& project, const MusicTrackAdder& addMusic);

} // namespace pictavo
