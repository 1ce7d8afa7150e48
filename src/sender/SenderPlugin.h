#pragma once

#include "platform/midi/MidiDelivery.h"
#include "src/sender/SysexMessage.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class IControl;
class KIT_Mutex;
struct IMidiMsg;
struct ISysEx;

// What the sender and its manager need of the plug-in core. The plug-in implements it; every
// operation may be called from a worker thread.
class SenderPlugin {
public:
    virtual ~SenderPlugin() = default;

    // Sends one message to the external MIDI output: a message that does not start with F0
    // goes out as F0, the bytes, F7; one that does goes out unchanged.
    virtual bool SendMidiSysex(const uint8_t* data, int length) = 0;
    // Sends the bytes unchanged as one message to the external MIDI output.
    virtual bool SendMidiSysex2(const std::vector<uint8_t>& bytes) = 0;

    // The parameter's plain value.
    virtual double GetParamValue(int paramIdx) = 0;
    // Sets the parameter and its controls from the plug-in's side: no host is informed, no
    // parameter-change handling runs and nothing is sent.
    virtual void SetParameterFromPlug(int paramIdx, double value) = 0;

    // The editor's two display lines: the upper one names a change or a transfer message, the
    // lower one shows a value.
    virtual void setUpperDisplayText(const std::string& text) = 0;
    virtual void setLowerDisplayText(const std::string& text) = 0;

    // Set while an external MIDI output is chosen.
    virtual bool isMIDIIOSet() = 0;
    // Whether an answer of the synthesizer can come in now: an external MIDI input is open
    // and reaches the synthesizer's port.
    virtual bool isMIDIInReaching() { return true; }
    // Changes whenever a port to the synthesizer closes or opens: a transfer spans one
    // connection, as a synthesizer that went and came back meanwhile is another one.
    virtual uint64_t midiConnection() { return 0; }
    // The messages the MIDI output queued so far, 0 where none is dropped once it went; and
    // whether message n (from 1) may have been dropped in an xrun that the JACK server carrying
    // it told of (a client ran late, and the server dropped the MIDI of the cycles it missed).
    virtual uint64_t midiOutQueued() { return 0; }
    virtual platform::MidiDelivery midiOutDelivery(uint64_t /*message*/) {
        return platform::MidiDelivery::kClear;
    }
    // For how many ns a message sent now would still count an xrun already told as one that
    // may have dropped it; 0 when none would.
    virtual int64_t midiOutXrunShadowNanos() { return 0; }
    // The job thread ended a job of that command and takes posts again; on that thread.
    virtual void jobThreadIdle(int /*endedCommand*/) {}
    // Set while MIDI Start and Stop follow the host transport.
    virtual bool isClockStartStopEnabled() = 0;
    // Set while the MIDI clock is to tick; the clock job clears it when it finds no tempo.
    virtual bool isClockTickEnabled() = 0;
    virtual void setClockTickEnabled(bool on) = 0;
    // The host tempo in whole BPM as last cached (0 before any).
    virtual int getTempoValue() = 0;

    // Entry `index` of the named value list of the UI configuration; "" when the list or the
    // entry does not exist (nothing is inserted).
    virtual std::string getValueListText(const std::string& list, int index) = 0;

    // One line in the debug log while the log is open.
    virtual void printDebugInfo(const std::string& text) = 0;
    // The trace of a SysEx message just sent, in the debug log while the log is open.
    virtual void logSysExOut(const uint8_t* /*bytes*/, int /*size*/) {}

