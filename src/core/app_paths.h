#pragma once

#include <string>

namespace pictavo {

// The folder that holds the running executable, its plugins and its resource folders
// (no trailing separator). PICTAVO_APP_DIR overrides it (tests run from another folder).
std::string applicationFolder();

// The folder the program writes its preferences, log, project folders and project files to:
// the application folder when it is writable, else $XDG_DATA_HOME/pictavo (or
// ~/.local/share/pictavo), created on demand.
std::string writableFolder();

// Overrides both folders (tests); empty strings return to the rules above.
void setApplicationFolder(const std::string& folder);
void setWritableFolder(const std::string& folder);

// Joins a folder and a name with "/".
std::string joinPath(const std::string& folder, const std::string& name);

} // namespace pictavo
