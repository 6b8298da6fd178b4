#include "audio/audio_converter.h"
#include "audio/music_list.h"
#include "audio_fixture.h"
#include "audio_test_support.h"
#include "model/file_names.h"
#include "model/project.h"

#include <gtest/gtest.h>

#include <set>

namespace pictavo {
namespace {

using test::AudioTest;
using test::makeSound;

AudioTrack trackOf(const std::string& name, int seconds)
{
    AudioTrack track;
    track.name = name;
    track.originalPath = "/music/" + name;
    track.durationSeconds = seconds;
    return track;
}

std::vector<std::string> namesOf(const Slideshow& slideshow)
{
    std::vector<std::string> names;
    for (const AudioTrack& track : slideshow.music())
        names.push_back(track.name);
    return names;
}

std::vector<std::string> startTextsOf(const std::vector<AudioTrack>& tracks)
{
    std::vector<std::string> texts;
    for (const AudioTrack& track : tracks)
        texts.push_back(track.startText);
    return texts;
}

TEST(TrackStarts, StartsAreTheSumsOfTheLengthsBefore)
{
    std::vector<AudioTrack> tracks{trackOf("a.mp3", 30), trackOf("b.mp3", 45),
                                   trackOf("c.mp3", 20)};
    updateTrackStarts(tracks);
    EXPECT_EQ(startTextsOf(tracks), (std::vector<std::string>{"00:00:00", "00:00:30", "00:01:15"}));
    EXPECT_EQ(tracks[1].durationText, "00:00:45");
    EXPECT_EQ(tracks[2].startSeconds, 75);

    std::vector<AudioTrack> long_{trackOf("a", 200), trackOf("b", 180), trackOf("c", 61),
                                  trackOf("d", 1)};
    long_[3].durationSeconds = 3600;
    updateTrackStarts(long_);
    EXPECT_EQ(startTextsOf(long_),
              (std::vector<std::string>{"00:00:00", "00:03:20", "00:06:20", "00:07:21"}));
    EXPECT_EQ(long_[3].durationText, "01:00:00");
}

TEST(MusicListEdits, RemoveAndMoveKeepStartsAndMarkModified)
{
    Project project;
    ASSERT_EQ(project.addSlideshow("Show"), 0);
    Slideshow& show = *project.slideshow(0);
    show.music() = {trackOf("a.mp3", 30), trackOf("b.mp3", 45), trackOf("c.mp3", 20)};
    updateTrackStarts(show.music());

    struct Case {
        const char* what;
        int position;
        int result;
    };
    for (const Case& c : {Case{"below", -1, 1}, Case{"past the end", 3, 1}}) {
        project.setModified(false);
        EXPECT_EQ(removeMusicTrack(project, show, c.position), c.result) << c.what;
        EXPECT_EQ(show.music().size(), 3u) << c.what;
        EXPECT_FALSE(project.modified()) << c.what;
    }

    project.setModified(false);
    EXPECT_EQ(removeMusicTrack(project, show, 0), 0);
    EXPECT_TRUE(project.modified());
    EXPECT_EQ(startTextsOf(show.music()), (std::vector<std::string>{"00:00:00", "00:00:45"}));

    show.music().push_back(trackOf("d.mp3", 10));
    updateTrackStarts(show.music()); // b c d

    // Positions outside the allowed range change nothing and do not mark the project.
    for (int position : {0, 3, -1, 7}) {
        project.setModified(false);
        moveMusicTrackUp(project, show, position);
        EXPECT_FALSE(project.modified()) << position;
    }
    for (int position : {2, -1, 3}) {
        project.setModified(false);
        moveMusicTrackDown(project, show, position);
        EXPECT_FALSE(project.modified()) << position;
    }
    EXPECT_EQ(namesOf(show), (std::vector<std::string>{"b.mp3", "c.mp3", "d.mp3"}));

    moveMusicTrackUp(project, show, 2);
    EXPECT_TRUE(project.modified());
    EXPECT_EQ(namesOf(show), (std::vector<std::string>{"b.mp3", "d.mp3", "c.mp3"}));
    moveMusicTrackDown(project, show, 0);
    EXPECT_EQ(namesOf(show), (std::vector<std::string>{"d.mp3", "b.mp3", "c.mp3"}));
    EXPECT_EQ(startTextsOf(show.music()),
              (std::vector<std::string>{"00:00:00", "00:00:10", "00:00:55"}));
}

class AddMusic : public AudioTest {};

TEST_F(AddMusic, SoundFilesOfEveryKindAreMeasuredAndAdded)
{
    const std::string working = dir.file("Project_1");
    Slideshow show("Show", working);
    struct Case {
        const char* name;
        double seconds;
        int expected;
    };
    const Case cases[] = {
        {"tone.wav", 3.0, 3}, {"tone.mp3", 4.0, 4}, {"tone.mp2", 2.0, 2}, {"Tone.WAV", 1.5, 1}};
    for (const Case& c : cases) {
        const std::string path = dir.file(c.name);
        ASSERT_TRUE(makeSound(path, c.seconds)) << c.name;
        EXPECT_EQ(queryAudioDuration(path), c.expected) << c.name;
        addMusicTrack(show, path, working);
    }
    ASSERT_EQ(show.music().size(), 4u);
    const AudioTrack& mp3 = show.music()[1];
    EXPECT_EQ(mp3.originalPath, dir.file("tone.mp3"));
    EXPECT_EQ(mp3.name, "tone.mp3");
    EXPECT_EQ(mp3.mp2Path, working + "/temp/tone.mp2");
    EXPECT_EQ(mp3.durationSeconds, 4);
    EXPECT_EQ(mp3.durationText, "00:00:04");
    EXPECT_EQ(startTextsOf(show.music()),
              (std::vector<std::string>{"00:00:00", "00:00:03", "00:00:07", "00:00:09"}));
    EXPECT_TRUE(messages.messages().empty());
}

TEST_F(AddMusic, DuplicatesEmptyArgumentsAndRefusals)
{
    const std::string working = dir.file("Project_1");
    Project project;
    ASSERT_EQ(project.addSlideshow("Show"), 0);
    Slideshow& show = *project.slideshow(0);
    const std::string tone = dir.file("tone.wav");
    ASSERT_TRUE(makeSound(tone, 1.0));
    project.setModified(false);

    addMusicTrack(show, tone, working);
    addMusicTrack(show, tone, working); // the same path again
    addMusicTrack(show, "", working);
    addMusicTrack(show, tone + "x", "");
    EXPECT_EQ(show.music().size(), 1u);

    // A text file dressed up as music is refused with a message naming it.
    const std::string fake = dir.file("notes.mp3");
    ASSERT_TRUE(test::writeFile(fake, "these are words, not music\n"));
    addMusicTrack(show, fake, working);
    EXPECT_EQ(show.music().size(), 1u);
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text,
              "file:'" + fake + "' is not a legal mp3 file, so it will not be added!");
    EXPECT_FALSE(project.modified());
}

TEST_F(AddMusic, MissingFileIsReplacedByTheDefaultMusic)
{
    const std::string working = dir.file("Project_1");
    Slideshow show("Show", working);
    const std::string missing = dir.file("moved away/holiday.mp3");
    addMusicTrack(show, missing, working);
    ASSERT_EQ(show.music().size(), 1u);
    const AudioTrack& track = show.music()[0];
    EXPECT_EQ(track.originalPath, defaultMusicPath());
    EXPECT_EQ(track.name, "holiday.mp3");
    EXPECT_EQ(track.mp2Path, working + "/temp/holiday.mp2");
    EXPECT_GT(track.durationSeconds, 30); // the shipped music lasts about a minute
    EXPECT_TRUE(messages.messages().empty());

    // The default music is now in the list, so adding it again changes nothing.
    addDefaultMusic(show, working);
    EXPECT_EQ(show.music().size(), 1u);

    Slideshow fresh("Fresh", working);
    addDefaultMusic(fresh, working);
    ASSERT_EQ(fresh.music().size(), 1u);
    EXPECT_EQ(fresh.music()[0].name, "default.mp3");
    EXPECT_EQ(fresh.music()[0].durationSeconds, track.durationSeconds);
}

TEST_F(AddMusic, DialogTakesMusicExtensionsInAnyCase)
{
    Project project;
    project.folders() = ProjectFolders::forWorkingFolder(dir.file("Project_1"));
    addMusicFromDialog(project, {dir.file("x.mp3")}); // no slideshow: nothing happens
    EXPECT_FALSE(project.modified());

    ASSERT_EQ(project.addSlideshow("Show"), 0);
    project.setModified(false);
    std::vector<std::string> chosen;
    for (const char* name : {"a.MP3", "b.wma", "c.Wav", "d.mp2"}) {
        chosen.push_back(dir.file(name));
        ASSERT_TRUE(makeSound(chosen.back(), 1.0)) << name;
    }
    // Other files are passed over without a look, whatever they hold.
    for (const char* name : {"e.ogg", "f", "g.mp3.txt"}) {
        chosen.push_back(dir.file(name));
        ASSERT_TRUE(test::writeFile(chosen.back(), "not looked at"));
    }
    EXPECT_TRUE(isMusicFileName("x.WMA"));
    EXPECT_FALSE(isMusicFileName("mp3"));
    addMusicFromDialog(project, chosen);
    EXPECT_EQ(namesOf(*project.slideshow(0)),
              (std::vector<std::string>{"a.MP3", "b.wma", "c.Wav", "d.mp2"}));
    EXPECT_TRUE(messages.messages().empty());
    EXPECT_TRUE(project.modified());
}

TEST(JobAudioPaths, ConvertedFilesAreNamedFromTheTracksInsideTheTempFolder)
{
    Slideshow show("Show", "/work/P");
    show.music() = {trackOf("first.mp3", 5), trackOf("second.song.wav", 5)};
    assignJobAudioPaths(show, "/work/P/temp", "mp2");
    EXPECT_EQ(show.mp2Path(), "/work/P/temp/Show.mp2");
    EXPECT_EQ(show.music()[0].mp2Path, "/work/P/temp/first.mp2");
    EXPECT_EQ(show.music()[1].mp2Path, "/work/P/temp/second.song.mp2");
}

TEST(JobAudioPaths, OddNamesStayInsideTheTempFolder)
{
    Slideshow show("Show", "/work/P");
    for (const char* name : {"..", "...mp3", "..\\..\\evil.mp3", ".mp3", "a:b*?.wav", ""})
        show.music().push_back(trackOf(name, 5));
    assignJobAudioPaths(show, "/work/P/temp", "mp2");
    for (const AudioTrack& track : show.music()) {
        EXPECT_EQ(folderOf(track.mp2Path), "/work/P/temp") << track.name;
        const std::string file = fileNameOf(track.mp2Path);
        EXPECT_NE(file.front(), '.') << track.name;
        EXPECT_EQ(file.find('\\'), std::string::npos) << track.name;
    }
}

TEST(JobAudioPaths, ClashingNamesGetFilesOfTheirOwn)
{
    // Two tracks of the same base name, a track named like the slideshow (whose joined file
    // would otherwise be a conversion target), and a track whose music file lies where a
    // converted file would go.
    Slideshow show("Show", "/work/P");
    show.music() = {trackOf("song.mp3", 5), trackOf("song.wav", 5), trackOf("Show.mp3", 5),
                    trackOf("song_2.mp3", 5), trackOf("kept.mp2", 5)};
    show.music()[4].originalPath = "/work/P/temp/kept.mp2";
    assignJobAudioPaths(show, "/work/P/temp", "mp2");

    std::set<std::string> files{show.mp2Path()};
    for (const AudioTrack& track : show.music()) {
        EXPECT_TRUE(files.insert(track.mp2Path).second) << track.name << " " << track.mp2Path;
        EXPECT_NE(track.mp2Path, track.originalPath);
        EXPECT_EQ(folderOf(track.mp2Path), "/work/P/temp");
    }
    EXPECT_EQ(show.music()[0].mp2Path, "/work/P/temp/song.mp2");
    EXPECT_EQ(show.music()[3].mp2Path, "/work/P/temp/song_2.mp2");
}

} // namespace
} // namespace pictavo
