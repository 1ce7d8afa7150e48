#pragma once

#include "kit/effect/IBitmap.h"
#include "kit/effect/ITextControl.h"

// Draws str with a bitmap font whose frame c - 31 shows the character code c (frame 1 the
// space, and codes outside 32..127), charWidth × charHeight pixels a character, into r:
// centred when the text's alignment is, else one character in from the left; from r's top,
// or centred vertically. A line holds the characters that fit between one character's margin
// on either side; with wrap the text goes on over further lines. Draws nothing for a character
// width of 0 or less, or when wrapping leaves no room between the margins.
void DrawBitmapedText(IGraphics* graphics, const IBitmap* font, const IRECT* r, const IText* text,
                      const IChannelBlend* blend, const char* str, bool vCenter, bool wrap,
                      int charWidth, int charHeight);

// A text control that shows its text in a bitmap font, centred vertically, on one line.
class IBitmapTextControl : public ITextControl {
public:
    IBitmapTextControl(IEffectBase* plug, IRECT rect, const IBitmap* font, const char* str,
                       const IText* text, int charWidth, int charHeight)
        : ITextControl(plug, rect, text, str), m_charWidth(charWidth), m_charHeight(charHeight),
          m_font(*font) {}

    bool Draw(IGraphics* graphics) override;

protected:
    int m_charWidth;
    int m_charHeight;
    IBitmap m_font;
};
