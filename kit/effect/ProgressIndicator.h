#pragma once

#include "kit/effect/IBitmapOverlayControl.h"

class ControlLayer;

// The overlay that covers the editor while the plug-in is busy with a transfer: the first
// control of its layer, drawing the top-left w × h of its bitmap at (x, y) and swallowing every
// click on the bitmap's first frame, so nothing beneath can be worked while the layer shows.
class ProgressIndicator : public IBitmapOverlayControl {
public:
    // Appends itself to the layer, which owns it, and lets the layer's area be repainted when
    // it is hidden.
    ProgressIndicator(ControlLayer* layer, IEffectBase* plug, int x, int y, int w, int h,
                      int paramIdx, const IBitmap* bitmap, IRECT targetArea);

    void OnMouseDown(int, int, IMouseMod*) override {}
    void OnMouseDblClick(int, int, IMouseMod*) override {}
    bool Draw(IGraphics* graphics) override;

    ControlLayer* GetLayer() const { return m_layer; }

private:
    ControlLayer* m_layer;
    IRECT m_overlayRect;
};
