#include "platform/Clock.h"
#include "src/librarian/PatchFile.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SenderOwner.h"
#include "src/sender/SenderPlugin.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTimeoutWaits = 30;
constexpr int kDeviceIds = 128;
constexpr int kPollPasses = 100;
constexpr int kParts = 16;
constexpr int kMultiPollMillis = 25;
constexpr int kPatternPollMillis = 20;
constexpr int kPartSelectMillis = 100;

const char kTimedOut[] = "CONNECTION TIMED OUT!";
const char kProcessing[] = "Data processing, please wait...";
const char kMultiProcessing[] = "Processing, please wait...";
const char kCheckingId[] = "Please wait, checking DeviceID ";
// The single requests and the multi bank end in capitals, the sound and pattern banks do not.
const char kCancelledUpper[] = "Data request CANCELLED!";
const char kCompletedUpper[] = "Data request Completed!";
const char kCancelledLower[] = "Data request cancelled!";
const char kCompletedLower[] = "Data request completed!";
const char kRequestFailed[] = "Data request FAILED!";

// A slot a single request may ask for.
int requestSlot(int slot) {
    return std::clamp(slot, 0, PatchFile::kBankSize - 1);
}

} // namespace

int MIDIMessageSender::pauseUnitMillis(double libSyncTimer) {
    static const int kUnits[] = {50, 75, 100, 150, 200, 300, 400, 500};
    const double index = std::trunc(libSyncTimer);
    if (!(index >= 0 && index < int(std::size(kUnits)))) return 100;
    return kUnits[int(index)];
}

void MIDIMessageSender::pause(int millis) {
    stopping.SleepMillis(millis);
}

void MIDIMessageSender::show(const std::string& text) {
    plugin->setUpperDisplayText(text);
}

int MIDIMessageSender::selectedSlot() const {
    return librarian ? librarian->upperSlotIndex.load() : 0;
}

void MIDIMessageSender::setSelectedSlot(int slot) {
    if (librarian) librarian->upperSlotIndex = slot;
}

MIDIMessageSender::Request MIDIMessageSender::makeRequest(SysexMessageId id,
                                                          SysexMessage::Address address,
                                                          int pauseMillis, int resendAt,
                                                          Resend resend) const {
    Request r;
    r.bytes = SysexMessage::request(plugin->getDeviceId(), id, address);
    r.pause = pauseMillis;
    r.resendAt = resendAt;
    r.resend = resend;
    return r;
}

MIDIMessageSender::Request MIDIMessageSender::makeSlotRequest(SysexMessageId id,
                                                              SysexMessage::Address slot,
                                                              int pauseMillis, int resendAt,
                                                              Resend resend) const {
    Request r = makeRequest(id, slot, pauseMillis, resendAt, resend);
    r.slot = slot;
    return r;
}

void MIDIMessageSender::beginRequest(bool toEditor, std::optional<SysexMessage::Address> slot) {
    error = false;
    cancel = false;
    unreached = false;
    if (toEditor)
        plugin->SetLibrarianRequestActive(false);
    else
        armLibrarian(slot);
}

void MIDIMessageSender::armLibrarian(std::optional<SysexMessage::Address> slot) {
    if (slot)
        plugin->armLibrarianRequestForSlot(*slot);
    else
        plugin->SetLibrarianRequestActive(true);
}

bool MIDIMessageSender::answerable() const {
    return connectionHeld() && (plugin->isMIDIInReaching() || plugin->isAnswerReceived());
}

bool MIDIMessageSender::awaitAnswer(const Request& request) {
    unreached = false;
    for (int waits = 1;; ++waits) {
        pause(request.pause);
        if (halted()) {
            error = true;
            return false;
        }
        // Waiting out every pause (16 s a slot with the scan) would change nothing.
        if (!answerable() || (waits == request.resendAt && !resend(request))) {
            unreached = true;
            error = true;
            return false;
        }
        if (waits == kTimeoutWaits) {
            show(kTimedOut);
            error = true;
            return false;
        }
        if (plugin->isAnswerReceived()) return true;
    }
}

