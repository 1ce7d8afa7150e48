// What a job sends leaves no faster than a MIDI cable carries it: 31,250 baud, ten bits a byte.
// A USB interface or a bridge to one buffers only a few kilobytes; handed more, it drops what
// does not fit while the job goes on as if it had arrived.

#include "platform/Clock.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SysexMessage.h"

#include <algorithm>

namespace {

constexpr int64_t kCableNanosPerByte = 320000;
constexpr int64_t kNanosPerMilli = 1000000;
// The output takes no message over 16,000 bytes: no wait for the cable is longer, even when
// the clock jumps back.
constexpr int64_t kLongestCableNanos = 16000 * kCableNanosPerByte;

} // namespace

void MIDIMessageSender::pace(int millis) {
    const int64_t now = platform::NowNanos();
    const int64_t cable = std::min(cableClearAt - now, kLongestCableNanos);
    const int64_t wait = std::max(int64_t(millis) * kNanosPerMilli, cable);
    if (wait > 0) pause(int((wait + kNanosPerMilli - 1) / kNanosPerMilli));
}

bool MIDIMessageSender::transmit(int wireBytes, const std::function<bool()>& send) {
    pace(0);
    if (!connectionHeld() || !send()) return false;
    cableClearAt = std::max(platform::NowNanos(), cableClearAt) + wireBytes * kCableNanosPerByte;
    // A message that may have reached a synthesizer which came back meanwhile fails too.
    return connectionHeld();
}

bool MIDIMessageSender::sendDump(uint8_t* dump, int size) {
    return transmit(size, [&] { return plugin->checksumCheckAndSend(dump, size); });
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
