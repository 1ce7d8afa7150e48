#pragma once

#include "kit/effect/ISwitchControl.h"

// A switch whose click asks for the value (a menu of the parameter's texts), grayed or not.
class ISwitchPopUpControl : public ISwitchControl {
public:
    using ISwitchControl::ISwitchControl;

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
};
