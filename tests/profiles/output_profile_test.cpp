#include "profiles/frame_sizes.h"
#include "profiles/output_profile.h"

#include "profile_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace pictavo {
namespace {

using test::profileText;
using test::replaceFirst;

std::vector<std::string> texts(const ProfileParameter& parameter)
{
    std::vector<std::string> result;
    for (const ProfileValue& value : parameter.values()) {
        result.push_back(value.text);
    }
    return result;
}

// The text with the block from startA up to endA and the later block from startB up to endB
// (both ends included) exchanged.
std::string swapped(const std::string& text, std::string_view startA, std::string_view endA,
                    std::string_view startB, std::string_view endB)
{
    const std::size_t a = text.find(startA);
    const std::size_t aEnd = text.find(endA, a) + endA.size();
    const std::size_t b = text.find(startB, aEnd);
    const std::size_t bEnd = text.find(endB, b) + endB.size();
    return text.substr(0, a) + text.substr(b, bEnd - b) + text.substr(aEnd, b - aEnd) +
           text.substr(a, aEnd - a) + text.substr(bEnd);
}

class OutputProfileTest : public ::testing::Test {
protected:
    // Writes the text to a file and loads it into profile_.
    bool load(const std::string& bytes)
    {
        const std::string path = dir_.file("profile.xml");
        EXPECT_TRUE(test::writeFile(path, bytes));
        profile_ = OutputProfile();
        return profile_.loadFile(path);
    }

    test::TempDir dir_;
    OutputProfile profile_;
};

TEST_F(OutputProfileTest, LoadsHeaderAndAllEightParameters)
{
    ASSERT_TRUE(load(profileText("Phones and players", 3)));
    EXPECT_EQ(profile_.format(), "mp4");
    EXPECT_EQ(profile_.ext(), "mp4");
    EXPECT_EQ(profile_.descS(), "short");
    EXPECT_EQ(profile_.descL(), "Phones and players");
    EXPECT_EQ(profile_.listIndex(), 3);

    struct Expected {
        ProfileParameterId id;
        int index;
        const char* text;
        std::vector<std::string> values;
    };
    const Expected expected[] = {
        {ProfileParameterId::VideoCodec, 0, "mpeg4", {"mpeg4", "libx264"}},
        {ProfileParameterId::VideoSize, 1, "320x240", {"176x144", "320x240"}},
        {ProfileParameterId::VideoBitrate, 1, "768", {"512", "768", "1000"}},
        {ProfileParameterId::VideoFrameRate, 0, "29.97", {"29.97", "25"}},
        {ProfileParameterId::AudioCodec, 0, "aac", {"aac", "mp3"}},
        {ProfileParameterId::AudioBitrate, 0, "128", {"128", "192"}},
        {ProfileParameterId::AudioSampleRate, 0, "44100", {"44100", "48000"}},
        {ProfileParameterId::AudioChannels, 0, "2", {"2", "1"}},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.text);
        const ProfileParameter& parameter = profile_.parameter(e.id);
        EXPECT_EQ(parameter.current().index, e.index);
        EXPECT_EQ(parameter.currentText(), e.text);
        EXPECT_EQ(parameter.valueListCount(), static_cast<int>(e.values.size()));
        EXPECT_EQ(texts(parameter), e.values);
        for (std::size_t k = 0; k < parameter.values().size(); ++k) {
            EXPECT_EQ(parameter.values()[k].index, static_cast<int>(k));
        }
    }
    EXPECT_EQ(profile_.videoBitrateValue(), 768);
    EXPECT_EQ(profile_.audioBitrateValue(), 128);
}

