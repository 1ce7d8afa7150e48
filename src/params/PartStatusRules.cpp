#include "src/params/PartStatusRules.h"

#include "kit/effect/IEffectBase.h"
#include "src/params/PageZones.h"
#include "src/params/ParamChangePlugin.h"
#include "src/params/TabSwitchFunctions.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

struct PartSetting {
    int base; // + part
    bool firstByte;
    // The setting that follows this one, and its value for this one's; none when 0.
    int mirror;
    double (*mirrorValue)(int value);
};

// A part plays while its status is on, which the engine values 0 and 2 stand for.
constexpr PartSetting kPartSettings[] = {
    {kMultiPartStatus, true, kEngine, [](int status) { return status == 0 ? 1.0 : 0.0; }},
    {kEngine, true, kMultiPartStatus,
     [](int engine) { return engine == 0 || engine == 2 ? 1.0 : 0.0; }},
    {kMIDIRX, true, 0, nullptr},
    {kMIDITX, true, 0, nullptr},
    {kPartPitchBend, false, 0, nullptr},
    {kPartModWheel, false, 0, nullptr},
    {kPartAfterTouch, false, 0, nullptr},
    {kPartSustain, false, 0, nullptr},
    {kPartButtons, false, 0, nullptr},
    {kPartProgramChange, false, 0, nullptr},
};

constexpr uint8_t kHighestDeviceId = 127;

} // namespace

RuleEnd sendPartSetting(ParamChange& c) {
    for (const PartSetting& s : kPartSettings) {
        if (!isPartBlock(c.idx, s.base)) continue;
        const int part = c.idx - s.base;
        if (s.mirrorValue) setFromPlug(c.plug, s.mirror + part, s.mirrorValue(c.iv));
        c.plug->SendChannelStatus(part, s.firstByte);
        break;
    }
    return RuleEnd::kGoOn;
}

RuleEnd showMultiSettingsPage(ParamChange& c) {
    char name[32];
    snprintf(name, sizeof name, "multiSettingsPart%02d", c.idx - kMultiPartSettings + 1);
    hideNamedLayer(c.plug, name, c.iv <= 0);
    TabSwitchFunctions::mainTabSwitch(c.plug, 0, 0, c.plug->model(), c.plug->selectedPart());
    return RuleEnd::kGoOn;
}

RuleEnd chooseProgramControl(ParamChange& c) {
    const bool library = c.idx == kControlLibrary;
    ParamChangePlugin* plug = c.plug;
    std::atomic<bool>& own = library ? plug->libraryControlFlag() : plug->programBankControlFlag();
    std::atomic<bool>& other =
        library ? plug->programBankControlFlag() : plug->libraryControlFlag();
    if (c.iv == 1) {
        setFromPlug(plug, library ? kControlProgBank : kControlLibrary, 0.0);
        other = false;
    }
    own = c.iv == 1;
    plug->updateBankAndProgramMenuNames(false);
    return RuleEnd::kGoOn;
}

RuleEnd changeDeviceId(ParamChange& c) {
    const uint8_t id = uint8_t(std::clamp(c.iv, 0, int(kHighestDeviceId)));
    IEffectBase* effect = c.plug->effect();
    if (c.plug->midiPortsSetFlag()) {
        uint8_t message[] = {0x3E, 0x0F, id, 0x24, 0x00, 0x19, id};
        effect->SendMidiSysex(message, int(sizeof message));
    }
    c.plug->setDeviceId(id);
    effect->GetParam(kDeviceID_old)->Set(id);
    return RuleEnd::kGoOn;
}

RuleEnd showAboutWindow(ParamChange& c) {
    if (c.iv != 0) hideNamedLayer(c.plug, "aboutWindow", false);
    return RuleEnd::kGoOn;
}
