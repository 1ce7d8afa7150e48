#include "tests/kit_winl/WinlViewFixture.h"

#include "platform/wsys/Controls.h"

#include <cstring>
#include <string>

namespace winltest {
namespace {

using WinlViewLifecycle = WinlViewTest;

// Controls the dialog record makes: a label that takes no focus, then an edit field.
wsys::TextField* g_field = nullptr;
void makeControls(HWND dialog, int) {
    auto* parent = static_cast<wsys::View*>(dialog);
    wsys::Ref<wsys::TextField> label = wsys::Make<wsys::TextField>(wsys::Rect(10, 10, 80, 20));
    wsys::Ref<wsys::TextField> field = wsys::Make<wsys::TextField>(wsys::Rect(10, 40, 80, 20));
    field->SetEditable(true);
    parent->AddSubview(label.get());
    parent->AddSubview(field.get());
    g_field = field.get();
}

TEST_F(WinlViewLifecycle, InitDialogNamesTheFirstFocusableControlAndItsAnswerPicksTheFocus) {
    WINL_DialogResourceIndex res{"d", nullptr, WINL_DialogResourceIndex::kFlipped, makeControls,
                                 120, 90, nullptr};
    for (LRESULT answer : {LRESULT(1), WINL_INITDIALOG_FOCUS_DIALOG}) {
        SCOPED_TRACE(answer);
        auto w = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 50, 50), wsys::kTitledWindowMask);
        g_sent.clear();
        g_answer = [&](HWND, unsigned int msg, WPARAM, LPARAM) {
            return msg == WM_INITDIALOG ? answer : 0;
        };
        auto dialog = Winl_vZoz_hwnd::initChild(&res, w.get(), recordProc, 77);
        ASSERT_FALSE(g_sent.empty());
        EXPECT_EQ(g_sent[0], (Sent{dialog.get(), WM_INITDIALOG, WPARAM(g_field), 77}));
        EXPECT_TRUE(dialog->IsFlipped());
        EXPECT_FALSE(dialog->IsOpaque());
        EXPECT_TRUE(dialog->IsHidden());
        w->MakeKeyWindow();
        EXPECT_EQ(GetFocus(), answer == 1 ? HWND(g_field) : HWND(dialog.get()));
    }
}

TEST_F(WinlViewLifecycle, WithoutRecordTheProcedureGetsCreateAndThe300By200View) {
    auto child = Winl_vZoz_hwnd::initChild(nullptr, view.get(), recordProc, 5);
    EXPECT_EQ(g_sent, (std::vector<Sent>{{child.get(), WM_CREATE, 0, 5}}));
    EXPECT_EQ(child->Frame(), wsys::Rect(0, 0, 300, 200));
    EXPECT_EQ(child->Superview(), view.get());
    EXPECT_TRUE(child->IsFlipped() && child->IsOpaque());
    // A record gives the size; without a dialog procedure nothing is sent.
    WINL_DialogResourceIndex res{"d", nullptr, WINL_DialogResourceIndex::kOpaque, nullptr, 120, 90,
                                 nullptr};
    g_sent.clear();
    auto sized = Winl_vZoz_hwnd::initChild(&res, view.get(), nullptr, 5);
    EXPECT_EQ(sized->Frame(), wsys::Rect(0, 0, 120, 90));
    EXPECT_TRUE(sized->IsOpaque() && !sized->IsFlipped());
    EXPECT_TRUE(g_sent.empty());
}

