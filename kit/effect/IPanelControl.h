#pragma once

#include "kit/effect/IControl.h"

// A control that fills its rectangle with one colour.
class IPanelControl : public IControl {
public:
    IPanelControl(IEffectBase* plug, IRECT rect, const IColor* color)
        : IControl(plug, rect), m_color(*color) {}

    bool Draw(IGraphics* graphics) override;

protected:
    IColor m_color;
};
