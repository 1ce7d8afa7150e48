#include "kit/effect/IKnobLineControl.h"

#include "kit/effect/IGraphics.h"

#include <cmath>

IKnobLineControl::IKnobLineControl(IEffectBase* plug, IRECT rect, int paramIdx, const IColor* color,
                                   double innerRadius, double outerRadius, double minAngle,
                                   double maxAngle, EDirection direction, double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing), m_color(*color),
      m_minAngle(float(minAngle)), m_maxAngle(float(maxAngle)), m_innerRadius(float(innerRadius)),
      m_outerRadius(outerRadius == 0.0 ? 0.5f * rect.W() : float(outerRadius)) {
    m_blend = IChannelBlend(IChannelBlend::kBlendCopy);
}

bool IKnobLineControl::Draw(IGraphics* graphics) {
    const double angle = valueAngle(m_minAngle, m_maxAngle);
    const float s = float(std::sin(angle)), c = float(std::cos(angle));
    const float cx = (m_rect.L + m_rect.R) * 0.5f, cy = (m_rect.T + m_rect.B) * 0.5f;
    return graphics->DrawLine(&m_color, cx + m_innerRadius * s, cy - m_innerRadius * c,
                              cx + m_outerRadius * s, cy - m_outerRadius * c, &m_blend, true);
}
