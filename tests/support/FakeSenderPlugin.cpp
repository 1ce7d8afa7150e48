#include "tests/support/FakeSenderPlugin.h"

#include "kit/effect/IMidiMsg.h"
#include "kit/effect/ISysEx.h"
#include "platform/Clock.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/UIConfigManager.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/BankFileGenerator.h"

#include <algorithm>

namespace testsupport {

bool FakeSenderPlugin::SendMidiSysex(const uint8_t* data, int length) {
    if (!portOpen) return false;
    std::vector<uint8_t> wire(data, data + length);
    if (length > 0 && data[0] != 0xF0) {
        wire.insert(wire.begin(), 0xF0);
        wire.push_back(0xF7);
    }
    queue(wire);
    return true;
}

bool FakeSenderPlugin::SendMidiSysex2(const std::vector<uint8_t>& bytes) {
    if (bytes.empty() || !portOpen) return false;
    queue(bytes);
    return true;
}

void FakeSenderPlugin::queue(const std::vector<uint8_t>& bytes) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        queuedAt.push_back(serverStill ? kNotTaken : platform::NowNanos());
    }
    output.record(bytes);
}

uint64_t FakeSenderPlugin::midiOutQueued() {
    std::lock_guard<std::mutex> lock(mutex);
    return xrunWindowMillis ? queuedAt.size() : 0;
}

platform::MidiDelivery FakeSenderPlugin::midiOutDelivery(uint64_t message) {
    std::lock_guard<std::mutex> lock(mutex);
    const int64_t window = int64_t(xrunWindowMillis) * 1000000;
    int64_t& at = queuedAt.at(size_t(message - 1));
    if (at == kNotTaken) {
        if (serverStill) return platform::MidiDelivery::kUnderWatch;
        at = platform::NowNanos();
    }
    for (const int64_t told : xrunsToldAt)
        if (told >= at - window && told <= at + window) return platform::MidiDelivery::kMayBeLost;
    return platform::NowNanos() <= at + window ? platform::MidiDelivery::kUnderWatch
                                               : platform::MidiDelivery::kClear;
}

int64_t FakeSenderPlugin::midiOutXrunShadowNanos() {
    std::lock_guard<std::mutex> lock(mutex);
    if (!xrunWindowMillis || xrunsToldAt.empty()) return 0;
    const int64_t window = int64_t(xrunWindowMillis) * 1000000;
    return std::max<int64_t>(xrunsToldAt.back() + window + 1 - platform::NowNanos(), 0);
}

void FakeSenderPlugin::tellXrun() {
    std::lock_guard<std::mutex> lock(mutex);
    xrunsToldAt.push_back(platform::NowNanos());
}

double FakeSenderPlugin::GetParamValue(int paramIdx) {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = params.find(paramIdx);
    return it == params.end() ? 0.0 : it->second;
}

void FakeSenderPlugin::SetParameterFromPlug(int paramIdx, double value) {
    std::lock_guard<std::mutex> lock(mutex);
    // As the framework does, the value is clamped into the parameter's range.
    const auto range = rangeOf(paramIdx);
    params[paramIdx] = std::min(std::max(value, range.first), range.second);
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

std::pair<double, double> FakeSenderPlugin::rangeOf(int paramIdx) const {
    auto it = ranges.find(paramIdx);
    return it == ranges.end() ? defaultRange : it->second;
}

double FakeSenderPlugin::GetParamMin(int paramIdx) {
    std::lock_guard<std::mutex> lock(mutex);
    return rangeOf(paramIdx).first;
}

double FakeSenderPlugin::GetParamMax(int paramIdx) {
    std::lock_guard<std::mutex> lock(mutex);
    return rangeOf(paramIdx).second;
}

void FakeSenderPlugin::storeParamValue(int paramIdx, double value) {
    std::lock_guard<std::mutex> lock(mutex);
    params[paramIdx] = value;
}

std::string FakeSenderPlugin::getParamText(int paramIdx) {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = texts.find(paramIdx);
    return it == texts.end() ? "" : it->second;
}

void FakeSenderPlugin::setParamText(int paramIdx, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    texts[paramIdx] = text;
}

void FakeSenderPlugin::setPatchManagerName(int index, const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex);
    patchManagerNames[index] = name;
}

