// The editor: the graphics core, controls and control layers.

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/ITextControl.h"

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

// A page with two own controls and children with the ids 11, 12 and 152, each holding one
// control at (0, 20, 10, 30).
struct LayerTest : GraphicsTest {
    LayerTest() : page(1, "PAGE") {
        own1 = inLayer(&page, "1", IRECT(0, 0, 10, 10));
        own2 = inLayer(&page, "2", IRECT(10, 0, 20, 10));
        for (int id : {11, 12, 152}) {
            auto* c = new ControlLayer(id, "child");
            page.addChild(c);
            inLayer(c, "c", IRECT(0, 20, 10, 30));
        }
    }
    ControlLayer* child(int i) { return page.getChildren().Get(i); }
    TestControl* childControl(int i) {
        return static_cast<TestControl*>(child(i)->getControls().Get(0));
    }
    // Two passes: a hide keeps a control dirty for one more.
    void cleanAll() {
        IRECT r;
        page.Draw(g, &r);
        page.Draw(g, &r);
    }

    ControlLayer page;
    TestControl* own1;
    TestControl* own2;
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

    g->SetParameterFromPlug(99, 1.0, false); // no such parameter: nothing
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

// The controls a value reaches, each once: the top-level list, then each layer tree depth
// first, with those added to attached layers after a value was shown.
TEST_F(GraphicsTest, ValuesReachControlsInListOrderAlsoThoseAddedLater) {
    struct Shown : TestControl {
        Shown(IEffectBase* plug, int paramIdx, const char* name, std::vector<std::string>* log)
            : TestControl(plug, IRECT(0, 0, 10, 10), paramIdx, name, log) {}
        void SetValueFromPlug(double value) override {
            log->push_back(name);
            TestControl::SetValueFromPlug(value);
        }
    };
    auto shown = [&](const char* name, int paramIdx) {
        return new Shown(&plug, paramIdx, name, &log);
    };
    ControlLayer* page = layer(false);
    page->addControl(shown("p", 2));
    g->AttachControl(shown("t", 2));
    g->SetParameterFromPlug(2, 1.0, false);
    auto* child = new ControlLayer(3, "child");
    child->addControl(shown("c", 2));
    page->addChild(child);
    auto* grandchild = new ControlLayer(4, "grandchild");
    child->addChild(grandchild);
    grandchild->addControl(shown("x", 7)); // bound outside the parameter list
    Shown* both = shown("b", 2);
    both->AddAuxParam(2);
    both->AddAuxParam(0);
    g->AttachControl(both);
    const IColor grey(255, 128, 128, 128);
    g->AttachPanelBackground(&grey);
    log.clear();

    g->SetParametersFromPlug({{99, 1.0}, {7, 0.5}, {2, 5.0}}, false);
    EXPECT_EQ(log, (std::vector<std::string>{"t", "b", "p", "c"}));
    EXPECT_DOUBLE_EQ(both->GetAuxParam(0)->mValue, 0.5);
    log.clear();
    g->SetParametersFromPlug({{99, 1.0}, {7, 0.5}, {0, 0.25}}, true);
    EXPECT_EQ(log, (std::vector<std::string>{"x"}));
    EXPECT_DOUBLE_EQ(both->GetAuxParam(1)->mValue, 0.25);
    // Layers attached once values were shown come after all others, one of them a child's.
    for (const char* name : {"l", "z"}) {
        auto* later = new ControlLayer(5, name);
        auto* inner = new ControlLayer(6, "inner");
        inner->addControl(shown(name, 2));
        later->addChild(inner);
        g->AttachLayer(later);
    }
    log.clear();
    g->SetParameterFromPlug(2, 3.0, false);
    EXPECT_EQ(log, (std::vector<std::string>{"t", "b", "p", "c", "l", "z"}));
}

// Under the thread sanitizer: two threads light and clear a parameter's controls, one in a
// layer that a third shows and hides, while the editor polls and draws.
TEST_F(GraphicsTest, ThreadsShowValuesWhileALayerHidesAndTheEditorDraws) {
    TestControl* t = top("t", IRECT(0, 0, 10, 10), 2);
    ControlLayer* page = layer();
    TestControl* p = inLayer(page, "p", IRECT(20, 0, 30, 10), 2);
    std::vector<std::thread> threads;
    for (double lit : {10.0, 5.0})
        threads.emplace_back([this, lit] {
            for (int i = 0; i < 300; ++i)
                g->SetParameterFromPlug(2, i % 2 ? lit : 0.0, false);
        });
    threads.emplace_back([page] {
        for (int i = 0; i < 300; ++i)
            page->Hide(i % 2 == 0);
    });
    for (int i = 0; i < 100; ++i) {
        IRECT dirty, all(0, 0, 200, 100);
        g->IsDirty(&dirty);
        g->Draw(&all);
    }
    for (std::thread& thread : threads)
        thread.join();
    g->SetParameterFromPlug(2, 7.0, false);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 7.0);
    EXPECT_DOUBLE_EQ(t->GetValue(), 0.7);
    EXPECT_DOUBLE_EQ(p->GetValue(), 0.7);
    EXPECT_TRUE(page->isVisible());
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

