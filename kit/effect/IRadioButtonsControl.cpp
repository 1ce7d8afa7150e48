#include "kit/effect/IRadioButtonsControl.h"

#include "kit/effect/IGraphics.h"

#include <algorithm>

IRadioButtonsControl::IRadioButtonsControl(IEffectBase* plug, IRECT rect, int paramIdx,
                                           int nButtons, const IBitmap* bitmap,
                                           EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx), m_bitmap(*bitmap) {
    const int n = std::max(nButtons, 0);
    const int w = m_bitmap.FrameW(), h = m_bitmap.FrameH();
    const bool horizontal = direction == kHorizontal;
    const int free = horizontal ? rect.W() - w * n : rect.H() - h * n;
    const int gap = n > 1 ? TruncToInt(double(free) / (n - 1)) : 0;
    int x = rect.L, y = rect.T;
    for (int k = 0; k < n; ++k) {
        m_buttons.emplace_back(x, y, x + w, y + h);
        (horizontal ? x : y) += (horizontal ? w : h) + gap;
    }
    if (reverse) std::reverse(m_buttons.begin(), m_buttons.end());
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod) {
    if (m_grayed) return;
    if (mod && mod->R) {
        PromptUserInput();
    } else {
        const int n = int(m_buttons.size());
        for (int k = 0; k < n; ++k) {
            if (!m_buttons[k].Contains(x, y)) continue;
            m_value = n > 1 ? double(k) / (n - 1) : 0.0;
            break;
        }
    }
    SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics) {
    const int n = int(m_buttons.size());
    if (n == 0) return true;
    const int active = std::clamp(TruncToInt((n - 1) * m_value + 0.5), 0, n - 1);
    for (int k = 0; k < n; ++k)
        graphics->DrawBitmap(&m_bitmap, &m_buttons[k], k == active ? 2 : 1, &m_blend);
    return true;
}
