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

namespace testsupport {

class MidiOutputRecorder;

// A Q synthesizer on the far side of the MIDI cable, as far as dumps go: it answers the
// device-id probe with its global dump and each sound, multi and pattern request with the dump
// of the addressed edit buffer or slot, and keeps every dump it is sent whole with a valid
// checksum in the edit buffer or slot it names. A part select chooses the part whose pattern
// the pattern edit buffer holds. It answers its own device id and the broadcast id 7F, on a
// thread of its own, as the MIDI input thread would deliver the answers.
class SynthSimulator {
public:
    using Bytes = std::vector<uint8_t>;
    using Reply = std::function<void(const Bytes&)>;

    explicit SynthSimulator(int deviceId = 0);
    ~SynthSimulator();
    SynthSimulator(const SynthSimulator&) = delete;
    SynthSimulator& operator=(const SynthSimulator&) = delete;

    // The messages sent back for one message received (F0 to F7); none for what it ignores
    // or keeps.
    std::vector<Bytes> answer(const Bytes& message);
    // Answers everything the output records through reply, on the simulator's thread, each
    // answer `answerDelayMillis` of the platform clock after its request.
    void attach(MidiOutputRecorder& output, Reply reply);
    // Leaves the output and ends the thread; answers not yet given are dropped.
    void detach();
    // Blocks until every answer due by the platform clock's present time was given. A test
    // clock calls it after each sleep, so a job sees the answers of its pause when it wakes.
    void settle();

    // Requests for which `silent` is true go unanswered.
    void setSilence(std::function<bool(const Bytes& request)> silent);
    void setAnswerDelayMillis(int millis);
    void setDeviceId(int id) { deviceId = id & 0x7F; }
    // Replaces the dump answered for (dump id, byte 5, byte 6); the global dump is keyed 14 0 0,
    // the pattern edit buffer 13 20 00 as the selected part's.
    void setDump(uint8_t dumpId, uint8_t address5, uint8_t address6, Bytes dump);
    // The dump kept or set for (dump id, byte 5, byte 6); empty when there is none.
    Bytes dumpAt(uint8_t dumpId, uint8_t address5, uint8_t address6) const;
    int requestsAnswered() const;

    // A dump of the right length with zero data, the given header and a valid checksum; the
    // global dump's device-id setting is the device id.
    static Bytes blankDump(int deviceId, uint8_t dumpId, uint8_t address5, uint8_t address6);

private:
    using Key = std::tuple<uint8_t, uint8_t, uint8_t>;
    struct Pending {
        Bytes request;
        int64_t due;
    };

    void serve();
    bool frontDue() const;
    // The pattern edit buffer is the selected part's. Called under `mutex`.
    Key keyOf(uint8_t dumpId, uint8_t address5, uint8_t address6) const;

    std::atomic<int> deviceId;
    mutable std::mutex mutex;
    std::map<Key, Bytes> dumps;
    std::function<bool(const Bytes&)> silence;
    int answered = 0;
    uint8_t selectedPart = 0;
    int64_t delayNanos = 0;

    std::mutex queueMutex;
    std::condition_variable changed;
    std::deque<Pending> queue;
    bool busy = false;
    bool stopping = false;
    Reply reply;
    MidiOutputRecorder* output = nullptr;
    std::thread thread;
};

} // namespace testsupport
