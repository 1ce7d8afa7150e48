#pragma once

#include "kit/effect/IBitmap.h"
#include "kit/effect/IKnobControl.h"

// A knob drawn as its bitmap turned about the rectangle's middle by the angle of the value
// between the two angles (radians); yOffsetZeroDeg moves the turning point down the bitmap.
class IKnobRotaterControl : public IKnobControl {
public:
    IKnobRotaterControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                        double minAngle, double maxAngle, int yOffsetZeroDeg = 0,
                        EDirection direction = kVertical, double gearing = DEFAULT_GEARING)
        : IKnobControl(plug, IRECT(x, y, x + bitmap->W, y + bitmap->H), paramIdx, direction,
                       gearing),
          m_bitmap(*bitmap), m_minAngle(minAngle), m_maxAngle(maxAngle), m_yOffset(yOffsetZeroDeg) {
    }

    bool Draw(IGraphics* graphics) override;

protected:
    IBitmap m_bitmap;
    double m_minAngle, m_maxAngle;
    int m_yOffset;
};