TEST_F(OutputProfileTest, CurrentValueIsTakenAsWrittenEvenWhenNotInTheList)
{
    const std::string text = replaceFirst(profileText(), "<size value=\"320x240\" list_index=\"1\"",
                                          "<size value=\"640x480\" list_index=\"7\"");
    ASSERT_NE(text, profileText());
    ASSERT_TRUE(load(text));
    const ProfileParameter& size = profile_.parameter(ProfileParameterId::VideoSize);
    EXPECT_EQ(size.currentText(), "640x480");
    EXPECT_EQ(size.current().index, 7);
    EXPECT_EQ(texts(size), (std::vector<std::string>{"176x144", "320x240"}));
}

TEST_F(OutputProfileTest, ValueListHoldsOnlyTheEntriesPresent)
{
    // Three and two billion announced, two present: the list holds the two.
    for (const char* count : {"3", "2000000000"}) {
        SCOPED_TRACE(count);
        const std::string text = replaceFirst(
            profileText(), "value_list_count=\"2\">\r\n<value_list value=\"176x144\"",
            std::string("value_list_count=\"") + count + "\">\r\n<value_list value=\"176x144\"");
        ASSERT_TRUE(load(text));
        const ProfileParameter& size = profile_.parameter(ProfileParameterId::VideoSize);
        EXPECT_EQ(size.valueListCount(), std::stoi(count));
        EXPECT_EQ(texts(size), (std::vector<std::string>{"176x144", "320x240"}));
        // The next parameter is still found after the short list.
        EXPECT_EQ(profile_.currentText(ProfileParameterId::VideoBitrate), "768");
    }
}

TEST_F(OutputProfileTest, AnnouncedCountLimitsTheList)
{
    const std::string text =
        replaceFirst(profileText(), "value_list_count=\"3\"", "value_list_count=\"1\"");
    ASSERT_TRUE(load(text));
    EXPECT_EQ(texts(profile_.parameter(ProfileParameterId::VideoBitrate)),
              std::vector<std::string>{"512"});
    EXPECT_EQ(profile_.currentText(ProfileParameterId::VideoFrameRate), "29.97");
}

TEST_F(OutputProfileTest, HandEditedAttributesReadAsEmptyOrZero)
{
    std::string text = replaceFirst(profileText(), " ext=\"mp4\"", "");
    text = replaceFirst(text, "list_index=\"0\"/>", "list_index=\"first\"/>");
    text = replaceFirst(text, "<codec value=\"mpeg4\" list_index=\"0\" value_list_count=\"2\">",
                        "<codec>");
    text = replaceFirst(text, "<value_list value=\"mpeg4\"/>", "<value_list/>");
    ASSERT_TRUE(load(text));
    EXPECT_EQ(profile_.ext(), "");
    EXPECT_EQ(profile_.listIndex(), 0);
    const ProfileParameter& codec = profile_.parameter(ProfileParameterId::VideoCodec);
    EXPECT_EQ(codec.currentText(), "");
    EXPECT_EQ(codec.current().index, 0);
    // No announced count: no entries are read.
    EXPECT_EQ(codec.valueListCount(), 0);
    EXPECT_TRUE(codec.values().empty());
}

TEST_F(OutputProfileTest, ElementsOfOtherNamesAreSkipped)
{
    std::string text = replaceFirst(profileText(), "<parameters>", "<note/>\r\n<parameters>");
    text = replaceFirst(text, "<size ", "<comment>x</comment>\r\n<size ");
    text = replaceFirst(text, "<value_list value=\"1000\"/>",
                        "<other value=\"9\"/>\r\n<value_list value=\"1000\"/>");
    ASSERT_TRUE(load(text));
    EXPECT_EQ(profile_.currentText(ProfileParameterId::VideoSize), "320x240");
    EXPECT_EQ(texts(profile_.parameter(ProfileParameterId::VideoBitrate)),
              (std::vector<std::string>{"512", "768", "1000"}));
}

