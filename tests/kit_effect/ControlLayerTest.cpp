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
// control at (0, 20, 10, 30).
struct ControlLayerTest : ::testing::Test {
    ControlLayerTest() : plug(1, 0), page(1, "PAGE") {
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
};

} // namespace

TEST_F(ControlLayerTest, ShowingShowsOnlyTheSelectedChild) {
    page.Hide(false); // selected id 0 matches no child
    EXPECT_TRUE(page.isVisible());
    EXPECT_FALSE(own1->IsHidden());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(child(i)->isVisible());
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
}

TEST_F(ControlLayerTest, GrayingAndTheCustomZones) {
    page.GrayOut(true);
    page.setSelectedId(12);
    page.GrayOut(false); // ungrays the own controls and the selected child only
    EXPECT_FALSE(own1->IsGrayed());
    EXPECT_TRUE(childControl(0)->IsGrayed());
    EXPECT_FALSE(childControl(1)->IsGrayed());
    EXPECT_TRUE(childControl(2)->IsGrayed());

    page.GrayOutCustomZone(false, 9); // outside the zones: only selected
    EXPECT_EQ(page.getSelectedId(), 9);
    EXPECT_TRUE(childControl(0)->IsGrayed());
    page.GrayOutCustomZone(false, 152);
    EXPECT_FALSE(childControl(2)->IsGrayed());
}

TEST_F(ControlLayerTest, AVisibleChildOfAHiddenParentIsDrawnButNeitherHitNorReported) {
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
}

TEST_F(ControlLayerTest, IgnoreHiddenReportsOnlyTheFirstControlOfEachLayer) {
    page.setIgnoreHiddenWhenUpdatingScreen(true);
    EXPECT_TRUE(child(2)->getIgnoreHidden());
    EXPECT_FALSE(own2->GetIgnoreHidden());
    page.Hide(false);
    cleanAll();
    page.Hide(true);
    IRECT r;
    EXPECT_TRUE(page.isDirty(&r));
    EXPECT_EQ(r, IRECT(0, 0, 10, 30)); // own1 and the children's controls; not own2
}
