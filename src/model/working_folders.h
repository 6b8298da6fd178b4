#pragma once

#include <string>

namespace pictavo {

class Project;

// "<base>/Project_<n>" with n one above the largest number among the entries of base named
// "Project_<number>" (text without leading digits counts as 0); "<base>/Project_1" when there
// is none.
std::string nextProjectFolder(const std::string& base);

// "<folder>/project<n>.prg" for the first n = 0, 1, 2 ... for which nothing of that name exists.
std::string nextProjectFile(const std::string& folder);

// The project's working folder becomes the given one, with "<folder>/temp" and
// "<folder>/Output" as its temp and output folders (also in the defaults). Nothing is created.
void useWorkingFolder(Project& project, const std::string& workingFolder);

// The New command: a fresh "Project_<n>" working folder under the writable folder with its
// "temp" and "Output" folders, all three created, set as the project's folders and defaults.
void newProjectFolders(Project& project);

// The settings dialog chose the working folder base (and has already set it): the temp folder
// becomes "<base>/temp", the files of the old temp folder are moved into it, the old temp
// folder is removed, the output folder becomes "<base>/Output" and every slideshow re-points
// its temporary files and working copies into the new temp folder. Nothing happens when the
// temp folder stays the same. Files are moved only out of a folder named "temp" (a project's
// temp folder; a hand-made temp path naming any other folder is left alone), and that folder is
// removed only when every file in it was moved and the new temp folder does not lie inside it.
void changeWorkingFolder(Project& project, const std::string& base);

// Removes the folders of a project that was never saved (its project file does not exist):
// the temp folder with everything in it, then the output folder and the working folder when
// they are empty. Only a folder named "temp" directly inside the project's working folder is
// removed recursively; any other temp path is left alone. A saved project's folders stay.
void cleanUnsavedProject(Project& project);

// True when path names a folder the program made for a project's intermediate files: a path
// whose last part is "temp", inside the given working folder (which must be a folder other
// than the file system root).
bool isProjectTempFolder(const std::string& path, const std::string& workingFolder);

} // namespace pictavo
