// Input to an editor in a host window on the virtual display as the window system delivers it:
// a tap, whose press and release the editor reads in one go.

#include <gtest/gtest.h>

#include "kit/effect/ControlLayer.h"
#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IGraphicsLinux.h"
#include "kit/effect/IParam.h"
#include "kit/effect/ProgressIndicator.h"
#include "tests/support/TestControl.h"
#include "tests/support/TestEffect.h"
#include "tests/support/Watchdog.h"
#include "tests/support/XHostWindow.h"

#include <atomic>
#include <functional>
#include <future>
#include <string>

namespace {

using testsupport::WaitUntil;
using testsupport::Xdotool;

// A button that records its input and a menu field, of a parameter of three values, under a
// transfer's veil that the test shows and hides.
struct MenuEffect : testsupport::TestEffect {
    MenuEffect() : TestEffect(1, 0) {
        GetParam(0)->InitEnum("Mode", 0, 3);
        for (int i = 0; i < 3; ++i)
            GetParam(0)->SetDisplayText(i, std::string(1, char('A' + i)).c_str());
        graphics = new IGraphicsLinux(this, 200, 100);
        AttachGraphics(graphics);
        graphics->AttachPanelBackground(&COLOR_GRAY);
        const IText text;
        auto* field = new ICaptionControl(this, IRECT(20, 30, 120, 50), 0, &text, false);
        field->SetPromptDisabled(false);
        graphics->AttachControl(field);
        button = new testsupport::TestControl(this, IRECT(140, 30, 180, 50));
        graphics->AttachControl(button);
        veil = new ControlLayer(0, "PROGRESS");
        IBitmap picture;
        picture.W = 200;
        picture.H = 100;
        new ProgressIndicator(veil, this, 0, 0, 200, 100, -1, &picture, IRECT(0, 0, 200, 100));
        graphics->AttachLayer(veil);
    }
    bool WorkUnderWay() override { return transferring; }

    IGraphicsLinux* graphics;
    testsupport::TestControl* button;
    ControlLayer* veil;
    std::atomic<bool> transferring{false};
};

struct EditorInput : ::testing::Test {
    void SetUp() override {
        if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
        view = static_cast<platform::View*>(
            plug.graphics->OpenWindow(reinterpret_cast<void*>(host.window())));
        ASSERT_TRUE(view);
    }
    void TearDown() override { plug.graphics->CloseWindow(); }
    // Runs f on the editor thread and waits for it.
    void onEditor(const std::function<void()>& f) {
        std::promise<void> done;
        view->Post([&] {
            f();
            done.set_value();
        });
        done.get_future().get();
    }
    // A press and its release at a point of the editor, both waiting when the editor thread
    // next reads.
    void tap(int atX, int atY) {
        std::promise<void> blocked, go;
        view->Post([&] {
            blocked.set_value();
            go.get_future().wait();
        });
        blocked.get_future().wait();
        ::Window child;
        int x, y;
        XTranslateCoordinates(host.display(), host.window(), DefaultRootWindow(host.display()), atX,
                              atY, &x, &y, &child);
        // xdotool has ended, and the server has taken both, before the editor reads on.
        EXPECT_EQ(Xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"}), 0);
        go.set_value();
    }
    // Posted tasks run at the start of each round of the editor thread's loop: after two,
    // every event read before them has been handled.
    void handled() {
        onEditor([] {});
        onEditor([] {});
    }
    // Our menus are the viewable override-redirect windows.
    int menus() {
        ::Window root, parent, *children = nullptr;
        unsigned n = 0;
        XQueryTree(host.display(), DefaultRootWindow(host.display()), &root, &parent, &children,
                   &n);
        int open = 0;
        for (unsigned i = 0; i < n; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(host.display(), children[i], &a) && a.override_redirect &&
                a.map_state == IsViewable)
                ++open;
        }
        if (children) XFree(children);
        return open;
    }
    void escape() {
        EXPECT_EQ(Xdotool({"key", "Escape"}), 0);
        EXPECT_TRUE(WaitUntil([&] { return menus() == 0; }, 20000)) << "the menu closed";
        EXPECT_EQ(plug.GetParam(0)->Value(), 0.0) << "the tap chose nothing";
    }

    testsupport::Watchdog watchdog{120, "taps on an editor's menu field"};
    testsupport::XHostWindow host{300, 200};
    MenuEffect plug;
    platform::View* view = nullptr;
};

// A button gets the press and then the release. On a menu field the release opens nothing and
// closes nothing: the menu the press opened stays open. A tap while a transfer runs does the
// same once the transfer has ended.
TEST_F(EditorInput, ATapReadInOneGoOpensTheMenuAndLeavesItOpen) {
    tap(160, 40);
    handled();
    std::string kinds;
    for (const auto& e : plug.button->events)
        kinds += e.kind;
    EXPECT_EQ(kinds, "du") << "a button's press, then its release";

    tap(40, 40);
    ASSERT_TRUE(WaitUntil([&] { return menus() == 1; }, 20000)) << "the menu opened";
    handled();
    EXPECT_EQ(menus(), 1) << "the release closed the menu";
    escape();

    onEditor([&] {
        plug.transferring = true;
        plug.veil->Hide(false);
    });
    tap(40, 40);
    handled();
    EXPECT_EQ(menus(), 0) << "opened while the transfer ran";
    onEditor([&] {
        plug.veil->Hide(true);
        plug.transferring = false;
    });
    ASSERT_TRUE(WaitUntil([&] { return menus() == 1; }, 20000)) << "the menu opened after it";
    handled();
    EXPECT_EQ(menus(), 1) << "the release closed the menu";
    escape();
}

} // namespace
