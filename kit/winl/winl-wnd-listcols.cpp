// List view columns, header, image lists, extended styles and colours.
#include "kit/winl/winl-wnd-listview.h"

#include "kit/winl/winl-wnd-private.h"
#include "platform/wsys/ScrollView.h"

#include <cmath>
#include <cstring>

namespace wsys = platform::wsys;

namespace {

constexpr char kAscending[] = "NSAscendingSortIndicator";
constexpr char kDescending[] = "NSDescendingSortIndicator";

// The column of a caller's number, null when there is none.
wsys::TableColumn* columnOf(Winl_vZoz_listview* lv, int col) {
    return lv ? lv->m_cols.Get(col) : nullptr;
}

// Header alignment by fmt; other values change nothing.
void alignHeader(wsys::TableColumn* column, int fmt) {
    static const int kAlignment[] = {wsys::kLeftTextAlignment, wsys::kRightTextAlignment,
                                     wsys::kCenterTextAlignment};
    if (fmt >= LVCFMT_LEFT && fmt <= LVCFMT_CENTER) column->HeaderCell()->SetAlignment(kAlignment[fmt]);
}

// Width 0 hides the column; any other shows it at that width.
void setWidth(wsys::TableColumn* column, int width) {
    if (width == 0) {
        column->SetHidden(true);
        return;
    }
    column->SetHidden(false);
    column->SetWidth(width);
}

bool showsTitles(const Winl_vZoz_listview* lv) {
    return !lv->m_lbMode && !(lv->style & LVS_NOCOLUMNHEADER);
}

} // namespace

wsys::Color WINL_ItemColor(int colour) {
    return wsys::Color{(colour >> 16 & 0xFF) / 255.0, (colour >> 8 & 0xFF) / 255.0,
                       (colour & 0xFF) / 255.0, 1.0};
}

void ListView_InsertColumn(HWND hwnd, int index, const LVCOLUMN* lvc) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv || !lvc) return;
    wsys::Ref<wsys::TableColumn> column = wsys::Make<wsys::TableColumn>();
    column->SetEditable(false);
    if (lvc->cx == 0)
        column->SetHidden(true);
    else
        column->SetWidth(lvc->cx);
    if (lvc->fmt == LVCFMT_RIGHT || lvc->fmt == LVCFMT_CENTER) alignHeader(column.get(), lvc->fmt);
    if (showsTitles(lv)) column->HeaderCell()->SetStringValue(lvc->pszText ? lvc->pszText : "");
    if (index == 0 && lv->m_status_imagelist) {
        column->SetDataCell(Winl_vZoz_statuscell::initNewCell().get());
    } else {
        wsys::Ref<Winl_vZoz_listviewcell> cell = wsys::Make<Winl_vZoz_listviewcell>();
        cell->SetStringValue("");
        cell->SetWraps(false);
        if (lvc->fmt == LVCFMT_RIGHT) cell->SetAlignment(wsys::kRightTextAlignment);
        if (lvc->fmt == LVCFMT_CENTER) cell->SetAlignment(wsys::kCenterTextAlignment);
        column->SetDataCell(cell.get());
    }
    lv->AddTableColumn(column.get());
    lv->m_cols.Add(column.get());
}

int ListView_SetColumn(HWND hwnd, int col, const LVCOLUMN* lvc) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    wsys::TableColumn* column = columnOf(lv, col);
    if (!column || !lvc) return 0;
    if (lvc->mask & LVCF_FMT) alignHeader(column, lvc->fmt);
    if (lvc->mask & LVCF_WIDTH) setWidth(column, lvc->cx);
    if ((lvc->mask & LVCF_TEXT) && showsTitles(lv))
        column->HeaderCell()->SetStringValue(lvc->pszText ? lvc->pszText : "");
    if (wsys::TableHeaderView* header = lv->HeaderView()) header->SetNeedsDisplay(true);
    return 1;
}

int ListView_GetColumnWidth(HWND hwnd, int col) {
    const wsys::TableColumn* column = columnOf(WINL_ListViewOf(hwnd), col);
    if (!column || column->IsHidden()) return 0;
    return int(std::floor(column->Width() + 0.5));
}

int ListView_SetColumnWidth(HWND hwnd, int col, int width) {
    wsys::TableColumn* column = columnOf(WINL_ListViewOf(hwnd), col);
    if (!column) return 0;
    setWidth(column, width);
    return 1;
}

