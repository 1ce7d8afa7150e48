#pragma once

// List views and list boxes: one table control keeps the rows (texts by sub-item, item data,
// image index) and is its own data source; in owner-data mode the parent supplies every
// value through LVN_GETDISPINFO and the control keeps only a count. Column numbers are
// creation indexes, whatever order the columns are shown in. Everything runs on the UI
// thread.

#include "kit/base/KIT_PtrList.h"
#include "kit/winl/winl-gdi-shapes.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/TableView.h"

#include <optional>
#include <vector>

// Items and notification records (Win32 layouts).
struct LVITEM {
    unsigned int mask;
    int iItem;
    int iSubItem;
    unsigned int state;
    unsigned int stateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
struct NMLVDISPINFO {
    NMHDR hdr;
    LVITEM item;
};
struct DRAWITEMSTRUCT {
    unsigned int CtlType;
    unsigned int CtlID;
    unsigned int itemID;
    unsigned int itemAction;
    unsigned int itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    uintptr_t itemData;
};
struct LVCOLUMN {
    unsigned int mask;
    int fmt;
    int cx;
    char* pszText;
    int cchTextMax;
    int iSubItem;
};
struct HDITEM {
    unsigned int mask;
    int cxy;
    char* pszText;
    HGDIOBJ hbm;
    int cchTextMax;
    int fmt;
    LPARAM lParam;
};
struct LVHITTESTINFO {
    POINT pt;
    unsigned int flags;
    int iItem;
    int iSubItem;
};

enum : unsigned int {
    LVIF_TEXT = 1,
    LVIF_IMAGE = 2,
    LVIF_PARAM = 4,
    LVIF_STATE = 8,
    // State bits of this layer; the state image index sits in bits 16-23.
    LVIS_SELECTED = 1,
    LVIS_FOCUSED = 2,
    LVIS_STATEIMAGEMASK = 0xFF0000,
    // ListView_GetNextItem.
    LVNI_SELECTED = 1,
    LVNI_FOCUSED = 2,
    LVCF_FMT = 1,
    LVCF_WIDTH = 2,
    LVCF_TEXT = 4,
    HDI_FORMAT = 4,
    HDF_SORTDOWN = 0x200,
    HDF_SORTUP = 0x400,
    LVHT_NOWHERE = 1,
    LVHT_ONITEMLABEL = 4,
    LVHT_ONITEMSTATEICON = 8,
    LVHT_ABOVE = 16,
    LVHT_BELOW = 32,
    LVHT_TORIGHT = 64,
    LVHT_TOLEFT = 128,
    LVS_EX_GRIDLINES = 1,
    LVS_EX_HEADERDRAGDROP = 0x10,
};
enum : int { LVCFMT_LEFT = 0, LVCFMT_RIGHT = 1, LVCFMT_CENTER = 2 };
// Image lists of ListView_SetImageList.
enum : int { LVSIL_STATE = 1, LVSIL_SMALL = 2 };
// Window styles.
enum : long {
    LVS_REPORT = 0x1,
    LVS_SINGLESEL = 0x4,
    LVS_SORTASCENDING = 0x10,
    LVS_SORTDESCENDING = 0x20,
    LVS_OWNERDATA = 0x1000,
    LVS_NOCOLUMNHEADER = 0x4000,
    LVS_NOSORTHEADER = 0x8000,
    LBS_SORT = 0x2,
    LBS_OWNERDRAWFIXED = 0x10,
    LBS_EXTENDEDSEL = 0x800,
};
enum : int {
    NM_CLICK = -2,
    NM_RCLICK = -5,
    LVN_BEGINDRAG = -109,
    LVN_GETDISPINFO = -150,
};
enum : unsigned int {
    WM_DRAWITEM = 0x2B,
    ODT_LISTBOX = 2,
    LB_ADDSTRING = 0x180,
    LB_INSERTSTRING = 0x181,
    LB_DELETESTRING = 0x182,
    LB_GETTEXT = 0x183,
    LB_RESETCONTENT = 0x184,
    LB_SETSEL = 0x185,
    LB_SETCURSEL = 0x186,
    LB_GETSEL = 0x187,
    LB_GETCURSEL = 0x188,
    LB_GETCOUNT = 0x18B,
    LB_GETSELCOUNT = 0x190,
    LB_GETITEMDATA = 0x199,
    LB_SETITEMDATA = 0x19A,
};

// One row: its texts by sub-item (owned; missing or null entries read as no text), its item
// data and image index (0 none; a state image's index, or iImage + 1 for small images).
struct WINL_ListView_Row {
    WINL_ListView_Row() = default;
    ~WINL_ListView_Row();
    WINL_ListView_Row(const WINL_ListView_Row&) = delete;
    WINL_ListView_Row& operator=(const WINL_ListView_Row&) = delete;
    // The text of a sub-item, null when there is none.
    const char* text(int sub) const { return m_vals.Get(sub); }

