// The whole production run against the ffmpeg command-line tool (the floor). A slideshow of
// generated photos (3 s display, 2 s transition, a motion on every photo, the transitions in
// turn) is rendered and encoded with the shipped DVD NTSC profile and the shipped H.264 MP4
// tablet profile; for each, ffmpeg encodes the same number of frames of one still picture with
// the same codec settings and the same music. Prints both wall times, their ratio and the
// processor times at the end (the machine may be shared: the processor times tell more then),
// Pictavo's own share (the same run rendered and converted without encoding) and ffmpeg
// encoding Pictavo's own frames with the same settings.
//
// PICTAVO_BENCH_PHOTOS: photos in the slideshow (default 20). PICTAVO_APP_DIR: the application
// folder (default: the one beside the bench folder).

#include "core/app_paths.h"
#include "core/log.h"
#include "effects/transition_settings.h"
#include "model/slideshow.h"
#include "production/produce_video.h"
#include "profiles/frame_sizes.h"
#include "profiles/profile_catalogue.h"
#include "render/frame_sink.h"
#include "render/render_job.h"
#include "render/yuv_converter.h"

#include "bench_timing.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using pictavo::bench::cpuSeconds;
using pictavo::bench::runTimedCommand;

namespace fs = std::filesystem;
using namespace pictavo;

struct BenchProfile {
    const char* name;
    const char* descS; // the shipped profile
    const char* ffmpegOptions;
};

// The encoder library's settings for these profiles, spelled for the command-line tool.
const BenchProfile kProfiles[] = {
    {"DvdNtsc", "DVD NTSC",
     "-c:v mpeg2video -b:v 6000k -maxrate 9000k -bufsize 1835008 -g 18 -bf 2 -aspect 4:3 "
     "-c:a mp2 -b:a 224k -ar 48000 -ac 2 -f dvd -muxrate 10080000"},
    {"H264Mp4", "H.264 MP4 tablet",
     "-c:v libx264 -preset medium -profile:v main -b:v 2000k "
     "-c:a aac -b:a 160k -ar 48000 -ac 2 -f mp4"},
};

// PICTAVO_BENCH_ROUNDS: how many times the production run and its floor run, in turn
// (default 3); each side's fastest run is compared.
int roundCount()
{
    const char* text = std::getenv("PICTAVO_BENCH_ROUNDS");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? std::min(n, 20) : 3;
}

int photoCount()
{
    const char* text = std::getenv("PICTAVO_BENCH_PHOTOS");
    const int n = text ? std::atoi(text) : 0;
    return n > 1 ? n : 20;
}

std::string appFolder()
{
    if (const char* dir = std::getenv("PICTAVO_APP_DIR"))
        return dir;
    return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "app").string();
}

const fs::path& workFolder()
{
    static const fs::path folder = [] {
        fs::path f = fs::temp_directory_path() /
                     ("pictavo-production-bench-" + std::to_string(static_cast<long>(getpid())));
        fs::create_directories(f);
        return f;
    }();
    return folder;
}

// A camera-sized photo: a colour ramp that differs per photo, with a few shapes.
std::string writePhoto(int index)
{
    const int w = index % 3 == 2 ? 1200 : 1600;
    const int h = index % 3 == 2 ? 1600 : 1200;
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 255 / w + index * 40) & 255, (y * 255 / h + index * 70) & 255,
                           ((x + y) * 255 / (w + h) + index * 25) & 255);
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 6; ++k) {
        painter.setBrush(QColor::fromHsv((index * 47 + k * 60) % 360, 200, 230));
        painter.drawEllipse(QPointF(w * (k + 1) / 7.0, h * (0.3 + 0.1 * (k % 4))), w / 10.0,
                            h / 8.0);
    }
    painter.end();
    std::string path = (workFolder() / ("photo" + std::to_string(index) + ".jpg")).string();
    if (!image.save(QString::fromStdString(path), "JPG", 90)) {
        path = (workFolder() / ("photo" + std::to_string(index) + ".png")).string();
        image.save(QString::fromStdString(path), "PNG");
    }
    return path;
}

