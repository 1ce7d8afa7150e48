// The window view's input: keys, mouse buttons, moves, wheel and gestures as messages.
#include "kit/winl/winl-dlg.h"
#include "kit/winl/winl-hostviews.h"

#include "kit/winl/winl-kb.h"
#include "kit/winl/winl-wnd-private.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/Cursor.h"
#include "platform/wsys/Window.h"

#include <algorithm>
#include <cmath>

namespace wsys = platform::wsys;

namespace {

// Set while a move is handed to the view it belongs to, which then keeps it.
bool s_nofwd = false;

void setArrow() {
    if (wsys::App().CurrentCursor() != wsys::Cursor::Arrow()) wsys::Cursor::Arrow()->Set();
}

// Gives the move to the view under the pointer, in this window or another; true when it went
// elsewhere (or nowhere).
bool forwardMove(wsys::View* self, wsys::Event& e) {
    wsys::Window* eventWindow = e.window.get();
    const wsys::Point screen = eventWindow->ConvertBaseToScreen(e.locationInWindow);
    wsys::Window* under = GetCapture() ? eventWindow : WINL_WindowUnder(screen);
    auto handOver = [](wsys::View* v, wsys::Event& moved) {
        const bool outer = std::exchange(s_nofwd, true);
        v->MouseMoved(moved);
        s_nofwd = outer;
    };
    if (under != eventWindow) {
        auto* content = under ? dynamic_cast<Winl_vZoz_hwnd*>(under->ContentView()) : nullptr;
        if (content && !wsys::App().ModalWindow()) {
            const wsys::Point base = under->ConvertScreenToBase(screen);
            if (wsys::Ref<wsys::View> hit = content->HitTest(base)) {
                wsys::Ref<wsys::Event> moved =
                    wsys::Event::MouseEvent(e.type, base, e.modifierFlags, e.timestamp,
                                            under->WindowNumber(), e.eventNumber, e.clickCount,
                                            e.pressure);
                handOver(hit.get(), *moved);
                return true;
            }
        }
        setArrow();
        return true;
    }
    wsys::View* content = eventWindow->ContentView();
    wsys::Ref<wsys::View> hit = content ? content->HitTest(e.locationInWindow) : nullptr;
    if (hit && hit.get() != self) {
        handOver(hit.get(), e);
        return true;
    }
    return false;
}

// An event's location on the screen, as a gesture record carries it.
POINTS screenLocation(const wsys::Event& e) {
    const wsys::Point p = e.window ? e.window->ConvertBaseToScreen(e.locationInWindow)
                                   : e.locationInWindow;
    return POINTS{short(p.x), short(p.y)};
}

// Truncated, but never 0 for a value that is not 0.
long long nonZero(double scaled, double value) {
    const long long n = (long long)(scaled);
    return n != 0 ? n : value > 0 ? 1 : value < 0 ? -1 : 0;
}

} // namespace

LRESULT WINL_SendMouseMessage(Winl_vZoz_hwnd* view, unsigned int msg, wsys::Event& e) {
    if (!view) return 0;
    wsys::Ref<Winl_vZoz_hwnd> keep(view);
    HWND capture = GetCapture();
    if (auto* holder = dynamic_cast<Winl_vZoz_hwnd*>(capture);
        holder && holder != view && holder->GetWindow() == view->GetWindow())
        return WINL_SendMouseMessage(holder, msg, e);
    auto deliverable = [view] { return view->m_hashaddestroy == 0 && view->m_wndproc; };
    if (!deliverable()) return -1;

    const wsys::Point at = winlProcessMouseEvent(msg, view, e);
    const int x = int(std::floor(at.x)), y = int(std::floor(at.y));
    const bool wheel = msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL;
    LRESULT hit = HTCLIENT;
    if (!wheel && !capture) {
        hit = view->m_wndproc(view, WM_NCHITTEST, 0, LPARAM(GetMessagePos()));
        if (!deliverable()) return -1;
        if (hit != HTCLIENT && msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK)
            return view->m_wndproc(view, msg - WM_MOUSEMOVE + WM_NCMOUSEMOVE, WPARAM(hit),
                                   LPARAM(GetMessagePos()));
    }
    LRESULT result;
    if (wheel) {
        const double delta = msg == WM_MOUSEWHEEL ? e.deltaY : e.deltaX;
        POINT screen{};
        GetCursorPos(&screen);
        result = view->m_wndproc(
            view, msg, WPARAM(uint32_t(int(delta * 60.0)) << 16),
            LPARAM(int32_t(uint32_t(screen.y) << 16 | uint32_t(screen.x))));
    } else {
        result = view->m_wndproc(view, msg, 0, WINL_PackPoint(x, y));
    }
    const bool afterwards = msg == WM_MOUSEMOVE || msg == WM_LBUTTONUP || msg == WM_RBUTTONUP ||
                            msg == WM_MBUTTONUP;
    if (afterwards && !GetCapture() && deliverable() &&
        view->m_wndproc(view, WM_SETCURSOR, WPARAM(view),
                        LPARAM(uint32_t(hit) | uint32_t(msg) << 16)) == 0)
        setArrow();
    return result;
}

void Winl_vZoz_hwnd::sendMouse(unsigned int msg, wsys::Event& e) {
    if (m_enabled) WINL_SendMouseMessage(this, msg, e);
}

// ---------------------------------------------------------------------------------------------
// Keys

