#include "tests/kit_winl/WinlViewFixture.h"

#include "kit/winl/winl-dlg-window.h"
#include "platform/wsys/Controls.h"
#include "platform/wsys/ScrollView.h"

#include <algorithm>
#include <string>

namespace winltest {
namespace {

using WinlHandle = WinlViewTest;

void addAll(wsys::View* parent, std::initializer_list<wsys::View*> views) {
    for (wsys::View* v : views)
        parent->AddSubview(v);
}

template <class T> wsys::Ref<T> tagged(int tag) {
    wsys::Ref<T> v = wsys::Make<T>(wsys::Rect(0, 0, 40, 20));
    v->SetTag(tag);
    return v;
}

TEST_F(WinlHandle, DialogItemsAreDirectChildrenOrWhatTheirScrollAndClipViewsShow) {
    auto button = tagged<Winl_vZoz_button>(5);
    auto list = tagged<wsys::Control>(9);
    auto scroll = wsys::Make<wsys::ScrollView>(wsys::Rect(0, 0, 100, 80));
    scroll->SetDocumentView(list.get());
    auto inClip = tagged<wsys::Control>(13);
    auto clip = wsys::Make<wsys::ClipView>();
    clip->SetDocumentView(inClip.get());
    auto box = wsys::Make<wsys::Box>();
    auto deep = tagged<wsys::Control>(11);
    box->AddSubview(deep.get());
    addAll(view.get(), {button.get(), scroll.get(), clip.get(), box.get()});

    EXPECT_EQ(GetDlgItem(window.get(), 0), view.get());
    EXPECT_EQ(GetDlgItem(button.get(), 0), button.get());
    EXPECT_EQ(GetDlgItem(window.get(), 5), button.get());
    EXPECT_EQ(GetDlgItem(view.get(), 9), list.get());
    EXPECT_EQ(GetDlgItem(view.get(), 13), inClip.get());
    EXPECT_EQ(GetDlgItem(view.get(), 11), nullptr); // a grandchild
    EXPECT_EQ(GetParent(list.get()), view.get());   // past its clip and scroll views
    EXPECT_EQ(GetParent(deep.get()), box.get());
    EXPECT_EQ(GetParent(view.get()), nullptr);
}

TEST_F(WinlHandle, StylesComeFromTheButtonKindAndWhereTheViewSits) {
    auto plain = wsys::Make<wsys::Button>(), mixed = wsys::Make<wsys::Button>();
    mixed->SetAllowsMixedState(true);
    auto radio = wsys::Make<Winl_vZoz_button>(), firstRadio = wsys::Make<Winl_vZoz_button>();
    radio->winlSetRadioFlags(Winl_vZoz_button::kRadio);
    firstRadio->winlSetRadioFlags(Winl_vZoz_button::kRadio | Winl_vZoz_button::kStartsRadioSet);
    auto resizable = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 50, 50),
                                              wsys::kTitledWindowMask | wsys::kResizableWindowMask);
    const std::pair<HWND, LONG> cases[] = {
        {plain.get(), 3 | WS_CHILD}, {mixed.get(), 6 | WS_CHILD},
        {radio.get(), 9 | WS_CHILD}, {firstRadio.get(), 9 | WS_GROUP | WS_CHILD},
        {view.get(), WS_CAPTION},    {resizable->ContentView(), WS_CAPTION | WS_THICKFRAME},
        {window.get(), 0},
    };
    for (const auto& [hwnd, style] : cases)
        EXPECT_EQ(GetWindowLong(hwnd, GWL_STYLE), style) << std::hex << style;

    EXPECT_EQ(SetWindowLong(radio.get(), GWL_STYLE, BS_AUTO3STATE), 9 | WS_CHILD);
    EXPECT_TRUE(radio->AllowsMixedState());
    EXPECT_EQ(radio->winlGetRadioFlags(), 0);
    EXPECT_EQ(SetWindowLong(radio.get(), GWL_STYLE, BS_AUTORADIOBUTTON | WS_GROUP), 6 | WS_CHILD);
    EXPECT_EQ(radio->Type(), wsys::kRadioButton);
    EXPECT_EQ(radio->winlGetRadioFlags(), 3);
    EXPECT_EQ(SetWindowLong(view.get(), GWL_STYLE, WS_CAPTION | WS_CHILD), 0); // unchanged frame
    EXPECT_EQ(view->GetWindow(), window.get());
}

