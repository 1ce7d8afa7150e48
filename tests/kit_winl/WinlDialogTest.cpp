#include "tests/kit_winl/WinlViewFixture.h"

#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-gdi-text.h"
#include "platform/Image.h"
#include "platform/wsys/Controls.h"
#include "tests/support/Watchdog.h"

#include <algorithm>

namespace winltest {
namespace {

using WinlDialog = WinlViewTest;
using WinlTopLevel = WinlViewTest;
using R = WINL_DialogResourceIndex;

const char* plainId(uintptr_t lowBits) {
    return reinterpret_cast<const char*>(0x400000 + lowBits);
}

wsys::Window* windowOf(HWND view) {
    return static_cast<wsys::View*>(view)->GetWindow();
}

size_t count(unsigned int msg) {
    return size_t(
        std::count_if(g_sent.begin(), g_sent.end(), [&](const Sent& s) { return s.msg == msg; }));
}

TEST_F(WinlDialog, EndDialogInsideInitDialogReturnsWithoutALoop) {
    testsupport::Watchdog watchdog(60, "a dialog ended at once");
    R child{"child", nullptr, R::kChild, nullptr, 9, 9, nullptr};
    R res{"bank", "Bank name", 0, nullptr, 200, 80, &child};
    int turns = 0;
    wsys::RunLoop::Main().SetTurnHook([&] { ++turns; });
    g_answer = [](HWND hwnd, unsigned int msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_INITDIALOG) EndDialog(hwnd, 42);
        return 0;
    };
    EXPECT_EQ(WINL_DialogBox(&res, "bank", nullptr, recordProc, 0), 42);
    EXPECT_EQ(turns, 0);
    EXPECT_EQ(count(WM_DESTROY), 1u);
    EXPECT_EQ(wsys::App().Windows().size(), 1u);
    EXPECT_EQ(WINL_DialogBox(&res, "child", nullptr, recordProc, 0), -1);
    EXPECT_EQ(WINL_DialogBox(&res, "none", nullptr, recordProc, 0), -1);
}

TEST_F(WinlDialog, AModalDialogEndedFromTheLoopReturnsItsValue) {
    testsupport::Watchdog watchdog(60, "a modal dialog");
    R res{"bank", "Bank name", 0, nullptr, 200, 80, nullptr};
    auto modalMenu = wsys::Make<wsys::View>();
    WINL_SetDefaultModalWindowMenu(modalMenu.get());
    HWND dialog = nullptr;
    g_answer = [&](HWND hwnd, unsigned int msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_INITDIALOG) dialog = hwnd;
        return 0;
    };
    int turns = 0;
    wsys::RunLoop::Main().SetTurnHook([&] {
        if (++turns < 3) return;
        wsys::Window* box = windowOf(dialog);
        EXPECT_TRUE(wsys::App().ModalWindow() == box && box->IsKeyWindow());
        EXPECT_EQ(wsys::App().MainMenu(), modalMenu.get());
        EXPECT_TRUE(box->StyleMask() == 3u && box->Title() == "Bank name");
        EndDialog(dialog, 7);
    });
    EXPECT_EQ(WINL_DialogBox(&res, "bank", view.get(), recordProc, 0), 7);
    EXPECT_EQ(turns, 3);
    EXPECT_EQ(count(WM_DESTROY), 1u);
    EXPECT_EQ(wsys::App().Windows().size(), 1u);
    WINL_SetDefaultModalWindowMenu(nullptr);
}

TEST_F(WinlDialog, TheCloseBoxAsksTheProcedureAndTheWindowStays) {
    R res{"d", "Levels", 0, nullptr, 120, 90, nullptr};
    HWND dialog = WINL_CreateDialog(&res, "d", nullptr, recordProc, 0);
    ShowWindow(dialog, SW_SHOW);
    for (LRESULT answer : {LRESULT(0), LRESULT(1)}) {
        g_sent.clear();
        g_answer = [=](HWND, unsigned int msg, WPARAM, LPARAM) {
            return msg == WM_CLOSE ? answer : 0;
        };
        wsys::inject::CloseBox(windowOf(dialog));
        run();
        EXPECT_EQ(count(WM_CLOSE), 1u);
        const Sent last =
            answer ? Sent{dialog, WM_CLOSE, 0, 0} : Sent{dialog, WM_COMMAND, IDCANCEL, 0};
        EXPECT_EQ(g_sent.back(), last);
        EXPECT_TRUE(IsWindow(dialog));
    }
}

