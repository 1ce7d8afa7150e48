#include "WinlViewFixture.h"

#include "kit/winl/winl-wnd-factory.h"
#include "platform/wsys/Render.h"
#include "platform/wsys/ScrollView.h"
#include "tests/support/GoldenImage.h"

#include <array>
#include <cmath>
#include <string>

namespace winltest {
namespace {

using WinlLayout = WinlViewTest;
using WinlFactory = WinlViewTest;

std::array<double, 4> frameOf(HWND h) {
    const wsys::Rect& f = static_cast<wsys::View*>(h)->Frame();
    return {f.MinX(), f.MinY(), f.size.width, f.size.height};
}

std::array<double, 4> coords(double x, double y, double w, double h) {
    const wsys::Rect f = WINL_MakeCoords(x, y, w, h, false, false);
    return {f.MinX(), f.MinY(), f.size.width, f.size.height};
}

TEST_F(WinlLayout, DialogUnitsBecomePixelsInFlippedAndUnflippedParents) {
    WINL_MakeSetCurParms(1.8f, 1.8f, 0, 0, view.get(), false, false);
    EXPECT_EQ(coords(10, 10, 50, 14), (std::array<double, 4>{18, 18, 90, 25}));
    EXPECT_EQ(coords(-5, -7, -20, -10), (std::array<double, 4>{5, 7, 20, 10})); // pixels
    // A window adds to its content view but answers no flip test: 200 - 1.8 * 3 + 1.8 * 10.
    WINL_MakeSetCurParms(1.8f, 1.8f, 2, 3, window.get(), false, false);
    EXPECT_EQ(coords(0, 0, 10, 10), (std::array<double, 4>{4, 213, 18, 18}));
    EXPECT_EQ(WINL_MakeOwner(), view.get());

    // A parent that is not flipped puts the control's top edge above its y (kept as it is).
    auto plain = wsys::Make<wsys::View>(wsys::Rect(0, 0, 300, 200));
    WINL_MakeSetCurParms(1, 1, 0, 0, plain.get(), false, false);
    EXPECT_EQ(coords(0, 10, 40, 12), (std::array<double, 4>{0, 202, 40, 12}));
    WINL_MakeSetCurParms(1, 1, 0, 0, nullptr, false, false);
    EXPECT_EQ(coords(0, 10, 40, 12), (std::array<double, 4>{0, 102, 40, 12}));
    EXPECT_EQ(WINL_MakeButton(0, "OK", 1, 0, 0, 40, 12, 0), nullptr); // no parent, no control
}

TEST_F(WinlLayout, AutoRightMovesTheNextControlByTheGrowthOfTheLast) {
    WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), true, true);
    HWND label = WINL_MakeLabel(-1, "A label that is much wider than planned", 1, 10, 10, 40, 12, 0);
    const double growth = frameOf(label)[2] - 40;
    ASSERT_GT(growth, 0);
    HWND field = WINL_MakeEditField(2, 50 + 31, 8, 60, 12, 0); // starts 31 past the planned edge
    EXPECT_EQ(frameOf(field)[0], 81 + std::trunc(growth));
    HWND far = WINL_MakeEditField(3, 141 + 32, 8, 60, 12, 0); // 32 past: stays
    EXPECT_EQ(frameOf(far)[0], 173);
    HWND below = WINL_MakeEditField(4, 233, 40, 60, 12, 0); // another row: stays
    EXPECT_EQ(frameOf(below)[0], 233);
}

TEST_F(WinlLayout, ControlFontsFollowTheScale) {
    for (const auto& [scale, size] : {std::pair{0.9f, 8.0f}, {1.0f, 10.0f}, {1.8f, 10.0f}, {1.81f, 13.0f}, {2.0f, 13.0f}}) {
        WINL_MakeSetCurParms(scale, scale, 0, 0, view.get(), false, false);
        auto* label = static_cast<wsys::Control*>(WINL_MakeLabel(-1, "x", 1, 0, 0, 10, 10, 0));
        EXPECT_EQ(label->Font()->Size(), size) << scale;
        auto* combo = static_cast<wsys::Control*>(WINL_MakeCombo(2, 0, 0, 10, 10, 0));
        EXPECT_EQ(combo->Font()->Size(), 10.0f);
    }
}

