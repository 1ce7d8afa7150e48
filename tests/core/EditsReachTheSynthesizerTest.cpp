// Every edit reaches the synthesizer: each control of a parameter that the synthesizer keeps
// sends it, by a message of its own or inside the whole dump that holds it, and the bytes that
// hold several settings go whole, as a musician's clicks and drags make them.

#include "tests/core/EditorRig.h"
#include "tests/core/LayoutParameters.h"

#include "kit/effect/ISysEx.h"
#include "src/incoming/EffectAliases.h"
#include "src/sender/GlobalDumpLayout.h"
#include "src/sender/MultiDumpLayout.h"
#include "src/sender/PatternDumpLayout.h"
#include "tests/support/SoundDumpRig.h"
#include "tools/zoz-qsim/SynthSimulator.h"

#include <map>
#include <set>
#include <string>

using namespace coretest;

namespace {

// Which dump of the synthesizer holds a parameter (part-0 ids for a part's).
enum class Held { kSound, kMulti, kGlobal, kPattern };

std::map<int, Held> heldParameters() {
    std::map<int, Held> held;
    for (const SoundDump::Byte& row : SoundDump::layout())
        for (int i = 0; i < SoundDump::paramCount(row.encoding); ++i)
            held[row.params[i]] = Held::kSound;
    for (int effect = 0; effect < 2; ++effect)
        for (int slot = 0; slot < EffectAliases::kSlotCount; ++slot)
            for (int alias : EffectAliases::of(effect, slot))
                held[alias] = Held::kSound;
    for (const SoundDump::TapDelay& tap : SoundDump::kTapDelays) {
        for (int t = 0; t < 16; ++t)
            held[tap.firstVolume + 16 * t] = held[tap.firstPan + 16 * t] = Held::kSound;
        held[tap.ducking] = Held::kSound;
    }
    held[kPatchName] = held[kCategoryName] = Held::kSound;
    for (const DumpByte& b : MultiDump::kMultiBytes)
        held[b.param] = Held::kMulti;
    for (const DumpByte& b : MultiDump::kPartBytes)
        held[b.param] = Held::kMulti;
    for (int param : MultiDump::kSwitches)
        held[param] = Held::kMulti;
    held[kMIDIRX] = held[kMIDITX] = held[kEngine] = held[kMultiName] = Held::kMulti;
    for (const DumpByte& b : GlobalDump::layout())
        held[b.param] = Held::kGlobal;
    for (const DumpByte& b : PatternDump::layout())
        held[b.param] = Held::kPattern;
    held[kPatternName] = Held::kPattern;
    return held;
}

// The first control of each parameter that a page can show (the hidden range knobs aside).
std::map<int, IControl*> shownControls(IGraphics& g) {
    std::map<int, IControl*> controls;
    std::vector<const ControlLayer*> layers;
    for (int i = 0; i < g.NLayers(); ++i)
        layers.push_back(g.GetLayer(i));
    for (int i = 0; i < g.NControls(); ++i)
        controls.emplace(g.GetControl(i)->ParamIdx(), g.GetControl(i));
    while (!layers.empty()) {
        const ControlLayer* layer = layers.back();
        layers.pop_back();
        if (layer->getName().rfind("rangeOnly", 0) == 0) continue;
        for (int i = 0; i < layer->getControls().GetSize(); ++i)
            controls.emplace(layer->getControls().Get(i)->ParamIdx(), layer->getControls().Get(i));
        for (int i = 0; i < layer->getChildren().GetSize(); ++i)
            layers.push_back(layer->getChildren().Get(i));
    }
    return controls;
}

// "kName part N" (parts from 0; 0 for a parameter of the multi or the global settings).
std::string nameOf(int id) {
    const ParameterNameRun* run = runOf(id);
    return run->name + std::string(" part ") +
           std::to_string(run->width == 16 ? id - run->firstId : 0);
}

} // namespace

struct EditsReachTheSynthesizer : EditorRig {
    // Edits each control of a kept parameter of parts 1 and 16, the multi and the global
    // settings as its control does it, to a value that neither the editor nor the synthesizer
    // holds, and reads back what the synthesizer then holds, as a dump. Gives the parameters
    // whose new value did not reach it, or that no control shows; `edited` counts the edits.
    std::vector<std::string> unreachedParameters(int& edited);
};

