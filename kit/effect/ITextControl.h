#pragma once

#include "kit/effect/IControl.h"

#include <mutex>
#include <string>

// A control that shows a text in its style; display controls of other controls are these.
// The MIDI and sender threads write texts that the editor thread draws, so the text is
// guarded by a short lock of its own.
class ITextControl : public IControl {
public:
    ITextControl(IEffectBase* plug, IRECT rect, const IText* text, const char* str);

    // Replaces the text; only a different text makes the control dirty (the plug-in is not
    // told). Null clears it.
    void SetTextFromPlug(const char* str);
    std::string GetTextForPlug() const;

    bool Draw(IGraphics* graphics) override;

    // The longest head of str, cut between characters, that fits width with "..." after it
    // (str itself when it fits, or when width is not above 0). With keepEnd the "..." stands
    // for characters in the middle instead: a third of those kept come from the start, the
    // rest from the end.
    static std::string Fitted(IGraphics* graphics, IText* text, const std::string& str, int width,
                              bool keepEnd = false);
    // From now on a text wider than the rectangle is cut to it (Fitted), never at its start:
    // at its end, or with keepEnd in its middle; otherwise it is drawn whole, beyond the
    // rectangle.
    void CutToBox(bool keepEnd = false) {
        m_cutToBox = true;
        m_keepEnd = keepEnd;
    }

protected:
    // Draws the text given (nothing when it is empty) in the control's style and rectangle.
    virtual bool drawText(IGraphics* graphics, const std::string& str);

    // The lock of this control's text. An editor holds thousands of text controls, each
    // locking only to copy its text and never another's meanwhile: they share a few locks.
    std::mutex& textMutex() const;

    // Most texts are short or empty: they take no allocation of their own.
    std::string m_str;
    bool m_cutToBox = false;
    bool m_keepEnd = false;
};
