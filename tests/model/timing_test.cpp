#include "core/notifier.h"
#include "model/project.h"
#include "model_fixtures.h"
#include "profiles/profile_catalogue.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <limits>

namespace pictavo {
namespace {

using test::memoryPhoto;

std::vector<int> startsOf(const Slideshow& slideshow)
{
    std::vector<int> starts;
    for (int i = 0; i < slideshow.photoCount(); ++i)
        starts.push_back(slideshow.photo(i)->startSeconds);
    return starts;
}

TEST(SlideshowTiming, ThreePalPhotos)
{
    Slideshow slideshow("Show", "");
    for (const char* name : {"a", "b", "c"})
        slideshow.appendPhoto(memoryPhoto(name, 3, 2, kVideoStandardPal));
    EXPECT_EQ(slideshow.recomputeTiming(), 275);
    EXPECT_EQ(slideshow.totalFrames(), 275);
    EXPECT_EQ(startsOf(slideshow), (std::vector<int>{0, 5, 10}));
    EXPECT_EQ(slideshow.photo(2)->startText, "00:00:10");
    EXPECT_DOUBLE_EQ(slideshow.totalSeconds(), 11.0);
}

TEST(SlideshowTiming, ThreeNtscPhotosTruncateStartsAndTotal)
{
    Slideshow slideshow("Show", "");
    slideshow.appendPhoto(memoryPhoto("a", 3, 2, kVideoStandardNtsc));
    EXPECT_EQ(slideshow.totalFrames(), 28); // 149 + 29.97 -> 178, - 149.85 -> 28
    slideshow.appendPhoto(memoryPhoto("b", 3, 2, kVideoStandardNtsc));
    slideshow.appendPhoto(memoryPhoto("c", 3, 2, kVideoStandardNtsc));
    // Running totals 149, 298, 447 give starts 0, 4 (149 / 29.97) and 9 (298 / 29.97).
    EXPECT_EQ(startsOf(slideshow), (std::vector<int>{0, 4, 9}));
    EXPECT_EQ(slideshow.totalFrames(), 326);
    EXPECT_NEAR(slideshow.totalSeconds(), 10.877, 0.001);
}

TEST(SlideshowTiming, SinglePrecisionNtscRate)
{
    // 100 s at the float rate 29.9699993... gives 2996 frames, not 2997. With a second photo
    // of 0 s the last transition and the first display fall out: 2996 + 29.97 - 0 -> 3025,
    // and the second photo starts at trunc(2996 / 29.97) = 99 s.
    Slideshow slideshow("Show", "");
    slideshow.appendPhoto(memoryPhoto("a", 0, 100, kVideoStandardNtsc));
    slideshow.appendPhoto(memoryPhoto("b", 0, 0, kVideoStandardNtsc));
    EXPECT_EQ(slideshow.photo(1)->startSeconds, 99);
    EXPECT_EQ(slideshow.totalFrames(), 3025);
}

TEST(SlideshowTiming, EmptyAndSinglePhoto)
{
    Slideshow slideshow("Show", "");
    EXPECT_EQ(slideshow.recomputeTiming(), 0);
    EXPECT_EQ(slideshow.totalSeconds(), 0.0);
    slideshow.appendPhoto(memoryPhoto("a", 3, 2, kVideoStandardPal));
    EXPECT_EQ(slideshow.totalFrames(), 25); // 125, +25 = 150, - 5 x 25 = 25
    EXPECT_EQ(slideshow.removePhoto(0), 0);
    EXPECT_EQ(slideshow.totalFrames(), 0);
}

TEST(SlideshowTiming, RateFollowsTheFirstPhoto)
{
    Slideshow slideshow("Show", "");
    slideshow.appendPhoto(memoryPhoto("a", 3, 2, kVideoStandardPal));
    slideshow.appendPhoto(memoryPhoto("b", 3, 2, kVideoStandardNtsc));
    EXPECT_EQ(slideshow.totalFrames(), 150);
    std::vector<int> first{0};
    slideshow.movePhotos(first, 1, false);
    EXPECT_EQ(slideshow.photo(0)->displayName, "b");
    EXPECT_EQ(slideshow.totalFrames(), 177); // 298 + 29.97 -> 327, - 149.85 -> 177
}

TEST(SlideshowTiming, DurationEditsRetime)
{
    Slideshow slideshow("Show", "");
    for (const char* name : {"a", "b", "c"})
        slideshow.appendPhoto(memoryPhoto(name, 3, 2, kVideoStandardPal));
    slideshow.setDisplaySeconds({1, 7}, 10); // 7 is not a photo and is passed over
    EXPECT_EQ(startsOf(slideshow), (std::vector<int>{0, 5, 17}));
    EXPECT_EQ(slideshow.totalFrames(), 450);
    slideshow.setTransitionSeconds({2}, 0);
    EXPECT_EQ(slideshow.totalFrames(), 450); // the last transition is not counted
    slideshow.setTransitionSeconds({0}, 4);
    EXPECT_EQ(slideshow.totalFrames(), 500);
}

TEST(SlideshowTiming, AbsurdDurationsStayInRange)
{
    // Durations as a hand-edited project file may hold them: counts stop at the int range.
    const int huge = std::numeric_limits<int>::max();
    Slideshow slideshow("Show", "");
    slideshow.appendPhoto(memoryPhoto("a", huge, huge, kVideoStandardPal));
    slideshow.appendPhoto(memoryPhoto("b", 3, 2, kVideoStandardPal));
    EXPECT_EQ(slideshow.photo(1)->startSeconds, huge / 25);
    EXPECT_EQ(slideshow.photo(1)->startText, "23860:55:45");
    EXPECT_LT(slideshow.totalFrames(), 0);
}

TEST(MusicTiming, TracksStartAfterTheOnesBefore)
{
    Slideshow slideshow("Show", "");
    for (int seconds : {200, 180, 61}) {
        AudioTrack track;
        track.durationSeconds = seconds;
        slideshow.music().push_back(track);
    }
    slideshow.recomputeMusicTimes();
    std::vector<std::string> starts;
    for (const AudioTrack& track : slideshow.music())
        starts.push_back(track.startText);
    EXPECT_EQ(starts, (std::vector<std::string>{"00:00:00", "00:03:20", "00:06:20"}));
    EXPECT_EQ(slideshow.music()[2].startSeconds, 380);
}

TEST(SizeEstimate, BitRatesAndLength)
{
    EXPECT_NEAR(estimateSizeMB(600, 768, 128), 68.906, 0.001);
    EXPECT_EQ(estimateSizeMB(0, 768, 128), 0.0f);
    // The factor is held as a float before it multiplies the length.
    EXPECT_EQ(estimateSizeMB(31207620, 1, 0), 4000.0f);
    EXPECT_EQ(estimateSizeMB(35108573, 1, 0), 4500.0f);
}

class ProjectSizeCheck : public testing::Test {
protected:
    void SetUp() override
    {
        previous_ = installNotifier(&messages_);
        project_.defaults().videoStandard = kVideoStandardPal;
        project_.setOutputProfiles(catalogue_);
    }
    void TearDown() override { installNotifier(previous_); }

