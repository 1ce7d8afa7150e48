// Costs of the windowing layer's services that run often: the millisecond clock of the MIDI
// timing code and reads of an unchanged profile file (one stat each, the parse is cached).
#include "kit/winl/winl-ini.h"
#include "kit/winl/winl.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

static void BM_GetTickCount(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(GetTickCount());
}
BENCHMARK(BM_GetTickCount);

static void BM_ProfileReadCached(benchmark::State& state) {
    const std::string file = "/tmp/winl-bench-" + std::to_string(getpid()) + ".ini";
    for (int i = 0; i < 200; ++i)
        WritePrivateProfileString("section", ("key" + std::to_string(i)).c_str(), "value",
                                  file.c_str());
    char buf[64];
    for (auto _ : state)
        benchmark::DoNotOptimize(
            GetPrivateProfileString("section", "key150", "", buf, sizeof buf, file.c_str()));
    unlink(file.c_str());
}
BENCHMARK(BM_ProfileReadCached);
