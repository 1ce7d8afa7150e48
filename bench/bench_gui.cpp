// The editor's control tree at the size of the plug-in's layout (about 2,400 controls in 60
// pages of 40, most pages hidden): the redraw timer's dirty scan, and showing values set by
// the plug-in, which walks every control once per parameter.
#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphics.h"

#include "tests/support/TestControl.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kParams = 18818;
constexpr int kPages = 60;
constexpr int kControlsPerPage = 40;

struct Editor {
    Editor() : plug(kParams, kParams), g(new testsupport::TestGraphics(&plug, 1500, 757)) {
        plug.InitMixedParams();
        plug.AttachGraphics(g);
        for (int p = 0; p < kPages; ++p) {
            auto* page = new ControlLayer(p, "page");
            g->AttachLayer(page);
            for (int i = 0; i < kControlsPerPage; ++i) {
                const int x = (i % 10) * 150, y = (i / 10) * 180;
                page->addControl(new testsupport::TestControl(&plug, IRECT(x, y, x + 40, y + 40),
                                                              (p * kControlsPerPage + i) * 7));
            }
            page->Hide(p % 6 != 0); // one page in six shown
        }
        IRECT all(0, 0, 1500, 757);
        g->Draw(&all);
        g->Draw(&all);
    }
    testsupport::TestEffect plug;
    testsupport::TestGraphics* g;
};

Editor& editor() {
    static Editor* e = new Editor;
    return *e;
}

void BM_DirtyScan(benchmark::State& state) {
    Editor& e = editor();
    for (auto _ : state) {
        IRECT r;
        benchmark::DoNotOptimize(e.g->IsDirty(&r));
    }
}
BENCHMARK(BM_DirtyScan);

void BM_SetParameterFromPlug(benchmark::State& state) {
    Editor& e = editor();
    double v = 0.0;
    for (auto _ : state) {
        v = v > 0.9 ? 0.0 : v + 0.01;
        e.g->SetParameterFromPlug(7 * 100, v, true);
    }
}
BENCHMARK(BM_SetParameterFromPlug);

// What opening a project or attaching the editor costs: every parameter shown once.
void BM_ShowEveryParameter(benchmark::State& state) {
    Editor& e = editor();
    for (auto _ : state)
        e.plug.RedrawParamControls();
}
BENCHMARK(BM_ShowEveryParameter)->Unit(benchmark::kMillisecond);

} // namespace
