#include "platform/wsys/Responder.h"

#include "platform/wsys/Application.h"

namespace platform::wsys {

void Responder::NoResponderFor(Event& e) {
    if (e.type == kKeyDown) App().Beep();
}

void Responder::Dispatch(Event& e) {
    struct Entry {
        int type;
        void (Responder::*method)(Event&);
    };
    static const Entry kMethods[] = {
        {kLeftMouseDown, &Responder::MouseDown},
        {kLeftMouseUp, &Responder::MouseUp},
        {kLeftMouseDragged, &Responder::MouseDragged},
        {kRightMouseDown, &Responder::RightMouseDown},
        {kRightMouseUp, &Responder::RightMouseUp},
        {kRightMouseDragged, &Responder::RightMouseDragged},
        {kOtherMouseDown, &Responder::OtherMouseDown},
        {kOtherMouseUp, &Responder::OtherMouseUp},
        {kOtherMouseDragged, &Responder::OtherMouseDragged},
        {kMouseMoved, &Responder::MouseMoved},
        {kScrollWheel, &Responder::ScrollWheel},
        {kMagnify, &Responder::MagnifyWithEvent},
        {kRotate, &Responder::RotateWithEvent},
        {kSwipe, &Responder::SwipeWithEvent},
        {kKeyDown, &Responder::KeyDown},
        {kKeyUp, &Responder::KeyUp},
        {kFlagsChanged, &Responder::FlagsChanged},
    };
    for (const Entry& m : kMethods) {
        if (m.type == e.type) {
            (this->*m.method)(e);
            return;
        }
    }
}

} // namespace platform::wsys
