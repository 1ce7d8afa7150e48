#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/ViewInput.h"

#include "tests/support/TestControl.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::TestControl;
using testsupport::TestEffect;
using testsupport::TestGraphics;

namespace {

// A 200 × 100 editor over two parameters the host sees (0 and 1) and two hidden ones.
struct GraphicsInputTest : ::testing::Test {
    GraphicsInputTest() : plug(4, 2), g(new TestGraphics(&plug, 200, 100)) {
        for (int i = 0; i < 4; ++i)
            plug.GetParam(i)->InitDouble("p", 0.5, 0.0, 1.0, 0.001);
        plug.AttachGraphics(g);
    }
    TestControl* top(IRECT r, int paramIdx = -1) {
        auto* c = new TestControl(&plug, r, paramIdx);
        g->AttachControl(c);
        return c;
    }
    TestControl* inNewLayer(IRECT r, ControlLayer** layer = nullptr) {
        auto* l = new ControlLayer(0, "layer");
        g->AttachLayer(l);
        l->Hide(false);
        auto* c = new TestControl(&plug, r);
        l->addControl(c);
        if (layer) *layer = l;
        return c;
    }
    static std::string kinds(const TestControl* c) {
        std::string s;
        for (const auto& e : c->events)
            s += e.kind;
        return s;
    }

    TestEffect plug;
    TestGraphics* g; // owned by plug
    IMouseMod left{true, false};
};

} // namespace

TEST_F(GraphicsInputTest, HitTestingRunsBackwardsThroughLayersThenTopLevelControls) {
    TestControl* a = top(IRECT(0, 0, 50, 50));
    TestControl* b = inNewLayer(IRECT(10, 10, 40, 40));
    ControlLayer* later = nullptr;
    TestControl* c = inNewLayer(IRECT(20, 20, 30, 30), &later);
    EXPECT_EQ(g->GetMouseControlIdx(25, 25), c); // the later layer wins
    EXPECT_EQ(g->GetMouseControlIdx(15, 15), b);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5), a);
    later->Hide(true);
    b->GrayOut(true); // grayed controls in layers still take input
    EXPECT_EQ(g->GetMouseControlIdx(25, 25), b);

    TestControl* d = top(IRECT(0, 0, 20, 20));
    EXPECT_EQ(g->GetMouseControlIdx(5, 5), d); // the last top-level control wins
    d->GrayOut(true);
    d->SetMOWhenGrayed(true);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5), a);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5, true), d);
    d->Hide(true);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5, true), a);
}

TEST_F(GraphicsInputTest, DownDragAndUpFollowTheCapturedControl) {
    TestControl* a = top(IRECT(0, 0, 50, 50), 0);
    TestControl* b = top(IRECT(60, 0, 100, 50), 1);
    TestControl* hidden = top(IRECT(100, 0, 150, 50), 2);
    g->OnMouseDrag(10, 10, &left); // no capture: nothing
    g->OnMouseDown(10, 10, &left);
    g->OnMouseDrag(10, 10, &left); // no movement: nothing
    g->OnMouseDrag(70, 5, &left);
    g->OnMouseUp(70, 5, &left); // released over b, delivered to a
    g->OnMouseDrag(80, 5, &left);
    EXPECT_EQ(kinds(a), "dgu");
    EXPECT_EQ(a->events[1].dX, 60);
    EXPECT_EQ(a->events[1].dY, -5);
    g->OnMouseUp(70, 5, &left); // no capture: the control under the pointer
    EXPECT_EQ(kinds(b), "u");
    g->OnMouseDown(110, 10, &left);
    g->OnMouseUp(110, 10, &left);
    EXPECT_EQ(kinds(hidden), "du");
    // Begin and end of the edit for the parameters the host sees only.
    ASSERT_EQ(plug.informs.size(), 3u);
    EXPECT_EQ(std::string() + plug.informs[0].kind + plug.informs[1].kind + plug.informs[2].kind,
              "bee");
    EXPECT_EQ(plug.informs[2].idx, 1);

    a->SetDblAsSingleClick(true);
    EXPECT_TRUE(g->OnMouseDblClick(10, 10, &left));
    g->OnMouseDrag(12, 12, &left); // captured by the double click
    EXPECT_EQ(kinds(a), "dgudg");
    EXPECT_EQ(plug.informs.size(), 3u); // no begin-edit on this road
    EXPECT_FALSE(g->OnMouseDblClick(70, 10, &left));
    EXPECT_EQ(kinds(b), "uc");
    EXPECT_FALSE(g->OnMouseDblClick(190, 90, &left));
}

