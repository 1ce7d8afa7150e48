// The SysEx knobs of the editor's layout: about 6,000 of 128 values each, in 16 part copies
// of 375, every knob at an address of its own. Measures the time the factory takes for all of
// them and the heap each knob holds (control, record, messages and map entries).
#include "bench/SoundTemplates.h"
#include "tests/uiconfig/ConfigEditor.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

namespace {

constexpr int kParts = 16;
constexpr int kKnobsPerPart = 375;
constexpr int kValues = 128;

void BM_SysExKnobs(benchmark::State& state) {
    const std::string sysex = soundTemplates(kKnobsPerPart);
    size_t held = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto editor = std::make_unique<ConfigEditor>(sysex);
        std::vector<std::unique_ptr<ControlLayer>> layers;
        const size_t before = mallinfo2().uordblks;
        state.ResumeTiming();
        for (int part = 0; part < kParts; ++part) {
            layers.push_back(std::make_unique<ControlLayer>(part, "part"));
            for (int k = 0; k < kKnobsPerPart; ++k)
                editor->manager.createSysExKnobControl(
                    "Knob", k * kParts + part, 10, 10, ConfigEditor::kKnobImage, 0, 0, kValues - 1,
                    k, 8, part, {}, layers.back().get(), "Sound");
        }
        state.PauseTiming();
        held = mallinfo2().uordblks - before;
        layers.clear();
        editor.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_knob"] = double(held) / (kParts * kKnobsPerPart);
}
BENCHMARK(BM_SysExKnobs)->Unit(benchmark::kMillisecond);

} // namespace