void Winl_vZoz_hwnd::KeyDown(wsys::Event& e) {
    int flags = 0;
    const int key = WINL_MacKeyToWindowsKey(&e, &flags);
    if (!canNotify() || notify(WM_KEYDOWN, WPARAM(key), flags) == WINL_KEY_NOT_HANDLED)
        View::KeyDown(e);
}

void Winl_vZoz_hwnd::KeyUp(wsys::Event& e) {
    int flags = 0;
    const int key = WINL_MacKeyToWindowsKey(&e, &flags);
    if (!canNotify() || notify(WM_KEYUP, WPARAM(key), flags) == WINL_KEY_NOT_HANDLED)
        View::KeyUp(e);
}

// ---------------------------------------------------------------------------------------------
// Buttons, moves and the wheel

void Winl_vZoz_hwnd::MouseDown(wsys::Event& e) {
    WINL_FinishDragDrop();
    m_isfakerightmouse = 0;
    if ((e.modifierFlags & wsys::kControlKeyMask) && IsRightClickEmulateEnabled()) {
        RightMouseDown(e);
        if (e.clickCount == 1) m_isfakerightmouse = 1;
        return;
    }
    sendMouse(e.clickCount >= 2 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, e);
}

void Winl_vZoz_hwnd::MouseUp(wsys::Event& e) {
    if (m_isfakerightmouse)
        RightMouseUp(e);
    else
        sendMouse(WM_LBUTTONUP, e);
}

void Winl_vZoz_hwnd::MouseDragged(wsys::Event& e) {
    if (!m_enabled) return;
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    WINL_SendMouseMessage(this, WM_MOUSEMOVE, e);
    HCURSOR last = WINL_GetLastSetCursor();
    if (last && wsys::App().CurrentCursor() != last) WINL_SetCursor(last);
}

// A click of another button focuses the window when it is not key.
void Winl_vZoz_hwnd::focusForOtherButton() {
    if (GetWindow() && !GetWindow()->IsKeyWindow()) SetFocus(GetWindow());
}

void Winl_vZoz_hwnd::RightMouseDown(wsys::Event& e) {
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    m_isfakerightmouse = 0;
    focusForOtherButton();
    WINL_SendMouseMessage(this, e.clickCount >= 2 ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN, e);
}

void Winl_vZoz_hwnd::RightMouseUp(wsys::Event& e) {
    m_isfakerightmouse = 0;
    sendMouse(WM_RBUTTONUP, e);
}

void Winl_vZoz_hwnd::OtherMouseDown(wsys::Event& e) {
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    focusForOtherButton();
    WINL_SendMouseMessage(this, e.clickCount >= 2 ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN, e);
}

void Winl_vZoz_hwnd::OtherMouseUp(wsys::Event& e) {
    sendMouse(WM_MBUTTONUP, e);
}

void Winl_vZoz_hwnd::ScrollWheel(wsys::Event& e) {
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    if (e.deltaY != 0) sendMouse(WM_MOUSEWHEEL, e);
    if (e.deltaX != 0) sendMouse(WM_MOUSEHWHEEL, e);
}

void Winl_vZoz_hwnd::MouseMoved(wsys::Event& e) {
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    if (!s_nofwd && e.window && forwardMove(this, e)) return;
    HWND capture = GetCapture();
    if (!capture || capture == this) sendMouse(WM_MOUSEMOVE, e);
}

// ---------------------------------------------------------------------------------------------
// Gestures: a begin and an end record each.

void Winl_vZoz_hwnd::sendGesture(unsigned int id, wsys::Event& e, unsigned long long endArgument,
                                 WPARAM endWParam, POINTS endLocation) {
    if (!canNotify()) return;
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    GESTUREINFO info{};
    info.cbSize = sizeof info;
    info.dwFlags = GF_BEGIN;
    info.dwID = id;
    info.hwndTarget = this;
    info.ptsLocation = screenLocation(e);
    info.ullArguments = id == GID_ZOOM ? 1024 : 0;
    notify(WM_GESTURE, 0, LPARAM(&info));
    if (!canNotify()) return;
    info.dwFlags = GF_END;
    info.ptsLocation = endLocation;
    info.ullArguments = endArgument;
    notify(WM_GESTURE, endWParam, LPARAM(&info));
}

void Winl_vZoz_hwnd::MagnifyWithEvent(wsys::Event& e) {
    const long long d = nonZero(1024 * e.magnification + 0.5, e.magnification);
    const long long argument = std::clamp(1024 + d, 512LL, 2048LL);
    sendGesture(GID_ZOOM, e, argument, WPARAM(argument), screenLocation(e));
}

void Winl_vZoz_hwnd::SwipeWithEvent(wsys::Event& e) {
    POINTS end = screenLocation(e);
    const wsys::Rect b = Bounds();
    if (e.deltaX < 0)
        end.x = short(end.x - int(b.size.width));
    else if (e.deltaX > 0)
        end.x = short(end.x + int(b.size.width));
    else if (e.deltaY < 0)
        end.y = short(end.y + int(b.size.height));
    else if (e.deltaY > 0)
        end.y = short(end.y - int(b.size.height));
    sendGesture(GID_PAN, e, 0, 0, end);
}

void Winl_vZoz_hwnd::RotateWithEvent(wsys::Event& e) {
    const long long r = nonZero(32767 * e.rotation / 60, e.rotation);
    const long long argument = r < -32767 ? 0 : std::min(r + 32767, 65535LL);
    sendGesture(GID_ROTATE, e, argument, WPARAM(argument), screenLocation(e));
}