// The music under both runs: an MP2 tone as the audio preparation leaves it, longer than the
// slideshow.
std::string musicFile(int seconds)
{
    const std::string path = (workFolder() / "music.mp2").string();
    const std::string command = "ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "
                                "sine=frequency=330:sample_rate=48000 -ac 2 -t " +
                                std::to_string(seconds) + " -c:a mp2 -b:a 224k -f mp2 '" + path +
                                "'";
    return std::system(command.c_str()) == 0 ? path : std::string();
}

struct Fixture {
    std::unique_ptr<Slideshow> slideshow;
    std::string music;
    bool ok = false;
};

Fixture& fixture()
{
    static Fixture f = [] {
        Fixture made;
        made.slideshow = std::make_unique<Slideshow>("bench", workFolder().string());
        const PhotoSettings defaults;
        const int n = photoCount();
        for (int i = 0; i < n; ++i) {
            if (made.slideshow->addPhoto(writePhoto(i), defaults) != 0)
                return made;
            PhotoEffect& effect = made.slideshow->photo(i)->settings.effect;
            effect.displaySeconds = 3;
            effect.transitionSeconds = 2;
            effect.imageEffectId = static_cast<ImageEffectType>(i % 20);
            const auto transition =
                TransitionSettings::createDefault(static_cast<TransitionType>(i % 18));
            effect.setTransition(transition.get());
        }
        made.slideshow->recomputeTiming();
        made.music = musicFile(5 * n + 5);
        made.slideshow->setMp2Path(made.music);
        made.ok = !made.music.empty();
        return made;
    }();
    return f;
}

const OutputProfile* selectProfile(const char* descS)
{
    ProfileGroup* group = profileCatalogue().currentGroup();
    if (group == nullptr)
        return nullptr;
    for (int i = 0; i < group->profileCount(); ++i)
        if (group->profileAt(i)->descS() == descS) {
            group->setCurrentProfile(i);
            return group->profileAt(i);
        }
    return nullptr;
}

int framesOf(const OutputProfile& profile)
{
    const int fps = std::atoi(profile.currentText(ProfileParameterId::VideoFrameRate).c_str());
    return fps * (1 + (photoCount() - 1) * 5);
}

struct Times {
    double wall = 0;
    double cpu = 0;
};
std::map<std::string, Times>& results()
{
    static std::map<std::string, Times> times;
    return times;
}
std::map<std::string, int>& frameCounts()
{
    static std::map<std::string, int> counts;
    return counts;
}

// Keeps the fastest run: on a shared machine the slower ones mostly measure the neighbours.
void record(const std::string& key, double wall, double cpu)
{
    Times& best = results()[key];
    if (best.wall == 0 || wall < best.wall)
        best = {wall, cpu};
}

void BM_ProduceVideo(benchmark::State& state, const BenchProfile& p)
{
    Fixture& f = fixture();
    const OutputProfile* profile = selectProfile(p.descS);
    if (!f.ok || profile == nullptr) {
        state.SkipWithError("no slideshow or no such shipped profile");
        return;
    }
    f.slideshow->setMpgPath((workFolder() / ("pictavo." + profile->ext())).string());
    ProductionRequest request;
    request.slideshow = f.slideshow.get();
    int frames = 0;
    request.progressCallback = [&frames](int) { ++frames; };
    for (auto _ : state) {
        frames = 0;
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSeconds(RUSAGE_SELF);
        const int result = produceVideo(request);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (result != 0) {
            state.SkipWithError(("produceVideo returned " + std::to_string(result)).c_str());
            return;
        }
        record(std::string(p.name) + "/pictavo", wall, cpuSeconds(RUSAGE_SELF) - cpuStart);
    }
    frameCounts()[p.name] = frames;
    state.counters["frames"] = frames;
}

