#include "kit/winl/winl-wnd.h"

#include "kit/winl/winl-wnd-private.h"

#include <algorithm>

namespace wsys = platform::wsys;

namespace {

HWND m_fakeCapture = nullptr;
bool m_capChangeNotify = false;

// Buttons: the check state; the image only on the layer's buttons. False for a message the
// button does not take here.
bool buttonMessage(wsys::Button* button, unsigned int msg, WPARAM wParam, LPARAM lParam,
                   LRESULT* result) {
    *result = 0;
    switch (msg) {
    case BM_GETCHECK:
        *result = button->State() == wsys::kOffState     ? BST_UNCHECKED
                  : button->State() == wsys::kMixedState ? BST_INDETERMINATE
                                                         : BST_CHECKED;
        return true;
    case BM_SETCHECK:
        button->SetState(wParam & 2 ? wsys::kMixedState : int(wParam & 1));
        return true;
    case BM_GETIMAGE:
    case BM_SETIMAGE: {
        auto* own = dynamic_cast<Winl_vZoz_button*>(button);
        if (!own) return false;
        if (wParam > IMAGE_ICON) return true;
        *result = LRESULT(own->getWinlGDIImage());
        if (msg == BM_GETIMAGE) return true;
        auto* object = reinterpret_cast<HGDIOBJ>(lParam);
        const bool bitmap = object && object->type == WINL_OBJ_BITMAP;
        own->SetImage(bitmap ? object->image : nullptr);
        own->setWinlGDIImage(bitmap ? object : nullptr);
        return true;
    }
    default:
        return false;
    }
}

LRESULT trackbarMessage(wsys::Slider* slider, unsigned int msg, LPARAM lParam) {
    switch (msg) {
    case TBM_GETPOS:
        return LRESULT(slider->DoubleValue() + 0.5);
    case TBM_SETTIC:
        return 1;
    case TBM_SETPOS:
        slider->SetDoubleValue(double(lParam));
        return 1;
    case TBM_SETRANGE:
        slider->SetMinValue(double(uint32_t(lParam) & 0xFFFF));
        slider->SetMaxValue(double(uint32_t(lParam) >> 16));
        return 1;
    default:
        return 0;
    }
}

// The field editor of a field being edited, else null.
wsys::TextView* editorOf(wsys::TextField* field) {
    wsys::Window* w = field->GetWindow();
    auto* focus = w ? dynamic_cast<wsys::View*>(w->FirstResponder()) : nullptr;
    return focus && focus->IsDescendantOf(field) ? w->FieldEditor(true) : nullptr;
}

void editMessage(wsys::TextField* field, unsigned int msg, WPARAM wParam, LPARAM lParam) {
    wsys::TextView* editor = editorOf(field);
    if (msg == EM_GETSEL) {
        WINL_StoreSelection(editor ? editor->SelectedRange() : wsys::TextRange(), wParam, lParam);
        return;
    }
    if (msg == EM_SETSEL && editor)
        editor->SetSelectedRange(WINL_EditSelection(int(wParam), int(lParam), editor->String().size()));
}

} // namespace

wsys::TextRange WINL_EditSelection(int start, int end, size_t length) {
    const long n = long(length);
    long from = start, to = end;
    if (to == -1) to = n;
    if (from == -1) from = to = 0;
    if (uint64_t(from) > uint64_t(n)) from = n;
    to = std::max(std::min(to, n), 0L);
    if (to < from) std::swap(from, to);
    return wsys::TextRange{size_t(from), size_t(to - from)};
}

LRESULT SendMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return 0;
    if (auto* target = dynamic_cast<WinlMessageTarget*>(hwnd))
        return target->onWinlMessage(msg, wParam, lParam);
    LRESULT result = 0;
    if (auto* button = dynamic_cast<wsys::Button*>(hwnd))
        if (buttonMessage(button, msg, wParam, lParam, &result)) return result;
    if (WINL_CB_Message(hwnd, msg, wParam, lParam, &result)) return result;
    if (auto* slider = dynamic_cast<wsys::Slider*>(hwnd)) {
        if (msg >= TBM_GETPOS && msg <= TBM_SETRANGE) return trackbarMessage(slider, msg, lParam);
    } else if (auto* field = dynamic_cast<wsys::TextField*>(hwnd)) {
        if (msg == EM_GETSEL || msg == EM_SETSEL || msg == EM_SETPASSWORDCHAR) {
            editMessage(field, msg, wParam, lParam);
            return 0;
        }
    }
    if (auto* view = dynamic_cast<wsys::View*>(hwnd)) {
        if (WINL_IsContentView(view))
            if (auto* target = dynamic_cast<WinlMessageTarget*>(view->GetWindow()))
                return target->onWinlMessage(msg, wParam, lParam);
    } else if (auto* window = dynamic_cast<wsys::Window*>(hwnd)) {
        if (auto* target = dynamic_cast<WinlMessageTarget*>(window->ContentView()))
            return target->onWinlMessage(msg, wParam, lParam);
    }
    return 0;
}

HWND SetCapture(HWND hwnd) {
    const HWND previous = m_fakeCapture;
    const bool notifyPrevious = m_capChangeNotify;
    m_fakeCapture = hwnd;
    auto* notify = dynamic_cast<WinlCaptureNotify*>(hwnd);
    m_capChangeNotify = notify && notify->winlCapChangeNotify();
    if (previous && previous != hwnd && notifyPrevious)
        SendMessage(previous, WM_CAPTURECHANGED, 0, LPARAM(hwnd));
    return previous;
}

int ReleaseCapture() {
    const HWND previous = std::exchange(m_fakeCapture, nullptr);
    if (previous && m_capChangeNotify) SendMessage(previous, WM_CAPTURECHANGED, 0, 0);
    return 1;
}

HWND GetCapture() {
    return m_fakeCapture;
}
