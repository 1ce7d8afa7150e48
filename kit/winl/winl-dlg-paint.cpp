// How a window view paints: one rectangle through the non-client messages and WM_PAINT, the
// one-pass paint of a content view's tree of window views, the dirty bits, and the dialog
// background of the default dialog procedure.
#include "kit/winl/winl-dlg.h"

#include "kit/winl/winl-gdi-shapes.h"
#include "kit/winl/winl-wnd-private.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/GLContext.h"
#include "platform/wsys/ScrollView.h"
#include "platform/wsys/Window.h"

#include <cmath>
#include <utility>

namespace wsys = platform::wsys;

namespace {

constexpr int kDialogBackgroundLevel = 3;

// Platform views met during one content-view paint; they draw themselves after the window
// views. whole: their window-view parent was painted whole in the pass. UI thread only.
struct QueuedView {
    bool whole;
    wsys::Ref<wsys::View> view;
};

std::vector<QueuedView>& ndlist() {
    static auto* list = new std::vector<QueuedView>;
    return *list;
}

wsys::Rect grownByOne(const wsys::Rect& r) {
    return wsys::Rect(r.origin.x - 1, r.origin.y - 1, r.size.width + 2, r.size.height + 2);
}

// A rectangle of the view's coordinates as whole pixels of its drawing coordinates.
RECT drawingRect(const wsys::View* view, const wsys::Rect& r) {
    const wsys::Rect d = view->ToDrawing(r);
    return RECT{int(d.MinX()), int(d.MinY()), int(d.MaxX()), int(d.MaxY())};
}

RECT drawingRect(const wsys::View* view, const RECT& r) {
    return drawingRect(view, wsys::Rect(r.left, r.top, double(r.right) - r.left,
                                        double(r.bottom) - r.top));
}

// Where a subview's drawing coordinates start, in the view's drawing coordinates.
wsys::Point drawingOrigin(const wsys::View* view, const wsys::View* sub) {
    const wsys::Point corner{0, sub->IsFlipped() ? 0 : sub->Bounds().MaxY()};
    const wsys::Point p = sub->ConvertPointToView(corner, view);
    return wsys::Point{p.x, view->IsFlipped() ? p.y : view->Bounds().MaxY() - p.y};
}

// The platform says the view, or one below it, has something to draw.
bool treeNeedsDisplay(const wsys::View* v) {
    if (v->NeedsDisplay()) return true;
    for (const wsys::Ref<wsys::View>& sub : v->Subviews())
        if (treeNeedsDisplay(sub.get())) return true;
    return false;
}

// WINL_FillRect with the brush a WM_CTLCOLORDLG answer names, or the dialog background for
// the answers 0 and 1.
void fillBackground(HDC hdc, const RECT& r, LRESULT answer) {
    if (answer >= 2)
        WINL_FillRect(hdc, &r, reinterpret_cast<HGDIOBJ>(answer));
    else
        WINL_FillDialogBackground(hdc, &r, kDialogBackgroundLevel);
}

} // namespace

void Winl_vZoz_hwnd::DrawWinlViewRectImpl(const wsys::Rect& rect, HDC hdc) {
    if (m_hashaddestroy != 0) return;
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    m_paintctx_hdc = hdc;
    auto* gl = static_cast<wsys::GLContext*>(m_glctx.get());
    if (hdc && gl) {
        hdc->glContext = gl;
        gl->SetView(this);
        gl->MakeCurrentContext();
        gl->Update();
    }
    // The procedure draws in drawing coordinates, which a view that is not flipped runs down.
    const wsys::Rect drawing = ToDrawing(rect);
    m_paintctx_rect[0] = float(drawing.origin.x);
    m_paintctx_rect[1] = float(drawing.origin.y);
    m_paintctx_rect[2] = float(drawing.size.width);
    m_paintctx_rect[3] = float(drawing.size.height);
    m_paintctx_used = false;

    RECT window;
    GetWindowRect(this, &window);
    if (window.top > window.bottom) std::swap(window.top, window.bottom);
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = window;
    onWinlMessage(WM_NCCALCSIZE, 0, LPARAM(&params));
    onWinlMessage(WM_NCPAINT, 1, 0);
    const RECT& client = params.rgrc[0];
    m_paintctx_rect[0] += float(client.left - window.left);
    m_paintctx_rect[1] += float(client.top - window.top);

    if (m_paintctx_rect[2] >= 1 && m_paintctx_rect[3] >= 1) {
        const bool inset = client.left != window.left || client.top != window.top ||
                           client.right != window.right || client.bottom != window.bottom;
        if (inset) {
            WINL_PushClipRegion(hdc);
            RECT area;
            GetClientRect(this, &area);
            area = drawingRect(this, area);
            WINL_SetClipRegion(hdc, &area);
        }
        onWinlMessage(WM_PAINT, WPARAM(hdc), 0);
        if (inset) WINL_PopClipRegion(hdc);
    }
    if (gl && wsys::GLContext::CurrentContext() == gl) wsys::GLContext::ClearCurrentContext();
    m_paintctx_hdc = nullptr;
}

