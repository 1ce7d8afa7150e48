#include "src/uiconfig/ICustomRadioButtonsControl.h"

#include "kit/effect/IGraphics.h"

#include <algorithm>

ICustomRadioButtonsControl::ICustomRadioButtonsControl(IEffectBase* plug, IRECT rect, int paramIdx,
                                                       int buttonCount, const IBitmap* bitmap,
                                                       EDirection direction)
    : IRadioButtonsControl(plug, rect, paramIdx, buttonCount, bitmap, direction, false) {
    const int n = std::max(buttonCount, 0);
    m_buttons.clear();
    if (n == 0) return;
    const bool stacked = !m_bitmap.mFramesAreHorizontal;
    m_buttonW = stacked ? m_bitmap.W / n : m_bitmap.W / 2;
    m_buttonH = stacked ? m_bitmap.H / 2 : m_bitmap.H / n;
    const int frameH = m_bitmap.N > 0 ? m_bitmap.H / m_bitmap.N : m_bitmap.H;
    for (int i = 0; i < n; ++i) {
        if (direction == kHorizontal)
            m_buttons.emplace_back(rect.L + i * m_buttonW, rect.T, rect.L + (i + 1) * m_buttonW,
                                   rect.T + frameH);
        else
            m_buttons.emplace_back(rect.L, rect.T + i * m_buttonH, rect.L + m_buttonW,
                                   rect.T + (i + 1) * m_buttonH);
    }
}

void ICustomRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
    if (!mod || !mod->R) OnMouseDownCustom(x, y, mod);
    SetDirty(true);
}

void ICustomRadioButtonsControl::OnMouseDownCustom(int x, int y, IMouseMod* mod) {
    if (mod && mod->R) return;
    const int n = int(m_buttons.size());
    for (int i = 0; i < n; ++i) {
        if (!m_buttons[size_t(i)].Contains(x, y)) continue;
        m_value = n > 1 ? double(i) / (n - 1) : 0.0;
        break;
    }
    SetDirty(true);
}

bool ICustomRadioButtonsControl::Draw(IGraphics* graphics) {
    const int n = int(m_buttons.size());
    m_blend.mWeight = 1.0f;
    if (n == 0) return true;
    const int selected = std::clamp(TruncToInt((n - 1) * m_value + 0.5), 0, n - 1);
    const bool stacked = !m_bitmap.mFramesAreHorizontal;
    for (int i = 0; i < n; ++i)
        graphics->DrawBitmap(&m_bitmap, &m_buttons[size_t(i)], i == selected ? 2 : 1,
                             stacked ? i * m_buttonW : 0, stacked ? 0 : i * m_buttonH, &m_blend);
    return true;
}
