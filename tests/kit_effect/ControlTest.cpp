#include "kit/effect/IControl.h"
#include "kit/effect/IEffectBase.h"
#include "kit/effect/ITextControl.h"

#include "tests/support/TestControl.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::TestControl;
using testsupport::TestEffect;
using testsupport::TestGraphics;

namespace {

// Parameter 0: a double 0..1; 1: an enum of four texts; 2: an int 0..10.
struct ControlTest : ::testing::Test {
    ControlTest() : plug(3, 0) {
        plug.GetParam(0)->InitDouble("Cutoff", 0.0, 0.0, 1.0, 0.001);
        plug.GetParam(1)->InitEnum("Shape", 0, 4);
        for (int i = 0; i < 4; ++i)
            plug.GetParam(1)->SetDisplayText(i, ("shape " + std::to_string(i)).c_str());
        plug.GetParam(2)->InitInt("Octave", 0, 0, 10);
    }
    TestEffect plug;
    IMouseMod left{true, false};
};

} // namespace

TEST(Rect, EmptinessContainmentAndTheOrderOfIntersects) {
    const IRECT r(10, 20, 30, 40);
    EXPECT_TRUE(r.Contains(10, 20));
    EXPECT_FALSE(r.Contains(30, 25));
    EXPECT_FALSE(r.Contains(15, 40));
    EXPECT_FALSE(IRECT().Contains(0, 0));
    EXPECT_FALSE(IRECT(0, 0, 0, 1).Contains(0, 0)); // no width
    // A rectangle touching on the right meets; one touching on the left does not.
    const IRECT right(30, 20, 50, 40);
    EXPECT_TRUE(r.Intersects(right));
    EXPECT_FALSE(right.Intersects(r));
    EXPECT_FALSE(r.Intersects(IRECT()));
    EXPECT_EQ(r.Union(IRECT()), r);
    EXPECT_EQ(IRECT().Union(right), right);
    EXPECT_EQ(r.Union(IRECT(0, 30, 12, 50)), IRECT(0, 20, 30, 50));
    EXPECT_EQ(r.Intersect(IRECT(25, 0, 100, 25)), IRECT(25, 20, 30, 25));
    EXPECT_EQ(right.Intersect(r), IRECT());
}

TEST_F(ControlTest, FirstValueFromThePlugInBecomesTheDefault) {
    TestControl c(&plug, IRECT(0, 0, 10, 10), 0);
    c.SetClean();
    c.SetValueFromPlug(0.3);
    EXPECT_DOUBLE_EQ(c.GetValue(), 0.3);
    EXPECT_DOUBLE_EQ(c.GetDefault(), 0.3);
    EXPECT_FALSE(c.IsDirty());

    c.SetValueFromPlug(0.6);
    EXPECT_TRUE(c.IsDirty());
    c.SetClean(); // a value from the plug-in keeps the control dirty for one more pass
    EXPECT_TRUE(c.IsDirty());
    c.SetClean();
    EXPECT_FALSE(c.IsDirty());
    c.SetValueFromPlug(0.6);
    EXPECT_FALSE(c.IsDirty());
    EXPECT_TRUE(plug.changes.empty()); // shown, not sent back

    c.OnMouseDblClick(1, 1, &left);
    EXPECT_DOUBLE_EQ(c.GetValue(), 0.3);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.3);
    EXPECT_EQ(plug.changes, std::vector<int>{0});
    c.SetClean(); // SetDirty alone does not ask for a second pass
    EXPECT_FALSE(c.IsDirty());
}

TEST_F(ControlTest, DoubleClickWithoutDefaultOrWhileGrayedChangesNothing) {
    TestControl unset(&plug, IRECT(0, 0, 10, 10), 0);
    unset.OnMouseDblClick(1, 1, &left);
    TestControl grayed(&plug, IRECT(0, 0, 10, 10), 0);
    grayed.SetValueFromPlug(0.5);
    grayed.SetValueFromUserInput(0.7);
    grayed.GrayOut(true);
    grayed.OnMouseDblClick(1, 1, &left);
    EXPECT_DOUBLE_EQ(grayed.GetValue(), 0.7);
    EXPECT_DOUBLE_EQ(unset.GetValue(), 0.0);
    EXPECT_EQ(plug.changes, std::vector<int>{0}); // the user input alone
}

