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

namespace {

int textWidth(IGraphics* graphics, IText* text, const std::string& str) {
    IRECT r(0, 0, 0, 0);
    graphics->DrawIText(text, str.c_str(), &r, true);
    return r.W();
}

} // namespace

std::string ITextControl::Fitted(IGraphics* graphics, IText* text, const std::string& str,
                                 int width) {
    if (width <= 0 || textWidth(graphics, text, str) <= width) return str;
    size_t length = str.size();
    while (length > 0) {
        // Back to the start of the character before: never inside a UTF-8 sequence.
        do --length;
        while (length > 0 && (static_cast<unsigned char>(str[length]) & 0xC0) == 0x80);
        const std::string shown = str.substr(0, length) + "...";
        if (textWidth(graphics, text, shown) <= width) return shown;
    }
    return "...";
}

bool ITextControl::drawText(IGraphics* graphics, const std::string& str) {
    if (str.empty()) return true;
    const std::string shown = m_cutToBox ? Fitted(graphics, &m_text, str, m_rect.W()) : str;
    graphics->DrawIText(&m_text, shown.c_str(), &m_rect, false);
    return true;
}
