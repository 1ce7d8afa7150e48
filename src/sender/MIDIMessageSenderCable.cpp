// What a job sends leaves no faster than a MIDI cable carries it: 31,250 baud, ten bits a byte.
// A USB interface or a bridge to one buffers only a few kilobytes; handed more, it drops what
// does not fit while the job goes on as if it had arrived.

#include "platform/Clock.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SysexMessage.h"

#include <algorithm>
#include <string>

namespace {

constexpr int64_t kCableNanosPerByte = 320000;
constexpr int64_t kNanosPerMilli = 1000000;
// The output takes no message over 16,000 bytes: no wait for the cable is longer, even when
// the clock jumps back.
constexpr int64_t kLongestCableNanos = 16000 * kCableNanosPerByte;

} // namespace

void MIDIMessageSender::pace(int millis) {
    const int64_t now = platform::NowNanos();
    const int64_t since = std::max(now - sentAt, int64_t(0));
    const int64_t cable = std::min(cableClearAt - now, kLongestCableNanos);
    const int64_t wait = std::max(int64_t(millis) * kNanosPerMilli - since, cable);
    if (wait > 0) pause(int((wait + kNanosPerMilli - 1) / kNanosPerMilli));
}

bool MIDIMessageSender::transmit(int wireBytes, const std::function<bool()>& send) {
    pace(0);
    sentAt = platform::NowNanos();
    if (!connectionHeld() || !send()) return false;
    cableClearAt = std::max(platform::NowNanos(), cableClearAt) + wireBytes * kCableNanosPerByte;
    // A message that may have reached a synthesizer which came back meanwhile fails too.
    return connectionHeld();
}

// JACK drops the MIDI of the cycles that a client missed by running late (an xrun), and tells
// of it a little after the first: one told from a window before the send (a client still late
// as the dump went) to a window after it (the cycle that took the dump) may have dropped it.
bool MIDIMessageSender::deliver(int wireBytes, const std::function<bool()>& send) {
    for (int resends = 0;; ++resends) {
        if (!transmit(wireBytes, send)) return false;
        const int window = plugin->midiOutXrunWindowMillis();
        if (window == 0) return true;
        pause(window);
        const int64_t since = (platform::NowNanos() - sentAt + kNanosPerMilli - 1) / kNanosPerMilli;
        if (halted() || !plugin->midiOutXrunWithin(int(since) + window)) return true;
        if (resends == kXrunResends) {
            plugin->printDebugInfo("MIDI PORTS: JACK told of an xrun each of the " +
                                   std::to_string(kXrunResends + 1) + " times a dump went out");
            return false;
        }
        plugin->printDebugInfo(
            "MIDI PORTS: JACK told of an xrun as a dump went out: it goes again");
    }
}

bool MIDIMessageSender::sendDump(uint8_t* dump, int size) {
    return deliver(size, [&] { return plugin->checksumCheckAndSend(dump, size); });
}

bool MIDIMessageSender::send(std::vector<uint8_t> bytes, bool guarded) {
    const int size = int(bytes.size());
    // The output frames a message that does not begin with F0.
    const int wireBytes = size > 0 && bytes[0] == SysexMessage::kStart ? size : size + 2;
    return transmit(wireBytes, [&] {
        return guarded ? plugin->checksumCheckAndSend(bytes.data(), size)
                       : plugin->SendMidiSysex(bytes.data(), size);
    });
}

void MIDIMessageSender::failed(const std::string& what, bool guarded, const char* transfer) {
    const std::string text = std::string("Data ") + transfer + " FAILED at " + what + "!";
    plugin->printDebugInfo("MIDI PORTS: " + text);
    // Without an output the guarded path has said "Set MIDI I/O First!", which tells more,
    // unless the port's close is what ended the job.
    const bool returned = !connectionHeld();
    if (returned) failedAcrossReturn = text;
    if (!guarded || plugin->isMIDIIOSet() || returned) show(text);
}
