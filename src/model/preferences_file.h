#pragma once

#include <string>

namespace pictavo {

class Project;

// The version text the preferences file carries; a file with another one is replaced.
inline constexpr const char* kPreferencesVersion = "3.0.6";
// The root element of the preferences file.
inline constexpr const char* kPreferencesRootElement = "reference";

// Start-up: the fixed paths from the application folder (resources) and the writable folder
// (preferences, log, project folders and files), a fresh "Project_<n>" working folder with its
// temp folder (both created), the preferences read, the next free "project<n>.prg" as the
// project file, the output profile catalogue loaded from the application folder (its selected
// profile's frame rate "29.97" makes the defaults NTSC, "25" PAL), the defaults applied and
// the project left unmodified.
void initialise(Project& project, const std::string& applicationFolder,
                const std::string& writableFolder);
// The same with the process's application and writable folders.
void initialise(Project& project);

// Reads the project's preferences file (resourcePaths().preferencesFile) into the preferences,
// the defaults and the transition templates, counts the start in RunTimes and rewrites the
// file. 0 on success (a missing, outdated or foreign file is replaced by the current values);
// -1 when the file cannot be read as text or parsed (it is then left untouched), or when a
// replacement cannot be written.
int readPreferences(Project& project);

// Writes the current preferences and the transition templates to the project's preferences
// file, then applies the random flags to the defaults. 0 when written, -1 when the file cannot
// be written (nothing else changes then).
int writePreferences(Project& project);

// The defaults of new photos follow the two random flags: a random motion drawn from
// Pan/Zoom/Rotate or no motion; a Random transition or an Alpha transition with a random
// parameter.
void applyRandomFlags(Project& project, bool randomImageEffect, bool randomTransition);

// True when path names the program's own preferences file (the same file, or the same path
// once "." and ".." parts are resolved).
bool isOwnPreferencesFile(const Project& project, const std::string& path);

} // namespace pictavo
