#include "tests/kit_winl/WinlViewFixture.h"

#include "kit/winl/winl-dlg-window.h"
#include "platform/wsys/Controls.h"
#include "platform/wsys/ScrollView.h"

#include <algorithm>

namespace winltest {
namespace {

using WinlHandle = WinlViewTest;

template <class T> wsys::Ref<T> addTagged(wsys::View* parent, int tag) {
    wsys::Ref<T> v = wsys::Make<T>(wsys::Rect(0, 0, 40, 20));
    v->SetTag(tag);
    if (parent) parent->AddSubview(v.get());
    return v;
}

TEST_F(WinlHandle, DialogItemsAreDirectChildrenOrWhatTheirScrollAndClipViewsShow) {
    auto button = addTagged<Winl_vZoz_button>(view.get(), 5);
    auto scroll = wsys::Make<wsys::ScrollView>(wsys::Rect(0, 0, 100, 80));
    auto list = addTagged<wsys::Control>(nullptr, 9);
    scroll->SetDocumentView(list.get());
    auto clip = wsys::Make<wsys::ClipView>();
    auto inClip = addTagged<wsys::Control>(nullptr, 13);
    clip->SetDocumentView(inClip.get());
    auto deep = addTagged<wsys::Control>(button.get(), 11);
    view->AddSubview(scroll.get());
    view->AddSubview(clip.get());
    const std::vector<HWND> found{GetDlgItem(window.get(), 0), GetDlgItem(button.get(), 0),
                                  GetDlgItem(window.get(), 5), GetDlgItem(view.get(), 9),
                                  GetDlgItem(view.get(), 13),  GetDlgItem(view.get(), 11)};
    EXPECT_EQ(found, (std::vector<HWND>{view.get(), button.get(), button.get(), list.get(),
                                        inClip.get(), nullptr})); // not the grandchild
    EXPECT_EQ(GetParent(list.get()), view.get());                 // past its clip and scroll views
}

TEST_F(WinlHandle, StylesComeFromTheButtonKindAndWhereTheViewSitsOtherLongsFromSlots) {
    auto check = wsys::Make<wsys::Button>(), mixed = wsys::Make<wsys::Button>();
    mixed->SetAllowsMixedState(true);
    auto radio = wsys::Make<Winl_vZoz_button>(), firstRadio = wsys::Make<Winl_vZoz_button>();
    radio->winlSetRadioFlags(Winl_vZoz_button::kRadio);
    firstRadio->winlSetRadioFlags(Winl_vZoz_button::kRadio | Winl_vZoz_button::kStartsRadioSet);
    auto resizable = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 50, 50),
                                              wsys::kTitledWindowMask | wsys::kResizableWindowMask);
    std::vector<LONG> styles;
    for (HWND h : {HWND(check.get()), HWND(mixed.get()), HWND(radio.get()), HWND(firstRadio.get()),
                   HWND(view.get()), HWND(resizable->ContentView()), HWND(window.get())})
        styles.push_back(GetWindowLong(h, GWL_STYLE));
    EXPECT_EQ(styles,
              (std::vector<LONG>{3 | WS_CHILD, 6 | WS_CHILD, 9 | WS_CHILD, 9 | WS_GROUP | WS_CHILD,
                                 WS_CAPTION, WS_CAPTION | WS_THICKFRAME, 0}));
    EXPECT_EQ(SetWindowLong(radio.get(), GWL_STYLE, BS_AUTO3STATE), 9 | WS_CHILD);
    EXPECT_EQ(SetWindowLong(radio.get(), GWL_STYLE, BS_AUTORADIOBUTTON | WS_GROUP), 6 | WS_CHILD);
    EXPECT_TRUE(radio->Type() == wsys::kRadioButton && radio->winlGetRadioFlags() == 3);

    auto plain = wsys::Make<wsys::View>();
    auto text = wsys::Make<wsys::TextView>();
    EXPECT_EQ(GetWindowLong(text.get(), GWL_USERDATA), LONG(0xdeadf00b));
    EXPECT_EQ(SetWindowLong(view.get(), GWL_ID, 300), 0);
    EXPECT_EQ(SetWindowLong(view.get(), GWL_ID, 301), 300);
    EXPECT_EQ(SetWindowLong(plain.get(), GWL_ID, 4), 0); // no way to set it, no extra data
    EXPECT_EQ(GetWindowLong(plain.get(), GWL_ID), -1);
    EXPECT_EQ(SetWindowLong(view.get(), DWL_DLGPROC, LONG(&recordProc)), 0);
    EXPECT_EQ(SetWindowLong(view.get(), DWL_DLGPROC, 0), LONG(&recordProc));
    EXPECT_EQ(SetWindowLong(view.get(), 124, 5), 0);
    EXPECT_EQ(GetWindowLong(view.get(), 124), 5);
}

TEST_F(WinlHandle, ANewFrameStyleMovesTheViewWithItsWindowsIntoANewWindow) {
    WINL_DialogResourceIndex res{"d", "Levels", 0, nullptr, 120, 90, nullptr};
    HWND owner = WINL_CreateDialog(nullptr, (const char*)0x400000, nullptr, recordProc, 0);
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
    EXPECT_EQ(SetWindowLong(dialog, GWL_STYLE, WS_CAPTION | WS_CHILD), 0); // the same frame style
    EXPECT_EQ(dialog->GetWindow(), old.get());
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
    EXPECT_EQ((*ownerWindow->winlGetOwnerWindowHead())->window, fresh);
    EXPECT_EQ(GetParent(owned), dialog);
    EXPECT_EQ(child->ParentWindow(), fresh);
    EXPECT_EQ(fresh->ParentWindow(), parent.get());
    EXPECT_FALSE(IsWindow(old.get()) || old->ParentWindow());
    const std::vector<unsigned int> toDialog = messagesTo(dialog);
    EXPECT_EQ(std::count(toDialog.begin(), toDialog.end(), WM_DESTROY), 0);
}

