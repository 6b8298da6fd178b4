// Saving and loading project files.
#include "core/app_paths.h"
#include "core/notifier.h"
#include "model/file_names.h"
#include "model/preferences_file.h"
#include "model/project.h"
#include "model/project_file.h"
#include "model/working_folders.h"
#include "model_fixtures.h"
#include "profiles/profile_catalogue.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace pictavo {
namespace {

namespace fs = std::filesystem;

// Music is taken as named; the audio preparation is not part of these tests.
void addTrack(Slideshow& slideshow, const std::string& path, const std::string&)
{
    AudioTrack track;
    track.originalPath = path;
    track.name = fileNameOf(path);
    slideshow.music().push_back(track);
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            result.push_back("<unterminated>" + text.substr(start));
            break;
        }
        result.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return result;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

class ProjectFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setApplicationFolder(dir.path());
        setWritableFolder(dir.path());
        previousNotifier = installNotifier(&messages);
        project = fresh();
    }
    void TearDown() override
    {
        installNotifier(previousNotifier);
        setApplicationFolder("");
        setWritableFolder("");
    }

    std::unique_ptr<Project> fresh()
    {
        auto started = std::make_unique<Project>();
        started->setOutputProfiles(catalogue);
        initialise(*started, dir.path(), dir.path());
        return started;
    }

    std::string picture(const std::string& name)
    {
        const std::string path = dir.file(name);
        EXPECT_TRUE(test::writePicture(path, QSize(8, 6)));
        return path;
    }

    // Saves the project and loads its file into a fresh project.
    std::unique_ptr<Project> roundTrip(bool expectLoaded = true)
    {
        project->setModified(true);
        EXPECT_TRUE(saveProject(*project, false));
        return load(project->projectFile(), expectLoaded);
    }

    std::unique_ptr<Project> load(const std::string& file, bool expectLoaded = true)
    {
        auto loaded = fresh();
        loaded->setProjectFile(file);
        EXPECT_EQ(loadProject(*loaded, addTrack), expectLoaded);
        return loaded;
    }

    test::TempDir dir;
    ProfileCatalogue catalogue;
    RecordingNotifier messages;
    Notifier* previousNotifier = nullptr;
    std::unique_ptr<Project> project;
};

TEST_F(ProjectFileTest, OnePhotoProjectIsWrittenElementByElement)
{
    const std::string photo = picture("a.png");
    ASSERT_EQ(project->addSlideshow("Trip"), 0);
    ASSERT_EQ(project->slideshow(0)->addPhoto(photo, project->defaults()), 0);
    project->slideshow(0)->photo(0)->settings.effect.setTransition(
        TransitionSettings::createDefault(kTransitionDoor).get());

    ASSERT_TRUE(saveProject(*project, true));
    const std::string working = dir.file("Project_1");
    const std::vector<std::string> expected = {
        "<zovudid>",
        "<Preference File>" + dir.file("referenceFile.xml") + "</Preference File>",
        "<Working Path>" + working + "</Working Path>",
        "<Temp Path>" + working + "/temp</Temp Path>",
        "<OutPut Path>" + working + "/Output</OutPut Path>",
        "<cuteslideshows>",
        "<slideshow>",
        "<name>Trip</name>",
        "<cover index>0</cover index>",
        "<pic>",
        "<strOriginalFile>" + photo + "</strOriginalFile>",
        "<m_strTempFile>" + photo + "</m_strTempFile>",
        "<ZIRE_SETTING>",
        "<IS_NTSC>0</IS_NTSC>",
        "<WOKRING_PATH/>",
        "<TEMP_PATH>" + working + "/temp</TEMP_PATH>",
        "<OUTPUT_PATH>" + working + "/Output</OUTPUT_PATH>",
        "<ZIRE_EFFECT>",
        "<SINGLE_EFFECT_TIME>3</SINGLE_EFFECT_TIME>",
        "<SINGLE_EFFECT_ID>20</SINGLE_EFFECT_ID>",
        "<SINGLE_EFFECT_INIT_TYPE>0</SINGLE_EFFECT_INIT_TYPE>",
        "<TRANSITIO_EFFECT_TIME>2</TRANSITIO_EFFECT_TIME>",
        "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_DOOR\">",
        "<TRANSITION_EFFECT_DOOR_PARAM>0</TRANSITION_EFFECT_DOOR_PARAM>",
        "</TRANSITION_EFFECT_SETTING>",
        "</ZIRE_EFFECT>",
        "</ZIRE_SETTING>",
        "<General/>",
        "</pic>",
        "</slideshow>",
        "</cuteslideshows>",
        "<zireMenu/>",
        "</zovudid>",
    };
    EXPECT_EQ(lines(test::readFile(project->projectFile())), expected);
    EXPECT_FALSE(project->modified());
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "Save to '" + dir.file("project0.prg") + "' Success!");

    // Not modified: nothing is written and nothing is said.
    fs::remove(project->projectFile());
    EXPECT_FALSE(saveProject(*project, true));
    EXPECT_FALSE(fs::exists(project->projectFile()));
    EXPECT_EQ(messages.messages().size(), 1u);
}

