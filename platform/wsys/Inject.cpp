#include "platform/wsys/Inject.h"

#include "platform/Clock.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/KeyLayout.h"
#include "platform/wsys/View.h"
#include "platform/wsys/Window.h"

namespace platform::wsys::inject {

namespace {

int g_eventNumber = 0;

double seconds() {
    return double(NowNanos()) / 1e9;
}

int pressedType(int button, int left, int right, int other) {
    return button == 0 ? left : button == 1 ? right : other;
}

Ref<Event> pointerEvent(int type, Point screen) {
    Ref<Event> e =
        Event::MouseEvent(type, screen, App().ModifierFlags(), seconds(), 0, ++g_eventNumber, 0, 0);
    return e;
}

void post(const Ref<Event>& e) {
    App().PostEvent(e);
}

} // namespace

Point ScreenPoint(const View* v, Point p) {
    const Point base = v->ConvertPointToView(p, nullptr);
    return v->GetWindow() ? v->GetWindow()->ConvertBaseToScreen(base) : base;
}

Point CenterOf(const View* v) {
    const Rect b = v->Bounds();
    return ScreenPoint(v, Point{b.origin.x + b.size.width / 2, b.origin.y + b.size.height / 2});
}

void MoveTo(Point screen) {
    Application& app = App();
    const Point from = app.MouseLocation();
    const unsigned buttons = app.PressedMouseButtons();
    const int type = buttons & 1   ? kLeftMouseDragged
                     : buttons & 2 ? kRightMouseDragged
                     : buttons     ? kOtherMouseDragged
                                   : kMouseMoved;
    const Point at = app.IsMouseAssociated() ? screen : from;
    Ref<Event> e = pointerEvent(type, at);
    e->deltaX = screen.x - from.x;
    e->deltaY = from.y - screen.y; // AppKit's mouse deltas run down
    e->buttonNumber = buttons & 1 ? 0 : buttons & 2 ? 1 : 2;
    app.SetLiveState(at, buttons, app.ModifierFlags());
    post(e);
}

void Down(Point screen, int button, int clickCount) {
    Application& app = App();
    app.SetLiveState(screen, app.PressedMouseButtons() | 1u << std::min(button, 2),
                     app.ModifierFlags());
    Ref<Event> e =
        pointerEvent(pressedType(button, kLeftMouseDown, kRightMouseDown, kOtherMouseDown), screen);
    e->clickCount = clickCount;
    e->buttonNumber = button;
    e->pressure = 1;
    post(e);
}

void Up(Point screen, int button, int clickCount) {
    Application& app = App();
    app.SetLiveState(screen, app.PressedMouseButtons() & ~(1u << std::min(button, 2)),
                     app.ModifierFlags());
    Ref<Event> e =
        pointerEvent(pressedType(button, kLeftMouseUp, kRightMouseUp, kOtherMouseUp), screen);
    e->clickCount = clickCount;
    e->buttonNumber = button;
    post(e);
}

void Click(Point screen, int button, int clickCount) {
    Down(screen, button, clickCount);
    Up(screen, button, clickCount);
}

void Drag(Point from, Point to, int steps, int button) {
    Down(from, button);
    for (int i = 1; i <= steps; ++i)
        MoveTo(Point{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
    Up(to, button);
}

void Wheel(Point screen, double deltaX, double deltaY) {
    Ref<Event> e = pointerEvent(kScrollWheel, screen);
    e->deltaX = deltaX;
    e->deltaY = deltaY;
    post(e);
}

void Magnify(Point screen, double magnification) {
    Ref<Event> e = pointerEvent(kMagnify, screen);
    e->magnification = magnification;
    post(e);
}

void Rotate(Point screen, double degrees) {
    Ref<Event> e = pointerEvent(kRotate, screen);
    e->rotation = degrees;
    post(e);
}

void Swipe(Point screen, double deltaX, double deltaY) {
    Ref<Event> e = pointerEvent(kSwipe, screen);
    e->deltaX = deltaX;
    e->deltaY = deltaY;
    post(e);
}

void SetModifiers(unsigned flags) {
    Application& app = App();
    app.SetLiveState(app.MouseLocation(), app.PressedMouseButtons(), flags);
    Ref<Event> e = Event::Make(kFlagsChanged);
    e->modifierFlags = flags;
    e->timestamp = seconds();
    post(e);
}

namespace {
void key(int type, int keyCode, unsigned extraFlags, bool isARepeat) {
    const unsigned flags = App().ModifierFlags() | extraFlags;
    char16_t c = KeyLayout::Translate(keyCode, flags);
    // Control turns a letter into its control character.
    if ((flags & kControlKeyMask) && ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
        c &= 0x1F;
    const char16_t plain =
        KeyLayout::Translate(keyCode, flags & (kShiftKeyMask | kAlphaShiftKeyMask));
    const std::u16string chars = c ? std::u16string(1, c) : std::u16string();
    const std::u16string ignoring = plain ? std::u16string(1, plain) : std::u16string();
    post(Event::KeyEvent(type, Point(), flags, seconds(), 0, chars, ignoring, isARepeat, keyCode));
}
} // namespace

void KeyDown(int keyCode, unsigned extraFlags, bool isARepeat) {
    key(kKeyDown, keyCode, extraFlags, isARepeat);
}

void KeyUp(int keyCode, unsigned extraFlags) {
    key(kKeyUp, keyCode, extraFlags, false);
}

void Key(int keyCode, unsigned extraFlags) {
    KeyDown(keyCode, extraFlags);
    KeyUp(keyCode, extraFlags);
}

void Type(const std::u16string& text) {
    for (char16_t c : text) {
        int code;
        unsigned flags;
        if (KeyLayout::KeyFor(c, &code, &flags)) Key(code, flags);
    }
}

void CloseBox(const Window* w) {
    // The middle of the first title-bar button.
    const Rect f = w->Frame();
    Click(Point{f.MinX() + 14, f.MaxY() - 11});
}

} // namespace platform::wsys::inject
