#pragma once

#include "kit/effect/ControlLayer.h"
#include "kit/effect/ITextControl.h"
#include "platform/Clock.h"
#include "src/core/SettingsFile.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/params/ParamChangePlugin.h"
#include "src/params/ZozParamChanges.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SenderJob.h"
#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/ParameterNames.h"
#include "tests/support/TestControl.h"
#include "tests/support/TestGraphics.h"
#include "tests/support/TestVSTEffect.h"

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// The plug-in core as the parameter-change handling sees it: a VST2 plug-in with all 18,818
// parameters (integers 0 to 127, named "[part] name" per part as the control factories name
// them) whose OnParamChange and OnParamChange2 forward to ZozParamChanges, so edits run
// through the framework's set-parameter paths and plug lock. It records the send path's and
// the posters' calls, the other core operations as lines of `coreCalls` and the SysEx it
// sends, which go on into an open output port; its dump worker is busy while
// `dumpWorkerBusy` is set. Its settings file is written with the plug-in's own writer.
// Header-only so that benchmarks can use it.
class FakeParamChangePlugin : public TestVSTEffect, public ParamChangePlugin, public LibrarianHost {
public:
    // One call of processControlAction with the flags it saw and the value line at the time.
    struct ActionCall {
        int idx;
        double value;
        bool linkApplying;
        bool hardwareChange;
        bool fromDevice;
        std::string valueLine;
    };
    struct PostedJob {
        int command;
        SenderJob job;
    };

    // withEditor attaches an editor surface; the display lines exist either way.
    explicit FakeParamChangePlugin(bool withEditor = true,
                                   const ParamRuleTable& rules = kParamRules)
        : TestVSTEffect(nullptr, options()), changes(this, rules) {
        for (int i = 0; i < kParameterNameRunCount; ++i) {
            const ParameterNameRun& run = kParameterNameRuns[i];
            for (int part = 0; part < run.width; ++part) {
                const std::string name = run.width == 16
                                             ? "[" + std::to_string(part + 1) + "] " + run.name
                                             : std::string(run.name);
                GetParam(run.firstId + part)->InitInt(name.c_str(), 0, 0, 127);
            }
        }
        for (int id = 0; id < NParams(); ++id)
            if (GetParam(id)->Type() == kTypeNone) GetParam(id)->InitInt("", 0, 0, 127);
        if (withEditor) AttachGraphics(new TestGraphics(this));
    }
    ~FakeParamChangePlugin() override {
        for (auto& action : actions)
            GetParam(action.first)->SetControlAction(nullptr);
    }

    void OnParamChange(int idx) override { changes.OnParamChange(idx); }
    void OnParamChange2(int idx) override { changes.OnParamChange2(idx); }

    IEffectBase* effect() override { return this; }
    // Records the call; while linkApplying is set it stores the value as the real send path
    // does.
    void processControlAction(ControlAction*, int idx, double value) override {
        if (inside.fetch_add(1) != 0) ++overlaps;
        if (linkApplyingFlag) GetParam(idx)->Set(value);
        {
            std::lock_guard<std::mutex> lock(mutex);
            actionCalls.push_back({idx, value, linkApplyingFlag, hardwareChangeFlag,
                                   settingFromDeviceFlag, valueLine.GetTextForPlug()});
        }
        --inside;
    }
    bool postJob(int command, const std::function<void(SenderJob&)>& setArguments) override {
        if (dumpWorkerBusy) return false;
        SenderJob job;
        job.command = command;
        if (setArguments) setArguments(job);
        std::lock_guard<std::mutex> lock(mutex);
        jobs.push_back({command, job});
        return true;
    }
    bool ThreadRunning() override { return dumpWorkerBusy; }
    void SetLibrarianRequestActive(bool librarian) override {
        if (!librarian) dumpAwaitedFlag = true;
        std::lock_guard<std::mutex> lock(mutex);
        librarianRequests.push_back(librarian);
    }

    ITextControl* displayNameLine() override { return &nameLine; }
    ITextControl* displayValueLine() override { return &valueLine; }
    ControlLayer* namedLayer(const std::string& name) override {
        auto it = layers.find(name);
        return it == layers.end() ? nullptr : it->second;
    }
    const std::vector<std::string>& getValueList(const std::string& name) override {
        static const std::vector<std::string> none;
        auto it = valueLists.find(name);
        return it == valueLists.end() ? none : it->second;
    }