TEST_F(WinlHandle, WindowLongsUseTheHandlesSlotsElseItsExtraData) {
    auto text = wsys::Make<wsys::TextView>();
    auto plain = wsys::Make<wsys::View>();
    EXPECT_EQ(GetWindowLong(text.get(), GWL_USERDATA), LONG(0xdeadf00b));
    EXPECT_EQ(SetWindowLong(view.get(), GWL_USERDATA, -7), 0);
    EXPECT_EQ(GetWindowLong(view.get(), GWL_USERDATA), -7);
    EXPECT_EQ(SetWindowLong(view.get(), GWL_ID, 300), 0);
    EXPECT_EQ(SetWindowLong(view.get(), GWL_ID, 301), 300);
    EXPECT_EQ(GetWindowLong(plain.get(), GWL_ID), -1);
    EXPECT_EQ(SetWindowLong(plain.get(), GWL_ID, 4), 0); // no way to set it, no extra data
    EXPECT_EQ(plain->Tag(), -1);
    EXPECT_EQ(SetWindowLong(view.get(), DWL_DLGPROC, LONG(&recordProc)), 0);
    EXPECT_EQ(view->getWinlDialogProc(), &recordProc);
    EXPECT_EQ(SetWindowLong(view.get(), 124, 5), 0);
    EXPECT_EQ(SetWindowLong(view.get(), 127, 6), 5); // the same word
    EXPECT_EQ(GetWindowLong(view.get(), 128), 0);
    EXPECT_EQ(GetWindowLong(window.get(), 124), 0);
}

TEST_F(WinlHandle, ANewFrameStyleMovesTheViewWithItsWindowsIntoANewWindow) {
    WINL_DialogResourceIndex res{"d", "Levels", 0, nullptr, 120, 90, nullptr};
    HWND owner =
        WINL_CreateDialog(nullptr, reinterpret_cast<const char*>(0x400000), nullptr, recordProc, 0);
    auto* dialog = static_cast<Winl_vZoz_hwnd*>(WINL_CreateDialog(&res, "d", owner, recordProc, 0));
    auto* owned = static_cast<wsys::View*>(WINL_CreateDialog(&res, "d", dialog, recordProc, 0));
    wsys::Ref<wsys::Window> old(dialog->GetWindow());
    auto child = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 10, 10), 0u);
    auto parent = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 10, 10), 0u);
    old->AddChildWindow(child.get(), wsys::kWindowAbove);
    parent->AddChildWindow(old.get(), wsys::kWindowAbove);
    ShowWindow(dialog, SW_SHOW);
    old->SetLevel(5);
    old->SetFrame(wsys::Rect(30.5, 40, 200, 150), false);
    g_sent.clear();

    EXPECT_EQ(SetWindowLong(dialog, GWL_STYLE, WS_CAPTION | WS_THICKFRAME), 0);
    auto* fresh = dynamic_cast<Winl_vZoz_modelesswindow*>(dialog->GetWindow());
    ASSERT_TRUE(fresh && fresh != old.get());
    EXPECT_EQ(fresh->StyleMask(), 15u);
    EXPECT_EQ(fresh->Title(), "Levels");
    EXPECT_EQ(fresh->Frame(), wsys::Rect(30.5, 40, 200, 150));
    EXPECT_EQ(fresh->Level(), 5);
    EXPECT_TRUE(fresh->IsKeyWindow());
    auto* ownerWindow =
        dynamic_cast<Winl_vZoz_modelesswindow*>(static_cast<wsys::View*>(owner)->GetWindow());
    EXPECT_EQ(fresh->winlGetOwner(), ownerWindow);
    OwnedWindowListRec* ownersList = *ownerWindow->winlGetOwnerWindowHead();
    ASSERT_NE(ownersList, nullptr);
    EXPECT_EQ(ownersList->window, fresh);
    EXPECT_EQ(ownersList->next, nullptr);
    EXPECT_EQ(GetParent(owned), dialog);
    EXPECT_EQ(child->ParentWindow(), fresh);
    EXPECT_EQ(fresh->ParentWindow(), parent.get());
    EXPECT_FALSE(IsWindow(old.get()));
    EXPECT_EQ(old->ParentWindow(), nullptr);
    for (const Sent& s : g_sent)
        EXPECT_FALSE(s.hwnd == dialog && s.msg == WM_DESTROY);
}

