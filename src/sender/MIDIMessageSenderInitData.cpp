#include "kit/effect/ISysEx.h"
#include "src/librarian/LibrarianInitData.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SenderPlugin.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr int kProbeScanAt = 20;
constexpr int kProbeGivesUpAt = 30;
constexpr int kParts = 16;

} // namespace

void MIDIMessageSender::sendDeviceIdEnquiry() {
    plugin->DisplayProcessingIndicator(true);
    cancel = false;
    // The answering global dump goes to the editor, where the dispatcher learns the id from it.
    plugin->SetLibrarianRequestActive(false);
    show("Connecting to Q");
    error = false;
    const int t = plugin->getTimerValue();
    Request r;
    r.bytes = SysexMessage::deviceIdProbe(plugin->getDeviceId());
    r.pause = t;
    r.resendAt = kProbeScanAt;
    r.resend = Resend::kIdScan;
    r.guarded = true;
    send(r.bytes, true);
    // A cancel counts only once the scan runs; an end after any pause. A synthesizer that went
    // meanwhile is asked no more: the one that comes back is probed anew.
    for (int count = 1; !stopping; ++count) {
        pause(t);
        if (endProbe || !connectionHeld()) break;
        if (count == r.resendAt) resend(r);
        if (count == kProbeGivesUpAt) {
            show("No response from Q!");
            error = true;
            break;
        }
        if (plugin->isAnswerReceived()) break;
    }
    if (!stopping && !endProbe && connectionHeld()) {
        if (cancel) {
            show("Data request CANCELLED!");
        } else if (!error) {
            show("Plug-in is ready to go!");
        }
        // A send that a synthesizer's return ended is still said once it has been probed.
        if (!failedAcrossReturn.empty()) plugin->setLowerDisplayText(failedAcrossReturn);
        failedAcrossReturn.clear();
        if (!cancel && !error) pause(t);
    }
    plugin->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::storeIntoLibrarian(uint8_t* dump, int size) {
    ISysEx message(0, dump, size);
    plugin->SetLibrarianRequestActive(true);
    // The notice and the unsaved bank only for a dump that reached its slot; otherwise no
    // later unasked dump may land in the armed collection.
    if (plugin->ProcessSysExInternal(&message))
        plugin->SetLibrarianStatusUnsaved(true);
    else
        plugin->DisarmLibrarianRequests();
}

void MIDIMessageSender::initPerformance(bool initGuard) {
    plugin->DisplayProcessingIndicator(true);
    if (!initGuard || plugin->isReducedChangeRunning()) {
        uint8_t dump[SysexMessage::kMultiDumpSize];
        std::copy(std::begin(initMultiData), std::end(initMultiData), dump);
        storeIntoLibrarian(dump, SysexMessage::kMultiDumpSize);
    }
    plugin->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::initClassicPatch(bool initGuard, int part) {
    plugin->DisplayProcessingIndicator(true);
    if (!initGuard || plugin->isReducedChangeRunning()) {
        uint8_t dump[SysexMessage::kSoundDumpSize];
        std::copy(std::begin(initPatchData), std::end(initPatchData), dump);
        // The bank of whatever part the last job named; another value keeps the init bank.
        if (part >= 0 && part < kParts) {
            const double bank = std::trunc(plugin->GetParamValue(kMultiPartBank + part));
            if (bank >= 0 && bank <= 0x7F) dump[5] = uint8_t(bank);
        }
        dump[6] = uint8_t(selectedSlot() & 0x7F);
        storeIntoLibrarian(dump, SysexMessage::kSoundDumpSize);
    }
    plugin->DisplayProcessingIndicator(false);
}

void MIDIMessageSender::initSequence(bool initGuard) {
    plugin->DisplayProcessingIndicator(true);
    if (!initGuard || plugin->isReducedChangeRunning()) {
        std::vector<uint8_t> dump = initPatternDump();
        storeIntoLibrarian(dump.data(), int(dump.size()));
    }
    plugin->DisplayProcessingIndicator(false);
}
