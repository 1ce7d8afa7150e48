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

const std::vector<std::string> kSeven = {"a", "b", "c", "d", "e", "f", "g"};
const std::vector<std::string> kEight = {"a", "b", "c", "d", "e", "f", "g", "h"};

std::vector<std::string> displayTexts(const IParam* p) {
    std::vector<std::string> texts;
    for (int i = 0; i < p->GetNDisplayTexts(); ++i) texts.push_back(p->GetDisplayTextAtIdx(i));
    return texts;
}

TEST(SysExFactories, KnobInAPartAtBothScales) {
    for (double scale : {0.85, 1.15}) {
        ConfigEditor e(kSysEx, 0, scale);
        ControlLayer layer(0, "osc");
        const int id = kFilter1Cutoff + 5;
        e.manager.createSysExKnobControl("Cutoff", id, 100, 200, ConfigEditor::kKnobImage, 64, 0,
                                         127, kSound, 8, 5, {}, &layer, "Osc");
        const IParam* p = e.effect.GetParam(id);
        EXPECT_STREQ(p->GetNameForHost(), "[6] Cutoff");
        EXPECT_STREQ(p->GetParamGroupForHost(), "Part 6:Osc");
        EXPECT_EQ(p->Type(), kTypeDouble);
        EXPECT_EQ(p->GetMax(), 127.0);
        EXPECT_EQ(p->Value(), 64.0);

        ASSERT_EQ(layer.getControls().GetSize(), 1);
        auto* knob = dynamic_cast<IKnobMultiControl*>(layer.getControls().Get(0));
        ASSERT_NE(knob, nullptr);
        const int x = int(100 * scale), y = int(200 * scale);
        EXPECT_EQ(knob->GetRECT(), IRECT(x, y, x + int(40 * scale), y + int(160 * scale) / 4));

        const ControlAction* a = e.record(id);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->actionType, kActionSysEx);
        EXPECT_THAT(a->controls, ElementsAre(knob));
        ASSERT_EQ(a->sysexMessage.messages.size(), 128);
        EXPECT_THAT(a->sysexMessage.messages.message(0), ElementsAre(0x3E, 0x0F, 0x10, 0x20, 5, 1, 0x9F, 0));
        EXPECT_EQ(a->sysexMessage.messages.message(127)[7], 127);
        EXPECT_EQ(e.manager.getSysExControlMap().findControl(0x20, 5, 1, 0x9F, 0), knob);
    }
}

TEST(SysExFactories, FaderAndButtonMessagesAndVariants) {
    ConfigEditor e(kSysEx);
    // Value 0 sends 64; a multi parameter registers with device id 0, outside the parts
    // under variant 1.
    e.manager.createSysExSliderControl("Volume", kMultiMasterVolume, 10, 20, 100,
                                       ConfigEditor::kHandleImage, 0, 0, 127, 64, kMulti, 7, -1,
                                       {}, nullptr, "Multi", kVertical);
    IControl* fader = e.lastTopLevel();
    ASSERT_NE(dynamic_cast<IFaderControl*>(fader), nullptr);
    EXPECT_EQ(fader->GetRECT(), IRECT(10, 20, 28, 120));
    const SysExMessageList& faderMessages = e.record(kMultiMasterVolume)->sysexMessage.messages;
    ASSERT_EQ(faderMessages.size(), 128);
    for (auto [value, sent] : {std::pair{0, 64}, {63, 127}, {64, 0}, {127, 63}})
        EXPECT_EQ(faderMessages.message(value)[6], sent) << value;
    EXPECT_EQ(e.manager.getSysExControlMap().findControl(0, 0x21, 1, 2, 1), fader);
    EXPECT_EQ(e.manager.getSysExControlMap().findControl(0x10, 0x21, 1, 2, 1), nullptr);

    e.manager.createSysExSliderControl("Level", kOscillator1Level, 10, 20, 100,
                                       ConfigEditor::kHandleImage, 0, 0, 127, 0, kSound, 8, 0, {},
                                       nullptr, "", kHorizontal);
    EXPECT_EQ(e.manager.getSysExControlMap().findControl(0x20, 0, 1, 0x9F, 0), e.lastTopLevel());

    e.manager.createSysExBoolControl("Sync", kOscillator2SyncToOsc3 + 2, 0, 0,
                                     ConfigEditor::kButtonImage, 1, kSound, 8, 2, {}, nullptr, "");
    ASSERT_NE(dynamic_cast<ISwitchControl*>(e.lastTopLevel()), nullptr);
    const ControlAction* button = e.record(kOscillator2SyncToOsc3 + 2);
    EXPECT_EQ(button->actionType, kActionSysExSwitch);
    EXPECT_EQ(e.effect.GetParam(kOscillator2SyncToOsc3 + 2)->Value(), 1.0);
    ASSERT_EQ(button->sysexMessage.messages.size(), 2);
    EXPECT_THAT(button->sysexMessage.messages.message(1), ElementsAre(0x3E, 0x0F, 0x10, 0x20, 2, 1, 0x9F, 1));
}

