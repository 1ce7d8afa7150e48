#pragma once

#include "platform/wsys/Cursor.h"
#include "platform/wsys/Event.h"
#include "platform/wsys/Geometry.h"
#include "platform/wsys/RunLoop.h"
#include "platform/wsys/Window.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace platform::wsys {

// A display: its frame on the global screen (y up, the main screen's bottom-left corner at
// (0, 0)) and the part windows should use (the main screen less its menu bar).
struct Screen {
    Rect frame;
    Rect visibleFrame;
};

constexpr double kMenuBarHeight = 22;

// Answers of a modal session, by AppKit's numbers.
enum ModalResponse : int {
    kRunStoppedResponse = -1000,
    kRunAbortedResponse = -1001,
    kRunContinuesResponse = -1002,
};

// Event masks for NextEvent: a bit per event type (1 << type).
constexpr uint64_t kAnyEventMask = ~uint64_t(0);

// A modal session of one window (BeginModalSession).
class ModalSession : public Object {
public:
    Window* GetWindow() const { return window.get(); }
    // Not stopped yet.
    bool IsRunning() const { return !stopped; }

private:
    friend class Application;
    Ref<Window> window;
    bool stopped = false;
    int response = kRunContinuesResponse;
};

// A process activity (App Nap control) begun by BeginActivity.
class Activity : public Object {
public:
    Activity(uint64_t o, std::string r) : options(o), reason(std::move(r)) {}
    const uint64_t options;
    const std::string reason;
};

// The application: its windows, key window, screens, the event queue and its dispatch, modal
// loops, the live state of pointer, buttons and modifier keys, the cursor. One per process
// (App()); the UI thread is the thread that runs its loops. Only PostEvent may be called
// from other threads.
class Application {
public:
    static constexpr int kSystemVersion = 0x1090; // what 'sysv' answers
    static constexpr double kFoundationVersionNumber = 1056.13;

    // Open windows in the order they were made.
    const std::vector<Ref<Window>>& Windows() const { return m_windows; }
    // Windows on the screen, front to back.
    const std::vector<Window*>& OrderedWindows() const { return m_ordered; }
    Window* WindowWithNumber(int number) const;
    // The frontmost visible window whose frame holds the screen point (left and bottom edges
    // inside).
    Window* WindowAtPoint(Point screen) const;
    Window* KeyWindow() const { return m_keyWindow; }

    bool IsActive() const { return m_active; }
    void Activate() {
        m_active = true;
        m_hidden = false;
    }
    void Deactivate() { m_active = false; }
    // AppKit's presentation bits (1 auto-hide the Dock, 2 hide it, 4 auto-hide the menu bar).
    unsigned PresentationOptions() const { return m_presentation; }
    void SetPresentationOptions(unsigned options) { m_presentation = options; }
    // Hiding deactivates the application; activating shows it again.
    bool IsHidden() const { return m_hidden; }
    void Hide() {
        m_hidden = true;
        m_active = false;
    }

    // Slots the windowing layer keeps objects in: the main menu and the delegate.
    Object* MainMenu() const { return m_mainMenu.get(); }
    void SetMainMenu(Object* menu) { m_mainMenu = menu; }
    Object* Delegate() const { return m_delegate.get(); }
    void SetDelegate(Object* d) { m_delegate = d; }

    // Default: one 1920 x 1080 screen. The first screen is the main one and has the menu bar.
    const std::vector<Screen>& Screens() const { return m_screens; }
    void SetScreens(const std::vector<Rect>& frames);
    double MainDisplayHeight() const {
        return m_screens.empty() ? 0 : m_screens[0].frame.size.height;
    }

    // Queues an event (any thread); atStart puts it before the others.
    void PostEvent(Ref<Event> e, bool atStart = false);
    // Runs the run loop in the mode, a turn at a time, until an event of the mask is queued
    // (it is returned, and taken off the queue when dequeue is set), the deadline passes, or
    // a loop was asked to stop (null then).
    Ref<Event> NextEvent(uint64_t mask, int64_t deadlineNanos, unsigned mode, bool dequeue = true);
    // The event being handled, or the last one taken from the queue.
    Event* CurrentEvent() const { return m_currentEvent.get(); }
    // Gives the event to its window: a key down that is a key equivalent of the main menu (a
    // Menu) performs that item instead; keys to the key window; a button down to the window under
    // the pointer, drags and the up to the same window; moves to the key window; wheel and
    // gestures to the window under the pointer.
    void SendEvent(Event& e);
    // Takes and sends every queued event, then a display pass; returns how many were sent.
    int DispatchPendingEvents();
    // Sends events until Stop or Terminate.
    void Run();
    void Stop();
    // Ends Run and every modal loop; the process goes on (a plug-in must not end its host).
    void Terminate();
    bool IsTerminated() const { return m_terminated; }

