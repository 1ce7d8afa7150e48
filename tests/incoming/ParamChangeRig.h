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

// The templates of the fixture controls: effect 1 at 1/05 (sound), sound index 80, part 0's
// bank and program, part 4's pattern, global indices 12, 11 and 36.
inline const char* const kFixtureSysEx =
    "<sysexlist>"
    "<sysex><values><value>3E 0F 00 20 00 01 05 00</value></values></sysex>"
    "<sysex><values><value>3E 0F 00 20 00 00 50 00</value></values></sysex>"
    "<sysex><values><value>3E 0F 00 21 00 20 00</value></values></sysex>"
    "<sysex><values><value>3E 0F 00 21 00 21 00</value></values></sysex>"
    "<sysex><values><value>3E 0F 00 21 01 03 00</value></values></sysex>"
    "<sysex><values><value>3E 0F 00 24 00 0C 00</value></values></sysex>"
    "<sysex><values><value>3E 0F 00 24 00 0B 00</value></values></sysex>"
    "<sysex><values><value>3E 0F 00 24 00 24 00</value></values></sysex>"
    "</sysexlist>";

// The plug-in over a fixture editor: parameters, controls, their maps and the plug lock are the
// editor's, the rest is the fake's. Parameters set from the plug-in's side are recorded too.
class EditorPlugin : public testsupport::FakeSenderPlugin {
public:
    explicit EditorPlugin(ConfigEditor& editor) : editor(editor) {
        controls = &editor.manager;
        plugMutex = editor.effect.GetMutex();
    }
    double GetParamValue(int id) override { return param(id) ? param(id)->Value() : 0.0; }
    double GetParamMin(int id) override { return param(id) ? param(id)->GetMin() : 0.0; }
    double GetParamMax(int id) override { return param(id) ? param(id)->GetMax() : 0.0; }
    void SetParameterFromPlug(int id, double value) override {
        FakeSenderPlugin::SetParameterFromPlug(id, value);
        editor.graphics.SetParameterFromPlug(id, value, false);
    }
    IParam* param(int id) const { return editor.effect.GetParam(id); }

private:
    ConfigEditor& editor;
};

// A message manager over the fixture editor, its clock past the program-change gate. Jobs run
// up to their first pause and wait there until the rig ends (then they are cancelled), so a
// test sees exactly the requests that were posted.
struct ParamChangeRig {
    ParamChangeRig() {
        plugin.manager = &manager;
        plugin.setParam(kLibSyncTimer, 7);
        // clang-format off
        const struct { int base, count, min, max; } params[] = {
            {kMultiPartBank, 16, 0, 3},      {kMultiPartPatch, 16, 0, 127},
            {kCurrentBank, 16, 0, 3},        {kMultiPartMIDICh, 16, 0, 17},
            {kPartLock, 16, 0, 1},           {kPartProgramChange, 16, 0, 1},
            {kEffect1Mode, 16, 0, 9},        {kEffect2Mode, 16, 0, 11},
            {kOscillatorUnisono, 16, 0, 7},  {kOscillatorMonoPolyMode, 16, 0, 1},
            {kFilterEnvMode, 16, 0, 127},    {kFilterEnvTrigger, 16, 0, 1},
            {kAmpEnvMode, 16, 0, 127},       {kAmpEnvTrigger, 16, 0, 1},
            {kFilterLinkValue, 16, 0, 3},    {kFilterLinkSwitch, 16, 0, 1},
            {kFilterRoutingSwitchA, 16, 0, 1}, {kMainTab, 1, 0, 8},
            {kGlobalLocalControl, 1, 0, 1},  {kMIDIFilterTrackIncomingMIDI, 1, 0, 1},
        };
        // clang-format on
        for (const auto& run : params)
            for (int i = 0; i < run.count; ++i)
                editor.effect.GetParam(run.base + i)->InitInt("", 0, run.min, run.max);
        UIConfigManager& m = editor.manager;
        const char* knob = ConfigEditor::kKnobImage;
        auto sysex = [&](int id, int min, int max, int entry, int part) {
            m.createSysExKnobControl("", id, 0, 0, knob, min, min, max, entry, part < 0 ? 7 : 8,
                                     part, {}, nullptr, "");
        };
        sysex(kFX1PhaserCenter + 2, 0, 127, 0, 2); // effect type 3
        sysex(kFX1FiveFXSource + 2, 0, 127, 0, 2); // no effect type
        sysex(kFilter1Cutoff + 3, 0, 127, 1, 3);
        sysex(kMultiPartBank, 0, 3, 2, -1);
        sysex(kMultiPartPatch, 0, 127, 3, -1);
        sysex(kPartPattern + 4, 0, 127, 4, -1);
        sysex(kGlobalControlSend, 0, 127, 5, -1);
        sysex(kMultiPartTranspose, -48, 48, 6, -1);
        sysex(kGlobalLocalControl, 0, 1, 7, -1);
        auto cc = [&](int number, int id, int min, int max, int step) {
            m.createCCKnobControl(number, 0, "", id, 0, 0, knob, min, min, max, step, {}, 1,
                                  nullptr, "");
        };
        cc(27, kOscillator1Octave + 1, 16, 112, 12);
        cc(28, kOscillator1Semitone + 1, 52, 76, 1);
        cc(31, kFilter1Cutoff + 1, 0, 127, 1);
        cc(70, kFilter1TypeQ + 1, 0, 7, 1);
        cc(70, kFilter1TypeQPlus + 1, 0, 7, 1); // the Q+'s map
        cc(77, kFilterRoutingSwitchB + 1, 0, 1, 1);
        // As at start-up, every control shows its parameter before anything else moves it.
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
        if (fromHost)
            manager.ProcessMidiMsgFromDAW(&msg, 0);
        else
            manager.ProcessMidiMsgFromDevice(&msg);
    }
    double value(int id) const { return editor.effect.GetParam(id)->Value(); }
    // Sets the parameter and shows it on its controls.
    void set(int id, double v) { editor.graphics.SetParameterFromPlug(id, v, false); }
    // The requests that posted jobs sent before their first pause.
    std::vector<Bytes> requests() {
        for (int i = 0; i < 5000 && manager.isRunning(MIDIMessageManager::kJobThread) && !jobHeld; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return plugin.output.bytes();
    }

    testsupport::ManualClock clock;
    std::thread::id testThread = std::this_thread::get_id();
    std::atomic<bool> holdJobs{true};
    std::atomic<bool> jobHeld{false};
    ConfigEditor editor{kFixtureSysEx, 0, 1.0, false};
    EditorPlugin plugin{editor};
    LibrarianTestHost host;
    PatchLibrarian librarian{host};
    MIDIMessageManager manager{&plugin, nullptr, &librarian, nullptr};
};
