#pragma once

// Timing helpers shared by the benchmarks that compare a run with the ffmpeg command line.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/resource.h>

namespace pictavo::bench {

// Processor seconds (user + system) of this process (RUSAGE_SELF) or of its finished children
// (RUSAGE_CHILDREN).
inline double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs a shell command once per benchmark iteration and hands each run's wall and processor
// seconds to record(wall, cpu). A failing command ends the benchmark with an error.
template <typename Record>
void runTimedCommand(benchmark::State& state, const std::string& command, Record record)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = cpuSeconds(RUSAGE_CHILDREN);
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the ffmpeg command failed");
            return;
        }
        record(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
               cpuSeconds(RUSAGE_CHILDREN) - cpuStart);
    }
}

} // namespace pictavo::bench
