#include "kit/effect/IContactControl.h"

void IContactControl::OnMouseUp(int, int, IMouseMod*) {
    m_value = 0.0;
    SetDirty(true);
}
