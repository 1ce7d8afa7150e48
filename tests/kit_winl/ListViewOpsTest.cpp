#include "tests/kit_winl/ListViewRig.h"

#include <algorithm>
#include <random>

namespace winltest {
namespace {

using ListViewOps = ListViewTest;

int byParamDescending(LPARAM a, LPARAM b, LPARAM) {
    return int(b - a);
}
int byTens(LPARAM a, LPARAM b, LPARAM) {
    return int(a / 10 - b / 10);
}
int allEqual(LPARAM, LPARAM, LPARAM) {
    return 0;
}

TEST_F(ListViewOps, SortingIsStableAndTheSelectionFollowsItsRows) {
    makeList(0);
    addRows({"a", "b", "c", "d", "e"});
    list->SelectRowIndexes({1, 4}, false);
    EXPECT_TRUE(ListView_SortItems(list.get(), allEqual, 0));
    EXPECT_EQ(texts(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_TRUE(ListView_SortItems(list.get(), byParamDescending, 0));
    EXPECT_EQ(texts(), (std::vector<std::string>{"e", "d", "c", "b", "a"}));
    EXPECT_EQ(selection(), (std::set<int>{0, 3}));
    // Items 100..104 and 90, 91 by tens: equal keys keep the order they had.
    LVITEM item{LVIF_TEXT | LVIF_PARAM, 0, 0, 0, 0, const_cast<char*>("x"), 0, 0, 91};
    ListView_InsertItem(list.get(), &item);
    item.lParam = 90;
    ListView_InsertItem(list.get(), &item);
    ListView_SortItems(list.get(), byTens, 0);
    EXPECT_EQ(texts(), (std::vector<std::string>{"x", "x", "e", "d", "c", "b", "a"}));
    EXPECT_EQ(ListView_GetNextItem(list.get(), -1, LVNI_SELECTED), 2);
    EXPECT_EQ(ListView_GetNextItem(list.get(), 2, LVNI_SELECTED), 5);
    EXPECT_EQ(ListView_GetNextItem(list.get(), 5, LVNI_SELECTED), -1);
    EXPECT_EQ(ListView_GetNextItem(list.get(), -1, 3), -1);
    EXPECT_EQ(ListView_GetNextItem(nullptr, -1, 3), -1);
}

TEST_F(ListViewOps, SubItemTextsFillTheGapAndStopAt31) {
    makeList(0);
    addRows({"abc"});
    ListView_SetItemText(list.get(), 0, 3, "d");
    EXPECT_EQ(list->m_items.Get(0)->m_vals.GetSize(), 4);
    EXPECT_EQ(texts(3), std::vector<std::string>{"d"});
    EXPECT_EQ(texts(2), std::vector<std::string>{""});
    ListView_SetItemText(list.get(), 0, 31, "last");
    ListView_SetItemText(list.get(), 0, 32, "over");
    EXPECT_EQ(list->m_items.Get(0)->m_vals.GetSize(), 32);
    ListView_SetItemText(list.get(), 0, 0, "new");
    // A buffer of n bytes takes n - 1 of them and the terminator.
    char buf[4] = "zzz";
    EXPECT_EQ(ListView_GetItemText(list.get(), 0, 0, buf, 3), 1);
    EXPECT_STREQ(buf, "ne");
    EXPECT_EQ(ListView_GetItemText(list.get(), 0, 31, buf, 4), 1);
    EXPECT_STREQ(buf, "las");
    EXPECT_EQ(ListView_GetItemText(list.get(), 1, 0, buf, 4), 0);
    EXPECT_STREQ(buf, "");
}

TEST_F(ListViewOps, ColumnsHideByWidthReorderByCheckedArraysAndShowSortIndicators) {
    makeList(0, false, 3);
    ListView_SetColumnWidth(list.get(), 1, 0);
    EXPECT_EQ(ListView_GetColumnWidth(list.get(), 1), 0);
    EXPECT_TRUE(list->m_cols.Get(1)->IsHidden());
    LVCOLUMN shown{LVCF_WIDTH, 0, 41, nullptr, 0, 0};
    ListView_SetColumn(list.get(), 1, &shown);
    EXPECT_EQ(ListView_GetColumnWidth(list.get(), 1), 41);
    EXPECT_EQ(ListView_GetColumnWidth(list.get(), 3), 0);

    int order[3] = {9, 9, 9};
    EXPECT_EQ(ListView_GetColumnOrderArray(list.get(), 2, order), 0);
    EXPECT_EQ(order[0], 9);
    const int outOfRange[] = {2, 3, 0};
    EXPECT_EQ(ListView_SetColumnOrderArray(list.get(), 3, outOfRange), 0);
    const int last[] = {2, 1, 0};
    EXPECT_EQ(ListView_SetColumnOrderArray(list.get(), 3, last), 1);
    EXPECT_EQ(ListView_GetColumnOrderArray(list.get(), 3, order), 1);
    EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{2, 1, 0}));

    HDITEM hdi{HDI_FORMAT, 0, nullptr, nullptr, 0, HDF_SORTDOWN, 0};
    EXPECT_EQ(Header_SetItem(list.get(), 2, &hdi), 1);
    hdi.fmt = 0;
    Header_GetItem(list.get(), 2, &hdi);
    EXPECT_EQ(hdi.fmt, int(HDF_SORTDOWN));
    EXPECT_EQ(list->IndicatorImage(list->m_cols.Get(2)), "NSDescendingSortIndicator");
    EXPECT_EQ(Header_SetItem(list.get(), 3, &hdi), 0);
    EXPECT_EQ(WINL_GetListViewHeaderHeight(list.get()), 17);
}

TEST_F(ListViewOps, HitTestsAndRectanglesReachTheRowPastTheLast) {
    makeList(0);
    addRows({"a", "b", "c"});
    struct Case {
        int x, y;
        unsigned flags;
        int item;
    } cases[] = {
        {-1, 10, LVHT_TOLEFT, -1},       {200, 10, LVHT_TORIGHT, -1},
        {5, 83, LVHT_BELOW, -1},         {5, 38, LVHT_ONITEMLABEL, 2},
        {5, 57, LVHT_NOWHERE, -1},       {-1, -1, LVHT_TOLEFT | LVHT_ABOVE, -1},
    };
    for (const Case& c : cases) {
        LVHITTESTINFO info{{c.x, c.y}, 99, 99, 99};
        EXPECT_EQ(ListView_HitTest(list.get(), &info), c.item) << c.x << "," << c.y;
        EXPECT_EQ(info.flags, c.flags) << c.x << "," << c.y;
    }
    LVHITTESTINFO info{{70, 20}, 0, 0, 0};
    EXPECT_EQ(ListView_SubItemHitTest(list.get(), &info), 1);
    EXPECT_EQ(info.iSubItem, 1);

    RECT r{};
    EXPECT_FALSE(ListView_GetItemRect(list.get(), -1, &r, 0));
    EXPECT_FALSE(ListView_GetItemRect(list.get(), 4, &r, 0));
    ASSERT_TRUE(ListView_GetItemRect(list.get(), 3, &r, 0));
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}), (std::vector<int>{0, 57, 203, 78}));
    ASSERT_TRUE(ListView_GetSubItemRect(list.get(), 1, 1, 0, &r));
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}), (std::vector<int>{64, 20, 127, 39}));
    EXPECT_FALSE(ListView_GetSubItemRect(list.get(), 1, 2, 0, &r));
}