// Pictavo's own share of the run: the same slideshow rendered and converted to YUV 4:2:0 with
// an encoder that takes every frame without work.
void BM_RenderAndConvert(benchmark::State& state, const BenchProfile& p)
{
    Fixture& f = fixture();
    const OutputProfile* profile = selectProfile(p.descS);
    const FrameSize* size =
        profile ? findFrameSize(profile->currentText(ProfileParameterId::VideoSize)) : nullptr;
    if (!f.ok || size == nullptr) {
        state.SkipWithError("no slideshow or no such shipped profile");
        return;
    }
    const int fps = std::atoi(profile->currentText(ProfileParameterId::VideoFrameRate).c_str());
    ProductionRequest request;
    request.slideshow = f.slideshow.get();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSeconds(RUSAGE_SELF);
        RenderJob job;
        job.mode = RenderMode::Production;
        job.productionRequest = &request;
        if (!prepareJobFrame(job, size->width, size->height)) {
            state.SkipWithError("cannot make the frame pictures");
            return;
        }
        std::vector<std::uint8_t> yuv(i420Layout(size->width, size->height).totalBytes);
        EncoderSink sink(yuv.data(), yuv.size());
        job.sink = &sink;
        job.encodeFrame = [](const std::uint8_t*) { return 0; };
        if (runWithSerialPainting([&] { return runSlideshowSteps(job, fps); }) != 0) {
            state.SkipWithError("the render run failed");
            return;
        }
        record(std::string(p.name) + "/render",
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
               cpuSeconds(RUSAGE_SELF) - cpuStart);
    }
}

// The ffmpeg options that read raw YUV 4:2:0 frames of the profile's size and rate.
std::string rawVideoInput(const OutputProfile& profile, const FrameSize& size)
{
    const std::string rateText = profile.currentText(ProfileParameterId::VideoFrameRate);
    return "-f rawvideo -pix_fmt yuv420p -s " + std::to_string(size.width) + "x" +
           std::to_string(size.height) + " -framerate " +
           (rateText == "29.97" ? std::string("30000/1001") : rateText);
}

void BM_FfmpegFloor(benchmark::State& state, const BenchProfile& p)
{
    Fixture& f = fixture();
    const OutputProfile* profile = selectProfile(p.descS);
    if (!f.ok || profile == nullptr) {
        state.SkipWithError("no music or no such shipped profile");
        return;
    }
    const FrameSize* size = findFrameSize(profile->currentText(ProfileParameterId::VideoSize));
    if (size == nullptr) {
        state.SkipWithError("unknown frame size");
        return;
    }
    const std::string rateText = profile->currentText(ProfileParameterId::VideoFrameRate);
    const int n = framesOf(*profile);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.6f",
                  n / (rateText == "29.97" ? 30000.0 / 1001.0 : std::atof(rateText.c_str())));
    // The still picture as raw I420 of the frame size, made before the clock runs, so that the
    // floor pays for encoding and muxing only.
    const std::string still = (workFolder() / (std::string(p.name) + ".yuv")).string();
    const std::string photo = fs::exists(workFolder() / "photo0.jpg") ? "photo0.jpg" : "photo0.png";
    const std::string makeStill =
        "ffmpeg -hide_banner -loglevel error -nostdin -y -i '" + (workFolder() / photo).string() +
        "' -vf scale=" + std::to_string(size->width) + ":" + std::to_string(size->height) +
        " -pix_fmt yuv420p -frames:v 1 -f rawvideo '" + still + "'";
    if (std::system(makeStill.c_str()) != 0) {
        state.SkipWithError("cannot make the still picture");
        return;
    }
    const std::string out = (workFolder() / ("ffmpeg." + profile->ext())).string();
    const std::string command = "ffmpeg -hide_banner -loglevel error -nostdin -y " +
                                rawVideoInput(*profile, *size) + " -stream_loop -1 -i '" + still +
                                "' -i '" + f.music + "' -frames:v " + std::to_string(n) + " -t " +
                                seconds + " " + p.ffmpegOptions + " '" + out + "'";
    runTimedCommand(state, command, [&](double wall, double cpu) {
        record(std::string(p.name) + "/ffmpeg", wall, cpu);
    });
    state.counters["frames"] = n;
}

