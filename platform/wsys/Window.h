#pragma once

#include "platform/wsys/Controls.h"
#include "platform/wsys/Geometry.h"
#include "platform/wsys/Responder.h"
#include "platform/wsys/View.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::wsys {

// Style mask bits, by AppKit's numbers; 0 is borderless.
enum WindowStyle : unsigned {
    kBorderlessWindowMask = 0,
    kTitledWindowMask = 1,
    kClosableWindowMask = 2,
    kMiniaturizableWindowMask = 4,
    kResizableWindowMask = 8,
};

// Window levels, by AppKit's numbers: higher levels stay in front.
enum WindowLevel : int {
    kNormalWindowLevel = 0,
    kFloatingWindowLevel = 3,
    kModalPanelWindowLevel = 8,
    kMainMenuWindowLevel = 24,
    kStatusWindowLevel = 25,
    kPopUpMenuWindowLevel = 101,
};

enum WindowOrderingMode : int { kWindowBelow = -1, kWindowOut = 0, kWindowAbove = 1 };

// Height of a titled window's title bar, above its content.
constexpr double kTitleBarHeight = 22;

// A top-level window: a frame on the screen (y up), a content view and a buffer of the
// content's pixels that display passes draw into. A new window is listed by the application
// and is off screen until ordered in; Close takes it off the screen and out of the list. The
// virtual operations are the hooks a subclass takes over (it acts as its own delegate).
class TextView;

class Window : public Responder {
public:
    // contentRect: the content area on the screen; the frame adds the title bar when titled.
    Window(const Rect& contentRect, unsigned styleMask);

    static Rect FrameRectForContentRect(const Rect& content, unsigned styleMask);
    static Rect ContentRectForFrameRect(const Rect& frame, unsigned styleMask);

    int WindowNumber() const { return m_number; }
    unsigned StyleMask() const { return m_style; }
    const Rect& Frame() const { return m_frame; }
    Rect ContentRect() const { return ContentRectForFrameRect(m_frame, m_style); }

    // Every frame change comes here; display redraws the window at once. Child windows move
    // along; WindowDidMove follows an origin change. Not held to the minimum and maximum size.
    virtual void SetFrame(const Rect& frame, bool display);
    void SetFrameOrigin(Point p) { SetFrame(Rect(p, m_frame.size), false); }
    void SetContentSize(Size s);
    // Centres the window a little above the middle of the main screen's visible area.
    void Center();
    virtual void WindowDidMove() {}
    // Sizes of the frame that user resizing would keep to; (0, 0) and (FLT_MAX, FLT_MAX)
    // until set.
    virtual Size MinSize() const { return m_minSize; }
    virtual Size MaxSize() const { return m_maxSize; }
    void SetMinSize(Size s) { m_minSize = s; }
    void SetMaxSize(Size s) { m_maxSize = s; }

    int Level() const { return m_level; }
    void SetLevel(int level);
    // Front or back of its level; OrderWindow places it directly above or below another
    // window (number 0: the front or back of its level) or takes it off the screen.
    void OrderFront();
    void OrderBack();
    void OrderOut();
    void OrderWindow(WindowOrderingMode place, int otherWindowNumber);
    void MakeKeyAndOrderFront();
    // On the screen (not ordered out, not miniaturized).
    bool IsVisible() const;
    void Miniaturize();
    void Deminiaturize();
    bool IsMiniaturized() const { return m_miniaturized; }

    bool IsKeyWindow() const;
    // Nothing when the window cannot become key; the old key window resigns first.
    void MakeKeyWindow();
    virtual bool CanBecomeKeyWindow() const { return true; }
    virtual void BecomeKeyWindow() {}
    virtual void ResignKeyWindow() {}

    // The close box: asks WindowShouldClose, then closes; a window without a close box beeps.
    void PerformClose();
    virtual bool WindowShouldClose() { return true; }
    // Off the screen and out of the application's list; child windows are ordered out and
    // let go.
    virtual void Close();

    View* ContentView() const { return m_contentView.get(); }
    // The view gets the content area's frame; the old content view leaves the window.
    void SetContentView(View* v);
    // A view of this window, or the window itself.
    Responder* FirstResponder() const { return m_firstResponder; }
    // Null makes the window the first responder. False when the old responder would not
    // resign or the new one would not accept (the window is then the first responder).
    bool MakeFirstResponder(Responder* r);
    // The window's shared field editor, made on the first call with create set.
    TextView* FieldEditor(bool create);
    // The button Return presses (a key down of Return or Enter without Command, Control or
    // Option, before the first responder sees it) while it is enabled and shown here.
    View* DefaultButton() const { return m_defaultButton.get(); }
    void SetDefaultButton(View* v) { m_defaultButton = v; }
    // The focus moves to the text field or editable text view after (or before) the view in
    // the order of the view tree, round at the ends.
    void SelectNextKeyView(View* from, bool forward);

    // Child windows move with their parent and stay directly above (or below) it.
    void AddChildWindow(Window* child, WindowOrderingMode place);
    void RemoveChildWindow(Window* child);
    Window* ParentWindow() const { return m_parent; }
    std::vector<Window*> ChildWindows() const;

