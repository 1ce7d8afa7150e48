#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IFaderControl.h"
#include "kit/effect/IKnobMultiControl.h"
#include "kit/effect/ISwitchControl.h"
#include "tests/uiconfig/ConfigEditor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const char* const kSysEx = "<sysexlist>"
                           "<sysex><values><value>3E 0F 10 20 00 01 9F 00</value></values></sysex>"
                           "<sysex><values><value>3E 0F 10 21 01 02 00</value></values></sysex>"
                           "<sysex/>"
                           "<sysex><values><value>3E 0F 10 20 00 01</value></values></sysex>"
                           "</sysexlist>";
enum { kSound, kMulti, kNoText, kShort }; // the entries above; the sound value byte is 8
const char* const kKnob = ConfigEditor::kKnobImage;
const char* const kButton = ConfigEditor::kButtonImage;
const char* const kHandle = ConfigEditor::kHandleImage;

TEST(Factories, KnobAndMenuAtBothScales) {
    for (double scale : {0.85, 1.15}) {
        ConfigEditor e(kSysEx, 0, scale);
        ControlLayer layer(0, "osc");
        const int id = kFilter1Cutoff + 5;
        e.manager.createSysExKnobControl("Cutoff", id, 100, 200, kKnob, 64, 0, 127, kSound, 8, 5,
                                         {}, &layer, "Osc");
        EXPECT_STREQ(e.effect.GetParam(id)->GetNameForHost(), "[6] Cutoff");
        EXPECT_STREQ(e.effect.GetParam(id)->GetParamGroupForHost(), "Part 6:Osc");
        auto* knob = dynamic_cast<IKnobMultiControl*>(layer.getControls().Get(0));
        ASSERT_NE(knob, nullptr);
        const int x = int(100 * scale), y = int(200 * scale);
        EXPECT_EQ(knob->GetRECT(), IRECT(x, y, x + int(40 * scale), y + int(160 * scale) / 4));
        const ControlAction* a = e.record(id);
        EXPECT_EQ(a->actionType, kActionSysEx);
        EXPECT_THAT(a->controls, ElementsAre(knob));
        ASSERT_EQ(a->sysexMessage.messages.size(), 128);
        EXPECT_THAT(a->sysexMessage.messages.message(0),
                    ElementsAre(0x3E, 0x0F, 0x10, 0x20, 5, 1, 0x9F, 0));
        EXPECT_EQ(a->sysexMessage.messages.message(127)[7], 127);
        EXPECT_EQ(e.manager.getSysExControlMap().findControl(0x20, 5, 1, 0x9F, 0), knob);

        e.manager.createMultiSelectionCCControl(70, 1, "Mode", kOscillator1Shape + 5, 100, 200, 60,
                                                13, 0, 0, 4, -1, -1, {"w", "x", "y", "z"}, 5,
                                                nullptr, "", false);
        auto* menu = dynamic_cast<ICaptionControl*>(e.lastTopLevel());
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->GetRECT(), IRECT(x, y, x + int(60 * scale), y + int(13 * scale)));
        EXPECT_STREQ(menu->GetText()->mFont, "NK57 Monospace");
        EXPECT_EQ(menu->GetText()->mSize, int(13 * scale));
        IMouseMod left(true, false);
        e.graphics.OnMouseDown(x + 5, y + 5, &left);
        ASSERT_EQ(e.graphics.menus.size(), 1u);
        EXPECT_THAT(e.graphics.menus[0].texts, ElementsAre("w", "x", "y", "z"));
    }
}

