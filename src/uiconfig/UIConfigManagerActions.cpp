#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/UIConfigManager.h"
#include "src/uiconfig/UIConfigPlugin.h"

#include "kit/effect/IEffectBase.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

UIConfigManager::~UIConfigManager() {
    // A parameter would otherwise keep a pointer to a freed record.
    for (OwnedAction& owned : controlActions)
        if (owned.param->GetControlAction() == &owned.action)
            owned.param->SetControlAction(nullptr);
}

bool UIConfigManager::readInt(const char* text, int& value) {
    // White space and digits of the "C" locale, which the layout is written in.
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    const bool negative = *text == '-';
    const char* digit = text + (*text == '+' || negative);
    if (!isDigit(*digit)) return false;
    // Past the int range the number only saturates.
    long long n = 0;
    for (; isDigit(*digit); ++digit)
        n = std::min(n * 10 + (*digit - '0'), (long long)INT_MAX + 1);
    value = int(std::clamp(negative ? -n : n, (long long)INT_MIN, (long long)INT_MAX));
    return true;
}

void UIConfigManager::getCSValues(const char* text, int* values, int count) {
    // A number ends at its comma, so each is read where its token starts.
    for (int i = 0; i < count; ++i) {
        while (*text == ',')
            ++text;
        if (!*text) return;
        readInt(text, values[i]);
        while (*text && *text != ',')
            ++text;
    }
}

void UIConfigManager::getBiDirectLinkValues(const std::string& text, LinkInfo& link,
                                            int part) const {
    link = LinkInfo();
    std::vector<std::string> tokens;
    Tokenize(text, tokens, ",");
    if (tokens.size() < 2) return;
    const int offset = std::max(part, 0);
    const int partner = getParamByName(tokens[0]);
    const int switchId = getParamByName(tokens[1]);
    if (partner >= 0) link.partnerId = partner + offset;
    if (switchId >= 0) link.switchId = switchId + offset;
    if (tokens.size() == 3) readInt(tokens[2].c_str(), link.extra);
}

void UIConfigManager::copyIntVector(const std::vector<int>& source, std::vector<int>& destination) {
    destination.insert(destination.end(), source.begin(), source.end());
}

const std::string& UIConfigManager::getParamGroup(int part, std::string_view group) {
    // Neighbouring controls mostly share a group: the last one is kept.
    if (part == paramGroupPart && group == paramGroupName) return paramGroup;
    paramGroupPart = part;
    paramGroupName = group;
    if (part < 0) {
        paramGroup = group;
    } else {
        paramGroup = "Part " + std::to_string(part + 1);
        if (!group.empty()) paramGroup.append(":").append(group);
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
    ControlAction* action = &controlActions.emplace_back(OwnedAction{param, {}}).action;
    param->SetControlAction(action);
    return action;
}

ControlAction* UIConfigManager::bindControl(IParam* param, int actionType, IControl* control) {
    ControlAction* action = controlActionOf(param);
    action->actionType = actionType;
    action->controls.push_back(control);
    return action;
}

ControlAction* UIConfigManager::bindLinked(IParam* param, int paramId, int actionType,
                                           IControl* control, const LinkInfo* link, int part) {
    ControlAction* action = bindControl(param, actionType, control);
    if (link) setControlLink(action, paramId, *link, part);
    return action;
}
