// Speed of the audio conversion library, loaded from the application folder as the program
// loads it: a five-minute MP3 converted to the joined-music MP2 format, and the playing-time
// query the music tab makes for every added file. The "x_realtime" counter is seconds of music
// handled per second of work.

#include "xtomp2.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kRate = 44100;
constexpr double kSeconds = 300.0;

std::string appFolder()
{
    if (const char* folder = std::getenv("PICTAVO_APP_DIR")) {
        return folder;
    }
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return (self.parent_path().parent_path() / "app").string(); // <build>/bench -> <build>/app
}

void putLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// Five minutes of a changing chord, so the MP3 encoder has real work and varied frames.
bool writeMusicWav(const std::string& path)
{
    const auto frames = static_cast<uint32_t>(kSeconds * kRate);
    std::string out;
    out.reserve(44 + frames * 4);
    out += "RIFF";
    putLe(out, 36 + frames * 4, 4);
    out += "WAVEfmt ";
    putLe(out, 16, 4);
    putLe(out, 1, 2);
    putLe(out, 2, 2);
    putLe(out, kRate, 4);
    putLe(out, kRate * 4, 4);
    putLe(out, 4, 2);
    putLe(out, 16, 2);
    out += "data";
    putLe(out, frames * 4, 4);
    const double roots[] = {261.63, 196.0, 220.0, 174.61};
    for (uint32_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double root = roots[static_cast<int>(t / 2.5) % 4];
        const double beat = std::fmod(t, 0.625);
        double value = 0;
        for (const double ratio : {1.0, 1.25, 1.5, 2.0}) {
            value += std::sin(2 * std::numbers::pi * root * ratio * t);
        }
        value *= 0.08 * (0.6 + 0.4 * std::exp(-beat * 6));
        const auto sample = static_cast<int16_t>(std::lround(value * 32767));
        putLe(out, static_cast<uint16_t>(sample), 2);
        putLe(out, static_cast<uint16_t>(sample), 2);
    }
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

struct Fixture {
    std::string folder;
    std::string mp3;
    void* library = nullptr;
    XToMp2Function convert = nullptr;
    GetFileTimeLengthFunction timeLength = nullptr;
    std::string problem;

    Fixture()
    {
        folder =
            (fs::temp_directory_path() / ("audioconv-bench-" + std::to_string(getpid()))).string();
        fs::create_directories(folder);
        const std::string wav = folder + "/music.wav";
        mp3 = folder + "/music.mp3";
        const std::string command = "ffmpeg -nostdin -hide_banner -v error -y -i " + wav +
                                    " -c:a libmp3lame -b:a 192k " + mp3 + " > /dev/null 2>&1";
        if (!writeMusicWav(wav) || std::system(command.c_str()) != 0) {
            problem = "cannot make the five-minute MP3 (is ffmpeg installed?)";
            return;
        }
        fs::remove(wav);
        const std::string path = appFolder() + "/libxToMp2.so";
        library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            problem = "cannot load " + path;
            return;
        }
        convert = reinterpret_cast<XToMp2Function>(dlsym(library, "xToMp2"));
        timeLength =
            reinterpret_cast<GetFileTimeLengthFunction>(dlsym(library, "GetFileTimeLength"));
        if (convert == nullptr || timeLength == nullptr) {
            problem = "the conversion library lacks its entry points";
        }
    }

    ~Fixture()
    {
        if (library != nullptr) {
            dlclose(library);
        }
        std::error_code error;
        fs::remove_all(folder, error);
    }
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

void BM_ConvertFiveMinuteMp3(benchmark::State& state)
{
    Fixture& f = fixture();
    if (!f.problem.empty()) {
        state.SkipWithError(f.problem.c_str());
        return;
    }
    const std::string target = f.folder + "/music.mp2";
    for (auto _ : state) {
        if (f.convert(f.mp3.c_str(), target.c_str(), nullptr) != XTOMP2_OK) {
            state.SkipWithError("conversion failed");
            return;
        }
    }
    state.counters["x_realtime"] = benchmark::Counter(
        kSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvertFiveMinuteMp3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlayingTimeOfFiveMinuteMp3(benchmark::State& state)
{
    Fixture& f = fixture();
    if (!f.problem.empty()) {
        state.SkipWithError(f.problem.c_str());
        return;
    }
    for (auto _ : state) {
        if (f.timeLength(f.mp3.c_str()) != static_cast<int>(kSeconds)) {
            state.SkipWithError("wrong playing time");
            return;
        }
    }
    state.counters["x_realtime"] = benchmark::Counter(
        kSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlayingTimeOfFiveMinuteMp3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