TEST_F(ProjectFileTest, FailedSaveKeepsTheProjectModifiedAndSaysNothing)
{
    ASSERT_EQ(project->addSlideshow("Trip"), 0);
    for (const std::string& target : {dir.file("no/such/folder/p.prg"), dir.file("Project_1")}) {
        SCOPED_TRACE(target);
        project->setProjectFile(target);
        project->setModified(true);
        EXPECT_FALSE(saveProject(*project, true));
        EXPECT_TRUE(project->modified());
    }
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_TRUE(fs::is_directory(dir.file("Project_1")));
}

TEST_F(ProjectFileTest, SaveAsAddsTheExtensionUnlessItIsExactlyPrg)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"trip", "trip.prg"},
        {"trip.txt", "trip.txt.prg"},
        {"trip.prg", "trip.prg"},
        {"TRIP.PRG", "TRIP.PRG.prg"},
        {"/home/a.b/trip", "/home/a.b/trip.prg"},
    };
    for (const auto& [chosen, written] : cases)
        EXPECT_EQ(saveAsFileName(chosen), written) << chosen;

    ASSERT_EQ(project->addSlideshow("Trip"), 0);
    project->setModified(false);
    EXPECT_TRUE(saveProjectAs(*project, dir.file("trip.txt")));
    EXPECT_EQ(project->projectFile(), dir.file("trip.txt.prg"));
    EXPECT_TRUE(fs::exists(dir.file("trip.txt.prg")));
}

