// The roads by which messages leave for the synthesizer, and the part indicators they light.

#include "src/core/Zoz.h"

#include "kit/effect/IMidiMsg.h"
#include "kit/winl/winl.h"
#include "src/browser/LibrarianViewControl.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/SysexMessage.h"
#include "src/uiconfig/ParameterIds.h"

int Zoz::partChannel(int part) {
    int channel = TruncToInt(GetParamValue(kGlobalMidiChannel)) - 1;
    if (part >= 0 && part < 16) {
        const int setting = TruncToInt(GetParamValue(kMultiPartMIDICh + part));
        if (setting >= 2) channel = setting - 2;
    }
    return channel >= 0 && channel <= 15 ? channel : -1;
}

bool Zoz::checksumCheckAndSend(uint8_t* msg, int length) {
    if (!midiIOSet) {
        setUpperDisplayText("Set MIDI I/O First!");
        return false;
    }
    SysexMessage::writeChecksum(msg, length);
    // Byte 5 of the plug-in's framed dumps and commands is their bank or part byte.
    if (!followIncoming && length >= 6 && msg[1] == SysexMessage::kManufacturerId &&
        msg[2] == SysexMessage::kModelId)
        lightPartIndicator(msg[5]);
    // The trace holds only what went out.
    if (!SendMidiSysex(msg, length)) return false;
    logSysExOut(msg, length);
    return true;
}

void Zoz::MIDIOutRoutingSwitch(IMidiMsg* msg) {
    if (progressShowing && notesOffSent && !soundingNotes.Ends(*msg)) return;
    if (toHostBuffer) {
        midiQueue.Add(msg);
        // Followed now, not when a block sends it: a second note-off routed meanwhile stays held.
        soundingNotes.Follow(*msg);
    } else {
        sendMidiMsgAndLog(msg);
    }
}

void Zoz::sendMidiMsgAndLog(IMidiMsg* msg) {
    if (!midiIOSet) {
        setUpperDisplayText("Set MIDI I/O First!");
        return;
    }
    if (!followIncoming) lightPartIndicator(messageManager->partOnChannel(msg->Channel()));
    if (SendMidiMsg(msg)) soundingNotes.Follow(*msg);
}

void Zoz::AllSoundsOff(int part, bool allParts) {
    if (!midiIOSet) return;
    eachNotesOff(part, allParts, &Zoz::MIDIOutRoutingSwitch);
    notesOffSent = true;
}

void Zoz::eachNotesOff(int part, bool allParts, void (Zoz::*route)(IMidiMsg*)) {
    const auto notesOff = [&](int p) {
        IMidiMsg msg;
        const int channel = partChannel(p);
        if (channel >= 0 && msg.MakeControlChangeMsg(IMidiMsg::kAllNotesOff, 0.0, channel))
            (this->*route)(&msg);
    };
    if (!allParts) {
        notesOff(part);
    } else {
        for (int p = 0; p < 16; ++p)
            if (TruncToInt(GetParamValue(kMultiPartStatus + p)) != 0) notesOff(p);
    }
}

void Zoz::storeAllPatchesToDeviceFromLibrarian(int source, int firstSlot, int bank) {
    if (!midiIOSet) return;
    postJob(SenderJob::kStoreAllPatchesToDeviceFromLibrarian, [=](SenderJob& job) {
        job.storeArg1 = source;
        job.storeArg2 = firstSlot;
        job.storeArg3 = bank;
    });
}

void Zoz::logSysExOut(const uint8_t* bytes, int size) {
    if (logEnabled) DebuggerOutput::logSysExOutMessageByte(logPath, bytes, size);
}

void Zoz::setLibrarianViewDirty() {
    if (librarianView) librarianView->SetDirty(false);
}

void Zoz::setArrangementSendFlags(bool a, bool b, bool c) {
    arrangementBusy = true;
    incomingGate = a;
    arrangementBatch = b;
    globalFirst = c;
}

void Zoz::lightPartIndicator(int part) {
    if (lightIndicatorState(part)) editor->SetParameterFromPlug(kMIDILed + part, 1.0, false);
}
