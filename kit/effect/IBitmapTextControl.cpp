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

IBitmapTextControl::IBitmapTextControl(IEffectBase* plug, IRECT rect, const IBitmap* font,
                                       const char* str, const IText* text, int charWidth,
                                       int charHeight)
    : IControl(plug, rect), m_str(str ? str : ""), m_charWidth(charWidth), m_charHeight(charHeight),
      m_font(*font) {
    if (text) m_text = *text;
}

void IBitmapTextControl::SetTextFromPlug(const char* str) {
    if (!str) str = "";
    if (strcmp(str, m_str.Get()) == 0) return;
    SetDirty(false);
    m_str.Set(str);
}

bool IBitmapTextControl::Draw(IGraphics* graphics) {
    if (m_str.GetLength() > 0)
        DrawBitmapedText(graphics, &m_font, &m_rect, &m_text, &m_blend, m_str.Get(), true, false,
                         m_charWidth, m_charHeight);
    return true;
}
