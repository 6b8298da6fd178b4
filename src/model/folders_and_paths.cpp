#include "model/preferences.h"
#include "model/project_folders.h"
#include "model/resource_paths.h"

namespace pictavo {

Preferences Preferences::defaultsFor(const std::string& applicationFolder)
{
    Preferences preferences;
    preferences.appPath = applicationFolder;
    preferences.fdSearchPath = applicationFolder;
    preferences.defaultImage = applicationFolder + "/res/defaultImage.bmp";
    return preferences;
}

ResourcePaths ResourcePaths::fromApplicationFolder(const std::string& applicationFolder)
{
    return fromFolders(applicationFolder, applicationFolder);
}

ResourcePaths ResourcePaths::fromFolders(const std::string& applicationFolder,
                                         const std::string& writableFolder)
{
    ResourcePaths paths;
    paths.preferencesFile = writableFolder + "/referenceFile.xml";
    paths.defaultMusic = applicationFolder + "/menu_pic/default.mp3";
    paths.silentMusic = applicationFolder + "/menu_pic/silent.mp2";
    paths.defaultImage = applicationFolder + "/res/defaultImage.bmp";
    paths.logFile = writableFolder + "/log.txt";
    return paths;
}

ProjectFolders ProjectFolders::forWorkingFolder(const std::string& workingFolder)
{
    ProjectFolders folders;
    folders.workingFolder = workingFolder;
    folders.tempFolder = workingFolder + "/temp";
    folders.outputFolder = workingFolder + "/Output";
    return folders;
}

} // namespace pictavo
