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
    std::lock_guard<std::mutex> lock(m_textMutex);
    if (strcmp(str, m_str.Get()) == 0) return;
    SetDirty(false);
    m_str.Set(str);
}

std::string ITextControl::GetTextForPlug() const {
    std::lock_guard<std::mutex> lock(m_textMutex);
    return m_str.Get();
}

bool ITextControl::Draw(IGraphics* graphics) {
    return drawText(graphics, GetTextForPlug());
}

bool ITextControl::drawText(IGraphics* graphics, const std::string& str) {
    if (!str.empty()) graphics->DrawIText(&m_text, str.c_str(), &m_rect, false);
    return true;
}
