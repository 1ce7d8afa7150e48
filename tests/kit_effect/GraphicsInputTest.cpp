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

// A 200 × 100 editor over two visible parameters (0 and 1) and two hidden ones.
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
    ControlLayer* layer(bool visible = true) {
        auto* l = new ControlLayer(0, "layer");
        g->AttachLayer(l);
        l->Hide(!visible);
        return l;
    }
    TestControl* inLayer(ControlLayer* l, IRECT r, int paramIdx = -1) {
        auto* c = new TestControl(&plug, r, paramIdx);
        l->addControl(c);
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
    ControlLayer* l1 = layer();
    TestControl* b = inLayer(l1, IRECT(10, 10, 40, 40));
    ControlLayer* l2 = layer();
    TestControl* c = inLayer(l2, IRECT(20, 20, 30, 30));
    EXPECT_EQ(g->GetMouseControlIdx(25, 25), c); // the later layer wins
    EXPECT_EQ(g->GetMouseControlIdx(15, 15), b);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5), a);
    EXPECT_EQ(g->GetMouseControlIdx(60, 5), nullptr);
    l2->Hide(true);
    EXPECT_EQ(g->GetMouseControlIdx(25, 25), b);
    b->GrayOut(true); // grayed controls in layers still take input
    EXPECT_EQ(g->GetMouseControlIdx(25, 25), b);
    b->Hide(true);
    EXPECT_EQ(g->GetMouseControlIdx(25, 25), a);

    TestControl* d = top(IRECT(0, 0, 20, 20));
    EXPECT_EQ(g->GetMouseControlIdx(5, 5), d); // the last top-level control wins
    d->GrayOut(true);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5), a);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5, true), a);
    d->SetMOWhenGrayed(true);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5, true), d);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5), a);
    d->Hide(true);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5, true), a);
}

TEST_F(GraphicsInputTest, DownDragAndUpFollowTheCapturedControl) {
    TestControl* a = top(IRECT(0, 0, 50, 50), 0);
    TestControl* b = top(IRECT(60, 0, 100, 50), 1);
    g->OnMouseDrag(10, 10, &left); // no capture: nothing
    g->OnMouseDown(10, 10, &left);
    g->OnMouseDrag(10, 10, &left); // no movement: nothing
    g->OnMouseDrag(70, 5, &left);
    g->OnMouseDrag(72, 5, &left);
    g->OnMouseUp(72, 5, &left);
    g->OnMouseDrag(80, 5, &left);
    EXPECT_EQ(kinds(a), "dggu");
    EXPECT_EQ(a->events[1].dX, 60);
    EXPECT_EQ(a->events[1].dY, -5);
    EXPECT_EQ(a->events[2].dX, 2);
    EXPECT_EQ(a->events[2].dY, 0);
    EXPECT_EQ(a->events[3].x, 72); // released over b, delivered to a
    EXPECT_EQ(kinds(b), "");

    g->OnMouseUp(70, 5, &left); // no capture: the control under the pointer
    EXPECT_EQ(kinds(b), "u");
    ASSERT_EQ(plug.informs.size(), 3u);
    EXPECT_EQ(plug.informs[0].kind, 'b');
    EXPECT_EQ(plug.informs[1].kind, 'e');
    EXPECT_EQ(plug.informs[2].kind, 'e');
    EXPECT_EQ(plug.informs[2].idx, 1);

    TestControl* hidden = top(IRECT(100, 0, 150, 50), 2);
    g->OnMouseDown(110, 10, &left);
    g->OnMouseUp(110, 10, &left);
    EXPECT_EQ(kinds(hidden), "du");
    EXPECT_EQ(plug.informs.size(), 3u); // hidden parameters never reach the host
}

TEST_F(GraphicsInputTest, DoubleClicksAsClicksOrAsDoubleClicks) {
    TestControl* a = top(IRECT(0, 0, 50, 50), 0);
    TestControl* b = top(IRECT(60, 0, 100, 50), 1);
    a->SetDblAsSingleClick(true);
    EXPECT_TRUE(g->OnMouseDblClick(10, 10, &left));
    g->OnMouseDrag(12, 12, &left); // captured by the double click
    EXPECT_EQ(kinds(a), "dg");
    EXPECT_TRUE(plug.informs.empty()); // no begin-edit on this road
    EXPECT_FALSE(g->OnMouseDblClick(70, 10, &left));
    EXPECT_EQ(kinds(b), "c");
    g->OnMouseDrag(80, 12, &left); // the double click released the capture
    EXPECT_EQ(kinds(a), "dg");
    EXPECT_FALSE(g->OnMouseDblClick(150, 10, &left));
    a->GrayOut(true);
    EXPECT_FALSE(g->OnMouseDblClick(10, 10, &left));
    EXPECT_EQ(kinds(a), "dg");
}

