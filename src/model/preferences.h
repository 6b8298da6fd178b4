#pragma once

#include <string>

namespace pictavo {

// The application's persistent settings ("referenceFile.xml"), with the values of a first start
// without a preferences file. Reading and writing the file is done elsewhere.
struct Preferences {
    std::string version = "3.0.6";
    int runTimes = 0;
    std::string appPath;     // the application folder
    std::string workingPath; // the working folder
    std::string outputPath;  // the defaults' output folder
    int isNtsc = 0;          // the defaults' video standard: 0 NTSC, 1 PAL
    int aspectRatio = 0;     // 0 = 4:3, 1 = 16:9
    int transmitTime = 2;    // the defaults' transition seconds
    int singleTime = 3;      // the defaults' display seconds
    std::string fdSearchPath;
    bool isUseNation = false;
    std::string nationName = "U.S.A";
    int nationTvFormat = 0;
    int tvFormat = 0;
    bool loopAudio = true;
    bool randomImageEffect = false;
    bool randomTransition = true;
    std::string defaultImage;

    // The first-start values for an application folder: AppPath and FDSearchPath are the
    // folder, DefaultImage is "res/defaultImage.bmp" in it.
    static Preferences defaultsFor(const std::string& applicationFolder);
};

} // namespace pictavo
