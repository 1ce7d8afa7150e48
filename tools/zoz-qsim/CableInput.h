#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qsim {

// The synthesizer's MIDI input at the end of a DIN cable: 31,250 baud, ten bits a byte, fed by
// an interface whose driver buffers 4096 bytes (ALSA's raw MIDI default). A message is taken in
// once its last byte has crossed; one that arrives while the buffer cannot hold it is lost
// whole, as an overrun interface loses it. Time is the platform clock's.
class CableInput {
public:
    using Bytes = std::vector<uint8_t>;
    static constexpr int64_t kNanosPerByte = 320000;
    static constexpr int64_t kBufferBytes = 4096;

    // `takeIn` gets each message that crossed, in order, on the cable's own thread.
    explicit CableInput(std::function<void(const Bytes&)> takeIn);
    // What has not crossed yet is dropped.
    ~CableInput();
    CableInput(const CableInput&) = delete;
    CableInput& operator=(const CableInput&) = delete;

    // False when the message was lost.
    bool receive(const Bytes& message);
    // When a message of `size` bytes handed over at `now` will have crossed, behind what is
    // still on its way; -1 when the buffer cannot hold it. One on an idle cable always goes.
    // `receive` calls it under its lock; alone it is the cable's arithmetic.
    int64_t admit(size_t size, int64_t now);

private:
    void run();

    std::function<void(const Bytes&)> takeIn;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<int64_t, Bytes>> crossing; // by the time each has crossed
    int64_t clearAt = 0;                            // when the last byte handed over crosses
    bool stopping = false;
    std::thread thread;
};

} // namespace qsim
