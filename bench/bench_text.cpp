// Text drawn on every repaint: a 20-character label through a drawing context and through a
// cached font, glyphs cached in both, and the ratio of the two measured in the same run.
#include "kit/rast/RAST_CachedFont.h"
#include "kit/rast/RAST_SysBitmap.h"
#include "kit/winl/winl-gdi-text.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

constexpr const char* kLabel = "Filter 1 Cutoff: 127"; // 20 characters
constexpr int kWidth = 256, kHeight = 32;

HFONT labelFont() {
    return CreateFont(13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "NK57 Monospace");
}

// A context with the label's font and colour selected.
struct ContextLabel {
    ContextLabel() : dc(WINL_CreateMemContext(nullptr, kWidth, kHeight)), font(labelFont()) {
        SelectObject(dc, font);
        SetTextColor(dc, 0xFFAD00);
        draw(); // fills the glyph cache
    }
    ~ContextLabel() {
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(3));
        DeleteObject(font);
        WINL_DeleteGfxContext(dc);
    }
    int draw() {
        RECT r{0, 0, kWidth, kHeight};
        return WINL_DrawText(dc, kLabel, -1, &r, DT_VCENTER | DT_NOCLIP);
    }
    HDC dc;
    HFONT font;
};

// A cached font drawing with its glyphs (as for text whose colour is translucent).
struct CachedLabel {
    CachedLabel() : bitmap(kWidth, kHeight) {
        font.SetFromHFont(labelFont(), RAST_FONT_OWNS_HFONT);
        font.SetTextColor(RAST_MakePixel(255, 173, 0, 255));
        draw(); // fills the glyph cache
    }
    int draw() {
        RECT r{0, 0, kWidth, kHeight};
        return font.DrawText(&bitmap, kLabel, -1, &r, DT_VCENTER | DT_NOCLIP);
    }
    RAST_SysBitmap bitmap;
    RAST_CachedFont font;
};

} // namespace

static void BM_ContextDrawTextLabel(benchmark::State& state) {
    ContextLabel label;
    for (auto _ : state)
        benchmark::DoNotOptimize(label.draw());
}
BENCHMARK(BM_ContextDrawTextLabel)->Iterations(10000);

static void BM_CachedFontDrawTextLabel(benchmark::State& state) {
    CachedLabel label;
    for (auto _ : state)
        benchmark::DoNotOptimize(label.draw());
}
BENCHMARK(BM_CachedFontDrawTextLabel)->Iterations(10000);

// Both paths in turn, 100 calls each per iteration: the counters give each path's time per
// call and how many times slower the context path is.
static void BM_ContextOverCachedFontRatio(benchmark::State& state) {
    ContextLabel context;
    CachedLabel cached;
    using Clock = std::chrono::steady_clock;
    Clock::duration contextTime{}, cachedTime{};
    int64_t calls = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int i = 0; i < 100; ++i)
            benchmark::DoNotOptimize(context.draw());
        const auto t1 = Clock::now();
        for (int i = 0; i < 100; ++i)
            benchmark::DoNotOptimize(cached.draw());
        cachedTime += Clock::now() - t1;
        contextTime += t1 - t0;
        calls += 100;
    }
    const auto ns = [calls](Clock::duration d) {
        return double(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count()) / calls;
    };
    state.counters["context_ns"] = ns(contextTime);
    state.counters["cached_ns"] = ns(cachedTime);
    state.counters["ratio"] = ns(contextTime) / ns(cachedTime);
}
BENCHMARK(BM_ContextOverCachedFontRatio)->Iterations(100);
