#pragma once

#include "platform/Image.h"
#include "platform/wsys/Geometry.h"
#include "platform/wsys/Object.h"

namespace platform::wsys {

// A mouse cursor: one of the platform's own, or a picture with a hot spot. The platform's
// cursors are made once and live as long as the process.
class Cursor : public Object {
public:
    enum Kind { kCustom, kArrow, kIBeam, kResizeUp, kResizeUpDown, kResizeLeftRight, kOpenHand };

    static Cursor* Arrow();
    static Cursor* IBeam();
    static Cursor* ResizeUp();
    static Cursor* ResizeUpDown();
    static Cursor* ResizeLeftRight();
    static Cursor* OpenHand();

    // hotSpot: pixels from the picture's top-left corner.
    Cursor(const Image& picture, Point hotSpot);
    explicit Cursor(Kind platformKind);

    Kind GetKind() const { return m_kind; }
    // Empty for the platform's cursors.
    const Image& Picture() const { return m_picture; }
    Point HotSpot() const { return m_hotSpot; }
    // Makes this the application's current cursor (Application::CurrentCursor).
    void Set();

private:
    Kind m_kind;
    Image m_picture;
    Point m_hotSpot;
};

} // namespace platform::wsys