    void loadCatalogue(int videoKbps, int audioKbps)
    {
        ASSERT_TRUE(test::writeCatalogue(folder_.path(), videoKbps, audioKbps));
        ASSERT_TRUE(catalogue_.load(folder_.path()));
        ASSERT_NE(catalogue_.currentProfile(), nullptr);
    }

    // A PAL slideshow of the given whole length: two photos of (seconds - 1) s each.
    void addShow(const std::string& name, int seconds)
    {
        ASSERT_EQ(project_.addSlideshow(name), 0);
        Slideshow* show = project_.slideshow(project_.slideshowCount() - 1);
        show->appendPhoto(memoryPhoto("a", seconds - 1, 0, kVideoStandardPal));
        show->appendPhoto(memoryPhoto("b", seconds - 1, 0, kVideoStandardPal));
        ASSERT_EQ(show->totalFrames(), seconds * 25);
    }

    test::TempDir folder_;
    ProfileCatalogue catalogue_;
    RecordingNotifier messages_;
    Notifier* previous_ = nullptr;
    Project project_;
};

TEST_F(ProjectSizeCheck, SumsSlideshowsAndEstimates)
{
    loadCatalogue(768, 128);
    addShow("One", 400);
    addShow("Two", 200);
    project_.sizeCheck();
    EXPECT_EQ(project_.totalFrames(), 15000);
    EXPECT_EQ(project_.totalSeconds(), 600);
    EXPECT_NEAR(project_.estimatedSizeMB(), 68.9, 0.01);
    EXPECT_TRUE(messages_.messages().empty());
    EXPECT_FALSE(project_.overHardLimit());
}

TEST_F(ProjectSizeCheck, WithoutProfileTheEstimateStays)
{
    addShow("One", 10);
    project_.sizeCheck();
    EXPECT_EQ(project_.totalFrames(), 250);
    EXPECT_EQ(project_.estimatedSizeMB(), 0.0f);
}

TEST_F(ProjectSizeCheck, ProjectSecondsUseTheDefaultsRate)
{
    addShow("One", 10);
    project_.defaults().videoStandard = kVideoStandardNtsc;
    project_.sizeCheck();
    EXPECT_EQ(project_.totalSeconds(), 8); // 250 frames / 29.97
}

TEST_F(ProjectSizeCheck, WarningAndHardLimitBoundaries)
{
    loadCatalogue(1, 0);
    struct Case {
        int seconds;
        float estimate;
        bool warns;
        bool overHardLimit;
    };
    const Case cases[] = {
        {31207620, 4000.0f, false, false},
        {31207630, 4000.001f, true, false},
        {35108573, 4500.0f, true, false},
        {35108583, 4500.001f, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        project_.removeAllSlideshows();
        messages_.clear();
        addShow("Long", c.seconds);
        project_.sizeCheck();
        EXPECT_NEAR(project_.estimatedSizeMB(), c.estimate, 0.001);
        EXPECT_EQ(project_.estimatedSizeMB() > 4000.0f, c.warns);
        ASSERT_EQ(messages_.messages().size(), c.warns ? 1u : 0u);
        if (c.warns) {
            EXPECT_EQ(messages_.messages()[0].text,
                      "Length Is over 4000M! Please delete some Image or change Image display "
                      "time in Preference Screen!");
        }
        EXPECT_EQ(project_.overHardLimit(), c.overHardLimit);
    }
}

TEST_F(ProjectSizeCheck, ApplyingDefaultsRetimesAndChecks)
{
    loadCatalogue(768, 128);
    addShow("One", 10);
    project_.defaults().effect.displaySeconds = 9;
    project_.defaults().effect.transitionSeconds = 1;
    project_.setModified(false);
    project_.applyDefaultsToAllPhotos();
    EXPECT_TRUE(project_.modified());
    EXPECT_EQ(project_.slideshow(0)->totalFrames(), 275); // (10 + 10) x 25 + 25 - 10 x 25
    EXPECT_EQ(project_.totalFrames(), 275);
    EXPECT_NEAR(project_.estimatedSizeMB(), 11 * 896 * 1.05 / 8192, 0.001);

    project_.defaults().videoStandard = kVideoStandardNtsc;
    project_.applyVideoStandardToAllPhotos();
    EXPECT_EQ(project_.slideshow(0)->photo(1)->settings.videoStandard, kVideoStandardNtsc);
    EXPECT_EQ(project_.slideshow(0)->photo(1)->settings.effect.displaySeconds, 9);
    EXPECT_EQ(project_.slideshow(0)->totalFrames(), 327); // 598 + 29.97 -> 627, - 299.7
}

} // namespace
} // namespace pictavo
