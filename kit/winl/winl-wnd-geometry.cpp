// Placing and querying windows and views: rectangles, moving, sizing and restacking,
// re-parenting, navigation, invalidation, focus and modal sessions.
#include "kit/winl/winl-wnd.h"

#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-wnd-private.h"
#include "platform/wsys/Application.h"

#include <algorithm>
#include <cstring>

namespace wsys = platform::wsys;

namespace {

constexpr int kTitleBufferSize = 2048;
constexpr int kModalEndStepMs = 10;
// The viewport when there is no screen at all.
constexpr RECT kNoScreenViewPort{0, 0, 1600, 1200};

template <class Capability> Capability* cap(HWND hwnd) {
    return dynamic_cast<Capability*>(hwnd);
}

// A rectangle of the view's coordinates with both corners on the screen.
RECT toScreen(HWND view, RECT r) {
    POINT a{r.left, r.top}, b{r.right, r.bottom};
    ClientToScreen(view, &a);
    ClientToScreen(view, &b);
    return RECT{a.x, a.y, b.x, b.y};
}

// Moves the view among its siblings; false when it stays where it is.
bool restackPlace(wsys::View* view, HWND insertAfter, wsys::View::Place* place,
                  wsys::View** relativeTo) {
    wsys::View* parent = view->Superview();
    if (!parent || insertAfter == view || insertAfter == HWND_TOPMOST ||
        insertAfter == HWND_NOTOPMOST)
        return false;
    const std::vector<wsys::Ref<wsys::View>>& subviews = parent->Subviews();
    const size_t n = subviews.size();
    if (n < 2) return false;
    auto indexOf = [&](HWND h) {
        auto at = std::find_if(subviews.begin(), subviews.end(),
                               [h](const wsys::Ref<wsys::View>& v) { return v.get() == h; });
        return size_t(at - subviews.begin());
    };
    const size_t i = indexOf(view);
    if (insertAfter == HWND_BOTTOM) {
        *place = wsys::View::kBelow;
        *relativeTo = subviews.front().get();
        return i != 0;
    }
    *place = wsys::View::kAbove;
    if (insertAfter == HWND_TOP) {
        *relativeTo = subviews.back().get();
        return i != n - 1;
    }
    const size_t j = indexOf(insertAfter);
    if (j == n || j + 1 == i) return false;
    *relativeTo = subviews[j].get();
    return true;
}

void restack(wsys::View* view, HWND insertAfter) {
    wsys::View::Place place;
    wsys::View* relativeTo = nullptr;
    if (!restackPlace(view, insertAfter, &place, &relativeTo)) return;
    // A view that holds the mouse or is inside the holder keeps its place.
    const HWND capture = GetCapture();
    if (capture && (capture == view || WINL_TreeHolds(view, capture))) return;
    wsys::Window* window = view->GetWindow();
    auto* focus = window ? dynamic_cast<wsys::View*>(window->FirstResponder()) : nullptr;
    if (focus && !focus->IsDescendantOf(view)) focus = nullptr;
    wsys::Ref<wsys::View> keep(view);
    wsys::View* parent = view->Superview();
    view->RemoveFromSuperviewWithoutNeedingDisplay();
    parent->AddSubview(view, place, relativeTo);
    if (focus) window->MakeFirstResponder(focus);
}

// A text view shown by a scroll view follows the scroll view's size along each axis that
// has no scroller.
void fitDocumentText(wsys::ScrollView* scroll) {
    auto* text = dynamic_cast<wsys::TextView*>(scroll->DocumentView());
    if (!text) return;
    wsys::Size size = text->Frame().size;
    if (!scroll->HasHorizontalScroller()) size.width = scroll->ContentSize().width;
    if (!scroll->HasVerticalScroller()) size.height = scroll->ContentSize().height;
    text->SetFrameSize(size);
}

HWND becomeChild(wsys::View* view, HWND newParent) {
    wsys::View* parent = WINL_ViewOf(newParent);
    if (!parent || parent->IsDescendantOf(view)) return nullptr;
    wsys::Ref<wsys::Window> old(view->GetWindow());
    char title[kTitleBufferSize];
    GetDlgItemText(view, 0, title, sizeof title);
    if (auto* own = dynamic_cast<Winl_vZoz_hwnd*>(view)) {
        auto* owned = dynamic_cast<WinlOwnerWindow*>(old.get());
        own->winlSetLastTopLevelOwner(owned ? owned->winlGetOwner() : nullptr);
    }
    // An empty view takes the view's place in the old window.
    Winl_vZoz_hwnd::initChild(nullptr, old.get(), nullptr, 0);
    parent->AddSubview(view);
    DestroyWindow(old.get());
    if (title[0]) SetDlgItemText(view, 0, title);
    return parent;
}

// The open window that is, or holds as content, the given object.
wsys::Window* openWindowFor(const wsys::Object* object) {
    if (!object) return nullptr;
    for (const wsys::Ref<wsys::Window>& w : wsys::App().Windows())
        if (w.get() == object || w->ContentView() == object) return w.get();
    return nullptr;
}

void becomeTopLevel(wsys::View* view) {
    char text[kTitleBufferSize];
    GetDlgItemText(view, 0, text, sizeof text);
    view->RemoveFromSuperview();
    auto* own = dynamic_cast<Winl_vZoz_hwnd*>(view);
    const unsigned flags = own ? own->winlCreateWindowFlags() : 15;
    wsys::Window* owner = openWindowFor(own ? own->winlLastTopLevelOwner() : nullptr);
    WINL_CreateModelessFrameForWindow(view, owner, flags);
    if (text[0]) SetDlgItemText(view, 0, text);
}

} // namespace

