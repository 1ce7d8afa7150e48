#include "tools/zoz-qsim/CableInput.h"

#include "platform/Clock.h"

#include <algorithm>
#include <chrono>

namespace qsim {

CableInput::CableInput(std::function<void(const Bytes&)> takeIn)
    : takeIn(std::move(takeIn)), thread([this] { run(); }) {}

CableInput::~CableInput() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

int64_t CableInput::admit(size_t size, int64_t now) {
    const int64_t buffered = std::max<int64_t>(0, clearAt - now) / kNanosPerByte;
    if (buffered > 0 && buffered + int64_t(size) > kBufferBytes) return -1;
    clearAt = std::max(clearAt, now) + int64_t(size) * kNanosPerByte;
    return clearAt;
}

bool CableInput::receive(const Bytes& message) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        const int64_t crossed = admit(message.size(), platform::NowNanos());
        if (crossed < 0) return false;
        crossing.emplace_back(crossed, message);
    }
    changed.notify_all();
    return true;
}

void CableInput::run() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        if (crossing.empty()) {
            changed.wait(lock);
            continue;
        }
        const int64_t wait = crossing.front().first - platform::NowNanos();
        if (wait > 0) {
            changed.wait_for(lock, std::chrono::nanoseconds(wait));
            continue;
        }
        const Bytes message = std::move(crossing.front().second);
        crossing.pop_front();
        lock.unlock();
        takeIn(message);
        lock.lock();
    }
}

} // namespace qsim
