// The audio callback as the plug-in's clock: the host's transport and tempo, the MIDI clock,
// the block-timed MIDI queue, the notes-off after a reset, the indicators' time-out and the
// requests that wait for a free worker.
//
// The block runs on the host's audio thread, which must never wait: it takes no lock (but
// tries), allocates nothing, starts no thread and writes no file. What it sends is queued for
// the plug-in's output thread; what would wait (posting a job, the editor's displays, the log)
// it leaves there as errands, done in OnBlocksSent after its messages went out.

#include "src/core/Zoz.h"

#include "kit/winl/winl.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SysexMessage.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

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
        postFromBlock(SenderJob::kSendContinuousMIDIClock);
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
    // An idle block leaves the output thread asleep.
    WakeOutputThread(blockErrands.Pending() || followUpDue());
}

// The start-up enquiry, a waiting part request and a restore's arrangement are posted after
// a block.
bool Zoz::followUpDue() const {
    return enquiryDue() || pendingPartRequest || pendingArrangement;
}

// Once, after the first block that follows the opening of the stored ports.
bool Zoz::enquiryDue() const {
    return startupComplete && midiIOSet && storedOutName && storedPortsOpened;
}

// A start posts one clock start per run of the transport and a stop only after a start; the
// flag moves also when the worker was busy. Queued output leaves the clock alone.
void Zoz::followTransport(bool running) {
    if (running == transportPlaying) return;
    transportPlaying = running;
    if (toHostBuffer || running == clockStartPosted) return;
    postFromBlock(running ? SenderJob::kStartMIDIClockOutput : SenderJob::kStopMIDIClockOutput);
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
            logFromBlock("PROCESSOR: Host tempo is out of sync!");
        }
        if (hostTempoSynced) return;
        logFromBlock("PROCESSOR: Host tempo synced to %dBPM", bpm);
        showFromBlock(kMultiTempo, value);
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
    const auto message = SysexMessage::framedTempoMessage(deviceId, value);
    QueueExternalMIDI(message.data(), int(message.size()));
}

// With queued output the loop walks the DAW buffer and shows the delay it gives.
int Zoz::samplePositions(int nFrames) {
    if (!toHostBuffer) {
        showDelayFromBlock(kNoBufferDelay);
        return nFrames;
    }
    const int samples = dawBufferSamples;
    const int n = samples >= 0 ? samples : 1;
    const double rate = sampleRate;
    const double millis = rate > 0.0 && n > 0 ? std::trunc(1000.0 / (rate / n)) : 0;
    char text[sizeof shownDelay];
    snprintf(text, sizeof text, "%.0fms|%dbfr", millis, GetBlockSize());
    showDelayFromBlock(text);
    return n;
}

void Zoz::showDelayFromBlock(const char* text) {
    if (!GetGUI() || strcmp(text, shownDelay) == 0) return;
    snprintf(shownDelay, sizeof shownDelay, "%s", text);
    textFromBlock(kControlDisplayMIDIOutDelay, text);
}

// Sends (with queued output) or drops what is due before position `positions`; the flush
// moves the rest on by as many positions. A queue busy elsewhere waits for the next block.
void Zoz::drainQueue(int positions, bool flush) {
    IMidiQueue::Block queue(midiQueue);
    for (const IMidiMsg* due; (due = queue.Peek()) && due->offset < positions; queue.Remove()) {
        IMidiMsg msg = *due;
        if (toHostBuffer) sendFromBlock(&msg);
    }
    if (flush) queue.Flush(positions);
}

// What AllSoundsOff(0, true) sends, through the block's own road.
void Zoz::silenceAfterReset() {
    pendingReset = false;
    eachNotesOff(0, true, &Zoz::routeFromBlock);
    notesOffSent = true;
    for (int part = 0; part < 16; ++part)
        if (partLit[size_t(part)].exchange(false)) showFromBlock(kMIDILed + part, 0.0);
}

