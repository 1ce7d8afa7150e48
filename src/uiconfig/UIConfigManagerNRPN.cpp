#include "src/uiconfig/UIConfigManager.h"

#include "kit/effect/ControlLayer.h"

#include <algorithm>
#include <iterator>

namespace {

// Pages whose NRPN controls are keyed by the layout's channel: the mixer and multi settings
// pages (the first five; knobs and menus there also take variant 1) and, for buttons, the
// additional part settings pages too.
const char* const kChannelPages[] = {
    "miniMixer",
    "multiModeMixer",
    "miniMixer2",
    "multiModeMixer2",
    "multiModeSettingsPage1",
    "additionalSettingsPart1",
    "additionalSettingsPart2",
    "additionalSettingsPart3",
    "additionalSettingsPart4",
    "additionalSettingsPart5",
    "additionalSettingsPart6",
    "additionalSettingsPart7",
    "additionalSettingsPart8",
};
constexpr int kMixerPages = 5;
constexpr int kAllChannelPages = int(std::size(kChannelPages));

// Whether layer is one of the first count pages; no layer is none of them.
bool onChannelPage(const ControlLayer* layer, int count) {
    return layer && std::find(kChannelPages, kChannelPages + count, layer->getName()) !=
                        kChannelPages + count;
}

} // namespace

void UIConfigManager::registerNRPN(ControlAction* action, int ccNumber, int key1, int key2,
                                   int key3, int channelOrPart, int mapVariant) {
    action->ccNumber = ccNumber;
    action->nrpnKey1 = key1;
    action->nrpnKey2 = key2;
    action->nrpnKey3 = key3;
    action->channelOrPart = channelOrPart;
    action->mapVariant = mapVariant;
    nrpnControlMap.addToControlMap(action, action->controls.back());
}

void UIConfigManager::createMsbLsbKnobControl(int ccNumber, int key1, int key2, int key3,
                                              int channel, const std::string& name, int paramId,
                                              int x, int y, std::string_view image,
                                              double defaultValue, double min, double max,
                                              LinkInfo link, int part, ControlLayer* layer,
                                              std::string_view group) {
    const bool mixer = onChannelPage(layer, kMixerPages);
    ControlAction* action = addControl(name, paramId, kActionNRPN, &link, part, [&](IParam* p) {
        return makeKnob(p, paramId, hostName(name, part), x, y, image, defaultValue, min, max, 1.0,
                        part, layer, group);
    });
    if (action)
        registerNRPN(action, ccNumber, key1, key2, key3, mixer ? channel : part + 1, mixer ? 1 : 0);
}

void UIConfigManager::createMsbLsbBoolControl(int ccNumber, int key1, int key2, int key3,
                                              int channel, const std::string& name, int paramId,
                                              int x, int y, std::string_view image,
                                              double defaultValue, double min, double max,
                                              LinkInfo link, int part, ControlLayer* layer,
                                              std::string_view group) {
    const bool channelPage = onChannelPage(layer, kAllChannelPages);
    ControlAction* action = addControl(name, paramId, kActionNRPN, &link, part, [&](IParam* p) {
        return makeSwitch(p, paramId, hostName(name, part), x, y, image, defaultValue, part, layer,
                          group);
    });
    if (!action) return;
    action->minValue = TruncToInt(min);
    action->maxValue = TruncToInt(max);
    registerNRPN(action, ccNumber, key1, key2, key3, channelPage ? channel : part + 1, 0);
}

void UIConfigManager::createMsbLsbSelectionCCControl(
    int ccNumber, int key1, int key2, int key3, int channel, const std::string& name, int paramId,
    int x, int y, int width, int height, int defaultValue, int min, int max, int firstDisplay,
    int secondDisplay, const std::vector<std::string>& values, int part, ControlLayer* layer,
    std::string_view group) {
    const bool mixer = onChannelPage(layer, kMixerPages);
    ControlAction* action = addControl(name, paramId, kActionNRPN, nullptr, part, [&](IParam* p) {
        // Orange in every colour scheme, at the menu's default text size whatever its height.
        return makeMenu(p, paramId, hostName(name, part), x, y, width, height, scaled(13),
                        defaultValue, min, max, firstDisplay, secondDisplay, values, part, layer,
                        group, IColor(254, 255, 173, 0));
    });
    if (action)
        registerNRPN(action, ccNumber, key1, key2, key3, mixer ? channel : part + 1, mixer ? 1 : 0);
}