TEST(SysExFactories, KnobVariantIsTheEffectOfItsParameter) {
    ConfigEditor e(kSysEx);
    const std::pair<int, int> cases[] = {
        {kFX2ReverbSize + 2, 8},      {kFX1FiveFXSource + 2, 0}, {kFX1ChorusSpeed, 1},
        {kFX251DelayS1L + 16, 0},     {kFX251DelayS1R + 15, 10}, {kFX251DelayClockedDelayS1R, 11},
        {kFX1TapDelayTap1Volume, 0},  {kFilter1Cutoff, 0},
    };
    for (auto [id, variant] : cases) {
        e.manager.createSysExKnobControl("FX", id, 0, 0, ConfigEditor::kKnobImage, 0, 0, 127,
                                         kSound, 8, -1, {}, nullptr, "FX");
        EXPECT_EQ(e.manager.getSysExControlMap().findControl(0x20, 0, 1, 0x9F, variant),
                  e.lastTopLevel())
            << id;
    }
}

TEST(SysExFactories, MenuTextsOrNothing) {
    struct Case {
        std::vector<std::string> values;
        int first, second;
        std::vector<std::string> texts; // empty: no control, record or map entry
    } cases[] = {
        {kEight, -1, -1, kEight},
        {kSeven, 1, 2, {"1", "2", "3", "4", "5", "6", "7", "8"}},
        {kSeven, -1, -1, {}},
    };
    for (const Case& c : cases) {
        ConfigEditor e(kSysEx);
        const int before = e.graphics.NControls();
        e.manager.createMultiSelectionSysExControl("Shape", kOscillator1Shape, 0, 0, 60, 13, 2, 0,
                                                   8, c.first, c.second, c.values, 0, kSound, 8,
                                                   -1, nullptr, "", false);
        const IParam* p = e.effect.GetParam(kOscillator1Shape);
        EXPECT_EQ(p->Type(), kTypeEnum);
        EXPECT_EQ(displayTexts(p), c.texts);
        const ControlAction* a = e.record(kOscillator1Shape);
        IControl* found = e.manager.getSysExControlMap().findControl(0x20, 0, 1, 0x9F, 0);
        if (c.texts.empty()) {
            EXPECT_EQ(e.graphics.NControls(), before);
            EXPECT_EQ(a, nullptr);
            EXPECT_EQ(found, nullptr);
        } else {
            EXPECT_EQ(found, e.lastTopLevel());
            EXPECT_EQ(a->sysexMessage.messages.size(), 9);
            EXPECT_EQ(a->sysexMessage.messages.message(8)[7], 8);
        }
    }
}

