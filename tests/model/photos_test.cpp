#include "core/random.h"
#include "model/file_names.h"
#include "model/project.h"
#include "model_fixtures.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>
#include <set>

namespace pictavo {
namespace {

using test::memoryPhoto;
using test::writePicture;

QImage loadImage(const std::string& path)
{
    return QImage(QString::fromStdString(path));
}

bool isWhite(QRgb pixel)
{
    return qRed(pixel) > 245 && qGreen(pixel) > 245 && qBlue(pixel) > 245;
}

// Mostly red / mostly blue, tolerant of JPEG noise.
bool isRed(QRgb pixel)
{
    return qRed(pixel) > 150 && qBlue(pixel) < 100;
}
bool isBlue(QRgb pixel)
{
    return qBlue(pixel) > 150 && qRed(pixel) < 100;
}

// A picture whose left half is red and right half blue.
bool writeHalves(const std::string& path, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width() / 2; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image.save(QString::fromStdString(path));
}

class PhotoTest : public testing::Test {
protected:
    void SetUp() override
    {
        working_ = dir_.path() + "/Project_1";
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(working_ + "/temp")));
        project_.folders() = ProjectFolders::forWorkingFolder(working_);
        project_.defaults().tempFolder = project_.folders().tempFolder;
        project_.defaults().outputFolder = project_.folders().outputFolder;
        project_.setCoverChangedObserver([this](Slideshow&) { ++coverChanges_; });
        ASSERT_EQ(project_.addSlideshow("Show"), 0);
        show_ = project_.slideshow(0);
        project_.setModified(false);
        project_.setRefreshNeeded(false);
    }

    std::string picture(const std::string& name, QSize size = QSize(40, 30),
                        QColor colour = QColor(200, 30, 30))
    {
        const std::string path = dir_.file(name);
        EXPECT_TRUE(writePicture(path, size, colour)) << path;
        return path;
    }

    int add(const std::string& path) { return show_->addPhoto(path, project_.defaults()); }

    test::TempDir dir_;
    std::string working_;
    Project project_;
    Slideshow* show_ = nullptr;
    int coverChanges_ = 0;
};

TEST_F(PhotoTest, AddPhotoFillsTheItem)
{
    const std::string path = picture("red.png");
    project_.defaults().effect.displaySeconds = 4;
    project_.defaults().effect.imageEffectMode = kImageEffectModePan;
    project_.defaults().videoStandard = kVideoStandardPal;
    ASSERT_EQ(add(path), 0);
    EXPECT_TRUE(project_.modified());
    const PhotoItem& photo = *show_->photo(0);
    EXPECT_EQ(photo.originalPath, path);
    EXPECT_EQ(photo.workingPath, path);
    EXPECT_EQ(photo.displayName, "red.png");
    EXPECT_EQ(photo.fileSize,
              static_cast<std::uint64_t>(QFileInfo(QString::fromStdString(path)).size()));
    EXPECT_EQ(photo.sizeText, "1KB");
    EXPECT_GT(photo.modifiedTime, 0);
    EXPECT_FALSE(photo.typeName.empty());
    EXPECT_EQ(photo.startText, "00:00:00");
    EXPECT_EQ(photo.settings.effect.displaySeconds, 4);
    EXPECT_EQ(photo.settings.videoStandard, kVideoStandardPal);
    EXPECT_EQ(photo.settings.tempFolder, working_ + "/temp");
    EXPECT_GE(photo.settings.effect.imageEffectId, 0);
    EXPECT_LE(photo.settings.effect.imageEffectId, 7);
    EXPECT_EQ(show_->totalFrames(), 25);

    // The first photo becomes the cover: an 80 x 60 BMP in the temp folder.
    EXPECT_EQ(coverChanges_, 1);
    EXPECT_TRUE(project_.refreshNeeded());
    EXPECT_EQ(photo.thumbnailSize, kCoverThumbnailSize);
    const QImage cover = loadImage(show_->coverPath());
    EXPECT_EQ(cover.size(), QSize(80, 60));
    EXPECT_EQ(show_->coverPath(), working_ + "/temp/cover_Show.bmp");

    ASSERT_EQ(add(picture("second.png")), 0);
    EXPECT_EQ(coverChanges_, 1);
    EXPECT_EQ(show_->photo(1)->startSeconds, 6);
}

