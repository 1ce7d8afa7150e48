// Costs of the windowing layer's services that run often: the millisecond clock of the MIDI
// timing code, reads of an unchanged profile file (one stat each, the parse is cached), and
// the one-pass paint of a window of many window views.
#include "kit/winl/winl-gdi-shapes.h"
#include "kit/winl/winl-ini.h"
#include "kit/winl/winl-wnd.h"
#include "kit/winl/winl.h"
#include "platform/wsys/Application.h"

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

namespace {

LRESULT fillProc(HWND hwnd, unsigned int msg, WPARAM, LPARAM) {
    if (msg != WM_PAINT) return 0;
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    static HGDIOBJ brush = CreateSolidBrush(0x3060A0);
    WINL_FillRect(hdc, &ps.rcPaint, brush);
    EndPaint(hwnd, &ps);
    return 0;
}

} // namespace

// 400 window views of 40 x 30 in a 20 x 20 grid; range(0): 1 repaints one of them, 0 the
// whole window.
static void BM_OnePassPaint(benchmark::State& state) {
    namespace wsys = platform::wsys;
    wsys::App().Reset();
    auto window = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 800, 600), 0);
    auto content = Winl_vZoz_hwnd::initChild(nullptr, window.get(), fillProc, 0);
    content->SetHidden(false);
    std::vector<wsys::Ref<Winl_vZoz_hwnd>> children;
    for (int i = 0; i < 400; ++i) {
        children.push_back(Winl_vZoz_hwnd::initChild(nullptr, content.get(), fillProc, 0));
        children.back()->SetFrame(wsys::Rect(i % 20 * 40, i / 20 * 30, 40, 30));
        children.back()->SetHidden(false);
    }
    window->OrderFront();
    window->Display();
    HWND target = state.range(0) ? HWND(children[210].get()) : HWND(content.get());
    for (auto _ : state) {
        InvalidateRect(target, nullptr, 0);
        window->DisplayIfNeeded();
    }
    children.clear();
    content = nullptr;
    window = nullptr;
    wsys::App().Reset();
}
BENCHMARK(BM_OnePassPaint)->Arg(1)->Arg(0);
