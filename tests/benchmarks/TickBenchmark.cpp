// One globe tick on the headless platform with real 180 x 183 24-bit frame
// files on disk: reading and decoding the picture, and the tick's own work.
// Measured with the decoded-picture cache off (every tick reads the file)
// and on (a file provably unchanged since it was read is not read again).

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "tests/support/Scenario.h"

namespace skyroll::test {
namespace {

Scenario& settledScenario() {
    static Scenario* scenario = [] {
        auto* s = new Scenario;
        s->writeEarthIni("[SPEED]\r\nROLLSPEED=4\r\n");
        // The cache only keeps files whose change time has settled.
        std::this_thread::sleep_for(std::chrono::milliseconds(2100));
        s->start();
        s->toolkit().setRecording(false);
        return s;
    }();
    return *scenario;
}

void tick(benchmark::State& state, bool cached) {
    Scenario& s = settledScenario();
    s.toolkit().pictures().setEnabled(cached);
    for (auto _ : state) s.globe().Timer1_Timer();
    state.SetItemsProcessed(state.iterations());
}

void BM_GlobeTickReadingEveryFrame(benchmark::State& state) { tick(state, false); }
void BM_GlobeTickWithUnchangedFramesCached(benchmark::State& state) { tick(state, true); }

BENCHMARK(BM_GlobeTickReadingEveryFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GlobeTickWithUnchangedFramesCached)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace skyroll::test

BENCHMARK_MAIN();
