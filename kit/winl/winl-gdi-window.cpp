// Drawing contexts over a window's own surface, outside a paint or reusing a running one.
#include "kit/winl/winl-wnd-private.h"
#include "kit/winl/winl-wnd.h"

#include <cmath>

namespace wsys = platform::wsys;

namespace {

// The context of the view's running paint, or null.
HDC paintContextOf(wsys::View* view) {
    PAINTSTRUCT ps{};
    if (auto* info = dynamic_cast<WinlPaintInfo*>(view)) info->getWinlPaintInfo(&ps);
    return ps.hdc;
}

} // namespace

HDC GetDC(HWND hwnd) {
    wsys::View* view = WINL_ViewOf(hwnd);
    if (!view) return nullptr;
    if (HDC paint = paintContextOf(view)) {
        if (platform::Canvas* canvas = WINL_GetCtxGC(paint)) canvas->SaveState();
        return paint;
    }
    platform::Canvas* canvas = view->LockFocusIfCanDraw();
    if (!canvas) return nullptr;
    HDC hdc = WINL_CreateGfxContext(canvas);
    if (!hdc) {
        wsys::GraphicsContext::EndFocus(canvas);
        return nullptr;
    }
    hdc->viewFocus = 1;
    canvas->SaveState();
    return hdc;
}

HDC GetWindowDC(HWND hwnd) {
    HDC hdc = GetDC(hwnd);
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    wsys::View* view = WINL_ViewOf(hwnd);
    if (!canvas || !view) return hdc;
    const wsys::Rect bounds = view->Bounds();
    if (bounds.origin != wsys::Point()) {
        const wsys::Point corner = view->ToDrawing(bounds).origin;
        canvas->Translate(int(std::lround(corner.x)), int(std::lround(corner.y)));
    }
    return hdc;
}

int ReleaseDC(HWND hwnd, HDC hdc) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    if (!canvas) return 0;
    canvas->RestoreState();
    if (wsys::View* view = WINL_ViewOf(hwnd); view && paintContextOf(view) == hdc) return 1;
    // GetDC's focus ends with its context, whatever handle comes with it: a focus left open
    // would stay the current canvas.
    if (hdc->viewFocus) wsys::GraphicsContext::EndFocus(canvas);
    WINL_DeleteGfxContext(hdc);
    return 1;
}
