#pragma once

#include "kit/winl/winl-dlg.h"
#include "kit/winl/winl-kb.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/Inject.h"
#include "platform/wsys/Window.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace winltest {

namespace wsys = platform::wsys;

struct Sent {
    HWND hwnd;
    unsigned int msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Sent& o) const {
        return hwnd == o.hwnd && msg == o.msg && wParam == o.wParam && lParam == o.lParam;
    }
};

// Every message a recording procedure got, in order (the traffic of paints only while
// g_recordPaint is set); answer (when set) decides its result, else every point is in the
// client area and DefWindowProc answers the rest.
inline std::vector<Sent> g_sent;
inline std::function<LRESULT(HWND, unsigned int, WPARAM, LPARAM)> g_answer;
inline bool g_recordPaint = false;

inline bool isPaintTraffic(unsigned int msg) {
    return msg == WM_NCCALCSIZE || msg == WM_NCPAINT || msg == WM_PAINT || msg == WM_ERASEBKGND ||
           msg == WM_CTLCOLORDLG;
}

inline LRESULT recordProc(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam) {
    if (g_recordPaint || !isPaintTraffic(msg)) g_sent.push_back(Sent{hwnd, msg, wParam, lParam});
    if (g_answer) return g_answer(hwnd, msg, wParam, lParam);
    return msg == WM_NCHITTEST ? LRESULT(HTCLIENT) : DefWindowProc(hwnd, msg, wParam, lParam);
}

// A visible key window at (100, 100) whose content is a window view with the recording
// procedure, on a fresh window system and a manual clock.
class WinlViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        wsys::App().Reset();
        window = wsys::Make<wsys::Window>(wsys::Rect(100, 100, 300, 200), wsys::kTitledWindowMask);
        view = Winl_vZoz_hwnd::initChild(nullptr, window.get(), recordProc, 0);
        view->SetHidden(false);
        window->MakeKeyAndOrderFront();
        window->MakeFirstResponder(view.get());
        g_sent.clear();
        g_answer = nullptr;
    }
    void TearDown() override {
        ReleaseCapture();
        g_answer = nullptr;
        g_recordPaint = false;
        window = nullptr;
        view = nullptr;
        wsys::App().Reset();
        g_sent.clear();
    }
    // Messages sent to hwnd, without the hit tests and cursor requests every click brings.
    std::vector<unsigned int> messagesTo(HWND hwnd) const {
        std::vector<unsigned int> out;
        for (const Sent& s : g_sent)
            if (s.hwnd == hwnd && s.msg != WM_NCHITTEST && s.msg != WM_SETCURSOR)
                out.push_back(s.msg);
        return out;
    }
    const Sent* find(unsigned int msg) const {
        for (const Sent& s : g_sent)
            if (s.msg == msg) return &s;
        return nullptr;
    }
    void run() { wsys::App().DispatchPendingEvents(); }

    testsupport::ManualClock clock;
    wsys::Ref<wsys::Window> window;
    wsys::Ref<Winl_vZoz_hwnd> view;
};

} // namespace winltest
