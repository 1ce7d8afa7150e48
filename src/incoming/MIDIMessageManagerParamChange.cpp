#include "kit/base/KIT_Mutex.h"
#include "kit/effect/IControl.h"
#include "kit/effect/IParam.h"
#include "kit/effect/ISysEx.h"
#include "kit/winl/winl.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/sender/MultiDumpLayout.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SenderWorker.h"
#include "src/sender/SoundDumpLayout.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/SysExControlContainer.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kParts = 16;
constexpr int kSoundParameter = 0x20;
constexpr int kMultiParameter = 0x21;
constexpr int kGlobalParameter = 0x24;

// A message's index is the position of its value in the matching dump less the dump's seven
// header bytes, so the multi dump's part blocks begin at index 32.
constexpr int kDumpHeaderBytes = 7;
constexpr int kFirstPartIndex = MultiDump::kFirstPartBlock - kDumpHeaderBytes;
using MultiDump::kPartBlockSize;
enum PartOffset {
    kBankOffset = 0,
    kProgramOffset = 1,
    kSettings1Offset = MultiDump::kSettings1Offset,
    kPatternOffset = 11,
    kSettings2Offset = MultiDump::kSettings2Offset,
};

constexpr uint32_t kProgramChangeGateMillis = 1000;
constexpr int kBankChangePauseMillis = 20;
constexpr int kEffectsTab = 5;
constexpr int kEffect1Types = 10;
constexpr int kEffect2Types = 12;
constexpr int kTransposeOffset = 16;
// Index 118 carries the filter link; its value 3 links both filters.
constexpr int kFilterLinkIndex = 118;
constexpr int kFiltersLinked = 3;

// Values that the synthesizer sends with an offset, by parameter (any part).
struct ValueOffset {
    int base;
    int offset;
    int from; // the smallest value that carries it
};
const ValueOffset kValueOffsets[] = {
    {kOscillator1BendRange, 40, 0},           {kOscillator2BendRange, 40, 0},
    {kOscillator3BendRange, 40, 0},           {kMultiPartTranspose, kTransposeOffset, 0},
    {kMultiPartVeloLow, 1, 0},                {kMultiPartVeloHigh, 1, 0},
    {kEffect2Mode, 22, 32},
};

// Sound indices whose value carries two parameters of the part.
enum class PairRule {
    kUnisono, // multiples of 16 up to 80: first v / 16, second 0; else (v - 1) / 16 and 1
    kEnvelope // from 32: v - 32 and 1; else v and 0; the pages are refreshed
};
struct PairIndex {
    int index;
    int first;
    int second;
    PairRule rule;
};
const PairIndex kPairIndices[] = {
    {58, kOscillatorUnisono, kOscillatorMonoPolyMode, PairRule::kUnisono},
    {196, kFilterEnvMode, kFilterEnvTrigger, PairRule::kEnvelope},
    {208, kAmpEnvMode, kAmpEnvTrigger, PairRule::kEnvelope},
    {220, kEnvelope3Mode, kEnv3Trigger, PairRule::kEnvelope},
    {232, kEnvelope4Mode, kEnv4Trigger, PairRule::kEnvelope},
};

// Global indices whose value carries an offset.
struct GlobalOffset {
    int index;
    int offset;
};
const GlobalOffset kGlobalOffsets[] = {{13, 52}, {12, 54}};

// Parameters whose change redraws the effect pages while they are shown.
const int kEffectPageParams[] = {kFX1DelayClocked, kFX2DelayClocked, kEffect1Mode, kEffect2Mode};

// An arpeggiator step's byte holds several of its parameters, whose controls share the
// byte's address: each takes its own part of a received value, as from a dump. False for
// any other byte.
bool setArpeggiatorStep(SenderPlugin* plugin, int offset, int part, int value) {
    for (const SoundDump::Byte& row : SoundDump::layout()) {
        if (row.offset != offset) continue;
        if (row.encoding != SoundDump::Encoding::ArpStep &&
            row.encoding != SoundDump::Encoding::ArpTiming)
            return false;
        SoundDump::Setting settings[3];
        const int count = SoundDump::decode(row, uint8_t(value), settings);
        for (int i = 0; i < count; ++i)
            plugin->SetParameterFromPlug(settings[i].param + part, settings[i].value);
        return true;
    }
    return false;
}

double normalise(double value, double min, double max) {
    return max == min ? 0.0 : (value - min) / (max - min);
}

} // namespace