void FakeSenderPlugin::setFilterLinkMode(int part, int mode) {
    std::lock_guard<std::mutex> lock(mutex);
    filterLinkModes.at(size_t(part)) = mode;
}

// The checksum comes from the test data's own rule, apart from the code under test.
bool FakeSenderPlugin::checksumCheckAndSend(uint8_t* msg, int length) {
    if (!midiIO) {
        setUpperDisplayText("Set MIDI I/O First!");
        return false;
    }
    Dump message(msg, msg + length);
    if (length >= 201 && msg[0] == 0xF0) setChecksum(&message);
    std::copy(message.begin(), message.end(), msg);
    return SendMidiSysex(msg, length);
}

void FakeSenderPlugin::logCall(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    callLog.push_back(line);
}

void FakeSenderPlugin::DisplayProcessingIndicator(bool on) {
    logCall(on ? "indicator 1" : "indicator 0");
    processing = on;
    if (!on && manager) manager->dumpAwaited = false;
}

void FakeSenderPlugin::SetLibrarianRequestActive(bool librarian) {
    logCall(librarian ? "request librarian" : "request editor");
    if (manager) manager->setLibrarianRequestActive(librarian, multiMode, patternMode);
    ++armings;
}

void FakeSenderPlugin::armLibrarianRequestForSlot(SysexMessage::Address slot) {
    logCall("request librarian slot " + std::to_string(slot.high) + " " + std::to_string(slot.low));
    if (manager) manager->setLibrarianRequestActive(true, multiMode, patternMode, slot);
    ++armings;
}

void FakeSenderPlugin::SetLibrarianStatusUnsaved(bool on) {
    logCall(on ? "unsaved 1" : "unsaved 0");
    if (!on || !manager) return;
    manager->disarmLibrarianRequests();
    manager->dumpAwaited = false;
}

void FakeSenderPlugin::DisarmLibrarianRequests() {
    logCall("disarm");
    if (manager) manager->disarmLibrarianRequests();
}

void FakeSenderPlugin::updatePatchLibrarianView(int which) {
    logCall("view update " + std::to_string(which));
}

void FakeSenderPlugin::OnParamChange(int paramIdx) {
    logCall("change " + std::to_string(paramIdx));
}

void FakeSenderPlugin::OnParamChange2(int paramIdx) {
    logCall("reduced change " + std::to_string(paramIdx));
    if (manager) manager->dumpAwaited = false;
}

int FakeSenderPlugin::getTimerValue() {
    return MIDIMessageSender::pauseUnitMillis(GetParamValue(kLibSyncTimer));
}

void FakeSenderPlugin::setLibrarianViewDirty() {
    logCall("view dirty");
}

void FakeSenderPlugin::displayPatchName(const std::string& name) {
    logCall("patch name " + name);
}

void FakeSenderPlugin::displayCategoryName(const std::string& category) {
    logCall("category name " + category);
}

bool FakeSenderPlugin::ProcessSysExInternal(ISysEx* msg) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        internalInput.emplace_back(msg->data, msg->data + msg->size);
    }
    logCall("internal input");
    if (!manager) return internalInputStores;
    // A collection that was armed and took the message leaves answerReceived set.
    const bool collecting = manager->isCollecting();
    const unsigned arming = armings;
    manager->ProcessSysEx(msg, true);
    if (manager->answerReceived) answeredArming = arming;
    return collecting && manager->answerReceived;
}

void FakeSenderPlugin::setDefaultRange(double min, double max) {
    std::lock_guard<std::mutex> lock(mutex);
    defaultRange = {min, max};
}

