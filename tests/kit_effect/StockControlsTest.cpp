// The stock controls, the progress overlay and bitmap text.

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IBitmapOverlayControl.h"
#include "kit/effect/IBitmapTextControl.h"
#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IContactControl.h"
#include "kit/effect/IFaderControl.h"
#include "kit/effect/IFileSelectorControl.h"
#include "kit/effect/IInvisibleSwitchControl.h"
#include "kit/effect/IKnobLineControl.h"
#include "kit/effect/IKnobMultiControl.h"
#include "kit/effect/IRadioButtonsControl.h"
#include "kit/effect/ISwitchPopUpControl.h"
#include "kit/effect/IURLControl.h"
#include "kit/effect/ProgressIndicator.h"
#include "kit/rast/RAST_MemBitmap.h"

#include "tests/kit_effect/PaintedEditor.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

using testsupport::PaintedEditor;
using testsupport::TestControl;

namespace {

// A 100 × 8 editor whose host sees two parameters: 0 a level 0..1 in dB, 1 "Mode" with the
// texts poly, text, legato.
struct StockControls : ::testing::Test {
    StockControls() : e(100, 8, 2, 0) {
        plug.GetParam(0)->InitDouble("Level", 0.0, 0.0, 1.0, 0.01, "dB");
        plug.GetParam(1)->InitEnum("Mode", 1, 3);
        for (const char* t : {"poly", "text", "legato"})
            plug.GetParam(1)->SetDisplayText(plug.GetParam(1)->GetNDisplayTexts(), t);
    }
    // A strip of n frames of w × h, frame k filled with the word k.
    const IBitmap* strip(int n, int w = 10, int h = 10) {
        RAST_MemBitmap& b = bitmaps.emplace_back(w, h * n, 4);
        for (int y = 0; y < h * n; ++y)
            for (int x = 0; x < w; ++x)
                b.getBits()[y * b.getRowSpan() + x] = 1 + y / h;
        return &strips.emplace_back(IBitmap{&b, w, h * n, n, false});
    }
    template <class C> C* add(C* control) {
        g->AttachControl(control);
        return control;
    }
    // The values after each of n clicks, as 0, h(alf) and 1.
    std::string clicks(IControl* c, int n, void (IControl::*how)(int, int, IMouseMod*)) {
        std::string s;
        while (n--) {
            (c->*how)(0, 0, &left);
            s += c->GetValue() == 0.5 ? 'h' : char('0' + int(c->GetValue()));
        }
        return s;
    }

