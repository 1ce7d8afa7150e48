// An edit becomes the Control Change or single-parameter SysEx that the synthesizer follows.

#include "src/core/Zoz.h"

#include "kit/effect/IControl.h"
#include "kit/effect/IMidiMsg.h"
#include "platform/Clock.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

// Choosing the output, the device id or the model needs no output to be chosen already.
constexpr int kQuietWithoutOutput[] = {kDeviceOutSelection, kDeviceInSelection, kGlobalSysExID,
                                       kQModel};

// The synthesizer keeps some parameters of a part together in one byte: a change of any of
// them sends the byte made from all, each value times its factor.
struct PackedTerm {
    int first; // the parameter of part 0; factor 0 ends the terms
    int factor;
};
struct PackedByte {
    int kind; // a parameter is packed only when its action is of this kind
    int changed;
    std::array<PackedTerm, 3> terms;
};

constexpr std::array<PackedTerm, 3> kUnisonoMono = {
    {{kOscillatorUnisono, 16}, {kOscillatorMonoPolyMode, 1}}};
constexpr std::array<PackedTerm, 3> kFilterEnv = {
    {{kFilterEnvTrigger, 32}, {kFilterEnvMode, 1}}};
constexpr std::array<PackedTerm, 3> kAmpEnv = {{{kAmpEnvTrigger, 32}, {kAmpEnvMode, 1}}};
constexpr std::array<PackedTerm, 3> kEnv3 = {{{kEnv3Trigger, 32}, {kEnvelope3Mode, 1}}};
constexpr std::array<PackedTerm, 3> kEnv4 = {{{kEnv4Trigger, 32}, {kEnvelope4Mode, 1}}};
// Of the first arpeggiator step; the others follow at kArpStepSpan.
constexpr std::array<PackedTerm, 3> kArpStep = {
    {{kArpPattern01Step, 16}, {kArpPattern01Glide, 8}, {kArpPattern01Accent, 1}}};
constexpr std::array<PackedTerm, 3> kArpTiming = {
    {{kArpPattern01StepLen, 16}, {kArpPattern01Timing, 1}}};

constexpr PackedByte kPackedBytes[] = {
    {kActionSysExSwitch, kOscillatorMonoPolyMode, kUnisonoMono},
    {kActionSysEx, kOscillatorUnisono, kUnisonoMono},
    {kActionSysExSwitch, kFilterEnvTrigger, kFilterEnv},
    {kActionSysEx, kFilterEnvMode, kFilterEnv},
    {kActionSysExSwitch, kAmpEnvTrigger, kAmpEnv},
    {kActionSysEx, kAmpEnvMode, kAmpEnv},
    {kActionSysExSwitch, kEnv3Trigger, kEnv3},
    {kActionSysEx, kEnvelope3Mode, kEnv3},
    {kActionSysExSwitch, kEnv4Trigger, kEnv4},
    {kActionSysEx, kEnvelope4Mode, kEnv4},
    {kActionSysExSwitch, kArpPattern01Glide, kArpStep},
    {kActionSysEx, kArpPattern01Accent, kArpStep},
    {kActionSysEx, kArpPattern01Step, kArpStep},
    {kActionSysEx, kArpPattern01Timing, kArpTiming},
    {kActionSysEx, kArpPattern01StepLen, kArpTiming},
};

// Each arpeggiator step is five runs of 16 parameters: glide, accent, step, timing, length.
constexpr int kArpSteps = 16;
constexpr int kArpStepSpan = kArpPattern02Glide - kArpPattern01Glide;

// Effect 2's modes from the first 5.1 delay on travel as the mode plus 22, as the dump holds
// them.
constexpr int kEffect2ModeOffsetFrom = 10;
constexpr int kEffect2ModeOffset = 22;

// In the single-parameter messages as held (without F0): the device id and a sound
// parameter's value.
constexpr size_t kDeviceIdByte = 2;
constexpr size_t kValueByte = 7;

} // namespace