void FakeSenderPlugin::setRange(int paramIdx, double min, double max) {
    std::lock_guard<std::mutex> lock(mutex);
    ranges[paramIdx] = {min, max};
}

std::vector<std::string> FakeSenderPlugin::calls() const {
    std::lock_guard<std::mutex> lock(mutex);
    return callLog;
}

size_t FakeSenderPlugin::callCount(const std::string& line) const {
    std::lock_guard<std::mutex> lock(mutex);
    return size_t(std::count(callLog.begin(), callLog.end(), line));
}

std::string FakeSenderPlugin::patchManagerName(int index) const {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = patchManagerNames.find(index);
    return it == patchManagerNames.end() ? "" : it->second;
}

int FakeSenderPlugin::filterLinkMode(int part) const {
    std::lock_guard<std::mutex> lock(mutex);
    return filterLinkModes.at(size_t(part));
}

std::vector<std::vector<uint8_t>> FakeSenderPlugin::internalInputs() const {
    std::lock_guard<std::mutex> lock(mutex);
    return internalInput;
}

void FakeSenderPlugin::clearBatchAndGlobalFirst() {
    logCall("clear batch and global-first");
    batch = false;
    globalFirst = false;
}

void FakeSenderPlugin::clearPatternToo() {
    logCall("clear pattern-too");
    patternToo = false;
}

void FakeSenderPlugin::setArrangementBusy(bool on) {
    logCall(on ? "busy 1" : "busy 0");
    arrangementBusy = on;
}

void FakeSenderPlugin::setTransferRunning(bool on) {
    logCall(on ? "transfer 1" : "transfer 0");
    transferRunning = on;
}

IControl* FakeSenderPlugin::getSysexControl(int k1, int k2, int k3, int k4, int variant) {
    return controls ? controls->getSysExControlMap().findControl(k1, k2, k3, k4, variant) : nullptr;
}

IControl* FakeSenderPlugin::getCCControls(int channel, int cc, int legacy) {
    return controls ? controls->getCCControls(channel, cc, legacy) : nullptr;
}

bool FakeSenderPlugin::isMIDIFilterBlocked(int passThroughSwitch) {
    std::lock_guard<std::mutex> lock(mutex);
    return blockedFilters.count(passThroughSwitch) != 0;
}

void FakeSenderPlugin::blockMIDIFilter(int passThroughSwitch) {
    std::lock_guard<std::mutex> lock(mutex);
    blockedFilters.insert(passThroughSwitch);
}

void FakeSenderPlugin::sendPatchToDeviceFromLibrarian(int slot, int side, int part) {
    logCall("librarian send " + std::to_string(slot) + " " + std::to_string(side) + " " +
            std::to_string(part));
}

bool FakeSenderPlugin::BankChangeMessage(int part) {
    logCall("bank change " + std::to_string(part));
    if (!bankChangeAccepted) return false;
    lastProgram = int(GetParamValue(kMultiPartPatch + part));
    queue({0xC0, uint8_t(lastProgram & 0x7F)});
    return true;
}

void FakeSenderPlugin::MIDIOutRoutingSwitch(IMidiMsg* msg) {
    std::lock_guard<std::mutex> lock(mutex);
    routedMessages.push_back(*msg);
}

std::vector<IMidiMsg> FakeSenderPlugin::routed() const {
    std::lock_guard<std::mutex> lock(mutex);
    return routedMessages;
}

void FakeSenderPlugin::sendMidiMsgAndLog(IMidiMsg* msg) {
    if (!midiIO) {
        setUpperDisplayText("Set MIDI I/O First!");
        return;
    }
    SendMidiMsg(msg);
}

bool FakeSenderPlugin::SendMidiMsg(IMidiMsg* msg) {
    if (!portOpen) return false;
    queue({msg->status, msg->data1, msg->data2});
    return true;
}

} // namespace testsupport
