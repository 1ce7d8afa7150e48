#include "kit/winl/winl-misc.h"

#include "platform/Clock.h"
#include "platform/wsys/Application.h"

#include <cmath>

namespace wsys = platform::wsys;

HWND g_winl_only_timerhwnd = nullptr;
std::atomic<bool> g_winl_terminating{false};

namespace {

bool s_rightclickemulate = false;
int s_appNapCounter = 0;
wsys::Ref<wsys::Activity> s_appNapActivity;

// An autorelease pool: the platform objects here are counted, so a pool is only a token.
class Pool : public wsys::Object {};

} // namespace

// ---------------------------------------------------------------------------------------------
// Threads, pools and running the loop

void WINL_EnsureMultithreadedCocoa() {
    // The first platform thread switches the platform into multi-threaded mode.
    if (!wsys::IsMultiThreaded()) wsys::DetachNewThread(nullptr);
}

void CreateThreadNS(void*, int, LPTHREAD_START_ROUTINE proc, void* param) {
    wsys::DetachNewThread([proc, param] {
        if (proc) proc(param);
    });
}

void* WINL_InitAutoRelease() {
    return wsys::Make<Pool>().Detach();
}

void WINL_QuitAutoRelease(void* pool) {
    if (pool) static_cast<Pool*>(pool)->Release();
}

void WINL_RunEvents() {
    void* pool = WINL_InitAutoRelease();
    wsys::Application& app = wsys::App();
    for (int i = 0; i < 100; ++i) {
        wsys::Ref<wsys::Event> e = app.NextEvent(
            wsys::kAnyEventMask, platform::NowNanos() + 1000000, wsys::kDefaultRunLoopMode);
        if (!e) break;
        app.SendEvent(*e);
    }
    WINL_QuitAutoRelease(pool);
}

void WINL_RunRunLoop(int ms) {
    wsys::RunLoop::Main().RunUntil(platform::NowNanos() + int64_t(ms) * 1000000);
}

void WINL_RunRunLoopEx(int ms, HWND hwnd) {
    const HWND previous = g_winl_only_timerhwnd;
    g_winl_only_timerhwnd = hwnd;
    WINL_RunRunLoop(ms);
    if (g_winl_only_timerhwnd == hwnd) g_winl_only_timerhwnd = previous;
}

// ---------------------------------------------------------------------------------------------
// Others

void WINL_EnableRightClickEmulate(bool on) {
    s_rightclickemulate = on;
}

bool IsRightClickEmulateEnabled() {
    return s_rightclickemulate;
}

void WINL_PostQuitMessage(int) {
    g_winl_terminating = true;
    wsys::App().Terminate();
}

void WINL_DisableAppNap(int delta) {
    if (g_winl_terminating || std::floor(wsys::Application::kFoundationVersionNumber) <= 945)
        return;
    s_appNapCounter += delta;
    if (s_appNapCounter >= 1 && !s_appNapActivity) {
        // Idle system sleep disabled (0x100000) and latency-critical (0xFF00000000).
        s_appNapActivity = wsys::App().BeginActivity(0xFF00100000ull, "WINL_DisableAppNap");
    } else if (s_appNapCounter < 1 && s_appNapActivity) {
        wsys::App().EndActivity(s_appNapActivity.get());
        s_appNapActivity = nullptr;
    }
}
