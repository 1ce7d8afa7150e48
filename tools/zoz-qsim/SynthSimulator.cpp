#include "tools/zoz-qsim/SynthSimulator.h"

#include "platform/Clock.h"
#include "src/librarian/PatchSysexMessage.h"
#include "src/sender/GlobalDumpLayout.h"
#include "src/sender/MultiDumpLayout.h"
#include "src/sender/PatternDumpLayout.h"
#include "src/sender/SoundDumpLayout.h"

#include <algorithm>
#include <chrono>

namespace qsim {
namespace {

constexpr uint8_t kPartSelect = 0x17;
constexpr uint8_t kPatternDump = 0x13;
constexpr uint8_t kEditBuffer = 0x20;
constexpr int kParts = 16;

struct DumpKind {
    uint8_t request;
    uint8_t dump;
    size_t requestSize;
    size_t dumpSize;
    bool addressed;
    const uint8_t* (*canonical)(); // the editor's starting dump of this kind
    // The parameter change that edits this kind's edit buffer, 0 for none: its size, whether
    // it names the part, and the dump byte of index 0.
    uint8_t change;
    size_t changeSize;
    bool changeHasPart;
    int changeFirstByte;
};

// The synthesizer's requests, the dumps that answer them and the changes that edit them.
const DumpKind kKinds[] = {
    {0x00, 0x10, 8, 393, true, [] { return SoundDump::dumpTemplate().data(); }, 0x20, 10, true, 7},
    {0x01, 0x11, 8, 393, true, [] { return MultiDump::dumpTemplate().data(); }, 0x21, 9, false, 7},
    {0x03, 0x13, 8, 545, true, [] { return PatternDump::dumpTemplate().data(); }, 0, 0, false, 0},
    {0x04, 0x14, 6, 207, false, [] { return GlobalDump::dumpTemplate().data(); }, 0x24, 9, false, 5},
};

// Where each kind of dump can be kept: byte 5 and byte 6 from first to last.
struct AddressRange {
    uint8_t dump;
    uint8_t first5, last5, first6, last6;
};
const AddressRange kAddresses[] = {
    {0x10, 0x00, 0x03, 0, 99},          // four banks of sounds
    {0x10, 0x30, 0x30, 0, kParts - 1}, // the parts' sound edit buffers
    {0x11, 0x00, 0x00, 0, 99},          // multis
    {0x11, 0x20, 0x20, 0, 0},           // the multi edit buffer
    {0x13, 0x00, 0x00, 1, 100},         // patterns, counted from 1
    {0x13, 0x20, 0x20, 0, 0},           // the pattern edit buffer of the selected part
    {0x14, 0x00, 0x00, 0, 0},           // the global edit buffer
};

bool validAddress(uint8_t dump, uint8_t a5, uint8_t a6) {
    for (const AddressRange& r : kAddresses)
        if (r.dump == dump && a5 >= r.first5 && a5 <= r.last5 && a6 >= r.first6 && a6 <= r.last6)
            return true;
    return false;
}

void writeChecksum(SynthSimulator::Bytes& d) {
    PatchSysexMessage::writeChecksum(d.data(), int(d.size()));
}

bool hasValidChecksum(const SynthSimulator::Bytes& d) {
    SynthSimulator::Bytes copy = d;
    writeChecksum(copy);
    return copy == d;
}

bool framed(const SynthSimulator::Bytes& m) {
    return m.size() >= 6 && m[0] == 0xF0 && m[1] == 0x3E && m[2] == 0x0F && m.back() == 0xF7;
}

// At the broadcast id: an image is read whatever the device id.
SynthSimulator::Bytes partSelect(int part) {
    return {0xF0, 0x3E, 0x0F, 0x7F, kPartSelect, 0x00, uint8_t(2 * part + 1), 0xF7};
}

} // namespace

SynthSimulator::SynthSimulator(int deviceId) : deviceId(deviceId & 0x7F) {}

SynthSimulator::~SynthSimulator() {
    stop();
}

SynthSimulator::Bytes SynthSimulator::blankDump(int deviceId, uint8_t dumpId, uint8_t address5,
                                                uint8_t address6) {
    for (const DumpKind& k : kKinds) {
        if (k.dump != dumpId) continue;
        Bytes d(k.dumpSize, 0x00);
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
        writeChecksum(d);
        return d;
    }
    return {};
}

SynthSimulator::Key SynthSimulator::keyOf(uint8_t dumpId, uint8_t a5, uint8_t a6) const {
    if (dumpId == kPatternDump && a5 == kEditBuffer) return Key{dumpId, a5, selectedPart};
    return Key{dumpId, a5, a6};
}

SynthSimulator::Bytes& SynthSimulator::heldAt(const Key& key, uint8_t a5, uint8_t a6) {
    Bytes& held = dumps[key];
    if (held.empty()) held = blankDump(deviceId, std::get<0>(key), a5, a6);
    return held;
}

std::vector<SynthSimulator::Bytes> SynthSimulator::answer(const Bytes& m) {
    if (!framed(m) || (m[3] != deviceId && m[3] != 0x7F)) return {};
    std::vector<Bytes> replies;
    std::lock_guard<std::mutex> lock(mutex);
    take(m, &replies);
    return replies;
}

bool SynthSimulator::take(const Bytes& m, std::vector<Bytes>* replies) {
    if (!framed(m)) return false;
    if (m[4] == kPartSelect && m.size() == 8) {
        selectedPart = uint8_t((m[6] - 1) / 2 & 0x0F);
        return true;
    }
    for (const DumpKind& k : kKinds) {
        // Only read where the size is the kind's: the probe has no address bytes.
        const auto address = [&](size_t i) { return k.addressed ? m[i] : uint8_t(0); };
        if (m[4] == k.dump && m.size() == k.dumpSize) {
            const uint8_t a5 = address(5), a6 = address(6);
            if (!validAddress(k.dump, a5, a6) || !hasValidChecksum(m)) return false;
            dumps[keyOf(k.dump, a5, a6)] = m;
            return true;
        }
        if (k.change && m[4] == k.change && m.size() == k.changeSize) {
            // F0 3E 0F dd id [part] hi lo value F7
            const size_t hi = k.changeHasPart ? 6 : 5;
            const uint8_t part = k.changeHasPart ? m[5] : 0;
            const uint8_t edit5 = k.addressed ? (k.changeHasPart ? 0x30 : kEditBuffer) : 0;
            const size_t at = size_t(m[hi] * 128 + m[hi + 1] + k.changeFirstByte);
            if (!validAddress(k.dump, edit5, part) || at > k.dumpSize - 3) return false;
            Bytes& held = heldAt(keyOf(k.dump, edit5, part), edit5, part);
            held[at] = m[hi + 2] & 0x7F;
            writeChecksum(held);
            return true;
        }
        if (m[4] == k.request && m.size() == k.requestSize) {
            const uint8_t a5 = address(5), a6 = address(6);
            if (!replies || !validAddress(k.dump, a5, a6)) return false;
            if (silence && silence(m)) return true;
            ++answered;
            const auto it = dumps.find(keyOf(k.dump, a5, a6));
            Bytes d = it != dumps.end() ? it->second : blankDump(deviceId, k.dump, a5, a6);
            d[3] = uint8_t(deviceId); // outside the checksum
            replies->push_back(std::move(d));
            return true;
        }
    }
    return false;
}

void SynthSimulator::fillCanonical() {
    std::lock_guard<std::mutex> lock(mutex);
    for (const AddressRange& r : kAddresses) {
        const DumpKind& k = *std::find_if(std::begin(kKinds), std::end(kKinds),
                                          [&](const DumpKind& c) { return c.dump == r.dump; });
        // The pattern edit buffer is one per part.
        const int copies = r.dump == kPatternDump && r.first5 == kEditBuffer ? kParts : 1;
        for (int a5 = r.first5; a5 <= r.last5; ++a5)
            for (int a6 = r.first6; a6 <= r.last6; ++a6)
                for (int part = 0; part < copies; ++part) {
                    Bytes d(k.canonical(), k.canonical() + k.dumpSize);
                    d[3] = uint8_t(deviceId);
                    if (k.addressed) {
                        d[5] = uint8_t(a5);
                        d[6] = uint8_t(a6);
                    } else {
                        d[42] = d[3];
                    }
                    writeChecksum(d);
                    const Key key = copies > 1 ? Key{r.dump, uint8_t(a5), uint8_t(part)}
                                               : Key{r.dump, uint8_t(a5), uint8_t(a6)};
                    dumps[key] = std::move(d);
                }
    }
}

bool SynthSimulator::load(const Bytes& image) {
    std::lock_guard<std::mutex> lock(mutex);
    bool kept = false;
    for (auto start = image.begin(); start != image.end();) {
        start = std::find(start, image.end(), uint8_t(0xF0));
        const auto end = std::find(start, image.end(), uint8_t(0xF7));
        if (end == image.end()) break;
        kept = take(Bytes(start, end + 1), nullptr) || kept;
        start = end + 1;
    }
    return kept;
}

SynthSimulator::Bytes SynthSimulator::image() const {
    std::lock_guard<std::mutex> lock(mutex);
    Bytes out;
    for (const auto& [key, dump] : dumps) {
        if (std::get<0>(key) == kPatternDump && std::get<1>(key) == kEditBuffer) {
            const Bytes select = partSelect(std::get<2>(key));
            out.insert(out.end(), select.begin(), select.end());
        }
        out.insert(out.end(), dump.begin(), dump.end());
    }
    const Bytes select = partSelect(selectedPart);
    out.insert(out.end(), select.begin(), select.end());
    return out;
}

void SynthSimulator::start(Reply r) {
    stop();
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        stopping = false;
        reply = std::move(r);
    }
    thread = std::thread([this] { serve(); });
}

void SynthSimulator::receive(const Bytes& m) {
    std::lock_guard<std::mutex> lock(queueMutex);
    const int64_t due =
        platform::NowNanos() + (delayMillis ? delayMillis(m) : 0) * int64_t(1000000);
    // After every answer due no later, so answers due together keep their order.
    const auto at = std::upper_bound(queue.begin(), queue.end(), due,
                                     [](int64_t d, const Pending& p) { return d < p.due; });
    queue.insert(at, {m, due});
    changed.notify_all();
}

void SynthSimulator::stop() {
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        stopping = true;
        queue.clear();
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
    setAnswerDelay([millis](const Bytes&) { return millis; });
}

void SynthSimulator::setAnswerDelay(std::function<int(const Bytes&)> millis) {
    std::lock_guard<std::mutex> lock(queueMutex);
    delayMillis = std::move(millis);
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

} // namespace qsim
