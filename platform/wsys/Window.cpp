#include "platform/wsys/Window.h"

#include "platform/wsys/Application.h"
#include "platform/wsys/Controls.h"
#include "platform/wsys/KeyLayout.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace platform::wsys {

namespace {

constexpr uint32_t kWindowBackground = MakePixel(236, 236, 236);

// Title-bar buttons: 12-pixel circles 8 pixels apart, from the left edge, in frame pixels
// (y down from the frame's top).
constexpr double kButtonSize = 12, kButtonTop = 5, kFirstButtonLeft = 8, kButtonStep = 20;

int nextWindowNumber() {
    static int number = 0;
    return ++number;
}

} // namespace

Window::Window(const Rect& contentRect, unsigned styleMask)
    : m_number(nextWindowNumber()), m_style(styleMask),
      m_frame(FrameRectForContentRect(contentRect, styleMask)), m_maxSize{FLT_MAX, FLT_MAX},
      m_firstResponder(this) {
    SetContentView(Make<View>().get());
    App().addWindow(this);
}

Rect Window::FrameRectForContentRect(const Rect& content, unsigned styleMask) {
    Rect r = content;
    if (styleMask & kTitledWindowMask) r.size.height += kTitleBarHeight;
    return r;
}

Rect Window::ContentRectForFrameRect(const Rect& frame, unsigned styleMask) {
    Rect r = frame;
    if (styleMask & kTitledWindowMask)
        r.size.height = std::max(0.0, r.size.height - kTitleBarHeight);
    return r;
}

void Window::Dealloc() {
    if (m_contentView) m_contentView->setWindow(nullptr);
    for (auto& child : m_children)
        child.first->m_parent = nullptr;
    Responder::Dealloc();
}

// ---------------------------------------------------------------------------------------------
// Frame

void Window::SetFrame(const Rect& frame, bool display) {
    const Rect old = m_frame;
    m_frame = frame;
    const double dx = frame.origin.x - old.origin.x, dy = frame.origin.y - old.origin.y;
    if (dx != 0 || dy != 0) {
        for (auto& child : m_children) {
            Window* c = child.first.get();
            c->SetFrameOrigin(Point{c->m_frame.origin.x + dx, c->m_frame.origin.y + dy});
        }
    }
    if (frame.size != old.size) {
        if (m_contentView) m_contentView->SetFrameSize(ContentRect().size);
        resizeBacking();
    }
    if (dx != 0 || dy != 0) WindowDidMove();
    if (display) Display();
}

void Window::SetContentSize(Size s) {
    const Rect content(ContentRect().origin, s);
    SetFrame(FrameRectForContentRect(content, m_style), false);
}

void Window::Center() {
    const std::vector<Screen>& screens = App().Screens();
    if (screens.empty()) return;
    const Rect& area = screens[0].visibleFrame;
    const double x = area.MinX() + std::floor((area.size.width - m_frame.size.width) / 2);
    // A third of the free height stays above the window, two thirds below.
    const double y = area.MinY() + std::floor((area.size.height - m_frame.size.height) * 2 / 3);
    SetFrameOrigin(Point{x, y});
}

void Window::resizeBacking() {
    const Size s = ContentRect().size;
    m_backingWidth = int(std::lround(std::max(0.0, s.width)));
    m_backingHeight = int(std::lround(std::max(0.0, s.height)));
    m_backing.assign(size_t(m_backingWidth) * size_t(m_backingHeight), kWindowBackground);
    if (m_contentView) m_contentView->SetNeedsDisplay(true);
}

// ---------------------------------------------------------------------------------------------
// Order and key

void Window::SetLevel(int level) {
    if (level == m_level) return;
    m_level = level;
    if (IsVisible()) OrderFront();
}

void Window::OrderFront() {
    OrderWindow(kWindowAbove, 0);
}

void Window::OrderBack() {
    OrderWindow(kWindowBelow, 0);
}

