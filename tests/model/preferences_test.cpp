// Preferences file, start-up and the project's working folders.
#include "core/app_paths.h"
#include "core/notifier.h"
#include "core/random.h"
#include "core/xml_document.h"
#include "model/preferences_file.h"
#include "model/project.h"
#include "model/working_folders.h"
#include "model_fixtures.h"
#include "profiles/profile_catalogue.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace pictavo {
namespace {

namespace fs = std::filesystem;

bool exists(const std::string& path)
{
    return fs::exists(path);
}

// The values of the document element's children, in file order.
std::vector<std::pair<std::string, std::string>> preferenceEntries(const std::string& path)
{
    std::vector<std::pair<std::string, std::string>> entries;
    XmlDocument document;
    std::string text;
    if (!readXmlFile(path, text) || !document.setText(text))
        return entries;
    if (!document.findElement("reference") || !document.enterElement())
        return entries;
    while (document.findElement())
        entries.emplace_back(document.tagName(), document.elementData());
    return entries;
}

std::string entry(const std::string& path, const std::string& key)
{
    for (const auto& [name, value] : preferenceEntries(path)) {
        if (name == key)
            return value;
    }
    return "<missing>";
}

// Writes a file, creating its folder first.
bool put(const std::string& path, const std::string& bytes)
{
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    return test::writeFile(path, bytes);
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

std::string toUtf16(const std::string& ascii, bool withMark)
{
    std::string bytes = withMark ? std::string("\xFF\xFE") : std::string();
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setApplicationFolder(dir.path());
        setWritableFolder(dir.path());
        previousNotifier = installNotifier(&messages);
    }
    void TearDown() override
    {
        installNotifier(previousNotifier);
        setApplicationFolder("");
        setWritableFolder("");
    }

    // A project started the way the program starts, with a catalogue of its own.
    std::unique_ptr<Project> start()
    {
        auto project = std::make_unique<Project>();
        project->setOutputProfiles(catalogue);
        initialise(*project, dir.path(), dir.path());
        return project;
    }

    std::string preferencesPath() const { return dir.file("referenceFile.xml"); }

    test::TempDir dir;
    ProfileCatalogue catalogue;
    RecordingNotifier messages;
    Notifier* previousNotifier = nullptr;
};

TEST_F(PreferencesTest, FirstStartWritesDefaultsAndCreatesTheFirstProjectFolder)
{
    auto project = start();

    EXPECT_TRUE(exists(dir.file("Project_1/temp")));
    EXPECT_FALSE(exists(dir.file("Project_1/Output")));
    EXPECT_EQ(project->folders().workingFolder, dir.file("Project_1"));
    EXPECT_EQ(project->defaults().tempFolder, dir.file("Project_1/temp"));
    EXPECT_EQ(project->defaults().outputFolder, dir.file("Project_1/Output"));
    EXPECT_EQ(project->projectFile(), dir.file("project0.prg"));
    EXPECT_FALSE(project->modified());

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"VERSION", "3.0.6"},
        {"RunTimes", "0"},
        {"AppPath", dir.path()},
        {"workingPath", dir.file("Project_1")},
        {"outputPath", dir.file("Project_1/Output")},
        {"isNtsc", "0"},
        {"AspectRatio", "0"},
        {"transmitTime", "2"},
        {"singleTime", "3"},
        {"FDSearchPath", dir.path()},
        {"IsUseNation", "0"},
        {"NationName", "U.S.A"},
        {"NationTVFormat", "0"},
        {"TVFormat", "0"},
        {"LoopAudio", "1"},
        {"RandomImageEffect", "0"},
        {"RandomTransition", "1"},
        {"DefaultImage", dir.path() + "/res/defaultImage.bmp"},
        {"EFFECT_SETS", ""},
    };
    EXPECT_EQ(preferenceEntries(preferencesPath()), expected);

    const std::string text = test::readFile(preferencesPath());
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.front(), '\xFF');
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        EXPECT_EQ(text[at - 1], '\r') << "line ending at " << at;

    // RandomTransition 1, RandomImageEffect 0.
    EXPECT_EQ(project->defaults().effect.transitionType(), kTransitionRandom);
    EXPECT_EQ(project->defaults().effect.imageEffectMode, kImageEffectModeNone);
    EXPECT_EQ(project->defaults().effect.imageEffectId, kImageEffectNone);
}