    std::atomic<int>& selectedPart() override { return selectedPartValue; }
    std::atomic<int>& model() override { return modelValue; }
    std::atomic<bool>& resetPending() override { return resetPendingFlag; }
    std::atomic<bool>& hostPlaying() override { return hostPlayingFlag; }
    std::atomic<bool>& hardwareChange() override { return hardwareChangeFlag; }
    std::atomic<bool>& linkApplying() override { return linkApplyingFlag; }
    std::atomic<bool>& hostProgramChangeDrop() override { return hostProgramChangeDropFlag; }
    std::atomic<bool>& dumpAwaited() override { return dumpAwaitedFlag; }
    void endDumpWait() override { dumpAwaitedFlag = false; }
    std::atomic<bool>& settingFromDevice() override { return settingFromDeviceFlag; }
    std::atomic<bool>& soundRequestActive() override { return soundRequestActiveFlag; }

    IControl* randomizeControl() override { return &randomizeButton; }
    void showProgressIndicator(bool show) override { core("progress ", show); }
    void displayPatchName(const std::string& name) override { core("patch " + name); }
    void displayCategoryName(const std::string& name) override { core("category " + name); }
    bool isMultiMode() const override { return multiMode; }
    bool isSequenceMode() const override { return sequenceMode; }
    bool isCategoryView() const override { return categoryView; }
    bool isSearchView() const override { return searchView; }
    void enableLibrarianViewDrag() override { core("drag"); }
    void selectUpperBank(int bank) override { core("upperBank ", bank); }
    void setLibrarianViewCurrentSlot(int slot) override {
        viewCurrentSlot = slot;
        core("currentSlot ", slot);
    }
    // Posts job 0 and waits 400 ms on the platform clock, as the plug-in does.
    void sendPatchAndPatternToDevice(int part, bool a, bool b, bool c, bool post) override {
        core("sendPatchAndPattern " + std::to_string(part) + " " + std::to_string(a) +
                 std::to_string(b) + std::to_string(c) + std::to_string(post) + " patternSend ",
             patternSendFlagValue);
        if (!post) return;
        postJob(SenderJob::kSendArrangementToDevice, {});
        platform::SleepMillis(400);
        patternSendFlagValue = false;
    }
    int getDeviceId() override { return deviceId; }
    bool checksumCheckAndSend(uint8_t* msg, int length) override {
        return SendMidiSysex(msg, length);
    }
    // Recorded, and sent on into an open output port, which the result reports.
    bool SendExternalMIDI(const unsigned char* bytes, int size) override {
        sentSysex.emplace_back(bytes, bytes + size);
        return TestVSTEffect::SendExternalMIDI(bytes, size);
    }
    int getFilterLinkMode(int part) override { return filterLinkModes[size_t(part & 15)]; }
    void setFilterLinkMode(int part, int mode) override {
        filterLinkModes[size_t(part & 15)] = mode;
    }
    std::atomic<bool>& keepSelectedBankFlag() override { return keepSelectedBankFlagValue; }
    std::atomic<bool>& libraryControlFlag() override { return libraryControlFlagValue; }
    std::atomic<bool>& localKeyboardFlag() override { return localKeyboardFlagValue; }
    std::atomic<bool>& partSelectFlag() override { return partSelectFlagValue; }
    std::atomic<bool>& patternSendFlag() override { return patternSendFlagValue; }

