// A graph's sampling: the cost of a sample (four curves, each read from the
// sample ring through the box setup at its own due time), and how late a
// sample reaches its curve after its due time when the sampling thread
// runs (median and worst; by design up to one sleep of at least 250 ms,
// since samples missed while asleep are taken at the next wake-up).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "box/SampleRing.h"
#include "box/SensorSetup.h"
#include "project/Graph.h"

namespace {

constexpr uint32_t kFrameMs = 20;

// The ring as 50 frames a second of a box would leave it, ending now.
void FillRing() {
    SampleRing& ring = TheSampleRing();
    const uint32_t now = BoxMilliseconds();
    for (uint32_t i = 0; i < kSampleSlots; ++i) {
        SampleSlot& slot = ring.slots[i];
        slot.stamp = now - (kSampleSlots - 1 - i) * kFrameMs;
        for (auto& raw : slot.raw) raw = static_cast<int32_t>(i % 1024);
    }
    ring.writeIndex = 0;
}

CSetupData& Setup() {
    static CSetupData setup(nullptr);
    static std::once_flag named;
    std::call_once(named, [] {
        const char* names[] = {"door", "eye", "heat", "arm"};
        for (int input = 0; input < 4; ++input) setup.SetPortName(input, names[input]);
    });
    return setup;
}

void BM_SamplePerCurve(benchmark::State& state) {
    FillRing();
    CSetupData& setup = Setup();
    const CurveReader reader = [&](const std::string& source, uint32_t time) {
        return setup.ReadingByName(source, time);
    };
    CGraph graph;
    graph.curveFunctions = {"door", ".eye", "heat", "arm"};
    graph.SetInterval(0.2);  // a sample every 20 ms: 100 due in the ring's span
    const uint32_t now = BoxMilliseconds();
    for (auto _ : state) {
        for (int c = 0; c < 4; ++c) graph.ClearCurve(c);
        graph.SetNextSampleTime(now - 99 * graph.StepMs());
        benchmark::DoNotOptimize(graph.TakeDueSamples(now, reader));
    }
    state.SetItemsProcessed(state.iterations() * 400);
}
BENCHMARK(BM_SamplePerCurve);

// Interval 2.5 (one sample a 250 ms sleep) and interval 1 (two or three a
// wake-up); the figure is the time from a sample's due time to its read.
void BM_DueToCurve(benchmark::State& state) {
    const double interval = static_cast<double>(state.range(0)) / 10;
    const int samples = 16;
    std::vector<double> lateness;
    for (auto _ : state) {
        std::mutex lock;
        std::atomic<int> taken{0};
        CGraph graph;
        graph.curveFunctions[0] = "door";
        graph.SetInterval(interval);
        graph.Activate(true, [&](const std::string& source, uint32_t due) {
            const double late = static_cast<int32_t>(BoxMilliseconds() - due);
            {
                std::lock_guard<std::mutex> hold(lock);
                lateness.push_back(late);
            }
            ++taken;
            return Setup().ReadingByName(source, due);
        });
        while (taken < samples) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        graph.Activate(false);
    }
    std::sort(lateness.begin(), lateness.end());
    state.counters["median_ms"] = lateness[lateness.size() / 2];
    state.counters["worst_ms"] = lateness.back();
}
BENCHMARK(BM_DueToCurve)->Arg(25)->Arg(10)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
