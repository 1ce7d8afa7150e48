#pragma once

#include "src/incoming/LibrarianRequest.h"
#include "src/sender/SenderJob.h"

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class IGraphics;
class MIDIMessageSender;
class PatchLibrarian;
class PatchManager;
class SenderPlugin;
class SenderWorker;

// Owns the sender and its three workers, the librarian collections and the flags that the
// incoming-SysEx handling shares with the jobs.
class MIDIMessageManager {
public:
    enum Worker {
        kJobThread,       // dumps, requests, probe and init data (codes 0 to 18)
        kClockThread,     // MIDI Start and Stop (codes 20 and 22)
        kClockTickThread, // the continuous clock (code 21)
        kWorkerCount
    };

    MIDIMessageManager(SenderPlugin* plugin, PatchManager* patchManager, PatchLibrarian* librarian,
                       IGraphics* graphics);
    // Stops the clock, cancels and stops every job and joins the workers (a bounded wait
    // each); a worker that does not end is logged and keeps its sender.
    ~MIDIMessageManager();
    MIDIMessageManager(const MIDIMessageManager&) = delete;
    MIDIMessageManager& operator=(const MIDIMessageManager&) = delete;

    // The worker that runs a command; a code without a job goes to the job thread, which
    // returns at once.
    static Worker workerFor(int command);
    // Starts the command on its worker when that worker is idle; setArguments writes the
    // job's arguments and makes the poster's side effects, and runs only when the job is
    // started. Returns whether it was.
    bool postJob(int command, const std::function<void(SenderJob&)>& setArguments = {});
    bool isRunning(Worker worker) const;
    MIDIMessageSender* getSender() const { return sender.get(); }

    // Arm the librarian's sound collection and request one sound (job 11) or a bank of 100
    // (job 12); nothing is armed when the job thread is busy.
    void sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank);
    void sendAllPatchRequestSysexFromLibrarian(int bank);

    // Sends a single-parameter message (low 8 bits of each int; F0 and F7 added when the
    // first byte is not F0) while a MIDI output is chosen; else shows "Set MIDI I/O First!".
    void sendSysexMessage(std::vector<int> message);

    LibrarianRequest performanceRequest; // multi dumps
    LibrarianRequest patchRequest;       // sound dumps
    LibrarianRequest patternRequest;     // pattern dumps

    // An incoming dump or parameter answer goes to the editor.
    std::atomic<bool> dumpAwaited{false};
    std::atomic<bool> refreshRequested{false};
    std::atomic<bool> refreshSuppressed{false};
    // An awaited dump was parsed or a librarian collection completed.
    std::atomic<bool> answerReceived{false};
    // A control is being set from incoming MIDI.
    std::atomic<bool> settingFromDevice{false};
    // The short message being handled came from the host.
    std::atomic<bool> fromHost{false};

private:
    // Arms the sound collection and posts a librarian sound request with it.
    void postPatchRequest(int command, const std::function<void(SenderJob&)>& setArguments);

    SenderPlugin* plugin;
    PatchManager* patchManager;
    IGraphics* graphics;
    PatchLibrarian* librarian;
    std::unique_ptr<MIDIMessageSender> sender;
    std::unique_ptr<SenderWorker> workers[kWorkerCount];
};
