#pragma once

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

    void setParam(int paramIdx, double value);
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

private:
    mutable std::mutex mutex;
    std::map<int, double> params;
    std::map<std::string, std::vector<std::string>> valueLists;
    std::string upper;
    std::string lower;
    std::vector<std::pair<int, double>> plugSetCalls;
    std::vector<std::string> log;
};

} // namespace testsupport
