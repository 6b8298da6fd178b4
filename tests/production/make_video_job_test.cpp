// The make-video job with stand-in music and production steps, the output folder rules, the
// disk space check with a fake free-space source and the remaining-time estimate.

#include "core/app_paths.h"
#include "core/auto_reset_event.h"
#include "core/log.h"
#include "core/notifier.h"
#include "core/result_codes.h"
#include "model/project.h"
#include "production/make_video_job.h"
#include "profiles/profile_catalogue.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace pictavo {
namespace {

namespace fs = std::filesystem;

// Everything the job told its window, in order.
class RecordingObserver : public MakeVideoObserver {
public:
    void setCreateCaption(const std::string& caption) override { add(captions_, caption); }
    void setCreateEnabled(bool enabled) override { add(createEnabled_, enabled); }
    void setStatusText(const std::string& text) override { add(statuses_, text); }
    void setProgress(int position) override { add(progress_, position); }
    void jobStateChanged(int parameter) override { add(states_, parameter); }
    void openOutputFolder(const std::string& folder) override { add(opened_, folder); }

    template <typename T> std::vector<T> get(const std::vector<T>& list) const
    {
        std::lock_guard lock(mutex_);
        return list;
    }
    std::vector<std::string> captions() const { return get(captions_); }
    std::vector<bool> createEnabled() const { return get(createEnabled_); }
    std::vector<std::string> statuses() const { return get(statuses_); }
    std::vector<int> progress() const { return get(progress_); }
    std::vector<int> states() const { return get(states_); }
    std::vector<std::string> opened() const { return get(opened_); }

private:
    template <typename T, typename V> void add(std::vector<T>& list, const V& value)
    {
        std::lock_guard lock(mutex_);
        list.push_back(value);
    }
    mutable std::mutex mutex_;
    std::vector<std::string> captions_;
    std::vector<bool> createEnabled_;
    std::vector<std::string> statuses_;
    std::vector<int> progress_;
    std::vector<int> states_;
    std::vector<std::string> opened_;
};

// Free space by folder; unknown folders are on a roomy drive of their own.
class FakeDiskSpace : public DiskSpaceSource {
public:
    void set(const std::string& folder, std::uint64_t device, const std::string& name,
             std::int64_t freeMB)
    {
        DriveSpace space;
        space.known = true;
        space.device = device;
        space.name = name;
        space.freeBytes = static_cast<std::uint64_t>(freeMB) << 20;
        space.totalBytes = space.freeBytes * 2;
        drives_[folder] = space;
    }
    DriveSpace query(const std::string& folder) const override
    {
        auto found = drives_.find(folder);
        if (found != drives_.end())
            return found->second;
        DriveSpace roomy;
        roomy.known = true;
        roomy.device = 99;
        roomy.name = "/roomy";
        roomy.freeBytes = std::uint64_t(1) << 40;
        return roomy;
    }

private:
    std::map<std::string, DriveSpace> drives_;
};

class RecordingShutdown : public ShutdownAction {
public:
    bool powerOff(std::string*) override
    {
        ++calls;
        return true;
    }
    int calls = 0;
};

std::unique_ptr<PhotoItem> memoryPhoto(const std::string& name, int displaySeconds)
{
    auto photo = std::make_unique<PhotoItem>();
    photo->originalPath = photo->workingPath = "/nowhere/" + name;
    photo->displayName = name;
    photo->settings.effect.displaySeconds = displaySeconds;
    photo->settings.effect.transitionSeconds = 2;
    return photo;
}

class MakeVideoJobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousNotifier_ = installNotifier(&messages_);
        setLogFile(temp_.file("log.txt"));
        catalogue_.load(applicationFolder());
        project_.setOutputProfiles(catalogue_);
        project_.folders() = ProjectFolders::forWorkingFolder(temp_.file("work"));
        fs::create_directories(project_.folders().tempFolder);
        job_.setDiskSpaceSource(&disk_);
        // Music preparation only writes the joined file.
        job_.setMusicStep([](Project& project, AutoResetEvent*) {
            project.slideshow(0)->setMp2Path(project.folders().tempFolder + "/joined.mp2");
            return test::writeFile(project.slideshow(0)->mp2Path(), "mp2") ? 0 : 1;
        });
        // Production writes a small file and reports the slideshow's own progress.
        job_.setProductionStep([this](const ProductionRequest& request) {
            {
                std::lock_guard lock(mutex_);
                produced_.push_back(request.slideshow->name());
                frameRates_.push_back(request.frameRateText);
            }
            for (int position : {0, 32767, 65535})
                request.progressCallback(position);
            test::writeFile(request.slideshow->mpgPath(), "video");
            return productionResult_;
        });
    }
    void TearDown() override
    {
        setLogFile("");
        installNotifier(previousNotifier_);
    }

    void addSlideshow(const std::string& name, int photos, int displaySeconds = 3)
    {
        ASSERT_EQ(project_.addSlideshow(name), 0);
        Slideshow* slideshow = project_.slideshow(project_.slideshowCount() - 1);
        for (int i = 0; i < photos; ++i)
            slideshow->appendPhoto(memoryPhoto(name + std::to_string(i) + ".jpg", displaySeconds));
        slideshow->recomputeTiming();
    }
    std::vector<std::string> messageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& message : messages_.messages())
            texts.push_back(message.text);
        return texts;
    }
    std::vector<std::string> produced()
    {
        std::lock_guard lock(mutex_);
        return produced_;
    }
    std::string outputFolder() const { return project_.folders().outputFolder; }

    test::TempDir temp_;
    RecordingNotifier messages_;
    Notifier* previousNotifier_ = nullptr;
    ProfileCatalogue catalogue_;
    Project project_;
    FakeDiskSpace disk_;
    RecordingObserver observer_;
    MakeVideoJob job_{project_, &observer_};
    std::mutex mutex_;
    std::vector<std::string> produced_;
    std::vector<std::string> frameRates_;
    int productionResult_ = 0;
};

