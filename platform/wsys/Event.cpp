#include "platform/wsys/Event.h"

#include "platform/wsys/Application.h"
#include "platform/wsys/Window.h"

namespace platform::wsys {

bool IsMouseDown(int type) {
    return type == kLeftMouseDown || type == kRightMouseDown || type == kOtherMouseDown;
}

bool IsMouseUp(int type) {
    return type == kLeftMouseUp || type == kRightMouseUp || type == kOtherMouseUp;
}

bool IsMouseDragged(int type) {
    return type == kLeftMouseDragged || type == kRightMouseDragged || type == kOtherMouseDragged;
}

bool IsKeyEvent(int type) {
    return type == kKeyDown || type == kKeyUp || type == kFlagsChanged;
}

bool IsPointerEvent(int type) {
    return IsMouseDown(type) || IsMouseUp(type) || IsMouseDragged(type) || type == kMouseMoved ||
           type == kScrollWheel || type == kMagnify || type == kRotate || type == kSwipe;
}

Event::~Event() = default;

Ref<Event> Event::Make(int type) {
    Ref<Event> e = Ref<Event>::Adopt(new Event);
    e->type = type;
    return e;
}

namespace {
// The fields every made event has.
Ref<Event> located(int type, Point location, unsigned modifierFlags, double timestamp,
                   int windowNumber) {
    Ref<Event> e = Event::Make(type);
    e->locationInWindow = location;
    e->modifierFlags = modifierFlags;
    e->timestamp = timestamp;
    e->windowNumber = windowNumber;
    e->window = App().WindowWithNumber(windowNumber);
    return e;
}
} // namespace

Ref<Event> Event::MouseEvent(int type, Point location, unsigned modifierFlags, double timestamp,
                             int windowNumber, int eventNumber, int clickCount, float pressure) {
    Ref<Event> e = located(type, location, modifierFlags, timestamp, windowNumber);
    e->eventNumber = eventNumber;
    e->clickCount = clickCount;
    e->pressure = pressure;
    e->buttonNumber =
        type == kRightMouseDown || type == kRightMouseUp || type == kRightMouseDragged   ? 1
        : type == kOtherMouseDown || type == kOtherMouseUp || type == kOtherMouseDragged ? 2
                                                                                         : 0;
    return e;
}

Ref<Event> Event::KeyEvent(int type, Point location, unsigned modifierFlags, double timestamp,
                           int windowNumber, const std::u16string& characters,
                           const std::u16string& charactersIgnoringModifiers, bool isARepeat,
                           int keyCode) {
    Ref<Event> e = located(type, location, modifierFlags, timestamp, windowNumber);
    e->characters = characters;
    e->charactersIgnoringModifiers = charactersIgnoringModifiers;
    e->isARepeat = isARepeat;
    e->keyCode = keyCode;
    return e;
}

void Event::SetWindow(Window* w) {
    if (w == window.get()) return;
    Point screen = window ? window->ConvertBaseToScreen(locationInWindow) : locationInWindow;
    window = w;
    windowNumber = w ? w->WindowNumber() : 0;
    locationInWindow = w ? w->ConvertScreenToBase(screen) : screen;
}

} // namespace platform::wsys