RECT WINL_RectFromPlatform(const wsys::Rect& r) {
    return RECT{int(r.MinX()), int(r.MinY()), int(r.MaxX() + 0.5), int(r.MaxY() + 0.5)};
}

HWND WINL_NavigateUpScrollClipViews(HWND hwnd) {
    auto* view = cap<wsys::View>(hwnd);
    return view ? WINL_EffectiveView(view) : hwnd;
}

bool GetWindowRect(HWND hwnd, RECT* out) {
    RECT r{};
    bool known = true;
    if (wsys::Window* window = WINL_TopLevelOf(hwnd)) {
        r = WINL_RectFromPlatform(window->Frame());
    } else if (auto* view = cap<wsys::View>(hwnd)) {
        view = WINL_EffectiveView(view);
        r = toScreen(view, WINL_RectFromPlatform(view->Bounds()));
    } else {
        known = false;
    }
    if (out) *out = r;
    return known;
}

void GetWindowContentViewRect(HWND hwnd, RECT* out) {
    wsys::Window* window = WINL_TopLevelOf(hwnd);
    if (!window) {
        GetWindowRect(hwnd, out);
        return;
    }
    if (!out) return;
    wsys::View* content = window->ContentView();
    *out = content ? toScreen(window, WINL_RectFromPlatform(content->Bounds())) : RECT{};
}

void GetClientRect(HWND hwnd, RECT* out) {
    if (!out) return;
    *out = RECT{};
    wsys::View* view = WINL_ViewOf(hwnd);
    if (!view) return;
    const RECT bounds = WINL_RectFromPlatform(WINL_EffectiveView(view)->Bounds());
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = bounds;
    SendMessage(hwnd, WM_NCCALCSIZE, 0, LPARAM(&params));
    const RECT& client = params.rgrc[0];
    *out = RECT{bounds.left, bounds.top, bounds.left + (client.right - client.left),
                bounds.top + (client.bottom - client.top)};
}

void ClientToScreen(HWND hwnd, POINT* pt) {
    wsys::View* view = WINL_ViewOf(hwnd);
    if (!pt || !view) return;
    wsys::Point p = view->ConvertPointToView(wsys::Point{double(pt->x), double(pt->y)}, nullptr);
    if (wsys::Window* w = view->GetWindow()) p = w->ConvertBaseToScreen(p);
    pt->x = WINL_RoundCoordinate(p.x);
    pt->y = WINL_RoundCoordinate(p.y);
}

