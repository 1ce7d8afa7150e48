#include "src/uiconfig/DeviceNameCaption.h"

#include "kit/effect/IGraphics.h"

namespace {

int textWidth(IGraphics* graphics, IText* text, const std::string& str) {
    IRECT r(0, 0, 0, 0);
    graphics->DrawIText(text, str.c_str(), &r, true);
    return r.W();
}

} // namespace

std::string DeviceNameCaption::fitted(IGraphics* graphics, IText* text, const std::string& str,
                                      int width) {
    if (textWidth(graphics, text, str) <= width) return str;
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

bool DeviceNameCaption::drawText(IGraphics* graphics, const std::string& str) {
    return ICaptionControl::drawText(graphics, fitted(graphics, &m_text, str, m_rect.W()));
}
