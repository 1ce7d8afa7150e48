#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace testsupport {

// Everything the plug-in sends to the external MIDI output, each message with the time of
// the platform clock at which it was sent. Safe to use from several threads.
class MidiOutputRecorder {
public:
    struct Message {
        std::vector<uint8_t> bytes;
        int64_t nanos;
    };
    using Listener = std::function<void(const std::vector<uint8_t>&)>;

    void record(const std::vector<uint8_t>& bytes);
    std::vector<Message> messages() const;
    std::vector<std::vector<uint8_t>> bytes() const;
    size_t count() const;
    void clear();
    // Waits up to timeoutMillis of real time until at least n messages were recorded.
    bool waitForCount(size_t n, int timeoutMillis = 5000) const;
    // Hears every recorded message on the sending thread, after it was recorded.
    void setListener(Listener listener);

private:
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::vector<Message> recorded;
    Listener listener;
};

} // namespace testsupport
