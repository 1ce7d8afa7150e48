#pragma once

#include "kit/effect/ISwitchControl.h"

// A switch drawn only while on (value 0.5 or more). While off it draws nothing and is hit in
// its target area instead of its rectangle; the area in force changes when it is drawn.
class IBitmapOverlayControl : public ISwitchControl {
public:
    IBitmapOverlayControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                          IRECT targetArea, int blendMethod = IChannelBlend::kBlendNone)
        : ISwitchControl(plug, x, y, paramIdx, bitmap, blendMethod), m_targetArea(targetArea) {}

    bool Draw(IGraphics* graphics) override;

protected:
    IRECT m_targetArea;
};