TEST_F(OutputProfileTest, BrokenFilesFail)
{
    const std::string good = profileText();
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"empty file", ""},
        {"truncated", good.substr(0, good.size() / 2)},
        {"not XML", "just some text, no elements at all\r\n"},
        {"other root", replaceFirst(replaceFirst(good, "<output_profile>", "<profile>"),
                                    "</output_profile>", "</profile>")},
        {"no format", replaceFirst(good, "<format ", "<formats ")},
        {"no parameters", replaceFirst(replaceFirst(good, "<parameters>", "<params>"),
                                       "</parameters>", "</params>")},
        {"no video", replaceFirst(replaceFirst(good, "<video>", "<vid>"), "</video>", "</vid>")},
        {"no audio", replaceFirst(replaceFirst(good, "<audio>", "<aud>"), "</audio>", "</aud>")},
        {"no frame rate",
         replaceFirst(replaceFirst(good, "<framerate ", "<rate "), "</framerate>", "</rate>")},
        {"no channel",
         replaceFirst(replaceFirst(good, "<channel ", "<chan "), "</channel>", "</chan>")},
        {"negative value_list_count",
         replaceFirst(good, "value_list_count=\"3\"", "value_list_count=\"-1\"")},
        {"audio before video", swapped(good, "<video>", "</video>\r\n", "<audio>", "</audio>\r\n")},
        {"size before codec",
         swapped(good, "<codec value=\"mpeg4\"", "</codec>\r\n", "<size ", "</size>\r\n")},
        {"UTF-16 without mark", test::utf16Bytes(good, false)},
        {"zero byte inside", replaceFirst(good, "<parameters>", std::string("<par\0ameters>", 13))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(load(c.bytes));
    }
    EXPECT_FALSE(profile_.loadFile(dir_.file("missing.xml")));
    EXPECT_FALSE(profile_.loadFile(dir_.path()));
}

TEST_F(OutputProfileTest, Utf16WithMarkLoadsLikeItsNarrowTwin)
{
    ASSERT_TRUE(load(test::utf16Bytes(profileText("Twin", 2), true)));
    EXPECT_EQ(profile_.descL(), "Twin");
    EXPECT_EQ(profile_.listIndex(), 2);
    EXPECT_EQ(profile_.currentText(ProfileParameterId::AudioChannels), "2");
    EXPECT_EQ(texts(profile_.parameter(ProfileParameterId::VideoBitrate)),
              (std::vector<std::string>{"512", "768", "1000"}));
}

TEST_F(OutputProfileTest, SelectByTextPicksFirstMatchElseLastEntry)
{
    std::string text =
        replaceFirst(profileText(), "<value_list value=\"512\"/>\r\n<value_list value=\"768\"/>",
                     "<value_list value=\"512\"/>\r\n<value_list value=\"768\"/>\r\n<value_list "
                     "value=\"512\"/>");
    text = replaceFirst(text, "value_list_count=\"3\"", "value_list_count=\"4\"");
    ASSERT_TRUE(load(text));
    ProfileParameter& bitrate = profile_.parameter(ProfileParameterId::VideoBitrate);
    ASSERT_EQ(texts(bitrate), (std::vector<std::string>{"512", "768", "512", "1000"}));

    struct Case {
        const char* text;
        int index;
        const char* current;
    };
    const Case cases[] = {
        {"768", 1, "768"},    {"512", 0, "512"}, // the first of two equal entries
        {"1000", 3, "1000"},                     // the last entry
        {"2000", 3, "1000"},                     // no match: the last entry
        {"", 3, "1000"},                         // no match: the last entry
        {" 768", 3, "1000"},                     // exact comparison only
        {"768kb", 3, "1000"},                    // exact comparison only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        bitrate.selectByText(c.text);
        EXPECT_EQ(bitrate.current().index, c.index);
        EXPECT_EQ(bitrate.currentText(), c.current);
    }
}

