// The default window procedure and the window utilities beside it: painting entry points,
// finding and walking windows, properties, metrics, scrolling, broadcasting and the mouse hook.
#include "kit/winl/winl-wnd.h"

#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-wnd-private.h"
#include "platform/wsys/Application.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <strings.h>
#include <utility>

namespace wsys = platform::wsys;

namespace {

constexpr int kScrollBarSize = 16;
constexpr int kNoScreenSize = 1024;
constexpr int kFindTextBufferSize = 512;

POINT pointOf(LPARAM lParam) {
    return POINT{int16_t(lParam & 0xFFFF), int16_t((lParam >> 16) & 0xFFFF)};
}

LRESULT contextMenuFromClick(HWND hwnd, LPARAM lParam) {
    POINT pt = pointOf(lParam);
    ClientToScreen(hwnd, &pt);
    HWND target = WindowFromPoint(pt);
    auto* hit = dynamic_cast<wsys::View*>(target);
    if (auto* window = dynamic_cast<wsys::Window*>(hwnd)) {
        if (!hit || hit->GetWindow() != window) target = hwnd;
    } else if (auto* view = dynamic_cast<wsys::View*>(hwnd)) {
        if (!hit || !hit->IsDescendantOf(view)) target = hwnd;
    } else if (!hit) {
        target = hwnd;
    }
    SendMessage(hwnd, WM_CONTEXTMENU, WPARAM(target), WINL_PackPoint(pt.x, pt.y));
    return 1;
}

// To the first ancestor below the content view that takes the layer's messages.
LRESULT passUp(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam) {
    for (auto* v = dynamic_cast<wsys::View*>(hwnd); v && !WINL_IsContentView(v);) {
        v = v->Superview();
        if (dynamic_cast<WinlMessageTarget*>(v)) return SendMessage(v, msg, wParam, lParam);
    }
    return 0;
}

LRESULT hitTest(HWND hwnd, LPARAM lParam) {
    POINT pt = pointOf(lParam);
    RECT window;
    GetWindowRect(hwnd, &window);
    // A flipped view's rectangle comes upside down: the point is mirrored with it.
    if (window.top > window.bottom) {
        std::swap(window.top, window.bottom);
        pt.y = window.top + window.bottom - pt.y;
    }
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = window;
    SendMessage(hwnd, WM_NCCALCSIZE, 0, LPARAM(&params));
    return WINL_PtInRect(&params.rgrc[0], pt) ? HTCLIENT : HTNOWHERE;
}

void displayChange(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (auto* view = dynamic_cast<wsys::View*>(hwnd)) {
        const std::vector<wsys::Ref<wsys::View>> subviews = view->Subviews();
        for (const wsys::Ref<wsys::View>& sub : subviews)
            if (auto* target = dynamic_cast<WinlMessageTarget*>(sub.get()))
                target->onWinlMessage(WM_DISPLAYCHANGE, wParam, lParam);
    }
    if (auto proc = reinterpret_cast<DLGPROC>(GetWindowLong(hwnd, DWL_DLGPROC)))
        WINL_DoDialogColorUpdates(hwnd, proc, true);
}

bool matchesClass(HWND hwnd, const char* className) {
    if (!className || strcasecmp(className, "Static") != 0) return true;
    return dynamic_cast<wsys::TextField*>(hwnd) != nullptr;
}

bool enumChildren(wsys::View* view, WNDENUMPROC proc, LPARAM lParam) {
    const std::vector<wsys::Ref<wsys::View>> subviews = view->Subviews();
    for (const wsys::Ref<wsys::View>& sub : subviews)
        if (!proc(sub.get(), lParam) || !enumChildren(sub.get(), proc, lParam)) return false;
    return true;
}

// The event methods WINL_HandleMouseEvent hands events to, by event type.
struct MouseMethod {
    int type;
    void (wsys::Responder::*method)(wsys::Event&);
};
const MouseMethod kMouseMethods[] = {
    {wsys::kLeftMouseDown, &wsys::Responder::MouseDown},
    {wsys::kLeftMouseUp, &wsys::Responder::MouseUp},
    {wsys::kRightMouseDown, &wsys::Responder::RightMouseDown},
    {wsys::kRightMouseUp, &wsys::Responder::RightMouseUp},
    {wsys::kMouseMoved, &wsys::Responder::MouseMoved},
    {wsys::kLeftMouseDragged, &wsys::Responder::MouseDragged},
    {wsys::kRightMouseDragged, &wsys::Responder::RightMouseDragged},
};

} // namespace