TEST_F(WinlLayout, MnemonicsAreDroppedFromTextsShorterThan1024Bytes) {
    const std::string at1023 = std::string(1022, 'a') + "&", at1024 = std::string(1023, 'a') + "&";
    const struct {
        std::string text, shown;
    } cases[] = {
        {"&&Save", "&Save"},           {"&Open", "Open"},        {"Save&", "Save"},
        {"Gr\xC3\xBC&\xC3\x9F" "e", "Grüße"}, {"\xE9&t\xE9", "été"}, // bytes >= 0x80 stay (Latin-1)
        {at1023, std::string(1022, 'a')}, {at1024, at1024},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WINL_StripMnemonics(c.text.c_str()), c.shown) << c.text.size();
    EXPECT_EQ(WINL_StripMnemonics(nullptr), "");
}

TEST_F(WinlFactory, ButtonsGrowTo24UnlessFlatAndShowICONTEMPForResourceNumbers) {
    WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
    for (const auto& [nice, h, height] : {std::tuple{0, 17, 17}, {0, 18, 24}, {0, 20, 24}, {0, 23, 24},
                                           {0, 24, 24}, {1, 20, 20}}) {
        g_winl_want_nice_style = nice;
        auto* b = static_cast<Winl_vZoz_button*>(WINL_MakeButton(0, "&Go", 7, 0, 0, 40, h, 0));
        EXPECT_EQ(b->Frame().size.height, height) << nice << " " << h;
        EXPECT_EQ(b->GetBezelStyle(), nice ? 6 : 1);
    }
    g_winl_want_nice_style = 0;
    auto* icon = static_cast<wsys::Button*>(WINL_MakeButton(1, reinterpret_cast<const char*>(0xFFFF), 8, 0, 0, 40, 20, int(0x80000000)));
    EXPECT_EQ(icon->Title(), "ICONTEMP");
    EXPECT_TRUE(icon->IsHidden());
    EXPECT_EQ(window->DefaultButton(), icon);
}

TEST_F(WinlFactory, EditFieldsByStyle) {
    WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
    auto* single = dynamic_cast<Winl_vZoz_textfield*>(WINL_MakeEditField(1, 0, 0, 50, 19, 0x802));
    ASSERT_NE(single, nullptr);
    EXPECT_FALSE(single->IsEditable());
    EXPECT_TRUE(single->IsSelectable());
    EXPECT_FALSE(single->Wraps());
    EXPECT_EQ(single->Alignment(), wsys::kRightTextAlignment);
    auto* wrapping = static_cast<wsys::TextField*>(WINL_MakeEditField(2, 0, 0, 50, 20, 0x3));
    EXPECT_TRUE(wrapping->Wraps());
    EXPECT_EQ(wrapping->Alignment(), wsys::kCenterTextAlignment);
    EXPECT_NE(dynamic_cast<wsys::SecureTextField*>(WINL_MakeEditField(3, 0, 0, 50, 12, 0x20)), nullptr);
    auto* text = dynamic_cast<Winl_vZoz_textview*>(WINL_MakeEditField(4, 0, 0, 50, 40, 0x100000));
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(text->IsVerticallyResizable());
    auto* scroll = dynamic_cast<wsys::ScrollView*>(WINL_MakeEditField(5, 10, 20, 50, 40, 0x300000));
    ASSERT_NE(scroll, nullptr);
    EXPECT_TRUE(scroll->HasHorizontalScroller());
    EXPECT_EQ(GetDlgItem(view.get(), 5), scroll->DocumentView());
    EXPECT_EQ(scroll->DocumentView()->Frame(), wsys::Rect(0, 0, 50, 40));
}

