#include "kit/effect/IBitmapControl.h"

#include "kit/effect/IGraphics.h"

namespace {

IRECT frameRect(int x, int y, const IBitmap& bitmap) {
    return IRECT(x, y, x + bitmap.FrameW(), y + bitmap.FrameH());
}

} // namespace

IBitmapControl::IBitmapControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                               int blendMethod)
    : IControl(plug, frameRect(x, y, *bitmap), paramIdx, IChannelBlend(blendMethod)),
      m_bitmap(*bitmap) {}

bool IBitmapControl::Draw(IGraphics* graphics) {
    return graphics->DrawBitmap(&m_bitmap, &m_rect, m_bitmap.FrameForValue(m_value), &m_blend);
}