void WINL_GetViewPort(RECT* out, const RECT* source, bool workArea) {
    if (!out) return;
    const std::vector<wsys::Screen>& screens = wsys::App().Screens();
    if (screens.empty()) {
        *out = kNoScreenViewPort;
        return;
    }
    const int64_t cx = source ? (int64_t(source->left) + source->right) / 2 : 0;
    const int64_t cy = source ? (int64_t(source->top) + source->bottom) / 2 : 0;
    auto area = [workArea](const wsys::Screen& s) { return workArea ? s.visibleFrame : s.frame; };
    wsys::Rect chosen = area(screens[0]);
    for (size_t i = 1; i < screens.size(); ++i) {
        const wsys::Rect r = area(screens[i]);
        if (r.MinX() <= cx && cx < r.MaxX() && r.MinY() <= cy && cy < r.MaxY()) chosen = r;
    }
    *out = WINL_RectFromPlatform(chosen);
}

void SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, int flags) {
    wsys::Window* window = WINL_TopLevelOf(hwnd);
    auto* view = window ? nullptr : cap<wsys::View>(hwnd);
    if (!window && !view) return;
    if (view) {
        view = WINL_EffectiveView(view);
        if (!(flags & SWP_NOZORDER)) restack(view, insertAfter);
    }
    if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) == (SWP_NOMOVE | SWP_NOSIZE)) return;
    wsys::Rect frame = window ? window->Frame() : view->Frame();
    if (!(flags & SWP_NOMOVE)) frame.origin = wsys::Point{double(x), double(y)};
    if (!(flags & SWP_NOSIZE)) frame.size = wsys::Size{double(cx), std::fabs(double(cy))};
    if (window) {
        const wsys::Size min = window->MinSize(), max = window->MaxSize();
        frame.size.width = std::max(min.width, std::min(max.width, frame.size.width));
        frame.size.height = std::max(min.height, std::min(max.height, frame.size.height));
        window->SetFrame(frame, false);
        window->Display();
        return;
    }
    wsys::Ref<wsys::View> keep(view);
    view->SetFrame(frame);
    if (auto* scroll = dynamic_cast<wsys::ScrollView*>(view)) fitDocumentText(scroll);
}

HWND GetWindow(HWND hwnd, int command) {
    wsys::View* view = WINL_ViewOf(hwnd);
    if (!view) return nullptr;
    if (command == GW_CHILD) return view->Subviews().empty() ? nullptr : view->Subviews()[0].get();
    view = WINL_EffectiveView(view);
    if (command == GW_OWNER) {
        if (!WINL_IsContentView(view)) return view->Superview();
        auto* owned = dynamic_cast<WinlOwnerWindow*>(view->GetWindow());
        return owned ? owned->winlGetOwner() : nullptr;
    }
    if (command < GW_HWNDFIRST || command > GW_HWNDPREV) return nullptr;
    if (WINL_IsContentView(view)) return command <= GW_HWNDLAST ? view : nullptr;
    if (!view->Superview()) return nullptr;
    const std::vector<wsys::Ref<wsys::View>>& siblings = view->Superview()->Subviews();
    const size_t i = size_t(std::find(siblings.begin(), siblings.end(), view) - siblings.begin());
    size_t at = 0;
    switch (command) {
    case GW_HWNDFIRST:
        break;
    case GW_HWNDLAST:
        at = siblings.size() - 1;
        break;
    case GW_HWNDNEXT:
        at = i + 1;
        break;
    default:
        at = i - 1; // wraps past the end for the first view
        break;
    }
    return at < siblings.size() ? siblings[at].get() : nullptr;
}

HWND SetParent(HWND hwnd, HWND newParent) {
    auto* view = cap<wsys::View>(hwnd);
    if (!view) return nullptr;
    wsys::Ref<wsys::View> keep(view);
    if (WINL_IsContentView(view)) return becomeChild(view, newParent);
    if (!newParent) {
        becomeTopLevel(view);
        return nullptr;
    }
    view = WINL_EffectiveView(view);
    wsys::Ref<wsys::View> keepMoving(view);
    wsys::View* old = view->Superview();
    view->RemoveFromSuperview();
    if (wsys::View* parent = WINL_ViewOf(newParent)) parent->AddSubview(view);
    return old;
}

