#pragma once

#include "kit/effect/ISwitchControl.h"

// A switch that springs back to 0 when the mouse is released, grayed or not. Its picture is
// its press alone: what the plug-in or the parameter's other controls set never lights it (a
// panel's Close stays unlit while its opener shows the panel open).
class IContactControl : public ISwitchControl {
public:
    using ISwitchControl::ISwitchControl;

    void OnMouseUp(int x, int y, IMouseMod* mod) override;
    void SetValueFromPlug(double) override {}
};
