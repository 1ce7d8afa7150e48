#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A host's top-level window on the display of $DISPLAY, made on the test's own connection.
class XHostWindow {
public:
    XHostWindow(int width, int height, const char* title = "zoz test host");
    ~XHostWindow();
    XHostWindow(const XHostWindow&) = delete;
    XHostWindow& operator=(const XHostWindow&) = delete;

    // False when no display answers (the test then skips).
    bool Ok() const { return m_window != 0; }
    Display* display() const { return m_display; }
    Window window() const { return m_window; }
    void Destroy();
    // What the screen shows of a window's rectangle, as pixel words whose bytes are, in memory
    // order, 0, red, green and blue.
    std::vector<uint32_t> Capture(Window window, int x, int y, int width, int height);

private:
    Display* m_display = nullptr;
    Window m_window = 0;
};

// Our menus on the display: its viewable override-redirect windows, counted with the server
// held, so that none goes between its listing and its reading (an error that ends the program).
int OpenMenus(Display* display);

// Polls every 10 ms until ready() or timeoutMs passed; the last answer of ready().
bool WaitUntil(const std::function<bool()>& ready, int timeoutMs = 5000);

// Runs xdotool with the arguments; its exit status (what it printed in output, if given).
int Xdotool(const std::vector<std::string>& args, std::string* output = nullptr);

} // namespace testsupport
