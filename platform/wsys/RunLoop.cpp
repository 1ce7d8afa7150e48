#include "platform/wsys/RunLoop.h"

#include "platform/Clock.h"
#include "platform/wsys/Application.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace platform::wsys {

namespace {

// Longest sleep between two turns of a waiting loop.
constexpr int64_t kWaitSliceNanos = 5000000;

int64_t nanosOf(double seconds) {
    return int64_t(seconds * 1e9);
}

std::atomic<bool> g_multiThreaded{false};

} // namespace

Timer::Timer(double intervalSeconds, bool repeats, Action action, Object* userInfo)
    : m_interval(std::max(intervalSeconds, 0.0001)), m_repeats(repeats),
      m_action(std::move(action)), m_userInfo(userInfo) {}

void Timer::Invalidate() {
    m_valid = false;
    m_action = nullptr;
    m_userInfo = nullptr;
}

void Timer::Fire() {
    if (!m_valid) return;
    Ref<Timer> keep(this);
    // A copy: the action may invalidate the timer, which drops m_action.
    const Action action = m_action;
    Ref<Object> info = m_userInfo;
    if (!m_repeats) Invalidate();
    if (action) action(*this);
}

RunLoop& RunLoop::Main() {
    static RunLoop* loop = new RunLoop;
    return *loop;
}

void RunLoop::AddTimer(Timer* t, unsigned modes) {
    if (!t || !t->m_valid) return;
    t->m_modes |= modes;
    t->m_fireDate = NowNanos() + nanosOf(t->m_interval);
    if (std::find(m_timers.begin(), m_timers.end(), t) == m_timers.end()) m_timers.emplace_back(t);
}

void RunLoop::RunTurn(unsigned mode) {
    const unsigned outer = m_mode;
    m_mode = mode;
    if (m_hook) {
        const std::function<void()> hook = m_hook;
        hook();
    }
    const int64_t now = NowNanos();
    std::vector<Ref<Timer>> due;
    for (const Ref<Timer>& t : m_timers)
        if (t->m_valid && (t->m_modes & mode) && t->m_fireDate <= now) due.push_back(t);
    std::stable_sort(due.begin(), due.end(), [](const Ref<Timer>& a, const Ref<Timer>& b) {
        return a->m_fireDate < b->m_fireDate;
    });
    for (const Ref<Timer>& t : due) {
        if (!t->m_valid) continue; // invalidated by an earlier one
        if (t->m_repeats) {
            const int64_t step = nanosOf(t->m_interval);
            t->m_fireDate += ((now - t->m_fireDate) / step + 1) * step;
        }
        t->Fire();
    }
    m_timers.erase(std::remove_if(m_timers.begin(), m_timers.end(),
                                  [](const Ref<Timer>& t) { return !t->m_valid; }),
                   m_timers.end());
    App().DisplayWindowsIfNeeded();
    m_mode = outer;
}

int64_t RunLoop::nextDue(unsigned mode) const {
    int64_t next = kDistantFuture;
    for (const Ref<Timer>& t : m_timers)
        if (t->m_valid && (t->m_modes & mode)) next = std::min(next, t->m_fireDate);
    return next;
}

void RunLoop::SleepSlice(int64_t deadlineNanos, unsigned mode) {
    const int64_t now = NowNanos();
    const int64_t until = std::min(deadlineNanos, nextDue(mode));
    if (now < until) SleepNanos(std::min(until - now, kWaitSliceNanos));
}

void RunLoop::RunUntil(int64_t deadlineNanos, unsigned mode) {
    for (;;) {
        RunTurn(mode);
        if (NowNanos() >= deadlineNanos) return;
        SleepSlice(deadlineNanos, mode);
    }
}

size_t RunLoop::TimerCount() const {
    return size_t(std::count_if(m_timers.begin(), m_timers.end(),
                                [](const Ref<Timer>& t) { return t->m_valid; }));
}

void RunLoop::Reset() {
    const std::vector<Ref<Timer>> timers = std::move(m_timers);
    m_timers.clear();
    for (const Ref<Timer>& t : timers)
        t->Invalidate();
    m_hook = nullptr;
}

void DetachNewThread(std::function<void()> body) {
    g_multiThreaded = true;
    std::thread([body = std::move(body)] {
        if (body) body();
    }).detach();
}

bool IsMultiThreaded() {
    return g_multiThreaded;
}

} // namespace platform::wsys
