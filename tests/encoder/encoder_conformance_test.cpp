// Disc conformance, colours after a decode, and how the music is fitted to the video.

#include "encoder_fixture.h"
#include "media_probe.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace pictavo::test {
namespace {

// The fields of the first MPEG video sequence header in a file.
struct SequenceHeader {
    bool found = false;
    int width = 0, height = 0, aspectCode = 0, rateCode = 0;
    int64_t bitRate = 0;    // bits per second (the peak rate for variable rate video)
    int64_t bufferSize = 0; // VBV buffer, bits
};

SequenceHeader firstSequenceHeader(const std::string& path)
{
    const std::string bytes = readFile(path);
    SequenceHeader h;
    const auto at = bytes.find(std::string("\0\0\1\xb3", 4));
    if (at == std::string::npos || at + 12 > bytes.size())
        return h;
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.data()) + at + 4;
    h.found = true;
    h.width = (b[0] << 4) | (b[1] >> 4);
    h.height = ((b[1] & 0x0f) << 8) | b[2];
    h.aspectCode = b[3] >> 4;
    h.rateCode = b[3] & 0x0f;
    h.bitRate = int64_t((b[4] << 10) | (b[5] << 2) | (b[6] >> 6)) * 400;
    h.bufferSize = int64_t(((b[6] & 0x1f) << 5) | (b[7] >> 3)) * 16384;
    return h;
}

struct DiscCase {
    const char* name;
    int width, height;
    const char* frameRate;
    const char* videoBitrate;
    const char* sampleRate; // as the profile asks; discs always get 48 kHz
    int maxGop;
    const char* tvSystem;
};

void PrintTo(const DiscCase& c, std::ostream* os)
{
    *os << c.name;
}

class DiscOutput : public testing::TestWithParam<DiscCase> {};

TEST_P(DiscOutput, MeetsDvdLimits)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    const DiscCase& c = GetParam();
    TempDir dir;
    EncoderCall call;
    call.width = c.width;
    call.height = c.height;
    call.output = dir.file("disc.mpg");
    call.videoCodec = "mpeg2video";
    call.videoBitrate = c.videoBitrate;
    call.frameRate = c.frameRate;
    call.sampleRate = c.sampleRate;
    constexpr int kFrames = 40;
    ASSERT_EQ(call.init(), 0) << encoderLibrary().lastError();
    ASSERT_EQ(encodeFrames(c.width, c.height, kFrames), 0);
    ASSERT_EQ(encoderLibrary().close(), 0) << encoderLibrary().lastError();

    // DVD packs are 2048 bytes each.
    EXPECT_EQ(std::filesystem::file_size(call.output) % 2048, 0u);
    const MediaProbe p = probeMedia(call.output);
    ASSERT_TRUE(p.opened) << p.error;
    EXPECT_EQ(p.videoCodec, "mpeg2video");
    EXPECT_EQ(p.videoFrames, kFrames);
    // Key frames no further apart than a disc player allows.
    ASSERT_FALSE(p.keyFrames.empty());
    EXPECT_EQ(p.keyFrames.front(), 0);
    int64_t previous = 0;
    for (int64_t k : p.keyFrames) {
        EXPECT_LE(k - previous, c.maxGop);
        previous = k;
    }
    EXPECT_LE(kFrames - previous, c.maxGop);
    // Buffer and peak rate within the DVD video limits, shown at 4:3.
    const SequenceHeader header = firstSequenceHeader(call.output);
    ASSERT_TRUE(header.found);
    EXPECT_EQ(header.width, c.width);
    EXPECT_EQ(header.height, c.height);
    EXPECT_GT(header.bufferSize, 0);
    EXPECT_LE(header.bufferSize, 1835008);
    EXPECT_GT(header.bitRate, 0);
    EXPECT_LE(header.bitRate, 9800000);
    EXPECT_EQ(header.aspectCode, 2); // 4:3
    ASSERT_GT(p.sarDen, 0);
    EXPECT_EQ(int64_t(p.width) * p.sarNum * 3, int64_t(p.height) * p.sarDen * 4);
    EXPECT_EQ(p.sampleRate, 48000);
    EXPECT_EQ(p.audioCodec, "mp2");

    // Where a DVD authoring tool is installed, it takes the file without complaint.
    if (std::system("command -v dvdauthor >/dev/null 2>&1") == 0) {
        const std::string command = std::string("VIDEO_FORMAT=") + c.tvSystem + " dvdauthor -o '" +
                                    dir.file("dvd") + "' -t '" + call.output + "' 2>&1";
        std::string output;
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char line[512];
        while (std::fgets(line, sizeof line, pipe))
            output += line;
        EXPECT_EQ(pclose(pipe), 0) << output;
        EXPECT_EQ(output.find("ERR:"), std::string::npos) << output;
        EXPECT_EQ(output.find("WARN:"), std::string::npos) << output;
    }
}

