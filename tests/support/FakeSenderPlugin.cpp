#include "tests/support/FakeSenderPlugin.h"

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
    upper = text;
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
    return upper;
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
