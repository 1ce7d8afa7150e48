#pragma once

#include "kit/effect/IBitmap.h"
#include "kit/effect/IControl.h"

// A control that shows the frame of its bitmap strip that matches its value.
class IBitmapControl : public IControl {
public:
    // The rectangle is one frame of the bitmap with its top-left corner at (x, y).
    IBitmapControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                   int blendMethod = IChannelBlend::kBlendNone);

    bool Draw(IGraphics* graphics) override;
    const IBitmap& GetIBitmap() const { return m_bitmap; }

protected:
    IBitmap m_bitmap;
};