TEST(SysExFactories, FaderAndButton) {
    ConfigEditor e(kSysEx);
    // Value 0 sends 64. A multi parameter registers with device id 0 and variant 0, where the
    // synthesizer's messages are sought, also outside the parts; a sound parameter's fader
    // takes variant 1 there, 0 inside a part.
    e.manager.createSysExSliderControl("Volume", kMultiMasterVolume, 10, 20, 100, kHandle, 0, 0,
                                       127, 64, kMulti, 7, -1, {}, nullptr, "Multi", kVertical);
    IControl* fader = e.lastTopLevel();
    ASSERT_NE(dynamic_cast<IFaderControl*>(fader), nullptr);
    EXPECT_EQ(fader->GetRECT(), IRECT(10, 20, 28, 120));
    const SysExMessageList& sent = e.record(kMultiMasterVolume)->sysexMessage.messages;
    EXPECT_THAT((std::vector<int>{sent.message(0)[6], sent.message(63)[6], sent.message(64)[6]}),
                ElementsAre(64, 127, 0));
    const SysExControlContainer& map = e.manager.getSysExControlMap();
    EXPECT_EQ(map.findControl(0, 0x21, 1, 2, 0), fader);
    EXPECT_EQ(map.findControl(0, 0x21, 1, 2, 1), nullptr);
    for (int part : {-1, 0}) {
        e.manager.createSysExSliderControl("Level", kAmpLevel + (part < 0 ? 15 : 0), 10, 20, 100,
                                           kHandle, 0, 0, 127, 0, kSound, 8, part, {}, nullptr, "",
                                           kHorizontal);
        EXPECT_EQ(map.findControl(0x20, 0, 1, 0x9F, part < 0), e.lastTopLevel()) << part;
    }

    const int sync = kOscillator2SyncToOsc3 + 2;
    e.manager.createSysExBoolControl("Sync", sync, 0, 0, kButton, 1, kSound, 8, 2, {}, nullptr, "");
    ASSERT_NE(dynamic_cast<ISwitchControl*>(e.lastTopLevel()), nullptr);
    EXPECT_EQ(e.effect.GetParam(sync)->Value(), 1.0);
    EXPECT_EQ(e.record(sync)->actionType, kActionSysExSwitch);
    ASSERT_EQ(e.record(sync)->sysexMessage.messages.size(), 2);
    EXPECT_THAT(e.record(sync)->sysexMessage.messages.message(1),
                ElementsAre(0x3E, 0x0F, 0x10, 0x20, 2, 1, 0x9F, 1));
}

TEST(SysExFactories, KnobVariantIsTheEffectOfItsParameter) {
    ConfigEditor e(kSysEx);
    const std::pair<int, int> cases[] = {
        {kFX2ReverbSize + 2, 8},     {kFX1FiveFXSource + 2, 0}, {kFX1ChorusSpeed, 1},
        {kFX251DelayS1L + 16, 0},    {kFX251DelayS1R + 15, 10}, {kFX251DelayClockedDelayS1R, 11},
        {kFX1TapDelayTap1Volume, 0},
    };
    for (auto [id, variant] : cases) {
        e.manager.createSysExKnobControl("FX", id, 0, 0, kKnob, 0, 0, 127, kSound, 8, -1, {},
                                         nullptr, "FX");
        EXPECT_EQ(e.manager.getSysExControlMap().findControl(0x20, 0, 1, 0x9F, variant),
                  e.lastTopLevel())
            << id;
    }
}

TEST(SysExFactories, MenuTextsOrNothingAtAll) {
    const std::vector<std::string> seven = {"a", "b", "c", "d", "e", "f", "g"};
    const struct {
        std::vector<std::string> values;
        int first, second;
        std::vector<std::string> texts; // none: no control, record or map entry
    } cases[] = {
        {{"a", "b", "c", "d", "e", "f", "g", "h"},
         -1,
         -1,
         {"a", "b", "c", "d", "e", "f", "g", "h"}},
        {seven, 1, 2, {"1", "2", "3", "4", "5", "6", "7", "8"}},
        {seven, -1, -1, {}},
    };
    for (const auto& c : cases) {
        ConfigEditor e(kSysEx);
        const int id = kOscillator1Shape;
        e.manager.createMultiSelectionSysExControl("Shape", id, 0, 0, 60, 13, 2, 0, 8, c.first,
                                                   c.second, c.values, 0, kSound, 8, -1, nullptr,
                                                   "", false);
        const IParam* p = e.effect.GetParam(id);
        EXPECT_EQ(p->Type(), kTypeEnum);
        std::vector<std::string> texts;
        for (int i = 0; i < p->GetNDisplayTexts(); ++i)
            texts.push_back(p->GetDisplayTextAtIdx(i));
        EXPECT_EQ(texts, c.texts);
        IControl* found = e.manager.getSysExControlMap().findControl(0x20, 0, 1, 0x9F, 0);
        if (c.texts.empty()) {
            EXPECT_TRUE(!found && !e.record(id) && e.graphics.NControls() == 0);
        } else {
            EXPECT_EQ(found, e.lastTopLevel());
            ASSERT_EQ(e.record(id)->sysexMessage.messages.size(), 9);
            EXPECT_EQ(e.record(id)->sysexMessage.messages.message(8)[7], 8);
        }
    }
}