TEST_F(PreferencesTest, LaterStartsCountRunsAndNumberTheirFolders)
{
    start();
    auto second = start();
    EXPECT_EQ(second->preferences().runTimes, 1);
    EXPECT_EQ(entry(preferencesPath(), "RunTimes"), "1");
    EXPECT_EQ(second->folders().workingFolder, dir.file("Project_2"));
    EXPECT_TRUE(exists(dir.file("Project_2/temp")));

    // The second start's project was never saved: its folders go, and the next start takes
    // the number again.
    cleanUnsavedProject(*second);
    EXPECT_FALSE(exists(dir.file("Project_2")));
    EXPECT_TRUE(exists(dir.file("Project_1")));
    auto third = start();
    EXPECT_EQ(third->folders().workingFolder, dir.file("Project_2"));
    EXPECT_EQ(third->preferences().runTimes, 2);
}

TEST_F(PreferencesTest, StoredValuesAndTemplatesAreReadBack)
{
    {
        auto project = start();
        project->preferences().aspectRatio = 1;
        project->preferences().loopAudio = false;
        project->preferences().randomImageEffect = true;
        project->preferences().randomTransition = false;
        project->preferences().fdSearchPath = "/pictures & more";
        project->defaults().effect.displaySeconds = 7;
        project->defaults().effect.transitionSeconds = 4;
        project->defaults().videoStandard = kVideoStandardPal;
        project->transitionStore()
            .templateAt(pickPositionOfTransition(kTransitionWipe))
            ->setParameters(3, 1);
        ASSERT_EQ(writePreferences(*project), 0);
    }
    auto project = start();
    const Preferences& preferences = project->preferences();
    EXPECT_EQ(preferences.aspectRatio, 1);
    EXPECT_FALSE(preferences.loopAudio);
    EXPECT_EQ(preferences.fdSearchPath, "/pictures & more");
    EXPECT_EQ(project->defaults().effect.displaySeconds, 7);
    EXPECT_EQ(project->defaults().effect.transitionSeconds, 4);
    EXPECT_EQ(project->defaults().videoStandard, kVideoStandardPal);
    EXPECT_EQ(project->defaults().effect.imageEffectMode, kImageEffectModePanZoomRotate);
    EXPECT_EQ(project->defaults().effect.transitionType(), kTransitionAlpha);
    const TransitionSettings* wipe =
        project->transitionStore().templateAt(pickPositionOfTransition(kTransitionWipe));
    EXPECT_EQ(wipe->first(), 3);
    EXPECT_EQ(wipe->second(), 1);
}

// A file that is read only in part: the values before the fault are applied, the rest keep
// their current values, and the file is rewritten with every key and the current version.
TEST_F(PreferencesTest, OutdatedForeignOrIncompleteFilesAreReplaced)
{
    struct Case {
        const char* name;
        std::string from;
        std::string to;
        bool runCounted;
        bool valuesApplied;
        bool tvFormatApplied;
    };
    const std::vector<Case> cases = {
        {"older version", "<VERSION>3.0.6</VERSION>", "<VERSION>3.0.5</VERSION>", false, false,
         false},
        {"other installation", "<AppPath>" + dir.path() + "</AppPath>",
         "<AppPath>/opt/elsewhere</AppPath>", true, false, false},
        {"no TVFormat", "<TVFormat>5</TVFormat>", "", true, true, false},
        {"unknown template", "NAME=\"TRANSITION_EFFECT_DOOR\"", "NAME=\"TRANSITION_EFFECT_NOPE\"",
         true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            auto project = start();
            project->preferences().runTimes = 4;
            project->preferences().nationTvFormat = 6;
            project->preferences().tvFormat = 5;
            project->preferences().loopAudio = false;
            project->defaults().effect.displaySeconds = 9;
            ASSERT_EQ(writePreferences(*project), 0);
        }
        const std::string written = test::readFile(preferencesPath());
        const std::string edited = replaced(written, c.from, c.to);
        ASSERT_NE(edited, written);
        ASSERT_TRUE(test::writeFile(preferencesPath(), edited));

        auto project = start();
        EXPECT_EQ(project->preferences().runTimes, c.runCounted ? 5 : 0);
        EXPECT_EQ(project->defaults().effect.displaySeconds, c.valuesApplied ? 9 : 3);
        EXPECT_EQ(project->preferences().nationTvFormat, c.valuesApplied ? 6 : 0);
        EXPECT_EQ(project->preferences().tvFormat, c.tvFormatApplied ? 5 : 0);
        EXPECT_EQ(project->preferences().loopAudio, !c.tvFormatApplied);

        const auto entries = preferenceEntries(preferencesPath());
        ASSERT_EQ(entries.size(), 19u);
        EXPECT_EQ(entries[0].second, "3.0.6");
        EXPECT_EQ(entries[2].second, dir.path());
        EXPECT_EQ(entries[13].first, "TVFormat");
        EXPECT_EQ(entries[18].first, "EFFECT_SETS");
        fs::remove_all(dir.file("Project_1"));
        fs::remove_all(dir.file("Project_2"));
    }
}

