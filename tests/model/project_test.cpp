#include "core/notifier.h"
#include "model/file_names.h"
#include "model/project.h"
#include "model_fixtures.h"

#include <functional>
#include <gtest/gtest.h>

namespace pictavo {
namespace {

std::vector<std::string> namesOf(const Project& project)
{
    std::vector<std::string> names;
    for (int i = 0; i < project.slideshowCount(); ++i) {
        EXPECT_EQ(project.slideshow(i)->index(), i);
        names.push_back(project.slideshow(i)->name());
    }
    return names;
}

class ProjectTest : public testing::Test {
protected:
    void SetUp() override
    {
        previous_ = installNotifier(&messages_);
        project_.folders() = ProjectFolders::forWorkingFolder("/work/Project_1");
    }
    void TearDown() override { installNotifier(previous_); }

    void addShows(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            ASSERT_EQ(project_.addSlideshow(name), 0) << name;
    }

    RecordingNotifier messages_;
    Notifier* previous_ = nullptr;
    Project project_;
};

TEST_F(ProjectTest, StartsEmpty)
{
    EXPECT_EQ(project_.slideshowCount(), 0);
    EXPECT_EQ(project_.currentSlideshow(), -1);
    EXPECT_EQ(project_.slideshow(0), nullptr);
    EXPECT_EQ(project_.defaults().effect.transitionType(), kTransitionAlpha);
    EXPECT_EQ(project_.defaults().effect.transitionSeconds, 2);
    EXPECT_EQ(project_.defaults().effect.displaySeconds, 3);
    EXPECT_EQ(project_.defaults().effect.imageEffectMode, kImageEffectModeNone);
    EXPECT_EQ(project_.defaults().videoStandard, kVideoStandardNtsc);
    EXPECT_EQ(project_.musicFileForJob(), "");
}

TEST_F(ProjectTest, AddSlideshowNameRules)
{
    EXPECT_EQ(project_.addSlideshow("ABCDEFGHIJKLMNOPQRST"), 0);
    EXPECT_EQ(project_.slideshow(0)->name(), "ABCDEFGHIJKLMNO");
    // Differs only after character 15: the same name once cut.
    EXPECT_EQ(project_.addSlideshow("ABCDEFGHIJKLMNOxyz"), 1);
    EXPECT_EQ(project_.addSlideshow(""), 1);
    EXPECT_EQ(project_.addSlideshow("abcdefghijklmno"), 0); // case-sensitive comparison
    EXPECT_EQ(project_.currentSlideshow(), 1);
    // Characters, not bytes: a name of 20 two-byte letters keeps 15 whole letters.
    std::string accented;
    for (int i = 0; i < 20; ++i)
        accented += "\xc3\xa9";
    EXPECT_EQ(project_.addSlideshow(accented), 0);
    EXPECT_EQ(project_.slideshow(2)->name(), accented.substr(0, 30));
    EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(ProjectTest, AddSlideshowSetsFlagsEvenWhenRefused)
{
    EXPECT_EQ(project_.addSlideshow(""), 1);
    EXPECT_TRUE(project_.modified());
    EXPECT_FALSE(project_.refreshNeeded());
    EXPECT_EQ(project_.addSlideshow("A"), 0);
    EXPECT_TRUE(project_.refreshNeeded());
}

TEST_F(ProjectTest, FiftySlideshowsAtMost)
{
    for (int i = 0; i < Project::kMaxSlideshows; ++i)
        ASSERT_EQ(project_.addSlideshow(project_.nextSlideshowName()), 0);
    EXPECT_EQ(project_.addSlideshow("One more"), 1);
    ASSERT_EQ(messages_.messages().size(), 1u);
    EXPECT_EQ(messages_.messages()[0].text, "get to Max slideshow count 50!");
    EXPECT_EQ(project_.slideshowCount(), 50);
    // A duplicate at the limit is refused before the limit is looked at.
    EXPECT_EQ(project_.addSlideshow("Slideshow_0"), 1);
    EXPECT_EQ(messages_.messages().size(), 1u);
}

TEST_F(ProjectTest, NextSlideshowName)
{
    EXPECT_EQ(project_.nextSlideshowName(), "Slideshow_0");
    addShows({"Slideshow_2", "Slideshow_3"});
    EXPECT_EQ(project_.nextSlideshowName(), "Slideshow_4");
    project_.removeAllSlideshows();
    addShows({"Slideshow_1", "Other"});
    EXPECT_EQ(project_.nextSlideshowName(), "Slideshow_2");
}

TEST_F(ProjectTest, RemoveSlideshowKeepsTheCurrentOne)
{
    addShows({"A"});
    EXPECT_EQ(project_.removeSlideshow(0), 0);
    EXPECT_EQ(project_.currentSlideshow(), -1);
    EXPECT_EQ(project_.removeSlideshow(0), 1);

    struct Case {
        int current;
        int removed;
        int expectedCurrent;
    };
    for (const Case& c : {Case{3, 2, 2}, Case{1, 3, 1}, Case{0, 0, 0}, Case{4, 4, 3}}) {
        SCOPED_TRACE(testing::Message() << c.current << " " << c.removed);
        project_.removeAllSlideshows();
        addShows({"A", "B", "C", "D", "E"});
        project_.setCurrentSlideshow(c.current);
        EXPECT_EQ(project_.removeSlideshow(c.removed), 0);
        EXPECT_EQ(project_.currentSlideshow(), c.expectedCurrent);
        EXPECT_EQ(project_.slideshowCount(), 4);
        namesOf(project_);
    }
    EXPECT_EQ(project_.removeSlideshow(4), 1);
    EXPECT_EQ(project_.removeSlideshow(-1), 1);
}

TEST_F(ProjectTest, PhotoEditsMarkTheProjectModified)
{
    addShows({"A"});
    Slideshow& show = *project_.slideshow(0);
    for (const char* name : {"a", "b", "c"})
        show.appendPhoto(test::memoryPhoto(name));
    project_.setModified(false);
    EXPECT_EQ(show.removePhoto(3), 1);
    EXPECT_EQ(show.removePhoto(-1), 1);
    EXPECT_FALSE(project_.modified());
    std::vector<int> bad{7};
    EXPECT_EQ(show.movePhotos(bad, 0, true), -1);
    EXPECT_TRUE(project_.modified());

    using Edit = std::function<void(Slideshow&)>;
    const Edit edits[] = {
        [](Slideshow& s) { s.removePhoto(0); },
        [](Slideshow& s) { s.setDisplaySeconds({0}, 5); },
        [](Slideshow& s) { s.setTransitionSeconds({0}, 5); },
        [](Slideshow& s) { s.setImageEffectMode({0}, kImageEffectModePan); },
        [](Slideshow& s) { s.setTransition({0}, *TransitionSettings::createDefault(3)); },
        [](Slideshow& s) { s.setCoverIndex(9); },
    };
    for (const Edit& edit : edits) {
        project_.setModified(false);
        edit(show);
        EXPECT_TRUE(project_.modified());
    }
    // Operations on a photo itself and derived file names leave the flag alone.
    project_.setModified(false);
    show.photo(0)->makeThumbnail(1, true);
    show.rebase("/elsewhere");
    project_.setOutputFiles("/out", "mpg");
    EXPECT_FALSE(project_.modified());
}

TEST_F(ProjectTest, MoveSlideshows)
{
    addShows({"A", "B", "C"});
    project_.setCurrentSlideshow(1);
    EXPECT_EQ(project_.moveSlideshowUp(1), 0);
    EXPECT_EQ(namesOf(project_), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(project_.currentSlideshow(), 0);
    EXPECT_EQ(project_.moveSlideshowDown(0), 0);
    EXPECT_EQ(namesOf(project_), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(project_.currentSlideshow(), 1);
    EXPECT_EQ(project_.moveSlideshowUp(0), 0);
    EXPECT_EQ(project_.moveSlideshowDown(2), 0);
    EXPECT_EQ(namesOf(project_), (std::vector<std::string>{"A", "B", "C"}));
    project_.setModified(false);
    project_.setRefreshNeeded(false);
    EXPECT_EQ(project_.moveSlideshowDown(2), 0);
    EXPECT_TRUE(project_.modified());
    EXPECT_TRUE(project_.refreshNeeded());
}

TEST_F(ProjectTest, SlideshowFilesFollowTheWorkingFolder)
{
    addShows({"Holiday"});
    const Slideshow& show = *project_.slideshow(0);
    EXPECT_EQ(show.yuvPath(), "/work/Project_1/temp/Holiday.yuv");
    EXPECT_EQ(show.m2vPath(), "/work/Project_1/temp/Holiday.m2v");
    EXPECT_EQ(show.mp2Path(), "/work/Project_1/temp/Holiday.mp2");
    EXPECT_EQ(show.mpgPath(), "/work/Project_1/temp/Holiday.mpg");
    EXPECT_EQ(show.coverPath(), "/work/Project_1/temp/cover_Holiday.bmp");
    EXPECT_EQ(show.coverIndex(), 0);
    EXPECT_EQ(show.photoCount(), 0);
}

TEST(SafeFileName, KeepsOrdinaryNamesAndEscapesTheRest)
{
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"Holiday 2024", "Holiday 2024"},
        {"a.b..c", "a.b..c"},
        {"50%off", "50%off"},
        {"a/b", "a%2Fb"},
        {"../x", "%2E%2E%2Fx"},
        {"..", "%2E%2E"},
        {".hidden", "%2Ehidden"},
        {"a\\b:c*d?e\"f<g>h|i", "a%5Cb%3Ac%2Ad%3Fe%22f%3Cg%3Eh%7Ci"},
        {"tab\there\n", "tab%09here%0A"},
        {"100%2F", "100%252F"},
        {"", "%00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(safeFileName(c.name), c.expected) << c.name;
    // Distinct names stay distinct.
    EXPECT_NE(safeFileName("a/b"), safeFileName("a%2Fb"));
    EXPECT_NE(safeFileName("a/b"), safeFileName("a_b"));
}

TEST_F(ProjectTest, NamesWithSeparatorsStayInsideTheirFolders)
{
    addShows({"../../etc/x", "a/b"});
    const Slideshow& escaping = *project_.slideshow(0);
    EXPECT_EQ(escaping.name(), "../../etc/x");
    for (const std::string& path : {escaping.yuvPath(), escaping.m2vPath(), escaping.mp2Path(),
                                    escaping.mpgPath(), escaping.coverPath()}) {
        EXPECT_EQ(folderOf(path), "/work/Project_1/temp") << path;
        EXPECT_NE(fileNameOf(path).front(), '.') << path;
    }
    project_.setOutputFiles("/work/Project_1/Output", "mp4");
    EXPECT_EQ(project_.slideshow(1)->mpgPath(), "/work/Project_1/Output/a%2Fb.mp4");
    EXPECT_EQ(folderOf(escaping.mpgPath()), "/work/Project_1/Output");

    Slideshow& show = *project_.slideshow(1);
    show.rebase("/new/temp");
    EXPECT_EQ(show.coverPath(), "/new/temp/cover_a%2Fb.bmp");
    EXPECT_EQ(show.yuvPath(), "/new/temp/a%2Fb.yuv");
    show.setMusicFile("mp2", "/job");
    EXPECT_EQ(show.mp2Path(), "/job/a%2Fb.mp2");
}

TEST_F(ProjectTest, MusicFilesOfTheJob)
{
    project_.resourcePaths() = ResourcePaths::fromApplicationFolder("/app");
    EXPECT_EQ(project_.resourcePaths().silentMusic, "/app/menu_pic/silent.mp2");
    addShows({"First", "Second"});
    EXPECT_EQ(project_.musicFileForJob(), "/app/menu_pic/silent.mp2");

    Slideshow& first = *project_.slideshow(0);
    AudioTrack track;
    track.name = "song.mp3";
    track.durationSeconds = 10;
    first.music().push_back(track);
    track.name = "noext";
    first.music().push_back(track);
    first.setMusicFile("mp2", "/w/temp");
    EXPECT_EQ(first.mp2Path(), "/w/temp/First.mp2");
    EXPECT_EQ(first.music()[0].mp2Path, "/w/temp/song.mp2");
    EXPECT_EQ(first.music()[1].mp2Path, "/w/temp/noext.mp2");
    EXPECT_EQ(project_.musicFileForJob(), "/w/temp/First.mp2");

    project_.shareFirstMusicFile();
    EXPECT_EQ(project_.slideshow(1)->mp2Path(), "/w/temp/First.mp2");

    first.rebase("/other/temp");
    EXPECT_EQ(first.mp2Path(), "/other/temp/First.mp2");
    EXPECT_EQ(first.music()[0].mp2Path, "/other/temp/song.mp3.mp2");
}

TEST(FolderRecords, BuiltFromTheirFolders)
{
    const ProjectFolders folders = ProjectFolders::forWorkingFolder("/a/Project_3");
    EXPECT_EQ(folders.tempFolder, "/a/Project_3/temp");
    EXPECT_EQ(folders.outputFolder, "/a/Project_3/Output");

    const ResourcePaths paths = ResourcePaths::fromFolders("/opt/app", "/home/u/data");
    EXPECT_EQ(paths.preferencesFile, "/home/u/data/referenceFile.xml");
    EXPECT_EQ(paths.defaultMusic, "/opt/app/menu_pic/default.mp3");
    EXPECT_EQ(paths.silentMusic, "/opt/app/menu_pic/silent.mp2");
    EXPECT_EQ(paths.defaultImage, "/opt/app/res/defaultImage.bmp");
    EXPECT_EQ(paths.logFile, "/home/u/data/log.txt");

    const Preferences preferences = Preferences::defaultsFor("/opt/app");
    EXPECT_EQ(preferences.version, "3.0.6");
    EXPECT_EQ(preferences.appPath, "/opt/app");
    EXPECT_EQ(preferences.fdSearchPath, "/opt/app");
    EXPECT_EQ(preferences.defaultImage, "/opt/app/res/defaultImage.bmp");
    EXPECT_EQ(preferences.nationName, "U.S.A");
    EXPECT_TRUE(preferences.loopAudio);
    EXPECT_TRUE(preferences.randomTransition);
    EXPECT_FALSE(preferences.randomImageEffect);
    EXPECT_EQ(preferences.transmitTime, 2);
    EXPECT_EQ(preferences.singleTime, 3);
}

} // namespace
} // namespace pictavo
