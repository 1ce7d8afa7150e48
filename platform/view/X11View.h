#pragma once

#include "platform/view/View.h"

#include <X11/Xlib.h>

#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

namespace x11 {
class WindowImage;
}

// The editor window as a child of the host's X11 window. One editor thread per view opens the
// display connection, makes the window, handles its events, ticks and modal loops, and closes
// the connection when the view closes; every X call is made on it.
class X11View : public View {
public:
    // Null when no display answers or the window cannot be made in parent.
    static std::unique_ptr<X11View> Open(ViewClient& client, unsigned long parent, int width,
                                         int height, const ViewOptions& options = {});
    ~X11View() override;

    void Close() override;
    void Post(std::function<void()> task) override;
    bool OnEditorThread() const override;
    void Put(int window, const ViewPicture& picture, const ViewRect& area) override;
    void Resize(int width, int height) override;
    int OpenPopup(const ViewRect& screenArea, bool grab) override;
    void ClosePopup(int popup) override;
    ViewRect ToScreen(const ViewRect& area) override;
    ViewRect Screen() override;
    bool RunModal(const std::function<bool()>& done) override;
    bool HideCursor(int* pointerX, int* pointerY) override;
    bool ShowCursor(int pointerX, int pointerY) override;

    // The editor window's id (for tools that find it on the screen).
    unsigned long WindowId() const { return m_windowId; }
    // Whether the editor window's pictures go through shared memory.
    bool SharedMemory() const { return m_sharedMemory; }

private:
    struct Surface;

    X11View(ViewClient& client, unsigned long parent, int width, int height,
            const ViewOptions& options);
    void run(std::promise<bool>* ready);
    bool setUp();
    void tearDown();
    bool pump(const std::function<bool()>& done);
    void runPosted();
    void handle(XEvent& event);
    void expose(Surface& surface, const XExposeEvent& e);
    void passOn(XEvent& event);
    void takeGrabs();
    void releaseGrabs();
    Surface* surfaceOf(::Window window);
    Surface* surfaceNumbered(int number);
    void wake();

    ViewClient& m_client;
    const unsigned long m_parent;
    int m_width, m_height;
    const ViewOptions m_options;

    Display* m_display = nullptr;
    std::map<int, std::unique_ptr<Surface>> m_surfaces; // 0 the editor window, then popups
    int m_nextPopup = 1;
    // The popup holding the pointer and keyboard, or waiting for them until the deadline.
    int m_grabbing = 0;
    bool m_pointerGrabbed = false, m_keyboardGrabbed = false;
    int64_t m_grabDeadline = 0;
    bool m_windowGone = false;
    ::Cursor m_blankCursor = 0;
    int64_t m_nextTick = 0;
    std::atomic<unsigned long> m_windowId{0};
    std::atomic<bool> m_sharedMemory{false};

    std::thread m_thread;
    std::atomic<std::thread::id> m_threadId{};
    std::atomic<bool> m_stop{false};
    int m_wake[2] = {-1, -1};
    std::mutex m_postMutex;
    std::vector<std::function<void()>> m_posted;
};

} // namespace platform
