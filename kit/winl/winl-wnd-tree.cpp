// The tree view control and the TreeView_* operations.
#include "kit/winl/winl-wnd-tree.h"

#include "kit/winl/winl-kb.h"
#include "kit/winl/winl-wnd-listview.h"
#include "kit/winl/winl-wnd-private.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Paint.h"
#include "platform/wsys/String.h"

#include <cstdlib>
#include <cstring>

namespace wsys = platform::wsys;

HTREEITEM__::HTREEITEM__() : m_wrapper(wsys::Make<Winl_vZoz_sdh>(intptr_t(this))) {}

HTREEITEM__::~HTREEITEM__() {
    std::free(m_value);
    m_children.Empty(true);
}

namespace {

// The same search over a list of children held by parent (null for the root list).
bool findIn(const KIT_PtrList<HTREEITEM__>& list, HTREEITEM__* parent, HTREEITEM__* target,
            HTREEITEM__** parentOut, int* indexOut) {
    const int index = list.Find(target);
    if (index >= 0) {
        *parentOut = parent;
        *indexOut = index;
        return true;
    }
    for (int i = 0; i < list.GetSize(); ++i)
        if (list.Get(i)->FindItem(target, parentOut, indexOut)) return true;
    return false;
}

Winl_vZoz_treeview* treeOf(HWND hwnd) {
    return dynamic_cast<Winl_vZoz_treeview*>(hwnd);
}

bool isSpecial(HTREEITEM item) {
    return item == TVI_ROOT || item == TVI_FIRST || item == TVI_LAST || item == TVI_SORT;
}

// The list that holds an item found in the tree: its parent's children or the root list.
KIT_PtrList<HTREEITEM__>* holderOf(Winl_vZoz_treeview* tree, HTREEITEM__* parent) {
    return parent ? &parent->m_children : tree->m_items;
}

char* copyText(const char* text) {
    const size_t n = std::strlen(text) + 1;
    return static_cast<char*>(std::memcpy(std::malloc(n), text, n));
}

} // namespace

bool HTREEITEM__::FindItem(HTREEITEM__* target, HTREEITEM__** parentOut, int* indexOut) {
    return findIn(m_children, this, target, parentOut, indexOut);
}

// ---------------------------------------------------------------------------------------------
// The control

Winl_vZoz_treeview::Winl_vZoz_treeview(const wsys::Rect& frame) : WinlRedrawMarking(frame) {
    SetOutlineSource(this);
}

void Winl_vZoz_treeview::Dealloc() {
    SetOutlineSource(nullptr);
    if (m_items) m_items->Empty(true);
    delete m_items;
    m_items = nullptr;
    WinlRedrawMarking::Dealloc();
}

bool Winl_vZoz_treeview::findItem(HTREEITEM__* target, HTREEITEM__** parentOut, int* indexOut) {
    if (!target || !m_items || !m_items->GetSize()) return false;
    return findIn(*m_items, nullptr, target, parentOut, indexOut);
}

HTREEITEM__* Winl_vZoz_treeview::itemOf(wsys::Object* wrapper) {
    auto* sdh = dynamic_cast<Winl_vZoz_sdh*>(wrapper);
    return sdh ? reinterpret_cast<HTREEITEM__*>(sdh->getValue()) : nullptr;
}

int Winl_vZoz_treeview::NumberOfChildrenOfItem(wsys::OutlineView*, wsys::Object* item) {
    if (!item) return m_items ? m_items->GetSize() : 0;
    HTREEITEM__* it = itemOf(item);
    return it ? it->m_children.GetSize() : 0;
}

bool Winl_vZoz_treeview::IsItemExpandable(wsys::OutlineView*, wsys::Object* item) {
    if (!item) return true;
    HTREEITEM__* it = itemOf(item);
    return it && it->m_haschildren;
}

