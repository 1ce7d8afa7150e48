// The MIDI ports to the synthesizer that the plug-in opens by itself: the stored ones at
// start-up, and those that come later (a device plugged in, a JACK server started late), with
// what the display says while one is missing.

#include "src/core/Zoz.h"

#include "kit/effect/IControl.h"
#include "platform/midi/MidiPortNames.h"
#include "src/params/ControlDisplay.h"
#include "src/uiconfig/ParameterIds.h"

namespace {

// What is wrong with a stored port, as the display and the log say it.
struct PortTrouble {
    const char* state;
    const char* remedy;
};
constexpr PortTrouble kAwaited = {"not found", "waiting for it, or choose a port"};
constexpr PortTrouble kUnconnected = {"not connected", "connect it, or choose a port"};

const char* direction(bool input) {
    return input ? "In" : "Out";
}

} // namespace

bool Zoz::opensStoredPorts() const {
    return storedOutName && settings[SettingsFile::kDefaultPorts] == "yes";
}

void Zoz::openStoredPorts() {
    if (opensStoredPorts()) {
        const int in = openStoredPort(true);
        const IParam* inParam = GetParam(kDeviceInSelection);
        if (IControl* selector = keptControl(kDeviceInSelection))
            selector->SetValueFromPlug(inParam->GetNormalized(in));
        openStoredPort(false);
        const IParam* out = GetParam(kDeviceOutSelection);
        midiIOSet = TruncToInt(out->Value()) > 0;

        GetParam(kDeviceInSelection)->Set(in);
        editor->SetParameterFromPlug(kDeviceInSelection, inParam->Value(), false);
        editor->SetParameterFromPlug(kDeviceOutSelection, out->Value(), false);
        keepStoredPortNames();
        // The first block after start-up sends the synthesizer its initialisation.
        storedPortsOpened = true;
    }
    showPortStatus();
}

// A port that opened is entered as a display text at its own list index, where the device
// menu holds that name already; one that is not there is awaited.
int Zoz::openStoredPort(bool input) {
    const std::string& name =
        settings[input ? SettingsFile::kMIDIInDevice : SettingsFile::kMIDIOutDevice];
    log("DEFAULT SETTINGS: MIDI ", direction(input), " device stored ", name);
    int index = 1;
    input ? setExternalMIDIIn(index, name.c_str()) : setExternalMIDIOut(index, name.c_str());
    // The open lets go of the plug lock while JACK works: the port watch may have taken a
    // newer list meanwhile, or lost the port again.
    if (index > 0) index = openExternalMIDIPort(input);
    IParam* param = GetParam(input ? kDeviceInSelection : kDeviceOutSelection);
    param->Set(index);
    if (index > 0) param->SetDisplayText(index, openedExternalMIDI(input).c_str());
    awaitStoredPort(input, index, name);
    return index;
}

void Zoz::awaitStoredPort(bool input, int opened, const std::string& name) {
    const bool none = name.empty() || name == kUnnamedDevice ||
                      getExternalMIDIInDevice(name.c_str()) == 0; // "Select MIDI Device"
    awaitExternalMIDI(input, opened > 0 || none ? "" : name);
}

// The device menus show the ports as they are now; the output decides whether anything may be
// sent, and a port that opened is probed as at start-up.
void Zoz::OnExternalMIDIChanged(bool opened) {
    const bool output = openExternalMIDIPort(false) > 0;
    if (midiIOSet && !output) resetContinuousClock(true);
    midiIOSet = output;
    keepStoredPortNames();
    showPortStatus();
    if (opened) postDeviceIdProbe();
}

// A stored port found under a newer ALSA client number is stored under that one, so that the
// next start finds it by its name.
void Zoz::keepStoredPortNames() {
    SettingsFile::Lines lines = settings;
    for (const bool input : {true, false}) {
        const int port = openExternalMIDIPort(input);
        if (port <= 0) continue;
        const std::string& now =
            (input ? getExternalMIDIInNames() : getExternalMIDIOutNames())[size_t(port)];
        std::string& stored =
            lines[input ? SettingsFile::kMIDIInDevice : SettingsFile::kMIDIOutDevice];
        if (stored != now && platform::MatchPortName({now}, stored) == 0) stored = now;
    }
    if (lines != settings) writeSettingsFile(lines);
}

// A stored port awaited, or one disconnected in a patchbay, is said on the display (an
// awaited one first, and, when that is why, that there is no MIDI system) until it is back;
// each trouble is logged once.
void Zoz::showPortStatus() {
    const auto troubleOf = [this](bool input) {
        return !awaitedExternalMIDI(input).empty() ? &kAwaited
               : unconnectedExternalMIDI(input)    ? &kUnconnected
                                                   : nullptr;
    };
    const auto nameOf = [this](bool input, const PortTrouble* trouble) {
        return trouble == &kAwaited ? awaitedExternalMIDI(input) : openedExternalMIDI(input);
    };
    for (const bool input : {false, true}) {
        const PortTrouble* trouble = troubleOf(input);
        const std::string line = trouble ? std::string("MIDI ") + direction(input) + " '" +
                                               nameOf(input, trouble) + "' " + trouble->state +
                                               ": " + trouble->remedy
                                         : "";
        std::string& logged = loggedTroubles[input];
        if (!line.empty() && line != logged) log("MIDI PORTS: ", line);
        logged = line;
    }
    // The output first, as nothing can be sent without it; a port awaited before one that
    // only waits for a connection.
    bool input = false;
    const PortTrouble* trouble = nullptr;
    for (const PortTrouble* wanted : {&kAwaited, &kUnconnected})
        for (const bool in : {false, true})
            if (!trouble && troubleOf(in) == wanted) {
                trouble = wanted;
                input = in;
            }
    if (!trouble) {
        if (portStatusShown) showGreeting();
        portStatusShown = false;
        return;
    }
    const std::string& missing = missingExternalMIDISystem();
    if (trouble == &kAwaited && !missing.empty()) {
        OnExternalMIDIMissing(missing);
    } else {
        const std::string head = std::string("MIDI ") + direction(input) + " '";
        const std::string tail = std::string("' ") + trouble->state + ":";
        setUpperDisplayText(
            head +
            ControlDisplay::shortened(nameOf(input, trouble),
                                      ControlDisplay::kLineChars - head.size() - tail.size()) +
            tail);
        setLowerDisplayText(trouble->remedy);
    }
    portStatusShown = true;
}

void Zoz::OnExternalMIDIMissing(const std::string& why) {
    setUpperDisplayText("No MIDI ports:");
    setLowerDisplayText(why);
    portStatusShown = true;
}
