#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ImageTable.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigManager.h"

#include <algorithm>

namespace {

// Knobs of an effect's own parameters share their SysEx address with the other effects' and
// are told apart by the effect type. Each name stands for its 16 ids; the second slot's twin
// of a first-slot name lies kFX2ChorusSpeed - kFX1ChorusSpeed further on.
struct EffectParams {
    int effectType;
    bool bothSlots; // false: second-slot names
    std::vector<int> firstIds;
};

// clang-format off
const EffectParams kEffectParams[] = {
    {1, true, {kFX1ChorusSpeed, kFX1ChorusDepth, kFX1ChorusDelay}},
    {2, true, {kFX1FlangerSpeed, kFX1FlangerDepht, kFX1FlangerFeedBack, kFX1FlangerPolarity}},
    {3, true, {kFX1PhaserSpeed, kFX1PhaserDepth, kFX1PhaserCenter, kFX1PhaserSpacing,
               kFX1PhaserFeedback, kFX1PhaserPolarity}},
    {4, true, {kFX1DelayClocked, kFX1DelayLength, kFX1DelayLengthClocked, kFX1DelayTempo,
               kFX1DelayFeedback, kFX1DelayPolarity, kFX1DelayCutoff, kFX1DelayAutoPan}},
    {5, true, {kFX1OverdriveDrive, kFX1OverdrivePostGain, kFX1OverdriveCutoff}},
    {6, true, {kFX1FiveFXSampleHold, kFX1FiveFXOverdrive, kFX1FiveFXRingMod, kFX1FiveFXChorusDelay,
               kFX1FiveFXSpeed, kFX1FiveFXDepth, kFX1FiveFXDelay}},
    {7, true, {kFX1VocoderBands, kFX1VocoderAnalysisLoFrq, kFX1VocoderAnalysisHiFrq,
               kFX1VocoderAnalysisSOffset, kFX1VocoderAnalysisHiOffset, kFX1VocoderBandwidth,
               kFX1VocoderResonance, kFX1VocoderAttack, kFX1VocoderDecay,
               kFX1VocoderEQLowBandLevel, kFX1VocoderEQMiddleFreq, kFX1VocoderEQMiddleLevel,
               kFX1VocoderEQHighBandLevel}},
    {8, true, {kFX1ReverbHighPass, kFX1ReverbLowppass, kFX1ReverbPredelay, kFX1ReverbDiffusion,
               kFX1ReverbSize, kFX1ReverbShape, kFX1ReverbDecay, kFX1ReverbDamping}},
    {9, true, {kFX1TapDelayDelay, kFX1TapDelayFeedback, kFX1TapDelaySwingFactor}},
    {10, false, {kFX251DelayDelay, kFX251DelayFeedback, kFX251DelayLFELP, kFX251DelayInputHP,
                 kFX251DelayFSLV, kFX251DelayDelayML, kFX251DelayFSRV, kFX251DelayDelayMR,
                 kFX251DelayCntrSV, kFX251DelayDelayS2L, kFX251DelayRearSLV, kFX251DelayS1L,
                 kFX251DelayRearSRV, kFX251DelayS1R}},
    {11, false, {kFX251DelayClockedDelay, kFX251DelayClockedFeedback, kFX251DelayClockedLFELP,
                 kFX251DelayClockedInputHP, kFX251DelayClockedFSLV, kFX251DelayClockedDelayML,
                 kFX251DelayClockedFSRV, kFX251DelayClockedDelayMR, kFX251DelayClockedCntrSV,
                 kFX251DelayClockedDelayS2L, kFX251DelayClockedRearSLV,
                 kFX251DelayClockedDelayS1L, kFX251DelayClockedRearSRV,
                 kFX251DelayClockedDelayS1R}},
};
// clang-format on

constexpr int kSecondSlotOffset = kFX2ChorusSpeed - kFX1ChorusSpeed;
static_assert(kFX2FiveFXSource - kFX1FiveFXSource == kSecondSlotOffset &&
                  kFX2TapDelaySwingFactor - kFX1TapDelaySwingFactor == kSecondSlotOffset,
              "the second effect slot's names follow the first slot's");

bool inRun(int paramId, int firstId) {
    return paramId >= firstId && paramId < firstId + 16;
}

// Caption colours of SysEx menus by colour scheme. Scheme 0, and any unknown one, draws the
// highlight instead of black for a menu whose layout asks for it.
const IColor kSysExMenuColours[kColourSchemeCount] = {
    COLOR_BLACK, IColor(255, 200, 200, 200), COLOR_WHITE, COLOR_WHITE, IColor(255, 200, 200, 200)};
const IColor kSysExMenuHighlight(255, 241, 243, 33);

long long valueCount(double min, double max) {
    return (long long)TruncToInt(max) - TruncToInt(min) + 1;
}

} // namespace

int UIConfigManager::effectVariant(int paramId) {
    for (const EffectParams& effect : kEffectParams)
        for (int firstId : effect.firstIds)
            if (inRun(paramId, firstId) ||
                (effect.bothSlots && inRun(paramId, firstId + kSecondSlotOffset)))
                return effect.effectType;
    return 0;
}

void UIConfigManager::calculateSysexWithChangingByte(const std::string& templ, int changingByte,
                                                     int count, ControlActionSysExMessage* out,
                                                     int start, int part) {
    const std::vector<int> ints = convertStringSysextoVector(templ);
    out->messages = SysExMessageList(std::vector<unsigned char>(ints.begin(), ints.end()),
                                     changingByte - 1, count, start, part, start == -1);
}

