#include "kit/effect/ITextControl.h"

#include "kit/effect/IGraphics.h"

#include <cstring>

ITextControl::ITextControl(IEffectBase* plug, IRECT rect, const IText* text, const char* str)
    : IControl(plug, rect) {
    if (text) m_text = *text;
    if (str && *str) m_str.Set(str);
}

void ITextControl::SetTextFromPlug(const char* str) {
    if (!str) str = "";
    if (strcmp(str, m_str.Get()) == 0) return;
    SetDirty(false);
    m_str.Set(str);
}

bool ITextControl::Draw(IGraphics* graphics) {
    if (m_str.GetLength() > 0) graphics->DrawIText(&m_text, m_str.Get(), &m_rect, false);
    return true;
}
