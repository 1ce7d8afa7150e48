// The plug-in's audio callback on the build's editor, per block of 256 and 1,024 frames: idle,
// with 16 part indicators lit, with 16 going out, and with 500 queued messages due later.
#include "kit/effect/IMidiMsg.h"
#include "src/core/Zoz.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/ScaledClock.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

// Time stands still unless a benchmark moves it: lit indicators stay lit.
testsupport::ManualClock& clock() {
    static testsupport::ManualClock c;
    return c;
}

// An output is chosen, with no port behind it: what the block sends goes nowhere.
Zoz& plug() {
    static Zoz* p = [] {
        clock();
        char folder[] = "/tmp/zoz-bench-block-XXXXXX";
        if (!mkdtemp(folder)) abort();
        setenv("ZOZ_DATA_DIR", (std::string(folder) + "/").c_str(), 1);
        setenv("ZOZ_RESOURCES_DIR", ZOZ_BUILT_RESOURCES, 1);
        auto* z = new Zoz(IEffectInstanceInfo{});
        z->setMIDIIOSet(true);
        z->ProcessDoubleReplacing(nullptr, nullptr, 256);
        return z;
    }();
    return *p;
}

void block(benchmark::State& state) {
    const int frames = int(state.range(0));
    for (auto _ : state)
        plug().ProcessDoubleReplacing(nullptr, nullptr, frames);
}

void BM_BlockIdle(benchmark::State& state) {
    block(state);
}
BENCHMARK(BM_BlockIdle)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);

void BM_BlockIndicatorsLit(benchmark::State& state) {
    for (int part = 0; part < 16; ++part)
        plug().lightPartIndicator(part);
    block(state);
    clock().AdvanceMillis(101);
    plug().ProcessDoubleReplacing(nullptr, nullptr, 1);
}
BENCHMARK(BM_BlockIndicatorsLit)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);

void BM_BlockIndicatorsGoingOut(benchmark::State& state) {
    const int frames = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        for (int part = 0; part < 16; ++part)
            plug().lightPartIndicator(part);
        clock().AdvanceMillis(101);
        state.ResumeTiming();
        plug().ProcessDoubleReplacing(nullptr, nullptr, frames);
    }
}
BENCHMARK(BM_BlockIndicatorsGoingOut)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);

void BM_BlockQueuedLater(benchmark::State& state) {
    plug().setToHostBuffer(true);
    plug().setDawBufferSamples(int(state.range(0)));
    for (int i = 0; i < 500; ++i) {
        IMidiMsg msg(2000000000 + i, 0x90, 60, 100);
        plug().MIDIOutRoutingSwitch(&msg);
    }
    block(state);
    plug().setToHostBuffer(false);
    plug().ProcessDoubleReplacing(nullptr, nullptr, 1); // drops them
}
BENCHMARK(BM_BlockQueuedLater)->Arg(256)->Arg(1024)->Unit(benchmark::kMicrosecond);

} // namespace
