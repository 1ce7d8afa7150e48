#include "kit/effect/ProgressIndicator.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphics.h"

ProgressIndicator::ProgressIndicator(ControlLayer* layer, IEffectBase* plug, int x, int y, int w,
                                     int h, int paramIdx, const IBitmap* bitmap, IRECT targetArea)
    : IBitmapOverlayControl(plug, x, y, paramIdx, bitmap, targetArea), m_layer(layer),
      m_overlayRect(x, y, x + w, y + h) {
    m_layer->addControl(this);
    m_layer->setIgnoreHiddenWhenUpdatingScreen(true);
}

bool ProgressIndicator::Draw(IGraphics* graphics) {
    return graphics->DrawBitmap(&m_bitmap, &m_overlayRect, 0, &m_blend);
}
