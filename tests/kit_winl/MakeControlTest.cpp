#include "WinlViewFixture.h"

#include "kit/winl/winl-wnd-appearance.h"
#include "kit/winl/winl-wnd-factory.h"
#include "kit/winl/winl-wnd-listview.h"
#include "kit/winl/winl-wnd-tabs.h"
#include "platform/wsys/ScrollView.h"
#include "platform/wsys/TableView.h"

#include <cstring>

namespace winltest {
namespace {

class MakeControl : public WinlViewTest {
protected:
    void SetUp() override {
        WinlViewTest::SetUp();
        WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
    }
};
using DialogFromList = MakeControl;

int g_creatorCalls = 0;
HWND g_madeByCreator = nullptr;
HWND declining(HWND, const char*, int, const char*, int, int, int, int, int) {
    ++g_creatorCalls;
    return nullptr;
}
// Makes its own control for "Mine" and for "Button": a view at the pixel rectangle.
HWND making(HWND parent, const char*, int id, const char* cls, int, int x, int y, int w, int h) {
    ++g_creatorCalls;
    if (std::strcmp(cls, "Mine") && std::strcmp(cls, "Button")) return nullptr;
    wsys::Ref<Winl_vZoz_hwnd> made = Winl_vZoz_hwnd::initChild(nullptr, parent, nullptr, 0);
    made->SetFrame(wsys::Rect(x, y, w, h));
    made->SetTag(id);
    g_madeByCreator = made.get();
    return made.get();
}

TEST_F(MakeControl, ButtonClassesByNameAndStyleBits) {
    struct Case {
        const char* cls;
        int style;
        int type; // button type, -1 for a group box
        bool isDefault, mixed;
    };
    const Case cases[] = {
        {"BUTTON", 0x10000000, wsys::kMomentaryLightButton, true, false},
        {"button", 0x30000000, -1, false, false}, // the group-box bit wins
        {"Button", 0x08000000 | 3, wsys::kMomentaryLightButton, false, false},
        {"Button", 3, wsys::kSwitchButton, false, false},
        {"Button", 6, wsys::kSwitchButton, false, true},
        {"Button", 9, wsys::kRadioButton, false, false},
        {"Button", 2, wsys::kMomentaryLightButton, false, false}, // a plain check box is a push button
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        HWND made = WINL_MakeControl("&Go", 3, c.cls, c.style, 0, 0, 50, 14, 0);
        if (c.type < 0) {
            EXPECT_NE(dynamic_cast<Winl_vZoz_box*>(made), nullptr);
            continue;
        }
        auto* button = dynamic_cast<wsys::Button*>(made);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->Type(), c.type);
        EXPECT_EQ(button->AllowsMixedState(), c.mixed);
        EXPECT_EQ(button->Title(), "Go");
        EXPECT_EQ(window->DefaultButton() == button, c.isDefault);
        window->SetDefaultButton(nullptr);
    }
    auto* radio = static_cast<Winl_vZoz_button*>(WINL_MakeControl("r", 1, "Button", 9 | 0x20000, 0, 0, 50, 14, 0));
    EXPECT_EQ(radio->winlGetRadioFlags(), 3);
    auto* hidden = static_cast<wsys::View*>(WINL_MakeControl("r", 1, "Button", int(0x80000009u), 0, 0, 50, 14, 0));
    EXPECT_TRUE(hidden->IsHidden());
    EXPECT_EQ(WINL_MakeControl("", 1, "NoSuchClass", 0, 0, 0, 5, 5, 0), nullptr);
    // The wrappers of the makers.
    EXPECT_EQ(static_cast<wsys::Button*>(WINL_MakeCheckBox("c", 1, 0, 0, 50, 14, 0))->Type(), wsys::kSwitchButton);
    EXPECT_NE(WINL_ListViewOf(WINL_MakeListBox(2, 0, 0, 50, 50, 0)), nullptr);
}

TEST_F(MakeControl, ListsTakeHeaderAndDefaultColumnByStyle) {
    struct Case {
        const char* cls;
        long style;
        bool header, multiple;
        int columns;
    };
    const Case cases[] = {
        {"SysListView32", LVS_REPORT, true, true, 0},
        {"SysListView32", LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL, false, false, 0},
        {"SysListView32", 0, false, true, 1},
        {"SysListView32_LB", LVS_REPORT, false, false, 1},
        {"SysListView32_LB", LBS_EXTENDEDSEL, false, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        Winl_vZoz_listview* list = WINL_ListViewOf(WINL_MakeControl("", 6, c.cls, int(c.style), 5, 5, 120, 80, 0));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->HeaderView() != nullptr, c.header);
        EXPECT_EQ(list->AllowsMultipleSelection(), c.multiple);
        ASSERT_EQ(list->m_cols.GetSize(), c.columns);
        if (c.columns) {
            EXPECT_EQ(list->m_cols.Get(0)->Width(), 300); // ceil(max(300, 120))
        }
        EXPECT_EQ(list->EnclosingScrollView()->Frame(), wsys::Rect(5, 5, 120, 80));
        EXPECT_EQ(list->Target(), view.get());
    }
    // Wider than 300: the width, rounded up. Owner-drawn list boxes draw through their parent.
    Winl_vZoz_listview* wide = WINL_ListViewOf(WINL_MakeControl("", 6, "SysListView32_LB", LBS_OWNERDRAWFIXED, -1, -1, -301, -50, 0));
    EXPECT_EQ(wide->m_cols.Get(0)->Width(), 301);
    EXPECT_NE(dynamic_cast<Winl_vZoz_ODlistviewcell*>(wide->m_cols.Get(0)->DataCell()), nullptr);

    // cx 0 hides the column; any index appends.
    Winl_vZoz_listview* report = WINL_ListViewOf(WINL_MakeControl("", 6, "SysListView32", LVS_REPORT, 0, 0, 100, 80, 0));
    LVCOLUMN column{0, LVCFMT_RIGHT, 0, const_cast<char*>("T"), 0, 0};
    ListView_InsertColumn(report, 5, &column);
    column.cx = 40;
    ListView_InsertColumn(report, 0, &column);
    ASSERT_EQ(report->NumberOfColumns(), 2);
    EXPECT_TRUE(report->TableColumns()[0]->IsHidden());
    EXPECT_EQ(report->TableColumns()[1]->Width(), 40);
    EXPECT_EQ(report->TableColumns()[1]->DataCell()->Alignment(), wsys::kRightTextAlignment);
}

TEST_F(MakeControl, OtherClassesAndTheirRectangles) {
    auto frame = [](HWND h) { return static_cast<wsys::View*>(h)->Frame(); };
    HWND slider = WINL_MakeControl("", 1, "msctls_trackbar32", 0, 1, 2, 30, 10, 0);
    EXPECT_EQ(static_cast<wsys::Slider*>(slider)->GetControlSize(), wsys::kMiniControlSize);
    EXPECT_EQ(static_cast<wsys::Slider*>(slider)->MaxValue(), 1000);
    HWND fader = WINL_MakeControl("", 1, WINL_HostFaderClassName, 0, 1, 2, 30, 10, 0);
    EXPECT_EQ(static_cast<wsys::Slider*>(fader)->GetControlSize(), wsys::kRegularControlSize);
    EXPECT_EQ(frame(fader), wsys::Rect(1, 2, 30, 10));
    HWND edit = WINL_MakeControl("ignored", 2, "EDIT", 0, 0, 0, 40, 12, 0);
    EXPECT_EQ(static_cast<wsys::TextField*>(edit)->StringValue(), "");
    struct Case {
        int style;
        wsys::TextAlignment align;
        bool wraps, hidden;
    };
    for (const Case& c : {Case{1, wsys::kCenterTextAlignment, true, false}, Case{2, wsys::kRightTextAlignment, true, false},
                          Case{0x0C, wsys::kLeftTextAlignment, false, false}, Case{4, wsys::kLeftTextAlignment, true, true}}) {
        auto* label = static_cast<wsys::TextField*>(WINL_MakeControl("&Name", 3, "Static", c.style, 0, 0, 40, 12, 0));
        EXPECT_EQ(label->StringValue(), "Name");
        EXPECT_EQ(label->Alignment(), c.align);
        EXPECT_EQ(label->Wraps(), c.wraps);
        EXPECT_EQ(label->IsHidden(), c.hidden);
        EXPECT_FALSE(label->IsEditable());
    }
}

TEST_F(MakeControl, CreatorsComeFirstAndAreCounted) {
    g_creatorCalls = 0;
    WINL_RegisterCustomControlCreator(declining);
    WINL_RegisterCustomControlCreator(making);
    WINL_RegisterCustomControlCreator(making);
    WINL_RegisterCustomControlCreator(nullptr);
    // Declined by the first, made by the second; the ex-style goes to its extra data.
    HWND mine = WINL_MakeControl("t", 4, "Mine", 0, -2, -3, -40, -20, 0x10);
    EXPECT_EQ(mine, g_madeByCreator);
    EXPECT_EQ(static_cast<wsys::View*>(mine)->Frame(), wsys::Rect(2, 3, 40, 20));
    EXPECT_EQ(GetWindowLong(mine, GWL_EXSTYLE), 0x10);
    EXPECT_EQ(g_creatorCalls, 2);
    EXPECT_NE(dynamic_cast<Winl_vZoz_hwnd*>(WINL_MakeControl("t", 4, "Button", 0, 0, 0, 9, 9, 0)), nullptr);
    // Registered twice: the first removal leaves it.
    WINL_UnregisterCustomControlCreator(making);
    EXPECT_NE(dynamic_cast<Winl_vZoz_hwnd*>(WINL_MakeControl("t", 4, "Button", 0, 0, 0, 9, 9, 0)), nullptr);
    WINL_UnregisterCustomControlCreator(making);
    WINL_UnregisterCustomControlCreator(making);
    EXPECT_NE(dynamic_cast<wsys::Button*>(WINL_MakeControl("t", 4, "Button", 0, 0, 0, 9, 9, 0)), nullptr);
    g_creatorCalls = 0;
    EXPECT_EQ(WINL_MakeControl("t", 4, "Mine", 0, 0, 0, 9, 9, 0), nullptr);
    EXPECT_EQ(g_creatorCalls, 1);
    WINL_UnregisterCustomControlCreator(declining);
}

TEST_F(DialogFromList, KeywordsAreExactAndEmptyClassesAreSkipped) {
    const WINL_DialogListEntry list[] = {
        {"__WINL_CHECKBOX", 0, "Check", 11, 0, 0, 60, 14, 0},
        {"__WINL_COMBO", 0, "", 12, 0, 20, 60, 99, 0},
        {"Skipped", 13, "", 0, 0, 40, 60, 14, 0},
        {"__winl_button", 14, "Button", 0, 0, 60, 60, 14, 0}, // not a keyword: a text
        {"__WINL_LISTBOX", 0, "", 15, 0, 80, 60, 40, 0},
        {"__WINL_GROUP", 0, "Group", 16, 70, 0, 60, 60, 0},
        {"__WINL_LABEL", 1, "Label", 17, 70, 70, 60, 10, 0},
        {"__WINL_EDIT", 0, "", 18, 70, 90, 60, 12, 0},
        {"__WINL_BUTTON", 1, "OK", 19, 70, 110, 60, 14, 0},
    };
    WINL_GenerateDialogFromList(list, 0);
    EXPECT_EQ(GetDlgItem(view.get(), 11), nullptr);
    WINL_GenerateDialogFromList(list, int(std::size(list)));
    EXPECT_EQ(static_cast<wsys::Button*>(GetDlgItem(view.get(), 11))->Type(), wsys::kSwitchButton);
    EXPECT_EQ(static_cast<wsys::View*>(GetDlgItem(view.get(), 12))->Frame().size.height, 22); // not 99
    EXPECT_EQ(GetDlgItem(view.get(), 13), nullptr);
    EXPECT_EQ(static_cast<wsys::Button*>(GetDlgItem(view.get(), 14))->Title(), "__winl_button");
    EXPECT_NE(WINL_ListViewOf(GetDlgItem(view.get(), 15)), nullptr);
    EXPECT_NE(dynamic_cast<Winl_vZoz_box*>(GetDlgItem(view.get(), 16)), nullptr);
    EXPECT_EQ(static_cast<wsys::TextField*>(GetDlgItem(view.get(), 17))->Alignment(), wsys::kRightTextAlignment);
    EXPECT_TRUE(static_cast<wsys::TextField*>(GetDlgItem(view.get(), 18))->IsEditable());
    EXPECT_EQ(window->DefaultButton(), GetDlgItem(view.get(), 19));
}

} // namespace
} // namespace winltest