// Everything a project can hold comes back as it was saved.
TEST_F(ProjectFileTest, RoundTripKeepsTheWholeProject)
{
    ASSERT_EQ(project->addSlideshow("Holiday & more"), 0);
    ASSERT_EQ(project->addSlideshow("Second"), 0);
    Slideshow& first = *project->slideshow(0);
    Slideshow& second = *project->slideshow(1);
    addTrack(first, dir.file("music/one.mp3"), "");
    addTrack(first, dir.file("music/two.wav"), "");
    addTrack(second, dir.file("music/three.mp2"), "");

    // One photo per transition type, each with its own parameters and durations.
    for (int type = 0; type < kConcreteTransitionCount; ++type) {
        Slideshow& slideshow = type % 2 == 0 ? first : second;
        const std::string path = picture("photo" + std::to_string(type) + ".png");
        ASSERT_EQ(slideshow.addPhoto(path, project->defaults()), 0);
        PhotoItem& photo = *slideshow.photo(slideshow.photoCount() - 1);
        auto transition = TransitionSettings::createDefault(type);
        transition->setParameters(1 + type % 3, type % 2);
        photo.settings.effect.setTransition(transition.get());
        photo.settings.effect.displaySeconds = 1 + type;
        photo.settings.effect.transitionSeconds = type % 11;
        photo.settings.effect.imageEffectMode = type % 4;
        photo.settings.effect.imageEffectId = type;
        photo.settings.videoStandard = type % 2;
        photo.settings.workingPathField = type == 3 ? "field" : "";
        photo.brightnessPos = type == 0 ? -20 : type;
        photo.contrastPos = type % 3 == 0 ? 0 : 5;
        photo.sharpenTimes = type % 4;
        photo.softenTimes = 2;
    }
    PhotoItem& edited = *first.photo(0);
    edited.workingPath = dir.file("Project_1/temp/photo0_1.png");
    TextOverlay text;
    text.text = "Hello <world> & friends";
    text.x = 10;
    text.y = 20;
    text.cx = 300;
    text.cy = 40;
    text.faceName = "DejaVu Sans";
    text.fontHeight = -24;
    text.colour = 0x0000FF;
    text.italic = 1;
    text.fontWeight = 700;
    edited.edits.push_back(PhotoEdit::text(text));
    edited.edits.push_back(PhotoEdit::image({dir.file("decorate_pics/star.png"), 1, 2, 30, 40}));
    edited.edits.push_back(PhotoEdit::crop({{5, 6}, {70, 80}}));
    for (const PhotoEditKind kind :
         {PhotoEditKind::RotateLeft90, PhotoEditKind::RotateRight90, PhotoEditKind::Rotate180,
          PhotoEditKind::FlipHorizontally, PhotoEditKind::FlipVertically})
        edited.edits.push_back(PhotoEdit::simple(kind));
    first.setCoverIndexValue(2);
    first.recomputeTiming();
    second.recomputeTiming();

    project->setModified(true);
    ASSERT_TRUE(saveProject(*project, false));
    const std::string saved = test::readFile(project->projectFile());
    auto loaded = load(project->projectFile());

    ASSERT_EQ(loaded->slideshowCount(), 2);
    EXPECT_EQ(loaded->slideshow(0)->name(), "Holiday & more");
    EXPECT_NE(saved.find("<name>Holiday &amp; more</name>"), std::string::npos);
    EXPECT_EQ(loaded->slideshow(0)->coverIndex(), 2);
    for (int s = 0; s < 2; ++s) {
        const Slideshow& before = *project->slideshow(s);
        const Slideshow& after = *loaded->slideshow(s);
        ASSERT_EQ(after.music().size(), before.music().size());
        for (std::size_t t = 0; t < before.music().size(); ++t)
            EXPECT_EQ(after.music()[t].originalPath, before.music()[t].originalPath);
        ASSERT_EQ(after.photoCount(), before.photoCount());
        for (int p = 0; p < before.photoCount(); ++p) {
            SCOPED_TRACE(before.photo(p)->originalPath);
            const PhotoItem& a = *before.photo(p);
            const PhotoItem& b = *after.photo(p);
            EXPECT_EQ(b.originalPath, a.originalPath);
            EXPECT_EQ(b.workingPath, a.workingPath);
            EXPECT_EQ(b.settings.videoStandard, a.settings.videoStandard);
            EXPECT_EQ(b.settings.workingPathField, a.settings.workingPathField);
            EXPECT_EQ(b.settings.tempFolder, a.settings.tempFolder);
            EXPECT_EQ(b.settings.outputFolder, a.settings.outputFolder);
            EXPECT_EQ(b.settings.effect.displaySeconds, a.settings.effect.displaySeconds);
            EXPECT_EQ(b.settings.effect.transitionSeconds, a.settings.effect.transitionSeconds);
            EXPECT_EQ(b.settings.effect.imageEffectId, a.settings.effect.imageEffectId);
            EXPECT_EQ(b.settings.effect.imageEffectMode, a.settings.effect.imageEffectMode);
            EXPECT_EQ(*b.settings.effect.transition, *a.settings.effect.transition);
            EXPECT_EQ(b.brightnessPos, std::max(a.brightnessPos, 0));
            EXPECT_EQ(b.contrastPos, a.contrastPos);
            EXPECT_EQ(b.sharpenTimes, a.sharpenTimes);
            EXPECT_EQ(b.softenTimes, a.softenTimes);
            EXPECT_EQ(b.startSeconds, a.startSeconds);
            ASSERT_EQ(b.edits.size(), a.edits.size());
        }
        EXPECT_EQ(after.totalFrames(), before.totalFrames());
    }

    const auto& edits = loaded->slideshow(0)->photo(0)->edits;
    ASSERT_EQ(edits.size(), 8u);
    const TextOverlay* readText = edits[0].textOverlay();
    ASSERT_NE(readText, nullptr);
    EXPECT_EQ(readText->text, text.text);
    EXPECT_EQ(readText->faceName, text.faceName);
    EXPECT_EQ(std::tie(readText->x, readText->y, readText->cx, readText->cy, readText->fontHeight,
                       readText->colour, readText->italic, readText->fontWeight),
              std::tie(text.x, text.y, text.cx, text.cy, text.fontHeight, text.colour, text.italic,
                       text.fontWeight));
    ASSERT_NE(edits[1].imageOverlay(), nullptr);
    EXPECT_EQ(edits[1].imageOverlay()->imageName, dir.file("decorate_pics/star.png"));
    EXPECT_EQ(edits[1].imageOverlay()->cy, 40);
    ASSERT_NE(edits[2].cropEdit(), nullptr);
    EXPECT_EQ(edits[2].cropEdit()->downright.y, 80);
    EXPECT_EQ(edits[3].kind, PhotoEditKind::RotateLeft90);
    EXPECT_EQ(edits[7].kind, PhotoEditKind::FlipVertically);

    // Nothing is lost or added: the loaded project saves to the same text.
    loaded->setProjectFile(dir.file("again.prg"));
    ASSERT_TRUE(saveProject(*loaded, false));
    EXPECT_EQ(test::readFile(dir.file("again.prg")), saved);
}