    PatchLibrarian* getLibrarian() const override {
        return const_cast<PatchLibrarian*>(&librarian);
    }
    // The librarian's host: no log, no data folder, no dialog.
    bool isDebugLogOn() const override { return false; }
    std::string logFilePath() const override { return ""; }
    std::string dataFolder() const override { return ""; }
    std::string promptForSaveFile(const std::string&, const std::string&,
                                  const std::string&) override {
        return "";
    }
    void showDisplayName(const std::string& text) override { core("name " + text); }
    void patchTypeChanged(int type, int lowerList, bool refresh) override {
        record("patchType", type, lowerList);
        if (refresh) coreCalls.back() += " refresh";
    }
    void SetLibrarianStatusUnsaved(bool unsaved) override {
        record("unsaved", unsaved);
        if (!unsaved) GetParam(kBankEditUnsaved)->Set(0.0);
    }
    void setMultiMode(bool on) override { multiMode = on; }
    void setSequenceMode(bool on) override { sequenceMode = on; }
    void setCategoryView(bool on) override { categoryView = on; }
    void setSearchView(bool on) override { searchView = on; }
    void updatePatchLibrarianView(int which) override { core("view ", which); }
    int getLibrarianViewSide() override { return viewSide; }
    int getLibrarianViewCurrentSlot() override { return viewCurrentSlot; }
    bool isGridFocus() const override { return gridFocus; }
    void setGridFocus(bool focus) override { gridFocus = focus; }
    void refreshFolderStructure(int row, int selected, const std::string& folder,
                                const std::string& fileName) override {
        record("chooser", row, selected);
        coreCalls.back() += " " + folder + "/" + fileName;
    }
    void setRememberedFileName(LibrarianHost::BankPosition position,
                               const std::string& fileName) override {
        remembered[position][0] = fileName;
    }
    void setRememberedFolder(LibrarianHost::BankPosition position,
                             const std::string& folder) override {
        remembered[position][1] = folder;
    }
    void AddMenuItemsIn() override { core("bankEditMenu"); }
    void refreshPatchNames(int program) override { core("programMenu ", program); }
    void updateBankAndProgramMenuNames(bool keepBankMenu) override {
        core("bankAndProgramMenus ", keepBankMenu);
    }
    IControl* searchButton() override { return &searchButtonControl; }
    bool isLibrarianNames() const override { return librarianNames; }
    bool isRequestAfterBankChange() const override { return requestAfterBankChange; }
    std::atomic<int>& programNumber() override { return programNumberValue; }
    bool BankChangeMessage(int part) override {
        core("bankChange ", part);
        return bankChangeAccepted;
    }
    void sendPartDataBackToHardware(int part) override { core("sendBack ", part); }
    void sendPatchToDeviceFromLibrarian(int slot, int side, int part) override {
        record("audition", slot, side, part);
    }
    void AllSoundsOff(int part, bool allParts) override { record("allSoundsOff", part, allParts); }
    void DisplayProcessingIndicator(bool on) override { core("processing ", on); }
    void setArrangementSendFlags(bool a, bool b, bool c) override {
        arrangementFlags = {true, a, b, c};
    }
    void clearArrangementSendFlag(bool second) override {
        arrangementFlags[second ? 3 : 2] = false;
    }
    void DisarmLibrarianRequests() override { core("disarm"); }
    std::atomic<bool>& requestCancelFlag() override { return requestCancel; }

    void SendChannelStatus(int part, bool firstByte) override {
        record("channelStatus", part, firstByte);
    }
    void randomizePart(int part) override { core("randomize ", part); }
    void sendSysExInitialization() override { core("sysexInit"); }
    void setDeviceId(int id) override { deviceId = id; }
    // Recorded, and handed to the manager's sender when there is one.
    void resetContinuousClock(bool stop) override {
        core("resetClock ", stop);
        if (manager) manager->getSender()->resetContinuousClock(stop);
    }
    void setClockTickEnabled(bool on) override { clockTickFlag = on; }
    std::array<std::string, 5>& settingsLines() override { return heldSettings; }
    // The settings file at settingsPath, through the plug-in's own writer.
    bool writeSettingsFile(const std::array<std::string, 5>& lines) override {
        if (SettingsFile::rewrite(settingsPath, lines) != SettingsFile::Rewrite::kWritten)
            return false;
        heldSettings = lines;
        return true;
    }
    void setUIScale(double scale) override { uiScale = scale; }
    std::atomic<bool>& midiPortsSetFlag() override { return midiPortsSet; }
    std::atomic<bool>& firstRunNoticeOpen() override { return firstRunNotice; }
    std::atomic<bool>& programBankControlFlag() override { return programBankControl; }
    std::atomic<bool>& masterKeyboardFlag() override { return masterKeyboard; }
    std::atomic<bool>& clockPointerFlag() override { return clockPointer; }
    std::atomic<bool>& clockStartedFlag() override { return clockStarted; }
    std::atomic<bool>& trackIncomingFlag() override { return trackIncoming; }
    std::atomic<bool>& queueRoutingFlag() override { return queueRouting; }
    std::atomic<bool>& partReRequestFlag() override { return partReRequest; }
    std::atomic<bool>& midiDropFlag(int passThroughSwitch) override {
        return dropFlags.at(size_t(passThroughSwitch - kMIDIFilterDAWCCPassThrough));
    }
    std::atomic<int>& dawOffset() override { return dawOffsetValue; }
    std::atomic<int>& cachedTempo() override { return cachedTempoValue; }
    double GetTempo() override { return hostTempo; }

