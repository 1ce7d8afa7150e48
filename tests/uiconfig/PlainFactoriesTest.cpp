#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IContactControl.h"
#include "kit/effect/IKnobMultiControl.h"
#include "kit/effect/ISwitchControl.h"
#include "src/uiconfig/ICustomRadioButtonsControl.h"
#include "tests/uiconfig/ConfigEditor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <typeinfo>

using ::testing::ElementsAre;

namespace {

const char* const kSysEx =
    "<sysexlist><sysex><values><value>3E 0F 10 20 00 01 9F 00</value></values></sysex></sysexlist>";
const std::vector<std::string> kFour = {"a", "b", "c", "d"};

std::vector<std::string> texts(const IParam* p) {
    std::vector<std::string> out;
    for (int i = 0; i < p->GetNDisplayTexts(); ++i)
        out.push_back(p->GetDisplayTextAtIdx(i));
    return out;
}

void click(ConfigEditor& e, const IControl* control, bool right = false) {
    IMouseMod mod(!right, right);
    e.graphics.OnMouseDown(control->GetRECT().L + 1, control->GetRECT().T + 1, &mod);
    e.graphics.OnMouseUp(control->GetRECT().L + 1, control->GetRECT().T + 1, &mod);
}

// Every factory in part 3 on a layer at (100, 20); texts 61 × 13, then bitmap controls.
TEST(PlainFactories, ParameterControlAndRecordAtBothScales) {
    for (double s : {0.85, 1.15}) {
        ConfigEditor e(kSysEx, 0, s);
        ControlLayer layer(0, "page");
        const int x = int(100 * s), y = int(20 * s);
        auto rect = [&](int w, int h) { return IRECT(x, y, x + w, y + h); };
        const IRECT text = rect(int(61 * s), int(13 * s));
        auto& m = e.manager;
        IControl* returned = nullptr;
        const struct {
            std::function<void(int)> make;
            const std::type_info& cls;
            IRECT rect;
            EParamType type;
            double max;
            bool bound;
        } cases[] = {
            {[&](int id) { m.createDropDownMenu("N", id, 100, 20, 61, 13, 3, &layer, "G"); },
             typeid(ICaptionControl), text, kTypeEnum, 0, true},
            {[&](int id) {
                 m.createDropDownMenu2("N", id, 100, 20, 61, 13, 1, 0, 4, kFour, 3, &layer, "G");
             },
             typeid(ICaptionControl), text, kTypeEnum, 3, true},
            {[&](int id) {
                 m.createNoValDropDown("N", id, 100, 20, 61, 13, 1, 7, 11, -1, -1, 1, kFour, 3,
                                       &layer, "G", false);
             },
             typeid(ICaptionControl), text, kTypeEnum, 3, false},
            {[&](int id) { m.createControlDisplay("N", id, 100, 20, 61, 13, &layer); },
             typeid(ITextControl), text, kTypeNone, 1, true},
            {[&](int id) { m.createNameDisplay("N", id, 100, 20, 61, 13, 20, 3, &layer, "G"); },
             typeid(ICaptionControl), text, kTypeText, 0, true},
            {[&](int id) {
                 m.createRadioControl("N", id, 100, 20, ConfigEditor::kTabImage, 5, 3, &layer, "G");
             },
             typeid(ICustomRadioButtonsControl), rect(int(250 * s), int(60 * s) / 2), kTypeEnum, 4,
             true},
            {[&](int id) {
                 m.createRadioControl("N", id, 100, 20, ConfigEditor::kSideTabImage, 5, 3, &layer,
                                      "G");
             },
             typeid(ICustomRadioButtonsControl), rect(int(250 * s) / 2, int(60 * s)), kTypeEnum, 4,
             true},
            {[&](int id) {
                 m.createBoolControl("N", id, 1, 100, 20, ConfigEditor::kButtonImage, 3, &layer,
                                     "G");
             },
             typeid(ISwitchControl), rect(int(30 * s), int(40 * s) / 2), kTypeBool, 1, true},
            {[&](int id) {
                 m.createSwitchControl("N", id, 1, 100, 20, ConfigEditor::kButtonImage, 3, &layer,
                                       "G");
             },
             typeid(IContactControl), rect(int(30 * s), int(40 * s) / 2), kTypeBool, 1, true},
            {[&](int id) {
                 returned = m.createAutoOffSwitchControl(
                     "N", id, 100, 20, ConfigEditor::kCancelImage, 3, &layer, "G");
             },
             typeid(IContactControl), rect(int(40 * s), int(20 * s)), kTypeBool, 1, true},
            {[&](int id) {
                 m.createNoValKnobControl("N", id, 100, 20, ConfigEditor::kKnobImage, 5, -10, 127,
                                          3, &layer, "G");
             },
             typeid(IKnobMultiControl), rect(int(40 * s), int(160 * s) / 4), kTypeDouble, 127,
             false},
        };
        int id = kFilter1Cutoff + 3;
        for (const auto& c : cases) {
            c.make(++id);
            const int n = layer.getControls().GetSize();
            ASSERT_EQ(n, id - kFilter1Cutoff - 3) << id;
            IControl* control = layer.getControls().Get(n - 1);
            EXPECT_EQ(typeid(*control), c.cls) << id;
            EXPECT_EQ(control->GetRECT(), c.rect) << id;
            const IParam* p = e.effect.GetParam(id);
            EXPECT_EQ(p->Type(), c.type) << id;
            EXPECT_EQ(p->GetMax(), c.max) << id;
            if (c.type != kTypeNone) {
                EXPECT_STREQ(p->GetNameForHost(), "N");
                EXPECT_STREQ(p->GetParamGroupForHost(), "Part 4:G");
            }
            const ControlAction* a = e.record(id);
            EXPECT_EQ(a != nullptr, c.bound) << id;
            if (a) {
                EXPECT_EQ(a->actionType, kActionNone);
                EXPECT_THAT(a->controls, ElementsAre(control));
            }
        }
        EXPECT_EQ(returned, layer.getControls().Get(9));
        EXPECT_EQ(e.effect.GetParam(kFilter1Cutoff + 11)->Value(), 1.0);
        EXPECT_EQ(e.effect.GetParam(kFilter1Cutoff + 14)->Value(), 5.0);
        EXPECT_EQ(e.effect.GetParam(kFilter1Cutoff + 14)->GetMin(), -10.0);
        EXPECT_EQ(e.graphics.NControls(), 0);
    }
}

TEST(PlainFactories, TextsAndPrompts) {
    ConfigEditor e(kSysEx);
    auto& m = e.manager;
    const int menu = kOscillator1Shape;
    m.createDropDownMenu2("Menu", menu, 0, 0, 60, 13, 0, 0, 4, kFour, -1, nullptr, "");
    EXPECT_THAT(texts(e.effect.GetParam(menu)), ElementsAre("a", "b", "c", "d"));
    click(e, e.lastTopLevel());
    ASSERT_EQ(e.graphics.menus.size(), 1u);
    EXPECT_THAT(e.graphics.menus[0].texts, ElementsAre("a", "b", "c", "d"));
    m.createDropDownMenu2("Short", menu + 1, 0, 0, 60, 13, 0, 0, 4, {"a", "b", "c"}, -1, nullptr,
                          "");
    EXPECT_EQ(e.graphics.NControls(), 1);
    EXPECT_EQ(e.record(menu + 1), nullptr);

    m.createDropDownMenu("Plain", menu + 2, 0, 100, 60, 13, -1, nullptr, "");
    EXPECT_THAT(texts(e.effect.GetParam(menu + 2)), ElementsAre("----"));
    click(e, e.lastTopLevel());
    EXPECT_EQ(e.graphics.menus.size(), 1u);

    // Numbered patches; invisible, the menu still opens.
    for (int id : {kMultiPartPatch + 15, kMultiPartPatch + 16}) {
        m.createNoValDropDown("Patch", id, 0, 200, 60, 13, 0, 0, 100, 1, 100, 0, {}, -1, nullptr,
                              "", false);
        const std::vector<std::string> t = texts(e.effect.GetParam(id));
        ASSERT_EQ(t.size(), 100u);
        const bool padded = id < kMultiPartPatch + 16;
        EXPECT_EQ(t[0] + " " + t[9] + " " + t[99], padded ? "001 010 100" : "1 10 100");
    }
    click(e, e.lastTopLevel());
    ASSERT_EQ(e.graphics.menus.size(), 2u);
    EXPECT_EQ(e.graphics.menus[1].texts.size(), 100u);

    // Name fields: the first text by parameter; a click opens a text entry of nameLen.
    const std::pair<int, const char*> names[] = {
        {kPatchRename, "New Name"}, {kPatchSearchString, "search..."}, {kMultiName, "Init Multi"},
        {kPatchName, "-- INIT --"}, {kPatchName + 15, "-- INIT --"},   {kPatchName + 16, "INIT"},
    };
    for (auto [id, first] : names) {
        m.createNameDisplay("Name", id, 0, 300, 60, 13, 20, -1, nullptr, "");
        EXPECT_THAT(texts(e.effect.GetParam(id)), ElementsAre(first)) << id;
    }
    click(e, e.lastTopLevel());
    ASSERT_EQ(e.graphics.entries.size(), 1u);
    EXPECT_EQ(e.graphics.entries[0].control, e.lastTopLevel());
    EXPECT_EQ(e.graphics.entries[0].text, "INIT");
    EXPECT_EQ(e.lastTopLevel()->GetTextEntryLength(), 20);
}

// Drop-down menus, then item menus visible, visible and white, invisible and white.
TEST(PlainFactories, CaptionColoursBySchemeVisibleAndWhite) {
    const IColor orange(255, 255, 173, 0), grey(255, 200, 200, 200), steel(255, 134, 150, 166);
    const IColor invisible(0, 255, 173, 0);
    const struct {
        int style;
        IColor plain, item;
    } cases[] = {
        {0, IColor(255, 241, 243, 33), orange},
        {1, IColor(255, 186, 143, 74), orange},
        {2, steel, grey},
        {3, steel, grey},
        {4, grey, grey},
        {9, IColor(255, 241, 243, 33), orange},
    };
    for (const auto& c : cases) {
        ConfigEditor e(kSysEx, c.style);
        std::vector<IColor> colours;
        e.manager.createDropDownMenu("M", kOscillator1Shape, 0, 0, 60, 13, -1, nullptr, "");
        colours.push_back(e.lastTopLevel()->GetText()->mColor);
        for (auto [visible, white] : {std::pair{1, false}, {1, true}, {0, true}}) {
            e.manager.createNoValDropDown("M", kOscillator1Shape, 0, 0, 60, 13, 0, 0, 4, -1, -1,
                                          visible, kFour, -1, nullptr, "", white);
            colours.push_back(e.lastTopLevel()->GetText()->mColor);
        }
        EXPECT_THAT(colours, ElementsAre(c.plain, c.item, COLOR_WHITE, invisible)) << c.style;
    }
    ConfigEditor e(kSysEx);
    const std::pair<int, IColor> fixed[] = {
        {kPatchRename, IColor(255, 225, 225, 225)},
        {kPatchSearchString, IColor(255, 225, 225, 225)},
        {kPatchName, IColor(255, 187, 187, 187)},
    };
    for (auto [id, colour] : fixed) {
        e.manager.createNameDisplay("N", id, 0, 0, 60, 13, 16, -1, nullptr, "");
        EXPECT_EQ(e.lastTopLevel()->GetText()->mColor, colour) << id;
    }
    e.manager.createControlDisplay("Display", kDebugParts, 0, 0, 60, 13, nullptr);
    EXPECT_EQ(e.lastTopLevel()->GetText()->mColor, IColor(255, 241, 243, 33));
    EXPECT_EQ(e.manager.getCCControls(0, 0, 0), nullptr);
}

TEST(PlainFactories, LaterControlsSetTheKindAndShareTheRecord) {
    ConfigEditor e(kSysEx);
    e.manager.createSysExKnobControl("Shape", kOscillator1Shape, 0, 0, ConfigEditor::kKnobImage, 0,
                                     0, 3, 0, 8, -1, {}, nullptr, "");
    IControl* knob = e.lastTopLevel();
    e.manager.createDropDownMenu2("Shape", kOscillator1Shape, 0, 100, 60, 13, 0, 0, 4, kFour, -1,
                                  nullptr, "");
    EXPECT_EQ(e.record(kOscillator1Shape)->actionType, kActionNone);
    EXPECT_THAT(e.record(kOscillator1Shape)->controls, ElementsAre(knob, e.lastTopLevel()));

    // The progress page's two cancel buttons, as the plug-in makes them.
    ControlLayer progress(0, "PROGRESS");
    IContactControl* buttons[2];
    int i = 0;
    for (auto [x, y] : {std::pair{835, 457}, {740, 83}})
        buttons[i++] =
            e.manager.createAutoOffSwitchControl("Cancel Data Request", kCancelDataRequest, x, y,
                                                 "BUTTON_LIB_CANCEL_ID", 0, &progress, "Global");
    EXPECT_STREQ(e.effect.GetParam(kCancelDataRequest)->GetParamGroupForHost(), "Part 1:Global");
    EXPECT_THAT(e.record(kCancelDataRequest)->controls, ElementsAre(buttons[0], buttons[1]));
    for (IContactControl* button : buttons) {
        IMouseMod left(true, false);
        button->OnMouseDown(0, 0, &left);
        EXPECT_EQ(e.effect.GetParam(kCancelDataRequest)->Value(), 1.0);
        button->OnMouseUp(0, 0, &left);
        EXPECT_EQ(e.effect.GetParam(kCancelDataRequest)->Value(), 0.0);
    }
}

TEST(PlainFactories, HostileElementsAreLoggedAndNeverCrash) {
    ConfigEditor e(kSysEx);
    auto& m = e.manager;
    ControlLayer layer(0, "page");
    for (int id : {-1, int(kNumParams)}) {
        m.createDropDownMenu("Bad", id, 0, 0, 9, 9, -1, &layer, "");
        m.createNoValDropDown("Bad", id, 0, 0, 9, 9, 0, 0, 4, 1, 2, 1, {}, -1, &layer, "", false);
        m.createNoValKnobControl("Bad", id, 0, 0, ConfigEditor::kKnobImage, 0, 0, 1, -1, &layer,
                                 "");
        m.createMIDIDeviceSelectionControl(id, 0, 0, 9, 9, 1);
        EXPECT_TRUE(e.logged("CONFIG READER: control Device Selection: parameter id " +
                             std::to_string(id) + " NOT FOUND!"));
    }
    for (int buttons : {0, -3, 16385})
        m.createRadioControl("Bad", kFilter1Cutoff, 0, 0, ConfigEditor::kTabImage, buttons, -1,
                             &layer, "");
    EXPECT_TRUE(e.logged("CONFIG READER: control Bad has 16385 buttons!"));
    m.createNoValDropDown("Bad", kFilter1Cutoff, 0, 0, 9, 9, 0, 0, 4, 5, 5, 1, {"a"}, -1, &layer,
                          "", false);
    EXPECT_TRUE(e.logged("CONFIG READER: control Bad has 1 texts for 4 entries!"));
    EXPECT_EQ(layer.getControls().GetSize(), 0);
    EXPECT_EQ(e.graphics.NControls(), 0);
    EXPECT_EQ(e.record(kFilter1Cutoff), nullptr);

    // Missing images give 0 × 0 controls; the radio row's buttons are hit by nothing.
    m.createRadioControl("Row", kFilter1Cutoff, 10, 10, "NO_SUCH_IMAGE", 3, -1, nullptr, "");
    m.createBoolControl("Switch", kFilter2Cutoff, 0, 10, 10, "NO_SUCH_IMAGE", -1, nullptr, "");
    EXPECT_EQ(e.graphics.GetControl(0)->GetRECT(), IRECT(10, 10, 10, 10));
    EXPECT_EQ(e.lastTopLevel()->GetRECT(), IRECT(10, 10, 10, 10));
    e.graphics.GetControl(0)->SetValueFromPlug(0.5);
    IMouseMod left(true, false);
    e.graphics.GetControl(0)->OnMouseDown(10, 10, &left);
    EXPECT_EQ(e.effect.GetParam(kFilter1Cutoff)->Value(), 1.0);
    EXPECT_TRUE(e.logged("CONFIG READER: Image NO_SUCH_IMAGE MISSING!"));
}

} // namespace
