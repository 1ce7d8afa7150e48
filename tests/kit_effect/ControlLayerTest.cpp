#include "kit/effect/ControlLayer.h"

#include "tests/support/TestControl.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

using testsupport::TestControl;
using testsupport::TestEffect;
using testsupport::TestGraphics;

namespace {

// A page with two own controls and children with the ids 11, 12 and 152, each holding one
// control.
struct ControlLayerTest : ::testing::Test {
    ControlLayerTest() : plug(2, 0), page(1, "PAGE") {
        plug.GetParam(0)->InitDouble("a", 0.0, 0.0, 1.0, 0.01);
        own1 = addControl(&page, IRECT(0, 0, 10, 10));
        own2 = addControl(&page, IRECT(10, 0, 20, 10));
        for (int id : {11, 12, 152}) {
            auto* child = new ControlLayer(id, "child");
            page.addChild(child);
            addControl(child, IRECT(0, 20, 10, 30));
        }
    }
    TestControl* addControl(ControlLayer* layer, IRECT r, int paramIdx = -1) {
        auto* c = new TestControl(&plug, r, paramIdx);
        layer->addControl(c);
        return c;
    }
    ControlLayer* child(int i) { return page.getChildren().Get(i); }
    TestControl* childControl(int i) {
        return static_cast<TestControl*>(child(i)->getControls().Get(0));
    }
    // Two passes: a hide or a value keeps a control dirty for one more.
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
};

} // namespace

TEST_F(ControlLayerTest, ShowingShowsOnlyTheSelectedChild) {
    EXPECT_FALSE(page.isVisible());
    page.Hide(false); // selected id 0 matches no child
    EXPECT_TRUE(page.isVisible());
    EXPECT_FALSE(own1->IsHidden());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(child(i)->isVisible());

    page.setSelectedId(12);
    page.Hide(false);
    EXPECT_TRUE(child(1)->isVisible());
    page.setSelectedId(11);
    page.Hide(true);
    EXPECT_TRUE(own2->IsHidden());
    EXPECT_TRUE(childControl(1)->IsHidden());
    page.Hide(false);
    EXPECT_TRUE(child(0)->isVisible());
    EXPECT_FALSE(child(1)->isVisible()); // shown before, no longer selected
    EXPECT_TRUE(childControl(1)->IsHidden());
}

TEST_F(ControlLayerTest, HidingDirtiesTheWholeSubtreeFirst) {
    page.Hide(false);
    cleanAll();
    EXPECT_FALSE(childControl(2)->IsDirty());
    page.Hide(true);
    EXPECT_TRUE(own1->IsDirty());
    EXPECT_TRUE(childControl(2)->IsDirty()); // hidden all along, still made dirty
}

TEST_F(ControlLayerTest, GrayingAndTheCustomZones) {
    page.GrayOut(true);
    EXPECT_TRUE(own1->IsGrayed());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(childControl(i)->IsGrayed());
    page.setSelectedId(12);
    page.GrayOut(false);
    EXPECT_FALSE(own1->IsGrayed());
    EXPECT_TRUE(childControl(0)->IsGrayed());
    EXPECT_FALSE(childControl(1)->IsGrayed());
    EXPECT_TRUE(childControl(2)->IsGrayed());

    page.GrayOutCustomZone(false, 9); // out of the zones: only selected
    EXPECT_EQ(page.getSelectedId(), 9);
    EXPECT_TRUE(childControl(0)->IsGrayed());
    page.GrayOutCustomZone(false, 152);
    EXPECT_FALSE(childControl(2)->IsGrayed());
    page.GrayOutCustomZone(true, 11);
    EXPECT_EQ(page.getSelectedId(), 11);
    EXPECT_FALSE(childControl(1)->IsGrayed());
}

TEST_F(ControlLayerTest, HiddenLayersAreNotHitAndGrayedControlsAre) {
    EXPECT_EQ(page.isHit(5, 5), nullptr);
    page.setSelectedId(11);
    page.Hide(false);
    own1->GrayOut(true);
    EXPECT_EQ(page.isHit(5, 5), own1);
    // Children are asked first, own controls from the last.
    addControl(&page, IRECT(0, 20, 10, 30));
    EXPECT_EQ(page.isHit(5, 25), childControl(0));
    child(0)->Hide(true);
    EXPECT_EQ(page.isHit(5, 25), page.getControls().Get(2));
    own1->Hide(true);
    EXPECT_EQ(page.isHit(5, 5), nullptr);
}

TEST_F(ControlLayerTest, DirtyRectanglesMergeAcrossTheTree) {
    page.setSelectedId(12);
    page.Hide(false);
    cleanAll();
    IRECT r;
    EXPECT_FALSE(page.isDirty(&r));
    own2->SetDirty(false);
    childControl(1)->SetDirty(false);
    childControl(0)->SetDirty(false); // in a hidden child: not reported
    EXPECT_TRUE(page.isDirty(&r));
    EXPECT_EQ(r, IRECT(0, 0, 20, 30));
}

TEST_F(ControlLayerTest, IgnoreHiddenReportsOnlyTheFirstControl) {
    page.setIgnoreHiddenWhenUpdatingScreen(true);
    EXPECT_TRUE(child(2)->getIgnoreHidden());
    EXPECT_TRUE(own1->GetIgnoreHidden());
    EXPECT_FALSE(own2->GetIgnoreHidden());
    page.Hide(false);
    cleanAll();
    page.Hide(true);
    IRECT r;
    EXPECT_TRUE(page.isDirty(&r));
    // The first controls of the page and of its children; the page's second one is hidden.
    EXPECT_EQ(r, IRECT(0, 0, 10, 30));
}

TEST_F(ControlLayerTest, AVisibleChildOfAHiddenParentIsDrawnButNotHitNorReported) {
    page.setSelectedId(11);
    page.Hide(false);
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
    // Drawing asks for a meeting rectangle.
    IRECT elsewhere(50, 50, 60, 60);
    childControl(0)->SetDirty(false);
    page.Draw(&g, &elsewhere);
    EXPECT_EQ(childControl(0)->draws, 1);
}

TEST_F(ControlLayerTest, ValuesReachHiddenControlsAndAuxRecords) {
    TestControl* bound = addControl(child(2), IRECT(0, 0, 5, 5), 0);
    TestControl* aux = addControl(&page, IRECT(0, 0, 5, 5), 1);
    aux->AddAuxParam(0);
    page.SetParameterFromPlug(0, 0.25, true);
    EXPECT_DOUBLE_EQ(bound->GetValue(), 0.25);
    EXPECT_DOUBLE_EQ(aux->GetAuxParam(0)->mValue, 0.25);
    EXPECT_DOUBLE_EQ(aux->GetValue(), 0.0);
    EXPECT_DOUBLE_EQ(own1->GetValue(), 0.0);
}
