#pragma once

#include "platform/Clock.h"
#include "src/sender/SenderJob.h"
#include "src/sender/SysexMessage.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class PatchFile;
class PatchLibrarian;
class PatchManager;
class SenderOwner;
class SenderPlugin;

// Runs the jobs of the message manager's three workers. One sender serves one plug-in
// instance: its flags and its MIDI clock belong to that instance alone. The job arguments live
// in each worker's own record and reach the job through `run`.
class MIDIMessageSender {
public:
    // The owner may be null: jobs then leave the editor refresh alone.
    MIDIMessageSender(PatchManager* patchManager, SenderPlugin* plugin, PatchLibrarian* librarian,
                      SenderOwner* owner);

    // Runs the job of the record's command once; code 19, codes above 22 and negative codes do
    // nothing. Returns when the job ends.
    void run(const SenderJob& job);

    // True ends a running MIDI clock at its next check; false lets the next clock job tick.
    void resetContinuousClock(bool stop);
    bool isClockRunning() const { return clockRunning.load(); }

    // Ends every job at once: its pause in progress and every later one return at once, and
    // its loops end at their next pass; a running request is cancelled. For teardown, before
    // the workers are joined.
    void requestStop();
    bool stopRequested() const { return bool(stopping); }
    // Sleeps millis through the clock seam; a stop ends it at once. Every wait of a job, and of
    // what a job calls, goes through here.
    void pause(int millis);
    // Whether the dump worker's job, running or just ended, still talks to the synthesizer it
    // began with: no port to it has closed or opened since. On that worker's thread.
    bool connectionHeld() const;

    // Nanoseconds between two clock ticks (24 per quarter note) at a tempo of 1 BPM or more.
    static int64_t clockIntervalNanos(int tempo);
    // The pause unit of transfers in ms for a kLibSyncTimer value.
    static int pauseUnitMillis(double libSyncTimer);
    // The built-in init pattern: 544 bytes, "INIT Sequence   " with 32 neutral steps.
    static const std::vector<uint8_t>& initPatternDump();

    // The part's packed multi bytes as the parameters hold them: MIDI receive, send and
    // engine; the six switches.
    int calculateMultiSettings1Values(int part);
    int calculateMultiSettings2Values(int part);

    // How often a dump that JACK may have dropped in an xrun goes again before its transfer
    // fails at it.
    static constexpr int kXrunResends = 8;

    // Set by a job on cancel or time-out.
    std::atomic<bool> error{false};
    // Set from outside to cancel a running request.
    std::atomic<bool> cancel{false};
    // Set from outside, with cancel, to end a running device-id probe at its next pause
    // without its end texts; the poster of a probe clears it.
    std::atomic<bool> endProbe{false};
    // True while the arrangement request runs its parts.
    std::atomic<bool> inBatch{false};

private:
    // How a request job asks again when no answer comes.
    enum class Resend { kIdScan, kSameId };
    struct Request {
        std::vector<uint8_t> bytes; // 3E 0F dd id a b, framed by the send path
        int pause = 0;              // ms between two looks at the answer flag
        int resendAt = 0;           // the wait at which the re-send phase runs
        Resend resend = Resend::kIdScan;
        // Sent through the guarded path, each scanned id named on the display, a cancel ends
        // the scan without an error (the arrangement request and the probe).
        bool guarded = false;
        bool answerBeforeCancel = false; // the scan looks at the answer before the cancel
        // The address of the slot asked for: only its dump answers (none for an edit buffer).
        std::optional<SysexMessage::Address> slot;
    };