struct MIDIMessageManager::ParameterMessage {
    bool sound; // 10 bytes: F0 3E 0F dev 20 loc hi lo v F7; else F0 3E 0F dev id hi lo v F7
    int id;     // byte 4
    int loc;    // the part of a sound message
    int byte6;
    int hi;
    int lo;
    int value;
    unsigned char key[4]; // the address as the control map holds it

    int index() const { return hi * 128 + lo; }
};

int MIDIMessageManager::partOf(int paramId, int base) {
    return paramId >= base && paramId < base + kParts ? paramId - base : -1;
}

IControl* MIDIMessageManager::findControl(const ParameterMessage& m, int variant) {
    return plugin->getSysexControl(m.key[0], m.key[1], m.key[2], m.key[3], variant);
}

void MIDIMessageManager::processParameterChangeMessage(const ISysEx& s) {
    const uint8_t* d = s.data;
    ParameterMessage m;
    m.sound = s.size == kSoundParameterSize;
    m.id = d[4];
    m.loc = m.sound ? d[5] : -1;
    m.byte6 = d[6];
    m.hi = d[m.sound ? 6 : 5];
    m.lo = d[m.sound ? 7 : 6];
    m.value = d[m.sound ? 8 : 7];
    // A sound message addresses a part: one beyond the 16 is not handled at all.
    if (m.sound && m.loc >= kParts) return;
    // The map's own rule finds the address (the value is the frame's last byte), so the keys
    // match the controls' whatever the device id of a multi or global message.
    const std::vector<int> frame(d + 1, d + s.size - 1);
    SysExControlContainer::sysexAddress(frame, int(frame.size()), m.key);

    if (m.sound)
        processSoundParameter(m);
    else if (m.id == kGlobalParameter)
        processGlobalParameter(m);
    else if (m.id != kMultiParameter || m.hi > 2)
        getNormalControl(m.key[0], m.key[1], m.key[2], m.key[3], m.value, true);
    else if (!processMultiParameter(m))
        return;
    if (messageUnhandled) processUnhandledParameter(m);
}

void MIDIMessageManager::processSoundParameter(const ParameterMessage& m) {
    if (m.id == kSoundParameter && m.hi == 1 && m.lo < 32) {
        // Effect parameters share their addresses; the part's effect type tells them apart.
        const bool second = m.lo >= 16;
        const int type = TruncToInt(plugin->GetParamValue((second ? kEffect2Mode : kEffect1Mode) + m.loc));
        IControl* control = nullptr;
        if (type >= 0 && type < (second ? kEffect2Types : kEffect1Types)) control = findControl(m, type);
        if (!control) control = findControl(m, 0);
        processSysExToUI(control, m.value, false, true);
        return;
    }
    if (m.id == kGlobalParameter) {
        processGlobalParameter(m);
        return;
    }
    if (m.hi == 2) {
        if (!setArpeggiatorStep(plugin, m.index() + kDumpHeaderBytes, m.loc, m.value))
            messageUnhandled = true;
        return;
    }
    for (const PairIndex& pair : kPairIndices) {
        if (pair.index != m.index()) continue;
        const int v = m.value;
        int first, second;
        if (pair.rule == PairRule::kUnisono) {
            second = v % 16 != 0 || v > 80;
            first = second ? (v - 1) / 16 : v / 16;
        } else {
            second = v >= 32;
            first = second ? v - 32 : v;
        }
        plugin->SetParameterFromPlug(pair.first + m.loc, first);
        plugin->SetParameterFromPlug(pair.second + m.loc, second);
        if (pair.rule == PairRule::kEnvelope) plugin->OnParamChange2(kQuickTab);
        return;
    }
    getNormalControl(m.key[0], m.key[1], m.key[2], m.key[3], m.value, true);
}