TEST_F(ListViewOps, ScrollingMovesByWholeCellsAndReportsTheTopRow) {
    makeList(0, false, 6);
    std::vector<std::string> many(40, "r");
    addRows(many);
    EXPECT_EQ(ListView_GetCountPerPage(list.get()), 4); // 83 pixels of 17-pixel rows
    // Ten rows on from the last row showing (4): row 14 comes in at the bottom, row 11 tops.
    EXPECT_TRUE(ListView_Scroll(list.get(), 0, 19 * 10));
    EXPECT_EQ(ListView_GetTopIndex(list.get()), 11);
    ListView_EnsureVisible(list.get(), 1000, false);
    POINT pt{};
    EXPECT_TRUE(ListView_GetScroll(list.get(), &pt));
    EXPECT_EQ(pt.y, 40 * 19 - 83);
    EXPECT_TRUE(ListView_Scroll(list.get(), 63 * 2, 0));
    ListView_GetScroll(list.get(), &pt);
    EXPECT_EQ(pt.x, 6 * 63 - 200);
    EXPECT_FALSE(ListView_Scroll(view.get(), 0, 1));
}

// Inserts, deletes, selections and sorts against a plain model of rows and a selected flag.
TEST_F(ListViewOps, RandomEditsAgreeWithAPlainModel) {
    makeList(0);
    struct Row {
        std::string text;
        LPARAM param;
        bool selected;
    };
    std::vector<Row> model;
    std::mt19937 rng(5);
    for (int step = 0; step < 2000; ++step) {
        const int n = int(model.size());
        const int op = int(rng() % 4), at = int(rng() % unsigned(n + 2)) - 1;
        if (op == 0) {
            const std::string t(1, char('a' + rng() % 26));
            LVITEM item{LVIF_TEXT | LVIF_PARAM, at, 0, 0, 0, const_cast<char*>(t.c_str()), 0, 0, LPARAM(rng() % 50)};
            const int pos = ListView_InsertItem(list.get(), &item);
            ASSERT_EQ(pos, std::max(0, std::min(at, n)));
            model.insert(model.begin() + pos, Row{t, item.lParam, false});
        } else if (op == 1) {
            ListView_DeleteItem(list.get(), at);
            if (at >= 0 && at < n) model.erase(model.begin() + at);
        } else if (op == 2 && at >= 0 && at < n) {
            const bool on = rng() % 2;
            ListView_SetItemState(list.get(), at, on ? unsigned(LVIS_SELECTED) : 0u, LVIS_SELECTED);
            model[size_t(at)].selected = on;
        } else if (op == 3) {
            ListView_SortItems(list.get(), byTens, 0);
            std::stable_sort(model.begin(), model.end(),
                             [](const Row& a, const Row& b) { return a.param / 10 < b.param / 10; });
        }
        ASSERT_EQ(ListView_GetItemCount(list.get()), int(model.size()));
        for (size_t i = 0; i < model.size(); ++i) {
            LVITEM got{LVIF_PARAM | LVIF_STATE, int(i), 0, 0, LVIS_SELECTED, nullptr, 0, 0, 0};
            ASSERT_EQ(ListView_GetItem(list.get(), &got), 1);
            ASSERT_EQ(got.lParam, model[i].param) << step;
            ASSERT_EQ(got.state == LVIS_SELECTED, model[i].selected) << step << " row " << i;
        }
    }
}

} // namespace
} // namespace winltest
