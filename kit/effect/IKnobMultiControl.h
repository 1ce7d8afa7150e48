#pragma once

#include "kit/effect/IBitmap.h"
#include "kit/effect/IKnobControl.h"

// A knob drawn as the frame of its bitmap strip that matches its value; its rectangle is one
// frame at (x, y).
class IKnobMultiControl : public IKnobControl {
public:
    IKnobMultiControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                      EDirection direction = kVertical, double gearing = DEFAULT_GEARING)
        : IKnobControl(plug, IRECT(x, y, x + bitmap->FrameW(), y + bitmap->FrameH()), paramIdx,
                       direction, gearing),
          m_bitmap(*bitmap) {}

    bool Draw(IGraphics* graphics) override;

protected:
    IBitmap m_bitmap;
};
