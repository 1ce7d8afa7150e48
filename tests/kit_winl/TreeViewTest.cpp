#include "WinlViewFixture.h"

#include "kit/winl/winl-wnd-factory.h"
#include "kit/winl/winl-wnd-listview.h"
#include "kit/winl/winl-wnd-tree.h"
#include "platform/wsys/ScrollView.h"

#include <map>
#include <random>
#include <string>

namespace winltest {
namespace {

// A tree (tag 9) made by class name in the recording view; the parent's WM_NOTIFY codes and
// context-menu requests are kept.
class TreeViewTest : public WinlViewTest {
protected:
    void SetUp() override {
        WinlViewTest::SetUp();
        g_answer = [this](HWND, unsigned int msg, WPARAM, LPARAM lParam) -> LRESULT {
            if (msg == WM_NOTIFY) {
                const int code = reinterpret_cast<const NMHDR*>(lParam)->code;
                codes.push_back(code);
                return onNotify ? onNotify(code) : 0;
            }
            if (msg == WM_CONTEXTMENU) codes.push_back(int(msg));
            return msg == WM_NCHITTEST ? LRESULT(HTCLIENT) : 0;
        };
        WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
        tree = static_cast<Winl_vZoz_treeview*>(WINL_MakeControl("", 9, "SysTreeView32", 0, 0, 0, 200, 150, 0));
    }
    HTREEITEM insert(HTREEITEM parent, HTREEITEM after, const char* text, bool children = false) {
        TVINSERTSTRUCT ins{parent, after, {TVIF_TEXT | TVIF_CHILDREN | TVIF_PARAM, nullptr, 0, 0,
                                           const_cast<char*>(text), 0, 0, 0, children, LPARAM(text[0])}};
        return TreeView_InsertItem(tree, &ins);
    }
    std::string textOf(HTREEITEM item) {
        char buf[32] = "?";
        TVITEM tvi{TVIF_HANDLE | TVIF_TEXT, item, 0, 0, buf, sizeof buf, 0, 0, 0, 0};
        return TreeView_GetItem(tree, &tvi) ? buf : "-";
    }
    // The root's children in order, each with its subtree when expanded.
    std::string shown() {
        std::string out;
        for (int row = 0; row < tree->NumberOfRows(); ++row)
            out += std::string(size_t(tree->LevelForRow(row)), '.') + textOf(Winl_vZoz_treeview::itemOf(tree->ItemAtRow(row))) + " ";
        return out;
    }