TEST_F(ProjectFileTest, LoadedDurationsReachTheTotals)
{
    ASSERT_EQ(project->addSlideshow("Trip"), 0);
    Slideshow& slideshow = *project->slideshow(0);
    for (const char* name : {"a.png", "b.png", "c.png"})
        ASSERT_EQ(slideshow.addPhoto(picture(name), project->defaults()), 0);
    // Every photo, the last one too, has lengths other than the defaults.
    std::vector<int> indices = {0, 1, 2};
    slideshow.setDisplaySeconds(indices, 10);
    slideshow.setTransitionSeconds(indices, 5);
    const int frames = slideshow.totalFrames();

    auto loaded = roundTrip();
    Slideshow& read = *loaded->slideshow(0);
    EXPECT_EQ(read.totalFrames(), frames);
    EXPECT_EQ(read.photo(2)->startSeconds, slideshow.photo(2)->startSeconds);
    EXPECT_EQ(loaded->totalFrames(), frames);
}

TEST_F(ProjectFileTest, PhotosThatCannotBeAddedAreSkipped)
{
    ASSERT_EQ(project->addSlideshow("Gone"), 0);
    ASSERT_EQ(project->addSlideshow("Kept"), 0);
    ASSERT_EQ(project->addSlideshow("Last"), 0);
    const std::string goneA = picture("gone_a.png");
    const std::string goneB = picture("gone_b.png");
    const std::string first = picture("first.png");
    const std::string missing = picture("missing.png");
    const std::string third = picture("third.png");
    const std::string last = picture("last.png");
    project->slideshow(0)->addPhoto(goneA, project->defaults());
    project->slideshow(0)->addPhoto(goneB, project->defaults());
    for (const std::string& path : {first, missing, third})
        ASSERT_EQ(project->slideshow(1)->addPhoto(path, project->defaults()), 0);
    ASSERT_EQ(project->slideshow(2)->addPhoto(last, project->defaults()), 0);
    addTrack(*project->slideshow(0), dir.file("music.mp3"), "");
    project->setModified(true);
    ASSERT_TRUE(saveProject(*project, false));
    for (const std::string& path : {goneA, goneB, missing})
        fs::remove(path);
    // A text file with a picture's name is no picture either.
    test::writeFile(third, "not a picture");

    auto loaded = load(project->projectFile());
    ASSERT_EQ(loaded->slideshowCount(), 2);
    EXPECT_EQ(loaded->slideshow(0)->name(), "Kept");
    ASSERT_EQ(loaded->slideshow(0)->photoCount(), 1);
    EXPECT_EQ(loaded->slideshow(0)->photo(0)->originalPath, first);
    EXPECT_EQ(loaded->slideshow(1)->name(), "Last");
    EXPECT_EQ(loaded->slideshow(1)->index(), 1);
}

