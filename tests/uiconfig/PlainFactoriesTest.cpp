#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IContactControl.h"
#include "kit/effect/IKnobMultiControl.h"
#include "kit/effect/ISwitchControl.h"
#include "src/uiconfig/ICustomRadioButtonsControl.h"
#include "tests/uiconfig/ConfigEditor.h"

#include <gtest/gtest.h>

#include <typeinfo>

namespace {

const char* const kSysEx =
    "<sysexlist><sysex><values><value>3E 0F 10 20 00 01 9F 00</value></values></sysex></sysexlist>";
const std::vector<std::string> kFour = {"a", "b", "c", "d"};
using E = ConfigEditor;

IControl* click(ConfigEditor& e, int x, int y) {
    IMouseMod left(true, false);
    e.graphics.OnMouseDown(x, y, &left);
    return e.graphics.GetMouseControlIdx(x, y);
}

// Each factory in part 3 on a layer at (100, 20), parameters kFilter1Cutoff + 0 to 10.
TEST(PlainFactories, ParameterControlAndRecordAtBothScales) {
    for (double s : {0.85, 1.15}) {
        ConfigEditor e(kSysEx, 0, s);
        ControlLayer page(0, "page");
        auto& m = e.manager;
        const int id = kFilter1Cutoff;
        m.createDropDownMenu("N", id, 100, 20, 61, 13, 3, &page, "G");
        m.createDropDownMenu2("N", id + 1, 100, 20, 61, 13, 1, 0, 4, kFour, 3, &page, "G");
        m.createNoValDropDown("N", id + 2, 100, 20, 61, 13, 1, 7, 11, -1, -1, 1, kFour, 3, &page,
                              "G", false);
        m.createControlDisplay("N", id + 3, 100, 20, 61, 13, &page);
        m.createNameDisplay("N", id + 4, 100, 20, 61, 13, 20, 3, &page, "G");
        m.createRadioControl("N", id + 5, 100, 20, E::kTabImage, 5, 3, &page, "G");
        m.createRadioControl("N", id + 6, 100, 20, E::kSideTabImage, 5, 3, &page, "G");
        m.createBoolControl("N", id + 7, 1, 100, 20, E::kButtonImage, 3, &page, "G");
        m.createSwitchControl("N", id + 8, 1, 100, 20, E::kButtonImage, 3, &page, "G");
        IControl* off =
            m.createAutoOffSwitchControl("N", id + 9, 100, 20, E::kButtonImage, 3, &page, "G");
        m.createNoValKnobControl("N", id + 10, 100, 20, E::kKnobImage, 5, -10, 127, 3, &page, "G");

        const int x = int(100 * s), y = int(20 * s);
        auto r = [&](int w, int h) { return IRECT(x, y, x + w, y + h); };
        const IRECT text = r(int(61 * s), int(13 * s)), button = r(int(30 * s), int(40 * s) / 2);
        const std::tuple<const std::type_info&, IRECT, EParamType, double, bool> expected[] = {
            {typeid(ICaptionControl), text, kTypeEnum, 0, true},
            {typeid(ICaptionControl), text, kTypeEnum, 3, true},
            {typeid(ICaptionControl), text, kTypeEnum, 3, false},
            {typeid(ITextControl), text, kTypeNone, 1, true},
            {typeid(ICaptionControl), text, kTypeText, 0, true},
            {typeid(ICustomRadioButtonsControl), r(int(250 * s), int(60 * s) / 2), kTypeEnum, 4, 1},
            {typeid(ICustomRadioButtonsControl), r(int(250 * s) / 2, int(60 * s)), kTypeEnum, 4, 1},
            {typeid(ISwitchControl), button, kTypeBool, 1, true},
            {typeid(IContactControl), button, kTypeBool, 1, true},
            {typeid(IContactControl), button, kTypeBool, 1, true},
            {typeid(IKnobMultiControl), r(int(40 * s), int(160 * s) / 4), kTypeDouble, 127, false},
        };
        ASSERT_EQ(page.getControls().GetSize(), 11);
        EXPECT_EQ(off, page.getControls().Get(9));
        for (int i = 0; i < 11; ++i) {
            const auto& [cls, rect, type, max, bound] = expected[i];
            IControl* control = page.getControls().Get(i);
            const IParam* p = e.effect.GetParam(id + i);
            EXPECT_TRUE(typeid(*control) == cls && control->GetRECT() == rect) << i;
            EXPECT_TRUE(p->Type() == type && p->GetMax() == max) << i;
            EXPECT_EQ(p->GetNameForHost() + std::string("|") + p->GetParamGroupForHost(),
                      i == 3 ? "|" : "N|Part 4:G");
            const ControlAction* a = e.record(id + i);
            EXPECT_EQ(a && a->actionType == kActionNone &&
                          a->controls == std::vector<IControl*>{control},
                      bound)
                << i;
        }
        EXPECT_EQ(e.effect.GetParam(id + 7)->Value() + e.effect.GetParam(id + 10)->Value(), 6.0);
        EXPECT_EQ(e.graphics.NControls(), 0);
    }
}

TEST(PlainFactories, TextsPromptsAndColours) {
    ConfigEditor e(kSysEx, 2);
    auto& m = e.manager;
    m.createDropDownMenu2("Short", kOscillator1Shape, 0, 0, 60, 13, 0, 0, 4, {"a", "b", "c"}, -1,
                          nullptr, "");
    m.createDropDownMenu("Plain", kOscillator2Shape, 0, 0, 60, 13, -1, nullptr, "");
    EXPECT_STREQ(e.effect.GetParam(kOscillator2Shape)->GetDisplayText(0), "----");
    EXPECT_EQ(click(e, 1, 1)->GetText()->mColor, IColor(255, 134, 150, 166));
    m.createDropDownMenu2("Menu", kOscillator1Shape, 0, 0, 60, 13, 0, 0, 4, kFour, -1, nullptr, "");
    EXPECT_EQ(click(e, 1, 1)->GetText()->mColor, COLOR_WHITE); // as the scheme's SysEx menus
    ASSERT_EQ(e.graphics.menus.size(), 1u); // the "----" menu offered nothing
    EXPECT_EQ(e.graphics.menus[0].texts, kFour);

    // Patch numbers, visible and white, then invisible: that one still opens.
    for (int id : {kMultiPartPatch + 15, kMultiPartPatch + 16}) {
        const bool partPatch = id < kMultiPartPatch + 16;
        m.createNoValDropDown("Patch", id, 0, 20, 60, 13, 0, 0, 100, 1, 100, partPatch, {}, -1,
                              nullptr, "", true);
        const IParam* p = e.effect.GetParam(id);
        EXPECT_EQ(std::string(p->GetDisplayText(0)) + p->GetDisplayText(9) + p->GetDisplayText(99),
                  partPatch ? "001010100" : "110100");
    }
    EXPECT_EQ(click(e, 1, 21)->GetText()->mColor, IColor(0, 255, 173, 0));
    EXPECT_EQ(e.graphics.GetControl(2)->GetText()->mColor, COLOR_WHITE);
    ASSERT_EQ(e.graphics.menus.size(), 2u);
    EXPECT_EQ(e.graphics.menus[1].texts.size(), 100u);

    const std::tuple<int, const char*, int> names[] = {{kPatchSearchString, "search...", 225},
                                                       {kMultiName, "Init Multi", 187},
                                                       {kPatchName + 15, "-- INIT --", 187},
                                                       {kPatchName + 16, "INIT", 187}};
    for (auto [id, first, grey] : names) {
        m.createNameDisplay("Name", id, 0, 40, 60, 13, 20, -1, nullptr, "");
        EXPECT_STREQ(e.effect.GetParam(id)->GetDisplayText(0), first);
        EXPECT_EQ(e.lastTopLevel()->GetText()->mColor, IColor(255, grey, grey, grey));
    }
    click(e, 1, 41);
    ASSERT_EQ(e.graphics.entries.size(), 1u);
    EXPECT_EQ(e.graphics.entries[0].text, "INIT");
    EXPECT_EQ(e.graphics.entries[0].control->GetTextEntryLength(), 20);
}

TEST(PlainFactories, BindingOrderAndHostileElements) {
    ConfigEditor e(kSysEx);
    auto& m = e.manager;
    m.createSysExKnobControl("Shape", kOscillator1Shape, 0, 0, E::kKnobImage, 0, 0, 3, 0, 8, -1, {},
                             nullptr, "");
    m.createDropDownMenu2("Shape", kOscillator1Shape, 0, 100, 60, 13, 0, 0, 4, kFour, -1, nullptr,
                          "");
    EXPECT_EQ(e.record(kOscillator1Shape)->actionType, kActionNone);
    EXPECT_EQ(e.record(kOscillator1Shape)->controls.size(), 2u);

    // The progress page's two cancel buttons, as the plug-in makes them.
    ControlLayer progress(0, "PROGRESS");
    std::vector<IControl*> buttons;
    for (auto [x, y] : {std::pair{835, 457}, {740, 83}})
        buttons.push_back(m.createAutoOffSwitchControl("Cancel Data Request", kCancelDataRequest, x,
                                                       y, E::kButtonImage, 0, &progress, "Global"));
    EXPECT_EQ(e.record(kCancelDataRequest)->controls, buttons);
    for (IControl* button : buttons) {
        IMouseMod left(true, false);
        button->OnMouseDown(0, 0, &left);
        EXPECT_EQ(e.effect.GetParam(kCancelDataRequest)->Value(), 1.0);
        button->OnMouseUp(0, 0, &left);
        EXPECT_EQ(e.effect.GetParam(kCancelDataRequest)->Value(), 0.0);
    }

    for (int id : {-1, int(kNumParams)}) {
        m.createNoValKnobControl("Bad", id, 0, 0, E::kKnobImage, 0, 0, 1, -1, nullptr, "");
        m.createMIDIDeviceSelectionControl(id, 0, 0, 9, 9, 1);
        EXPECT_TRUE(e.logged("CONFIG READER: control Device Selection: parameter id " +
                             std::to_string(id) + " NOT FOUND!"));
    }
    for (int count : {0, 16385})
        m.createRadioControl("Bad", kFilter1Cutoff, 0, 0, E::kTabImage, count, -1, nullptr, "");
    EXPECT_TRUE(e.logged("CONFIG READER: control Bad has 0 buttons!"));
    m.createNoValDropDown("Bad", kFilter1Cutoff, 0, 0, 9, 9, 0, 0, 4, 5, 5, 1, {"a"}, -1, nullptr,
                          "", false);
    EXPECT_TRUE(e.logged("CONFIG READER: control Bad has 1 texts for 4 entries!"));
    EXPECT_EQ(e.graphics.NControls(), 2);
    // A missing image makes a 0 × 0 row whose buttons nothing hits.
    m.createRadioControl("Row", kFilter1Cutoff, 10, 10, "NO_SUCH_IMAGE", 3, -1, nullptr, "");
    EXPECT_EQ(e.lastTopLevel()->GetRECT(), IRECT(10, 10, 10, 10));
}

} // namespace
