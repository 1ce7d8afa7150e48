#include "kit/effect/ControlLayer.h"
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

// Parameter 0: a double 0..1; 1: an enum of four texts. A page with two own controls and
// children with the ids 11, 12 and 152, each holding one control at (0, 20, 10, 30).
struct ControlTest : ::testing::Test {
    ControlTest() : plug(2, 0), page(1, "PAGE") {
        plug.GetParam(0)->InitDouble("Cutoff", 0.0, 0.0, 1.0, 0.001);
        plug.GetParam(1)->InitEnum("Shape", 0, 4);
        for (int i = 0; i < 4; ++i)
            plug.GetParam(1)->SetDisplayText(i, ("shape " + std::to_string(i)).c_str());
        own1 = addControl(&page, IRECT(0, 0, 10, 10));
        own2 = addControl(&page, IRECT(10, 0, 20, 10));
        for (int id : {11, 12, 152}) {
            auto* child = new ControlLayer(id, "child");
            page.addChild(child);
            addControl(child, IRECT(0, 20, 10, 30));
        }
    }
    TestControl* addControl(ControlLayer* layer, IRECT r) {
        auto* c = new TestControl(&plug, r);
        layer->addControl(c);
        return c;
    }
    ControlLayer* child(int i) { return page.getChildren().Get(i); }
    TestControl* childControl(int i) {
        return static_cast<TestControl*>(child(i)->getControls().Get(0));
    }
    // Two passes: a hide keeps a control dirty for one more.
    void cleanAll() {
        IRECT r;
        TestGraphics g(&plug);
        page.Draw(&g, &r);
        page.Draw(&g, &r);
    }

    TestEffect plug;
    ControlLayer page;
    TestControl* own1;
    TestControl* own2;
    IMouseMod left{true, false};
};

} // namespace

TEST(Rect, EmptinessContainmentAndTheOrderOfIntersects) {
    const IRECT r(10, 20, 30, 40);
    EXPECT_TRUE(r.Contains(10, 20));
    EXPECT_FALSE(r.Contains(30, 25) || r.Contains(15, 40) || IRECT().Contains(0, 0));
    // A rectangle touching on the right meets; one touching on the left does not.
    const IRECT right(30, 20, 50, 40);
    EXPECT_TRUE(r.Intersects(right));
    EXPECT_FALSE(right.Intersects(r));
    EXPECT_EQ(IRECT().Union(right), right);
    EXPECT_EQ(r.Union(IRECT(0, 30, 12, 50)), IRECT(0, 20, 30, 50));
    EXPECT_EQ(r.Intersect(IRECT(25, 0, 100, 25)), IRECT(25, 20, 30, 25));
    EXPECT_EQ(right.Intersect(r), IRECT());
}

// ---- Controls

TEST_F(ControlTest, TheThreeRoadsOfAValue) {
    TestControl c(&plug, IRECT(0, 0, 10, 10), 0);
    c.SetClean();
    c.SetValueFromPlug(0.3); // the first value is the default and is not drawn again
    EXPECT_DOUBLE_EQ(c.GetDefault(), 0.3);
    EXPECT_FALSE(c.IsDirty());
    c.SetValueFromPlug(0.6);
    c.SetClean(); // a value from the plug-in keeps the control dirty for one more pass
    EXPECT_TRUE(c.IsDirty());
    c.SetClean();
    EXPECT_FALSE(c.IsDirty());
    EXPECT_TRUE(plug.changes.empty());

    c.SetValueFromHardware(0.6); // unchanged: nothing reaches the plug-in
    c.SetValueFromHardware(0.8);
    EXPECT_EQ(plug.changes2, std::vector<int>{0});
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.8);

    c.SetValueFromUserInput(0.8);
    EXPECT_TRUE(plug.changes.empty());
    c.OnMouseDblClick(1, 1, &left); // restores the default through the ordinary handler
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.3);
    EXPECT_EQ(plug.changes, std::vector<int>{0});
    c.GrayOut(true);
    EXPECT_FLOAT_EQ(c.GetBlend().mWeight, 0.5f);
    c.SetValueFromUserInput(0.9);
    c.OnMouseDblClick(1, 1, &left); // grayed: ignored
    EXPECT_DOUBLE_EQ(c.GetValue(), 0.9);

    // The wheel does not look at the grayed flag; its steps are clamped before they are sent.
    c.Clamp(0.2, 0.6);
    c.OnMouseWheel(0, 0, &left, 50);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.6);
    IMouseMod shift(true, false, true);
    c.OnMouseWheel(0, 0, &shift, -100);
    EXPECT_DOUBLE_EQ(c.GetValue(), 0.5);
    c.OnMouseWheel(0, 0, &left, -100);
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.2);
}