LRESULT DefWindowProc(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_RBUTTONUP:
        return contextMenuFromClick(hwnd, lParam);
    case WM_NCRBUTTONUP:
        SendMessage(hwnd, WM_CONTEXTMENU, WPARAM(hwnd), lParam);
        return 1;
    case WM_CONTEXTMENU:
    case WM_GESTURE:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        return passUp(hwnd, msg, wParam, lParam);
    case WM_NCHITTEST:
        return hitTest(hwnd, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
        return WINL_KEY_NOT_HANDLED;
    case WM_DISPLAYCHANGE:
        displayChange(hwnd, wParam, lParam);
        return 0;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Painting entry points

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    if (!ps) return nullptr;
    ps->hdc = nullptr;
    ps->fErase = 0;
    ps->rcPaint = RECT{};
    auto* info = dynamic_cast<WinlPaintInfo*>(hwnd);
    if (!info) return nullptr;
    info->getWinlPaintInfo(ps);
    return ps->hdc;
}

int EndPaint(HWND, const PAINTSTRUCT*) {
    return 1;
}

void UpdateWindow(HWND hwnd) {
    auto* view = dynamic_cast<wsys::View*>(hwnd);
    if (view && view->NeedsDisplay() && view->GetWindow()) view->GetWindow()->DisplayIfNeeded();
}

void WINL_FlushWindow(HWND hwnd) {
    auto* window = dynamic_cast<wsys::Window*>(hwnd);
    if (auto* view = dynamic_cast<wsys::View*>(hwnd)) {
        if (view->NeedsDisplay()) return;
        window = view->GetWindow();
    }
    if (window && !window->ViewsNeedDisplay()) window->FlushWindow();
}

// ---------------------------------------------------------------------------------------------
// Finding and walking windows

wsys::Window* WINL_WindowUnder(wsys::Point screen) {
    wsys::Application& app = wsys::App();
    auto holds = [&](wsys::Window* w) { return w && w->IsVisible() && w->Frame().Contains(screen); };
    wsys::Window* key = app.KeyWindow();
    const std::vector<wsys::Window*>& ordered = app.OrderedWindows();
    if (std::find(ordered.begin(), ordered.end(), key) == ordered.end() && holds(key)) return key;
    for (wsys::Window* w : ordered)
        if (holds(w)) return w;
    return nullptr;
}

HWND WindowFromPoint(POINT pt) {
    const wsys::Point screen{double(pt.x), double(pt.y)};
    wsys::Window* window = WINL_WindowUnder(screen);
    wsys::View* content = window ? window->ContentView() : nullptr;
    if (!content) return nullptr;
    wsys::View* hit = content->HitTest(window->ConvertScreenToBase(screen));
    return hit ? hit : content;
}

HWND FindWindowEx(HWND parent, HWND after, const char* className, const char* title) {
    if (!parent) {
        if (!title) return nullptr;
        const std::vector<wsys::Ref<wsys::Window>> windows = wsys::App().Windows();
        auto it = windows.begin();
        if (after) {
            it = std::find_if(windows.begin(), windows.end(), [after](const auto& w) {
                return w.get() == after || w->ContentView() == after;
            });
            if (it == windows.end()) return nullptr;
            ++it;
        }
        for (; it != windows.end(); ++it)
            if ((*it)->Title() == title && (*it)->ContentView()) return (*it)->ContentView();
        return nullptr;
    }
    HWND candidate = nullptr;
    if (after) {
        candidate = GetWindow(after, GW_HWNDNEXT);
    } else if (wsys::View* view = WINL_ViewOf(parent); view && !view->Subviews().empty()) {
        candidate = view->Subviews()[0].get();
    }
    for (; candidate; candidate = GetWindow(candidate, GW_HWNDNEXT)) {
        if (!matchesClass(candidate, className)) continue;
        if (!title) return candidate;
        char text[kFindTextBufferSize] = {};
        GetDlgItemText(candidate, 0, text, sizeof text);
        if (std::strcmp(text, title) == 0) return candidate;
    }
    return nullptr;
}

int EnumChildWindows(HWND hwnd, WNDENUMPROC proc, LPARAM lParam) {
    auto* view = dynamic_cast<wsys::View*>(hwnd);
    if (!view || !proc) return 1;
    return enumChildren(view, proc, lParam) ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Properties, metrics, scrolling, broadcasting

void* GetProp(HWND hwnd, const char* name) {
    auto* props = dynamic_cast<WinlProperties*>(hwnd);
    return props ? props->winlGetProp(name, false) : nullptr;
}

void* RemoveProp(HWND hwnd, const char* name) {
    auto* props = dynamic_cast<WinlProperties*>(hwnd);
    return props ? props->winlGetProp(name, true) : nullptr;
}

bool SetProp(HWND hwnd, const char* name, void* value) {
    auto* props = dynamic_cast<WinlProperties*>(hwnd);
    return props && props->winlSetProp(name, value) != 0;
}

int EnumPropsEx(HWND hwnd, WINL_PROPENUMPROC proc, LPARAM lParam) {
    auto* props = dynamic_cast<WinlProperties*>(hwnd);
    return props ? props->winlEnumProps(proc, lParam) : -1;
}

int GetSystemMetrics(int index) {
    switch (index) {
    case 0:
    case 1: {
        const std::vector<wsys::Screen>& screens = wsys::App().Screens();
        if (screens.empty()) return kNoScreenSize;
        const wsys::Size size = screens[0].frame.size;
        return int(index == 0 ? size.width : size.height);
    }
    case 2:
    case 3:
    case 20:
    case 21:
        return kScrollBarSize;
    default:
        return 0;
    }
}

int ScrollWindow(HWND hwnd, int dx, int dy, const RECT*, const RECT*) {
    wsys::View* view = WINL_ViewOf(hwnd);
    if (!view || (dx == 0 && dy == 0)) return 0;
    const std::vector<wsys::Ref<wsys::View>> subviews = view->Subviews();
    for (const wsys::Ref<wsys::View>& sub : subviews) {
        const wsys::Point o = sub->Frame().origin;
        sub->SetFrameOrigin(wsys::Point{o.x + dx, o.y + dy});
    }
    view->SetNeedsDisplay(true);
    return 1;
}

void WINL_BroadcastMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) {
    std::vector<wsys::Ref<wsys::View>> contents;
    for (wsys::Window* w : wsys::App().OrderedWindows())
        if (dynamic_cast<WinlMessageTarget*>(w->ContentView())) contents.emplace_back(w->ContentView());
    for (const wsys::Ref<wsys::View>& view : contents) {
        dynamic_cast<WinlMessageTarget*>(view.get())->onWinlMessage(msg, wParam, lParam);
        if (msg == WM_DISPLAYCHANGE) InvalidateRect(view.get(), nullptr, 0);
    }
}

bool WINL_HandleMouseEvent(wsys::Event* e) {
    if (!e || GetCapture()) return false;
    const MouseMethod* method = nullptr;
    for (const MouseMethod& m : kMouseMethods)
        if (m.type == e->type) method = &m;
    wsys::Window* window = e->window ? e->window.get() : wsys::App().WindowWithNumber(e->windowNumber);
    wsys::View* content = window ? window->ContentView() : nullptr;
    if (!method || !content) return false;
    wsys::Ref<wsys::View> hit(content->HitTest(e->locationInWindow));
    if (!hit) return false;
    const wsys::Point screen = window->ConvertBaseToScreen(e->locationInWindow);
    const LPARAM where = WINL_PackPoint(int(std::floor(screen.x)), int(std::floor(screen.y)));
    wsys::Ref<wsys::View> chosen;
    for (wsys::View* v = hit.get(); v; v = v->Superview()) {
        auto* target = dynamic_cast<WinlMessageTarget*>(v);
        if (target && target->onWinlMessage(WM_NCHITTEST, 0, where) > HTCLIENT) chosen = v;
        if (v == content) break;
    }
    if (!chosen) return false;
    (chosen.get()->*method->method)(*e);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Control sizes and class tests

void WINL_GetDesiredControlSize(HWND hwnd, RECT* rect) {
    auto* control = dynamic_cast<wsys::Control*>(hwnd);
    if (!control || !rect) return;
    const wsys::Rect old = control->Frame();
    control->SizeToFit();
    const wsys::Size fitted = control->Frame().size;
    control->SetFrame(old);
    *rect = RECT{0, 0, int(fitted.width), int(fitted.height)};
}

bool WINL_IsGroupBox(HWND hwnd) {
    return dynamic_cast<Winl_vZoz_box*>(hwnd) != nullptr;
}

bool WINL_IsButton(HWND hwnd) {
    return dynamic_cast<Winl_vZoz_button*>(hwnd) != nullptr;
}

bool WINL_IsStaticText(HWND hwnd) {
    return dynamic_cast<wsys::TextField*>(hwnd) != nullptr;
}
