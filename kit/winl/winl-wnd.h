#pragma once

// Window functions that treat every HWND alike (a view, or a top-level window whose content
// view stands for it), SendMessage and the default window procedure, and the button class.

#include "kit/winl/winl-dlg.h"
#include "platform/wsys/Controls.h"

// Button, trackbar and edit messages that SendMessage carries out on plain controls.
enum : unsigned int {
    BM_GETCHECK = 0xF0,
    BM_SETCHECK = 0xF1,
    BM_GETIMAGE = 0xF6,
    BM_SETIMAGE = 0xF7,
    TBM_GETPOS = 0x400,
    TBM_SETTIC = 0x404,
    TBM_SETPOS = 0x405,
    TBM_SETRANGE = 0x406,
    EM_GETSEL = 0xF0B0,
    EM_SETSEL = 0xF0B1,
    EM_SETPASSWORDCHAR = 0xF0CC,
};
enum : int { BST_UNCHECKED = 0, BST_CHECKED = 1, BST_INDETERMINATE = 2 };
enum : int { IMAGE_BITMAP = 0, IMAGE_ICON = 1 };

// Push buttons, check boxes and radio buttons of the layer.
class Winl_vZoz_button : public platform::wsys::Button, public WinlUserData {
public:
    // Radio flags.
    enum : int { kRadio = 1, kStartsRadioSet = 2 };

    using Button::Button;
    int winlGetRadioFlags() const { return m_radioflags; }
    void winlSetRadioFlags(int flags) { m_radioflags = flags; }
    LPARAM getWinlUserData() override { return m_userdata; }
    void setWinlUserData(LPARAM value) override { m_userdata = int32_t(value); }
    HGDIOBJ getWinlGDIImage() const { return m_winlGDIimage; }
    void setWinlGDIImage(HGDIOBJ image) { m_winlGDIimage = image; }

private:
    HGDIOBJ m_winlGDIimage = nullptr;
    int32_t m_userdata = 0;
    int m_radioflags = 0;
};

// Delivers a message now and returns its answer: the handle's own message entry; else the
// button, trackbar and edit messages on plain buttons, sliders and text fields; else a
// content view's window or a window's content view; 0 when nobody takes it.
LRESULT SendMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam);
// 69 (left to the system) for keys, 0 for everything else.
LRESULT DefWindowProc(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam);

// A view's parent: its superview (a scroll view for its document view), or for a content
// view or a window: the parent window's content view, else the owner; null at the top.
HWND GetParent(HWND hwnd);
// The key window's first responder; a text field for its field editor.
HWND GetFocus();
// A screen point (y up) into a view's coordinates, each rounded; others leave it alone.
void ScreenToClient(HWND hwnd, POINT* pt);
// A view becomes its window's first responder, a window makes its content view so; a visible
// window then becomes key and front.
void SetFocus(HWND hwnd);
// Marks a view (a window's content view for a window) for display, whole for a null rect,
// and its window-view ancestors as holding a view to paint.
void InvalidateRect(HWND hwnd, const RECT* rect, int erase);
// The capture holder gets WM_CAPTURECHANGED when it loses the capture, if it asked for it.
HWND SetCapture(HWND hwnd);
int ReleaseCapture();
HWND GetCapture();
