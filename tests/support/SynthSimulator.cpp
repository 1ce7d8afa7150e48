#include "tests/support/SynthSimulator.h"

#include "platform/Clock.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/MidiOutputRecorder.h"

#include <chrono>

namespace testsupport {
namespace {

struct DumpKind {
    uint8_t request;
    uint8_t dump;
    size_t requestSize;
    size_t dumpSize;
    bool addressed;
};

// The synthesizer's requests and the dumps that answer them.
const DumpKind kKinds[] = {
    {0x00, 0x10, 8, 393, true},  // sound
    {0x01, 0x11, 8, 393, true},  // multi
    {0x03, 0x13, 8, 545, true},  // pattern
    {0x04, 0x14, 6, 207, false}, // global, the device-id probe
};

} // namespace

SynthSimulator::SynthSimulator(int deviceId) : deviceId(deviceId & 0x7F) {}

SynthSimulator::~SynthSimulator() {
    detach();
}

SynthSimulator::Bytes SynthSimulator::blankDump(int deviceId, uint8_t dumpId, uint8_t address5,
                                                uint8_t address6) {
    for (const DumpKind& k : kKinds) {
        if (k.dump != dumpId) continue;
        std::vector<uint8_t> d(k.dumpSize, 0x00);
        d[0] = 0xF0;
        d[1] = 0x3E;
        d[2] = 0x0F;
        d[3] = uint8_t(deviceId & 0x7F);
        d[4] = dumpId;
        if (k.addressed) {
            d[5] = address5;
            d[6] = address6;
        } else {
            d[42] = d[3]; // the global dump names the device id among the settings too
        }
        d.back() = 0xF7;
        setChecksum(&d);
        return d;
    }
    return {};
}

SynthSimulator::Key SynthSimulator::keyOf(uint8_t dumpId, uint8_t a5, uint8_t a6) const {
    if (dumpId == 0x13 && a5 == 0x20) return Key{dumpId, a5, selectedPart};
    return Key{dumpId, a5, a6};
}

std::vector<SynthSimulator::Bytes> SynthSimulator::answer(const Bytes& m) {
    if (m.size() < 6 || m[0] != 0xF0 || m[1] != 0x3E || m[2] != 0x0F || m.back() != 0xF7) return {};
    if (m[3] != deviceId && m[3] != 0x7F) return {};
    if (m[4] == 0x17 && m.size() == 8) {
        std::lock_guard<std::mutex> lock(mutex);
        selectedPart = uint8_t((m[6] - 1) / 2 & 0x0F);
        return {};
    }
    for (const DumpKind& k : kKinds) {
        if (m[4] != k.dump || m.size() != k.dumpSize) continue;
        std::lock_guard<std::mutex> lock(mutex);
        if (hasValidChecksum(m))
            dumps[keyOf(k.dump, k.addressed ? m[5] : 0, k.addressed ? m[6] : 0)] = m;
        return {};
    }
    for (const DumpKind& k : kKinds) {
        if (m[4] != k.request || m.size() != k.requestSize) continue;
        const uint8_t a5 = k.addressed ? m[5] : 0;
        const uint8_t a6 = k.addressed ? m[6] : 0;
        std::lock_guard<std::mutex> lock(mutex);
        if (silence && silence(m)) return {};
        ++answered;
        auto it = dumps.find(keyOf(k.dump, a5, a6));
        return {it != dumps.end() ? it->second : blankDump(deviceId, k.dump, a5, a6)};
    }
    return {};
}

void SynthSimulator::attach(MidiOutputRecorder& out, Reply r) {
    detach();
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        stopping = false;
        reply = std::move(r);
        output = &out;
    }
    out.setListener([this](const Bytes& m) {
        std::lock_guard<std::mutex> lock(queueMutex);
        queue.push_back({m, platform::NowNanos() + delayNanos});
        changed.notify_all();
    });
    thread = std::thread([this] { serve(); });
}

void SynthSimulator::detach() {
    if (output) output->setListener(nullptr);
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        stopping = true;
        queue.clear();
        output = nullptr;
    }
    changed.notify_all();
    if (thread.joinable()) thread.join();
}

bool SynthSimulator::frontDue() const {
    return !queue.empty() && platform::NowNanos() >= queue.front().due;
}

void SynthSimulator::serve() {
    std::unique_lock<std::mutex> lock(queueMutex);
    while (!stopping) {
        // The clock may move without a word: look again now and then.
        if (!frontDue()) {
            changed.wait_for(lock, std::chrono::milliseconds(1));
            continue;
        }
        const Bytes request = std::move(queue.front().request);
        queue.pop_front();
        busy = true;
        lock.unlock();
        for (const Bytes& d : answer(request))
            reply(d);
        lock.lock();
        busy = false;
        changed.notify_all();
    }
}

void SynthSimulator::settle() {
    std::unique_lock<std::mutex> lock(queueMutex);
    changed.notify_all();
    while (!stopping && (busy || frontDue()))
        changed.wait_for(lock, std::chrono::milliseconds(1));
}

void SynthSimulator::setSilence(std::function<bool(const Bytes&)> silent) {
    std::lock_guard<std::mutex> lock(mutex);
    silence = std::move(silent);
}

void SynthSimulator::setAnswerDelayMillis(int millis) {
    std::lock_guard<std::mutex> lock(queueMutex);
    delayNanos = int64_t(millis) * 1000000;
}

void SynthSimulator::setDump(uint8_t dumpId, uint8_t address5, uint8_t address6, Bytes dump) {
    std::lock_guard<std::mutex> lock(mutex);
    dumps[keyOf(dumpId, address5, address6)] = std::move(dump);
}

SynthSimulator::Bytes SynthSimulator::dumpAt(uint8_t dumpId, uint8_t address5,
                                             uint8_t address6) const {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = dumps.find(keyOf(dumpId, address5, address6));
    return it == dumps.end() ? Bytes{} : it->second;
}

int SynthSimulator::requestsAnswered() const {
    std::lock_guard<std::mutex> lock(mutex);
    return answered;
}

} // namespace testsupport
