// Refused settings, unusable paths, calls out of order, early close and joined MP2 music.

#include "encoder_fixture.h"
#include "media_probe.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <ostream>

#include <filesystem>
#include <functional>
#include <unistd.h>

namespace pictavo::test {
namespace {

struct RefusalCase {
    const char* name;
    std::function<void(EncoderCall&)> change;
    int expected;
    const char* errorMentions;
};

void PrintTo(const RefusalCase& c, std::ostream* os)
{
    *os << c.name;
}

class InitRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(InitRefusal, ReportsTheCauseAndLeavesNoFile)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    const RefusalCase& c = GetParam();
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("file"), "x"));
    EncoderCall call;
    call.output = dir.file("out.mpg");
    c.change(call);
    call.output = call.output.empty() ? "" : call.output;
    EXPECT_EQ(call.init(), c.expected);
    const std::string error = encoderLibrary().lastError();
    EXPECT_NE(error.find(c.errorMentions), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.mpg")));
    // Nothing is open afterwards.
    const std::vector<uint8_t> frame = solidFrame(320, 240, kWhite);
    EXPECT_EQ(encoderLibrary().encodeFrame(frame.data()), kEncoderNotOpen);
    EXPECT_EQ(encoderLibrary().close(), kEncoderNotOpen);
}

const RefusalCase kRefusals[] = {
    {"UnknownVideoCodec", [](EncoderCall& c) { c.videoCodec = "nosuchcodec"; },
     kEncoderUnknownCodec, "nosuchcodec"},
    {"UnknownAudioCodec", [](EncoderCall& c) { c.audioCodec = "libamr_nb"; }, kEncoderUnknownCodec,
     "libamr_nb"},
    {"AudioCodecAsVideo", [](EncoderCall& c) { c.videoCodec = "mp2"; }, kEncoderUnknownCodec,
     "mp2"},
    {"OddWidth", [](EncoderCall& c) { c.width = 321; }, kEncoderBadArgument, "321x240"},
    {"ZeroHeight", [](EncoderCall& c) { c.height = 0; }, kEncoderBadArgument, "320x0"},
    {"HugeSize", [](EncoderCall& c) { c.width = 100000; }, kEncoderBadArgument, "100000"},
    {"SizeTextDisagrees", [](EncoderCall& c) { c.frameSize = "640x480"; }, kEncoderBadArgument,
     "640x480"},
    {"SizeRefusedByCodec",
     [](EncoderCall& c) {
         c.output = c.output.substr(0, c.output.size() - 3) + "3gp";
         c.videoCodec = "h263p";
         c.audioCodec = "libfaac";
         c.sampleRate = "22050";
         c.audioBitrate = "64kb";
     },
     kEncoderCodecRefused, "320x240"},
    {"SampleRateRefusedByCodec",
     [](EncoderCall& c) {
         c.output = c.output.substr(0, c.output.size() - 3) + "avi";
         c.videoCodec = "mpeg4";
         c.sampleRate = "11025";
     },
     kEncoderCodecRefused, "11025"},
    {"CodecNotInContainer",
     [](EncoderCall& c) {
         c.output = c.output.substr(0, c.output.size() - 3) + "3gp";
         c.videoCodec = "mpeg2video";
         c.audioCodec = "libfaac";
     },
     kEncoderCodecRefused, "container"},
    {"UnknownExtension",
     [](EncoderCall& c) { c.output = c.output.substr(0, c.output.size() - 3) + "xyz"; },
     kEncoderUnknownCodec, ".xyz"},
    {"NoExtension", [](EncoderCall& c) { c.output = c.output.substr(0, c.output.size() - 4); },
     kEncoderUnknownCodec, "out"},
    {"BadFrameRate", [](EncoderCall& c) { c.frameRate = "fast"; }, kEncoderBadArgument, "fast"},
    {"ZeroFrameRate", [](EncoderCall& c) { c.frameRate = "0"; }, kEncoderBadArgument, "frame rate"},
    {"BadVideoBitrate", [](EncoderCall& c) { c.videoBitrate = "lots"; }, kEncoderBadArgument,
     "lots"},
    {"BadAudioBitrate", [](EncoderCall& c) { c.audioBitrate = "-5kb"; }, kEncoderBadArgument,
     "-5kb"},
    {"BadSampleRate", [](EncoderCall& c) { c.sampleRate = "48k"; }, kEncoderBadArgument, "48k"},
    {"BadChannels", [](EncoderCall& c) { c.channels = "x"; }, kEncoderBadArgument, "channel"},
    {"FolderIsAFile",
     [](EncoderCall& c) { c.output = c.output.substr(0, c.output.rfind('/')) + "/file/out.mpg"; },
     kEncoderOutputFailed, "file/out.mpg"},
    {"EmptyPath", [](EncoderCall& c) { c.output.clear(); }, kEncoderBadArgument, "path"},
};
INSTANTIATE_TEST_SUITE_P(Arguments, InitRefusal, testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EncoderCalls, WithoutInitAreRefusedAndHarmless)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    const std::vector<uint8_t> frame = solidFrame(320, 240, kWhite);
    EXPECT_EQ(encoderLibrary().encodeFrame(frame.data()), kEncoderNotOpen);
    EXPECT_EQ(encoderLibrary().close(), kEncoderNotOpen);
    EXPECT_NE(std::string(encoderLibrary().lastError()), "");
    EXPECT_EQ(encoderLibrary().init(320, 240, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr),
              kEncoderBadArgument);
}