TEST_F(ControlTest, ValuesFromTheSynthesizerReachTheSecondChangeHandler) {
    TestControl c(&plug, IRECT(0, 0, 10, 10), 0);
    c.SetValueFromHardware(0.2); // the first value is the default, nothing is sent
    c.SetValueFromHardware(0.2);
    EXPECT_TRUE(plug.changes2.empty());
    c.SetValueFromHardware(0.8);
    EXPECT_EQ(plug.changes2, std::vector<int>{0});
    EXPECT_TRUE(plug.changes.empty());
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.8);
    EXPECT_DOUBLE_EQ(c.GetDefault(), 0.2);
}

TEST_F(ControlTest, WheelStepsAreClampedBeforeThePlugInSeesThem) {
    TestControl c(&plug, IRECT(0, 0, 10, 10), 0);
    c.SetValueFromPlug(0.5);
    c.OnMouseWheel(0, 0, &left, 3);
    EXPECT_NEAR(c.GetValue(), 0.53, 1e-12);
    IMouseMod shift(true, false, true), control(true, false, false, true);
    c.OnMouseWheel(0, 0, &shift, -10);
    EXPECT_NEAR(c.GetValue(), 0.52, 1e-12);
    c.OnMouseWheel(0, 0, &control, 5);
    EXPECT_NEAR(c.GetValue(), 0.525, 1e-12);

    c.Clamp(0.2, 0.6);
    c.GrayOut(true); // the wheel does not look at the grayed flag
    c.OnMouseWheel(0, 0, &left, 50);
    EXPECT_DOUBLE_EQ(c.GetValue(), 0.6);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.6);
    c.OnMouseWheel(0, 0, &left, -100);
    EXPECT_DOUBLE_EQ(c.GetValue(), 0.2);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.2);
}

TEST_F(ControlTest, UserInputLeavesTheDefaultAndIgnoresEqualValues) {
    TestControl c(&plug, IRECT(0, 0, 10, 10), 2);
    c.SetValueFromUserInput(0.0);
    EXPECT_TRUE(plug.changes.empty());
    c.SetValueFromUserInput(0.5);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 5.0);
    EXPECT_DOUBLE_EQ(c.GetDefault(), -1.0);
    c.SetClean();
    EXPECT_TRUE(c.IsDirty());
}

TEST_F(ControlTest, HideAndGrayOut) {
    TestControl c(&plug, IRECT(0, 0, 10, 10), 0);
    c.SetClean();
    c.Hide(true);
    EXPECT_TRUE(c.IsHidden());
    c.SetClean();
    EXPECT_TRUE(c.IsDirty()); // hiding asks for a second pass
    c.GrayOut(true);
    EXPECT_FLOAT_EQ(c.GetBlend().mWeight, 0.5f);
    c.GrayOut(true);
    c.GrayOut(false);
    EXPECT_FLOAT_EQ(c.GetBlend().mWeight, 1.0f);
    EXPECT_TRUE(plug.changes.empty());
}

TEST_F(ControlTest, HitsTheTargetRectangleOnly) {
    TestControl c(&plug, IRECT(10, 10, 20, 20));
    EXPECT_TRUE(c.IsHit(10, 10));
    EXPECT_FALSE(c.IsHit(20, 15));
    c.SetTargetRECT(IRECT(0, 0, 5, 5));
    EXPECT_FALSE(c.IsHit(15, 15));
    EXPECT_TRUE(c.IsHit(4, 4));
    TestControl zero(&plug, IRECT());
    EXPECT_FALSE(zero.IsHit(0, 0));
}

