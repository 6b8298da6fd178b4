// pictavo-make: makes the videos of a project (or of photos and folders) without a window.

#include "audio/music_list.h"
#include "core/app_paths.h"
#include "core/auto_reset_event.h"
#include "core/log.h"
#include "core/notifier.h"
#include "core/random.h"
#include "core/result_codes.h"
#include "effects/effect_catalogue.h"
#include "effects/transition_settings.h"
#include "model/preferences_file.h"
#include "model/project.h"
#include "model/project_file.h"
#include "model/working_folders.h"
#include "production/make_video_job.h"
#include "profiles/frame_sizes.h"
#include "profiles/output_profile.h"
#include "profiles/profile_catalogue.h"
#include "render/frame_sink.h"
#include "render/render_job.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace pictavo;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitStopped = 2;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int)
{
    interrupted = 1;
}

void installInterruptHandler()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Sets an event once Ctrl-C was pressed (a signal handler may not touch the event itself).
class InterruptWatcher {
public:
    explicit InterruptWatcher(std::function<void()> onStop) : onStop_(std::move(onStop))
    {
        thread_ = std::thread([this] {
            while (!done_) {
                if (interrupted) {
                    onStop_();
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    }
    ~InterruptWatcher()
    {
        done_ = true;
        thread_.join();
    }

private:
    std::function<void()> onStop_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

int fail(const std::string& reason)
{
    std::fprintf(stderr, "pictavo-make: %s\n", reason.c_str());
    return kExitFailed;
}

bool parseInt(const QString& text, int low, int high, int& value)
{
    bool ok = false;
    const int parsed = text.trimmed().toInt(&ok);
    if (!ok || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A transition by number (0..18) or by name ("Door", "random").
bool parseTransition(const QString& text, TransitionType& type)
{
    if (parseInt(text, 0, kTransitionTypeCount - 1, type))
        return true;
    const std::string wanted = lower(text.trimmed().toStdString());
    for (int t = 0; t < kTransitionTypeCount; ++t) {
        if (lower(transitionName(t)) == wanted) {
            type = t;
            return true;
        }
    }
    return false;
}

// A motion mode by number (0..3) or by name ("none", "pan", "pan/zoom", "pan/zoom/rotate").
bool parseMotionMode(const QString& text, ImageEffectMode& mode)
{
    if (parseInt(text, 0, kImageEffectModeCount - 1, mode))
        return true;
    const std::string wanted = lower(text.trimmed().toStdString());
    for (int m = 0; m < kImageEffectModeCount; ++m) {
        if (lower(imageEffectModeName(m)) == wanted) {
            mode = m;
            return true;
        }
    }
    return false;
}

void applyFrameRateRule(Project& project)
{
    const OutputProfile* profile = project.outputProfiles().currentProfile();
    if (profile == nullptr)
        return;
    switch (frameRateTiming(profile->currentText(ProfileParameterId::VideoFrameRate))) {
    case FrameRateTiming::Ntsc:
        project.defaults().videoStandard = kVideoStandardNtsc;
        break;
    case FrameRateTiming::Pal:
        project.defaults().videoStandard = kVideoStandardPal;
        break;
    case FrameRateTiming::Unchanged:
        break;
    }
}

bool selectProfile(ProfileCatalogue& catalogue, const QString& choice, std::string& error)
{
    ProfileGroup* group = catalogue.currentGroup();
    if (group == nullptr || group->profileCount() == 0) {
        error = "no output profiles found under " +
                ProfileCatalogue::groupBaseFolder(applicationFolder());
        return false;
    }
    int position = 0;
    if (parseInt(choice, 1, group->profileCount(), position)) {
        group->setCurrentProfile(position - 1);
        return true;
    }
    const std::string wanted = choice.trimmed().toStdString();
    for (int exact = 1; exact >= 0; --exact) {
        for (int p = 0; p < group->profileCount(); ++p) {
            const OutputProfile* profile = group->profileAt(p);
            const bool match = exact ? profile->descL() == wanted
                                     : lower(profile->descL()) == lower(wanted) ||
                                           lower(profile->descS()) == lower(wanted);
            if (match) {
                group->setCurrentProfile(p);
                return true;
            }
        }
    }
    error = "no output profile \"" + wanted + "\" (see --list-profiles)";
    return false;
}

bool isProjectFile(const std::string& path)
{
    return lower(fs::path(path).extension().string()) == ".prg";
}

// One slideshow from a list of picture files; false (nothing left behind) when none of them
// could be added.
bool addSlideshowOfFiles(Project& project, const std::string& wantedName,
                         const std::vector<std::string>& files, bool quiet, std::string& error)
{
    std::string name = wantedName.substr(0, Project::kMaxSlideshowNameLength);
    if (name.empty() || project.addSlideshow(name) != 0) {
        name = project.nextSlideshowName();
        if (project.addSlideshow(name) != 0) {
            error = "cannot add another slideshow (at most " +
                    std::to_string(Project::kMaxSlideshows) + ")";
            return false;
        }
    }
    const int index = project.slideshowCount() - 1;
    Slideshow* slideshow = project.slideshow(index);
    for (const std::string& file : files) {
        if (slideshow->addPhoto(file, project.defaults()) != 0 && !quiet)
            std::fprintf(stderr, "pictavo-make: skipping %s (not a readable picture)\n",
                         file.c_str());
    }
    if (slideshow->photoCount() == 0) {
        project.removeSlideshow(index);
        if (!quiet)
            std::fprintf(stderr, "pictavo-make: no pictures for the slideshow %s\n",
                         wantedName.c_str());
        return true;
    }
    addDefaultMusic(*slideshow, project.folders().workingFolder);
    return true;
}

bool buildFromPhotos(Project& project, const QStringList& inputs, bool quiet, std::string& error)
{
    std::vector<std::string> looseFiles;
    for (const QString& input : inputs) {
        const std::string path = fs::absolute(input.toStdString()).lexically_normal().string();
        std::error_code code;
        if (fs::is_directory(path, code)) {
            std::vector<std::string> files;
            for (const auto& entry : fs::directory_iterator(path, code))
                if (entry.is_regular_file(code))
                    files.push_back(entry.path().string());
            std::sort(files.begin(), files.end());
            std::string name = fs::path(path).filename().string();
            if (name.empty())
                name = fs::path(path).parent_path().filename().string();
            if (!addSlideshowOfFiles(project, name, files, quiet, error))
                return false;
        } else if (fs::is_regular_file(path, code)) {
            looseFiles.push_back(path);
        } else {
            error = "cannot find " + input.toStdString();
            return false;
        }
    }
    if (!looseFiles.empty() &&
        !addSlideshowOfFiles(project, project.nextSlideshowName(), looseFiles, quiet, error))
        return false;
    if (project.slideshowCount() == 0) {
        error = "no pictures found in the input";
        return false;
    }
    return true;
}

QJsonObject planOf(const Project& project)
{
    QJsonArray slideshows;
    for (int i = 0; i < project.slideshowCount(); ++i) {
        const Slideshow& slideshow = *project.slideshow(i);
        QJsonArray photos;
        for (int p = 0; p < slideshow.photoCount(); ++p) {
            const PhotoItem& photo = *slideshow.photo(p);
            const PhotoEffect& effect = photo.settings.effect;
            QJsonObject transition;
            transition["type"] = effect.transitionType();
            transition["name"] = QString::fromStdString(transitionName(effect.transitionType()));
            QJsonArray parameters;
            const int count = effect.transition->parameterCount();
            if (count > 0)
                parameters.append(effect.transition->first());
            if (count > 1)
                parameters.append(effect.transition->second());
            transition["parameters"] = parameters;
            QJsonObject entry;
            entry["workingPath"] = QString::fromStdString(photo.workingPath);
            entry["startSeconds"] = photo.startSeconds;
            entry["displaySeconds"] = effect.displaySeconds;
            entry["transitionSeconds"] = effect.transitionSeconds;
            entry["transition"] = transition;
            entry["motionEffect"] = effect.imageEffectId;
            entry["motionEffectName"] =
                QString::fromStdString(imageEffectName(effect.imageEffectId));
            photos.append(entry);
        }
        QJsonObject show;
        show["name"] = QString::fromStdString(slideshow.name());
        show["totalFrames"] = slideshow.totalFrames();
        show["totalSeconds"] = slideshow.totalSeconds();
        show["photos"] = photos;
        slideshows.append(show);
    }
    QJsonObject plan;
    if (const OutputProfile* profile = project.outputProfiles().currentProfile())
        plan["profile"] = QString::fromStdString(profile->descL());
    plan["slideshows"] = slideshows;
    plan["totalSeconds"] = project.totalSeconds();
    plan["estimatedSizeMB"] = static_cast<double>(project.estimatedSizeMB());
    return plan;
}

int dumpFrames(Project& project, const std::string& folder, bool quiet)
{
    const OutputProfile* profile = project.outputProfiles().currentProfile();
    if (profile == nullptr)
        return fail("no output profile is selected");
    const FrameSize* size = findFrameSize(profile->currentText(ProfileParameterId::VideoSize));
    if (size == nullptr)
        return fail("the output profile has an unknown frame size");
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error))
        return fail("cannot create the folder " + folder);

    AutoResetEvent stopEvent;
    ProductionRequest request;
    request.slideshow = project.slideshow(0);
    request.frameRateText = profile->currentText(ProfileParameterId::VideoFrameRate);
    request.stopEvent = &stopEvent;
    RenderJob job;
    job.mode = RenderMode::Production;
    job.productionRequest = &request;
    job.stopEvent = &stopEvent;
    if (!prepareJobFrame(job, size->width, size->height))
        return fail("cannot create the frame pictures");
    FrameDumpSink sink(folder);
    job.sink = &sink;
    job.progressStep = progressStepFor(request.slideshow->totalFrames());
    int result = kResultFailed;
    {
        InterruptWatcher watcher([&stopEvent] { stopEvent.set(); });
        result = runSlideshowSteps(job, productionFramesPerSecond(request.frameRateText));
    }
    if (!quiet)
        std::fprintf(stderr, "pictavo-make: %d frames written to %s\n", sink.framesWritten(),
                     folder.c_str());
    if (result == kResultStopped)
        return fail("stopped"), kExitStopped;
    if (result != kResultOk)
        return fail("writing the frames failed (code " + std::to_string(result) + ")");
    return kExitOk;
}

// Progress on standard error: a bar redrawn in place on a terminal, a line every tenth
// otherwise.
class ProgressPrinter : public MakeVideoObserver {
public:
    explicit ProgressPrinter(bool quiet) : quiet_(quiet), terminal_(::isatty(2) != 0) {}
    void setProgress(int position) override { position_ = position; }
    void setStatusText(const std::string& text) override { status_ = text == kStatusMaking; }

    void draw(RemainingTimeEstimate& remaining)
    {
        if (quiet_ || !status_)
            return;
        const int position = position_;
        const int percent = static_cast<int>(position * 100LL / kProgressMax);
        const std::string left = remaining.running()
                                     ? RemainingTimeEstimate::displayText(
                                           remaining.refresh(RemainingTimeEstimate::nowSeconds()))
                                     : "--:--:--";
        if (terminal_) {
            constexpr int width = 40;
            const int filled = percent * width / 100;
            std::fprintf(stderr, "\r[%s%s] %3d%%  %s left ", std::string(filled, '#').c_str(),
                         std::string(width - filled, '.').c_str(), percent, left.c_str());
            drawn_ = true;
        } else if (percent / 10 != lastTenth_) {
            lastTenth_ = percent / 10;
            std::fprintf(stderr, "pictavo-make: %3d%%  %s left\n", percent, left.c_str());
        }
        std::fflush(stderr);
    }
    void finish()
    {
        if (drawn_)
            std::fprintf(stderr, "\n");
        drawn_ = false;
    }

private:
    bool quiet_;
    bool terminal_;
    std::atomic<int> position_{0};
    std::atomic<bool> status_{false};
    bool drawn_ = false;
    int lastTenth_ = -1;
};

int makeVideos(Project& project, bool quiet)
{
    ProgressPrinter printer(quiet);
    MakeVideoJob job(project, &printer);
    if (job.start() != kResultOk)
        return fail("the videos were not started");
    // Wakes for the progress line and Ctrl-C, and at once when the job is done.
    while (!job.waitUntilFinished(std::chrono::milliseconds(200))) {
        if (interrupted) {
            printer.finish();
            std::fprintf(stderr, "pictavo-make: stopping...\n");
            job.stop();
            break;
        }
        printer.draw(job.remainingTime());
    }
    const int result = job.wait();
    printer.finish();
    for (const std::string& file : job.outputFiles())
        std::printf("%s\n", file.c_str());
    std::fflush(stdout);
    if (result == kResultOk)
        return kExitOk;
    if (result == kResultStopped) {
        std::fprintf(stderr, "pictavo-make: stopped; the video being written was finished "
                             "with the frames made so far\n");
        return kExitStopped;
    }
    return fail("making the videos failed (code " + std::to_string(result) + "); see " + logFile());
}

// Leaves no empty or unused project folders behind: the folders of a project that was never
// saved lose their temp folder (and go when empty); a fresh working folder made at start-up
// goes when the run used the folders of a project file instead.
void cleanFolders(const ProjectFolders& start, Project& project)
{
    if (project.folders().workingFolder == start.workingFolder) {
        cleanUnsavedProject(project);
        return;
    }
    std::error_code error;
    if (isProjectTempFolder(start.tempFolder, start.workingFolder))
        fs::remove_all(start.tempFolder, error);
    fs::remove(start.outputFolder, error); // only when empty
    fs::remove(start.workingFolder, error);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    QGuiApplication::setApplicationName("pictavo-make");
    QGuiApplication::setApplicationVersion("0.1.0");

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Makes one video file per slideshow from a Pictavo project file (.prg) or from photo "
        "files and folders\n(each folder becomes a slideshow named after it, loose files one "
        "slideshow).");
    parser.addHelpOption();
    parser.addPositionalArgument("INPUT", "A .prg project file, or photo files and folders.",
                                 "INPUT...");
    const QCommandLineOption outputOption(
        {"o", "output"}, "Output folder (default: the project's output folder).", "DIR");
    const QCommandLineOption profileOption(
        {"p", "profile"},
        "Output profile by its number in --list-profiles or by its description (default: the "
        "first).",
        "N|TEXT");
    const QCommandLineOption listOption("list-profiles", "Print the output profiles and exit.");
    const QCommandLineOption planOption("plan", "Print the timing plan as JSON and exit.");
    const QCommandLineOption framesOption(
        "frames", "Render the first slideshow's frames as PNG files into DIR instead of encoding.",
        "DIR");
    const QCommandLineOption saveOption(
        "save", "Save the project built from the inputs as a project file and exit.", "FILE.prg");
    const QCommandLineOption seedOption(
        "seed", "Seed the random generator (reproducible random effects).", "N");
    const QCommandLineOption transitionOption(
        "transition",
        "Transition of photos given as files or folders: 0..18 or a name (Alpha, "
        "Door, Zoom, random ...).",
        "T");
    const QCommandLineOption motionOption(
        "motion-mode",
        "Motion of photos given as files or folders: none, pan, pan/zoom, pan/zoom/rotate "
        "(or 0..3).",
        "M");
    const QCommandLineOption displayOption(
        "display", "Seconds each photo given as a file or folder is shown (1..60).", "S");
    const QCommandLineOption transitionSecondsOption(
        "transition-seconds", "Seconds of the transition into each such photo (1..10).", "S");
    const QCommandLineOption quietOption({"q", "quiet"}, "No progress output.");
    for (const QCommandLineOption* option :
         {&outputOption, &profileOption, &listOption, &planOption, &framesOption, &saveOption,
          &seedOption, &transitionOption, &motionOption, &displayOption, &transitionSecondsOption,
          &quietOption})
        parser.addOption(*option);
    parser.process(application);

    const bool quiet = parser.isSet(quietOption);
    const QStringList inputs = parser.positionalArguments();

    // Start-up as the desktop program does it.
    Project project;
    initialise(project);
    setLogFile(project.resourcePaths().logFile);
    const ProjectFolders startFolders = project.folders();
    struct Cleanup {
        const ProjectFolders& start;
        Project& project;
        ~Cleanup() { cleanFolders(start, project); }
    } cleanup{startFolders, project};
    if (parser.isSet(seedOption)) {
        bool ok = false;
        const unsigned seed = parser.value(seedOption).toUInt(&ok);
        if (!ok)
            return fail("--seed needs a whole number");
        seedRandom(seed);
    }

    ProfileCatalogue& catalogue = project.outputProfiles();
    if (parser.isSet(listOption)) {
        const ProfileGroup* group = catalogue.currentGroup();
        if (group == nullptr || group->profileCount() == 0)
            return fail("no output profiles found under " +
                        ProfileCatalogue::groupBaseFolder(applicationFolder()));
        for (int p = 0; p < group->profileCount(); ++p)
            std::printf("%d  %s\n", p + 1, group->profileAt(p)->descL().c_str());
        return kExitOk;
    }
    if (parser.isSet(profileOption)) {
        std::string error;
        if (!selectProfile(catalogue, parser.value(profileOption), error))
            return fail(error);
    }
    if (catalogue.currentProfile() == nullptr)
        return fail("no output profile found under " +
                    ProfileCatalogue::groupBaseFolder(applicationFolder()));
    applyFrameRateRule(project);

    if (inputs.isEmpty())
        return fail("no input given (see --help)");
    const bool fromProjectFile = std::any_of(inputs.begin(), inputs.end(), [](const QString& i) {
        return isProjectFile(i.toStdString());
    });
    const bool effectOptions = parser.isSet(transitionOption) || parser.isSet(motionOption) ||
                               parser.isSet(displayOption) || parser.isSet(transitionSecondsOption);
    if (fromProjectFile) {
        if (inputs.size() != 1)
            return fail("a project file is made on its own, without other inputs");
        if (effectOptions)
            return fail("--transition, --motion-mode, --display and --transition-seconds are "
                        "for photos given as files or folders, not for a project file");
        const std::string path = fs::absolute(inputs.front().toStdString()).string();
        std::error_code error;
        if (!fs::is_regular_file(path, error))
            return fail("cannot find " + inputs.front().toStdString());
        project.removeAllSlideshows();
        project.setProjectFile(path);
        if (!loadProject(project, addMusicTrack))
            return fail("cannot read the project file " + path);
        if (project.slideshowCount() == 0)
            return fail("the project file holds no usable photos");
        applyFrameRateRule(project);
        project.applyVideoStandardToAllPhotos();
    } else {
        PhotoEffect& effect = project.defaults().effect;
        if (parser.isSet(displayOption) &&
            !parseInt(parser.value(displayOption), 1, 60, effect.displaySeconds))
            return fail("--display takes 1 to 60 seconds");
        if (parser.isSet(transitionSecondsOption) &&
            !parseInt(parser.value(transitionSecondsOption), 1, 10, effect.transitionSeconds))
            return fail("--transition-seconds takes 1 to 10 seconds");
        if (parser.isSet(transitionOption)) {
            TransitionType type = kTransitionAlpha;
            if (!parseTransition(parser.value(transitionOption), type))
                return fail("unknown transition \"" + parser.value(transitionOption).toStdString() +
                            "\"");
            const auto settings = TransitionSettings::createDefault(type);
            effect.setTransition(settings.get());
        }
        if (parser.isSet(motionOption)) {
            ImageEffectMode mode = kImageEffectModeNone;
            if (!parseMotionMode(parser.value(motionOption), mode))
                return fail("unknown motion mode \"" + parser.value(motionOption).toStdString() +
                            "\"");
            effect.imageEffectMode = mode;
        }
        std::string error;
        if (!buildFromPhotos(project, inputs, quiet, error))
            return fail(error);
    }
    project.sizeCheck();
    if (project.overHardLimit())
        return fail("the videos would be larger than 4500 MB; use fewer photos or shorter "
                    "durations");

    if (parser.isSet(outputOption))
        project.folders().outputFolder =
            fs::absolute(parser.value(outputOption).toStdString()).lexically_normal().string();

    if (parser.isSet(saveOption)) {
        const std::string file = saveAsFileName(
            fs::absolute(parser.value(saveOption).toStdString()).lexically_normal().string());
        project.setProjectFile(file);
        project.setModified(true);
        if (!saveProject(project, false))
            return fail("cannot write " + file);
        std::printf("%s\n", file.c_str());
        return kExitOk;
    }
    if (parser.isSet(planOption)) {
        const QByteArray json = QJsonDocument(planOf(project)).toJson(QJsonDocument::Indented);
        std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
        return kExitOk;
    }
    installInterruptHandler();
    if (parser.isSet(framesOption))
        return dumpFrames(project, fs::absolute(parser.value(framesOption).toStdString()).string(),
                          quiet);
    return makeVideos(project, quiet);
}