    Winl_vZoz_treeview* tree = nullptr;
    std::vector<int> codes;
    std::function<LRESULT(int)> onNotify;
};
using TreeView = TreeViewTest;
using TreeViewMouse = TreeViewTest;

TEST_F(TreeView, InsertPlacesItemsAndRefusesUnknownParents) {
    HTREEITEM b = insert(TVI_ROOT, TVI_LAST, "b", true);
    insert(nullptr, TVI_FIRST, "a");
    insert(nullptr, TVI_SORT, "z"); // appends: nothing is sorted
    insert(nullptr, b, "c");
    HTREEITEM stray = reinterpret_cast<HTREEITEM>(&codes);
    insert(nullptr, stray, "0"); // after an item that is not in the list: first
    HTREEITEM child = insert(b, nullptr, "b1", true);
    insert(child, nullptr, "b11");
    EXPECT_EQ(insert(stray, nullptr, "x"), nullptr);
    EXPECT_EQ(shown(), "0 a b c z ");
    EXPECT_TRUE(tree->IsItemExpandable(tree, nullptr));
    // The expander follows the flag, not the child count.
    EXPECT_FALSE(tree->IsItemExpandable(tree, tree->ItemAtRow(1)));
    ASSERT_EQ(TreeView_Expand(tree, b, TVE_EXPAND), 1);
    EXPECT_EQ(TreeView_Expand(tree, b, TVE_EXPAND), 0);
    EXPECT_EQ(TreeView_Expand(tree, child, TVE_TOGGLE), 1);
    EXPECT_EQ(shown(), "0 a b .b1 ..b11 c z ");
    EXPECT_EQ(TreeView_Expand(tree, b, TVE_COLLAPSE), 1);
    EXPECT_EQ(TreeView_Expand(tree, b, 7), 0);
    EXPECT_EQ(shown(), "0 a b c z ");
    // b's child keeps its expansion under the collapsed parent.
    TreeView_Expand(tree, b, TVE_EXPAND);
    EXPECT_EQ(shown(), "0 a b .b1 ..b11 c z ");

    HTREEITEM__* parent = nullptr;
    int index = -1;
    ASSERT_TRUE(tree->findItem(child->m_children.Get(0), &parent, &index));
    EXPECT_EQ(parent, child);
    EXPECT_EQ(index, 0);
    ASSERT_TRUE(tree->findItem(b, &parent, &index));
    EXPECT_EQ(parent, nullptr);
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(tree->findItem(nullptr, &parent, &index));
}

TEST_F(TreeView, WalkingGettingAndSettingItems) {
    EXPECT_EQ(TreeView_GetRoot(tree), nullptr);
    EXPECT_EQ(TreeView_GetChild(tree, nullptr), nullptr);
    HTREEITEM a = insert(nullptr, nullptr, "a"), b = insert(nullptr, nullptr, "b", true);
    HTREEITEM b1 = insert(b, nullptr, "b1");
    EXPECT_EQ(TreeView_GetNextSibling(tree, a), b);
    EXPECT_EQ(TreeView_GetNextSibling(tree, b), nullptr);
    EXPECT_EQ(TreeView_GetNextSibling(tree, nullptr), a);
    EXPECT_EQ(TreeView_GetChild(tree, b), b1);
    EXPECT_EQ(TreeView_GetChild(tree, nullptr), a);

    // Without TVIF_HANDLE nothing is written; texts are cut to the buffer, bytes >= 0x80 kept.
    char buf[4] = "xyz";
    TVITEM tvi{TVIF_TEXT, b, 77, 0, buf, 4, 0, 0, 55, 66};
    EXPECT_EQ(TreeView_GetItem(tree, &tvi), 0);
    EXPECT_EQ(std::string(buf), "xyz");
    EXPECT_EQ(tvi.state + tvi.cChildren + tvi.lParam, 77u + 55 + 66);
    TVITEM set{TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM, b, 0, 0, const_cast<char*>("\xC3\xA9t\xC3\xA9"), 0, 0, 0, 0, 42};
    EXPECT_EQ(TreeView_SetItem(tree, &set), 1);
    tvi.mask = TVIF_HANDLE | TVIF_TEXT;
    EXPECT_EQ(TreeView_GetItem(tree, &tvi), 1);
    EXPECT_EQ(std::string(buf), "\xC3\xA9t"); // 3 bytes and the terminator
    EXPECT_EQ(tvi.lParam, 42);
    EXPECT_EQ(tvi.cChildren, 1);
    EXPECT_EQ(tvi.state, 0u);
    set = TVITEM{TVIF_HANDLE, b, TVIS_SELECTED | TVIS_EXPANDED, TVIS_SELECTED | TVIS_EXPANDED, nullptr, 0, 0, 0, 0, 0};
    EXPECT_EQ(TreeView_SetItem(tree, &set), 1);
    EXPECT_EQ(TreeView_GetItem(tree, &tvi), 1);
    EXPECT_EQ(tvi.state, unsigned(TVIS_SELECTED | TVIS_EXPANDED));
    EXPECT_EQ(codes, std::vector<int>{TVN_SELCHANGED});
    // An item that is not in the tree is refused.
    HTREEITEM__ stray;
    set.hItem = &stray;
    EXPECT_EQ(TreeView_SetItem(tree, &set), 0);

    // Rows: a at 0, b at 1, b1 at 2, 19 pixels apart; the bottom edge belongs to the next row.
    TVHITTESTINFO hti{{5, 37}, 0, nullptr};
    EXPECT_EQ(TreeView_HitTest(tree, &hti), b);
    hti.pt.y = 38;
    EXPECT_EQ(TreeView_HitTest(tree, &hti), b1);
    hti.pt.y = 57;
    EXPECT_EQ(TreeView_HitTest(tree, &hti), nullptr);
    EXPECT_EQ(hti.hItem, nullptr);

    TreeView_DeleteItem(tree, b);
    EXPECT_EQ(shown(), "a ");
    EXPECT_EQ(TreeView_GetNextSibling(tree, b1), nullptr);
}

TEST_F(TreeView, SelectionNotifiesOnceEvenWhenTheHandlerSelectsAgain) {
    HTREEITEM a = insert(nullptr, nullptr, "a"), b = insert(nullptr, nullptr, "b");
    onNotify = [&](int code) {
        if (code == TVN_SELCHANGED) TreeView_SelectItem(tree, b);
        return LRESULT(0);
    };
    TreeView_SelectItem(tree, a);
    EXPECT_EQ(codes, std::vector<int>{TVN_SELCHANGED});
    EXPECT_EQ(TreeView_GetSelection(tree), b);
    onNotify = nullptr;
    TreeView_SelectItem(tree, nullptr); // clears the selection, and says so
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);
    EXPECT_EQ(codes.size(), 2u);
}

// A parent that deletes the item it is told about: the call that notified reads it no more,
// and the handle it keeps is refused everywhere (no notification for it either).
TEST_F(TreeView, HandlersMayDeleteTheItemTheyAreToldAbout) {
    HTREEITEM a = insert(nullptr, nullptr, "a", true), b = insert(nullptr, nullptr, "b", true);
    insert(a, nullptr, "a1");
    HTREEITEM b1 = insert(b, nullptr, "b1");
    onNotify = [&](int code) {
        if (code == TVN_SELCHANGED) TreeView_DeleteItem(tree, a);
        return LRESULT(0);
    };
    TVITEM set{TVIF_HANDLE, a, TVIS_SELECTED | TVIS_EXPANDED, TVIS_SELECTED | TVIS_EXPANDED, nullptr, 0, 0, 0, 0, 0};
    EXPECT_EQ(TreeView_SetItem(tree, &set), 1);
    EXPECT_EQ(shown(), "b ");
    EXPECT_EQ(codes, std::vector<int>{TVN_SELCHANGED});

    // A click on b's expander is told before it expands b; this time the handler deletes b.
    const wsys::Point expander = wsys::inject::ScreenPoint(tree, {5, 5});
    onNotify = nullptr;
    wsys::inject::Click(expander);
    run();
    ASSERT_EQ(shown(), "b .b1 ");
    TreeView_Expand(tree, b, TVE_COLLAPSE);
    onNotify = [&](int code) {
        if (code == NM_CLICK) TreeView_DeleteItem(tree, b);
        return LRESULT(0);
    };
    wsys::inject::Click(expander);
    run();
    EXPECT_EQ(shown(), "");
    for (HTREEITEM stale : {a, b, b1}) {
        char buf[4] = "xyz";
        TVITEM get{TVIF_HANDLE | TVIF_TEXT, stale, 7, 0, buf, 4, 0, 0, 5, 6};
        EXPECT_EQ(TreeView_GetItem(tree, &get), 0);
        EXPECT_EQ(std::string(buf), "xyz");
        EXPECT_EQ(get.state + get.cChildren + get.lParam, 7u + 5 + 6);
        EXPECT_EQ(TreeView_Expand(tree, stale, TVE_TOGGLE), 0);
        EXPECT_EQ(TreeView_GetChild(tree, stale), nullptr);
        EXPECT_EQ(TreeView_GetNextSibling(tree, stale), nullptr);
        codes.clear();
        TreeView_SelectItem(tree, stale);
        EXPECT_TRUE(codes.empty());
    }
}

// Expanding a collapsed item answers 1 even when it has no children flag, and it stays
// collapsed; the same for a toggle.
TEST_F(TreeView, ExpandingAnItemWithoutTheChildrenFlag) {
    HTREEITEM leaf = insert(nullptr, nullptr, "leaf");
    insert(leaf, nullptr, "hidden");
    for (int code : {TVE_EXPAND, TVE_TOGGLE, TVE_EXPAND}) EXPECT_EQ(TreeView_Expand(tree, leaf, code), 1);
    EXPECT_EQ(TreeView_Expand(tree, leaf, TVE_COLLAPSE), 0);
    EXPECT_EQ(shown(), "leaf ");
}

TEST_F(TreeViewMouse, ClicksReportBeforeTheyActAndControlClicksAreRightClicks) {
    insert(nullptr, nullptr, "a");
    insert(nullptr, nullptr, "b");
    auto at = [this](double y) { return wsys::inject::ScreenPoint(tree, {40, y}); };
    wsys::inject::Click(at(25));
    run();
    EXPECT_EQ(codes, (std::vector<int>{NM_CLICK, TVN_SELCHANGED}));
    codes.clear();
    WINL_EnableRightClickEmulate(true);
    wsys::inject::SetModifiers(wsys::kControlKeyMask);
    wsys::inject::Click(at(5));
    wsys::inject::SetModifiers(0);
    run();
    WINL_EnableRightClickEmulate(false);
    EXPECT_EQ(codes, (std::vector<int>{NM_RCLICK, int(WM_CONTEXTMENU)}));
    EXPECT_EQ(tree->SelectedRow(), 1);
    // A right click the parent handles asks for no context menu.
    codes.clear();
    onNotify = [](int code) { return LRESULT(code == NM_RCLICK); };
    wsys::inject::Click(at(5), 1);
    run();
    EXPECT_EQ(codes, std::vector<int>{NM_RCLICK});
}

// Random inserts, deletes and walks against a plain tree of names.
TEST_F(TreeView, RandomEditsMatchAReferenceTree) {
    std::mt19937 rng(7);
    std::map<HTREEITEM, std::vector<HTREEITEM>> model; // null: the root
    std::vector<HTREEITEM> all;
    std::function<void(HTREEITEM)> forget = [&](HTREEITEM item) {
        for (HTREEITEM c : model[item]) forget(c);
        model.erase(item);
        all.erase(std::find(all.begin(), all.end(), item));
    };
    for (int step = 0; step < 600; ++step) {
        const int op = int(rng() % 3);
        HTREEITEM pick = all.empty() ? nullptr : all[rng() % all.size()];
        if (op < 2 || !pick) {
            std::vector<HTREEITEM>& list = model[pick];
            const size_t pos = list.empty() ? 0 : rng() % (list.size() + 1);
            HTREEITEM after = pos == 0 ? TVI_FIRST : list[pos - 1];
            HTREEITEM made = insert(pick, after, "n", true);
            list.insert(list.begin() + long(pos), made);
            all.push_back(made);
        } else {
            TreeView_DeleteItem(tree, pick);
            for (auto& [parent, list] : model) list.erase(std::remove(list.begin(), list.end(), pick), list.end());
            forget(pick);
        }
        if (op < 2 && pick && rng() % 4 == 0) TreeView_Expand(tree, pick, TVE_TOGGLE);
    }
    std::function<void(HTREEITEM)> walk = [&](HTREEITEM parent) {
        HTREEITEM got = TreeView_GetChild(tree, parent);
        for (HTREEITEM want : model[parent]) {
            ASSERT_EQ(got, want);
            walk(want);
            got = TreeView_GetNextSibling(tree, got);
        }
        ASSERT_EQ(got, nullptr);
    };
    walk(nullptr);
}

} // namespace
} // namespace winltest
