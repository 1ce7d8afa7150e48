#pragma once

#include "kit/effect/IBitmap.h"
#include "kit/effect/IKnobControl.h"

// A knob drawn as its base with the mask and the top turned over it by the angle of the value
// between the two angles (degrees); the three bitmaps have one size.
class IKnobRotatingMaskControl : public IKnobControl {
public:
    IKnobRotatingMaskControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* base,
                             const IBitmap* mask, const IBitmap* top, double minAngle,
                             double maxAngle, EDirection direction = kVertical,
                             double gearing = DEFAULT_GEARING)
        : IKnobControl(plug, IRECT(x, y, x + base->W, y + base->H), paramIdx, direction, gearing),
          m_base(*base), m_mask(*mask), m_top(*top), m_minAngle(minAngle), m_maxAngle(maxAngle) {}

    bool Draw(IGraphics* graphics) override;

protected:
    IBitmap m_base, m_mask, m_top;
    double m_minAngle, m_maxAngle;
};
