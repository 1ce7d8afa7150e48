// Fills and gradients over a whole editor surface (1724 x 870), and PNG decoding, in pixels
// per second.
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "kit/rast/RAST_PNGLoader.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr int kWidth = 1724, kHeight = 870;

void runFill(benchmark::State& state, float alpha, int mode) {
    RAST_MemBitmap surface(kWidth, kHeight, 4);
    RAST_Clear(&surface, RAST_MakePixel(10, 20, 30, 255));
    for (auto _ : state) {
        RAST_FillRect(&surface, 0, 0, kWidth, kHeight, RAST_MakePixel(200, 100, 50, 255), alpha,
                      mode);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void runGradient(benchmark::State& state, float alphaStart, float alphaPerColumn, int mode) {
    RAST_MemBitmap surface(kWidth, kHeight, 4);
    RAST_Clear(&surface, RAST_MakePixel(10, 20, 30, 255));
    for (auto _ : state) {
        RAST_GradRect(&surface, 0, 0, kWidth, kHeight, 0, 0.2f, 1, alphaStart, 1.0f / kWidth, 0, 0,
                      alphaPerColumn, 0, 1.0f / kHeight, 0, 0, mode);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

// A 256 x 256 image with alpha from Debian's Go sources (installed by scripts/setup --test).
void PngDecode(benchmark::State& state) {
    std::ifstream in("/usr/share/go-1.19/src/image/png/testdata/benchNRGBA-gradient.png",
                     std::ios::binary);
    const std::string png{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    RAST_MemBitmap bm(256, 256, 4);
    for (auto _ : state)
        if (!RAST_LoadPNGFromMemory(png.data(), int(png.size()), &bm)) {
            state.SkipWithError("test image missing");
            break;
        }
    state.SetItemsProcessed(state.iterations() * 256 * 256);
}

} // namespace

BENCHMARK_CAPTURE(runFill, CopyOpaque, 1.0f, 0);
BENCHMARK_CAPTURE(runFill, CopyHalfWords, 0.5f, 0);
BENCHMARK_CAPTURE(runFill, CopyBlend, 0.3f, 0);
BENCHMARK_CAPTURE(runFill, Add, 0.5f, 1);
BENCHMARK_CAPTURE(runFill, HSVAdjust, 0.5f, 5);
BENCHMARK_CAPTURE(runGradient, CopyOpaque, 1.0f, 0.0f, 0);
BENCHMARK_CAPTURE(runGradient, CopyAlphaRamp, 0.0f, 1.0f / kWidth, 0);
BENCHMARK_CAPTURE(runGradient, Overlay, 1.0f, 0.0f, 4);
BENCHMARK(PngDecode);
