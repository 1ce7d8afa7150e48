#pragma once

// Tab controls, progress bars and the cell of owner-drawn buttons, with the TabCtrl_*
// operations. UI thread only.

#include "kit/winl/winl-wnd-controls.h"
#include "platform/wsys/TabView.h"

// The tab control: each change of the selected tab sends WM_NOTIFY (tag, NMHDR {the control,
// tag, TCN_SELCHANGE}) to its notification window, when it has one.
class Winl_vZoz_tabview : public WinlRedrawMarking<platform::wsys::TabView>,
                          public platform::wsys::TabViewDelegate {
public:
    using WinlRedrawMarking::WinlRedrawMarking;
    int Tag() const override { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    HWND getNotificationWindow() const { return m_dest; }
    // Not retained: the parent dialog view, which holds the control.
    void setNotificationWindow(HWND dest) { m_dest = dest; }
    void TabViewDidSelectTabViewItem(platform::wsys::TabView* tabView,
                                     platform::wsys::TabViewItem* item) override;

private:
    int m_tag = 0;
    HWND m_dest = nullptr;
};

// PBM_SETRANGE (lParam: minimum in the low 16 bits, maximum in the high ones, unsigned),
// PBM_SETPOS and PBM_DELTAPOS (wParam as an unsigned 32-bit value). Always 0.
class Winl_vZoz_progind : public WinlRedrawMarking<platform::wsys::ProgressIndicator>,
                          public WinlMessageTarget {
public:
    using WinlRedrawMarking::WinlRedrawMarking;
    int Tag() const override { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    LRESULT onWinlMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;

private:
    int m_tag = 0;
};

// The cell of an owner-drawn button: the button's parent draws it on WM_DRAWITEM (ODT_BUTTON;
// its state is always 0).
class Winl_vZoz_ODbuttoncell : public platform::wsys::ButtonCell {
public:
    void DrawWithFrame(const platform::wsys::Rect& frame, platform::wsys::View* controlView) override;
    bool IsTransparent() const override { return true; }
    bool IsOpaque() const override { return false; }
};

enum : int { TCN_SELCHANGE = -551 };
enum : unsigned int { PBM_SETRANGE = 0x401, PBM_SETPOS = 0x402, PBM_DELTAPOS = 0x403, ODT_BUTTON = 4 };

struct TCITEM {
    unsigned int mask;
    unsigned int dwState;
    unsigned int dwStateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
enum : unsigned int { TCIF_TEXT = 1 };

// Each needs a tab control handle; what other handles get is given per operation.
// 0 for other handles.
int TabCtrl_GetItemCount(HWND hwnd);
// Needs TCIF_TEXT and a text (else -1). At the index held to 0 .. count, without a selection
// notification; the index used.
int TabCtrl_InsertItem(HWND hwnd, int index, const TCITEM* item);
// 1 when the index named a tab.
int TabCtrl_DeleteItem(HWND hwnd, int index);
// 0 when none is selected, and for other handles.
int TabCtrl_GetCurSel(HWND hwnd);
// The previous selection (0 for none); a tab in range becomes the selected one. -1 for other
// handles.
int TabCtrl_SetCurSel(HWND hwnd, int index);
// The display area inside the control's rectangle (7 in at the sides, 26 below the top, 3
// above the bottom), or with larger the rectangle around a display area. 0 for other handles.
int TabCtrl_AdjustRect(HWND hwnd, bool larger, RECT* rect);
