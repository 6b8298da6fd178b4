#pragma once

#include "core/decimal.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace pictavo {

class XmlDocument;

// One selectable value of a parameter: its position in the value list (from 0) and its text as
// written in the profile file.
struct ProfileValue {
    int index = 0;
    std::string text;
};

// One encoding parameter of a profile: the value in force and the list the user picks from.
class ProfileParameter {
public:
    // The value list count the file announced (attribute value_list_count).
    int valueListCount() const { return valueListCount_; }
    // The value in force: the file's own value and list_index until a selection changes it.
    // The text is not checked against the list.
    const ProfileValue& current() const { return current_; }
    const std::string& currentText() const { return current_.text; }
    // The value list in file order; entry k has index k.
    const std::vector<ProfileValue>& values() const { return values_; }

    // Makes the first value-list entry whose text equals the given text exactly current; when no
    // entry matches, the last entry becomes current; an empty list leaves current unchanged.
    void selectByText(std::string_view text);

    // Reads the parameter from the document's current element (its value, list_index and
    // value_list_count attributes and its value_list children) and leaves the cursor on it.
    // False when the announced count is negative.
    bool load(XmlDocument& document);

private:
    int valueListCount_ = 0;
    ProfileValue current_;
    std::vector<ProfileValue> values_;
};

// The eight parameters of a profile, in file and argument order.
enum class ProfileParameterId : int {
    VideoCodec = 0,
    VideoSize,
    VideoBitrate,
    VideoFrameRate,
    AudioCodec,
    AudioBitrate,
    AudioSampleRate,
    AudioChannels,
};
constexpr int kProfileParameterCount = 8;

// One output format, loaded from one profile file.
class OutputProfile {
public:
    // Loads the profile from a profile file; false when the file cannot be read, fails the
    // length check, does not parse, lacks an element or has a failing parameter. On failure the
    // profile's contents are unspecified and it must not be used.
    bool loadFile(const std::string& path);

    ProfileParameter& parameter(ProfileParameterId id) { return parameters_[index(id)]; }
    const ProfileParameter& parameter(ProfileParameterId id) const
    {
        return parameters_[index(id)];
    }
    // The text in force of a parameter ("29.97", "mpeg2video", "720x480", ...).
    const std::string& currentText(ProfileParameterId id) const
    {
        return parameter(id).currentText();
    }
    const std::array<ProfileParameter, kProfileParameterCount>& parameters() const
    {
        return parameters_;
    }

    // Calls selectByText on every parameter with the text at its position (video codec, video
    // size, video bitrate, video frame rate, audio codec, audio bitrate, audio sample rate,
    // audio channels).
    void applyChoices(const std::array<std::string, kProfileParameterCount>& texts);

    // Header of the profile file.
    const std::string& format() const { return format_; }
    // Extension of the produced video files, without the dot ("mpg", "mp4").
    const std::string& ext() const { return ext_; }
    // Long description: the text the profile list shows.
    const std::string& descL() const { return descL_; }
    // Short description.
    const std::string& descS() const { return descS_; }
    // Position of the profile within its group (0 first).
    int listIndex() const { return listIndex_; }

    // Whole kilobits per second of the bit rates in force (decimal conversion of their texts).
    int videoBitrateValue() const;
    int audioBitrateValue() const;

private:
    static constexpr int index(ProfileParameterId id) { return static_cast<int>(id); }

    std::array<ProfileParameter, kProfileParameterCount> parameters_;
    std::string format_;
    std::string ext_;
    std::string descL_;
    std::string descS_;
    int listIndex_ = 0;
};

// What a frame-rate text means for the TV system: "29.97" selects NTSC timing, "25" PAL
// timing; any other text leaves the TV system as it was.
enum class FrameRateTiming { Ntsc, Pal, Unchanged };
FrameRateTiming frameRateTiming(std::string_view frameRateText);

// Reads a catalogue or profile file into a parsed document: UTF-16 files with the FF FE mark are
// converted, the text ends at its first zero character and is rejected when it is shorter than
// half the file's byte count minus 20. False when the file cannot be read, is rejected or does
// not parse.
bool readProfileDocument(const std::string& path, XmlDocument& document);

} // namespace pictavo
