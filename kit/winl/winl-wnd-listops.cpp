// List view items' contents, selection queries, hit testing, rectangles, scrolling and the
// stable sort of rows.
#include "kit/winl/winl-wnd-listview.h"

#include "kit/base/KIT_HeapBuf.h"
#include "platform/wsys/ScrollView.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace wsys = platform::wsys;

namespace {

// Stored rows: a list box, or a list view without owner data.
WINL_ListView_Row* storedRow(Winl_vZoz_listview* lv, int item) {
    return lv->isOwnerData() ? nullptr : lv->m_items.Get(item);
}

// The table behind any handle (list or tree) with the scroll view showing it.
wsys::ScrollView* scrollOf(HWND hwnd, wsys::TableView** table) {
    *table = dynamic_cast<wsys::TableView*>(hwnd);
    return *table ? (*table)->EnclosingScrollView() : nullptr;
}

wsys::Rect visibleOf(const wsys::ScrollView* scroll) {
    return scroll ? scroll->ContentView()->Bounds() : wsys::Rect();
}

int clampIndex(int i, int count) {
    return std::max(0, std::min(i, count - 1));
}

// A row with its item data beside it, so comparing never reaches into the row records: over
// many rows their scattered addresses would cost a cache miss a comparison.
struct SortEntry {
    LPARAM param;
    WINL_ListView_Row* row;
};

// Stable and top-down: halves sorted, then merged through the scratch, taking from the first
// half while it does not compare above the second.
void _listview_mergesort_internal(SortEntry* base, int n, PFNLVCOMPARE compare, LPARAM param,
                                  SortEntry* scratch) {
    if (n < 2) return;
    const int half = n / 2;
    if (n > 2) {
        _listview_mergesort_internal(base, half, compare, param, scratch);
        _listview_mergesort_internal(base + half, n - half, compare, param, scratch);
    }
    int i = 0, j = half, k = 0;
    while (i < half && j < n)
        scratch[k++] = compare(base[i].param, base[j].param, param) <= 0 ? base[i++] : base[j++];
    while (i < half)
        scratch[k++] = base[i++];
    std::memcpy(base, scratch, size_t(k) * sizeof *base);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Items

int ListView_GetItem(HWND hwnd, LVITEM* item) {
    if (!item) return 0;
    const bool wantsText = (item->mask & LVIF_TEXT) && item->pszText && item->cchTextMax >= 1;
    if (wantsText) item->pszText[0] = 0;
    item->state = 0;
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv) return 0;
    if (!lv->isOwnerData()) {
        const WINL_ListView_Row* row = lv->m_items.Get(item->iItem);
        if (!row) return 0;
        if (item->mask & LVIF_PARAM) item->lParam = row->m_param;
        if (wantsText) {
            const char* text = row->text(item->iSubItem) ? row->text(item->iSubItem) : "";
            const size_t n = std::min(std::strlen(text), size_t(item->cchTextMax - 1));
            std::memcpy(item->pszText, text, n);
            item->pszText[n] = 0;
        }
        if ((item->mask & LVIF_STATE) && (item->stateMask & LVIS_STATEIMAGEMASK))
            item->state |= unsigned(row->m_imageidx) << 16;
    } else if (item->iItem < 0 || item->iItem >= lv->ownermode_cnt) {
        return 0;
    }
    if (item->mask & LVIF_STATE) {
        if ((item->stateMask & LVIS_SELECTED) && lv->IsRowSelected(item->iItem))
            item->state |= LVIS_SELECTED;
        if ((item->stateMask & LVIS_FOCUSED) && lv->SelectedRow() == item->iItem)
            item->state |= LVIS_FOCUSED;
    }
    return 1;
}

int ListView_SetItem(HWND hwnd, const LVITEM* item) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv || !item) return 0;
    if (!lv->isOwnerData()) {
        WINL_ListView_Row* row = lv->m_items.Get(item->iItem);
        if (!row) return 0;
        if (item->mask & LVIF_PARAM) row->m_param = item->lParam;
        if ((item->mask & LVIF_TEXT) && item->pszText)
            ListView_SetItemText(hwnd, item->iItem, item->iSubItem, item->pszText);
        if ((item->mask & LVIF_IMAGE) && item->iImage >= 0) {
            row->m_imageidx = item->iImage + 1;
            lv->ReloadData();
        }
    }
    if ((item->mask & LVIF_STATE) && item->stateMask)
        ListView_SetItemState(hwnd, item->iItem, item->state, item->stateMask);
    return 1;
}

