// Every value of every sound parameter of the 16 parts edited through the framework's editor
// path: the plug lock, the value display with an editor open, the rule chain, the page
// switcher, the recorded send and the link handling. Reports the median and the 99th
// percentile of one edit.
#include "tests/support/FakeParamChangePlugin.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

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
                const auto start = std::chrono::steady_clock::now();
                fake.edit(id, step % 128);
                const auto end = std::chrono::steady_clock::now();
                micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
            }
        }
    }
    std::sort(micros.begin(), micros.end());
    state.counters["edits"] = double(micros.size());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    state.counters["max_us"] = micros.back();
}
BENCHMARK(BM_SoundParameterEdits)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
