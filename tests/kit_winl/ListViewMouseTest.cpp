#include "tests/kit_winl/ListViewRig.h"

namespace winltest {
namespace {

using ListViewMouse = ListViewTest;

constexpr unsigned kNotify = WM_NOTIFY;

LPARAM client(int x, int y) {
    return LPARAM(int32_t(uint32_t(y) << 16 | (uint32_t(x) & 0xFFFF)));
}

TEST_F(ListViewMouse, AClickSelectsOnReleaseThenReportsTheClick) {
    makeList(0);
    addRows({"a", "b", "c"});
    wsys::inject::Down(cell(1, 1));
    run();
    EXPECT_TRUE(notes.empty());
    EXPECT_TRUE(selection().empty());
    wsys::inject::Up(cell(1, 1));
    run();
    EXPECT_EQ(selection(), std::set<int>{1});
    EXPECT_EQ(notes, (std::vector<Note>{{kNotify, LVN_ITEMCHANGED, 1, 0, 0},
                                        {kNotify, NM_CLICK, 1, 1, 101}}));
    EXPECT_EQ(notes[1].pt.x, 93);
    EXPECT_EQ(notes[1].pt.y, 28);

    // Command toggles a row in, Shift extends from the selected row, a double click names it.
    notes.clear();
    wsys::inject::SetModifiers(wsys::kCommandKeyMask);
    wsys::inject::Click(cell(0, 0));
    wsys::inject::SetModifiers(wsys::kShiftKeyMask);
    wsys::inject::Click(cell(2, 0));
    wsys::inject::SetModifiers(0);
    run();
    EXPECT_EQ(selection(), (std::set<int>{0, 1, 2}));
    EXPECT_EQ(list->SelectedRow(), 2);
    notes.clear();
    wsys::inject::Click(cell(2, 1), 0, 2);
    run();
    EXPECT_EQ(notes, (std::vector<Note>{{kNotify, LVN_ITEMCHANGED, 2, 0, 0},
                                        {kNotify, NM_DBLCLK, 2, 1, 102},
                                        {kNotify, NM_CLICK, 2, 1, 102}}));
}

TEST_F(ListViewMouse, AFastClickColumnReportsAtTheDownAndSelectsNothing) {
    makeList(0);
    addRows({"a", "b"});
    WINL_SetListViewFastClickMask(list.get(), 1 << 1 | 1 << 31);
    wsys::inject::Down(cell(1, 1));
    run();
    EXPECT_EQ(notes, (std::vector<Note>{{kNotify, NM_CLICK, 1, 1, 101}}));
    wsys::inject::Up(cell(1, 1));
    run();
    EXPECT_EQ(notes.size(), 1u);
    EXPECT_TRUE(selection().empty());
}

TEST_F(ListViewMouse, TheFourthDragEventBeginsADragAndTheParentFollowsThePointer) {
    makeList(0);
    addRows({"a", "b", "c"});
    wsys::inject::Down(cell(0, 0));
    run();
    std::vector<LPARAM> expected;
    for (int i = 1; i <= 6; ++i) {
        wsys::inject::MoveTo(at(30 + i, 9 + 3 * i));
        run();
        if (i == 3) {
            EXPECT_TRUE(notes.empty());
        }
        // The parent's client point: the list sits at (10, 27) in it, under the header.
        if (i >= 5) expected.push_back(client(10 + 30 + i, 27 + 9 + 3 * i));
    }
    wsys::inject::Up(at(36, 27));
    run();
    expected.push_back(client(46, 54));
    EXPECT_EQ(notes, (std::vector<Note>{{kNotify, LVN_BEGINDRAG, 0, 0, 0},
                                        {WM_MOUSEMOVE, 0, 0, 0, expected[0]},
                                        {WM_MOUSEMOVE, 0, 0, 0, expected[1]},
                                        {WM_LBUTTONUP, 0, 0, 0, expected[2]}}));
    EXPECT_EQ(selection(), std::set<int>{0});
}

TEST_F(ListViewMouse, TheStateImageSquareReportsTheClickAndKeepsTheSelection) {
    makeList(0);
    addRows({"a", "b"});
    HIMAGELIST images = ImageList_CreateEx();
    ListView_SetImageList(list.get(), images, LVSIL_STATE);
    wsys::inject::Click(at(17, 20)); // x = the row height, the square's last column
    run();
    EXPECT_EQ(notes, (std::vector<Note>{{kNotify, NM_CLICK, 1, 0, 101}}));
    EXPECT_TRUE(selection().empty());
    wsys::inject::Click(at(18, 20));
    run();
    EXPECT_EQ(selection(), std::set<int>{1});
    ImageList_Destroy(images);
}

TEST_F(ListViewMouse, ARightClickSelectsItsRowThenAsksForAContextMenu) {
    makeList(0);
    addRows({"a", "b"});
    wsys::inject::Click(cell(1, 0), 1);
    run();
    const LPARAM screen = LPARAM(GetMessagePos());
    EXPECT_EQ(selection(), std::set<int>{1});
    EXPECT_EQ(notes, (std::vector<Note>{{kNotify, NM_RCLICK, 1, 0, 0}, {WM_CONTEXTMENU, 0, 0, 0, screen}}));
    // A parent that handles the right click hears no context-menu request. An emulated right
    // click is a left click too: its release reports one.
    notes.clear();
    notified = [](const NMLISTVIEW& nm) -> LRESULT { return nm.hdr.code == NM_RCLICK; };
    WINL_EnableRightClickEmulate(true);
    wsys::inject::SetModifiers(wsys::kControlKeyMask);
    wsys::inject::Click(cell(0, 0));
    wsys::inject::SetModifiers(0);
    WINL_EnableRightClickEmulate(false);
    run();
    EXPECT_EQ(notes, (std::vector<Note>{{kNotify, NM_RCLICK, 0, 0, 0}, {kNotify, NM_CLICK, 0, 0, 100}}));
    EXPECT_EQ(selection(), std::set<int>{0});
}

TEST_F(ListViewMouse, HeaderClicksNameTheCallersColumnUnlessTheStyleForbids) {
    makeList(0, false, 3);
    const int order[] = {2, 0, 1};
    ASSERT_TRUE(ListView_SetColumnOrderArray(list.get(), 3, order));
    wsys::TableHeaderView* header = list->HeaderView();
    wsys::inject::Click(wsys::inject::ScreenPoint(header, {10, 8})); // shown first
    run();
    const int shownFirst = list->getColumnIdx(0);
    EXPECT_EQ(notes, (std::vector<Note>{{kNotify, LVN_COLUMNCLICK, -1, shownFirst, 0}}));
    notes.clear();
    list->style = LVS_NOSORTHEADER;
    wsys::inject::Click(wsys::inject::ScreenPoint(header, {10, 8}));
    run();
    EXPECT_TRUE(notes.empty());
}

} // namespace
} // namespace winltest