bool MIDIMessageSender::resend(const Request& request) {
    std::vector<uint8_t> bytes = request.bytes;
    for (int id = 0; id < kDeviceIds; ++id) {
        const uint64_t queued = plugin->midiOutQueued();
        if (request.resend == Resend::kIdScan) {
            bytes[2] = uint8_t(id);
        } else {
            // Armed anew before each send: the librarian is the destination of these requests.
            armLibrarian(request.slot);
            bytes[2] = uint8_t(plugin->getDeviceId() & 0x7F);
        }
        if (!send(bytes, request.guarded)) return false;
        if (request.guarded) show(kCheckingId + std::to_string(id + 1));
        pause(request.pause);
        // A request is never sent twice, but the next one leaves clear of the xrun.
        if (mayBeLostSince(queued)) leaveAfterXrun(request.pause);
        if (request.answerBeforeCancel && plugin->isAnswerReceived()) return true;
        if (halted()) {
            if (!request.guarded) error = true;
            return true;
        }
        if (plugin->isAnswerReceived()) return true;
        if (!answerable()) return false;
    }
    return true;
}

void MIDIMessageSender::finishRequest(bool toLibrarian, const char* cancelled,
                                      const char* completed) {
    if (toLibrarian && (halted() || error)) plugin->DisarmLibrarianRequests();
    if (stopping) return;
    if (cancel) {
        show(cancelled);
        if (toLibrarian) {
            // The transfer has ended: its veil goes before the refresh may ask about an unsaved
            // bank, so that the question never stands over a veiled editor.
            plugin->DisplayProcessingIndicator(false);
            plugin->OnParamChange(kRefreshFolders);
        }
    } else if (unreached) {
        show(kRequestFailed);
    } else if (!error) {
        show(completed);
        if (toLibrarian) plugin->SetLibrarianStatusUnsaved(true);
    }
}

void MIDIMessageSender::pollAnswer(int millis, const char* text, bool cancelEnds) {
    for (int pass = 1; pass <= kPollPasses; ++pass) {
        pause(millis);
        if (text) show(text);
        if (stopping || (cancelEnds && cancel)) return;
        if (pass == kPollPasses) {
            show(kTimedOut);
            error = true;
            return;
        }
        if (plugin->isAnswerReceived()) return;
    }
}

