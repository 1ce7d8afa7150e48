#include "src/uiconfig/UIConfigManager.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IContactControl.h"
#include "kit/effect/IEffectBase.h"
#include "kit/effect/IFaderControl.h"
#include "kit/effect/IKnobMultiControl.h"
#include "kit/effect/IParamTexts.h"
#include "kit/effect/ISwitchControl.h"
#include "src/uiconfig/ImageTable.h"
#include "src/uiconfig/UIConfigGraphics.h"
#include "src/uiconfig/UIConfigPlugin.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Far beyond the largest editor, small enough that a position plus a size stays an int.
constexpr int kMaxCoordinate = 1 << 20;

constexpr double kKnobGearing = 4.0;

} // namespace

int UIConfigManager::scaled(int value) const {
    return std::clamp(TruncToInt(value * scale), -kMaxCoordinate, kMaxCoordinate);
}

std::string UIConfigManager::hostName(const std::string& name, int part) {
    return part < 0 ? name : "[" + std::to_string(part + 1) + "] " + name;
}

IColor UIConfigManager::schemeColour(const IColor* table, int style) {
    return table[style >= 0 && style < kColourSchemeCount ? style : 0];
}

bool UIConfigManager::place(IControl* control, ControlLayer* layer, const std::string& name) {
    const bool placed =
        layer ? layer->addControl(control) : graphics && graphics->AttachControl(control) >= 0;
    if (!layer && !graphics) delete control;
    if (!placed) log("CONFIG READER: control ", name, " could not be placed!");
    return placed;
}

IControl* UIConfigManager::makeKnob(IParam* param, int paramId, const std::string& paramName, int x,
                                    int y, std::string_view image, double defaultValue,
                                    double min, double max, double step, int part,
                                    ControlLayer* layer, std::string_view group) {
    param->InitDouble(paramName.c_str(), defaultValue, min, max, step, "",
                      getParamGroup(part, group).c_str(), -1, -1);
    IBitmap bitmap = getImageByName(graphics, image);
    IControl* knob = new IKnobMultiControl(plugin->effect(), scaled(x), scaled(y), paramId, &bitmap,
                                           kVertical, kKnobGearing);
    return place(knob, layer, paramName) ? knob : nullptr;
}

IControl* UIConfigManager::makeFader(IParam* param, int paramId, const std::string& paramName,
                                     int x, int y, int length, std::string_view image,
                                     double defaultValue, double min, double max, int part,
                                     ControlLayer* layer, std::string_view group,
                                     EDirection direction) {
    param->InitDouble(paramName.c_str(), defaultValue, min, max, 1.0, "",
                      getParamGroup(part, group).c_str(), -1, -1);
    IBitmap bitmap = getImageByName(graphics, image);
    IControl* fader = new IFaderControl(plugin->effect(), scaled(x), scaled(y), scaled(length),
                                        paramId, &bitmap, direction, false);
    return place(fader, layer, paramName) ? fader : nullptr;
}

IControl* UIConfigManager::makeSwitch(IParam* param, int paramId, const std::string& paramName,
                                      int x, int y, std::string_view image, double defaultValue,
                                      int part, ControlLayer* layer, std::string_view group,
                                      bool springsBack) {
    param->InitBool(paramName.c_str(), defaultValue != 0.0, "", getParamGroup(part, group).c_str(),
                    -1, -1);
    IBitmap bitmap = getImageByName(graphics, image);
    IEffectBase* effect = plugin->effect();
    IControl* button = springsBack
                           ? new IContactControl(effect, scaled(x), scaled(y), paramId, &bitmap)
                           : new ISwitchControl(effect, scaled(x), scaled(y), paramId, &bitmap);
    return place(button, layer, paramName) ? button : nullptr;
}

IControl* UIConfigManager::makeMenu(IParam* param, int paramId, const std::string& paramName, int x,
                                    int y, int width, int height, int textSize, int defaultValue,
                                    int min, int max, int firstDisplay, int secondDisplay,
                                    const std::vector<std::string>& values, int part,
                                    ControlLayer* layer, std::string_view group, IColor colour,
                                    int digits) {
    const long long entries = (long long)max - min;
    if (entries > kMaxControlValues) {
        log("CONFIG READER: control ", paramName, " has ", std::to_string(entries), " entries!");
        return nullptr;
    }
    // Fewer than no entries count as one: the range is 0 to 1 either way.
    const int count = int(std::max(entries, -1LL));
    param->InitEnum(paramName.c_str(), defaultValue, count, "", getParamGroup(part, group).c_str(),
                    -1, -1);
    if ((long long)values.size() == entries) {
        param->SetDisplayTexts(sharedTexts(values));
    } else if (firstDisplay != secondDisplay) {
        param->SetDisplayTexts(numberTexts(firstDisplay, count, digits));
    } else {
        log("CONFIG READER: control ", paramName, " has ", std::to_string(values.size()),
            " texts for ", std::to_string(entries), " entries!");
        return nullptr;
    }
    return makeCaption(paramId, paramName, x, y, width, height, textSize, colour, true, layer);
}

std::shared_ptr<const IParamTexts> UIConfigManager::numberTexts(int first, int count, int digits) {
    std::shared_ptr<const IParamTexts>& texts = numberLists[{first, count, digits}];
    if (texts) return texts;
    std::vector<std::string> numbers;
    char number[24];
    for (int i = 0; i < count; ++i) {
        snprintf(number, sizeof(number), "%0*lld", digits, (long long)first + i);
        numbers.push_back(number);
    }
    texts = IParamTexts::Shared(numbers);
    return texts;
}

IRECT UIConfigManager::scaledRect(int x, int y, int width, int height) const {
    const int left = scaled(x), top = scaled(y);
    return IRECT(left, top, left + scaled(width), top + scaled(height));
}

IText UIConfigManager::captionText(int size, IColor colour) {
    IText text;
    strcpy(text.mFont, "NK57 Monospace");
    text.mSize = size;
    text.mColor = colour;
    return text;
}

std::shared_ptr<IText> UIConfigManager::captionStyle(int size, IColor colour) {
    std::shared_ptr<IText>& style = captionStyles[{size, colour.A, colour.R, colour.G, colour.B}];
    if (!style) style = std::make_shared<IText>(captionText(size, colour));
    return style;
}

IControl* UIConfigManager::makeCaption(int paramId, const std::string& name, int x, int y,
                                       int width, int height, int textSize, IColor colour,
                                       bool prompt, ControlLayer* layer) {
    IControl* caption = new ICaptionControl(plugin->effect(), scaledRect(x, y, width, height),
                                            paramId, nullptr, true);
    caption->ShareText(captionStyle(textSize, colour));
    caption->SetPromptDisabled(!prompt);
    return place(caption, layer, name) ? caption : nullptr;
}
