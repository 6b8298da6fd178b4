// The conversion library as the program uses it: loaded from the application folder, fed
// generated sounds, its output checked with FFmpeg's own decoders.

#include "audio_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace pictavo::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRate = XTOMP2_SAMPLE_RATE;

bool startsWithMpegSync(const std::string& bytes)
{
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           (static_cast<unsigned char>(bytes[1]) & 0xE0) == 0xE0;
}

// Sources shared by every test of the suite, generated once.
class XToMp2Test : public ::testing::Test {
protected:
    // The sounds are made once per build folder and shared by every test process: made in a
    // folder of their own, then moved into place whole, so parallel runs never see half of it.
    static void SetUpTestSuite()
    {
        library_ = std::make_unique<ConversionLibrary>();
        sourceFolder_ = AUDIOCONV_SOUNDS_DIR;
        const std::string marker = sourceFolder_ + "/complete";
        if (!fs::exists(marker)) {
            const std::string staging = sourceFolder_ + ".making-" + std::to_string(getpid());
            std::error_code error;
            fs::remove_all(staging, error);
            fs::create_directories(staging, error);
            if (makeSources(staging) && writeFile(staging + "/complete", "")) {
                fs::rename(staging, sourceFolder_, error); // fails when another run was first
            }
            fs::remove_all(staging, error);
        }
        fixturesMade_ = fs::exists(marker);
    }

    static bool makeSources(const std::string& dir)
    {
        auto file = [&dir](const char* name) { return dir + "/" + name; };
        return writeToneWav(file("stereo.wav"), 3.0, 44100, 2) &&
               writeToneWav(file("mono.wav"), 2.6, 22050, 1, 330.0) &&
               writeToneWav(file("blip.wav"), 0.4, 44100, 2) &&
               writeToneWav(file("four.wav"), 4.0, 44100, 2, 523.25) &&
               writeToneWav(file("long.wav"), 20.0, 44100, 2) &&
               // Six quiet seconds, then six of noise: the bit rate of a VBR encoding swings
               // from the lowest to the highest, so a length guessed from the first frame is
               // far off.
               writeWav(file("swing.wav"), 12.0, 44100, 2,
                        [noise = std::mt19937(7)](double t, int) mutable {
                            return t < 6.0 ? 0.0
                                           : (static_cast<double>(noise()) / noise.max() - 0.5);
                        }) &&
               runFfmpeg("-i " + file("four.wav") + " -c:a libmp3lame -b:a 128k " +
                         file("cbr.mp3")) &&
               runFfmpeg("-i " + file("swing.wav") + " -c:a libmp3lame -q:a 2 -write_xing 0 " +
                         file("vbr.mp3")) &&
               runFfmpeg("-i " + file("four.wav") + " -ar 32000 -ac 1 -c:a mp2 -b:a 96k " +
                         file("mono32k.mp2")) &&
               runFfmpeg("-i " + file("four.wav") + " -c:a wmav2 " + file("tone.wma"));
    }

    static void TearDownTestSuite() { library_.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(library_->loaded()) << library_->loadError();
        ASSERT_TRUE(fixturesMade_) << "could not generate the test sounds (ffmpeg missing?)";
    }

    static std::string source(const std::string& name) { return sourceFolder_ + "/" + name; }
    int seconds(const std::string& path) const { return library_->timeLength(path.c_str()); }
    int convert(const std::string& from, const std::string& to,
                const XToMp2StopHandle* stop = nullptr) const
    {
        return library_->convert(from.c_str(), to.c_str(), stop);
    }
    std::string lastError() const
    {
        std::string text(static_cast<size_t>(library_->lastError(nullptr, 0)), '\0');
        library_->lastError(text.data(), static_cast<int>(text.size()) + 1);
        return text;
    }

    static std::unique_ptr<ConversionLibrary> library_;
    static std::string sourceFolder_;
    static bool fixturesMade_;
    TempDir out_;
};

