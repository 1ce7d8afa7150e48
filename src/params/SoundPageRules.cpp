#include "src/params/SoundPageRules.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IEffectBase.h"
#include "src/params/PageZones.h"
#include "src/params/ParamChangePlugin.h"
#include "src/params/TabSwitchFunctions.h"
#include "src/sender/SenderJob.h"
#include "src/uiconfig/ParameterIds.h"

namespace {

constexpr int kEffectsTab = 5;
// The mode whose sound and pattern the synthesizer holds and the editor must fetch.
constexpr int kFetchMode = 9;

} // namespace

RuleEnd clampAndRefreshQuickTab(ParamChange& c) {
    clampChangedValue(c);
    TabSwitchFunctions::quickTabSwitch(c.plug, kQuickTab, c.plug->selectedPart(), c.plug->model(),
                                       false);
    return RuleEnd::kGoOn;
}

RuleEnd showEffectPages(ParamChange& c) {
    const EffectZones& fx = kEffectZones[isPartBlock(c.idx, kEffect2Mode) ? 1 : 0];
    const int part = c.idx - fx.modeParam;
    const int mode = c.iv;
    ControlLayer* root = c.plug->namedLayer("root");
    const bool effectsShown = root && root->getSelectedId() == kEffectsTab;
    ControlLayer* page = currentEffectsPage(c.plug);
    if (effectsShown && page) page->showMultiLayers(mode + fx.typeOffset);
    if (mode == kDelayMode) {
        if (effectsShown && page) {
            const IParam* clocked = c.plug->effect()->GetParam(fx.clockedParam + part);
            showDelayClocking(page, fx, clocked->Value() == 1.0);
        }
        return RuleEnd::kGoOn;
    }
    if (mode == kFetchMode) {
        postSenderJob(c.plug, SenderJob::kSendPartRequestSysex, JobKind::kRequest,
                      [part](SenderJob& job) {
                          job.part = part;
                          job.toEditor = true;
                      });
    } else if (mode == 0 && effectsShown && page) {
        page->GrayOutCustomZone(true, fx.typeOffset);
    }
    if (page) showClosingEntries(page, fx);
    return RuleEnd::kGoOn;
}

RuleEnd resendPart(ParamChange& c) {
    // The eight families lie on 16-id blocks counted from the first trigger.
    const int part = (c.idx - kFilterEnvTrigger) % 16;
    postPartSend(c.plug, part);
    return RuleEnd::kStop;
}

RuleEnd veilPatternSteps(ParamChange& c) {
    TabSwitchFunctions::followPatternLength(c.plug, c.idx - kPatternStepLength);
    return RuleEnd::kGoOn;
}