    float AlphaValue() const { return m_alpha; }
    void SetAlphaValue(float a) { m_alpha = a; }
    bool HasShadow() const { return m_shadow; }
    void SetHasShadow(bool s) { m_shadow = s; }
    bool IsOpaque() const { return m_opaque; }
    void SetOpaque(bool on) { m_opaque = on; }
    // None: the standard window background.
    const std::optional<Color>& BackgroundColor() const { return m_background; }
    void SetBackgroundColor(const std::optional<Color>& c) { m_background = c; }
    // A window that ignores the mouse is never the window under the pointer.
    bool IgnoresMouseEvents() const { return m_ignoresMouse; }
    void SetIgnoresMouseEvents(bool on) { m_ignoresMouse = on; }
    bool IsExcludedFromWindowsMenu() const { return m_excludedFromMenu; }
    void SetExcludedFromWindowsMenu(bool on) { m_excludedFromMenu = on; }
    // The file the window shows (a path, empty for none), and whether it has unsaved changes.
    const std::string& RepresentedFilename() const { return m_representedFile; }
    void SetRepresentedFilename(const std::string& path) { m_representedFile = path; }
    bool IsDocumentEdited() const { return m_documentEdited; }
    void SetDocumentEdited(bool on) { m_documentEdited = on; }
    // UTF-8.
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& t) { m_title = t; }
    bool AcceptsMouseMovedEvents() const { return m_acceptsMouseMoved; }
    void SetAcceptsMouseMovedEvents(bool on) { m_acceptsMouseMoved = on; }
    // How the window takes part in spaces and window cycling (AppKit's bits).
    unsigned CollectionBehavior() const { return m_collectionBehavior; }
    void SetCollectionBehavior(unsigned behavior) { m_collectionBehavior = behavior; }

    // Base coordinates: y up from the bottom-left corner of the frame, which is that of the
    // content area.
    Point ConvertBaseToScreen(Point p) const;
    Point ConvertScreenToBase(Point p) const;

    // Delivers an event the application gave to this window: a left button down makes it key
    // and front and the view under the pointer first responder (when it accepts), then reaches
    // that view unless the window was not key and the view refuses the first mouse; drags and
    // the up go to the view that got the down; moves go to the first responder when the window
    // accepts them; wheel and gestures to the view under the pointer; keys to the first
    // responder. Clicks in the title bar work its close and miniaturize buttons.
    virtual void SendEvent(Event& e);

    // Draws every view now.
    void Display();
    // Views call it when they ask for display.
    void SetViewsNeedDisplay() { m_viewsNeedDisplay = true; }
    bool ViewsNeedDisplay() const { return m_viewsNeedDisplay; }
    // Puts the buffer on the screen. The buffer is what the screen shows here, so only the
    // number of flushes is kept.
    void FlushWindow() { ++m_flushes; }
    int FlushCount() const { return m_flushes; }
    // Draws what views asked for since the last pass.
    void DisplayIfNeeded();

    // The content's pixels, rows top to bottom (Canvas layout), ContentPixelWidth wide.
    const std::vector<uint32_t>& ContentPixels() const { return m_backing; }
    int ContentPixelWidth() const { return m_backingWidth; }
    int ContentPixelHeight() const { return m_backingHeight; }

protected:
    void Dealloc() override;

private:
    friend class View;
    friend class Application;
    enum TitleButton { kNoButton, kCloseButton, kMiniaturizeButton };
    void resizeBacking();
    void viewLeaving(View* v);
    void orderChildren();
    TitleButton titleButtonAt(Point base) const;
    std::vector<Rect> drawRectsIn(const View* v) const;
    static void collectDirty(const View* v, std::vector<Rect>* out);
    bool pressDefaultButton(const Event& e);
    Point basePixel(Point base) const;

    int m_number;
    unsigned m_style;
    Rect m_frame;
    Size m_minSize;
    Size m_maxSize;
    int m_level = kNormalWindowLevel;
    bool m_miniaturized = false;
    Ref<View> m_contentView;
    Responder* m_firstResponder;
    Ref<View> m_fieldEditor; // a TextView
    Ref<View> m_defaultButton;
    Window* m_parent = nullptr;
    std::vector<std::pair<Ref<Window>, WindowOrderingMode>> m_children;
    float m_alpha = 1;
    bool m_shadow = true;
    bool m_opaque = true;
    std::optional<Color> m_background;
    bool m_ignoresMouse = false;
    bool m_excludedFromMenu = false;
    std::string m_representedFile;
    bool m_documentEdited = false;
    std::string m_title;
    bool m_acceptsMouseMoved = false;
    unsigned m_collectionBehavior = 0;
    Ref<View> m_mouseView; // the view that got the button down being tracked
    TitleButton m_titleButton = kNoButton;
    bool m_viewsNeedDisplay = true;
    int m_flushes = 0;
    std::vector<Rect> m_drawRects; // base coordinates, during a display pass
    std::vector<uint32_t> m_backing;
    int m_backingWidth = 0;
    int m_backingHeight = 0;
};

// A panel: a window for auxiliary content. Only panels that work when modal take events
// while another window runs modal.
class Panel : public Window {
public:
    using Window::Window;
    bool WorksWhenModal() const { return m_worksWhenModal; }
    void SetWorksWhenModal(bool on) { m_worksWhenModal = on; }

private:
    bool m_worksWhenModal = false;
};

// Panels that show a view of their caller's beside their own controls (file, colour and
// font panels).
class AccessoryPanel {
public:
    virtual View* AccessoryView() const = 0;
    virtual void SetAccessoryView(View* v) = 0;

protected:
    ~AccessoryPanel() = default;
};

// Pixels of the window system's pictures and buffers: bytes in address order alpha (or
// unused), red, green, blue.
constexpr uint32_t MakePixel(int r, int g, int b, int a = 255) {
    return uint32_t(a & 255) | uint32_t(r & 255) << 8 | uint32_t(g & 255) << 16 |
           uint32_t(b & 255) << 24;
}

} // namespace platform::wsys