std::vector<std::string> EditsReachTheSynthesizer::unreachedParameters(int& edited) {
    testsupport::ManualClock clock; // pauses and pacing take no time
    qsim::SynthSimulator synth;
    synth.fillCanonical();
    out.setListener([&](const Bytes& m) { synth.answer(m); });
    plug->GetParam(kControlProgBank)->Set(0.0); // program changes send and request nothing
    // What sends nothing, or nothing the synthesizer takes, by design: its message already
    // names the new device id, which the synthesizer does not answer to yet.
    const std::set<int> byDesign = {kGlobalSysExID};
    testsupport::SoundDumpRig reader;
    const std::map<int, Held> held = heldParameters();
    const std::map<int, IControl*> controls = shownControls(*plug->GetGUI());
    std::vector<std::string> unreached;
    // A kept parameter that no control shows is lost to the musician. The effects' slots are
    // edited by the knobs of the effect's type, the filter link's value by the link's menu.
    for (const auto& [part0, where] : held) {
        const bool slot = (part0 >= kEffect1Param01 && part0 < kEffect1Param14 + 16) ||
                          (part0 >= kEffect2Param01 && part0 < kEffect2Param14 + 16);
        if (where == Held::kPattern || slot || part0 == kFilterLinkValue) continue;
        for (int part : {0, 15})
            if ((part == 0 || runOf(part0)->width == 16) && !controls.count(part0 + part))
                unreached.push_back(nameOf(part0 + part) + " (no control)");
    }
    edited = 0;
    for (const auto& [id, control] : controls) {
        const ParameterNameRun* run = runOf(id);
        const int part = run && run->width == 16 ? id - run->firstId : 0;
        const auto kept = held.find(id - part);
        // A pattern travels as a whole dump: the pattern page sends the part's as it shows it.
        if (kept == held.end() || kept->second == Held::kPattern || byDesign.count(id) ||
            (part != 0 && part != 15))
            continue;
        const std::string name = nameOf(id);
        SCOPED_TRACE(name);
        plug->selectedPart() = part; // the part whose page shows the control
        // An effect's own settings are sent while the part's effect has their type.
        if (const int type = effectTypeOf(run->name)) {
            const int mode = (name.rfind("kFX1", 0) == 0 ? kEffect1Mode : kEffect2Mode) + part;
            plug->SetParameterFromGUI(mode, plug->GetParam(mode)->GetNormalized(type));
            waitForIdleJobThread(*plug);
        }
        // What the synthesizer holds, parsed by a plug-in of its own.
        const auto readBack = [&] {
            Bytes dump = kept->second == Held::kSound   ? synth.dumpAt(0x10, 0x30, uint8_t(part))
                         : kept->second == Held::kMulti ? synth.dumpAt(0x11, 0x20, 0)
                                                        : synth.dumpAt(0x14, 0, 0);
            ISysEx message(0, dump.data(), int(dump.size()));
            reader.manager.dumpAwaited = true;
            reader.manager.ProcessSysEx(&message, true);
        };
        IParam* param = plug->GetParam(id);
        bool reached;
        if (param->Type() == kTypeText) {
            const auto text = [](std::string t) { return t.erase(t.find_last_not_of(' ') + 1); };
            readBack();
            const std::set<std::string> before = {text(plug->getParamText(id)),
                                                  text(reader.plugin.getParamText(id))};
            std::string v = "Lead";
            for (const char* other : {"Bass", "Keys"})
                if (before.count(v)) v = other;
            plug->GetGUI()->SetFromStringAfterPrompt(control, param, v.c_str());
            waitForIdleJobThread(*plug);
            readBack();
            reached = text(reader.plugin.getParamText(id)) == v;
        } else {
            const auto edit = [&](int v) {
                control->SetValueFromUserInput(param->GetNormalized(v));
                waitForIdleJobThread(*plug);
                return TruncToInt(param->Value()) == v;
            };
            const int min = TruncToInt(param->GetMin()), max = TruncToInt(param->GetMax());
            readBack();
            const int synthHolds = TruncToInt(reader.plugin.GetParamValue(id));
            // A switch that shows the other value than the synthesizer's is set to it first.
            if (max - min == 1 && TruncToInt(param->Value()) != synthHolds) {
                EXPECT_TRUE(edit(synthHolds));
            }
            // The middle, else the first value from the minimum that neither holds.
            int v = (min + max + 1) / 2;
            for (int next = min;
                 (v == TruncToInt(param->Value()) || v == synthHolds) && next <= max; ++next)
                v = next;
            EXPECT_TRUE(edit(v));
            readBack();
            reached = TruncToInt(reader.plugin.GetParamValue(id)) == v;
        }
        if (!reached) unreached.push_back(name);
        ++edited;
    }
    return unreached;
}

// Every control of a kept parameter of the layout sends it, by a message of its own or inside
// the whole dump that holds it. Those that send nothing by design are left out.
TEST_F(EditsReachTheSynthesizer, EveryKeptParameterOfTheLayoutReachesTheSynthesizer) {
    int edited = 0;
    for (const std::string& name : unreachedParameters(edited))
        ADD_FAILURE() << name << " did not reach the synthesizer";
    EXPECT_GT(edited, 1000);
}

