#include "platform/midi/MidiDelivery.h"

#include <algorithm>

namespace platform {

// libjack tells a client's notices on one thread: each notice is written before it is counted.
void XrunNotices::Told(int64_t at) {
    const uint64_t told = m_count.load(std::memory_order_relaxed);
    m_at[told % kKept].store(at, std::memory_order_relaxed);
    m_count.store(told + 1, std::memory_order_release);
}

int64_t XrunNotices::Last() const {
    const uint64_t told = Count();
    return told ? m_at[(told - 1) % kKept].load(std::memory_order_relaxed) : kNone;
}

// Newest first. The oldest two kept may be overwritten while they are read: not read.
bool XrunNotices::ToldBetween(int64_t from, int64_t to) const {
    const uint64_t told = Count();
    for (uint64_t k = told; k > 0; --k) {
        if (told - k == kKept - 2) return true;
        const int64_t at = m_at[(k - 1) % kKept].load(std::memory_order_relaxed);
        if (at < from) return false;
        if (at <= to) return true;
    }
    return false;
}

void MidiDepartures::Went(bool sent, int64_t now, int64_t periodNs) {
    const uint64_t gone = m_gone.load(std::memory_order_relaxed);
    Stamp& stamp = m_stamps[gone % kKept];
    stamp.at.store(sent ? now : kNeverWent, std::memory_order_relaxed);
    stamp.periodNs.store(periodNs, std::memory_order_relaxed);
    m_gone.store(gone + 1, std::memory_order_release);
}

// The cycle is stored before the message it is for: a reader that sees the message sees it.
void MidiDepartures::Passed(bool overdue, uint64_t cycle) {
    const uint64_t next = m_gone.load(std::memory_order_relaxed) + 1;
    if (!overdue) {
        m_overdue.store(0, std::memory_order_release);
    } else if (m_overdue.load(std::memory_order_relaxed) != next) {
        m_overdueSince.store(cycle, std::memory_order_relaxed);
        m_overdue.store(next, std::memory_order_release);
    }
}

void MidiDepartures::Abandon(uint64_t queued) {
    for (uint64_t gone = Gone(); gone < queued; ++gone)
        Went(false, 0, 0);
}

MidiDelivery MidiDepartures::Judge(uint64_t n, int64_t now, uint64_t cycles,
                                   const XrunNotices& notices) const {
    if (n == 0) return MidiDelivery::kUnderWatch;
    if (n > Gone()) {
        // Behind one passed over, it cannot go either.
        const uint64_t overdue = m_overdue.load(std::memory_order_acquire);
        const uint64_t since = m_overdueSince.load(std::memory_order_relaxed);
        return overdue != 0 && overdue <= n && cycles - since >= kPassedOverCycles
                   ? MidiDelivery::kMayBeLost
                   : MidiDelivery::kUnderWatch;
    }
    const Stamp& stamp = m_stamps[(n - 1) % kKept];
    const int64_t at = stamp.at.load(std::memory_order_relaxed);
    const int64_t period = stamp.periodNs.load(std::memory_order_relaxed);
    // Kept no longer, its stamp may have been written over while it was read.
    if (Gone() - n >= kKept - 1 || at == kNeverWent) return MidiDelivery::kMayBeLost;
    const int64_t toldBy = at + kToldAfterCycles * period + kToldAfterSlackNs;
    if (notices.ToldBetween(at - kLateBeforeCycles * period - kLateBeforeSlackNs, toldBy))
        return MidiDelivery::kMayBeLost;
    return now <= toldBy ? MidiDelivery::kUnderWatch : MidiDelivery::kClear;
}

int64_t MidiDepartures::ShadowNs(int64_t now, int64_t periodNs, const XrunNotices& notices) {
    const int64_t last = notices.Last();
    if (last == XrunNotices::kNone) return 0;
    return std::max<int64_t>(last + kLateBeforeCycles * periodNs + kLateBeforeSlackNs + 1 - now, 0);
}

} // namespace platform