wsys::Object* Winl_vZoz_treeview::ChildOfItem(wsys::OutlineView*, int index, wsys::Object* item) {
    HTREEITEM__* parent = item ? itemOf(item) : nullptr;
    const KIT_PtrList<HTREEITEM__>* list = parent ? &parent->m_children : item ? nullptr : m_items;
    HTREEITEM__* child = list ? list->Get(index) : nullptr;
    return child ? child->m_wrapper.get() : nullptr;
}

wsys::Ref<wsys::Object> Winl_vZoz_treeview::ObjectValueForItem(wsys::OutlineView*, wsys::TableColumn*,
                                                                wsys::Object* item) {
    HTREEITEM__* it = itemOf(item);
    return wsys::Ref<wsys::String>::Adopt(WINL_CStringToCFString(it && it->m_value ? it->m_value : ""));
}

void Winl_vZoz_treeview::HighlightSelectionInClipRect(const wsys::Rect& clip) {
    const size_t entry = GetFocus() == this ? 0 : 2;
    platform::Canvas* c = wsys::GraphicsContext::Current();
    if (!m_selColors || entry >= m_selColors->size() || !c) {
        OutlineView::HighlightSelectionInClipRect(clip);
        return;
    }
    if (SelectedRow() < 0) return;
    const wsys::Rect fill = RectOfRow(SelectedRow()).Intersection(clip);
    if (fill.size.width <= 0 || fill.size.height <= 0) return;
    const platform::CanvasRect p = wsys::PixelsCovering(fill);
    wsys::FillPixels(*c, p.left, p.top, p.right, p.bottom, wsys::PixelOf((*m_selColors)[entry]));
}

void Winl_vZoz_treeview::notify(int code) {
    struct {
        NMHDR hdr;
        intptr_t zero[5];
    } nm{{this, uintptr_t(Tag()), code}, {}};
    SendMessage(Target(), WM_NOTIFY, WPARAM(Tag()), LPARAM(&nm));
}

void Winl_vZoz_treeview::MouseDown(wsys::Event& e) {
    wsys::Ref<wsys::View> keep(this);
    if ((e.modifierFlags & wsys::kControlKeyMask) && IsRightClickEmulateEnabled()) {
        m_fakerightmouse = true;
        return;
    }
    notify(NM_CLICK);
    m_fakerightmouse = false;
    OutlineView::MouseDown(e);
}

void Winl_vZoz_treeview::MouseUp(wsys::Event& e) {
    if (m_fakerightmouse || (e.modifierFlags & wsys::kControlKeyMask))
        RightMouseUp(e);
    else
        OutlineView::MouseUp(e);
}

void Winl_vZoz_treeview::RightMouseUp(wsys::Event&) {
    wsys::Ref<wsys::View> keep(this);
    struct {
        NMHDR hdr;
        intptr_t zero[5];
    } nm{{this, uintptr_t(Tag()), NM_RCLICK}, {}};
    if (!SendMessage(Target(), WM_NOTIFY, WPARAM(Tag()), LPARAM(&nm))) {
        POINT screen{};
        GetCursorPos(&screen);
        SendMessage(Target(), WM_CONTEXTMENU, WPARAM(static_cast<HWND>(this)),
                    WINL_PackPoint(screen.x, screen.y));
    }
    m_fakerightmouse = false;
}

// ---------------------------------------------------------------------------------------------
// Operations

