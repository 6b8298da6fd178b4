#include "profile_fixtures.h"

namespace pictavo::test {

std::string profileText(const std::string& descL, int listIndex)
{
    return "<?xml version=\"1.0\"?>\r\n"
           "<output_profile>\r\n"
           "<format format=\"mp4\" ext=\"mp4\" desc_s=\"short\" desc_l=\"" +
           descL + "\" list_index=\"" + std::to_string(listIndex) +
           "\"/>\r\n"
           "<parameters>\r\n"
           "<video>\r\n"
           "<codec value=\"mpeg4\" list_index=\"0\" value_list_count=\"2\">\r\n"
           "<value_list value=\"mpeg4\"/>\r\n<value_list value=\"libx264\"/>\r\n</codec>\r\n"
           "<size value=\"320x240\" list_index=\"1\" value_list_count=\"2\">\r\n"
           "<value_list value=\"176x144\"/>\r\n<value_list value=\"320x240\"/>\r\n</size>\r\n"
           "<bitrate value=\"768\" list_index=\"1\" value_list_count=\"3\">\r\n"
           "<value_list value=\"512\"/>\r\n<value_list value=\"768\"/>\r\n"
           "<value_list value=\"1000\"/>\r\n</bitrate>\r\n"
           "<framerate value=\"29.97\" list_index=\"0\" value_list_count=\"2\">\r\n"
           "<value_list value=\"29.97\"/>\r\n<value_list value=\"25\"/>\r\n</framerate>\r\n"
           "</video>\r\n"
           "<audio>\r\n"
           "<codec value=\"aac\" list_index=\"0\" value_list_count=\"2\">\r\n"
           "<value_list value=\"aac\"/>\r\n<value_list value=\"mp3\"/>\r\n</codec>\r\n"
           "<bitrate value=\"128\" list_index=\"0\" value_list_count=\"2\">\r\n"
           "<value_list value=\"128\"/>\r\n<value_list value=\"192\"/>\r\n</bitrate>\r\n"
           "<samplerate value=\"44100\" list_index=\"0\" value_list_count=\"2\">\r\n"
           "<value_list value=\"44100\"/>\r\n<value_list value=\"48000\"/>\r\n</samplerate>\r\n"
           "<channel value=\"2\" list_index=\"0\" value_list_count=\"2\">\r\n"
           "<value_list value=\"2\"/>\r\n<value_list value=\"1\"/>\r\n</channel>\r\n"
           "</audio>\r\n"
           "</parameters>\r\n"
           "</output_profile>\r\n";
}

std::string catalogueText(int count, const std::string& groupElements)
{
    return "<av_output_profile_group count=\"" + std::to_string(count) + "\">\r\n" + groupElements +
           "</av_output_profile_group>\r\n";
}

std::string groupElement(int id, const std::string& desc, const std::string& folder)
{
    return "<group id=\"" + std::to_string(id) + "\" desc=\"" + desc + "\" folder=\"" + folder +
           "\"/>\r\n";
}

std::string replaceFirst(std::string text, std::string_view from, std::string_view to)
{
    const std::size_t pos = text.find(from);
    if (pos != std::string::npos) {
        text.replace(pos, from.size(), to);
    }
    return text;
}

std::string utf16Bytes(const std::string& ascii, bool withMark)
{
    std::string bytes;
    if (withMark) {
        bytes += "\xFF\xFE";
    }
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

} // namespace pictavo::test