void Zoz::processControlAction(ControlAction* action, int idx, double value) {
    IParam* param = GetParam(idx);
    if (!action || !param) return;
    if (!midiIOSet) {
        if (std::find(std::begin(kQuietWithoutOutput), std::end(kQuietWithoutOutput), idx) ==
            std::end(kQuietWithoutOutput))
            setUpperDisplayText("Set MIDI I/O First!");
        return;
    }
    const int iv = TruncToInt(value);
    action->lastSentValue = iv;
    for (IControl* control : action->controls) {
        if (linkApply) param->Set(value);
        control->SetValueFromPlug(param->GetNormalized());
    }
    messageManager->SetFX1ParameterChangesToDefaultParameters(idx, iv);
    messageManager->SetFX2ParameterChangesToDefaultParameters(idx, iv);
    switch (action->actionType) {
    case kActionCC:
    case kActionCCSwitch:
        sendControlChange(*action, value);
        break;
    case kActionSysExSwitch:
    case kActionSysEx:
        sendSysExAction(*action, idx, iv);
        break;
    default:
        break;
    }
}

bool Zoz::isEcho() {
    return messageManager->settingFromDevice && localControl && !messageManager->fromHost;
}

// Octave and semitone parameters hold the byte the synthesizer takes, so every value goes as
// it is.
void Zoz::sendControlChange(const ControlAction& action, double value) {
    const int ccValue = action.actionType == kActionCCSwitch
                            ? (value != 0.0 ? action.maxValue : action.minValue)
                            : TruncToInt(value);
    const int channel = partChannel(action.partIndex);
    IMidiMsg msg;
    const bool made = channel >= 0 && msg.MakeControlChangeMsg(
                                          IMidiMsg::EControlChangeMsg(action.ccNumber),
                                          ccValue / 127.0, channel);
    showText(kControlDisplayCC, "CC|" + std::to_string(action.ccNumber));
    if (!made || reducedChangeRunning || isEcho()) return;
    MIDIOutRoutingSwitch(&msg);
}

void Zoz::sendSysExAction(const ControlAction& action, int idx, int iv) {
    // Message k carries the parameter's k-th value from its minimum on.
    const int index = iv - TruncToInt(GetParamMin(idx));
    const ControlActionSysExMessage& sysex = action.sysexMessage;
    const bool single = action.actionType == kActionSysExSwitch || !sysex.multiMessage;
    if (!single) {
        if (index < 0 || size_t(index) >= sysex.messageSets.size()) return;
        for (const std::vector<int>& message : sysex.messageSets[size_t(index)])
            sendParameterMessage(message);
        return;
    }
    std::vector<int> message = sysex.messages.message(index);
    if (message.empty()) return;

    const bool sysexKind = action.actionType == kActionSysEx;
    int byte = packedByte(action.actionType, idx);
    if (sysexKind && idx >= kEffect2Mode && idx < kEffect2Mode + 16 && iv >= kEffect2ModeOffsetFrom)
        byte = (iv + kEffect2ModeOffset) & 0x7F;
    if (byte >= 0 && message.size() > kValueByte) message[kValueByte] = byte;

    if (sysexKind && idx == kMultiTempo) {
        // The block loop starts the clock again at the new tempo.
        messageManager->getSender()->resetContinuousClock(true);
        clockStarted = false;
    }
    sendParameterMessage(std::move(message));
    if (sysexKind && idx >= kPartPattern && idx < kPartPattern + 16) {
        platform::SleepMillis(100);
        messageManager->postEditorRequest(SenderJob::kSendSequenceRequestSysex,
                                          idx - kPartPattern, true);
    }
}

int Zoz::packedByte(int kind, int idx) {
    const int stepOffset =
        idx >= kArpPattern01Glide && idx < kArpPattern01Glide + kArpSteps * kArpStepSpan
            ? (idx - kArpPattern01Glide) / kArpStepSpan * kArpStepSpan
            : 0;
    for (const PackedByte& packed : kPackedBytes) {
        const int part = idx - stepOffset - packed.changed;
        if (packed.kind != kind || part < 0 || part > 15) continue;
        int byte = 0;
        for (const PackedTerm& term : packed.terms)
            if (term.factor)
                byte += TruncToInt(GetParamValue(term.first + stepOffset + part)) * term.factor;
        return byte & 0x7F;
    }
    return -1;
}

void Zoz::sendParameterMessage(std::vector<int> message) {
    const int id = deviceId;
    if (id >= 0 && message.size() > kDeviceIdByte) message[kDeviceIdByte] = id & 0x7F;
    showText(kControlDisplayCC, "SysEx");
    if (reducedChangeRunning || isEcho()) return;
    // Parameter changes go out also during a transfer after an All Notes Off.
    messageManager->sendSysexMessage(std::move(message));
}
