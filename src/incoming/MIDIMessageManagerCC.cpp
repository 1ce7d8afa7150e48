#include "kit/effect/IControl.h"
#include "kit/effect/IMidiMsg.h"
#include "kit/effect/IParam.h"
#include "kit/winl/winl.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/SenderPlugin.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kParts = 16;
constexpr int kQPlus = 1;

// The filtered message types and the pass-through switches of both sides.
struct MIDIFilter {
    int type; // status >> 4
    int fromSynthesizer;
    int fromHost;
};
const MIDIFilter kMIDIFilters[] = {
    {IMidiMsg::kNoteOff, kMIDIFilterHWNotePassThrough, kMIDIFilterDAWNotePassThrough},
    {IMidiMsg::kNoteOn, kMIDIFilterHWNotePassThrough, kMIDIFilterDAWNotePassThrough},
    {IMidiMsg::kPolyAftertouch, kMIDIFilterHWPAPassThrough, kMIDIFilterDAWPAPassThrough},
    {IMidiMsg::kControlChange, kMIDIFilterHWCCPassThrough, kMIDIFilterDAWCCPassThrough},
    {IMidiMsg::kProgramChange, kMIDIFilterHWPCPassThrough, kMIDIFilterDAWPCPassThrough},
    {IMidiMsg::kChannelAftertouch, kMIDIFilterHWCAPassThrough, kMIDIFilterDAWCAPassThrough},
    {IMidiMsg::kPitchWheel, kMIDIFilterHWPPPassThrough, kMIDIFilterDAWPPPassThrough},
};

const MIDIFilter* filterOf(const IMidiMsg& msg) {
    for (const MIDIFilter& filter : kMIDIFilters)
        if (filter.type == msg.status >> 4) return &filter;
    return nullptr;
}

// A data byte from 0x80 is a status byte: such a message is no MIDI and must not go out.
bool wellFormed(const IMidiMsg& msg) {
    const int type = msg.status >> 4;
    if (!filterOf(msg)) return true;
    const bool oneDataByte = type == IMidiMsg::kProgramChange || type == IMidiMsg::kChannelAftertouch;
    return msg.data1 < 0x80 && (oneDataByte || msg.data2 < 0x80);
}

// CC 32 values that complete a bank select (swallowed after CC 0 = 0).
bool completesBankSelect(int value) {
    return value >= 64 && value <= 96;
}

// The banks that an unbound CC 32 selects.
struct BankSelect {
    int value;
    int bank;
};
const BankSelect kBankSelects[] = {{64, 0}, {65, 1}, {66, 2}, {72, 3}};

// How a control change's value becomes its control's normalised value.
enum class CCRule {
    kOctave,   // ((v - 16) / 12 truncated) / 8
    kSemitone, // (v - 52) / 24
    kRange,    // v / (max - min)
};
struct CCValueRule {
    int cc;
    CCRule rule;
    bool refresh;
};
const CCValueRule kCCValueRules[] = {
    {27, CCRule::kOctave, false},   {35, CCRule::kOctave, false},   {42, CCRule::kOctave, false},
    {28, CCRule::kSemitone, false}, {36, CCRule::kSemitone, false}, {43, CCRule::kSemitone, false},
    {31, CCRule::kRange, true},     {39, CCRule::kRange, true},     {46, CCRule::kRange, true},
    {68, CCRule::kRange, true},     {79, CCRule::kRange, true},
};

} // namespace

void MIDIMessageManager::ProcessMidiMsgFromDevice(IMidiMsg* msg) {
    fromHost = false;
    const MIDIFilter* filter = filterOf(*msg);
    if (!wellFormed(*msg) || (filter && plugin->isMIDIFilterBlocked(filter->fromSynthesizer)))
        return;
    const int type = msg->status >> 4;
    const int channel = msg->Channel();
    if (type == IMidiMsg::kControlChange) {
        if (msg->data1 == IMidiMsg::kBankSelectLSB && completesBankSelect(msg->data2) &&
            bankSelectSeen.exchange(false))
            return;
        if (msg->data1 == IMidiMsg::kBankSelectMSB && msg->data2 == 0) {
            bankSelectSeen = true;
            return;
        }
        getLegacyCCparam(msg->data1, channel + 1, msg->data2, false, true);
    } else if (type == IMidiMsg::kProgramChange) {
        const int part = partOnChannel(channel);
        if (part >= 0) plugin->setStoredProgram(part, msg->data1);
        MakeProgramChangeMessages(std::max(part, 0), msg);
    }
    lightIndicatorOfChannel(channel);
    if (filter && !plugin->isLocalControl()) plugin->MIDIOutRoutingSwitch(msg);
}

