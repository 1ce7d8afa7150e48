// The list view and list box control: rows, cells, values for the table, selection drawing,
// clicks and drags, and the list-box messages.
#include "kit/winl/winl-wnd-listview.h"

#include "kit/winl/winl-kb.h"
#include "kit/winl/winl-wnd-private.h"
#include "platform/wsys/Paint.h"
#include "platform/wsys/String.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace wsys = platform::wsys;

namespace {

// The owner's custom selection colours, when the view is a list or tree control with some.
bool hasSelColors(wsys::View* view) {
    auto* items = dynamic_cast<WinlItemControl*>(view);
    return items && items->winlSelColors();
}

} // namespace

WINL_ListView_Row::~WINL_ListView_Row() {
    for (int i = 0; i < m_vals.GetSize(); ++i)
        std::free(m_vals.Get(i));
}

// ---------------------------------------------------------------------------------------------
// Cells

std::optional<wsys::Color> Winl_vZoz_listviewcell::HighlightColorWithFrame(const wsys::Rect& frame,
                                                                           wsys::View* view) {
    if (hasSelColors(view)) return std::nullopt;
    return TextFieldCell::HighlightColorWithFrame(frame, view);
}

wsys::Ref<Winl_vZoz_statuscell> Winl_vZoz_statuscell::initNewCell() {
    wsys::Ref<Winl_vZoz_statuscell> cell = wsys::Make<Winl_vZoz_statuscell>();
    cell->SetStringValue("");
    cell->SetWraps(false);
    return cell;
}

std::optional<wsys::Color> Winl_vZoz_statuscell::HighlightColorWithFrame(const wsys::Rect& frame,
                                                                         wsys::View* view) {
    auto* list = dynamic_cast<Winl_vZoz_listview*>(view);
    if (list && list->m_selColors) return std::nullopt;
    return TextFieldCell::HighlightColorWithFrame(frame, view);
}

void Winl_vZoz_statuscell::DrawWithFrame(const wsys::Rect& frame, wsys::View* view) {
    const double side = frame.size.height;
    if (platform::Canvas* c = wsys::GraphicsContext::Current(); c && status)
        wsys::DrawImage(*c, *status, int(std::floor(frame.MinX())), int(std::floor(frame.MinY())),
                        int(side), int(side));
    const wsys::Rect text(frame.MinX() + side + 2, frame.MinY(), frame.size.width - side - 2,
                          frame.size.height);
    TextFieldCell::DrawWithFrame(text, view);
}

void Winl_vZoz_ODlistviewcell::DrawInteriorWithFrame(const wsys::Rect& frame, wsys::View* view) {
    if (!m_ownctl) {
        Cell::DrawInteriorWithFrame(frame, view);
        return;
    }
    wsys::Ref<wsys::View> keep(m_ownctl);
    const int tag = m_ownctl->Tag();
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_LISTBOX;
    dis.CtlID = unsigned(tag);
    dis.itemID = unsigned(m_lastidx);
    dis.hwndItem = m_ownctl;
    dis.hDC = GetDC(view);
    const int x = WINL_RoundCoordinate(frame.MinX()), y = WINL_RoundCoordinate(frame.MinY());
    dis.rcItem = RECT{x, y, x + WINL_RoundCoordinate(frame.size.width),
                      y + WINL_RoundCoordinate(frame.size.height)};
    if (const WINL_ListView_Row* row = m_ownctl->m_items.Get(m_lastidx))
        dis.itemData = uintptr_t(row->m_param);
    SendMessage(GetParent(m_ownctl), WM_DRAWITEM, WPARAM(tag), LPARAM(&dis));
    ReleaseDC(view, dis.hDC);
}

// ---------------------------------------------------------------------------------------------
// The control

Winl_vZoz_listview::Winl_vZoz_listview(const wsys::Rect& frame) : WinlRedrawMarking(frame) {
    SetDataSource(this);
}

void Winl_vZoz_listview::Dealloc() {
    SetDataSource(nullptr);
    while (m_items.GetSize() > 0)
        m_items.Delete(m_items.GetSize() - 1, true);
    WinlRedrawMarking::Dealloc();
}

void Winl_vZoz_listview::resetContent() {
    ownermode_cnt = 0;
    while (m_items.GetSize() > 0)
        m_items.Delete(m_items.GetSize() - 1, true);
    ReloadData();
}

