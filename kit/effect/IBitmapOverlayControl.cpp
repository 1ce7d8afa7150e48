#include "kit/effect/IBitmapOverlayControl.h"

bool IBitmapOverlayControl::Draw(IGraphics* graphics) {
    if (m_value < 0.5) {
        m_targetRect = m_targetArea;
        return true;
    }
    m_targetRect = m_rect;
    return IBitmapControl::Draw(graphics);
}
