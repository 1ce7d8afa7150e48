#pragma once

// The control factory: controls of a dialog laid out from dialog units. WINL_MakeSetCurParms
// fixes the scale, offsets and parent of everything made after it; each maker makes one
// control, gives it a pixel frame in the parent, adds it there and returns it (the parent
// holds it). Style bit 31 makes a control hidden (not a group box). Actions go to the parent's
// onWinlCommand and the parent is every control's delegate. Without a parent nothing is made
// and a maker returns null. UI thread only.

#include "kit/winl/winl-dlg.h"
#include "platform/wsys/Controls.h"

#include <memory>
#include <string>

// 1 selects the flat look: square bezels for push buttons and drop-down lists, and the
// drop-down list's arrow at the bottom.
extern int g_winl_want_nice_style;

// Scales in pixels per dialog unit, offsets in dialog units added before scaling. A window
// given as parent stands for its content view; a flipped parent makes the y scale negative.
void WINL_MakeSetCurParms(float xScale, float yScale, float xOffset, float yOffset, HWND parent,
                          bool autoRight, bool sizeToFit);

// A push button titled by label (a value below 65536 shows "ICONTEMP"); a nonzero isDefault
// makes it the default button of the parent's window.
HWND WINL_MakeButton(int isDefault, const char* label, int id, int x, int y, int w, int h,
                     int style);
// A text field (ES_PASSWORD: a secure one), or with WS_HSCROLL a text view, or with
// WS_VSCROLL a scroll view holding a text view (the scroll view is the handle).
HWND WINL_MakeEditField(int id, int x, int y, int w, int h, int style);
// A static text aligned left (align < 0), centred (0) or right (> 0); SS_NOTIFY sends clicks.
HWND WINL_MakeLabel(int align, const char* text, int id, int x, int y, int w, int h, int style);
// Behind its siblings, a pixel higher and 3 pixels taller than asked (in dialog units).
HWND WINL_MakeGroupBox(const char* title, int id, int x, int y, int w, int h, int style);
// CBS_DROPDOWNLIST in the low two bits: a drop-down list 18 pixels high; else an editable
// combo box 22 pixels high.
HWND WINL_MakeCombo(int id, int x, int y, int w, int h, int style);
// An automatic check box ("Button" with style | BS_AUTOCHECKBOX).
HWND WINL_MakeCheckBox(const char* text, int id, int x, int y, int w, int h, int style);
// A list box ("SysListView32_LB").
HWND WINL_MakeListBox(int id, int x, int y, int w, int h, int style);

// A control of a Win32 window class (compared without case): "SysTabControl32",
// "SysListView32", "SysListView32_LB", "SysTreeView32", "msctls_progress32", "Edit", "static",
// "Button", "msctls_trackbar32" (a mini slider of range 0..1000) or WINL_HostFaderClassName;
// null for any other. The registered creators are asked first, in order of registration; the
// first control one returns is the result (ex-style given to it when nonzero). Lists and
// trees are returned as the table inside their scroll view.
HWND WINL_MakeControl(const char* text, int id, const char* className, int style, int x, int y, int w,
                      int h, int exStyle);
// The class name that makes the outside host's horizontal fader: a slider in the regular size
// that works like a trackbar.
extern const char* const WINL_HostFaderClassName;
// Makes a control of its own from (parent, text, id, class name, style, pixel rectangle) and
// adds it to the parent, or returns null to decline.
typedef HWND (*WINL_CustomControlCreator)(HWND parent, const char* text, int id, const char* className,
                                          int style, int x, int y, int w, int h);
// Registrations are counted: a creator registered twice stays until unregistered twice.
void WINL_RegisterCustomControlCreator(WINL_CustomControlCreator proc);
void WINL_UnregisterCustomControlCreator(WINL_CustomControlCreator proc);

// What every maker shares.
// The pixel frame of a dialog-unit rectangle (w and h both negative: (-x, -y, -w, -h) in
// pixels). wantAuto takes part in auto-right: a control that starts within 32 pixels of the
// last one's planned right edge and holds its vertical centre moves by that one's growth.
// fixedHeight takes h in pixels.
platform::wsys::Rect WINL_MakeCoords(double x, double y, double w, double h, bool wantAuto,
                                     bool fixedHeight);
// The system font of size 8 below scale 1.0, 10 below 1.81; above that null (the default).
std::shared_ptr<platform::TextFont> WINL_MakeControlFont();
// The text as shown: '&' dropped (the byte after it kept) when the text holds one and is
// shorter than 1024 bytes; UTF-8. Null is empty.
std::string WINL_StripMnemonics(const char* text);
// The view that controls are added to; null without one.
platform::wsys::View* WINL_MakeOwner();
// Hidden under style bit 31, then added to the owner.
void WINL_MakeAddControl(platform::wsys::View* control, int style);
// After an auto-right control is placed (and sized): how far its right edge lies past its
// planned one.
void WINL_MakeStoreGrowth(const platform::wsys::View* control);
// Target, action and delegate: the owner.
void WINL_MakeConnect(platform::wsys::Control* control);
bool WINL_MakeSizesToFit();