// One menu of each family, by colour scheme: SysEx, SysEx asking for the highlight, CC.
TEST(MenuFactories, CaptionStyleByFamilySchemeAndWhite) {
    const IColor grey(255, 200, 200, 200), yellow(255, 241, 243, 33);
    const struct {
        int style;
        IColor sysex, highlighted, cc;
    } cases[] = {
        {0, COLOR_BLACK, yellow, COLOR_BLACK},
        {1, grey, grey, IColor(255, 186, 143, 74)},
        {2, COLOR_WHITE, COLOR_WHITE, COLOR_WHITE},
        {3, COLOR_WHITE, COLOR_WHITE, COLOR_WHITE},
        {4, grey, grey, grey},
        {7, COLOR_BLACK, yellow, COLOR_BLACK},
    };
    for (const auto& c : cases) {
        ConfigEditor e(kSysEx, c.style, 1.15);
        std::vector<IColor> colours;
        for (bool white : {false, true}) {
            for (int flag : {0, 1}) {
                e.manager.createMultiSelectionSysExControl("M", kOscillator1Shape, 10, 20, 60, 13,
                                                           0, 0, 8, 1, 2, {}, flag, kSound, 8, -1,
                                                           nullptr, "", white);
                colours.push_back(e.lastTopLevel()->GetText()->mColor);
            }
            e.manager.createMultiSelectionCCControl(70, 1, "M", kOscillator1Shape, 10, 20, 60, 13,
                                                    0, 0, 8, 1, 2, {}, -1, nullptr, "", white);
            colours.push_back(e.lastTopLevel()->GetText()->mColor);
        }
        EXPECT_THAT(colours, ElementsAre(c.sysex, c.highlighted, c.cc, COLOR_WHITE, COLOR_WHITE,
                                         COLOR_WHITE))
            << c.style;

        ControlLayer mixer(0, "miniMixer");
        e.manager.createMsbLsbSelectionCCControl(99, 1, 2, 3, 4, "M", kOscillator1Shape, 10, 20,
                                                 60, 40, 0, 0, 8, 1, 2, {}, -1, &mixer, "");
        const IText* nrpn = mixer.getControls().Get(0)->GetText();
        EXPECT_EQ(nrpn->mColor, IColor(254, 255, 173, 0));
        EXPECT_EQ(nrpn->mSize, 14); // 13 at the scale, whatever the height
        EXPECT_EQ(mixer.getControls().Get(0)->GetRECT(), IRECT(11, 23, 80, 69));
    }
}

TEST(MenuFactories, CaptionAtTheScaleOpensItsTexts) {
    for (double scale : {0.85, 1.15}) {
        ConfigEditor e(kSysEx, 0, scale);
        e.manager.createMultiSelectionCCControl(70, 1, "Mode", kOscillator1Shape + 3, 100, 200, 60,
                                                13, 0, 0, 4, -1, -1, {"w", "x", "y", "z"}, 3,
                                                nullptr, "Osc", false);
        auto* menu = dynamic_cast<ICaptionControl*>(e.lastTopLevel());
        ASSERT_NE(menu, nullptr);
        const int x = int(100 * scale), y = int(200 * scale);
        EXPECT_EQ(menu->GetRECT(), IRECT(x, y, x + int(60 * scale), y + int(13 * scale)));
        EXPECT_STREQ(menu->GetText()->mFont, "NK57 Monospace");
        EXPECT_EQ(menu->GetText()->mSize, int(13 * scale));
        EXPECT_STREQ(e.effect.GetParam(kOscillator1Shape + 3)->GetNameForHost(), "[4] Mode");

        IMouseMod left(true, false);
        e.graphics.OnMouseDown(x + 5, y + 5, &left);
        ASSERT_EQ(e.graphics.menus.size(), 1u);
        EXPECT_THAT(e.graphics.menus[0].texts, ElementsAre("w", "x", "y", "z"));
    }
}

