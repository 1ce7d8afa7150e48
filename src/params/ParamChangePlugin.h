#pragma once

#include "src/librarian/LibrarianHost.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ControlAction;
class ControlLayer;
class IControl;
class IEffectBase;
class ITextControl;
class PatchLibrarian;
struct SenderJob;

// What the parameter-change handling needs of the plug-in core. The plug-in implements it and
// forwards its OnParamChange and OnParamChange2 to ZozParamChanges. Operations are called on
// the thread of the change (editor, host or MIDI input) inside the plug lock, unless noted.
// The flags are shared with the MIDI input thread, the audio callback and the workers.
class ParamChangePlugin {
public:
    virtual ~ParamChangePlugin() = default;

    // The framework base: parameter list, plug lock (GetMutex), the editor's graphics (null
    // while none) and the plug-in's own OnParamChange, which a rule calls to dispatch the
    // change of another parameter.
    virtual IEffectBase* effect() = 0;

    // ---- Operations of the plug-in core.
    // Sends the parameter's CC, NRPN or SysEx as the action describes and sets the action's
    // bound controls; while linkApplying() is set it first stores the value, clamped to the
    // parameter's range; while hardwareChange() is set it sends nothing.
    virtual void processControlAction(ControlAction* action, int idx, double value) = 0;
    // Starts the command on its worker when that worker is idle: setArguments writes the job's
    // arguments and makes the poster's side effects, and runs only when the job is started.
    // Returns whether it was.
    virtual bool postJob(int command, const std::function<void(SenderJob&)>& setArguments) = 0;
    // True while the message manager's dump worker runs.
    virtual bool ThreadRunning() = 0;
    // True arms the librarian collection of the current mode; false sends the next dump to
    // the editor (setting dumpAwaited). Both clear the answer flags.
    virtual void SetLibrarianRequestActive(bool librarian) = 0;

    // ---- The editor.
    // The two display lines: the first controls bound to kControlDisplayName and
    // kControlDisplayValue, found once at construction; null when the layout has none.
    virtual ITextControl* displayNameLine() = 0;
    virtual ITextControl* displayValueLine() = 0;
    // A layer of the layout by name, looked up once at construction; null when missing.
    virtual ControlLayer* namedLayer(const std::string& name) = 0;
    // The named value list of the UI configuration; empty when there is none (nothing is
    // inserted). Any thread.
    virtual const std::vector<std::string>& getValueList(const std::string& name) = 0;

    // ---- Shared state.
    // The part shown by kQuickTab (0 to 15) and the synthesizer model (0 Q, 1 Q+).
    virtual std::atomic<int>& selectedPart() = 0;
    virtual std::atomic<int>& model() = 0;
    // Set by the plug-in's reset until the first audio block with MIDI ports set.
    virtual std::atomic<bool>& resetPending() = 0;
    // Set by the audio callback while the host's transport runs.
    virtual std::atomic<bool>& hostPlaying() = 0;
    // Set while OnParamChange2 runs: the send path sends nothing.
    virtual std::atomic<bool>& hardwareChange() = 0;
    // Set while a linked partner's action runs: the send path stores the partner's value.
    virtual std::atomic<bool>& linkApplying() = 0;
    // The host-side program-change drop flag (kMIDIFilterDAWPCPassThrough).
    virtual std::atomic<bool>& hostProgramChangeDrop() = 0;
    // The message manager's flags: an incoming dump goes to the editor; a control is being
    // set from incoming MIDI; the librarian's sound collection is armed.
    virtual std::atomic<bool>& dumpAwaited() = 0;
    // Ends the wait for a dump unless a request job owns it.
    virtual void endDumpWait() = 0;
    virtual std::atomic<bool>& settingFromDevice() = 0;
    virtual std::atomic<bool>& soundRequestActive() = 0;