void Window::OrderOut() {
    OrderWindow(kWindowOut, 0);
}

void Window::OrderWindow(WindowOrderingMode place, int otherWindowNumber) {
    Application& app = App();
    if (place == kWindowOut) {
        app.unorder(this);
        for (auto& child : m_children)
            child.first->OrderOut();
        if (app.KeyWindow() == this) app.pickKeyWindow();
        return;
    }
    m_miniaturized = false;
    app.order(this, place, app.WindowWithNumber(otherWindowNumber));
    orderChildren();
}

void Window::orderChildren() {
    for (auto& child : m_children) {
        App().order(child.first.get(), child.second, this);
        child.first->orderChildren();
    }
}

void Window::MakeKeyAndOrderFront() {
    OrderFront();
    MakeKeyWindow();
}

bool Window::IsVisible() const {
    for (Window* w : App().OrderedWindows())
        if (w == this) return true;
    return false;
}

void Window::Miniaturize() {
    OrderOut();
    m_miniaturized = true;
}

void Window::Deminiaturize() {
    if (m_miniaturized) OrderFront();
}

bool Window::IsKeyWindow() const {
    return App().KeyWindow() == this;
}

void Window::MakeKeyWindow() {
    if (!IsKeyWindow() && CanBecomeKeyWindow()) App().setKeyWindow(this);
}

// ---------------------------------------------------------------------------------------------
// Closing

void Window::PerformClose() {
    if (!(m_style & kClosableWindowMask)) {
        App().Beep();
        return;
    }
    if (WindowShouldClose()) Close();
}

void Window::Close() {
    Ref<Window> keep(this);
    OrderOut();
    if (m_parent) m_parent->RemoveChildWindow(this);
    for (auto& child : m_children)
        child.first->m_parent = nullptr;
    m_children.clear();
    App().removeWindow(this);
}

// ---------------------------------------------------------------------------------------------
// Content and responders

void Window::SetContentView(View* v) {
    if (v == m_contentView.get()) return;
    Ref<View> keep(v);
    if (v) {
        if (v->Superview()) v->RemoveFromSuperview();
        if (v->GetWindow() && v->GetWindow()->ContentView() == v)
            v->GetWindow()->SetContentView(nullptr);
    }
    if (m_contentView) {
        Ref<View> old = m_contentView;
        old->setWindow(nullptr);
        m_contentView = nullptr;
    }
    m_contentView = v;
    if (v) {
        v->SetFrame(Rect(Point(), ContentRect().size));
        v->setWindow(this);
        resizeBacking();
    }
}

bool Window::MakeFirstResponder(Responder* r) {
    if (r == m_firstResponder) return true;
    if (m_firstResponder != this && !m_firstResponder->ResignFirstResponder()) return false;
    m_firstResponder = this;
    if (!r || r == this) return true;
    if (!r->AcceptsFirstResponder() || !r->BecomeFirstResponder()) return false;
    // A responder may hand the focus on while it becomes first (a field to its editor).
    if (m_firstResponder == this) m_firstResponder = r;
    return true;
}

TextView* Window::FieldEditor(bool create) {
    if (!m_fieldEditor && create) {
        Ref<TextView> editor = Make<TextView>();
        editor->SetFieldEditor(true);
        m_fieldEditor = editor;
    }
    return static_cast<TextView*>(m_fieldEditor.get());
}

