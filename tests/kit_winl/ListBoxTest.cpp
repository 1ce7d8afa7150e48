#include "tests/kit_winl/ListViewRig.h"

namespace winltest {
namespace {

using ListBox = ListViewTest;

LRESULT send(Winl_vZoz_listview* lb, unsigned int msg, WPARAM wParam, const char* text) {
    return SendMessage(lb, msg, wParam, LPARAM(text));
}

TEST_F(ListBox, SortedAddsKeepByteOrderAndUnsortedOnesAppend) {
    Winl_vZoz_listview* lb = makeList(LBS_SORT, true, 1);
    for (const char* t : {"b", "B", "\xC3\xA9", "ab", "a"})
        send(lb, LB_ADDSTRING, 0, t);
    EXPECT_EQ(send(lb, LB_ADDSTRING, 0, nullptr), 0); // no text: an empty one, first
    EXPECT_EQ(texts(), (std::vector<std::string>{"", "B", "a", "ab", "b", "\xC3\xA9"}));
    Winl_vZoz_listview* plain = makeList(0, true, 1);
    EXPECT_EQ(send(plain, LB_ADDSTRING, 0, "b"), 0);
    EXPECT_EQ(send(plain, LB_ADDSTRING, 0, "a"), 1);
    EXPECT_EQ(send(plain, LB_INSERTSTRING, WPARAM(-1), "z"), 2);
    EXPECT_EQ(send(plain, LB_INSERTSTRING, 0, "y"), 0);
    EXPECT_EQ(texts(), (std::vector<std::string>{"y", "b", "a", "z"}));
}

TEST_F(ListBox, MessagesReadAndSetRowsUpToTheLastOne) {
    Winl_vZoz_listview* lb = makeList(LBS_EXTENDEDSEL, true, 1);
    for (const char* t : {"a", "b", "c"})
        send(lb, LB_ADDSTRING, 0, t);
    EXPECT_EQ(SendMessage(lb, LB_SETITEMDATA, 2, 42), 0);
    SendMessage(lb, LB_SETITEMDATA, 3, 43); // past the end: nothing
    EXPECT_EQ(SendMessage(lb, LB_GETITEMDATA, 2, 0), 42);
    EXPECT_EQ(SendMessage(lb, LB_GETITEMDATA, 3, 0), 0);
    char buf[8] = "xxxxxxx";
    SendMessage(lb, LB_GETTEXT, 2, LPARAM(buf));
    EXPECT_STREQ(buf, "c");
    EXPECT_EQ(SendMessage(lb, LB_GETTEXT, 2, 0), 0);
    SendMessage(lb, LB_SETSEL, 1, 0);
    SendMessage(lb, LB_SETSEL, 1, 2);
    EXPECT_EQ(SendMessage(lb, LB_GETSELCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessage(lb, LB_GETSEL, 2, 0), 1);
    EXPECT_EQ(SendMessage(lb, LB_GETSEL, 3, 0), 0);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 2);
    SendMessage(lb, LB_SETCURSEL, 1, 0);
    EXPECT_EQ(selection(), std::set<int>{1});
    SendMessage(lb, LB_SETCURSEL, WPARAM(-1), 0);
    EXPECT_TRUE(selection().empty());
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), -1);
    SendMessage(lb, LB_DELETESTRING, 0, 0);
    EXPECT_EQ(SendMessage(lb, LB_GETCOUNT, 0, 0), 2);
    SendMessage(lb, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessage(lb, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(ListBox, ClicksReportAsCommandsWithoutListViewNotifications) {
    Winl_vZoz_listview* lb = makeList(0, true, 1);
    for (const char* t : {"a", "b"})
        send(lb, LB_ADDSTRING, 0, t);
    SendMessage(lb, LB_SETCURSEL, 0, 0);
    wsys::inject::Click(cell(1, 0));
    wsys::inject::Click(cell(1, 0), 0, 2);
    run();
    // A click in a single-selection list box starts from no selection, so it always reports.
    EXPECT_EQ(notes, (std::vector<Note>{{WM_COMMAND, 1}, {WM_COMMAND, 1}, {WM_COMMAND, 2}}));
    EXPECT_EQ(selection(), std::set<int>{1});
}

TEST_F(ListBox, AnOwnerDrawnListBoxHasItsParentDrawEachVisibleRow) {
    Winl_vZoz_listview* lb = makeList(LBS_OWNERDRAWFIXED, true, 1);
    auto cell = wsys::Make<Winl_vZoz_ODlistviewcell>();
    cell->setOwnerControl(lb);
    lb->m_cols.Get(0)->SetDataCell(cell.get());
    for (int i = 0; i < 7; ++i)
        send(lb, LB_ADDSTRING, 0, "row");
    SendMessage(lb, LB_SETITEMDATA, 4, 77);
    // However large the area, only the rows that show are drawn: 100 pixels show rows 0..5.
    list->DisplayRectIgnoringOpacity(list->Bounds());
    ASSERT_EQ(drawn.size(), 6u);
    const DRAWITEMSTRUCT& d = drawn[4];
    EXPECT_EQ(d.CtlType, unsigned(ODT_LISTBOX));
    EXPECT_EQ(d.CtlID, 7u);
    EXPECT_EQ(d.itemID, 4u);
    EXPECT_EQ(d.hwndItem, lb);
    EXPECT_EQ(d.itemData, 77u);
    EXPECT_EQ(d.rcItem.left, 2); // half the spacing, rounded
    EXPECT_EQ(d.rcItem.top, 4 * 19 + 1);
    EXPECT_EQ(d.rcItem.right, 2 + 60);
    EXPECT_EQ(d.rcItem.bottom, 4 * 19 + 1 + 17);
}

} // namespace
} // namespace winltest