    // The sound dump, its parser, the effect aliases and the randomizer --------------------
    // The parameter's range.
    virtual double GetParamMin(int paramIdx) = 0;
    virtual double GetParamMax(int paramIdx) = 0;
    // Stores the plain value in the parameter alone: no control, host, handler or MIDI.
    virtual void storeParamValue(int paramIdx, double value) = 0;
    // The text of a text parameter (its display text of value 0), and replacing it.
    virtual std::string getParamText(int paramIdx) = 0;
    virtual void setParamText(int paramIdx, const std::string& text) = 0;
    // Entry `index` of the patch manager's names: 0 the multi, 1 + part the part's sound
    // name, 19 + part its category, 35 + part its pattern name.
    virtual void setPatchManagerName(int index, const std::string& name) = 0;
    // The device id put into the plug-in's own requests and messages.
    virtual int getDeviceId() = 0;
    // The part shown in the editor (0..15).
    virtual int getSelectedPart() = 0;
    // The synthesizer model: 0 Q, 1 Q+.
    virtual int getModel() = 0;
    // Set while a whole multi is being sent or restored.
    virtual bool isBatch() = 0;
    // Keeps a received filter-link byte as the part's filter-link mode.
    virtual void setFilterLinkMode(int part, int mode) = 0;
    // The randomizer's list of 393 values, filled and read on the editor's thread only.
    using RandomValueList = std::array<int, 393>;
    virtual RandomValueList& randomValueList() = 0;
    // While no MIDI output is chosen shows "Set MIDI I/O First!" and sends nothing; otherwise
    // writes the checksum of a message of 201 bytes or more and sends it. False when nothing
    // was sent.
    virtual bool checksumCheckAndSend(uint8_t* msg, int length) = 0;
    // The progress display; false also clears the transfer flags and the manager's
    // dumpAwaited.
    virtual void DisplayProcessingIndicator(bool on) = 0;
    // True arms the librarian collection of the librarian's mode; false sends the next dump to
    // the editor. Both clear the answer flags.
    virtual void SetLibrarianRequestActive(bool librarian) = 0;
    // Arms the librarian collection as SetLibrarianRequestActive(true) does, for the dump
    // whose address bytes name this slot alone.
    virtual void armLibrarianRequestForSlot(SysexMessage::Address slot) = 0;
    // True ends the librarian request, marks the bank unsaved and shows the mode's
    // "… received to slot(s)"; false, once the bank is saved, takes the unsaved-bank controls
    // away again.
    virtual void SetLibrarianStatusUnsaved(bool on) = 0;
    // Ends an armed librarian collection without storing or showing anything.
    virtual void DisarmLibrarianRequests() = 0;
    virtual void setLibrarianViewDirty() = 0;
    virtual void displayPatchName(const std::string& name) = 0;
    virtual void displayCategoryName(const std::string& category) = 0;
    // Hands a dump the plug-in made itself to its own SysEx input, past the gate that filters
    // the synthesizer's input; the answer flag then follows the manager's answerReceived.
    // Returns whether an armed librarian collection stored it.
    virtual bool ProcessSysExInternal(ISysEx* msg) = 0;

    // Dump requests, the device-id probe and init data ------------------------------------
    // Tells the librarian browser that its upper (0), lower (1) or both (2) selections changed.
    virtual void updatePatchLibrarianView(int which) = 0;
    // The full reaction to a parameter change (kRefreshFolders reloads the librarian browser).
    virtual void OnParamChange(int paramIdx) = 0;
    // The reduced reaction (kQuickTab redraws the selected part's pages); clears dumpAwaited.
    virtual void OnParamChange2(int paramIdx) = 0;
    // Set by the plug-in's SysEx input once an awaited answer was taken in.
    virtual bool isAnswerReceived() = 0;
    // Set once the start-up device enquiry was posted: incoming dumps then teach the device id.
    virtual bool isProbeStarted() = 0;
    // Set while the reduced change handler runs.
    virtual bool isReducedChangeRunning() = 0;
    virtual void setDeviceId(int id) = 0;
    // The pause unit of transfers in ms (`pauseUnitMillis` of kLibSyncTimer).
    virtual int getTimerValue() = 0;
    // The part whose sound or pattern an incoming dump fills.
    virtual int getAwaitedDumpPart() = 0;
    virtual void setAwaitedDumpPart(int part) = 0;

