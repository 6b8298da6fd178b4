#include "production_fixture.h"

#include "core/app_paths.h"
#include "effects/transition_settings.h"
#include "model/photo_settings.h"

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <gtest/gtest.h>

namespace pictavo::test {

std::string testApplicationFolder()
{
    const char* fromEnvironment = std::getenv("PICTAVO_APP_DIR");
    if (fromEnvironment != nullptr && *fromEnvironment != '\0')
        return fromEnvironment;
    return PICTAVO_TEST_APP_DIR;
}

std::string silentMusicPath()
{
    return testApplicationFolder() + "/menu_pic/silent.mp2";
}

namespace {

QImage photoPicture(const TestPhoto& photo)
{
    QImage image(photo.width, photo.height, QImage::Format_RGB32);
    if (photo.gradient) {
        for (int y = 0; y < photo.height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < photo.width; ++x)
                line[x] = qRgb(255 * x / photo.width, 255 * y / photo.height,
                               255 - 255 * (x + y) / (photo.width + photo.height));
        }
        QPainter painter(&image);
        painter.setBrush(QColor(250, 240, 30));
        painter.drawEllipse(photo.width / 8, photo.height / 8, photo.width / 3, photo.height / 3);
        painter.setBrush(QColor(20, 30, 200));
        painter.drawRect(photo.width / 2, photo.height / 2, photo.width / 3, photo.height / 4);
        return image;
    }
    const int halfW = photo.width / 2;
    const int halfH = photo.height / 2;
    QPainter painter(&image);
    painter.fillRect(0, 0, halfW, halfH, QColor::fromRgb(photo.quadrants[0]));
    painter.fillRect(halfW, 0, photo.width - halfW, halfH, QColor::fromRgb(photo.quadrants[1]));
    painter.fillRect(0, halfH, halfW, photo.height - halfH, QColor::fromRgb(photo.quadrants[2]));
    painter.fillRect(halfW, halfH, photo.width - halfW, photo.height - halfH,
                     QColor::fromRgb(photo.quadrants[3]));
    return image;
}

} // namespace

std::unique_ptr<Slideshow> makeTestSlideshow(const TempDir& dir,
                                             const std::vector<TestPhoto>& photos,
                                             const std::string& extension)
{
    auto slideshow = std::make_unique<Slideshow>("show", dir.path());
    const PhotoSettings defaults;
    for (std::size_t i = 0; i < photos.size(); ++i) {
        const TestPhoto& wanted = photos[i];
        const std::string path = dir.file("photo" + std::to_string(i) + ".png");
        EXPECT_TRUE(photoPicture(wanted).save(QString::fromStdString(path), "PNG")) << path;
        EXPECT_EQ(slideshow->addPhoto(path, defaults), 0) << path;
        PhotoItem* photo = slideshow->photo(static_cast<int>(i));
        if (photo == nullptr)
            continue;
        PhotoEffect& effect = photo->settings.effect;
        effect.displaySeconds = wanted.displaySeconds;
        effect.transitionSeconds = wanted.transitionSeconds;
        effect.imageEffectId = wanted.motion;
        const auto transition = TransitionSettings::createDefault(wanted.transition);
        effect.setTransition(transition.get());
    }
    slideshow->recomputeTiming();
    slideshow->setMpgPath(dir.file("show." + extension));
    slideshow->setMp2Path(silentMusicPath());
    return slideshow;
}

bool makeProfile(const TempDir& dir, const std::array<std::string, 8>& t, OutputProfile& profile,
                 const std::string& extension)
{
    auto parameter = [](const char* name, const std::string& value) {
        return std::string("<") + name + " value=\"" + value +
               "\" list_index=\"0\" value_list_count=\"1\">\n<value_list value=\"" + value +
               "\"/>\n</" + name + ">\n";
    };
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<output_profile>\n<format format=\"test\" "
        "ext=\"" +
        extension +
        "\" desc_s=\"Test\" desc_l=\"Test profile\" list_index=\"0\"/>\n<parameters>\n<video>\n" +
        parameter("codec", t[0]) + parameter("size", t[1]) + parameter("bitrate", t[2]) +
        parameter("framerate", t[3]) + "</video>\n<audio>\n" + parameter("codec", t[4]) +
        parameter("bitrate", t[5]) + parameter("samplerate", t[6]) + parameter("channel", t[7]) +
        "</audio>\n</parameters>\n</output_profile>\n";
    const std::string path = dir.file("profile.xml");
    return writeFile(path, text) && profile.loadFile(path);
}

} // namespace pictavo::test