    KIT_PtrList<char> m_vals;
    LPARAM m_param = 0;
    int m_imageidx = 0;
    int m_tmp = 0; // selected, while sorting
};

class Winl_vZoz_listview;

// The text cell of list columns: no highlight of its own over custom selection colours.
class Winl_vZoz_listviewcell : public platform::wsys::TextFieldCell {
public:
    std::optional<platform::wsys::Color> HighlightColorWithFrame(const platform::wsys::Rect& frame,
                                                                 platform::wsys::View* view) override;
};

// The first column's cell once an image list is set: the image in the square at the left, the
// text beside it.
class Winl_vZoz_statuscell : public platform::wsys::TextFieldCell {
public:
    // Empty text, no image, no wrapping.
    static platform::wsys::Ref<Winl_vZoz_statuscell> initNewCell();
    // Not owned; null for none.
    void setStatusImage(const platform::Image* image) { status = image; }
    std::optional<platform::wsys::Color> HighlightColorWithFrame(const platform::wsys::Rect& frame,
                                                                 platform::wsys::View* view) override;
    void DrawWithFrame(const platform::wsys::Rect& frame, platform::wsys::View* view) override;

private:
    const platform::Image* status = nullptr;
};

// The cell of an owner-drawn list box: the parent draws each row through WM_DRAWITEM.
class Winl_vZoz_ODlistviewcell : public platform::wsys::Cell {
public:
    void setOwnerControl(Winl_vZoz_listview* owner) {
        m_ownctl = owner;
        m_lastidx = 0;
    }
    void setItemIdx(int row) { m_lastidx = row; }
    void DrawInteriorWithFrame(const platform::wsys::Rect& frame, platform::wsys::View* view) override;

private:
    Winl_vZoz_listview* m_ownctl = nullptr; // the owner holds the cell
    int m_lastidx = 0;
};

// The list view and list box control. Notifications go to the target (the parent dialog
// view) as WM_NOTIFY with wParam = tag, or as the messages a click or drag brings.
class Winl_vZoz_listview : public WinlRedrawMarking<platform::wsys::TableView>,
                           public platform::wsys::TableDataSource,
                           public WinlMessageTarget,
                           public WinlCommandTarget,
                           public WinlStyle,
                           public WinlItemColors {
public:
    // Click-mode bits.
    enum : int { kClickOnStateImage = 1, kClickDragging = 2, kClickFast = 4 };

    explicit Winl_vZoz_listview(const platform::wsys::Rect& frame = platform::wsys::Rect());

    // Owner-data mode: not a list box and LVS_OWNERDATA set.
    bool isOwnerData() const { return !m_lbMode && (style & LVS_OWNERDATA); }
    // The row count: ownermode_cnt in owner-data mode, else the rows'.
    int itemCount() const { return isOwnerData() ? ownermode_cnt : m_items.GetSize(); }
    // A display position as a creation index (-1 for a column that is not listed; a position
    // outside the table unchanged), and back (unchanged when not found).
    int getColumnIdx(int pos) const;
    int getColumnPos(int idx) const;
    // The creation index of the column under the point.
    int ColumnAtPoint(platform::wsys::Point p) const override;
    // Selects every row of the set, extending as the style allows (list views without
    // LVS_SINGLESEL, list boxes with LBS_EXTENDEDSEL).
    void selectRows(const std::set<int>& rows);
    // Where a new first text goes among the rows' first texts (a missing one is ""), in
    // ascending or descending byte order: an equal text's place when the search meets one,
    // else the first place whose text does not come before it.
    int sortedPosition(const char* text, bool descending) const;
    // No rows (owner data: a count of 0), reloaded.
    void resetContent();

    int NumberOfRowsInTableView(platform::wsys::TableView* table) override;
    platform::wsys::Ref<platform::wsys::Object>
    ObjectValueForTableColumn(platform::wsys::TableView* table, platform::wsys::TableColumn* column,
                              int row) override;
    void HighlightSelectionInClipRect(const platform::wsys::Rect& clip) override;
    void MouseDown(platform::wsys::Event& e) override;
    void MouseDragged(platform::wsys::Event& e) override;
    void MouseUp(platform::wsys::Event& e) override;
    void RightMouseUp(platform::wsys::Event& e) override;

    // The list-box messages; 0 for every other one.
    LRESULT onWinlMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;
    void onWinlCommand(platform::wsys::Object*) override {}
    long getWinlStyle() override { return style; }
    void setWinlStyle(long s) override { style = s; }
    bool getWinlNotificationMode() override { return m_lbMode != 0; }
    void setWinlNotificationMode(int mode) { m_lbMode = mode; }
    bool winlIsOutline() override { return false; }
    int winlSelectedRow() override { return SelectedRow(); }
    int winlClickedRow() override { return ClickedRow(); }
    int winlClickedColumn() override { return ClickedColumn(); }
    bool winlRowParam(int row, LPARAM* param) override;
    bool winlReportsColumnClicks() override;
    int winlColumnIndex(platform::wsys::TableColumn* column) override;

    int m_leftmousemovecnt = 0;
    bool m_fakerightmouse = false;
    long style = 0;
    int ownermode_cnt = 0;
    int m_start_item = -1, m_start_subitem = -1;
    int m_start_item_clickmode = 0;
    int m_lbMode = 0;
    KIT_PtrList<WINL_ListView_Row> m_items;
    KIT_PtrList<platform::wsys::TableColumn> m_cols;
    HIMAGELIST m_status_imagelist = nullptr; // not owned
    int m_status_imagelist_type = -1;
    int m_fastClickMask = 0;

protected:
    void Dealloc() override;

private:
    // The row's item data, 0 without a row.
    LPARAM paramOf(int row) const;
    void notifyClick(int code, int row, int column, platform::wsys::Point at, LPARAM param);
    // A WM_MOUSEMOVE or WM_LBUTTONUP to the target at the pointer, in its client coordinates.
    void sendPointerMessage(unsigned int msg);
};

// The list view behind a handle, null for any other.
inline Winl_vZoz_listview* WINL_ListViewOf(HWND hwnd) {
    return dynamic_cast<Winl_vZoz_listview*>(hwnd);
}

// ---------------------------------------------------------------------------------------------
// Items. Each needs a list view handle and otherwise does nothing and returns 0.

int ListView_GetItemCount(HWND hwnd);
// The new row's index (its sorted place under LVS_SORTASCENDING/LVS_SORTDESCENDING with a
// text); 0 for a null item or a sub-item, -1 in owner-data mode. A null text is empty.
int ListView_InsertItem(HWND hwnd, const LVITEM* item);
// Selected rows after it move down with their rows.
void ListView_DeleteItem(HWND hwnd, int item);
int ListView_GetItemText(HWND hwnd, int item, int sub, char* text, int len);
// The state image index (in bits 16-23), LVIS_SELECTED and LVIS_FOCUSED as the mask asks.
unsigned int ListView_GetItemState(HWND hwnd, int item, unsigned int mask);
// Item -1 sets every row without notifying, then redraws. A single row whose selection
// changes tells the parent by one LVN_ITEMCHANGED (none while the parent handles one).
bool ListView_SetItemState(HWND hwnd, int item, unsigned int state, unsigned int mask);

// ---------------------------------------------------------------------------------------------
// Columns and header. Invalid column numbers give 0 and change nothing.

// A column at the end of the table, whatever the index: hidden for width 0, its header title
// unless the list has no header.
void ListView_InsertColumn(HWND hwnd, int index, const LVCOLUMN* column);
int ListView_SetColumn(HWND hwnd, int col, const LVCOLUMN* column);
int ListView_GetColumnWidth(HWND hwnd, int col);
int ListView_SetColumnWidth(HWND hwnd, int col, int width);
int ListView_DeleteColumn(HWND hwnd, int col);
// Display positions by column; n must be the column count (and, to set, every entry a
// position).
int ListView_GetColumnOrderArray(HWND hwnd, int n, int* order);
int ListView_SetColumnOrderArray(HWND hwnd, int n, const int* order);
HWND ListView_GetHeader(HWND hwnd);
int Header_GetItemCount(HWND hwnd);
int Header_GetItem(HWND hwnd, int col, HDITEM* item);
int Header_SetItem(HWND hwnd, int col, const HDITEM* item);
int WINL_GetListViewHeaderHeight(HWND hwnd);
// which: LVSIL_STATE or LVSIL_SMALL; the first column then draws images.
void ListView_SetImageList(HWND hwnd, HIMAGELIST list, int which);
void ListView_SetExtendedListViewStyleEx(HWND hwnd, unsigned int mask, unsigned int style);
// Columns (creation index modulo 32) whose clicks report NM_CLICK at once, selecting nothing.
void WINL_SetListViewFastClickMask(HWND hwnd, int mask);

// ---------------------------------------------------------------------------------------------
// Items' contents, selection queries

int ListView_GetItem(HWND hwnd, LVITEM* item);
int ListView_SetItem(HWND hwnd, const LVITEM* item);
// Sub-items 0..31; missing texts before it become empty ones.
void ListView_SetItemText(HWND hwnd, int item, int sub, const char* text);
void ListView_RedrawItems(HWND hwnd, int first, int last);
void ListView_DeleteAllItems(HWND hwnd);
void ListView_SetItemCount(HWND hwnd, int count);
// flags LVNI_SELECTED: the first selected row after start; LVNI_FOCUSED: the selected row;
// anything else -1.
int ListView_GetNextItem(HWND hwnd, int start, unsigned int flags);
int ListView_GetSelectedCount(HWND hwnd);
int ListView_GetSelectionMark(HWND hwnd);

// ---------------------------------------------------------------------------------------------
// Geometry, hit testing, scrolling, sorting

// The row under info->pt (list coordinates) with LVHT_* flags; -1 outside the visible rows.
int ListView_HitTest(HWND hwnd, LVHITTESTINFO* info);
int ListView_SubItemHitTest(HWND hwnd, LVHITTESTINFO* info);
// Rectangles include the intercell spacing; the row just past the last one has its place.
bool ListView_GetItemRect(HWND hwnd, int item, RECT* rect, int code);
bool ListView_GetSubItemRect(HWND hwnd, int item, int sub, int code, RECT* rect);
bool ListViewGetRectImpl(HWND hwnd, int item, int sub, RECT* rect);
int ListView_GetTopIndex(HWND hwnd);
int ListView_GetCountPerPage(HWND hwnd);
void ListView_EnsureVisible(HWND hwnd, int item, bool partial);
// By whole cells in pixels from the visible edge that the move goes toward.
bool ListView_Scroll(HWND hwnd, int dx, int dy);
bool ListView_GetScroll(HWND hwnd, POINT* pt);
// A stable sort of the rows by compare(item data a, item data b, param); the selection
// follows its rows.
typedef int (*PFNLVCOMPARE)(LPARAM a, LPARAM b, LPARAM param);
bool ListView_SortItems(HWND hwnd, PFNLVCOMPARE compare, LPARAM param);

// ---------------------------------------------------------------------------------------------
// Colours (colour ints)

// A colour int as an opaque colour of list and tree controls.
platform::wsys::Color WINL_ItemColor(int colour);

void ListView_SetBkColor(HWND hwnd, int colour);
void ListView_SetGridColor(HWND hwnd, int colour);
void ListView_SetTextColor(HWND hwnd, int colour);
void ListView_SetTextBkColor(HWND hwnd, int colour);
// Entry 0 fills the selection while the control has the focus, entry 2 without it; entries 1
// and 3 are the selected rows' text colours. List and tree views.
void ListView_SetSelColors(HWND hwnd, const int* colours, int n);
