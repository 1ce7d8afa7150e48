#include "kit/effect/IKnobMultiControl.h"

#include "kit/effect/IGraphics.h"

bool IKnobMultiControl::Draw(IGraphics* graphics) {
    return graphics->DrawBitmap(&m_bitmap, &m_rect, m_bitmap.FrameForValue(m_value), &m_blend);
}
