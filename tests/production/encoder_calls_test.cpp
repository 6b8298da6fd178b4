// What the production run hands the encoder library and how it answers the library's codes,
// checked against stand-in libraries that record their calls; and the arguments a profile's
// texts become.

#include "production_fixture.h"

#include "core/app_paths.h"
#include "core/log.h"
#include "core/result_codes.h"
#include "production/encoder_library.h"
#include "production/produce_video.h"
#include "profiles/frame_sizes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace pictavo::test {
namespace {

using testing::HasSubstr;

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string stubFolder(const char* variant)
{
    return std::string(PICTAVO_STUB_ENCODER_ROOT) + "/" + variant;
}

// Points the run at a stand-in library and the stand-in at a call record and its answers; all
// is undone at the end.
class StubEncoderRun : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(makeProfile(
            dir_, {"mpeg2video", "720x480", "6000", "29.97", "mp2", "224", "48000", "2"},
            profile_));
        slideshow_ = makeTestSlideshow(dir_, {TestPhoto{}}, "mpg");
        request_.slideshow = slideshow_.get();
        setenv("PICTAVO_STUB_ENCODER_LOG", dir_.file("calls.txt").c_str(), 1);
        setLogFile(dir_.file("log.txt"));
    }
    void TearDown() override
    {
        unsetenv("PICTAVO_STUB_ENCODER_LOG");
        unsetenv("PICTAVO_STUB_INIT_RESULT");
        unsetenv("PICTAVO_STUB_REFUSE_FRAME");
        setApplicationFolder("");
        setLogFile("");
    }
    int run(const char* variant)
    {
        setApplicationFolder(stubFolder(variant));
        return produceVideo(request_, &profile_);
    }
    std::vector<std::string> calls() const { return linesOf(readFile(dir_.file("calls.txt"))); }
    std::string log() const { return readFile(dir_.file("log.txt")); }

    TempDir dir_;
    OutputProfile profile_;
    std::unique_ptr<Slideshow> slideshow_;
    ProductionRequest request_;
};

TEST_F(StubEncoderRun, CallsInitEveryFrameAndCloseWithTheLogLinesBetween)
{
    ASSERT_EQ(run("complete"), kResultOk);
    const std::vector<std::string> c = calls();
    // A slideshow of one photo is its one-second opening: 29 frames at "29.97".
    ASSERT_EQ(c.size(), 1u + 29u + 1u);
    EXPECT_EQ(c.front(), "init 720|480|" + slideshow_->mpgPath() + "|" + stubFolder("complete") +
                             "/menu_pic/in.yuv|" + silentMusicPath() +
                             "|mp2|224kb|48000|2|mpeg2video|6000kb|720x480|29.97");
    EXPECT_EQ(std::count(c.begin(), c.end(), "frame"), 29);
    EXPECT_EQ(c.back(), "close");

    const std::vector<std::string> lines = linesOf(log());
    const std::vector<std::string> expected{
        "begin Load BrenwickEncoder",
        "End Load BrenwickEncoder",
        "Begin init encoder rectScreen:720,480. m2vFile:" + slideshow_->mpgPath() +
            ", strAudioPath:" + silentMusicPath() +
            ", strACodec:mp2, strARate:224kb, strASample:48000, strAChannel:2, "
            "strVCodec:mpeg2video, strVRate:6000kb",
        "End init encoder",
    };
    ASSERT_GE(lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        // Each line is "<time>: <message>".
        const std::size_t colon = lines[i].find(", 20");
        ASSERT_NE(colon, std::string::npos) << lines[i];
        EXPECT_EQ(lines[i].substr(lines[i].find(": ", colon) + 2), expected[i]);
    }
}

TEST_F(StubEncoderRun, TheEncodersCodesEndTheRunAndTheFileIsStillClosed)
{
    setenv("PICTAVO_STUB_REFUSE_FRAME", "5", 1);
    int reports = 0;
    request_.progressCallback = [&reports](int) { ++reports; };
    EXPECT_EQ(run("complete"), 8);
    const std::vector<std::string> c = calls();
    ASSERT_EQ(c.size(), 1u + 5u + 1u);
    EXPECT_EQ(c[5], "frame refused");
    EXPECT_EQ(c.back(), "close");
    // No progress for the refused frame.
    EXPECT_EQ(reports, 4);
    EXPECT_THAT(log(), HasSubstr("stub refuses the frame"));
}

