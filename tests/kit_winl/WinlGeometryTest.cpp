#include "tests/kit_winl/WinlViewFixture.h"

#include "kit/winl/winl-dlg-window.h"
#include "platform/wsys/Controls.h"
#include "platform/wsys/ScrollView.h"
#include "tests/support/Watchdog.h"

#include <algorithm>
#include <array>

namespace winltest {
namespace {

using WinlGeometry = WinlViewTest;
using WinlFocus = WinlViewTest;
using WinlModal = WinlViewTest;

std::array<int, 4> edges(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// Three views in a parent, back to front.
struct Row {
    explicit Row(wsys::View* parent) {
        for (wsys::Ref<wsys::View>& v : views)
            parent->AddSubview((v = wsys::Make<wsys::View>(wsys::Rect(0, 0, 50, 50))).get());
    }
    std::vector<HWND> order() const {
        std::vector<HWND> out;
        for (const wsys::Ref<wsys::View>& v : views[0]->Superview()->Subviews())
            out.push_back(v.get());
        return out;
    }
    wsys::Ref<wsys::View> views[3];
};

// Records the rectangles it is asked to draw.
class DrawLog : public wsys::View {
public:
    using View::View;
    bool IsFlipped() const override { return true; }
    void Draw(const wsys::Rect& r) override { drawn.push_back(r); }
    std::vector<wsys::Rect> drawn;
};

HWND plainWindow(HWND owner) {
    return WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(0x400008), owner, recordProc,
                             0);
}

TEST_F(WinlGeometry, RectanglesOfWindowsViewsAndScrollViewsOnTheScreen) {
    EXPECT_EQ(edges(WINL_RectFromPlatform(wsys::Rect(1.7, 2.2, 3.3, 4.4))),
              (std::array{1, 2, 5, 7}));
    EXPECT_EQ(edges(WINL_RectFromPlatform(wsys::Rect(-1.5, -0.2, 1, 1))),
              (std::array{-1, 0, 0, 1}));
    RECT r;
    EXPECT_TRUE(GetWindowRect(view.get(), &r)); // the content view stands for its window
    EXPECT_EQ(edges(r), (std::array{100, 100, 400, 322}));
    GetWindowContentViewRect(window.get(), &r); // a flipped view: its top is the higher y
    EXPECT_EQ(edges(r), (std::array{100, 300, 400, 100}));
    auto scroll = wsys::Make<wsys::ScrollView>(wsys::Rect(10, 20, 100, 50));
    auto list = wsys::Make<wsys::Control>(wsys::Rect(0, 0, 100, 300));
    scroll->SetDocumentView(list.get());
    view->AddSubview(scroll.get());
    EXPECT_TRUE(GetWindowRect(list.get(), &r));
    EXPECT_EQ(edges(r), (std::array{110, 230, 210, 280}));

    g_answer = [](HWND, unsigned int msg, WPARAM, LPARAM lParam) -> LRESULT {
        if (msg != WM_NCCALCSIZE) return 0;
        RECT& first = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0];
        first = RECT{first.left + 10, first.top + 10, first.right - 10, first.bottom - 10};
        return 0;
    };
    view->SetBoundsOrigin(wsys::Point{5, 7});
    GetClientRect(window.get(), &r);
    EXPECT_EQ(edges(r), (std::array{5, 7, 285, 187}));
}

TEST_F(WinlGeometry, TheViewPortIsTheScreenHoldingTheCentre) {
    wsys::App().SetScreens({wsys::Rect(0, 0, 1920, 1080), wsys::Rect(-1280, 0, 1280, 1024)});
    const RECT onSecond{-700, 100, -500, 300};
    RECT r;
    WINL_GetViewPort(&r, &onSecond, true);
    EXPECT_EQ(edges(r), (std::array{-1280, 0, 0, 1024}));
    WINL_GetViewPort(&r, nullptr, false);
    EXPECT_EQ(edges(r), (std::array{0, 0, 1920, 1080}));
    WINL_GetViewPort(&r, nullptr, true);
    EXPECT_EQ(edges(r), (std::array{0, 0, 1920, 1058})); // less the menu bar
    wsys::App().SetScreens({});
    WINL_GetViewPort(&r, nullptr, true);
    EXPECT_EQ(edges(r), (std::array{0, 0, 1600, 1200}));
}

TEST_F(WinlGeometry, WindowsKeepToTheirLimitsATextViewToItsScrollView) {
    SetWindowPos(window.get(), HWND_BOTTOM, 1, 2, 3, 4, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(window->Frame(), wsys::Rect(100, 100, 300, 222));
    window->SetMaxSize(wsys::Size{500, 400});
    SetWindowPos(view.get(), HWND_TOP, 10, 20, 800, 300, 0);
    EXPECT_EQ(window->Frame(), wsys::Rect(10, 20, 500, 300));
    SetWindowPos(window.get(), HWND_TOP, 0, 0, 120, -40, SWP_NOMOVE);
    EXPECT_EQ(window->Frame(), wsys::Rect(10, 20, 120, 40));

    auto scroll = wsys::Make<wsys::ScrollView>(wsys::Rect(0, 0, 100, 50));
    auto text = wsys::Make<wsys::TextView>(wsys::Rect(0, 0, 100, 400));
    scroll->SetDocumentView(text.get());
    scroll->SetHasVerticalScroller(true);
    view->AddSubview(scroll.get());
    SetWindowPos(text.get(), HWND_TOP, 0, 0, 160, 60, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(scroll->Frame(), wsys::Rect(0, 0, 160, 60));
    EXPECT_EQ(text->Frame().size, (wsys::Size{160, 400}));
}

TEST_F(WinlGeometry, RestackingKeepsTheFocusInsideTheMovedView) {
    Row row(view.get());
    wsys::View *a = row.views[0].get(), *b = row.views[1].get(), *c = row.views[2].get();
    auto field = wsys::Make<wsys::TextField>(wsys::Rect(0, 0, 40, 20));
    field->SetEditable(true);
    a->AddSubview(field.get());
    window->MakeFirstResponder(field.get());
    const struct {
        wsys::View* moved;
        HWND after;
        std::vector<HWND> want;
    } steps[] = {
        {c, HWND_TOP, {a, b, c}}, // already frontmost
        {a, HWND_TOP, {b, c, a}},    {a, HWND_TOPMOST, {b, c, a}},
        {a, HWND_BOTTOM, {a, b, c}}, {a, c, {b, c, a}}, // directly above the sibling
        {a, c, {b, c, a}},                              // the sibling is directly below already
        {b, view.get(), {b, c, a}},                     // no sibling
    };
    for (const auto& s : steps) {
        SetWindowPos(s.moved, s.after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        EXPECT_EQ(row.order(), s.want);
        EXPECT_TRUE(IsEquivalentTextView(window->FirstResponder(), field.get()));
    }
    SetCapture(field.get()); // the capture holder inside keeps the view in place
    SetWindowPos(a, HWND_BOTTOM, 7, 8, 0, 0, SWP_NOSIZE);
    EXPECT_EQ(row.order(), (std::vector<HWND>{b, c, a}));
    EXPECT_EQ(a->Frame(), wsys::Rect(7, 8, 50, 50));
}

TEST_F(WinlGeometry, GetWindowWalksSiblingsChildrenAndTheOwner) {
    Row row(view.get());
    std::vector<HWND> fromMiddle; // GW_HWNDFIRST to GW_CHILD, then an unknown command
    for (int command = GW_HWNDFIRST; command <= GW_CHILD + 1; ++command)
        fromMiddle.push_back(GetWindow(row.views[1].get(), command));
    EXPECT_EQ(fromMiddle,
              (std::vector<HWND>{row.views[0].get(), row.views[2].get(), row.views[2].get(),
                                 row.views[0].get(), view.get(), nullptr, nullptr}));
    EXPECT_EQ(GetWindow(row.views[0].get(), GW_HWNDPREV), nullptr);
    EXPECT_EQ(GetWindow(view.get(), GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(view.get(), GW_HWNDFIRST), view.get());
    EXPECT_EQ(GetWindow(window.get(), GW_CHILD), row.views[0].get());
    HWND owner = plainWindow(nullptr);
    EXPECT_EQ(GetWindow(plainWindow(owner), GW_OWNER),
              static_cast<wsys::View*>(owner)->GetWindow());
}

TEST_F(WinlGeometry, InvalidationMarksTheBandAndTheWindowViewsAbove) {
    auto child = Winl_vZoz_hwnd::initChild(nullptr, view.get(), recordProc, 0);
    child->SetHidden(false);
    auto log = wsys::Make<WinlRedrawMarking<DrawLog>>(wsys::Rect(0, 0, 100, 100));
    child->AddSubview(log.get());
    window->Display();
    log->drawn.clear();
    view->winlSetDirtyBits(0);
    child->winlSetDirtyBits(0);
    const RECT band{5, 50, 25, 10};
    InvalidateRect(log.get(), &band, 0);
    EXPECT_EQ(child->winlDirtyBits() | view->winlDirtyBits(), Winl_vZoz_hwnd::kDirtyChildren);
    window->DisplayIfNeeded();
    // The one-pass paint lets other views draw a pixel beyond the band.
    EXPECT_EQ(log->drawn, (std::vector<wsys::Rect>{wsys::Rect(4, 9, 22, 42)}));

    view->winlSetDirtyBits(0);
    child->winlSetDirtyBits(Winl_vZoz_hwnd::kDirtySelf);
    InvalidateRect(child.get(), nullptr, 0); // already dirty: the ancestors are left alone
    EXPECT_EQ(view->winlDirtyBits(), 0);
    child->winlSetDirtyBits(0);
    log->SetNeedsDisplay(true);
    EXPECT_EQ(child->winlDirtyBits(), Winl_vZoz_hwnd::kDirtyChildren);
}

TEST_F(WinlGeometry, ATopLevelWindowBecomesAChildAndBackWithItsTitleAndOwner) {
    WINL_DialogResourceIndex res{"d", "Levels", 0, nullptr, 120, 90, nullptr};
    HWND owner = plainWindow(nullptr);
    auto* dialog = static_cast<Winl_vZoz_hwnd*>(WINL_CreateDialog(&res, "d", owner, recordProc, 0));
    wsys::Ref<wsys::Window> first(dialog->GetWindow());
    EXPECT_EQ(SetParent(dialog, window.get()), view.get());
    EXPECT_EQ(dialog->Superview(), view.get());
    EXPECT_FALSE(IsWindow(first.get()));
    EXPECT_EQ(SetParent(dialog, nullptr), nullptr);
    auto* top = dynamic_cast<Winl_vZoz_modelesswindow*>(dialog->GetWindow());
    ASSERT_TRUE(top && top->ContentView() == dialog);
    EXPECT_EQ(top->Title(), "Levels");
    EXPECT_EQ(top->winlGetOwner(), static_cast<wsys::View*>(owner)->GetWindow());
    EXPECT_EQ(top->StyleMask(), 7u);
    Row row(view.get());
    EXPECT_EQ(SetParent(row.views[0].get(), dialog), view.get());
    EXPECT_TRUE(IsChild(dialog, row.views[0].get()) && IsChild(top, row.views[0].get()));
}

TEST_F(WinlFocus, FocusForegroundAndTheFieldEditor) {
    auto field = wsys::Make<wsys::TextField>(wsys::Rect(0, 0, 40, 20));
    field->SetEditable(true);
    view->AddSubview(field.get());
    EXPECT_EQ(GetForegroundWindow(), view.get());
    SetForegroundWindow(field.get());
    wsys::TextView* editor = field->CurrentEditor();
    EXPECT_TRUE(GetFocus() == field.get() && GetForegroundWindow() == editor);
    EXPECT_TRUE(IsEquivalentTextView(editor, field.get()) &&
                IsEquivalentTextView(field.get(), editor));
    auto stray = wsys::Make<wsys::TextView>();
    EXPECT_FALSE(IsEquivalentTextView(stray.get(), field.get()));
    window->MakeFirstResponder(nullptr);
    EXPECT_EQ(GetForegroundWindow(), window.get());
}

TEST_F(WinlModal, ASessionRunsUntilEndDialogThenAnswersOnce) {
    testsupport::Watchdog watchdog(60, "modal sessions");
    int result = -5;
    EXPECT_FALSE(WINL_ModalWindowRun(nullptr, &result));
    void* session = WINL_ModalWindowStart(view.get());
    EXPECT_TRUE(WINL_ModalWindowRun(session, &result));
    EXPECT_EQ(result, -5);
    g_answer = [](HWND hwnd, unsigned int msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_LBUTTONDOWN) EndDialog(hwnd, 9);
        return msg == WM_NCHITTEST ? HTCLIENT : 0;
    };
    wsys::inject::Click(wsys::inject::CenterOf(view.get()));
    EXPECT_FALSE(WINL_ModalWindowRun(session, &result));
    EXPECT_EQ(result, wsys::kRunStoppedResponse); // ended from its own window's event
    EXPECT_EQ(messagesTo(view.get()).back(), WM_DESTROY);
    WINL_ModalWindowEnd(session);

    // Ending an outer session leaves the inner one running.
    auto first = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 50, 50), wsys::kTitledWindowMask);
    auto second = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 50, 50), wsys::kTitledWindowMask);
    void* outer = WINL_ModalWindowStart(first.get());
    void* inner = WINL_ModalWindowStart(second->ContentView());
    WINL_ModalWindowEnd(outer);
    EXPECT_EQ(wsys::App().ModalWindow(), second.get());
    EXPECT_TRUE(WINL_ModalWindowRun(inner, nullptr));
    WINL_ModalWindowEnd(inner);
    EXPECT_EQ(wsys::App().ModalWindow(), nullptr);
}

} // namespace
} // namespace winltest
