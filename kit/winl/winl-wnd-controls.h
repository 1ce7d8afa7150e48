#pragma once

// The layer's control classes (buttons, text views, text fields, group boxes, drop-down lists
// and editable combo boxes), how they ask their window views to paint them again, the
// dialog-item calls on them, the combo-box item calls and the trackbar calls. UI thread only.
// The item calls find their control with GetDlgItem(dialog, id); a dialog with id 0 is the
// control itself. A missing control makes a call do nothing and answer its "nothing" value.

#include "kit/base/KIT_PtrList.h"
#include "kit/winl/winl-dlg.h"
#include "platform/wsys/Controls.h"

#include <cstdint>

// Sets the descendant bit of each window-view ancestor up to the first that has it: how a
// control asks its window views to paint it again.
void WINL_MarkAncestorsDirty(platform::wsys::View* view);

// A control class whose display requests mark its window-view ancestors.
template <class Base> class WinlRedrawMarking : public Base {
public:
    using Base::Base;
    void SetNeedsDisplay(bool flag) override {
        Base::SetNeedsDisplay(flag);
        if (flag) WINL_MarkAncestorsDirty(this);
    }
    void SetNeedsDisplayInRect(const platform::wsys::Rect& r) override {
        Base::SetNeedsDisplayInRect(r);
        WINL_MarkAncestorsDirty(this);
    }
};

// Push buttons, check boxes and radio buttons of the layer.
class Winl_vZoz_button : public WinlRedrawMarking<platform::wsys::Button>, public WinlUserData {
public:
    // Radio flags.
    enum : int { kRadio = 1, kStartsRadioSet = 2 };

