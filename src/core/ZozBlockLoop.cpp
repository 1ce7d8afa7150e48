// The audio callback as the plug-in's clock: the host's transport and tempo, the MIDI clock,
// the block-timed MIDI queue, the notes-off after a reset, the indicators' time-out and the
// requests that wait for a free worker.

#include "src/core/Zoz.h"

#include "kit/winl/winl.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SysexMessage.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The synthesizer's tempo byte counts from 65 BPM.
constexpr int kLowestTempo = 65;
constexpr unsigned int kIndicatorMillis = 100;

int tempoByte(int value) {
    return std::clamp(value, 0, 127);
}

} // namespace

void Zoz::ProcessDoubleReplacing(double**, double**, int nFrames) {
    GetTime(&timeInfo);
    const bool running = timeInfo.transportIsRunning;
    followTransport(running);
    if (midiIOSet && !clockStarted) {
        messageManager->getSender()->resetContinuousClock(false);
        postJob(SenderJob::kSendContinuousMIDIClock, {});
        clockStarted = true;
    }
    followTempo();

    const int n = samplePositions(nFrames);
    // The steps of each position repeat unchanged after the first, so each runs once: what
    // is due at position 0 leaves before the notes-off, the rest of the block's share after.
    if (n > 0) {
        drainQueue(1, false);
        if (!running && pendingReset && midiIOSet) silenceAfterReset();
        if (GetGUI()) timeOutIndicators();
    }
    drainQueue(n, true);

    // No pause here: the host's audio would drop out.
    if (startupComplete && midiIOSet && storedOutName && storedPortsOpened) {
        postDeviceIdProbe();
        storedPortsOpened = false;
    }
    // Retried each block until the dump worker takes it.
    if (pendingPartRequest &&
        messageManager->postEditorRequest(SenderJob::kSendPartRequestSysex, shownPart, false))
        pendingPartRequest = false;
}

// A start posts one clock start per run of the transport and a stop only after a start; the
// flag moves also when the worker was busy. Queued output leaves the clock alone.
void Zoz::followTransport(bool running) {
    if (running == transportPlaying) return;
    transportPlaying = running;
    if (toHostBuffer || running == clockStartPosted) return;
    postJob(running ? SenderJob::kStartMIDIClockOutput : SenderJob::kStopMIDIClockOutput, {});
    clockStartPosted = running;
}

// The tempo byte goes out once per change: in host mode of the host's whole BPM, else of the
// chosen tempo. A host without a tempo changes nothing.
void Zoz::followTempo() {
    const double mode = GetParamValue(kOverrideTempo);
    if (!midiIOSet) return;
    if (mode == 1.0) {
        const double tempo = GetTempo();
        if (tempo == 0.0) return;
        const int bpm = TruncToInt(tempo);
        const int value = tempoByte(bpm - kLowestTempo);
        if (value != lastTempo) {
            lastTempo = value;
            hostTempoSynced = false;
            log("PROCESSOR: Host tempo is out of sync!");
        }
        if (hostTempoSynced) return;
        log("PROCESSOR: Host tempo synced to ", std::to_string(bpm), "BPM");
        editor->SetParameterFromPlug(kMultiTempo, value, false);
        sendTempo(value);
        hostTempoSynced = true;
    } else if (mode == 0.0) {
        const int value = tempoByte(TruncToInt(GetParamValue(kMultiTempo)));
        if (value == lastTempo) return;
        lastTempo = value;
        sendTempo(value);
    }
}

void Zoz::sendTempo(int value) {
    const std::vector<uint8_t> message = SysexMessage::tempoMessage(deviceId, value);
    SendMidiSysex(message.data(), int(message.size()));
}

// With queued output the loop walks the DAW buffer and shows the delay it gives.
int Zoz::samplePositions(int nFrames) {
    if (!toHostBuffer) return nFrames;
    const int samples = dawBufferSamples;
    const int n = samples >= 0 ? samples : 1;
    if (GetGUI()) {
        const double rate = sampleRate;
        const double millis = rate > 0.0 && n > 0 ? std::trunc(1000.0 / (rate / n)) : 0;
        char text[64];
        snprintf(text, sizeof text, "%.0fms|%dbfr", millis, GetBlockSize());
        showText(kControlDisplayMIDIOutDelay, text);
    }
    return n;
}

// Sends (with queued output) or drops what is due before position `positions`; the flush
// moves the rest on by as many positions. A queue busy elsewhere waits for the next block.
void Zoz::drainQueue(int positions, bool flush) {
    IMidiQueue::Block queue(midiQueue);
    for (const IMidiMsg* due; (due = queue.Peek()) && due->offset < positions; queue.Remove()) {
        IMidiMsg msg = *due;
        if (toHostBuffer) sendMidiMsgAndLog(&msg);
    }
    if (flush) queue.Flush(positions);
}

void Zoz::silenceAfterReset() {
    pendingReset = false;
    AllSoundsOff(0, true);
    for (int part = 0; part < 16; ++part)
        if (partLit[size_t(part)].exchange(false))
            editor->SetParameterFromPlug(kMIDILed + part, 0.0, false);
}

// The difference of two tick counts stays right across the 32-bit wrap.
void Zoz::timeOutIndicators() {
    const unsigned int now = GetTickCount();
    for (int part = 0; part < 16; ++part) {
        if (!partLit[size_t(part)] || now - partLitAt[size_t(part)] <= kIndicatorMillis) continue;
        partLit[size_t(part)] = false;
        editor->SetParameterFromPlug(kMIDILed + part, 0.0, false);
    }
}