TEST_F(StubEncoderRun, AnEncoderThatCannotStartGivesItsCodeWithoutFrames)
{
    setenv("PICTAVO_STUB_INIT_RESULT", "5", 1);
    EXPECT_EQ(run("complete"), 5);
    const std::vector<std::string> c = calls();
    ASSERT_EQ(c.size(), 1u);
    EXPECT_THAT(c[0], testing::StartsWith("init "));
    EXPECT_THAT(log(), HasSubstr("stub refuses to start"));
}

TEST_F(StubEncoderRun, ALibraryWithoutAllThreeEntryPointsDoesNotLoad)
{
    EXPECT_EQ(run("without_close"), kResultFailed);
    EXPECT_TRUE(calls().empty());
    EXPECT_THAT(log(), HasSubstr("closeEncoder"));
    EXPECT_THAT(log(), testing::Not(HasSubstr("End Load BrenwickEncoder")));
}

TEST(EncoderLibrary, LoadsAfreshAndReportsWhatIsMissing)
{
    EncoderLibrary library;
    EXPECT_FALSE(library.load(stubFolder("nowhere") + "/BrenwickEncoder.so"));
    EXPECT_FALSE(library.loaded());
    EXPECT_FALSE(library.loadError().empty());
    EXPECT_EQ(library.closeEncoder(), kResultFailed);

    ASSERT_TRUE(library.load(stubFolder("complete") + "/BrenwickEncoder.so"))
        << library.loadError();
    EXPECT_TRUE(library.loaded());
    EXPECT_EQ(library.lastError(), "");
    library.unload();
    EXPECT_FALSE(library.loaded());
}

TEST(EncoderArguments, ProfileTextsBecomeTheEncodersNames)
{
    struct Case {
        std::array<std::string, 8> profile;
        // audio codec, bit rate, sample rate, channels, video codec, video bit rate
        std::array<std::string, 6> passed;
    };
    const Case cases[] = {
        {{"mpeg2video", "720x480", "6000", "29.97", "mp2", "224", "48000", "2"},
         {"mp2", "224kb", "48000", "2", "mpeg2video", "6000kb"}},
        {{"libx264", "320x240", "768", "29.97", "aac", "128", "44100", "2"},
         {"libfaac", "128kb", "44100", "2", "libx264", "768kb"}},
        {{"xvid", "640x480", "1500", "25", "mp3", "128", "44100", "1 (mono)"},
         {"libmp3lame", "128kb", "44100", "1", "libxvid", "1500kb"}},
        {{"h263", "176x144", "128", "29.97", "amr_nb", "64", "22050", "2"},
         {"libamr_nb", "12.2k", "8000", "1", "h263p", "128kb"}},
        {{"mpeg4", "320x240", "768", "25", "ac3", "192", "48000", ""},
         {"ac3", "192kb", "48000", "", "mpeg4", "768kb"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile[0] + " / " + c.profile[4]);
        TempDir dir;
        OutputProfile profile;
        ASSERT_TRUE(makeProfile(dir, c.profile, profile));
        const FrameSize* size = findFrameSize(c.profile[1]);
        ASSERT_NE(size, nullptr);
        const EncoderInitArguments a =
            encoderArgumentsFor(profile, *size, "/out/show.mpg", "/tmp/music.mp2", "/app");
        EXPECT_EQ(a.width, size->width);
        EXPECT_EQ(a.height, size->height);
        EXPECT_EQ(a.outputPath, "/out/show.mpg");
        EXPECT_EQ(a.yuvPath, "/app/menu_pic/in.yuv");
        EXPECT_EQ(a.audioPath, "/tmp/music.mp2");
        const std::array<std::string, 6> passed{a.audioCodec,    a.audioBitrate, a.audioSampleRate,
                                                a.audioChannels, a.videoCodec,   a.videoBitrate};
        EXPECT_EQ(passed, c.passed);
        EXPECT_EQ(a.frameSize, c.profile[1]);
        EXPECT_EQ(a.frameRate, c.profile[3]);
    }
}

} // namespace
} // namespace pictavo::test