namespace {

// TVN_SELCHANGED to the tree's parent, no item reported.
void notifySelectionChanged(Winl_vZoz_treeview* tree) {
    NMTREEVIEW nm{};
    nm.hdr = NMHDR{tree, uintptr_t(tree->Tag()), TVN_SELCHANGED};
    SendMessage(GetParent(tree), WM_NOTIFY, WPARAM(tree->Tag()), LPARAM(&nm));
}

// Whether the handle is an item of this tree: a handle kept past its deletion, or past a
// handler that deleted it during a notification, is refused rather than read.
bool inTree(Winl_vZoz_treeview* tree, HTREEITEM item) {
    HTREEITEM__* parent = nullptr;
    int index = 0;
    return tree->findItem(item, &parent, &index);
}

// Selects the item's row alone when it has one; reports whether the row exists.
bool selectRowOf(Winl_vZoz_treeview* tree, HTREEITEM item) {
    const int row = tree->RowForItem(item->m_wrapper.get());
    if (row >= 0) tree->SelectRowIndexes({row}, false);
    return row >= 0;
}

// Applies the mask's children flag, data word and text.
void applyFields(HTREEITEM item, const TVITEM& tvi) {
    if (tvi.mask & TVIF_CHILDREN) item->m_haschildren = tvi.cChildren != 0;
    if (tvi.mask & TVIF_PARAM) item->m_param = tvi.lParam;
    if ((tvi.mask & TVIF_TEXT) && tvi.pszText) {
        std::free(item->m_value);
        item->m_value = copyText(tvi.pszText);
    }
}

} // namespace

HTREEITEM TreeView_InsertItem(HWND hwnd, const TVINSERTSTRUCT* ins) {
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    if (!tree || !ins) return nullptr;
    HTREEITEM__* parent = nullptr;
    if (ins->hParent && !isSpecial(ins->hParent)) {
        if (!inTree(tree, ins->hParent)) return nullptr;
        parent = ins->hParent;
    }
    if (!parent && !tree->m_items) tree->m_items = new KIT_PtrList<HTREEITEM__>(4096);
    KIT_PtrList<HTREEITEM__>* list = holderOf(tree, parent);
    const HTREEITEM after = ins->hInsertAfter;
    int position = list->GetSize();
    if (after == TVI_FIRST)
        position = 0;
    else if (after && after != TVI_LAST && after != TVI_SORT)
        position = list->Find(after) + 1; // 0 when it is not in the list
    auto* item = new HTREEITEM__;
    applyFields(item, ins->item);
    list->Insert(position, item);
    tree->ReloadData();
    return item;
}

void TreeView_DeleteItem(HWND hwnd, HTREEITEM item) {
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    HTREEITEM__* parent = nullptr;
    int index = 0;
    if (!tree || !tree->findItem(item, &parent, &index)) return;
    holderOf(tree, parent)->Delete(index, true);
    tree->ReloadData();
}

int TreeView_GetItem(HWND hwnd, TVITEM* tvi) {
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    if (!tree || !tvi || !(tvi->mask & TVIF_HANDLE) || !inTree(tree, tvi->hItem)) return 0;
    HTREEITEM item = tvi->hItem;
    tvi->cChildren = item->m_haschildren;
    tvi->lParam = item->m_param;
    if ((tvi->mask & TVIF_TEXT) && tvi->pszText && tvi->cchTextMax > 0) {
        const char* text = item->m_value ? item->m_value : "";
        const size_t n = strnlen(text, size_t(tvi->cchTextMax) - 1);
        std::memcpy(tvi->pszText, text, n);
        tvi->pszText[n] = 0;
    }
    const int row = tree->RowForItem(item->m_wrapper.get());
    tvi->state = (row >= 0 && tree->IsRowSelected(row) ? TVIS_SELECTED : 0u) |
                 (tree->IsItemExpanded(item->m_wrapper.get()) ? TVIS_EXPANDED : 0u);
    return 1;
}

int TreeView_SetItem(HWND hwnd, const TVITEM* tvi) {
    static bool __rent = false;
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    if (!tree || !tvi || !(tvi->mask & TVIF_HANDLE) || !inTree(tree, tvi->hItem)) return 0;
    wsys::Ref<wsys::View> keep(tree);
    HTREEITEM item = tvi->hItem;
    applyFields(item, *tvi);
    if ((tvi->mask & TVIF_TEXT) && tvi->pszText) tree->SetNeedsDisplay(true);
    if ((tvi->stateMask & TVIS_SELECTED) && (tvi->state & TVIS_SELECTED) && selectRowOf(tree, item) &&
        !__rent) {
        __rent = true;
        notifySelectionChanged(tree);
        __rent = false;
    }
    // The parent may have deleted the item while it handled the notification.
    if ((tvi->stateMask & TVIS_EXPANDED) && inTree(tree, item)) {
        const bool expanded = tree->IsItemExpanded(item->m_wrapper.get());
        if ((tvi->state & TVIS_EXPANDED) && !expanded) tree->ExpandItem(item->m_wrapper.get());
        if (!(tvi->state & TVIS_EXPANDED) && expanded) tree->CollapseItem(item->m_wrapper.get());
    }
    return 1;
}