TEST_F(WinlViewLifecycle, DestroyRunsOnceAndThenNothingGetsThrough) {
    auto child = Winl_vZoz_hwnd::initChild(nullptr, view.get(), recordProc, 0);
    wsys::Ref<wsys::Object> menu = wsys::Make<wsys::View>();
    view->winlSetMenu(menu.get());
    wsys::App().SetMainMenu(menu.get());
    SetCapture(view.get());
    const unsigned int timer = SetTimer(view.get(), 3, 10, nullptr);
    ASSERT_EQ(timer, 3u);
    g_sent.clear();
    std::vector<LRESULT> during;
    g_answer = [&](HWND hwnd, unsigned int msg, WPARAM, LPARAM) -> LRESULT {
        if (hwnd == view.get() && msg == WM_DESTROY) {
            // Direct messages still arrive; the platform's notifications do not.
            during.push_back(view->onWinlMessage(0x400, 0, 0));
            during.push_back(view->onWinlMessage(WM_DESTROY, 0, 0));
            view->SetHidden(true);
            return 42;
        }
        return 0;
    };
    EXPECT_EQ(view->onWinlMessage(WM_DESTROY, 1, 2), 42);
    EXPECT_EQ(during, (std::vector<LRESULT>{0, 0}));
    EXPECT_EQ(g_sent, (std::vector<Sent>{{view.get(), WM_DESTROY, 1, 2},
                                         {view.get(), 0x400, 0, 0},
                                         {child.get(), WM_DESTROY, 0, 0}}));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(wsys::App().MainMenu(), nullptr);
    EXPECT_EQ(view->winlGetMenu(), nullptr);
    EXPECT_EQ(KillTimer(view.get(), 3), 0);
    EXPECT_FALSE(view->winlCanPostMessage());

    g_sent.clear();
    EXPECT_EQ(view->onWinlMessage(WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(view->onWinlMessage(0x400, 0, 0), 0);
    view->SetHidden(false);
    view->onWinlCommand(view.get());
    EXPECT_TRUE(g_sent.empty());
}

TEST_F(WinlViewLifecycle, AViewDestroyedInsideItsOwnCommandOutlivesTheCall) {
    Winl_vZoz_hwnd* child = Winl_vZoz_hwnd::initChild(nullptr, view.get(), recordProc, 0).get();
    wsys::Ref<wsys::Button> button = wsys::Make<wsys::Button>();
    button->SetTag(9);
    button->SetTarget(child);
    button->SetAction(Winl_vZoz_hwnd::CommandAction);
    g_answer = [&](HWND hwnd, unsigned int msg, WPARAM, LPARAM) -> LRESULT {
        if (hwnd == child && msg == WM_COMMAND) {
            child->onWinlMessage(WM_DESTROY, 0, 0);
            child->RemoveFromSuperview(); // the superview held the only reference
        }
        return 0;
    };
    g_sent.clear();
    EXPECT_TRUE(button->SendAction());
    EXPECT_EQ(g_sent, (std::vector<Sent>{{child, WM_COMMAND, 9, LPARAM(button.get())},
                                         {child, WM_DESTROY, 0, 0}}));
    EXPECT_TRUE(view->Subviews().empty());
}

TEST_F(WinlViewLifecycle, ExtraDataAndTextStayInsideTheirBuffers) {
    view->setWinlExtraData(124, 7);
    view->setWinlExtraData(127, 8); // the same slot
    view->setWinlExtraData(128, 9);
    view->setWinlExtraData(-1, 10);
    view->setWinlExtraData(-4, 11);
    EXPECT_EQ(view->getWinlExtraData(124), 8);
    EXPECT_EQ(view->getWinlExtraData(128), 0);
    EXPECT_EQ(view->getWinlExtraData(-1), 0);
    EXPECT_EQ(view->getWinlExtraData(0), 0);

    std::string text(2000, '\xE9');
    view->onWinlSetText(text.c_str());
    EXPECT_EQ(std::string(view->onWinlGetText()), text.substr(0, 1023));
    view->onWinlSetText(nullptr);
    EXPECT_STREQ(view->onWinlGetText(), "");
}

TEST_F(WinlViewLifecycle, PropertiesMatchStringsByTextAndAtomsByValue) {
    EXPECT_EQ(view->winlEnumProps([](HWND, const char*, void*, LPARAM) { return true; }, 0), -1);
    int a = 1, b = 2, c = 3;
    std::string name = "colour";
    view->winlSetProp(name.c_str(), &a);
    view->winlSetProp("colour", &b);
    view->winlSetProp(reinterpret_cast<const char*>(5), &c);
    view->winlSetProp("5", &a);
    EXPECT_EQ(view->winlGetProp("colour", false), &b);
    EXPECT_EQ(view->winlGetProp(reinterpret_cast<const char*>(5), false), &c);
    EXPECT_EQ(view->winlGetProp("5", false), &a);

    std::vector<void*> seen;
    auto collect = [](HWND, const char*, void* data, LPARAM lp) {
        reinterpret_cast<std::vector<void*>*>(lp)->push_back(data);
        return true;
    };
    EXPECT_EQ(view->winlEnumProps(collect, LPARAM(&seen)), 1);
    EXPECT_EQ(seen, (std::vector<void*>{&a, &c, &b})); // newest first
    auto stop = [](HWND, const char*, void* data, LPARAM lp) {
        reinterpret_cast<std::vector<void*>*>(lp)->push_back(data);
        return false;
    };
    seen.clear();
    EXPECT_EQ(view->winlEnumProps(stop, LPARAM(&seen)), 0);
    EXPECT_EQ(seen.size(), 1u);

    EXPECT_EQ(view->winlGetProp("colour", true), &b);
    EXPECT_EQ(view->winlGetProp("colour", false), nullptr);
}

// Buttons in a row; radio flags per button, 0 for a view that is no button.
struct Row {
    std::vector<int> flags;
    int clicked;
    std::vector<int> onAfter; // states, -1 for the plain view
};

TEST_F(WinlViewLifecycle, RadioClicksClearTheirSetBothWays) {
    constexpr int R = Winl_vZoz_button::kRadio, S = Winl_vZoz_button::kStartsRadioSet;
    const Row rows[] = {
        {{R | S, R, R}, 1, {0, 1, 0}},
        {{R | S, R, R, R | S, R}, 1, {0, 1, 0, 1, 1}},
        // A set starter walks forward only.
        {{R | S, R, R | S, R}, 2, {1, 1, 1, 0}},
        // A view that is no button ends the walk.
        {{R, -1, R, R}, 2, {1, -1, 1, 0}},
    };
    for (const Row& row : rows) {
        g_sent.clear();
        std::vector<wsys::Ref<wsys::View>> views;
        for (int f : row.flags) {
            if (f < 0) {
                views.push_back(wsys::Make<wsys::View>());
            } else {
                wsys::Ref<Winl_vZoz_button> b = wsys::Make<Winl_vZoz_button>();
                b->winlSetRadioFlags(f);
                b->SetState(wsys::kOnState);
                b->SetTag(int(views.size()) + 1);
                views.emplace_back(b.get());
            }
            view->AddSubview(views.back().get());
        }
        view->onWinlCommand(views[size_t(row.clicked)].get());
        for (size_t i = 0; i < views.size(); ++i) {
            auto* b = dynamic_cast<Winl_vZoz_button*>(views[i].get());
            EXPECT_EQ(b ? b->State() : -1, row.onAfter[i]) << "button " << i;
            views[i]->RemoveFromSuperview();
        }
        ASSERT_EQ(g_sent.size(), 1u);
        EXPECT_EQ(g_sent[0].msg, WM_COMMAND);
        EXPECT_EQ(g_sent[0].wParam, WPARAM(row.clicked + 1));
    }
}

TEST_F(WinlViewLifecycle, ControlActionsByClass) {
    wsys::Ref<wsys::Slider> slider = wsys::Make<wsys::Slider>();
    wsys::Ref<wsys::PopUpButton> popUp = wsys::Make<wsys::PopUpButton>();
    popUp->SetTag(4);
    wsys::Ref<wsys::TextField> field = wsys::Make<wsys::TextField>();
    field->SetTag(6);
    wsys::Ref<wsys::ComboBox> combo = wsys::Make<wsys::ComboBox>();
    view->onWinlCommand(slider.get());
    view->onWinlCommand(popUp.get());
    view->onWinlCommand(combo.get());
    view->onWinlCommand(field.get());
    // A control worked by a double click says so.
    wsys::Ref<wsys::Event> click = wsys::Event::MouseEvent(wsys::kLeftMouseUp, {}, 0, 0, 0, 0, 2, 0);
    wsys::App().PostEvent(click);
    wsys::App().NextEvent(wsys::kAnyEventMask, 0, wsys::kDefaultRunLoopMode);
    view->onWinlCommand(field.get());
    EXPECT_EQ(g_sent, (std::vector<Sent>{{view.get(), WM_HSCROLL, 0, LPARAM(slider.get())},
                                         {view.get(), WM_COMMAND, 4 | 1 << 16, LPARAM(popUp.get())},
                                         {view.get(), WM_COMMAND, 6, LPARAM(field.get())},
                                         {view.get(), WM_COMMAND, 6 | 1 << 16, LPARAM(field.get())}}));
    g_sent.clear();
    view->ControlTextDidChange(field.get());
    view->ControlTextDidChange(combo.get());
    view->TextDidEndEditing(combo.get());
    EXPECT_EQ(g_sent, (std::vector<Sent>{{view.get(), WM_COMMAND, 6 | 0x300 << 16, LPARAM(field.get())},
                                         {view.get(), WM_COMMAND, 5 << 16, LPARAM(combo.get())}}));
}

TEST_F(WinlViewLifecycle, TimerTicksOnlyForTheOnlyTimerView) {
    SetTimer(view.get(), 12, 10, nullptr);
    auto other = Winl_vZoz_hwnd::initChild(nullptr, view.get(), nullptr, 0);
    WINL_RunRunLoopEx(10, other.get());
    EXPECT_EQ(find(WM_TIMER), nullptr);
    WINL_RunRunLoop(10);
    ASSERT_NE(find(WM_TIMER), nullptr);
    EXPECT_EQ(*find(WM_TIMER), (Sent{view.get(), WM_TIMER, 12, 0}));
    KillTimer(view.get(), 0xFFFFFFFF);
}

} // namespace
} // namespace winltest