TEST_F(ControlTest, DisplayControlsFollowThePushedParameter) {
    IText style;
    auto* value = new ITextControl(&plug, IRECT(0, 20, 50, 30), &style, "");
    auto* name = new ITextControl(&plug, IRECT(0, 30, 50, 40), &style, "old");
    TestControl c(&plug, IRECT(0, 0, 10, 10), 1);
    c.SetValueDisplayControl(value);
    c.SetNameDisplayControl(name);
    value->SetClean();
    name->SetClean();

    c.SetValueFromUserInput(plug.GetParam(1)->GetNormalized(2.0));
    EXPECT_STREQ(value->GetTextForPlug(), "shape 2");
    EXPECT_STREQ(name->GetTextForPlug(), "Shape");
    EXPECT_TRUE(value->IsDirty());
    value->SetClean();
    name->SetClean();
    c.SetDirty(true); // the same texts again: the displays stay clean
    EXPECT_FALSE(value->IsDirty());
    EXPECT_FALSE(name->IsDirty());

    // A display text of the longest kind is shown whole.
    const std::string longText(55, 'x');
    plug.GetParam(1)->SetDisplayText(3, longText.c_str());
    c.SetValueFromUserInput(1.0);
    EXPECT_EQ(value->GetTextForPlug(), longText);

    // Without a pushed parameter the displays are left alone.
    TestControl unbound(&plug, IRECT(0, 0, 10, 10), 7);
    unbound.SetValueDisplayControl(value);
    unbound.SetValueFromUserInput(0.5);
    EXPECT_EQ(value->GetTextForPlug(), longText);
    delete value;
    delete name;
}

TEST_F(ControlTest, RightClickPromptsOverTheControlOrItsCentre) {
    auto* g = new TestGraphics(&plug);
    plug.AttachGraphics(g);
    IMouseMod right(false, true);
    TestControl knob(&plug, IRECT(100, 50, 141, 71), 0);
    knob.OnMouseDown(110, 60, &right);
    EXPECT_TRUE(g->entries.empty()); // prompting is disabled until the creator enables it

    knob.SetPromptDisabled(false);
    knob.OnMouseDown(110, 60, &left);
    EXPECT_TRUE(g->entries.empty());
    knob.GrayOut(true);
    knob.OnMouseDown(110, 60, &right);
    EXPECT_TRUE(g->entries.empty());
    knob.GrayOut(false);
    knob.SetClean();
    knob.OnMouseDown(110, 60, &right);
    ASSERT_EQ(g->entries.size(), 1u);
    EXPECT_EQ(g->entries[0].area, IRECT(105, 52, 135, 68)); // 30 × 16 about (120, 60)
    EXPECT_EQ(g->entries[0].control, &knob);
    knob.SetClean();
    EXPECT_TRUE(knob.IsDirty()); // a prompt asks for a second pass

    TestControl menu(&plug, IRECT(10, 10, 40, 20), 1);
    menu.SetPromptDisabled(false);
    menu.OnMouseDown(12, 12, &right);
    ASSERT_EQ(g->menus.size(), 1u);
    EXPECT_EQ(g->menus[0].area, IRECT(10, 10, 40, 20));

    TestControl unbound(&plug, IRECT(10, 10, 40, 20));
    unbound.SetPromptDisabled(false);
    unbound.OnMouseDown(12, 12, &right);
    EXPECT_EQ(g->entries.size() + g->menus.size(), 2u);
}

TEST_F(ControlTest, AuxParameters) {
    TestControl c(&plug, IRECT(0, 0, 10, 10), 0);
    EXPECT_EQ(c.AuxParamIdx(2), -1);
    c.AddAuxParam(2);
    c.AddAuxParam(1);
    c.AddAuxParam(2);
    EXPECT_EQ(c.AuxParamIdx(2), 0);
    EXPECT_EQ(c.AuxParamIdx(1), 1);
    EXPECT_EQ(c.GetAuxParam(3), nullptr);

    c.SetClean();
    c.SetAuxParamValueFromPlug(1, 0.0); // unchanged
    EXPECT_FALSE(c.IsDirty());
    c.SetAuxParamValueFromPlug(1, 1.0);
    c.SetAuxParamValueFromPlug(0, 0.4);
    c.SetAuxParamValueFromPlug(5, 0.4);
    c.SetClean();
    EXPECT_TRUE(c.IsDirty());
    c.SetAllAuxParamsFromGUI();
    EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 3.0);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 0.0); // the third record, still 0, comes last
    EXPECT_EQ(plug.changes, (std::vector<int>{2, 1, 2}));
}
