#include "kit/effect/ControlLayer.h"
#include "kit/effect/IBitmapControl.h"
#include "kit/effect/IGraphics.h"
#include "kit/rast/RAST_MemBitmap.h"

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

// A 200 × 100 editor. Parameters: 0 a double, 1 an enum of three texts, 2 an int 0..10,
// 3 a text parameter. Drawn controls append their names to log.
struct GraphicsDrawTest : ::testing::Test {
    GraphicsDrawTest() : plug(4, 4), g(new TestGraphics(&plug, 200, 100)) {
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
    ControlLayer* visibleLayer() {
        auto* l = new ControlLayer(0, "layer");
        g->AttachLayer(l);
        l->Hide(false);
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
    uint32_t pixel(int x, int y) {
        RAST_IBitmap* bm = g->GetDrawBitmap();
        const int row = bm->isFlipped() ? bm->getHeight() - 1 - y : y;
        return bm->getBits()[row * bm->getRowSpan() + x];
    }

    TestEffect plug;
    TestGraphics* g; // owned by plug
    std::vector<std::string> log;
};

} // namespace

TEST_F(GraphicsDrawTest, DirtyAreasMergeButTheBackgroundIsNeverAsked) {
    TestControl* bg = top("0", IRECT(0, 0, 200, 100));
    TestControl* a = top("a", IRECT(0, 0, 10, 10));
    TestControl* b = top("b", IRECT(50, 50, 60, 60));
    TestControl* hidden = top("h", IRECT(150, 90, 160, 100));
    ControlLayer* l = visibleLayer();
    TestControl* c = inLayer(l, "c", IRECT(100, 0, 110, 5));
    hidden->Hide(true);
    settle();
    IRECT r;
    bg->SetDirty(false);
    hidden->SetDirty(false);
    EXPECT_FALSE(g->IsDirty(&r));
    EXPECT_TRUE(r.Empty());

    a->SetDirty(false);
    b->SetDirty(false);
    EXPECT_TRUE(g->IsDirty(&r));
    EXPECT_EQ(r, IRECT(0, 0, 60, 60));
    c->SetDirty(false);
    EXPECT_TRUE(g->IsDirty(&r));
    EXPECT_EQ(r, IRECT(0, 0, 110, 60));
    hidden->SetIgnoreHidden(true);
    EXPECT_TRUE(g->IsDirty(&r));
    EXPECT_EQ(r, IRECT(0, 0, 160, 100));
}

TEST_F(GraphicsDrawTest, StrictDrawingRepaintsWhatMeetsTheAreaThenTheLayers) {
    top("0", IRECT(0, 0, 200, 100));
    TestControl* a = top("a", IRECT(0, 0, 10, 10));
    TestControl* b = top("b", IRECT(50, 50, 60, 60));
    TestControl* hidden = top("h", IRECT(0, 0, 20, 20));
    ControlLayer* l = visibleLayer();
    inLayer(l, "L", IRECT(5, 5, 15, 15));
    inLayer(l, "M", IRECT(100, 80, 120, 90));
    hidden->Hide(true);
    settle();

    b->SetDirty(false);
    IRECT r(0, 0, 20, 20);
    EXPECT_TRUE(g->Draw(&r));
    EXPECT_EQ(drawn(), "0aL");  // the background always, the layers last
    EXPECT_FALSE(b->IsDirty()); // cleaned though not drawn
    EXPECT_EQ(g->screens.back(), r);
    // A rectangle touching the area on its right edge counts as meeting it.
    IRECT touching(10, 10, 50, 50);
    g->Draw(&touching);
    EXPECT_EQ(drawn(), "0bL");
    IRECT none;
    g->Draw(&none);
    EXPECT_EQ(drawn(), "0");
    (void)a;
}

TEST_F(GraphicsDrawTest, NonStrictDrawingRepaintsAroundEachDirtyControl) {
    top("0", IRECT(0, 0, 200, 100));
    TestControl* a = top("a", IRECT(0, 0, 10, 10));
    top("b", IRECT(5, 5, 15, 15));
    TestControl* c = top("c", IRECT(100, 50, 110, 60));
    TestControl* hidden = top("h", IRECT(150, 80, 160, 90));
    ControlLayer* l = visibleLayer();
    inLayer(l, "L", IRECT(0, 0, 3, 3));
    hidden->Hide(true);
    settle();

    g->SetStrictDrawing(false); // every control dirty, the background too
    IRECT ignored(0, 0, 1, 1);
    g->Draw(&ignored);
    EXPECT_EQ(drawn(), "0abcL");
    EXPECT_EQ(g->GetDrawRECT(), IRECT(0, 0, 200, 100));

    a->SetDirty(false);
    c->SetDirty(false);
    g->Draw(&ignored);
    // Around a: the background, a itself and b above it; around c: the background and c;
    // around the hidden control, which the background pass left dirty: the background. The
    // layers get the last area only.
    EXPECT_EQ(drawn(), "0ab0c0");
    EXPECT_EQ(g->screens.back(), IRECT(150, 80, 160, 90));
    g->Draw(&ignored); // nothing dirty: the area stays
    EXPECT_EQ(drawn(), "");
    EXPECT_EQ(g->GetDrawRECT(), IRECT(150, 80, 160, 90));
}

TEST_F(GraphicsDrawTest, ResizeDeletesTopLevelControlsButKeepsLayers) {
    TestControl* a = top("a", IRECT(0, 0, 50, 50), 0);
    ControlLayer* l = visibleLayer();
    inLayer(l, "L", IRECT(60, 0, 70, 10), 0);
    IMouseMod left(true, false);
    g->HandleMouseOver(true);
    g->OnMouseOver(10, 10, &left);
    g->OnMouseDown(10, 10, &left);
    EXPECT_EQ(g->GetMouseControlIdx(100, 100), a);

    g->Resize(300, 150);
    EXPECT_EQ(g->NControls(), 0);
    EXPECT_EQ(g->NLayers(), 1);
    EXPECT_EQ(plug.resizes, (std::vector<std::pair<int, int>>{{300, 150}}));
    EXPECT_EQ(g->GetDrawBitmap()->getWidth(), 300);
    EXPECT_EQ(g->GetDrawBitmap()->getHeight(), 150);
    // Neither the capture nor the mouse-over control outlive their control (ASan watches).
    g->OnMouseDrag(20, 20, &left);
    g->OnMouseOver(65, 5, &left);
    EXPECT_EQ(g->GetMouseControlIdx(10, 10), nullptr);
    // No background now: drawing still paints the layers.
    IRECT r(0, 0, 300, 150);
    EXPECT_TRUE(g->Draw(&r));
    EXPECT_EQ(drawn(), "L");
    g->SetParameterFromPlug(0, 0.9, true);
    EXPECT_DOUBLE_EQ(l->getControls().Get(0)->GetValue(), 0.9);
}

TEST_F(GraphicsDrawTest, ValuesFromThePlugInReachEveryControlAndNothingElse) {
    TestControl* t = top("t", IRECT(0, 0, 10, 10), 2);
    auto* hiddenLayer = new ControlLayer(0, "hidden");
    g->AttachLayer(hiddenLayer);
    auto* child = new ControlLayer(5, "child");
    hiddenLayer->addChild(child);
    TestControl* deep = inLayer(child, "d", IRECT(0, 0, 10, 10), 2);
    TestControl* aux = top("x", IRECT(20, 0, 30, 10), 0);
    aux->AddAuxParam(2);
    settle();

    g->SetParameterFromPlug(2, 5.0, false);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 5.0);
    for (const IControl* c : {static_cast<IControl*>(t), static_cast<IControl*>(deep)})
        EXPECT_DOUBLE_EQ(c->GetValue(), 0.5);
    EXPECT_DOUBLE_EQ(aux->GetAuxParam(0)->mValue, 0.5);
    g->SetParameterFromPlug(2, 0.8, true);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 5.0); // a normalised value leaves the parameter
    EXPECT_DOUBLE_EQ(deep->GetValue(), 0.8);
    g->SetParameterFromPlug(99, 3.0, false); // unknown parameter: nothing
    EXPECT_TRUE(t->IsDirty());
    EXPECT_TRUE(aux->IsDirty());
    EXPECT_TRUE(plug.changes.empty());

    // From the MIDI input thread: values and dirty flags only.
    settle();
    std::thread midiThread([this] {
        g->SetParameterFromPlug(2, 7.0, false);
        g->SetParameterFromPlug(0, 0.25, true);
    });
    midiThread.join();
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 7.0);
    EXPECT_DOUBLE_EQ(t->GetValue(), 0.7);
    EXPECT_DOUBLE_EQ(aux->GetValue(), 0.25);
    EXPECT_TRUE(t->IsDirty());
    EXPECT_TRUE(plug.changes.empty());
    EXPECT_TRUE(plug.changes2.empty());
    EXPECT_TRUE(plug.informs.empty());
    EXPECT_TRUE(plug.midi.empty());
}