TEST_F(PhotoTest, AddPhotoRefusals)
{
    const std::string text = dir_.file("notes.jpg");
    ASSERT_TRUE(test::writeFile(text, "this is not a picture\n"));
    const std::string wrongKind = dir_.file("photo.xyz");
    ASSERT_TRUE(writePicture(dir_.file("photo.png"), QSize(8, 8)));
    QFile::copy(QString::fromStdString(dir_.file("photo.png")), QString::fromStdString(wrongKind));
    const std::string truncated = dir_.file("cut.png");
    ASSERT_TRUE(test::writeFile(truncated, test::readFile(dir_.file("photo.png")).substr(0, 12)));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir_.file("folder.png"))));

    for (const std::string& path : {std::string(), dir_.file("missing.png"), text, wrongKind,
                                    truncated, dir_.file("folder.png")}) {
        project_.setModified(false);
        EXPECT_EQ(add(path), 1) << path;
        EXPECT_TRUE(project_.modified());
    }
    EXPECT_EQ(show_->photoCount(), 0);
    EXPECT_EQ(coverChanges_, 0);
}

TEST_F(PhotoTest, SameFileAgainOnlyAfterItsCopyMoved)
{
    const std::string path = picture("same.png");
    ASSERT_EQ(add(path), 0);
    EXPECT_EQ(add(path), 1);
    ASSERT_EQ(show_->photo(0)->rotateLeft(working_), 0);
    EXPECT_NE(show_->photo(0)->workingPath, path);
    EXPECT_EQ(add(path), 0);
    EXPECT_EQ(add(path), 1);
    EXPECT_EQ(show_->photoCount(), 2);
}

TEST_F(PhotoTest, RotationsTurnTheWorkingCopy)
{
    const std::string upper = dir_.file("PIC.JPG");
    ASSERT_TRUE(writeHalves(upper, QSize(40, 20)));
    const std::string original = test::readFile(upper);
    ASSERT_EQ(add(upper), 0);
    PhotoItem& photo = *show_->photo(0);

    ASSERT_EQ(photo.rotateLeft(working_), 0);
    EXPECT_EQ(photo.workingPath, working_ + "/temp/PIC.JPG");
    EXPECT_EQ(photo.originalPath, upper);
    EXPECT_EQ(test::readFile(upper), original);
    QImage turned = loadImage(photo.workingPath);
    ASSERT_EQ(turned.size(), QSize(20, 40));
    EXPECT_TRUE(isBlue(turned.pixel(10, 5))); // the right side went up
    EXPECT_TRUE(isRed(turned.pixel(10, 34)));

    // Turning again works on the photo's own copy.
    ASSERT_EQ(photo.rotateRight(working_), 0);
    ASSERT_EQ(photo.rotateRight(working_), 0);
    EXPECT_EQ(photo.workingPath, working_ + "/temp/PIC.JPG");
    turned = loadImage(photo.workingPath);
    ASSERT_EQ(turned.size(), QSize(20, 40));
    EXPECT_TRUE(isRed(turned.pixel(10, 5))); // the left side went up
    EXPECT_TRUE(isBlue(turned.pixel(10, 34)));
    EXPECT_EQ(QDir(QString::fromStdString(working_ + "/temp")).entryList({"PIC*"}).size(), 1);
}

TEST_F(PhotoTest, RotationRefusals)
{
    PhotoItem unknown;
    const std::string scan = dir_.file("scan.xyz");
    ASSERT_TRUE(writeHalves(dir_.file("scan.png"), QSize(8, 4)));
    QFile::copy(QString::fromStdString(dir_.file("scan.png")), QString::fromStdString(scan));
    ASSERT_TRUE(unknown.create(scan));
    EXPECT_EQ(unknown.rotateLeft(working_), -1);
    EXPECT_EQ(unknown.rotateRight(working_), -1);
    EXPECT_EQ(unknown.workingPath, scan);

    PhotoItem broken;
    const std::string bad = dir_.file("bad.png");
    ASSERT_TRUE(test::writeFile(bad, "not a png"));
    ASSERT_TRUE(broken.create(bad));
    EXPECT_EQ(broken.rotateLeft(working_), -1);
    EXPECT_EQ(broken.workingPath, bad);

    // No temp folder to save into.
    PhotoItem homeless;
    ASSERT_TRUE(homeless.create(picture("fine.png")));
    EXPECT_EQ(homeless.rotateLeft(dir_.file("no such folder")), -1);
    EXPECT_EQ(homeless.workingPath, dir_.file("fine.png"));
}

