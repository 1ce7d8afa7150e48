#pragma once

#include "kit/effect/IBitmap.h"
#include "kit/effect/IControl.h"

// A handle bitmap sliding along a track of len pixels from (x, y): left to right for 0 to 1
// when horizontal, bottom to top when vertical. A click or drag puts the handle's middle under
// the mouse. With only-handle set, the mouse hits only the handle.
class IFaderControl : public IControl {
public:
    IFaderControl(IEffectBase* plug, int x, int y, int len, int paramIdx, const IBitmap* bitmap,
                  EDirection direction = kVertical, bool onlyHandle = false);

    // A right click asks for the value instead.
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;
    bool IsHit(int x, int y) override;

    // Where the handle is drawn for value (the current one when negative).
    IRECT GetHandleRECT(double value = -1.0) const;

protected:
    void snapToMouse(int x, int y);

    int m_len;
    int m_handleLen;
    IBitmap m_bitmap;
    EDirection m_direction;
    bool m_onlyHandle;
};
