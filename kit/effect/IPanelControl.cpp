#include "kit/effect/IPanelControl.h"

#include "kit/effect/IGraphics.h"

bool IPanelControl::Draw(IGraphics* graphics) {
    return graphics->FillIRect(&m_color, &m_rect, &m_blend);
}
