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

constexpr int64_t kNanosPerMilli = 1000000;
constexpr int64_t kCableNanosPerByte = 320000;
// The output takes no message over 16,000 bytes: no wait for the cable is longer, even when
// the clock jumps back.
constexpr int64_t kLongestCableNanos = 16000 * kCableNanosPerByte;
// How often a run under watch is looked at while the job waits for it.
constexpr int kWatchLookMillis = 5;

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

bool MIDIMessageSender::runWatched(Run& run) {
    run.first = plugin->midiOutQueued();
    const bool sent = run.send();
    run.last = plugin->midiOutQueued();
    return sent;
}

bool MIDIMessageSender::sendWatched(int label, std::function<bool()> send) {
    Run run{std::move(send), 0, 0, 0, label};
    if (!runWatched(run)) return false;
    if (run.last > run.first) watched.push_back(std::move(run));
    return true;
}

// JACK drops the MIDI of the cycles that a client missed by running late (an xrun) and tells
// of it a little after; the output says of each message whether a notice may still come.
int MIDIMessageSender::settleWatched(bool wait) {
    int failedLabel = kNoneFailed;
    const auto fail = [&](const Run& run) {
        if (failedLabel == kNoneFailed || run.label < failedLabel) failedLabel = run.label;
    };
    while (!watched.empty() && !halted()) {
        bool resent = false;
        for (size_t i = 0; i < watched.size();) {
            Run& run = watched[i];
            if (!connectionHeld()) {
                fail(run);
                watched.erase(watched.begin() + long(i));
                continue;
            }
            platform::MidiDelivery delivery = platform::MidiDelivery::kClear;
            for (uint64_t n = run.first + 1; n <= run.last; ++n) {
                const platform::MidiDelivery d = plugin->midiOutDelivery(n);
                if (d != platform::MidiDelivery::kClear) delivery = d;
                if (d == platform::MidiDelivery::kMayBeLost) break;
            }
            if (delivery == platform::MidiDelivery::kClear) {
                watched.erase(watched.begin() + long(i));
                continue;
            }
            if (delivery == platform::MidiDelivery::kMayBeLost) {
                if (run.resends == kXrunResends) {
                    plugin->printDebugInfo("MIDI PORTS: JACK told of an xrun each of the " +
                                           std::to_string(kXrunResends + 1) +
                                           " times a dump went out");
                    fail(run);
                    watched.erase(watched.begin() + long(i));
                    continue;
                }
                plugin->printDebugInfo(
                    "MIDI PORTS: JACK told of an xrun as a dump went out: it goes again");
                ++run.resends;
                resent = true;
                // Up to a pause unit more for each copy: a slower source of xruns too.
                leaveAfterXrun(run.resends * plugin->getTimerValue());
                if (!runWatched(run)) {
                    fail(run);
                    watched.erase(watched.begin() + long(i));
                    continue;
                }
            }
            ++i;
        }
        if (!wait || watched.empty()) break;
        // A run sent again has taken its pauses: look again at once.
        if (!resent) pause(kWatchLookMillis);
    }
    // A cancel or a stop leaves the rest unwatched.
    if (halted()) watched.clear();
    return failedLabel;
}

bool MIDIMessageSender::mayBeLostSince(uint64_t queued) {
    for (uint64_t n = plugin->midiOutQueued(); n > queued; --n)
        if (plugin->midiOutDelivery(n) == platform::MidiDelivery::kMayBeLost) return true;
    return false;
}

void MIDIMessageSender::leaveAfterXrun(int millis) {
    const auto waitUntil = [&](bool shadowed) {
        const int64_t end = platform::NowNanos() + millis * kNanosPerMilli;
        while ((plugin->midiOutXrunShadowNanos() > 0) != shadowed && !halted() &&
               platform::NowNanos() < end)
            pause(kWatchLookMillis);
    };
    waitUntil(true);
    waitUntil(false);
}

bool MIDIMessageSender::deliver(std::function<bool()> send) {
    return sendWatched(0, std::move(send)) && settleWatched(true) == kNoneFailed;
}

bool MIDIMessageSender::sendDump(uint8_t* dump, int size, int pauseMillis) {
    return deliver([=] {
        const bool sent = transmit(size, [=] { return plugin->checksumCheckAndSend(dump, size); });
        pace(pauseMillis);
        return sent;
    });
}

MIDIMessageSender::BankChange MIDIMessageSender::changeBank(int part, int pauseMillis) {
    bool changed = true;
    // None reaches a synthesizer that came back meanwhile, which the next send then says.
    const bool delivered = deliver([&] {
        changed = !connectionHeld() || plugin->BankChangeMessage(part);
        pause(pauseMillis);
        return true;
    });
    return !delivered ? BankChange::kLost : changed ? BankChange::kSent : BankChange::kRefused;
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
