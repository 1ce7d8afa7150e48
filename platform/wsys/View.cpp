#include "platform/wsys/View.h"

#include "platform/wsys/Window.h"

#include <cmath>
#include <memory>

namespace platform::wsys {

namespace {

// Canvases of the LockFocus calls that are open, innermost last (UI thread only).
std::vector<std::unique_ptr<Canvas>>& focusStack() {
    static std::vector<std::unique_ptr<Canvas>> stack;
    return stack;
}

Rect rectThrough(const Rect& r, Point (*convert)(const View*, Point, const View*), const View* self,
                 const View* other) {
    const Point a = convert(self, r.origin, other);
    const Point b = convert(self, Point{r.MaxX(), r.MaxY()}, other);
    return Rect(std::min(a.x, b.x), std::min(a.y, b.y), std::fabs(b.x - a.x), std::fabs(b.y - a.y));
}

} // namespace

CanvasRect PixelsCovering(const Rect& r) {
    return CanvasRect{int(std::floor(r.MinX())), int(std::floor(r.MinY())),
                      int(std::ceil(r.MaxX())), int(std::ceil(r.MaxY()))};
}

Canvas* GraphicsContext::Current() {
    return focusStack().empty() ? nullptr : focusStack().back().get();
}

void GraphicsContext::EndFocus(const Canvas* canvas) {
    auto& stack = focusStack();
    for (auto it = stack.begin(); it != stack.end(); ++it) {
        if (it->get() == canvas) {
            stack.erase(it);
            return;
        }
    }
}

View::View(const Rect& frame) : m_frame(frame) {}

void View::Dealloc() {
    for (const Ref<View>& v : m_subviews)
        v->m_superview = nullptr;
    Responder::Dealloc();
}

void View::SetFrame(const Rect& frame) {
    SetFrameOrigin(frame.origin);
    SetFrameSize(frame.size);
}

void View::SetFrameOrigin(Point p) {
    changeFrame(Rect(p, m_frame.size));
}

void View::SetFrameSize(Size s) {
    changeFrame(Rect(m_frame.origin, s));
}

void View::changeFrame(const Rect& frame) {
    if (frame == m_frame) return;
    const Rect old = m_frame;
    m_frame = frame;
    if (m_superview) {
        markAreaInSuperview(old);
        markAreaInSuperview(frame);
    }
    if (frame.size != old.size) SetNeedsDisplay(true);
}

void View::SetBoundsOrigin(Point p) {
    m_boundsOrigin = p;
    SetNeedsDisplay(true);
}

void View::SetHidden(bool hidden) {
    if (hidden == m_hidden) return;
    if (hidden && m_window) m_window->viewLeaving(this);
    m_hidden = hidden;
    if (m_superview) markAreaInSuperview(m_frame);
    if (!hidden) SetNeedsDisplay(true);
    notifyHidden(hidden);
}

void View::notifyHidden(bool hidden) {
    if (hidden)
        ViewDidHide();
    else
        ViewDidUnhide();
    for (const Ref<View>& v : m_subviews)
        if (!v->m_hidden) v->notifyHidden(hidden);
}

bool View::IsHiddenOrHasHiddenAncestor() const {
    for (const View* v = this; v; v = v->m_superview)
        if (v->m_hidden) return true;
    return false;
}

void View::AddSubview(View* v, Place place, View* relativeTo) {
    if (!v || v == this || IsDescendantOf(v)) return;
    Ref<View> keep(v);
    if (v->m_superview)
        v->RemoveFromSuperview();
    else if (v->m_window && v->m_window->ContentView() == v)
        v->m_window->SetContentView(nullptr);
    auto at = m_subviews.end();
    if (relativeTo) {
        for (auto it = m_subviews.begin(); it != m_subviews.end(); ++it)
            if (it->get() == relativeTo) at = place == kAbove ? it + 1 : it;
    } else if (place == kBelow) {
        at = m_subviews.begin();
    }
    m_subviews.insert(at, keep);
    v->m_superview = this;
    v->setWindow(m_window);
    DidAddSubview(v);
    v->ViewDidMoveToSuperview();
    v->SetNeedsDisplay(true);
}

void View::RemoveFromSuperview() {
    removeFromSuperview(true);
}

void View::RemoveFromSuperviewWithoutNeedingDisplay() {
    removeFromSuperview(false);
}

void View::removeFromSuperview(bool markArea) {
    View* parent = m_superview;
    if (!parent) return;
    Ref<View> keep(this);
    parent->WillRemoveSubview(this);
    if (m_window) m_window->viewLeaving(this);
    if (markArea) markAreaInSuperview(m_frame);
    for (auto it = parent->m_subviews.begin(); it != parent->m_subviews.end(); ++it) {
        if (it->get() == this) {
            m_superview = nullptr;
            setWindow(nullptr);
            parent->m_subviews.erase(it);
            break;
        }
    }
    ViewDidMoveToSuperview();
}

void View::markAreaInSuperview(const Rect& frame) {
    // frame is in the superview's coordinates.
    if (m_superview && !frame.IsEmpty()) m_superview->SetNeedsDisplayInRect(frame);
}

bool View::IsDescendantOf(const View* v) const {
    for (const View* p = this; p; p = p->m_superview)
        if (p == v) return true;
    return false;
}

void View::setWindow(Window* w) {
    if (m_window == w) return;
    if (m_window) m_window->viewLeaving(this);
    m_window = w;
    for (const Ref<View>& v : m_subviews)
        v->setWindow(w);
    ViewDidMoveToWindow();
    if (w && NeedsDisplay()) w->SetViewsNeedDisplay();
}

Responder* View::NextResponder() const {
    if (m_superview) return m_superview;
    if (m_window && m_window->ContentView() == this) return m_window;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Coordinates

Point View::toSuperview(Point p) const {
    // Height above the bottom edge, whichever way the view runs.
    const double up =
        IsFlipped() ? m_frame.size.height - (p.y - m_boundsOrigin.y) : p.y - m_boundsOrigin.y;
    const bool downward = m_superview && m_superview->IsFlipped();
    return Point{m_frame.origin.x + p.x - m_boundsOrigin.x,
                 downward ? m_frame.MaxY() - up : m_frame.origin.y + up};
}

Point View::fromSuperview(Point p) const {
    const bool downward = m_superview && m_superview->IsFlipped();
    const double up = downward ? m_frame.MaxY() - p.y : p.y - m_frame.origin.y;
    return Point{m_boundsOrigin.x + p.x - m_frame.origin.x,
                 IsFlipped() ? m_boundsOrigin.y + m_frame.size.height - up : m_boundsOrigin.y + up};
}

const View* View::root() const {
    const View* v = this;
    while (v->m_superview)
        v = v->m_superview;
    return v;
}

Point View::toRoot(Point p) const {
    for (const View* v = this; v; v = v->m_superview)
        p = v->toSuperview(p);
    return p;
}

Point View::fromRoot(Point p) const {
    if (m_superview) p = m_superview->fromRoot(p);
    return fromSuperview(p);
}

Point View::ConvertPointToView(Point p, const View* to) const {
    Point base = toRoot(p);
    if (!to) return base;
    if (to->root() != root() && m_window && to->m_window)
        base = to->m_window->ConvertScreenToBase(m_window->ConvertBaseToScreen(base));
    return to->fromRoot(base);
}

Point View::ConvertPointFromView(Point p, const View* from) const {
    if (from) return from->ConvertPointToView(p, this);
    return fromRoot(p);
}

Rect View::ConvertRectToView(const Rect& r, const View* to) const {
    return rectThrough(
        r, [](const View* s, Point p, const View* o) { return s->ConvertPointToView(p, o); }, this,
        to);
}

Rect View::ConvertRectFromView(const Rect& r, const View* from) const {
    return rectThrough(
        r, [](const View* s, Point p, const View* o) { return s->ConvertPointFromView(p, o); },
        this, from);
}

View* View::HitTest(Point p) {
    if (m_hidden) return nullptr;
    const bool downward = m_superview && m_superview->IsFlipped();
    if (!MouseInRect(p, m_frame, downward)) return nullptr;
    const Point local = fromSuperview(p);
    for (auto it = m_subviews.rbegin(); it != m_subviews.rend(); ++it)
        if (View* hit = (*it)->HitTest(local)) return hit;
    return this;
}

// ---------------------------------------------------------------------------------------------
// Display

void View::SetNeedsDisplay(bool flag) {
    if (flag)
        SetNeedsDisplayInRect(Bounds());
    else
        m_dirty = Rect();
}

void View::SetNeedsDisplayInRect(const Rect& r) {
    const Rect area = r.Intersection(Bounds());
    if (area.IsEmpty()) return;
    m_dirty = m_dirty.Union(area);
    if (m_window) m_window->SetViewsNeedDisplay();
}

void View::clearDirtyTree() {
    m_dirty = Rect();
    for (const Ref<View>& v : m_subviews)
        v->clearDirtyTree();
}

Rect View::VisibleRect() const {
    Rect r = ConvertRectToView(Bounds(), nullptr);
    for (const View* a = m_superview; a; a = a->m_superview)
        r = r.Intersection(a->ConvertRectToView(a->Bounds(), nullptr));
    if (r.IsEmpty()) return Rect();
    return ConvertRectFromView(r, nullptr).Intersection(Bounds());
}

std::vector<Rect> View::GetRectsBeingDrawn() const {
    return m_window ? m_window->drawRectsIn(this) : std::vector<Rect>();
}

void View::DisplayRecursive() {
    if (m_hidden) return;
    const std::vector<Rect> rects = GetRectsBeingDrawn();
    if (rects.empty()) return;
    Rect box;
    for (const Rect& r : rects)
        box = box.Union(r);
    if (LockFocus()) {
        Draw(box);
        UnlockFocus();
    }
    const std::vector<Ref<View>> subviews = m_subviews; // drawing may change the list
    for (const Ref<View>& v : subviews)
        v->DisplayRecursive();
}

void View::DisplayRectIgnoringOpacity(const Rect& r) {
    if (!m_window) return;
    std::vector<Rect> saved = std::move(m_window->m_drawRects);
    m_window->m_drawRects = {ConvertRectToView(r.Intersection(Bounds()), nullptr)};
    View::DisplayRecursive();
    m_window->m_drawRects = std::move(saved);
}

bool View::CanDraw() const {
    return m_window && !IsHiddenOrHasHiddenAncestor();
}

Canvas* View::LockFocus() {
    if (!m_window) return nullptr;
    Window& w = *m_window;
    auto canvas = std::make_unique<Canvas>(w.m_backing.data(), w.m_backingWidth, w.m_backingHeight,
                                           w.m_backingWidth);
    // The canvas origin: view x 0 at the bounds' top edge, whichever way the view runs.
    const Point topLeft = w.basePixel(ConvertPointToView(
        Point{0, IsFlipped() ? 0 : m_boundsOrigin.y + m_frame.size.height}, nullptr));
    canvas->Translate(int(std::lround(topLeft.x)), int(std::lround(topLeft.y)));
    Rect clip = VisibleRect();
    if (!w.m_drawRects.empty()) {
        Rect box;
        for (const Rect& r : GetRectsBeingDrawn())
            box = box.Union(r);
        clip = clip.Intersection(box);
    }
    canvas->ClipToRect(PixelsCovering(ToDrawing(clip)));
    focusStack().push_back(std::move(canvas));
    return focusStack().back().get();
}

void View::UnlockFocus() {
    if (!focusStack().empty()) focusStack().pop_back();
}

Rect View::ToDrawing(const Rect& r) const {
    if (IsFlipped()) return r;
    return Rect(r.origin.x, m_boundsOrigin.y + m_frame.size.height - r.MaxY(), r.size.width,
                r.size.height);
}

// ---------------------------------------------------------------------------------------------
// Accessibility

Object* View::AccessibilityHitTest(Point screen) {
    if (!m_window || !m_window->ContentView()) return nullptr;
    View* content = m_window->ContentView();
    View* v = content->HitTest(m_window->ConvertScreenToBase(screen));
    if (!v || !v->IsDescendantOf(this)) return nullptr;
    while (v != this && v->AccessibilityIsIgnored())
        v = v->m_superview;
    return v;
}

Ref<Object> View::AccessibilityAttributeValue(const std::string& attribute) {
    const bool visibleOnly = attribute == kAccessibilityVisibleChildrenAttribute;
    if (!visibleOnly && attribute != kAccessibilityChildrenAttribute) return nullptr;
    std::vector<Ref<Object>> children;
    for (const Ref<View>& v : m_subviews)
        if (!visibleOnly || !v->IsHidden()) children.emplace_back(v.get());
    return Make<ObjectArray>(std::move(children));
}

} // namespace platform::wsys
