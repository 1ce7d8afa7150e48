#pragma once

#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/SenderPlugin.h"
#include "tests/support/MidiOutputRecorder.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// The plug-in core as the sender sees it: parameters, display lines and flags held in memory,
// the external MIDI output recorded. Every operation may be called from any thread.
class FakeSenderPlugin : public SenderPlugin {
public:
    bool SendMidiSysex(const uint8_t* data, int length) override;
    bool SendMidiSysex2(const std::vector<uint8_t>& bytes) override;
    double GetParamValue(int paramIdx) override;
    void SetParameterFromPlug(int paramIdx, double value) override;
    void setUpperDisplayText(const std::string& text) override;
    void setLowerDisplayText(const std::string& text) override;
    bool isMIDIIOSet() override { return midiIO; }
    bool isClockStartStopEnabled() override { return clockStartStop; }
    bool isClockTickEnabled() override { return clockTick; }
    void setClockTickEnabled(bool on) override { clockTick = on; }
    int getTempoValue() override { return hostTempo; }
    std::string getValueListText(const std::string& list, int index) override;
    void printDebugInfo(const std::string& text) override;

    // The plug-in's side of the request handshake, over the manager the test gives it.
    void checksumCheckAndSend(uint8_t* message, int length) override;
    void DisplayProcessingIndicator(bool on) override;
    void SetLibrarianRequestActive(bool librarian) override;
    void SetLibrarianStatusUnsaved(bool on) override;
    void updatePatchLibrarianView(int) override { ++viewUpdates; }
    void setLibrarianViewDirty() override { ++viewDirtied; }
    void OnParamChange(int paramIdx) override;
    void OnParamChange2(int paramIdx) override;
    bool isAnswerReceived() override { return answerFlag; }
    bool isProbeStarted() override { return probeStarted; }
    bool isReducedChangeRunning() override { return reducedChange; }
    int getDeviceId() override { return deviceId; }
    void setDeviceId(int id) override { deviceId = id; }
    void setParameterValue(int paramIdx, double value) override;
    int getTimerValue() override;
    int getAwaitedDumpPart() override { return awaitedPart; }
    void setAwaitedDumpPart(int part) override { awaitedPart = part; }
    int getSelectedPart() override { return selectedPart; }
    // As the plug-in's own input: the manager's dispatcher, then the answer flag.
    void ProcessSysExInternal(ISysEx* message) override;

    void setParam(int paramIdx, double value);
    // The range into which setParameterValue clamps (none: stored as given).
    void setRange(int paramIdx, double min, double max);
    // Every text the upper display line showed, in order.
    std::vector<std::string> upperTexts() const;
    // The "received to slot(s)" notices, in order.
    std::vector<std::string> notices() const;
    // The parameters handed to OnParamChange and OnParamChange2, in order.
    std::vector<int> paramChanges() const;
    std::vector<int> reducedParamChanges() const;
    void setValueList(const std::string& name, std::vector<std::string> texts);
    std::string upperDisplay() const;
    std::string lowerDisplay() const;
    // The (parameter, value) pairs set from the plug-in's side, in order.
    std::vector<std::pair<int, double>> plugSets() const;
    std::vector<std::string> logLines() const;

    MidiOutputRecorder output;
    std::atomic<bool> midiIO{true};
    std::atomic<bool> clockStartStop{true};
    std::atomic<bool> clockTick{true};
    std::atomic<int> hostTempo{0};

    MIDIMessageManager* manager = nullptr;
    std::atomic<bool> multiMode{false};
    std::atomic<bool> patternMode{false};
    std::atomic<bool> answerFlag{false};
    std::atomic<bool> probeStarted{false};
    std::atomic<bool> reducedChange{false};
    std::atomic<bool> processing{false};
    std::atomic<int> deviceId{0};
    std::atomic<int> awaitedPart{0};
    std::atomic<int> selectedPart{0};
    std::atomic<int> viewUpdates{0};
    std::atomic<int> viewDirtied{0};

private:
    mutable std::mutex mutex;
    std::map<int, double> params;
    std::map<std::string, std::vector<std::string>> valueLists;
    std::map<int, std::pair<double, double>> ranges;
    std::vector<std::string> upper;
    std::vector<std::string> noticeTexts;
    std::vector<int> changes;
    std::vector<int> reducedChanges;
    std::string lower;
    std::vector<std::pair<int, double>> plugSetCalls;
    std::vector<std::string> log;
};

} // namespace testsupport
