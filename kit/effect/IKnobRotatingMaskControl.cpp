#include "kit/effect/IKnobRotatingMaskControl.h"

#include "kit/effect/IGraphics.h"

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics) {
    const double angle = valueAngle(m_minAngle, m_maxAngle);
    return graphics->DrawRotatedMask(&m_base, &m_mask, &m_top, m_rect.L, m_rect.T, angle, &m_blend);
}