void Winl_vZoz_hwnd::getWinlPaintInfo(PAINTSTRUCT* ps) {
    if (!m_paintctx_hdc || !ps) return;
    m_paintctx_used = true;
    ps->hdc = m_paintctx_hdc;
    ps->fErase = 0;
    const float* r = m_paintctx_rect;
    ps->rcPaint = RECT{int(std::trunc(r[0])), int(std::trunc(r[1])),
                       int(std::trunc(std::ceil(r[0] + r[2]))),
                       int(std::trunc(std::ceil(r[1] + r[3])))};
}

void Winl_vZoz_hwnd::Draw(const wsys::Rect& rect) {
    HDC hdc = WINL_CreateGfxContext(wsys::GraphicsContext::Current());
    DrawWinlViewRectImpl(rect, hdc);
    WINL_DeleteGfxContext(hdc);
    m_isdirty = 0;
}

// ---------------------------------------------------------------------------------------------
// Dirty bits: bit 0 the view itself, bit 1 something below it.

void Winl_vZoz_hwnd::DidAddSubview(wsys::View*) {
    m_isdirty |= kDirtyChildren;
    WINL_MarkAncestorsDirty(this);
}

void Winl_vZoz_hwnd::WillRemoveSubview(wsys::View*) {
    constexpr uint8_t both = kDirtySelf | kDirtyChildren;
    m_isdirty |= both;
    SetNeedsDisplay(true);
    for (wsys::View* v = Superview(); v; v = v->Superview()) {
        v->SetNeedsDisplay(true);
        auto* own = dynamic_cast<Winl_vZoz_hwnd*>(v);
        if (!own) continue;
        if ((own->m_isdirty & both) == both) break;
        own->m_isdirty |= both;
    }
}

// ---------------------------------------------------------------------------------------------
// One-pass paint

void Winl_vZoz_hwnd::DisplayRecursive() {
    if (IsOpaque() && WINL_IsContentView(this) && !IsHiddenOrHasHiddenAncestor())
        displayContentInOnePass();
    else
        View::DisplayRecursive();
}

void Winl_vZoz_hwnd::displayContentInOnePass() {
    const std::vector<wsys::Rect> rects = GetRectsBeingDrawn();
    if (m_isdirty == 0 && rects.empty()) return;
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    platform::Canvas* canvas = LockFocus();
    if (!canvas) return;
    HDC hdc = WINL_CreateGfxContext(canvas);
    std::vector<QueuedView>& queue = ndlist();
    const size_t mark = queue.size();
    winlRenderOptimizely(false, hdc, rects, this);
    // Last queued first.
    while (queue.size() > mark) {
        QueuedView q = std::move(queue.back());
        queue.pop_back();
        if (!q.whole && !rects.empty()) {
            for (const wsys::Rect& r : rects) {
                const wsys::Rect area =
                    q.view->ConvertRectFromView(grownByOne(r), this).Intersection(q.view->Bounds());
                if (!area.IsEmpty()) q.view->DisplayRectIgnoringOpacity(area);
            }
        } else {
            q.view->DisplayRectIgnoringOpacity(q.view->Bounds());
        }
        q.view->SetNeedsDisplay(false);
    }
    WINL_DeleteGfxContext(hdc);
    wsys::GraphicsContext::EndFocus(canvas);
    SetNeedsDisplay(false);
}

