#pragma once

#include <memory>

class LibrarianPatch;

// A job of the message manager's workers: the command code and its arguments. Each worker
// keeps its own record; a post writes the code and the arguments of its job and leaves the
// other fields as the worker's last job left them.
struct SenderJob {
    enum Code {
        kSendArrangementToDevice = 0,
        kSendGlobalToDevice = 1,
        kSendPartToDevice = 2,
        kSendSequenceToDevice = 3,
        kSendPatchToDeviceFromLibrarian = 4,
        kStoreAllPatchesToDeviceFromLibrarian = 5,
        kSendActiveArrangementRequestSysex = 6,
        kSendPartRequestSysex = 7,
        kSendSequenceRequestSysex = 8,
        kSendSingleMultiRequestSysex = 9,
        kSendAllMultiRequestSysex = 10,
        kSendSinglePatchRequestSysex = 11,
        kSendAllPatchRequestSysex = 12,
        kSendSingleSequenceRequestSysex = 13,
        kSendAllSequenceRequestSysex = 14,
        kInitPerformance = 15,
        kInitClassicPatch = 16,
        kInitSequence = 17,
        kSendDeviceIdEnquiry = 18,
        kNoJob = 19,
        kStartMIDIClockOutput = 20,
        kSendContinuousMIDIClock = 21,
        kStopMIDIClockOutput = 22,
    };

    int command = 0;
    // The poster's own copy of the entry, so that a bank resized meanwhile cannot pull it away.
    std::shared_ptr<const LibrarianPatch> librarianPatch;
    int storeArg1 = 0;
    int storeArg2 = 0;
    int part = 0;
    bool patchFlag = false;
    int storeArg3 = 0;
    int bank = 0;
    bool toEditor = false;
    int globalArg = 0;
    bool editBuffer = false;
    bool dumpOption2 = false;
    bool dumpOption1 = false;
    bool initGuard = false;
    int clockTempo = 0;
};