TEST_F(PhotoTest, SameNameFromTwoFoldersKeepsTwoCopies)
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir_.file("a"))));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir_.file("b"))));
    const std::string first = picture("a/same.png", QSize(40, 30), Qt::red);
    const std::string second = picture("b/same.png", QSize(40, 30), Qt::blue);
    ASSERT_EQ(add(first), 0);
    ASSERT_EQ(add(second), 0);
    PhotoItem& one = *show_->photo(0);
    PhotoItem& two = *show_->photo(1);
    ASSERT_EQ(one.rotateLeft(working_), 0);
    ASSERT_EQ(two.rotateLeft(working_), 0);
    EXPECT_NE(one.workingPath, two.workingPath);
    EXPECT_EQ(folderOf(one.workingPath), working_ + "/temp");
    EXPECT_EQ(folderOf(two.workingPath), working_ + "/temp");
    EXPECT_EQ(two.workingPath, working_ + "/temp/same_1.png");
    EXPECT_EQ(one.displayName, two.displayName);
    EXPECT_TRUE(isRed(loadImage(one.workingPath).pixel(1, 1)));
    EXPECT_TRUE(isBlue(loadImage(two.workingPath).pixel(1, 1)));

    // Each keeps its own copy when turned again and when the temp folder moves.
    ASSERT_EQ(one.rotateRight(working_), 0);
    EXPECT_EQ(one.workingPath, working_ + "/temp/same.png");
    EXPECT_TRUE(isRed(loadImage(one.workingPath).pixel(1, 1)));
    EXPECT_TRUE(isBlue(loadImage(two.workingPath).pixel(1, 1)));
    show_->rebase("/moved/temp");
    EXPECT_EQ(one.workingPath, "/moved/temp/same.png");
    EXPECT_EQ(two.workingPath, "/moved/temp/same_1.png");
    EXPECT_EQ(one.originalPath, first);
}

TEST_F(PhotoTest, RebaseMovesOnlyWorkingCopies)
{
    PhotoItem untouched;
    ASSERT_TRUE(untouched.create(picture("plain.png")));
    untouched.rebase("/elsewhere");
    EXPECT_EQ(untouched.workingPath, dir_.file("plain.png"));
}

TEST_F(PhotoTest, ThumbnailSizesAndForce)
{
    PhotoItem photo;
    ASSERT_TRUE(photo.create(picture("t.png", QSize(64, 48))));
    EXPECT_EQ(photo.thumbnailSize, kNoThumbnail);
    for (int index = 0; index < 4; ++index) {
        ASSERT_TRUE(photo.makeThumbnail(index, true));
        EXPECT_EQ(photo.thumbnailSize, index);
        EXPECT_EQ(photo.thumbnail.size(), kThumbnailSizes[index]);
        EXPECT_FALSE(photo.thumbnail.hasAlphaChannel());
    }
    EXPECT_TRUE(photo.makeThumbnail(0, false)); // one exists: kept as it is
    EXPECT_EQ(photo.thumbnailSize, 3);
    EXPECT_FALSE(photo.makeThumbnail(4, true));
    EXPECT_FALSE(photo.makeThumbnail(-1, true));
    EXPECT_EQ(photo.thumbnailSize, 3);

    photo.workingPath = dir_.file("gone.png");
    EXPECT_FALSE(photo.makeThumbnail(1, true));
    EXPECT_EQ(photo.thumbnailSize, kNoThumbnail);
    EXPECT_TRUE(photo.thumbnail.isNull());
}

TEST_F(PhotoTest, LetterBoxOnWhite)
{
    struct Case {
        QSize picture;
        QSize box;
        QRect drawn; // where the picture lies; the rest is white
    };
    const Case cases[] = {
        {QSize(1000, 250), QSize(80, 60), QRect(0, 20, 80, 20)},
        {QSize(250, 1000), QSize(80, 60), QRect(32, 0, 15, 60)},
        {QSize(40, 30), QSize(160, 120), QRect(0, 0, 160, 120)},
        {QSize(1500, 1000), QSize(60, 45), QRect(0, 2, 60, 40)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height());
        const std::string path = picture("box.png", c.picture, Qt::red);
        const QImage boxed = letterBoxedPicture(path, c.box);
        ASSERT_EQ(boxed.size(), c.box);
        for (int y = 0; y < c.box.height(); ++y) {
            for (int x = 0; x < c.box.width(); ++x) {
                const QRgb pixel = boxed.pixel(x, y);
                if (c.drawn.adjusted(1, 1, -1, -1).contains(x, y)) {
                    ASSERT_TRUE(isRed(pixel)) << x << "," << y;
                } else if (!c.drawn.adjusted(-1, -1, 1, 1).contains(x, y)) {
                    ASSERT_TRUE(isWhite(pixel)) << x << "," << y;
                }
            }
        }
    }
}