// The difference of two tick counts stays right across the 32-bit wrap.
void Zoz::timeOutIndicators() {
    const unsigned int now = GetTickCount();
    for (int part = 0; part < 16; ++part) {
        if (!partLit[size_t(part)] || now - partLitAt[size_t(part)] <= kIndicatorMillis) continue;
        partLit[size_t(part)] = false;
        showFromBlock(kMIDILed + part, 0.0);
    }
}

bool Zoz::lightIndicatorState(int part) {
    if (part < 0 || part > 15 || partLit[size_t(part)].exchange(true)) return false;
    partLitAt[size_t(part)] = GetTickCount();
    return true;
}

// ---- The block's road out: as MIDIOutRoutingSwitch and sendMidiMsgAndLog, but queued. The
// host's blocks drain the queue at once, so a message the switch would queue goes now.

void Zoz::routeFromBlock(IMidiMsg* msg) {
    if (!(progressShowing && notesOffSent)) sendFromBlock(msg);
}

void Zoz::sendFromBlock(IMidiMsg* msg) {
    if (!midiIOSet) {
        textFromBlock(kControlDisplayName, "Set MIDI I/O First!");
        return;
    }
    const int part = followIncoming ? -1 : messageManager->partOnChannel(msg->Channel());
    if (lightIndicatorState(part)) showFromBlock(kMIDILed + part, 1.0);
    QueueMidiMsg(*msg);
}

// ---- Errands: what the block leaves for the output thread.

void Zoz::postFromBlock(int command) {
    BlockErrand errand{};
    errand.kind = BlockErrand::kPost;
    errand.param = command;
    blockErrands.PushRecord(errand);
}

// The parameter takes the value now, as SetParameterFromPlug would; its controls show it after.
void Zoz::showFromBlock(int paramIdx, double value) {
    IParam* param = GetParam(paramIdx);
    if (!param) return;
    BlockErrand errand{};
    errand.kind = BlockErrand::kShow;
    errand.param = paramIdx;
    errand.value = param->GetNormalized(value);
    param->SetNormalized(errand.value);
    blockErrands.PushRecord(errand);
}

void Zoz::textFromBlock(int paramIdx, const char* text) {
    BlockErrand errand{};
    errand.kind = BlockErrand::kShowText;
    errand.param = paramIdx;
    snprintf(errand.text, sizeof errand.text, "%s", text);
    blockErrands.PushRecord(errand);
}

void Zoz::logFromBlock(const char* format, ...) {
    if (!logEnabled) return;
    BlockErrand errand{};
    errand.kind = BlockErrand::kLog;
    va_list args;
    va_start(args, format);
    vsnprintf(errand.text, sizeof errand.text, format, args);
    va_end(args);
    blockErrands.PushRecord(errand);
}

void Zoz::OnBlocksSent() {
    BlockErrand errand;
    while (blockErrands.PopRecord(errand)) {
        switch (errand.kind) {
        case BlockErrand::kPost:
            postJob(errand.param, {});
            break;
        case BlockErrand::kShow:
            editor->SetParameterFromPlug(errand.param, errand.value, true);
            break;
        case BlockErrand::kShowText:
            showText(errand.param, errand.text);
            break;
        case BlockErrand::kLog:
            log(errand.text);
            break;
        }
    }
    if (const size_t dropped = blockErrands.TakeDropped())
        log("PROCESSOR: ", std::to_string(dropped), " errands of the audio thread dropped");
    if (enquiryDue()) {
        postDeviceIdProbe();
        storedPortsOpened = false;
    }
    // Retried after each block until the dump worker takes them; a restore's arrangement is
    // dropped when the output closed meanwhile.
    if (pendingPartRequest &&
        messageManager->postEditorRequest(SenderJob::kSendPartRequestSysex, shownPart, false))
        pendingPartRequest = false;
    if (pendingArrangement && (!midiIOSet || postRestoredArrangement())) pendingArrangement = false;
}