bool MIDIMessageManager::processMultiParameter(const ParameterMessage& m) {
    const int v = m.value;
    const int fromFirstPart = m.index() - kFirstPartIndex;
    const int part = fromFirstPart >= 0 ? fromFirstPart / kPartBlockSize : kParts;
    const int offset = fromFirstPart % kPartBlockSize;
    if (part < kParts) {
        switch (offset) {
        case kBankOffset:
        case kProgramOffset:
            messageUnhandled = false;
            if (offset == kProgramOffset) {
                plugin->SetParameterFromPlug(kMultiPartPatch + part, v);
                plugin->setStoredProgram(part, v);
                selectLibrarianSlot(v, false);
            } else {
                plugin->SetParameterFromPlug(kMultiPartBank + part, v);
                plugin->setStoredBank(part, v);
            }
            if (plugin->isLibrarianControl() && !plugin->isSequenceMode()) {
                // A bank number names no librarian entry.
                if (offset == kProgramOffset) sendLibrarianEntry(v, part);
            } else if (plugin->isProgramBankMode()) {
                postEditorRequest(SenderJob::kSendPartRequestSysex, part, true);
            }
            break;
        case kPatternOffset:
            getNormalControl(m.key[0], m.key[1], m.key[2], m.key[3], v, true);
            if (v == 0) return false;
            messageUnhandled = false;
            if (plugin->isLibrarianControl() && plugin->isSequenceMode())
                sendLibrarianEntry(v - 1, part);
            else
                postEditorRequest(SenderJob::kSendSequenceRequestSysex, part, false);
            break;
        case kSettings1Offset:
            messageUnhandled = false;
            processMultiSettings1Values(v, part);
            break;
        case kSettings2Offset:
            messageUnhandled = false;
            processMultiSettings2Values(v, part);
            break;
        default:
            break;
        }
    }
    getNormalControl(m.key[0], m.key[1], m.key[2], m.key[3], v, true);
    return true;
}

void MIDIMessageManager::processGlobalParameter(const ParameterMessage& m) {
    const auto offset = std::find_if(std::begin(kGlobalOffsets), std::end(kGlobalOffsets),
                                     [&](const GlobalOffset& g) { return g.index == m.byte6; });
    if (offset == std::end(kGlobalOffsets)) {
        messageUnhandled = true;
        return;
    }
    getNormalControl(m.key[0], m.key[1], m.key[2], m.key[3], m.value - offset->offset, true);
}

void MIDIMessageManager::processUnhandledParameter(const ParameterMessage& m) {
    IControl* control = findControl(m, 0);
    if (m.sound && m.id == kSoundParameter && m.index() == kFilterLinkIndex &&
        m.value <= kFiltersLinked) {
        plugin->setFilterLinkMode(m.loc, m.value);
        plugin->SetParameterFromPlug(kFilterLinkValue + m.loc, m.value);
        plugin->SetParameterFromPlug(kFilterLinkSwitch + m.loc, m.value == kFiltersLinked ? 1.0 : 0.0);
    }
    if (!control) return;
    endDumpWait();
    const int p = control->ParamIdx();
    const int value = partOf(p, kMultiPartTranspose) >= 0 ? m.value - kTransposeOffset : m.value;
    const double normalised = normalise(value, plugin->GetParamMin(p), plugin->GetParamMax(p));
    plugin->BeginInformHostOfParamChange(p);
    applyFromDevice(false, false, [&] { control->SetValueFromHardware(normalised); });
    plugin->EndInformHostOfParamChange(p);
}

void MIDIMessageManager::getNormalControl(int k1, int k2, int k3, int k4, int value, bool raise) {
    if (IControl* control = plugin->getSysexControl(k1, k2, k3, k4, 0))
        processSysExToUI(control, value, false, raise);
    else
        messageUnhandled = true;
}

void MIDIMessageManager::processSysExToUI(IControl* control, int value, bool refresh, bool raise) {
    if (!control) return;
    endDumpWait();
    const int p = control->ParamIdx();
    for (const ValueOffset& o : kValueOffsets)
        if (partOf(p, o.base) >= 0 && value >= o.from) value -= o.offset;
    const double normalised = normalise(value, plugin->GetParamMin(p), plugin->GetParamMax(p));
    for (int base : kEffectPageParams)
        if (partOf(p, base) >= 0 && TruncToInt(plugin->GetParamValue(kMainTab)) == kEffectsTab)
            refresh = true;

    bool bankOrProgram = false;
    if (p == kGlobalLocalControl) {
        plugin->setLocalControl(value != 0);
    } else {
        if (partOf(p, kMultiPartBank) >= 0 || partOf(p, kMultiPartPatch) >= 0) {
            // A program change acted on within the last second has chosen the sound already.
            if (GetTickCount() - lastProgramChangeTick > kProgramChangeGateMillis) {
                plugin->SetParameterFromPlug(p, value);
                bankOrProgram = true;
            }
        }
        if (partOf(p, kEffect1Mode) >= 0) refresh = true;
        if (partOf(p, kEffect2Mode) >= 0) {
            applyFromDevice(true, false, [&] { control->SetValueFromHardware(normalised); });
            refresh = true;
        }
    }
    applyFromDevice(raise, refresh, [&] { control->SetValueFromHardware(normalised); });
    if (bankOrProgram) changeBankOrProgram(p, value);
}