TEST_F(WinlFactory, LabelsGroupBoxesAndCombos) {
    WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, true);
    auto* one = static_cast<wsys::TextField*>(WINL_MakeLabel(1, "A", 1, 0, 0, 100, 12, 0));
    EXPECT_EQ(one->Frame().size.width, 100); // one byte: not fitted
    EXPECT_FALSE(one->Wraps());
    EXPECT_EQ(one->Target(), nullptr);
    auto* two = static_cast<wsys::TextField*>(WINL_MakeLabel(0, "AB", 2, 0, 0, 100, 13, 0x100));
    EXPECT_LT(two->Frame().size.width, 100);
    // Fitted without a border's margin, so its text stays on the line of a field beside it.
    EXPECT_EQ(two->Frame().size.height, std::ceil(two->Font()->Ascent() + two->Font()->Descent()));
    EXPECT_TRUE(two->Wraps());
    EXPECT_EQ(two->Target(), view.get());

    HWND box = WINL_MakeGroupBox("&Group", 3, -10, -20, -50, -30, int(0x80000100));
    EXPECT_EQ(frameOf(box), (std::array<double, 4>{10, 21, 50, 27}));
    EXPECT_EQ(view->Subviews().front().get(), box);
    EXPECT_FALSE(static_cast<wsys::View*>(box)->IsHidden());
    EXPECT_TRUE(static_cast<wsys::Box*>(box)->IsTitleCentered());
    EXPECT_EQ(static_cast<wsys::Box*>(box)->Title(), "Group");

    WINL_MakeSetCurParms(1.8f, 1.8f, 0, 0, view.get(), false, false);
    HWND combo = WINL_MakeCombo(4, 10, 10, 50, 100, 0x101);
    EXPECT_EQ(frameOf(combo), (std::array<double, 4>{18, 16, 90, 22}));
    EXPECT_EQ(dynamic_cast<WinlStyle*>(combo)->getWinlStyle(), 0x101);
    HWND list = WINL_MakeCombo(5, 10, 10, 50, 100, 3);
    EXPECT_EQ(frameOf(list), (std::array<double, 4>{18, 18, 90, 18}));
    EXPECT_NE(dynamic_cast<Winl_vZoz_pub*>(list), nullptr);
}

// Every maker's control, and the controls the window system draws: checked by eye once.
TEST_F(WinlFactory, ADialogOfEveryControlLooksLikeOne) {
    view->SetFrameSize(wsys::Size{300, 200});
    WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, true);
    WINL_MakeGroupBox("Voice", 1, 6, 6, 140, 100, 0);
    WINL_MakeLabel(-1, "&Name:", 2, 14, 28, 40, 12, 0);
    SetDlgItemText(WINL_MakeEditField(3, 60, 26, 80, 18, 0), 0, "Grüße");
    WINL_MakeEditField(4, 60, 50, 80, 18, 0x20);
    SetDlgItemText(view.get(), 4, "secret");
    HWND check = WINL_MakeButton(0, "Mono", 5, 14, 74, 60, 16, 0);
    SetWindowLong(check, GWL_STYLE, BS_AUTOCHECKBOX);
    CheckDlgButton(view.get(), 5, 1);
    HWND radio = WINL_MakeButton(0, "Poly", 6, 80, 74, 60, 16, 0);
    SetWindowLong(radio, GWL_STYLE, BS_AUTORADIOBUTTON);
    CheckDlgButton(view.get(), 6, 1);
    WINL_MakeCombo(7, 156, 10, 130, 0, 0);
    WINL_CB_AddString(view.get(), 7, "Bank A");
    WINL_CB_SetCurSel(view.get(), 7, 0);
    WINL_MakeCombo(8, 156, 40, 130, 0, 3);
    WINL_CB_AddString(view.get(), 8, "Program 1");
    WINL_MakeEditField(9, 156, 66, 130, 60, 0x200000);
    SetDlgItemText(view.get(), 9, "Line one\nLine two");
    auto slider = wsys::Make<wsys::Slider>(wsys::Rect(14, 130, 130, 20));
    slider->SetMaxValue(1000);
    slider->SetDoubleValue(250);
    view->AddSubview(slider.get());
    WINL_MakeButton(0, "Cancel", 2, 156, 160, 60, 20, 0);
    WINL_MakeButton(1, "OK", 1, 226, 160, 60, 20, 0);
    const platform::Image img = wsys::RenderWindow(window.get());
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_winl/golden/winl_controls.png", img.pixels.data(),
                                           img.width, img.height, img.width, 16, img.width * img.height / 200));
}

} // namespace
} // namespace winltest
