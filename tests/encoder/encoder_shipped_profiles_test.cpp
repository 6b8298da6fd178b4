// Every output profile shipped with the program, with every value its lists offer, gives a file
// with the frames and the sound: no shipped choice names a codec, size or rate the encoder
// refuses.

#include "encoder_fixture.h"
#include "media_probe.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

namespace pictavo::test {
namespace {

namespace fs = std::filesystem;

struct ShippedParameter {
    std::string current;
    std::vector<std::string> values;
};

// The parameters of one profile file, keyed "video/size", "audio/codec", ...
struct ShippedProfile {
    std::string file;
    std::string ext;
    std::map<std::string, ShippedParameter> parameters;
};

std::string attribute(const std::string& text, size_t from, const std::string& name)
{
    const std::string key = " " + name + "=\"";
    const size_t end = text.find('>', from);
    const size_t at = text.find(key, from);
    if (at == std::string::npos || at > end)
        return {};
    const size_t start = at + key.size();
    return text.substr(start, text.find('"', start) - start);
}

ShippedProfile readProfile(const fs::path& path)
{
    ShippedProfile profile;
    profile.file = path.filename().string();
    const std::string text = readFile(path.string());
    profile.ext = attribute(text, text.find("<format "), "ext");
    for (const char* section : {"video", "audio"}) {
        const size_t begin = text.find(std::string("<") + section + ">");
        const size_t end = text.find(std::string("</") + section + ">");
        if (begin == std::string::npos || end == std::string::npos)
            continue;
        for (const char* name :
             {"codec", "size", "bitrate", "framerate", "samplerate", "channel"}) {
            const size_t at = text.find(std::string("<") + name + " ", begin);
            if (at == std::string::npos || at > end)
                continue;
            ShippedParameter parameter;
            parameter.current = attribute(text, at, "value");
            const size_t close = text.find(std::string("</") + name + ">", at);
            for (size_t v = text.find("<value_list ", at); v < close;
                 v = text.find("<value_list ", v + 1))
                parameter.values.push_back(attribute(text, v, "value"));
            profile.parameters[std::string(section) + "/" + name] = parameter;
        }
    }
    return profile;
}

std::vector<ShippedProfile> shippedProfiles()
{
    std::vector<ShippedProfile> profiles;
    const fs::path root = fs::path(PICTAVO_SOURCE_DIR) / "resources/profile/avoutput";
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(root, ec))
        if (entry.path().extension() == ".xml" && entry.path().filename() != "profile_group.xml")
            profiles.push_back(readProfile(entry.path()));
    std::sort(profiles.begin(), profiles.end(),
              [](const auto& a, const auto& b) { return a.file < b.file; });
    return profiles;
}

// The call the production run makes for a set of profile values, after its renaming of
// historical codec names.
EncoderCall callFor(const std::map<std::string, std::string>& v, const std::string& output)
{
    EncoderCall call;
    call.output = output;
    const std::string& size = v.at("video/size");
    call.width = std::stoi(size.substr(0, size.find('x')));
    call.height = std::stoi(size.substr(size.find('x') + 1));
    call.videoCodec = v.at("video/codec");
    if (call.videoCodec == "xvid")
        call.videoCodec = "libxvid";
    if (call.videoCodec == "h263")
        call.videoCodec = "h263p";
    call.videoBitrate = v.at("video/bitrate") + "kb";
    call.frameRate = v.at("video/framerate");
    call.audioCodec = v.at("audio/codec");
    if (call.audioCodec == "aac")
        call.audioCodec = "libfaac";
    if (call.audioCodec == "mp3")
        call.audioCodec = "libmp3lame";
    call.audioBitrate = v.at("audio/bitrate") + "kb";
    call.sampleRate = v.at("audio/samplerate");
    call.channels = v.at("audio/channel").substr(0, 1);
    return call;
}

TEST(ShippedProfiles, EveryListedValueEncodes)
{
    ASSERT_TRUE(encoderLibrary().loaded()) << encoderLibrary().loadError;
    const std::vector<ShippedProfile> profiles = shippedProfiles();
    ASSERT_FALSE(profiles.empty());
    TempDir dir;
    for (const ShippedProfile& profile : profiles) {
        std::map<std::string, std::string> current;
        for (const auto& [key, parameter] : profile.parameters)
            current[key] = parameter.current;
        ASSERT_EQ(current.size(), 8u) << profile.file;
        // The values as shipped, then each listed value of one parameter at a time (the video
        // bit rate only steers the rate control and is left as shipped).
        std::vector<std::map<std::string, std::string>> choices{current};
        for (const auto& [key, parameter] : profile.parameters) {
            if (key == "video/bitrate")
                continue;
            for (const std::string& value : parameter.values)
                if (value != parameter.current) {
                    choices.push_back(current);
                    choices.back()[key] = value;
                }
        }
        for (const auto& choice : choices) {
            const EncoderCall call = callFor(choice, dir.file("shipped." + profile.ext));
            SCOPED_TRACE(profile.file + ": " + call.videoCodec + " " + choice.at("video/size") +
                         " " + call.frameRate + " fps, " + call.audioCodec + " " +
                         call.audioBitrate + " " + call.sampleRate + " Hz " + call.channels +
                         " ch");
            ASSERT_EQ(call.init(), 0) << encoderLibrary().lastError();
            ASSERT_EQ(encodeFrames(call.width, call.height, 2), 0);
            ASSERT_EQ(encoderLibrary().close(), 0) << encoderLibrary().lastError();
            const MediaProbe p = probeMedia(call.output);
            EXPECT_EQ(p.videoFrames, 2);
            EXPECT_EQ(p.width, call.width);
            EXPECT_EQ(p.height, call.height);
            EXPECT_TRUE(p.hasAudio);
        }
    }
}

} // namespace
} // namespace pictavo::test
