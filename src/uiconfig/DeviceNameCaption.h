#pragma once

#include "kit/effect/ICaptionControl.h"

#include <string>

// The caption of a MIDI port menu. Port names come from the MIDI system ("client:port", often
// with the interface's full name) and are longer than the box the layout gives them: the name
// is cut to fit, with "..." at its end (as every caption cuts), so it never runs over the
// controls beside it.
class DeviceNameCaption : public ICaptionControl {
public:
    DeviceNameCaption(IEffectBase* plug, IRECT rect, int paramIdx, const IText* text)
        : ICaptionControl(plug, rect, paramIdx, text, true) {}

    // ITextControl::Fitted.
    static std::string fitted(IGraphics* graphics, IText* text, const std::string& str, int width);
};