TEST(JobProgress, SlideshowsShareTheScaleByTheirFrames)
{
    const std::vector<int> frames = {300, 100};
    const ProgressContext first = progressContextFor(frames, 0);
    const ProgressContext second = progressContextFor(frames, 1);
    EXPECT_EQ(first.base, 0);
    EXPECT_FLOAT_EQ(first.share, 0.75f);
    EXPECT_EQ(second.base, 49151); // trunc(0.75 x 65535)
    EXPECT_FLOAT_EQ(second.share, 0.25f);

    struct Case {
        const ProgressContext* context;
        int position;
        int overall;
    } cases[] = {
        {&first, 0, 0},          {&first, 65535, 49151},  {&second, 0, 49151},
        {&second, 65535, 65534}, {&second, 90000, 65534}, // clamped to the scale
        {&second, 32767, 57342},
    };
    for (const Case& c : cases)
        EXPECT_EQ(overallPosition(*c.context, c.position), c.overall) << c.position;

    // No frames at all: nothing to divide by.
    const ProgressContext empty = progressContextFor({0, 0}, 1);
    EXPECT_EQ(empty.base, 0);
    EXPECT_EQ(empty.share, 0.0f);
}

TEST_F(MakeVideoJobTest, MakesEverySlideshowAndReportsTheWholeRun)
{
    addSlideshow("Holiday", 3);
    addSlideshow("Garden", 1);
    ASSERT_NE(catalogue_.currentProfile(), nullptr);

    ASSERT_EQ(job_.start(), 0);
    EXPECT_EQ(job_.wait(), 0);

    EXPECT_EQ(produced(), (std::vector<std::string>{"Holiday", "Garden"}));
    EXPECT_EQ(frameRates_, (std::vector<std::string>{"29.97", "29.97"}));
    const std::string extension = catalogue_.currentProfile()->ext();
    EXPECT_EQ(job_.outputFiles(),
              (std::vector<std::string>{outputFolder() + "/Holiday." + extension,
                                        outputFolder() + "/Garden." + extension}));
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kJobSucceededMessage});
    EXPECT_EQ(observer_.captions(), (std::vector<std::string>{kCancelCaption, kFinishedCaption}));
    EXPECT_EQ(observer_.states(), (std::vector<int>{0, 1}));
    EXPECT_EQ(observer_.opened(), std::vector<std::string>{outputFolder()});
    EXPECT_EQ(observer_.statuses(), (std::vector<std::string>{kStatusMaking, kStatusIdle}));

    // The bar never goes back during the run, ends full and is then cleared.
    const std::vector<int> progress = observer_.progress();
    ASSERT_GE(progress.size(), 4u);
    EXPECT_EQ(progress[progress.size() - 2], kProgressMax);
    EXPECT_EQ(progress.back(), 0);
    for (std::size_t i = 1; i + 1 < progress.size(); ++i)
        EXPECT_LE(progress[i - 1], progress[i]) << i;

    // Both videos carry the first slideshow's music, which is removed afterwards.
    EXPECT_EQ(project_.slideshow(1)->mp2Path(), project_.slideshow(0)->mp2Path());
    EXPECT_FALSE(fs::exists(project_.folders().tempFolder + "/joined.mp2"));

    const std::string log = test::readFile(temp_.file("log.txt"));
    std::size_t at = 0;
    for (const char* line :
         {"Created output directory ", "Begin make Video files process",
          "Begin make Slideshow video index:0", "End make Slideshow return value:0",
          "Begin make Slideshow video index:1", "End make Slideshow return value:0",
          "End make Video files process successful"}) {
        at = log.find(line, at);
        ASSERT_NE(at, std::string::npos) << line;
    }
}

