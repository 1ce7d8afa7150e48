#pragma once

#include "kit/effect/IBitmapOverlayControl.h"

// A bitmap overlay with one more rectangle, empty until a subclass sets it.
class CustomOverlayControl : public IBitmapOverlayControl {
public:
    using IBitmapOverlayControl::IBitmapOverlayControl;

protected:
    IRECT m_customRect;
};
