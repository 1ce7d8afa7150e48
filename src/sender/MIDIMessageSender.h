#pragma once

#include "src/sender/SenderJob.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

class PatchLibrarian;
class PatchManager;
class SenderPlugin;

// Runs the jobs of the message manager's three workers. One sender serves one plug-in
// instance: its flags and its MIDI clock belong to that instance alone. The job arguments live
// in each worker's own record and reach the job through `run`.
class MIDIMessageSender {
public:
    MIDIMessageSender(PatchManager* patchManager, SenderPlugin* plugin, PatchLibrarian* librarian);

    // Runs the job of the record's command once; code 19, codes above 22 and negative codes do
    // nothing. Returns when the job ends.
    void run(const SenderJob& job);

    // True ends a running MIDI clock at its next check; false lets the next clock job tick.
    void resetContinuousClock(bool stop);
    bool isClockRunning() const { return clockRunning.load(); }

    // Ends every job at its next pause or loop pass and cancels a running request; for
    // teardown, before the workers are joined.
    void requestStop();
    bool stopRequested() const { return stopping.load(); }

    // Nanoseconds between two clock ticks (24 per quarter note) at a tempo of 1 BPM or more.
    static int64_t clockIntervalNanos(int tempo);

    // Set by a job on cancel or time-out.
    std::atomic<bool> error{false};
    // Set from outside to cancel a running request.
    std::atomic<bool> cancel{false};
    // True while the arrangement request runs its parts.
    std::atomic<bool> inBatch{false};

private:
    void sendArrangementToDevice(bool option1, bool option2);
    void sendGlobalToDevice(int argument);
    // Sends the part's sound dump to the synthesizer's edit buffer (then the multi tempo when
    // it applies), or with toLibrarian stores it into the librarian's selected upper slot.
    void sendPartToDevice(int part, bool toLibrarian, bool unused);
    // The part's sound dump as the plug-in's parameters hold it, without its checksum.
    void buildSoundDump(int part, uint8_t* dump);
    void sendSequenceToDevice(int part, bool option1, bool option2);
    void sendPatchToDeviceFromLibrarian(const std::shared_ptr<const LibrarianPatch>& patch,
                                        int part, bool flag);
    void storeAllPatchesToDeviceFromLibrarian(int source, int firstSlot, int bank);
    void sendActiveArrangementRequestSysex(bool toEditor);
    void sendPartRequestSysex(int part, bool toEditor);
    void sendSequenceRequestSysex(int part, bool toEditor);
    void sendSingleMultiRequestSysex();
    void sendAllMultiRequestSysex();
    void sendSinglePatchRequestSysex(bool editBuffer, int bank);
    void sendAllPatchRequestSysex(int bank);
    void sendSingleSequenceRequestSysex(bool editBuffer);
    void sendAllSequenceRequestSysex();
    void initPerformance(bool initGuard);
    void initClassicPatch(bool initGuard, int part);
    void initSequence(bool initGuard);
    void sendDeviceIdEnquiry();

    void startMIDIClockOutput();
    void stopMIDIClockOutput();
    void sendContinuousMIDIClock(int tempoArgument);
    // The clock tempo in whole BPM from the host or from the editor's tempo list; 0 for none.
    int readClockTempo();
    // Sleeps until the tick is due, waking early enough to catch it exactly; false when the
    // clock was stopped meanwhile.
    bool waitForTick(int64_t due);

    PatchManager* patchManager;
    SenderPlugin* plugin;
    PatchLibrarian* librarian;
    std::atomic<bool> clockRunning{false};
    // When the clock's last tick was due; only the clock job, one run at a time, touches it.
    std::optional<int64_t> lastTickDue;
    std::atomic<bool> stopping{false};
};
