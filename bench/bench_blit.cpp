// Blits of a whole editor surface (1724 x 870), in megapixels per second and as a multiple of
// the time memcpy takes for the same bytes in the same run.
#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "kit/rast/RAST_SysBitmap.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 1724, kHeight = 870;
constexpr size_t kBytes = size_t(kWidth) * kHeight * 4;

double secondsOf(const std::chrono::steady_clock::duration& d) {
    return std::chrono::duration<double>(d).count();
}

// Seconds one memcpy of the surface's bytes takes, best of a few.
double memcpySeconds() {
    static std::vector<unsigned char> from(kBytes, 1), to(kBytes);
    double best = 1e9;
    for (int i = 0; i < 20; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        memcpy(to.data(), from.data(), kBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        best = std::min(best, secondsOf(std::chrono::steady_clock::now() - t0));
    }
    return best;
}

// An image with every alpha from transparent to opaque across it, as anti-aliased artwork has.
void fillImage(RAST_IBitmap& bm) {
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            bm.getBits()[y * bm.getRowSpan() + x] =
                RAST_MakePixel(x & 255, y & 255, (x + y) & 255, (x * 7 + y * 13) & 255);
}

// Times the loop itself, so that both figures come from the same span.
template <class Body> void measure(benchmark::State& state, Body body) {
    const double reference = memcpySeconds();
    const auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) {
        body();
        benchmark::ClobberMemory();
    }
    const double perRun =
        secondsOf(std::chrono::steady_clock::now() - t0) / double(state.iterations());
    state.counters["Mpix/s"] = double(kWidth) * kHeight / perRun / 1e6;
    state.counters["x_memcpy"] = perRun / reference;
}

void runBlit(benchmark::State& state, float alpha, int mode) {
    RAST_MemBitmap image(kWidth, kHeight, 4);
    RAST_SysBitmap surface(kWidth, kHeight);
    fillImage(image);
    fillImage(surface);
    measure(state, [&] { RAST_Blit(&surface, &image, 0, 0, nullptr, alpha, mode); });
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<unsigned char> from(kBytes, 1), to(kBytes);
    measure(state, [&] { memcpy(to.data(), from.data(), kBytes); });
}

void BM_BlitCopy(benchmark::State& state) {
    runBlit(state, 1.0f, 0);
}
// The editor's default: images blended by their own alpha.
void BM_BlitSourceAlpha(benchmark::State& state) {
    runBlit(state, 1.0f, 0x10000);
}
// A whole image faded to three quarters.
void BM_BlitGlobalAlpha(benchmark::State& state) {
    runBlit(state, 0.75f, 0);
}
void BM_BlitAddSourceAlpha(benchmark::State& state) {
    runBlit(state, 1.0f, 0x10001);
}

} // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlitCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlitSourceAlpha)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlitGlobalAlpha)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BlitAddSourceAlpha)->Unit(benchmark::kMillisecond);
