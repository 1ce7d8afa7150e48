#include "platform/view/X11View.h"

#include "platform/Clock.h"
#include "platform/view/X11Connection.h"
#include "platform/view/X11Image.h"
#include "platform/view/X11Input.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace platform {

using x11::WindowImage;

struct X11View::Surface {
    int number = 0;
    ::Window window = 0;
    GC gc = nullptr;
    std::unique_ptr<WindowImage> image;
    ViewRect exposed; // gathered until the last Expose of a run
    x11::ClickCounter clicks;
};

namespace {

constexpr long kInputMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            KeyPressMask | FocusChangeMask | StructureNotifyMask;
// How long a popup waits for the pointer and keyboard that another client holds.
constexpr int64_t kGrabWaitMs = 2000;

} // namespace

std::unique_ptr<X11View> X11View::Open(ViewClient& client, unsigned long parent, int width,
                                       int height, const ViewOptions& options) {
    if (!parent || width <= 0 || height <= 0) return nullptr;
    ViewOptions chosen = options;
    if (const char* shm = getenv("ZOZ_X11_SHARED_MEMORY")) chosen.sharedMemory = strcmp(shm, "0");
    std::unique_ptr<X11View> view(new X11View(client, parent, width, height, chosen));
    if (view->m_wake[0] < 0) return nullptr;
    std::promise<bool> ready;
    std::future<bool> made = ready.get_future();
    view->m_thread = std::thread(&X11View::run, view.get(), &ready);
    if (made.get()) return view;
    view->m_thread.join();
    return nullptr;
}

std::unique_ptr<View> OpenX11View(ViewClient& client, unsigned long parent, int width, int height,
                                  const ViewOptions& options) {
    return X11View::Open(client, parent, width, height, options);
}

X11View::X11View(ViewClient& client, unsigned long parent, int width, int height,
                 const ViewOptions& options)
    : m_client(client), m_parent(parent), m_width(width), m_height(height), m_options(options) {
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) m_wake[0] = m_wake[1] = -1;
}

X11View::~X11View() {
    Close();
    for (int fd : m_wake)
        if (fd >= 0) close(fd);
}

void X11View::Close() {
    m_stop = true;
    wake();
    // The editor thread cannot wait for itself: it ends when its loops see the stop.
    if (m_thread.joinable() && !OnEditorThread()) m_thread.join();
}

void X11View::Post(std::function<void()> task) {
    if (OnEditorThread()) {
        task();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_postMutex);
        m_posted.push_back(std::move(task));
    }
    wake();
}

bool X11View::OnEditorThread() const {
    return m_threadId.load() == std::this_thread::get_id();
}

void X11View::wake() {
    if (m_wake[1] < 0) return;
    const char byte = 0;
    (void)!write(m_wake[1], &byte, 1);
}

void X11View::runPosted() {
    char drain[64];
    while (read(m_wake[0], drain, sizeof drain) > 0) {
    }
    std::vector<std::function<void()>> tasks;
    {
        std::lock_guard<std::mutex> lock(m_postMutex);
        tasks.swap(m_posted);
    }
    for (auto& task : tasks)
        task();
}

// ---- The editor thread

void X11View::run(std::promise<bool>* ready) {
    m_threadId = std::this_thread::get_id();
    const bool made = setUp();
    ready->set_value(made);
    if (made) pump(nullptr);
    tearDown();
}

bool X11View::setUp() {
    m_display = x11::OpenDisplay();
    if (!m_display) return false;
    XWindowAttributes parent;
    if (!XGetWindowAttributes(m_display, m_parent, &parent) || parent.depth == 0) return false;
    // The host's visual, so the window may sit in any parent.
    XSetWindowAttributes a = {};
    a.colormap = parent.colormap;
    a.border_pixel = 0;
    a.background_pixmap = None;
    a.event_mask = kInputMask;
    auto surface = std::make_unique<Surface>();
    surface->window = XCreateWindow(m_display, m_parent, 0, 0, unsigned(m_width),
                                    unsigned(m_height), 0, parent.depth, InputOutput, parent.visual,
                                    CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &a);
    XSync(m_display, False);
    if (x11::TakeErrors(m_display) || !surface->window) return false;
    surface->gc = XCreateGC(m_display, surface->window, 0, nullptr);
    surface->image = std::make_unique<WindowImage>(m_display, parent.visual, parent.depth,
                                                   m_options.sharedMemory);
    if (!surface->image->Resize(m_width, m_height)) return false;
    m_windowId = surface->window;
    m_sharedMemory = surface->image->SharedMemory();
    XMapWindow(m_display, surface->window);
    XFlush(m_display);
    m_surfaces[0] = std::move(surface);
    return true;
}

