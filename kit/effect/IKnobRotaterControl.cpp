#include "kit/effect/IKnobRotaterControl.h"

#include "kit/effect/IGraphics.h"

bool IKnobRotaterControl::Draw(IGraphics* graphics) {
    const double angle = valueAngle(m_minAngle, m_maxAngle);
    return graphics->DrawRotatedBitmap(&m_bitmap, (m_rect.L + m_rect.R) / 2,
                                       (m_rect.T + m_rect.B) / 2, angle, m_yOffset, &m_blend);
}
