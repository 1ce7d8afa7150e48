#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphics.h"

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
    TestControl* c = inLayer(layer(), "c", IRECT(100, 0, 110, 5));
    hidden->Hide(true);
    settle();
    IRECT r;
    bg->SetDirty(false);
    hidden->SetDirty(false);
    EXPECT_FALSE(g->IsDirty(&r));
    a->SetDirty(false);
    b->SetDirty(false);
    c->SetDirty(false);
    EXPECT_TRUE(g->IsDirty(&r));
    EXPECT_EQ(r, IRECT(0, 0, 110, 60));
    hidden->SetIgnoreHidden(true);
    EXPECT_TRUE(g->IsDirty(&r));
    EXPECT_EQ(r, IRECT(0, 0, 160, 100));
}

TEST_F(GraphicsDrawTest, StrictDrawingRepaintsWhatMeetsTheAreaThenTheLayers) {
    top("0", IRECT(0, 0, 200, 100));
    top("a", IRECT(0, 0, 10, 10));
    TestControl* b = top("b", IRECT(50, 50, 60, 60));
    top("h", IRECT(0, 0, 20, 20))->Hide(true);
    ControlLayer* l = layer();
    inLayer(l, "L", IRECT(5, 5, 15, 15));
    inLayer(l, "M", IRECT(100, 80, 120, 90));
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

TEST_F(GraphicsDrawTest, NonStrictDrawingRepaintsAroundEachDirtyControl) {
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

TEST_F(GraphicsDrawTest, ResizeDeletesTopLevelControlsButKeepsLayers) {
    top("a", IRECT(0, 0, 50, 50), 0);
    ControlLayer* l = layer();
    inLayer(l, "L", IRECT(60, 0, 70, 10), 0);
    IMouseMod left(true, false);
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

TEST_F(GraphicsDrawTest, ValuesFromThePlugInReachEveryControlAndNothingElse) {
    TestControl* t = top("t", IRECT(0, 0, 10, 10), 2);
    auto* child = new ControlLayer(5, "child");
    layer(false)->addChild(child);
    TestControl* deep = inLayer(child, "d", IRECT(0, 0, 10, 10), 2);
    TestControl* aux = top("x", IRECT(20, 0, 30, 10), 0);
    aux->AddAuxParam(2);

    g->SetParameterFromPlug(2, 5.0, false);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 5.0);
    EXPECT_DOUBLE_EQ(t->GetValue(), 0.5);
    EXPECT_DOUBLE_EQ(deep->GetValue(), 0.5); // in a hidden layer
    EXPECT_DOUBLE_EQ(aux->GetAuxParam(0)->mValue, 0.5);
    g->SetParameterFromPlug(2, 0.8, true);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 5.0); // a normalised value leaves the parameter
    EXPECT_DOUBLE_EQ(deep->GetValue(), 0.8);

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
    EXPECT_TRUE(aux->IsDirty());
    EXPECT_TRUE(plug.changes.empty());
    EXPECT_TRUE(plug.changes2.empty());
    EXPECT_TRUE(plug.informs.empty());
    EXPECT_TRUE(plug.midi.empty());
}

TEST_F(GraphicsDrawTest, PromptsAndWhatComesBackFromThem) {
    TestControl* level = top("l", IRECT(0, 0, 10, 10), 0);
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
    g->PromptUserInput(level, plug.GetParam(0), &area);
    plug.GetParam(3)->SetDisplayText(0, "Init");
    g->PromptUserInput(name, plug.GetParam(3), &area);
    ASSERT_EQ(g->entries.size(), 3u);
    EXPECT_EQ(g->entries[0].text, "3");
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
}

TEST_F(GraphicsDrawTest, BackgroundBitmapIsCopiedIntoTheRepaintedAreaOnly) {
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