TEST_F(MakeVideoJobTest, AProjectWithoutMusicUsesTheSilentTrack)
{
    addSlideshow("Quiet", 2);
    ASSERT_EQ(job_.start(), 0);
    ASSERT_EQ(job_.wait(), 0);
    EXPECT_EQ(project_.slideshow(0)->mp2Path(), project_.resourcePaths().silentMusic);
}

TEST_F(MakeVideoJobTest, AStopDuringTheMusicEndsWithoutAVideo)
{
    addSlideshow("Holiday", 2);
    AutoResetEvent musicStarted;
    job_.setMusicStep([&musicStarted](Project&, AutoResetEvent* stop) {
        musicStarted.set();
        return stop->waitFor(std::chrono::seconds(20)) ? kResultStopped : kResultOk;
    });
    ASSERT_EQ(job_.start(), 0);
    ASSERT_TRUE(musicStarted.waitFor(std::chrono::seconds(20)));
    EXPECT_EQ(job_.createCaption(), kCancelCaption);
    job_.pressCreateButton(); // "Cancel"

    EXPECT_FALSE(job_.running());
    EXPECT_EQ(job_.result(), kResultStopped);
    EXPECT_TRUE(produced().empty());
    EXPECT_TRUE(fs::is_empty(outputFolder()));
    EXPECT_EQ(messageTexts(), std::vector<std::string>{kJobStoppedMessage});
    EXPECT_EQ(job_.createCaption(), kCreateCaption);
    EXPECT_EQ(observer_.statuses().back(), kStatusStopped);
}

TEST_F(MakeVideoJobTest, WaitingForTheEndWakesWhenTheJobIsDone)
{
    addSlideshow("Holiday", 2);
    AutoResetEvent release;
    job_.setMusicStep([&release](Project&, AutoResetEvent*) {
        release.waitFor(std::chrono::seconds(20));
        return kResultOk;
    });
    ASSERT_EQ(job_.start(), 0);
    EXPECT_FALSE(job_.waitUntilFinished(std::chrono::milliseconds(50)));
    release.set();
    EXPECT_TRUE(job_.waitUntilFinished(std::chrono::seconds(20)));
    EXPECT_EQ(job_.wait(), kResultOk);
    EXPECT_TRUE(job_.waitUntilFinished(std::chrono::milliseconds(0)));
}

