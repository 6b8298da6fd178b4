#pragma once

// The make-video job: every slideshow of the project becomes one video file in the output
// folder, one after the other, with the current output profile and the music of the first
// slideshow. Free of widgets: the create-video tab (or the command-line maker) drives it and
// follows it through an observer.

#include "core/auto_reset_event.h"
#include "production/disk_space.h"
#include "production/remaining_time.h"
#include "production/shutdown.h"
#include "render/render_job.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pictavo {

class Project;

// Captions of the Create button and texts of the status label.
inline constexpr const char* kCreateCaption = "Create Video Files";
inline constexpr const char* kCancelCaption = "Cancel";
inline constexpr const char* kFinishedCaption = "Make Video Files";
inline constexpr const char* kStatusIdle = "Main progress:";
inline constexpr const char* kStatusMaking = "Making Video Files...";
inline constexpr const char* kStatusStopped = "Ready to Sate";
// Messages of the job.
inline constexpr const char* kOutputFolderBusyMessage =
    "Output directory can not be delete. It maybe used by some program.\nPlease check and try "
    "again.";
inline constexpr const char* kJobSucceededMessage = "Make video files successful!";
inline constexpr const char* kJobFailedMessage = "Make video files failed!";
inline constexpr const char* kJobStoppedMessage = "STOPED!";
// The progress scale of the job.
inline constexpr int kProgressMax = 65535;

// What the job tells the window that drives it. Calls come from the thread that pressed the
// button and from the worker thread; an implementation hands them on to its own thread without
// waiting for it.
class MakeVideoObserver {
public:
    virtual ~MakeVideoObserver() = default;
    virtual void setCreateCaption(const std::string& /*caption*/) {}
    virtual void setCreateEnabled(bool /*enabled*/) {}
    virtual void setBrowseEnabled(bool /*enabled*/) {}
    virtual void setStatusText(const std::string& /*text*/) {}
    // The job's overall position, 0..65535.
    virtual void setProgress(int /*position*/) {}
    // The main window's notification: 0 when a job starts, 1 when it has ended or stopped (it
    // locks and unlocks the rest of the window).
    virtual void jobStateChanged(int /*parameter*/) {}
    // The remaining-time display is shown (a job started) or hidden (a job ended).
    virtual void remainingTimeShown(bool /*shown*/) {}
    // After a successful job: the output folder is shown in the file browser.
    virtual void openOutputFolder(const std::string& /*folder*/) {}
};

// Where one slideshow stands within the whole job: the position at which it starts and its
// share of the 0..65535 scale (its frames over all frames).
struct ProgressContext {
    int slideshowIndex = 0;
    int base = 0;
    float share = 0.0f;
};

// The context of slideshow `index` for the frame totals of all slideshows.
ProgressContext progressContextFor(const std::vector<int>& slideshowFrames, int index);
// The overall position for a slideshow's own progress: trunc(share x min(position, 65535) +
// base).
int overallPosition(const ProgressContext& context, int position);

class MakeVideoJob {
public:
    // The music step (prepareJobMusic by default) and the production of one slideshow
    // (produceVideo by default); tests give their own.
    using MusicStep = std::function<int(Project&, AutoResetEvent* stopEvent)>;
    using ProductionStep = std::function<int(const ProductionRequest&)>;

    // The project must outlive the job; it is not edited while the worker runs.
    explicit MakeVideoJob(Project& project, MakeVideoObserver* observer = nullptr);
    // Stops a running job and waits for its worker.
    ~MakeVideoJob();
    MakeVideoJob(const MakeVideoJob&) = delete;
    MakeVideoJob& operator=(const MakeVideoJob&) = delete;

    void setDiskSpaceSource(const DiskSpaceSource* source) { diskSpace_ = source; }
    void setMusicStep(MusicStep step) { musicStep_ = std::move(step); }
    void setProductionStep(ProductionStep step) { productionStep_ = std::move(step); }
    // The "Shut down computer when mission accomplished" box and what powers off. Without an
    // action nothing is powered off.
    void setShutdownWhenDone(bool shutdown) { shutdownWhenDone_ = shutdown; }
    void setShutdownAction(ShutdownAction* action) { shutdownAction_ = action; }

    // The Create button: starts the job, or stops it while its caption is "Cancel".
    void pressCreateButton();
    // Starts a job (when none runs). 0 when the worker was started; 1 when the project has no
    // slideshow, the disk space check failed or the output folder cannot be prepared.
    int start();
    // Stops a running job and waits until its worker has let go (while the calling thread's
    // messages keep running); "STOPED!" is shown when the job ended by the stop, not when it had
    // finished or failed just before.
    void stop();
    // Asks a running job to stop without waiting (safe from any thread; the worker ends with 2).
    void requestStop();
    // Waits for the worker to end and returns the job's result (see result()).
    int wait();
    // Waits at most `timeout` for the worker to have done everything; true when it has.
    bool waitUntilFinished(std::chrono::milliseconds timeout);

    // Whether the estimated output fits the free space of the output and working folders;
    // shows the message and enables or disables the Create button.
    bool checkDiskSpace();

    bool running() const { return running_; }
    // True once the worker has done everything it does (also before the first job).
    bool finished() const { return finished_; }
    // The last job's result: 0 success, 1 failed, 2 stopped, other values a library's code;
    // -1 before any job ended.
    int result() const { return result_; }
    std::string createCaption() const;
    // The output files of the last job that exist (the videos made so far).
    std::vector<std::string> outputFiles() const;

    // The remaining-time estimate of the running job.
    RemainingTimeEstimate& remainingTime() { return remainingTime_; }

    // Every video file name an earlier job of this project may have left in the output folder:
    // the slideshows' file names with the extensions of every known output profile.
    std::vector<std::string> ownOutputNames() const;
    // Makes the output folder ready: created when missing; files an earlier job wrote there are
    // removed. False (nothing removed) when the folder holds anything else or cannot be made.
    bool prepareOutputFolder();

private:
    void applyProfileTiming();
    void worker();
    int makeSlideshow(int index, const std::vector<int>& frames);
    void jobProgress(const ProgressContext& context, int position);
    void shutdownWhenFinished();
    void setCaption(const std::string& caption);
    void joinWorker();

    Project& project_;
    MakeVideoObserver* observer_;
    MakeVideoObserver silentObserver_;
    const DiskSpaceSource* diskSpace_ = nullptr;
    MusicStep musicStep_;
    ProductionStep productionStep_;
    ShutdownAction* shutdownAction_ = nullptr;
    bool shutdownWhenDone_ = false;

    AutoResetEvent stopEvent_;
    AutoResetEvent doneEvent_;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> finished_{true};
    std::mutex finishedMutex_;
    std::condition_variable finishedChanged_;
    std::atomic<int> result_{-1};
    std::atomic<int> currentSlideshow_{0};
    std::thread thread_;
    mutable std::mutex captionMutex_;
    std::string caption_ = kCreateCaption;
    std::string outputFolder_;
    RemainingTimeEstimate remainingTime_;
};

} // namespace pictavo
