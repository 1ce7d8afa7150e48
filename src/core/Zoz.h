#pragma once

#include "kit/base/KIT_String.h"
#include "kit/effect/IEffectVST.h"
#include "kit/effect/IMidiQueue.h"
#include "platform/MessageRing.h"
#include "src/browser/BrowserPlugin.h"
#include "src/core/SettingsFile.h"
#include "src/core/SoundingNotes.h"
#include "src/debugger/DebuggerOutput.h"
#include "src/librarian/LibrarianHost.h"
#include "src/params/ParamChangePlugin.h"
#include "src/params/ZozParamChanges.h"
#include "src/sender/SenderPlugin.h"
#include "src/uiconfig/UIConfigPlugin.h"

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <utility>

class BankNameShortener;
class ControlLayer;
class FileCopyPopupMenu;
class FileEditPopupMenu;
class IControl;
class MIDIMessageManager;
class PatchFile;
class PatchLibrarian;
class PatchFile;
class PatchManager;
class ProgressIndicator;
class UIConfigGraphics;
class UIConfigManager;

// The editor plug-in of the Veririz Q and Q+: the framework's VST2 plug-in that builds the
// whole editor in its constructor, in one fixed order, and ties the librarian, the UI
// configuration and the MIDI message manager together.
//
// Threads: the constructor and destructor run on the host's thread; the operations of the
// narrow interfaces it implements run where those interfaces say.
class Zoz : public IEffectVST,
            public SenderPlugin,
            public LibrarianHost,
            public UIConfigPlugin,
            public BrowserPlugin,
            public ParamChangePlugin {
public:
    static constexpr const char* kEffectName = "Zoz Editor";
    static constexpr const char* kMakerName = "Kavmoor";
    static constexpr int kVendorVersion = 0x00010007;
    static constexpr int kUniqueId = 0x76683373; // 'vh3s'
    static constexpr int kMakerId = 0x4B766D72;  // 'Kvmr'
    static constexpr int kLatency = 128;
    // The editor at the normal size; other sizes scale both, truncating.
    static constexpr int kEditorWidth = 1500;
    static constexpr int kEditorHeight = 757;
    // The project's name of a device selection without a text.
    static constexpr const char* kUnnamedDevice = "Set Name";

    explicit Zoz(IEffectInstanceInfo info);
    // Closes the MIDI input and stops the workers before anything they use goes.
    ~Zoz() override;

    // ---- The data folder, its log and its settings file.

    // The data folder, ending in "/".
    std::string getDataFolder() const { return dataFolderPath; }
    // The librarian's root: the data folder followed by "Patches".
    std::string getPatchesFolderStr() const { return dataFolderPath + "Patches"; }
    // The settings file's lines as read at start-up and written since.
    SettingsFile::Lines& settingsLines() override { return settings; }
    // Rewrites the settings file, only when it exists, and holds the lines once written.
    bool writeSettingsFile(const SettingsFile::Lines& lines) override;
    // Writes the parts as one debug-log line; composes nothing while the log is off.
    template <typename... Parts> void log(const Parts&... parts) const {
        if (logEnabled) DebuggerOutput::printDebugInfo(logPath, (std::string() + ... + parts));
    }

    // ---- What the constructor built.

    // The layer of that name: a librarian popup menu's, else the layout's; null when neither.
    ControlLayer* namedLayer(const std::string& name) const;
    ControlLayer* namedLayer(const std::string& name) override {
        return std::as_const(*this).namedLayer(name);
    }
    // The first control bound to the parameter, remembered at start-up for the parameters that
    // later code addresses directly; null for any other.
    IControl* keptControl(int paramIdx) const override;
    // The layer created for a librarian popup menu (0 .. 12 in the order of their ids 70 .. 82)
    // and the menu control on it; null where there is none.
    static constexpr int kPopupMenus = 13;
    ControlLayer* popupMenuLayer(int row) const;
    ControlLayer* popupMenuLayer(const std::string& layerName) const;
    IControl* popupMenu(int row) const;
    ControlLayer* progressLayerOf() const { return progressLayer; }
    bool isStartupComplete() const { return startupComplete; }
    bool isFirstRun() const { return firstRun; }
    bool isKeepSelectedBank() const { return keepSelectedBank; }
    double getWindowScale() const { return windowScale; }
    int getColourScheme() const { return colourScheme; }
    // Whether the pass filter of a kind of message blocks it: kinds in the order CC, PC, Note,
    // PP, PA, CA, SysEx, for the host's side or the synthesizer's.
    enum FilterKind {
        kFilterCC,
        kFilterPC,
        kFilterNote,
        kFilterPP,
        kFilterPA,
        kFilterCA,
        kFilterSysEx,
        kFilterKinds
    };
    bool isBlocked(bool hardware, FilterKind kind) const {
        return (hardware ? hardwareBlocked : hostBlocked)[kind];
    }
    bool isFollowingIncoming() const { return followIncoming; }
    bool isToHostBuffer() const { return toHostBuffer; }
    int getFilterLink(int part) const { return filterLink[size_t(part & 15)]; }
    int getMIDIInPortIndex() const { return openExternalMIDIPort(true); }
    int getMIDIOutPortIndex() const { return openExternalMIDIPort(false); }
    bool isStoredPortsOpened() const { return storedPortsOpened; }
    PatchManager* getPatchManager() const { return patchManager.get(); }
    PatchLibrarian* getLibrarian() const override { return librarian.get(); }
    UIConfigManager* getUIConfig() const { return uiConfig.get(); }
    MIDIMessageManager* getMessageManager() const { return messageManager.get(); }

    // ---- The host's clock and MIDI (the audio thread, the MIDI input and the host's threads).

    // One audio block: follows the host's transport and tempo, starts the MIDI clock, drains
    // the MIDI queue, sends the notes-off of a reset, times out the part indicators and posts
    // the start-up enquiry and a pending part request. The buffers are not touched. Nothing
    // waits: sends, posts, displays and log lines are done after it on the output thread.
    void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
    // Short MIDI from the synthesizer (fromDevice) or the host, filtered by the editor's
    // state and channels, to the message manager; the host's to the part on its channel.
    void ProcessMidiMsg(IMidiMsg* msg, bool fromDevice) override;
    // SysEx from the synthesizer, dropped during transfers and by the SysEx filter; a
    // parameter message lights its part's indicator while the indicators follow input.
    void ProcessSysEx(ISysEx* sysex, bool fromDevice) override;
    // Under the plug lock: sizes the MIDI queue for the block, arms the notes-off and, unless
    // an arrangement is being sent, puts the display lines back to their start texts.
    void Reset() override;
    // Lets awaited dumps teach the device id and, with both ports open and no arrangement
    // being sent, posts the device enquiry when the dump worker is idle; then pauses 100 ms.
    void sendSysExInitialization() override;
    // sendSysExInitialization without its pause, for the audio thread; false when the ports
    // or an arrangement being sent kept the probe back (the latter posts it as its job ends).
    bool postDeviceIdProbe();
    // Sends the part's first (MIDI and engine) or second (controller switches) packed
    // setting as its single-parameter message from the SysEx value lists.
    void SendChannelStatus(int part, bool first) override;

    // Mirrors of editor settings that the block loop and the gates follow.
    void setMasterKeyboard(bool on) { masterKeyboard = on; }
    void setClockStartStop(bool on) { clockPointer = on; }
    void setBlocked(bool hardware, FilterKind kind, bool on) {
        (hardware ? hardwareBlocked : hostBlocked)[kind] = on;
    }
    // Samples that the loop walks per block while short MIDI waits for the host's blocks.
    void setDawBufferSamples(int samples) { dawBufferSamples = samples; }
    int getDawBufferSamples() const { return dawBufferSamples; }
    // The current part's sound and pattern are requested once the dump worker is free.
    void requestCurrentPart() { pendingPartRequest = true; }
    // The host's whole BPM that the MIDI clock follows in host mode.
    void setClockTempo(int bpm) { clockTempo = bpm; }

    // ---- Librarian and display glue.

    // "Part " + (part + 1) + " " + text, valid until the next call.
    const char* getPanelString(int part, const std::string& text);
    // The length of getPatchesFolderStr().
    int getPatchesFolderLength() const;
    // Rebuilds the bank-file menus of the mode (sequence, multi, else the lower grid's sound,
    // category or plain menu) and the bank-name menus, then reloads both grids.
    void refreshPopUpMenus();
    // The name, value and controller-number display lines.
    void displayText(const std::string& name, const std::string& value, const std::string& cc);
    void displayBuild(const std::string& text);
    // The value as a whole number ("%.0f").
    static std::string getValueString(double value);

    // ---- The project chunk.

    bool SerializeState(ByteChunk* chunk) override { return SerializeState2(chunk, true); }
    int UnserializeState(ByteChunk* chunk, int pos) override {
        return UnserializeState2(chunk, pos, true);
    }
    // The plug-in's own state block: the selected part, the model and the hidden parameters;
    // with full also the patch-manager block and the device, bank and patch selections.
    bool SerializeState2(ByteChunk* chunk, bool full);
    // Restores the block at pos: the parameters and names, with full the ports by name and
    // the selections, and while an output is open sends the arrangement and waits (60 s at
    // most) until it is sent. The position after the block; -1, with nothing changed, when
    // the chunk does not hold the whole block.
    int UnserializeState2(ByteChunk* chunk, int pos, bool full);
    // Set while a restore runs.
    bool isRecallRunning() const { return recallRunning; }
    // Samples that the host's MIDI is moved by, as the last restore set it.
    int getDAWOffset() const { return dawBufferSamples; }

    // ---- The librarian's bank lists and bank import, on the editor's thread.

    // Points the librarian at a type (0 sound, 1 multi, 2 pattern) and both grids at the
    // first bank; for a list kind 0..4 (sound, category, multi, pattern, search-result
    // banks) also empties and relabels the bank-list parameters and rebuilds the menus.
    // With reload the patches folder is read again first. Under the plug lock.
    void patchTypeChanged(int type, int listKind, bool reload) override;
    // Relabels the bank-list parameters from the list of the mode, leaving every value,
    // selection and surplus text alone, and reloads both grids.
    void ResetPatchSelectionMenus();
    // Copies a bank file the user chooses (a MIDI file with midi, else "syx" or "vub") into
    // the patches folder, under a free name; a source that cannot be read or is larger than
    // a bank file may be (16 MiB) is refused and logged.
    void saveImportedFile(bool midi) override;
    const char* getImportFolder() const { return importFolder.Get(); }

    // ---- Sending to the synthesizer.

    // Set once the output port that a device selection or a restore chose is open.
    void setMIDIIOSet(bool on) { midiIOSet = on; }
    // The switches of MIDI routing: part indicators follow incoming rather than outgoing
    // MIDI; short messages wait for the host's blocks.
    void setFollowIncoming(bool on) { followIncoming = on; }
    void setToHostBuffer(bool on) { toHostBuffer = on; }
    // The short messages waiting for the host's blocks.
    const IMidiQueue& getMidiQueue() const { return midiQueue; }
    // The MIDI channel (0..15) of a part's messages: its kMultiPartMIDICh setting less 2, the
    // global channel for "Global", "Omni" or a part outside 0..15; -1 for none.
    int partChannel(int part);
    // Posts the librarian's store of a bank to the synthesizer (job 5) while an output is
    // chosen and the job thread is idle; otherwise nothing.
    void storeAllPatchesToDeviceFromLibrarian(int source, int firstSlot, int bank);

    // The control entered under five keys of an NRPN record; null when there is none.
    IControl* getMsbLsbControl(int channelOrPart, int key1, int key2, int key3, int variant);
    // An int kept under three keys; 0 for keys never set.
    int getProgramValueByParts(int key1, int key2, int key3);
    void setProgramValueByParts(int key1, int key2, int key3, int value);

    // ---- Bank and program changes and the glue around librarian transfers.

    // Bank select and program change of the part's sound, or of the multi in multi mode, on
    // the part's (the global) channel, with the synthesizer's pauses (150 ms and the dump
    // pause). Records the part's bank and program first; refused (false, with the conflict
    // window shown) while another active part holds both, unless every sound is being sent.
    // False at once, with nothing recorded, without an output or a valid channel.
    bool BankChangeMessage(int part) override;
    // Whether another active part holds the part's bank and program; changes nothing.
    bool CheckBankConflict(int part);
    // The next awaited dump goes into the librarian's selected slot (the collection of the
    // librarian's kind of data) or else into the editor.
    void SetLibrarianRequestActive(bool toLibrarian) override;
    void armLibrarianRequestForSlot(SysexMessage::Address slot) override;
    // Posts the arrangement send (job 0) with its flags when start is set and the job thread
    // is idle, then pauses 400 ms; a send not posted leaves every flag but the pattern's.
    void sendPatchAndPatternToDevice(int part, bool gateIncoming, bool includeSounds,
                                     bool includeGlobal, bool start) override;
    // Sends the part's sound again (job 2) when one of its sections is locked, so that the
    // synthesizer plays what the editor shows.
    void sendPartDataBackToHardware(int part) override;
    // The progress overlay with the cancel button of the page; showing it on the librarian
    // page grays the search and category controls, hiding it ends the transfer's flags.
    void DisplayProcessingIndicator(bool show) override;
    // With true: the edited bank took dumps and is marked unsaved; false changes nothing.
    void SetLibrarianStatusUnsaved(bool unsaved) override;
    // The librarian's target slot to a part; quiet sends no All Notes Off first, from now on.
    void SendSingleProgramFromLibrarian(bool quiet, int part) override;
    // Stores the bank shown on the grid's active side into the hardware bank (job 5).
    void SendAllProgramsFromLibrarian(int bank) override;
    // Nothing: a bank is saved over its file by the librarian itself.
    void saveEditedPatch(const std::string&, bool, bool) {}
    bool isArrangementBusy() const { return arrangementBusy; }
    bool isIncomingGated() const { return incomingGate; }

    // ---- ParamChangePlugin.
    IEffectBase* effect() override { return this; }
    // The Control Change or single-parameter SysEx of an edit, under the plug lock of its
    // caller; also keeps the bound controls and the effect aliases in step, restarts the
    // clock after a tempo change and requests a part's pattern after a pattern change.
    void processControlAction(ControlAction* action, int idx, double value) override;
    bool ThreadRunning() override;
    ITextControl* displayNameLine() override;
    ITextControl* displayValueLine() override;
    const std::vector<std::string>& getValueList(const std::string& name) override;
    std::atomic<int>& selectedPart() override { return shownPart; }
    std::atomic<int>& model() override { return synthModel; }
    std::atomic<bool>& resetPending() override { return pendingReset; }
    std::atomic<bool>& hostPlaying() override { return transportPlaying; }
    std::atomic<bool>& hardwareChange() override { return reducedChangeRunning; }
    std::atomic<bool>& linkApplying() override { return linkApply; }
    std::atomic<bool>& hostProgramChangeDrop() override { return hostBlocked[kFilterPC]; }
    std::atomic<bool>& dumpAwaited() override;
    void endDumpWait() override;
    std::atomic<bool>& settingFromDevice() override;
    std::atomic<bool>& soundRequestActive() override;
    IControl* randomizeControl() override { return randomizeButton; }
    void showProgressIndicator(bool show) override;
    void enableLibrarianViewDrag() override;
    void selectUpperBank(int bank) override;
    int getFilterLinkMode(int part) override { return getFilterLink(part); }
    std::atomic<bool>& keepSelectedBankFlag() override { return keepSelectedBank; }
    std::atomic<bool>& libraryControlFlag() override { return libraryControl; }
    std::atomic<bool>& localKeyboardFlag() override { return localControl; }
    std::atomic<bool>& partSelectFlag() override { return partSelect; }
    std::atomic<bool>& patternSendFlag() override { return patternToo; }
    void setMultiMode(bool on) override { multiMode = on; }
    void setSequenceMode(bool on) override { sequenceMode = on; }
    void setCategoryView(bool on) override { categoryView = on; }
    void setSearchView(bool on) override { searchView = on; }
    int getLibrarianViewCurrentSlot() override;
    bool isGridFocus() const override { return gridFocus; }
    void refreshFolderStructure(int row, int selected, const std::string& folder,
                                const std::string& fileName) override;
    void AddMenuItemsIn() override;
    void refreshPatchNames(int program) override;
    IControl* searchButton() override;
    std::atomic<int>& programNumber() override { return lastProgramNumber; }
    void clearArrangementSendFlag(bool second) override {
        (second ? globalFirst : arrangementBatch) = false;
    }
    std::atomic<bool>& requestCancelFlag() override;
    // Part status, whole-dump re-sends, the settings file, MIDI routing and clock.
    void randomizePart(int part) override;
    void resetContinuousClock(bool stop) override;
    // Each construction reads the scale from the settings file, written just before this.
    void setUIScale(double) override {}
    std::atomic<bool>& midiPortsSetFlag() override { return midiIOSet; }
    std::atomic<bool>& firstRunNoticeOpen() override { return firstRun; }
    std::atomic<bool>& programBankControlFlag() override { return programBankControl; }
    std::atomic<bool>& masterKeyboardFlag() override { return masterKeyboard; }
    std::atomic<bool>& clockPointerFlag() override { return clockPointer; }
    std::atomic<bool>& clockStartedFlag() override { return clockStarted; }
    std::atomic<bool>& trackIncomingFlag() override { return followIncoming; }
    std::atomic<bool>& queueRoutingFlag() override { return toHostBuffer; }
    std::atomic<bool>& partReRequestFlag() override { return pendingPartRequest; }
    std::atomic<bool>& midiDropFlag(int passThroughSwitch) override;
    std::atomic<int>& dawOffset() override { return dawBufferSamples; }
    std::atomic<int>& cachedTempo() override { return clockTempo; }

    // ---- SenderPlugin.
    bool SendMidiSysex(const uint8_t* data, int length) override;
    bool SendMidiSysex2(const std::vector<uint8_t>& bytes) override;
    using IEffectVST::SendMidiSysex;
    using IEffectVST::SendMidiSysex2;
    double GetParamValue(int paramIdx) override;
    void SetParameterFromPlug(int paramIdx, double value) override;
    void setUpperDisplayText(const std::string& text) override;
    void setLowerDisplayText(const std::string& text) override;
    bool isMIDIIOSet() override { return midiIOSet; }
    bool isMIDIInReaching() override { return externalMIDIInReaches(); }
    uint64_t midiConnection() override { return ExternalMIDIConnection(); }
    uint64_t midiOutQueued() override { return ExternalMIDIOutQueued(); }
    platform::MidiDelivery midiOutDelivery(uint64_t message) override {
        return ExternalMIDIOutDelivery(message);
    }
    int64_t midiOutXrunShadowNanos() override { return ExternalMIDIOutXrunShadowNs(); }
    void jobThreadIdle(int endedCommand) override;
    bool isClockStartStopEnabled() override { return clockPointer; }
    bool isClockTickEnabled() override { return clockInfo; }
    void setClockTickEnabled(bool on) override { clockInfo = on; }
    int getTempoValue() override { return clockTempo; }
    std::string getValueListText(const std::string& list, int index) override;
    void printDebugInfo(const std::string& text) override { log(text); }
    void logSysExOut(const uint8_t* bytes, int size) override;
    void LogExternalMIDI(const std::string& text) override { log("MIDI PORTS: ", text); }
    void LogDroppedMIDI(const char* where, const char* why, const uint8_t* bytes, size_t size,
                        unsigned count) override;
    double GetParamMin(int paramIdx) override;
    double GetParamMax(int paramIdx) override;
    void storeParamValue(int paramIdx, double value) override;
    std::string getParamText(int paramIdx) override;
    void setParamText(int paramIdx, const std::string& text) override;
    void setPatchManagerName(int index, const std::string& name) override;
    int getDeviceId() override { return deviceId; }
    int getSelectedPart() override { return shownPart; }
    int getModel() override { return synthModel; }
    bool isBatch() override { return arrangementBatch; }
    void setFilterLinkMode(int part, int mode) override;
    RandomValueList& randomValueList() override { return randomValues; }
    bool checksumCheckAndSend(uint8_t* msg, int length) override;
    void DisarmLibrarianRequests() override;
    void setLibrarianViewDirty() override;
    void displayPatchName(const std::string& name) override;
    void displayCategoryName(const std::string& category) override;
    bool ProcessSysExInternal(ISysEx* msg) override;
    void updatePatchLibrarianView(int which) override;
    void OnParamChange(int paramIdx) override { paramChanges.OnParamChange(paramIdx); }
    void OnParamChange2(int paramIdx) override { paramChanges.OnParamChange2(paramIdx); }
    bool isAnswerReceived() override { return answeredArming == armings; }
    bool isProbeStarted() override { return probeStarted; }
    bool isReducedChangeRunning() override { return reducedChangeRunning; }
    void setDeviceId(int id) override { deviceId = id; }
    int getTimerValue() override;
    int getAwaitedDumpPart() override { return awaitedDumpPart; }
    void setAwaitedDumpPart(int part) override { awaitedDumpPart = part; }
    IControl* getSysexControl(int k1, int k2, int k3, int k4, int variant) override;
    IControl* getCCControls(int channel, int cc, int legacy) override;
    KIT_Mutex* plugLock() override { return GetMutex(); }
    void BeginInformHostOfParamChange(int paramIdx) override {
        IEffectVST::BeginInformHostOfParamChange(paramIdx);
    }
    void EndInformHostOfParamChange(int paramIdx) override {
        IEffectVST::EndInformHostOfParamChange(paramIdx);
    }
    bool isMIDIFilterBlocked(int passThroughSwitch) override;
    bool isLocalControl() override { return localControl; }
    void setLocalControl(bool on) override { localControl = on; }
    bool isLibrarianControl() override;
    bool isProgramBankMode() override;
    int getStoredBank(int part) override { return storedBanks[size_t(part & 15)]; }
    void setStoredBank(int part, int bank) override { storedBanks[size_t(part & 15)] = bank; }
    int getStoredProgram(int part) override { return storedPrograms[size_t(part & 15)]; }
    void setStoredProgram(int part, int program) override {
        storedPrograms[size_t(part & 15)] = program;
    }
    void setSelectedPart(int part) override { shownPart = part; }
    void lightPartIndicator(int part) override;
    int getLibrarianViewSide() override;
    void setLibrarianViewUpperSlot(int slot) override;
    void setLibrarianViewCurrentSlot(int slot) override;
    void AllSoundsOff(int part, bool allParts) override;
    void MIDIOutRoutingSwitch(IMidiMsg* msg) override;
    int getLastProgramNumber() override { return lastProgramNumber; }
    // Refused with "Set MIDI I/O First!" while no output is chosen; lights the indicator of
    // the first part on the message's channel.
    void sendMidiMsgAndLog(IMidiMsg* msg) override;
    bool SendMidiMsg(IMidiMsg* msg) override { return IEffectVST::SendMidiMsg(msg); }
    bool isGlobalFirst() override { return globalFirst; }
    bool isPatternToo() override { return patternToo; }
    void clearBatchAndGlobalFirst() override {
        arrangementBatch = false;
        globalFirst = false;
    }
    void clearPatternToo() override { patternToo = false; }
    void setArrangementBusy(bool on) override { arrangementBusy = on; }
    void setTransferRunning(bool on) override { transferRunning = on; }
    LowerView getLowerView() override {
        return categoryView ? kLowerCategories : searchView ? kLowerSearchResults : kLowerBankFiles;
    }

    // ---- LibrarianHost and UIConfigPlugin.
    bool isDebugLogOn() const override { return logEnabled; }
    std::string logFilePath() const override { return logPath; }
    std::string debugLogPath() const override { return logPath; }
    std::string dataFolder() const override { return dataFolderPath; }
    bool isMultiMode() const override { return multiMode; }
    bool isSequenceMode() const override { return sequenceMode; }
    std::string promptForSaveFile(const std::string& proposedName, const std::string& startFolder,
                                  const std::string& extension) override;
    void setRememberedFileName(BankPosition position, const std::string& fileName) override;
    void setRememberedFolder(BankPosition position, const std::string& folder) override;
    void showDisplayName(const std::string& text) override { setUpperDisplayText(text); }
    IEffectBase* effect() const override { return const_cast<Zoz*>(this); }
    IControl* createLibrarianView(int x, int y, int paramIdx, const IBitmap& background, IRECT rect,
                                  PatchLibrarian* librarian, double scale) override;

    // ---- BrowserPlugin.
    bool isCategoryView() const override { return categoryView; }
    bool isSearchView() const override { return searchView; }
    void setGridFocus(bool focus) override { gridFocus = focus; }
    int getCurrentPart() override { return shownPart; }
    ControlLayer* getPatchRenameLayer() override { return namedLayer("patchRename"); }
    ControlLayer* getSaveChangesLayer() override { return namedLayer("saveChangesLayer"); }
    LibrarianViewControl* getLibrarianView() override { return librarianView; }
    void sendPatchToDeviceFromLibrarian(int slot, int side, int part) override;
    void showFileEditMenu(int x, int y) override;
    void showFileCopyMenu(int x, int y) override;
    bool postJob(int command, const std::function<void(SenderJob&)>& setArguments) override;
    void setDumpAwaited(bool awaited) override;
    void setManagerBusy(bool) override {}
    void sendSinglePatchRequestSysexFromLibrarian(bool editBuffer, int bank) override;
    bool isLibrarianNames() const override { return librarianNames; }
    bool isRequestAfterBankChange() const override { return requestAfterBankChange; }
    bool isMidiIoReady() const override { return midiIOSet; }
    // Raises the arrangement-busy flag; a gates the incoming MIDI, b has the sounds sent,
    // c the global dump first.
    void setArrangementSendFlags(bool a, bool b, bool c) override;
    void sendAllPatchRequestSysexFromLibrarian(int bank) override;
    void setPatternTargetPart(int part) override { awaitedDumpPart = part; }
    void clearEntryStored() override;
    void OpenDataDirectory() override;
    void updateBankAndProgramMenuNames(bool keepBankMenu) override;

    // The shown name and the holding folder of the bank last chosen at a bank-menu position.
    const std::string& rememberedFileName(BankPosition position) const override {
        return rememberedBanks[position].fileName;
    }
    const std::string& rememberedFolder(BankPosition position) const override {
        return rememberedBanks[position].folder;
    }

protected:
    // After the blocks' messages went out: their errands, the start-up enquiry, a waiting
    // part request and a restore's arrangement.
    void OnBlocksSent() override;

private:
    struct RememberedBank {
        std::string fileName;
        std::string folder;
    };

    // Start-up stages, in the order the constructor runs them.
    void openDataFolder();
    void readSettings();
    void takeLayoutLayers();
    void takeDialogLayers();
    void showMissingResources();
    void buildProgressLayer();
    void keepControlSet1();
    void fillBankList(bool upper, BankNameShortener& shortener);
    void buildPopupMenu(int row);
    void keepControlSet2();
    void resetWithDefaults();
    void applyFilterDefaults();
    void showEveryParameter();
    void openStoredPorts();
    // Whether start-up opens the ports the settings store.
    bool opensStoredPorts() const;
    // Opens the stored port of a direction; its index in the port list, 0 for none.
    int openStoredPort(bool input);
    // Awaits a stored port that did not open (opened 0), unless its name names no port.
    void awaitStoredPort(bool input, int opened, const std::string& name);
    void OnExternalMIDIChanged(bool opened) override;
    void OnExternalMIDIMissing(const std::string& why) override;
    void keepStoredPortNames();
    // The display's two lines: which stored port is awaited, or that there is no MIDI system,
    // else back to the greeting once they said so.
    void showPortStatus();
    void showGreeting();

    // The first active part other than part that holds bank and program; -1 for none.
    int conflictingPart(int part, int bank, int program);
    // Posts job 0 with the arrangement flags as its arguments; false, flags unchanged, when
    // the job thread is busy.
    bool postArrangementSend(bool gateIncoming, bool includeSounds, bool includeGlobal);
    // The librarian popup menu's layer of that name; null when there is none.
    ControlLayer* popupMenuLayerNamed(const std::string& name) const;

    // The layout's layer of that name; null, logged, when the layout has none.
    ControlLayer* findLayoutLayer(const std::string& name);
    // Keeps and returns the parameter's first bound control; null, logged, when it has none.
    IControl* keepFirstControl(int paramIdx);
    // Shows the text on the display control kept for the parameter, when there is one.
    void showText(int paramIdx, const std::string& text);
    // Steps of the block loop, on the audio thread. Whether OnBlocksSent has posts to make
    // besides the block's errands, and whether the start-up enquiry is one of them.
    bool followUpDue() const;
    bool enquiryDue() const;
    void followTransport(bool running);
    void followTempo();
    void sendTempo(int value);
    int samplePositions(int nFrames);
    // The DAW buffer's delay on its display, "Off" while MIDI goes straight out; a text
    // already shown is not sent again.
    void showDelayFromBlock(const char* text);
    void drainQueue(int positions, bool flush);
    void silenceAfterReset();
    void timeOutIndicators();
    // The block's road out: MIDIOutRoutingSwitch and sendMidiMsgAndLog through the output
    // thread's queue.
    void routeFromBlock(IMidiMsg* msg);
    void sendFromBlock(IMidiMsg* msg);
    // The block's errands for the output thread: a job to post, a parameter's value (taken at
    // once) and a text for the editor, a log line (composed only while the log is on).
    void postFromBlock(int command);
    void showFromBlock(int paramIdx, double value);
    void textFromBlock(int paramIdx, const char* text);
    void logFromBlock(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Marks the part's indicator lit at the tick count now; true when it was out (the caller
    // shows it). False for a part outside 0..15.
    bool lightIndicatorState(int part);
    // Gives route each All Notes Off of the part, or of every active part, on its channel.
    void eachNotesOff(int part, bool allParts, void (Zoz::*route)(IMidiMsg*));
    // The gate's hand-over of SysEx to the message manager and what follows it.
    void passSysEx(ISysEx* sysex, bool fromDevice);
    // The two roads of a control action, after its common steps; iv is the value truncated.
    void sendControlChange(const ControlAction& action, double value);
    void sendSysExAction(const ControlAction& action, int idx, int iv);
    // The value byte of an action's parameter that shares its byte on the synthesizer with
    // others of its part, made from all of them; -1 for any other.
    int packedByte(int kind, int idx);
    // One single-parameter message: the current device id, the display, and the send unless
    // the change is a refresh or an echo.
    void sendParameterMessage(std::vector<int> message);
    // A change that came from the synthesizer under local control goes back to it no more.
    bool isEcho();
    // Sets the shown name of each bank as the display text of its index in each parameter.
    void labelBankList(const std::vector<int>& params, const std::vector<PatchFile*>& banks,
                       BankNameShortener& shortener);
    // The scaled editor size.
    int scaled(int length) const { return int(length * windowScale); }

    // The bank shown on a side of the librarian's grids; null when there is none. Under the
    // librarian's mutex.
    PatchFile* shownBankFile(int side) const;

    // Steps of a restore.
    int storedParamCount() const;
    int restorePortsAndSelections(ByteChunk* chunk, int pos);
    void readFilterSwitches();
    void restoreNames();
    // Posts the arrangement send of a restore; false, flags unchanged, while a job runs.
    bool postRestoredArrangement();
    void logDevices(const std::string& when);

    // Collaborators, created by the constructor and released by the destructor in order.
    std::unique_ptr<PatchManager> patchManager;
    std::unique_ptr<PatchLibrarian> librarian;
    IGraphics* editor = nullptr; // owned by the framework once attached
    std::unique_ptr<UIConfigGraphics> configGraphics;
    std::unique_ptr<UIConfigManager> uiConfig;
    std::unique_ptr<MIDIMessageManager> messageManager;

    // What the constructor found in the layout or built into the editor; owned by the editor.
    std::map<int, IControl*> controls;
    IControl* randomizeButton = nullptr;
    ControlLayer* progressLayer = nullptr;
    ProgressIndicator* progressIndicator = nullptr;
    IControl* cancelButtons[2] = {};
    static constexpr int kProgressImageId = 122;
    std::array<ControlLayer*, kPopupMenus> popupLayers{};
    std::array<IControl*, kPopupMenus> popupMenus{};
    LibrarianViewControl* librarianView = nullptr;
    // The slot menu of the last right click, released when the next one replaces it.
    std::unique_ptr<FileEditPopupMenu> fileEditMenu;
    std::unique_ptr<FileCopyPopupMenu> fileCopyMenu;
    bool holdsProgressImage = false;
    bool holdsBackgroundImage = false;

    // The data folder, the debug log and the settings file.
    std::string dataFolderPath;
    std::string logPath;
    bool logEnabled = false;
    std::string settingsPath;
    SettingsFile::Lines settings;
    double windowScale = 1.0;
    int colourScheme = 0;

    // Where the next import's file chooser starts.
    KIT_String importFolder;
    IMidiQueue midiQueue{1024};
    std::atomic<double> sampleRate{44100.0};
    std::atomic<bool> notesOffSent{false};
    std::atomic<bool> progressShowing{false};
    // The notes sent and not ended: their note-offs pass whatever holds short MIDI back.
    SoundingNotes soundingNotes;
    std::array<RememberedBank, 6> rememberedBanks;
    std::string panelCaption;
    std::atomic<bool> multiMode{false};
    std::atomic<bool> sequenceMode{false};
    std::atomic<bool> categoryView{false};
    std::atomic<bool> searchView{false};
    std::atomic<bool> gridFocus{false};
    std::atomic<bool> librarianNames{false};
    std::atomic<bool> requestAfterBankChange{true};
    // The next librarian audition goes without an All Notes Off first.
    std::atomic<bool> noNotesOff{false};
    std::atomic<bool> startupComplete{false};
    std::atomic<bool> midiIOSet{false};
    std::atomic<bool> arrangementBatch{false};
    std::atomic<bool> arrangementBusy{false};
    std::atomic<bool> globalFirst{false};
    std::atomic<bool> patternToo{false};
    std::atomic<bool> incomingGate{false};
    std::atomic<bool> transferRunning{false};
    std::atomic<bool> recallRunning{false};
    std::atomic<int> lastProgramNumber{0};
    std::atomic<int> lastTempo{0};
    std::atomic<int> synthModel{0};
    std::atomic<int> shownPart{0};
    std::atomic<int> deviceId{0};
    std::atomic<int> awaitedDumpPart{0};
    // The answer flag: every arming of a request counts, and an incoming answer records the
    // arming it came under, so an answer to an earlier arming never ends a later wait.
    std::atomic<unsigned> armings{0};
    std::atomic<unsigned> answeredArming{~0u};
    std::atomic<bool> probeStarted{false};
    // A probe asked for while the job thread ran a job or an arrangement was being sent,
    // posted once that job ends.
    std::atomic<bool> probeDeferred{false};
    std::atomic<bool> reducedChangeRunning{false};
    bool storedOutName = false;
    // What the log has told of the stored ports' troubles (input at 1); whether the display
    // shows one.
    std::array<std::string, 2> loggedTroubles;
    bool portStatusShown = false;
    std::atomic<bool> storedPortsOpened{false};
    std::atomic<bool> firstRun{false};
    std::atomic<bool> keepSelectedBank{false};
    std::atomic<bool> localControl{true};
    std::array<std::atomic<bool>, kFilterKinds> hostBlocked{};
    std::array<std::atomic<bool>, kFilterKinds> hardwareBlocked{};
    std::atomic<bool> followIncoming{true};
    std::atomic<bool> toHostBuffer{false};
    std::atomic<bool> clockPointer{true};
    std::atomic<bool> clockInfo{true};
    std::array<std::atomic<int>, 16> filterLink{};
    // Per part: the bank and program last selected, whether the activity indicator is lit
    // and when it was lit (GetTickCount).
    std::array<std::atomic<int>, 16> storedBanks{};
    std::array<std::atomic<int>, 16> storedPrograms{};
    std::array<std::atomic<bool>, 16> partLit{};
    std::array<std::atomic<unsigned int>, 16> partLitAt{};
    // The continuous MIDI clock runs; cleared so that the block loop restarts it.
    std::atomic<bool> clockStarted{false};
    std::atomic<bool> linkApply{false};
    std::atomic<bool> pendingReset{false};
    std::atomic<bool> transportPlaying{false};
    std::atomic<bool> libraryControl{false};
    // The next quick-tab change selects the part on the synthesizer.
    std::atomic<bool> partSelect{true};
    // The block loop's own: the host's time, a clock start posted for this run of the
    // transport, the tempo last seen from the host sent.
    ITimeInfo timeInfo;
    bool clockStartPosted = false;
    bool hostTempoSynced = false;
    // The delay text the block loop last showed.
    char shownDelay[32] = {};
    static constexpr const char* kNoBufferDelay = "Off";
    struct BlockErrand {
        enum Kind { kPost, kShow, kShowText, kLog } kind;
        int param;    // the job's command, or the parameter shown
        double value; // normalised
        char text[120];
    };
    // A block leaves a few; thousands fit.
    platform::MessageRing blockErrands{1 << 18};
    std::atomic<int> dawBufferSamples{0};
    std::atomic<bool> pendingPartRequest{false};
    // A restore's arrangement that found the job thread busy, posted after a block once free.
    std::atomic<bool> pendingArrangement{false};
    std::atomic<int> clockTempo{0};
    std::atomic<bool> masterKeyboard{false};
    std::atomic<bool> programBankControl{false};
    // Redrawn after each SysEx from the synthesizer.
    ControlLayer* mixerLayer = nullptr;
    ZozParamChanges paramChanges{this};
    RandomValueList randomValues{};
};

// Creates the editor's graphics object for the plug-in at that size and frame rate.
IGraphics* MakeGraphics(IEffectBase* plug, int width, int height, int frameRate);
