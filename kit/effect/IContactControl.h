#pragma once

#include "kit/effect/ISwitchControl.h"

// A switch that springs back to 0 when the mouse is released, grayed or not.
class IContactControl : public ISwitchControl {
public:
    using ISwitchControl::ISwitchControl;

    void OnMouseUp(int x, int y, IMouseMod* mod) override;
};
