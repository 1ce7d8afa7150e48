#pragma once

#include "kit/effect/IKnobControl.h"

// A knob drawn as an antialiased line from the inner to the outer radius about the
// rectangle's middle, at the angle of the value between the two angles (radians from straight
// up, clockwise).
class IKnobLineControl : public IKnobControl {
public:
    // An outer radius of 0 reaches the rectangle's side.
    IKnobLineControl(IEffectBase* plug, IRECT rect, int paramIdx, const IColor* color,
                     double innerRadius, double outerRadius, double minAngle, double maxAngle,
                     EDirection direction = kVertical, double gearing = DEFAULT_GEARING);

    bool Draw(IGraphics* graphics) override;

protected:
    IColor m_color;
    float m_minAngle, m_maxAngle, m_innerRadius, m_outerRadius;
};