const DiscCase kDiscCases[] = {
    {"Ntsc", 720, 480, "29.97", "6000kb", "48000", 18, "NTSC"},
    {"NtscTooFastAndCdRate", 720, 480, "29.97", "12000kb", "44100", 18, "NTSC"},
    {"NtscHalfSize", 352, 240, "29.97", "2500kb", "48000", 18, "NTSC"},
    {"Pal", 720, 576, "25", "8000kb", "48000", 15, "PAL"},
};
INSTANTIATE_TEST_SUITE_P(Dvd, DiscOutput, testing::ValuesIn(kDiscCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Colours survive encoding and decoding, in the right place; the caller's buffer may be
// changed as soon as EncOneFrame returns.
struct ColourCase {
    const char* name;
    const char* file;
    const char* videoCodec;
    const char* audioCodec;
    int width, height;
    const char* videoBitrate;
};

void PrintTo(const ColourCase& c, std::ostream* os)
{
    *os << c.name;
}

class DecodedColours : public testing::TestWithParam<ColourCase> {};

TEST_P(DecodedColours, MatchWhatWasSent)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    const ColourCase& c = GetParam();
    TempDir dir;
    EncoderCall call;
    call.width = c.width;
    call.height = c.height;
    call.output = dir.file(c.file);
    call.videoCodec = c.videoCodec;
    call.audioCodec = c.audioCodec;
    call.videoBitrate = c.videoBitrate;
    ASSERT_EQ(call.init(), 0) << encoderLibrary().lastError();
    const Yuv colours[4] = {kRed, kGreen, kBlue, kWhite};
    const std::vector<uint8_t> picture = quadrantFrame(c.width, c.height, colours);
    std::vector<uint8_t> buffer;
    for (int i = 0; i < 12; ++i) {
        buffer = picture;
        ASSERT_EQ(encoderLibrary().encodeFrame(buffer.data()), 0);
        std::fill(buffer.begin(), buffer.end(), uint8_t(0)); // reused at once
    }
    ASSERT_EQ(encoderLibrary().close(), 0) << encoderLibrary().lastError();

    const MediaProbe p = probeMedia(call.output);
    ASSERT_EQ(p.videoFrames, 12);
    ASSERT_EQ(p.lastFrame.size(), picture.size());
    const int w = c.width, h = c.height;
    const uint8_t* y = p.lastFrame.data();
    const uint8_t* u = y + w * h;
    const uint8_t* v = u + (w / 2) * (h / 2);
    for (int q = 0; q < 4; ++q) {
        const int cx = (q % 2) ? w * 3 / 4 : w / 4;
        const int cy = (q / 2) ? h * 3 / 4 : h / 4;
        SCOPED_TRACE("quadrant " + std::to_string(q));
        EXPECT_NEAR(y[cy * w + cx], colours[q].y, 6);
        EXPECT_NEAR(u[(cy / 2) * (w / 2) + cx / 2], colours[q].u, 6);
        EXPECT_NEAR(v[(cy / 2) * (w / 2) + cx / 2], colours[q].v, 6);
    }
}

const ColourCase kColourCases[] = {
    {"DvdMpeg2", "c.mpg", "mpeg2video", "mp2", 720, 480, "6000kb"},
    {"H264Mp4", "c.mp4", "libx264", "libfaac", 320, 240, "768kb"},
    {"XvidAvi", "c.avi", "libxvid", "libmp3lame", 320, 240, "1500kb"},
};
INSTANTIATE_TEST_SUITE_P(Codecs, DecodedColours, testing::ValuesIn(kColourCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every frame keeps its own picture although the caller's buffer is reused at once and the
// encoder holds frames back for its B-frames: a grey ramp, one level per frame. 720x480 is
// taken by the MPEG encoder without a copy; 360x200 (not whole macroblocks) is copied.
struct RampCase {
    const char* name;
    int width, height;
};

void PrintTo(const RampCase& c, std::ostream* os)
{
    *os << c.name;
}

class FrameOrder : public testing::TestWithParam<RampCase> {};

TEST_P(FrameOrder, EveryFrameShowsWhatWasSentForIt)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    const RampCase& c = GetParam();
    TempDir dir;
    EncoderCall call;
    call.width = c.width;
    call.height = c.height;
    call.output = dir.file("ramp.mpg"); // MPEG-2 with two B-frames
    ASSERT_EQ(call.init(), 0) << encoderLibrary().lastError();
    const size_t lumaBytes = size_t(c.width) * c.height;
    std::vector<uint8_t> buffer(lumaBytes * 3 / 2);
    constexpr int kFrames = 40;
    for (int i = 0; i < kFrames; ++i) {
        std::fill(buffer.begin(), buffer.begin() + lumaBytes, uint8_t(30 + 5 * i));
        std::fill(buffer.begin() + lumaBytes, buffer.end(), uint8_t(128));
        ASSERT_EQ(encoderLibrary().encodeFrame(buffer.data()), 0);
    }
    ASSERT_EQ(encoderLibrary().close(), 0) << encoderLibrary().lastError();

    const MediaProbe p = probeMedia(call.output);
    ASSERT_EQ(p.centreLuma.size(), size_t(kFrames));
    for (int i = 0; i < kFrames; ++i)
        EXPECT_NEAR(p.centreLuma[i], 30 + 5 * i, 4) << "frame " << i;
}

const RampCase kRampCases[] = {
    {"WholeMacroblocks", 720, 480},
    {"PartMacroblocks", 360, 200},
};
INSTANTIATE_TEST_SUITE_P(Sizes, FrameOrder, testing::ValuesIn(kRampCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The sound track is as long as the video whatever the music: shorter music ends in silence,
// missing or unreadable music gives silence throughout.
struct MusicCase {
    const char* name;
    double musicSeconds; // < 0: no file; 0: a file of garbage
    bool expectToneAtStart;
};

void PrintTo(const MusicCase& c, std::ostream* os)
{
    *os << c.name;
}

class MusicFit : public testing::TestWithParam<MusicCase> {};

TEST_P(MusicFit, SoundTrackLastsAsLongAsTheVideo)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    const MusicCase& c = GetParam();
    TempDir dir;
    EncoderCall call;
    call.output = dir.file("music.mp4");
    call.videoCodec = "mpeg4";
    call.audioCodec = "libfaac";
    call.audioBitrate = "128kb";
    call.sampleRate = "44100";
    call.frameRate = "25";
    call.videoBitrate = "768kb";
    call.audio = dir.file("music.wav");
    if (c.musicSeconds > 0) {
        ASSERT_TRUE(writeToneWav(call.audio, c.musicSeconds, 22050, 1));
    } else if (c.musicSeconds == 0) {
        ASSERT_TRUE(writeFile(call.audio, std::string(5000, '\x5a')));
    }
    constexpr int kFrames = 25; // one second
    ASSERT_EQ(call.init(), 0) << encoderLibrary().lastError();
    ASSERT_EQ(encodeFrames(call.width, call.height, kFrames), 0);
    ASSERT_EQ(encoderLibrary().close(), 0) << encoderLibrary().lastError();

    const MediaProbe p = probeMedia(call.output);
    ASSERT_TRUE(p.hasAudio);
    EXPECT_NEAR(p.audioSeconds(), 1.0, double(p.audioFrameSize) / p.sampleRate);
    ASSERT_GE(p.audioLevels.size(), 19u); // 1/20 s each
    if (c.expectToneAtStart)
        EXPECT_GT(p.audioLevels[1], 0.1f);
    else
        EXPECT_LT(p.audioLevels[1], 0.01f);
    // After the music (0.3 s at most) only silence.
    for (size_t i = 8; i < 19; ++i)
        EXPECT_LT(p.audioLevels[i], 0.01f) << "window " << i;
}

const MusicCase kMusicCases[] = {
    {"ShorterMusic", 0.3, true},
    {"NoMusicFile", -1, false},
    {"UnreadableMusic", 0, false},
};
INSTANTIATE_TEST_SUITE_P(Music, MusicFit, testing::ValuesIn(kMusicCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace pictavo::test
