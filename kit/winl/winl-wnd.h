#pragma once

// Window functions that treat every HWND alike (a view, or a top-level window whose content
// view stands for it), SendMessage and the default window procedure.

#include "kit/winl/winl-dlg.h"
#include "kit/winl/winl-wnd-controls.h"
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

// Delivers a message now and returns its answer: the handle's own message entry; else the
// button, trackbar and edit messages on plain buttons, sliders and text fields; else a
// content view's window or a window's content view; 0 when nobody takes it.
LRESULT SendMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------------------------
// The default window procedure and window utilities

// A right-button release becomes WM_CONTEXTMENU (the view under the point when it is inside
// hwnd, else hwnd; the screen point) and a non-client one WM_CONTEXTMENU (hwnd, its point);
// context menus, gestures and wheels go up to the first ancestor below the content view that
// takes messages; WM_NCHITTEST tells the client area from the rest; keys are left to the
// system (69); WM_DISPLAYCHANGE reaches the direct subviews and refreshes dialog colours.
// Everything else: 0.
LRESULT DefWindowProc(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam);

// The paint context and rectangle while hwnd paints (else null, and ps zeroed); EndPaint
// only answers 1.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
int EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// A view that needs display has its window display now.
void UpdateWindow(HWND hwnd);
// Puts the window on the screen unless some of its views still need display.
void WINL_FlushWindow(HWND hwnd);

// Drawing contexts outside a paint: the window's canvas set for the view (a window's content
// view), its state saved; during the view's paint, the paint's own context. Null for a view
// that cannot draw (hidden, no window). Each is given back with ReleaseDC: a paint's context
// is only restored, any other is deleted and its focus ended (also with a null handle).
HDC GetDC(HWND hwnd);
// GetDC with (0, 0) at the bounds' top-left corner.
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);

// The view under a screen point (y up) in the frontmost visible window holding it (the key
// window first when it is not ordered), or that window's content view; null without one.
HWND WindowFromPoint(POINT pt);
// Without parent: the content view of the first window after `after` titled exactly title.
// With one: the first child after `after` (or the first child) of the class ("Static" is a
// text field, any other name every view) whose text is title (any with a null title).
HWND FindWindowEx(HWND parent, HWND after, const char* className, const char* title);
// Calls proc for every view below hwnd, parents before their children, until it answers
// false (then 0); 1 otherwise.
typedef bool (*WNDENUMPROC)(HWND hwnd, LPARAM lParam);
int EnumChildWindows(HWND hwnd, WNDENUMPROC proc, LPARAM lParam);
// Window properties: 0 (EnumPropsEx: -1) for a handle that keeps none.
void* GetProp(HWND hwnd, const char* name);
void* RemoveProp(HWND hwnd, const char* name);
bool SetProp(HWND hwnd, const char* name, void* value);
int EnumPropsEx(HWND hwnd, WINL_PROPENUMPROC proc, LPARAM lParam);
// 0 and 1: the main screen's width and height (1024 without a screen); 2, 3, 20, 21: the
// scroll bar size 16; others 0.
int GetSystemMetrics(int index);
// Moves every subview by (dx, dy) and redraws the view; 0 when nothing moves.
int ScrollWindow(HWND hwnd, int dx, int dy, const RECT* rect, const RECT* clip);
// The message to the content view of every window on the screen, front to back;
// WM_DISPLAYCHANGE also invalidates each of them.
void WINL_BroadcastMessage(unsigned int msg, WPARAM wParam, LPARAM lParam);
// Gives a mouse event (types 1..7) to the outermost view between the one under it and the
// content view that answers WM_NCHITTEST with more than HTCLIENT; false when none claims it
// or a view holds the capture.
bool WINL_HandleMouseEvent(platform::wsys::Event* event);
// The size the control would take to fit its content, at (0, 0); other handles leave rect.
void WINL_GetDesiredControlSize(HWND hwnd, RECT* rect);
// Class tests: the group box, the push button and check box class, any text field.
bool WINL_IsGroupBox(HWND hwnd);
bool WINL_IsButton(HWND hwnd);
bool WINL_IsStaticText(HWND hwnd);

// ---------------------------------------------------------------------------------------------
// Handles (a view, or a top-level window whose content view stands for it in most calls)

typedef long LONG;

// Window-long indexes.
enum : int {
    GWL_USERDATA = -21,
    GWL_EXSTYLE = -20,
    GWL_STYLE = -16,
    GWL_ID = -12,
    DWL_DLGPROC = -8,
    GWL_WNDPROC = -4,
};
// Style bits of GWL_STYLE.
enum : LONG {
    BS_AUTOCHECKBOX = 3,
    BS_AUTO3STATE = 6,
    BS_AUTORADIOBUTTON = 9,
    WS_GROUP = 0x20000, // the radio button starts a new set
    WS_THICKFRAME = 0x40000,
    WS_CAPTION = 0xC00000,
    WS_CHILD = 0x40000000,
};
// ShowWindow commands.
enum : int { SW_HIDE = 0, SW_SHOWNA = 1, SW_SHOW = 2, SW_MINIMIZE = 3 };

