#pragma once

// The JACK layer's own thread (see JackClient): the calls it is asked, run one at a time in the
// order asked, and how long each caller waits for its call. A call that libjack has not ended by
// its caller's deadline fails that caller, and so does every call asked while it lasts, at once:
// whatever a plug-in starts or closes, it waits once. Made at the first use and kept for the life
// of the process: a host that exits without closing its plug-ins leaves their threads running
// while the process's static objects go.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace platform {

class JackLayer {
public:
    using Until = std::chrono::steady_clock::time_point;

    // The thread, which runs `idle` whenever it has run what it was asked and when woken; null
    // when no thread could be made. `idle` is the one given first.
    static JackLayer* Get(void (*idle)());

    // Runs `work` on the thread and waits for it until `until` at most, not at all while a call
    // that a caller gave up waiting for is under way. What it gave, if it ended within the wait;
    // else what it gives later goes to `orphaned`. Any thread but the layer's and libjack's.
    template <class R>
    std::optional<R> Run(Until until, std::function<R()> work,
                         std::function<void(R&)> orphaned = {});
    // Has the thread run `idle` soon; never waits, locks or allocates.
    void Wake();

    // What the thread runs, and its bookkeeping; the thread's own.
    struct Queue;

private:
    template <class R> struct Waited {
        std::mutex lock;
        std::condition_variable done;
        bool finished = false;
        bool abandoned = false;
        R result{};
    };

    explicit JackLayer(Queue* queue) : m_queue(queue) {}
    // Queues the call and wakes the thread: whether the call under way is one that a caller gave
    // up waiting for (libjack has not ended it).
    bool post(std::function<void()> call);
    // A caller gives up waiting for the call under way.
    void giveUp();

    Queue* const m_queue;
};

template <class R>
std::optional<R> JackLayer::Run(Until until, std::function<R()> work,
                                std::function<void(R&)> orphaned) {
    const auto waited = std::make_shared<Waited<R>>();
    const bool stuck =
        post([waited, work = std::move(work), orphaned = std::move(orphaned)] {
            R result = work();
            const std::lock_guard<std::mutex> lock(waited->lock);
            if (waited->abandoned) {
                if (orphaned) orphaned(result);
                return;
            }
            waited->result = std::move(result);
            waited->finished = true;
            waited->done.notify_all();
        });
    std::unique_lock<std::mutex> lock(waited->lock);
    waited->done.wait_until(lock, stuck ? std::chrono::steady_clock::now() : until,
                            [&] { return waited->finished; });
    if (waited->finished) return std::move(waited->result);
    waited->abandoned = true;
    giveUp();
    return std::nullopt;
}

} // namespace platform