TEST_F(GraphicsInputTest, MouseOverOnlyWhenHandled) {
    TestControl* a = top(IRECT(0, 0, 50, 50));
    TestControl* b = top(IRECT(60, 0, 100, 50));
    TestControl* l = inLayer(layer(), IRECT(150, 0, 160, 10));
    EXPECT_FALSE(g->OnMouseOver(10, 10, &left));
    EXPECT_EQ(kinds(a), "");
    g->HandleMouseOver(true);
    EXPECT_TRUE(g->OnMouseOver(10, 10, &left));
    EXPECT_TRUE(g->OnMouseOver(12, 10, &left));
    EXPECT_TRUE(g->OnMouseOver(70, 10, &left));
    EXPECT_TRUE(g->OnMouseOver(120, 10, &left)); // nothing there: nobody is told
    EXPECT_EQ(kinds(a), "oox");
    EXPECT_EQ(kinds(b), "o");
    g->OnMouseOut();
    EXPECT_EQ(kinds(a), "ooxx");
    EXPECT_EQ(kinds(b), "ox");
    EXPECT_EQ(kinds(l), "");       // layer controls are not told
    g->OnMouseOver(10, 10, &left); // the mouse-over control was cleared: b is not told again
    EXPECT_EQ(kinds(b), "ox");
    g->OnMouseOver(155, 5, &left); // layer controls take mouse-over too
    EXPECT_EQ(kinds(l), "o");
    EXPECT_EQ(kinds(a), "ooxxox");
}

TEST_F(GraphicsInputTest, WheelAndKeysGoToTheControlUnderThePointer) {
    TestControl* back = top(IRECT(0, 0, 200, 100));
    TestControl* a = top(IRECT(0, 0, 50, 50), 0);
    IMouseMod shift(true, false, true);
    g->OnMouseWheel(10, 10, &left, 2);
    g->OnMouseWheel(10, 10, &shift, 3);
    EXPECT_NEAR(a->GetValue(), 0.023, 1e-12);
    EXPECT_NEAR(plug.GetParam(0)->Value(), 0.023, 1e-12);
    a->GrayOut(true);
    g->OnMouseWheel(10, 10, &left, 1);
    EXPECT_EQ(kinds(a), "ww");
    EXPECT_EQ(kinds(back), "w");

    a->GrayOut(false);
    EXPECT_TRUE(g->OnKeyDown(10, 10, kKeyLetterA + 2));
    a->takesKeys = false;
    EXPECT_FALSE(g->OnKeyDown(10, 10, kKeyUpArrow));
    EXPECT_EQ(a->keys, (std::vector<int>{kKeyLetterA + 2, kKeyUpArrow}));
    back->Hide(true);
    EXPECT_FALSE(g->OnKeyDown(100, 80, kKeySpace));
    // A captured control gets the keys wherever the pointer is.
    g->OnMouseDown(10, 10, &left);
    g->OnKeyDown(150, 80, kKeyDigit0 + 7);
    EXPECT_EQ(a->keys.back(), kKeyDigit0 + 7);
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
    EXPECT_TRUE(pixel->events[0].mod.L);
    EXPECT_TRUE(pixel->events[0].mod.R);
    ASSERT_EQ(g->entries.size(), 1u); // a command-click prompts like a right click
    EXPECT_EQ(g->entries[0].control, pixel);

    pixel->SetValueFromPlug(0.5);
    IMouseMod wheelMod = ViewMouseMod(0, false);
    g->OnMouseWheel(x, y, &wheelMod, ViewWheelSteps(-2.7));
    EXPECT_NEAR(pixel->GetValue(), 0.48, 1e-12);
    ViewPointToEditor(11.0, 90.2, g->Height(), &x, &y); // one pixel to the right: missed
    g->OnMouseDown(x, y, &wheelMod);
    EXPECT_EQ(kinds(pixel), "duw");
}
