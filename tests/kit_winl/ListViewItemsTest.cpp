#include "tests/kit_winl/ListViewRig.h"

namespace winltest {
namespace {

using ListViewItems = ListViewTest;

struct SortedCase {
    long style;
    bool listBox;
    std::vector<std::string> rows;
    int expected;
};

TEST_F(ListViewItems, TextsGoToTheirSortedPlaceInListViewsOnly) {
    const SortedCase cases[] = {
        {LVS_SORTASCENDING, false, {"a", "c"}, 1},
        {LVS_SORTDESCENDING, false, {"c", "a"}, 1},
        {LVS_SORTASCENDING, false, {"a", "b", "b", "c"}, 2}, // an equal text's place
        {LVS_SORTASCENDING, false, {"a", "\xC3\xA9"}, 1},   // bytes above 0x7F sort last
        {LVS_SORTASCENDING | LVS_SORTDESCENDING, true, {"c", "a"}, 2},
    };
    for (const SortedCase& c : cases) {
        makeList(c.style, c.listBox);
        for (const std::string& t : c.rows) {
            LVITEM item{LVIF_TEXT, 99, 0, 0, 0, const_cast<char*>(t.c_str()), 0, 0, 0};
            ListView_InsertItem(list.get(), &item);
        }
        LVITEM b{LVIF_TEXT, 99, 0, 0, 0, const_cast<char*>("b"), 0, 0, 0};
        EXPECT_EQ(ListView_InsertItem(list.get(), &b), c.expected) << c.rows.size();
    }
}

TEST_F(ListViewItems, SelectionMovesWithTheRowsAroundInsertsAndDeletes) {
    makeList(0);
    addRows({"a", "b", "c"});
    list->SelectRowIndexes({0, 2}, false);
    LVITEM first{LVIF_TEXT, 0, 0, 0, 0, nullptr, 0, 0, 0}; // no text: an empty one
    EXPECT_EQ(ListView_InsertItem(list.get(), &first), 0);
    EXPECT_EQ(selection(), (std::set<int>{1, 3}));
    EXPECT_EQ(texts(), (std::vector<std::string>{"", "a", "b", "c"}));
    ListView_DeleteItem(list.get(), 1);
    EXPECT_EQ(selection(), std::set<int>{2});
    ListView_DeleteItem(list.get(), 2); // the last row, selected
    EXPECT_TRUE(selection().empty());
    ListView_DeleteItem(list.get(), 2); // past the end
    EXPECT_EQ(ListView_GetItemCount(list.get()), 2);
    // Inserting selected extends the selection unless the list takes one row only.
    LVITEM chosen{LVIF_TEXT | LVIF_STATE, 2, 0, LVIS_SELECTED | 5 << 16, LVIS_SELECTED | LVIS_STATEIMAGEMASK,
                  const_cast<char*>("x"), 0, 0, 0};
    list->SelectRowIndexes({0}, false);
    ListView_InsertItem(list.get(), &chosen);
    EXPECT_EQ(selection(), (std::set<int>{0, 2}));
    EXPECT_EQ(ListView_GetItemState(list.get(), 2, 0xFFFFFF), 5u << 16 | LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(ListView_GetItemState(list.get(), 0, 0xFFFFFF), unsigned(LVIS_SELECTED));
    list->style = LVS_SINGLESEL;
    list->SetAllowsMultipleSelection(false);
    ListView_InsertItem(list.get(), &chosen);
    EXPECT_EQ(selection(), std::set<int>{2});
}

TEST_F(ListViewItems, OneSelectionChangeIsOneNotificationAndNoneNests) {
    makeList(0);
    addRows({"a", "b", "c"});
    list->SelectRowIndexes({0, 1}, false);
    EXPECT_TRUE(ListView_SetItemState(list.get(), -1, 0, LVIS_SELECTED));
    EXPECT_TRUE(selection().empty());
    EXPECT_TRUE(notes.empty());
    // The parent's own change while it hears of one is silent.
    notified = [this](const NMLISTVIEW&) -> LRESULT {
        ListView_SetItemState(list.get(), 0, LVIS_SELECTED, LVIS_SELECTED);
        return 0;
    };
    EXPECT_TRUE(ListView_SetItemState(list.get(), 2, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(notes, (std::vector<Note>{{WM_NOTIFY, LVN_ITEMCHANGED, 2, 0, 0}}));
    EXPECT_EQ(selection(), (std::set<int>{0, 2}));
    EXPECT_TRUE(ListView_SetItemState(list.get(), 2, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_FALSE(ListView_SetItemState(list.get(), 3, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(notes.size(), 1u);
    // The focused bit belongs to the last row selected.
    EXPECT_EQ(ListView_GetItemState(list.get(), 0, LVIS_FOCUSED), unsigned(LVIS_FOCUSED));
    EXPECT_EQ(ListView_GetItemState(list.get(), 2, LVIS_FOCUSED), 0u);
}

} // namespace
} // namespace winltest