void ListView_SetItemText(HWND hwnd, int item, int sub, const char* text) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    WINL_ListView_Row* row = lv && sub >= 0 && sub <= 31 ? storedRow(lv, item) : nullptr;
    if (!row) return;
    while (row->m_vals.GetSize() < sub)
        row->m_vals.Add(strdup(""));
    char* copy = strdup(text ? text : "");
    if (row->m_vals.GetSize() == sub) {
        row->m_vals.Add(copy);
    } else {
        std::free(row->m_vals.Get(sub));
        row->m_vals.Set(sub, copy);
    }
    lv->ReloadData();
}

void ListView_RedrawItems(HWND hwnd, int, int) {
    if (Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd)) lv->ReloadData();
}

void ListView_DeleteAllItems(HWND hwnd) {
    if (Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd)) lv->resetContent();
}

void ListView_SetItemCount(HWND hwnd, int count) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (lv && lv->isOwnerData()) lv->ownermode_cnt = count;
}

int ListView_GetNextItem(HWND hwnd, int start, unsigned int flags) {
    if (flags != LVNI_SELECTED && flags != LVNI_FOCUSED) return -1;
    const Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv) return 0;
    if (flags == LVNI_FOCUSED) return lv->SelectedRow();
    const std::set<int>& selected = lv->SelectedRowIndexes();
    const auto next = start < 0 ? selected.begin() : selected.upper_bound(start);
    return next == selected.end() ? -1 : *next;
}

int ListView_GetSelectedCount(HWND hwnd) {
    const Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    return lv ? lv->NumberOfSelectedRows() : 0;
}

int ListView_GetSelectionMark(HWND hwnd) {
    const Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    return lv ? lv->SelectedRow() : 0;
}

// ---------------------------------------------------------------------------------------------
// Geometry, hit testing, scrolling

int ListView_HitTest(HWND hwnd, LVHITTESTINFO* info) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv || !info) return -1;
    info->flags = 0;
    info->iItem = -1;
    const wsys::Rect visible = visibleOf(lv->EnclosingScrollView());
    const int dx = int(std::trunc(info->pt.x - visible.MinX()));
    const int dy = int(std::trunc(info->pt.y - visible.MinY()));
    if (dx < 0) info->flags |= LVHT_TOLEFT;
    if (dx >= visible.size.width) info->flags |= LVHT_TORIGHT;
    if (dy < 0) info->flags |= LVHT_ABOVE;
    if (dy >= visible.size.height) info->flags |= LVHT_BELOW;
    if (info->flags) return info->iItem;
    info->iItem = lv->RowAtPoint(wsys::Point{double(info->pt.x), double(info->pt.y)});
    if (info->iItem < 0)
        info->flags = LVHT_NOWHERE;
    else if (lv->m_status_imagelist_type == LVSIL_STATE && info->pt.x <= lv->RowHeight())
        info->flags = LVHT_ONITEMSTATEICON;
    else
        info->flags = LVHT_ONITEMLABEL;
    return info->iItem;
}

int ListView_SubItemHitTest(HWND hwnd, LVHITTESTINFO* info) {
    const int row = ListView_HitTest(hwnd, info);
    if (const Winl_vZoz_listview* lv = info ? WINL_ListViewOf(hwnd) : nullptr) {
        const int y = info->pt.y < 0 && row < 0 ? 0 : info->pt.y;
        info->iSubItem = lv->ColumnAtPoint(wsys::Point{double(info->pt.x), double(y)});
    }
    return row;
}

bool ListViewGetRectImpl(HWND hwnd, int item, int sub, RECT* rect) {
    const Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv || !rect || item < 0 || item > lv->itemCount()) return false;
    if (sub >= lv->m_cols.GetSize()) return false;
    const int position = lv->getColumnPos(sub);
    // Pure geometry: the row just past the last one has its place too.
    const wsys::Rect r = position < 0 ? lv->RectOfRow(item) : lv->FrameOfCellAtColumnRow(position, item);
    const wsys::Size spacing = lv->IntercellSpacing();
    *rect = RECT{int(r.MinX()), int(r.MinY()), int(r.MaxX() + spacing.width),
                 int(r.MaxY() + spacing.height)};
    return true;
}

