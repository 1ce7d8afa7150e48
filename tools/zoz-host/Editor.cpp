#include "tools/zoz-host/Editor.h"

#include "tools/zoz-host/VstHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace {

// What the plug-in's headless editor writes its picture to at close.
constexpr const char* kPictureFileVariable = "ZOZ_EDITOR_PNG";

bool editorSize(VstHost& host, int* width, int* height) {
    ERect* rect = nullptr;
    if (!host.Dispatch(effEditGetRect, 0, 0, &rect) || !rect) return false;
    *width = rect->right - rect->left;
    *height = rect->bottom - rect->top;
    return *width > 0 && *height > 0;
}

} // namespace

bool EditorWindow::Open() {
    if (m_opened) return true;
    int width = 0, height = 0;
    if (!editorSize(m_host, &width, &height)) {
        printf("host: the plug-in has no editor\n");
        return false;
    }
    m_display = XOpenDisplay(nullptr);
    if (!m_display) {
        printf("host: no display for the editor\n");
        return false;
    }
    char name[256] = "zoz-host";
    m_host.Dispatch(effGetEffectName, 0, 0, name);
    m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, unsigned(width),
                                   unsigned(height), 0, 0, 0);
    XStoreName(m_display, m_window, name);
    Atom deleteWindow = XInternAtom(m_display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(m_display, m_window, &deleteWindow, 1);
    m_deleteWindow = deleteWindow;
    XMapWindow(m_display, m_window);
    XSync(m_display, False);
    m_opened = m_host.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(m_window)) != 0;
    printf("host: editor %s in window 0x%lx (%d x %d)\n", m_opened ? "open" : "REFUSED", m_window,
           width, height);
    if (!m_opened) Close();
    return m_opened;
}

bool EditorWindow::Idle() {
    if (!m_opened) return false;
    bool closedByUser = false;
    while (XPending(m_display)) {
        XEvent e;
        XNextEvent(m_display, &e);
        closedByUser = closedByUser ||
                       (e.type == ClientMessage && Atom(e.xclient.data.l[0]) == m_deleteWindow);
    }
    if (closedByUser) {
        Close();
        return false;
    }
    m_host.Dispatch(effEditIdle);
    return true;
}

void EditorWindow::Close() {
    if (!m_display) return;
    if (m_opened) m_host.Dispatch(effEditClose);
    XDestroyWindow(m_display, m_window);
    XCloseDisplay(m_display);
    m_display = nullptr;
    if (m_opened) printf("host: editor closed\n");
    m_opened = false;
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