    // The pause after a message: until `millis` after the job's last message went, and longer
    // while a MIDI cable still carries what the job sent. With 0 and a clear cable it does not
    // pause at all.
    void pace(int millis);
    // Every message of a job: it leaves once the cable has carried the one before, and its
    // `wireBytes` then take their time on the cable. False when `send` sent nothing, and when
    // the job's connection did not hold from before the send to after it.
    bool transmit(int wireBytes, const std::function<bool()>& send);
    // Messages that must arrive whole and in order (a part select and the pattern dump it
    // places, a bank change and the sound dump after it), with their pauses: JACK may drop
    // any of them in an xrun, and then all go again. Writing a dump twice into the same place
    // changes nothing; requests never go so, as their answers would come twice.
    struct Run {
        std::function<bool()> send; // false when a message did not go out
        uint64_t first = 0;         // the output's numbers of what it queued: (first, last]
        uint64_t last = 0;
        int resends = 0;
        int label = 0; // what a failure names
    };
    static constexpr int kNoneFailed = -1;
    // Sends the run and keeps it under watch; false when it did not go out.
    bool sendWatched(int label, std::function<bool()> send);
    bool runWatched(Run& run);
    // Each run under watch that JACK may have dropped goes again, up to kXrunResends times;
    // one clear of xruns leaves the watch. With `wait`, until none is left. The lowest label
    // of a run that went around an xrun every time, did not go out again, or lost its
    // connection; kNoneFailed else, also when a cancel or a stop ended the watch.
    int settleWatched(bool wait);
    // Whether JACK may have dropped any message the output queued after `queued`.
    bool mayBeLostSince(uint64_t queued);
    // Before a message goes again, or after one that JACK may have dropped: waits up to
    // `millis` for the server's next notice of an xrun, then up to as long again until that
    // notice can no longer mark what goes as lost. A steady source of xruns leaves its clear
    // stretch right after each notice, where copies at a steady interval would meet one as
    // often as the first did (a client late ten times a second spoiled nine copies of a multi).
    void leaveAfterXrun(int millis);
    // A run that ends clear of xruns before the job goes on: what follows may depend on it.
    // False when it did not.
    bool deliver(std::function<bool()> send);
    // A dump from F0 through the plug-in's guarded path, which writes its checksum, then the
    // pause after it, delivered.
    bool sendDump(uint8_t* dump, int size, int pauseMillis);
    // Bank select and program change of the part (of the multi in multi mode), then the pause,
    // delivered: a program change lost leaves another sound in the part, or another multi.
    enum class BankChange { kSent, kRefused, kLost };
    BankChange changeBank(int part, int pauseMillis);
    void show(const std::string& text);
    bool send(std::vector<uint8_t> bytes, bool guarded);
    // Says in the log and on the display what did not go out through the guarded path (or,
    // when not `guarded`, through the plain output), or went while the job's connection did not
    // hold: "Data <transfer> FAILED at <what>!".
    void failed(const std::string& what, bool guarded = true, const char* transfer = "write");
    // The start of every request: error and cancel cleared, the destination armed.
    void beginRequest(bool toEditor, std::optional<SysexMessage::Address> slot = std::nullopt);
    // Arms the librarian's collection, for the dump of the slot alone when one is given.
    void armLibrarian(std::optional<SysexMessage::Address> slot);
    // Pauses until the answer flag is set (true), or a cancel or the 30th wait (error set),
    // or until no answer can come: the request did not go out or the input reaches nothing
    // (error and unreached set).
    bool awaitAnswer(const Request& request);
    // Asks again: over every device id, or up to 128 times with the same id and the
    // librarian collection armed anew. Stops at an answer or a cancel; false when a request
    // did not go out or no answer can come.
    bool resend(const Request& request);
    // The end text of a request, as its job ends; a cancelled or failed librarian request is
    // disarmed, and a cancelled one hides the progress veil and reloads the browser.
    void finishRequest(bool toLibrarian, const char* cancelled, const char* completed);
    // One slot after another into the librarian (jobs 10, 12, 14).
    void requestBank(const std::function<Request(int slot)>& requestFor, bool indicatorPerSlot,
                     const char* cancelled, const char* completed);
    // Up to 100 passes of `millis`, each followed by `text` when given; ends at an answer, at
    // a cancel when `cancelEnds`, or after the 100th pass with the time-out text and error.
    void pollAnswer(int millis, const char* text, bool cancelEnds);
    // The sound and pattern of each part into the editor (job 6).
    void requestArrangementParts(int pauseUnit);
    // A request with the plug-in's device id.
    Request makeRequest(SysexMessageId id, SysexMessage::Address address, int pauseMillis,
                        int resendAt, Resend resend) const;
    // The same, for a slot whose dump alone answers it.
    Request makeSlotRequest(SysexMessageId id, SysexMessage::Address slot, int pauseMillis,
                            int resendAt, Resend resend) const;
    // A cancel or a stop: every loop ends.
    bool halted() const { return cancel || stopping; }
    // Whether an answer of the synthesizer the job began with can come back through the
    // plug-in's input.
    bool answerable() const;
    // Feeds a dump the plug-in made into the librarian's selected slot through its own input.
    void storeIntoLibrarian(uint8_t* dump, int size);
    int selectedSlot() const;
    void setSelectedSlot(int slot);

