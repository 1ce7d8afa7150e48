#include "kit/effect/ISysEx.h"
#include "src/incoming/DumpBytes.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SysexMessage.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <cstdio>

namespace {

// Dumps are long, parameter changes short.
constexpr int kLongMessage = 60;
constexpr int kDeviceIdOffset = 3;
constexpr int kAddressOffset = 5;

// A dump's address bytes in hex, e.g. "02 2A".
std::string addressText(const uint8_t* dump) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X %02X", dump[kAddressOffset], dump[kAddressOffset + 1]);
    return text;
}

} // namespace

void MIDIMessageManager::setLibrarianRequestActive(bool toLibrarian, bool multiMode,
                                                   bool patternMode,
                                                   std::optional<SysexMessage::Address> slot) {
    disarmLibrarianRequests();
    if (toLibrarian) {
        dumpAwaited = false;
        // The slot to fill is fixed now: a request that times out moves the selection on
        // while its late answer may still be on its way to the store.
        const int slotIndex = librarian ? librarian->upperSlotIndex.load() : -1;
        (patternMode ? patternRequest : multiMode ? performanceRequest : patchRequest)
            .arm(slot, slotIndex);
    } else {
        dumpAwaited = true;
    }
    answerReceived = false;
}

void MIDIMessageManager::disarmLibrarianRequests() {
    performanceRequest.active = false;
    patchRequest.active = false;
    patternRequest.active = false;
}

bool MIDIMessageManager::isCollecting() const {
    return performanceRequest.active || patchRequest.active || patternRequest.active;
}

void MIDIMessageManager::ProcessSysEx(ISysEx* message, bool fromDevice) {
    if (!fromDevice || !message || !message->data || message->size <= 0) return;
    const ISysEx& m = *message;
    // During a collection nothing reaches the parsers.
    if (collectForLibrarian(m)) return;
    if (m.size >= kLongMessage) {
        if (dumpAwaited) {
            learnDeviceId(m);
            // Only a dump that a parser takes ends the wait: another device's SysEx on the
            // port, a universal one or an unknown id must not make the answer after it ignored.
            if (sysexPatchParse(message) || sysexPatternParse(message) ||
                sysexMultiParse(message) || sysexSettingsParse(message)) {
                dumpAwaited = false;
                refreshRequested = !refreshSuppressed;
            }
        }
    } else if (!dumpAwaited) {
        messageUnhandled = false;
        refreshRequested = false;
        if (m.size == kSoundParameterSize || m.size == kMultiParameterSize)
            processParameterChangeMessage(m);
    }
    if (refreshRequested) plugin->OnParamChange2(kQuickTab);
}

bool MIDIMessageManager::collectForLibrarian(const ISysEx& m) {
    LibrarianRequest* const records[] = {&performanceRequest, &patchRequest, &patternRequest};
    for (LibrarianRequest* record : records) {
        if (!record->active) continue;
        LibrarianPatch entry;
        int slotIndex = -1;
        const LibrarianRequest::Take take =
            record->addMessageData(m.data, m.size, &entry, &slotIndex);
        // A late answer to an earlier slot (or one to another request) completes nothing.
        if (take == LibrarianRequest::Take::kOtherSlot)
            plugin->printDebugInfo("PATCH LIBRARIAN: dump addressed " + addressText(m.data) +
                                   " ignored, another slot is awaited");
        if (take != LibrarianRequest::Take::kCompleted) return true;
        // Only a stored entry counts as an answer: the request must not report a slot filled.
        if (librarian && librarian->setSysexDatatoSelectedSlot(&entry, slotIndex)) {
            plugin->updatePatchLibrarianView(0);
            plugin->setLibrarianViewDirty();
            answerReceived = true;
        }
        return true;
    }
    return false;
}

void MIDIMessageManager::learnDeviceId(const ISysEx& m) {
    // Byte 3 is a device id only in the synthesizer's own messages: a universal or another
    // maker's SysEx on the same port must not redirect every later request.
    if (m.data[0] != SysexMessage::kStart || m.data[1] != SysexMessage::kManufacturerId ||
        m.data[2] != SysexMessage::kModelId)
        return;
    const int id = m.data[kDeviceIdOffset] & 0x7F;
    if (!plugin->isProbeStarted() || id == plugin->getDeviceId()) return;
    // Stored without notice: the global page keeps showing the old id until it is redrawn.
    plugin->storeParamValue(kGlobalSysExID,
                            std::clamp(double(id), plugin->GetParamMin(kGlobalSysExID),
                                       plugin->GetParamMax(kGlobalSysExID)));
    plugin->setDeviceId(id);
}

