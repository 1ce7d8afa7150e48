#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

    // Dump requests, the device-id probe and init data ------------------------------------
    // The guarded send: "Set MIDI I/O First!" on the upper display line and nothing sent
    // while no output is chosen; a message of 201 bytes or more gets its checksum first.
    virtual void checksumCheckAndSend(uint8_t* message, int length) = 0;
    // True shows the progress layer; false hides it, ends the transfer flags and clears the
    // manager's dumpAwaited.
    virtual void DisplayProcessingIndicator(bool on) = 0;
    // True arms the librarian collection of the librarian's mode; false makes the next dump
    // go to the editor. Both clear the answer flag and the manager's answerReceived.
    virtual void SetLibrarianRequestActive(bool librarian) = 0;
    // True ends the librarian request, marks the bank unsaved and shows the "received to
    // slot(s)" notice of the librarian's mode; false does nothing.
    virtual void SetLibrarianStatusUnsaved(bool on) = 0;
    // Tells the librarian browser that its upper (0), lower (1) or both (2) selections changed.
    virtual void updatePatchLibrarianView(int which) = 0;
    virtual void setLibrarianViewDirty() = 0;
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
    // The device id put into requests, part selects and the probe.
    virtual int getDeviceId() = 0;
    virtual void setDeviceId(int id) = 0;
    // Stores a plain value clamped into the parameter's range, directly: no host, no control,
    // no parameter-change handling.
    virtual void setParameterValue(int paramIdx, double value) = 0;
    // The pause unit of transfers in ms (`pauseUnitMillis` of kLibSyncTimer).
    virtual int getTimerValue() = 0;
    // The part whose sound or pattern an incoming dump fills.
    virtual int getAwaitedDumpPart() = 0;
    virtual void setAwaitedDumpPart(int part) = 0;
    // The part shown in the editor (0..15).
    virtual int getSelectedPart() = 0;
    // The plug-in's own SysEx input for dumps it feeds itself: no gate, no indicator; the
    // message goes to the dispatcher and the answer flag follows the manager's answerReceived.
    virtual void ProcessSysExInternal(ISysEx* message) = 0;
};
