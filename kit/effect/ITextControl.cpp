#include "kit/effect/ITextControl.h"

#include "kit/effect/IGraphics.h"

#include <cstddef>
#include <cstdint>
#include <vector>

ITextControl::ITextControl(IEffectBase* plug, IRECT rect, const IText* text, const char* str)
    : IControl(plug, rect) {
    if (text) SetText(*text);
    if (str) m_str = str;
}

std::mutex& ITextControl::textMutex() const {
    static std::mutex locks[16];
    return locks[reinterpret_cast<uintptr_t>(this) / alignof(std::max_align_t) % 16];
}

void ITextControl::SetTextFromPlug(const char* str) {
    if (!str) str = "";
    std::lock_guard<std::mutex> lock(textMutex());
    if (m_str == str) return;
    SetDirty(false);
    m_str = str;
}

std::string ITextControl::GetTextForPlug() const {
    std::lock_guard<std::mutex> lock(textMutex());
    return m_str;
}

bool ITextControl::Draw(IGraphics* graphics) {
    return drawText(graphics, GetTextForPlug());
}

namespace {

int textWidth(IGraphics* graphics, IText* text, const std::string& str) {
    IRECT r(0, 0, 0, 0);
    graphics->MeasureIText(text, str.c_str(), &r);
    return r.W();
}

} // namespace

std::string ITextControl::Fitted(IGraphics* graphics, IText* text, const std::string& str,
                                 int width, bool keepEnd) {
    if (width <= 0 || textWidth(graphics, text, str) <= width) return str;
    // Where each character starts: never cut inside a UTF-8 sequence.
    std::vector<size_t> starts;
    for (size_t at = 0; at < str.size(); ++at)
        if ((static_cast<unsigned char>(str[at]) & 0xC0) != 0x80) starts.push_back(at);
    for (size_t kept = starts.empty() ? 0 : starts.size() - 1; kept > 0; --kept) {
        const size_t head = keepEnd ? kept / 3 : kept;
        const size_t tail = kept - head;
        const std::string shown = str.substr(0, starts[head]) + "..." +
                                  (tail ? str.substr(starts[starts.size() - tail]) : "");
        if (textWidth(graphics, text, shown) <= width) return shown;
    }
    return "...";
}

bool ITextControl::drawText(IGraphics* graphics, const std::string& str) {
    if (str.empty()) return true;
    const std::string shown =
        m_cutToBox ? Fitted(graphics, style(), str, m_rect.W(), m_keepEnd) : str;
    graphics->DrawIText(style(), shown.c_str(), &m_rect, false);
    return true;
}
