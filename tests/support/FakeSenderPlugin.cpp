#include "tests/support/FakeSenderPlugin.h"

#include "kit/effect/ISysEx.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SysexMessage.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>

namespace testsupport {

bool FakeSenderPlugin::SendMidiSysex(const uint8_t* data, int length) {
    std::vector<uint8_t> wire(data, data + length);
    if (length > 0 && data[0] != 0xF0) {
        wire.insert(wire.begin(), 0xF0);
        wire.push_back(0xF7);
    }
    output.record(wire);
    return true;
}

bool FakeSenderPlugin::SendMidiSysex2(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return false;
    output.record(bytes);
    return true;
}

double FakeSenderPlugin::GetParamValue(int paramIdx) {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = params.find(paramIdx);
    return it == params.end() ? 0.0 : it->second;
}

void FakeSenderPlugin::SetParameterFromPlug(int paramIdx, double value) {
    std::lock_guard<std::mutex> lock(mutex);
    params[paramIdx] = value;
    plugSetCalls.emplace_back(paramIdx, value);
}

void FakeSenderPlugin::setUpperDisplayText(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    upper.push_back(text);
}

void FakeSenderPlugin::setLowerDisplayText(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    lower = text;
}

std::string FakeSenderPlugin::getValueListText(const std::string& list, int index) {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = valueLists.find(list);
    if (it == valueLists.end() || index < 0 || index >= int(it->second.size())) return "";
    return it->second[size_t(index)];
}

void FakeSenderPlugin::printDebugInfo(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    log.push_back(text);
}

void FakeSenderPlugin::setParam(int paramIdx, double value) {
    std::lock_guard<std::mutex> lock(mutex);
    params[paramIdx] = value;
}

void FakeSenderPlugin::setValueList(const std::string& name, std::vector<std::string> texts) {
    std::lock_guard<std::mutex> lock(mutex);
    valueLists[name] = std::move(texts);
}

std::string FakeSenderPlugin::upperDisplay() const {
    std::lock_guard<std::mutex> lock(mutex);
    return upper.empty() ? "" : upper.back();
}

std::vector<std::string> FakeSenderPlugin::upperTexts() const {
    std::lock_guard<std::mutex> lock(mutex);
    return upper;
}

std::vector<std::string> FakeSenderPlugin::notices() const {
    std::lock_guard<std::mutex> lock(mutex);
    return noticeTexts;
}

std::vector<int> FakeSenderPlugin::paramChanges() const {
    std::lock_guard<std::mutex> lock(mutex);
    return changes;
}

std::vector<int> FakeSenderPlugin::reducedParamChanges() const {
    std::lock_guard<std::mutex> lock(mutex);
    return reducedChanges;
}

void FakeSenderPlugin::setRange(int paramIdx, double min, double max) {
    std::lock_guard<std::mutex> lock(mutex);
    ranges[paramIdx] = {min, max};
}

void FakeSenderPlugin::setParameterValue(int paramIdx, double value) {
    std::lock_guard<std::mutex> lock(mutex);
    auto range = ranges.find(paramIdx);
    if (range != ranges.end())
        value = std::clamp(value, range->second.first, range->second.second);
    params[paramIdx] = value;
}

void FakeSenderPlugin::checksumCheckAndSend(uint8_t* message, int length) {
    if (!midiIO) {
        setUpperDisplayText("Set MIDI I/O First!");
        return;
    }
    SysexMessage::writeChecksum(message, length);
    SendMidiSysex(message, length);
}

void FakeSenderPlugin::DisplayProcessingIndicator(bool on) {
    processing = on;
    if (!on && manager) manager->dumpAwaited = false;
}

void FakeSenderPlugin::SetLibrarianRequestActive(bool librarian) {
    if (manager) manager->setLibrarianRequestActive(librarian, multiMode, patternMode);
    answerFlag = false;
}

void FakeSenderPlugin::SetLibrarianStatusUnsaved(bool on) {
    if (!on) return;
    if (manager) {
        manager->disarmLibrarianRequests();
        manager->dumpAwaited = false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    noticeTexts.push_back(patternMode ? "Pattern received to slot(s)"
                          : multiMode ? "Multi received to slot(s)"
                                      : "Program received to slot(s)");
}

void FakeSenderPlugin::OnParamChange(int paramIdx) {
    std::lock_guard<std::mutex> lock(mutex);
    changes.push_back(paramIdx);
}

void FakeSenderPlugin::OnParamChange2(int paramIdx) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        reducedChanges.push_back(paramIdx);
    }
    if (manager) manager->dumpAwaited = false;
}

int FakeSenderPlugin::getTimerValue() {
    return MIDIMessageSender::pauseUnitMillis(GetParamValue(kLibSyncTimer));
}

void FakeSenderPlugin::ProcessSysExInternal(ISysEx* message) {
    if (!manager) return;
    manager->ProcessSysEx(message, true);
    if (manager->answerReceived) answerFlag = true;
}

std::string FakeSenderPlugin::lowerDisplay() const {
    std::lock_guard<std::mutex> lock(mutex);
    return lower;
}

std::vector<std::pair<int, double>> FakeSenderPlugin::plugSets() const {
    std::lock_guard<std::mutex> lock(mutex);
    return plugSetCalls;
}

std::vector<std::string> FakeSenderPlugin::logLines() const {
    std::lock_guard<std::mutex> lock(mutex);
    return log;
}

} // namespace testsupport
