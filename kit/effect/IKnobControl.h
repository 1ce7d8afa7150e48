#pragma once

#include "kit/effect/IControl.h"

// Gearing of the editor's knobs: a drag over four times the knob's size covers the range.
constexpr double DEFAULT_GEARING = 4.0;

// A control whose value follows mouse drags: upwards or rightwards raises it, by the drag
// over the rectangle's size divided by the gearing (ten times finer with shift or control).
class IKnobControl : public IControl {
public:
    IKnobControl(IEffectBase* plug, IRECT rect, int paramIdx, EDirection direction = kVertical,
                 double gearing = DEFAULT_GEARING)
        : IControl(plug, rect, paramIdx), m_direction(direction), m_gearing(gearing) {}

    void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;

protected:
    // The angle that the value stands for between the two.
    double valueAngle(double minAngle, double maxAngle) const {
        return minAngle + m_value * (maxAngle - minAngle);
    }

    EDirection m_direction;
    double m_gearing;
};
