#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/UIConfigManager.h"
#include "src/uiconfig/UIConfigPlugin.h"

#include "kit/effect/IEffectBase.h"

UIConfigManager::~UIConfigManager() {
    // A parameter would otherwise keep a pointer to a freed record.
    for (const OwnedAction& owned : controlActions)
        if (owned.param->GetControlAction() == owned.action.get())
            owned.param->SetControlAction(nullptr);
}

const std::string& UIConfigManager::getParamGroup(int part, const std::string& group) {
    if (part < 0) {
        paramGroup = group;
    } else {
        paramGroup = "Part " + std::to_string(part + 1);
        if (!group.empty()) paramGroup += ":" + group;
    }
    return paramGroup;
}

void UIConfigManager::setControlLink(ControlAction* action, int paramId, LinkInfo link, int) {
    if (link.partnerId < 0 || link.switchId < 0) return;
    action->link = link;
    IEffectBase* effect = plugin ? plugin->effect() : nullptr;
    IParam* partner = effect ? effect->GetParam(link.partnerId) : nullptr;
    if (!partner) return;
    controlActionOf(partner)->link = LinkInfo{paramId, link.switchId, -1};
}

IParam* UIConfigManager::paramFor(int paramId, const std::string& control) const {
    IEffectBase* effect = plugin ? plugin->effect() : nullptr;
    IParam* param = effect ? effect->GetParam(paramId) : nullptr;
    if (!param)
        log("CONFIG READER: control ", control, ": parameter id ", std::to_string(paramId),
            " NOT FOUND!");
    return param;
}

ControlAction* UIConfigManager::controlActionOf(IParam* param) {
    if (ControlAction* action = param->GetControlAction()) return action;
    controlActions.push_back({param, std::make_unique<ControlAction>()});
    param->SetControlAction(controlActions.back().action.get());
    return controlActions.back().action.get();
}

ControlAction* UIConfigManager::bindControl(IParam* param, int actionType, IControl* control) {
    ControlAction* action = controlActionOf(param);
    action->actionType = actionType;
    action->controls.push_back(control);
    return action;
}

ControlAction* UIConfigManager::addControl(const std::string& name, int paramId, int actionType,
                                           const LinkInfo* link, int part,
                                           const std::function<IControl*(IParam*)>& make) {
    IParam* param = paramFor(paramId, name);
    IControl* control = param ? make(param) : nullptr;
    if (!control) return nullptr;
    ControlAction* action = bindControl(param, actionType, control);
    if (link) setControlLink(action, paramId, *link, part);
    return action;
}