    PaintedEditor e;
    testsupport::TestEffect& plug = e.plug;
    testsupport::TestGraphics* g = e.g;
    std::deque<RAST_MemBitmap> bitmaps;
    std::deque<IBitmap> strips;
    IMouseMod left{true, false}, shift{true, false, true};
};

TEST_F(StockControls, SwitchesStepThroughTheirFramesWrapAndToggle) {
    auto* three = add(new ISwitchControl(&plug, 0, 0, 0, strip(3)));
    EXPECT_EQ(clicks(three, 4, &IControl::OnMouseDown), "h10h");
    EXPECT_EQ(clicks(three, 1, &IControl::OnMouseDblClick), "1");
    EXPECT_EQ(plug.GetParam(0)->Value(), 1.0); // pushed
    three->GrayOut(true);
    EXPECT_EQ(clicks(three, 1, &IControl::OnMouseDown), "1");
    EXPECT_EQ(clicks(add(new ISwitchControl(&plug, 0, 0, 0, strip(1))), 3, &IControl::OnMouseDown),
              "101");
    auto* invisible = add(new IInvisibleSwitchControl(&plug, IRECT(0, 0, 5, 5), 0));
    EXPECT_EQ(clicks(invisible, 2, &IControl::OnMouseDown), "10");
    // A contact springs back on release, grayed too.
    auto* contact = add(new IContactControl(&plug, 0, 0, 0, strip(2)));
    EXPECT_EQ(clicks(contact, 1, &IControl::OnMouseDown), "1");
    contact->GrayOut(true);
    EXPECT_EQ(clicks(contact, 1, &IControl::OnMouseUp), "0");
    EXPECT_EQ(plug.GetParam(0)->Value(), 0.0);
}

TEST_F(StockControls, APopUpSwitchPromptsItsTextsEvenGrayed) {
    auto* popup = add(new ISwitchPopUpControl(&plug, 0, 0, 1, strip(3)));
    popup->SetPromptDisabled(false);
    popup->GrayOut(true);
    g->menuChoice = 2;
    popup->OnMouseDown(1, 1, &left);
    ASSERT_EQ(g->menus.size(), 1u);
    EXPECT_EQ(g->menus[0].texts, (std::vector<std::string>{"poly", "text", "legato"}));
    EXPECT_EQ(plug.GetParam(1)->Value(), 2.0);
}

TEST_F(StockControls, RadioButtonsSpreadOverTheRectangleAndPushEveryClick) {
    // Three 10 × 10 buttons down 50 pixels: gaps of 10.
    auto* radio = add(new IRadioButtonsControl(&plug, IRECT(0, 0, 10, 50), 0, 3, strip(2)));
    radio->OnMouseDown(9, 29, &left);
    EXPECT_EQ(radio->GetValue(), 0.5);
    radio->SetClean();
    plug.informs.clear();
    radio->OnMouseDown(5, 15, &left); // between two buttons
    EXPECT_TRUE(radio->IsDirty());
    ASSERT_EQ(plug.informs.size(), 1u);
    EXPECT_EQ(plug.informs[0].value, 0.5);

    PaintedEditor wide(50, 10);
    auto* row =
        new IRadioButtonsControl(&wide.plug, IRECT(0, 0, 50, 10), 0, 3, strip(2), kHorizontal);
    wide.g->AttachControl(row);
    row->SetValueFromUserInput(1.0);
    IRECT all(0, 0, 50, 10);
    wide.g->Draw(&all);
    // Frame 2 only for the active button; nothing in the gaps.
    EXPECT_EQ(
        (std::vector<RAST_pixel>{wide.at(0, 0), wide.at(29, 9), wide.at(39, 0), wide.at(40, 0)}),
        (std::vector<RAST_pixel>{1, 1, 0, 2}));

    // Reversed, the first button is the last in the row; one button takes 0.
    IRadioButtonsControl reversed(&plug, IRECT(0, 0, 50, 10), 0, 3, strip(2), kHorizontal, true);
    IRadioButtonsControl one(&plug, IRECT(0, 0, 10, 10), 0, 1, strip(2));
    for (auto [c, x] : {std::pair{&reversed, 45}, {&one, 5}}) {
        c->SetValueFromUserInput(0.5);
        c->OnMouseDown(x, 5, &left);
        EXPECT_EQ(c->GetValue(), 0.0);
    }
}

TEST_F(StockControls, FadersPutTheHandleUnderTheMouse) {
    auto* fader = add(new IFaderControl(&plug, 0, 0, 50, 0, strip(1), kVertical, true));
    EXPECT_EQ(fader->GetRECT(), IRECT(0, 0, 10, 50));
    EXPECT_EQ(fader->GetHandleRECT(1.0), IRECT(0, 0, 10, 10));
    EXPECT_EQ(fader->GetHandleRECT(0.0), IRECT(0, 40, 10, 50));
    fader->OnMouseDown(3, 25, &left);
    EXPECT_EQ(fader->GetValue(), 0.5);
    fader->OnMouseDrag(3, 45, 0, 20, &left);
    EXPECT_EQ(fader->GetValue(), 0.0);
    EXPECT_TRUE(fader->IsHit(5, 49)); // only the handle is hit
    EXPECT_FALSE(fader->IsHit(5, 39));
    IFaderControl across(&plug, 10, 0, 50, 0, strip(1, 6, 4), kHorizontal);
    EXPECT_EQ(across.GetRECT(), IRECT(10, 0, 60, 4));
    across.OnMouseDown(60, 2, &left);
    EXPECT_EQ(across.GetValue(), 1.0); // held within the range
}

TEST_F(StockControls, KnobsRiseWhenDraggedUpTenTimesSlowerWithShift) {
    auto* knob = add(new IKnobMultiControl(&plug, 0, 0, 0, strip(1, 10, 40)));
    knob->OnMouseDrag(0, 0, 0, -8, &left);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.05);
    knob->OnMouseDrag(0, 0, 0, -8, &shift);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.055);
    IKnobLineControl line(&plug, IRECT(0, 0, 20, 20), 0, &COLOR_WHITE, 0.0, 0.0, 0.0, 1.0,
                          kHorizontal);
    line.OnMouseDrag(0, 0, 10, 0, &left);
    EXPECT_DOUBLE_EQ(line.GetValue(), 0.125);
}

