#include "kit/winl/winl-misc-private.h"

#include "kit/base/KIT_Mutex.h"
#include "platform/wsys/Window.h"

#include <algorithm>
#include <set>
#include <vector>

namespace wsys = platform::wsys;

namespace {

constexpr unsigned int kAllTimers = 0xFFFFFFFF;

struct TimerEntry {
    unsigned int id;
    HWND target; // the view that ticks, or null for a callback timer
    wsys::Ref<wsys::Timer> timer;
};

KIT_Mutex m_timermutex;
std::vector<TimerEntry> m_timer_list; // newest first
// Ids of callback timers, live or requested from another thread and not made yet.
std::set<unsigned int> s_callbackIds;
unsigned int s_lastCallbackId = 0;

// A process-unique non-zero id no callback timer uses.
unsigned int newCallbackId() {
    do
        ++s_lastCallbackId;
    while (s_lastCallbackId == 0 || s_callbackIds.count(s_lastCallbackId));
    s_callbackIds.insert(s_lastCallbackId);
    return s_lastCallbackId;
}

// The object whose timers tick for a handle: the handle itself when it takes ticks, else a
// window's content view when that does; null when neither does.
HWND timerTarget(HWND hwnd) {
    if (dynamic_cast<WinlTimerTarget*>(hwnd)) return hwnd;
    if (auto* w = dynamic_cast<wsys::Window*>(hwnd))
        if (dynamic_cast<WinlTimerTarget*>(w->ContentView())) return w->ContentView();
    return nullptr;
}

} // namespace

void Winl_vZoz_tft::WINL_Timer(wsys::Timer&) {
    if (g_winl_only_timerhwnd && g_winl_only_timerhwnd != m_view) return;
    if (m_callback) m_callback(m_view, WM_TIMER, m_id, GetTickCount());
}

unsigned int SetTimer(HWND hwnd, unsigned int id, unsigned int ms, TIMERPROC callback) {
    if ((!hwnd && !callback) || (hwnd && id == 0)) return 0;
    if (id != kAllTimers && WINL_Internal_OffMainThread()) {
        if (!hwnd) {
            // A new callback timer gets its id now, so the caller can kill it.
            KIT_MutexLock lock(&m_timermutex);
            if (!s_callbackIds.count(id)) id = newCallbackId();
        }
        WINL_Internal_QueueTimerRequest(hwnd, id, std::min(ms, 0xFFFFFFFEu), callback);
        return id;
    }
    HWND target = nullptr;
    if (hwnd && !(target = timerTarget(hwnd))) return 0;

    // The old platform timer is stopped outside the lock: letting go of a timer's receiver may
    // end a view, whose teardown kills its timers.
    wsys::Ref<wsys::Timer> old;
    unsigned int timerId;
    {
        KIT_MutexLock lock(&m_timermutex);
        auto entry = m_timer_list.end();
        if (id || target)
            entry =
                std::find_if(m_timer_list.begin(), m_timer_list.end(),
                             [&](const TimerEntry& e) { return e.id == id && e.target == target; });
        if (entry != m_timer_list.end()) {
            old = entry->timer;
        } else {
            // A callback timer keeps an id a request reserved for it, else gets a new one.
            const unsigned int newId = target || s_callbackIds.count(id) ? id : newCallbackId();
            m_timer_list.insert(m_timer_list.begin(), TimerEntry{newId, target, nullptr});
            entry = m_timer_list.begin();
        }
        timerId = entry->id;
        wsys::Ref<wsys::Object> receiver;
        wsys::Ref<wsys::Object> info;
        if (callback || !target) {
            receiver = wsys::Make<Winl_vZoz_tft>(timerId, target, callback);
        } else {
            receiver = target;
            info = wsys::Make<Winl_vZoz_sdh>(intptr_t(timerId));
        }
        // Like any platform timer it keeps its receiver while it runs.
        entry->timer = wsys::Make<wsys::Timer>(
            ms ? ms / 1000.0 : 0.001, true,
            [receiver](wsys::Timer& t) {
                if (auto* r = dynamic_cast<WinlTimerTarget*>(receiver.get())) r->WINL_Timer(t);
            },
            info.get());
        wsys::RunLoop::Main().AddTimer(entry->timer.get(), wsys::kRunLoopCommonModes);
    }
    if (old) old->Invalidate();
    return timerId;
}

int KillTimer(HWND hwnd, unsigned int id) {
    if (!hwnd && !id) return 0;
    if (id != kAllTimers && WINL_Internal_OffMainThread()) {
        WINL_Internal_QueueTimerRequest(hwnd, id, kAllTimers, nullptr);
        return 1;
    }
    if (id == kAllTimers && !hwnd) return 0;
    // The same object SetTimer chose for the handle: a window's timers tick in its content view.
    HWND target = hwnd ? timerTarget(hwnd) : nullptr;
    if (!target) target = hwnd;

    std::vector<wsys::Ref<wsys::Timer>> stopped;
    {
        KIT_MutexLock lock(&m_timermutex);
        for (auto it = m_timer_list.begin(); it != m_timer_list.end();) {
            if (it->target == target && (id == kAllTimers || it->id == id)) {
                if (!target) s_callbackIds.erase(it->id);
                stopped.push_back(std::move(it->timer));
                it = m_timer_list.erase(it);
                if (id != kAllTimers) break;
            } else {
                ++it;
            }
        }
        // A callback timer killed by a request before its own request made it.
        if (stopped.empty() && !target) s_callbackIds.erase(id);
    }
    // Outside the lock: letting go of a timer's receiver may end a view, whose teardown kills
    // its timers.
    for (const wsys::Ref<wsys::Timer>& t : stopped)
        t->Invalidate();
    return stopped.empty() ? 0 : 1;
}
