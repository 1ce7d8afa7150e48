#include "platform/view/X11Connection.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

namespace platform::x11 {
namespace {

struct Connection {
    int errors = 0;
    bool lost = false;
};

std::mutex& registryMutex() {
    static std::mutex m;
    return m;
}

// Our opens and closes take turns; apart from the registry's, so that the handlers, which Xlib
// may call during a close, can look the connection up.
std::mutex& openCloseMutex() {
    static std::mutex m;
    return m;
}

// Our connections. Never freed, so that a handler running at exit finds it.
std::map<Display*, Connection>& registry() {
    static auto* r = new std::map<Display*, Connection>;
    return *r;
}

XErrorHandler previousErrorHandler = nullptr;
XIOErrorHandler previousIOErrorHandler = nullptr;

// Runs f on our record of the display; false when the display is not ours.
template <class F> bool withConnection(Display* display, F f) {
    std::lock_guard<std::mutex> lock(registryMutex());
    auto found = registry().find(display);
    if (found == registry().end()) return false;
    f(found->second);
    return true;
}

int onError(Display* display, XErrorEvent* event) {
    if (withConnection(display, [](Connection& c) { ++c.errors; })) return 0;
    return previousErrorHandler ? previousErrorHandler(display, event) : 0;
}

int onIOError(Display* display) {
    if (withConnection(display, [](Connection& c) { c.lost = true; })) return 0;
    return previousIOErrorHandler ? previousIOErrorHandler(display) : 0;
}

// Replaces Xlib's exit for our connections: the editor thread sees the loss and ends.
void onIOErrorExit(Display* display, void*) {
    withConnection(display, [](Connection& c) { c.lost = true; });
}

Display* openOnce() {
    std::lock_guard<std::mutex> lock(openCloseMutex());
    // Installed once and kept: a host may install its own later, which then sees ours as the
    // previous one.
    static const bool installed = [] {
        previousErrorHandler = XSetErrorHandler(onError);
        previousIOErrorHandler = XSetIOErrorHandler(onIOError);
        return true;
    }();
    (void)installed;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return nullptr;
    XSetIOErrorExitHandler(display, onIOErrorExit, nullptr);
    std::lock_guard<std::mutex> registered(registryMutex());
    registry()[display] = Connection();
    return display;
}

} // namespace

// A server starved of time, or flooded with connections, may drop or refuse a new one for a
// moment: that is no reason for an editor or a dialog to go without a window. While a display
// is named the open is tried again for two seconds.
Display* OpenDisplay() {
    constexpr int kTries = 40;
    constexpr auto kPause = std::chrono::milliseconds(50);
    const char* named = getenv("DISPLAY");
    const int tries = named && *named ? kTries : 1;
    for (int tried = 1;; ++tried) {
        if (Display* display = openOnce()) return display;
        if (tried == tries) return nullptr;
        std::this_thread::sleep_for(kPause);
    }
}

void CloseDisplay(Display* display) {
    if (!display) return;
    std::lock_guard<std::mutex> lock(openCloseMutex());
    XCloseDisplay(display);
    std::lock_guard<std::mutex> registered(registryMutex());
    registry().erase(display);
}

int TakeErrors(Display* display) {
    int errors = 0;
    withConnection(display, [&](Connection& c) {
        errors = c.errors;
        c.errors = 0;
    });
    return errors;
}

bool IsLost(Display* display) {
    bool lost = false;
    withConnection(display, [&](Connection& c) { lost = c.lost; });
    return lost;
}

} // namespace platform::x11
