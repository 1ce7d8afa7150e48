// The roads by which messages leave for the synthesizer, and the part indicators they light.

#include "src/core/Zoz.h"

#include "kit/effect/IMidiMsg.h"
#include "platform/Clock.h"
#include "src/sender/SysexMessage.h"
#include "src/uiconfig/ParameterIds.h"

#include <cstdio>

void Zoz::checksumCheckAndSend(uint8_t* msg, int length) {
    if (!midiIOSet) {
        setUpperDisplayText("Set MIDI I/O First!");
        return;
    }
    SysexMessage::writeChecksum(msg, length);
    SendMidiSysex(msg, length);
    DebuggerOutput::logSysExOutMessageByte(msg, length);
}

void Zoz::MIDIOutRoutingSwitch(IMidiMsg* msg) {
    if (progressShowing && notesOffSent) return;
    if (toHostBuffer)
        midiQueue.Add(msg);
    else
        sendMidiMsgAndLog(msg);
}

void Zoz::sendMidiMsgAndLog(IMidiMsg* msg) {
    if (!midiIOSet) {
        setUpperDisplayText("Set MIDI I/O First!");
        return;
    }
    if (!followIncoming) {
        for (int part = 0; part < 16; ++part)
            if (TruncToInt(GetParamValue(kMultiPartMIDICh + part)) - 2 == msg->Channel()) {
                lightPartIndicator(part);
                break;
            }
    }
    SendMidiMsg(msg);
    printf("Plug-in MIDI Out ");
}

void Zoz::setArrangementSendFlags(bool a, bool b, bool c) {
    arrangementBusy = true;
    incomingGate = a;
    arrangementBatch = b;
    globalFirst = c;
}

void Zoz::lightPartIndicator(int part) {
    if (part < 0 || part > 15 || partLit[size_t(part)]) return;
    editor->SetParameterFromPlug(kMIDILed + part, 1.0, false);
    partLit[size_t(part)] = true;
    partLitAt[size_t(part)] = platform::NowMillis();
}

// All Notes Off, bank changes, librarian auditions and transfers, and bank imports come with
// the send path's channel rule and the transfer glue; until then nothing is sent or copied and
// a bank change reports that it was refused.
void Zoz::AllSoundsOff(int, bool) {}

bool Zoz::BankChangeMessage(int) {
    return false;
}

void Zoz::sendPatchToDeviceFromLibrarian(int, int, int) {}

void Zoz::sendPatchAndPatternToDevice(int, bool, bool, bool, bool) {}

void Zoz::SendAllProgramsFromLibrarian(int) {}

void Zoz::saveImportedFile(bool) {}
