#include "src/params/ControlDisplay.h"

#include "kit/effect/IEffectBase.h"
#include "kit/effect/ITextControl.h"
#include "src/params/ParamChangePlugin.h"
#include "src/params/ValueFamilies.h"
#include "src/uiconfig/ParameterIds.h"

#include <cstdio>

namespace {

// Parameters whose changes leave the display as it is: commands, names, lists, indicators
// and the display's own fields.
constexpr struct {
    int first;
    int last;
} kNotDisplayed[] = {
    {9096, 9100},   {9101, 9132},   {9134, 9134},   {10225, 10241}, {18183, 18186},
    {18219, 18235}, {18237, 18240}, {18246, 18247}, {18282, 18284}, {18287, 18755},
    {18756, 18787}, {18789, 18792}, {18794, 18803}, {18805, 18812}, {18814, 18814},
};

bool isDisplayed(ParamChangePlugin* plug, int id) {
    for (const auto& range : kNotDisplayed)
        if (id >= range.first && id <= range.last) return false;
    return id != kControlLibrary || plug->hostProgramChangeDrop();
}

// A per-part name begins "[n] " with n the part's number from 1.
bool isTaggedWithPart(const std::string& name, int part) {
    if (name.size() < 2) return false;
    return name.substr(1, name.find(']') - 1) == std::to_string(part + 1);
}

void setLine(ITextControl* line, const std::string& text) {
    if (line) line->SetTextFromPlug(text.c_str());
}

} // namespace

void ControlDisplay::controlDisplay(ParamChangePlugin* plug, int paramIdx, double value,
                                    bool selectedPartOnly) {
    if (!isDisplayed(plug, paramIdx)) return;
    IParam* param = plug->effect()->GetParam(paramIdx);
    if (!param) return;
    const std::string name = param->GetNameForHost();
    if (selectedPartOnly && !isTaggedWithPart(name, plug->selectedPart())) return;
    setLine(plug->displayNameLine(), name);

    const ValueTextArgs args{plug, paramIdx, TruncToInt(value), TruncToInt(param->Value()), value};
    const ValueFamily* family = findValueFamily(paramIdx);
    if (!family) {
        setLine(plug->displayValueLine(), getValueString(double(args.s)));
        return;
    }
    std::string text;
    switch (family->rule(args, *family, text)) {
    case ValueLine::kWithEnding:
        setLine(plug->displayValueLine(), text + " [" + std::to_string(args.s) + "]");
        break;
    case ValueLine::kWhole:
        setLine(plug->displayValueLine(), text);
        break;
    case ValueLine::kUntouched:
        break;
    }
}

void ControlDisplay::showLines(ParamChangePlugin* plug, const std::string& name,
                               const std::string& value) {
    setLine(plug->displayNameLine(), name);
    setLine(plug->displayValueLine(), value);
}

std::string ControlDisplay::getValueString(double value) {
    char text[50];
    snprintf(text, sizeof text, "%.0f", value);
    return text;
}

std::string ControlDisplay::shortened(const std::string& text, size_t chars) {
    size_t count = 0, cut = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
        if (++count == chars) cut = at;
        if (count > chars) return text.substr(0, cut) + "\xE2\x80\xA6";
    }
    return text;
}
