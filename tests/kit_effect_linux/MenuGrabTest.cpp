// A menu field clicked in a host window on the virtual display while another client holds the
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

// A menu field of the values A, B and C at (20, 30)-(120, 50) of a host window at the screen's
// origin; its menu's rows lie 20 pixels apart from y 68, at x 50.
struct MenuGrab : ::testing::Test {
    void SetUp() override {
        if (!host.Ok() || !other) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
        IParam* param = plug.GetParam(0);
        param->InitEnum("Mode", 0, 3);
        for (int i = 0; i < 3; ++i)
            param->SetDisplayText(i, std::string(1, char('A' + i)).c_str());
        auto* graphics = new IGraphicsLinux(&plug, 200, 100);
        plug.AttachGraphics(graphics);
        const IText style;
        auto* field = new ICaptionControl(&plug, IRECT(20, 30, 120, 50), 0, &style, false);
        field->SetPromptDisabled(false);
        graphics->AttachControl(field);
        view = static_cast<platform::View*>(
            graphics->OpenWindow(reinterpret_cast<void*>(host.window())));
        ASSERT_TRUE(view);
    }
    void TearDown() override {
        if (view) plug.GetGUI()->CloseWindow();
        if (other) XCloseDisplay(other);
    }
    // A click at a screen point, which the editor thread reads only once meanwhile has run.
    void click(int x, int y, const std::function<void()>& meanwhile = nullptr) {
        std::promise<void> held, go;
        view->Post([&] {
            held.set_value();
            go.get_future().wait();
        });
        held.get_future().wait();
        EXPECT_EQ(
            testsupport::Xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"}),
            0);
        if (meanwhile) meanwhile();
        go.set_value();
    }
    // Another client takes, or lets go of, pointer and keyboard.
    void grab(bool take) {
        if (take) {
            EXPECT_EQ(XGrabPointer(other, DefaultRootWindow(other), False, 0, GrabModeAsync,
                                   GrabModeAsync, None, None, CurrentTime),
                      GrabSuccess);
            EXPECT_EQ(XGrabKeyboard(other, DefaultRootWindow(other), False, GrabModeAsync,
                                    GrabModeAsync, CurrentTime),
                      GrabSuccess);
        } else {
            XUngrabPointer(other, CurrentTime);
            XUngrabKeyboard(other, CurrentTime);
        }
        XSync(other, False);
    }
    int menus() { return testsupport::OpenMenus(other); }
    // After two rounds of the editor thread's loop, what reached it before has been handled.
    void handled() {
        for (int round = 0; round < 2; ++round) {
            std::promise<void> ran;
            view->Post([&] { ran.set_value(); });
            ran.get_future().wait();
        }
    }

    testsupport::Watchdog watchdog{120, "menus beside other clients"};
    testsupport::XHostWindow host{300, 200};
    Display* other = XOpenDisplay(nullptr);
    testsupport::TestEffect plug{1, 0};
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
    EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);
}

// A host whose window takes the focus as the menu opens, before or after the menu's grabs,
// leaves the menu open and working.
TEST_F(MenuGrab, TheHostTakingTheFocusAsTheMenuOpensLeavesItOpen) {
    XSelectInput(other, DefaultRootWindow(other), SubstructureNotifyMask);
    XSync(other, False);
    click(42, 43);
    for (XEvent e = {}; !(e.type == MapNotify && e.xmap.override_redirect);)
        XNextEvent(other, &e);
    XSetInputFocus(other, host.window(), RevertToParent, CurrentTime);
    XSync(other, False);
    handled();
    EXPECT_EQ(menus(), 1) << "the focus closed the menu";
    click(50, 108);
    EXPECT_TRUE(WaitUntil([&] { return menus() == 0; }));
    EXPECT_EQ(plug.GetParam(0)->Value(), 2.0);
}

} // namespace
