#pragma once

#include "platform/MessageRing.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// The plug-in base's output thread and the queues the audio thread fills for it.
struct IEffectOutputLane {
    // A block sends a tempo message, the notes-off of 16 parts and the short messages due in
    // it; the host's events of a block are as many. Both hold thousands.
    platform::MessageRing toPort{1 << 16};
    platform::MessageRing fromHost{1 << 16};
    // Short messages a block refused as cut short, for the output thread to log.
    platform::MessageRing cutShort{1 << 12};
    // The host's short messages of lists refused while another was being queued.
    std::atomic<size_t> hostDropped{0};
    platform::Wakeup wake;
    std::atomic<uint64_t> wakes{0};
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::condition_variable idle;
    uint64_t handled = 0; // under mutex, as ended
    bool ended = false;
    std::thread thread;
};
