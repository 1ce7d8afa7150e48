#include "src/incoming/DumpBytes.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/GlobalDumpLayout.h"
#include "src/sender/MultiDumpLayout.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SoundDumpLayout.h"
#include "src/uiconfig/ParameterIds.h"

bool MIDIMessageManager::sysexMultiParse(ISysEx* message) {
    using namespace MultiDump;
    if (!isDump(*message, kSysexMultiDump, kSize, kSize)) return false;
    const DumpBytes data(*message);
    answerReceived = false;

    const std::string name = data.text(kNameOffset, kNameLength);
    plugin->setParamText(kMultiName, displayText(name));
    plugin->setPatchManagerName(0, name);
    plugin->setLibrarianViewDirty();

    const auto set = [&](int param, int value) { plugin->SetParameterFromPlug(param, value); };
    for (const DumpByte& b : kMultiBytes)
        set(b.param, b.decode(data[b.offset]));
    for (int part = 0; part < kParts; ++part) {
        for (const DumpByte& b : kPartBytes)
            set(b.param + part, b.decode(data[partByte(part, b.offset)]));
        processMultiSettings1Values(data[partByte(part, kSettings1Offset)], part);
        processMultiSettings2Values(data[partByte(part, kSettings2Offset)], part);
    }
    answerReceived = true;

    // What the synthesizer now holds, as the parameters' ranges took it.
    const auto valueOf = [&](int param) {
        return SoundDump::truncated(plugin->GetParamValue(param));
    };
    for (int part = 0; part < kParts; ++part) {
        plugin->setStoredBank(part, valueOf(kMultiPartBank + part));
        plugin->setStoredProgram(part, valueOf(kMultiPartPatch + part));
    }
    return true;
}

void MIDIMessageManager::processMultiSettings1Values(int value, int part) {
    if (part < 0 || part >= MultiDump::kParts) return;
    const auto set = [&](int param, double v) { plugin->SetParameterFromPlug(param + part, v); };
    set(kMIDIRX, 0);
    set(kMIDITX, 0);
    set(kEngine, 0);
    set(kMultiPartStatus, 1.0);
    if (value >= MultiDump::kSettings1Limit) {
        set(kEngine, 2);
        set(kMultiPartStatus, 0.0);
    } else if (value >= 0) {
        const int receive = value & 3, send = (value >> 2) & 3, engine = value >> 4;
        if (receive) set(kMIDIRX, receive);
        if (send) set(kMIDITX, send);
        // A part whose engine bits are set is not played.
        if (engine) {
            set(kEngine, engine);
            set(kMultiPartStatus, 0.0);
        }
    }
}

void MIDIMessageManager::processMultiSettings2Values(int value, int part) {
    using MultiDump::kSwitches;
    if (part < 0 || part >= MultiDump::kParts) return;
    for (int param : kSwitches)
        plugin->SetParameterFromPlug(param + part, 0.0);
    if (value >= MultiDump::kSettings2Limit) {
        plugin->SetParameterFromPlug(kPartProgramChange + part, 1.0);
        plugin->SetParameterFromPlug(kPartButtons + part, 1.0);
    } else if (value >= 0) {
        for (int k = 0; k < MultiDump::kSwitchCount; ++k)
            if ((value >> k) & 1) plugin->SetParameterFromPlug(kSwitches[k] + part, 1.0);
    }
}

bool MIDIMessageManager::sysexSettingsParse(ISysEx* message) {
    using namespace GlobalDump;
    if (!isDump(*message, kSysexGlobalDump, kSize, kSize)) return false;
    const DumpBytes data(*message);
    answerReceived = false;
    for (const DumpByte& b : layout())
        plugin->SetParameterFromPlug(b.param, b.decode(data[b.offset]));
    plugin->setLocalControl(data[kLocalControlByte] != 0);
    answerReceived = true;
    return true;
}
