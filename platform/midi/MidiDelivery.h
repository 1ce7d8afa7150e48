#pragma once

#include <array>
#include <atomic>
#include <climits>
#include <cstdint>

namespace platform {

// What became of a message an output queued, as far as xruns of its server go.
enum class MidiDelivery {
    kUnderWatch, // not yet out, or out and a notice of an xrun that dropped it may still come
    kClear,      // out, and no xrun was told that may have dropped it
    kMayBeLost,  // an xrun was told that may have dropped it, or the server passed it over
};

// When a JACK server told a port's client of xruns (steady clock, ns): the last notices. One
// thread tells (libjack's thread for the server's notices), any thread asks.
class XrunNotices {
public:
    static constexpr uint64_t kKept = 64;

    void Told(int64_t at);
    uint64_t Count() const { return m_count.load(std::memory_order_acquire); }
    // When the last one was told; kNone before the first.
    static constexpr int64_t kNone = INT64_MIN;
    int64_t Last() const;
    // Whether one was told from `from` to `to`, both included; true also when the notices
    // kept no longer reach back to `from`.
    bool ToldBetween(int64_t from, int64_t to) const;

private:
    std::atomic<uint64_t> m_count{0};
    // Notice k at k % kKept.
    std::array<std::atomic<int64_t>, kKept> m_at{};
};

// The messages a JACK output queued, numbered from 1 in their order, as its cycles took them:
// when each went and how long that cycle was (a PipeWire quantum changes with no notice). The
// server's process thread stamps, and must never wait, lock or allocate; the owner's thread
// judges.
class MidiDepartures {
public:
    // An xrun is told a few cycles after the one it began in, later on a loaded machine (up
    // to 26 ms at 256 frames, 67 ms at 1,024 were seen); one told up to a stall before a
    // message went may be of a client still late as it went (26 ms at 256 frames was seen).
    // Each notice within these bounds also sends again messages that went in the clear.
    static constexpr int64_t kToldAfterCycles = 3;
    static constexpr int64_t kToldAfterSlackNs = 25000000;
    static constexpr int64_t kLateBeforeCycles = 2;
    static constexpr int64_t kLateBeforeSlackNs = 20000000;
    // When the last messages went: more than a transfer watches.
    static constexpr uint64_t kKept = 256;
    // A message the port's cycles found due and passed over this often will not go. A server
    // that runs no cycle (stopped, or a machine that swapped) passes nothing over: what it did
    // not take yet goes when it runs again, however late.
    static constexpr uint64_t kPassedOverCycles = 4;

    // The next message went in the cycle that began at `now`, `periodNs` long; or, not
    // `sent`, was dropped there, as no cycle could hold it.
    void Went(bool sent, int64_t now, int64_t periodNs);
    // At the end of each cycle, `cycle` the port's count of cycles before it: whether the next
    // message was due in it and not taken.
    void Passed(bool overdue, uint64_t cycle);
    // Once no cycle runs: the messages up to `queued` that have not gone never will.
    void Abandon(uint64_t queued);
    // The messages that went, or were dropped, so far.
    uint64_t Gone() const { return m_gone.load(std::memory_order_acquire); }
    // Message n against the server's notices, `now` read before the call and `cycles` the
    // port's count of cycles.
    MidiDelivery Judge(uint64_t n, int64_t now, uint64_t cycles, const XrunNotices& notices) const;
    // How much longer a message going now, in cycles of `periodNs`, would still be judged
    // against the last notice told; 0 once it would not.
    static int64_t ShadowNs(int64_t now, int64_t periodNs, const XrunNotices& notices);

private:
    static constexpr int64_t kNeverWent = -1;
    std::atomic<uint64_t> m_gone{0};
    // Message n at (n - 1) % kKept.
    struct Stamp {
        std::atomic<int64_t> at{0};
        std::atomic<int64_t> periodNs{0};
    };
    std::array<Stamp, kKept> m_stamps;
    // The message the last cycle found due and did not take (0 for none), and the cycle that
    // first found it so.
    std::atomic<uint64_t> m_overdue{0};
    std::atomic<uint64_t> m_overdueSince{0};
};

} // namespace platform
