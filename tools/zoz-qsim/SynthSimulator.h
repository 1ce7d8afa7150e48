#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

namespace qsim {

// A Q synthesizer on the far side of the MIDI cable, as far as SysEx goes (the Q+ speaks the
// same). Its memory: 4 banks of 100 sounds, 100 multis, 100 patterns, the 16 parts' sound and
// pattern edit buffers, the multi and the global edit buffer. It answers the device-id probe
// with its global dump and each sound, multi and pattern request with the dump of the edit
// buffer or slot addressed, keeps every dump it is sent whole with a valid checksum where the
// dump's address says, and applies the parameter changes 20 (sound, dump byte = index + 7), 21
// (multi, index + 7) and 24 (global, index + 5) to the edit buffers. A part select chooses the
// part whose pattern the pattern edit buffer addresses. It hears its own device id and the
// broadcast id 7F; its answers carry its own. Answers are given on a thread of its own, each
// its delay of the platform clock after its request (in the order they fall due), as a MIDI
// input thread would deliver them.
class SynthSimulator {
public:
    using Bytes = std::vector<uint8_t>;
    using Reply = std::function<void(const Bytes&)>;

    explicit SynthSimulator(int deviceId = 0);
    ~SynthSimulator();
    SynthSimulator(const SynthSimulator&) = delete;
    SynthSimulator& operator=(const SynthSimulator&) = delete;

    // The messages sent back for one message received (F0 to F7); none for what it ignores,
    // keeps or applies. Called on the caller's thread, without delay.
    std::vector<Bytes> answer(const Bytes& message);

    // Starts the answering thread: every message handed to receive() is answered through
    // reply once its delay has passed.
    void start(Reply reply);
    void receive(const Bytes& message);
    // Ends the thread; answers not yet given are dropped.
    void stop();
    // Blocks until every answer due by the platform clock's present time was given. A test
    // clock calls it after each sleep, so a job sees the answers of its pause when it wakes.
    void settle();

    // Requests for which `silent` is true go unanswered.
    void setSilence(std::function<bool(const Bytes& request)> silent);
    void setAnswerDelayMillis(int millis);
    // Each request's own delay in ms, e.g. one late answer among timely ones.
    void setAnswerDelay(std::function<int(const Bytes& request)> millis);
    void setDeviceId(int id) { deviceId = id & 0x7F; }
    int requestsAnswered() const;

    // Replaces the dump held for (dump id, byte 5, byte 6); the global dump is keyed 14 00 00,
    // the pattern edit buffer 13 20 00 as the selected part's.
    void setDump(uint8_t dumpId, uint8_t address5, uint8_t address6, Bytes dump);
    // The dump held for (dump id, byte 5, byte 6); empty when there is none.
    Bytes dumpAt(uint8_t dumpId, uint8_t address5, uint8_t address6) const;

    // Fills every slot and edit buffer with the dump the editor starts from, at its address,
    // with the device id and a valid checksum. Without it a slot never written reads as
    // blankDump().
    void fillCanonical();
    // Takes the dumps and part selects of a .syx image (anything between them is skipped),
    // whatever device id they carry; false when it holds no message this memory keeps.
    bool load(const Bytes& image);
    // The memory as a .syx image that load() reads back the same: every dump held in address
    // order, each pattern edit buffer after the part select of its part, and last the part
    // select of the part now selected.
    Bytes image() const;

    // A dump of the right length with zero data, the given header and a valid checksum; the
    // global dump's device-id setting is the device id.
    static Bytes blankDump(int deviceId, uint8_t dumpId, uint8_t address5, uint8_t address6);

private:
    using Key = std::tuple<uint8_t, uint8_t, uint8_t>;
    struct Pending {
        Bytes request;
        int64_t due;
    };

    // Keeps, selects or applies m, or adds the dump it requests to replies (requests are
    // refused without replies); false for what it does not take. Called under `mutex`.
    bool take(const Bytes& m, std::vector<Bytes>* replies);
    // The pattern edit buffer is the selected part's. Called under `mutex`.
    Key keyOf(uint8_t dumpId, uint8_t address5, uint8_t address6) const;
    // The dump held at key, made blank first when there is none. Called under `mutex`.
    Bytes& heldAt(const Key& key, uint8_t address5, uint8_t address6);
    void serve();
    bool frontDue() const;

    std::atomic<int> deviceId;
    mutable std::mutex mutex;
    std::map<Key, Bytes> dumps;
    std::function<bool(const Bytes&)> silence;
    int answered = 0;
    uint8_t selectedPart = 0;

    std::mutex queueMutex;
    std::condition_variable changed;
    std::deque<Pending> queue; // by due time
    std::function<int(const Bytes&)> delayMillis;
    bool busy = false;
    bool stopping = false;
    Reply reply;
    std::thread thread;
};

} // namespace qsim
