// The encoder library against the ffmpeg command-line tool (the floor): both encode the same
// number of frames of one still picture with the same settings, for the DVD NTSC profile and
// an H.264 MP4 profile. Prints both wall times and their ratio at the end.
//
// Frames per run: PICTAVO_BENCH_FRAMES (default 300). The library is taken from
// PICTAVO_APP_DIR, else from the application folder beside the bench folder.

#include "../plugins/encoder/brenwick_encoder.h"

#include "bench_timing.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using pictavo::bench::cpuSeconds;
using pictavo::bench::runTimedCommand;

namespace fs = std::filesystem;

struct Profile {
    const char* name;
    int width, height;
    const char* videoCodec; // as the production run passes it
    const char* videoBitrate;
    const char* frameRate;
    const char* audioCodec;
    const char* audioBitrate;
    const char* sampleRate;
    const char* extension;
    const char* ffmpegOptions; // the same settings for the command-line tool
};

const Profile kProfiles[] = {
    {"DvdNtsc", 720, 480, "mpeg2video", "6000kb", "29.97", "mp2", "224kb", "48000", "mpg",
     "-c:v mpeg2video -b:v 6000k -maxrate 9000k -bufsize 1835008 -g 18 -bf 2 -aspect 4:3 "
     "-c:a mp2 -b:a 224k -ar 48000 -ac 2 -f dvd -muxrate 10080000"},
    {"H264Mp4", 960, 540, "libx264", "2000kb", "29.97", "libfaac", "160kb", "48000", "mp4",
     "-c:v libx264 -preset medium -profile:v main -b:v 2000k "
     "-c:a aac -b:a 160k -ar 48000 -ac 2 -f mp4"},
};

struct Library {
    InitEncoderFunction init = nullptr;
    EncOneFrameFunction encode = nullptr;
    CloseEncoderFunction close = nullptr;
    EncoderLastErrorFunction lastError = nullptr;
};

std::string appFolder()
{
    if (const char* dir = std::getenv("PICTAVO_APP_DIR"))
        return dir;
    return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "app").string();
}

const Library* library()
{
    static Library lib;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const std::string path = appFolder() + "/BrenwickEncoder.so";
        if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            lib.init = reinterpret_cast<InitEncoderFunction>(dlsym(handle, "initEncoder"));
            lib.encode = reinterpret_cast<EncOneFrameFunction>(dlsym(handle, "EncOneFrame"));
            lib.close = reinterpret_cast<CloseEncoderFunction>(dlsym(handle, "closeEncoder"));
            lib.lastError =
                reinterpret_cast<EncoderLastErrorFunction>(dlsym(handle, "encoderLastError"));
        } else {
            std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), dlerror());
        }
    }
    return lib.init && lib.encode && lib.close ? &lib : nullptr;
}

int frameCount()
{
    const char* text = std::getenv("PICTAVO_BENCH_FRAMES");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : 300;
}

const fs::path& workFolder()
{
    static const fs::path folder = [] {
        fs::path f = fs::temp_directory_path() /
                     ("pictavo-encoder-bench-" + std::to_string(static_cast<long>(getpid())));
        fs::create_directories(f);
        return f;
    }();
    return folder;
}

