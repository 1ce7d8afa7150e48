#include "kit/effect/ISwitchControl.h"

void ISwitchControl::OnMouseDown(int, int, IMouseMod*) {
    if (m_grayed) return;
    m_value += m_bitmap.N >= 2 ? 1.0 / (m_bitmap.N - 1) : 1.0;
    // The margin keeps the last frame's value, a sum of rounded steps, from wrapping early.
    if (m_value > 1.001) m_value = 0.0;
    SetDirty(true);
}
