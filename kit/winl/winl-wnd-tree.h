#pragma once

// Tree views: the control owns a tree of item records and is its own outline data source; the
// outline shows each item through a wrapper object made for it. Notifications go to the
// parent dialog view as WM_NOTIFY with wParam = the control's tag. UI thread only.

#include "kit/base/KIT_PtrList.h"
#include "kit/winl/winl-misc.h"
#include "kit/winl/winl-wnd-controls.h"
#include "platform/wsys/OutlineView.h"

#include <optional>
#include <vector>

// One item: what the outline sees of it (its wrapper, whose value is the item's address),
// whether it shows an expander, its owned text (may be null), its owned children and the
// caller's data word.
struct HTREEITEM__ {
    HTREEITEM__();
    // Frees the text and the children (last to first, each with its subtree).
    ~HTREEITEM__();
    HTREEITEM__(const HTREEITEM__&) = delete;
    HTREEITEM__& operator=(const HTREEITEM__&) = delete;

    // Searches below this item: its own children first, in order, then each child's subtree,
    // depth first; a match gives the list's holder as parent and the index in its children.
    bool FindItem(HTREEITEM__* target, HTREEITEM__** parentOut, int* indexOut);

    platform::wsys::Ref<Winl_vZoz_sdh> m_wrapper;
    char m_haschildren = 0;
    char* m_value = nullptr;
    KIT_PtrList<HTREEITEM__> m_children{4096};
    LPARAM m_param = 0;
};

class Winl_vZoz_treeview : public WinlRedrawMarking<platform::wsys::OutlineView>,
                           public platform::wsys::OutlineDataSource,
                           public WinlStyle,
                           public WinlItemColors {
public:
    explicit Winl_vZoz_treeview(const platform::wsys::Rect& frame = platform::wsys::Rect());

    // The whole tree, the root list first (a root item has a null parent). False for a null
    // target or no root items.
    bool findItem(HTREEITEM__* target, HTREEITEM__** parentOut, int* indexOut);
    // The item a wrapper stands for, null for none.
    static HTREEITEM__* itemOf(platform::wsys::Object* wrapper);

    // The root (a null item) is always expandable, an item when its flag says so.
    int NumberOfChildrenOfItem(platform::wsys::OutlineView* outline, platform::wsys::Object* item) override;
    bool IsItemExpandable(platform::wsys::OutlineView* outline, platform::wsys::Object* item) override;
    platform::wsys::Object* ChildOfItem(platform::wsys::OutlineView* outline, int index,
                                        platform::wsys::Object* item) override;
    platform::wsys::Ref<platform::wsys::Object>
    ObjectValueForItem(platform::wsys::OutlineView* outline, platform::wsys::TableColumn* column,
                       platform::wsys::Object* item) override;

    // NM_CLICK before the platform's click; with the control key and right-click emulation a
    // right click instead. Drags do nothing.
    void MouseDown(platform::wsys::Event& e) override;
    void MouseDragged(platform::wsys::Event&) override {}
    void MouseUp(platform::wsys::Event& e) override;
    // NM_RCLICK, then WM_CONTEXTMENU (the control, the cursor's screen point) when it gets 0.
    void RightMouseUp(platform::wsys::Event& e) override;
    // With custom colours only the selected row is filled: entry 0 with the focus, 2 without.
    void HighlightSelectionInClipRect(const platform::wsys::Rect& clip) override;

    long getWinlStyle() override { return style; }
    void setWinlStyle(long s) override { style = s; }
    bool getWinlNotificationMode() override { return false; }
    bool winlIsOutline() override { return true; }
    int winlSelectedRow() override { return SelectedRow(); }
    int winlClickedRow() override { return ClickedRow(); }
    int winlClickedColumn() override { return ClickedColumn(); }
    bool winlRowParam(int, LPARAM*) override { return false; }
    bool winlReportsColumnClicks() override { return false; }
    int winlColumnIndex(platform::wsys::TableColumn*) override { return -1; }

    bool m_fakerightmouse = false;
    long style = 0;
    KIT_PtrList<HTREEITEM__>* m_items = nullptr; // made on the first insert

protected:
    void Dealloc() override;

private:
    void notify(int code);
};

