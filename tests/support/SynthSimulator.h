#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

namespace testsupport {

class MidiOutputRecorder;

// A Q synthesizer on the far side of the MIDI cable, as far as requests go: it answers the
// device-id probe with its global dump and each sound, multi and pattern request with the dump
// of the addressed edit buffer or slot. It answers its own device id and the broadcast id 7F.
class SynthSimulator {
public:
    using Reply = std::function<void(const std::vector<uint8_t>&)>;

    explicit SynthSimulator(int deviceId = 0);

    // The messages sent back for one message received (F0 to F7); none for what it ignores.
    std::vector<std::vector<uint8_t>> answer(const std::vector<uint8_t>& message);
    // Answers everything the output records, through reply, on the sending thread.
    void attach(MidiOutputRecorder& output, Reply reply);
    // Replaces the dump answered for (dump id, byte 5, byte 6); the global dump is keyed 14 0 0.
    void setDump(uint8_t dumpId, uint8_t address5, uint8_t address6, std::vector<uint8_t> dump);
    int requestsAnswered() const;

    // A dump of the right length with zero data, the given header and a valid checksum.
    static std::vector<uint8_t> blankDump(int deviceId, uint8_t dumpId, uint8_t address5,
                                          uint8_t address6);

private:
    using Key = std::tuple<uint8_t, uint8_t, uint8_t>;

    const int deviceId;
    mutable std::mutex mutex;
    std::map<Key, std::vector<uint8_t>> dumps;
    int answered = 0;
};

} // namespace testsupport