TEST_F(GraphicsDrawTest, EnumPromptsAreMenusOfTheDisplayTexts) {
    TestControl* c = top("c", IRECT(10, 10, 40, 20), 1);
    IRECT area(10, 10, 40, 20);
    g->PromptUserInput(c, plug.GetParam(1), &area); // dismissed
    ASSERT_EQ(g->menus.size(), 1u);
    EXPECT_EQ(g->menus[0].texts, (std::vector<std::string>{"poly", "mono", "legato"}));
    EXPECT_EQ(g->menus[0].flags, (std::vector<int>{0, 0, IPopupMenuItem::kChecked}));
    EXPECT_TRUE(plug.changes.empty());

    g->menuChoice = 1;
    g->PromptUserInput(c, plug.GetParam(1), &area);
    EXPECT_DOUBLE_EQ(plug.GetParam(1)->Value(), 1.0);
    EXPECT_DOUBLE_EQ(c->GetValue(), 0.5);
    EXPECT_EQ(plug.changes, std::vector<int>{1});
    EXPECT_TRUE(g->entries.empty());
    g->PromptUserInput(nullptr, plug.GetParam(1), &area);
    g->PromptUserInput(c, nullptr, &area);
    EXPECT_EQ(g->menus.size(), 2u);
}

TEST_F(GraphicsDrawTest, TextEntriesAndWhatComesBackFromThem) {
    TestControl* level = top("l", IRECT(0, 0, 10, 10), 0);
    TestControl* octave = top("o", IRECT(0, 0, 10, 10), 2);
    TestControl* mode = top("m", IRECT(0, 0, 10, 10), 1);
    TestControl* name = top("n", IRECT(0, 0, 10, 10), 3);
    IRECT area(1, 2, 3, 4);
    g->PromptUserInput(octave, plug.GetParam(2), &area);
    g->PromptUserInput(level, plug.GetParam(0), &area);
    plug.GetParam(3)->SetDisplayText(0, "Init");
    g->PromptUserInput(name, plug.GetParam(3), &area);
    ASSERT_EQ(g->entries.size(), 3u);
    EXPECT_EQ(g->entries[0].text, "3");
    EXPECT_EQ(g->entries[0].param, plug.GetParam(2));
    EXPECT_EQ(g->entries[0].area, area);
    EXPECT_EQ(g->entries[1].text, "0.50");
    EXPECT_EQ(g->entries[2].text, "Init");

    g->SetFromStringAfterPrompt(octave, plug.GetParam(2), "7");
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 7.0);
    g->SetFromStringAfterPrompt(level, plug.GetParam(0), "0.25");
    EXPECT_DOUBLE_EQ(plug.GetParam(0)->Value(), 0.25);
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
    g->SetFromStringAfterPrompt(name, nullptr, "x");
    g->SetFromStringAfterPrompt(name, plug.GetParam(3), nullptr);
    EXPECT_STREQ(plug.GetParam(3)->GetDisplayText(0), "");
}