TEST_F(ProjectFileTest, CoverIndexBeyondThePhotosIsKept)
{
    ASSERT_EQ(project->addSlideshow("Trip"), 0);
    project->slideshow(0)->addPhoto(picture("a.png"), project->defaults());
    project->slideshow(0)->addPhoto(picture("b.png"), project->defaults());
    project->slideshow(0)->setCoverIndexValue(3);
    auto loaded = roundTrip();
    Slideshow& read = *loaded->slideshow(0);
    EXPECT_EQ(read.coverIndex(), 3);
    EXPECT_EQ(read.coverPhoto(), read.photo(1));
}

// Hand-edited files: what each change does to the load.
TEST_F(ProjectFileTest, DamagedFilesAreRefusedAtTheMissingElement)
{
    ASSERT_EQ(project->addSlideshow("Trip"), 0);
    project->slideshow(0)->addPhoto(picture("a.png"), project->defaults());
    TextOverlay text;
    text.text = "hi";
    project->slideshow(0)->photo(0)->edits.push_back(PhotoEdit::text(text));
    project->slideshow(0)->photo(0)->edits.push_back(PhotoEdit::simple(PhotoEditKind::Rotate180));
    project->setModified(true);
    ASSERT_TRUE(saveProject(*project, false));
    const std::string saved = test::readFile(project->projectFile());

    struct Case {
        const char* name;
        std::string from;
        std::string to;
        bool loaded;
        int slideshows;
        std::size_t edits;
    };
    const std::vector<Case> cases = {
        {"text without FontWeight", "<FontWeight>0</FontWeight>", "", false, 1, 0},
        {"no Temp Path", "<Temp Path>" + dir.file("Project_1/temp") + "</Temp Path>\r\n", "", false,
         0, 0},
        {"unknown transition", "NAME=\"TRANSITION_EFFECT_", "NAME=\"UNKNOWN_", false, 1, 0},
        {"no General", "<General/>", "", true, 1, 2},
        {"unknown edit", "<Rotate180/>", "<Rotate360/>", true, 1, 1},
        {"no slideshows", "<cuteslideshows>", "<slideshows>", true, 0, 0},
        {"no name", "<name>Trip</name>", "", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string edited = replaced(saved, c.from, c.to);
        if (std::string(c.name) == "no slideshows")
            edited = replaced(edited, "</cuteslideshows>", "</slideshows>");
        ASSERT_NE(edited, saved);
        ASSERT_TRUE(test::writeFile(dir.file("edited.prg"), edited));
        auto loaded = load(dir.file("edited.prg"), c.loaded);
        EXPECT_EQ(loaded->slideshowCount(), c.slideshows);
        if (c.loaded && c.slideshows > 0) {
            EXPECT_EQ(loaded->slideshow(0)->photo(0)->edits.size(), c.edits);
        }
    }
}

TEST_F(ProjectFileTest, FilesWithoutAProjectLoadAsEmptyOrFail)
{
    test::writeFile(dir.file("empty.prg"),
                    "<zovudid>\r\n<Preference File/>\r\n<Working Path>/w</Working Path>\r\n"
                    "<Temp Path>/w/temp</Temp Path>\r\n<OutPut Path>/w/Output</OutPut "
                    "Path>\r\n</zovudid>\r\n");
    auto empty = load(dir.file("empty.prg"));
    EXPECT_EQ(empty->slideshowCount(), 0);
    EXPECT_EQ(empty->folders().workingFolder, "/w");
    EXPECT_EQ(empty->defaults().tempFolder, "/w/temp");
    EXPECT_EQ(empty->folders().outputFolder, "/w/Output");

    load(dir.file("nothing-here.prg"), false);
    EXPECT_TRUE(messages.messages().empty());

    test::writeFile(dir.file("broken.prg"), "<zovudid><cuteslideshows>");
    load(dir.file("broken.prg"), false);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "can not set Doc!");
}

