#pragma once

#include "src/incoming/LibrarianRequest.h"
#include "src/librarian/PatchSysexMessage.h"
#include "src/sender/SenderJob.h"
#include "src/sender/SenderOwner.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class IControl;
class IGraphics;
struct IMidiMsg;
struct ISysEx;
class MIDIMessageSender;
class PatchLibrarian;
class PatchManager;
class SenderPlugin;
class SenderWorker;

// The two complementary filter-routing switches of each part (id + part). The layout cannot
// address them, so the parameter dictionary gives them no name.
enum FilterRoutingSwitch { kFilterRoutingSwitchA = 18722, kFilterRoutingSwitchB = 18738 };

// Owns the sender and its three workers, the librarian collections and the flags that the
// incoming-SysEx handling shares with the jobs.
class MIDIMessageManager : public SenderOwner {
public:
    enum Worker {
        kJobThread,       // dumps, requests, probe and init data (codes 0 to 18)
        kClockThread,     // MIDI Start and Stop (codes 20 and 22)
        kClockTickThread, // the continuous clock (code 21)
        kWorkerCount
    };

    MIDIMessageManager(SenderPlugin* plugin, PatchManager* patchManager, PatchLibrarian* librarian,
                       IGraphics* graphics);
    // Stops the workers as stopWorkers does.
    ~MIDIMessageManager() override;
    MIDIMessageManager(const MIDIMessageManager&) = delete;
    MIDIMessageManager& operator=(const MIDIMessageManager&) = delete;

    // Stops the clock, cancels and stops every job and joins the workers: every wait of a job
    // ends at the stop, so each ends soon. The owner calls it while the jobs may still reach
    // it; later calls do nothing more.
    void stopWorkers();

    // The worker that runs a command; a code without a job goes to the job thread, which
    // returns at once.
    static Worker workerFor(int command);
    // Starts the command on its worker when that worker is idle; setArguments writes the
    // job's arguments and makes the poster's side effects, and runs only when the job is
    // started. Returns whether it was.
    bool postJob(int command, const std::function<void(SenderJob&)>& setArguments = {});
    bool isRunning(Worker worker) const;
    MIDIMessageSender* getSender() const { return sender.get(); }
    // Ends the job thread's running request whose answer would go into the editor (the
    // device-id probe, or a part, pattern or arrangement request into the editor) at its next
    // pause; any other job goes on.
    void endRequestIntoEditor();

    // Arm the librarian's sound collection and request one sound (job 11) or a bank of 100
    // (job 12); nothing is armed when the job thread is busy.
    void sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank);
    void sendAllPatchRequestSysexFromLibrarian(int bank);

    // Sends a single-parameter message (low 8 bits of each int; F0 and F7 added when the
    // first byte is not F0) while a MIDI output is chosen; else shows "Set MIDI I/O First!".
    void sendSysexMessage(std::vector<int> message);

    // Applies a sound dump to the part in its byte 6: name, category, every parameter byte of
    // a section whose lock is not exactly 1.0, the effect aliases and the taps. A message that
    // is no sound dump of 390 bytes or more, or names no part 0..15, changes nothing (false).
    // Runs on the thread that delivered the dump.
    bool sysexPatchParse(ISysEx* message);

    // Apply a part's packed multi bytes: packed byte 1 sets MIDI receive, send and engine
    // and makes the part active exactly when the engine bits are 0; packed byte 2 sets the six
    // switches. A part outside 0..15 changes nothing.
    void processMultiSettings1Values(int value, int part);
    void processMultiSettings2Values(int value, int part);

    // Mirror a change of an effect-type parameter into its common slot parameter of the same
    // part, clamped into that parameter's range and stored without notification; any other
    // id changes nothing.
    void SetFX1ParameterChangesToDefaultParameters(int paramId, int value);
    void SetFX2ParameterChangesToDefaultParameters(int paramId, int value);

    // Refills the plug-in's random-value list from a generator seeded with the wall clock's
    // whole seconds: two runs within one second give the same list.
    void randomGenerator();
    // Entry `entry` of the random-value list folded into the parameter's range; none when the
    // range is below 1, which leaves such a parameter alone.
    std::optional<int> randomizer(int paramId, int entry);
    // Gives the part's sound random values section by section; a section whose lock is not
    // exactly 0.0 keeps its values. Runs on the editor's thread.
    void randomizePatchSettings(int part);

    // Every SysEx from the synthesizer (fromDevice true; anything else is ignored), on the MIDI
    // input thread or the thread that feeds the plug-in's own dumps: completes an armed
    // librarian collection, or goes to the dump parsers while a dump is awaited, or, when
    // short, to the parameter-change handling; then refreshes the editor when asked to.
    void ProcessSysEx(ISysEx* message, bool fromDevice);

    // The plug-in's arming of a request: `librarian` arms the one collection of the
    // librarian's mode (pattern, else multi, else sound), with `slot` for the dump of that
    // slot alone, and clears dumpAwaited; otherwise every collection stops and dumpAwaited is
    // set. Clears answerReceived.
    void setLibrarianRequestActive(bool librarian, bool multiMode, bool patternMode,
                                   std::optional<SysexMessage::Address> slot = std::nullopt);

    // Applies a raw value from the synthesizer to the control: the parameter's value offset,
    // the effect pages' refresh, local control, and for a part's bank or program the change
    // it stands for, unless a program change was acted on within the last 1000 ms. With
    // raise the send path sees the change as one from the synthesizer.
    void processSysExToUI(IControl* control, int value, bool refresh, bool raise);
    // The control of the address (variant 0) gets the value; none leaves the message
    // unhandled.
    void getNormalControl(int k1, int k2, int k3, int k4, int value, bool raise);

    // A short message from the synthesizer (MIDI input thread) or from the host for the part
    // on its channel (the host's processing thread): filtered by type and side, bank selects
    // swallowed, control and program changes acted on, the part's indicator lit, and handed
    // on to the synthesizer (from the synthesizer only without local control).
    void ProcessMidiMsgFromDevice(IMidiMsg* msg);
    void ProcessMidiMsgFromDAW(IMidiMsg* msg, int part);
    // A control change on channel 1..16 moves its control; an unbound CC 32 of 64, 65, 66 or
    // 72 selects the part's bank. With raise the send path sees it as one from the
    // synthesizer.
    void getLegacyCCparam(int cc, int channel, int value, bool refresh, bool raise);
    // A program change for an unlocked part: auditions the librarian entry, or selects the
    // program and requests the part's sound, by the plug-in's modes.
    void MakeProgramChangeMessages(int part, IMidiMsg* msg);

    // Posts a request of the part's sound (job 7) or pattern (job 8) into the editor; the
    // wait for its dump (and with armEditor the editor as destination) begins only when the
    // job is posted. Returns whether it was.
    bool postEditorRequest(int command, int part, bool armEditor);
    // Ends the wait for a dump, unless a request job waits for its answer into the editor:
    // that wait is the job's, until the answer comes or the job ends.
    void endDumpWait();
    // The first part whose MIDI channel setting names the channel 0..15, or -1.
    int partOnChannel(int channel);

    // Ends every librarian collection.
    void disarmLibrarianRequests();
    // True while a librarian collection is armed.
    bool isCollecting() const;

    // SenderOwner
    void requestEditorRefresh() override { refreshRequested = true; }
    void setRefreshSuppressed(bool on) override { refreshSuppressed = on; }

    LibrarianRequest performanceRequest{PatchSysexMessage::kMulti, 390, 400,
                                        PatchSysexMessage::kMultiNameOffset};
    LibrarianRequest patchRequest{PatchSysexMessage::kSound, 390, 400,
                                  PatchSysexMessage::kSoundNameOffset};
    LibrarianRequest patternRequest{PatchSysexMessage::kPattern, 540,
                                    LibrarianRequest::kLongestDump,
                                    PatchSysexMessage::kPatternNameOffset};

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
    // The current short message found no handler yet.
    std::atomic<bool> messageUnhandled{false};
    // The synthesizer sent CC 0 = 0: the CC 32 that completes its bank select is swallowed.
    std::atomic<bool> bankSelectSeen{false};
    // GetTickCount() when a program change was last acted on.
    std::atomic<uint32_t> lastProgramChangeTick{0};

