#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/ViewInput.h"

#include "tests/support/TestControl.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using testsupport::TestControl;
using testsupport::TestEffect;
using testsupport::TestGraphics;

namespace {

// A 200 × 100 editor. Parameters the host sees: 0 a level 0..1, 1 an enum of three texts;
// hidden: 2 an int 0..10, 3 a text parameter. Drawn controls append their names to log.
struct GraphicsTest : ::testing::Test {
    GraphicsTest() : plug(4, 2), g(new TestGraphics(&plug, 200, 100)) {
        plug.GetParam(0)->InitDouble("Level", 0.5, 0.0, 1.0, 0.01);
        plug.GetParam(1)->InitEnum("Mode", 2, 3);
        for (const char* t : {"poly", "mono", "legato"})
            plug.GetParam(1)->SetDisplayText(plug.GetParam(1)->GetNDisplayTexts(), t);
        plug.GetParam(2)->InitInt("Octave", 3, 0, 10);
        plug.GetParam(3)->InitText();
        plug.GetParam(3)->InitEnum("Name", 0, 1);
        plug.AttachGraphics(g);
    }
    TestControl* top(const char* name, IRECT r, int paramIdx = -1) {
        auto* c = new TestControl(&plug, r, paramIdx, name, &log);
        g->AttachControl(c);
        return c;
    }
    TestControl* inLayer(ControlLayer* l, const char* name, IRECT r, int paramIdx = -1) {
        auto* c = new TestControl(&plug, r, paramIdx, name, &log);
        l->addControl(c);
        return c;
    }
    ControlLayer* layer(bool visible = true) {
        auto* l = new ControlLayer(0, "layer");
        g->AttachLayer(l);
        l->Hide(!visible);
        return l;
    }
    // Draws the whole editor twice, so that every control is clean, and forgets the log.
    void settle() {
        IRECT all(0, 0, 200, 100);
        g->Draw(&all);
        g->Draw(&all);
        log.clear();
    }
    std::string drawn() {
        std::string s;
        for (const auto& name : log)
            s += name;
        log.clear();
        return s;
    }
    static std::string kinds(const TestControl* c) {
        std::string s;
        for (const auto& e : c->events)
            s += e.kind;
        return s;
    }

    TestEffect plug;
    TestGraphics* g; // owned by plug
    std::vector<std::string> log;
    IMouseMod left{true, false};
};

} // namespace

// ---- Repainting

TEST_F(GraphicsTest, DirtyAreasMergeButTheBackgroundIsNeverAsked) {
    TestControl* bg = top("0", IRECT(0, 0, 200, 100));
    TestControl* a = top("a", IRECT(0, 0, 10, 10));
    TestControl* hidden = top("h", IRECT(150, 90, 160, 100));
    TestControl* c = inLayer(layer(), "c", IRECT(100, 0, 110, 5));
    hidden->Hide(true);
    settle();
    IRECT r;
    bg->SetDirty(false);
    hidden->SetDirty(false);
    EXPECT_FALSE(g->IsDirty(&r));
    a->SetDirty(false);
    c->SetDirty(false);
    EXPECT_TRUE(g->IsDirty(&r));
    EXPECT_EQ(r, IRECT(0, 0, 110, 10));
    hidden->SetIgnoreHidden(true);
    EXPECT_TRUE(g->IsDirty(&r));
    EXPECT_EQ(r, IRECT(0, 0, 160, 100));
}

TEST_F(GraphicsTest, StrictDrawingRepaintsWhatMeetsTheAreaThenTheLayers) {
    top("0", IRECT(0, 0, 200, 100));
    top("a", IRECT(0, 0, 10, 10));
    TestControl* b = top("b", IRECT(50, 50, 60, 60));
    top("h", IRECT(0, 0, 20, 20))->Hide(true);
    inLayer(layer(), "L", IRECT(5, 5, 15, 15));
    settle();

    b->SetDirty(false);
    IRECT r(0, 0, 20, 20);
    EXPECT_TRUE(g->Draw(&r));
    EXPECT_EQ(drawn(), "0aL");  // the background always, the layers last
    EXPECT_FALSE(b->IsDirty()); // cleaned though not drawn
    EXPECT_EQ(g->screens.back(), r);
    IRECT touching(10, 10, 50, 50); // meets b on its right edge, a on none
    g->Draw(&touching);
    EXPECT_EQ(drawn(), "0bL");
}

TEST_F(GraphicsTest, NonStrictDrawingRepaintsAroundEachDirtyControl) {
    top("0", IRECT(0, 0, 200, 100));
    TestControl* a = top("a", IRECT(0, 0, 10, 10));
    top("b", IRECT(5, 5, 15, 15));
    TestControl* c = top("c", IRECT(100, 50, 110, 60));
    top("h", IRECT(150, 80, 160, 90))->Hide(true);
    inLayer(layer(), "L", IRECT(0, 0, 3, 3));
    settle();

    g->SetStrictDrawing(false); // every control dirty, the background too
    IRECT ignored(0, 0, 1, 1);
    g->Draw(&ignored);
    EXPECT_EQ(drawn(), "0abcL");
    a->SetDirty(false);
    c->SetDirty(false);
    g->Draw(&ignored);
    // Around a: the background, a and b above it; around c: the background and c; around the
    // hidden control, which the background pass left dirty: the background. The layers get
    // the last area only.
    EXPECT_EQ(drawn(), "0ab0c0");
    EXPECT_EQ(g->screens.back(), IRECT(150, 80, 160, 90));
}

