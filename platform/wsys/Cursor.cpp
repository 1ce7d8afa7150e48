#include "platform/wsys/Cursor.h"

#include "platform/wsys/Application.h"

namespace platform::wsys {

namespace {
Cursor* platformCursor(Cursor::Kind kind) {
    static Cursor* cursors[Cursor::kOpenHand + 1] = {};
    if (!cursors[kind]) cursors[kind] = new Cursor(kind);
    return cursors[kind];
}
} // namespace

Cursor* Cursor::Arrow() {
    return platformCursor(kArrow);
}
Cursor* Cursor::IBeam() {
    return platformCursor(kIBeam);
}
Cursor* Cursor::ResizeUp() {
    return platformCursor(kResizeUp);
}
Cursor* Cursor::ResizeUpDown() {
    return platformCursor(kResizeUpDown);
}
Cursor* Cursor::ResizeLeftRight() {
    return platformCursor(kResizeLeftRight);
}
Cursor* Cursor::OpenHand() {
    return platformCursor(kOpenHand);
}

Cursor::Cursor(const Image& picture, Point hotSpot)
    : m_kind(kCustom), m_picture(picture), m_hotSpot(hotSpot) {}

Cursor::Cursor(Kind platformKind) : m_kind(platformKind), m_picture(0, 0) {}

void Cursor::Set() {
    App().SetCursor(this);
}

} // namespace platform::wsys