TEST(EncoderCalls, MissingFrameIsRefusedButTheFileGoesOn)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    TempDir dir;
    EncoderCall call;
    call.output = dir.file("out.mpg");
    ASSERT_EQ(call.init(), 0);
    ASSERT_EQ(encodeFrames(320, 240, 3), 0);
    EXPECT_EQ(encoderLibrary().encodeFrame(nullptr), kEncoderBadArgument);
    ASSERT_EQ(encodeFrames(320, 240, 3), 0);
    ASSERT_EQ(encoderLibrary().close(), 0);
    EXPECT_EQ(probeMedia(call.output).videoFrames, 6);
    // Closed: nothing more is taken.
    EXPECT_EQ(encodeFrames(320, 240, 1), kEncoderNotOpen);
}

// A stop closes the encoder early: the file plays with the frames given so far and its sound
// ends with them. A second initEncoder without close finishes the first file.
TEST(EncoderCalls, EarlyCloseAndReopenLeavePlayableFiles)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    TempDir dir;
    const std::string music = dir.file("music.wav");
    ASSERT_TRUE(writeToneWav(music, 3.0, 44100, 2));
    for (const char* file : {"stop.mp4", "stop.mpg", "stop.avi"}) {
        SCOPED_TRACE(file);
        EncoderCall first;
        first.output = dir.file(std::string("first-") + file);
        first.audio = music;
        first.audioCodec = std::string(file).ends_with("mp4") ? "libfaac" : "mp2";
        first.videoCodec = std::string(file).ends_with("mpg") ? "mpeg2video" : "mpeg4";
        first.sampleRate = "44100";
        ASSERT_EQ(first.init(), 0) << encoderLibrary().lastError();
        ASSERT_EQ(encodeFrames(320, 240, 4), 0);
        EncoderCall second = first;
        second.output = dir.file(file);
        ASSERT_EQ(second.init(), 0) << encoderLibrary().lastError();
        ASSERT_EQ(encodeFrames(320, 240, 3), 0);
        ASSERT_EQ(encoderLibrary().close(), 0);

        for (const auto& [path, frames] :
             {std::pair{first.output, 4}, std::pair{second.output, 3}}) {
            const MediaProbe p = probeMedia(path);
            ASSERT_TRUE(p.opened) << p.error;
            EXPECT_EQ(p.videoFrames, frames) << path;
            EXPECT_NEAR(p.audioSeconds(), p.videoSeconds(), double(p.audioFrameSize) / p.sampleRate)
                << path;
        }
    }
}

