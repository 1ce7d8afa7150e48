#pragma once

#include "platform/wsys/Geometry.h"

#include <string>

namespace platform::wsys {

class View;
class Window;

// Input for tests, as a person at the screen would give it. Each call queues its events (in
// screen coordinates, y up; the application finds their window when it sends them) and
// updates the live pointer, button and modifier state at once, as the hardware would. Run
// a loop, or DispatchPendingEvents, to deliver them. UI thread.
namespace inject {

// The screen point of a point in a view's own coordinates.
Point ScreenPoint(const View* v, Point p);
// The screen point of a view's centre.
Point CenterOf(const View* v);

// A move: mouse moved, or dragged while a button is down. While the pointer does not follow
// the mouse (AssociateMouseAndCursor(false)) only the event's deltas change.
void MoveTo(Point screen);
// Buttons: 0 left, 1 right, 2 other.
void Down(Point screen, int button = 0, int clickCount = 1);
void Up(Point screen, int button = 0, int clickCount = 1);
void Click(Point screen, int button = 0, int clickCount = 1);
// Down at from, steps moves ending at to, up there.
void Drag(Point from, Point to, int steps = 4, int button = 0);
void Wheel(Point screen, double deltaX, double deltaY);
void Magnify(Point screen, double magnification);
void Rotate(Point screen, double degrees);
void Swipe(Point screen, double deltaX, double deltaY);
// Modifier keys held from now on (a flags-changed event).
void SetModifiers(unsigned flags);
// A key of the layout with the modifier flags held now plus extra.
void KeyDown(int keyCode, unsigned extraFlags = 0, bool isARepeat = false);
void KeyUp(int keyCode, unsigned extraFlags = 0);
void Key(int keyCode, unsigned extraFlags = 0);
// Presses and releases the key of each character (Shift added where the layout needs it);
// characters the layout lacks are skipped.
void Type(const std::u16string& text);
// A click on a window's close box.
void CloseBox(const Window* w);

} // namespace inject
} // namespace platform::wsys