TEST_F(OutputProfileTest, SelectByTextIsCaseSensitiveAndKeepsCurrentOnEmptyList)
{
    std::string text =
        replaceFirst(profileText(),
                     "<codec value=\"aac\" list_index=\"0\" "
                     "value_list_count=\"2\">",
                     "<codec value=\"aac\" list_index=\"0\" value_list_count=\"0\">");
    ASSERT_TRUE(load(text));
    ProfileParameter& audioCodec = profile_.parameter(ProfileParameterId::AudioCodec);
    ASSERT_TRUE(audioCodec.values().empty());
    audioCodec.selectByText("mp3");
    EXPECT_EQ(audioCodec.currentText(), "aac");
    EXPECT_EQ(audioCodec.current().index, 0);

    ProfileParameter& videoCodec = profile_.parameter(ProfileParameterId::VideoCodec);
    videoCodec.selectByText("MPEG4");
    EXPECT_EQ(videoCodec.currentText(), "libx264");
}

TEST_F(OutputProfileTest, ApplyChoicesSelectsEveryParameterInOrder)
{
    ASSERT_TRUE(load(profileText()));
    profile_.applyChoices({"libx264", "176x144", "1000", "25", "mp3", "192", "48000", "1"});
    const std::pair<ProfileParameterId, int> expected[] = {
        {ProfileParameterId::VideoCodec, 1},      {ProfileParameterId::VideoSize, 0},
        {ProfileParameterId::VideoBitrate, 2},    {ProfileParameterId::VideoFrameRate, 1},
        {ProfileParameterId::AudioCodec, 1},      {ProfileParameterId::AudioBitrate, 1},
        {ProfileParameterId::AudioSampleRate, 1}, {ProfileParameterId::AudioChannels, 1},
    };
    for (const auto& [id, index] : expected) {
        const ProfileParameter& parameter = profile_.parameter(id);
        EXPECT_EQ(parameter.current().index, index);
        EXPECT_EQ(parameter.currentText(),
                  parameter.values()[static_cast<std::size_t>(index)].text);
    }
    EXPECT_EQ(profile_.videoBitrateValue(), 1000);
    EXPECT_EQ(profile_.audioBitrateValue(), 192);
    EXPECT_EQ(frameRateTiming(profile_.currentText(ProfileParameterId::VideoFrameRate)),
              FrameRateTiming::Pal);
}

TEST(ProfileValues, FrameRateSelectsTheTvSystemOnlyForExactTexts)
{
    const std::pair<const char*, FrameRateTiming> cases[] = {
        {"29.97", FrameRateTiming::Ntsc},       {"25", FrameRateTiming::Pal},
        {"30", FrameRateTiming::Unchanged},     {"25.0", FrameRateTiming::Unchanged},
        {"29.970", FrameRateTiming::Unchanged}, {"", FrameRateTiming::Unchanged},
    };
    for (const auto& [text, timing] : cases) {
        EXPECT_EQ(frameRateTiming(text), timing) << '"' << text << '"';
    }
}

TEST(FrameSizes, VocabularyTextsNameTheirOwnSizes)
{
    ASSERT_EQ(kFrameSizes.size(), 22u);
    EXPECT_EQ(kFrameSizes.front().text, "720x480");
    EXPECT_EQ(kFrameSizes.back().text, "160x112");
    for (const FrameSize& size : kFrameSizes) {
        EXPECT_EQ(size.text, std::to_string(size.width) + "x" + std::to_string(size.height));
        EXPECT_EQ(findFrameSize(size.text), &size);
    }
}

TEST(FrameSizes, LookUpIsByExactText)
{
    const FrameSize* qcif = findFrameSize("176x144");
    ASSERT_NE(qcif, nullptr);
    EXPECT_EQ(qcif->width, 176);
    EXPECT_EQ(qcif->height, 144);
    for (const char* text : {"720X480", " 720x480", "720x480 ", "720*480", "1920x1080", ""}) {
        EXPECT_EQ(findFrameSize(text), nullptr) << text;
    }
}

} // namespace
} // namespace pictavo
