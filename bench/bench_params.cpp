// The parameter-change handling through the fake plug-in core:
// - every value of every sound parameter of the 16 parts edited through the framework's
//   editor path: the plug lock, the value display with an editor open, the rule chain, the
//   page switcher, the recorded send and the link handling;
// - the main-tab and quick-tab switches over the editor's full layer tree, every tab with
//   each part.
// Each reports the median and the 99th percentile of one call.
#include "src/params/TabSwitchFunctions.h"
#include "tests/support/EditorLayerTree.h"
#include "tests/support/FakeParamChangePlugin.h"
#include "tests/support/ScaledClock.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double microsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void report(benchmark::State& state, std::vector<double>& micros, const char* unit) {
    std::sort(micros.begin(), micros.end());
    state.counters[unit] = double(micros.size());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    state.counters["max_us"] = micros.back();
}

void BM_SoundParameterEdits(benchmark::State& state) {
    testsupport::FakeParamChangePlugin fake;
    for (int id = 0; id < kNumAutomatedParams; ++id)
        fake.addAction(id);
    std::vector<double> micros;
    micros.reserve(size_t(kNumAutomatedParams) * 128);
    for (auto _ : state) {
        micros.clear();
        for (int id = 0; id < kNumAutomatedParams; ++id) {
            // 1 to 127, then 0: each edit changes the value, so each one dispatches.
            for (int step = 1; step <= 128; ++step) {
                const auto start = Clock::now();
                fake.edit(id, step % 128);
                micros.push_back(microsSince(start));
            }
        }
    }
    report(state, micros, "edits");
}
BENCHMARK(BM_SoundParameterEdits)->Unit(benchmark::kMillisecond)->Iterations(1);

// Argument 0: mainTabSwitch; 1: quickTabSwitch on the page the main switch chose. The pattern
// page's quick switch sends, and waits on a clock that does not sleep.
void BM_TabSwitches(benchmark::State& state) {
    const bool quick = state.range(0) == 1;
    testsupport::ManualClock clock;
    testsupport::FakeParamChangePlugin fake;
    testsupport::EditorLayerTree tree(fake);
    std::vector<double> micros;
    for (auto _ : state) {
        for (int tab = 0; tab <= 6; ++tab) {
            for (int part = 0; part < 16; ++part) {
                if (quick) TabSwitchFunctions::mainTabSwitch(&fake, kMainTab, tab, 0, 0);
                fake.setValue(kQuickTab, part);
                const auto start = Clock::now();
                if (quick)
                    TabSwitchFunctions::quickTabSwitch(&fake, kQuickTab, part, 0, false);
                else
                    TabSwitchFunctions::mainTabSwitch(&fake, kMainTab, tab, 0, part);
                micros.push_back(microsSince(start));
            }
        }
        fake.jobs.clear();
        fake.coreCalls.clear();
    }
    report(state, micros, "switches");
}
BENCHMARK(BM_TabSwitches)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
