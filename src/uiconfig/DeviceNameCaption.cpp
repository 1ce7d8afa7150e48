#include "src/uiconfig/DeviceNameCaption.h"

#include "kit/effect/IGraphics.h"

std::string DeviceNameCaption::fitted(IGraphics* graphics, IText* text, const std::string& str,
                                      int width) {
    return ITextControl::Fitted(graphics, text, str, width);
}