// Insertion and item records (Win32 layouts).
struct TVINSERTSTRUCT {
    HTREEITEM hParent;
    HTREEITEM hInsertAfter;
    TVITEM item;
};
struct TVHITTESTINFO {
    POINT pt;
    unsigned int flags;
    HTREEITEM hItem;
};
enum : unsigned int {
    TVIF_TEXT = 1,
    TVIF_PARAM = 4,
    TVIF_HANDLE = 16,
    TVIF_CHILDREN = 64,
    TVIS_SELECTED = 2,
    TVIS_EXPANDED = 32,
};
enum : int { TVE_COLLAPSE = 1, TVE_EXPAND = 2, TVE_TOGGLE = 3 };
inline HTREEITEM const TVI_ROOT = reinterpret_cast<HTREEITEM>(-0x10000);
inline HTREEITEM const TVI_FIRST = reinterpret_cast<HTREEITEM>(-0xFFFF);
inline HTREEITEM const TVI_LAST = reinterpret_cast<HTREEITEM>(-0xFFFE);
inline HTREEITEM const TVI_SORT = reinterpret_cast<HTREEITEM>(-0xFFFD);

// Each operation needs a tree view handle and otherwise does nothing and answers 0. An item
// handle that is not in the tree (deleted meanwhile) is refused the same way, never read.

// Under hParent (null or TVI_*: the root; any other must be in the tree, else null), after
// hInsertAfter: null, TVI_LAST and TVI_SORT append (nothing is sorted), TVI_FIRST and an item
// that is not in the list put it first. Text, children flag and data word as the mask says.
HTREEITEM TreeView_InsertItem(HWND hwnd, const TVINSERTSTRUCT* ins);
// The item and its subtree.
void TreeView_DeleteItem(HWND hwnd, HTREEITEM item);
// Needs TVIF_HANDLE and an item in the tree, else writes nothing. Children flag, data word, selected and
// expanded state; the text (cut to cchTextMax - 1 bytes) with TVIF_TEXT.
int TreeView_GetItem(HWND hwnd, TVITEM* tvi);
// Needs TVIF_HANDLE and an item in the tree. Children flag, data word, text, then the
// selection (TVIS_SELECTED in stateMask and state: this row alone, notified) and, when the
// item outlived the notification, expansion.
int TreeView_SetItem(HWND hwnd, const TVITEM* tvi);
// 1 for a collapsed item asked to expand (even one without the children flag, which stays
// collapsed) and an expanded one asked to collapse; 0 otherwise.
int TreeView_Expand(HWND hwnd, HTREEITEM item, int code);
// The item's row alone is selected (a null item clears the selection), then TVN_SELCHANGED
// goes to the parent, except from within its own handling.
void TreeView_SelectItem(HWND hwnd, HTREEITEM item);
HTREEITEM TreeView_GetSelection(HWND hwnd);
HTREEITEM TreeView_GetRoot(HWND hwnd);
// The first child; a null item stands for the root.
HTREEITEM TreeView_GetChild(HWND hwnd, HTREEITEM item);
// Null after the last one or for an item not in the tree; the first root item for null.
HTREEITEM TreeView_GetNextSibling(HWND hwnd, HTREEITEM item);
// The item whose row holds pt (tree coordinates); the record is only read.
HTREEITEM TreeView_HitTest(HWND hwnd, const TVHITTESTINFO* hti);
int TreeView_SetIndent(HWND hwnd, int indent);
void TreeView_SetBkColor(HWND hwnd, int colour);
void TreeView_SetTextColor(HWND hwnd, int colour);
