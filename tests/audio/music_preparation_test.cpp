#include "audio/audio_converter.h"
#include "audio/music_list.h"
#include "audio/music_preparation.h"
#include "audio_fixture.h"
#include "audio_test_support.h"
#include "core/auto_reset_event.h"
#include "model/project.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace pictavo {
namespace {

using test::AudioTest;
using test::makeSound;
using test::readFile;

bool exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

AudioTrack trackFor(const std::string& source, const std::string& mp2Path, int seconds)
{
    AudioTrack track;
    track.originalPath = source;
    track.name = std::filesystem::path(source).filename().string();
    track.mp2Path = mp2Path;
    track.durationSeconds = seconds;
    return track;
}

std::unique_ptr<PhotoItem> photoOf(int displaySeconds, int transitionSeconds)
{
    auto photo = std::make_unique<PhotoItem>();
    photo->originalPath = photo->workingPath = "/nowhere/photo.jpg";
    photo->displayName = "photo.jpg";
    photo->settings.videoStandard = kVideoStandardPal;
    photo->settings.effect.displaySeconds = displaySeconds;
    photo->settings.effect.transitionSeconds = transitionSeconds;
    return photo;
}

// A PAL project of exactly 100 seconds: with two photos the frame total is one second of
// opening plus the first photo's transition and the second photo's display.
void makeHundredSecondProject(Project& project, const std::string& workingFolder)
{
    project.folders() = ProjectFolders::forWorkingFolder(workingFolder);
    project.defaults().videoStandard = kVideoStandardPal;
    ASSERT_EQ(project.addSlideshow("Holiday"), 0);
    ASSERT_EQ(project.addSlideshow("Garden"), 0);
    project.slideshow(0)->appendPhoto(photoOf(3, 2));
    project.slideshow(0)->appendPhoto(photoOf(60, 5));
    project.slideshow(1)->appendPhoto(photoOf(4, 2));
    project.slideshow(1)->appendPhoto(photoOf(34, 3));
    ASSERT_EQ(projectPlayingSeconds(project), 100); // 63 s + 37 s
}

// Lines of the log in the order written, without their time stamps.
std::vector<std::string> logMessages(const std::string& logPath)
{
    std::vector<std::string> lines;
    std::istringstream in(test::readText(logPath));
    std::string line;
    while (std::getline(in, line)) {
        const auto year = line.find(", 20");
        lines.push_back(year == std::string::npos ? line : line.substr(line.find(": ", year) + 2));
    }
    return lines;
}

bool logHas(const std::string& logPath, const std::string& message)
{
    const auto lines = logMessages(logPath);
    return std::find(lines.begin(), lines.end(), message) != lines.end();
}

TEST(MusicRepetitions, LoopingCoversTheProject)
{
    struct Case {
        bool loop;
        int projectSeconds;
        std::vector<int> lengths;
        int expected;
    };
    const Case cases[] = {
        {true, 100, {30}, 4}, {true, 100, {100}, 2},    {true, 100, {60, 40}, 2},
        {true, 99, {100}, 1}, {true, 101, {25, 25}, 3}, {false, 1000, {30}, 1},
        {true, 100, {}, 1},   {true, 0, {30}, 1},       {true, 100, {0}, 1},
    };
    for (const Case& c : cases) {
        std::vector<AudioTrack> tracks;
        for (int length : c.lengths)
            tracks.push_back(trackFor("/m/a.mp3", "/t/a.mp2", length));
        EXPECT_EQ(musicRepetitions(tracks, c.loop, c.projectSeconds), c.expected)
            << c.loop << " " << c.projectSeconds << " " << c.lengths.size();
    }
}

class PrepareMusic : public AudioTest {
protected:
    // Converts a file as the preparation does and returns the MP2 bytes.
    std::string convertAlone(const std::string& source)
    {
        const std::string target = dir.file("alone.mp2");
        const AudioConverter converter;
        EXPECT_TRUE(converter.loaded()) << converter.loadError();
        EXPECT_EQ(converter.convert(source, target), 0) << converter.lastError();
        std::string bytes = readFile(target);
        std::filesystem::remove(target);
        return bytes;
    }
};

TEST_F(PrepareMusic, JoinedFileIsTheConvertedFilesOneAfterTheOther)
{
    std::filesystem::create_directories(dir.file("temp"));
    std::vector<AudioTrack> tracks;
    std::string expected;
    long long expectedFrames = 0;
    const std::pair<const char*, double> sounds[] = {
        {"a.wav", 2.0}, {"b.mp3", 3.0}, {"c.mp2", 1.0}};
    for (const auto& [name, seconds] : sounds) {
        const std::string source = dir.file(name);
        ASSERT_TRUE(makeSound(source, seconds)) << name;
        const std::string converted = convertAlone(source);
        ASSERT_FALSE(converted.empty()) << name;
        ASSERT_TRUE(test::writeFile(dir.file("probe.mp2"), converted));
        expectedFrames += test::decodeAudio(dir.file("probe.mp2")).frames;
        expected += converted;
        tracks.push_back(trackFor(source, dir.file("temp/" + std::string(name) + ".mp2"),
                                  static_cast<int>(seconds)));
    }

    const std::string joined = dir.file("temp/Show.mp2");
    EXPECT_EQ(prepareMusic(tracks, joined, nullptr, 1), 0);
    EXPECT_TRUE(readFile(joined) == expected) << "the joined file is not the concatenation";
    for (const AudioTrack& track : tracks)
        EXPECT_FALSE(exists(track.mp2Path)) << track.mp2Path;

    const test::DecodedAudio audio = test::decodeAudio(joined);
    EXPECT_EQ(audio.streams, 1);
    EXPECT_EQ(audio.codec, "mp2");
    EXPECT_EQ(audio.sampleRate, 48000);
    EXPECT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.frames, expectedFrames);
    EXPECT_NEAR(audio.frames * 1152 / 48000.0, 6.0, 0.2);
    EXPECT_TRUE(audio.clean);

