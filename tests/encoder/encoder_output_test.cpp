// What the encoder writes for every container and codec the output profiles use: the right
// streams, the exact number of frames, and a sound track exactly as long as the video.

#include "encoder_fixture.h"
#include "media_probe.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <filesystem>

namespace pictavo::test {
namespace {

struct OutputCase {
    const char* name;
    const char* file;
    const char* videoCodec; // as the production run passes it
    int width, height;
    const char* videoBitrate;
    const char* frameRate;
    const char* audioCodec;
    const char* audioBitrate;
    const char* sampleRate;
    const char* channels;
    // Expected
    const char* demuxer;
    const char* codedVideo;
    int rateNum, rateDen;
    const char* codedAudio;
    int expectedRate;
    int expectedChannels;
    uint32_t videoTag = 0; // 0: any
};

void PrintTo(const OutputCase& c, std::ostream* os)
{
    *os << c.name;
}

const OutputCase kOutputCases[] = {
    {"DvdNtsc", "out.mpg", "mpeg2video", 720, 480, "6000kb", "29.97", "mp2", "224kb", "48000", "2",
     "mpeg", "mpeg2video", 30000, 1001, "mp2", 48000, 2},
    {"DvdNtscHalfSize", "out.mpg", "mpeg2video", 352, 240, "2500kb", "29.97", "mp2", "192kb",
     "48000", "2", "mpeg", "mpeg2video", 30000, 1001, "mp2", 48000, 2},
    {"DvdPal", "out.mpg", "mpeg2video", 720, 576, "8000kb", "25", "mp2", "384kb", "48000", "2",
     "mpeg", "mpeg2video", 25, 1, "mp2", 48000, 2},
    {"DvdVob", "out.vob", "mpeg2video", 720, 576, "4000kb", "25", "mp2", "224kb", "48000", "2",
     "mpeg", "mpeg2video", 25, 1, "mp2", 48000, 2},
    {"VcdNtsc", "out.mpg", "mpeg1video", 352, 240, "1150kb", "29.97", "mp2", "224kb", "44100", "2",
     "mpeg", "mpeg1video", 30000, 1001, "mp2", 44100, 2},
    {"VcdPal", "out.mpg", "mpeg1video", 352, 288, "1150kb", "25", "mp2", "224kb", "44100", "2",
     "mpeg", "mpeg1video", 25, 1, "mp2", 44100, 2},
    {"PlainMpeg1", "out.mpeg", "mpeg1video", 320, 240, "1000kb", "25", "mp2", "128kb", "44100", "1",
     "mpeg", "mpeg1video", 25, 1, "mp2", 44100, 1},
    {"H264Phone", "out.mp4", "libx264", 320, 240, "768kb", "29.97", "libfaac", "128kb", "44100",
     "2", "mp4", "h264", 30000, 1001, "aac", 44100, 2},
    {"H264TabletMono", "out.mp4", "libx264", 640, 360, "1500kb", "25", "libfaac", "160kb", "48000",
     "1", "mp4", "h264", 25, 1, "aac", 48000, 1},
    {"Mpeg4Portable", "out.mp4", "mpeg4", 320, 180, "768kb", "29.97", "libfaac", "96kb", "44100",
     "2", "mp4", "mpeg4", 30000, 1001, "aac", 44100, 2},
    {"XvidAvi", "out.avi", "libxvid", 320, 240, "1500kb", "29.97", "libmp3lame", "128kb", "44100",
     "2", "avi", "mpeg4", 30000, 1001, "mp3", 44100, 2, 0x44495658 /* XVID */},
    {"XvidAviPal", "out.avi", "libxvid", 480, 360, "1000kb", "25", "libmp3lame", "160kb", "48000",
     "1", "avi", "mpeg4", 25, 1, "mp3", 48000, 1},
    {"H263Phone3gp", "out.3gp", "h263p", 176, 144, "128kb", "29.97", "libfaac", "64kb", "22050",
     "1", "mp4", "h263", 30000, 1001, "aac", 22050, 1},
    {"H263Phone3gpPal", "out.3gp", "h263p", 176, 144, "256kb", "25", "libfaac", "96kb", "44100",
     "2", "mp4", "h263", 25, 1, "aac", 44100, 2},
    {"Mpeg4M4v", "out.m4v", "mpeg4", 320, 240, "768kb", "29.97", "libfaac", "128kb", "44100", "2",
     "mp4", "mpeg4", 30000, 1001, "aac", 44100, 2},
    {"H264Mov", "out.mov", "h264", 320, 240, "768kb", "25", "libfaac", "128kb", "48000", "2", "mov",
     "h264", 25, 1, "aac", 48000, 2},
};

class EncoderOutput : public testing::TestWithParam<OutputCase> {};

TEST_P(EncoderOutput, HoldsEveryFrameAndMatchingSound)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    const OutputCase& c = GetParam();
    TempDir dir;
    const std::string music = dir.file("music.wav");
    ASSERT_TRUE(writeToneWav(music, 1.5, 44100, 2)); // longer than the clip: cut
    EncoderCall call;
    call.width = c.width;
    call.height = c.height;
    call.output = dir.file(c.file);
    call.audio = music;
    call.audioCodec = c.audioCodec;
    call.audioBitrate = c.audioBitrate;
    call.sampleRate = c.sampleRate;
    call.channels = c.channels;
    call.videoCodec = c.videoCodec;
    call.videoBitrate = c.videoBitrate;
    call.frameRate = c.frameRate;
    constexpr int kFrames = 13;

    ASSERT_EQ(call.init(), 0) << encoderLibrary().lastError();
    ASSERT_EQ(encodeFrames(c.width, c.height, kFrames), 0) << encoderLibrary().lastError();
    ASSERT_EQ(encoderLibrary().close(), 0) << encoderLibrary().lastError();

    const MediaProbe p = probeMedia(call.output);
    ASSERT_TRUE(p.opened) << p.error;
    EXPECT_NE(p.formatName.find(c.demuxer), std::string::npos) << p.formatName;
    ASSERT_TRUE(p.hasVideo);
    EXPECT_EQ(p.videoCodec, c.codedVideo);
    if (c.videoTag) {
        EXPECT_EQ(p.videoTag, c.videoTag);
    }
    EXPECT_EQ(p.width, c.width);
    EXPECT_EQ(p.height, c.height);
    EXPECT_EQ(int64_t(p.frameRateNum) * c.rateDen, int64_t(c.rateNum) * p.frameRateDen)
        << p.frameRateNum << "/" << p.frameRateDen;
    EXPECT_EQ(p.videoFrames, kFrames);
    ASSERT_TRUE(p.hasAudio);
    EXPECT_EQ(p.audioCodec, c.codedAudio);
    EXPECT_EQ(p.sampleRate, c.expectedRate);
    EXPECT_EQ(p.channels, c.expectedChannels);
    ASSERT_GT(p.audioFrameSize, 0);
    const double video = double(kFrames) * c.rateDen / c.rateNum;
    EXPECT_NEAR(p.audioSeconds(), video, double(p.audioFrameSize) / p.sampleRate)
        << "audio " << p.audioSamples << " samples";
    // The music is there, not silence.
    ASSERT_FALSE(p.audioLevels.empty());
    EXPECT_GT(p.audioLevels.front(), 0.05f);
}

INSTANTIATE_TEST_SUITE_P(Profiles, EncoderOutput, testing::ValuesIn(kOutputCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace pictavo::test