// A second reference: ffmpeg encodes Pictavo's own frames with the same settings. The frames
// are decoded from the file the run just wrote into raw YUV 4:2:0 before the clock runs, so
// this is the encoder's own cost for these moving pictures (moving pictures cost an encoder
// more than a still one): how much of the gap to the floor is the content, not the run.
void BM_FfmpegSameContent(benchmark::State& state, const BenchProfile& p)
{
    const OutputProfile* profile = selectProfile(p.descS);
    const Fixture& f = fixture();
    const std::string input =
        profile ? (workFolder() / ("pictavo." + profile->ext())).string() : "";
    const FrameSize* size =
        profile ? findFrameSize(profile->currentText(ProfileParameterId::VideoSize)) : nullptr;
    if (!f.ok || profile == nullptr || size == nullptr || !fs::exists(input)) {
        state.SkipWithError("no file of the production run to re-encode");
        return;
    }
    const int n = framesOf(*profile);
    const std::string raw = (workFolder() / "same-content.yuv").string();
    const std::string decode = "ffmpeg -hide_banner -loglevel error -nostdin -y -i '" + input +
                               "' -map 0:v:0 -frames:v " + std::to_string(n) +
                               " -pix_fmt yuv420p -f rawvideo '" + raw + "'";
    if (std::system(decode.c_str()) != 0) {
        state.SkipWithError("cannot decode the production run's frames");
        return;
    }
    const std::string out = (workFolder() / ("same-content." + profile->ext())).string();
    const std::string command = "ffmpeg -hide_banner -loglevel error -nostdin -y " +
                                rawVideoInput(*profile, *size) + " -i '" + raw + "' -i '" +
                                f.music + "' -map 0:v:0 -map 1:a:0 -frames:v " + std::to_string(n) +
                                " -shortest " + p.ffmpegOptions + " '" + out + "'";
    runTimedCommand(state, command, [&](double wall, double cpu) {
        record(std::string(p.name) + "/same", wall, cpu);
    });
    std::error_code ec;
    fs::remove(raw, ec);
    state.counters["frames"] = n;
}

void registerOne(const std::string& name, void (*function)(benchmark::State&, const BenchProfile&),
                 const BenchProfile& p)
{
    benchmark::RegisterBenchmark(name.c_str(), function, p)
        ->Unit(benchmark::kSecond)
        ->UseRealTime()
        ->Iterations(1);
}

void registerAll()
{
    for (const BenchProfile& p : kProfiles) {
        // The run and its floor in turn, so that a busy spell of the machine falls on both.
        for (int round = 1; round <= roundCount(); ++round) {
            const std::string suffix = std::string(p.name) + "/round:" + std::to_string(round);
            registerOne("ProduceVideo/" + suffix, BM_ProduceVideo, p);
            registerOne("FfmpegFloor/" + suffix, BM_FfmpegFloor, p);
        }
        registerOne(std::string("RenderAndConvert/") + p.name, BM_RenderAndConvert, p);
        registerOne(std::string("FfmpegSameContent/") + p.name, BM_FfmpegSameContent, p);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    setApplicationFolder(appFolder());
    setLogFile("");
    profileCatalogue().load(appFolder());
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\n%-8s %6s %7s %11s %10s %7s %12s %11s %11s %11s %9s %9s %9s\n", "profile",
                "photos", "frames", "pictavo s", "ffmpeg s", "ratio", "pictavo cpu", "ffmpeg cpu",
                "render s", "render cpu", "same s", "same cpu", "vs same");
    for (const BenchProfile& p : kProfiles) {
        const Times ours = results()[std::string(p.name) + "/pictavo"];
        const Times floor = results()[std::string(p.name) + "/ffmpeg"];
        const Times render = results()[std::string(p.name) + "/render"];
        const Times same = results()[std::string(p.name) + "/same"];
        if (ours.wall > 0 && floor.wall > 0)
            std::printf(
                "%-8s %6d %7d %11.2f %10.2f %7.3f %12.2f %11.2f %11.2f %11.2f %9.2f %9.2f %9.3f\n",
                p.name, photoCount(), frameCounts()[p.name], ours.wall, floor.wall,
                ours.wall / floor.wall, ours.cpu, floor.cpu, render.wall, render.cpu, same.wall,
                same.cpu, same.wall > 0 ? ours.wall / same.wall : 0.0);
    }
    std::error_code ec;
    fs::remove_all(workFolder(), ec);
    return 0;
}