void MIDIMessageManager::ProcessMidiMsgFromDAW(IMidiMsg* msg, int part) {
    if (!plugin->isMIDIIOSet()) return;
    fromHost = true;
    const MIDIFilter* filter = filterOf(*msg);
    if (!wellFormed(*msg) || (filter && plugin->isMIDIFilterBlocked(filter->fromHost))) return;
    const int type = msg->status >> 4;
    const int channel = msg->Channel();
    if (type == IMidiMsg::kControlChange) {
        if ((msg->data1 == IMidiMsg::kBankSelectLSB && completesBankSelect(msg->data2)) ||
            (msg->data1 == IMidiMsg::kBankSelectMSB && msg->data2 == 0))
            return;
        getLegacyCCparam(msg->data1, channel + 1, msg->data2, false, false);
    } else if (type == IMidiMsg::kProgramChange) {
        MakeProgramChangeMessages(part, msg);
    }
    lightIndicatorOfChannel(channel);
    if (filter) plugin->MIDIOutRoutingSwitch(msg);
}

void MIDIMessageManager::getLegacyCCparam(int cc, int channel, int value, bool refresh,
                                          bool raise) {
    IControl* control = plugin->getModel() == kQPlus ? plugin->getCCControls(channel, cc, 1) : nullptr;
    if (!control) control = plugin->getCCControls(channel, cc, 0);
    if (!control) {
        const int part = channel - 1;
        const auto select = std::find_if(std::begin(kBankSelects), std::end(kBankSelects),
                                         [&](const BankSelect& b) { return b.value == value; });
        if (cc != IMidiMsg::kBankSelectLSB || select == std::end(kBankSelects) || part < 0 ||
            part >= kParts)
            return;
        plugin->setStoredBank(part, select->bank);
        plugin->SetParameterFromPlug(kMultiPartBank + part, select->bank);
        plugin->SetParameterFromPlug(kCurrentBank + part, select->bank);
        return;
    }

    const int p = control->ParamIdx();
    const auto rule = std::find_if(std::begin(kCCValueRules), std::end(kCCValueRules),
                                   [&](const CCValueRule& r) { return r.cc == cc; });
    double normalised;
    if (rule != std::end(kCCValueRules) && rule->rule == CCRule::kOctave) {
        normalised = ((value - 16) / 12) / 8.0;
    } else if (rule != std::end(kCCValueRules) && rule->rule == CCRule::kSemitone) {
        normalised = (value - 52) / 24.0;
    } else {
        const double range = plugin->GetParamMax(p) - plugin->GetParamMin(p);
        normalised = range == 0.0 ? 0.0 : value / range;
    }
    if (rule != std::end(kCCValueRules) && rule->refresh) refresh = true;

    // From the synthesizer the CC of a routing pair switches both of its parameters.
    const int routingPart = raise ? partOf(p, kFilterRoutingSwitchB) : -1;
    applyFromDevice(raise, refresh, [&] {
        if (routingPart < 0) {
            control->SetValueFromHardware(normalised);
            return;
        }
        plugin->SetParameterFromPlug(kFilterRoutingSwitchA + routingPart, value != 0 ? 1.0 : 0.0);
        plugin->SetParameterFromPlug(kFilterRoutingSwitchB + routingPart, value != 0 ? 0.0 : 1.0);
        plugin->OnParamChange(kFilterRoutingSwitchA + routingPart);
    });
}

void MIDIMessageManager::MakeProgramChangeMessages(int part, IMidiMsg* msg) {
    if (part < 0 || part >= kParts || plugin->GetParamValue(kPartLock + part) == 1.0) return;
    lastProgramChangeTick = GetTickCount();
    const int program = msg->data1;
    if (plugin->isLibrarianControl()) {
        // Only programs 0..99 name a librarian entry.
        if (program >= kLibrarianSlots) return;
        selectLibrarianSlot(program, true);
        // A running job keeps its destination: the audition waits for an idle worker anyway.
        if (!isRunning(kJobThread)) plugin->SetLibrarianRequestActive(false);
        sendLibrarianEntry(program, part);
        return;
    }
    if (plugin->GetParamValue(kPartProgramChange + part) != 0.0) return;
    const int capped = std::min(program, kHighestProgram);
    plugin->AllSoundsOff(part, false);
    plugin->SetParameterFromPlug(kMultiPartPatch + part, capped);
    if (plugin->BankChangeMessage(part) && plugin->isProgramBankMode())
        postEditorRequest(SenderJob::kSendPartRequestSysex, part, true);
    selectLibrarianSlot(capped, true);
}

void MIDIMessageManager::lightIndicatorOfChannel(int channel) {
    if (plugin->GetParamValue(kMIDIFilterTrackIncomingMIDI) == 0.0) return;
    const int part = partOnChannel(channel);
    if (part >= 0) plugin->lightPartIndicator(part);
}
