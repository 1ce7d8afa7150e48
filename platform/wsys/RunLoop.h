#pragma once

#include "platform/wsys/Object.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace platform::wsys {

// Run-loop modes: a timer fires only in the modes it was added for.
enum RunLoopMode : unsigned {
    kDefaultRunLoopMode = 1,
    kModalPanelRunLoopMode = 2,    // modal loops and sessions
    kEventTrackingRunLoopMode = 4, // menu tracking and other tracking loops
    kRunLoopCommonModes = 7,
};

// A deadline that never comes.
constexpr int64_t kDistantFuture = INT64_MAX;

// A timer of the run loop: once added, it fires every interval (at least 0.1 ms) from its
// addition on, in the turns of its modes; a repeating timer that fell behind fires once and
// goes on from the next due time. Invalidate stops it for good and lets go of its action and
// user information.
class Timer : public Object {
public:
    using Action = std::function<void(Timer&)>;
    Timer(double intervalSeconds, bool repeats, Action action, Object* userInfo = nullptr);

    double Interval() const { return m_interval; }
    Object* UserInfo() const { return m_userInfo.get(); }
    bool IsValid() const { return m_valid; }
    void Invalidate();
    // Runs the action now (a timer that does not repeat is then invalid).
    void Fire();
    // Due time on the platform clock, in nanoseconds.
    int64_t FireDate() const { return m_fireDate; }

private:
    friend class RunLoop;
    double m_interval;
    bool m_repeats;
    Action m_action;
    Ref<Object> m_userInfo;
    bool m_valid = true;
    int64_t m_fireDate = 0;
    unsigned m_modes = 0;
};

// The UI thread's run loop. Time comes from platform::Clock; waiting sleeps through it, so a
// test clock that advances on sleeping makes every wait end at once, at the time it waited for.
class RunLoop {
public:
    static RunLoop& Main();

    // Schedules a timer (retained while valid) in the modes, first due one interval from now.
    void AddTimer(Timer* t, unsigned modes);
    // One turn: the turn hook, the timers of the mode that are due (in due order), then a
    // display pass of the application's windows.
    void RunTurn(unsigned mode);
    // Runs turns in the mode until the deadline; events stay queued.
    void RunUntil(int64_t deadlineNanos, unsigned mode = 1);
    // Sleeps until the deadline or the next timer of the mode is due, at most one slice
    // (5 ms): loops that wait run a turn at least every slice, so the turn hook sees time pass
    // and posted events are seen soon.
    void SleepSlice(int64_t deadlineNanos, unsigned mode);
    // The mode of the turn running, 0 outside one.
    unsigned CurrentMode() const { return m_mode; }
    // Called at the start of every turn (tests drive modal loops from it); null clears it.
    void SetTurnHook(std::function<void()> hook) { m_hook = std::move(hook); }
    // Valid timers scheduled.
    size_t TimerCount() const;

    void Reset();

private:
    int64_t nextDue(unsigned mode) const;

    std::vector<Ref<Timer>> m_timers;
    std::function<void()> m_hook;
    unsigned m_mode = 0;
};

// Platform threads: the first one started switches the process into multi-threaded mode.
void DetachNewThread(std::function<void()> body);
bool IsMultiThreaded();

} // namespace platform::wsys