std::unique_ptr<ConversionLibrary> XToMp2Test::library_;
std::string XToMp2Test::sourceFolder_;
bool XToMp2Test::fixturesMade_ = false;

struct SourceCase {
    const char* file;
    double playSeconds; // length of the sound that went into the file
    int wholeSeconds;   // what GetFileTimeLength answers
};

const SourceCase kSources[] = {
    {"stereo.wav", 3.0, 3}, {"mono.wav", 2.6, 2}, // fractions are cut off
    {"blip.wav", 0.4, 1},                         // under a second is still audio
    {"cbr.mp3", 4.0, 4},    {"vbr.mp3", 12.0, 12}, {"mono32k.mp2", 4.0, 4},
    {"tone.wma", 4.0, 3}, // the WMA encoding ends a few samples short of 4 s
};

TEST_F(XToMp2Test, MeasuresWholeSecondsOfEverySourceKind)
{
    for (const auto& c : kSources) {
        EXPECT_EQ(seconds(source(c.file)), c.wholeSeconds) << c.file << ": " << lastError();
    }
}

TEST_F(XToMp2Test, VariableBitRateWithoutLengthHeaderIsMeasuredFromItsFrames)
{
    // The fixture only proves something when the container's own estimate is wrong.
    const AudioProbe probe = probeAudio(source("vbr.mp3"));
    ASSERT_TRUE(probe.opened);
    ASSERT_GT(std::fabs(probe.headerSeconds - 12.0), 3.0) << probe.headerSeconds;
    EXPECT_EQ(seconds(source("vbr.mp3")), 12);
}

TEST_F(XToMp2Test, ConvertsEverySourceKindToTheFixedMp2Format)
{
    for (const auto& c : kSources) {
        SCOPED_TRACE(c.file);
        const std::string target = out_.file(std::string(c.file) + ".mp2");
        ASSERT_EQ(convert(source(c.file), target), XTOMP2_OK) << lastError();
        const AudioProbe probe = probeAudio(target);
        ASSERT_TRUE(probe.opened);
        EXPECT_EQ(probe.container, "mp3"); // FFmpeg's demuxer for raw MPEG audio
        EXPECT_EQ(probe.codec, "mp2");
        EXPECT_EQ(probe.sampleRate, kRate);
        EXPECT_EQ(probe.channels, 2);
        EXPECT_EQ(probe.bitRate, XTOMP2_BIT_RATE);
        EXPECT_EQ(probe.decodeErrors, 0);
        // Encoder delay and the padding of the last frame add a few hundredths of a second.
        EXPECT_NEAR(static_cast<double>(probe.samples) / kRate, c.playSeconds, 0.1);
        // Measured like any other file: the whole seconds of what decodes.
        EXPECT_EQ(seconds(target), std::max<int64_t>(1, probe.samples / kRate));
        if (std::string(c.file) != "vbr.mp3") { // that one starts with silence
            EXPECT_GT(probe.peak, 0.1);
        }
        // A bare elementary stream: no tag or container header in front of the first frame.
        EXPECT_TRUE(startsWithMpegSync(readFile(target)));
        EXPECT_EQ(folderListing(out_.path()), fs::path(target).filename().string() + "\n");
        fs::remove(target);
    }
}

