#include "src/uiconfig/UIConfigManager.h"

#include "kit/effect/IContactControl.h"
#include "kit/effect/IEffectBase.h"
#include "kit/effect/IParamTexts.h"
#include "kit/effect/ITextControl.h"
#include "src/uiconfig/ICustomRadioButtonsControl.h"
#include "src/uiconfig/ImageTable.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigPlugin.h"

namespace {

const IColor kYellow(255, 241, 243, 33);
const IColor kGrey(255, 200, 200, 200);
const IColor kSteel(255, 134, 150, 166);
const IColor kDeviceColour(255, 0, 174, 255);
// Drawn with alpha 0: an invisible menu over the artwork that still opens on a click.
const IColor kInvisibleMenu(0, 255, 173, 0);

// Captions by colour scheme.
const IColor kDropDownColours[kColourSchemeCount] = {kYellow, IColor(255, 186, 143, 74), kSteel,
                                                     kSteel, kGrey};

// First text and caption grey of name fields, by parameter.
struct NameField {
    int firstId;
    int count;
    const char* text;
    int grey;
};
const NameField kNameFields[] = {
    {kPatchRename, 1, "New Name", 225},
    {kPatchSearchString, 1, "search...", 225},
    {kMultiName, 1, "Init Multi", 187},
    {kPatchName, 16, "-- INIT --", 187},
};
const NameField kOtherNameField = {-1, 0, "INIT", 187};

const NameField& nameFieldOf(int paramId) {
    for (const NameField& field : kNameFields)
        if (paramId >= field.firstId && paramId < field.firstId + field.count) return field;
    return kOtherNameField;
}

// The parts' patch numbers are shown as on the synthesizer, "001" to "100".
int labelDigits(int paramId) {
    return paramId >= kMultiPartPatch && paramId < kMultiPartPatch + 16 ? 3 : 1;
}

} // namespace

void UIConfigManager::createDropDownMenu(const std::string& name, int paramId, int x, int y,
                                         int width, int height, int part, ControlLayer* layer,
                                         std::string_view group) {
    addControl(name, paramId, kActionNone, nullptr, part, [&](IParam* p) {
        p->InitEnum(name.c_str(), 0, 1, "", getParamGroup(part, group).c_str(), -1, -1);
        static const std::shared_ptr<const IParamTexts> kNone = IParamTexts::Shared({"----"});
        p->SetDisplayTexts(kNone);
        return makeCaption(paramId, name, x, y, width, height, scaled(height),
                           schemeColour(kDropDownColours, style), false, layer);
    });
}

void UIConfigManager::createDropDownMenu2(const std::string& name, int paramId, int x, int y,
                                          int width, int height, int defaultValue, int first,
                                          int last, const std::vector<std::string>& items, int part,
                                          ControlLayer* layer, std::string_view group) {
    addControl(name, paramId, kActionNone, nullptr, part, [&](IParam* p) {
        // Equal label numbers: without one item per entry there are no texts. Its values
        // sit among the SysEx menus' and read as theirs.
        return makeMenu(p, paramId, name, x, y, width, height, scaled(height), defaultValue, first,
                        last, -1, -1, items, part, layer, group, sysExMenuColour(1));
    });
}

void UIConfigManager::createMIDIDeviceSelectionControl(int paramId, int x, int y, int width,
                                                       int height, int inputFlag) {
    const char* const name = "Device Selection";
    addControl(name, paramId, kActionNone, nullptr, -1, [&](IParam*) {
        deviceMenus.emplace_back(paramId, inputFlag == 1);
        IControl* field = makeCaption(paramId, name, x, y, width, height, scaled(height),
                                      kDeviceColour, true, nullptr);
        // Port names often share their start ("USB MIDI Interface 2:..."): their ends tell
        // them apart.
        if (auto* text = dynamic_cast<ITextControl*>(field)) text->CutToBox(true);
        return field;
    });
}

void UIConfigManager::fillDeviceMenus() {
    IEffectBase* effect = plugin ? plugin->effect() : nullptr;
    for (const auto& [paramId, input] : deviceMenus)
        effect->AttachExternalMIDIMenu(paramId, input);
    deviceMenus.clear();
}

void UIConfigManager::createNoValDropDown(const std::string& name, int paramId, int x, int y,
                                          int width, int height, int defaultValue, int first,
                                          int last, int labelStart, int labelEnd, int visible,
                                          const std::vector<std::string>& items, int part,
                                          ControlLayer* layer, std::string_view group,
                                          bool white) {
    IParam* p = paramFor(paramId, name);
    if (!p) return;
    IColor colour = white ? COLOR_WHITE : sysExMenuColour(1);
    if (visible != 1) colour = kInvisibleMenu;
    makeMenu(p, paramId, name, x, y, width, height, scaled(height), defaultValue, first, last,
             labelStart, labelEnd, items, part, layer, group, colour, labelDigits(paramId));
}