    using WinlRedrawMarking::WinlRedrawMarking;
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

// A multi-line edit's messages besides EM_GETSEL and EM_SETSEL, and EM_SCROLL's commands.
enum : unsigned int { WM_SETFONT = 0x30, EM_SCROLL = 0xF0B5 };
enum : int { SB_TOP = 6, SB_BOTTOM = 7 };

// The multi-line edit.
class Winl_vZoz_textview : public WinlRedrawMarking<platform::wsys::TextView>,
                           public WinlMessageTarget {
public:
    using WinlRedrawMarking::WinlRedrawMarking;
    int Tag() const override { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    // WM_SETFONT (a font object with a platform font), EM_GETSEL (optional int pointers),
    // EM_SETSEL (end -1: the text's end; start -1: no selection; both held to the text, swapped
    // when the end comes first), EM_SCROLL (SB_TOP, SB_BOTTOM). Always 0.
    LRESULT onWinlMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;

private:
    int m_tag = 0;
};

// Single-line edit fields and static texts.
class Winl_vZoz_textfield : public WinlRedrawMarking<platform::wsys::TextField> {
public:
    using WinlRedrawMarking::WinlRedrawMarking;
};

// Group boxes.
class Winl_vZoz_box : public WinlRedrawMarking<platform::wsys::Box> {
public:
    using WinlRedrawMarking::WinlRedrawMarking;
    int Tag() const override { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

private:
    int m_tag = 0;
};

// Drop-down lists: the items are the menu's, an item's data word its represented object.
class Winl_vZoz_pub : public WinlRedrawMarking<platform::wsys::PopUpButton>, public WinlStyle {
public:
    using WinlRedrawMarking::WinlRedrawMarking;
    long getWinlStyle() override { return m_style; }
    void setWinlStyle(long style) override { m_style = style; }

private:
    long m_style = 0;
};

// Editable combo boxes, with one data word per item (the caller's, not owned).
class Winl_vZoz_cbox : public WinlRedrawMarking<platform::wsys::ComboBox>, public WinlStyle {
public:
    using WinlRedrawMarking::WinlRedrawMarking;
    long getWinlStyle() override { return m_style; }
    void setWinlStyle(long style) override { m_style = style; }
    // The words as pointers.
    KIT_PtrList<char>& winlItemData() { return m_ids; }

private:
    long m_style = 0;
    KIT_PtrList<char> m_ids{4096};
};

// ---------------------------------------------------------------------------------------------
// Dialog items

// Check 2 (BST_INDETERMINATE) sets the mixed state, else the state is check & 1.
void CheckDlgButton(HWND dialog, int id, int check);
// 0 unchecked, 1 checked, 2 mixed; 0 for a missing control or one that is no button.
int IsDlgButtonChecked(HWND dialog, int id);
// The value as text, "%d" when isSigned, else "%u".
bool SetDlgItemInt(HWND dialog, int id, int value, int isSigned);
// The decimal prefix of the text after blanks and tabs. 0 and not translated when the text
// cannot be read, when unsigned and negative, or when 0 came from no '0'.
int GetDlgItemInt(HWND dialog, int id, bool* translated, int isSigned);
// A window stands for its content view; a static label's text keeps its hue at alpha 1.0
// when enabled, 0.5 when disabled.
void EnableWindow(HWND hwnd, int enable);

// ---------------------------------------------------------------------------------------------
// Combo boxes and drop-down lists

enum : unsigned int {
    CB_ADDSTRING = 0x143,
    CB_DELETESTRING = 0x144,
    CB_GETCOUNT = 0x146,
    CB_GETCURSEL = 0x147,
    CB_GETLBTEXT = 0x148,
    CB_INSERTSTRING = 0x14A,
    CB_RESETCONTENT = 0x14B,
    CB_FINDSTRING = 0x14C,
    CB_SETCURSEL = 0x14E,
    CB_GETITEMDATA = 0x150,
    CB_SETITEMDATA = 0x151,
    CB_FINDSTRINGEXACT = 0x158,
    CB_MSGMAX = 0x161,
};
enum : long { CBS_DROPDOWNLIST = 3, CBS_SORT = 0x100 };
// The position that appends.
constexpr int WINL_CB_APPEND = -1000;

// The position of the new item: WINL_CB_APPEND appends (in order of the texts' code points
// under CBS_SORT), other negatives insert at 0, positions past the end append. 0 without a
// control.
int WINL_CB_InsertString(HWND dialog, int id, int position, const char* text);
int WINL_CB_AddString(HWND dialog, int id, const char* text);
void WINL_CB_DeleteString(HWND dialog, int id, int index);
int WINL_CB_GetNumItems(HWND dialog, int id);
// -1 when none is selected or there is no control.
int WINL_CB_GetCurSel(HWND dialog, int id);
// Out-of-range indexes change nothing.
void WINL_CB_SetCurSel(HWND dialog, int id, int index);
// buf is emptied first; false for an index out of range or an item without text.
bool WINL_CB_GetItemText(HWND dialog, int id, int index, char* buf, int size);
void WINL_CB_Empty(HWND dialog, int id);
LPARAM WINL_CB_GetItemData(HWND dialog, int id, int index);
void WINL_CB_SetItemData(HWND dialog, int id, int index, LPARAM value);
// The first item after start (from 0 when start is negative, no wrapping) whose text equals,
// or begins with, text regardless of case; -1 when none; 0 without a control.
int WINL_CB_FindString(HWND dialog, int id, int start, const char* text, bool exact);
// SendMessage's step for the CB_* messages on drop-down lists and combo boxes: false for a
// handle of another class or a message outside CB_ADDSTRING..CB_MSGMAX.
bool WINL_CB_Message(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam,
                     LRESULT* result);

// ---------------------------------------------------------------------------------------------
// Trackbars: a slider, or a custom control that takes TBM_* messages.

// (value + 0.5) truncated; a custom control's answer to TBM_GETPOS; 0 without a trackbar.
int WINL_TB_GetPos(HWND dialog, int id);
void WINL_TB_SetPos(HWND dialog, int id, int position);
// A custom control gets the range packed: min's low 16 bits, max above them.
void WINL_TB_SetRange(HWND dialog, int id, int min, int max);
// Only custom controls have tick marks.
void WINL_TB_SetTic(HWND dialog, int id, int position);
