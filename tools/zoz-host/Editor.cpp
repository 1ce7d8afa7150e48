#include "tools/zoz-host/Editor.h"

#include "tools/zoz-host/VstHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>

namespace {

// What the plug-in's headless editor writes its picture to at close.
constexpr const char* kPictureFileVariable = "ZOZ_EDITOR_PNG";
constexpr auto kIdlePeriod = std::chrono::milliseconds(40);

bool editorSize(VstHost& host, int* width, int* height) {
    ERect* rect = nullptr;
    if (!host.Dispatch(effEditGetRect, 0, 0, &rect) || !rect) return false;
    *width = rect->right - rect->left;
    *height = rect->bottom - rect->top;
    return *width > 0 && *height > 0;
}

} // namespace

bool ShowEditor(VstHost& host, double seconds) {
    int width = 0, height = 0;
    if (!editorSize(host, &width, &height)) {
        printf("host: the plug-in has no editor\n");
        return false;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        printf("host: no display for the editor\n");
        return false;
    }
    char name[256] = "zoz-host";
    host.Dispatch(effGetEffectName, 0, 0, name);
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0,
                                              unsigned(width), unsigned(height), 0, 0, 0);
    XStoreName(display, window, name);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XMapWindow(display, window);
    XSync(display, False);
    const bool opened = host.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(window)) != 0;
    printf("host: editor %s in window 0x%lx (%d x %d)\n", opened ? "open" : "REFUSED", window,
           width, height);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    bool closedByUser = false;
    while (opened && !closedByUser && (seconds <= 0 || std::chrono::steady_clock::now() < end)) {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            closedByUser = closedByUser ||
                           (e.type == ClientMessage && Atom(e.xclient.data.l[0]) == deleteWindow);
        }
        host.Dispatch(effEditIdle);
        std::this_thread::sleep_for(kIdlePeriod);
    }
    if (opened) host.Dispatch(effEditClose);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    printf("host: editor closed\n");
    return opened;
}

bool RenderEditor(VstHost& host, const std::string& file) {
    int width = 0, height = 0;
    if (!editorSize(host, &width, &height)) {
        printf("host: the plug-in has no editor\n");
        return false;
    }
    remove(file.c_str());
    setenv(kPictureFileVariable, file.c_str(), 1);
    const bool opened = host.Dispatch(effEditOpen, 0, 0, nullptr) != 0;
    if (opened) {
        host.Dispatch(effEditIdle);
        host.Dispatch(effEditClose);
    }
    unsetenv(kPictureFileVariable);
    struct stat st;
    const bool written = opened && stat(file.c_str(), &st) == 0 && st.st_size > 0;
    printf("host: editor picture of %d x %d %s %s\n", width, height,
           written ? "written to" : "NOT written to", file.c_str());
    return written;
}
