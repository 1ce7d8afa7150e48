#pragma once

#include "platform/view/View.h"

#include <X11/Xlib.h>

namespace platform::x11 {

// Tells double clicks: a left press within 400 ms and 4 pixels of the one before is the
// second click of a double click; right presses are always single and end a run.
class ClickCounter {
public:
    int Press(int button, Time time, int x, int y);

private:
    bool m_pending = false; // a single left click that a second may follow
    Time m_time = 0;
    int m_x = 0, m_y = 0;
};

// The view event of an X input event on one of our windows; false for events that carry no
// input for the editor (the middle button, horizontal wheels, releases of wheel buttons …).
bool TranslateXEvent(XEvent& event, int window, ClickCounter& clicks, ViewEvent* out);

} // namespace platform::x11