TEST_F(ProjectFileTest, Utf16FileWithItsMarkLoadsLikeTheNarrowOne)
{
    ASSERT_EQ(project->addSlideshow("Trip"), 0);
    project->slideshow(0)->addPhoto(picture("a.png"), project->defaults());
    project->setModified(true);
    ASSERT_TRUE(saveProject(*project, false));
    const std::string narrow = test::readFile(project->projectFile());
    std::string wide = "\xFF\xFE";
    for (char c : narrow) {
        wide += c;
        wide += '\0';
    }
    ASSERT_TRUE(test::writeFile(dir.file("wide.prg"), wide));
    auto loaded = load(dir.file("wide.prg"));
    loaded->setProjectFile(dir.file("narrow-again.prg"));
    ASSERT_TRUE(saveProject(*loaded, false));
    EXPECT_EQ(test::readFile(dir.file("narrow-again.prg")), narrow);
}

TEST_F(ProjectFileTest, RelativePathsAreTakenFromTheProjectFilesFolder)
{
    const std::string folder = dir.file("moved");
    fs::create_directories(folder + "/photos");
    ASSERT_TRUE(test::writePicture(folder + "/photos/a.png", QSize(8, 6)));
    const std::string absolute = picture("b.png");
    std::ostringstream text;
    text << "<zovudid>\r\n<Preference File/>\r\n<Working Path>" << folder
         << "</Working Path>\r\n<Temp Path>" << folder << "/temp</Temp Path>\r\n<OutPut Path>"
         << folder << "/Output</OutPut Path>\r\n<cuteslideshows>\r\n<slideshow>\r\n"
         << "<name>Trip</name>\r\n<cover index>0</cover index>\r\n"
         << "<audio>\r\n<originalFileName>music/song.mp3</originalFileName>\r\n</audio>\r\n";
    for (const std::string& path : {std::string("photos/a.png"), absolute}) {
        text << "<pic>\r\n<strOriginalFile>" << path << "</strOriginalFile>\r\n"
             << "<m_strTempFile>" << path << "</m_strTempFile>\r\n"
             << "<ZIRE_SETTING>\r\n<IS_NTSC>1</IS_NTSC>\r\n<WOKRING_PATH/>\r\n<TEMP_PATH/>\r\n"
             << "<OUTPUT_PATH/>\r\n<ZIRE_EFFECT>\r\n<SINGLE_EFFECT_TIME>4</SINGLE_EFFECT_TIME>\r\n"
             << "<SINGLE_EFFECT_ID>20</SINGLE_EFFECT_ID>\r\n"
             << "<SINGLE_EFFECT_INIT_TYPE>0</SINGLE_EFFECT_INIT_TYPE>\r\n"
             << "<TRANSITIO_EFFECT_TIME>1</TRANSITIO_EFFECT_TIME>\r\n"
             << "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_RANDOM\"/>\r\n"
             << "</ZIRE_EFFECT>\r\n</ZIRE_SETTING>\r\n</pic>\r\n";
    }
    text << "</slideshow>\r\n</cuteslideshows>\r\n<zireMenu/>\r\n</zovudid>\r\n";
    ASSERT_TRUE(test::writeFile(folder + "/trip.prg", text.str()));

    auto loaded = load(folder + "/trip.prg");
    ASSERT_EQ(loaded->slideshowCount(), 1);
    const Slideshow& read = *loaded->slideshow(0);
    ASSERT_EQ(read.photoCount(), 2);
    EXPECT_EQ(read.photo(0)->originalPath, folder + "/photos/a.png");
    EXPECT_EQ(read.photo(0)->workingPath, folder + "/photos/a.png");
    EXPECT_EQ(read.photo(1)->originalPath, absolute);
    ASSERT_EQ(read.music().size(), 1u);
    EXPECT_EQ(read.music()[0].originalPath, folder + "/music/song.mp3");
}