TEST_F(GraphicsTest, ResizeDeletesTopLevelControlsButKeepsLayers) {
    top("a", IRECT(0, 0, 50, 50), 0);
    inLayer(layer(), "L", IRECT(60, 0, 70, 10), 0);
    g->HandleMouseOver(true);
    g->OnMouseOver(10, 10, &left);
    g->OnMouseDown(10, 10, &left);

    g->Resize(300, 150);
    EXPECT_EQ(g->NControls(), 0);
    EXPECT_EQ(g->NLayers(), 1);
    EXPECT_EQ(plug.resizes, (std::vector<std::pair<int, int>>{{300, 150}}));
    EXPECT_EQ(g->GetDrawBitmap()->getWidth(), 300);
    // Neither the capture nor the mouse-over control outlive their control (ASan watches).
    g->OnMouseDrag(20, 20, &left);
    g->OnMouseOver(65, 5, &left);
    // No background now: drawing still paints the layers.
    IRECT r(0, 0, 300, 150);
    EXPECT_TRUE(g->Draw(&r));
    EXPECT_EQ(drawn(), "L");
}

TEST_F(GraphicsTest, BackgroundBitmapIsCopiedIntoTheRepaintedAreaOnly) {
    const uint32_t word = 0x30201080; // alpha 0x80: a plain copy ignores it
    g->AddImage(7, 10, 6, word);
    TestControl* a = top("a", IRECT(0, 0, 5, 5));
    g->AttachBackground(7, "resources/img/back.png", 1.0);
    EXPECT_EQ(g->GetControl(1), a);
    EXPECT_EQ(g->GetControl(0)->GetRECT(), IRECT(0, 0, 10, 6));
    IRECT r(2, 1, 5, 4);
    g->Draw(&r);
    RAST_IBitmap* bm = g->GetDrawBitmap();
    ASSERT_FALSE(bm->isFlipped());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(bm->getBits()[y * bm->getRowSpan() + x],
                      x >= 2 && x < 5 && y >= 1 && y < 4 ? word : 0u)
                << x << "," << y;

    // An image that cannot be had gives an empty background that draws nothing.
    g->AttachBackground(8, "resources/img/missing.png", 1.0);
    EXPECT_TRUE(g->GetControl(0)->GetRECT().Empty());
    IRECT all(0, 0, 200, 100);
    EXPECT_TRUE(g->Draw(&all));
}

// ---- Values and prompts

TEST_F(GraphicsTest, ValuesFromThePlugInReachEveryControlAndNothingElse) {
    TestControl* t = top("t", IRECT(0, 0, 10, 10), 2);
    auto* child = new ControlLayer(5, "child");
    layer(false)->addChild(child);
    TestControl* deep = inLayer(child, "d", IRECT(0, 0, 10, 10), 2);
    TestControl* aux = top("x", IRECT(20, 0, 30, 10), 0);
    aux->AddAuxParam(2);

    g->SetParameterFromPlug(2, 5.0, false);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 5.0);
    EXPECT_DOUBLE_EQ(deep->GetValue(), 0.5); // in a hidden layer
    EXPECT_DOUBLE_EQ(aux->GetAuxParam(0)->mValue, 0.5);
    g->SetParameterFromPlug(2, 0.8, true);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 5.0); // a normalised value leaves the parameter
    EXPECT_DOUBLE_EQ(deep->GetValue(), 0.8);

    // From the MIDI input thread: values and dirty flags only.
    settle();
    std::thread([this] {
        g->SetParameterFromPlug(2, 7.0, false);
        g->SetParameterFromPlug(0, 0.25, true);
    }).join();
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 7.0);
    EXPECT_DOUBLE_EQ(t->GetValue(), 0.7);
    EXPECT_DOUBLE_EQ(aux->GetValue(), 0.25);
    EXPECT_TRUE(t->IsDirty() && aux->IsDirty());
    EXPECT_TRUE(plug.changes.empty() && plug.changes2.empty() && plug.informs.empty());
}

