// The module that the host tests load until the editor's own plug-in class exists: the
// framework on the VST2 adapter, with a test plug-in that has the editor's identity, hidden
// parameters only and a small editor. Like the editor, it talks to a synthesizer through the
// MIDI ports that its settings file names.

#include "kit/effect/IEffectVST.h"
#include "platform/Paths.h"
#include "tests/zoz_host/plugin/EditorPlugin.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// Sends the host's MIDI back to the host and prints the transport whenever its tempo, time
// signature, running or loop state changes, so that a host can see what reached the plug-in.
// The switch turned on probes the synthesizer (asks for its global dump at the broadcast id);
// what the synthesizer sends is printed.
class ModuleEffect : public testsupport::EditorPlugin {
public:
    explicit ModuleEffect(audioMasterCallback host) : EditorPlugin(host) { openStoredPorts(); }
    // The host's last events still come back.
    ~ModuleEffect() override { StopOutputThread(); }

    void ProcessMidiMsg(IMidiMsg* msg, bool) override { SendMidiVST(msg); }

    void ProcessSysEx(ISysEx* sysex, bool fromHardware) override {
        if (!fromHardware) return;
        std::string hex;
        char byte[4];
        for (int i = 0; i < sysex->size; ++i) {
            snprintf(byte, sizeof(byte), " %02X", sysex->data[i]);
            hex += byte;
        }
        printf("plug-in: SysEx from the synthesizer, %d bytes:%s\n", sysex->size, hex.c_str());
    }

    void OnParamChange(int idx) override {
        EditorPlugin::OnParamChange(idx);
        unsigned char probe[] = {0x3E, 0x0F, 0x7F, 0x04};
        if (idx == kSwitch && GetParam(kSwitch)->Value() >= 0.5)
            printf("plug-in: probe %s\n", SendMidiSysex(probe, int(sizeof(probe))) ? "sent" : "NOT sent");
    }

    void ProcessDoubleReplacing(double** in, double** out, int nFrames) override {
        const ITimeInfo before = m_time;
        GetTime(&m_time);
        if (!m_printed || before.tempo != m_time.tempo || before.numerator != m_time.numerator ||
            before.denominator != m_time.denominator ||
            before.transportIsRunning != m_time.transportIsRunning ||
            before.transportLoopEnabled != m_time.transportLoopEnabled) {
            printf("plug-in: tempo %g signature %d/%d running %d loop %d\n", m_time.tempo,
                   m_time.numerator, m_time.denominator, int(m_time.transportIsRunning),
                   int(m_time.transportLoopEnabled));
            m_printed = true;
        }
        EditorPlugin::ProcessDoubleReplacing(in, out, nFrames);
    }

private:
    // The settings file's third line says "yes" to open the MIDI Out and MIDI In ports of its
    // fourth and fifth lines (trailing blanks dropped), as the editor does at start-up.
    void openStoredPorts() {
        std::ifstream file(platform::DataFolder() + "Zoz Editor UI.txt");
        std::string lines[5];
        for (std::string& line : lines) {
            if (!std::getline(file, line)) break;
            line.erase(line.find_last_not_of(" \r\t") + 1);
        }
        if (lines[2] != "yes" || lines[3].empty()) return;
        getExternalMIDIOutNames();
        getExternalMIDIInNames();
        int out = getExternalMIDIOutDevice(lines[3].c_str());
        int in = getExternalMIDIInDevice(lines[4].c_str());
        setExternalMIDIOut(out, lines[3].c_str());
        setExternalMIDIIn(in, lines[4].c_str());
        printf("plug-in: MIDI Out \"%s\" %s, MIDI In \"%s\" %s\n", lines[3].c_str(),
               out > 0 ? "open" : "NOT open", lines[4].c_str(), in > 0 ? "open" : "NOT open");
    }

    ITimeInfo m_time;
    bool m_printed = false;
};

IEffectVST* makeEffect(IEffectInstanceInfo info) {
    return new ModuleEffect(info.hostCallback);
}

} // namespace

VST_PLUGIN_ENTRY(makeEffect)