bool IsChild(HWND parent, HWND child) {
    auto* view = cap<wsys::View>(child);
    if (!parent || !view || parent == child) return false;
    if (auto* window = cap<wsys::Window>(parent)) return view->GetWindow() == window;
    if (auto* ancestor = cap<wsys::View>(parent)) return view->IsDescendantOf(ancestor);
    return false;
}

void InvalidateRect(HWND hwnd, const RECT* rect, int) {
    wsys::View* view = WINL_ViewOf(hwnd);
    if (!view) return;
    auto* own = dynamic_cast<Winl_vZoz_hwnd*>(view);
    if (!own || !(own->winlDirtyBits() & Winl_vZoz_hwnd::kDirtySelf)) {
        if (own) own->winlSetDirtyBits(own->winlDirtyBits() | Winl_vZoz_hwnd::kDirtySelf);
        WINL_MarkAncestorsDirty(view);
    }
    if (!rect)
        view->SetNeedsDisplay(true);
    else
        view->SetNeedsDisplayInRect(wsys::Rect(rect->left, std::min(rect->top, rect->bottom),
                                               double(rect->right) - rect->left,
                                               std::fabs(double(rect->bottom) - rect->top)));
}

void SetFocus(HWND hwnd) {
    wsys::Window* window = cap<wsys::Window>(hwnd);
    wsys::View* view = WINL_ViewOf(hwnd);
    if (!window && view) window = view->GetWindow();
    if (!window) return;
    window->MakeFirstResponder(view);
    if (window->IsVisible()) window->MakeKeyAndOrderFront();
}

void SetForegroundWindow(HWND hwnd) {
    SetFocus(hwnd);
}

HWND GetForegroundWindow() {
    wsys::Window* key = wsys::App().KeyWindow();
    if (!key) return nullptr;
    if (auto* focus = dynamic_cast<wsys::View*>(key->FirstResponder())) return focus;
    return key;
}

bool IsEquivalentTextView(HWND a, HWND b) {
    if (!a || !b) return false;
    if (a == b) return true;
    auto* text = cap<wsys::TextView>(a);
    auto* field = cap<wsys::TextField>(b);
    if (!text) {
        text = cap<wsys::TextView>(b);
        field = cap<wsys::TextField>(a);
    }
    // The field editor sits two levels below the field it edits.
    return text && field && field->CurrentEditor() == text;
}

void WINL_CloseWindow(HWND hwnd) {
    wsys::Window* window = cap<wsys::Window>(hwnd);
    if (auto* view = cap<wsys::View>(hwnd)) window = view->GetWindow();
    if (window) window->Close();
}

void WINL_HideApp() {
    wsys::App().Hide();
}

bool WINL_GetGestureInfo(LPARAM lParam, GESTUREINFO* out) {
    if (!lParam || !out) return false;
    std::memcpy(out, reinterpret_cast<const void*>(lParam), sizeof *out);
    return true;
}

void* WINL_ModalWindowStart(HWND hwnd) {
    wsys::Window* window = cap<wsys::Window>(hwnd);
    if (auto* view = cap<wsys::View>(hwnd)) window = view->GetWindow();
    if (!window) return nullptr;
    return wsys::App().BeginModalSession(window).Detach();
}

bool WINL_ModalWindowRun(void* session, int* result) {
    if (!session) return false;
    const int answer = wsys::App().RunModalSession(static_cast<wsys::ModalSession*>(session));
    if (answer == wsys::kRunContinuesResponse) return true;
    if (result) *result = answer;
    return false;
}

void WINL_ModalWindowEnd(void* session) {
    auto* s = static_cast<wsys::ModalSession*>(session);
    if (!s) return;
    wsys::Application& app = wsys::App();
    if (s->IsRunning()) {
        app.StopModalSession(s);
        while (app.RunModalSession(s) == wsys::kRunContinuesResponse)
            Sleep(kModalEndStepMs);
    }
    app.EndModalSession(s);
    s->Release();
}