TEST_F(PreferencesTest, Utf16FilesAreReadOnlyWithTheirMark)
{
    std::string written;
    {
        auto project = start();
        project->defaults().effect.displaySeconds = 8;
        ASSERT_EQ(writePreferences(*project), 0);
        written = test::readFile(preferencesPath());
    }
    ASSERT_TRUE(test::writeFile(preferencesPath(), toUtf16(written, true)));
    {
        Project project;
        project.setOutputProfiles(catalogue);
        initialise(project, dir.path(), dir.path());
        EXPECT_EQ(project.defaults().effect.displaySeconds, 8);
        EXPECT_EQ(project.preferences().runTimes, 1);
    }

    // Without the mark the text is far shorter than the file: rejected and left as it is.
    const std::string unmarked = toUtf16(test::readFile(preferencesPath()), false);
    ASSERT_TRUE(test::writeFile(preferencesPath(), unmarked));
    Project project;
    project.setOutputProfiles(catalogue);
    project.resourcePaths() = ResourcePaths::fromFolders(dir.path(), dir.path());
    project.preferences().appPath = dir.path();
    EXPECT_EQ(readPreferences(project), -1);
    EXPECT_EQ(test::readFile(preferencesPath()), unmarked);
    EXPECT_EQ(project.defaults().effect.displaySeconds, 3);
}

TEST_F(PreferencesTest, UnparsableFileIsLeftAlone)
{
    const std::string broken = "<reference><VERSION>3.0.6</VERSION>";
    ASSERT_TRUE(test::writeFile(preferencesPath(), broken));
    Project project;
    project.resourcePaths() = ResourcePaths::fromFolders(dir.path(), dir.path());
    EXPECT_EQ(readPreferences(project), -1);
    EXPECT_EQ(test::readFile(preferencesPath()), broken);
}

TEST_F(PreferencesTest, UnwritableFileIsReported)
{
    Project project;
    project.resourcePaths().preferencesFile = dir.file("missing/referenceFile.xml");
    EXPECT_EQ(writePreferences(project), -1);
    EXPECT_EQ(readPreferences(project), -1);
    EXPECT_FALSE(exists(dir.file("missing")));
}

TEST_F(PreferencesTest, RandomFlagsSetTheDefaults)
{
    Project project;
    const int draws[] = {32767, 5000};
    forceRandomDraws(draws, 2);
    applyRandomFlags(project, true, false);
    forceRandomDraws(nullptr, 0);
    EXPECT_EQ(project.defaults().effect.imageEffectMode, kImageEffectModePanZoomRotate);
    EXPECT_EQ(project.defaults().effect.imageEffectId, 19);
    EXPECT_EQ(project.defaults().effect.transitionType(), kTransitionAlpha);

    applyRandomFlags(project, false, true);
    EXPECT_EQ(project.defaults().effect.imageEffectMode, kImageEffectModeNone);
    EXPECT_EQ(project.defaults().effect.imageEffectId, kImageEffectNone);
    EXPECT_EQ(project.defaults().effect.transitionType(), kTransitionRandom);
}

TEST_F(PreferencesTest, SelectedProfileFrameRateChoosesTheVideoStandard)
{
    // The catalogue written by the fixture runs at 25 frames per second.
    ASSERT_TRUE(test::writeCatalogue(dir.path(), 6000, 224));
    auto project = start();
    ASSERT_NE(catalogue.currentProfile(), nullptr);
    EXPECT_EQ(project->defaults().videoStandard, kVideoStandardPal);
    EXPECT_FALSE(project->modified());
}

