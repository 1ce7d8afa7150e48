#include "src/uiconfig/ICustomRadioButtonsControl.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

namespace {

IBitmap strip(int w, int h, bool sideBySide, RAST_IBitmap* data = nullptr) {
    return IBitmap{data, w, h, 2, sideBySide};
}

// A click on a row of n buttons at (10, 20) showing 0.75: a miss keeps that value, and either
// way the value reaches the parameter.
TEST(CustomRadioButtons, ClicksHitTheSlicesAndAlwaysPush) {
    testsupport::TestEffect effect(1, 0);
    effect.GetParam(0)->InitEnum("Tab", 0, 5);
    const IBitmap stacked = strip(250, 60, false), side = strip(250, 60, true);
    const std::tuple<IBitmap, int, int, int, bool, double> cases[] = {
        {stacked, 5, 120, 5, false, 0.5}, {stacked, 5, 49, 29, false, 0.0},
        {stacked, 5, 50, 0, false, 0.25}, {stacked, 5, 249, 30, false, 0.75},
        {stacked, 5, 120, 5, true, 0.75}, {strip(251, 60, false), 5, 250, 5, false, 0.75},
        {side, 5, 124, 11, false, 0.0},   {side, 5, 0, 12, false, 0.25},
        {side, 5, 125, 0, false, 0.75},   {stacked, 1, 249, 29, false, 0.0},
        {stacked, 0, 0, 0, false, 0.75},
    };
    for (const auto& [bitmap, n, dx, dy, right, value] : cases) {
        ICustomRadioButtonsControl row(&effect, IRECT(10, 20, 260, 80), 0, n, &bitmap,
                                       bitmap.mFramesAreHorizontal ? kVertical : kHorizontal);
        row.SetValueFromPlug(0.75);
        IMouseMod mod(!right, right);
        row.OnMouseDown(10 + dx, 20 + dy, &mod);
        EXPECT_EQ(row.GetValue(), value) << n << ": " << dx << "," << dy;
        EXPECT_EQ(effect.GetParam(0)->GetNormalized(), value) << n << ": " << dx << "," << dy;
    }
}

// Rows of five 1 × 1 buttons, frames stacked at (3, 4) and side by side at (10, 4); slice i of
// frame f has red 40i + 20 and green 0x11 (frame 1) or 0xEE (frame 2).
TEST(CustomRadioButtons, SelectedButtonFromItsOwnSliceOfFrameTwoAtFullWeight) {
    testsupport::TestEffect effect(1, 0);
    auto* graphics = new testsupport::TestGraphics(&effect, 20, 20);
    effect.AttachGraphics(graphics);
    graphics->AttachPanelBackground(&COLOR_BLACK);
    for (int side = 0; side < 2; ++side) {
        RAST_IBitmap* data = graphics->AddImage(side, side ? 2 : 5, side ? 5 : 2, 0);
        for (int k = 0; k < 10; ++k) { // button k / 2, frame k % 2 + 1
            const int x = side ? k % 2 : k / 2, y = side ? k / 2 : k % 2;
            data->getBits()[y * data->getRowSpan() + x] =
                0xFFu | uint32_t(40 * (k / 2) + 20) << 8 | (k % 2 ? 0xEEu : 0x11u) << 16;
        }
        const IBitmap bitmap = strip(side ? 2 : 5, side ? 5 : 2, side, data);
        auto* row = new ICustomRadioButtonsControl(&effect, IRECT(3 + 7 * side, 4, 8 + 7 * side, 9),
                                                   0, 5, &bitmap, side ? kVertical : kHorizontal);
        graphics->AttachControl(row);
        row->SetValueFromPlug(0.74); // trunc(4 × 0.74 + 0.5) = 3
        row->GrayOut(true);
    }
    IRECT all(0, 0, 20, 20);
    graphics->Draw(&all);
    for (int i = 0; i < 5; ++i) {
        const IColor expected(255, 40 * i + 20, i == 3 ? 0xEE : 0x11, 0);
        EXPECT_EQ(graphics->GetPoint(3 + i, 4), expected) << i;
        EXPECT_EQ(graphics->GetPoint(10, 4 + i), expected) << i;
    }
}

} // namespace
