#include "src/params/MidiRoutingRules.h"

#include "kit/effect/IEffectBase.h"
#include "kit/effect/ITextControl.h"
#include "src/params/ControlDisplay.h"
#include "src/params/ParamChangePlugin.h"
#include "src/uiconfig/ParameterIds.h"

namespace {

struct SwitchFlag {
    int id;
    std::atomic<bool>& (ParamChangePlugin::*flag)();
};
constexpr SwitchFlag kSwitchFlags[] = {
    {kMasterKeyboard, &ParamChangePlugin::masterKeyboardFlag},
    {kGlobalLocalControl, &ParamChangePlugin::localKeyboardFlag},
    {kMIDIFilterTrackIncomingMIDI, &ParamChangePlugin::trackIncomingFlag},
    {kSendMIDIClockPointer, &ParamChangePlugin::clockPointerFlag},
};

} // namespace

RuleEnd followSwitch(ParamChange& c) {
    for (const SwitchFlag& s : kSwitchFlags)
        if (s.id == c.idx) (c.plug->*s.flag)() = c.iv == 1;
    return RuleEnd::kGoOn;
}

RuleEnd passMidiType(ParamChange& c) {
    c.plug->midiDropFlag(c.idx) = c.iv != 1;
    return RuleEnd::kGoOn;
}

RuleEnd chooseMidiRoute(ParamChange& c) {
    if (c.iv != 1) return RuleEnd::kGoOn;
    const bool throughHost = c.idx == kMIDIFilterToDAWBuffer;
    setFromPlug(c.plug, throughHost ? kMIDIFilterDirectToHardware : kMIDIFilterToDAWBuffer, 0.0);
    c.plug->queueRoutingFlag() = throughHost;
    return RuleEnd::kGoOn;
}

RuleEnd setDawOffset(ParamChange& c) {
    // A project restore forms the same sum.
    c.plug->dawOffset() = 2 * c.iv + c.plug->effect()->GetBlockSize();
    return RuleEnd::kGoOn;
}

RuleEnd switchMidiClock(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    const bool on = c.iv == 1;
    // The tempo read for the clock shows as a nameless number: the display names the switch
    // instead, and says when the clock it shows stops (the start-up's Off leaves it alone).
    const std::string name = c.param->GetNameForHost();
    const ITextControl* nameLine = plug->displayNameLine();
    if (on) plug->effect()->OnParamChange(kTempoInformation);
    if (on || (nameLine && nameLine->GetTextForPlug() == name))
        ControlDisplay::showLines(plug, name, on ? "On" : "Off");
    plug->setClockTickEnabled(on);
    // The block loop starts the clock again, at the tempo just read.
    plug->clockStartedFlag() = false;
    plug->resetContinuousClock(!on);
    return RuleEnd::kGoOn;
}

RuleEnd readHostTempo(ParamChange& c) {
    c.iv = TruncToInt(c.plug->effect()->GetTempo());
    c.plug->cachedTempo() = c.iv;
    return RuleEnd::kGoOn;
}