    // Parameter changes and short MIDI from the synthesizer and the host --------------------
    // The control entered under a SysEx address (the four bytes before the value) and a
    // variant; null when there is none.
    virtual IControl* getSysexControl(int k1, int k2, int k3, int k4, int variant) = 0;
    // The control of a CC on a channel 1..16 in the current (0) or legacy (1) map; null when
    // there is none.
    virtual IControl* getCCControls(int channel, int cc, int legacy) = 0;
    // The plug lock, which every change from the host and the editor holds.
    virtual KIT_Mutex* plugLock() = 0;
    // Tell the host that an edit of the parameter begins and ends.
    virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
    virtual void EndInformHostOfParamChange(int paramIdx) = 0;
    // True while the user's MIDI filter blocks what the pass-through switch names (one of
    // kMIDIFilterDAWCCPassThrough .. kMIDIFilterHWSEPassThrough).
    virtual bool isMIDIFilterBlocked(int passThroughSwitch) = 0;
    // Local control: short MIDI from the synthesizer is not routed back out.
    virtual bool isLocalControl() = 0;
    virtual void setLocalControl(bool on) = 0;
    // Program changes audition librarian entries (kControlLibrary is 1).
    virtual bool isLibrarianControl() = 0;
    // Bank and program changes request the part's sound (kControlProgBank is 1).
    virtual bool isProgramBankMode() = 0;
    // The bank and program each part last selected on the synthesizer; a received multi
    // leaves them as the synthesizer holds them.
    virtual int getStoredBank(int part) = 0;
    virtual void setStoredBank(int part, int bank) = 0;
    virtual int getStoredProgram(int part) = 0;
    virtual void setStoredProgram(int part, int program) = 0;
    virtual void setSelectedPart(int part) = 0;
    // While the editor is attached, lights the part's activity indicator (kMIDILed + part)
    // unless it is lit, and notes when; the block loop puts it out.
    virtual void lightPartIndicator(int part) = 0;
    // The librarian view's active side (0 upper, 1 lower), its upper and its current slot.
    virtual int getLibrarianViewSide() = 0;
    virtual void setLibrarianViewUpperSlot(int slot) = 0;
    virtual void setLibrarianViewCurrentSlot(int slot) = 0;
    // Auditions the entry at the slot of the side's bank on the part (job 4).
    virtual void sendPatchToDeviceFromLibrarian(int slot, int side, int part) = 0;
    // All Notes Off on the part's channel (or on every active part).
    virtual void AllSoundsOff(int part, bool allParts) = 0;
    // Bank select and program change of the part (in multi mode of the multi), recorded as
    // the part's stored bank and program and as the last program number; false, with nothing
    // sent, on a bank conflict with another active part or without an output.
    virtual bool BankChangeMessage(int part) = 0;
    // The program number of the last bank change.
    virtual int getLastProgramNumber() = 0;
    // Hands a short message on to the synthesizer, at once or with the host's blocks.
    virtual void MIDIOutRoutingSwitch(IMidiMsg* msg) = 0;
    // Sends a short message at once with its log line; "Set MIDI I/O First!" without an output.
    virtual void sendMidiMsgAndLog(IMidiMsg* msg) = 0;
    // Sends a short message at once, unlogged.
    virtual bool SendMidiMsg(IMidiMsg* msg) = 0;

    // Multi, global and pattern dumps, the whole-arrangement send and librarian transfers ----
    // Options of the whole-arrangement send, set by its posters and read once by the send.
    virtual bool isGlobalFirst() = 0;
    virtual bool isPatternToo() = 0;
    // The librarian's send of a multi clears the batch and global-first options.
    virtual void clearBatchAndGlobalFirst() = 0;
    // The arrangement send clears pattern-too at its end, after it has read it.
    virtual void clearPatternToo() = 0;
    // Set while the whole arrangement goes out: the plug-in's input drops what comes meanwhile
    // and a project restore waits for it to clear.
    virtual void setArrangementBusy(bool on) = 0;
    // Set around a librarian send to the synthesizer.
    virtual void setTransferRunning(bool on) = 0;
    // The librarian's mode: patterns, else multis, else sounds. Const as in the browser's and
    // the store's interfaces, so that one operation of the plug-in serves all three.
    virtual bool isMultiMode() const = 0;
    virtual bool isSequenceMode() const = 0;
    // What the librarian's lower side shows: bank files, category banks or search results.
    enum LowerView { kLowerBankFiles, kLowerCategories, kLowerSearchResults };
    virtual LowerView getLowerView() = 0;
};