    // Modal loops serve only their window (with its child windows and panels that work when
    // modal); other windows' pointer events are dropped, a button down with a beep. The
    // window is made key and front.
    int RunModalForWindow(Window* w);
    Ref<ModalSession> BeginModalSession(Window* w);
    // Sends the queued events of the session without waiting; kRunContinuesResponse until
    // the session is stopped, then its answer.
    int RunModalSession(ModalSession* s);
    void EndModalSession(ModalSession* s);
    // Stop the innermost session: kRunStoppedResponse, the code, kRunAbortedResponse; the
    // first stop of a session decides its answer.
    void StopModal() { stopModal(kRunStoppedResponse); }
    void StopModalWithCode(int code) { stopModal(code); }
    void AbortModal() { stopModal(kRunAbortedResponse); }
    // Stops one session, innermost or not, with kRunStoppedResponse.
    void StopModalSession(ModalSession* s);
    Window* ModalWindow() const;

    // Live input state as the injected events left it: pointer on the screen (y up), pressed
    // buttons (bit 0 left, 1 right, 2 other), modifier flags.
    Point MouseLocation() const { return m_mouse; }
    unsigned PressedMouseButtons() const { return m_buttons; }
    unsigned ModifierFlags() const { return m_modifiers; }
    void SetLiveState(Point mouse, unsigned buttons, unsigned modifiers);

    // The cursor: current one, hide count (hidden above 0), whether the pointer follows the
    // mouse; a warp moves the pointer to a point of the main display (y down from its top).
    Cursor* CurrentCursor() const { return m_cursor.get(); }
    void SetCursor(Cursor* c) { m_cursor = c; }
    void HideCursor() { ++m_cursorHides; }
    void ShowCursor() { --m_cursorHides; }
    bool IsCursorVisible() const { return m_cursorHides <= 0; }
    void AssociateMouseAndCursor(bool on) { m_mouseAssociated = on; }
    bool IsMouseAssociated() const { return m_mouseAssociated; }
    void WarpCursor(Point display);

    // Process activities (App Nap control).
    Ref<Activity> BeginActivity(uint64_t options, const std::string& reason);
    void EndActivity(Activity* a);
    const std::vector<Ref<Activity>>& Activities() const { return m_activities; }

    void Beep() { ++m_beeps; }
    int Beeps() const { return m_beeps; }

    // Draws every window whose views asked for display.
    void DisplayWindowsIfNeeded();

    // Back to the state of a new process: windows closed, queue, timers, turn hook, screens,
    // cursor, live state and slots cleared. For tests.
    void Reset();

private:
    friend class Window;
    friend Application& App();
    Application();
    void stopModal(int response);
    bool performKeyEquivalent(Event& e);
    void stopSession(ModalSession* s, int response);
    bool servesModal(Event& e);
    void serveModal(Event& e);
    Window* targetWindow(Event& e);
    void addWindow(Window* w);
    void removeWindow(Window* w);
    void order(Window* w, WindowOrderingMode place, Window* relativeTo);
    void unorder(Window* w);
    void setKeyWindow(Window* w);
    void pickKeyWindow();

    std::vector<Ref<Window>> m_windows;
    std::vector<Window*> m_ordered;
    Window* m_keyWindow = nullptr;
    Ref<Window> m_mouseWindow; // the window that got the button down being tracked
    bool m_active = false;
    bool m_hidden = false;
    unsigned m_presentation = 0;
    Ref<Object> m_mainMenu;
    Ref<Object> m_delegate;
    std::vector<Screen> m_screens;
    std::mutex m_queueLock;
    std::deque<Ref<Event>> m_queue;
    Ref<Event> m_currentEvent;
    bool m_stopRequested = false;
    bool m_wake = false; // a loop was asked to stop: NextEvent returns
    bool m_terminated = false;
    std::vector<Ref<ModalSession>> m_sessions;
    Point m_mouse;
    unsigned m_buttons = 0;
    unsigned m_modifiers = 0;
    Ref<Cursor> m_cursor;
    int m_cursorHides = 0;
    bool m_mouseAssociated = true;
    std::vector<Ref<Activity>> m_activities;
    int m_beeps = 0;
};

Application& App();

} // namespace platform::wsys