TEST_F(StockControls, CaptionsShowTheValueTextAndLabelAndPromptOnAClick) {
    IText style;
    auto* level = add(new ICaptionControl(&plug, IRECT(0, 0, 50, 8), 0, &style, true));
    auto* mode = add(new ICaptionControl(&plug, IRECT(50, 0, 100, 8), 1, &style, true));
    level->Draw(g);
    mode->Draw(g); // no blank after a text without a label: it stays in the middle
    ASSERT_EQ(g->drawn.size(), 2u);
    EXPECT_EQ(g->drawn[0].what + "|" + g->drawn[1].what, "0.00 dB|text");
    mode->SetPromptDisabled(false);
    mode->OnMouseDown(1, 1, &left);
    mode->OnMouseDblClick(1, 1, &left);
    ASSERT_EQ(g->menus.size(), 2u);
    EXPECT_EQ(g->menus[0].flags, (std::vector<int>{0, IPopupMenuItem::kChecked, 0}));
}

// Controls made alike share one style until one asks for its own: what is changed through
// GetText reaches that control alone, also for controls given no style at all.
TEST_F(StockControls, ASharedStyleIsCopiedBeforeOneControlChangesIt) {
    auto style = std::make_shared<IText>();
    style->mSize = 20;
    auto* slot = add(new ITextControl(&plug, IRECT(0, 0, 50, 8), nullptr, "slot"));
    auto* other = add(new ITextControl(&plug, IRECT(50, 0, 100, 8), nullptr, "other"));
    slot->ShareText(style);
    other->ShareText(style);
    IText* own = slot->GetText();
    own->mColor = COLOR_RED;
    EXPECT_EQ(slot->GetText(), own);
    EXPECT_EQ(other->GetText()->mColor.R, 0);
    EXPECT_EQ(other->GetText()->mSize, 20);
    EXPECT_EQ(style->mColor.R, 0);
    auto* plain = add(new ITextControl(&plug, IRECT(0, 8, 50, 16), nullptr, "plain"));
    auto* knob = add(new IKnobMultiControl(&plug, 0, 8, 0, strip(2)));
    plain->GetText()->mSize = 30;
    EXPECT_EQ(knob->GetText()->mSize, 12);
}

TEST_F(StockControls, URLsFallBackToTheBackupAndAreCutToTheirBuffers) {
    const std::string longest(300, 'u');
    IURLControl both(&plug, IRECT(0, 0, 5, 5), "https://example.org", "file:///manual.pdf", "!");
    IURLControl backupOnly(&plug, IRECT(0, 0, 5, 5), "", "file:///b");
    IURLControl cut(&plug, IRECT(0, 0, 5, 5), longest.c_str());
    for (IURLControl* c : {&both, &backupOnly, &cut})
        c->OnMouseDown(1, 1, &left);
    EXPECT_EQ(g->urls, (std::vector<std::string>{"https://example.org", "file:///manual.pdf",
                                                 "file:///b", longest.substr(0, 255)}));
}

TEST_F(StockControls, AFileSelectionFlipsTheValueAndReportsDirtyOnceMore) {
    auto* selector = add(new IFileSelectorControl(&plug, IRECT(0, 0, 10, 10), 0, strip(1),
                                                  kFileOpen, "/banks/", "syx mid"));
    g->answer = "/banks/b.syx";
    selector->OnMouseDown(1, 1, &left);
    EXPECT_EQ(selector->GetValue(), 1.0);
    KIT_String chosen;
    selector->GetLastSelectedFileForPlug(&chosen);
    EXPECT_EQ(std::string(chosen.Get()) + " " + g->lastExtensions, "/banks/b.syx syx mid");
    selector->SetClean();
    EXPECT_TRUE(selector->IsDirty());
    EXPECT_FALSE(selector->IsDirty());
}