void MIDIMessageManager::changeBankOrProgram(int paramId, int value) {
    const bool bank = partOf(paramId, kMultiPartBank) >= 0;
    const int part = paramId - (bank ? kMultiPartBank : kMultiPartPatch);
    if (plugin->GetParamValue(kPartLock + part) == 1.0) return;
    if (plugin->isLibrarianControl()) {
        int bankNumber = value, program = value;
        if (bank) {
            plugin->setStoredBank(part, value);
            program = plugin->getStoredProgram(part);
        } else {
            bankNumber = plugin->getStoredBank(part);
        }
        plugin->setSelectedPart(part);
        selectLibrarianSlot(program, true);
        plugin->SetParameterFromPlug(kMultiPartBank + part, bankNumber);
        plugin->SetParameterFromPlug(kMultiPartPatch + part, std::min(program, kHighestProgram));
        if (program >= 0 && program < kLibrarianSlots && librarian)
            sendLibrarianEntry(plugin->getLibrarianViewSide() == 0 ? librarian->upperSlotIndex
                                                                    : librarian->lowerSlotIndex,
                               part);
        refreshRequested = true;
        return;
    }
    if (plugin->GetParamValue(kPartProgramChange + part) != 0.0 || !plugin->isProgramBankMode())
        return;
    int program = value;
    if (bank) {
        program = plugin->getStoredProgram(part);
        plugin->SetParameterFromPlug(kMultiPartBank + part, value);
    }
    plugin->AllSoundsOff(part, false);
    Sleep(kBankChangePauseMillis);
    if (plugin->BankChangeMessage(part) && plugin->isProgramBankMode())
        postEditorRequest(SenderJob::kSendPartRequestSysex, part, false);
    selectLibrarianSlot(program, true);
    dumpAwaited = true;
    refreshRequested = true;
}

void MIDIMessageManager::applyFromDevice(bool raise, bool refresh,
                                         const std::function<void()>& apply) {
    KIT_MutexLock lock(plugin->plugLock());
    settingFromDevice = raise;
    apply();
    if (refresh) plugin->OnParamChange2(kQuickTab);
    settingFromDevice = false;
}

bool MIDIMessageManager::postEditorRequest(int command, int part, bool armEditor) {
    const bool wasAwaited = dumpAwaited;
    bool written = false;
    const bool posted = workers[kJobThread]->post(command, [&](SenderJob& job) {
        if (armEditor) plugin->SetLibrarianRequestActive(false);
        if (command == SenderJob::kSendSequenceRequestSysex) plugin->setAwaitedDumpPart(part);
        dumpAwaited = true;
        editorRequestPosted = true;
        job.part = part;
        job.toEditor = true;
        written = true;
    });
    // A start that the thread library refused leaves the wait as it was.
    if (written && !posted) dumpAwaited = wasAwaited;
    return posted;
}

void MIDIMessageManager::endDumpWait() {
    // The parameter message that posted the request, and its refresh, would end the wait the
    // job armed, and the synthesizer's answer would be ignored.
    if (!editorRequestPosted || !workers[kJobThread]->isRunning()) dumpAwaited = false;
}

void MIDIMessageManager::selectLibrarianSlot(int program, bool upperToo) {
    if (program < 0 || program >= kLibrarianSlots) return;
    plugin->setLibrarianViewCurrentSlot(program);
    if (!upperToo) return;
    plugin->setLibrarianViewUpperSlot(program);
    if (librarian) librarian->upperSlotIndex = program;
}

void MIDIMessageManager::sendLibrarianEntry(int slot, int part) {
    if (slot >= 0 && slot < kLibrarianSlots)
        plugin->sendPatchToDeviceFromLibrarian(slot, plugin->getLibrarianViewSide(), part);
}

int MIDIMessageManager::partOnChannel(int channel) {
    for (int part = 0; part < kParts; ++part)
        if (TruncToInt(plugin->GetParamValue(kMultiPartMIDICh + part)) - 2 == channel) return part;
    return -1;
}
