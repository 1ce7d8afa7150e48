#pragma once

#include "kit/effect/IBitmap.h"
#include "kit/effect/IControl.h"

#include <vector>

// A row or column of n buttons, each one frame of the bitmap, spread evenly over the
// rectangle; the active button shows frame 2 and the others frame 1. Button k stands for the
// value k / (n - 1); with reverse the first button is the last in the row.
class IRadioButtonsControl : public IControl {
public:
    IRadioButtonsControl(IEffectBase* plug, IRECT rect, int paramIdx, int nButtons,
                         const IBitmap* bitmap, EDirection direction = kVertical,
                         bool reverse = false);

    // A right click asks for the value; any other click takes the value of the button hit
    // and pushes, also when it hit none.
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;

protected:
    std::vector<IRECT> m_buttons;
    IBitmap m_bitmap;
};
