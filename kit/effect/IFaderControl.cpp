#include "kit/effect/IFaderControl.h"

#include "kit/effect/IGraphics.h"

namespace {

IRECT trackRect(int x, int y, int len, const IBitmap& handle, EDirection direction) {
    return direction == kHorizontal ? IRECT(x, y, x + len, y + handle.H)
                                    : IRECT(x, y, x + handle.W, y + len);
}

} // namespace

IFaderControl::IFaderControl(IEffectBase* plug, int x, int y, int len, int paramIdx,
                             const IBitmap* bitmap, EDirection direction, bool onlyHandle)
    : IControl(plug, trackRect(x, y, len, *bitmap, direction), paramIdx), m_len(len),
      m_handleLen(direction == kHorizontal ? bitmap->W : bitmap->H), m_bitmap(*bitmap),
      m_direction(direction), m_onlyHandle(onlyHandle) {}

IRECT IFaderControl::GetHandleRECT(double value) const {
    if (value < 0.0) value = m_value;
    IRECT r(m_rect.L, m_rect.T, m_rect.L + m_bitmap.W, m_rect.T + m_bitmap.H);
    const int travel = m_len - m_handleLen;
    if (m_direction == kHorizontal) {
        const int shift = TruncToInt(value * travel);
        r.L += shift;
        r.R += shift;
    } else {
        const int shift = TruncToInt((1.0 - value) * travel);
        r.T += shift;
        r.B += shift;
    }
    return r;
}

void IFaderControl::snapToMouse(int x, int y) {
    const double travel = m_len - m_handleLen;
    if (m_direction == kHorizontal)
        m_value = (x - m_handleLen / 2 - m_rect.L) / travel;
    else
        m_value = 1.0 - (y - m_handleLen / 2 - m_rect.T) / travel;
    SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod) {
    if (m_grayed) return;
    if (mod && mod->R)
        PromptUserInput();
    else
        snapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) {
    if (!m_grayed) snapToMouse(x, y);
}

bool IFaderControl::Draw(IGraphics* graphics) {
    const IRECT handle = GetHandleRECT();
    return graphics->DrawBitmap(&m_bitmap, &handle, 1, &m_blend);
}

bool IFaderControl::IsHit(int x, int y) {
    return m_onlyHandle ? GetHandleRECT().Contains(x, y) : m_targetRect.Contains(x, y);
}
