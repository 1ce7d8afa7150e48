#pragma once

#include "kit/effect/IControl.h"
#include "kit/effect/IMidiMsg.h"
#include "kit/effect/ISysEx.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/FakeSenderPlugin.h"
#include "tests/support/ScaledClock.h"
#include "tests/uiconfig/ConfigEditor.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using Bytes = std::vector<uint8_t>;

// The plug-in over a fixture editor whose parameters, controls, maps and plug lock it uses;
// the rest is the fake's. Parameters set from the plug-in's side are recorded as well.
class EditorPlugin : public testsupport::FakeSenderPlugin {
public:
    explicit EditorPlugin(ConfigEditor& e) : e(e) {
        controls = &e.manager;
        plugMutex = e.effect.GetMutex();
    }
    double GetParamValue(int id) override { return e.effect.GetParam(id)->Value(); }
    double GetParamMin(int id) override { return e.effect.GetParam(id)->GetMin(); }
    double GetParamMax(int id) override { return e.effect.GetParam(id)->GetMax(); }
    void SetParameterFromPlug(int id, double value) override {
        FakeSenderPlugin::SetParameterFromPlug(id, value);
        e.graphics.SetParameterFromPlug(id, value, false);
    }
    ConfigEditor& e;
};

// A message manager over controls that the factories make from fixture templates, the clock
// past the program-change gate. Posted jobs stop at their first pause (the request sent) until
// the rig ends, which cancels them.
struct ParamChangeRig {
    ParamChangeRig() {
        plugin.manager = &manager;
        const int ranges[][3] = {
            {kMultiPartBank, 0, 3},     {kMultiPartPatch, 0, 127},  {kCurrentBank, 0, 3},
            {kMultiPartMIDICh, 0, 17},  {kEffect1Mode, 0, 9},       {kOscillatorUnisono, 0, 7},
            {kFilterEnvMode, 0, 127},   {kAmpEnvMode, 0, 127},      {kFilterLinkValue, 0, 3},
            {kMIDIRX, 0, 3},            {kMIDITX, 0, 3},            {kEngine, 0, 2},
        };
        for (const auto& r : ranges)
            for (int part = 0; part < 16; ++part)
                editor.effect.GetParam(r[0] + part)->InitInt("", 0, r[1], r[2]);
        const int switches[] = {kPartLock,         kPartProgramChange, kOscillatorMonoPolyMode,
                                kFilterEnvTrigger, kAmpEnvTrigger,     kFilterLinkSwitch,
                                kFilterRoutingSwitchA, kMultiPartStatus, kPartPitchBend,
                                kPartModWheel,     kPartAfterTouch,    kPartSustain,
                                kPartButtons};
        for (int id : switches)
            for (int part = 0; part < 16; ++part)
                editor.effect.GetParam(id + part)->InitBool("", false);
        editor.effect.GetParam(kMIDIFilterTrackIncomingMIDI)->InitBool("", false);
        UIConfigManager& m = editor.manager;
        const char* knob = ConfigEditor::kKnobImage;
        const int sysex[][5] = {// parameter, min, max, template, part
                                {kFX1PhaserCenter + 2, 0, 127, 0, 2}, // effect type 3
                                {kFX1FiveFXSource + 2, 0, 127, 0, 2}, // no effect type
                                {kFilter1Cutoff + 3, 0, 127, 1, 3},   {kMultiPartBank, 0, 3, 2, -1},
                                {kMultiPartPatch, 0, 127, 3, -1},     {kPartPattern + 4, 0, 127, 4, -1},
                                {kGlobalControlSend, 0, 127, 5, -1},  {kMultiPartTranspose, -48, 48, 6, -1},
                                {kGlobalLocalControl, 0, 1, 7, -1}};
        for (const auto& c : sysex)
            m.createSysExKnobControl("", c[0], 0, 0, knob, c[1], c[1], c[2], c[3], c[4] < 0 ? 7 : 8,
                                     c[4], {}, nullptr, "");
        const int cc[][5] = {// CC, parameter, min, max, step; all of part 1
                             {27, kOscillator1Octave + 1, 16, 112, 12}, {28, kOscillator1Semitone + 1, 52, 76, 1},
                             {31, kFilter1Cutoff + 1, 0, 127, 1},       {70, kFilter1TypeQ + 1, 0, 7, 1},
                             {70, kFilter1TypeQPlus + 1, 0, 7, 1},      {77, kFilterRoutingSwitchB + 1, 0, 1, 1}};
        for (const auto& c : cc)
            m.createCCKnobControl(c[0], 0, "", c[1], 0, 0, knob, c[2], c[2], c[3], c[4], {}, 1, nullptr, "");
        // As at start-up, every control shows its parameter before anything moves it.
        editor.effect.AttachGraphics(&editor.graphics);
        clock.AdvanceMillis(2000);
        clock.SetSleepHook([this](int64_t) {
            if (std::this_thread::get_id() == testThread) return;
            jobHeld = true;
            while (holdJobs)
                std::this_thread::yield();
        });
    }
    ~ParamChangeRig() {
        manager.getSender()->cancel = true;
        holdJobs = false;
        while (manager.isRunning(MIDIMessageManager::kJobThread))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    void send(Bytes message) {
        ISysEx s(0, message.data(), int(message.size()));
        manager.ProcessSysEx(&s, true);
    }
    void shortMessage(bool fromHost, uint8_t status, uint8_t data1, uint8_t data2 = 0) {
        IMidiMsg msg(0, status, data1, data2);
        fromHost ? manager.ProcessMidiMsgFromDAW(&msg, 0) : manager.ProcessMidiMsgFromDevice(&msg);
    }
    double value(int id) const { return editor.effect.GetParam(id)->Value(); }
    // Sets the parameter and shows it on its controls.
    void set(int id, double v) { editor.graphics.SetParameterFromPlug(id, v, false); }
    // The requests the posted jobs sent (the SysEx on the output, not the bank changes).
    std::vector<Bytes> requests() {
        for (int i = 0; i < 5000 && manager.isRunning(MIDIMessageManager::kJobThread) && !jobHeld; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::vector<Bytes> sysex;
        for (Bytes& m : plugin.output.bytes())
            if (m[0] == 0xF0) sysex.push_back(std::move(m));
        return sysex;
    }

    testsupport::ManualClock clock;
    std::thread::id testThread = std::this_thread::get_id();
    std::atomic<bool> holdJobs{true}, jobHeld{false};
    // Templates: effect 1 at 1/05 (sound), sound index 80, part 0's bank and program, part 4's
    // pattern, global indices 12, 11 and 36.
    ConfigEditor editor{"<sysexlist><sysex><values><value>3E 0F 00 20 00 01 05 00</value></values></sysex>"
                        "<sysex><values><value>3E 0F 00 20 00 00 50 00</value></values></sysex>"
                        "<sysex><values><value>3E 0F 00 21 00 20 00</value></values></sysex>"
                        "<sysex><values><value>3E 0F 00 21 00 21 00</value></values></sysex>"
                        "<sysex><values><value>3E 0F 00 21 01 03 00</value></values></sysex>"
                        "<sysex><values><value>3E 0F 00 24 00 0C 00</value></values></sysex>"
                        "<sysex><values><value>3E 0F 00 24 00 0B 00</value></values></sysex>"
                        "<sysex><values><value>3E 0F 00 24 00 24 00</value></values></sysex></sysexlist>",
                        0, 1.0, false};
    EditorPlugin plugin{editor};
    LibrarianTestHost host;
    PatchLibrarian librarian{host};
    MIDIMessageManager manager{&plugin, nullptr, &librarian, nullptr};
};