void Window::viewLeaving(View* v) {
    // The window must not keep pointers into a subtree that leaves it or hides.
    if (auto* fr = dynamic_cast<View*>(m_firstResponder); fr && fr->IsDescendantOf(v))
        m_firstResponder = this;
    if (m_mouseView && m_mouseView->IsDescendantOf(v)) m_mouseView = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Child windows

void Window::AddChildWindow(Window* child, WindowOrderingMode place) {
    if (!child || child == this || place == kWindowOut) return;
    if (child->m_parent) child->m_parent->RemoveChildWindow(child);
    child->m_parent = this;
    m_children.emplace_back(child, place);
    if (IsVisible()) orderChildren();
}

void Window::RemoveChildWindow(Window* child) {
    for (auto it = m_children.begin(); it != m_children.end(); ++it) {
        if (it->first.get() == child) {
            child->m_parent = nullptr;
            m_children.erase(it);
            return;
        }
    }
}

std::vector<Window*> Window::ChildWindows() const {
    std::vector<Window*> list;
    for (auto& child : m_children)
        list.push_back(child.first.get());
    return list;
}

// ---------------------------------------------------------------------------------------------
// Coordinates

Point Window::ConvertBaseToScreen(Point p) const {
    return Point{p.x + m_frame.origin.x, p.y + m_frame.origin.y};
}

Point Window::ConvertScreenToBase(Point p) const {
    return Point{p.x - m_frame.origin.x, p.y - m_frame.origin.y};
}

Point Window::basePixel(Point base) const {
    return Point{base.x, m_backingHeight - base.y};
}

// ---------------------------------------------------------------------------------------------
// Events

Window::TitleButton Window::titleButtonAt(Point base) const {
    const double content = ContentRect().size.height;
    if (!(m_style & kTitledWindowMask) || base.y <= content) return kNoButton;
    const double fromTop = m_frame.size.height - base.y;
    if (fromTop < kButtonTop || fromTop >= kButtonTop + kButtonSize) return kNoButton;
    const double column = (base.x - kFirstButtonLeft) / kButtonStep;
    if (column < 0 || base.x - kFirstButtonLeft - std::floor(column) * kButtonStep >= kButtonSize)
        return kNoButton;
    if (int(column) == 0 && (m_style & kClosableWindowMask)) return kCloseButton;
    if (int(column) == 1 && (m_style & kMiniaturizableWindowMask)) return kMiniaturizeButton;
    return kNoButton;
}

void Window::SendEvent(Event& e) {
    Ref<Window> keep(this);
    const Point at = e.locationInWindow;
    auto viewAt = [&]() -> View* {
        return m_contentView && at.y <= ContentRect().size.height ? m_contentView->HitTest(at)
                                                                  : nullptr;
    };
    switch (e.type) {
    case kLeftMouseDown: {
        const bool wasKey = IsKeyWindow();
        OrderFront();
        MakeKeyWindow();
        m_titleButton = titleButtonAt(at);
        Ref<View> hit = viewAt();
        if (!hit) return;
        if (hit.get() != m_firstResponder && hit->AcceptsFirstResponder())
            MakeFirstResponder(hit.get());
        if (!wasKey && !hit->AcceptsFirstMouse(e)) return;
        m_mouseView = hit;
        hit->MouseDown(e);
        return;
    }
    case kRightMouseDown:
    case kOtherMouseDown:
        m_mouseView = viewAt();
        if (m_mouseView) m_mouseView->Dispatch(e);
        return;
    case kLeftMouseUp:
        if (m_titleButton != kNoButton) {
            const TitleButton pressed = std::exchange(m_titleButton, kNoButton);
            if (titleButtonAt(at) == pressed) {
                if (pressed == kCloseButton)
                    PerformClose();
                else
                    Miniaturize();
            }
            return;
        }
        [[fallthrough]];
    case kRightMouseUp:
    case kOtherMouseUp:
        if (Ref<View> v = std::exchange(m_mouseView, nullptr)) v->Dispatch(e);
        return;
    case kLeftMouseDragged:
    case kRightMouseDragged:
    case kOtherMouseDragged:
        if (Ref<View> v = m_mouseView) v->Dispatch(e);
        return;
    case kMouseMoved:
        if (m_acceptsMouseMoved) m_firstResponder->MouseMoved(e);
        return;
    case kScrollWheel:
    case kMagnify:
    case kRotate:
    case kSwipe:
        if (Ref<View> v = viewAt()) v->Dispatch(e);
        return;
    default:
        if (e.type == kKeyDown && pressDefaultButton(e)) return;
        if (IsKeyEvent(e.type)) m_firstResponder->Dispatch(e);
        return;
    }
}

bool Window::pressDefaultButton(const Event& e) {
    const unsigned others = kCommandKeyMask | kControlKeyMask | kAlternateKeyMask;
    if ((e.keyCode != kKeyCodeReturn && e.keyCode != kKeyCodeEnter) || (e.modifierFlags & others))
        return false;
    Ref<Button> button(dynamic_cast<Button*>(m_defaultButton.get()));
    if (!button || !button->IsEnabled() || button->GetWindow() != this ||
        button->IsHiddenOrHasHiddenAncestor())
        return false;
    button->PerformClick();
    return true;
}

namespace {

// Text fields and editable text views in the order of the tree, shown and enabled.
void collectKeyViews(View* v, std::vector<View*>* out) {
    for (const Ref<View>& sub : v->Subviews()) {
        if (sub->IsHidden()) continue;
        auto* field = dynamic_cast<TextField*>(sub.get());
        auto* text = dynamic_cast<TextView*>(sub.get());
        if (field ? field->AcceptsFirstResponder() : text && !text->IsFieldEditor() && text->IsEditable())
            out->push_back(sub.get());
        else if (!field)
            collectKeyViews(sub.get(), out);
    }
}

} // namespace

void Window::SelectNextKeyView(View* from, bool forward) {
    std::vector<View*> order;
    if (m_contentView) collectKeyViews(m_contentView.get(), &order);
    if (order.empty()) return;
    const size_t n = order.size();
    const size_t at = size_t(std::find(order.begin(), order.end(), from) - order.begin());
    const size_t next = at == n ? (forward ? 0 : n - 1) : (forward ? at + 1 : at + n - 1) % n;
    MakeFirstResponder(order[next]);
}

// ---------------------------------------------------------------------------------------------
// Display

void Window::Display() {
    if (m_contentView) m_contentView->SetNeedsDisplay(true);
    DisplayIfNeeded();
}

void Window::collectDirty(const View* v, std::vector<Rect>* out) {
    if (v->IsHidden()) return;
    if (!v->m_dirty.IsEmpty()) {
        const Rect dirty = v->m_dirty.Intersection(v->VisibleRect());
        if (!dirty.IsEmpty()) out->push_back(v->ConvertRectToView(dirty, nullptr));
    }
    for (const Ref<View>& s : v->Subviews())
        collectDirty(s.get(), out);
}

void Window::DisplayIfNeeded() {
    if (!m_viewsNeedDisplay || !m_contentView) return;
    m_viewsNeedDisplay = false;
    Ref<Window> keep(this);
    std::vector<Rect> rects;
    collectDirty(m_contentView.get(), &rects);
    if (rects.empty()) return;
    for (const Rect& r : rects) {
        // The dirty area is cleared to the window's background before the views draw on it.
        const CanvasRect px =
            PixelsCovering(Rect(r.MinX(), m_backingHeight - r.MaxY(), r.size.width, r.size.height));
        for (int y = std::max(px.top, 0); y < std::min(px.bottom, m_backingHeight); ++y)
            for (int x = std::max(px.left, 0); x < std::min(px.right, m_backingWidth); ++x)
                m_backing[size_t(y) * size_t(m_backingWidth) + size_t(x)] = kWindowBackground;
    }
    m_drawRects = std::move(rects);
    Ref<View> content = m_contentView;
    content->DisplayRecursive();
    m_drawRects.clear();
    content->clearDirtyTree();
}

std::vector<Rect> Window::drawRectsIn(const View* v) const {
    std::vector<Rect> out;
    const Rect visible = v->VisibleRect();
    for (const Rect& r : m_drawRects) {
        const Rect local = v->ConvertRectFromView(r, nullptr).Intersection(visible);
        if (!local.IsEmpty()) out.push_back(local);
    }
    return out;
}

} // namespace platform::wsys
