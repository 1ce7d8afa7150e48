#pragma once

#include "platform/Canvas.h"
#include "platform/wsys/Accessibility.h"
#include "platform/wsys/Geometry.h"
#include "platform/wsys/Responder.h"

#include <vector>

namespace platform::wsys {

class Window;

// Whole pixels covering a rectangle of drawing coordinates (edges rounded outward).
CanvasRect PixelsCovering(const Rect& r);

// A rectangle of a window's content, with subviews. The frame is in the superview's
// coordinates (for a content view, the window's base coordinates, y up); the bounds have the
// frame's size and their own origin. Views run on the UI thread.
//
// Drawing: Draw gets the rectangle to draw in the view's own coordinates, and the current
// canvas (GraphicsContext::Current) has its origin and clip set for the view. The canvas is
// always y down in whole pixels: for a flipped view, canvas point (x, y) is view point (x, y);
// for a view that is not flipped, canvas x is view x and canvas y counts down from the top
// edge of the bounds (y = bounds top - view y). So a view that is not flipped gets its
// rectangles converted but its drawing is not mirrored; ToDrawing converts a rectangle.
// Bounds have no scale: the bounds size is the frame size.
class View : public Responder, public AccessibilityElement {
public:
    explicit View(const Rect& frame = Rect());

    const Rect& Frame() const { return m_frame; }
    // As AppKit's: SetFrame moves (SetFrameOrigin) and sizes (SetFrameSize); a window resizes
    // its content view through SetFrameSize alone, so overrides of SetFrame see only the
    // changes callers ask for.
    virtual void SetFrame(const Rect& frame);
    void SetFrameOrigin(Point p);
    virtual void SetFrameSize(Size s);
    Rect Bounds() const { return Rect(m_boundsOrigin, m_frame.size); }
    void SetBoundsOrigin(Point p);

    virtual bool IsFlipped() const { return false; }
    virtual bool IsOpaque() const { return false; }
    // -1 until a subclass keeps a tag.
    virtual int Tag() const { return -1; }

    bool IsHidden() const { return m_hidden; }
    void SetHidden(bool hidden);
    bool IsHiddenOrHasHiddenAncestor() const;

    View* Superview() const { return m_superview; }
    Window* GetWindow() const { return m_window; }
    // Back to front.
    const std::vector<Ref<View>>& Subviews() const { return m_subviews; }
    void AddSubview(View* v) { AddSubview(v, kAbove, nullptr); }
    enum Place { kBelow = -1, kAbove = 1 };
    // Above or below a sibling; with none, above or below all. A view that has a superview or
    // is a window's content view leaves it first.
    void AddSubview(View* v, Place place, View* relativeTo);
    void RemoveFromSuperview();
    // The same, without asking the superview to redraw the area the view leaves.
    void RemoveFromSuperviewWithoutNeedingDisplay();
    // True for the view itself too.
    bool IsDescendantOf(const View* v) const;

    // Hooks: after a subview arrived, before one leaves, after this view (or an ancestor)
    // changed windows, after it changed superviews, after it or an ancestor was hidden or shown.
    virtual void DidAddSubview(View*) {}
    virtual void WillRemoveSubview(View*) {}
    virtual void ViewDidMoveToWindow() {}
    virtual void ViewDidMoveToSuperview() {}
    virtual void ViewDidHide() {}
    virtual void ViewDidUnhide() {}

    // Between this view's coordinates and another view's; null stands for the window's base
    // coordinates (for a view without window, the coordinates its topmost ancestor's frame is
    // given in).
    Point ConvertPointToView(Point p, const View* to) const;
    Point ConvertPointFromView(Point p, const View* from) const;
    Rect ConvertRectToView(const Rect& r, const View* to) const;
    Rect ConvertRectFromView(const Rect& r, const View* from) const;

    // The deepest visible view under a point given in the superview's coordinates; null when
    // the point is outside this view or it is hidden.
    virtual View* HitTest(Point p);
    virtual bool AcceptsFirstMouse(Event&) { return false; }

    Responder* NextResponder() const override;

    // Display: the area asked for since the last display pass, in own coordinates.
    bool NeedsDisplay() const { return !m_dirty.IsEmpty(); }
    virtual void SetNeedsDisplay(bool flag);
    virtual void SetNeedsDisplayInRect(const Rect& r);
    // The part of the bounds that no ancestor cuts off.
    Rect VisibleRect() const;
    // Draws the view's own content into the current canvas.
    virtual void Draw(const Rect&) {}
    // The recursive display entry of a display pass: draws this view where the pass's
    // rectangles cross it, then each visible subview's entry, back to front. A subclass may
    // take it over and paint its tree itself.
    virtual void DisplayRecursive();
    // The pass's rectangles that cross this view, in its coordinates (empty outside a pass).
    std::vector<Rect> GetRectsBeingDrawn() const;
    // Draws r of this view and its subviews now, whether or not they need display.
    void DisplayRectIgnoringOpacity(const Rect& r);

    // In a window and not hidden.
    bool CanDraw() const;
    // Makes a canvas over the window's content current, set for this view (origin, clip to the
    // visible rectangle, and to the pass's rectangles during a pass); null without a window.
    // Each successful call is paired with UnlockFocus.
    Canvas* LockFocus();
    Canvas* LockFocusIfCanDraw() { return CanDraw() ? LockFocus() : nullptr; }
    void UnlockFocus();
    // A rectangle of own coordinates in canvas coordinates.
    Rect ToDrawing(const Rect& r) const;

    // Accessibility as a plain view gives it: ignored, its subviews as children (visible ones
    // as visible children), the nearest unignored view under a point, itself as the focus.
    Object* AccessibilityHitTest(Point screen) override;
    Object* AccessibilityFocusedUIElement() override { return this; }
    bool AccessibilityIsIgnored() override { return true; }
    Ref<Object> AccessibilityAttributeValue(const std::string& attribute) override;

protected:
    void Dealloc() override;

private:
    friend class Window;
    Point toSuperview(Point p) const;
    Point fromSuperview(Point p) const;
    Point toRoot(Point p) const;
    Point fromRoot(Point p) const;
    const View* root() const;
    void setWindow(Window* w);
    void notifyHidden(bool hidden);
    void clearDirtyTree();
    void markAreaInSuperview(const Rect& frame);
    void changeFrame(const Rect& frame);
    void removeFromSuperview(bool markArea);

    Rect m_frame;
    Point m_boundsOrigin;
    bool m_hidden = false;
    View* m_superview = nullptr;
    Window* m_window = nullptr;
    std::vector<Ref<View>> m_subviews;
    Rect m_dirty;
};

// The canvas that drawing goes to: the innermost LockFocus; null outside one.
class GraphicsContext {
public:
    static Canvas* Current();
    // Ends the focus whose canvas this is, wherever it sits among the open ones (foci may be
    // ended out of order); nothing for any other canvas.
    static void EndFocus(const Canvas* canvas);
};

} // namespace platform::wsys