TEST_F(WinlDialog, RecordsAndPlainIdsMakeChildViewsOrWindowsOfTheirStyle) {
    R child{"c", nullptr, R::kChild, nullptr, 60, 40, nullptr};
    R res{"d", "Levels", R::kResizable, nullptr, 120, 90, &child};
    const struct {
        const char* id;
        HWND parent;
        unsigned style; // 0: a child view of the test's view
    } cases[] = {
        {plainId(5), nullptr, 13}, // titled, minimisable, resizable; no close box
        {plainId(2), nullptr, 3},    {plainId(0), nullptr, 7}, {plainId(8), view.get(), 7},
        {plainId(0), view.get(), 0}, {"c", window.get(), 0},   {"d", view.get(), 15},
    };
    for (const auto& c : cases) {
        auto* made =
            static_cast<Winl_vZoz_hwnd*>(WINL_CreateDialog(&res, c.id, c.parent, recordProc, 0));
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->winlCreateWindowFlags(), c.style ? c.style : 15u);
        EXPECT_TRUE(c.style ? made->GetWindow()->StyleMask() == c.style
                            : made->Superview() == view.get())
            << uintptr_t(c.id);
    }
    EXPECT_EQ(WINL_CreateDialog(&res, "x", view.get(), recordProc, 0), nullptr);
    // 50 right of the parent's left edge, the top 100 below the parent's.
    wsys::Window* placed = windowOf(WINL_CreateDialog(&res, "d", view.get(), recordProc, 0));
    EXPECT_EQ(placed->ContentRect(), wsys::Rect(150, 322 - 100 - 90, 120, 90));
    EXPECT_TRUE(placed->Title() == "Levels" && placed->CollectionBehavior() == 36);
}

TEST_F(WinlTopLevel, SizeLimitsAndWholePixelSizesReachTheProcedure) {
    R res{"d", nullptr, R::kOpaque, nullptr, 120, 90, nullptr};
    auto* dialog =
        static_cast<Winl_vZoz_hwnd*>(WINL_CreateDialog(&res, "d", nullptr, recordProc, 0));
    wsys::Window* w = dialog->GetWindow();
    g_answer = [](HWND, unsigned int msg, WPARAM, LPARAM lParam) -> LRESULT {
        if (msg == WM_GETMINMAXINFO)
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{200, 100};
        return 0;
    };
    w->SetMaxSize(wsys::Size{5000000, 700});
    EXPECT_EQ(w->MaxSize(), (wsys::Size{5000000, 700})); // 1000000 left alone: the window's own
    SetWindowPos(w, HWND_TOP, 0, 0, 10, 10, SWP_NOMOVE);
    EXPECT_EQ(w->Frame().size, (wsys::Size{200, 100}));

    const wsys::Point origin = w->Frame().origin;
    dialog->winlSetDirtyBits(0);
    g_sent.clear();
    w->SetFrame(wsys::Rect(origin, wsys::Size{200.4, 100}), false);
    EXPECT_EQ(count(WM_SIZE), 0u);
    w->SetFrame(wsys::Rect(origin, wsys::Size{201, 100}), false);
    EXPECT_EQ(count(WM_SIZE), 1u);
    EXPECT_TRUE(dialog->winlDirtyBits() & Winl_vZoz_hwnd::kDirtySelf);
    w->SetFrameOrigin(wsys::Point{30.7, -2});
    EXPECT_EQ(g_sent.back(), (Sent{dialog, WM_MOVE, 0, LPARAM(int32_t(0xFFFE001E))}));
}

TEST_F(WinlTopLevel, OwnedWindowsAreListedOnceRaisedAndDestroyedFirst) {
    wsys::App().Activate();
    HWND owner = WINL_CreateDialog(nullptr, plainId(0), nullptr, recordProc, 0);
    HWND ownedView = WINL_CreateDialog(nullptr, plainId(8), owner, recordProc, 0);
    auto* ownerWindow = dynamic_cast<Winl_vZoz_modelesswindow*>(windowOf(owner));
    auto* owned = dynamic_cast<Winl_vZoz_modelesswindow*>(windowOf(ownedView));
    EXPECT_EQ(owned->Level(), 1);
    ownerWindow->winlAddOwnedWindow(owned);
    owned->winlAddOwnedWindow(ownerWindow); // no cycles
    EXPECT_EQ((*ownerWindow->winlGetOwnerWindowHead())->next, nullptr);
    EXPECT_EQ(*owned->winlGetOwnerWindowHead(), nullptr);
    owned->winlSetWantRaiseAmt(2);
    ownerWindow->winlResetOwnedWindowLevels();
    EXPECT_EQ(owned->Level(), 3);
    wsys::App().Deactivate();
    ownerWindow->winlResetOwnedWindowLevels();
    EXPECT_EQ(owned->Level(), 0);

    bool ownerOpenThen = false;
    g_answer = [&](HWND hwnd, unsigned int msg, WPARAM, LPARAM) -> LRESULT {
        if (hwnd == ownedView && msg == WM_DESTROY) ownerOpenThen = IsWindow(ownerWindow);
        return 0;
    };
    DestroyWindow(owner);
    EXPECT_TRUE(ownerOpenThen);
    EXPECT_EQ(wsys::App().Windows().size(), 1u);
}

