// The plug-in's whole parameter state (18,818 values of mixed kinds, all hidden from the host as
// in the plug-in) written to and read from a chunk.
#include "kit/effect/IEffectBase.h"

#include "tests/support/TestEffect.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kParams = 18818;

testsupport::TestEffect& plug() {
    static testsupport::TestEffect* p = [] {
        auto* e = new testsupport::TestEffect(kParams, kParams);
        e->InitMixedParams();
        e->Scramble(7);
        return e;
    }();
    return *p;
}

void BM_SerializeState(benchmark::State& state) {
    ByteChunk chunk;
    for (auto _ : state) {
        chunk.Clear();
        benchmark::DoNotOptimize(plug().SerializeState(&chunk));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kParams * 8);
}
BENCHMARK(BM_SerializeState)->Unit(benchmark::kMicrosecond);

void BM_UnserializeState(benchmark::State& state) {
    ByteChunk chunk;
    plug().SerializeState(&chunk);
    for (auto _ : state)
        benchmark::DoNotOptimize(plug().UnserializeState(&chunk, 0));
    state.SetBytesProcessed(int64_t(state.iterations()) * kParams * 8);
}
BENCHMARK(BM_UnserializeState)->Unit(benchmark::kMicrosecond);

} // namespace
