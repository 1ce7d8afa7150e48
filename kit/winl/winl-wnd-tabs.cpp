#include "kit/winl/winl-wnd-tabs.h"

#include "kit/winl/winl-gdi.h"
#include "kit/winl/winl-wnd-listview.h"
#include "kit/winl/winl-wnd.h"

#include <cmath>

namespace wsys = platform::wsys;

void Winl_vZoz_tabview::TabViewDidSelectTabViewItem(wsys::TabView*, wsys::TabViewItem*) {
    if (!m_dest) return;
    NMHDR hdr{this, uintptr_t(m_tag), TCN_SELCHANGE};
    SendMessage(m_dest, WM_NOTIFY, WPARAM(m_tag), LPARAM(&hdr));
}

LRESULT Winl_vZoz_progind::onWinlMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case PBM_SETRANGE:
        SetMinValue(uint16_t(lParam));
        SetMaxValue(uint16_t(lParam >> 16));
        break;
    case PBM_SETPOS:
        SetDoubleValue(uint32_t(wParam));
        StopAnimation();
        break;
    case PBM_DELTAPOS:
        IncrementBy(uint32_t(wParam));
        break;
    default:
        break;
    }
    return 0;
}

void Winl_vZoz_ODbuttoncell::DrawWithFrame(const wsys::Rect& frame, wsys::View* controlView) {
    if (!controlView) return;
    HDC hdc = GetDC(controlView);
    if (!hdc) return;
    auto whole = [](double v) { return int(v + 0.5); };
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = unsigned(controlView->Tag());
    dis.hwndItem = controlView;
    dis.hDC = hdc;
    dis.rcItem.left = whole(frame.MinX());
    dis.rcItem.top = whole(frame.MinY());
    dis.rcItem.right = dis.rcItem.left + whole(frame.size.width);
    dis.rcItem.bottom = dis.rcItem.top + whole(frame.size.height);
    SendMessage(GetParent(controlView), WM_DRAWITEM, WPARAM(controlView->Tag()), LPARAM(&dis));
    ReleaseDC(controlView, hdc);
}

// ---------------------------------------------------------------------------------------------

namespace {
Winl_vZoz_tabview* tabsOf(HWND hwnd) {
    return dynamic_cast<Winl_vZoz_tabview*>(hwnd);
}
} // namespace

int TabCtrl_GetItemCount(HWND hwnd) {
    Winl_vZoz_tabview* tabs = tabsOf(hwnd);
    return tabs ? tabs->NumberOfTabViewItems() : 0;
}

int TabCtrl_InsertItem(HWND hwnd, int index, const TCITEM* item) {
    Winl_vZoz_tabview* tabs = tabsOf(hwnd);
    if (!tabs || !item || !(item->mask & TCIF_TEXT) || !item->pszText) return -1;
    index = std::clamp(index, 0, tabs->NumberOfTabViewItems());
    wsys::Ref<wsys::TabViewItem> tab = wsys::Make<wsys::TabViewItem>();
    tab->SetLabel(wsys::Ref<wsys::String>::Adopt(WINL_CStringToCFString(item->pszText))->ToUtf8Lossy());
    // The first tab becomes the selected one, which is no change the parent asked for.
    HWND dest = tabs->getNotificationWindow();
    tabs->setNotificationWindow(nullptr);
    tabs->InsertTabViewItem(tab.get(), index);
    tabs->setNotificationWindow(dest);
    return index;
}

int TabCtrl_DeleteItem(HWND hwnd, int index) {
    Winl_vZoz_tabview* tabs = tabsOf(hwnd);
    wsys::TabViewItem* tab = tabs ? tabs->TabViewItemAtIndex(index) : nullptr;
    if (!tab) return 0;
    tabs->RemoveTabViewItem(tab);
    return 1;
}

int TabCtrl_GetCurSel(HWND hwnd) {
    Winl_vZoz_tabview* tabs = tabsOf(hwnd);
    return tabs ? std::max(0, tabs->IndexOfSelectedTabViewItem()) : 0;
}

int TabCtrl_SetCurSel(HWND hwnd, int index) {
    Winl_vZoz_tabview* tabs = tabsOf(hwnd);
    if (!tabs) return -1;
    const int previous = std::max(0, tabs->IndexOfSelectedTabViewItem());
    wsys::Ref<wsys::View> keep(tabs);
    tabs->SelectTabViewItemAtIndex(index);
    return previous;
}

int TabCtrl_AdjustRect(HWND hwnd, bool larger, RECT* rect) {
    if (!tabsOf(hwnd) || !rect) return 0;
    const int s = larger ? -1 : 1;
    rect->left += 7 * s;
    rect->right -= 7 * s;
    rect->top += 26 * s;
    rect->bottom -= 3 * s;
    return 1;
}