    // ---- Pages, trigger buttons and the filter link.
    // The first control bound to kRandomize, found once at construction; null when none.
    virtual IControl* randomizeControl() = 0;
    // Shows or hides the progress indicator control and its layer.
    virtual void showProgressIndicator(bool show) = 0;
    // The editor's patch and category name displays.
    virtual void displayPatchName(const std::string& name) = 0;
    virtual void displayCategoryName(const std::string& category) = 0;
    // The librarian's data type (sound while both are clear) and its lower list's view.
    virtual bool isMultiMode() const = 0;
    virtual bool isSequenceMode() const = 0;
    virtual bool isCategoryView() const = 0;
    virtual bool isSearchView() const = 0;
    // Lets the librarian view start drags (the librarian page is shown).
    virtual void enableLibrarianViewDrag() = 0;
    // The librarian's upper bank and its view's become bank of the current type's list, and
    // the view reloads and redraws its upper grid; a bank outside the list changes nothing.
    virtual void selectUpperBank(int bank) = 0;
    // The librarian view's current program, where its arrow keys start.
    virtual void setLibrarianViewCurrentSlot(int slot) = 0;
    // Raises the send-running flag, sets the in-progress flag and the two send options to a,
    // b and c; with post, posts the arrangement send (job 0) when the dump worker is idle and
    // then sleeps 400 ms on the platform clock; clears the in-progress and pattern-send flags.
    virtual void sendPatchAndPatternToDevice(int part, bool a, bool b, bool c, bool post) = 0;
    // The device id byte of the SysEx headers.
    virtual int getDeviceId() = 0;
    // The guarded SysEx send: refused with "Set MIDI I/O First!" while no MIDI port is set;
    // frames the message with F0 and F7. False when nothing was sent.
    virtual bool checksumCheckAndSend(uint8_t* msg, int length) = 0;
    // The filter-link mode of a part (1 at construction, 3 while linked); parts 0 to 15.
    virtual int getFilterLinkMode(int part) = 0;
    virtual void setFilterLinkMode(int part, int mode) = 0;
    // Editor flags: keep the librarian's bank on the librarian page; the librarian and the
    // local keyboard take part in control; the next quick-tab change selects the part on the
    // synthesizer; the arrangement send also sends each part's pattern.
    virtual std::atomic<bool>& keepSelectedBankFlag() = 0;
    virtual std::atomic<bool>& libraryControlFlag() = 0;
    virtual std::atomic<bool>& localKeyboardFlag() = 0;
    virtual std::atomic<bool>& partSelectFlag() = 0;
    virtual std::atomic<bool>& patternSendFlag() = 0;

    // ---- The librarian, its browser and the transfers it starts.
    // The librarian store; its recursive mutex is held around every read and write of banks.
    virtual PatchLibrarian* getLibrarian() const = 0;
    // Switches the browser to a data type (0 sound, 1 multi, 2 pattern) and a lower list
    // (0 sound banks, 1 category banks, 2 multi banks, 3 pattern banks, 4 search results);
    // refresh reloads the patches folder first.
    virtual void patchTypeChanged(int type, int lowerList, bool refresh) = 0;
    // False once the edited bank is saved: the unsaved-bank controls go away again.
    virtual void SetLibrarianStatusUnsaved(bool unsaved) = 0;
    virtual void setMultiMode(bool on) = 0;
    virtual void setSequenceMode(bool on) = 0;
    virtual void setCategoryView(bool on) = 0;
    virtual void setSearchView(bool on) = 0;
    // The slot grid reloads its upper (0), lower (1) or both (2) grids.
    virtual void updatePatchLibrarianView(int which) = 0;
    // The grid's active side (0 upper, 1 lower) and its current slot (0..99).
    virtual int getLibrarianViewSide() = 0;
    virtual int getLibrarianViewCurrentSlot() = 0;
    // Set by the grid's clicks and keys, cleared while a rename field is open.
    virtual bool isGridFocus() const = 0;
    virtual void setGridFocus(bool focus) = 0;
    // The bank chooser of a BankChooser::Row rebuilds its menus with bank `selected` of its
    // list checked, and the bank (folder, fileName) made its side's bank.
    virtual void refreshFolderStructure(int row, int selected, const std::string& folder,
                                        const std::string& fileName) = 0;
    // The bank last chosen at a chooser position, which the choosers' rebuilds reopen.
    virtual void setRememberedFileName(LibrarianHost::BankPosition position,
                                       const std::string& fileName) = 0;
    virtual void setRememberedFolder(LibrarianHost::BankPosition position,
                                     const std::string& folder) = 0;
    // Rebuilds the bank edit menu for the current data type.
    virtual void AddMenuItemsIn() = 0;
    // Rebuilds the program-number menu with `program` checked.
    virtual void refreshPatchNames(int program) = 0;
    // The program page's bank and program menus follow the upper bank; false also
    // refreshes the hardware bank menu.
    virtual void updateBankAndProgramMenuNames(bool keepBankMenu) = 0;
    // The first control bound to kPatchSearch, found once at construction; null when none.
    virtual IControl* searchButton() = 0;
    // Program steps take librarian entries (true) or send program changes.
    virtual bool isLibrarianNames() const = 0;
    // A program change by the editor requests the part's sound back.
    virtual bool isRequestAfterBankChange() const = 0;
    // The plug-in's current program number (0..99).
    virtual std::atomic<int>& programNumber() = 0;
    // Bank select and program change of the part (the multi's in multi mode); false, with
    // nothing sent, on a conflict with another active part or without MIDI output.
    virtual bool BankChangeMessage(int part) = 0;
    // Posts the re-send of the part's sound (job 2) while one of its send-back switches is on.
    virtual void sendPartDataBackToHardware(int part) = 0;
    // Auditions entry `slot` of the side's bank on the part (job 4).
    virtual void sendPatchToDeviceFromLibrarian(int slot, int side, int part) = 0;
    // All Notes Off on the part's channel, or on every active part.
    virtual void AllSoundsOff(int part, bool allParts) = 0;
    // The progress overlay; false also clears dumpAwaited.
    virtual void DisplayProcessingIndicator(bool on) = 0;
    // Raises the arrangement-busy flag and sets the in-progress and the two arrangement-send
    // flags to a, b and c.
    virtual void setArrangementSendFlags(bool a, bool b, bool c) = 0;
    // Clears the first (batch) or the second (global first) arrangement-send flag.
    virtual void clearArrangementSendFlag(bool second) = 0;
    // Ends an armed librarian collection without storing or showing anything.
    virtual void DisarmLibrarianRequests() = 0;
    // The sender's cancel flag: a running request ends at its next wait.
    virtual std::atomic<bool>& requestCancelFlag() = 0;

