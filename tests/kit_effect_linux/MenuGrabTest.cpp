// A menu field tapped in a host window on the virtual display while another client holds the
// pointer and keyboard, or takes the focus, as the menu opens.

#include <gtest/gtest.h>

#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IGraphicsLinux.h"
#include "kit/effect/IParam.h"
#include "tests/support/TestEffect.h"
#include "tests/support/Watchdog.h"
#include "tests/support/XHostWindow.h"

#include <functional>
#include <future>
#include <string>

namespace {

using testsupport::WaitUntil;
using testsupport::Xdotool;

// A menu field of three values at (20, 30)-(120, 50); its menu's rows lie 20 pixels apart from
// 68 down, at x 50.
struct MenuField : testsupport::TestEffect {
    MenuField() : TestEffect(1, 0) {
        GetParam(0)->InitEnum("Mode", 0, 3);
        for (const char* text : {"A", "B", "C"})
            GetParam(0)->SetDisplayText(text[0] - 'A', text);
        graphics = new IGraphicsLinux(this, 200, 100);
        AttachGraphics(graphics);
        const IText style;
        auto* field = new ICaptionControl(this, IRECT(20, 30, 120, 50), 0, &style, false);
        field->SetPromptDisabled(false);
        graphics->AttachControl(field);
    }
    IGraphicsLinux* graphics;
};

struct MenuGrab : ::testing::Test {
    void SetUp() override {
        if (!host.Ok() || !other) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
        view = static_cast<platform::View*>(
            plug.graphics->OpenWindow(reinterpret_cast<void*>(host.window())));
        ASSERT_TRUE(view);
    }
    void TearDown() override {
        if (view) plug.graphics->CloseWindow();
        if (other) XCloseDisplay(other);
    }
    // A click at a screen point (the host window lies at the screen's origin), read by the
    // editor thread only once meanwhile has run.
    void click(int x, int y, const std::function<void()>& meanwhile) {
        std::promise<void> held, go;
        view->Post([&] {
            held.set_value();
            go.get_future().wait();
        });
        held.get_future().wait();
        EXPECT_EQ(Xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"}), 0);
        meanwhile();
        go.set_value();
    }
    void click(int x, int y) {
        click(x, y, [] {});
    }
    // Another client takes or lets go of pointer and keyboard.
    void grab(bool take) {
        const Window root = DefaultRootWindow(other);
        if (take) {
            EXPECT_EQ(XGrabPointer(other, root, False, 0, GrabModeAsync, GrabModeAsync, None, None,
                                   CurrentTime),
                      GrabSuccess);
            EXPECT_EQ(XGrabKeyboard(other, root, False, GrabModeAsync, GrabModeAsync, CurrentTime),
                      GrabSuccess);
        } else {
            XUngrabPointer(other, CurrentTime);
            XUngrabKeyboard(other, CurrentTime);
        }
        XSync(other, False);
    }
    // Our menus are the viewable override-redirect windows; none goes while they are counted.
    int menus() {
        Window root, parent, *children = nullptr;
        unsigned n = 0;
        XGrabServer(other);
        XQueryTree(other, DefaultRootWindow(other), &root, &parent, &children, &n);
        int open = 0;
        XWindowAttributes a;
        for (unsigned i = 0; i < n; ++i)
            open += XGetWindowAttributes(other, children[i], &a) && a.override_redirect &&
                    a.map_state == IsViewable;
        XUngrabServer(other);
        XSync(other, False);
        if (children) XFree(children);
        return open;
    }
    double value() { return plug.GetParam(0)->Value(); }
    // After two rounds of the editor thread's loop, what reached it before has been handled.
    void handled() {
        for (int rounds = 0; rounds < 2; ++rounds) {
            std::promise<void> round;
            view->Post([&] { round.set_value(); });
            round.get_future().wait();
        }
    }

    testsupport::Watchdog watchdog{120, "menus beside other clients"};
    testsupport::XHostWindow host{300, 200};
    Display* other = XOpenDisplay(nullptr);
    MenuField plug;
    platform::View* view = nullptr;
};

// The menu opens while the grab is held and takes pointer and keyboard once they are free: a
// click outside it then closes it, choosing nothing. Held for good, the menu goes by itself
// and the next click opens it again.
TEST_F(MenuGrab, AGrabHeldAtThePressHoldsTheMenusGrabsBackOrEndsIt) {
    click(42, 43, [&] { grab(true); });
    ASSERT_TRUE(WaitUntil([&] { return menus() == 1; })) << "no menu while the grab was held";
    grab(false);
    handled();
    click(600, 500);
    EXPECT_TRUE(WaitUntil([&] { return menus() == 0; })) << "a click outside left it open";

    click(42, 43, [&] { grab(true); });
    ASSERT_TRUE(WaitUntil([&] { return menus() == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return menus() == 0; }, 10000)) << "the menu waited on and on";
    grab(false);
    click(42, 43);
    ASSERT_TRUE(WaitUntil([&] { return menus() == 1; })) << "the editor was left stuck";
    click(50, 88);
    EXPECT_TRUE(WaitUntil([&] { return menus() == 0; }));
    EXPECT_EQ(value(), 1.0);
}

// A host whose window takes the focus as the menu opens, before or after the menu's grabs,
// leaves the menu open and working.
TEST_F(MenuGrab, TheHostTakingTheFocusAsTheMenuOpensLeavesItOpen) {
    XSelectInput(other, DefaultRootWindow(other), SubstructureNotifyMask);
    XSync(other, False);
    click(42, 43);
    for (XEvent e;;) {
        XNextEvent(other, &e);
        if (e.type == MapNotify && e.xmap.override_redirect) break;
    }
    XSetInputFocus(other, host.window(), RevertToParent, CurrentTime);
    XSync(other, False);
    handled();
    EXPECT_EQ(menus(), 1) << "the focus closed the menu";
    click(50, 108);
    EXPECT_TRUE(WaitUntil([&] { return menus() == 0; }));
    EXPECT_EQ(value(), 2.0);
}

} // namespace
