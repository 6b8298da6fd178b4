// Every output profile that ships with the program renders a short slideshow into a file that
// holds exactly the frames the run emitted, in the profile's container, codecs, size and rates.

#include "media_probe.h"
#include "production_fixture.h"

#include "core/auto_reset_event.h"
#include "core/decimal.h"
#include "production/produce_video.h"
#include "profiles/profile_catalogue.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <map>

namespace pictavo::test {
namespace {

using Id = ProfileParameterId;

std::vector<int> shippedProfileIndices()
{
    ProfileCatalogue catalogue;
    catalogue.load(testApplicationFolder());
    std::vector<int> indices;
    if (const ProfileGroup* group = catalogue.currentGroup())
        for (int i = 0; i < group->profileCount(); ++i)
            indices.push_back(i);
    return indices;
}

std::string profileCaseName(const testing::TestParamInfo<int>& info)
{
    ProfileCatalogue catalogue;
    catalogue.load(testApplicationFolder());
    std::string name;
    const ProfileGroup* group = catalogue.currentGroup();
    if (const OutputProfile* profile = group ? group->profileAt(info.param) : nullptr)
        for (char c : profile->descS())
            if (std::isalnum(static_cast<unsigned char>(c)))
                name += c;
    return name + "_" + std::to_string(info.param);
}

// What the probe calls the profiles' codecs and containers.
std::string codedVideoName(const std::string& profileCodec)
{
    static const std::map<std::string, std::string> names{
        {"libx264", "h264"}, {"xvid", "mpeg4"}, {"h263", "h263"}};
    const auto found = names.find(profileCodec);
    return found != names.end() ? found->second : profileCodec;
}

std::string codedAudioName(const std::string& profileCodec)
{
    return profileCodec;
}

std::string demuxerPart(const std::string& extension)
{
    if (extension == "mpg")
        return "mpeg";
    if (extension == "mp4" || extension == "3gp")
        return "mp4";
    return extension;
}

// Two transitions and two motions per profile, so that the profiles together run a good part
// of the transition table and of the motion kinds.
struct StepChoice {
    TransitionType transition;
    ImageEffectType motion;
};
const StepChoice kChoices[] = {
    {kTransitionAlpha, 0},         {kTransitionBlinds, 8},   {kTransitionCircle, 18},
    {kTransitionWipe, 3},          {kTransitionZoom, 12},    {kTransitionDoor, 19},
    {kTransitionSpin, 5},          {kTransitionClock, 15},   {kTransitionFly, kImageEffectNone},
    {kTransitionShutter, 1},       {kTransitionCubeFly, 10}, {kTransitionTwist, 7},
    {kTransitionAccordion, 16},    {kTransitionPolygon, 2},  {kTransitionSweep, 9},
    {kTransitionDiagonalSweep, 4}, {kTransitionFlip, 17},    {kTransitionRotateIn, 6},
};
constexpr int kChoiceCount = sizeof kChoices / sizeof kChoices[0];

class ShippedProfileRun : public testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() { profileCatalogue().load(testApplicationFolder()); }
};

TEST_P(ShippedProfileRun, WritesEveryFrameWithTheProfilesFormat)
{
    ProfileGroup* group = profileCatalogue().currentGroup();
    ASSERT_NE(group, nullptr);
    group->setCurrentProfile(GetParam());
    const OutputProfile* profile = profileCatalogue().currentProfile();
    ASSERT_NE(profile, nullptr);

    const StepChoice first = kChoices[(2 * GetParam()) % kChoiceCount];
    const StepChoice second = kChoices[(2 * GetParam() + 1) % kChoiceCount];
    TempDir dir;
    TestPhoto opening;
    opening.motion = 8;
    TestPhoto photo1;
    photo1.width = 800;
    photo1.height = 450;
    photo1.transition = first.transition;
    photo1.motion = first.motion;
    TestPhoto photo2;
    photo2.width = 480;
    photo2.height = 640;
    photo2.transition = second.transition;
    photo2.motion = second.motion;
    const auto slideshow = makeTestSlideshow(dir, {opening, photo1, photo2}, profile->ext());

    std::vector<int> progress;
    ProductionRequest request;
    request.slideshow = slideshow.get();
    request.progressCallback = [&progress](int value) { progress.push_back(value); };
    ASSERT_EQ(produceVideo(request), 0);

    // One second of opening, then 1 s of transition and 1 s of display for each later photo;
    // "29.97" runs at 29 frames per second of slideshow time.
    const int fps = decimalValue(profile->currentText(Id::VideoFrameRate));
    const int frames = fps * (1 + 2 + 2);
    ASSERT_EQ(static_cast<int>(progress.size()), frames);
    for (std::size_t i = 1; i < progress.size(); ++i)
        EXPECT_LE(progress[i - 1], progress[i]);
    EXPECT_GE(progress.front(), 0);
    EXPECT_LE(progress.back(), 65535);

    const MediaProbe p = probeMedia(slideshow->mpgPath());
    ASSERT_TRUE(p.opened) << p.error;
    EXPECT_NE(p.formatName.find(demuxerPart(profile->ext())), std::string::npos) << p.formatName;
    EXPECT_EQ(p.videoCodec, codedVideoName(profile->currentText(Id::VideoCodec)));
    EXPECT_EQ(std::to_string(p.width) + "x" + std::to_string(p.height),
              profile->currentText(Id::VideoSize));
    if (profile->currentText(Id::VideoFrameRate) == "29.97") {
        EXPECT_EQ(p.frameRateNum, 30000);
        EXPECT_EQ(p.frameRateDen, 1001);
    } else {
        EXPECT_EQ(p.frameRateNum, fps);
        EXPECT_EQ(p.frameRateDen, 1);
    }
    EXPECT_EQ(p.videoFrames, frames);

    ASSERT_TRUE(p.hasAudio);
    EXPECT_EQ(p.audioCodec, codedAudioName(profile->currentText(Id::AudioCodec)));
    EXPECT_EQ(p.sampleRate, decimalValue(profile->currentText(Id::AudioSampleRate)));
    EXPECT_EQ(p.channels, decimalValue(profile->currentText(Id::AudioChannels)));
    ASSERT_GT(p.audioFrameSize, 0);
    EXPECT_NEAR(p.audioSeconds(), p.videoSeconds(), double(p.audioFrameSize) / p.sampleRate);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedProfileRun, testing::ValuesIn(shippedProfileIndices()),
                         profileCaseName);

} // namespace
} // namespace pictavo::test
