// The multi-line edit's messages, the dialog-item calls on buttons and texts, and the
// trackbar calls.
#include "kit/winl/winl-wnd-controls.h"

#include "kit/winl/winl-wnd-private.h"
#include "kit/winl/winl-wnd.h"

#include <cstdio>
#include <cstdlib>

namespace wsys = platform::wsys;

namespace {

constexpr int kIntTextSize = 128;

} // namespace

LRESULT Winl_vZoz_textview::onWinlMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETFONT: {
        auto* font = reinterpret_cast<HGDIOBJ>(wParam);
        if (font && font->type == WINL_OBJ_FONT && font->platformFont) SetFont(font->platformFont);
        break;
    }
    case EM_GETSEL:
        WINL_StoreSelection(SelectedRange(), wParam, lParam);
        break;
    case EM_SETSEL:
        SetSelectedRange(WINL_EditSelection(int(wParam), int(lParam), String().size()));
        break;
    case EM_SCROLL:
        if (wParam == SB_BOTTOM) ScrollRangeToVisible(wsys::TextRange{String().size(), 0});
        if (wParam == SB_TOP) ScrollRangeToVisible(wsys::TextRange{0, 0});
        break;
    default:
        break;
    }
    return 0;
}

void CheckDlgButton(HWND dialog, int id, int check) {
    if (auto* button = dynamic_cast<wsys::Button*>(GetDlgItem(dialog, id)))
        button->SetState(check & BST_INDETERMINATE ? wsys::kMixedState : check & 1);
}

int IsDlgButtonChecked(HWND dialog, int id) {
    auto* button = dynamic_cast<wsys::Button*>(GetDlgItem(dialog, id));
    if (!button || button->State() == wsys::kOffState) return BST_UNCHECKED;
    return button->State() == wsys::kMixedState ? BST_INDETERMINATE : BST_CHECKED;
}

bool SetDlgItemInt(HWND dialog, int id, int value, int isSigned) {
    char text[16];
    if (isSigned)
        std::snprintf(text, sizeof text, "%d", value);
    else
        std::snprintf(text, sizeof text, "%u", unsigned(value));
    return SetDlgItemText(dialog, id, text);
}

int GetDlgItemInt(HWND dialog, int id, bool* translated, int isSigned) {
    if (translated) *translated = false;
    char text[kIntTextSize];
    if (!GetDlgItemText(dialog, id, text, sizeof text)) return 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    // What atoi reads, without its undefined overflow.
    const int value = int(std::strtol(p, nullptr, 10));
    if ((!isSigned && value < 0) || (value == 0 && *p != '0')) return 0;
    if (translated) *translated = true;
    return value;
}

void EnableWindow(HWND hwnd, int enable) {
    wsys::View* view = WINL_ViewOf(hwnd);
    if (auto* own = dynamic_cast<Winl_vZoz_hwnd*>(view)) {
        own->SetEnabled(enable != 0);
        return;
    }
    auto* control = dynamic_cast<wsys::Control*>(view);
    if (!control) return;
    control->SetEnabled(enable != 0);
    auto* label = dynamic_cast<Winl_vZoz_textfield*>(control);
    if (!label || label->IsEditable() || label->IsBordered() || label->DrawsBackground()) return;
    wsys::Color colour = label->TextColor().value_or(wsys::kControlTextColor);
    colour.alpha = enable ? 1.0 : 0.5;
    label->SetTextColor(colour);
}

// ---------------------------------------------------------------------------------------------
// Trackbars

namespace {

// A slider, or a control that takes messages; else null.
HWND trackbar(HWND dialog, int id) {
    HWND h = GetDlgItem(dialog, id);
    return dynamic_cast<wsys::Slider*>(h) || dynamic_cast<WinlMessageTarget*>(h) ? h : nullptr;
}

} // namespace

int WINL_TB_GetPos(HWND dialog, int id) {
    HWND h = trackbar(dialog, id);
    return h ? int(SendMessage(h, TBM_GETPOS, 0, 0)) : 0;
}

void WINL_TB_SetPos(HWND dialog, int id, int position) {
    if (HWND h = trackbar(dialog, id)) SendMessage(h, TBM_SETPOS, 1, position);
}

void WINL_TB_SetRange(HWND dialog, int id, int min, int max) {
    HWND h = trackbar(dialog, id);
    if (auto* slider = dynamic_cast<wsys::Slider*>(h)) {
        slider->SetMinValue(min);
        slider->SetMaxValue(max);
    } else if (h) {
        SendMessage(h, TBM_SETRANGE, 1, LPARAM(int32_t((uint32_t(min) & 0xFFFF) | uint32_t(max) << 16)));
    }
}

void WINL_TB_SetTic(HWND dialog, int id, int position) {
    if (HWND h = trackbar(dialog, id)) SendMessage(h, TBM_SETTIC, 0, position);
}
