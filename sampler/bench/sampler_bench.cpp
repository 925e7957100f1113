// Long runs of the simulated build of the sampler, as a user starts it:
// the time per reading, and the process's peak memory, which should not
// grow with the number of readings.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

// Runs "sampler /cN /t0" with its output discarded; returns its peak RSS in KiB.
long runSampler(long readings) {
    std::string count = "/c" + std::to_string(readings);
    pid_t pid = fork();
    if (pid == 0) {
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        execl(SAMPLER_PATH, "sampler", count.c_str(), "/t0", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return usage.ru_maxrss;
}

void LongRun(benchmark::State& state) {
    long peak = 0;
    for (auto _ : state) {
        long rss = runSampler(state.range(0));
        if (rss < 0) {
            state.SkipWithError("the sampler failed");
            break;
        }
        peak = std::max(peak, rss);
    }
    state.counters["readings_per_s"] =
        benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["ns_per_reading"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                          benchmark::Counter::kIsIterationInvariantRate |
                                                              benchmark::Counter::kInvert);
    state.counters["peak_rss_KiB"] = static_cast<double>(peak);
}
BENCHMARK(LongRun)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