bool ListView_GetItemRect(HWND hwnd, int item, RECT* rect, int) {
    return ListViewGetRectImpl(hwnd, item, -1, rect);
}

bool ListView_GetSubItemRect(HWND hwnd, int item, int sub, int, RECT* rect) {
    return ListViewGetRectImpl(hwnd, item, sub, rect);
}

int ListView_GetTopIndex(HWND hwnd) {
    wsys::TableView* table;
    const wsys::ScrollView* scroll = scrollOf(hwnd, &table);
    return scroll ? table->RowAtPoint(wsys::Point{0, visibleOf(scroll).MinY()}) : -1;
}

int ListView_GetCountPerPage(HWND hwnd) {
    wsys::TableView* table;
    const wsys::ScrollView* scroll = scrollOf(hwnd, &table);
    const int rowHeight = scroll ? int(table->RowHeight()) : 0;
    return rowHeight > 0 ? int(visibleOf(scroll).size.height / rowHeight) : 0;
}

void ListView_EnsureVisible(HWND hwnd, int item, bool) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv) return;
    item = std::max(0, std::min(item, lv->itemCount() - 1));
    lv->ScrollRowToVisible(item);
}

bool ListView_Scroll(HWND hwnd, int dx, int dy) {
    wsys::TableView* table;
    const wsys::ScrollView* scroll = scrollOf(hwnd, &table);
    if (!scroll) return false;
    const wsys::Rect visible = visibleOf(scroll);
    const wsys::Point at{dx > 0 ? visible.MaxX() - 1 : visible.MinX(),
                         dy > 0 ? visible.MaxY() - 1 : visible.MinY()};
    const int rows = table->NumberOfRows(), columns = table->NumberOfColumns();
    const int row = clampIndex(table->RowAtPoint(at), rows);
    const int column = clampIndex(table->TableView::ColumnAtPoint(at), columns);
    const wsys::Rect cell = table->FrameOfCellAtColumnRow(column, row);
    const int columnStep = cell.size.width > 0 ? int(dx / cell.size.width) : 0;
    const int rowStep = cell.size.height > 0 ? int(dy / cell.size.height) : 0;
    table->ScrollRowToVisible(clampIndex(row + rowStep, rows));
    table->ScrollColumnToVisible(clampIndex(column + columnStep, columns));
    return true;
}

bool ListView_GetScroll(HWND hwnd, POINT* pt) {
    wsys::TableView* table;
    const wsys::ScrollView* scroll = scrollOf(hwnd, &table);
    if (!pt) return false;
    const wsys::Rect visible = visibleOf(scroll);
    *pt = POINT{int(visible.MinX()), int(visible.MinY())};
    return scroll != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Sorting

bool ListView_SortItems(HWND hwnd, PFNLVCOMPARE compare, LPARAM param) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv || !compare || lv->m_lbMode || lv->isOwnerData()) return false;
    const int n = lv->m_items.GetSize();
    // The entries, then the scratch of the merges: allocated once.
    KIT_HeapBuf buffer(4096);
    buffer.Resize(2 * n * int(sizeof(SortEntry)), false);
    if (buffer.GetSize() != 2 * n * int(sizeof(SortEntry))) return false;
    auto* entries = static_cast<SortEntry*>(buffer.Get());
    WINL_ListView_Row** rows = lv->m_items.GetList();
    for (int i = 0; i < n; ++i) {
        rows[i]->m_tmp = lv->IsRowSelected(i) ? 1 : 0;
        entries[i] = SortEntry{rows[i]->m_param, rows[i]};
    }
    _listview_mergesort_internal(entries, n, compare, param, entries + n);
    std::set<int> selected;
    for (int i = 0; i < n; ++i) {
        rows[i] = entries[i].row;
        if (rows[i]->m_tmp & 1) selected.insert(selected.end(), i);
    }
    if (n > 0) lv->SelectRowIndexes(selected, false);
    lv->ReloadData();
    return true;
}