TEST(EncoderCalls, FullDiskIsReportedNotCrashed)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    TempDir dir;
    EncoderCall call;
    call.output = dir.file("full.mpg");
    ASSERT_EQ(symlink("/dev/full", call.output.c_str()), 0);
    int result = call.init();
    // Reported while frames are still coming, so that rendering stops early.
    for (int i = 0; i < 60 && result == 0; ++i) {
        const std::vector<uint8_t> frame = noiseFrame(320, 240, uint32_t(i));
        result = encoderLibrary().encodeFrame(frame.data());
    }
    EXPECT_EQ(result, kEncoderOutputFailed);
    EXPECT_EQ(encoderLibrary().close(), kEncoderOutputFailed);
    EXPECT_NE(std::string(encoderLibrary().lastError()).find("full.mpg"), std::string::npos);
}

// Names are local files even when they look like an address ("clip:1" is not a protocol).
TEST(EncoderCalls, ColonInFileNamesStaysALocalFile)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    TempDir dir;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    ASSERT_TRUE(writeToneWav("music:1.wav", 0.5, 44100, 2));
    EncoderCall call;
    call.output = "clip:1.mpg";
    call.audio = "music:1.wav";
    const int opened = call.init();
    const int encoded = opened ? opened : encodeFrames(320, 240, 5);
    const int closed = opened ? opened : encoderLibrary().close();
    std::filesystem::current_path(previous);
    ASSERT_EQ(opened, 0) << encoderLibrary().lastError();
    EXPECT_EQ(encoded, 0);
    EXPECT_EQ(closed, 0);
    const MediaProbe p = probeMedia(dir.file("clip:1.mpg"));
    EXPECT_EQ(p.videoFrames, 5);
    ASSERT_FALSE(p.audioLevels.empty());
    EXPECT_GT(p.audioLevels.front(), 0.05f); // the music was found
}

// The production run hands over MP2 music joined from several converted files by simple byte
// concatenation, whose parts may differ in sample rate.
TEST(EncoderMusic, JoinedMp2PartsAreDecodedWhole)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    TempDir dir;
    const std::string joined = dir.file("joined.mp2");
    const std::pair<const char*, const char*> parts[] = {{"48000", "0.4"}, {"44100", "0.4"}};
    bool append = false;
    for (const auto& [rate, seconds] : parts) {
        const std::string tone = dir.file(std::string("tone") + rate + ".wav");
        ASSERT_TRUE(writeToneWav(tone, std::stod(seconds), std::stoi(rate), 2));
        EncoderCall part;
        part.output = dir.file(std::string("part") + rate + ".mpg");
        part.audio = tone;
        part.sampleRate = rate;
        part.frameRate = "25";
        ASSERT_EQ(part.init(), 0) << encoderLibrary().lastError();
        ASSERT_EQ(encodeFrames(320, 240, 10), 0);
        ASSERT_EQ(encoderLibrary().close(), 0);
        ASSERT_TRUE(extractAudioStream(part.output, joined, append));
        append = true;
    }
    EncoderCall call;
    call.output = dir.file("slideshow.mp4");
    call.audio = joined;
    call.videoCodec = "libx264";
    call.audioCodec = "libfaac";
    call.sampleRate = "44100";
    call.frameRate = "25";
    ASSERT_EQ(call.init(), 0) << encoderLibrary().lastError();
    ASSERT_EQ(encodeFrames(320, 240, 25), 0);
    ASSERT_EQ(encoderLibrary().close(), 0);

    const MediaProbe p = probeMedia(call.output);
    EXPECT_EQ(p.videoFrames, 25);
    EXPECT_NEAR(p.audioSeconds(), 1.0, double(p.audioFrameSize) / p.sampleRate);
    // Music in both parts (0 - 0.8 s), then silence.
    ASSERT_GE(p.audioLevels.size(), 19u);
    for (size_t i : {1u, 5u, 9u, 13u})
        EXPECT_GT(p.audioLevels[i], 0.1f) << "window " << i;
    for (size_t i = 17; i < 19; ++i)
        EXPECT_LT(p.audioLevels[i], 0.01f) << "window " << i;
}

} // namespace
} // namespace pictavo::test
