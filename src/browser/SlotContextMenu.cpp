#include "src/browser/SlotContextMenu.h"

#include "kit/effect/IEffectBase.h"
#include "kit/effect/IGraphics.h"

void SlotContextMenu::OnMouseDown(int x, int y, IMouseMod*) {
    doPopupMenu(m_browser, x, y);
    m_redraw = true;
    SetDirty(true);
}

bool SlotContextMenu::Draw(IGraphics* graphics) {
    return graphics->FillIRect(&COLOR_TRANSPARENT, &m_rect, nullptr);
}

IPopupMenu* SlotContextMenu::popup() {
    IGraphics* graphics = m_plug ? m_plug->GetGUI() : nullptr;
    return graphics ? graphics->CreateIPopupMenu(&m_main, &m_rect) : nullptr;
}
