// A sound's sections take a musician's edits whatever its oscillator shapes and LFO clocks:
// each state set as a dump from the synthesizer sets it, each control reached by a click or a
// drag through the editor's view.

#include "tests/core/EditorRig.h"
#include "tests/support/ScaledClock.h"

#include <string>
#include <vector>

using namespace coretest;

namespace {

// A section's parameters of part 1; a toggle is reached by its trigger.
struct Setting {
    int param, trigger = -1;
};

struct SectionEdits : EditorRig {
    // Edits the setting as a musician does and tells what fell short: its control is missing,
    // took nothing, or its edit sent no parameter message.
    std::string edit(const Setting& s) {
        IControl* c = shownControl(s.trigger >= 0 ? s.trigger : s.param);
        if (!c) return "no control shown";
        // Greyed, it takes no click: no input may wait for a menu that does not open.
        if (c->IsGrayed()) return "greyed";
        if (!operate(c, s.param)) return "took nothing";
        for (const Bytes& m : sent())
            if (m.size() > 9 && m[1] == 0x3E && m[4] == 0x20) return "";
        return "sent no parameter message";
    }

    // Every setting of a section takes its edit in each state of its mode parameter, the
    // mode's own control last.
    void expectEditable(int mode, const std::vector<double>& states,
                        const std::vector<Setting>& settings, const Setting& modeControl) {
        for (double state : states) {
            fromDump(mode, state);
            for (const Setting& s : settings)
                EXPECT_EQ(edit(s), "")
                    << "parameter " << s.param << ", " << mode << " at " << state;
            EXPECT_EQ(edit(modeControl), "") << mode << " at " << state;
        }
    }

    static std::vector<double> upTo(int last) {
        std::vector<double> values(size_t(last) + 1);
        for (int v = 0; v <= last; ++v) values[size_t(v)] = v;
        return values;
    }
};

} // namespace

// clang-format off
TEST_F(SectionEdits, EveryOscillatorSettingTakesItsEditWhateverTheShape) {
    showTab(2);
    const struct {
        int shape, lastShape;
        std::vector<Setting> settings;
    } oscillators[] = {
        {kOscillator1Shape, 68, {{kOscillator1Octave}, {kOscillator1Semitone}, {kOscillator1Detune},
            {kOscillator1BendRange}, {kOscillator1Keytrack}, {kOscillator1FMSource},
            {kOscillator1FMAmount}, {kOscillator1FrqDivide}, {kOscillator1SubLevel},
            {kOscillator1Pulsewidth}, {kOscillator1PWMSource}, {kOscillator1PWMAmount}}},
        {kOscillator2Shape, 68, {{kOscillator2Octave}, {kOscillator2Semitone}, {kOscillator2Detune},
            {kOscillator2BendRange}, {kOscillator2Keytrack}, {kOscillator2FMSource},
            {kOscillator2FMAmount}, {kOscillator2FrqDivide}, {kOscillator2SubLevel},
            {kOscillator2SyncToOsc3, kTriggerOscillator2SyncToOsc3}, {kOscillator2Pulsewidth},
            {kOscillator2PWMSource}, {kOscillator2PWMAmount}}},
        {kOscillator3Shape, 4, {{kOscillator3Octave}, {kOscillator3Semitone}, {kOscillator3Detune},
            {kOscillator3BendRange}, {kOscillator3Keytrack}, {kOscillator3FMSource},
            {kOscillator3FMAmount}, {kOscillator3Pulsewidth}, {kOscillator3PWMSource},
            {kOscillator3PWMAmount}}},
    };
    for (const auto& o : oscillators)
        expectEditable(o.shape, upTo(o.lastShape), o.settings, {o.shape});
}

TEST_F(SectionEdits, EveryLfoSettingTakesItsEditClockedOrNot) {
    showTab(4);
    const struct {
        int clock, trigger;
        std::vector<Setting> settings;
    } lfos[] = {
        {kLFO1Clock, kTriggerLFO1Clock, {{kLFO1Shape}, {kLFO1Speed},
            {kLFO1SyncOnOff, kTriggerLFO1SyncOnOff}, {kLFO1Startphase}, {kLFO1Delay}, {kLFO1Fade},
            {kLFO1Keytrack}}},
        {kLFO2Clock, kTriggerLFO2Clock, {{kLFO2Shape}, {kLFO2Speed},
            {kLFO2SyncOnOff, kTriggerLFO2SyncOnOff}, {kLFO2Startphase}, {kLFO2Delay}, {kLFO2Fade},
            {kLFO2Keytrack}}},
        {kLFO3Clock, kTriggerLFO3Clock, {{kLFO3Shape}, {kLFO3Speed},
            {kLFO3SyncOnOff, kTriggerLFO3SyncOnOff}, {kLFO3Startphase}, {kLFO3Delay}, {kLFO3Fade},
            {kLFO3Keytrack}}},
    };
    for (const auto& l : lfos)
        expectEditable(l.clock, {0, 1}, l.settings, {l.clock, l.trigger});
}
// clang-format on

// The pattern page veils the steps past the pattern's length, and they take no edit, as soon
// as the length changes: raised, the steps come free; lowered, they are veiled again.
TEST_F(SectionEdits, PatternStepsPastTheLengthAreVeiledAsTheLengthChanges) {
    testsupport::ManualClock clock; // the page's send of the pattern takes no time
    showTab(6);
    fromDump(kPatternStepLength, 15); // 16 steps
    waitForIdleJobThread(*plug); // the page's send; its progress overlay takes the clicks
    IControl* length = shownControl(kPatternStepLength);
    ASSERT_NE(length, nullptr);
    const auto takes = [&](int cutoff) { return operate(shownControl(cutoff), cutoff); };
    const auto veiled = [&](const char* layer) { return plug->namedLayer(layer)->isVisible(); };
    EXPECT_TRUE(veiled("step17overlayer"));
    EXPECT_FALSE(takes(kPatternStep17Cutoff));
    length->SetValueFromUserInput(plug->GetParam(kPatternStepLength)->GetNormalized(31));
    EXPECT_FALSE(veiled("step17overlayer"));
    EXPECT_FALSE(veiled("step32overlayer"));
    EXPECT_TRUE(takes(kPatternStep17Cutoff));
    length->SetValueFromUserInput(plug->GetParam(kPatternStepLength)->GetNormalized(3));
    EXPECT_TRUE(veiled("step05overlayer"));
    EXPECT_FALSE(veiled("step04overlayer"));
    EXPECT_TRUE(takes(kPatternStep04Cutoff));
    EXPECT_FALSE(takes(kPatternStep05Cutoff));
}