bool UIConfigManager::buildSysExMessages(const std::string& name, int sysexIndex, int changingByte,
                                         long long count, int start, int part,
                                         ControlActionSysExMessage& out,
                                         unsigned char address[4]) const {
    const std::vector<Values>* entry =
        sysexIndex >= 0 && size_t(sysexIndex) < sysExContainers.size()
            ? &sysExContainers[size_t(sysexIndex)].values
            : nullptr;
    if (!entry || entry->empty() || (*entry)[0].items.empty()) {
        log("CONFIG READER: control ", name, ": SysEx entry ", std::to_string(sysexIndex),
            " MISSING!");
        return false;
    }
    if (count < 1 || count > kMaxControlValues) {
        log("CONFIG READER: control ", name, " has ", std::to_string(count), " values!");
        return false;
    }
    out.messages = SysExMessageList(sysExTemplates[size_t(sysexIndex)], changingByte - 1,
                                    int(count), start, part, start == -1);
    if (changingByte < 1 || changingByte > out.messages.messageLength() ||
        !SysExControlContainer::sysexAddress(out.messages.message(0), changingByte, address)) {
        log("CONFIG READER: control ", name, ": SysEx template \"", (*entry)[0].items[0],
            "\" too short for changing byte ", std::to_string(changingByte), "!");
        return false;
    }
    return true;
}

void UIConfigManager::registerSysEx(ControlAction* action, ControlActionSysExMessage& messages,
                                    const unsigned char* address, int fxVariant) {
    action->sysexMessage = std::move(messages);
    sysExControlMap.addToControlMap(address, static_cast<unsigned char>(fxVariant),
                                    action->controls.back());
}

void UIConfigManager::createSysExKnobControl(const std::string& name, int paramId, int x, int y,
                                             std::string_view image, double defaultValue,
                                             double min, double max, int sysexIndex,
                                             int changingByte, int part, LinkInfo link,
                                             ControlLayer* layer, std::string_view group) {
    ControlActionSysExMessage messages;
    unsigned char address[4];
    if (!buildSysExMessages(name, sysexIndex, changingByte, valueCount(min, max), TruncToInt(min),
                            part, messages, address))
        return;
    ControlAction* action = addControl(name, paramId, kActionSysEx, &link, part, [&](IParam* p) {
        return makeKnob(p, paramId, hostName(name, part), x, y, image, defaultValue, min, max, 1.0,
                        part, layer, group);
    });
    if (action) registerSysEx(action, messages, address, effectVariant(paramId));
}

void UIConfigManager::createSysExSliderControl(const std::string& name, int paramId, int x, int y,
                                               int length, std::string_view image,
                                               double defaultValue, double min, double max,
                                               int valueOffset, int sysexIndex, int changingByte,
                                               int part, LinkInfo link, ControlLayer* layer,
                                               std::string_view group, EDirection direction) {
    ControlActionSysExMessage messages;
    unsigned char address[4];
    // Cut to an int: only the low 7 bits of the start reach a message.
    const int start = int((long long)TruncToInt(min) + valueOffset);
    if (!buildSysExMessages(name, sysexIndex, changingByte, valueCount(min, max), start, part,
                            messages, address))
        return;
    ControlAction* action = addControl(name, paramId, kActionSysEx, &link, part, [&](IParam* p) {
        return makeFader(p, paramId, hostName(name, part), x, y, length, image, defaultValue, min,
                         max, part, layer, group, direction);
    });
    // Faders outside the parts share their addresses with controls inside them.
    if (action) registerSysEx(action, messages, address, part == -1 ? 1 : 0);
}

void UIConfigManager::createSysExBoolControl(const std::string& name, int paramId, int x, int y,
                                             std::string_view image, double defaultValue,
                                             int sysexIndex, int changingByte, int part,
                                             LinkInfo link, ControlLayer* layer,
                                             std::string_view group) {
    ControlActionSysExMessage messages;
    unsigned char address[4];
    if (!buildSysExMessages(name, sysexIndex, changingByte, 2, 0, part, messages, address)) return;
    ControlAction* action =
        addControl(name, paramId, kActionSysExSwitch, &link, part, [&](IParam* p) {
            return makeSwitch(p, paramId, hostName(name, part), x, y, image, defaultValue, part,
                              layer, group);
        });
    if (action) registerSysEx(action, messages, address, 0);
}

IColor UIConfigManager::sysExMenuColour(int colourFlag) const {
    if ((style < 1 || style >= kColourSchemeCount) && colourFlag == 1) return kSysExMenuHighlight;
    return schemeColour(kSysExMenuColours, style);
}

void UIConfigManager::createMultiSelectionSysExControl(
    const std::string& name, int paramId, int x, int y, int width, int height, int defaultValue,
    int min, int max, int firstDisplay, int secondDisplay, const std::vector<std::string>& values,
    int colourFlag, int sysexIndex, int changingByte, int part, ControlLayer* layer,
    std::string_view group, bool white) {
    ControlActionSysExMessage messages;
    unsigned char address[4];
    if (!buildSysExMessages(name, sysexIndex, changingByte, (long long)max - min + 1, min, part,
                            messages, address))
        return;
    const IColor colour = white ? COLOR_WHITE : sysExMenuColour(colourFlag);
    ControlAction* action = addControl(name, paramId, kActionSysEx, nullptr, part, [&](IParam* p) {
        return makeMenu(p, paramId, hostName(name, part), x, y, width, height, scaled(height),
                        defaultValue, min, max, firstDisplay, secondDisplay, values, part, layer,
                        group, colour);
    });
    if (action) registerSysEx(action, messages, address, 0);
}
