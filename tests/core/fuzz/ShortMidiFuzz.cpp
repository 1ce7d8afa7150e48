// Short MIDI through the plug-in's own doors: the external input's callback (one to three
// bytes from the synthesizer) and the host's event list, under the editor state that the first
// four bytes choose. Whatever arrives, everything the plug-in sends on to the synthesizer is
// well-formed MIDI, a message its gate drops sends nothing (the overlay and the incoming-MIDI
// gate hold back all but the note-offs of notes that went out), and a message cut short is
// never completed: it sends nothing and is counted.
#include "src/core/Zoz.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/ScaledClock.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// The MIDI library's JACK back end keeps the ring buffers of a client that found no server.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:jack_ringbuffer_create\n";
}

namespace {

constexpr size_t kMostMessages = 256;

// The bytes of one message a status byte announces: 0 for none that may go out alone.
size_t lengthOf(uint8_t status) {
    if (status < 0x80) return 0;
    if (status < 0xF0) return (status >> 4) == 0xC || (status >> 4) == 0xD ? 2 : 3;
    if (status == 0xF1 || status == 0xF3) return 2;
    if (status == 0xF2) return 3;
    return status == 0xF6 || status >= 0xF8 ? 1 : 0;
}

bool wellFormed(const unsigned char* bytes, int size) {
    if (size < 1) return false;
    if (bytes[0] == 0xF0) {
        if (size < 2 || bytes[size - 1] != 0xF7) return false;
        for (int i = 1; i < size - 1; ++i)
            if (bytes[i] >= 0x80) return false;
        return true;
    }
    if (lengthOf(bytes[0]) != size_t(size)) return false;
    for (int i = 1; i < size; ++i)
        if (bytes[i] >= 0x80) return false;
    return true;
}

bool isNoteOff(const uint8_t* bytes) {
    return (bytes[0] >> 4) == 8 || ((bytes[0] >> 4) == 9 && bytes[2] == 0);
}

// Output is checked and counted instead of sent; the notes it started and did not end yet.
class CheckedZoz : public Zoz {
public:
    using Zoz::Zoz;
    std::atomic<int> sends{0};
    std::array<std::atomic<bool>, 16 * 128> sounding{};

protected:
    bool SendExternalMIDI(const unsigned char* bytes, int size) override {
        if (!wellFormed(bytes, size)) abort();
        ++sends;
        if (size == 3 && (bytes[0] >> 4 == 8 || bytes[0] >> 4 == 9))
            sounding[size_t((bytes[0] & 15) * 128 + bytes[1])] = !isNoteOff(bytes);
        return true;
    }
};

// Part p listens on channel p, part 15 on none; no librarian or program-bank control, so
// program changes start no transfer.
CheckedZoz& plugIn() {
    static testsupport::ManualClock clock;
    static const std::unique_ptr<CheckedZoz> plug = [] {
        char folder[] = "/tmp/zoz-short-midi-XXXXXX";
        if (!mkdtemp(folder)) abort();
        setenv("ZOZ_DATA_DIR", (std::string(folder) + "/").c_str(), 1);
        setenv("ZOZ_RESOURCES_DIR", ZOZ_BUILT_RESOURCES, 1);
        auto made = std::make_unique<CheckedZoz>(IEffectInstanceInfo{});
        std::filesystem::remove_all(folder); // start-up made it; nothing is read from it later
        for (int part = 0; part < 16; ++part)
            made->GetParam(kMultiPartMIDICh + part)->Set(part < 15 ? part + 2 : 1);
        return made;
    }();
    return *plug;
}

void waitForWorkers(MIDIMessageManager& manager) {
    for (int w = 0; w < MIDIMessageManager::kWorkerCount; ++w)
        while (manager.isRunning(MIDIMessageManager::Worker(w)))
            std::this_thread::yield();
}

void fromHost(CheckedZoz& plug, const uint8_t bytes[3]) {
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof midi;
    for (int i = 0; i < 3; ++i)
        midi.midiData[i] = char(bytes[i]);
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&midi);
    AEffect* effect = plug.GetAEffect();
    effect->dispatcher(effect, effProcessEvents, 0, 0, &events, 0.0f);
    plug.WaitForOutputThread(); // the host's MIDI is handled there
}

} // namespace

// Byte 0: bit 0 the progress overlay, 1 the incoming-MIDI gate, 2 the master keyboard, 3 an
// output chosen, 4 local control, 5 the indicators following outgoing MIDI, 6 the Q+. Byte 1:
// the global channel setting (0..16). Bytes 2 and 3: the pass filters blocked on the
// synthesizer's and the host's side, a bit a kind. Then four bytes a message: bit 0 of the
// first from the host, else bits 1-2 its length from the synthesizer (1..3); then its bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    CheckedZoz& plug = plugIn();
    MIDIMessageManager& manager = *plug.getMessageManager();
    const uint8_t setup = data[0];
    const bool overlay = setup & 1, gate = setup & 2;
    plug.DisplayProcessingIndicator(overlay);
    plug.setArrangementSendFlags(gate, false, false);
    plug.setArrangementBusy(false);
    plug.setMasterKeyboard(setup & 4);
    plug.setMIDIIOSet(setup & 8);
    plug.setLocalControl(setup & 16);
    plug.setFollowIncoming(!(setup & 32));
    plug.GetParam(kQModel)->Set(setup >> 6 & 1);
    plug.GetParam(kGlobalMidiChannel)->Set(data[1] % 17);
    for (int kind = 0; kind < Zoz::kFilterSysEx; ++kind) {
        plug.setBlocked(true, Zoz::FilterKind(kind), data[2] >> kind & 1);
        plug.setBlocked(false, Zoz::FilterKind(kind), data[3] >> kind & 1);
    }

    for (size_t at = 4, n = 0; at + 4 <= size && n < kMostMessages; at += 4, ++n) {
        const bool host = data[at] & 1;
        const uint8_t* bytes = data + at + 1;
        const size_t length = host ? 3 : 1 + (data[at] >> 1) % 3;
        const int global = TruncToInt(plug.GetParamValue(kGlobalMidiChannel)) - 1;
        const bool channel = bytes[0] >= 0x80 && bytes[0] < 0xF0;
        // The synthesizer's bytes are framed: real-time bytes stand apart from the message they
        // interrupt, a later status byte starts a message of its own, and a first byte that is
        // no channel status may add to or end a SysEx left open.
        uint8_t message[3];
        size_t kept = 0;
        for (size_t i = 0; i < length; ++i)
            if (host || bytes[i] < 0xF8) message[kept++] = bytes[i];
        const bool single = host || (channel && std::all_of(message + 1, message + kept,
                                                            [](uint8_t b) { return b < 0x80; }));
        // A channel message short of a data byte, or with a status byte in its place.
        const bool cut = channel && !IMidiMsg::IsComplete(message, kept);
        const bool ends = !cut && kept == 3 && isNoteOff(message) &&
                          plug.sounding[size_t((message[0] & 15) * 128 + message[1])];
        const bool dropped =
            single && (cut || !channel || ((overlay || gate) && !ends) ||
                       (!host && plug.masterKeyboardFlag()) || (bytes[0] & 15) == global);
        const int before = plug.sends;
        const unsigned droppedBefore = plug.DroppedMIDICount();
        if (host)
            fromHost(plug, bytes);
        else
            plug.processMIDIInput(bytes, length);
        waitForWorkers(manager);
        if (dropped && plug.sends != before) abort();
        if (cut && plug.DroppedMIDICount() == droppedBefore) abort();
    }
    return 0;
}