TEST_F(PhotoTest, TransparentPicturesSitOnWhite)
{
    QImage clear(20, 20, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    const std::string path = dir_.file("clear.png");
    ASSERT_TRUE(clear.save(QString::fromStdString(path)));
    const QImage boxed = letterBoxedPicture(path, QSize(60, 45));
    ASSERT_FALSE(boxed.isNull());
    EXPECT_TRUE(isWhite(boxed.pixel(30, 22)));
}

TEST_F(PhotoTest, CoverOfAWidePhoto)
{
    ASSERT_EQ(add(picture("wide.jpg", QSize(1000, 250), Qt::red)), 0);
    const QImage cover = loadImage(show_->coverPath());
    ASSERT_EQ(cover.size(), QSize(80, 60));
    EXPECT_TRUE(isWhite(cover.pixel(40, 10)));
    EXPECT_TRUE(isRed(cover.pixel(1, 30)));
    EXPECT_TRUE(isRed(cover.pixel(78, 21)));
    EXPECT_TRUE(isWhite(cover.pixel(40, 50)));
}

TEST_F(PhotoTest, CoverIndexBeyondTheLastPhoto)
{
    for (const char* name : {"p0.png", "p1.png", "p2.png"})
        ASSERT_EQ(add(picture(name)), 0);
    ASSERT_TRUE(QFile::remove(QString::fromStdString(show_->coverPath())));
    coverChanges_ = 0;
    EXPECT_EQ(show_->setCoverIndex(5), 2);
    EXPECT_EQ(show_->coverIndex(), 5);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(show_->coverPath())));
    EXPECT_EQ(coverChanges_, 0);
    EXPECT_EQ(show_->coverPhoto(), show_->photo(2));
    EXPECT_EQ(show_->coverIndex(), 2);

    EXPECT_EQ(show_->setCoverIndex(1), 0);
    EXPECT_EQ(coverChanges_, 1);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(show_->coverPath())));
}

