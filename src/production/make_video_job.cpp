#include "production/make_video_job.h"

#include "audio/music_preparation.h"
#include "core/log.h"
#include "core/notifier.h"
#include "core/result_codes.h"
#include "model/project.h"
#include "model/project_file.h"
#include "production/produce_video.h"
#include "profiles/output_profile.h"
#include "profiles/profile_catalogue.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <set>

namespace pictavo {

namespace fs = std::filesystem;

namespace {

// Extensions of the shipped output profiles, also when the catalogue on disk lacks one.
constexpr const char* kKnownVideoExtensions[] = {"mpg", "mp4", "avi", "3gp"};

// Lets the calling thread's window messages run while it waits (the worker's notices reach a
// window through them); a thread without an event loop just waits.
void pumpMessages()
{
    QCoreApplication* application = QCoreApplication::instance();
    if (application != nullptr && QThread::currentThread() == application->thread())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

ProgressContext progressContextFor(const std::vector<int>& slideshowFrames, int index)
{
    ProgressContext context;
    context.slideshowIndex = index;
    long long total = 0;
    long long before = 0;
    for (int i = 0; i < static_cast<int>(slideshowFrames.size()); ++i) {
        total += slideshowFrames[i];
        if (i < index)
            before += slideshowFrames[i];
    }
    if (total <= 0 || index < 0 || index >= static_cast<int>(slideshowFrames.size()))
        return context;
    context.base = static_cast<int>(
        std::trunc(static_cast<double>(before) / static_cast<double>(total) * kProgressMax));
    context.share = static_cast<float>(static_cast<double>(slideshowFrames[index]) /
                                       static_cast<double>(total));
    return context;
}

int overallPosition(const ProgressContext& context, int position)
{
    const float x = static_cast<float>(std::min(position, kProgressMax));
    return static_cast<int>(
        std::trunc(static_cast<double>(context.share) * static_cast<double>(x) + context.base));
}

MakeVideoJob::MakeVideoJob(Project& project, MakeVideoObserver* observer)
    : project_(project), observer_(observer != nullptr ? observer : &silentObserver_),
      musicStep_([](Project& p, AutoResetEvent* stop) { return prepareJobMusic(p, stop); }),
      productionStep_([](const ProductionRequest& request) { return produceVideo(request); })
{
}

MakeVideoJob::~MakeVideoJob()
{
    requestStop();
    joinWorker();
}

std::string MakeVideoJob::createCaption() const
{
    std::lock_guard lock(captionMutex_);
    return caption_;
}

void MakeVideoJob::setCaption(const std::string& caption)
{
    {
        std::lock_guard lock(captionMutex_);
        caption_ = caption;
    }
    observer_->setCreateCaption(caption);
}

void MakeVideoJob::pressCreateButton()
{
    // While a job runs the button only stops it: neither the disk check nor new output paths
    // may get in the way of a stop, and the worker's slideshows are not touched under it.
    if (running_) {
        stop();
        return;
    }
    start();
}

void MakeVideoJob::applyProfileTiming()
{
    const OutputProfile* profile = project_.outputProfiles().currentProfile();
    if (profile == nullptr)
        return;
    switch (frameRateTiming(profile->currentText(ProfileParameterId::VideoFrameRate))) {
    case FrameRateTiming::Ntsc:
        project_.defaults().videoStandard = kVideoStandardNtsc;
        break;
    case FrameRateTiming::Pal:
        project_.defaults().videoStandard = kVideoStandardPal;
        break;
    case FrameRateTiming::Unchanged:
        break;
    }
    const bool modified = project_.modified();
    project_.applyVideoStandardToAllPhotos();
    project_.setModified(modified);
}

bool MakeVideoJob::checkDiskSpace()
{
    const DiskSpaceSource& source = diskSpace_ != nullptr ? *diskSpace_ : systemDiskSpace();
    const DriveSpace output = source.query(project_.folders().outputFolder);
    const DriveSpace work = source.query(project_.folders().workingFolder);
    const DiskSpaceVerdict verdict = judgeDiskSpace(project_.estimatedSizeMB(), output, work);
    if (!verdict.enough) {
        notifier().showMessage(verdict.message);
        if (verdict.outputDriveTooSmall)
            observer_->setCreateEnabled(false);
        return false;
    }
    observer_->setCreateEnabled(true);
    return true;
}

std::vector<std::string> MakeVideoJob::ownOutputNames() const
{
    std::set<std::string> extensions(std::begin(kKnownVideoExtensions),
                                     std::end(kKnownVideoExtensions));
    for (const ProfileGroup& group : project_.outputProfiles().groups())
        for (const OutputProfile& profile : group.profiles())
            if (!profile.ext().empty())
                extensions.insert(profile.ext());
    std::vector<std::string> names;
    for (int i = 0; i < project_.slideshowCount(); ++i)
        for (const std::string& extension : extensions)
            names.push_back(project_.slideshow(i)->fileBaseName() + "." + extension);
    return names;
}

bool MakeVideoJob::prepareOutputFolder()
{
    const std::string& folder = project_.folders().outputFolder;
    if (folder.empty())
        return false;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error))
        return false;
    const std::vector<std::string> ownNames = ownOutputNames();
    const std::set<std::string> own(ownNames.begin(), ownNames.end());
    std::vector<fs::path> earlierOutput;
    fs::directory_iterator entries(folder, error);
    if (error)
        return false;
    for (const fs::directory_entry& entry : entries) {
        // Only plain files of this project's video names go; anything else is the user's.
        const bool ours = !entry.is_symlink(error) && entry.is_regular_file(error) &&
                          own.count(entry.path().filename().string()) != 0;
        if (!ours)
            return false;
        earlierOutput.push_back(entry.path());
    }
    for (const fs::path& path : earlierOutput) {
        if (!fs::remove(path, error) || error)
            return false;
    }
    return true;
}

int MakeVideoJob::start()
{
    if (running_)
        return kResultFailed;
    joinWorker();
    applyProfileTiming();
    if (!checkDiskSpace())
        return kResultFailed;
    const OutputProfile* profile = project_.outputProfiles().currentProfile();
    outputFolder_ = project_.folders().outputFolder;
    project_.setOutputFiles(outputFolder_, profile != nullptr ? profile->ext() : "mpg");
    if (project_.slideshowCount() == 0)
        return kResultFailed;
    if (!prepareOutputFolder()) {
        notifier().showMessage(kOutputFolderBusyMessage, "Information", MessageButtons::Ok);
        return kResultFailed;
    }

    setCaption(kCancelCaption);
    remainingTime_.start(RemainingTimeEstimate::initialEstimate(project_.totalSeconds()),
                         RemainingTimeEstimate::nowSeconds());
    observer_->remainingTimeShown(true);
    observer_->setStatusText(kStatusMaking);
    observer_->setProgress(0);
    writeLog("Created output directory " + outputFolder_);

    stopEvent_.reset();
    doneEvent_.reset();
    result_ = -1;
    {
        std::lock_guard lock(finishedMutex_);
        finished_ = false;
    }
    // Set here rather than by the worker, so that a stop pressed at once finds the job running.
    running_ = true;
    // The window hears of the start before the worker can tell it of the end.
    observer_->jobStateChanged(0);
    thread_ = std::thread([this] { worker(); });
    return kResultOk;
}

void MakeVideoJob::worker()
{
    observer_->setBrowseEnabled(false);
    writeLog("Begin make Video files process");
    observer_->setProgress(0);

    int result = musicStep_(project_, &stopEvent_);
    std::string joinedMusic;
    if (Slideshow* first = project_.slideshow(0)) {
        joinedMusic = first->mp2Path();
        // A project without music gets the silent track rather than an empty file.
        if (result == kResultOk && first->music().empty()) {
            const std::string silent = project_.musicFileForJob();
            for (int i = 0; i < project_.slideshowCount(); ++i)
                project_.slideshow(i)->setMp2Path(silent);
        }
    }

    if (result == kResultOk) {
        std::vector<int> frames;
        for (int i = 0; i < project_.slideshowCount(); ++i)
            frames.push_back(project_.slideshow(i)->totalFrames());
        for (int i = 0; i < project_.slideshowCount() && result == kResultOk; ++i)
            result = makeSlideshow(i, frames);
        if (result == kResultOk) {
            observer_->setProgress(kProgressMax);
            std::error_code error;
            if (!joinedMusic.empty())
                fs::remove(joinedMusic, error);
        }
    }

    remainingTime_.stop();
    observer_->remainingTimeShown(false);
    if (result == kResultStopped) {
        // A stop asked for without the button (the command line) leaves the button ready.
        if (!stopping_)
            setCaption(kCreateCaption);
        doneEvent_.set();
    } else {
        setCaption(kFinishedCaption);
        if (!shutdownWhenDone_) {
            if (result == kResultOk)
                notifier().showMessage(kJobSucceededMessage);
            else
                notifier().showMessage(kJobFailedMessage);
        }
    }

    observer_->setProgress(0);
    result_ = result;
    running_ = false;
    observer_->setStatusText(kStatusIdle);
    observer_->setBrowseEnabled(true);
    observer_->jobStateChanged(1);

    if (result == kResultOk) {
        observer_->openOutputFolder(outputFolder_);
        shutdownWhenFinished();
        writeLog("End make Video files process successful");
    }
    {
        std::lock_guard lock(finishedMutex_);
        finished_ = true;
    }
    finishedChanged_.notify_all();
    doneEvent_.set();
}

int MakeVideoJob::makeSlideshow(int index, const std::vector<int>& frames)
{
    currentSlideshow_ = index;
    const ProgressContext context = progressContextFor(frames, index);
    const Slideshow* slideshow = project_.slideshow(index);
    std::error_code error;
    fs::remove(slideshow->mpgPath(), error);

    ProductionRequest request;
    request.videoStandard = project_.defaults().videoStandard;
    request.aspect = project_.preferences().aspectRatio;
    request.slideshow = slideshow;
    if (const OutputProfile* profile = project_.outputProfiles().currentProfile())
        request.frameRateText = profile->currentText(ProfileParameterId::VideoFrameRate);
    request.progressCallback = [this, context](int position) { jobProgress(context, position); };
    request.stopEvent = &stopEvent_;
    request.background = kDefaultBackground;

    writeLog("Begin make Slideshow video index:" + std::to_string(index));
    const int result = productionStep_(request);
    writeLog("End make Slideshow return value:" + std::to_string(result));
    return result;
}

void MakeVideoJob::jobProgress(const ProgressContext& context, int position)
{
    const int overall = overallPosition(context, position);
    observer_->setProgress(overall);
    remainingTime_.setPosition(overall);
}

void MakeVideoJob::shutdownWhenFinished()
{
    if (!shutdownWhenDone_)
        return;
    if (notifier().showMessage(kShutdownQuestion, kShutdownCaption, MessageButtons::OkCancel) !=
        MessageAnswer::Ok)
        return;
    if (project_.modified())
        saveProject(project_, false);
    if (shutdownAction_ == nullptr) {
        writeLog("No way to power the computer off is set up");
        return;
    }
    std::string error;
    if (!shutdownAction_->powerOff(&error)) {
        writeLog("Cannot shut down the computer: " + error);
        notifier().showMessage("The computer could not be shut down: " + error);
    }
}

void MakeVideoJob::requestStop()
{
    if (running_)
        stopEvent_.set();
}

void MakeVideoJob::stop()
{
    if (!running_)
        return;
    observer_->setCreateEnabled(false);
    if (!stopping_) {
        stopping_ = true;
        stopEvent_.set();
        // Until the worker has let go completely: it signals the done event when it stopped on
        // request, and also when it ended in any other way just before the request arrived.
        while (!finished_) {
            pumpMessages();
            doneEvent_.waitFor(std::chrono::milliseconds(20));
        }
        joinWorker();
        observer_->setStatusText(kStatusStopped);
        remainingTime_.stop();
        stopping_ = false;
    }
    if (result_ == kResultStopped) {
        setCaption(kCreateCaption);
        notifier().showMessage(kJobStoppedMessage);
    }
    observer_->setCreateEnabled(true);
    observer_->jobStateChanged(1);
}

bool MakeVideoJob::waitUntilFinished(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(finishedMutex_);
    return finishedChanged_.wait_for(lock, timeout, [this] { return finished_.load(); });
}

int MakeVideoJob::wait()
{
    joinWorker();
    return result_;
}

void MakeVideoJob::joinWorker()
{
    if (thread_.joinable())
        thread_.join();
}

std::vector<std::string> MakeVideoJob::outputFiles() const
{
    std::vector<std::string> files;
    std::error_code error;
    for (int i = 0; i < project_.slideshowCount(); ++i) {
        const std::string& path = project_.slideshow(i)->mpgPath();
        if (!path.empty() && fs::is_regular_file(path, error))
            files.push_back(path);
    }
    return files;
}

} // namespace pictavo