void MIDIMessageSender::sendPartRequestSysex(int part, bool toEditor) {
    plugin->DisplayProcessingIndicator(true);
    beginRequest(toEditor);
    const int t = plugin->getTimerValue();
    const Request r = makeRequest(kSysexSoundRequest, SysexMessage::soundEditBuffer(part), t, 25,
                                  Resend::kIdScan);
    send(r.bytes, false);
    plugin->logSysExOut(r.bytes.data(), int(r.bytes.size()));
    pause(t);
    show(kProcessing);
    awaitAnswer(r);
    if (toEditor && !error && !halted()) {
        // The part's pattern follows its sound into the editor.
        plugin->setAwaitedDumpPart(part);
        sendSequenceRequestSysex(part, true);
    } else {
        pause(t);
    }
    finishRequest(!toEditor, kCancelledUpper, kCompletedUpper);
    plugin->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendSequenceRequestSysex(int part, bool toEditor) {
    // Inside the arrangement request the progress layer belongs to that job.
    const bool batch = inBatch;
    if (!batch) plugin->DisplayProcessingIndicator(true);
    beginRequest(toEditor);
    const int t = plugin->getTimerValue();
    plugin->setAwaitedDumpPart(part);
    const Request r = makeRequest(kSysexPatternRequest, SysexMessage::patternEditBuffer(), t, 20,
                                  Resend::kIdScan);
    send(r.bytes, false);
    pause(t);
    show(kProcessing);
    awaitAnswer(r);
    if (!toEditor) pause(t);
    finishRequest(!toEditor, kCancelledUpper, kCompletedUpper);
    if (!batch) plugin->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendSingleMultiRequestSysex() {
    plugin->DisplayProcessingIndicator(true);
    const int t = plugin->getTimerValue();
    Request r = makeSlotRequest(kSysexMultiRequest, SysexMessage::multiSlot(selectedSlot()), t, 25,
                                Resend::kIdScan);
    r.answerBeforeCancel = true;
    beginRequest(false, r.slot);
    send(r.bytes, false);
    awaitAnswer(r);
    finishRequest(true, kCancelledUpper, kCompletedUpper);
    plugin->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendSinglePatchRequestSysex(bool editBuffer, int bank) {
    plugin->DisplayProcessingIndicator(true);
    const int t = plugin->getTimerValue();
    const Request r =
        editBuffer ? makeRequest(kSysexSoundRequest,
                                 SysexMessage::soundEditBuffer(plugin->getSelectedPart()), t, 25,
                                 Resend::kSameId)
                   : makeSlotRequest(kSysexSoundRequest,
                                     SysexMessage::soundSlot(bank, requestSlot(selectedSlot())), t,
                                     25, Resend::kSameId);
    beginRequest(false, r.slot);
    send(r.bytes, false);
    show(kProcessing);
    awaitAnswer(r);
    finishRequest(true, kCancelledUpper, kCompletedUpper);
    plugin->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendSingleSequenceRequestSysex(bool editBuffer) {
    plugin->DisplayProcessingIndicator(true);
    const int t = plugin->getTimerValue();
    const Request r = editBuffer
                          ? makeRequest(kSysexPatternRequest, SysexMessage::patternEditBuffer(),
                                        2 * t, 20, Resend::kSameId)
                          : makeSlotRequest(kSysexPatternRequest,
                                            SysexMessage::patternSlot(requestSlot(selectedSlot())),
                                            2 * t, 20, Resend::kSameId);
    beginRequest(false, r.slot);
    send(r.bytes, false);
    show(kProcessing);
    awaitAnswer(r);
    finishRequest(true, kCancelledLower, kCompletedLower);
    plugin->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::requestBank(const std::function<Request(int slot)>& requestFor,
                                    bool indicatorPerSlot, const char* cancelled,
                                    const char* completed) {
    plugin->DisplayProcessingIndicator(true);
    error = false;
    cancel = false;
    unreached = false;
    setSelectedSlot(0);
    // A slot that gets no answer is skipped, so one silent slot cannot cost the rest; one
    // whose request cannot go out, or whose answer cannot come back, ends the fetch.
    bool missed = false;
    bool stored = false;
    int failedAt = -1;
    for (int slot = 0; slot < PatchFile::kBankSize; ++slot) {
        const Request r = requestFor(slot);
        armLibrarian(r.slot);
        if (indicatorPerSlot) plugin->DisplayProcessingIndicator(true);
        if (!answerable() || !send(r.bytes, false)) {
            failedAt = slot;
            break;
        }
        if (awaitAnswer(r)) {
            stored = true;
            show("Please wait! " + std::to_string(slot) + "% received..");
            pause(r.pause);
        } else if (unreached) {
            failedAt = slot;
            break;
        } else if (!halted()) {
            missed = true;
            error = false;
        }
        if (halted()) break;
        setSelectedSlot(slot + 1);
    }
    setSelectedSlot(0);
    if ((missed || failedAt >= 0) && !halted()) {
        plugin->DisarmLibrarianRequests();
        if (stored) plugin->SetLibrarianStatusUnsaved(true);
        if (failedAt >= 0)
            failed("slot " + std::to_string(failedAt + 1), false, "request");
        else
            show(kTimedOut);
    } else {
        finishRequest(true, cancelled, completed);
    }
    plugin->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::sendAllPatchRequestSysex(int bank) {
    const int t = plugin->getTimerValue();
    requestBank(
        [&](int slot) {
            return makeSlotRequest(kSysexSoundRequest, SysexMessage::soundSlot(bank, slot), t, 25,
                                   Resend::kIdScan);
        },
        true, kCancelledLower, kCompletedLower);
}

void MIDIMessageSender::sendAllMultiRequestSysex() {
    const int t = plugin->getTimerValue();
    requestBank(
        [&](int slot) {
            return makeSlotRequest(kSysexMultiRequest, SysexMessage::multiSlot(slot), t, 25,
                                   Resend::kIdScan);
        },
        false, kCancelledUpper, kCompletedUpper);
}

void MIDIMessageSender::sendAllSequenceRequestSysex() {
    const int t = plugin->getTimerValue();
    requestBank(
        [&](int slot) {
            return makeSlotRequest(kSysexPatternRequest, SysexMessage::patternSlot(slot), 2 * t, 20,
                                   Resend::kIdScan);
        },
        true, kCancelledLower, kCompletedLower);
}

void MIDIMessageSender::sendActiveArrangementRequestSysex(bool toEditor) {
    plugin->DisplayProcessingIndicator(true);
    beginRequest(toEditor);
    if (toEditor && owner) owner->requestEditorRefresh();
    const int t = plugin->getTimerValue();
    // The parts' dumps refresh nothing one by one; the editor is refreshed once at the end.
    if (owner) owner->setRefreshSuppressed(true);
    const std::vector<uint8_t> multiRequest = SysexMessage::request(
        plugin->getDeviceId(), kSysexMultiRequest, SysexMessage::multiEditBuffer());
    if (toEditor) {
        inBatch = true;
        requestArrangementParts(t);
        inBatch = false;
    } else {
        plugin->SetLibrarianRequestActive(true);
        send(multiRequest, true);
        pollAnswer(kMultiPollMillis, kMultiProcessing, false);
    }
    pause(t / 2);
    if (toEditor && !error && !stopping) {
        inBatch = true;
        plugin->SetLibrarianRequestActive(false);
        send(multiRequest, true);
        pollAnswer(kMultiPollMillis, kMultiProcessing, false);
        if (cancel)
            show(kCancelledUpper);
        else if (!error)
            show(kCompletedLower);
        inBatch = false;
    }
    if (!toEditor && (error || stopping)) plugin->DisarmLibrarianRequests();
    if (!stopping) {
        if (!toEditor && !error) {
            show(kCompletedUpper);
            plugin->SetLibrarianStatusUnsaved(true);
        } else {
            send(SysexMessage::partSelect(plugin->getDeviceId(), 0), true);
            pause(kPartSelectMillis);
        }
    }
    if (owner) owner->setRefreshSuppressed(false);
    if (toEditor && !stopping) plugin->OnParamChange2(kQuickTab);
    plugin->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::requestArrangementParts(int t) {
    for (int part = 0; part < kParts && !stopping; ++part) {
        plugin->SetLibrarianRequestActive(false);
        plugin->DisplayProcessingIndicator(true);
        plugin->setAwaitedDumpPart(part);
        Request r = makeRequest(kSysexSoundRequest, SysexMessage::soundEditBuffer(part), t, 20,
                                Resend::kIdScan);
        r.guarded = true;
        send(r.bytes, true);
        // A time-out still asks for the part's pattern; a cancel ends the loop.
        if (!awaitAnswer(r) && halted()) return;
        send(SysexMessage::partSelect(plugin->getDeviceId(), part), true);
        pause(kPartSelectMillis);
        sendSequenceRequestSysex(part, true);
        if (error) continue;
        show("Please wait! " + std::to_string(int(part * 5.88)) + "% processed..");
        pause(t);
        pollAnswer(kPatternPollMillis, nullptr, true);
    }
}
