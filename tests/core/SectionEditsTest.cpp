// A sound's sections take a musician's edits whatever its oscillator shapes and LFO clocks:
// each state set as a dump from the synthesizer sets it, each control reached by a click or a
// drag through the editor's view.

#include "tests/core/SendRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IFaderControl.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/IKnobControl.h"
#include "platform/view/HeadlessView.h"

#include <string>
#include <vector>

using namespace coretest;
using platform::ViewEvent;
using platform::ViewEventType;

namespace {

// A section's parameters of part 1; a toggle is reached by its trigger.
struct Setting {
    int param, trigger = -1;
};

struct SectionEdits : SendRig {
    void SetUp() override {
        writeSettings("yellow\nnormal\n\n\n"); // no first-run notice over the page
        SendRig::SetUp();
        AEffect* effect = plug->GetAEffect();
        ASSERT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, nullptr, 0.0f), 1);
        view = static_cast<platform::HeadlessView*>(plug->GetGUI()->GetWindow());
    }
    void TearDown() override {
        AEffect* effect = plug->GetAEffect();
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        SendRig::TearDown();
    }

    // At an editor point of the normal size: the view moves a point 2 left and 3 up.
    void send(ViewEventType type, int x, int y) {
        ViewEvent e;
        e.type = type;
        e.x = e.rootX = x + 2;
        e.y = e.rootY = y + 3;
        e.button = 1;
        view->Send(e);
    }
    void click(int x, int y) {
        send(ViewEventType::kButtonDown, x, y);
        send(ViewEventType::kButtonUp, x, y);
    }
    void showTab(int tab) { click(190 + 100 * tab + 50, 20); }
    // As a dump from the synthesizer sets it: nothing is sent, the page follows.
    void fromDump(int param, double value) {
        plug->SetParameterFromGUI2(param, plug->GetParam(param)->GetNormalized(value));
        plug->OnParamChange2(kQuickTab);
        sent();
    }

    IControl* shownControl(int param) {
        IGraphics& g = *plug->GetGUI();
        std::vector<const ControlLayer*> layers;
        for (int i = 0; i < g.NLayers(); ++i) layers.push_back(g.GetLayer(i));
        while (!layers.empty()) {
            const ControlLayer* layer = layers.back();
            layers.pop_back();
            if (!layer->isVisible()) continue;
            for (int i = 0; i < layer->getControls().GetSize(); ++i) {
                IControl* c = layer->getControls().Get(i);
                if (c->ParamIdx() == param && !c->IsHidden()) return c;
            }
            for (int i = 0; i < layer->getChildren().GetSize(); ++i)
                layers.push_back(layer->getChildren().Get(i));
        }
        return nullptr;
    }

    // Edits the setting as a musician does and tells what fell short: its control is missing,
    // took nothing, or its edit sent no parameter message.
    std::string edit(const Setting& s) {
        IControl* c = shownControl(s.trigger >= 0 ? s.trigger : s.param);
        if (!c) return "no control shown";
        // Greyed, it takes no click: no input may wait for a menu that does not open.
        if (c->IsGrayed()) return "greyed";
        const IRECT r = c->GetRECT();
        const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
        const double before = value(s.param);
        const bool high = plug->GetParam(s.param)->GetNormalized() > 0.5;
        if (dynamic_cast<IKnobControl*>(c)) {
            send(ViewEventType::kButtonDown, x, y);
            send(ViewEventType::kMotion, x, high ? y + 20 : y - 20);
            send(ViewEventType::kButtonUp, x, high ? y + 20 : y - 20);
        } else if (dynamic_cast<IFaderControl*>(c)) {
            click(high ? r.L + 2 : r.R - 2, y);
        } else if (dynamic_cast<ICaptionControl*>(c)) {
            // Its menu, by the keys: the first entry, or the last when the first is the value.
            for (platform::ViewKey key : {platform::ViewKey::kDown, platform::ViewKey::kUp}) {
                ViewEvent k;
                k.type = ViewEventType::kKey;
                k.key = key;
                view->Queue(k);
                k.key = platform::ViewKey::kReturn;
                view->Queue(k);
                click(x, y);
                if (value(s.param) != before) break;
            }
        } else {
            click(x, y);
        }
        if (value(s.param) == before) return "took nothing";
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

    platform::HeadlessView* view = nullptr;
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
