#include "tests/platform/WsysTestViews.h"

#include "platform/wsys/Inject.h"
#include "tests/support/ScaledClock.h"

namespace wsystest {
namespace {

class WsysDispatch : public WsysTest {
protected:
    // A window with two views side by side, A and B; key and in front.
    Ref<Window> makeWindow(const Rect& content, const char* prefix) {
        Ref<Window> w = Make<Window>(content, kTitledWindowMask | kClosableWindowMask);
        auto a = Make<LogView>(&log, std::string(prefix) + "A", Rect(0, 0, 50, 50));
        auto b = Make<LogView>(&log, std::string(prefix) + "B", Rect(50, 0, 50, 50));
        w->ContentView()->AddSubview(a.get());
        w->ContentView()->AddSubview(b.get());
        w->MakeKeyAndOrderFront();
        return w;
    }
    LogView* view(Window* w, int i) {
        return static_cast<LogView*>(w->ContentView()->Subviews()[size_t(i)].get());
    }
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(WsysDispatch, DragOutOfAViewStaysWithIt) {
    Ref<Window> w = makeWindow(Rect(0, 0, 100, 50), "");
    inject::Drag(inject::CenterOf(view(w.get(), 0)), inject::CenterOf(view(w.get(), 1)), 2);
    EXPECT_EQ(App().DispatchPendingEvents(), 4);
    EXPECT_EQ(log, (Log{"A down", "A dragged", "A dragged", "A up"}));
    EXPECT_EQ(App().PressedMouseButtons(), 0u);
    EXPECT_EQ(App().MouseLocation(), (Point{75, 25}));
}

TEST_F(WsysDispatch, AnUnhandledKeyClimbsTheChain) {
    Ref<Window> w = makeWindow(Rect(0, 0, 100, 50), "");
    LogView* outer = view(w.get(), 0);
    auto inner = Make<LogView>(&log, "inner", Rect(5, 5, 10, 10));
    outer->AddSubview(inner.get());
    inner->acceptsFocus = true;
    ASSERT_TRUE(w->MakeFirstResponder(inner.get()));
    outer->handlesKeys = true;
    inject::Key(0);
    App().DispatchPendingEvents();
    EXPECT_EQ(log, Log{"A key"});
    outer->handlesKeys = false;
    inject::Key(0);
    App().DispatchPendingEvents();
    EXPECT_EQ(App().Beeps(), 1); // through the window to the end of the chain
}

TEST_F(WsysDispatch, AClickKeysABackWindowAndItsFirstMouseRule) {
    Ref<Window> back = makeWindow(Rect(0, 0, 100, 50), "back ");
    Ref<Window> front = makeWindow(Rect(60, 0, 100, 50), "front ");
    ASSERT_TRUE(front->IsKeyWindow());
    view(back.get(), 0)->acceptsFirstMouse = false;
    inject::Click(inject::CenterOf(view(back.get(), 0)));
    App().DispatchPendingEvents();
    EXPECT_TRUE(back->IsKeyWindow());
    EXPECT_EQ(App().OrderedWindows()[0], back.get());
    EXPECT_EQ(log, Log{}); // the first click only activated the window
    // Front's B still shows right of the back window, and takes the first mouse.
    inject::Click(inject::CenterOf(view(front.get(), 1)));
    App().DispatchPendingEvents();
    EXPECT_TRUE(front->IsKeyWindow());
    EXPECT_EQ(log, (Log{"front B down", "front B up"}));
}

TEST_F(WsysDispatch, MovesGoToTheKeyWindowsFirstResponder) {
    Ref<Window> w = makeWindow(Rect(0, 0, 100, 50), "");
    view(w.get(), 1)->acceptsFocus = true;
    w->MakeFirstResponder(view(w.get(), 1));
    inject::MoveTo(Point{10, 10});
    App().DispatchPendingEvents();
    EXPECT_EQ(log, Log{}); // the window does not take moves yet
    w->SetAcceptsMouseMovedEvents(true);
    inject::MoveTo(Point{12, 10});
    App().DispatchPendingEvents();
    EXPECT_EQ(log, Log{"B moved"});
}

TEST_F(WsysDispatch, ModalLoopsServeOnlyTheirWindow) {
    testsupport::ManualClock clock;
    Ref<Window> other = makeWindow(Rect(200, 0, 100, 50), "other ");
    Ref<Window> modal = makeWindow(Rect(0, 0, 100, 50), "modal ");
    int turns = 0;
    RunLoop::Main().SetTurnHook([&] {
        if (++turns == 1) {
            inject::Click(inject::CenterOf(view(other.get(), 0)));
            inject::Click(inject::CenterOf(view(modal.get(), 1)));
        } else if (turns == 6) {
            App().StopModalWithCode(7);
        }
    });
    EXPECT_EQ(App().RunModalForWindow(modal.get()), 7);
    EXPECT_EQ(log, (Log{"modal B down", "modal B up"}));
    EXPECT_EQ(App().Beeps(), 1);
    EXPECT_TRUE(modal->IsKeyWindow());
    EXPECT_EQ(App().ModalWindow(), nullptr);
}

TEST_F(WsysDispatch, KeysCarryTheLayoutsCharactersAndTheWheelGoesUnderThePointer) {
    struct Keys : LogView {
        using LogView::LogView;
        void KeyDown(Event& e) override { seen.push_back(e.characters + u"|" + e.charactersIgnoringModifiers); }
        void ScrollWheel(Event& e) override { wheel = e.deltaY; }
        std::vector<std::u16string> seen;
        double wheel = 0;
    };
    Ref<Window> w = makeWindow(Rect(0, 0, 100, 50), "");
    auto keys = Make<Keys>(&log, "K", Rect(0, 0, 10, 10));
    keys->acceptsFocus = true;
    w->ContentView()->AddSubview(keys.get());
    w->MakeFirstResponder(keys.get());
    inject::Key(48, kShiftKeyMask); // Shift+Tab: back-tab
    inject::Key(0, kControlKeyMask);
    inject::Key(122);               // F1
    inject::Type(u"Z:");
    inject::Wheel(inject::CenterOf(view(w.get(), 1)), 0, 1.5);
    App().DispatchPendingEvents();
    EXPECT_EQ(keys->seen, (std::vector<std::u16string>{u"\x19|\x19", u"\x01|a", u"\xF704|\xF704",
                                                       u"Z|Z", u":|:"}));
    EXPECT_EQ(keys->wheel, 0); // the wheel went to B, under the pointer
}

TEST_F(WsysDispatch, ThePointerLeftBehindAndWarped) {
    App().AssociateMouseAndCursor(false);
    inject::MoveTo(Point{300, 400});
    EXPECT_EQ(App().MouseLocation(), Point());
    App().AssociateMouseAndCursor(true);
    App().WarpCursor(Point{10, 80}); // display coordinates, y down
    EXPECT_EQ(App().MouseLocation(), (Point{10, 1000}));
    App().HideCursor();
    App().HideCursor();
    App().ShowCursor();
    EXPECT_FALSE(App().IsCursorVisible());
    App().ShowCursor();
    EXPECT_TRUE(App().IsCursorVisible());
}

TEST_F(WsysDispatch, TheCloseBoxAsksTheWindow) {
    struct Guarded : Window {
        using Window::Window;
        bool WindowShouldClose() override { return ++asked > 1; }
        int asked = 0;
    };
    Ref<Guarded> w = Make<Guarded>(Rect(10, 10, 100, 50), kTitledWindowMask | kClosableWindowMask);
    w->OrderFront();
    inject::CloseBox(w.get());
    App().DispatchPendingEvents();
    EXPECT_TRUE(w->IsVisible());
    inject::CloseBox(w.get());
    App().DispatchPendingEvents();
    EXPECT_EQ(w->asked, 2);
    EXPECT_FALSE(w->IsVisible());
    EXPECT_TRUE(App().Windows().empty());
}

} // namespace
} // namespace wsystest