TEST_F(WinlTopLevel, KeyStatusActivatesSwitchesTheMenuAndHonoursTheFocusWish) {
    auto menuA = wsys::Make<wsys::View>();
    auto* a = static_cast<Winl_vZoz_hwnd*>(
        WINL_CreateDialog(nullptr, plainId(0), nullptr, recordProc, 0));
    HWND b = WINL_CreateDialog(nullptr, plainId(0), nullptr, recordProc, 0);
    a->winlSetMenu(menuA.get());
    ShowWindow(a, SW_SHOW);
    EXPECT_EQ(wsys::App().MainMenu(), menuA.get());
    g_sent.clear();
    ShowWindow(b, SW_SHOW);
    EXPECT_EQ(g_sent, (std::vector<Sent>{{b, WM_SHOWWINDOW, 1, 0},
                                         {a, WM_ACTIVATE, 0, 0},
                                         {b, WM_ACTIVATE, 1, LPARAM(static_cast<HWND>(a))},
                                         {b, WM_MOUSEACTIVATE, 0, 0}}));
    EXPECT_EQ(wsys::App().MainMenu(), menuA.get()); // no menu of the layer's for b: kept

    // A dialog that took the focus in WM_INITDIALOG becomes key when it is first shown.
    R res{"d",
          nullptr,
          0,
          [](HWND dialog, int) {
              auto field = wsys::Make<wsys::TextField>(wsys::Rect(0, 0, 40, 20));
              field->SetEditable(true);
              static_cast<wsys::View*>(dialog)->AddSubview(field.get());
          },
          120,
          90,
          nullptr};
    for (LRESULT answer : {LRESULT(0), LRESULT(1)}) {
        g_answer = [=](HWND, unsigned int msg, WPARAM, LPARAM) {
            return msg == WM_INITDIALOG ? answer : 0;
        };
        HWND d = WINL_CreateDialog(&res, "d", nullptr, recordProc, 0);
        ShowWindow(d, SW_SHOWNA);
        EXPECT_TRUE(windowOf(d)->IsVisible());
        EXPECT_EQ(windowOf(d)->IsKeyWindow(), answer == 1);
    }
}

TEST_F(WinlDialog, ColoursAreAskedOncePerFamilyWithAFreshContext) {
    static wsys::Ref<wsys::View> made[4]; // label, editable field, box, button with a picture
    R res{"c",
          nullptr,
          R::kChild,
          [](HWND dialog, int) {
              auto field = wsys::Make<wsys::TextField>();
              field->SetEditable(true);
              auto pictured = wsys::Make<Winl_vZoz_button>();
              pictured->SetImage(std::make_shared<platform::Image>(1, 1));
              made[0] = wsys::Make<wsys::TextField>();
              made[1] = field;
              made[2] = wsys::Make<wsys::Box>();
              made[3] = pictured;
              for (const auto& v : made)
                  static_cast<wsys::View*>(dialog)->AddSubview(v.get());
          },
          120,
          90,
          nullptr};
    g_answer = [](HWND, unsigned int msg, WPARAM wParam, LPARAM) -> LRESULT {
        if (msg == WM_CTLCOLORSTATIC) SetTextColor(HDC(wParam), 0x00FF00);
        return 0;
    };
    HWND dialog = WINL_CreateDialog(&res, "c", view.get(), recordProc, 0);
    EXPECT_TRUE(count(WM_CTLCOLORSTATIC) == 1 && count(WM_CTLCOLORBTN) == 1);
    auto textColor = [](int i) { return static_cast<wsys::Control*>(made[i].get())->TextColor(); };
    const wsys::Color green{0, 1, 0, 1}, standard{0, 0, 0, 1};
    EXPECT_EQ(textColor(0), green);
    EXPECT_FALSE(textColor(1));
    EXPECT_EQ(static_cast<wsys::Box*>(made[2].get())->TitleColor(), green);
    EXPECT_FALSE(textColor(3));
    g_answer = nullptr;
    WINL_DoDialogColorUpdates(dialog, recordProc, true); // nothing set: the standard colour
    EXPECT_TRUE(textColor(0) == standard && textColor(3) == standard);
    for (auto& v : made)
        v = nullptr;
}

} // namespace
} // namespace winltest
