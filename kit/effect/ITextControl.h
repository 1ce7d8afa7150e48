#pragma once

#include "kit/base/KIT_String.h"
#include "kit/effect/IControl.h"

// A control that shows a text in its style; display controls of other controls are these.
class ITextControl : public IControl {
public:
    ITextControl(IEffectBase* plug, IRECT rect, const IText* text, const char* str);

    // Replaces the text; only a different text makes the control dirty (the plug-in is not
    // told). Null clears it.
    void SetTextFromPlug(const char* str);
    const char* GetTextForPlug() const { return m_str.Get(); }

    bool Draw(IGraphics* graphics) override;

protected:
    KIT_String m_str;
};