TEST_F(WinlHandle, ItemTextsAreAlwaysTerminatedAndTellTheFieldsParent) {
    char buf[8] = "xxxxxxx";
    view->onWinlSetText("abc");
    EXPECT_TRUE(GetDlgItemText(view.get(), 0, buf, 1));
    EXPECT_STREQ(buf, "");
    auto button = tagged<wsys::Button>(4);
    auto field = tagged<wsys::TextField>(6);
    field->SetEditable(true);
    auto label = tagged<wsys::TextField>(7);
    auto plain = wsys::Make<wsys::View>();
    addAll(view.get(), {button.get(), field.get(), label.get(), plain.get()});
    button->SetTitle("Gr\xC3\xB6\xC3\x9F"
                     "e");
    EXPECT_TRUE(GetDlgItemText(view.get(), 4, buf, 4)); // cut inside the second character
    EXPECT_EQ(std::string(buf), "Gr\xC3");
    EXPECT_FALSE(GetDlgItemText(plain.get(), 0, buf, sizeof buf));
    EXPECT_STREQ(buf, "");

    g_sent.clear();
    EXPECT_TRUE(SetDlgItemText(view.get(), 7, "\xE9t\xE9")); // not UTF-8: one character a byte
    EXPECT_EQ(label->StringValue(), "\xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(g_sent.empty());
    EXPECT_TRUE(SetDlgItemText(view.get(), 6, "42"));
    EXPECT_EQ(g_sent,
              (std::vector<Sent>{{view.get(), WM_COMMAND, 6 | 0x300 << 16, LPARAM(field.get())}}));
    EXPECT_FALSE(SetDlgItemText(plain.get(), 0, "x"));
    EXPECT_TRUE(SetDlgItemText(view.get(), 0, "Mixer"));
    EXPECT_EQ(window->Title(), "Mixer");
    EXPECT_STREQ(view->onWinlGetText(), "Mixer");
}

TEST_F(WinlHandle, IsWindowComparesHandlesWithoutFollowingThem) {
    WINL_DialogResourceIndex res{"d", nullptr, 0, nullptr, 120, 90, nullptr};
    auto* dialog = static_cast<wsys::View*>(WINL_CreateDialog(&res, "d", nullptr, recordProc, 0));
    auto box = wsys::Make<wsys::Box>();
    auto deep = wsys::Make<wsys::Control>();
    box->AddSubview(deep.get());
    dialog->AddSubview(box.get());
    auto inPlainWindow = wsys::Make<wsys::Control>();
    view->AddSubview(inPlainWindow.get());
    EXPECT_TRUE(IsWindow(deep.get()));
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_TRUE(IsWindow(window.get()));
    EXPECT_FALSE(IsWindow(inPlainWindow.get())); // only the layer's windows are searched
    deep->RemoveFromSuperview();
    EXPECT_FALSE(IsWindow(deep.get()));
    EXPECT_FALSE(IsWindow(nullptr));
}

TEST_F(WinlHandle, HidingOrDestroyingAViewHandsItsFocusUp) {
    auto child = Winl_vZoz_hwnd::initChild(nullptr, view.get(), recordProc, 0);
    child->SetHidden(false);
    auto field = wsys::Make<wsys::TextField>(wsys::Rect(0, 0, 50, 20));
    field->SetEditable(true);
    child->AddSubview(field.get());
    window->MakeFirstResponder(field.get());
    view->winlSetDirtyBits(0);
    g_sent.clear();
    ShowWindow(child.get(), SW_HIDE);
    EXPECT_TRUE(child->IsHidden());
    EXPECT_EQ(GetFocus(), view.get());
    EXPECT_TRUE(view->winlDirtyBits() & Winl_vZoz_hwnd::kDirtySelf);
    ShowWindow(child.get(), 7);
    EXPECT_TRUE(child->IsHidden());
    ShowWindow(child.get(), SW_SHOWNA);
    EXPECT_FALSE(child->IsHidden());

    window->MakeFirstResponder(child.get());
    DestroyWindow(child.get());
    EXPECT_EQ(child->Superview(), nullptr);
    EXPECT_EQ(GetFocus(), view.get());
    DestroyWindow(view.get()); // the window goes too; the view hears WM_DESTROY once
    EXPECT_FALSE(IsWindow(window.get()));
    EXPECT_EQ(messagesTo(child.get()), (std::vector<unsigned int>{WM_SHOWWINDOW, WM_SHOWWINDOW,
                                                                  WM_MOUSEACTIVATE, WM_DESTROY}));
    const std::vector<unsigned int> toView = messagesTo(view.get());
    EXPECT_EQ(std::count(toView.begin(), toView.end(), WM_DESTROY), 1);
}

TEST_F(WinlHandle, NullPlainAndDestroyedHandlesGiveNeutralAnswers) {
    auto destroyed = Winl_vZoz_hwnd::initChild(nullptr, nullptr, recordProc, 0);
    destroyed->onWinlMessage(WM_DESTROY, 0, 0);
    auto plain = wsys::Make<wsys::Responder>();
    for (HWND h : {HWND(nullptr), HWND(plain.get()), HWND(destroyed.get())}) {
        char buf[4] = "xyz";
        EXPECT_EQ(GetParent(h), nullptr);
        EXPECT_EQ(GetDlgItem(h, 3), nullptr);
        EXPECT_FALSE(IsWindow(h));
        EXPECT_EQ(GetWindowLong(h, GWL_STYLE), h == destroyed.get() ? WS_CHILD : LONG(0));
        EXPECT_EQ(SetWindowLong(h, GWL_STYLE, WS_CAPTION), 0);
        EXPECT_EQ(GetDlgItemText(h, 0, buf, sizeof buf), h == destroyed.get());
        EXPECT_STREQ(buf, "");
        ShowWindow(h, SW_SHOW);
        DestroyWindow(h);
        RECT r{1, 2, 3, 4};
        EXPECT_EQ(GetWindowRect(h, &r), h == destroyed.get());
        GetClientRect(h, &r);
        SetWindowPos(h, HWND_TOP, 1, 2, 3, 4, 0);
        EXPECT_EQ(GetWindow(h, GW_CHILD), nullptr);
        EndDialog(h, 1);
        EXPECT_EQ(WINL_ModalWindowStart(h), nullptr);
    }
    EXPECT_EQ(SetParent(plain.get(), view.get()), nullptr);
    EXPECT_EQ(wsys::App().Windows().size(), 1u);
}

} // namespace
} // namespace winltest