    const auto log = logMessages(dir.file("log.txt"));
    const std::vector<std::string> firstTrack{"Load audio converter module ok",
                                              "convering mp3 file " + dir.file("a.wav"),
                                              "converted mp3 file resault: 0"};
    ASSERT_GE(log.size(), 11u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 3), firstTrack);
    EXPECT_EQ(log[9], "begin join all mp2 file");
    EXPECT_EQ(log[10], "end join all mp2 file");
}

TEST_F(PrepareMusic, HundredSecondProjectWithThirtySecondsOfMusicRepeatsItFourTimes)
{
    Project project;
    makeHundredSecondProject(project, dir.file("Project_1"));
    const std::string music = dir.file("thirty.wav");
    ASSERT_TRUE(makeSound(music, 30.0));
    addMusicTrack(*project.slideshow(0), music, project.folders().workingFolder);
    ASSERT_EQ(project.slideshow(0)->music().size(), 1u);
    ASSERT_EQ(project.slideshow(0)->music()[0].durationSeconds, 30);
    const std::string once = convertAlone(music);

    EXPECT_EQ(prepareJobMusic(project, nullptr), 0);
    const std::string joined = dir.file("Project_1/temp/Holiday.mp2");
    EXPECT_EQ(project.slideshow(0)->mp2Path(), joined);
    EXPECT_EQ(project.slideshow(1)->mp2Path(), joined);
    EXPECT_EQ(project.musicFileForJob(), joined);
    EXPECT_TRUE(readFile(joined) == once + once + once + once);
    EXPECT_TRUE(logHas(dir.file("log.txt"), "Begin make slideshow audio"));
    EXPECT_TRUE(logHas(dir.file("log.txt"), "End make slideshow audio return value:0"));
}

TEST_F(PrepareMusic, RepetitionsFollowTheLoopPreference)
{
    // The copying stand-in library keeps this cheap: the joined file repeats the sources.
    useFakeConverter("copy_only");
    struct Case {
        bool loop;
        std::vector<int> lengths;
        int repetitions;
    };
    const Case cases[] = {{true, {100}, 2}, {true, {70, 20}, 2}, {true, {30}, 4}, {false, {30}, 1}};
    for (const Case& c : cases) {
        Project project;
        makeHundredSecondProject(project, dir.file("Project_1"));
        project.preferences().loopAudio = c.loop;
        std::string once;
        for (size_t i = 0; i < c.lengths.size(); ++i) {
            const std::string source = dir.file("m" + std::to_string(i) + ".mp3");
            ASSERT_TRUE(test::writeFile(source, "sound " + std::to_string(i) + ";"));
            once += readFile(source);
            project.slideshow(0)->music().push_back(trackFor(source, "", c.lengths[i]));
        }
        EXPECT_EQ(prepareJobMusic(project, nullptr), 0);
        std::string expected;
        for (int r = 0; r < c.repetitions; ++r)
            expected += once;
        EXPECT_EQ(readFile(project.musicFileForJob()), expected) << c.lengths.size();
    }
}

TEST_F(PrepareMusic, EmptyListGivesAnEmptyJoinedFileAndTheSilentMusicIsUsed)
{
    Project project;
    makeHundredSecondProject(project, dir.file("Project_1"));
    EXPECT_EQ(prepareJobMusic(project, nullptr), 0);
    EXPECT_TRUE(exists(project.slideshow(0)->mp2Path()));
    EXPECT_EQ(readFile(project.slideshow(0)->mp2Path()), "");
    EXPECT_EQ(project.musicFileForJob(), project.resourcePaths().silentMusic);
}