TEST_F(PreferencesTest, ResourcesComeFromTheApplicationFolderAndFilesGoToTheWritableOne)
{
    test::TempDir writable;
    Project project;
    project.setOutputProfiles(catalogue);
    initialise(project, dir.path(), writable.path());
    EXPECT_TRUE(exists(writable.file("referenceFile.xml")));
    EXPECT_TRUE(exists(writable.file("Project_1/temp")));
    EXPECT_FALSE(exists(dir.file("referenceFile.xml")));
    EXPECT_FALSE(exists(dir.file("Project_1")));
    EXPECT_EQ(project.projectFile(), writable.file("project0.prg"));
    EXPECT_EQ(project.resourcePaths().defaultMusic, dir.file("menu_pic/default.mp3"));
    EXPECT_EQ(entry(writable.file("referenceFile.xml"), "AppPath"), dir.path());
}

// ---------------------------------------------------------------------------------------------
// Working folders

TEST_F(PreferencesTest, ProjectFoldersAndFilesAreNumberedAboveTheExistingOnes)
{
    EXPECT_EQ(nextProjectFolder(dir.path()), dir.file("Project_1"));
    for (const char* name : {"Project_3", "Project_10", "Project_x", "project_50", "Other_99"})
        fs::create_directories(dir.file(name));
    EXPECT_EQ(nextProjectFolder(dir.path()), dir.file("Project_11"));

    EXPECT_EQ(nextProjectFile(dir.path()), dir.file("project0.prg"));
    test::writeFile(dir.file("project0.prg"), "");
    test::writeFile(dir.file("project1.prg"), "");
    EXPECT_EQ(nextProjectFile(dir.path()), dir.file("project2.prg"));
}

TEST_F(PreferencesTest, NewProjectFoldersCreatesAllThree)
{
    auto project = start();
    newProjectFolders(*project);
    EXPECT_EQ(project->folders().workingFolder, dir.file("Project_2"));
    EXPECT_TRUE(exists(dir.file("Project_2/temp")));
    EXPECT_TRUE(exists(dir.file("Project_2/Output")));
    EXPECT_EQ(project->folders().tempFolder, dir.file("Project_2/temp"));
    EXPECT_EQ(project->defaults().outputFolder, dir.file("Project_2/Output"));
}

class WorkingFolderTest : public PreferencesTest {
protected:
    void SetUp() override
    {
        PreferencesTest::SetUp();
        project = start();
        oldTemp = project->defaults().tempFolder;
        ASSERT_TRUE(test::writePicture(dir.file("photo.png"), QSize(8, 6)));
        ASSERT_EQ(project->addSlideshow("Trip"), 0);
        ASSERT_EQ(project->slideshow(0)->addPhoto(dir.file("photo.png"), project->defaults()), 0);
        ASSERT_EQ(project->slideshow(0)->photo(0)->rotateLeft(project->folders().workingFolder), 0);
        ASSERT_TRUE(put(oldTemp + "/notes.txt", "keep me"));
    }

    PhotoItem& photo() { return *project->slideshow(0)->photo(0); }

    std::unique_ptr<Project> project;
    std::string oldTemp;
};

TEST_F(WorkingFolderTest, ChangingToAnotherFolderMovesTheTempFiles)
{
    const std::string copy = photo().workingPath;
    ASSERT_EQ(copy.rfind(oldTemp + "/", 0), 0u);
    changeWorkingFolder(*project, project->folders().workingFolder);
    EXPECT_EQ(project->defaults().tempFolder, oldTemp) << "the same folder changes nothing";
    EXPECT_TRUE(exists(oldTemp + "/notes.txt"));

    const std::string chosen = dir.file("chosen");
    changeWorkingFolder(*project, chosen);
    EXPECT_EQ(project->defaults().tempFolder, chosen + "/temp");
    EXPECT_EQ(project->defaults().outputFolder, chosen + "/Output");
    EXPECT_EQ(project->folders().tempFolder, chosen + "/temp");
    EXPECT_EQ(test::readFile(chosen + "/temp/notes.txt"), "keep me");
    EXPECT_EQ(photo().workingPath, chosen + "/temp/" + fs::path(copy).filename().string());
    EXPECT_TRUE(exists(photo().workingPath));
    EXPECT_EQ(photo().originalPath, dir.file("photo.png"));
    EXPECT_FALSE(exists(oldTemp));
}

