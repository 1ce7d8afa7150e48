#include "platform/wsys/Application.h"

#include "platform/Clock.h"
#include "platform/wsys/Cursor.h"
#include "platform/wsys/Menu.h"

#include <algorithm>

namespace platform::wsys {

Application& App() {
    // Never destroyed: windows may outlive static destruction in a process that ends.
    static Application* app = new Application;
    return *app;
}

Application::Application() {
    Reset();
}

void Application::Reset() {
    const std::vector<Ref<Window>> open = m_windows;
    for (const Ref<Window>& w : open)
        w->Close();
    m_windows.clear();
    m_ordered.clear();
    m_keyWindow = nullptr;
    m_mouseWindow = nullptr;
    m_active = m_hidden = false;
    m_mainMenu = nullptr;
    m_delegate = nullptr;
    SetScreens({Rect(0, 0, 1920, 1080)});
    {
        std::lock_guard<std::mutex> lock(m_queueLock);
        m_queue.clear();
    }
    m_currentEvent = nullptr;
    m_stopRequested = m_wake = m_terminated = false;
    m_sessions.clear();
    m_mouse = Point();
    m_buttons = m_modifiers = 0;
    m_cursor = Cursor::Arrow();
    m_cursorHides = 0;
    m_mouseAssociated = true;
    m_activities.clear();
    m_beeps = 0;
    RunLoop::Main().Reset();
}

// ---------------------------------------------------------------------------------------------
// Windows

Window* Application::WindowWithNumber(int number) const {
    for (const Ref<Window>& w : m_windows)
        if (w->WindowNumber() == number) return w.get();
    return nullptr;
}

Window* Application::WindowAtPoint(Point screen) const {
    for (Window* w : m_ordered)
        if (!w->IgnoresMouseEvents() && w->Frame().Contains(screen)) return w;
    return nullptr;
}

void Application::addWindow(Window* w) {
    m_windows.emplace_back(w);
}

void Application::removeWindow(Window* w) {
    Ref<Window> keep(w);
    unorder(w);
    if (m_keyWindow == w) pickKeyWindow();
    if (m_mouseWindow == w) m_mouseWindow = nullptr;
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), w), m_windows.end());
}

void Application::unorder(Window* w) {
    m_ordered.erase(std::remove(m_ordered.begin(), m_ordered.end(), w), m_ordered.end());
}

void Application::order(Window* w, WindowOrderingMode place, Window* relativeTo) {
    unorder(w);
    auto at = m_ordered.end();
    if (relativeTo && relativeTo != w) {
        at = std::find(m_ordered.begin(), m_ordered.end(), relativeTo);
        if (at != m_ordered.end() && place == kWindowBelow) ++at;
    } else {
        // Front to back by level; the front or the back of the window's own level.
        at = std::find_if(m_ordered.begin(), m_ordered.end(), [&](Window* o) {
            return place == kWindowAbove ? o->Level() <= w->Level() : o->Level() < w->Level();
        });
    }
    m_ordered.insert(at, w);
}

void Application::setKeyWindow(Window* w) {
    Ref<Window> keep(w);
    if (Ref<Window> old = m_keyWindow) {
        m_keyWindow = nullptr;
        old->ResignKeyWindow();
    }
    m_keyWindow = w;
    if (w) w->BecomeKeyWindow();
}

void Application::pickKeyWindow() {
    for (Window* w : m_ordered) {
        if (w != m_keyWindow && w->CanBecomeKeyWindow()) {
            setKeyWindow(w);
            return;
        }
    }
    setKeyWindow(nullptr);
}

void Application::SetScreens(const std::vector<Rect>& frames) {
    m_screens.clear();
    for (const Rect& f : frames)
        m_screens.push_back(Screen{f, f});
    if (!m_screens.empty()) m_screens[0].visibleFrame.size.height -= kMenuBarHeight;
}

// ---------------------------------------------------------------------------------------------
// Events

void Application::PostEvent(Ref<Event> e, bool atStart) {
    if (!e) return;
    std::lock_guard<std::mutex> lock(m_queueLock);
    if (atStart)
        m_queue.push_front(std::move(e));
    else
        m_queue.push_back(std::move(e));
}

Ref<Event> Application::NextEvent(uint64_t mask, int64_t deadlineNanos, unsigned mode,
                                  bool dequeue) {
    m_wake = false;
    RunLoop& loop = RunLoop::Main();
    for (;;) {
        loop.RunTurn(mode);
        {
            std::lock_guard<std::mutex> lock(m_queueLock);
            for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
                if (mask & (uint64_t(1) << ((*it)->type & 63))) {
                    Ref<Event> e = *it;
                    if (dequeue) m_queue.erase(it);
                    m_currentEvent = e;
                    return e;
                }
            }
        }
        if (m_wake || NowNanos() >= deadlineNanos) return nullptr;
        loop.SleepSlice(deadlineNanos, mode);
    }
}

Window* Application::targetWindow(Event& e) {
    if (e.window) return e.window.get();
    if (IsKeyEvent(e.type)) return m_keyWindow;
    if (!IsPointerEvent(e.type)) return nullptr;
    if (e.type == kMouseMoved) return m_keyWindow;
    if ((IsMouseDragged(e.type) || IsMouseUp(e.type)) && m_mouseWindow) return m_mouseWindow.get();
    return WindowAtPoint(e.locationInWindow);
}

