#include "tests/support/MidiOutputRecorder.h"

#include "platform/Clock.h"

#include <chrono>

namespace testsupport {

void MidiOutputRecorder::record(const std::vector<uint8_t>& bytes) {
    Listener hear;
    {
        std::lock_guard<std::mutex> lock(mutex);
        recorded.push_back({bytes, platform::NowNanos()});
        hear = listener;
    }
    changed.notify_all();
    if (hear) hear(bytes);
}

std::vector<MidiOutputRecorder::Message> MidiOutputRecorder::messages() const {
    std::lock_guard<std::mutex> lock(mutex);
    return recorded;
}

std::vector<std::vector<uint8_t>> MidiOutputRecorder::bytes() const {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<std::vector<uint8_t>> all;
    for (const Message& m : recorded)
        all.push_back(m.bytes);
    return all;
}

size_t MidiOutputRecorder::count() const {
    std::lock_guard<std::mutex> lock(mutex);
    return recorded.size();
}

void MidiOutputRecorder::clear() {
    std::lock_guard<std::mutex> lock(mutex);
    recorded.clear();
}

bool MidiOutputRecorder::waitForCount(size_t n, int timeoutMillis) const {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMillis),
                            [&] { return recorded.size() >= n; });
}

void MidiOutputRecorder::setListener(Listener l) {
    std::lock_guard<std::mutex> lock(mutex);
    listener = std::move(l);
}

} // namespace testsupport
