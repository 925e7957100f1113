// One exchange on the simulated bus, and discovery over many interfaces,
// with the platform calls and heap allocations each takes.
#include "allocations.h"
#include "device.h"
#include "sim.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using sim::bus;

void Exchange(benchmark::State& state) {
    sim::reset();
    bus().recordTraffic = false;
    bus().add(L"board");
    UsbDevice usb;
    usb.open(L"board");
    int j1 = 0, j2 = 0;
    usb.exchangePorts(0xFF, 0xFF, &j1, &j2);  // sizes the bus's report queue

    // Counted over a batch of its own, apart from the framework's timing loop.
    const int batch = 10000;
    int calls = bus().platformCalls;
    long allocations = heapAllocations();
    for (int i = 0; i < batch; ++i) usb.exchangePorts(0xFF, 0xFF, &j1, &j2);
    double callsPerExchange = (bus().platformCalls - calls) / double(batch);
    double allocationsPerExchange = static_cast<double>(heapAllocations() - allocations) / batch;
    state.counters["platform_calls_per_exchange"] = callsPerExchange;
    state.counters["allocations_per_exchange"] = allocationsPerExchange;

    for (auto _ : state) {
        bool ok = usb.exchangePorts(0xFF, 0xFF, &j1, &j2);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(Exchange);

// Half of the interfaces are boards, half other HID devices.
void Find(benchmark::State& state) {
    sim::reset();
    bus().recordTraffic = false;
    const int interfaces = static_cast<int>(state.range(0));
    for (int i = 0; i < interfaces; ++i) {
        sim::Interface& device = bus().add(L"\\\\?\\hid#vid_1352&pid_0120#" + std::to_wstring(i) +
                                           L"#{4d1e55b2-f16f-11cf-88cb-001111000030}");
        if (i % 2 == 1) device.vendorId = 0x845e;
    }
    int calls = bus().platformCalls;
    long allocations = heapAllocations();
    for (auto _ : state) {
        DeviceList list;
        benchmark::DoNotOptimize(list.find());
    }
    double perInterface = static_cast<double>(state.iterations()) * interfaces;
    double callsPerInterface = (bus().platformCalls - calls) / perInterface;
    double allocationsPerInterface = static_cast<double>(heapAllocations() - allocations) / perInterface;
    state.counters["platform_calls_per_interface"] = callsPerInterface;
    state.counters["allocations_per_interface"] = allocationsPerInterface;
    state.SetComplexityN(state.range(0));
}
BENCHMARK(Find)->Arg(1)->Arg(10)->Arg(100)->Arg(1000)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