int Winl_vZoz_listview::getColumnIdx(int pos) const {
    if (pos < 0 || pos >= NumberOfColumns()) return pos;
    return m_cols.Find(TableColumns()[size_t(pos)].get());
}

int Winl_vZoz_listview::getColumnPos(int idx) const {
    wsys::TableColumn* column = m_cols.Get(idx);
    return column ? ColumnIndex(column) : idx;
}

int Winl_vZoz_listview::ColumnAtPoint(wsys::Point p) const {
    return getColumnIdx(TableView::ColumnAtPoint(p));
}

void Winl_vZoz_listview::selectRows(const std::set<int>& rows) {
    const bool extend = m_lbMode ? (style & LBS_EXTENDEDSEL) != 0 : !(style & LVS_SINGLESEL);
    SelectRowIndexes(rows, extend);
}

LPARAM Winl_vZoz_listview::paramOf(int row) const {
    const WINL_ListView_Row* r = m_items.Get(row);
    return r ? r->m_param : 0;
}

bool Winl_vZoz_listview::winlRowParam(int row, LPARAM* param) {
    const WINL_ListView_Row* r = m_items.Get(row);
    if (r) *param = r->m_param;
    return r != nullptr;
}

bool Winl_vZoz_listview::winlReportsColumnClicks() {
    return m_cols.GetSize() > 0 && !m_lbMode && !(style & LVS_NOSORTHEADER);
}

int Winl_vZoz_listview::winlColumnIndex(wsys::TableColumn* column) {
    return m_cols.Find(column);
}

// ---------------------------------------------------------------------------------------------
// Values

int Winl_vZoz_listview::NumberOfRowsInTableView(wsys::TableView*) {
    return itemCount();
}

wsys::Ref<wsys::Object> Winl_vZoz_listview::ObjectValueForTableColumn(wsys::TableView*,
                                                                     wsys::TableColumn* column,
                                                                     int row) {
    const int sub = m_cols.Find(column);
    const char* text = nullptr;
    int image = 0;
    char buffer[1024];
    if (isOwnerData()) {
        buffer[0] = 0;
        NMLVDISPINFO info{};
        info.hdr = NMHDR{this, uintptr_t(Tag()), LVN_GETDISPINFO};
        info.item.mask = LVIF_TEXT | (m_status_imagelist_type == LVSIL_SMALL ? LVIF_IMAGE : 0u) |
                         (m_status_imagelist_type == LVSIL_STATE ? LVIF_STATE : 0u);
        info.item.iItem = row;
        info.item.iSubItem = sub;
        info.item.pszText = buffer;
        info.item.cchTextMax = sizeof buffer - 1;
        info.item.iImage = -1;
        SendMessage(Target(), WM_NOTIFY, WPARAM(Tag()), LPARAM(&info));
        buffer[sizeof buffer - 1] = 0; // whatever the parent wrote
        text = info.item.pszText;
        if (m_status_imagelist_type == LVSIL_SMALL) image = info.item.iImage + 1;
        if (m_status_imagelist_type == LVSIL_STATE) image = int(info.item.state >> 16 & 0xFF);
    } else if (const WINL_ListView_Row* r = m_items.Get(row)) {
        if (sub >= 0) text = r->text(sub);
        if (m_status_imagelist_type == LVSIL_STATE || m_status_imagelist_type == LVSIL_SMALL)
            image = r->m_imageidx;
        if (style & LBS_OWNERDRAWFIXED)
            if (auto* cell = dynamic_cast<Winl_vZoz_ODlistviewcell*>(column->DataCell()))
                cell->setItemIdx(row);
    }
    wsys::Ref<wsys::Object> value = wsys::Ref<wsys::Object>::Adopt(WINL_CStringToCFString(text));
    if (!m_lbMode && m_status_imagelist)
        if (auto* cell = dynamic_cast<Winl_vZoz_statuscell*>(column->DataCell()))
            cell->setStatusImage(
                image >= 1 ? GetNSImageFromHICON(WINL_ImageList_GetObject(m_status_imagelist, image - 1))
                           : nullptr);
    return value;
}

// ---------------------------------------------------------------------------------------------
// Selection drawing

