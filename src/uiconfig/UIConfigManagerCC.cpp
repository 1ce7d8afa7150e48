#include "src/uiconfig/ImageTable.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigManager.h"

namespace {

// Caption colours of CC menus by colour scheme.
const IColor kCCMenuColours[kColourSchemeCount] = {
    COLOR_BLACK, IColor(255, 186, 143, 74), COLOR_WHITE, COLOR_WHITE, IColor(255, 200, 200, 200)};

int channelOrPartOf(int part, int channel) {
    return part >= 0 ? part + 1 : channel;
}

// The filter types of the Q+ have their own controls for the CCs of the Q's filter types.
bool isQPlusFilterType(int paramId) {
    return (paramId >= kFilter1TypeQPlus && paramId < kFilter1TypeQPlus + 16) ||
           (paramId >= kFilter2TypeQPlus && paramId < kFilter2TypeQPlus + 16);
}

} // namespace

void UIConfigManager::registerCC(ControlAction* action, int ccNumber, int channelOrPart,
                                 int mapVariant) {
    action->ccNumber = ccNumber;
    action->channelOrPart = channelOrPart;
    action->mapVariant = mapVariant;
    ccControlTable[channelOrPart][ccNumber][mapVariant] = action->controls.back();
}

void UIConfigManager::createCCKnobControl(int ccNumber, int channel, const std::string& name,
                                          int paramId, int x, int y, std::string_view image,
                                          double defaultValue, double min, double max, double step,
                                          LinkInfo link, int part, ControlLayer* layer,
                                          std::string_view group) {
    ControlAction* action = addControl(name, paramId, kActionCC, &link, part, [&](IParam* p) {
        return makeKnob(p, paramId, hostName(name, part), x, y, image, defaultValue, min, max,
                        TruncToInt(step), part, layer, group);
    });
    if (action)
        registerCC(action, ccNumber, channelOrPartOf(part, channel),
                   part == -1 || (part >= 0 && isQPlusFilterType(paramId)) ? 1 : 0);
}

void UIConfigManager::createCCSliderControl(int ccNumber, int channel, const std::string& name,
                                            int paramId, int x, int y, int length,
                                            std::string_view image, double defaultValue,
                                            double min, double max, LinkInfo link, int part,
                                            ControlLayer* layer, std::string_view group,
                                            EDirection direction) {
    ControlAction* action = addControl(name, paramId, kActionCC, &link, part, [&](IParam* p) {
        return makeFader(p, paramId, hostName(name, part), x, y, length, image, defaultValue, min,
                         max, part, layer, group, direction);
    });
    if (action) registerCC(action, ccNumber, channelOrPartOf(part, channel), 0);
}

void UIConfigManager::createCCBoolControl(int ccNumber, int channel, const std::string& name,
                                          int paramId, int x, int y, std::string_view image,
                                          double defaultValue, double min, double max, int part,
                                          ControlLayer* layer, std::string_view group) {
    ControlAction* action =
        addControl(name, paramId, kActionCCSwitch, nullptr, part, [&](IParam* p) {
            return makeSwitch(p, paramId, hostName(name, part), x, y, image, defaultValue, part,
                              layer, group);
        });
    if (!action) return;
    action->minValue = TruncToInt(min);
    action->maxValue = TruncToInt(max);
    registerCC(action, ccNumber, channelOrPartOf(part, channel), 0);
}

void UIConfigManager::createMultiSelectionCCControl(
    int ccNumber, int channel, const std::string& name, int paramId, int x, int y, int width,
    int height, int defaultValue, int min, int max, int firstDisplay, int secondDisplay,
    const std::vector<std::string>& values, int part, ControlLayer* layer, std::string_view group,
    bool white) {
    const IColor colour = white ? COLOR_WHITE : schemeColour(kCCMenuColours, style);
    ControlAction* action = addControl(name, paramId, kActionCC, nullptr, part, [&](IParam* p) {
        return makeMenu(p, paramId, hostName(name, part), x, y, width, height, scaled(height),
                        defaultValue, min, max, firstDisplay, secondDisplay, values, part, layer,
                        group, colour);
    });
    if (action) registerCC(action, ccNumber, channelOrPartOf(part, channel), part == -1 ? 1 : 0);
}
