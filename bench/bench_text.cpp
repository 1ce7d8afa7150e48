// Text drawn on every repaint: a 20-character label through a drawing context, glyphs cached.
#include "kit/winl/winl-gdi-text.h"

#include <benchmark/benchmark.h>

namespace {
constexpr const char* kLabel = "Filter 1 Cutoff: 127"; // 20 characters
}

static void BM_ContextDrawTextLabel(benchmark::State& state) {
    HDC dc = WINL_CreateMemContext(nullptr, 256, 32);
    HFONT font = CreateFont(13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "NK57 Monospace");
    SelectObject(dc, font);
    SetTextColor(dc, 0xFFAD00);
    RECT r{0, 0, 256, 32};
    WINL_DrawText(dc, kLabel, -1, &r, DT_VCENTER | DT_NOCLIP); // warms the glyph cache
    for (auto _ : state) {
        RECT box{0, 0, 256, 32};
        benchmark::DoNotOptimize(WINL_DrawText(dc, kLabel, -1, &box, DT_VCENTER | DT_NOCLIP));
    }
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(3));
    DeleteObject(font);
    WINL_DeleteGfxContext(dc);
}
BENCHMARK(BM_ContextDrawTextLabel)->Iterations(10000);