    plug.GetParam(3)->SetDisplayText(0, "Init");
    g->PromptUserInput(octave, plug.GetParam(2), &area);
    g->PromptUserInput(name, plug.GetParam(3), &area);
    ASSERT_EQ(g->entries.size(), 2u);
    EXPECT_EQ(g->entries[0].text + " " + g->entries[1].text, "3 Init");
    EXPECT_EQ(g->entries[0].area, area);

    g->SetFromStringAfterPrompt(octave, plug.GetParam(2), "7");
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 7.0);
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

// ---- Controls

TEST_F(GraphicsTest, TheThreeRoadsOfAControlValue) {
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

TEST_F(GraphicsTest, DisplayControlsFollowThePushedParameter) {
    IText style;
    ITextControl value(&plug, IRECT(0, 20, 50, 30), &style, "");
    ITextControl name(&plug, IRECT(0, 30, 50, 40), &style, "old");
    TestControl c(&plug, IRECT(0, 0, 10, 10), 1);
    c.SetValueDisplayControl(&value);
    c.SetNameDisplayControl(&name);
    c.SetValueFromUserInput(1.0);
    EXPECT_EQ(value.GetTextForPlug(), "legato");
    EXPECT_EQ(name.GetTextForPlug(), "Mode");
    value.SetClean();
    c.SetDirty(true); // the same text again: the display stays clean
    EXPECT_FALSE(value.IsDirty());
    // A display text of the longest kind is shown whole.
    const std::string longText(55, 'x');
    plug.GetParam(1)->SetDisplayText(1, longText.c_str());
    c.SetValueFromUserInput(0.5);
    EXPECT_EQ(value.GetTextForPlug(), longText);
}

// A status wider than its centred display line keeps its start and is cut at its end with
// "...": what is drawn is the cut text, and nothing of it lies beside the line.
TEST_F(GraphicsTest, ATextWiderThanItsDisplayIsCutAtItsEnd) {
    g->AttachPanelBackground(&COLOR_BLACK);
    IText style = testsupport::MonospaceText(14);
    const IRECT line(20, 40, 180, 56);
    auto* display = new ITextControl(&plug, line, &style, "Please wait, checking DeviceID ");
    display->CutToBox();
    g->AttachControl(display);
    const std::string cut =
        ITextControl::Fitted(g, &style, "Please wait, checking DeviceID ", line.W());
    EXPECT_EQ(cut.rfind("Please wait", 0), 0u) << cut;
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    IRECT all(0, 0, 200, 100);
    g->Draw(&all);
    std::vector<IColor> drawn;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            drawn.push_back(g->GetPoint(x, y));
            EXPECT_FALSE(drawn.back() != COLOR_BLACK && !line.Contains(x, y)) << x << "," << y;
        }
    display->SetTextFromPlug(cut.c_str());
    g->Draw(&all);
    for (int y = 0, i = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x, ++i)
            ASSERT_EQ(g->GetPoint(x, y), drawn[i]) << x << "," << y;
}

TEST_F(GraphicsTest, RightClickPromptsOverTheControlOrItsCentre) {
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

TEST_F(LayerTest, ALayerShowsAndUngraysOnlyItsSelectedChild) {
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

TEST_F(LayerTest, AVisibleChildOfAHiddenParentIsDrawnButNeitherHitNorReported) {
    page.setSelectedId(11);
    page.Hide(false);
    own1->GrayOut(true); // grayed controls in layers are hit
    EXPECT_EQ(page.isHit(5, 5), own1);
    EXPECT_EQ(page.isHit(5, 25), childControl(0)); // children first
    page.Hide(true);
    child(0)->Hide(false);
    IRECT all(0, 0, 100, 100);
    page.Draw(g, &all);
    EXPECT_EQ(drawn(), "c");
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