TEST_F(XToMp2Test, JoinedConversionsDecodeAsOneStreamOfTheSummedLength)
{
    const std::string first = out_.file("first.mp2");
    const std::string second = out_.file("second.mp2");
    const std::string third = out_.file("third.mp2");
    ASSERT_EQ(convert(source("mono.wav"), first), XTOMP2_OK) << lastError();
    ASSERT_EQ(convert(source("vbr.mp3"), second), XTOMP2_OK) << lastError();
    ASSERT_EQ(convert(source("mono32k.mp2"), third), XTOMP2_OK) << lastError();
    const std::string joined = out_.file("joined.mp2");
    ASSERT_TRUE(writeFile(joined, readFile(first) + readFile(second) + readFile(third)));

    const AudioProbe probe = probeAudio(joined);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.decodeErrors, 0);
    EXPECT_EQ(probe.sampleRate, kRate);
    EXPECT_EQ(probe.channels, 2);
    const int64_t summed =
        probeAudio(first).samples + probeAudio(second).samples + probeAudio(third).samples;
    EXPECT_EQ(probe.samples, summed);
    EXPECT_EQ(seconds(joined), static_cast<int>(summed / kRate));

    // A stream whose format changes midway (MP3 at 44.1 kHz stereo, then MP2 at 32 kHz mono)
    // converts whole.
    const std::string mixed = out_.file("mixed.mp3");
    ASSERT_TRUE(writeFile(mixed, readFile(source("cbr.mp3")) + readFile(source("mono32k.mp2"))));
    ASSERT_EQ(convert(mixed, out_.file("mixed.mp2")), XTOMP2_OK) << lastError();
    const AudioProbe converted = probeAudio(out_.file("mixed.mp2"));
    EXPECT_EQ(converted.decodeErrors, 0);
    EXPECT_NEAR(static_cast<double>(converted.samples) / kRate, 8.0, 0.2);

    // The joined stream converts again, as a stream whose frames all share one format.
    ASSERT_EQ(convert(joined, out_.file("again.mp2")), XTOMP2_OK) << lastError();
    EXPECT_NEAR(probeAudio(out_.file("again.mp2")).samples, summed, 2 * 1152);
}

struct StopCounter {
    int polls = 0;
    int stopAt = 0; // 0: never
};

int countAndMaybeStop(void* context)
{
    auto* counter = static_cast<StopCounter*>(context);
    ++counter->polls;
    return counter->stopAt != 0 && counter->polls >= counter->stopAt ? 1 : 0;
}

TEST_F(XToMp2Test, StopHandleEndsTheConversionAndLeavesNoFile)
{
    for (const int stopAt : {1, 5, 200}) {
        SCOPED_TRACE(stopAt);
        StopCounter counter{0, stopAt};
        const XToMp2StopHandle stop{countAndMaybeStop, &counter};
        const std::string target = out_.file("stopped.mp2");
        EXPECT_EQ(convert(source("long.wav"), target, &stop), XTOMP2_STOPPED);
        EXPECT_EQ(counter.polls, stopAt);
        EXPECT_EQ(folderListing(out_.path()), "");
    }
}

TEST_F(XToMp2Test, StopHandleThatNeverFiresIsPolledWhileWorking)
{
    StopCounter counter;
    const XToMp2StopHandle stop{countAndMaybeStop, &counter};
    ASSERT_EQ(convert(source("long.wav"), out_.file("whole.mp2"), &stop), XTOMP2_OK);
    EXPECT_GT(counter.polls, 100); // 20 seconds of audio, polled at least every 0.2 s

    const XToMp2StopHandle withoutFunction{nullptr, &counter};
    EXPECT_EQ(convert(source("stereo.wav"), out_.file("plain.mp2"), &withoutFunction), XTOMP2_OK);
}

