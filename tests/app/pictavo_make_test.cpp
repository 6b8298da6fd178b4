// The pictavo-make command: the timing plan of a small generated project, the profile list and
// the refusals of bad input.

#include "support/temp_dir.h"

#include <QColor>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>

namespace pictavo {
namespace {

struct MakeRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

MakeRun runMake(const QStringList& arguments)
{
    QProcess process;
    process.start(PICTAVO_MAKE_PROGRAM, arguments);
    MakeRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// A folder "Trip" of three small pictures and a text file that is not one.
std::string makePhotoFolder(const test::TempDir& temp)
{
    const std::string folder = temp.file("Trip");
    std::filesystem::create_directories(folder);
    const QColor colours[] = {Qt::red, Qt::darkGreen, Qt::blue};
    for (int i = 0; i < 3; ++i) {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(colours[i]);
        EXPECT_TRUE(
            image.save(QString::fromStdString(folder + "/photo" + std::to_string(i) + ".jpg")));
    }
    test::writeFile(folder + "/notes.txt", "not a picture");
    return folder;
}

TEST(PictavoMake, PlanOfPhotoFolderFollowsTheOptions)
{
    test::TempDir temp;
    const std::string folder = makePhotoFolder(temp);
    const QStringList arguments = {
        "--plan", "--seed",       "7",    "--display",     "4",   "--transition-seconds",
        "2",      "--transition", "Door", "--motion-mode", "pan", QString::fromStdString(folder)};
    const MakeRun run = runMake(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    QJsonParseError error;
    const QJsonObject plan = QJsonDocument::fromJson(run.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    const QJsonArray slideshows = plan["slideshows"].toArray();
    ASSERT_EQ(slideshows.size(), 1);
    const QJsonObject show = slideshows[0].toObject();
    EXPECT_EQ(show["name"].toString(), "Trip");
    const int totalFrames = show["totalFrames"].toInt();
    EXPECT_GT(totalFrames, 0);
    // One slideshow: the project's seconds are its frames at 29.97 (the first profile is NTSC).
    EXPECT_EQ(plan["totalSeconds"].toInt(), static_cast<int>(totalFrames / 29.97));
    EXPECT_GT(plan["estimatedSizeMB"].toDouble(), 0.0);

    const QJsonArray photos = show["photos"].toArray();
    ASSERT_EQ(photos.size(), 3); // the text file is passed over
    int lastStart = -1;
    for (int i = 0; i < photos.size(); ++i) {
        const QJsonObject photo = photos[i].toObject();
        EXPECT_EQ(photo["workingPath"].toString().toStdString(),
                  folder + "/photo" + std::to_string(i) + ".jpg");
        EXPECT_EQ(photo["displaySeconds"].toInt(), 4);
        EXPECT_EQ(photo["transitionSeconds"].toInt(), 2);
        EXPECT_EQ(photo["transition"].toObject()["type"].toInt(), 7);
        EXPECT_EQ(photo["transition"].toObject()["name"].toString(), "Door");
        const int motion = photo["motionEffect"].toInt();
        EXPECT_GE(motion, 0);
        EXPECT_LE(motion, 7); // a pan
        EXPECT_GT(photo["startSeconds"].toInt(), lastStart);
        lastStart = photo["startSeconds"].toInt();
    }

    // The same seed gives the same random motions.
    const MakeRun again = runMake(arguments);
    EXPECT_EQ(again.out, run.out);
}

TEST(PictavoMake, ListsTheProfilesByNumber)
{
    const MakeRun run = runMake({"--list-profiles"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith(QString::number(i + 1) + "  ")) << lines[i].toStdString();
    EXPECT_TRUE(lines[0].contains("DVD"));
}

TEST(PictavoMake, RefusesBadInputWithAReason)
{
    test::TempDir temp;
    const QString folder = QString::fromStdString(makePhotoFolder(temp));
    const QString missing = QString::fromStdString(temp.file("missing"));
    struct Case {
        QStringList arguments;
        const char* reason;
    } cases[] = {
        {{"--plan", missing}, "cannot find"},
        {{"--plan"}, "no input"},
        {{"--plan", "-p", "99", folder}, "no output profile"},
        {{"--plan", "--display", "0", folder}, "--display"},
        {{"--plan", "--transition", "Sparkle", folder}, "unknown transition"},
        {{"--plan", QString::fromStdString(temp.file("missing.prg"))}, "cannot find"},
        {{"--plan", QString::fromStdString(temp.file("Trip/notes.txt"))}, "no pictures"},
    };
    for (const Case& c : cases) {
        const MakeRun run = runMake(c.arguments);
        EXPECT_EQ(run.exitCode, 1) << c.reason;
        EXPECT_NE(run.err.indexOf(c.reason), -1) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << c.reason;
    }
}

} // namespace
} // namespace pictavo
