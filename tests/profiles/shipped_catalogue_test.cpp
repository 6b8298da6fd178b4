#include "profiles/frame_sizes.h"
#include "profiles/profile_catalogue.h"

#include "core/app_paths.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace pictavo {
namespace {

// The catalogue the build copies into the application folder.
class ShippedCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        loaded_ = catalogue_.load(applicationFolder());
        ASSERT_TRUE(loaded_) << "catalogue under " << applicationFolder();
    }

    bool loaded_ = false;
    ProfileCatalogue catalogue_;
};

bool isWholeNumber(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
           text[0] != '0';
}

TEST_F(ShippedCatalogueTest, StartsWithDvdNtsc)
{
    const OutputProfile* profile = catalogue_.currentProfile();
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->ext(), "mpg");
    EXPECT_EQ(profile->currentText(ProfileParameterId::VideoCodec), "mpeg2video");
    EXPECT_EQ(profile->currentText(ProfileParameterId::VideoSize), "720x480");
    EXPECT_EQ(profile->currentText(ProfileParameterId::AudioCodec), "mp2");
    EXPECT_EQ(frameRateTiming(profile->currentText(ProfileParameterId::VideoFrameRate)),
              FrameRateTiming::Ntsc);
}

TEST_F(ShippedCatalogueTest, EveryProfileFileIsInItsGroupInListOrder)
{
    for (const ProfileGroup& group : catalogue_.groups()) {
        SCOPED_TRACE(group.folderPath());
        const auto names = ProfileGroup::profileFileNames(group.folderPath());
        for (const std::string& name : names) {
            OutputProfile profile;
            EXPECT_TRUE(profile.loadFile(joinPath(group.folderPath(), name))) << name;
        }
        // No profile is left out by its list_index and each position is used once.
        ASSERT_EQ(group.profileCount(), static_cast<int>(names.size()));
        for (int i = 0; i < group.profileCount(); ++i) {
            EXPECT_EQ(group.profileAt(i)->listIndex(), i);
        }
    }
}

TEST_F(ShippedCatalogueTest, EveryValueIsUsable)
{
    // Codec texts the encoder can turn into an encoder of the system's FFmpeg.
    const std::set<std::string> videoCodecs = {"mpeg2video", "mpeg1video", "mpeg4",
                                               "libx264",    "xvid",       "h263"};
    const std::set<std::string> audioCodecs = {"mp2", "aac", "mp3"};
    const std::set<std::string> sampleRates = {"22050", "44100", "48000"};
    const std::set<std::string> channels = {"1", "2"};
    const std::set<std::string> extensions = {"mpg", "mp4", "avi", "3gp"};

    for (const ProfileGroup& group : catalogue_.groups()) {
        for (const OutputProfile& profile : group.profiles()) {
            SCOPED_TRACE(profile.descL());
            EXPECT_FALSE(profile.descL().empty());
            EXPECT_EQ(extensions.count(profile.ext()), 1u) << profile.ext();
            for (int p = 0; p < kProfileParameterCount; ++p) {
                const auto id = static_cast<ProfileParameterId>(p);
                const ProfileParameter& parameter = profile.parameter(id);
                SCOPED_TRACE(p);
                // The value in force is the list entry its list_index names.
                ASSERT_FALSE(parameter.values().empty());
                EXPECT_EQ(parameter.valueListCount(), static_cast<int>(parameter.values().size()));
                ASSERT_GE(parameter.current().index, 0);
                ASSERT_LT(parameter.current().index, static_cast<int>(parameter.values().size()));
                EXPECT_EQ(
                    parameter.currentText(),
                    parameter.values()[static_cast<std::size_t>(parameter.current().index)].text);
                for (const ProfileValue& value : parameter.values()) {
                    const std::string& text = value.text;
                    switch (id) {
                    case ProfileParameterId::VideoCodec:
                        EXPECT_EQ(videoCodecs.count(text), 1u) << text;
                        break;
                    case ProfileParameterId::VideoSize:
                        EXPECT_NE(findFrameSize(text), nullptr) << text;
                        break;
                    case ProfileParameterId::VideoBitrate:
                    case ProfileParameterId::AudioBitrate:
                        EXPECT_TRUE(isWholeNumber(text)) << text;
                        break;
                    case ProfileParameterId::VideoFrameRate:
                        EXPECT_NE(frameRateTiming(text), FrameRateTiming::Unchanged) << text;
                        break;
                    case ProfileParameterId::AudioCodec:
                        EXPECT_EQ(audioCodecs.count(text), 1u) << text;
                        break;
                    case ProfileParameterId::AudioSampleRate:
                        EXPECT_EQ(sampleRates.count(text), 1u) << text;
                        break;
                    case ProfileParameterId::AudioChannels:
                        EXPECT_EQ(channels.count(text), 1u) << text;
                        break;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace pictavo
