#pragma once

#include "kit/effect/ITextControl.h"

// A text control showing its parameter's display text, with one blank and the parameter's
// label after it when asked to. Any click or double click asks for the value (once the
// creator enables prompting).
class ICaptionControl : public ITextControl {
public:
    ICaptionControl(IEffectBase* plug, IRECT rect, int paramIdx, const IText* text,
                    bool showParamLabel);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;

protected:
    bool m_showParamLabel;
};