TEST_F(WorkingFolderTest, OldTempFolderStaysWhenItsFilesCouldNotAllMove)
{
    // A file of the same name already lies in the new temp folder: nothing is overwritten and
    // the old folder keeps what could not move.
    const std::string chosen = dir.file("chosen");
    ASSERT_TRUE(put(chosen + "/temp/notes.txt", "theirs"));
    changeWorkingFolder(*project, chosen);
    EXPECT_EQ(test::readFile(chosen + "/temp/notes.txt"), "theirs");
    EXPECT_EQ(test::readFile(oldTemp + "/notes.txt"), "keep me");
}

TEST_F(WorkingFolderTest, FilesOfAForeignTempPathAreNotMoved)
{
    // A temp path from a hand-made project file naming someone's folder.
    const std::string documents = dir.file("documents");
    ASSERT_TRUE(put(documents + "/letter.txt", "dear"));
    project->defaults().tempFolder = documents;
    changeWorkingFolder(*project, dir.file("chosen"));
    EXPECT_EQ(test::readFile(documents + "/letter.txt"), "dear");
    EXPECT_FALSE(exists(dir.file("chosen/temp/letter.txt")));
    EXPECT_EQ(project->defaults().tempFolder, dir.file("chosen/temp"));
}

TEST_F(WorkingFolderTest, ChoosingTheTempFolderItselfKeepsEverything)
{
    changeWorkingFolder(*project, oldTemp);
    EXPECT_EQ(project->defaults().tempFolder, oldTemp + "/temp");
    EXPECT_EQ(test::readFile(oldTemp + "/temp/notes.txt"), "keep me");
    EXPECT_TRUE(exists(photo().workingPath));
}

TEST_F(WorkingFolderTest, CleaningRemovesOnlyAnUnsavedProjectsOwnFolders)
{
    const std::string working = project->folders().workingFolder;
    fs::create_directories(project->defaults().outputFolder);

    test::writeFile(project->projectFile(), "saved");
    cleanUnsavedProject(*project);
    EXPECT_TRUE(exists(oldTemp + "/notes.txt"));

    fs::remove(project->projectFile());
    test::writeFile(project->defaults().outputFolder + "/video.mpg", "video");
    cleanUnsavedProject(*project);
    EXPECT_FALSE(exists(oldTemp));
    EXPECT_TRUE(exists(project->defaults().outputFolder + "/video.mpg"));
    EXPECT_TRUE(exists(working));

    fs::remove(project->defaults().outputFolder + "/video.mpg");
    cleanUnsavedProject(*project);
    EXPECT_FALSE(exists(working));
}

TEST_F(PreferencesTest, TempPathsThatAreNotAProjectsTempFolderAreNeverDeleted)
{
    // A folder with someone's files, named by a hand-made temp path.
    const std::string victim = dir.file("home");
    ASSERT_TRUE(put(victim + "/letter.txt", "dear"));
    ASSERT_TRUE(put(victim + "/temp/draft.txt", "draft"));
    struct Case {
        const char* name;
        std::string working;
        std::string temp;
    };
    const std::vector<Case> cases = {
        {"a home folder", dir.file("Project_9"), victim},
        {"temp of another folder", dir.file("Project_9"), victim + "/temp"},
        {"empty", victim, ""},
        {"relative", "home", "home/temp"},
        {"dot dot", dir.file("Project_9"), dir.file("Project_9/../home/temp")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Project project;
        project.setProjectFile(dir.file("never-saved.prg"));
        project.folders().workingFolder = c.working;
        project.defaults().tempFolder = c.temp;
        project.defaults().outputFolder = c.working + "/Output";
        cleanUnsavedProject(project);
        EXPECT_EQ(test::readFile(victim + "/letter.txt"), "dear");
        EXPECT_EQ(test::readFile(victim + "/temp/draft.txt"), "draft");
    }

    EXPECT_FALSE(isProjectTempFolder("/", "/"));
    EXPECT_FALSE(isProjectTempFolder("/temp", "/"));
    EXPECT_FALSE(isProjectTempFolder("", ""));
    EXPECT_FALSE(isProjectTempFolder(victim, dir.path()));
    EXPECT_TRUE(isProjectTempFolder(victim + "/temp", victim));
    EXPECT_TRUE(isProjectTempFolder(victim + "/temp/", victim + "/"));

    // A symbolic link named temp is not followed.
    fs::create_directories(dir.file("Project_9"));
    fs::create_directory_symlink(victim, dir.file("Project_9/temp"));
    EXPECT_FALSE(isProjectTempFolder(dir.file("Project_9/temp"), dir.file("Project_9")));
}

} // namespace
} // namespace pictavo
