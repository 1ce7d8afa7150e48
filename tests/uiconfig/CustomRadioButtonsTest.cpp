#include "src/uiconfig/ICustomRadioButtonsControl.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

IBitmap strip(int w, int h, bool sideBySide, RAST_IBitmap* data = nullptr) {
    IBitmap b;
    b.mData = data;
    b.W = w;
    b.H = h;
    b.N = 2;
    b.mFramesAreHorizontal = sideBySide;
    return b;
}

// Each click lands on a row showing 0.75; a miss keeps that value, and either way the value
// reaches the parameter. Offsets are from the control's corner (10, 20).
TEST(CustomRadioButtons, ClicksHitTheSlicesAndAlwaysPush) {
    testsupport::TestEffect effect(1, 0);
    effect.GetParam(0)->InitEnum("Tab", 0, 5);
    const IMouseMod left(true, false), right(false, true);
    const struct {
        IBitmap bitmap;
        EDirection direction;
        int dx, dy;
        IMouseMod mod;
        double value;
    } cases[] = {
        {strip(250, 60, false), kHorizontal, 120, 5, left, 0.5},
        {strip(250, 60, false), kHorizontal, 49, 29, left, 0.0},
        {strip(250, 60, false), kHorizontal, 50, 0, left, 0.25},
        {strip(250, 60, false), kHorizontal, 249, 29, left, 1.0},
        {strip(250, 60, false), kHorizontal, 249, 30, left, 0.75}, // below the row
        {strip(251, 60, false), kHorizontal, 250, 5, left, 0.75},  // the column no button has
        {strip(250, 60, false), kHorizontal, 120, 5, right, 0.75},
        {strip(250, 60, true), kVertical, 124, 11, left, 0.0},
        {strip(250, 60, true), kVertical, 0, 12, left, 0.25},
        {strip(250, 60, true), kVertical, 0, 59, left, 1.0},
        {strip(250, 60, true), kVertical, 125, 0, left, 0.75},
    };
    for (const auto& c : cases) {
        ICustomRadioButtonsControl row(&effect, IRECT(10, 20, 260, 80), 0, 5, &c.bitmap,
                                       c.direction);
        row.SetValueFromPlug(0.75);
        IMouseMod mod = c.mod;
        row.OnMouseDown(10 + c.dx, 20 + c.dy, &mod);
        EXPECT_EQ(row.GetValue(), c.value) << c.dx << "," << c.dy;
        EXPECT_EQ(effect.GetParam(0)->GetNormalized(), c.value) << c.dx << "," << c.dy;
    }

    // One button is value 0; none is no hit at all.
    for (int n : {1, 0}) {
        const IBitmap bitmap = strip(250, 60, false);
        ICustomRadioButtonsControl row(&effect, IRECT(10, 20, 260, 50), 0, n, &bitmap, kHorizontal);
        row.SetValueFromPlug(0.75);
        IMouseMod mod = left;
        row.OnMouseDown(20, 25, &mod);
        EXPECT_EQ(row.GetValue(), n == 1 ? 0.0 : 0.75);
    }
}

// Two rows of five 1 × 1 buttons, frames stacked at (3, 4) and side by side at (10, 4). Slice i
// of frame f has red 40i + 20 and green 0x11 (frame 1) or 0xEE (frame 2).
TEST(CustomRadioButtons, SelectedButtonFromItsOwnSliceOfFrameTwoAtFullWeight) {
    testsupport::TestEffect effect(1, 0);
    effect.GetParam(0)->InitEnum("Tab", 0, 5);
    auto* graphics = new testsupport::TestGraphics(&effect, 20, 20);
    effect.AttachGraphics(graphics);
    graphics->AttachPanelBackground(&COLOR_BLACK);
    std::vector<ICustomRadioButtonsControl*> rows;
    for (bool sideBySide : {false, true}) {
        RAST_IBitmap* data =
            graphics->AddImage(sideBySide ? 2 : 1, sideBySide ? 2 : 5, sideBySide ? 5 : 2, 0);
        for (int i = 0; i < 5; ++i) {
            for (int f = 0; f < 2; ++f) {
                const int x = sideBySide ? f : i, y = sideBySide ? i : f;
                data->getBits()[y * data->getRowSpan() + x] =
                    0xFFu | uint32_t(40 * i + 20) << 8 | (f ? 0xEEu : 0x11u) << 16;
            }
        }
        const IBitmap bitmap = strip(data->getWidth(), data->getHeight(), sideBySide, data);
        const int left = sideBySide ? 10 : 3;
        rows.push_back(new ICustomRadioButtonsControl(&effect, IRECT(left, 4, left + 5, 9), 0, 5,
                                                      &bitmap,
                                                      sideBySide ? kVertical : kHorizontal));
        graphics->AttachControl(rows.back());
        rows.back()->SetValueFromPlug(0.74); // trunc(4 × 0.74 + 0.5) = 3
    }
    for (bool grayed : {false, true}) {
        for (ICustomRadioButtonsControl* row : rows)
            row->GrayOut(grayed);
        IRECT all(0, 0, 20, 20);
        graphics->Draw(&all);
        for (int i = 0; i < 5; ++i) {
            const IColor expected(255, 40 * i + 20, i == 3 ? 0xEE : 0x11, 0);
            EXPECT_EQ(graphics->GetPoint(3 + i, 4), expected) << grayed << i;
            EXPECT_EQ(graphics->GetPoint(10, 4 + i), expected) << grayed << i;
        }
    }
}

} // namespace
