#include "tests/kit_winl/WinlViewFixture.h"

#include "kit/winl/winl-wnd-private.h"
#include "platform/wsys/Controls.h"

#include <string>

namespace winltest {
namespace {

using DefWindowProcTest = WinlViewTest;
using WinlFindWindow = WinlViewTest;
using WinlWindowUtil = WinlViewTest;

// A window view of the recording procedure at a place in the parent, shown.
wsys::Ref<Winl_vZoz_hwnd> childAt(HWND parent, const wsys::Rect& frame) {
    auto v = Winl_vZoz_hwnd::initChild(nullptr, parent, recordProc, 0);
    v->SetFrame(frame);
    v->SetHidden(false);
    return v;
}

TEST_F(DefWindowProcTest, ItsTableOfAnswers) {
    auto child = childAt(view.get(), wsys::Rect(0, 0, 50, 50));
    g_sent.clear();
    const struct {
        HWND hwnd;
        unsigned int msg;
        LRESULT result;
        std::vector<Sent> sent;
    } cases[] = {
        {view.get(), 0x500, 0, {}},
        {view.get(), WM_KEYDOWN, 69, {}},
        {view.get(), WM_KEYUP, 69, {}},
        // The request then goes up by the default procedure of the child.
        {child.get(), WM_NCRBUTTONUP, 1,
         {{child.get(), WM_CONTEXTMENU, WPARAM(child.get()), 0x70007},
          {view.get(), WM_CONTEXTMENU, WPARAM(child.get()), 0x70007}}},
        // Wheels go up to the first ancestor that takes messages, and stop at the content view.
        {child.get(), WM_MOUSEWHEEL, 0, {{view.get(), WM_MOUSEWHEEL, 0, 0x70007}}},
        {view.get(), WM_MOUSEWHEEL, 0, {}},
        {view.get(), WM_DISPLAYCHANGE, 0, {{child.get(), WM_DISPLAYCHANGE, 0, 0x70007}}},
    };
    for (const auto& c : cases) {
        g_sent.clear();
        EXPECT_EQ(DefWindowProc(c.hwnd, c.msg, 0, 0x70007), c.result) << c.msg;
        EXPECT_EQ(g_sent, c.sent) << c.msg;
    }
}

TEST_F(DefWindowProcTest, ARightReleaseNamesTheViewUnderItOnlyInsideTheWindow) {
    auto a = childAt(view.get(), wsys::Rect(0, 0, 100, 100));
    auto inner = childAt(a.get(), wsys::Rect(10, 10, 20, 20));
    auto b = childAt(view.get(), wsys::Rect(150, 0, 100, 100));
    const struct {
        POINT client; // in a
        HWND named;
    } cases[] = {{{15, 15}, inner.get()}, {{60, 60}, a.get()}, {{160, 10}, a.get()}};
    for (const auto& c : cases) {
        g_sent.clear();
        EXPECT_EQ(DefWindowProc(a.get(), WM_RBUTTONUP, 0, WINL_PackPoint(c.client.x, c.client.y)), 1);
        POINT screen = c.client;
        ClientToScreen(a.get(), &screen);
        ASSERT_FALSE(g_sent.empty());
        EXPECT_EQ(g_sent[0],
                  (Sent{a.get(), WM_CONTEXTMENU, WPARAM(c.named), WINL_PackPoint(screen.x, screen.y)}));
    }
    EXPECT_EQ(WindowFromPoint(POINT{120, 285}), inner.get());
    EXPECT_EQ(WindowFromPoint(POINT{260, 290}), b.get());
    EXPECT_EQ(WindowFromPoint(POINT{5, 5}), nullptr);
}

TEST_F(DefWindowProcTest, HitTestsKeepToTheClientAreaOfAFlippedViewMirrored) {
    // The procedure takes 10 off the client area's top; the view's top edge is at y 300 on
    // the screen, its bottom edge at 200.
    auto a = childAt(view.get(), wsys::Rect(0, 0, 100, 100));
    g_answer = [](HWND, unsigned int msg, WPARAM, LPARAM lParam) -> LRESULT {
        if (msg == WM_NCCALCSIZE) reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0].top += 10;
        return 0;
    };
    const struct {
        int y;
        LRESULT hit;
    } cases[] = {{299, HTNOWHERE}, {291, HTNOWHERE}, {290, HTCLIENT}, {201, HTCLIENT}, {200, HTNOWHERE}};
    for (const auto& c : cases)
        EXPECT_EQ(DefWindowProc(a.get(), WM_NCHITTEST, 0, WINL_PackPoint(150, c.y)), c.hit) << c.y;
}

TEST_F(WinlFindWindow, ByTitleOrByClassAndText) {
    auto label = wsys::Make<wsys::TextField>(wsys::Rect(0, 0, 10, 10));
    label->SetStringValue("Two");
    auto other = childAt(view.get(), wsys::Rect(0, 0, 10, 10));
    view->AddSubview(label.get());
    SetDlgItemText(other.get(), 0, "Two");
    EXPECT_EQ(FindWindowEx(view.get(), nullptr, "Button", nullptr), other.get());
    EXPECT_EQ(FindWindowEx(view.get(), nullptr, "sTATIC", nullptr), label.get());
    EXPECT_EQ(FindWindowEx(view.get(), nullptr, nullptr, "Two"), other.get());
    EXPECT_EQ(FindWindowEx(view.get(), other.get(), nullptr, "Two"), label.get());
    EXPECT_EQ(FindWindowEx(window.get(), label.get(), nullptr, nullptr), nullptr);

    window->SetTitle("Grüße");
    auto second = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 10, 10), 0);
    second->SetTitle("Grüße");
    EXPECT_EQ(FindWindowEx(nullptr, nullptr, nullptr, "Grüße"), view.get());
    EXPECT_EQ(FindWindowEx(nullptr, view.get(), nullptr, "Grüße"), second->ContentView());
    EXPECT_EQ(FindWindowEx(nullptr, second.get(), nullptr, "Grüße"), nullptr);
    EXPECT_EQ(FindWindowEx(nullptr, label.get(), nullptr, "Grüße"), nullptr); // not a window
    EXPECT_EQ(FindWindowEx(nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WinlWindowUtil, WalksScrollingMetricsAndTheMouseHook) {
    auto a = childAt(view.get(), wsys::Rect(0, 0, 100, 100));
    auto a1 = childAt(a.get(), wsys::Rect(0, 0, 10, 10));
    auto a2 = childAt(a.get(), wsys::Rect(20, 0, 10, 10));
    auto b = childAt(view.get(), wsys::Rect(150, 0, 10, 10));
    static std::vector<HWND> visited;
    static HWND stopAt;
    auto walk = [](HWND h, LPARAM) {
        visited.push_back(h);
        return h != stopAt;
    };
    for (HWND stop : {HWND(a1.get()), HWND(nullptr)}) {
        visited.clear();
        stopAt = stop;
        EXPECT_EQ(EnumChildWindows(view.get(), walk, 0), stop ? 0 : 1);
        const std::vector<HWND> all{a.get(), a1.get(), a2.get(), b.get()};
        EXPECT_EQ(visited, std::vector<HWND>(all.begin(), all.begin() + (stop ? 2 : 4)));
    }
    EXPECT_EQ(EnumChildWindows(window.get(), walk, 0), 1);

    EXPECT_EQ(ScrollWindow(view.get(), 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(ScrollWindow(window.get(), 5, -3, nullptr, nullptr), 1);
    EXPECT_EQ(b->Frame().origin, (wsys::Point{155, -3}));

    for (auto [index, value] : {std::pair{0, 1920}, {1, 1080}, {2, 16}, {3, 16}, {4, 0}, {20, 16},
                                {21, 16}, {22, 0}, {-1, 0}})
        EXPECT_EQ(GetSystemMetrics(index), value) << index;
    wsys::App().SetScreens({});
    EXPECT_EQ(GetSystemMetrics(1), 1024);

    // The outermost view that claims the point as non-client gets the event.
    g_answer = [&](HWND h, unsigned int msg, WPARAM, LPARAM) -> LRESULT {
        return msg != WM_NCHITTEST ? 0 : h == a1.get() ? 5 : h == a.get() ? 2 : HTCLIENT;
    };
    const wsys::Point base = a1->ConvertPointToView(wsys::Point{5, 5}, nullptr);
    wsys::Ref<wsys::Event> down = wsys::Event::MouseEvent(wsys::kLeftMouseDown, base, 0, 0,
                                                          window->WindowNumber(), 0, 1, 1);
    g_sent.clear();
    EXPECT_TRUE(WINL_HandleMouseEvent(down.get()));
    EXPECT_EQ(messagesTo(a.get()), (std::vector<unsigned int>{WM_NCMOUSEMOVE + 1}));
    SetCapture(b.get());
    EXPECT_FALSE(WINL_HandleMouseEvent(down.get()));
}

TEST_F(WinlWindowUtil, BroadcastsFlushesPropertiesAndFittingSizes) {
    window->Display();
    view->winlSetDirtyBits(0);
    g_sent.clear();
    WINL_BroadcastMessage(WM_DISPLAYCHANGE, 32, 0);
    EXPECT_EQ(messagesTo(view.get()), (std::vector<unsigned int>{WM_DISPLAYCHANGE}));
    EXPECT_EQ(view->winlDirtyBits() & Winl_vZoz_hwnd::kDirtySelf, Winl_vZoz_hwnd::kDirtySelf);

    WINL_FlushWindow(view.get()); // still to be drawn: left alone
    EXPECT_EQ(window->FlushCount(), 0);
    window->DisplayIfNeeded();
    WINL_FlushWindow(view.get());
    EXPECT_EQ(window->FlushCount(), 1);

    int value = 7;
    EXPECT_TRUE(SetProp(view.get(), "k", &value));
    EXPECT_EQ(GetProp(view.get(), "k"), &value);
    EXPECT_EQ(RemoveProp(view.get(), "k"), &value);
    EXPECT_EQ(GetProp(view.get(), "k"), nullptr);
    EXPECT_EQ(EnumPropsEx(window.get(), nullptr, 0), -1);

    auto button = wsys::Make<Winl_vZoz_button>(wsys::Rect(3, 4, 200, 100));
    button->SetTitle("OK");
    RECT fit{1, 1, 1, 1};
    WINL_GetDesiredControlSize(button.get(), &fit);
    EXPECT_EQ(fit.left + fit.top, 0);
    EXPECT_GT(fit.right, 12);
    EXPECT_LT(fit.right, 60);
    EXPECT_EQ(button->Frame(), wsys::Rect(3, 4, 200, 100));
    EXPECT_TRUE(WINL_IsButton(button.get()));
    EXPECT_FALSE(WINL_IsStaticText(button.get()));
    auto box = wsys::Make<Winl_vZoz_box>();
    EXPECT_TRUE(WINL_IsGroupBox(box.get()));
    EXPECT_FALSE(WINL_IsGroupBox(button.get()));
    EXPECT_FALSE(WINL_IsGroupBox(nullptr));
}

} // namespace
} // namespace winltest