int ListView_DeleteColumn(HWND hwnd, int col) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    wsys::TableColumn* column = columnOf(lv, col);
    if (!column) return 0;
    wsys::Ref<wsys::TableColumn> keep(column);
    lv->RemoveTableColumn(column);
    lv->m_cols.Delete(col);
    return 1;
}

int ListView_GetColumnOrderArray(HWND hwnd, int n, int* order) {
    const Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv || !order || n != lv->m_cols.GetSize()) return 0;
    for (int i = 0; i < n; ++i)
        order[i] = lv->getColumnPos(i);
    return 1;
}

int ListView_SetColumnOrderArray(HWND hwnd, int n, const int* order) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv || !order || n != lv->m_cols.GetSize()) return 0;
    for (int i = 0; i < n; ++i)
        if (order[i] < 0 || order[i] >= n) return 0;
    for (int i = 0; i < n; ++i)
        lv->MoveColumn(lv->getColumnPos(i), order[i]);
    return 1;
}

HWND ListView_GetHeader(HWND hwnd) {
    return WINL_ListViewOf(hwnd);
}

int Header_GetItemCount(HWND hwnd) {
    const Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    return lv ? lv->m_cols.GetSize() : 0;
}

int Header_GetItem(HWND hwnd, int col, HDITEM* item) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    const wsys::TableColumn* column = columnOf(lv, col);
    if (!column || !item) return 0;
    if (item->mask & HDI_FORMAT) {
        const std::string image = lv->IndicatorImage(column);
        item->fmt = image == kAscending ? int(HDF_SORTUP) : image == kDescending ? int(HDF_SORTDOWN) : 0;
    }
    return 1;
}

int Header_SetItem(HWND hwnd, int col, const HDITEM* item) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    wsys::TableColumn* column = columnOf(lv, col);
    if (!column || !item) return 0;
    if (item->mask & HDI_FORMAT)
        lv->SetIndicatorImage(item->fmt & HDF_SORTUP     ? kAscending
                              : item->fmt & HDF_SORTDOWN ? kDescending
                                                         : "",
                              column);
    return 1;
}

int WINL_GetListViewHeaderHeight(HWND hwnd) {
    const Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    const wsys::TableHeaderView* header = lv ? lv->HeaderView() : nullptr;
    return header ? int(std::floor(header->Frame().size.height + 0.5)) : 0;
}

void ListView_SetImageList(HWND hwnd, HIMAGELIST list, int which) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv) return;
    lv->m_status_imagelist = list;
    lv->m_status_imagelist_type = which;
    wsys::TableColumn* first = lv->m_cols.Get(0);
    if (first && !dynamic_cast<Winl_vZoz_statuscell*>(first->DataCell()))
        first->SetDataCell(Winl_vZoz_statuscell::initNewCell().get());
    lv->SetNeedsDisplay(true);
}

void ListView_SetExtendedListViewStyleEx(HWND hwnd, unsigned int mask, unsigned int style) {
    Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd);
    if (!lv) return;
    if (mask & LVS_EX_GRIDLINES) lv->SetGridStyleMask(style & LVS_EX_GRIDLINES ? 3 : 0);
    if (mask & LVS_EX_HEADERDRAGDROP) lv->SetAllowsColumnReordering(style & LVS_EX_HEADERDRAGDROP);
}

void WINL_SetListViewFastClickMask(HWND hwnd, int mask) {
    if (Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd)) lv->m_fastClickMask = mask;
}

void ListView_SetBkColor(HWND hwnd, int colour) {
    if (Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd)) lv->SetBackgroundColor(WINL_ItemColor(colour));
}

void ListView_SetGridColor(HWND hwnd, int colour) {
    if (Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd)) lv->SetGridColor(WINL_ItemColor(colour));
}

void ListView_SetTextColor(HWND hwnd, int colour) {
    if (Winl_vZoz_listview* lv = WINL_ListViewOf(hwnd)) {
        lv->m_fgColor = WINL_ItemColor(colour);
        lv->SetNeedsDisplay(true);
    }
}

void ListView_SetTextBkColor(HWND, int) {}

void ListView_SetSelColors(HWND hwnd, const int* colours, int n) {
    std::vector<wsys::Color> array;
    for (int i = 0; i < n; ++i)
        array.push_back(colours ? WINL_ItemColor(colours[i]) : WINL_ItemColor(0));
    auto* items = dynamic_cast<WinlItemControl*>(hwnd);
    if (!items) return;
    items->winlSetSelColors(std::move(array));
    if (auto* view = dynamic_cast<wsys::View*>(hwnd)) view->SetNeedsDisplay(true);
}
