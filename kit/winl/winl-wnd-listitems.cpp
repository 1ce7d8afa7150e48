// List view items: count, insertion, deletion, texts and states, keeping the rows and the
// table's selection in step.
#include "kit/winl/winl-wnd-listview.h"

#include <cstdlib>
#include <cstring>

namespace wsys = platform::wsys;

namespace {

// Nonzero while ListView_SetItemState sets every row.
int _is_doing_all = 0;
// Set while its change notification is out, so a change the parent makes meanwhile is silent.
bool _rent = false;

} // namespace

int ListView_GetItemCount(HWND hwnd) {
    const Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    return lv ? lv->itemCount() : 0;
}

int ListView_InsertItem(HWND hwnd, const LVITEM* item) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv || !item || item->iSubItem != 0) return 0;
    if (lv->isOwnerData()) return -1;
    const int count = lv->m_items.GetSize();
    int at = item->iItem >= 0 ? std::min(item->iItem, count) : 0;
    const bool hasText = item->mask & LVIF_TEXT;
    const char* text = hasText && item->pszText ? item->pszText : "";
    if (hasText && !lv->m_lbMode) {
        if (lv->style & LVS_SORTASCENDING)
            at = lv->sortedPosition(text, false);
        else if (lv->style & LVS_SORTDESCENDING)
            at = lv->sortedPosition(text, true);
    }
    auto* row = new WINL_ListView_Row;
    row->m_vals.Add(strdup(text));
    if (item->mask & LVIF_PARAM) row->m_param = item->lParam;
    if ((item->mask & LVIF_STATE) && (item->stateMask & LVIS_STATEIMAGEMASK))
        row->m_imageidx = int(item->state >> 16 & 0xFF);
    if (!lv->m_items.Insert(at, row)) {
        delete row;
        return -1;
    }
    lv->ReloadData();
    const std::set<int>& selected = lv->SelectedRowIndexes();
    if (at != lv->m_items.GetSize() - 1 && !selected.empty()) {
        std::set<int> shifted;
        for (int s : selected)
            shifted.insert(s >= at ? s + 1 : s);
        lv->SelectRowIndexes(shifted, false);
    }
    if ((item->mask & LVIF_STATE) && (item->stateMask & LVIS_SELECTED) && (item->state & LVIS_SELECTED))
        lv->selectRows({at});
    return at;
}

void ListView_DeleteItem(HWND hwnd, int item) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv || item < 0 || item >= lv->m_items.GetSize()) return;
    const std::set<int>& selected = lv->SelectedRowIndexes();
    if (item != lv->m_items.GetSize() - 1 && !selected.empty()) {
        std::set<int> shifted;
        for (int s : selected)
            if (s != item) shifted.insert(s > item ? s - 1 : s);
        lv->SelectRowIndexes(shifted, false);
    }
    lv->m_items.Delete(item, true);
    lv->ReloadData();
}

int ListView_GetItemText(HWND hwnd, int item, int sub, char* text, int len) {
    LVITEM it{};
    it.mask = LVIF_TEXT;
    it.iItem = item;
    it.iSubItem = sub;
    it.pszText = text;
    it.cchTextMax = len;
    return ListView_GetItem(hwnd, &it);
}

unsigned int ListView_GetItemState(HWND hwnd, int item, unsigned int mask) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv || item < 0 || item >= lv->itemCount()) return 0;
    const WINL_ListView_Row* row = lv->m_items.Get(item);
    unsigned int state = 0;
    if ((mask & LVIS_STATEIMAGEMASK) && row) state = unsigned(row->m_imageidx) << 16;
    if ((mask & LVIS_SELECTED) && lv->IsRowSelected(item)) state |= LVIS_SELECTED;
    if ((mask & LVIS_FOCUSED) && lv->SelectedRow() == item) state |= LVIS_FOCUSED;
    return state;
}

bool ListView_SetItemState(HWND hwnd, int item, unsigned int state, unsigned int mask) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv) return false;
    wsys::Ref<wsys::View> keep(lv);
    if (item == -1) {
        ++_is_doing_all;
        for (int i = 0; i < lv->itemCount(); ++i)
            ListView_SetItemState(hwnd, i, state, mask);
        --_is_doing_all;
        lv->ReloadData();
        return true;
    }
    if (item < 0 || item >= lv->itemCount()) return false;
    bool imageChanged = false, selectionChanged = false;
    if (WINL_ListView_Row* row = lv->m_items.Get(item); row && (mask & LVIS_STATEIMAGEMASK)) {
        const int image = int(state >> 16 & 0xFF);
        imageChanged = image != row->m_imageidx;
        row->m_imageidx = image;
    }
    if (mask & LVIS_SELECTED) {
        const bool selected = lv->IsRowSelected(item);
        if ((state & LVIS_SELECTED) && !selected)
            lv->selectRows({item});
        else if (!(state & LVIS_SELECTED) && selected)
            lv->DeselectRow(item);
        selectionChanged = selected != lv->IsRowSelected(item);
    }
    if (_is_doing_all) return true;
    if (selectionChanged && !_rent) {
        _rent = true;
        NMLISTVIEW nm{};
        nm.hdr = NMHDR{lv, uintptr_t(lv->Tag()), LVN_ITEMCHANGED};
        nm.iItem = item;
        nm.uNewState = state;
        SendMessage(GetParent(lv), WM_NOTIFY, WPARAM(lv->Tag()), LPARAM(&nm));
        _rent = false;
    }
    if (imageChanged) lv->ReloadData();
    return true;
}