TEST_F(PhotoTest, RemovePhotosCoverRule)
{
    struct Case {
        int cover;
        int expectedCover;
        std::vector<std::string> left;
    };
    const Case cases[] = {
        {2, 0, {"b", "d"}},
        {1, 1, {"b", "d"}},
        {0, 0, {"b", "d"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cover);
        Slideshow show("S", "", &project_);
        for (const char* name : {"a", "b", "c", "d"})
            show.appendPhoto(memoryPhoto(name));
        show.setCoverIndexValue(c.cover);
        show.removePhotos({0, 2});
        std::vector<std::string> left;
        for (int i = 0; i < show.photoCount(); ++i)
            left.push_back(show.photo(i)->displayName);
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(show.coverIndex(), c.expectedCover);
        EXPECT_EQ(show.totalFrames(), 150);
    }
}

TEST(MovePhotos, Orders)
{
    struct Case {
        std::vector<int> list;
        int target;
        bool before;
        std::string order;
        int result;
        std::vector<int> rewritten;
    };
    const Case cases[] = {
        {{0, 1}, 3, true, "CABDEFG", 3, {2, 2}},  {{0, 1}, 3, false, "CDBAEFG", 1, {3, 2}},
        {{4, 5}, 1, false, "ABFECDG", 1, {2, 2}}, {{4, 5}, 1, true, "AEFBCDG", 3, {1, 2}},
        {{6}, 0, true, "GABCDEF", 1, {0}},        {{2}, 2, true, "ABCDEFG", 2, {1}},
        {{0, 9}, 3, true, "BCADEFG", -1, {2, 9}}, {{0}, 7, true, "ABCDEFG", -1, {0}},
    };
    for (const Case& c : cases) {
        Slideshow show("S", "");
        for (char name = 'A'; name <= 'G'; ++name)
            show.appendPhoto(memoryPhoto(std::string(1, name)));
        std::vector<int> list = c.list;
        const int result = show.movePhotos(list, c.target, c.before);
        std::string order;
        for (int i = 0; i < show.photoCount(); ++i)
            order += show.photo(i)->displayName;
        SCOPED_TRACE(testing::Message() << c.order);
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(list, c.rewritten);
        EXPECT_EQ(show.photo(1)->startSeconds, 5);
    }
}

TEST(FileSizeText, Table)
{
    struct Case {
        std::uint64_t bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, "0KB"},
        {1, "1KB"},
        {1024, "1KB"},
        {1025, "1KB"},
        {2048, "2KB"},
        {1048576, "1024KB"},
        {1048577, "1MB"},
        {1073741824, "1024MB"},
        {1073741825, "1.0GB"},
        {1610612736, "1.5GB"},
        {4294967296ull, "4.0GB"},
        {5905580032ull, "5.5GB"},
        {0x8000000000000000ull, "0KB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fileSizeText(c.bytes), c.text) << c.bytes;
}

TEST(PhotoSettingsCopy, DrawsEffectsAndTransitionsPerPhoto)
{
    seedRandom(7);
    Project project;
    seedRandom(7);
    ASSERT_EQ(project.addSlideshow("S"), 0);
    Slideshow& show = *project.slideshow(0);
    for (int i = 0; i < 12; ++i)
        show.appendPhoto(memoryPhoto("p" + std::to_string(i)));

    project.defaults().effect.transition = TransitionSettings::createDefault(kTransitionRandom);
    project.defaults().effect.imageEffectMode = kImageEffectModePanZoom;
    project.defaults().tempFolder = "/t";
    show.photo(0)->settings.workingPathField = "kept";
    project.applyDefaultsToAllPhotos();
    std::set<int> types;
    for (int i = 0; i < show.photoCount(); ++i) {
        const PhotoSettings& settings = show.photo(i)->settings;
        EXPECT_TRUE(isConcreteTransition(settings.effect.transitionType()));
        EXPECT_NE(settings.effect.transition.get(), project.defaults().effect.transition.get());
        EXPECT_LE(settings.effect.imageEffectId, 17);
        EXPECT_EQ(settings.effect.imageEffectMode, kImageEffectModePanZoom);
        EXPECT_EQ(settings.tempFolder, "/t");
        types.insert(settings.effect.transitionType());
    }
    EXPECT_GT(types.size(), 1u);
    EXPECT_EQ(show.photo(0)->settings.workingPathField, "kept");
    EXPECT_EQ(project.defaults().effect.transitionType(), kTransitionRandom);

    std::vector<int> all;
    for (int i = 0; i < show.photoCount(); ++i)
        all.push_back(i);
    show.setImageEffectMode(all, kImageEffectModeNone);
    show.setImageEffectMode({0, 1, 2}, kImageEffectModePan);
    for (int i = 0; i < show.photoCount(); ++i) {
        const PhotoEffect& effect = show.photo(i)->settings.effect;
        if (i < 3) {
            EXPECT_GE(effect.imageEffectId, 0);
            EXPECT_LE(effect.imageEffectId, 7);
        } else {
            EXPECT_EQ(effect.imageEffectId, kImageEffectNone);
        }
        EXPECT_EQ(effect.imageEffectMode, kImageEffectModePanZoom);
    }

    auto random = TransitionSettings::createDefault(kTransitionRandom);
    show.setTransition({0, 1}, *random);
    EXPECT_TRUE(isConcreteTransition(show.photo(0)->settings.effect.transitionType()));
    auto door = TransitionSettings::createRandom(kTransitionDoor);
    show.setTransition({2}, *door);
    EXPECT_EQ(*show.photo(2)->settings.effect.transition, *door);
}

TEST(PhotoEffectValue, CopiesOwnTheirTransition)
{
    PhotoEffect effect;
    EXPECT_EQ(effect.transitionType(), kTransitionAlpha);
    EXPECT_EQ(effect.imageEffectId, kImageEffectNone);
    effect.transition = TransitionSettings::createRandom(kTransitionWipe);
    PhotoEffect copy = effect;
    ASSERT_NE(copy.transition.get(), effect.transition.get());
    EXPECT_EQ(*copy.transition, *effect.transition);
    PhotoSettings settings;
    settings.effect = copy;
    EXPECT_NE(settings.effect.transition.get(), copy.transition.get());
}

TEST(PhotoEdits, OverlaysAppendOnlyTheirKinds)
{
    PhotoItem photo;
    TextOverlay text;
    text.text = "Hello";
    photo.addOverlay(text);
    ImageOverlay image;
    image.imageName = "/deco/star.png";
    photo.addOverlay(PhotoEdit::image(image));
    photo.addOverlay(PhotoEdit::crop(CropEdit{}));
    photo.addOverlay(PhotoEdit::simple(PhotoEditKind::Rotate180));
    ASSERT_EQ(photo.edits.size(), 2u);
    EXPECT_EQ(photo.edits[0].kind, PhotoEditKind::Text);
    EXPECT_EQ(photo.edits[0].textOverlay()->text, "Hello");
    EXPECT_EQ(photo.edits[1].imageOverlay()->imageName, "/deco/star.png");
    EXPECT_EQ(photo.edits[1].textOverlay(), nullptr);
    EXPECT_STREQ(photoEditElementName(PhotoEditKind::FlipVertically), "FlipVertically");
}

} // namespace
} // namespace pictavo