TEST_F(WinlHandle, ItemTextsAreAlwaysTerminatedAndTellTheFieldsParent) {
    char buf[8] = "xxxxxxx";
    view->onWinlSetText("abc");
    EXPECT_TRUE(GetDlgItemText(view.get(), 0, buf, 1));
    EXPECT_STREQ(buf, "");
    auto button = addTagged<wsys::Button>(view.get(), 4);
    button->SetTitle("Gr\xC3\xB6\xC3\x9F"
                     "e");
    EXPECT_TRUE(GetDlgItemText(view.get(), 4, buf, 4)); // cut inside the second character
    EXPECT_EQ(std::string(buf), "Gr\xC3");
    auto plain = wsys::Make<wsys::View>();
    EXPECT_FALSE(GetDlgItemText(plain.get(), 0, buf, sizeof buf));
    EXPECT_STREQ(buf, "");
    EXPECT_FALSE(SetDlgItemText(plain.get(), 0, "x"));

    auto field = addTagged<wsys::TextField>(view.get(), 6);
    field->SetEditable(true);
    auto label = addTagged<wsys::TextField>(view.get(), 7);
    g_sent.clear();
    EXPECT_TRUE(SetDlgItemText(view.get(), 7, "\xE9t\xE9")); // not UTF-8: one character a byte
    EXPECT_EQ(label->StringValue(), "\xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(SetDlgItemText(view.get(), 6, "42"));
    EXPECT_EQ(g_sent,
              (std::vector<Sent>{{view.get(), WM_COMMAND, 6 | 0x300 << 16, LPARAM(field.get())}}));
    EXPECT_TRUE(SetDlgItemText(view.get(), 0, "Mixer"));
    EXPECT_EQ(window->Title(), "Mixer");
    EXPECT_STREQ(view->onWinlGetText(), "Mixer");
}

TEST_F(WinlHandle, IsWindowFindsViewsDeepInTheLayersWindowsWithoutFollowingHandles) {
    WINL_DialogResourceIndex res{"d", nullptr, 0, nullptr, 120, 90, nullptr};
    auto* dialog = static_cast<wsys::View*>(WINL_CreateDialog(&res, "d", nullptr, recordProc, 0));
    auto box = wsys::Make<wsys::Box>();
    dialog->AddSubview(box.get());
    auto deep = addTagged<wsys::Control>(box.get(), 0);
    auto inPlainWindow = addTagged<wsys::Control>(view.get(), 0);
    EXPECT_TRUE(IsWindow(deep.get()) && IsWindow(dialog) && IsWindow(window.get()));
    EXPECT_FALSE(IsWindow(inPlainWindow.get())); // only the layer's windows are searched
    deep->RemoveFromSuperview();
    EXPECT_FALSE(IsWindow(deep.get()));
}

TEST_F(WinlHandle, HidingOrDestroyingAViewHandsItsFocusUp) {
    auto child = Winl_vZoz_hwnd::initChild(nullptr, view.get(), recordProc, 0);
    child->SetHidden(false);
    auto field = addTagged<wsys::TextField>(child.get(), 0);
    field->SetEditable(true);
    window->MakeFirstResponder(field.get());
    view->winlSetDirtyBits(0);
    g_sent.clear();
    ShowWindow(child.get(), SW_HIDE);
    EXPECT_EQ(GetFocus(), view.get());
    EXPECT_TRUE(view->winlDirtyBits() & Winl_vZoz_hwnd::kDirtySelf); // the area it left
    ShowWindow(child.get(), 7);
    EXPECT_TRUE(child->IsHidden());
    ShowWindow(child.get(), SW_SHOWNA);
    EXPECT_FALSE(child->IsHidden());

    window->MakeFirstResponder(child.get());
    DestroyWindow(child.get());
    EXPECT_EQ(child->Superview(), nullptr);
    EXPECT_EQ(GetFocus(), view.get());
    DestroyWindow(view.get()); // the window goes too; the view acts on one WM_DESTROY
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
        const bool view = h == destroyed.get();
        char buf[4] = "xyz";
        RECT r{1, 2, 3, 4};
        EXPECT_TRUE(!GetParent(h) && !GetDlgItem(h, 3) && !IsWindow(h) && !GetWindow(h, GW_CHILD));
        EXPECT_EQ(GetWindowLong(h, GWL_STYLE), view ? WS_CHILD : LONG(0));
        EXPECT_EQ(SetWindowLong(h, GWL_STYLE, WS_CAPTION), 0);
        EXPECT_EQ(GetDlgItemText(h, 0, buf, sizeof buf), view);
        EXPECT_STREQ(buf, "");
        EXPECT_EQ(GetWindowRect(h, &r), view);
        ShowWindow(h, SW_SHOW);
        DestroyWindow(h);
        GetClientRect(h, &r);
        SetWindowPos(h, HWND_TOP, 1, 2, 3, 4, 0);
        EndDialog(h, 1);
        EXPECT_EQ(WINL_ModalWindowStart(h), nullptr);
    }
    EXPECT_EQ(SetParent(plain.get(), view.get()), nullptr);
    EXPECT_EQ(wsys::App().Windows().size(), 1u);
}

} // namespace
} // namespace winltest
