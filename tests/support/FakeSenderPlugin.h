#pragma once

#include "kit/effect/IMidiMsg.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/SenderPlugin.h"
#include "tests/support/MidiOutputRecorder.h"

#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class UIConfigManager;

namespace testsupport {

// The plug-in core as the sender sees it: parameters, display lines and flags held in memory,
// the external MIDI output recorded. Every operation may be called from any thread. Given a
// manager, it runs its side of the request handshake over it as the plug-in core does:
// arming and disarming, the indicator's end, its own SysEx input and the answer flag.
class FakeSenderPlugin : public SenderPlugin {
public:
    bool SendMidiSysex(const uint8_t* data, int length) override;
    bool SendMidiSysex2(const std::vector<uint8_t>& bytes) override;
    double GetParamValue(int paramIdx) override;
    void SetParameterFromPlug(int paramIdx, double value) override;
    void setUpperDisplayText(const std::string& text) override;
    void setLowerDisplayText(const std::string& text) override;
    bool isMIDIIOSet() override { return midiIO; }
    // The output's server tells of an xrun that dropped a message within xrunWindowMillis of
    // the platform clock after it went, or just as late before it went: a message is judged
    // by every tellXrun() in that window, which shadows what is sent for that long after it.
    uint64_t midiOutQueued() override;
    platform::MidiDelivery midiOutDelivery(uint64_t message) override;
    int64_t midiOutXrunShadowNanos() override;
    void tellXrun();
    bool isClockStartStopEnabled() override { return clockStartStop; }
    bool isClockTickEnabled() override { return clockTick; }
    void setClockTickEnabled(bool on) override { clockTick = on; }
    int getTempoValue() override { return hostTempo; }
    std::string getValueListText(const std::string& list, int index) override;
    void printDebugInfo(const std::string& text) override;

    double GetParamMin(int paramIdx) override;
    double GetParamMax(int paramIdx) override;
    void storeParamValue(int paramIdx, double value) override;
    std::string getParamText(int paramIdx) override;
    void setParamText(int paramIdx, const std::string& text) override;
    void setPatchManagerName(int index, const std::string& name) override;
    int getDeviceId() override { return deviceId; }
    int getSelectedPart() override { return selectedPart; }
    int getModel() override { return model; }
    bool isBatch() override { return batch; }
    void setFilterLinkMode(int part, int mode) override;
    RandomValueList& randomValueList() override { return randomValues; }
    // Without an output shows "Set MIDI I/O First!"; otherwise writes the checksum of a
    // message from F0 of 201 bytes or more and sends it.
    bool checksumCheckAndSend(uint8_t* msg, int length) override;
    void DisplayProcessingIndicator(bool on) override;
    void SetLibrarianRequestActive(bool librarian) override;
    // Logged as "request librarian slot <byte 5> <byte 6>".
    void armLibrarianRequestForSlot(SysexMessage::Address slot) override;
    void SetLibrarianStatusUnsaved(bool on) override;
    void DisarmLibrarianRequests() override;
    void setLibrarianViewDirty() override;
    void displayPatchName(const std::string& name) override;
    void displayCategoryName(const std::string& category) override;
    // Records the message; without a manager returns `internalInputStores`.
    bool ProcessSysExInternal(ISysEx* msg) override;
    void updatePatchLibrarianView(int which) override;
    void OnParamChange(int paramIdx) override;
    void OnParamChange2(int paramIdx) override;
    bool isAnswerReceived() override { return answeredArming == armings; }
    bool isProbeStarted() override { return probeStarted; }
    bool isReducedChangeRunning() override { return reducedChange; }
    void setDeviceId(int id) override { deviceId = id; }
    int getTimerValue() override;
    int getAwaitedDumpPart() override { return awaitedPart; }
    void setAwaitedDumpPart(int part) override { awaitedPart = part; }
    bool isGlobalFirst() override { return globalFirst; }
    bool isPatternToo() override { return patternToo; }
    void clearBatchAndGlobalFirst() override;
    void clearPatternToo() override;
    void setArrangementBusy(bool on) override;
    void setTransferRunning(bool on) override;
    bool isMultiMode() const override { return multiMode; }
    bool isSequenceMode() const override { return patternMode; }
    LowerView getLowerView() override { return lowerView; }

    // The controls come from `controls` when it is given; the plug lock is `plugMutex`.
    IControl* getSysexControl(int k1, int k2, int k3, int k4, int variant) override;
    IControl* getCCControls(int channel, int cc, int legacy) override;
    KIT_Mutex* plugLock() override { return plugMutex; }
    void BeginInformHostOfParamChange(int id) override { logCall("begin edit " + std::to_string(id)); }
    void EndInformHostOfParamChange(int id) override { logCall("end edit " + std::to_string(id)); }
    bool isMIDIFilterBlocked(int passThroughSwitch) override;
    bool isLocalControl() override { return localControl; }
    void setLocalControl(bool on) override { localControl = on; }
    bool isLibrarianControl() override { return librarianControl; }
    bool isProgramBankMode() override { return programBankMode; }
    int getStoredBank(int part) override { return storedBanks.at(size_t(part)); }
    void setStoredBank(int part, int bank) override { storedBanks.at(size_t(part)) = bank; }
    int getStoredProgram(int part) override { return storedPrograms.at(size_t(part)); }
    void setStoredProgram(int part, int program) override { storedPrograms.at(size_t(part)) = program; }
    void setSelectedPart(int part) override { selectedPart = part; }
    void lightPartIndicator(int part) override { logCall("led " + std::to_string(part)); }
    int getLibrarianViewSide() override { return librarianViewSide; }
    void setLibrarianViewUpperSlot(int slot) override { viewUpperSlot = slot; }
    void setLibrarianViewCurrentSlot(int slot) override { viewCurrentSlot = slot; }
    // "librarian send <slot> <side> <part>", "all sounds off <part>", "bank change <part>".
    void sendPatchToDeviceFromLibrarian(int slot, int side, int part) override;
    void AllSoundsOff(int part, bool) override { logCall("all sounds off " + std::to_string(part)); }
    // Records the program change it stands for ({C0, program}) and the program as the last
    // one, or refuses as on a bank conflict while `bankChangeAccepted` is clear.
    bool BankChangeMessage(int part) override;
    int getLastProgramNumber() override { return lastProgram; }
    void MIDIOutRoutingSwitch(IMidiMsg* msg) override;
    // Short messages are recorded on the output too, without an output the first one refused.
    void sendMidiMsgAndLog(IMidiMsg* msg) override;
    bool SendMidiMsg(IMidiMsg* msg) override;