    // ---- Part status, whole-dump re-sends, the settings file, MIDI routing and clock.
    // Builds the part's first (status, engine, receive, transmit) or second (the six
    // controller switches) packed status byte and sends it as a single-parameter message.
    virtual void SendChannelStatus(int part, bool firstByte) = 0;
    // Refills the random values and gives the part's sound new values from them, with its
    // controls; parameters of locked sections keep theirs.
    virtual void randomizePart(int part) = 0;
    // Marks that the synthesizer wants its initialisation and, while both ports are open and
    // no project recall runs, posts the device-id enquiry (job 18) and waits 100 ms.
    virtual void sendSysExInitialization() = 0;
    // The device id put into the header of every SysEx the plug-in sends.
    virtual void setDeviceId(int id) = 0;
    // Ends a running MIDI clock tick loop (true) or lets the next one tick (false).
    virtual void resetContinuousClock(bool stop) = 0;
    // The continuous clock may tick.
    virtual void setClockTickEnabled(bool on) = 0;
    // The five lines of the settings file as read at start-up and written since: colour
    // scheme, window size, first-run answer, default MIDI Out and MIDI In device.
    virtual std::array<std::string, 5>& settingsLines() = 0;
    // Replaces the settings file, only when it exists, by the lines through a temporary file
    // renamed over it; they are then the held lines. False, with file and held lines
    // unchanged, when there is no file or it could not be written.
    virtual bool writeSettingsFile(const std::array<std::string, 5>& lines) = 0;
    // The window scale the next construction of the editor takes.
    virtual void setUIScale(double scale) = 0;
    // Flags: an external MIDI output is chosen; the first-run notice is shown; kControlProgBank
    // is on; short MIDI from the synthesizer is dropped; MIDI Start and Stop follow the host;
    // the block loop has started the continuous clock; activity lights follow incoming MIDI;
    // outgoing short MIDI goes through the block-timed queue; after a randomized part is sent
    // the audio callback requests it back.
    virtual std::atomic<bool>& midiPortsSetFlag() = 0;
    virtual std::atomic<bool>& firstRunNoticeOpen() = 0;
    virtual std::atomic<bool>& programBankControlFlag() = 0;
    virtual std::atomic<bool>& masterKeyboardFlag() = 0;
    virtual std::atomic<bool>& clockPointerFlag() = 0;
    virtual std::atomic<bool>& clockStartedFlag() = 0;
    virtual std::atomic<bool>& trackIncomingFlag() = 0;
    virtual std::atomic<bool>& queueRoutingFlag() = 0;
    virtual std::atomic<bool>& partReRequestFlag() = 0;
    // The drop flag of a pass-through switch (kMIDIFilterDAWCCPassThrough to
    // kMIDIFilterHWSEPassThrough): set, that kind of message is dropped on that side.
    virtual std::atomic<bool>& midiDropFlag(int passThroughSwitch) = 0;
    // Samples that block-timed MIDI is held back by; the host tempo in whole BPM.
    virtual std::atomic<int>& dawOffset() = 0;
    virtual std::atomic<int>& cachedTempo() = 0;
};
