#include "src/sender/MIDIMessageSender.h"

#include "src/sender/SenderPlugin.h"

MIDIMessageSender::MIDIMessageSender(PatchManager* patchManager, SenderPlugin* plugin,
                                     PatchLibrarian* librarian, SenderOwner* owner)
    : patchManager(patchManager), plugin(plugin), librarian(librarian), owner(owner) {}

void MIDIMessageSender::run(const SenderJob& job) {
    // A job spans one connection: a synthesizer that went and came back is another one.
    if (job.command <= SenderJob::kSendDeviceIdEnquiry) connection = plugin->midiConnection();
    if (job.command < SenderJob::kSendDeviceIdEnquiry) failedAcrossReturn.clear();
    switch (job.command) {
    case SenderJob::kSendArrangementToDevice:
        sendArrangementToDevice(job.dumpOption1, job.dumpOption2);
        break;
    case SenderJob::kSendGlobalToDevice:
        sendGlobalToDevice(job.globalArg, false);
        break;
    case SenderJob::kSendPartToDevice:
        sendPartToDevice(job.part, job.dumpOption1, job.dumpOption2);
        break;
    case SenderJob::kSendSequenceToDevice:
        sendSequenceToDevice(job.part, job.dumpOption1, job.dumpOption2);
        break;
    case SenderJob::kSendPatchToDeviceFromLibrarian:
        sendPatchToDeviceFromLibrarian(job.librarianPatch, job.part, job.patchFlag);
        break;
    case SenderJob::kStoreAllPatchesToDeviceFromLibrarian:
        storeAllPatchesToDeviceFromLibrarian(job.storeArg1, job.storeArg2, job.storeArg3);
        break;
    case SenderJob::kSendActiveArrangementRequestSysex:
        sendActiveArrangementRequestSysex(job.toEditor);
        break;
    case SenderJob::kSendPartRequestSysex:
        sendPartRequestSysex(job.part, job.toEditor);
        break;
    case SenderJob::kSendSequenceRequestSysex:
        sendSequenceRequestSysex(job.part, job.toEditor);
        break;
    case SenderJob::kSendSingleMultiRequestSysex:
        sendSingleMultiRequestSysex();
        break;
    case SenderJob::kSendAllMultiRequestSysex:
        sendAllMultiRequestSysex();
        break;
    case SenderJob::kSendSinglePatchRequestSysex:
        sendSinglePatchRequestSysex(job.editBuffer, job.bank);
        break;
    case SenderJob::kSendAllPatchRequestSysex:
        sendAllPatchRequestSysex(job.bank);
        break;
    case SenderJob::kSendSingleSequenceRequestSysex:
        sendSingleSequenceRequestSysex(job.editBuffer);
        break;
    case SenderJob::kSendAllSequenceRequestSysex:
        sendAllSequenceRequestSysex();
        break;
    case SenderJob::kInitPerformance:
        initPerformance(job.initGuard);
        break;
    case SenderJob::kInitClassicPatch:
        // The init sound takes its bank byte from whatever part the last job left.
        initClassicPatch(job.initGuard, job.part);
        break;
    case SenderJob::kInitSequence:
        initSequence(job.initGuard);
        break;
    case SenderJob::kSendDeviceIdEnquiry:
        sendDeviceIdEnquiry();
        break;
    case SenderJob::kStartMIDIClockOutput:
        startMIDIClockOutput();
        break;
    case SenderJob::kSendContinuousMIDIClock:
        sendContinuousMIDIClock(job.clockTempo);
        break;
    case SenderJob::kStopMIDIClockOutput:
        stopMIDIClockOutput();
        break;
    default: // kNoJob and codes outside the table
        break;
    }
}

bool MIDIMessageSender::connectionHeld() const {
    return plugin->midiConnection() == connection;
}

void MIDIMessageSender::requestStop() {
    cancel = true;
    stopping.Raise();
}
