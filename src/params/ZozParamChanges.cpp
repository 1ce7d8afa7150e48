#include "src/params/ZozParamChanges.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IEffectBase.h"
#include "src/params/ControlDisplay.h"
#include "src/params/LinkManager.h"
#include "src/params/PageZones.h"
#include "src/params/ParamChangePlugin.h"
#include "src/params/TabSwitchFunctions.h"
#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ParameterIds.h"

RuleEnd ZozParamChanges::runStage(const std::vector<RuleSlot>& rows, ParamChange& c) {
    for (const RuleSlot& row : rows)
        if (row.rule && row.claims(c.idx)) return row.rule(c);
    return RuleEnd::kGoOn;
}

void ZozParamChanges::OnParamChange(int idx) {
    IEffectBase* effect = plug->effect();
    KIT_MutexLock lock(effect->GetMutex());
    IParam* param = effect->GetParam(idx);
    if (!param) return;
    const double v = param->Value();
    ParamChange c{plug, idx, param, v, TruncToInt(v), param->GetControlAction()};

    if (runStage(rules.stage1, c) == RuleEnd::kStop) return;
    if (effect->GetGUI()) ControlDisplay::controlDisplay(plug, idx, v, plug->resetPending());
    if (runStage(rules.stage3, c) == RuleEnd::kStop) return;
    if (!c.ca) return;
    if (c.ca->switchLayer) selectChild(c.ca->switchLayer, c.iv);
    plug->processControlAction(c.ca, idx, v);
    LinkManager::controlLinker(plug, c.ca, c.ca->link, idx, c.iv, v);
}

void ZozParamChanges::OnParamChange2(int idx) {
    IEffectBase* effect = plug->effect();
    KIT_MutexLock lock(effect->GetMutex());
    IParam* param = effect->GetParam(idx);
    if (!param) return;
    plug->hardwareChange() = true;
    const double v = param->Value();
    ControlDisplay::controlDisplay(plug, idx, v, plug->hostPlaying());
    const int iv = TruncToInt(v);
    if (idx == kQuickTab)
        TabSwitchFunctions::quickTabSwitch(plug, kQuickTab, iv, plug->model(), false);
    if (ControlAction* action = param->GetControlAction()) {
        if (action->switchLayer) selectChild(action->switchLayer, iv);
        if (!plug->linkApplying()) {
            plug->processControlAction(action, idx, v);
            plug->hardwareChange() = false;
            LinkManager::controlLinker(plug, action, action->link, idx, iv, v);
        }
    }
    plug->endDumpWait();
    plug->hardwareChange() = false;
}