    // Sends the multi dump, then the global dump first, the parts' sounds or the shown part's
    // sound (and pattern) by the plug-in's options; or asks for the active parts' sounds; or
    // with toLibrarian stores the multi into the librarian's selected upper slot instead.
    void sendArrangementToDevice(bool toLibrarian, bool requestParts);
    // What follows the multi: the parts' requests, every active part's sound or the shown
    // part's sound (and pattern).
    void sendArrangementParts(bool batch, bool requestParts, bool patternToo);
    void buildMultiDump(uint8_t* dump);
    // Within the arrangement send the progress display and the busy flag stay as they are.
    // False when the dump did not go out.
    bool sendGlobalToDevice(int unusedDeviceId, bool withinArrangement);
    // Sends the part's sound dump to the synthesizer's edit buffer (then the multi tempo when
    // it applies), or with toLibrarian stores it into the librarian's selected upper slot.
    // False when a message did not go out. Within a transfer that shows the progress veil
    // itself (withinTransfer, or a batch) the veil is left as it is.
    bool sendPartToDevice(int part, bool toLibrarian, bool withinTransfer);
    // The part's sound dump as the plug-in's parameters hold it, without its checksum.
    void buildSoundDump(int part, uint8_t* dump);
    // Sends the part's pattern dump to the synthesizer's edit buffer, selecting the part first
    // when it is not the shown one outside a batch; or stores it into the librarian. False
    // when a message did not go out. The veil as for sendPartToDevice.
    bool sendSequenceToDevice(int part, bool toLibrarian, bool withinTransfer);
    void buildPatternDump(int part, uint8_t* dump);
    // Loads the entry into the editor through the plug-in's own input, then sends the editor's
    // pattern, multi or sound of the part to the synthesizer.
    void sendPatchToDeviceFromLibrarian(const std::shared_ptr<const LibrarianPatch>& patch,
                                        int part, bool unused);
    // Writes the bank's entries from firstSlot on into the synthesizer's slots 0, 1, …
    void storeAllPatchesToDeviceFromLibrarian(int source, int firstSlot, int bank);
    // The bank job 5 reads; null when there is none. Called under the librarian's mutex.
    const PatchFile* storeSourceBank(int source) const;
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
    SenderOwner* owner;
    std::atomic<bool> clockRunning{false};
    // When the clock's last tick was due; only the clock job, one run at a time, touches it.
    std::optional<int64_t> lastTickDue;
    platform::StopSignal stopping;
    // When the job's last message went, and when its last byte can have crossed a MIDI cable;
    // the dump worker's alone.
    int64_t sentAt = 0;
    int64_t cableClearAt = 0;
    // The plug-in's connection to the synthesizer as the dump worker's job began.
    uint64_t connection = 0;
    // What the last job said of its failure when its connection did not hold: the probe that
    // follows it, whose texts take the upper line, leaves it on the lower one. The dump
    // worker's alone.
    std::string failedAcrossReturn;
    // Set when the last wait for an answer ended as none could come; the dump worker's alone.
    bool unreached = false;
    // What the dump worker's job sent that JACK may still have dropped.
    std::vector<Run> watched;
};