TEST_F(GraphicsDrawTest, BackgroundBitmapIsCopiedIntoTheRepaintedAreaOnly) {
    const uint32_t word = 0x30201080; // alpha 0x80: a plain copy ignores it
    g->AddImage(7, 10, 6, word);
    TestControl* a = top("a", IRECT(0, 0, 5, 5));
    g->AttachBackground(7, "resources/img/back.png", 1.0);
    ASSERT_EQ(g->NControls(), 2);
    EXPECT_EQ(g->GetControl(1), a);
    EXPECT_EQ(g->GetControl(0)->GetRECT(), IRECT(0, 0, 10, 6));
    IRECT r(2, 1, 5, 4);
    g->Draw(&r);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(pixel(x, y), x >= 2 && x < 5 && y >= 1 && y < 4 ? word : 0u) << x << "," << y;

    // An image that cannot be had gives an empty background that draws nothing.
    g->AttachBackground(8, "resources/img/missing.png", 1.0);
    EXPECT_TRUE(g->GetControl(0)->GetRECT().Empty());
    IRECT all(0, 0, 200, 100);
    EXPECT_TRUE(g->Draw(&all));
}

TEST_F(GraphicsDrawTest, BitmapControlsDrawTheFrameOfTheirValue) {
    // Three frames of 4 × 3 pixels stacked in a 4 × 9 strip, each of its own colour.
    auto* strip = new RAST_MemBitmap(4, 9, 4);
    const uint32_t colours[] = {0x000000FF, 0x0000FFFF, 0x00FF00FF};
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 4; ++x)
            strip->getBits()[y * strip->getRowSpan() + x] = colours[y / 3];
    g->images[3].reset(strip);
    const IBitmap bitmap = g->LoadIBitmap(3, "knob.png", 1.0, 3, false);
    auto* knob = new IBitmapControl(&plug, 20, 30, 0, &bitmap);
    g->AttachControl(knob);
    EXPECT_EQ(knob->GetRECT(), IRECT(20, 30, 24, 33));

    IRECT r(0, 0, 200, 100);
    const double values[] = {0.0, 0.24, 0.26, 0.74, 1.0, 7.0};
    const int frames[] = {0, 0, 1, 1, 2, 2};
    for (int i = 0; i < 6; ++i) {
        knob->SetValueFromPlug(values[i]);
        g->Draw(&r);
        EXPECT_EQ(pixel(20, 30), colours[frames[i]]) << values[i];
        EXPECT_EQ(pixel(23, 32), colours[frames[i]]) << values[i];
        EXPECT_EQ(pixel(24, 32), 0u);
        EXPECT_EQ(pixel(23, 33), 0u);
    }
}

TEST_F(GraphicsDrawTest, PanelBackgroundFillsTheEditor) {
    g->AttachPanelBackground(&COLOR_BLUE);
    IRECT r(0, 0, 1, 1);
    g->Draw(&r);
    ASSERT_EQ(g->drawn.size(), 1u);
    EXPECT_EQ(g->drawn[0].what, "fill");
    EXPECT_EQ(g->drawn[0].rect, IRECT(0, 0, 200, 100));
}