TEST_F(XToMp2Test, UnusableSourcesAreRefusedWithoutLeavingFiles)
{
    TempDir bad;
    const std::string cbr = readFile(source("cbr.mp3"));
    std::string noise(20000, '\0');
    std::mt19937 random(11);
    for (char& byte : noise) {
        byte = static_cast<char>(random());
    }
    std::string text;
    for (int i = 0; i < 200; ++i) {
        text += "These are my holiday notes, line " + std::to_string(i) + ".\n";
    }
    ASSERT_TRUE(writeFile(bad.file("empty.mp3"), ""));
    ASSERT_TRUE(writeFile(bad.file("notes.mp3"), text));
    ASSERT_TRUE(writeFile(bad.file("noise.mp2"), noise));
    ASSERT_TRUE(
        writeFile(bad.file("cut_header.wav"), readFile(source("stereo.wav")).substr(0, 30)));
    ASSERT_TRUE(writeFile(bad.file("cut_first_frame.mp3"), cbr.substr(0, 200)));
    fs::create_directory(bad.file("folder.mp3"));
    const std::string before = folderListing(bad.path());

    for (const char* name : {"missing.mp3", "empty.mp3", "notes.mp3", "noise.mp2", "cut_header.wav",
                             "cut_first_frame.mp3", "folder.mp3"}) {
        SCOPED_TRACE(name);
        const std::string path = bad.file(name);
        EXPECT_EQ(seconds(path), 0);
        EXPECT_NE(lastError(), "");
        EXPECT_EQ(convert(path, out_.file("out.mp2")), XTOMP2_FAILED);
        EXPECT_NE(lastError(), "");
        EXPECT_EQ(folderListing(out_.path()), "");
        EXPECT_EQ(folderListing(bad.path()), before);
    }
    // The reason is cut to the caller's buffer and always terminated.
    char shortText[8] = "xxxxxxx";
    EXPECT_GT(library_->lastError(shortText, sizeof(shortText)), 7);
    EXPECT_EQ(std::string(shortText).size(), 7u);
}

TEST_F(XToMp2Test, FileNamesAreNeverTakenForNetworkAddresses)
{
    // Names that FFmpeg would otherwise read as protocols are plain (missing) files.
    for (const char* name : {"pipe:0", "http://localhost:1/a.mp3", "concat:a.mp3|b.mp3"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(seconds(name), 0);
        EXPECT_EQ(convert(name, out_.file("out.mp2")), XTOMP2_FAILED);
    }
    EXPECT_EQ(folderListing(out_.path()), "");
}

TEST_F(XToMp2Test, FileCutMidStreamPlaysAndConvertsWhatIsThere)
{
    const std::string cbr = readFile(source("cbr.mp3"));
    const std::string cut = out_.file("cut.mp3");
    ASSERT_TRUE(writeFile(cut, cbr.substr(0, cbr.size() / 2)));
    const int length = seconds(cut);
    EXPECT_GE(length, 1);
    EXPECT_LE(length, 2);
    ASSERT_EQ(convert(cut, out_.file("cut.mp2")), XTOMP2_OK) << lastError();
    const AudioProbe probe = probeAudio(out_.file("cut.mp2"));
    EXPECT_EQ(probe.decodeErrors, 0);
    EXPECT_NEAR(static_cast<double>(probe.samples) / kRate, 2.0, 0.15);
}

TEST_F(XToMp2Test, UnwritableDestinationsFailWithoutLeavingFiles)
{
    ASSERT_TRUE(writeFile(out_.file("plain_file"), "x"));
    fs::create_directory(out_.file("a_folder.mp2"));
    const std::string before = folderListing(out_.path());
    for (const std::string& target :
         {out_.file("no_such_folder/out.mp2"), out_.file("plain_file/out.mp2"),
          out_.file("a_folder.mp2"), std::string()}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(convert(source("stereo.wav"), target), XTOMP2_FAILED);
        EXPECT_NE(lastError(), "");
        EXPECT_EQ(folderListing(out_.path()), before);
    }
    EXPECT_TRUE(fs::is_directory(out_.file("a_folder.mp2")));
    EXPECT_EQ(library_->convert(nullptr, out_.file("x.mp2").c_str(), nullptr), XTOMP2_FAILED);
    EXPECT_EQ(library_->convert(source("stereo.wav").c_str(), nullptr, nullptr), XTOMP2_FAILED);
    EXPECT_EQ(library_->timeLength(nullptr), 0);
}

// A disk that fills up while the MP2 frames are written (a file size limit stands in for it):
// the conversion fails with the write error, leaves nothing behind and does not hang.
TEST_F(XToMp2Test, DiskFillingUpMidwayFailsAndLeavesNoFile)
{
    const std::string before = folderListing(out_.path());
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 16 * 1024; // the 20-second source makes about 560 KB
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = convert(source("long.wav"), out_.file("full.mp2"));
    const std::string error = lastError();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, XTOMP2_FAILED);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(folderListing(out_.path()), before);
}