TEST_F(StockControls, OverlaysAreHitInTheirTargetAreaWhileOff) {
    IBitmapOverlayControl overlay(&plug, 0, 0, -1, strip(1, 20, 20), IRECT(0, 0, 5, 5));
    overlay.Draw(g);
    EXPECT_TRUE(overlay.IsHit(2, 2));
    EXPECT_FALSE(overlay.IsHit(10, 10));
    overlay.SetValueFromUserInput(1.0);
    overlay.Draw(g);
    EXPECT_TRUE(overlay.IsHit(10, 10));

    // The progress overlay swallows clicks while its layer shows, and is repainted away.
    TestControl* beneath = add(new TestControl(&plug, IRECT(0, 0, 20, 8)));
    auto* layer = new ControlLayer(0, "PROGRESS");
    g->AttachLayer(layer);
    new ProgressIndicator(layer, &plug, 0, 0, 100, 8, -1, strip(1, 100, 8), IRECT(0, 0, 100, 8));
    layer->Hide(false);
    g->OnMouseDown(5, 5, &left);
    g->OnMouseDblClick(5, 5, &left);
    EXPECT_TRUE(beneath->events.empty());
    layer->Hide(true);
    IRECT dirty;
    EXPECT_TRUE(g->IsDirty(&dirty));
    EXPECT_EQ(dirty, IRECT(0, 0, 100, 8));
    g->OnMouseDown(5, 5, &left);
    EXPECT_EQ(beneath->events.size(), 1u);
}

// ---- Bitmap text: a font of 1 × 1 frames, frame k the word k, characters 10 pixels apart.

struct BitmapText : StockControls {
    using Row = std::vector<int>;
    // The frames drawn at the ten character positions of row y (0: nothing drawn).
    Row row(int y) {
        Row frames;
        for (int x = 0; x < 100; x += 10)
            frames.push_back(int(e.at(x, y)));
        return frames;
    }
    void draw(const std::string& str, IRECT r, bool wrap, int charWidth = 10,
              int align = IText::kAlignNear) {
        IText text;
        text.mAlign = align;
        e.paint(IRECT(0, 0, 100, 8), [&](IGraphics* g) {
            g->FillIRect(&COLOR_TRANSPARENT, &e.g->GetDrawRECT(), &copy);
            DrawBitmapedText(g, font, &r, &text, nullptr, str.c_str(), false, wrap, charWidth, 1);
        });
    }
    const IChannelBlend copy{IChannelBlend::kBlendCopy};
    const IBitmap* font = strip(96, 1, 1);
};

TEST_F(BitmapText, CodesPickFramesFromTheSpaceOn) {
    draw(std::string("A1 ") + char(0xE9), IRECT(0, 0, 100, 8), false);
    EXPECT_EQ(row(0), (Row{0, 34, 18, 1, 1, 0, 0, 0, 0, 0}));
    draw("AB", IRECT(0, 0, 100, 8), false, 10, IText::kAlignCenter);
    EXPECT_EQ(row(0), (Row{0, 0, 0, 0, 34, 35, 0, 0, 0, 0}));
}

TEST_F(BitmapText, LinesHoldWhatFitsBetweenTheMargins) {
    // Without wrap a ninth character still goes on to one more line.
    draw("ABCDEFGHI", IRECT(0, 0, 100, 8), false);
    EXPECT_EQ(row(0), (Row{0, 34, 35, 36, 37, 38, 39, 40, 41, 0}));
    EXPECT_EQ(row(1), (Row{0, 42, 0, 0, 0, 0, 0, 0, 0, 0}));
    draw("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", IRECT(0, 0, 100, 8), true);
    EXPECT_EQ(row(3), (Row{0, 'Y' - 31, 'Z' - 31, 17, 18, 19, 20, 0, 0, 0}));
    // No character width, or no room between the margins to wrap in, draws nothing.
    draw("AB", IRECT(0, 0, 100, 8), false, 0);
    draw("AB", IRECT(0, 0, 20, 8), true);
    EXPECT_EQ(row(0), Row(10, 0));
}

TEST_F(BitmapText, AControlIsDirtiedOnlyByANewText) {
    IText text;
    text.mAlign = IText::kAlignNear;
    IBitmapTextControl label(&plug, IRECT(0, 0, 100, 8), font, "", &text, 10, 1);
    label.SetTextFromPlug("ABC");
    label.SetClean();
    label.SetTextFromPlug("ABC");
    EXPECT_FALSE(label.IsDirty());
    e.paint(IRECT(0, 0, 100, 8), [&](IGraphics* g) { label.Draw(g); });
    EXPECT_EQ(row(3)[2], 'B' - 31); // centred vertically: row (8 - 1) / 2
}

} // namespace