private:
    // The first active collection takes the message; a completed one is stored into the
    // selected slot. False when no collection is active.
    bool collectForLibrarian(const ISysEx& message);
    // While the start-up probe runs, an awaited dump teaches the plug-in the device id.
    void learnDeviceId(const ISysEx& message);
    // The other dump parsers: each acts only on its own dump, and raises answerReceived and
    // returns true when it took one.
    // A pattern of 542 bytes or more fills the awaited-dump part as far as it goes; its values
    // only while the part's pattern lock is not exactly 1.0.
    bool sysexPatternParse(ISysEx* message);
    // A multi of exactly 393 bytes sets the multi, its name and every part, then records each
    // part's bank and program as the synthesizer holds them.
    bool sysexMultiParse(ISysEx* message);
    // A global dump of exactly 207 bytes sets the global parameters and the local control.
    bool sysexSettingsParse(ISysEx* message);

    static constexpr int kSoundParameterSize = 10;
    static constexpr int kMultiParameterSize = 9;
    // Librarian banks hold 100 entries; programs are capped at 100 even so.
    static constexpr int kLibrarianSlots = 100;
    static constexpr int kHighestProgram = 100;
    // The part of a per-part parameter of the run that starts at base, or -1.
    static int partOf(int paramId, int base);

    // A 9- or 10-byte parameter change from the synthesizer.
    void processParameterChangeMessage(const ISysEx& message);
    struct ParameterMessage;
    IControl* findControl(const ParameterMessage& m, int variant);
    void processSoundParameter(const ParameterMessage& m);
    // False when the message ends the dispatch.
    bool processMultiParameter(const ParameterMessage& m);
    void processGlobalParameter(const ParameterMessage& m);
    // What a message no rule took still does: the filter link, and the raw value for the
    // control of its address.
    void processUnhandledParameter(const ParameterMessage& m);
    // The change a bank or program value stands for.
    void changeBankOrProgram(int paramId, int value);
    // Sets or moves under the plug lock, so that the send path of another thread never sees
    // settingFromDevice raised for its own change.
    void applyFromDevice(bool raise, bool refresh, const std::function<void()>& apply);
    // Librarian slots exist as 0..99: other programs select and send nothing.
    void selectLibrarianSlot(int program, bool upperToo);
    void sendLibrarianEntry(int slot, int part);
    // While the indicators follow incoming MIDI, lights that of the channel's part.
    void lightIndicatorOfChannel(int channel);

    // Arms the sound collection and posts a librarian sound request with it.
    void postPatchRequest(int command, const std::function<void(SenderJob&)>& setArguments);
    void mirrorEffectChange(int effect, int paramId, int value);
    // Sets the parameter to the fold of the entry into its range, when it has one.
    void setRandom(int paramId, int entry);

    SenderPlugin* plugin;
    PatchManager* patchManager;
    IGraphics* graphics;
    PatchLibrarian* librarian;
    std::unique_ptr<MIDIMessageSender> sender;
    std::unique_ptr<SenderWorker> workers[kWorkerCount];
    // Of the job last posted to the job thread: whether it brings an answer into the editor,
    // whether it is the probe.
    std::atomic<bool> editorRequestPosted{false};
    std::atomic<bool> probePosted{false};
};