TEST(CCFactories, KeysByPartChannelAndVariant) {
    ConfigEditor e(kSysEx);
    auto knob = [&](int id, int part, int channel) {
        e.manager.createCCKnobControl(74, channel, "Cutoff", id, 0, 0, ConfigEditor::kKnobImage, 0,
                                      0, 127, 1.9, {}, part, nullptr, "");
        return e.lastTopLevel();
    };
    IControl* inPart = knob(kFilter1Cutoff + 2, 2, 9);
    EXPECT_STREQ(e.effect.GetParam(kFilter1Cutoff + 2)->GetNameForHost(), "[3] Cutoff");
    EXPECT_EQ(e.effect.GetParam(kFilter1Cutoff + 2)->GetStep(), 1.0);
    EXPECT_EQ(e.manager.getCCControls(3, 74, 0), inPart);
    EXPECT_EQ(e.manager.getCCControls(3, 74, 1), nullptr);
    EXPECT_EQ(e.manager.getCCControls(9, 74, 0), nullptr);
    IControl* qPlus = knob(kFilter2TypeQPlus + 2, 2, 0);
    EXPECT_EQ(e.manager.getCCControls(3, 74, 1), qPlus);
    EXPECT_EQ(e.manager.getCCControls(3, 74, 0), inPart);

    // Outside the parts by channel: knobs and menus under variant 1, buttons and faders 0.
    IControl* outside = knob(kMultiMasterVolume, -1, 5);
    EXPECT_EQ(e.manager.getCCControls(5, 74, 1), outside);
    e.manager.createCCBoolControl(75, 5, "On", kFilterLinkSwitch, 0, 0, ConfigEditor::kButtonImage,
                                  0, 0, 127, -1, nullptr, "");
    EXPECT_EQ(e.manager.getCCControls(5, 75, 0), e.lastTopLevel());
    const ControlAction* button = e.record(kFilterLinkSwitch);
    EXPECT_EQ(button->actionType, kActionCCSwitch);
    EXPECT_EQ(button->minValue, 0);
    EXPECT_EQ(button->maxValue, 127);
    EXPECT_EQ(e.effect.GetParam(kFilterLinkSwitch)->Value(), 0.0);
    e.manager.createCCSliderControl(76, 5, "Fader", kPatchSelection, 0, 0, 50,
                                    ConfigEditor::kHandleImage, 0, 0, 127, {}, -1, nullptr, "",
                                    kVertical);
    EXPECT_EQ(e.manager.getCCControls(5, 76, 0), e.lastTopLevel());
    e.manager.createMultiSelectionCCControl(77, 5, "Menu", kOscillator1Shape, 0, 0, 60, 13, 0, 0,
                                            2, -1, -1, {"a", "b"}, -1, nullptr, "", false);
    EXPECT_EQ(e.manager.getCCControls(5, 77, 1), e.lastTopLevel());
    EXPECT_EQ(e.record(kOscillator1Shape)->channelOrPart, 5);
}

TEST(Factories, OneRecordPerParameterAndLinksKeptByLaterControls) {
    ConfigEditor e(kSysEx);
    const int x = kFilter1Cutoff, y = kFilter2Cutoff;
    e.manager.createSysExKnobControl("X", x, 0, 0, ConfigEditor::kKnobImage, 0, 0, 127, kSound, 8,
                                     -1, {y, kFilterLinkSwitch, 5}, nullptr, "");
    IControl* first = e.lastTopLevel();
    ControlAction* partner = e.record(y);
    ASSERT_NE(partner, nullptr);
    EXPECT_EQ(partner->actionType, kActionSysEx);
    EXPECT_THAT(partner->controls, IsEmpty());

    e.manager.createCCKnobControl(74, 1, "Y", y, 0, 0, ConfigEditor::kKnobImage, 0, 0, 127, 1, {},
                                  -1, nullptr, "");
    EXPECT_EQ(e.record(y), partner);
    EXPECT_EQ(partner->actionType, kActionCC);
    EXPECT_EQ(partner->link.partnerId, x);
    EXPECT_EQ(partner->link.switchId, kFilterLinkSwitch);
    EXPECT_EQ(partner->link.extra, -1);

    e.manager.createCCSliderControl(75, 1, "X", x, 0, 0, 50, ConfigEditor::kHandleImage, 0, 0, 127,
                                    {}, -1, nullptr, "", kVertical);
    const ControlAction* own = e.record(x);
    EXPECT_EQ(own->actionType, kActionCC);
    EXPECT_THAT(own->controls, ElementsAre(first, e.lastTopLevel()));
    EXPECT_EQ(own->link.extra, 5);
}

