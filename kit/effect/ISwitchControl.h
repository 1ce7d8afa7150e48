#pragma once

#include "kit/effect/IBitmapControl.h"

// A bitmap control whose click steps to the next frame's value and wraps to 0 after the last;
// a one-frame switch toggles between 0 and 1. A double click is one more click.
class ISwitchControl : public IBitmapControl {
public:
    ISwitchControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                   int blendMethod = IChannelBlend::kBlendNone)
        : IBitmapControl(plug, x, y, paramIdx, bitmap, blendMethod) {}

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override { OnMouseDown(x, y, mod); }
};