// The check names each control that sends nothing, their messages taken away: a knob that the
// editor shows at the middle of its range while the synthesizer holds its minimum, and a
// switch that shows the other value than the synthesizer's.
TEST_F(EditsReachTheSynthesizer, AControlThatSendsNothingIsNamed) {
    for (int id : {int(kOscillator1Detune), kOscillator1Detune + 15, int(kGlobalLocalControl)}) {
        ControlAction* action = plug->GetParam(id)->GetControlAction();
        ASSERT_NE(action, nullptr);
        action->actionType = kActionNone;
    }
    int edited = 0;
    EXPECT_EQ(unreachedParameters(edited),
              (std::vector<std::string>{"kOscillator1Detune part 0", "kOscillator1Detune part 15",
                                        "kGlobalLocalControl part 0"}));
}

// A musician's menu choices, clicks and drags on the settings that share a byte send the byte
// the sound dump holds for them all, and Effect 2's mode its byte (the 5.1 delays with their
// offset), for the part shown: part 1, and part 16 with the arpeggiator's last step.
TEST_F(EditsReachTheSynthesizer, SharedBytesGoWholeFromTheirControls) {
    testsupport::ManualClock clock; // the part switch's send takes no time
    const int lastStep = 15 * (kArpPattern02Glide - kArpPattern01Glide);
    const struct {
        int tab, part, param, control;
    } edits[] = {
        {2, 0, kOscillatorUnisono, kOscillatorUnisono},
        {2, 0, kOscillatorMonoPolyMode, kTriggerOscillatorMonoPolyMode},
        {5, 0, kEffect2Mode, kEffect2Mode},
        {5, 0, kArpPattern01Step, kArpPattern01Step},
        {5, 0, kArpPattern01Glide, kArpPattern01Glide},
        {5, 0, kArpPattern01Accent, kArpPattern01Accent},
        {5, 0, kArpPattern01StepLen, kArpPattern01StepLen},
        {5, 0, kArpPattern01Timing, kArpPattern01Timing},
        {5, 15, kArpPattern01Step + lastStep, kArpPattern01Step + lastStep},
        {5, 15, kArpPattern01Glide + lastStep, kArpPattern01Glide + lastStep},
        {5, 15, kArpPattern01Accent + lastStep, kArpPattern01Accent + lastStep},
        {5, 15, kArpPattern01StepLen + lastStep, kArpPattern01StepLen + lastStep},
        {5, 15, kArpPattern01Timing + lastStep, kArpPattern01Timing + lastStep},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(runOf(e.param)->name + std::string(" part ") + std::to_string(e.part));
        showTab(e.tab);
        showPart(e.part);
        waitForIdleJobThread(*plug);
        sent();
        IControl* c = shownControl(e.control + e.part);
        ASSERT_NE(c, nullptr);
        ASSERT_TRUE(operate(c, e.param + e.part));
        const SoundDump::Byte* row = encodedRow(e.param);
        ASSERT_NE(row, nullptr);
        const int index = row->offset - 7;
        const uint8_t byte = SoundDump::encode(
            *row, [&](int p) { return TruncToInt(value(p + e.part)); }, 0);
        EXPECT_EQ(sent(),
                  (std::vector<Bytes>{{0xF0, 0x3E, 0x0F, 0x00, 0x20, uint8_t(e.part),
                                       uint8_t(index >> 7), uint8_t(index & 0x7F), byte, 0xF7}}));
    }
    EXPECT_EQ(value(kEffect2Mode), 11.0); // 5.1 Delay Clocked, sent as 33
}

// A drag across a two-value knob sends once, as the value changes, not at every step of the
// mouse; the knob shows what was sent.
TEST_F(EditsReachTheSynthesizer, ADragSendsOnlyWhenTheValueChanges) {
    showTab(5);
    fromDump(kEffect1Mode, 2); // Flanger
    IControl* polarity = shownControl(kFX1FlangerPolarity);
    ASSERT_NE(polarity, nullptr);
    const IRECT r = polarity->GetRECT();
    const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
    using platform::ViewEventType;
    send(ViewEventType::kButtonDown, x, y);
    for (int dy = 2; dy <= 60; dy += 2)
        send(ViewEventType::kMotion, x, y - dy);
    send(ViewEventType::kButtonUp, x, y - 60);
    EXPECT_EQ(value(kFX1FlangerPolarity), 1.0);
    EXPECT_EQ(polarity->GetValue(), 1.0);
    // Slot 9 of effect 1: sound dump byte 145.
    EXPECT_EQ(sent(),
              (std::vector<Bytes>{{0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x00, 0x01, 0x0A, 0x01, 0xF7}}));
}