    // Gives the parameter a ControlAction of its own (kept by the fake).
    ControlAction* addAction(int idx) {
        auto& action = actions[idx];
        if (!action) action = std::make_unique<ControlAction>();
        GetParam(idx)->SetControlAction(action.get());
        return action.get();
    }
    void setValue(int idx, double value) { GetParam(idx)->Set(value); }
    // An edit of the plain value through the framework's editor path.
    void edit(int idx, double value) {
        SetParameterFromGUI(idx, GetParam(idx)->GetNormalized(value));
    }
    // The same for a value from the synthesizer.
    void editFromDevice(int idx, double value) {
        SetParameterFromGUI2(idx, GetParam(idx)->GetNormalized(value));
    }
    double value(int idx) const { return GetParam(idx)->Value(); }
    std::string nameText() const { return nameLine.GetTextForPlug(); }
    std::string valueText() const { return valueLine.GetTextForPlug(); }
    std::vector<ActionCall> calls() {
        std::lock_guard<std::mutex> lock(mutex);
        return actionCalls;
    }

    ZozParamChanges changes;
    std::map<std::string, std::vector<std::string>> valueLists;
    std::map<std::string, ControlLayer*> layers; // not owned
    std::atomic<bool> dumpWorkerBusy{false};
    std::atomic<int> overlaps{0}; // processControlAction calls that ran into another
    std::vector<PostedJob> jobs;
    std::vector<bool> librarianRequests;

    std::atomic<int> selectedPartValue{0};
    std::atomic<int> modelValue{0};
    std::atomic<bool> resetPendingFlag{false};
    std::atomic<bool> hostPlayingFlag{false};
    std::atomic<bool> hardwareChangeFlag{false};
    std::atomic<bool> linkApplyingFlag{false};
    std::atomic<bool> hostProgramChangeDropFlag{false};
    std::atomic<bool> dumpAwaitedFlag{false};
    std::atomic<bool> settingFromDeviceFlag{false};
    std::atomic<bool> soundRequestActiveFlag{false};

    TestControl randomizeButton{this, IRECT(), kRandomize};
    bool multiMode = false, sequenceMode = false, categoryView = false, searchView = false;
    int deviceId = 0;
    std::array<int, 16> filterLinkModes{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::atomic<bool> keepSelectedBankFlagValue{false};
    std::atomic<bool> libraryControlFlagValue{false};
    std::atomic<bool> localKeyboardFlagValue{false};
    std::atomic<bool> partSelectFlagValue{true};
    std::atomic<bool> patternSendFlagValue{false};
    std::vector<std::string> coreCalls;
    std::vector<std::vector<unsigned char>> sentSysex;

    PatchLibrarian librarian{*this}; // empty until a test loads banks
    int viewSide = 0;
    int viewCurrentSlot = 0;
    bool gridFocus = true;
    std::string remembered[6][2];
    TestControl searchButtonControl{this, IRECT(), kPatchSearch};
    bool librarianNames = false;
    bool requestAfterBankChange = false;
    std::atomic<int> programNumberValue{0};
    bool bankChangeAccepted = true;
    // Busy (send running), in progress and the two arrangement-send flags.
    std::array<bool, 4> arrangementFlags{};
    std::atomic<bool> requestCancel{false};

    MIDIMessageManager* manager = nullptr; // not owned
    std::atomic<bool> clockTickFlag{false};
    std::array<std::string, 5> heldSettings;
    std::string settingsPath;
    double uiScale = 1.0;
    double hostTempo = 0.0;
    std::atomic<bool> midiPortsSet{false};
    std::atomic<bool> firstRunNotice{false};
    std::atomic<bool> programBankControl{false};
    std::atomic<bool> masterKeyboard{false};
    std::atomic<bool> clockPointer{false};
    std::atomic<bool> clockStarted{false};
    std::atomic<bool> trackIncoming{false};
    std::atomic<bool> queueRouting{false};
    std::atomic<bool> partReRequest{false};
    std::array<std::atomic<bool>, 14> dropFlags{};
    std::atomic<int> dawOffsetValue{0};
    std::atomic<int> cachedTempoValue{0};

private:
    void core(const std::string& call) { coreCalls.push_back(call); }
    void core(const std::string& call, int argument) { core(call + std::to_string(argument)); }
    // "call a b …": the call's name and its arguments.
    template <typename... Args> void record(std::string call, Args... args) {
        ((call += " " + std::to_string(args)), ...);
        core(call);
    }

    static Options options() {
        Options o;
        o.nParams = kNumParams;
        o.nVisible = 0;
        return o;
    }

    ITextControl nameLine{this, IRECT(), nullptr, ""};
    ITextControl valueLine{this, IRECT(), nullptr, ""};
    std::map<int, std::unique_ptr<ControlAction>> actions;
    std::mutex mutex;
    std::atomic<int> inside{0};
    std::vector<ActionCall> actionCalls;
};

} // namespace testsupport