void UIConfigManager::createControlDisplay(const std::string& name, int paramId, int x, int y,
                                           int width, int height, ControlLayer* layer) {
    addControl(name, paramId, kActionNone, nullptr, -1, [&](IParam*) -> IControl* {
        const IText text = captionText(scaled(height), kYellow);
        auto* display =
            new ITextControl(plugin->effect(), scaledRect(x, y, width, height), &text, "");
        // A status longer than the line keeps its start.
        display->CutToBox();
        return place(display, layer, name) ? display : nullptr;
    });
}

void UIConfigManager::createNameDisplay(const std::string& name, int paramId, int x, int y,
                                        int width, int height, int nameLength, int part,
                                        ControlLayer* layer, std::string_view group) {
    addControl(name, paramId, kActionNone, nullptr, part, [&](IParam* p) {
        p->InitEnum(name.c_str(), 0, 1, "", getParamGroup(part, group).c_str(), -1, -1);
        p->InitText();
        const NameField& field = nameFieldOf(paramId);
        p->SetDisplayTexts(IParamTexts::Shared({field.text}));
        IControl* caption =
            makeCaption(paramId, name, x, y, width, height, scaled(height),
                        IColor(255, field.grey, field.grey, field.grey), true, layer);
        if (caption) caption->SetTextEntryLength(nameLength);
        return caption;
    });
}

void UIConfigManager::createRadioControl(const std::string& name, int paramId, int x, int y,
                                         std::string_view image, int buttonCount, int part,
                                         ControlLayer* layer, std::string_view group) {
    if (buttonCount < 1 || buttonCount > kMaxControlValues) {
        log("CONFIG READER: control ", name, " has ", std::to_string(buttonCount), " buttons!");
        return;
    }
    addControl(name, paramId, kActionNone, nullptr, part, [&](IParam* p) -> IControl* {
        p->InitEnum(name.c_str(), 0, buttonCount, "", getParamGroup(part, group).c_str(), -1, -1);
        const IBitmap bitmap = getImageByName(graphics, image);
        // One frame's slice per button: a row across stacked frames, a column beside them.
        const bool stacked = !bitmap.mFramesAreHorizontal;
        const int left = scaled(x), top = scaled(y);
        const IRECT rect(left, top, left + (stacked ? bitmap.W : bitmap.W / 2),
                         top + (stacked ? bitmap.H / 2 : bitmap.H));
        IControl* radio =
            new ICustomRadioButtonsControl(plugin->effect(), rect, paramId, buttonCount, &bitmap,
                                           stacked ? kHorizontal : kVertical);
        return place(radio, layer, name) ? radio : nullptr;
    });
}

IControl* UIConfigManager::addSwitch(const std::string& name, int paramId, int defaultValue, int x,
                                     int y, std::string_view image, int part, ControlLayer* layer,
                                     std::string_view group, bool springsBack) {
    const ControlAction* action =
        addControl(name, paramId, kActionNone, nullptr, part, [&](IParam* p) {
            return makeSwitch(p, paramId, name, x, y, image, defaultValue, part, layer, group,
                              springsBack);
        });
    return action ? action->controls.back() : nullptr;
}

void UIConfigManager::createBoolControl(const std::string& name, int paramId, int defaultValue,
                                        int x, int y, std::string_view image, int part,
                                        ControlLayer* layer, std::string_view group) {
    addSwitch(name, paramId, defaultValue, x, y, image, part, layer, group, false);
}

void UIConfigManager::createSwitchControl(const std::string& name, int paramId, int defaultValue,
                                          int x, int y, std::string_view image, int part,
                                          ControlLayer* layer, std::string_view group) {
    addSwitch(name, paramId, defaultValue, x, y, image, part, layer, group, true);
}

IContactControl* UIConfigManager::createAutoOffSwitchControl(const std::string& name, int paramId,
                                                             int x, int y, std::string_view image,
                                                             int part, ControlLayer* layer,
                                                             std::string_view group) {
    return static_cast<IContactControl*>(
        addSwitch(name, paramId, 0, x, y, image, part, layer, group, true));
}

void UIConfigManager::createNoValKnobControl(const std::string& name, int paramId, int x, int y,
                                             std::string_view image, double defaultValue,
                                             double min, double max, int part, ControlLayer* layer,
                                             std::string_view group) {
    if (IParam* p = paramFor(paramId, name))
        makeKnob(p, paramId, name, x, y, image, defaultValue, min, max, 1.0, part, layer, group);
}