TEST_F(XToMp2Test, ExistingDestinationIsReplacedOnlyByACompleteFile)
{
    const std::string target = out_.file("track.mp2");
    ASSERT_TRUE(writeFile(target, "earlier contents"));
    ASSERT_TRUE(writeFile(out_.file("notes.mp3"), "not audio at all"));
    EXPECT_EQ(convert(out_.file("notes.mp3"), target), XTOMP2_FAILED);
    EXPECT_EQ(readFile(target), "earlier contents");

    StopCounter counter{0, 3};
    const XToMp2StopHandle stop{countAndMaybeStop, &counter};
    EXPECT_EQ(convert(source("long.wav"), target, &stop), XTOMP2_STOPPED);
    EXPECT_EQ(readFile(target), "earlier contents");

    ASSERT_EQ(convert(source("stereo.wav"), target), XTOMP2_OK) << lastError();
    EXPECT_EQ(seconds(target), 3);
    EXPECT_EQ(lastError(), "");
}

TEST_F(XToMp2Test, ConvertsAFileOntoItself)
{
    const std::string track = out_.file("self.mp2");
    ASSERT_TRUE(writeFile(track, readFile(source("mono32k.mp2"))));
    ASSERT_EQ(convert(track, track), XTOMP2_OK) << lastError();
    const AudioProbe probe = probeAudio(track);
    EXPECT_EQ(probe.sampleRate, kRate);
    EXPECT_NEAR(static_cast<double>(probe.samples) / kRate, 4.0, 0.1);
    EXPECT_EQ(folderListing(out_.path()), "self.mp2\n");
}

TEST_F(XToMp2Test, ShippedMusicIsUsable)
{
    const std::string music = appFolder() + "/menu_pic/default.mp3";
    const std::string silence = appFolder() + "/menu_pic/silent.mp2";
    ASSERT_TRUE(fs::exists(music));
    ASSERT_TRUE(fs::exists(silence));

    const int length = seconds(music);
    EXPECT_GE(length, 55);
    EXPECT_LE(length, 70);
    const AudioProbe song = probeAudio(music);
    EXPECT_EQ(song.decodeErrors, 0);
    EXPECT_GT(song.peak, 0.2);
    EXPECT_LE(song.peak, 1.0);

    const AudioProbe quiet = probeAudio(silence);
    EXPECT_EQ(quiet.codec, "mp2");
    EXPECT_EQ(quiet.sampleRate, kRate);
    EXPECT_EQ(quiet.channels, 2);
    EXPECT_EQ(quiet.bitRate, XTOMP2_BIT_RATE);
    EXPECT_GE(quiet.samples, kRate);
    EXPECT_LT(quiet.peak, 0.001);
    const std::string silentBytes = readFile(silence);
    EXPECT_TRUE(startsWithMpegSync(silentBytes));
    EXPECT_GE(seconds(silence), 1);

    // The default music converts, and joins with the silence into one clean stream.
    const std::string converted = out_.file("default.mp2");
    ASSERT_EQ(convert(music, converted), XTOMP2_OK) << lastError();
    const std::string joined = out_.file("joined.mp2");
    ASSERT_TRUE(writeFile(joined, readFile(converted) + silentBytes));
    const AudioProbe both = probeAudio(joined);
    EXPECT_EQ(both.decodeErrors, 0);
    EXPECT_EQ(both.samples, probeAudio(converted).samples + quiet.samples);
}

} // namespace
} // namespace pictavo::test
