// A tap on an editor in a host window on the virtual display, its press and release read by the
// editor in one go, as the window system delivers a touchpad's tap.

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

#include <functional>
#include <future>
#include <string>

namespace {

using testsupport::WaitUntil;

// A button that records its input and a menu field of three values, under a transfer's veil.
struct MenuEffect : testsupport::TestEffect {
    MenuEffect() : TestEffect(1, 0) {
        GetParam(0)->InitEnum("Mode", 0, 3);
        for (const char* text : {"A", "B", "C"})
            GetParam(0)->SetDisplayText(text[0] - 'A', text);
        graphics = new IGraphicsLinux(this, 200, 100);
        AttachGraphics(graphics);
        graphics->AttachPanelBackground(&COLOR_GRAY);
        const IText style;
        auto* field = new ICaptionControl(this, IRECT(20, 30, 120, 50), 0, &style, false);
        field->SetPromptDisabled(false);
        graphics->AttachControl(field);
        graphics->AttachControl(button = new testsupport::TestControl(this, {140, 30, 180, 50}));
        veil = new ControlLayer(0, "PROGRESS");
        IBitmap picture;
        picture.W = 200;
        picture.H = 100;
        new ProgressIndicator(veil, this, 0, 0, 200, 100, -1, &picture, IRECT(0, 0, 200, 100));
        graphics->AttachLayer(veil);
    }

    IGraphicsLinux* graphics;
    testsupport::TestControl* button;
    ControlLayer* veil;
};

struct EditorInput : ::testing::Test {
    void SetUp() override {
        if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
        view = static_cast<platform::View*>(
            plug.graphics->OpenWindow(reinterpret_cast<void*>(host.window())));
        ASSERT_TRUE(view);
    }
    void TearDown() override { plug.graphics->CloseWindow(); }
    // Runs f on the editor thread, where posted tasks run at the start of each round of its
    // loop; until go is set, when given.
    void onEditor(const std::function<void()>& f, std::shared_future<void> go = {}) {
        std::promise<void> ran;
        view->Post([&f, &ran, go] {
            f();
            ran.set_value();
            if (go.valid()) go.wait();
        });
        ran.get_future().wait();
    }
    // After two rounds every event read before them has been handled.
    void handled() {
        onEditor([] {});
        onEditor([] {});
    }
    // Press and release at a window point, both there when the editor thread next reads:
    // xdotool has ended, and the server has taken both, before the thread goes on.
    void tap(int x, int y) {
        std::promise<void> go;
        onEditor([] {}, go.get_future().share());
        ::Window child;
        XTranslateCoordinates(host.display(), host.window(), DefaultRootWindow(host.display()), x,
                              y, &x, &y, &child);
        EXPECT_EQ(
            testsupport::Xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"}),
            0);
        go.set_value();
    }
    int menus() { return testsupport::OpenMenus(host.display()); }
    // The menu opens, stays open once the release is handled, and Escape closes it unchosen.
    void menuOpensAndStays() {
        ASSERT_TRUE(WaitUntil([&] { return menus() == 1; }, 20000)) << "the menu opened";
        handled();
        EXPECT_EQ(menus(), 1) << "the release closed the menu";
        EXPECT_EQ(testsupport::Xdotool({"key", "Escape"}), 0);
        EXPECT_TRUE(WaitUntil([&] { return menus() == 0; }, 20000)) << "Escape closed it";
        EXPECT_EQ(plug.GetParam(0)->Value(), 0.0) << "the tap chose a value";
    }

    testsupport::Watchdog watchdog{120, "taps on an editor"};
    testsupport::XHostWindow host{300, 200};
    MenuEffect plug;
    platform::View* view = nullptr;
};

// A button gets the press and then the release; on a menu field the release neither chooses
// nor closes the menu its press opened. A tap on a transfer's veil opens nothing, then or once
// the veil has gone.
TEST_F(EditorInput, ATapReadInOneGoIsAPressAndThenItsRelease) {
    tap(162, 43);
    handled();
    std::string kinds;
    for (const auto& e : plug.button->events)
        kinds += e.kind;
    EXPECT_EQ(kinds, "du");
    tap(42, 43);
    menuOpensAndStays();

    onEditor([&] { plug.veil->Hide(false); });
    tap(42, 43);
    handled();
    onEditor([&] { plug.veil->Hide(true); });
    handled();
    EXPECT_EQ(menus(), 0) << "the tap on the veil opened the menu";
    tap(42, 43);
    menuOpensAndStays();
}

} // namespace
