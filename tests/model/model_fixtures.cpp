#include "model_fixtures.h"

#include "support/temp_dir.h"

#include <QDir>
#include <QImage>

namespace pictavo::test {

std::unique_ptr<PhotoItem> memoryPhoto(const std::string& name, int displaySeconds,
                                       int transitionSeconds, VideoStandard standard)
{
    auto photo = std::make_unique<PhotoItem>();
    photo->originalPath = photo->workingPath = "/nowhere/" + name;
    photo->displayName = name;
    photo->settings.videoStandard = standard;
    photo->settings.effect.displaySeconds = displaySeconds;
    photo->settings.effect.transitionSeconds = transitionSeconds;
    return photo;
}

bool writePicture(const std::string& path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(QString::fromStdString(path));
}

bool writeCatalogue(const std::string& applicationFolder, int videoKbps, int audioKbps)
{
    const std::string base = applicationFolder + "/profile/avoutput";
    if (!QDir().mkpath(QString::fromStdString(base + "/players")))
        return false;
    const std::string group = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
                              "<av_output_profile_group count=\"1\">\r\n"
                              "<group id=\"0\" desc=\"Players\" folder=\"players\"/>\r\n"
                              "</av_output_profile_group>\r\n";
    auto parameter = [](const std::string& tag, const std::string& value) {
        return "<" + tag + " value=\"" + value + "\" list_index=\"0\" value_list_count=\"1\">\r\n" +
               "<value_list value=\"" + value + "\"/>\r\n</" + tag + ">\r\n";
    };
    const std::string profile =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<output_profile>\r\n"
        "<format format=\"dvd\" ext=\"mpg\" desc_s=\"Test\" desc_l=\"Test profile\" "
        "list_index=\"0\"/>\r\n<parameters>\r\n<video>\r\n" +
        parameter("codec", "mpeg2video") + parameter("size", "720x576") +
        parameter("bitrate", std::to_string(videoKbps)) + parameter("framerate", "25") +
        "</video>\r\n<audio>\r\n" + parameter("codec", "mp2") +
        parameter("bitrate", std::to_string(audioKbps)) + parameter("samplerate", "48000") +
        parameter("channel", "2") + "</audio>\r\n</parameters>\r\n</output_profile>\r\n";
    return writeFile(base + "/profile_group.xml", group) &&
           writeFile(base + "/players/test.xml", profile);
}

} // namespace pictavo::test