TEST_F(PrepareMusic, StopRequestEndsThePreparation)
{
    std::vector<AudioTrack> tracks;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        ASSERT_TRUE(makeSound(dir.file(name), 1.0));
        tracks.push_back(trackFor(dir.file(name), dir.file(std::string(name) + ".mp2"), 1));
    }
    const std::string joined = dir.file("joined.mp2");

    // The real library sees the stop while it converts and gives up with its own result 2.
    AutoResetEvent stop;
    stop.set();
    EXPECT_EQ(prepareMusic(tracks, joined, &stop, 1), 2);
    EXPECT_FALSE(exists(tracks[0].mp2Path));
    EXPECT_FALSE(exists(joined));
    EXPECT_TRUE(logHas(dir.file("log.txt"), "converted mp3 file resault: 2"));
    EXPECT_FALSE(stop.test()); // the stop was taken, not left for someone else

    // A library that does not watch the stop finishes the track; the preparation stops after it.
    useFakeConverter("copy_only");
    stop.set();
    EXPECT_EQ(prepareMusic(tracks, joined, &stop, 1), 2);
    EXPECT_TRUE(exists(tracks[0].mp2Path));
    EXPECT_FALSE(exists(tracks[1].mp2Path));
    EXPECT_FALSE(exists(joined));
}

TEST_F(PrepareMusic, LibraryProblemsAndUnusableFiles)
{
    const std::string source = dir.file("a.mp3");
    ASSERT_TRUE(test::writeFile(source, "text, not sound"));
    const std::vector<AudioTrack> tracks{trackFor(source, dir.file("a.mp2"), 1)};
    const std::string joined = dir.file("joined.mp2");

    // No library at all: every file lasts a second, and nothing can be prepared.
    setApplicationFolder(dir.file("empty"));
    EXPECT_EQ(queryAudioDuration(source), 1);
    EXPECT_EQ(prepareMusic(tracks, joined, nullptr, 1), 1);
    EXPECT_TRUE(logHas(dir.file("log.txt"), "Load audio converter module error"));
    EXPECT_FALSE(exists(joined));
    Slideshow show("Show", dir.file("P"));
    addMusicTrack(show, source, dir.file("P"));
    ASSERT_EQ(show.music().size(), 1u);
    EXPECT_EQ(show.music()[0].durationText, "00:00:01");

    // A library without the duration query refuses every file.
    useFakeConverter("no_duration");
    EXPECT_EQ(queryAudioDuration(source), 0);
    addMusicTrack(show, dir.file("other.mp3"), dir.file("P"));
    EXPECT_EQ(show.music().size(), 1u);
    EXPECT_EQ(messages.messages().size(), 1u);

    // A library without the conversion cannot prepare anything.
    useFakeConverter("no_conversion");
    EXPECT_EQ(prepareMusic(tracks, joined, nullptr, 1), 1);
    EXPECT_FALSE(exists(joined));

    // The real library refuses a text file; its failure is passed on.
    setApplicationFolder("");
    EXPECT_EQ(queryAudioDuration(source), 0);
    EXPECT_EQ(prepareMusic(tracks, joined, nullptr, 1), 1);
    EXPECT_FALSE(exists(dir.file("a.mp2")));
}

TEST_F(PrepareMusic, FailuresStopAtTheFailingStep)
{
    useFakeConverter("copy_only");
    std::vector<AudioTrack> tracks;
    for (const char* name : {"a.mp3", "fail.mp3", "c.mp3"}) {
        ASSERT_TRUE(test::writeFile(dir.file(name), name));
        tracks.push_back(trackFor(dir.file(name), dir.file(std::string(name) + ".mp2"), 1));
    }

    // The library's own error code comes back unchanged and later tracks are not converted.
    EXPECT_EQ(prepareMusic(tracks, dir.file("joined.mp2"), nullptr, 1), 7);
    EXPECT_TRUE(logHas(dir.file("log.txt"), "converted mp3 file resault: 7"));
    EXPECT_TRUE(exists(tracks[0].mp2Path));
    EXPECT_FALSE(exists(tracks[2].mp2Path));

    // A joined file that cannot be created fails; the converted files stay.
    tracks.erase(tracks.begin() + 1);
    EXPECT_EQ(prepareMusic(tracks, dir.file("no such folder/joined.mp2"), nullptr, 1), 1);
    EXPECT_TRUE(exists(tracks[1].mp2Path));

    // Two tracks that would share a converted file, or a track converted onto its own music
    // or onto the joined file, are refused before anything is converted.
    std::filesystem::remove(tracks[0].mp2Path);
    std::vector<AudioTrack> shared = tracks;
    shared[1].mp2Path = shared[0].mp2Path;
    EXPECT_EQ(prepareMusic(shared, dir.file("joined.mp2"), nullptr, 1), 1);
    std::vector<AudioTrack> ontoItself = tracks;
    ontoItself[1].mp2Path = ontoItself[1].originalPath;
    EXPECT_EQ(prepareMusic(ontoItself, dir.file("joined.mp2"), nullptr, 1), 1);
    EXPECT_EQ(prepareMusic(tracks, tracks[1].mp2Path, nullptr, 1), 1);
    EXPECT_FALSE(exists(tracks[0].mp2Path));
    EXPECT_EQ(readFile(dir.file("c.mp3")), "c.mp3");
}

} // namespace
} // namespace pictavo
