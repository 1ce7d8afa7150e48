#include "src/params/LinkManager.h"

#include "kit/effect/IControl.h"
#include "kit/effect/IEffectBase.h"
#include "src/params/ParamChangePlugin.h"
#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace {

// The filter link of each block of 16 ids from kFilter1Cutoff: where the same parameter of
// the other filter lies, 0 for blocks without a filter link.
constexpr int kFilterPartnerOffset[] = {
    208,  208,  0, 0, 208,  208,  208,  208,  208,  208,  208,  208,  0, // filter 1, routing
    -208, -208, 0, 0, -208, -208, -208, -208, -208, -208, -208, -208,    // filter 2
};

double valueOf(IEffectBase* effect, int idx) {
    IParam* param = effect->GetParam(idx);
    return param ? param->Value() : 0.0;
}

constexpr int kFilterBlocksFirst = kFilter1Cutoff;
constexpr int kFilterBlocksLast = kFilterBlocksFirst + 16 * std::size(kFilterPartnerOffset) - 1;

} // namespace

void LinkManager::controlLinker(ParamChangePlugin* plug, ControlAction* action, LinkInfo link,
                                int idx, int intValue, double) {
    IEffectBase* effect = plug->effect();
    if (idx >= kFilterBlocksFirst && idx <= kFilterBlocksLast) {
        const int offset = kFilterPartnerOffset[(idx - kFilterBlocksFirst) / 16];
        if (offset != 0) {
            const int partner = idx + offset;
            link.switchId = kFilterLinkSwitch + (idx - kFilterBlocksFirst) % 16;
            if (valueOf(effect, link.switchId) == 1.0)
                link.partnerId = partner;
            else
                action->linkOffset = TruncToInt(valueOf(effect, partner)) - intValue;
        }
    }

    if (link.partnerId < 0 || link.switchId < 0) return;
    if (valueOf(effect, link.switchId) == 0.0) return;
    IParam* partner = effect->GetParam(link.partnerId);
    if (!partner) return;
    // An offset never stored (-1) keeps the pair one apart; the side follows where the
    // partner stands against the new value.
    const int distance = std::abs(action->linkOffset);
    const int partnerValue = TruncToInt(partner->Value());
    int next = intValue;
    if (partnerValue < intValue) next = intValue - distance;
    if (partnerValue > intValue) next = intValue + distance;
    const double sent = next < 0 ? 0.0 : double(std::min(next, 127));

    ControlAction* partnerAction = partner->GetControlAction();
    if (!partnerAction) return;
    plug->linkApplying() = true;
    const bool fromDevice = plug->settingFromDevice().exchange(false);
    plug->processControlAction(partnerAction, link.partnerId, sent);
    plug->linkApplying() = false;
    const std::vector<IControl*> controls = partnerAction->controls;
    for (IControl* control : controls)
        control->SetValueFromPlug(partner->GetNormalized());
    if (fromDevice) plug->settingFromDevice() = true;
}
