#include "WinlViewFixture.h"

#include "kit/winl/winl-gdi-text.h"
#include "kit/winl/winl-wnd-factory.h"
#include "platform/wsys/KeyLayout.h"
#include "platform/wsys/ScrollView.h"

#include <climits>
#include <string>

namespace winltest {
namespace {

using WinlButton = WinlViewTest;
using WinlTextControl = WinlViewTest;
using WinlTrackbar = WinlViewTest;
namespace inject = wsys::inject;

// Controls laid out in pixels in the test's dialog view.
class WinlControls : public WinlViewTest {
protected:
    void SetUp() override {
        WinlViewTest::SetUp();
        WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
    }
    // The WM_COMMANDs the view got: (id, code).
    std::vector<std::pair<int, int>> commands() const {
        std::vector<std::pair<int, int>> out;
        for (const Sent& s : g_sent)
            if (s.msg == WM_COMMAND) out.emplace_back(int(s.wParam & 0xFFFF), int(s.wParam >> 16));
        return out;
    }
};
using WinlButtonModel = WinlControls;
using WinlTextModel = WinlControls;

TEST_F(WinlButtonModel, ClicksMoveCheckBoxesAndRadiosOnAndTellTheDialog) {
    HWND check = WINL_MakeButton(0, "Check", 1, -10, -10, -80, -20, 0);
    SetWindowLong(check, GWL_STYLE, BS_AUTO3STATE);
    HWND radios[3];
    for (int i = 0; i < 3; ++i) {
        radios[i] = WINL_MakeButton(0, "Radio", 2 + i, -10, -(40 + 25 * i), -80, -20, 0);
        SetWindowLong(radios[i], GWL_STYLE, BS_AUTORADIOBUTTON | (i == 0 ? LONG(WS_GROUP) : 0));
    }
    CheckDlgButton(view.get(), 2, 1);
    const wsys::Point checkAt = inject::CenterOf(static_cast<wsys::View*>(check));
    for (int expected : {BST_INDETERMINATE, BST_CHECKED, BST_UNCHECKED}) {
        inject::Click(checkAt);
        run();
        EXPECT_EQ(IsDlgButtonChecked(view.get(), 1), expected);
    }
    inject::Click(inject::CenterOf(static_cast<wsys::View*>(radios[2])));
    // Pressed, dragged away and released outside: nothing.
    inject::Drag(inject::CenterOf(static_cast<wsys::View*>(radios[1])), wsys::Point{5, 5});
    run();
    EXPECT_EQ(commands(), (std::vector<std::pair<int, int>>{{1, 0}, {1, 0}, {1, 0}, {4, 0}}));
    EXPECT_EQ(IsDlgButtonChecked(view.get(), 2), 0);
    EXPECT_EQ(IsDlgButtonChecked(view.get(), 3), 0);
    EXPECT_EQ(IsDlgButtonChecked(view.get(), 4), 1);

    // A disabled button takes no click; CheckDlgButton's bit 2 is the mixed state.
    EnableWindow(check, 0);
    inject::Click(checkAt);
    run();
    EXPECT_EQ(commands().size(), 4u);
    CheckDlgButton(view.get(), 1, 3);
    EXPECT_EQ(IsDlgButtonChecked(view.get(), 1), BST_INDETERMINATE);
    EXPECT_EQ(IsDlgButtonChecked(view.get(), 99), 0);
}

TEST_F(WinlTextModel, TypingTellsEachChangeAndReturnPressesTheDefaultButton) {
    HWND field = WINL_MakeEditField(5, -10, -10, -120, -22, 0);
    HWND other = WINL_MakeEditField(6, -10, -40, -120, -22, 0);
    inject::Click(inject::CenterOf(static_cast<wsys::View*>(field)));
    inject::Type(u"a");
    // A character no key of the layout types.
    wsys::App().PostEvent(wsys::Event::KeyEvent(wsys::kKeyDown, {}, 0, 0, window->WindowNumber(),
                                                u"\u00e9", u"\u00e9", false, 0));
    inject::Type(u"b");
    inject::Key(wsys::kKeyCodeDelete);
    inject::Key(wsys::kKeyCodeLeft, wsys::kShiftKeyMask);
    inject::Type(u"Z");
    run();
    char text[16];
    GetDlgItemText(view.get(), 5, text, sizeof text);
    EXPECT_STREQ(text, "aZ");
    EXPECT_EQ(commands(), (std::vector<std::pair<int, int>>(5, {5, 0x300})));

    // Tab ends the editing and moves on; Return goes to the default button first.
    g_sent.clear();
    inject::Key(wsys::kKeyCodeTab);
    run();
    EXPECT_TRUE(IsEquivalentTextView(GetFocus(), other));
    inject::Key(wsys::kKeyCodeReturn); // no default button: the field's action
    run();
    HWND ok = WINL_MakeButton(1, "OK", IDOK, -10, -80, -60, -24, 0);
    inject::Key(wsys::kKeyCodeReturn);
    run();
    EnableWindow(ok, 0);
    inject::Key(wsys::kKeyCodeReturn);
    run();
    EXPECT_EQ(commands(), (std::vector<std::pair<int, int>>{{6, 0}, {IDOK, 0}, {6, 0}}));
}

TEST_F(WinlTextModel, AMultiLineEditEndsEditingWhenItLosesTheFocus) {
    HWND scroll = WINL_MakeEditField(7, -10, -10, -120, -40, 0x200000);
    HWND field = WINL_MakeEditField(8, -10, -60, -120, -22, 0);
    auto* text = static_cast<wsys::TextView*>(GetDlgItem(view.get(), 7));
    inject::Click(inject::CenterOf(static_cast<wsys::View*>(scroll)));
    inject::Type(u"x");
    inject::Key(wsys::kKeyCodeReturn);
    inject::Key(wsys::kKeyCodeTab);
    inject::Click(inject::CenterOf(static_cast<wsys::View*>(field)));
    run();
    EXPECT_EQ(text->String(), u"x\n\t");
    EXPECT_EQ(commands(), (std::vector<std::pair<int, int>>{{7, 0x300}}));
}

TEST_F(WinlButton, RepaintMarkingStopsAtTheFirstViewThatHasIt) {
    auto middle = Winl_vZoz_hwnd::initChild(nullptr, view.get(), nullptr, 0);
    auto inner = Winl_vZoz_hwnd::initChild(nullptr, middle.get(), nullptr, 0);
    const std::vector<wsys::Ref<wsys::View>> controls = {
        wsys::Make<Winl_vZoz_button>(),  wsys::Make<Winl_vZoz_textview>(), wsys::Make<Winl_vZoz_textfield>(),
        wsys::Make<Winl_vZoz_box>(),     wsys::Make<Winl_vZoz_pub>(),      wsys::Make<Winl_vZoz_cbox>()};
    Winl_vZoz_hwnd* chain[] = {view.get(), middle.get(), inner.get()};
    for (const wsys::Ref<wsys::View>& control : controls) {
        inner->AddSubview(control.get());
        for (Winl_vZoz_hwnd* v : chain)
            v->winlSetDirtyBits(0);
        control->SetNeedsDisplay(false);
        EXPECT_EQ(view->winlDirtyBits(), 0);
        control->SetNeedsDisplay(true);
        for (Winl_vZoz_hwnd* v : chain)
            EXPECT_EQ(v->winlDirtyBits(), Winl_vZoz_hwnd::kDirtyChildren);
        view->winlSetDirtyBits(0);
        middle->winlSetDirtyBits(0);
        control->SetNeedsDisplayInRect(wsys::Rect(0, 0, 1, 1));
        EXPECT_EQ(view->winlDirtyBits() | middle->winlDirtyBits(), 0);
    }
}

TEST_F(WinlButton, ADisabledLabelShowsAtHalfOpacity) {
    WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
    auto* label = static_cast<wsys::TextField*>(WINL_MakeLabel(-1, "Level", 1, 0, 0, 50, 12, 0));
    label->SetTextColor(wsys::Color{1, 0, 0, 1});
    EnableWindow(label, 0);
    EXPECT_FALSE(label->IsEnabled());
    EXPECT_EQ(label->TextColor(), (wsys::Color{1, 0, 0, 0.5}));
    EnableWindow(label, 1);
    EXPECT_EQ(label->TextColor(), (wsys::Color{1, 0, 0, 1}));
    auto* field = static_cast<wsys::TextField*>(WINL_MakeEditField(2, 0, 0, 50, 12, 0));
    EnableWindow(field, 0);
    EXPECT_FALSE(field->IsEnabled());
    EXPECT_FALSE(field->TextColor().has_value());
    EnableWindow(window.get(), 0); // the content view
    EXPECT_FALSE(view->IsEnabled());
}

TEST_F(WinlTextControl, IntegersAreReadAsAtoiReadsThem) {
    WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
    WINL_MakeLabel(-1, "", 1, 0, 0, 50, 12, 0);
    const std::string blanks(126, ' ');
    const struct {
        std::string text;
        int isSigned, value;
        bool translated;
    } cases[] = {
        {"  42", 1, 42, true}, {"\t7x", 0, 7, true}, {"abc", 1, 0, false}, {"0", 0, 0, true},
        {"-3", 0, 0, false},   {"-3", 1, -3, true},  {"", 1, 0, false},    {"2147483647", 0, INT_MAX, true},
        {"4294967295", 0, 0, false}, // atoi's -1: negative
        {blanks + "42", 1, 4, true}, // read within 128 bytes
    };
    for (const auto& c : cases) {
        SetDlgItemText(view.get(), 1, c.text.c_str());
        bool translated = !c.translated;
        EXPECT_EQ(GetDlgItemInt(view.get(), 1, &translated, c.isSigned), c.value) << c.text;
        EXPECT_EQ(translated, c.translated) << c.text;
    }
    bool translated = true;
    EXPECT_EQ(GetDlgItemInt(view.get(), 99, &translated, 1), 0);
    EXPECT_FALSE(translated);

    char text[16];
    for (const auto& [value, isSigned, shown] : {std::tuple{-1, 0, "4294967295"}, {-1, 1, "-1"}, {INT_MIN, 1, "-2147483648"}}) {
        EXPECT_TRUE(SetDlgItemInt(view.get(), 1, value, isSigned));
        GetDlgItemText(view.get(), 1, text, sizeof text);
        EXPECT_STREQ(text, shown);
    }
}

TEST_F(WinlTextControl, TheMultiLineEditTakesSelectionFontAndScrollMessages) {
    WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
    auto* scroll = static_cast<wsys::ScrollView*>(WINL_MakeEditField(1, 0, 0, 100, 40, 0x200000));
    auto* text = static_cast<Winl_vZoz_textview*>(scroll->DocumentView());
    SetDlgItemText(view.get(), 1, "0123456789");
    const struct {
        int start, end, selStart, selEnd;
    } cases[] = {{-1, 4, 0, 0}, {2, -1, 2, 10}, {5, 100, 5, 10}, {7, 3, 3, 7}, {10, 10, 10, 10}, {11, -5, 0, 10}};
    for (const auto& c : cases) {
        EXPECT_EQ(SendMessage(text, EM_SETSEL, WPARAM(c.start), LPARAM(c.end)), 0);
        int start = -9, end = -9;
        SendMessage(text, EM_GETSEL, WPARAM(&start), LPARAM(&end));
        EXPECT_EQ(std::pair(start, end), std::pair(c.selStart, c.selEnd)) << c.start << "," << c.end;
    }
    SendMessage(text, EM_GETSEL, 0, 0); // no pointers

    HFONT font = CreateFont(20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    SendMessage(text, WM_SETFONT, WPARAM(font), 0);
    EXPECT_EQ(text->Font(), font->platformFont);
    DeleteObject(font);

    std::string lines;
    for (int i = 0; i < 20; ++i)
        lines += "line\n";
    SetDlgItemText(view.get(), 1, lines.c_str());
    SendMessage(text, EM_SCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(scroll->ContentView()->Bounds().MaxY(), text->Frame().size.height);
    SendMessage(text, EM_SCROLL, SB_TOP, 0);
    EXPECT_EQ(scroll->ContentView()->Bounds().MinY(), 0);
}

TEST_F(WinlTrackbar, SlidersRoundAndCustomControlsGetPackedMessages) {
    auto slider = wsys::Make<wsys::Slider>(wsys::Rect(10, 10, 120, 20));
    slider->SetTag(3);
    slider->SetMaxValue(1000);
    slider->SetTarget(view.get());
    slider->SetAction(Winl_vZoz_hwnd::CommandAction);
    view->AddSubview(slider.get());
    EXPECT_EQ(WINL_TB_GetPos(view.get(), 3), 0);
    for (const auto& [value, position] : {std::pair{499.6, 500}, {499.4, 499}, {999.5, 1000}}) {
        slider->SetDoubleValue(value);
        EXPECT_EQ(WINL_TB_GetPos(view.get(), 3), position);
    }
    WINL_TB_SetPos(view.get(), 3, 1001);
    EXPECT_EQ(slider->DoubleValue(), 1000);
    WINL_TB_SetRange(view.get(), 3, -70000, 70000);
    EXPECT_EQ(std::pair(slider->MinValue(), slider->MaxValue()), std::pair(-70000.0, 70000.0));

    // A drag to the middle reports each move.
    WINL_TB_SetRange(view.get(), 3, 0, 1000);
    g_sent.clear();
    const double inset = slider->KnobRadius();
    inject::Drag(inject::ScreenPoint(slider.get(), {inset, 10}), inject::ScreenPoint(slider.get(), {60, 10}), 3);
    run();
    EXPECT_EQ(messagesTo(view.get()), std::vector<unsigned int>(4, WM_HSCROLL));
    EXPECT_EQ(WINL_TB_GetPos(view.get(), 3), 500);

    auto custom = Winl_vZoz_hwnd::initChild(nullptr, view.get(), recordProc, 0);
    custom->SetTag(4);
    g_answer = [](HWND, unsigned int msg, WPARAM, LPARAM) -> LRESULT { return msg == TBM_GETPOS ? 321 : 0; };
    g_sent.clear();
    EXPECT_EQ(WINL_TB_GetPos(view.get(), 4), 321);
    WINL_TB_SetRange(view.get(), 4, 0, 100);
    WINL_TB_SetRange(view.get(), 4, -5, 100);
    WINL_TB_SetPos(view.get(), 4, 7);
    WINL_TB_SetTic(view.get(), 4, 9);
    const HWND c = custom.get();
    EXPECT_EQ(g_sent, (std::vector<Sent>{{c, TBM_GETPOS, 0, 0},
                                         {c, TBM_SETRANGE, 1, 100 << 16},
                                         {c, TBM_SETRANGE, 1, 100 << 16 | 0xFFFB},
                                         {c, TBM_SETPOS, 1, 7},
                                         {c, TBM_SETTIC, 0, 9}}));
    EXPECT_EQ(WINL_TB_GetPos(view.get(), 99), 0);
}

} // namespace
} // namespace winltest
