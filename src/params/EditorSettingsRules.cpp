#include "src/params/EditorSettingsRules.h"

#include "kit/effect/IEffectBase.h"
#include "src/params/PageZones.h"
#include "src/params/ParamChangePlugin.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UserInterfaceLook.h"

#include <iterator>

namespace {

using Lines = std::array<std::string, 5>;
enum Line { kSchemeLine, kSizeLine, kFirstRunLine, kMIDIOutLine, kMIDIInLine };

// False, shown on the display, when the file is missing or could not be replaced.
bool write(ParamChangePlugin* plug, const Lines& lines) {
    if (plug->writeSettingsFile(lines)) return true;
    showMessage(plug, "Zoz Editor UI.txt MISSING!", "Contact support");
    return false;
}

template <typename T, size_t N> bool indexes(const T (&)[N], int i) {
    return i >= 0 && i < int(N);
}

// Closes a dialog layer and gives the editor its layers back.
void closeDialog(ParamChangePlugin* plug, const char* layer) {
    hideNamedLayer(plug, layer, true);
    plug->DisplayProcessingIndicator(true);
    plug->DisplayProcessingIndicator(false);
}

} // namespace

RuleEnd applyColourScheme(ParamChange& c) {
    Lines lines = c.plug->settingsLines();
    if (indexes(kUserInterfaceStyleWords, c.iv))
        lines[kSchemeLine] = kUserInterfaceStyleWords[c.iv];
    if (write(c.plug, lines)) showMessage(c.plug, "Color Scheme applied...", "Reload project!");
    return RuleEnd::kStop;
}

RuleEnd applyWindowSize(ParamChange& c) {
    Lines lines = c.plug->settingsLines();
    const bool known = indexes(kUserInterfaceSizes, c.iv);
    if (known) lines[kSizeLine] = kUserInterfaceSizes[c.iv].word;
    if (!write(c.plug, lines)) return RuleEnd::kStop;
    if (known) c.plug->setUIScale(kUserInterfaceSizes[c.iv].scale);
    setFromPlug(c.plug, kUserInterfaceSize, c.iv);
    showMessage(c.plug, "Size changes applied...", "Reload project!");
    return RuleEnd::kStop;
}

RuleEnd answerFirstRun(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    if (!plug->firstRunNoticeOpen()) {
        closeDialog(plug, "bankPatchConflictWindow");
        return RuleEnd::kStop;
    }
    if (c.iv == 0) return RuleEnd::kStop;
    Lines lines = plug->settingsLines();
    if (c.iv == 1) lines[kFirstRunLine] = "yes";
    if (!write(plug, lines)) return RuleEnd::kStop;
    showMessage(plug, "Set MIDI In and MIDI Out");
    plug->firstRunNoticeOpen() = false;
    closeDialog(plug, "firstRunNotification");
    return RuleEnd::kStop;
}

RuleEnd selectMidiPort(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    IEffectBase* effect = plug->effect();
    const bool input = c.idx == kDeviceInSelection;
    const std::string name = c.param->GetDisplayText(c.iv);
    // The user's choice, "Select MIDI Device" too, replaces a stored port still awaited.
    effect->awaitExternalMIDI(input, "");
    int entry = c.iv;
    if (input) {
        effect->setExternalMIDIIn(entry, name.c_str());
        // The probe waits for both ports, whichever comes last.
        if (entry > 0) plug->sendSysExInitialization();
    } else {
        effect->setExternalMIDIOut(entry, name.c_str());
        if (entry > 0) {
            plug->midiPortsSetFlag() = true;
            plug->sendSysExInitialization();
        } else {
            plug->resetContinuousClock(true);
            plug->midiPortsSetFlag() = false;
        }
    }
    // No port is a choice that is kept: the next start opens none.
    const bool none = c.iv == 0;
    Lines lines = plug->settingsLines();
    if (entry > 0 || none) lines[input ? kMIDIInLine : kMIDIOutLine] = none ? "" : name;
    if (!write(plug, lines)) return RuleEnd::kStop;
    if (none)
        showMessage(plug, input ? "No default MIDI input set." : "No default MIDI output set.");
    else
        showMessage(plug, input ? "Default MIDI input set." : "Default MIDI output set.");
    c.iv = entry;
    return RuleEnd::kGoOn;
}
