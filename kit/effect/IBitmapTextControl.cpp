#include "kit/effect/IBitmapTextControl.h"

#include "kit/effect/IGraphics.h"

#include <cstring>

void DrawBitmapedText(IGraphics* graphics, const IBitmap* font, const IRECT* r, const IText* text,
                      const IChannelBlend* blend, const char* str, bool vCenter, bool wrap,
                      int charWidth, int charHeight) {
    if (!str || !*str || charWidth <= 0) return;
    const int len = int(strlen(str));
    const int y0 = vCenter ? r->T + (r->B - (r->T + charHeight)) / 2 : r->T;
    const int x0 = text->mAlign == IText::kAlignCenter
                       ? r->L + (r->R - (r->L + len * charWidth)) / 2
                       : r->L + charWidth;
    const int usable = r->W() - 2 * charWidth;
    const int total = len * charWidth;
    if (wrap && usable <= 0) return;
    // Without wrap a text longer than a line still goes on over one more line.
    int perLine = usable / charWidth, lastLine = 1;
    if (wrap && total > usable) {
        lastLine = total / usable;
    } else if (wrap) {
        perLine = len;
    }
    if (perLine <= 0) return;
    const char* p = str;
    for (int line = 0; line <= lastLine; ++line) {
        const int y = y0 + line * charHeight;
        for (int i = 0; i < perLine; ++i) {
            const signed char c = static_cast<signed char>(*p++);
            if (c == 0) return;
            const IRECT box(x0 + i * charWidth, y, x0 + (i + 1) * charWidth, y + charHeight);
            graphics->DrawBitmap(font, &box, c - 31, blend);
        }
    }
}

bool IBitmapTextControl::Draw(IGraphics* graphics) {
    const std::string str = GetTextForPlug();
    if (!str.empty())
        DrawBitmapedText(graphics, &m_font, &m_rect, style(), &m_blend, str.c_str(), true, false,
                         m_charWidth, m_charHeight);
    return true;
}
