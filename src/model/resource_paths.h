#pragma once

#include <string>

namespace pictavo {

// The fixed files beside the executable and the program's own files, built from the
// application folder (no trailing separator).
struct ResourcePaths {
    std::string preferencesFile; // "<A>/referenceFile.xml"
    std::string defaultMusic;    // "<A>/menu_pic/default.mp3"
    std::string silentMusic;     // "<A>/menu_pic/silent.mp2"
    std::string defaultImage;    // "<A>/res/defaultImage.bmp"
    std::string logFile;         // "<A>/log.txt"

    // Every path under the application folder.
    static ResourcePaths fromApplicationFolder(const std::string& applicationFolder);
    // Resources from the application folder; the preferences file and the log under the
    // folder the program writes to (the same folder for a writable application folder).
    static ResourcePaths fromFolders(const std::string& applicationFolder,
                                     const std::string& writableFolder);
};

} // namespace pictavo