// SysEx menus without and with the highlight, then a CC menu, plain and white.
TEST(MenuFactories, ColourByFamilySchemeAndWhite) {
    const IColor grey(255, 200, 200, 200), yellow(255, 241, 243, 33), white = COLOR_WHITE;
    const struct {
        int style;
        IColor sysex, highlighted, cc;
    } cases[] = {
        {0, COLOR_BLACK, yellow, COLOR_BLACK},
        {1, grey, grey, IColor(255, 186, 143, 74)},
        {3, white, white, white},
        {4, grey, grey, grey},
        {7, COLOR_BLACK, yellow, COLOR_BLACK},
    };
    for (const auto& c : cases) {
        ConfigEditor e(kSysEx, c.style);
        std::vector<IColor> colours;
        for (bool white : {false, true}) {
            for (int flag : {0, 1}) {
                e.manager.createMultiSelectionSysExControl("M", kOscillator1Shape, 0, 0, 60, 13, 0,
                                                           0, 8, 1, 2, {}, flag, kSound, 8, -1,
                                                           nullptr, "", white);
                colours.push_back(e.lastTopLevel()->GetText()->mColor);
            }
            e.manager.createMultiSelectionCCControl(70, 1, "M", kOscillator1Shape, 0, 0, 60, 13, 0,
                                                    0, 8, 1, 2, {}, -1, nullptr, "", white);
            colours.push_back(e.lastTopLevel()->GetText()->mColor);
        }
        EXPECT_THAT(colours, ElementsAre(c.sysex, c.highlighted, c.cc, white, white, white))
            << c.style;
    }
}

TEST(CCFactories, KeysByPartOrChannelAndVariant) {
    ConfigEditor e(kSysEx);
    auto knob = [&](int id, int part, int channel) {
        e.manager.createCCKnobControl(74, channel, "Cutoff", id, 0, 0, kKnob, 0, 0, 127, 1.9, {},
                                      part, nullptr, "");
        return e.lastTopLevel();
    };
    IControl* inPart = knob(kFilter1Cutoff + 2, 2, 9);
    IControl* qPlus = knob(kFilter2TypeQPlus + 2, 2, 0);
    IControl* outside = knob(kMultiMasterVolume, -1, 5);
    EXPECT_EQ(e.effect.GetParam(kFilter1Cutoff + 2)->GetStep(), 1.0);
    EXPECT_EQ(e.manager.getCCControls(3, 74, 0), inPart);
    EXPECT_EQ(e.manager.getCCControls(3, 74, 1), qPlus);
    EXPECT_EQ(e.manager.getCCControls(9, 74, 0), nullptr);
    EXPECT_EQ(e.manager.getCCControls(5, 74, 1), outside);

    // Outside the parts, buttons and faders take variant 0, menus 1.
    e.manager.createCCBoolControl(75, 5, "On", kFilterLinkSwitch, 0, 0, kButton, 0, 0, 127, -1,
                                  nullptr, "");
    EXPECT_EQ(e.manager.getCCControls(5, 75, 0), e.lastTopLevel());
    EXPECT_EQ(e.record(kFilterLinkSwitch)->actionType, kActionCCSwitch);
    EXPECT_EQ(e.record(kFilterLinkSwitch)->maxValue, 127);
    e.manager.createCCSliderControl(76, 5, "Fader", kPatchSelection, 0, 0, 50, kHandle, 0, 0, 127,
                                    {}, -1, nullptr, "", kVertical);
    EXPECT_EQ(e.manager.getCCControls(5, 76, 0), e.lastTopLevel());
    e.manager.createMultiSelectionCCControl(77, 5, "Menu", kOscillator1Shape, 0, 0, 60, 13, 0, 0, 2,
                                            -1, -1, {"a", "b"}, -1, nullptr, "", false);
    EXPECT_EQ(e.manager.getCCControls(5, 77, 1), e.lastTopLevel());
}

TEST(NRPNFactories, KeysByPageName) {
    ConfigEditor e(kSysEx, 0, 1.15);
    ControlLayer mixer(1, "miniMixer"), settings(2, "additionalSettingsPart2");
    const NRPNControlContainer& map = e.manager.getNRPNControlMap();
    e.manager.createMsbLsbKnobControl(99, 10, 11, 12, 3, "K", kFilter1Cutoff + 4, 0, 0, kKnob, 0, 0,
                                      127, {}, 4, &mixer, "");
    EXPECT_EQ(map.findControl(3, 10, 11, 12, 1), mixer.getControls().Get(0));
    e.manager.createMsbLsbKnobControl(99, 10, 11, 12, 3, "K", kFilter2Cutoff + 4, 0, 0, kKnob, 0, 0,
                                      127, {}, 4, &settings, "");
    EXPECT_EQ(map.findControl(5, 10, 11, 12, 0), settings.getControls().Get(0));
    e.manager.createMsbLsbBoolControl(99, 20, 21, 22, 3, "B", kFilterLinkSwitch + 1, 0, 0, kButton,
                                      0, 0, 127, {}, 4, &settings, "");
    EXPECT_EQ(map.findControl(3, 20, 21, 22, 0), settings.getControls().Get(1));
    e.manager.createMsbLsbBoolControl(99, 20, 21, 22, 3, "B", kFilterLinkSwitch, 0, 0, kButton, 0,
                                      0, 127, {}, -1, nullptr, "");
    EXPECT_EQ(map.findControl(0, 20, 21, 22, 0), e.lastTopLevel());
    EXPECT_EQ(map.findControl(0, 20, 21, 23, 0), nullptr);
    const ControlAction* a = e.record(kFilterLinkSwitch);
    EXPECT_THAT((std::vector<int>{a->actionType, a->ccNumber, a->minValue, a->maxValue}),
                ElementsAre(kActionNRPN, 99, 0, 127));

    e.manager.createMsbLsbSelectionCCControl(99, 1, 2, 3, 4, "M", kOscillator1Shape, 10, 20, 60, 40,
                                             0, 0, 8, 1, 2, {}, -1, &mixer, "");
    IControl* menu = mixer.getControls().Get(1);
    EXPECT_EQ(menu->GetRECT(), IRECT(11, 23, 80, 69));
    EXPECT_EQ(menu->GetText()->mColor, IColor(254, 255, 173, 0));
    EXPECT_EQ(menu->GetText()->mSize, 14); // 13 at the scale, whatever the height
}