// A still picture: a luma ramp with coloured quadrants, I420.
std::vector<uint8_t> stillPicture(int w, int h)
{
    std::vector<uint8_t> frame(size_t(w) * h * 3 / 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            frame[size_t(y) * w + x] = uint8_t(16 + (x + y) * 219 / (w + h));
    uint8_t* u = frame.data() + size_t(w) * h;
    uint8_t* v = u + size_t(w / 2) * (h / 2);
    for (int y = 0; y < h / 2; ++y)
        for (int x = 0; x < w / 2; ++x) {
            const int q = (y >= h / 4) * 2 + (x >= w / 4);
            u[size_t(y) * (w / 2) + x] = uint8_t(90 + q * 40);
            v[size_t(y) * (w / 2) + x] = uint8_t(200 - q * 35);
        }
    return frame;
}

// The music: a 16-bit stereo tone, long enough for every run.
std::string musicFile()
{
    static const std::string path = [] {
        const std::string p = (workFolder() / "music.wav").string();
        const int rate = 44100, channels = 2;
        const uint32_t frames = uint32_t(rate * (frameCount() / 25.0 + 2));
        const uint32_t bytes = frames * channels * 2;
        std::ofstream out(p, std::ios::binary);
        auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
        auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
        out.write("RIFF", 4);
        u32(36 + bytes);
        out.write("WAVEfmt ", 8);
        u32(16);
        u16(1);
        u16(channels);
        u32(rate);
        u32(rate * channels * 2);
        u16(channels * 2);
        u16(16);
        out.write("data", 4);
        u32(bytes);
        for (uint32_t i = 0; i < frames; ++i) {
            const auto s = int16_t(12000 * std::sin(2 * M_PI * 330.0 * i / rate));
            u16(uint16_t(s));
            u16(uint16_t(s));
        }
        return p;
    }();
    return path;
}

std::map<std::string, double>& wallTimes()
{
    static std::map<std::string, double> times;
    return times;
}
std::map<std::string, double>& cpuTimes()
{
    static std::map<std::string, double> times;
    return times;
}

// Keeps the fastest run: on a shared machine the others mostly measure the neighbours.
void record(const std::string& key, double seconds, double cpu)
{
    double& best = wallTimes()[key];
    if (best == 0 || seconds < best) {
        best = seconds;
        cpuTimes()[key] = cpu;
    }
}

void BM_EncoderLibrary(benchmark::State& state, const Profile& p)
{
    const Library* lib = library();
    if (!lib) {
        state.SkipWithError("BrenwickEncoder.so not found");
        return;
    }
    const std::vector<uint8_t> still = stillPicture(p.width, p.height);
    std::vector<uint8_t> frame(still.size());
    const std::string size = std::to_string(p.width) + "x" + std::to_string(p.height);
    const std::string out = (workFolder() / (std::string("library.") + p.extension)).string();
    const int n = frameCount();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSeconds(RUSAGE_SELF);
        if (lib->init(p.width, p.height, out.c_str(), "", musicFile().c_str(), p.audioCodec,
                      p.audioBitrate, p.sampleRate, "2", p.videoCodec, p.videoBitrate, size.c_str(),
                      p.frameRate) != 0) {
            state.SkipWithError(lib->lastError());
            return;
        }
        for (int i = 0; i < n; ++i) {
            frame = still; // the production run reuses one buffer
            if (lib->encode(frame.data()) != 0) {
                state.SkipWithError(lib->lastError());
                lib->close();
                return;
            }
        }
        if (lib->close() != 0) {
            state.SkipWithError(lib->lastError());
            return;
        }
        record(std::string(p.name) + "/library",
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
               cpuSeconds(RUSAGE_SELF) - cpuStart);
    }
    state.counters["frames"] = n;
}

void BM_FfmpegTool(benchmark::State& state, const Profile& p)
{
    const std::vector<uint8_t> still = stillPicture(p.width, p.height);
    const std::string raw = (workFolder() / (std::string(p.name) + ".yuv")).string();
    {
        std::ofstream f(raw, std::ios::binary);
        f.write(reinterpret_cast<const char*>(still.data()), std::streamsize(still.size()));
    }
    const int n = frameCount();
    const std::string rate = std::string(p.frameRate) == "29.97" ? "30000/1001" : p.frameRate;
    const std::string out = (workFolder() / (std::string("ffmpeg.") + p.extension)).string();
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.6f",
                  n / (rate == "30000/1001" ? 30000.0 / 1001.0 : std::atof(p.frameRate)));
    const std::string command =
        "ffmpeg -hide_banner -loglevel error -nostdin -y -f rawvideo -pix_fmt yuv420p -s " +
        std::to_string(p.width) + "x" + std::to_string(p.height) + " -framerate " + rate +
        " -stream_loop -1 -i '" + raw + "' -i '" + musicFile() + "' -frames:v " +
        std::to_string(n) + " -t " + seconds + " " + p.ffmpegOptions + " '" + out + "'";
    runTimedCommand(state, command, [&](double wall, double cpu) {
        record(std::string(p.name) + "/ffmpeg", wall, cpu);
    });
    state.counters["frames"] = n;
}

void registerAll()
{
    for (const Profile& p : kProfiles) {
        benchmark::RegisterBenchmark((std::string("EncoderLibrary/") + p.name).c_str(),
                                     BM_EncoderLibrary, p)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(5);
        benchmark::RegisterBenchmark((std::string("FfmpegTool/") + p.name).c_str(), BM_FfmpegTool,
                                     p)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(5);
    }
}

} // namespace

int main(int argc, char** argv)
{
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\n%-10s %7s %12s %12s %7s %12s %12s\n", "profile", "frames", "library s",
                "ffmpeg s", "ratio", "library cpu", "ffmpeg cpu");
    for (const Profile& p : kProfiles) {
        const std::string key = p.name;
        const double lib = wallTimes()[key + "/library"];
        const double tool = wallTimes()[key + "/ffmpeg"];
        if (lib > 0 && tool > 0)
            std::printf("%-10s %7d %12.3f %12.3f %7.3f %12.3f %12.3f\n", p.name, frameCount(), lib,
                        tool, lib / tool, cpuTimes()[key + "/library"],
                        cpuTimes()[key + "/ffmpeg"]);
    }
    std::error_code ec;
    fs::remove_all(workFolder(), ec);
    return 0;
}
