// One exchange through the kernel's hidraw against a board (in the tests, the
// virtual board on uhid): time per exchange, exchanges per second, and the
// system calls each takes, counted by the kernel in /proc/self/io.
#include "device.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

// Read and write system calls of this process so far.
long systemCalls() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long value = 0, total = 0;
    while (io >> key >> value)
        if (key == "syscr:" || key == "syscw:") total += value;
    return total;
}

void HidrawExchange(benchmark::State& state) {
    DeviceList list;
    UsbDevice usb;
    if (list.find() == 0 || usb.open(list.first()->path) == nullptr) {
        state.SkipWithError("no board");
        return;
    }
    int j1 = 0, j2 = 0;
    const int batch = 1000;
    long before = systemCalls();
    for (int i = 0; i < batch; ++i) usb.exchangePorts(0xFF, 0xFF, &j1, &j2);
    // The reading of /proc/self/io itself takes a few read calls.
    long idle = systemCalls();
    long reading = systemCalls() - idle;
    double callsPerExchange = static_cast<double>(idle - before - reading) / batch;
    for (auto _ : state) {
        if (!usb.exchangePorts(0xFF, 0xFF, &j1, &j2)) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    state.counters["exchanges_per_s"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["system_calls_per_exchange"] = callsPerExchange;
}
BENCHMARK(HidrawExchange)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