TEST_F(ProjectFileTest, OnlyTheProgramsOwnPreferencesFileIsReadOrWritten)
{
    ASSERT_EQ(project->addSlideshow("Trip"), 0);
    project->slideshow(0)->addPhoto(picture("a.png"), project->defaults());
    project->setModified(true);
    ASSERT_TRUE(saveProject(*project, false));
    const std::string saved = test::readFile(project->projectFile());
    const std::string own = dir.file("referenceFile.xml");
    const std::string ownTag = "<Preference File>" + own + "</Preference File>";

    // A foreign preferences file with other values: neither read nor touched.
    const std::string foreign = dir.file("elsewhere/referenceFile.xml");
    fs::create_directories(dir.file("elsewhere"));
    const std::string foreignText =
        replaced(test::readFile(own), "<singleTime>3</singleTime>", "<singleTime>9</singleTime>");
    ASSERT_TRUE(test::writeFile(foreign, foreignText));
    const std::string missing = dir.file("nowhere/prefs.xml");
    for (const std::string& named : {foreign, missing, std::string("/etc/referenceFile.xml")}) {
        SCOPED_TRACE(named);
        ASSERT_TRUE(test::writeFile(
            dir.file("foreign.prg"),
            replaced(saved, ownTag, "<Preference File>" + named + "</Preference File>")));
        auto loaded = fresh();
        const std::string ownBefore = test::readFile(own);
        loaded->setProjectFile(dir.file("foreign.prg"));
        ASSERT_TRUE(loadProject(*loaded, addTrack));
        EXPECT_EQ(loaded->slideshowCount(), 1);
        EXPECT_EQ(loaded->defaults().effect.displaySeconds, 3);
        EXPECT_EQ(loaded->resourcePaths().preferencesFile, own);
        EXPECT_TRUE(test::readFile(own) == ownBefore);
        EXPECT_TRUE(test::readFile(foreign) == foreignText);
        EXPECT_FALSE(fs::exists(dir.file("nowhere")));
    }

    // The program's own file, even when spelt differently, is read again (and counts a run).
    for (const std::string& named : {own, dir.file("elsewhere/../referenceFile.xml")}) {
        SCOPED_TRACE(named);
        ASSERT_TRUE(test::writeFile(
            dir.file("own.prg"),
            replaced(saved, ownTag, "<Preference File>" + named + "</Preference File>")));
        auto loaded = fresh();
        const int runs = loaded->preferences().runTimes;
        loaded->setProjectFile(dir.file("own.prg"));
        ASSERT_TRUE(loadProject(*loaded, addTrack));
        EXPECT_EQ(loaded->preferences().runTimes, runs + 1);
    }
}

TEST_F(ProjectFileTest, TempPathOfALoadedProjectIsNotDeletedWhenItIsNotAProjectTempFolder)
{
    const std::string home = dir.file("home");
    fs::create_directories(home);
    ASSERT_TRUE(test::writeFile(home + "/letter.txt", "dear"));
    test::writeFile(dir.file("other.prg"), "<zovudid>\r\n<Preference File/>\r\n<Working Path>" +
                                               home + "</Working Path>\r\n<Temp Path>" + home +
                                               "</Temp Path>\r\n<OutPut Path>" + home +
                                               "</OutPut Path>\r\n</zovudid>\r\n");
    auto loaded = load(dir.file("other.prg"));
    // The file goes away; the project now counts as never saved.
    fs::remove(dir.file("other.prg"));
    cleanUnsavedProject(*loaded);
    EXPECT_EQ(test::readFile(home + "/letter.txt"), "dear");
}

} // namespace
} // namespace pictavo
