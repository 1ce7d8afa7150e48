#pragma once

#include "kit/effect/IControl.h"

// A switch without a picture: a click toggles between 0 and 1.
class IInvisibleSwitchControl : public IControl {
public:
    IInvisibleSwitchControl(IEffectBase* plug, IRECT rect, int paramIdx)
        : IControl(plug, rect, paramIdx, IChannelBlend(IChannelBlend::kBlendCopy)) {}

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics*) override { return true; }
};