TEST_F(MakeVideoJobTest, FailuresStopTheRunAndSayThatItFailed)
{
    // 1: the encoder or the profile is missing; 7: the encoder's own code for a frame.
    for (int code : {1, 7}) {
        SCOPED_TRACE(code);
        project_.removeAllSlideshows();
        addSlideshow("Holiday", 2);
        addSlideshow("Garden", 2);
        messages_.clear();
        {
            std::lock_guard lock(mutex_);
            produced_.clear();
        }
        productionResult_ = code;
        ASSERT_EQ(job_.start(), 0);
        EXPECT_EQ(job_.wait(), code);
        EXPECT_EQ(produced(), std::vector<std::string>{"Holiday"});
        EXPECT_EQ(messageTexts(), std::vector<std::string>{kJobFailedMessage});
        EXPECT_EQ(job_.createCaption(), kFinishedCaption);
        // The joined music stays for a later attempt only when something failed.
        EXPECT_TRUE(fs::exists(project_.folders().tempFolder + "/joined.mp2"));
    }
}

TEST_F(MakeVideoJobTest, ShutdownBoxSuppressesTheMessagesAndAsksFirst)
{
    RecordingShutdown shutdown;
    job_.setShutdownAction(&shutdown);
    job_.setShutdownWhenDone(true);
    addSlideshow("Holiday", 2);

    struct Case {
        int production;
        MessageAnswer answer;
        int powerOffs;
        std::size_t questions;
    } cases[] = {
        {0, MessageAnswer::Ok, 1, 1},
        {0, MessageAnswer::Cancel, 0, 1},
        {1, MessageAnswer::Ok, 0, 0}, // a failed job never powers off
    };
    for (const Case& c : cases) {
        shutdown.calls = 0;
        messages_.clear();
        messages_.setAnswer(c.answer);
        productionResult_ = c.production;
        ASSERT_EQ(job_.start(), 0);
        EXPECT_EQ(job_.wait(), c.production);
        EXPECT_EQ(shutdown.calls, c.powerOffs);
        ASSERT_EQ(messages_.messages().size(), c.questions);
        for (const auto& message : messages_.messages()) {
            EXPECT_EQ(message.text, kShutdownQuestion);
            EXPECT_EQ(message.caption, kShutdownCaption);
        }
    }
}

