#include "src/params/TriggerButtonRules.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IEffectBase.h"
#include "src/params/PageZones.h"
#include "src/params/ParamChangePlugin.h"
#include "src/params/TabSwitchFunctions.h"
#include "src/uiconfig/ParameterIds.h"

#include <cstdint>

namespace {

// What a trigger does around the toggle of its setting.
enum class Extra {
    kNone,
    kEffect1Clocking, // before: the delay's clocking view of effect 1
    kEffect2Clocking, // before: the same for effect 2; after: the effects page
    kQuickTab,        // after: the quick tab, whose LFO zones follow the clock
};

struct Trigger {
    int trigger; // + part
    int toggled; // + part
    Extra extra;
};

// In the order the buttons are tested.
constexpr Trigger kTriggers[] = {
    {kTriggerFX1PhaserPolarity, kFX1PhaserPolarity, Extra::kNone},
    {kTriggerFX2PhaserPolarity, kFX2PhaserPolarity, Extra::kNone},
    {kTriggerFX1FlangerPolarity, kFX1FlangerPolarity, Extra::kNone},
    {kTriggerFX2FlangerPolarity, kFX2FlangerPolarity, Extra::kNone},
    {kTriggerFX1DelayPolarity, kFX1DelayPolarity, Extra::kNone},
    {kTriggerFX1DelayAutoPan, kFX1DelayAutoPan, Extra::kNone},
    {kTriggerFX1DelayClocked, kFX1DelayClocked, Extra::kEffect1Clocking},
    {kTriggerFX2DelayPolarity, kFX2DelayPolarity, Extra::kNone},
    {kTriggerFX2DelayAutoPan, kFX2DelayAutoPan, Extra::kNone},
    {kTriggerFX2DelayClocked, kFX2DelayClocked, Extra::kEffect2Clocking},
    {kTriggerArpNoteOverlap, kArpSameNoteOverlap, Extra::kNone},
    {kTriggerArpPatternReset, kArpPatternReset, Extra::kNone},
    {kTriggerOscillator2SyncToOsc3, kOscillator2SyncToOsc3, Extra::kNone},
    {kTriggerOscillatorMonoPolyMode, kOscillatorMonoPolyMode, Extra::kNone},
    {kTriggerOscillatorGlideOnOffSwitch, kOscillatorGlideOnOffSwitch, Extra::kNone},
    {kTriggerFilterEnvTrigger, kFilterEnvTrigger, Extra::kNone},
    {kTriggerAmpEnvTrigger, kAmpEnvTrigger, Extra::kNone},
    {kTriggerEnv3Trigger, kEnv3Trigger, Extra::kNone},
    {kTriggerEnv4Trigger, kEnv4Trigger, Extra::kNone},
    {kTriggerLFO1Clock, kLFO1Clock, Extra::kQuickTab},
    {kTriggerLFO2Clock, kLFO2Clock, Extra::kQuickTab},
    {kTriggerLFO3Clock, kLFO3Clock, Extra::kQuickTab},
    {kTriggerLFO1SyncOnOff, kLFO1SyncOnOff, Extra::kNone},
    {kTriggerLFO2SyncOnOff, kLFO2SyncOnOff, Extra::kNone},
    {kTriggerLFO3SyncOnOff, kLFO3SyncOnOff, Extra::kNone},
};

// The toggles of editor settings; a flag, where there is one, takes the state to come.
struct EditorToggle {
    int trigger;
    int toggled;
    std::atomic<bool>& (ParamChangePlugin::*flag)();
    bool normalized;
};
constexpr EditorToggle kEditorToggles[] = {
    {kTriggerProgControl, kControlProgBank, nullptr, true},
    {kTriggerGlobalArpMidiOut, kGlobalArpSend, nullptr, false},
    {kTriggerGlobalLocalKBDControl, kGlobalLocalControl, &ParamChangePlugin::localKeyboardFlag,
     false},
    {kTriggerLibControl, kControlLibrary, &ParamChangePlugin::libraryControlFlag, false},
};

constexpr int kLinkOff = 1;
constexpr int kLinkOn = 3;

double valueOf(ParamChangePlugin* plug, int idx) {
    return plug->effect()->GetParam(idx)->Value();
}

// The delay's clocking view for the state the toggle is about to give, while the effects
// page is the main tab.
void showClockingToCome(ParamChangePlugin* plug, const EffectZones& fx, int part) {
    if (valueOf(plug, kMainTab) != 5.0) return;
    ControlLayer* page = currentEffectsPage(plug);
    if (page) showDelayClocking(page, fx, valueOf(plug, fx.clockedParam + part) != 1.0);
}

RuleEnd pressFilterLinkButton(ParamChangePlugin* plug, int part) {
    const bool linked = valueOf(plug, kFilterLinkSwitch + part) == 1.0;
    const int mode = linked ? kLinkOff : kLinkOn;
    setFromPlug(plug, kFilterLinkValue + part, mode);
    plug->setFilterLinkMode(part, mode);
    dispatchMirrored(plug, kFilterLinkSwitch + part, linked ? 0.0 : 1.0);
    return RuleEnd::kGoOn;
}

} // namespace

RuleEnd pressTriggerButton(ParamChange& c) {
    if (c.iv == 0) return RuleEnd::kStop;
    if (isPartBlock(c.idx, kFilterLinkTrigger))
        return pressFilterLinkButton(c.plug, c.idx - kFilterLinkTrigger);
    for (const Trigger& t : kTriggers) {
        if (!isPartBlock(c.idx, t.trigger)) continue;
        const int part = c.idx - t.trigger;
        if (t.extra == Extra::kEffect1Clocking || t.extra == Extra::kEffect2Clocking)
            showClockingToCome(c.plug, kEffectZones[t.extra == Extra::kEffect2Clocking], part);
        toggleMirrored(c.plug, t.toggled + part);
        if (t.extra == Extra::kEffect2Clocking)
            TabSwitchFunctions::mainTabSwitch(c.plug, kMainTab, 5, c.plug->model(),
                                              c.plug->selectedPart());
        if (t.extra == Extra::kQuickTab)
            TabSwitchFunctions::quickTabSwitch(c.plug, kQuickTab, c.plug->selectedPart(),
                                               c.plug->model(), false);
        break;
    }
    return RuleEnd::kGoOn;
}

RuleEnd pressEditorToggle(ParamChange& c) {
    if (c.idx == kKeepSelectedBank) {
        c.plug->keepSelectedBankFlag() = c.iv != 0;
        return RuleEnd::kGoOn;
    }
    if (c.iv == 0) return RuleEnd::kStop;
    for (const EditorToggle& t : kEditorToggles) {
        if (c.idx != t.trigger) continue;
        if (t.flag) (c.plug->*t.flag)() = valueOf(c.plug, t.toggled) != 1.0;
        toggleMirrored(c.plug, t.toggled, t.normalized);
    }
    return RuleEnd::kGoOn;
}

RuleEnd sendFilterLinkSwitch(ParamChange& c) {
    const int part = c.plug->selectedPart();
    const int state = c.iv == 1 ? kLinkOn : c.plug->getFilterLinkMode(part);
    uint8_t message[] = {0x3E,
                         0x0F,
                         uint8_t(c.plug->getDeviceId() & 0x7F),
                         0x20,
                         uint8_t(part & 0x7F),
                         0x00,
                         0x76,
                         uint8_t(state & 0x7F)};
    c.plug->checksumCheckAndSend(message, int(sizeof message));
    return RuleEnd::kGoOn;
}