TEST_F(GraphicsInputTest, MouseOverOnlyWhenHandled) {
    TestControl* a = top(IRECT(0, 0, 50, 50));
    TestControl* l = inNewLayer(IRECT(150, 0, 160, 10));
    EXPECT_FALSE(g->OnMouseOver(10, 10, &left));
    g->HandleMouseOver(true);
    EXPECT_TRUE(g->OnMouseOver(10, 10, &left));
    EXPECT_TRUE(g->OnMouseOver(120, 10, &left)); // nothing there: a is not told
    EXPECT_TRUE(g->OnMouseOver(155, 5, &left));
    EXPECT_EQ(kinds(a), "ox");
    g->OnMouseOut(); // every top-level control, not the layers'
    EXPECT_EQ(kinds(a), "oxx");
    EXPECT_EQ(kinds(l), "o");
}

TEST_F(GraphicsInputTest, WheelAndKeysGoToTheControlUnderThePointer) {
    TestControl* back = top(IRECT(0, 0, 200, 100));
    TestControl* a = top(IRECT(0, 0, 50, 50), 0);
    IMouseMod shift(true, false, true);
    g->OnMouseWheel(10, 10, &left, 2);
    g->OnMouseWheel(10, 10, &shift, 3);
    EXPECT_NEAR(plug.GetParam(0)->Value(), 0.023, 1e-12);
    a->GrayOut(true);
    g->OnMouseWheel(10, 10, &left, 1);
    EXPECT_EQ(kinds(a), "ww");
    EXPECT_EQ(kinds(back), "w");

    a->GrayOut(false);
    EXPECT_TRUE(g->OnKeyDown(10, 10, kKeyLetterA + 2));
    a->takesKeys = false;
    EXPECT_FALSE(g->OnKeyDown(10, 10, kKeyUpArrow));
    back->Hide(true);
    EXPECT_FALSE(g->OnKeyDown(100, 80, kKeySpace));
    g->OnMouseDown(10, 10, &left); // a captured control gets keys wherever the pointer is
    g->OnKeyDown(150, 80, kKeyDigit0 + 7);
    EXPECT_EQ(a->keys, (std::vector<int>{kKeyLetterA + 2, kKeyUpArrow, kKeyDigit0 + 7}));
}

TEST_F(GraphicsInputTest, ViewEventsReachTheControlTwoLeftAndThreeUp) {
    TestControl* pixel = top(IRECT(8, 7, 9, 8), 0); // the one editor pixel (8, 7)
    pixel->SetPromptDisabled(false);
    int x = 0, y = 0;
    ViewPointToEditor(10.7, 90.2, g->Height(), &x, &y);
    IMouseMod commandClick = ViewMouseMod(kViewCommandKeyMask, false);
    g->OnMouseDown(x, y, &commandClick);
    g->OnMouseUp(x, y, &commandClick);
    ASSERT_EQ(kinds(pixel), "du");
    ASSERT_EQ(g->entries.size(), 1u); // a command-click prompts like a right click

    pixel->SetValueFromPlug(0.5);
    IMouseMod wheelMod = ViewMouseMod(0, false);
    g->OnMouseWheel(x, y, &wheelMod, ViewWheelSteps(-2.7));
    EXPECT_NEAR(pixel->GetValue(), 0.48, 1e-12);
    ViewPointToEditor(11.0, 90.2, g->Height(), &x, &y); // one pixel to the right: missed
    g->OnMouseDown(x, y, &wheelMod);
    EXPECT_EQ(kinds(pixel), "duw");
}