TEST_F(MakeVideoJobTest, OutputFolderKeepsTheUsersFilesAndRefusesToStart)
{
    addSlideshow("Holiday", 2);
    struct Case {
        const char* name;
        std::function<void(const std::string& folder)> make;
    } cases[] = {
        {"a user's file", [](const std::string& f) { test::writeFile(f + "/notes.txt", "x"); }},
        {"a video of another name",
         [](const std::string& f) { test::writeFile(f + "/Wedding.mpg", "x"); }},
        {"a folder of the video's name",
         [](const std::string& f) { fs::create_directories(f + "/Holiday.mp4"); }},
        {"a link of the video's name",
         [this](const std::string& f) {
             test::writeFile(temp_.file("precious.mpg"), "x");
             fs::create_symlink(temp_.file("precious.mpg"), f + "/Holiday.mpg");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(outputFolder());
        fs::create_directories(outputFolder());
        test::writeFile(outputFolder() + "/Holiday.avi", "earlier"); // an earlier job's file
        c.make(outputFolder());
        const auto before =
            std::distance(fs::directory_iterator(outputFolder()), fs::directory_iterator());
        messages_.clear();

        EXPECT_EQ(job_.start(), 1);
        EXPECT_FALSE(job_.running());
        ASSERT_EQ(messages_.messages().size(), 1u);
        EXPECT_EQ(messages_.messages()[0].text, kOutputFolderBusyMessage);
        EXPECT_EQ(messages_.messages()[0].caption, "Information");
        // Nothing was removed, not even the earlier job's file.
        EXPECT_EQ(std::distance(fs::directory_iterator(outputFolder()), fs::directory_iterator()),
                  before);
        EXPECT_TRUE(fs::exists(outputFolder() + "/Holiday.avi"));
        EXPECT_TRUE(produced().empty());
    }
    EXPECT_TRUE(fs::exists(temp_.file("precious.mpg")));
}

TEST_F(MakeVideoJobTest, OutputFolderIsMadeAndEarlierVideosAreReplaced)
{
    addSlideshow("Holiday", 2);
    addSlideshow("Garden", 2);
    EXPECT_FALSE(fs::exists(outputFolder()));
    ASSERT_TRUE(job_.prepareOutputFolder());
    EXPECT_TRUE(fs::is_directory(outputFolder()));

    for (const char* name : {"Holiday.mpg", "Holiday.mp4", "Garden.3gp", "Garden.avi"})
        test::writeFile(outputFolder() + "/" + name, "earlier");
    ASSERT_EQ(job_.start(), 0);
    ASSERT_EQ(job_.wait(), 0);
    const std::string extension = catalogue_.currentProfile()->ext();
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(outputFolder()))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Garden." + extension, "Holiday." + extension}));
    EXPECT_EQ(test::readFile(outputFolder() + "/Holiday." + extension), "video");
}

TEST(DiskSpace, NeedsTheEstimateOncePerDriveOrTwiceOnOne)
{
    auto drive = [](std::uint64_t device, const char* name, std::int64_t freeMB) {
        DriveSpace space;
        space.known = true;
        space.device = device;
        space.name = name;
        space.freeBytes = static_cast<std::uint64_t>(freeMB) << 20;
        return space;
    };
    const std::string sameDrive = " No enough space, please change a driver, you need 201M disk "
                                  "space,\n and /data driver need 201M disk space!";
    const std::string outputDrive =
        " No enough space, please change a driver, you need 100M disk space";
    const std::string workDrive =
        "/home driver need more then 100M free space. Please free no use file and then try "
        "again!";
    struct Case {
        float needMB;
        DriveSpace output;
        DriveSpace work;
        bool enough;
        bool outputTooSmall;
        std::string message;
    } cases[] = {
        {100.4f, drive(1, "/data", 201), drive(1, "/data", 201), true, false, ""},
        {100.4f, drive(1, "/data", 200), drive(1, "/data", 200), false, true, sameDrive},
        {100.4f, drive(1, "/data", 101), drive(2, "/home", 101), true, false, ""},
        {100.4f, drive(1, "/data", 100), drive(2, "/home", 5000), false, true, outputDrive},
        {100.4f, drive(1, "/data", 5000), drive(2, "/home", 100), false, false, workDrive},
        {0.0f, drive(1, "/data", 0), drive(2, "/home", 0), true, false, ""},
    };
    for (const Case& c : cases) {
        const DiskSpaceVerdict verdict = judgeDiskSpace(c.needMB, c.output, c.work);
        EXPECT_EQ(verdict.enough, c.enough) << c.message;
        EXPECT_EQ(verdict.outputDriveTooSmall, c.outputTooSmall) << c.message;
        EXPECT_EQ(verdict.message, c.message);
    }
}

TEST(DiskSpace, SystemSourceMeasuresFoldersNotMadeYet)
{
    test::TempDir temp;
    const DriveSpace existing = systemDiskSpace().query(temp.path());
    const DriveSpace missing = systemDiskSpace().query(temp.file("not/made/yet"));
    ASSERT_TRUE(existing.known);
    ASSERT_TRUE(missing.known);
    EXPECT_EQ(existing.device, missing.device);
    EXPECT_EQ(existing.name, missing.name);
    EXPECT_GT(existing.totalBytes, 0u);
}

TEST_F(MakeVideoJobTest, TooLittleSpaceShowsTheMessageAndBlocksTheJob)
{
    // About 100 seconds of video at the selected profile's rates.
    addSlideshow("Holiday", 20, 5);
    project_.sizeCheck();
    const float need = project_.estimatedSizeMB();
    ASSERT_GT(need, 1.0f);
    disk_.set(outputFolder(), 1, "/data", static_cast<std::int64_t>(need) + 10);
    disk_.set(project_.folders().workingFolder, 1, "/data", static_cast<std::int64_t>(need) + 10);

    EXPECT_EQ(job_.start(), 1);
    ASSERT_EQ(messages_.messages().size(), 1u);
    EXPECT_EQ(messages_.messages()[0].text.rfind(" No enough space", 0), 0u);
    EXPECT_EQ(observer_.createEnabled(), std::vector<bool>{false});
    EXPECT_FALSE(fs::exists(outputFolder()));

    // Another output drive with room: the job goes.
    disk_.set(outputFolder(), 2, "/media/big", static_cast<std::int64_t>(need) + 10);
    messages_.clear();
    EXPECT_TRUE(job_.checkDiskSpace());
    EXPECT_TRUE(messages_.messages().empty());
    EXPECT_EQ(observer_.createEnabled().back(), true);
}

TEST(RemainingTime, FirstEstimateAndText)
{
    struct Case {
        int projectSeconds;
        int estimate;
        const char* text;
    } cases[] = {
        {30, 20, "00:00:20"}, // 45 is below a minute
        {39, 20, "00:00:20"}, // 58
        {40, 60, "00:01:00"}, {100, 150, "00:02:30"},
        {0, 20, "00:00:20"},  {60000, 90000, "01:00:00"}, // hours wrap at a day
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RemainingTimeEstimate::initialEstimate(c.projectSeconds), c.estimate)
            << c.projectSeconds;
        EXPECT_EQ(RemainingTimeEstimate::displayText(c.estimate), c.text);
    }
    // A job that runs longer than estimated shows nothing left rather than garbage.
    EXPECT_EQ(RemainingTimeEstimate::displayText(-75), "00:00:00");
}