void Winl_vZoz_listview::HighlightSelectionInClipRect(const wsys::Rect& clip) {
    const size_t entry = GetFocus() == this ? 0 : 2;
    platform::Canvas* c = wsys::GraphicsContext::Current();
    if (!m_selColors || entry >= m_selColors->size() || !c) {
        TableView::HighlightSelectionInClipRect(clip);
        return;
    }
    const uint32_t ink = wsys::PixelOf((*m_selColors)[entry]);
    const int rows = NumberOfRows();
    for (int row = std::max(0, RowAtPoint(wsys::Point{0, clip.MinY()})); row < rows; ++row) {
        const wsys::Rect r = RectOfRow(row);
        if (r.MinY() >= clip.MaxY()) break;
        if (!IsRowSelected(row)) continue;
        const wsys::Rect fill = r.Intersection(clip);
        if (fill.size.width > 0 && fill.size.height > 0) {
            const platform::CanvasRect p = wsys::PixelsCovering(fill);
            wsys::FillPixels(*c, p.left, p.top, p.right, p.bottom, ink);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Mouse

void Winl_vZoz_listview::notifyClick(int code, int row, int column, wsys::Point at, LPARAM param) {
    NMLISTVIEW nm{};
    nm.hdr = NMHDR{this, uintptr_t(Tag()), code};
    nm.iItem = row;
    nm.iSubItem = column;
    nm.ptAction = POINT{int(std::floor(at.x)), int(std::floor(at.y))};
    nm.lParam = param;
    SendMessage(Target(), WM_NOTIFY, WPARAM(Tag()), LPARAM(&nm));
}

void Winl_vZoz_listview::sendPointerMessage(unsigned int msg) {
    POINT pt{};
    GetCursorPos(&pt);
    ScreenToClient(Target(), &pt);
    SendMessage(Target(), msg, 0, WINL_PackPoint(pt.x, pt.y));
}

void Winl_vZoz_listview::MouseDown(wsys::Event& e) {
    wsys::Ref<wsys::View> keep(this);
    if ((e.modifierFlags & wsys::kControlKeyMask) && IsRightClickEmulateEnabled()) {
        m_fakerightmouse = true;
        m_start_item = m_start_subitem = -1;
        return;
    }
    m_leftmousemovecnt = 0;
    m_fakerightmouse = false;
    const wsys::Point p = ConvertPointFromView(e.locationInWindow, nullptr);
    m_start_item = RowAtPoint(p);
    m_start_subitem = ColumnAtPoint(p);
    m_start_item_clickmode = 0;
    if (m_start_item < 0) return;
    if (m_start_subitem >= 0 && (unsigned(m_fastClickMask) >> (m_start_subitem & 31) & 1)) {
        notifyClick(NM_CLICK, m_start_item, m_start_subitem, p, paramOf(m_start_item));
        m_start_item_clickmode = kClickFast;
    } else if (m_status_imagelist_type == LVSIL_STATE && p.x <= RowHeight()) {
        m_start_item_clickmode = kClickOnStateImage;
    }
}

void Winl_vZoz_listview::MouseDragged(wsys::Event&) {
    wsys::Ref<wsys::View> keep(this);
    ++m_leftmousemovecnt;
    if (m_leftmousemovecnt == 4 && m_start_item >= 0 && !m_lbMode &&
        !(m_start_item_clickmode & (kClickOnStateImage | kClickDragging))) {
        if (!(m_start_item_clickmode & kClickFast) && !IsRowSelected(m_start_item))
            SelectRowIndexes({m_start_item}, (GetAsyncKeyState(0x11) & 0x8000) != 0);
        NMLISTVIEW nm{};
        nm.hdr = NMHDR{this, uintptr_t(Tag()), LVN_BEGINDRAG};
        nm.iItem = m_start_item;
        nm.iSubItem = m_start_subitem;
        SendMessage(Target(), WM_NOTIFY, WPARAM(Tag()), LPARAM(&nm));
        m_start_item_clickmode |= kClickDragging;
    }
    if (m_leftmousemovecnt >= 5 && !(m_start_item_clickmode & kClickOnStateImage))
        sendPointerMessage(WM_MOUSEMOVE);
}

void Winl_vZoz_listview::MouseUp(wsys::Event& e) {
    wsys::Ref<wsys::View> keep(this);
    if (m_fakerightmouse || (e.modifierFlags & wsys::kControlKeyMask)) {
        RightMouseUp(e);
    } else if (!(m_start_item_clickmode & kClickOnStateImage)) {
        if (!(m_start_item_clickmode & kClickFast) && m_leftmousemovecnt <= 3) {
            // The platform's own click, deferred from the mouse-down.
            if (m_lbMode && !AllowsMultipleSelection()) DeselectAll();
            TableView::MouseDown(e);
            TableView::MouseUp(e);
        } else if (m_leftmousemovecnt > 3) {
            sendPointerMessage(WM_LBUTTONUP);
        }
    }
    if (m_lbMode || (m_start_item_clickmode & (kClickDragging | kClickFast))) return;
    const wsys::Point p = ConvertPointFromView(e.locationInWindow, nullptr);
    const int row = RowAtPoint(p);
    notifyClick(NM_CLICK, row, ColumnAtPoint(p), p, paramOf(row));
}

void Winl_vZoz_listview::RightMouseUp(wsys::Event& e) {
    wsys::Ref<wsys::View> keep(this);
    if (!m_lbMode) {
        const wsys::Point p = ConvertPointFromView(e.locationInWindow, nullptr);
        const int row = RowAtPoint(p);
        if (row >= 0 && !IsRowSelected(row)) SelectRowIndexes({row}, false);
        NMLISTVIEW nm{};
        nm.hdr = NMHDR{this, uintptr_t(Tag()), NM_RCLICK};
        nm.iItem = row;
        nm.iSubItem = ColumnAtPoint(p);
        nm.ptAction = POINT{int(std::floor(p.x)), int(std::floor(p.y))};
        if (SendMessage(Target(), WM_NOTIFY, WPARAM(Tag()), LPARAM(&nm))) {
            m_fakerightmouse = false;
            return;
        }
    }
    POINT screen{};
    GetCursorPos(&screen);
    SendMessage(Target(), WM_CONTEXTMENU, WPARAM(static_cast<HWND>(this)),
                WINL_PackPoint(screen.x, screen.y));
    m_fakerightmouse = false;
}

// ---------------------------------------------------------------------------------------------
// List-box messages

int Winl_vZoz_listview::sortedPosition(const char* text, bool descending) const {
    const int count = m_items.GetSize();
    auto compare = [&](int row) {
        const WINL_ListView_Row* r = m_items.Get(row);
        const char* other = r && r->text(0) ? r->text(0) : "";
        return descending ? std::strcmp(other, text) : std::strcmp(text, other);
    };
    int low = 0;
    for (int span = count; span > 0;) {
        const int mid = low + span / 2;
        const int c = compare(mid);
        if (c == 0) return mid;
        if (c < 0) {
            span /= 2;
            continue;
        }
        low = mid + 1;
        if (low >= count || compare(low) <= 0) return low;
        span = (span - 1) / 2;
    }
    return low;
}

LRESULT Winl_vZoz_listview::onWinlMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) {
    wsys::Ref<wsys::View> keep(this);
    const int count = itemCount();
    auto insert = [this](int at, LPARAM text) {
        LVITEM item{};
        item.mask = LVIF_TEXT;
        item.iItem = at;
        item.pszText = reinterpret_cast<char*>(text); // null inserts an empty text
        return LRESULT(ListView_InsertItem(this, &item));
    };
    switch (msg) {
    case LB_ADDSTRING: {
        const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return insert(m_lbMode && (style & LBS_SORT) ? sortedPosition(text, false) : count, lParam);
    }
    case LB_INSERTSTRING:
        return insert(int(std::min<WPARAM>(wParam, WPARAM(count))), lParam);
    case LB_DELETESTRING:
        ListView_DeleteItem(this, int(wParam));
        return 0;
    case LB_GETTEXT:
        if (lParam) ListView_GetItemText(this, int(wParam), 0, reinterpret_cast<char*>(lParam), 4096);
        return 0;
    case LB_RESETCONTENT:
        resetContent();
        return 0;
    case LB_SETSEL:
        ListView_SetItemState(this, int(lParam), wParam ? LVIS_SELECTED : 0u, LVIS_SELECTED);
        return 0;
    case LB_SETCURSEL:
        if (wParam < WPARAM(count))
            SelectRowIndexes({int(wParam)}, false);
        else
            DeselectAll();
        return 0;
    case LB_GETSEL:
        return wParam < WPARAM(count) && IsRowSelected(int(wParam));
    case LB_GETCURSEL:
        return SelectedRow();
    case LB_GETCOUNT:
        return count;
    case LB_GETSELCOUNT:
        return NumberOfSelectedRows();
    case LB_GETITEMDATA:
        return wParam < WPARAM(count) ? paramOf(int(wParam)) : 0;
    case LB_SETITEMDATA:
        if (WINL_ListView_Row* r = wParam < WPARAM(count) ? m_items.Get(int(wParam)) : nullptr)
            r->m_param = lParam;
        return 0;
    default:
        return 0;
    }
}