int TreeView_Expand(HWND hwnd, HTREEITEM item, int code) {
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    if (!tree || !inTree(tree, item)) return 0;
    wsys::Object* wrapper = item->m_wrapper.get();
    const bool expanded = tree->IsItemExpanded(wrapper);
    if ((code == TVE_EXPAND || code == TVE_TOGGLE) && !expanded) {
        // An item without the children flag shows no expander and stays collapsed.
        tree->ExpandItem(wrapper);
        return 1;
    }
    if ((code == TVE_COLLAPSE || code == TVE_TOGGLE) && expanded) {
        tree->CollapseItem(wrapper);
        return 1;
    }
    return 0;
}

void TreeView_SelectItem(HWND hwnd, HTREEITEM item) {
    static bool __rent = false;
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    if (!tree) return;
    if (item && !inTree(tree, item)) return;
    wsys::Ref<wsys::View> keep(tree);
    if (item)
        selectRowOf(tree, item);
    else
        tree->DeselectAll();
    if (__rent) return;
    __rent = true;
    notifySelectionChanged(tree);
    __rent = false;
}

HTREEITEM TreeView_GetSelection(HWND hwnd) {
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    return tree ? Winl_vZoz_treeview::itemOf(tree->ItemAtRow(tree->SelectedRow())) : nullptr;
}

HTREEITEM TreeView_GetRoot(HWND hwnd) {
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    return tree && tree->m_items ? tree->m_items->Get(0) : nullptr;
}

HTREEITEM TreeView_GetChild(HWND hwnd, HTREEITEM item) {
    if (!item) return TreeView_GetRoot(hwnd);
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    return tree && inTree(tree, item) ? item->m_children.Get(0) : nullptr;
}

HTREEITEM TreeView_GetNextSibling(HWND hwnd, HTREEITEM item) {
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    if (!item) return TreeView_GetRoot(hwnd);
    HTREEITEM__* parent = nullptr;
    int index = 0;
    if (!tree || !tree->findItem(item, &parent, &index)) return nullptr;
    return holderOf(tree, parent)->Get(index + 1);
}

HTREEITEM TreeView_HitTest(HWND hwnd, const TVHITTESTINFO* hti) {
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    if (!tree || !hti) return nullptr;
    const int rows = tree->NumberOfRows();
    for (int row = 0; row < rows; ++row) {
        const wsys::Rect r = tree->RectOfRow(row);
        if (hti->pt.x >= r.MinX() && hti->pt.x < r.MaxX() && hti->pt.y >= r.MinY() && hti->pt.y < r.MaxY())
            return Winl_vZoz_treeview::itemOf(tree->ItemAtRow(row));
    }
    return nullptr;
}

int TreeView_SetIndent(HWND hwnd, int indent) {
    Winl_vZoz_treeview* tree = treeOf(hwnd);
    if (!tree) return 0;
    tree->SetIndentationPerLevel(indent);
    return 1;
}

void TreeView_SetBkColor(HWND hwnd, int colour) {
    if (Winl_vZoz_treeview* tree = treeOf(hwnd)) tree->SetBackgroundColor(WINL_ItemColor(colour));
}

void TreeView_SetTextColor(HWND hwnd, int colour) {
    if (Winl_vZoz_treeview* tree = treeOf(hwnd)) {
        tree->m_fgColor = WINL_ItemColor(colour);
        tree->SetNeedsDisplay(true);
    }
}
