#include "kit/effect/IFileSelectorControl.h"

#include "kit/effect/IEffectBase.h"

IFileSelectorControl::IFileSelectorControl(IEffectBase* plug, IRECT rect, int paramIdx,
                                           const IBitmap* bitmap, EFileAction action,
                                           const char* dir, const char* extensions, bool drawBitmap)
    : IControl(plug, rect, paramIdx), m_drawBitmap(drawBitmap), m_bitmap(*bitmap),
      m_dir(dir ? dir : ""), m_extensions(extensions ? extensions : ""), m_action(action) {}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*) {
    IGraphics* graphics = m_plug ? m_plug->GetGUI() : nullptr;
    if (m_grayed || !graphics) return;
    m_state = kFSSelecting;
    SetDirty(false);
    graphics->PromptForFile(&m_file, m_action, &m_dir, m_extensions.data());
    m_value += 1.0;
    if (m_value > 1.0) m_value = 0.0;
    m_state = kFSDone;
    SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics) {
    if (m_drawBitmap) graphics->DrawBitmap(&m_bitmap, &m_rect, 0, 0, &m_blend);
    return true;
}

bool IFileSelectorControl::IsDirty() {
    if (m_dirty) return true;
    if (m_state != kFSDone) return false;
    m_state = kFSNone;
    return true;
}