TEST(NRPNFactories, ChannelByPageName) {
    ConfigEditor e(kSysEx);
    ControlLayer mixer(1, "miniMixer"), settings(2, "additionalSettingsPart2");
    const NRPNControlContainer& map = e.manager.getNRPNControlMap();
    auto knob = [&](int id, ControlLayer* layer) {
        e.manager.createMsbLsbKnobControl(99, 10, 11, 12, 3, "K", id, 0, 0,
                                          ConfigEditor::kKnobImage, 0, 0, 127, {}, 4, layer, "");
        return layer->getControls().Get(layer->getControls().GetSize() - 1);
    };
    IControl* onMixer = knob(kFilter1Cutoff + 4, &mixer);
    EXPECT_EQ(map.findControl(3, 10, 11, 12, 1), onMixer);
    IControl* onSettings = knob(kFilter2Cutoff + 4, &settings);
    EXPECT_EQ(map.findControl(5, 10, 11, 12, 0), onSettings);

    auto button = [&](int id, ControlLayer* layer, int part) {
        e.manager.createMsbLsbBoolControl(99, 20, 21, 22, 3, "B", id, 0, 0,
                                          ConfigEditor::kButtonImage, 0, 0, 127, {}, part, layer,
                                          "");
        return layer ? layer->getControls().Get(layer->getControls().GetSize() - 1)
                     : e.lastTopLevel();
    };
    IControl* onSettingsPage = button(kFilterLinkSwitch + 1, &settings, 4);
    EXPECT_EQ(map.findControl(3, 20, 21, 22, 0), onSettingsPage);
    IControl* outside = button(kFilterLinkSwitch, nullptr, -1);
    EXPECT_EQ(map.findControl(0, 20, 21, 22, 0), outside);
    const ControlAction* a = e.record(kFilterLinkSwitch);
    EXPECT_EQ(a->actionType, kActionNRPN);
    EXPECT_EQ(a->ccNumber, 99);
    EXPECT_EQ(a->minValue, 0);
    EXPECT_EQ(a->maxValue, 127);
}

TEST(Factories, RefusedElementsLeaveOnlyALogLine) {
    ConfigEditor e(kSysEx);
    ControlLayer layer(0, "miniMixer");
    const int id = kFilter1Cutoff;
    auto knob = [&](int paramId, int sysexIndex, int changingByte, double min, double max) {
        return [=, &e, &layer] {
            e.manager.createSysExKnobControl("Bad", paramId, 0, 0, ConfigEditor::kKnobImage, 0, min,
                                             max, sysexIndex, changingByte, 0, {}, &layer, "");
        };
    };
    const std::pair<std::function<void()>, std::string> cases[] = {
        {knob(-1, kSound, 8, 0, 127), "parameter id -1 NOT FOUND!"},
        {knob(kNumParams, kSound, 8, 0, 127), "parameter id 18818 NOT FOUND!"},
        {knob(id, kNoText, 8, 0, 127), "SysEx entry 2 MISSING!"},
        {knob(id, 4, 8, 0, 127), "SysEx entry 4 MISSING!"},
        {knob(id, kSound, 9, 0, 127), "SysEx template \"3E 0F 10 20 00 01 9F 00\" too short for changing byte 9!"},
        {knob(id, kSound, 0, 0, 127), "SysEx template \"3E 0F 10 20 00 01 9F 00\" too short for changing byte 0!"},
        {knob(id, kShort, 2, 0, 127), "SysEx template \"3E 0F 10 20 00 01\" too short for changing byte 2!"},
        {knob(id, kSound, 8, 5, 4), " has 0 values!"},
        {knob(id, kSound, 8, 0, 16384), " has 16385 values!"},
        {[&] {
             e.manager.createCCKnobControl(1, 1, "Bad", kNumParams, 0, 0, ConfigEditor::kKnobImage,
                                           0, 0, 1, 1, {}, 0, &layer, "");
         },
         "parameter id 18818 NOT FOUND!"},
        {[&] {
             e.manager.createMsbLsbSelectionCCControl(1, 2, 3, 4, 5, "Bad", id, 0, 0, 10, 10, 0, 0,
                                                      16385, 1, 2, {}, 0, &layer, "");
         },
         " has 16385 entries!"},
    };
    for (const auto& [create, line] : cases) {
        create();
        EXPECT_TRUE(e.logged("CONFIG READER: control Bad" + (line[0] == ' ' ? line : ": " + line)))
            << line;
    }
    EXPECT_EQ(layer.getControls().GetSize(), 0);
    EXPECT_EQ(e.record(id), nullptr);
    EXPECT_STREQ(e.effect.GetParam(id)->GetNameForHost(), "");
    EXPECT_EQ(e.manager.getSysExControlMap().findControl(0x20, 0, 1, 0x9F, 0), nullptr);
}

} // namespace