TEST_F(ControlTest, DisplayControlsFollowThePushedParameter) {
    IText style;
    ITextControl value(&plug, IRECT(0, 20, 50, 30), &style, "");
    ITextControl name(&plug, IRECT(0, 30, 50, 40), &style, "old");
    TestControl c(&plug, IRECT(0, 0, 10, 10), 1);
    c.SetValueDisplayControl(&value);
    c.SetNameDisplayControl(&name);
    c.SetValueFromUserInput(plug.GetParam(1)->GetNormalized(2.0));
    EXPECT_STREQ(value.GetTextForPlug(), "shape 2");
    EXPECT_STREQ(name.GetTextForPlug(), "Shape");
    value.SetClean();
    c.SetDirty(true); // the same text again: the display stays clean
    EXPECT_FALSE(value.IsDirty());

    // A display text of the longest kind is shown whole.
    const std::string longText(55, 'x');
    plug.GetParam(1)->SetDisplayText(3, longText.c_str());
    c.SetValueFromUserInput(1.0);
    EXPECT_EQ(value.GetTextForPlug(), longText);
}

TEST_F(ControlTest, RightClickPromptsOverTheControlOrItsCentre) {
    auto* g = new TestGraphics(&plug);
    plug.AttachGraphics(g);
    IMouseMod right(false, true);
    TestControl knob(&plug, IRECT(100, 50, 141, 71), 0);
    knob.OnMouseDown(110, 60, &right);
    EXPECT_TRUE(g->entries.empty()); // prompting is off until the creator enables it
    knob.SetPromptDisabled(false);
    knob.GrayOut(true);
    knob.OnMouseDown(110, 60, &right);
    knob.GrayOut(false);
    knob.OnMouseDown(110, 60, &left);
    EXPECT_TRUE(g->entries.empty());
    knob.OnMouseDown(110, 60, &right);
    ASSERT_EQ(g->entries.size(), 1u);
    EXPECT_EQ(g->entries[0].area, IRECT(105, 52, 135, 68)); // 30 × 16 about (120, 60)

    TestControl menu(&plug, IRECT(10, 10, 40, 20), 1);
    menu.SetPromptDisabled(false);
    menu.OnMouseDown(12, 12, &right);
    ASSERT_EQ(g->menus.size(), 1u);
    EXPECT_EQ(g->menus[0].area, IRECT(10, 10, 40, 20));
}

// ---- Layers

TEST_F(ControlTest, ALayerShowsAndUngraysOnlyItsSelectedChild) {
    page.Hide(false); // selected id 0 matches no child
    EXPECT_TRUE(page.isVisible() && !own1->IsHidden());
    EXPECT_FALSE(child(0)->isVisible() || child(1)->isVisible() || child(2)->isVisible());
    page.setSelectedId(12);
    page.Hide(false);
    EXPECT_TRUE(child(1)->isVisible());
    cleanAll();
    page.setSelectedId(11);
    page.Hide(true);
    EXPECT_TRUE(childControl(2)->IsDirty()); // the whole subtree is made dirty first
    page.Hide(false);
    EXPECT_TRUE(child(0)->isVisible());
    EXPECT_FALSE(child(1)->isVisible()); // shown before, no longer selected
    EXPECT_TRUE(childControl(1)->IsHidden());

    page.GrayOut(true);
    page.GrayOut(false); // ungrays the own controls and the selected child only
    EXPECT_FALSE(own1->IsGrayed() || childControl(0)->IsGrayed());
    EXPECT_TRUE(childControl(1)->IsGrayed() && childControl(2)->IsGrayed());
    page.GrayOutCustomZone(false, 9); // outside the zones: only selected
    EXPECT_EQ(page.getSelectedId(), 9);
    EXPECT_TRUE(childControl(1)->IsGrayed());
    page.GrayOutCustomZone(false, 152);
    EXPECT_FALSE(childControl(2)->IsGrayed());
}

TEST_F(ControlTest, AVisibleChildOfAHiddenParentIsDrawnButNeitherHitNorReported) {
    page.setSelectedId(11);
    page.Hide(false);
    own1->GrayOut(true); // grayed controls in layers are hit
    EXPECT_EQ(page.isHit(5, 5), own1);
    EXPECT_EQ(page.isHit(5, 25), childControl(0)); // children first
    page.Hide(true);
    child(0)->Hide(false);
    TestGraphics g(&plug);
    IRECT all(0, 0, 100, 100);
    page.Draw(&g, &all);
    EXPECT_EQ(childControl(0)->draws, 1);
    EXPECT_EQ(own1->draws, 0);
    EXPECT_EQ(page.isHit(5, 25), nullptr);
    childControl(0)->SetDirty(false);
    IRECT r;
    EXPECT_FALSE(page.isDirty(&r));

    // With hidden controls reported, only the first control of each layer counts.
    page.setIgnoreHiddenWhenUpdatingScreen(true);
    cleanAll();
    page.Hide(true);
    EXPECT_TRUE(page.isDirty(&r));
    EXPECT_EQ(r, IRECT(0, 0, 10, 30)); // own1 and the children's controls; not own2
}
