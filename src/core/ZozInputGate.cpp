// The gates through which MIDI from the synthesizer and the host reaches the message manager.

#include "src/core/Zoz.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IMidiMsg.h"
#include "kit/effect/ISysEx.h"
#include "src/incoming/DumpBytes.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/uiconfig/ParameterIds.h"

#include <cstdio>

namespace {

// The synthesizer's parameter messages: byte 5 names the part whose indicator they light.
constexpr int kShortestIndicated = 9;
constexpr int kLongestIndicated = 13;
constexpr int kPartByte = 5;
// Bytes of a dropped message the log shows.
constexpr size_t kLoggedBytes = 16;

} // namespace

void Zoz::ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) {
    if ((progressShowing || incomingGate) && !soundingNotes.Ends(*msg)) return;
    if (fromDevice && masterKeyboard) return;
    if (msg->StatusMsg() == IMidiMsg::kNone) return;
    if (msg->Channel() == TruncToInt(GetParamValue(kGlobalMidiChannel)) - 1) return;
    if (fromDevice) {
        messageManager->ProcessMidiMsgFromDevice(msg);
        return;
    }
    messageManager->ProcessMidiMsgFromDAW(
        msg, std::max(messageManager->partOnChannel(msg->Channel()), 0));
}

void Zoz::ProcessSysEx(ISysEx* sysex, bool fromDevice) {
    if (arrangementBusy || hardwareBlocked[kFilterSysEx] || incomingGate) return;
    const uint8_t* data = sysex->data;
    // Neither a parser nor the librarian may take a dump cut short or with bytes glued on.
    if (isBrokenDump(*sysex)) {
        DropMIDI("from the synthesizer", "a dump of the wrong length", data, size_t(sysex->size));
        return;
    }
    if (GetGUI() && followIncoming && sysex->size >= kShortestIndicated &&
        sysex->size <= kLongestIndicated && isSynthesizers(*sysex))
        lightPartIndicator(data[kPartByte]);
    passSysEx(sysex, fromDevice);
}

bool Zoz::ProcessSysExInternal(ISysEx* msg) {
    const bool collecting = messageManager->isCollecting();
    passSysEx(msg, true);
    return collecting && messageManager->answerReceived;
}

void Zoz::passSysEx(ISysEx* sysex, bool fromDevice) {
    // Taken first: a request armed while the message is handled must not count the manager's
    // flag, which may still be raised by the answer to the one before.
    const unsigned arming = armings;
    messageManager->ProcessSysEx(sysex, fromDevice);
    if (mixerLayer) mixerLayer->setControlsDirty();
    if (messageManager->answerReceived) answeredArming = arming;
}

void Zoz::LogDroppedMIDI(const char* where, const char* why, const uint8_t* bytes, size_t size,
                         unsigned count) {
    if (!logEnabled) return;
    std::string shown;
    char hex[4];
    for (size_t i = 0; i < size && i < kLoggedBytes; ++i) {
        std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", bytes[i]);
        shown += hex;
    }
    if (size > kLoggedBytes) shown += " ... (" + std::to_string(size) + " bytes)";
    log("PROCESSOR: MIDI ", where, " dropped, ", why, ": ", shown, " (", std::to_string(count),
        " so far)");
}
