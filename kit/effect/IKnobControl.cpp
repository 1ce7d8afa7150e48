#include "kit/effect/IKnobControl.h"

#include "kit/effect/IEffectBase.h"

#include <algorithm>
#include <cmath>

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod) {
    if (m_grayed) return;
    const double gearing = mod && (mod->S || mod->C) ? m_gearing * 10.0 : m_gearing;
    if (m_direction == kHorizontal)
        m_value += double(dX) / m_rect.W() / gearing;
    else
        m_value += double(dY) / (m_rect.T - m_rect.B) / gearing;
    const IParam* param = m_plug && m_paramIdx >= 0 ? m_plug->GetParam(m_paramIdx) : nullptr;
    const double step = param ? param->GetStep() : 0.0;
    if (!param || param->Type() != kTypeDouble || step < 1.0 || std::floor(step) != step) {
        SetDirty(true);
        return;
    }
    // A parameter of whole steps takes the step nearest the knob, the one its picture shows,
    // and only a new step goes on to the plug-in; the drag goes on from the mouse.
    const double at = std::clamp(double(m_value), m_clampLo, m_clampHi);
    const double nearest = step * std::floor(param->FromNormalized(at) / step + 0.5);
    if (nearest == param->Value()) {
        SetDirty(false);
        return;
    }
    m_value = param->GetNormalized(nearest);
    SetDirty(true);
    m_value = at;
}