TEST(RemainingTime, ProjectionBetweenThirtyAndEightyFivePercent)
{
    struct Case {
        int estimate;
        int position;
        int elapsed;
        int estimateAfter;
    } cases[] = {
        {150, 32767, 60, 120}, // 60 x 65535 / 32767 = 120
        {123, 32767, 60, 123}, // within 5 seconds of the projection
        {126, 32767, 60, 120}, {114, 32767, 60, 120}, {150, 19660, 60, 150}, // below 30 %
        {150, 19661, 60, 199},                        // 60 x 65535 / 19661 = 199.99..., truncated
        {150, 55704, 60, 70},  {150, 55705, 60, 150}, // above 85 %
        {150, 0, 60, 150},
    };
    for (const Case& c : cases) {
        RemainingTimeEstimate estimate;
        estimate.start(c.estimate, 1000);
        estimate.setPosition(c.position);
        // The refresh shows the estimate it started with; the new one from the next refresh.
        EXPECT_EQ(estimate.refresh(1000 + c.elapsed), c.estimate - c.elapsed) << c.position;
        EXPECT_EQ(estimate.estimateSeconds(), c.estimateAfter) << c.position;
        EXPECT_EQ(estimate.refresh(1000 + c.elapsed), c.estimateAfter - c.elapsed);
    }
}

TEST(RemainingTime, RestartKeepsTheStartTimeOfARunningDisplay)
{
    RemainingTimeEstimate estimate;
    estimate.start(100, 1000);
    estimate.setPosition(40000);
    estimate.start(200, 1050);
    EXPECT_EQ(estimate.position(), 0);
    EXPECT_EQ(estimate.refresh(1060), 140);
    estimate.stop();
    EXPECT_FALSE(estimate.running());
    estimate.start(200, 1100);
    EXPECT_EQ(estimate.refresh(1110), 190);
}

} // namespace
} // namespace pictavo
