// The Linux editor in a host window on an X display (skipped without one): a redraw tick that
// repaints one 48 × 48 knob and puts it, and a full repaint and put of a populated 1500 × 757
// editor. Run once as is (shared memory) and once with ZOZ_X11_SHARED_MEMORY=0 (XPutImage).
// Times are taken on the editor thread around the view's own calls.
#include "bench/KnobStrip.h"
#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IGraphicsLinux.h"
#include "kit/effect/IKnobMultiControl.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "tests/support/TestEffect.h"

#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <future>

namespace {

// 400 knobs drawn with source alpha and 300 captions of 13 pixels over a panel, shown in a
// host window.
struct ShownEditor {
    ShownEditor() : plug(2, 0) {
        plug.GetParam(0)->InitDouble("Cutoff", 64.0, 0.0, 127.0, 1.0, "Hz");
        plug.GetParam(1)->InitDouble("Knob", 0.0, 0.0, 1.0, 0.0);
        g = new IGraphicsLinux(&plug, 1500, 757);
        plug.AttachGraphics(g);
        const IColor panel(255, 30, 32, 36);
        g->AttachPanelBackground(&panel);
        auto* frames = new RAST_MemBitmap(48, 48 * 65);
        paintKnobStrip(frames);
        const IBitmap strip{frames, 48, 48 * 65, 65, false};
        g->RetainBitmap(&strip);
        for (int i = 0; i < 400; ++i) {
            auto* c = new IKnobMultiControl(&plug, (i % 30) * 50, (i / 30) * 56, i ? 0 : 1, &strip);
            c->SetValueFromPlug(i / 400.0);
            g->AttachControl(c);
        }
        IText caption;
        caption.mSize = 13;
        for (int i = 0; i < 300; ++i) {
            const int x = (i % 20) * 75, y = (i / 20) * 50;
            g->AttachControl(
                new ICaptionControl(&plug, IRECT(x, y, x + 70, y + 15), 0, &caption, true));
        }
        knob = g->GetControl(1);
        display = XOpenDisplay(nullptr);
        if (!display) return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1500, 757, 0, 0, 0);
        XMapWindow(display, window);
        XSync(display, False);
        view = static_cast<platform::View*>(g->OpenWindow(reinterpret_cast<void*>(window)));
    }
    // Runs f on the editor thread and returns its duration in seconds.
    double timeOnEditor(const std::function<void()>& f) {
        std::promise<double> took;
        view->Post([&] {
            const auto start = std::chrono::steady_clock::now();
            f();
            took.set_value(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        });
        return took.get_future().get();
    }

    testsupport::TestEffect plug;
    IGraphicsLinux* g;
    IControl* knob;
    Display* display = nullptr;
    Window window = 0;
    platform::View* view = nullptr;
};

ShownEditor* editor(benchmark::State& state) {
    static ShownEditor* e = new ShownEditor;
    if (!e->view) state.SkipWithError("no X display");
    return e->view ? e : nullptr;
}

void BM_TickRepaintsOneKnob(benchmark::State& state) {
    ShownEditor* e = editor(state);
    if (!e) return;
    platform::ViewClient& client = *e->g;
    double v = 0.0;
    for (auto _ : state) {
        v = v > 0.9 ? 0.0 : v + 0.05;
        state.SetIterationTime(e->timeOnEditor([&] {
            KIT_MutexLock lock(e->plug.GetMutex());
            e->knob->SetValueFromPlug(v);
            client.OnViewTick(*e->view);
        }));
    }
}
BENCHMARK(BM_TickRepaintsOneKnob)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_FullRepaintAndPut(benchmark::State& state) {
    ShownEditor* e = editor(state);
    if (!e) return;
    platform::ViewClient& client = *e->g;
    for (auto _ : state)
        state.SetIterationTime(e->timeOnEditor([&] {
            client.OnViewExpose(*e->view, 0, {0, 0, 1500, 757});
        }));
}
BENCHMARK(BM_FullRepaintAndPut)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
