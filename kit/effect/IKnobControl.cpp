#include "kit/effect/IKnobControl.h"

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod) {
    if (m_grayed) return;
    const double gearing = mod && (mod->S || mod->C) ? m_gearing * 10.0 : m_gearing;
    if (m_direction == kHorizontal)
        m_value += double(dX) / m_rect.W() / gearing;
    else
        m_value += double(dY) / (m_rect.T - m_rect.B) / gearing;
    SetDirty(true);
}
