#include "kit/effect/IInvisibleSwitchControl.h"

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*) {
    if (m_grayed) return;
    m_value = m_value < 0.5 ? 1.0 : 0.0;
    SetDirty(true);
}
