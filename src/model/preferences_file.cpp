#include "model/preferences_file.h"

#include "core/app_paths.h"
#include "core/decimal.h"
#include "core/log.h"
#include "core/xml_document.h"
#include "effects/transition_settings.h"
#include "model/project.h"
#include "model/working_folders.h"
#include "profiles/profile_catalogue.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>

namespace pictavo {

namespace fs = std::filesystem;

namespace {

// The lengths the settings offer; values beyond them (hand-edited files) are brought inside.
constexpr int kMaxDisplaySeconds = 60;
constexpr int kMaxTransitionSeconds = 10;

std::string flagText(bool flag)
{
    return flag ? "1" : "0";
}

// Reads the keys of the document element in their fixed order, applying each value as it is
// read. False at the first key that is missing or refused; the values read so far stay.
bool readKeys(Project& project, XmlDocument& document)
{
    Preferences& preferences = project.preferences();
    PhotoSettings& defaults = project.defaults();
    std::string value;
    const auto next = [&](const char* key) {
        if (!document.findElement(key))
            return false;
        value = document.elementData();
        return true;
    };

    if (!document.findElement(kPreferencesRootElement) || !document.enterElement())
        return false;
    if (!next("VERSION") || value != kPreferencesVersion)
        return false;
    if (!next("RunTimes"))
        return false;
    const long long runTimes = static_cast<long long>(decimalValue(value)) + 1;
    preferences.runTimes =
        runTimes < 0 ? 3 : static_cast<int>(std::min<long long>(runTimes, INT_MAX));
    if (!next("AppPath"))
        return false;
    if (value != preferences.appPath) {
        // Written by another installation: replaced as a whole.
        std::error_code error;
        fs::remove(project.resourcePaths().preferencesFile, error);
        return false;
    }
    if (!next("workingPath") || !next("outputPath"))
        return false;
    if (!next("isNtsc"))
        return false;
    preferences.isNtsc = defaults.videoStandard = decimalValue(value);
    if (!next("AspectRatio"))
        return false;
    preferences.aspectRatio = decimalValue(value);
    if (!next("transmitTime"))
        return false;
    preferences.transmitTime = defaults.effect.transitionSeconds =
        std::clamp(decimalValue(value), 0, kMaxTransitionSeconds);
    if (!next("singleTime"))
        return false;
    preferences.singleTime = defaults.effect.displaySeconds =
        std::clamp(decimalValue(value), 1, kMaxDisplaySeconds);
    if (!next("FDSearchPath"))
        return false;
    preferences.fdSearchPath = value;
    if (!next("IsUseNation"))
        return false;
    preferences.isUseNation = decimalValue(value) != 0;
    if (!next("NationName"))
        return false;
    preferences.nationName = value;
    if (!next("NationTVFormat"))
        return false;
    preferences.nationTvFormat = decimalValue(value);
    if (!next("TVFormat"))
        return false;
    preferences.tvFormat = decimalValue(value);
    if (!next("LoopAudio"))
        return false;
    preferences.loopAudio = decimalValue(value) != 0;
    if (!next("RandomImageEffect"))
        return false;
    preferences.randomImageEffect = decimalValue(value) != 0;
    if (!next("RandomTransition"))
        return false;
    preferences.randomTransition = decimalValue(value) != 0;
    if (!next("DefaultImage"))
        return false;
    preferences.defaultImage = value;
    applyRandomFlags(project, preferences.randomImageEffect, preferences.randomTransition);
    return project.transitionStore().readXml(document);
}

} // namespace

void applyRandomFlags(Project& project, bool randomImageEffect, bool randomTransition)
{
    PhotoEffect& effect = project.defaults().effect;
    effect.imageEffectMode =
        randomImageEffect ? kImageEffectModePanZoomRotate : kImageEffectModeNone;
    effect.imageEffectId = imageEffectForMode(effect.imageEffectMode);
    effect.transition = randomTransition ? TransitionSettings::createDefault(kTransitionRandom)
                                         : TransitionSettings::createRandom(kTransitionAlpha);
}

int writePreferences(Project& project)
{
    Preferences& preferences = project.preferences();
    const PhotoSettings& defaults = project.defaults();
    preferences.version = kPreferencesVersion;
    preferences.workingPath = project.folders().workingFolder;
    preferences.outputPath = defaults.outputFolder;
    preferences.isNtsc = defaults.videoStandard;
    preferences.transmitTime = defaults.effect.transitionSeconds;
    preferences.singleTime = defaults.effect.displaySeconds;

    XmlDocument document;
    const std::pair<const char*, std::string> keys[] = {
        {"VERSION", preferences.version},
        {"RunTimes", std::to_string(preferences.runTimes)},
        {"AppPath", preferences.appPath},
        {"workingPath", preferences.workingPath},
        {"outputPath", preferences.outputPath},
        {"isNtsc", std::to_string(preferences.isNtsc)},
        {"AspectRatio", std::to_string(preferences.aspectRatio)},
        {"transmitTime", std::to_string(preferences.transmitTime)},
        {"singleTime", std::to_string(preferences.singleTime)},
        {"FDSearchPath", preferences.fdSearchPath},
        {"IsUseNation", flagText(preferences.isUseNation)},
        {"NationName", preferences.nationName},
        {"NationTVFormat", std::to_string(preferences.nationTvFormat)},
        {"TVFormat", std::to_string(preferences.tvFormat)},
        {"LoopAudio", flagText(preferences.loopAudio)},
        {"RandomImageEffect", flagText(preferences.randomImageEffect)},
        {"RandomTransition", flagText(preferences.randomTransition)},
        {"DefaultImage", preferences.defaultImage},
    };
    bool built = document.addElement(kPreferencesRootElement);
    for (const auto& [key, value] : keys)
        built = built && document.addChildElement(key, value);
    // The templates follow "DefaultImage" as the last child of the document element.
    built = built && document.enterElement() && project.transitionStore().writeXml(document) &&
            document.leaveElement();
    if (!built) {
        writeLog("cannot build the preferences document");
        return -1;
    }
    const std::string& path = project.resourcePaths().preferencesFile;
    if (path.empty() || !writeXmlFile(path, document.documentText())) {
        writeLog("cannot write the preferences file " + path);
        return -1;
    }
    applyRandomFlags(project, preferences.randomImageEffect, preferences.randomTransition);
    return 0;
}

int readPreferences(Project& project)
{
    const std::string& path = project.resourcePaths().preferencesFile;
    std::string text;
    std::size_t byteCount = 0;
    if (!readXmlFile(path, text, &byteCount))
        return writePreferences(project) == 0 ? 0 : -1;
    if (!passesLengthCheck(text, byteCount)) {
        writeLog("the preferences file " + path + " is not readable text");
        return -1;
    }
    XmlDocument document;
    if (!document.setText(text)) {
        writeLog("the preferences file " + path + " does not parse: " + document.errorText());
        return -1;
    }
    if (readKeys(project, document)) {
        // The file now records this start.
        writePreferences(project);
        return 0;
    }
    return writePreferences(project) == 0 ? 0 : -1;
}

bool isOwnPreferencesFile(const Project& project, const std::string& path)
{
    const std::string& own = project.resourcePaths().preferencesFile;
    if (path.empty() || own.empty())
        return false;
    if (fs::path(path).lexically_normal() == fs::path(own).lexically_normal())
        return true;
    std::error_code error;
    return fs::equivalent(path, own, error) && !error;
}

void initialise(Project& project, const std::string& applicationFolder,
                const std::string& writableFolder)
{
    Preferences& preferences = project.preferences();
    preferences.runTimes = 0;
    preferences.appPath = applicationFolder;
    preferences.fdSearchPath = applicationFolder;
    preferences.defaultImage = applicationFolder + "/res/defaultImage.bmp";
    project.resourcePaths() = ResourcePaths::fromFolders(applicationFolder, writableFolder);
    useWorkingFolder(project, nextProjectFolder(writableFolder));

    readPreferences(project);

    std::error_code error;
    fs::create_directories(project.folders().tempFolder, error);
    if (error)
        writeLog("cannot create the working folder " + project.folders().tempFolder + ": " +
                 error.message());
    project.setProjectFile(nextProjectFile(writableFolder));

    ProfileCatalogue& catalogue = project.outputProfiles();
    catalogue.load(applicationFolder);
    if (const OutputProfile* profile = catalogue.currentProfile()) {
        switch (frameRateTiming(profile->currentText(ProfileParameterId::VideoFrameRate))) {
        case FrameRateTiming::Ntsc:
            project.defaults().videoStandard = kVideoStandardNtsc;
            break;
        case FrameRateTiming::Pal:
            project.defaults().videoStandard = kVideoStandardPal;
            break;
        case FrameRateTiming::Unchanged:
            break;
        }
    }
    project.applyDefaultsToAllPhotos();
    project.setModified(false);
}

void initialise(Project& project)
{
    initialise(project, applicationFolder(), writableFolder());
}

} // namespace pictavo