// A view's parent: its superview (a scroll view for its document view), or for a content
// view or a window: the parent window's content view, else the owner; null at the top.
HWND GetParent(HWND hwnd);
// Id 0: the container itself (a window's content view, or the view); else its first direct
// subview with the id, looking into scroll views' and clip views' document views.
HWND GetDlgItem(HWND hwnd, int id);
// The key window's first responder; a text field for its field editor.
HWND GetFocus();
// A screen point (y up) into a view's coordinates, each rounded; others leave it alone.
void ScreenToClient(HWND hwnd, POINT* pt);
bool IsWindowVisible(HWND hwnd);
// Whether the handle is an open window, its content view, or a view inside one of the
// layer's windows. The handle is compared, never followed, so any value may be asked.
bool IsWindow(HWND hwnd);
void CenterWindow(HWND hwnd);
// SW_HIDE, SW_SHOWNA, SW_SHOW (also key), SW_MINIMIZE; a hidden view gives the focus to its
// parent; a content view takes its window along.
void ShowWindow(HWND hwnd, int command);
// WM_DESTROY to the view (and its window for a content view), timers killed; a view leaves
// its superview, a window closes with its owned windows.
void DestroyWindow(HWND hwnd);
// Through the handle's own slots, else its extra data; the style of a handle that keeps none
// comes from its class and window. Set returns the previous value.
LONG GetWindowLong(HWND hwnd, int index);
// A new caption or frame style on a content view moves the view, its child and owned windows,
// title, frame and level into a new window and destroys the old one.
LONG SetWindowLong(HWND hwnd, int index, LONG value);
// The text of the item with the id (the handle itself for 0; a content view reads its window's
// title); always terminated when len is at least 1; false when there is no text to read.
bool GetDlgItemText(HWND hwnd, int id, char* buf, int len);
// A content view sets its window's title too; an editable text field tells its parent
// (EN_CHANGE). False for a handle without text.
bool SetDlgItemText(HWND hwnd, int id, const char* text);
// ---------------------------------------------------------------------------------------------
// Geometry, focus and modal sessions. RECTs of the platform's rectangles: left and top
// truncated, right and bottom rounded from the far edges; screen coordinates have y up.

enum : int { SWP_NOMOVE = 1, SWP_NOSIZE = 2, SWP_NOZORDER = 4 };
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
enum : int {
    GW_HWNDFIRST = 0,
    GW_HWNDLAST = 1,
    GW_HWNDNEXT = 2,
    GW_HWNDPREV = 3,
    GW_OWNER = 4,
    GW_CHILD = 5,
};

RECT WINL_RectFromPlatform(const platform::wsys::Rect& r);
// A view inside a scroll view's clip view: that scroll view; else the handle.
HWND WINL_NavigateUpScrollClipViews(HWND hwnd);
// In screen coordinates; false (out zeroed) for a handle that is neither view nor window.
bool GetWindowRect(HWND hwnd, RECT* out);
void GetWindowContentViewRect(HWND hwnd, RECT* out);
// The bounds as WM_NCCALCSIZE leaves them: its width and height at the bounds' origin.
void GetClientRect(HWND hwnd, RECT* out);
void ClientToScreen(HWND hwnd, POINT* pt);
// The screen holding the source's centre ((0, 0) without one), else the first screen; its
// work area (without the menu bar) when asked.
void WINL_GetViewPort(RECT* out, const RECT* source, bool workArea);
// Flags SWP_*; insertAfter HWND_TOP, HWND_BOTTOM or a sibling (HWND_TOPMOST and
// HWND_NOTOPMOST change no order). Windows keep their place and stay within their size limits;
// a view keeps the focus inside it when it moves in the stacking order.
void SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, int flags);
// GW_* navigation among a view's siblings, its first child or its owner.
HWND GetWindow(HWND hwnd, int command);
// A content view becomes the new parent's child (its window destroyed), a child without new
// parent becomes a top-level window (null), else the view moves to the new parent and the old
// parent is returned.
HWND SetParent(HWND hwnd, HWND newParent);
bool IsChild(HWND parent, HWND child);
// Marks a view (a window's content view for a window) for display, whole for a null rect,
// and its window-view ancestors as holding a view to paint.
void InvalidateRect(HWND hwnd, const RECT* rect, int erase);
// A view becomes its window's first responder, a window makes its content view so; a visible
// window then becomes key and front.
void SetFocus(HWND hwnd);
void SetForegroundWindow(HWND hwnd);
// The key window's first responder when it is a view, else the key window.
HWND GetForegroundWindow();
// The capture holder gets WM_CAPTURECHANGED when it loses the capture, if it asked for it.
HWND SetCapture(HWND hwnd);
int ReleaseCapture();
HWND GetCapture();
// The same handle, or a text field and the field editor editing it.
bool IsEquivalentTextView(HWND a, HWND b);
void WINL_CloseWindow(HWND hwnd);
void WINL_HideApp();
// Copies WM_GESTURE's record from its lParam.
bool WINL_GetGestureInfo(LPARAM lParam, GESTUREINFO* out);
// A modal session of the handle's window (null without one). Run serves what is queued once:
// true while the session goes on, then false with its answer. End stops it when it still runs
// and lets it go.
void* WINL_ModalWindowStart(HWND hwnd);
bool WINL_ModalWindowRun(void* session, int* result);
void WINL_ModalWindowEnd(void* session);
