// The editor's control tree at the size of the plug-in's layout (about 2,400 controls in 60
// pages of 40, most pages hidden): the redraw timer's dirty scan, and showing values set by
// the plug-in, which walks every control once per parameter. Then the drawing: a full repaint
// of a populated editor, and the start-up preload of the image table by a first and a second
// instance.
#include "kit/effect/ControlLayer.h"
#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/IKnobMultiControl.h"

#include "tests/support/TestControl.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include "bench/KnobStrip.h"

#include <benchmark/benchmark.h>

#include <cmath>

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

// ---- Drawing

// The editor at the normal size: the background, 400 knobs of 48 × 48 drawn with source alpha
// and 300 value captions of 13 pixels.
struct PopulatedEditor {
    PopulatedEditor() : plug(4, 0), g(new testsupport::TestGraphics(&plug, 1500, 757)) {
        plug.GetParam(0)->InitDouble("Cutoff", 64.0, 0.0, 127.0, 1.0, "Hz");
        plug.AttachGraphics(g);
        g->AddImage(9000, 1500, 757, RAST_MakePixel(30, 32, 36, 255));
        g->AttachBackground(9000, "bg.png", 1.0);
        paintKnobStrip(g->AddImage(9001, 48, 48 * 65, 0));
        const IBitmap knob = g->LoadIBitmap(9001, "knob.png", 1.0, 65, false);
        for (int i = 0; i < 400; ++i) {
            auto* c = new IKnobMultiControl(&plug, (i % 30) * 50, (i / 30) * 56, 0, &knob);
            c->SetValueFromPlug(i / 400.0);
            g->AttachControl(c);
        }
        IText caption;
        strcpy(caption.mFont, "NK57 Monospace");
        caption.mSize = 13;
        for (int i = 0; i < 300; ++i) {
            const int x = (i % 20) * 75, y = (i / 20) * 50;
            g->AttachControl(
                new ICaptionControl(&plug, IRECT(x, y, x + 70, y + 15), 0, &caption, true));
        }
    }
    testsupport::TestEffect plug;
    testsupport::TestGraphics* g;
};

void BM_FullRepaint(benchmark::State& state) {
    static PopulatedEditor* e = new PopulatedEditor;
    IRECT all(0, 0, 1500, 757);
    for (auto _ : state)
        e->g->Draw(&all);
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond);

// 279 stand-ins for the image table: a main background, 30 panels, 60 knob strips of 33 frames
// and 188 two-frame buttons and lights. Decoding is a copy of the stand-in.
struct ImageTable {
    ImageTable() : plug(1, 0), g(&plug) {
        int id = 10000;
        g.AddImage(id++, 1500, 757, 0x808080FF);
        for (int i = 0; i < 30; ++i)
            g.AddImage(id++, 400, 300, 0x606060FF);
        for (int i = 0; i < 60; ++i)
            paintKnobStrip(g.AddImage(id++, 48, 48 * 33, 0));
        for (int i = 0; i < 188; ++i)
            g.AddImage(id++, 40, 40, 0x20A040C0);
    }
    void preload(testsupport::TestGraphics& into) {
        for (const auto& image : g.images)
            into.LoadIBitmap(image.first, "", 1.15, 1, false);
    }
    void release(testsupport::TestGraphics& from) {
        for (const auto& image : g.images)
            from.ReleaseBitmapById(image.first);
    }
    testsupport::TestEffect plug;
    testsupport::TestGraphics g;
};

ImageTable& imageTable() {
    static ImageTable* t = new ImageTable;
    return *t;
}

void BM_PreloadFirstInstance(benchmark::State& state) {
    ImageTable& t = imageTable();
    for (auto _ : state) {
        t.preload(t.g);
        state.PauseTiming();
        t.release(t.g);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PreloadFirstInstance)->Unit(benchmark::kMillisecond);

void BM_PreloadSecondInstance(benchmark::State& state) {
    ImageTable& t = imageTable();
    t.preload(t.g);
    testsupport::TestEffect plug(1, 0);
    testsupport::TestGraphics second(&plug);
    for (auto _ : state) {
        t.preload(second);
        state.PauseTiming();
        t.release(second);
        state.ResumeTiming();
    }
    t.release(t.g);
}
BENCHMARK(BM_PreloadSecondInstance)->Unit(benchmark::kMicrosecond);

} // namespace