TEST_F(GraphicsTest, PromptsAndWhatComesBackFromThem) {
    TestControl* mode = top("m", IRECT(0, 0, 10, 10), 1);
    TestControl* octave = top("o", IRECT(0, 0, 10, 10), 2);
    TestControl* name = top("n", IRECT(0, 0, 10, 10), 3);
    IRECT area(1, 2, 3, 4);
    g->PromptUserInput(mode, plug.GetParam(1), &area); // a menu, dismissed
    ASSERT_EQ(g->menus.size(), 1u);
    EXPECT_EQ(g->menus[0].texts, (std::vector<std::string>{"poly", "mono", "legato"}));
    EXPECT_EQ(g->menus[0].flags, (std::vector<int>{0, 0, IPopupMenuItem::kChecked}));
    EXPECT_TRUE(plug.changes.empty());
    g->menuChoice = 1;
    g->PromptUserInput(mode, plug.GetParam(1), &area);
    EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 1.0);

    g->PromptUserInput(octave, plug.GetParam(2), &area);
    plug.GetParam(3)->SetDisplayText(0, "Init");
    g->PromptUserInput(name, plug.GetParam(3), &area);
    ASSERT_EQ(g->entries.size(), 2u);
    EXPECT_EQ(g->entries[0].text, "3");
    EXPECT_EQ(g->entries[0].area, area);
    EXPECT_EQ(g->entries[1].text, "Init");

    g->SetFromStringAfterPrompt(octave, plug.GetParam(2), "7");
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 7.0);
    g->SetFromStringAfterPrompt(mode, plug.GetParam(1), "legato");
    EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 2.0);
    g->SetFromStringAfterPrompt(mode, plug.GetParam(1), "unknown");
    EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 0.0);
    plug.changes.clear();
    // A text edit toggles the value, so that it reaches the plug-in, and ends at 0.
    g->SetFromStringAfterPrompt(name, plug.GetParam(3), "Brass Pad");
    EXPECT_STREQ(plug.GetParam(3)->GetDisplayText(0), "Brass Pad");
    EXPECT_EQ(plug.changes, (std::vector<int>{3, 3}));
    EXPECT_DOUBLE_EQ(name->GetValue(), 0.0);
}

// ---- Input

TEST_F(GraphicsTest, HitTestingRunsBackwardsThroughLayersThenTopLevelControls) {
    TestControl* a = top("a", IRECT(0, 0, 50, 50));
    TestControl* b = inLayer(layer(), "b", IRECT(10, 10, 40, 40));
    ControlLayer* later = layer();
    TestControl* c = inLayer(later, "c", IRECT(20, 20, 30, 30));
    EXPECT_EQ(g->GetMouseControlIdx(25, 25), c); // the later layer wins
    EXPECT_EQ(g->GetMouseControlIdx(5, 5), a);
    later->Hide(true);
    b->GrayOut(true); // grayed controls in layers still take input
    EXPECT_EQ(g->GetMouseControlIdx(25, 25), b);

    TestControl* d = top("d", IRECT(0, 0, 20, 20));
    EXPECT_EQ(g->GetMouseControlIdx(5, 5), d); // the last top-level control wins
    d->GrayOut(true);
    d->SetMOWhenGrayed(true);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5), a);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5, true), d);
    d->Hide(true);
    EXPECT_EQ(g->GetMouseControlIdx(5, 5, true), a);
}

TEST_F(GraphicsTest, DownDragAndUpFollowTheCapturedControl) {
    TestControl* a = top("a", IRECT(0, 0, 50, 50), 0);
    TestControl* b = top("b", IRECT(60, 0, 100, 50), 1);
    TestControl* hidden = top("h", IRECT(100, 0, 150, 50), 2);
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

TEST_F(GraphicsTest, MouseOverWheelAndKeysGoToTheControlUnderThePointer) {
    TestControl* back = top("0", IRECT(0, 0, 200, 100));
    TestControl* a = top("a", IRECT(0, 0, 50, 50), 0);
    TestControl* l = inLayer(layer(), "l", IRECT(150, 0, 160, 10));
    EXPECT_FALSE(g->OnMouseOver(10, 10, &left));
    g->HandleMouseOver(true);
    EXPECT_TRUE(g->OnMouseOver(10, 10, &left));
    EXPECT_TRUE(g->OnMouseOver(155, 5, &left));
    g->OnMouseOut(); // every top-level control, not the layers'
    EXPECT_EQ(kinds(a), "oxx");
    EXPECT_EQ(kinds(l), "o");

    IMouseMod shift(true, false, true);
    g->OnMouseWheel(10, 10, &left, 2);
    g->OnMouseWheel(10, 10, &shift, 3);
    EXPECT_NEAR(plug.GetParam(0)->Value(), 0.023, 1e-12);
    a->GrayOut(true);
    g->OnMouseWheel(10, 10, &left, 1);
    EXPECT_EQ(kinds(back), "xw");

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

TEST_F(GraphicsTest, ViewEventsReachTheControlTwoLeftAndThreeUp) {
    TestControl* pixel = top("p", IRECT(8, 7, 9, 8), 0); // the one editor pixel (8, 7)
    pixel->SetPromptDisabled(false);
    int x = 0, y = 0;
    ViewPointToEditor(10.7, 90.2, g->Height(), &x, &y);
    IMouseMod commandClick = ViewMouseMod(kViewCommandKeyMask, false);
    g->OnMouseDown(x, y, &commandClick);
    g->OnMouseUp(x, y, &commandClick);
    ASSERT_EQ(kinds(pixel), "du");
    ASSERT_EQ(g->entries.size(), 1u); // a command-click prompts like a right click
    ViewPointToEditor(11.0, 90.2, g->Height(), &x, &y); // one pixel to the right: missed
    g->OnMouseDown(x, y, &commandClick);
    EXPECT_EQ(kinds(pixel), "du");
}
