#pragma once

#include <X11/Xlib.h>

namespace platform::x11 {

// A display connection for the calling thread alone. Inside a host, XInitThreads may come too
// late, so no connection is shared between threads and our opens and closes take turns.
// X errors on our connections are counted, never fatal, and a lost connection ends nothing but
// its own use; errors on the host's connections go on to the handlers installed before ours.
// Null when no display answers.
Display* OpenDisplay();
void CloseDisplay(Display* display);

// Protocol errors seen on the display since the last call; XSync first to have them all.
int TakeErrors(Display* display);
// The connection was lost: no further call on it may wait for the server.
bool IsLost(Display* display);

} // namespace platform::x11
