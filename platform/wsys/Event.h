#pragma once

#include "platform/wsys/Geometry.h"
#include "platform/wsys/Object.h"

#include <cstdint>
#include <string>

namespace platform::wsys {

class Window;

// Event types, by AppKit's numbers.
enum EventType : int {
    kLeftMouseDown = 1,
    kLeftMouseUp = 2,
    kRightMouseDown = 3,
    kRightMouseUp = 4,
    kMouseMoved = 5,
    kLeftMouseDragged = 6,
    kRightMouseDragged = 7,
    kKeyDown = 10,
    kKeyUp = 11,
    kFlagsChanged = 12,
    kApplicationDefined = 15,
    kRotate = 18,
    kScrollWheel = 22,
    kOtherMouseDown = 25,
    kOtherMouseUp = 26,
    kOtherMouseDragged = 27,
    kMagnify = 30,
    kSwipe = 31,
};

// Modifier flag bits, by AppKit's numbers.
enum ModifierFlag : unsigned {
    kAlphaShiftKeyMask = 1u << 16,
    kShiftKeyMask = 1u << 17,
    kControlKeyMask = 1u << 18,
    kAlternateKeyMask = 1u << 19, // Option
    kCommandKeyMask = 1u << 20,
    kNumericPadKeyMask = 1u << 21,
    kFunctionKeyMask = 1u << 23,
    kDeviceIndependentModifierFlagsMask = 0xFFFF0000u,
};

bool IsMouseDown(int type);
bool IsMouseUp(int type);
bool IsMouseDragged(int type);
bool IsKeyEvent(int type); // key down, key up, flags changed
// Mouse, wheel and gesture events: they carry a location.
bool IsPointerEvent(int type);

// One input event. Events are made by the injection calls (tests), or by code that
// re-sends an event elsewhere (MouseEvent, KeyEvent). Location: in the base coordinates of
// the event's window, or in screen coordinates while it has none; the application sets the
// window when it dispatches the event. A plain record: fields are read and written directly.
class Event : public Object {
public:
    // A mouse event at a location in the base coordinates of the window numbered windowNumber
    // (0: no window, the location is then on the screen).
    static Ref<Event> MouseEvent(int type, Point location, unsigned modifierFlags, double timestamp,
                                 int windowNumber, int eventNumber, int clickCount, float pressure);
    static Ref<Event> KeyEvent(int type, Point location, unsigned modifierFlags, double timestamp,
                               int windowNumber, const std::u16string& characters,
                               const std::u16string& charactersIgnoringModifiers, bool isARepeat,
                               int keyCode);
    // Any other event; fields are set by the caller.
    static Ref<Event> Make(int type);

    // Gives the event to a window: the location moves from the screen (no window yet) or from
    // the previous window's base into the new window's base.
    void SetWindow(Window* w);

    int type = 0;
    Ref<Window> window;
    int windowNumber = 0;
    Point locationInWindow;
    unsigned modifierFlags = 0;
    double timestamp = 0; // seconds of the platform clock
    int eventNumber = 0;
    int clickCount = 0;
    float pressure = 0;
    int buttonNumber = 0; // 0 left, 1 right, 2 and up other buttons
    double deltaX = 0, deltaY = 0;
    double magnification = 0;
    double rotation = 0; // degrees, counter-clockwise positive
    int keyCode = 0;
    std::u16string characters;
    std::u16string charactersIgnoringModifiers; // Shift still applies
    bool isARepeat = false;

private:
    Event() = default;
    ~Event() override;
};

} // namespace platform::wsys
