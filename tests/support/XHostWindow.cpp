#include "tests/support/XHostWindow.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/Services.h"

#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace testsupport {

XHostWindow::XHostWindow(int width, int height, const char* title) {
    m_display = XOpenDisplay(nullptr);
    if (!m_display) {
        Lacking("display", "no X display (scripts/test starts Xvfb)");
        return;
    }
    m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, unsigned(width),
                                   unsigned(height), 0, 0, 0x404040);
    XStoreName(m_display, m_window, title);
    XSelectInput(m_display, m_window, StructureNotifyMask | KeyPressMask);
    XMapWindow(m_display, m_window);
    for (XEvent e;;) {
        XNextEvent(m_display, &e);
        if (e.type == MapNotify) break;
    }
}

XHostWindow::~XHostWindow() {
    if (!m_display) return;
    Destroy();
    XCloseDisplay(m_display);
}

void XHostWindow::Destroy() {
    if (!m_window) return;
    XDestroyWindow(m_display, m_window);
    XSync(m_display, False);
    m_window = 0;
}

std::vector<uint32_t> XHostWindow::Capture(Window window, int x, int y, int width, int height) {
    std::vector<uint32_t> pixels;
    XImage* image =
        XGetImage(m_display, window, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col) {
            const unsigned long p = XGetPixel(image, col, row);
            const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            pixels.push_back(r << 8 | g << 16 | b << 24);
        }
    XDestroyImage(image);
    return pixels;
}

bool WaitUntil(const std::function<bool()>& ready, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= end) return ready();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int Xdotool(const std::vector<std::string>& args, std::string* output) {
    std::vector<std::string> argv{"/usr/bin/xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string printed;
    return RunProgram(argv, output ? output : &printed, 10000);
}

int OpenMenus(Display* display) {
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    XGrabServer(display);
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &n);
    int open = 0;
    XWindowAttributes a;
    for (unsigned i = 0; i < n; ++i)
        open += XGetWindowAttributes(display, children[i], &a) && a.override_redirect &&
                a.map_state == IsViewable;
    XUngrabServer(display);
    XSync(display, False);
    if (children) XFree(children);
    return open;
}

} // namespace testsupport