bool Application::performKeyEquivalent(Event& e) {
    if (e.type != kKeyDown) return false;
    // Only keys held with Command or Control, and function keys, are menu shortcuts: plain
    // typing must reach the views.
    const bool function = e.characters.size() == 1 && e.characters[0] >= 0xF700 &&
                          e.characters[0] <= 0xF8FF;
    if (!(e.modifierFlags & (kCommandKeyMask | kControlKeyMask)) && !function) return false;
    Ref<Menu> menu(dynamic_cast<Menu*>(m_mainMenu.get()));
    return menu && menu->PerformKeyEquivalent(e);
}

void Application::SendEvent(Event& e) {
    Ref<Event> keep(&e);
    m_currentEvent = &e;
    if (performKeyEquivalent(e)) return;
    Ref<Window> w = targetWindow(e);
    if (IsMouseDown(e.type)) {
        m_mouseWindow = w;
        if (w) Activate();
    } else if (IsMouseUp(e.type)) {
        m_mouseWindow = nullptr;
    }
    if (!w) {
        if (e.type == kKeyDown || IsMouseDown(e.type)) Beep();
        return;
    }
    e.SetWindow(w.get());
    w->SendEvent(e);
}

int Application::DispatchPendingEvents() {
    int sent = 0;
    for (;;) {
        Ref<Event> e;
        {
            std::lock_guard<std::mutex> lock(m_queueLock);
            if (m_queue.empty()) break;
            e = m_queue.front();
            m_queue.pop_front();
        }
        SendEvent(*e);
        ++sent;
    }
    DisplayWindowsIfNeeded();
    return sent;
}

void Application::Run() {
    m_stopRequested = false;
    while (!m_stopRequested && !m_terminated) {
        if (Ref<Event> e = NextEvent(kAnyEventMask, kDistantFuture, kDefaultRunLoopMode))
            SendEvent(*e);
    }
}

void Application::Stop() {
    m_stopRequested = m_wake = true;
}

void Application::Terminate() {
    m_terminated = true;
    for (const Ref<ModalSession>& s : m_sessions) {
        if (!s->stopped) {
            s->stopped = true;
            s->response = kRunAbortedResponse;
        }
    }
    Stop();
}

// ---------------------------------------------------------------------------------------------
// Modal loops

Ref<ModalSession> Application::BeginModalSession(Window* w) {
    Ref<ModalSession> s = Make<ModalSession>();
    s->window = w;
    m_sessions.push_back(s);
    if (w) w->MakeKeyAndOrderFront();
    return s;
}

void Application::EndModalSession(ModalSession* s) {
    m_sessions.erase(std::remove(m_sessions.begin(), m_sessions.end(), s), m_sessions.end());
}

Window* Application::ModalWindow() const {
    return m_sessions.empty() ? nullptr : m_sessions.back()->window.get();
}

void Application::stopModal(int response) {
    if (!m_sessions.empty()) stopSession(m_sessions.back().get(), response);
}

void Application::StopModalSession(ModalSession* s) {
    if (s) stopSession(s, kRunStoppedResponse);
}

void Application::stopSession(ModalSession* s, int response) {
    if (!s->stopped) {
        s->stopped = true;
        s->response = response;
    }
    m_wake = true;
}

bool Application::servesModal(Event& e) {
    Window* modal = ModalWindow();
    Window* w = targetWindow(e);
    if (!modal || (!w && !IsKeyEvent(e.type) && !IsPointerEvent(e.type))) return true;
    for (Window* p = w; p; p = p->ParentWindow())
        if (p == modal) return true;
    auto* panel = dynamic_cast<Panel*>(w);
    return panel && panel->WorksWhenModal();
}

int Application::RunModalSession(ModalSession* s) {
    if (!s->stopped) {
        const int64_t now = NowNanos();
        while (Ref<Event> e = NextEvent(kAnyEventMask, now, kModalPanelRunLoopMode)) {
            serveModal(*e);
            if (s->stopped) break;
        }
    }
    return s->stopped ? s->response : kRunContinuesResponse;
}

void Application::serveModal(Event& e) {
    if (servesModal(e))
        SendEvent(e);
    else if (IsMouseDown(e.type))
        Beep();
}

int Application::RunModalForWindow(Window* w) {
    Ref<ModalSession> s = BeginModalSession(w);
    while (!s->stopped) {
        if (Ref<Event> e = NextEvent(kAnyEventMask, kDistantFuture, kModalPanelRunLoopMode))
            serveModal(*e);
    }
    EndModalSession(s.get());
    return s->response;
}

// ---------------------------------------------------------------------------------------------
// Live state, cursor, activities, display

void Application::SetLiveState(Point mouse, unsigned buttons, unsigned modifiers) {
    m_mouse = mouse;
    m_buttons = buttons;
    m_modifiers = modifiers;
}

void Application::WarpCursor(Point display) {
    m_mouse = Point{display.x, MainDisplayHeight() - display.y};
}

Ref<Activity> Application::BeginActivity(uint64_t options, const std::string& reason) {
    Ref<Activity> a = Make<Activity>(options, reason);
    m_activities.push_back(a);
    return a;
}

void Application::EndActivity(Activity* a) {
    m_activities.erase(std::remove(m_activities.begin(), m_activities.end(), a),
                       m_activities.end());
}

void Application::DisplayWindowsIfNeeded() {
    const std::vector<Window*> shown = m_ordered;
    for (Window* w : shown)
        w->DisplayIfNeeded();
}

} // namespace platform::wsys