    void setParam(int paramIdx, double value);
    // The range of every parameter without one of its own (0..127 unless set).
    void setDefaultRange(double min, double max);
    void setRange(int paramIdx, double min, double max);
    // The calls of the plug-in core's display and librarian operations, one line each, in
    // order, e.g. "indicator 1", "request librarian", "patch name Bass", "change 18805".
    std::vector<std::string> calls() const;
    // How often the call was made.
    size_t callCount(const std::string& line) const;
    std::string patchManagerName(int index) const;
    int filterLinkMode(int part) const;
    std::vector<std::vector<uint8_t>> internalInputs() const;
    void setValueList(const std::string& name, std::vector<std::string> texts);
    std::string upperDisplay() const;
    // Every text the upper display line showed, in order.
    std::vector<std::string> upperTexts() const;
    std::string lowerDisplay() const;
    // The (parameter, value) pairs set from the plug-in's side, in order.
    std::vector<std::pair<int, double>> plugSets() const;
    std::vector<std::string> logLines() const;
    void blockMIDIFilter(int passThroughSwitch);
    // The short messages handed on to the synthesizer, in order.
    std::vector<IMidiMsg> routed() const;

    MidiOutputRecorder output;
    // Cleared, the port is closed: every send records nothing and fails.
    std::atomic<bool> portOpen{true};
    std::atomic<bool> midiIO{true};
    // How long the output's server may take to tell of an xrun: none drops a message by default.
    std::atomic<int> xrunWindowMillis{0};
    // While set, the server runs no cycle: what is queued goes at the first look after.
    std::atomic<bool> serverStill{false};
    std::atomic<bool> clockStartStop{true};
    std::atomic<bool> clockTick{true};
    std::atomic<int> hostTempo{0};
    std::atomic<int> deviceId{0};
    std::atomic<int> selectedPart{0};
    std::atomic<int> model{0};
    std::atomic<bool> batch{false};
    std::atomic<bool> internalInputStores{true};
    RandomValueList randomValues{};
    MIDIMessageManager* manager = nullptr;
    std::atomic<bool> multiMode{false};
    std::atomic<bool> patternMode{false};
    // The plug-in core's answer flag: an answer records the arming it came under.
    std::atomic<unsigned> armings{0};
    std::atomic<unsigned> answeredArming{~0u};
    std::atomic<bool> probeStarted{false};
    std::atomic<bool> reducedChange{false};
    std::atomic<bool> processing{false};
    std::atomic<int> awaitedPart{0};
    const UIConfigManager* controls = nullptr;
    KIT_Mutex* plugMutex = nullptr;
    std::atomic<bool> localControl{false};
    std::atomic<bool> librarianControl{false};
    std::atomic<bool> programBankMode{false};
    std::atomic<bool> bankChangeAccepted{true};
    std::atomic<int> lastProgram{0};
    std::array<std::atomic<int>, 16> storedBanks{};
    std::array<std::atomic<int>, 16> storedPrograms{};
    std::atomic<int> librarianViewSide{0};
    std::atomic<int> viewUpperSlot{-1};
    std::atomic<int> viewCurrentSlot{-1};
    std::atomic<bool> globalFirst{false};
    std::atomic<bool> patternToo{false};
    std::atomic<bool> arrangementBusy{false};
    std::atomic<bool> transferRunning{false};
    std::atomic<LowerView> lowerView{kLowerBankFiles};

private:
    mutable std::mutex mutex;
    std::vector<int64_t> xrunsToldAt;
    // When each message went out.
    static constexpr int64_t kNotTaken = -1;
    std::vector<int64_t> queuedAt;
    void queue(const std::vector<uint8_t>& bytes);
    std::map<int, double> params;
    std::map<std::string, std::vector<std::string>> valueLists;
    std::vector<std::string> upper;
    std::string lower;
    std::vector<std::pair<int, double>> plugSetCalls;
    std::vector<std::string> log;
    std::pair<double, double> defaultRange{0.0, 127.0};
    std::map<int, std::pair<double, double>> ranges;
    std::map<int, std::string> texts;
    std::map<int, std::string> patchManagerNames;
    std::array<int, 16> filterLinkModes{};
    std::vector<std::string> callLog;
    std::vector<std::vector<uint8_t>> internalInput;
    std::set<int> blockedFilters;
    std::vector<IMidiMsg> routedMessages;

    std::pair<double, double> rangeOf(int paramIdx) const;
    void logCall(const std::string& line);
};

} // namespace testsupport