TEST(Factories, OneRecordPerParameterAndLinksKeptByLaterControls) {
    ConfigEditor e(kSysEx);
    const int x = kFilter1Cutoff, y = kFilter2Cutoff;
    e.manager.createSysExKnobControl("X", x, 0, 0, kKnob, 0, 0, 127, kSound, 8, -1,
                                     {y, kFilterLinkSwitch, 5}, nullptr, "");
    IControl* first = e.lastTopLevel();
    ControlAction* partner = e.record(y);
    ASSERT_NE(partner, nullptr);
    EXPECT_THAT(partner->controls, IsEmpty());

    e.manager.createCCKnobControl(74, 1, "Y", y, 0, 0, kKnob, 0, 0, 127, 1, {}, -1, nullptr, "");
    EXPECT_EQ(e.record(y), partner);
    EXPECT_EQ(partner->actionType, kActionCC);
    EXPECT_EQ(partner->link.partnerId, x);

    e.manager.createCCSliderControl(75, 1, "X", x, 0, 0, 50, kHandle, 0, 0, 127, {}, -1, nullptr,
                                    "", kVertical);
    EXPECT_EQ(e.record(x)->actionType, kActionCC);
    EXPECT_THAT(e.record(x)->controls, ElementsAre(first, e.lastTopLevel()));
    EXPECT_EQ(e.record(x)->link.extra, 5);
}

TEST(Factories, RefusedElementsLeaveOnlyALogLine) {
    ConfigEditor e(kSysEx);
    ControlLayer layer(0, "miniMixer");
    const int id = kFilter1Cutoff;
    auto knob = [&](int paramId, int sysexIndex, int changingByte, double max) {
        return [=, &e, &layer] {
            e.manager.createSysExKnobControl("Bad", paramId, 0, 0, kKnob, 0, 5, max, sysexIndex,
                                             changingByte, 0, {}, &layer, "");
        };
    };
    const std::string template0 = ": SysEx template \"3E 0F 10 20 00 01 9F 00\" too short for ";
    const std::pair<std::function<void()>, std::string> cases[] = {
        {knob(-1, kSound, 8, 127), ": parameter id -1 NOT FOUND!"},
        {knob(kNumParams, kSound, 8, 127), ": parameter id 18818 NOT FOUND!"},
        {knob(id, kNoText, 8, 127), ": SysEx entry 2 MISSING!"},
        {knob(id, 4, 8, 127), ": SysEx entry 4 MISSING!"},
        {knob(id, kSound, 9, 127), template0 + "changing byte 9!"},
        {knob(id, kSound, 0, 127), template0 + "changing byte 0!"},
        {knob(id, kShort, 2, 127),
         ": SysEx template \"3E 0F 10 20 00 01\" too short for changing byte 2!"},
        {knob(id, kSound, 8, 4), " has 0 values!"},
        {knob(id, kSound, 8, 16389), " has 16385 values!"},
        {[&] {
             e.manager.createMsbLsbSelectionCCControl(1, 2, 3, 4, 5, "Bad", id, 0, 0, 10, 10, 0, 0,
                                                      16385, 1, 2, {}, -1, &layer, "");
         },
         " has 16385 entries!"},
    };
    for (const auto& [create, line] : cases) {
        create();
        EXPECT_TRUE(e.logged("CONFIG READER: control Bad" + line)) << line;
    }
    EXPECT_EQ(layer.getControls().GetSize(), 0);
    EXPECT_EQ(e.record(id), nullptr);
    EXPECT_STREQ(e.effect.GetParam(id)->GetNameForHost(), "");
}

} // namespace
