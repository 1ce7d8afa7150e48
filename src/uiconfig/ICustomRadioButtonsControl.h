#pragma once

#include "kit/effect/IRadioButtonsControl.h"

// A row or column of buttons drawn from one two-frame bitmap: frame 1 holds every button
// unselected, frame 2 every button selected, in the same layout, so each button is its own
// slice of the bitmap and buttons may differ in look. Button i stands for the value
// i / (n - 1); with one button its value is 0. A right click selects nothing.
class ICustomRadioButtonsControl : public IRadioButtonsControl {
public:
    // The buttons follow one another in direction from the control's top-left corner, each
    // one slice of a frame: W / n × H / 2 for stacked frames, W / 2 × H / n for frames side by
    // side (W × H the whole bitmap). A count below 1 gives no buttons.
    ICustomRadioButtonsControl(IEffectBase* plug, IRECT rect, int paramIdx, int buttonCount,
                               const IBitmap* bitmap, EDirection direction);

    // Every click pushes the value to the plug-in, hit or not.
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int, int, IMouseMod*) override {}
    void OnMouseOver(int, int, IMouseMod*) override {}
    void OnMouseOut() override { SetDirty(false); }
    // Always at full weight: a grayed row is not dimmed.
    bool Draw(IGraphics* graphics) override;

    // The selection of a click: the first button (in index order) that holds (x, y) takes its
    // value; the value is pushed whether a button was hit or not.
    void OnMouseDownCustom(int x, int y, IMouseMod* mod);

private:
    int m_buttonW = 0;
    int m_buttonH = 0;
};
