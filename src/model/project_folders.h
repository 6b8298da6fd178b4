#pragma once

#include <string>

namespace pictavo {

// The folders of the open project: the working folder ("Project_<n>" or a chosen one), its
// "temp" folder for working copies and intermediate files, and its "Output" folder for the
// finished videos. Creating, moving and cleaning them is done elsewhere.
struct ProjectFolders {
    std::string workingFolder;
    std::string tempFolder;   // "<working folder>/temp"
    std::string outputFolder; // "<working folder>/Output"

    // The three folders for a working folder.
    static ProjectFolders forWorkingFolder(const std::string& workingFolder);
};

} // namespace pictavo