void X11View::tearDown() {
    if (!m_display) return;
    if (!x11::IsLost(m_display)) {
        for (auto it = m_surfaces.rbegin(); it != m_surfaces.rend(); ++it) {
            Surface& s = *it->second;
            s.image.reset();
            if (s.gc) XFreeGC(m_display, s.gc);
            if (s.window && !(s.number == 0 && m_windowGone)) XDestroyWindow(m_display, s.window);
        }
        if (m_grabbing) releaseGrabs();
        if (m_blankCursor) XFreeCursor(m_display, m_blankCursor);
        XSync(m_display, False);
    }
    m_surfaces.clear();
    x11::CloseDisplay(m_display);
    m_display = nullptr;
}

bool X11View::pump(const std::function<bool()>& done) {
    const int64_t period = 1000 / (m_options.fps > 0 ? m_options.fps : 25);
    while (!m_stop && !x11::IsLost(m_display)) {
        if (done && done()) return true;
        runPosted();
        if (m_grabbing) takeGrabs();
        while (!m_stop && XPending(m_display) > 0 && !x11::IsLost(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            handle(event);
            if (done && done()) return true;
        }
        const int64_t now = NowMillis();
        if (now >= m_nextTick) {
            // A late tick is not made up for.
            m_nextTick = (now - m_nextTick > period) ? now + period : m_nextTick + period;
            m_client.OnViewTick(*this);
            continue;
        }
        XFlush(m_display);
        pollfd fds[2] = {{ConnectionNumber(m_display), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        poll(fds, 2, int(m_nextTick - now));
    }
    return false;
}

X11View::Surface* X11View::surfaceOf(::Window window) {
    for (auto& entry : m_surfaces)
        if (entry.second->window == window) return entry.second.get();
    return nullptr;
}

X11View::Surface* X11View::surfaceNumbered(int number) {
    auto found = m_surfaces.find(number);
    return found == m_surfaces.end() ? nullptr : found->second.get();
}

void X11View::handle(XEvent& event) {
    Surface* surface = surfaceOf(event.xany.window);
    if (!surface) return;
    if (event.type == Expose) {
        expose(*surface, event.xexpose);
        return;
    }
    if (event.type == DestroyNotify && surface->number == 0) {
        m_windowGone = true; // the host's window went first
        return;
    }
    // The keyboard is a grabbing popup's whoever has the focus: a host window that takes it as
    // a menu opens, before or after the menu's grab, does not close the menu. A click-to-focus
    // window manager makes that happen on most first clicks into a host window not focused yet:
    // the host answers the manager's focus message by focusing a window of its own just after
    // the press has focused ours.
    if (event.type == FocusOut && m_grabbing) return;
    // Made before the click is acted on: a dialog the click opens takes the keyboard after
    // it, not before a request still waiting in our queue.
    if (event.type == ButtonPress && surface->number == 0 && !m_windowGone) {
        XSetInputFocus(m_display, surface->window, RevertToParent, CurrentTime);
        XSync(m_display, False);
    }
    ViewEvent e;
    if (!x11::TranslateXEvent(event, surface->number, surface->clicks, &e)) return;
    if (!m_client.OnViewEvent(*this, e) && event.type == KeyPress) passOn(event);
}

void X11View::expose(Surface& surface, const XExposeEvent& e) {
    const ViewRect area{e.x, e.y, e.x + e.width, e.y + e.height};
    ViewRect& all = surface.exposed;
    all = all.IsEmpty()
              ? area
              : ViewRect{std::min(all.left, area.left), std::min(all.top, area.top),
                         std::max(all.right, area.right), std::max(all.bottom, area.bottom)};
    if (e.count > 0) return;
    const ViewRect gathered = all;
    all = ViewRect();
    m_client.OnViewExpose(*this, surface.number, gathered);
}

// Keys the editor does not take are the host's (its shortcuts).
void X11View::passOn(XEvent& event) {
    if (m_windowGone) return;
    event.xkey.window = m_parent;
    event.xkey.subwindow = None;
    XSendEvent(m_display, m_parent, True, KeyPressMask, &event);
}

// ---- Operations

void X11View::Put(int window, const ViewPicture& picture, const ViewRect& area) {
    Surface* s = surfaceNumbered(window);
    if (!s || (window == 0 && m_windowGone)) return;
    s->image->Put(s->window, s->gc, picture, area);
}

void X11View::Resize(int width, int height) {
    if (!OnEditorThread()) {
        Post([this, width, height] { Resize(width, height); });
        return;
    }
    if (width <= 0 || height <= 0 || (width == m_width && height == m_height)) return;
    m_width = width;
    m_height = height;
    Surface& s = *m_surfaces[0];
    if (!m_windowGone) XResizeWindow(m_display, s.window, unsigned(width), unsigned(height));
    s.image->Resize(width, height);
    m_sharedMemory = s.image->SharedMemory();
}

int X11View::OpenPopup(const ViewRect& screenArea, bool grab) {
    if (screenArea.IsEmpty()) return 0;
    const int screen = DefaultScreen(m_display);
    XSetWindowAttributes a = {};
    a.override_redirect = True;
    a.save_under = True;
    a.border_pixel = 0;
    a.background_pixmap = None;
    a.event_mask = kInputMask;
    auto s = std::make_unique<Surface>();
    s->window = XCreateWindow(
        m_display, RootWindow(m_display, screen), screenArea.left, screenArea.top,
        unsigned(screenArea.Width()), unsigned(screenArea.Height()), 0,
        DefaultDepth(m_display, screen), InputOutput, DefaultVisual(m_display, screen),
        CWOverrideRedirect | CWSaveUnder | CWBorderPixel | CWBackPixmap | CWEventMask, &a);
    if (!s->window) return 0;
    s->gc = XCreateGC(m_display, s->window, 0, nullptr);
    s->image =
        std::make_unique<WindowImage>(m_display, DefaultVisual(m_display, screen),
                                      DefaultDepth(m_display, screen), m_options.sharedMemory);
    s->image->Resize(screenArea.Width(), screenArea.Height());
    XMapRaised(m_display, s->window);
    // Mapped before it grabs: only a viewable window can.
    XSync(m_display, False);
    s->number = m_nextPopup++;
    const int number = s->number;
    m_surfaces[number] = std::move(s);
    if (grab) {
        m_grabbing = number;
        m_pointerGrabbed = m_keyboardGrabbed = false;
        m_grabDeadline = NowMillis() + kGrabWaitMs;
        takeGrabs();
    }
    return number;
}

// Another client may hold the pointer or the keyboard a moment (a host acting on the same
// click): what the popup lacks is taken as soon as it is free, and a popup that could not
// have both in time is given up, as if the keyboard had gone elsewhere.
void X11View::takeGrabs() {
    Surface* s = surfaceNumbered(m_grabbing);
    if (!s || (m_pointerGrabbed && m_keyboardGrabbed)) return;
    const unsigned mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    if (!m_pointerGrabbed)
        m_pointerGrabbed = XGrabPointer(m_display, s->window, True, mask, GrabModeAsync,
                                        GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    if (!m_keyboardGrabbed)
        m_keyboardGrabbed = XGrabKeyboard(m_display, s->window, True, GrabModeAsync, GrabModeAsync,
                                          CurrentTime) == GrabSuccess;
    if ((m_pointerGrabbed && m_keyboardGrabbed) || NowMillis() < m_grabDeadline) return;
    releaseGrabs();
    ViewEvent lost;
    lost.type = ViewEventType::kFocusOut;
    lost.window = s->number;
    m_client.OnViewEvent(*this, lost);
}

void X11View::releaseGrabs() {
    XUngrabPointer(m_display, CurrentTime);
    XUngrabKeyboard(m_display, CurrentTime);
    XFlush(m_display);
    m_grabbing = 0;
}

void X11View::ClosePopup(int popup) {
    Surface* s = popup > 0 ? surfaceNumbered(popup) : nullptr;
    if (!s) return;
    if (m_grabbing == popup) releaseGrabs();
    s->image.reset();
    XFreeGC(m_display, s->gc);
    XDestroyWindow(m_display, s->window);
    XFlush(m_display);
    m_surfaces.erase(popup);
}

ViewRect X11View::ToScreen(const ViewRect& area) {
    int x = 0, y = 0;
    ::Window child;
    if (!m_windowGone)
        XTranslateCoordinates(m_display, m_surfaces[0]->window, DefaultRootWindow(m_display),
                              area.left, area.top, &x, &y, &child);
    return {x, y, x + area.Width(), y + area.Height()};
}

ViewRect X11View::Screen() {
    const int screen = DefaultScreen(m_display);
    return {0, 0, DisplayWidth(m_display, screen), DisplayHeight(m_display, screen)};
}

bool X11View::RunModal(const std::function<bool()>& done) {
    return OnEditorThread() && pump(done);
}

bool X11View::HideCursor(int* pointerX, int* pointerY) {
    if (m_windowGone) return false;
    ::Window root, child;
    int x, y;
    unsigned mask;
    if (!XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, pointerX, pointerY,
                       &x, &y, &mask))
        return false;
    if (!m_blankCursor) {
        static const char empty[1] = {0};
        const Pixmap bitmap = XCreateBitmapFromData(m_display, m_surfaces[0]->window, empty, 1, 1);
        XColor black = {};
        m_blankCursor = XCreatePixmapCursor(m_display, bitmap, bitmap, &black, &black, 0, 0);
        XFreePixmap(m_display, bitmap);
    }
    XDefineCursor(m_display, m_surfaces[0]->window, m_blankCursor);
    XFlush(m_display);
    return true;
}

bool X11View::ShowCursor(int pointerX, int pointerY) {
    if (m_windowGone) return false;
    XWarpPointer(m_display, None, DefaultRootWindow(m_display), 0, 0, 0, 0, pointerX, pointerY);
    XUndefineCursor(m_display, m_surfaces[0]->window);
    XFlush(m_display);
    return true;
}

} // namespace platform