void Winl_vZoz_hwnd::winlRenderOptimizely(bool force, HDC hdc,
                                          const std::vector<wsys::Rect>& rects,
                                          Winl_vZoz_hwnd* topView) {
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    // The platform clears what it redraws, so a view it marked paints itself as well.
    const bool paintSelf = force || (m_isdirty & kDirtySelf) || NeedsDisplay();
    if (paintSelf) {
        wsys::Rect area = Bounds();
        if (!rects.empty()) {
            wsys::Rect box;
            for (const wsys::Rect& r : rects)
                box = box.Union(r);
            const wsys::Rect hit =
                (this == topView ? area : ConvertRectToView(area, topView)).Intersection(box);
            area = hit.IsEmpty() || this == topView ? hit : ConvertRectFromView(hit, topView);
        }
        if (area.size.width > 0 && area.size.height > 0) DrawWinlViewRectImpl(area, hdc);
    }

    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    // The background brush: asked once, and again after each recursion.
    LRESULT brush = 0;
    bool brushKnown = false;
    const std::vector<wsys::Ref<wsys::View>> subviews = Subviews();
    for (const wsys::Ref<wsys::View>& sub : subviews) {
        if (sub->IsHidden()) continue;
        auto* own = dynamic_cast<Winl_vZoz_hwnd*>(sub.get());
        if (!paintSelf && !(own && own->m_isdirty) && !treeNeedsDisplay(sub.get())) continue;
        if (own) {
            if (canvas) {
                canvas->SaveState();
                canvas->ClipToRect(wsys::PixelsCovering(ToDrawing(sub->Frame())));
                const wsys::Point origin = drawingOrigin(this, sub.get());
                canvas->Translate(int(std::lround(origin.x)), int(std::lround(origin.y)));
            }
            own->winlRenderOptimizely(paintSelf, hdc, rects, topView);
            if (canvas) canvas->RestoreState();
            sub->SetNeedsDisplay(false);
            brushKnown = false;
            continue;
        }
        wsys::View* other = sub.get();
        if (auto* scroll = dynamic_cast<wsys::ScrollView*>(other); scroll && scroll->ContentView()) {
            ndlist().push_back(QueuedView{paintSelf, scroll});
            other = scroll->ContentView();
        }
        if (!paintSelf && !other->IsOpaque()) {
            if (!brushKnown) brush = onWinlMessage(WM_CTLCOLORDLG, WPARAM(hdc), LPARAM(this));
            brushKnown = true;
            wsys::Rect frame = other->Frame();
            if (other->Superview() != topView)
                frame = other->Superview()->ConvertRectToView(frame, topView);
            for (const wsys::Rect& r : rects) {
                const wsys::Rect area = grownByOne(r).Intersection(frame);
                if (!area.IsEmpty())
                    fillBackground(hdc, drawingRect(this, ConvertRectFromView(area, topView)),
                                   brush);
            }
        }
        ndlist().push_back(QueuedView{paintSelf, other});
    }
    m_isdirty = 0;
}

// ---------------------------------------------------------------------------------------------

namespace {

// Fills the paint rectangle with the dialog background, or with the brush the dialog
// procedure names, for a content view or an opaque view.
void paintDialogBackground(HWND hwnd, DLGPROC dlgProc) {
    auto* view = dynamic_cast<wsys::View*>(hwnd);
    if (!view) return;
    bool opaque = view->IsOpaque();
    if (!opaque && view->GetWindow() && view->GetWindow()->ContentView())
        opaque = view->GetWindow()->ContentView()->IsOpaque();
    if (!WINL_IsContentView(view) && !view->IsOpaque()) return;
    PAINTSTRUCT ps{};
    HDC hdc = BeginPaint(hwnd, &ps);
    const RECT& r = ps.rcPaint;
    if (!hdc || r.right <= r.left || r.bottom <= r.top) return;
    const LRESULT answer = dlgProc(hwnd, WM_CTLCOLORDLG, WPARAM(hdc), LPARAM(hwnd));
    if (answer >= 2 || opaque) fillBackground(hdc, r, answer);
    EndPaint(hwnd, &ps);
}

} // namespace

LRESULT WinlDialogDefaultWindowProc(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam) {
    auto* procs = dynamic_cast<WinlProcedures*>(hwnd);
    DLGPROC dlgProc = procs ? procs->getWinlDialogProc() : nullptr;
    if (!dlgProc) return DefWindowProc(hwnd, msg, wParam, lParam);
    if (msg == WM_PAINT && dlgProc(hwnd, WM_ERASEBKGND, 0, 0) == 0)
        paintDialogBackground(hwnd, dlgProc);
    if (const LRESULT r = dlgProc(hwnd, msg, wParam, lParam)) return r;
    return DefWindowProc(hwnd, msg, wParam, lParam);
}
