#pragma once

#include "platform/wsys/Event.h"
#include "platform/wsys/Object.h"

namespace platform::wsys {

// An object in a responder chain (views, then their window). Every event method passes the
// event on to the next responder unless overridden; an event that leaves the chain unhandled
// ends in NoResponderFor, which beeps for a key down.
class Responder : public Object {
public:
    // A view's superview, a content view's window; null at the end of the chain.
    virtual Responder* NextResponder() const { return nullptr; }

    virtual bool AcceptsFirstResponder() { return false; }
    // Asked when focus arrives or leaves; false refuses the change.
    virtual bool BecomeFirstResponder() { return true; }
    virtual bool ResignFirstResponder() { return true; }

    virtual void MouseDown(Event& e) { forward(&Responder::MouseDown, e); }
    virtual void MouseUp(Event& e) { forward(&Responder::MouseUp, e); }
    virtual void MouseDragged(Event& e) { forward(&Responder::MouseDragged, e); }
    virtual void RightMouseDown(Event& e) { forward(&Responder::RightMouseDown, e); }
    virtual void RightMouseUp(Event& e) { forward(&Responder::RightMouseUp, e); }
    virtual void RightMouseDragged(Event& e) { forward(&Responder::RightMouseDragged, e); }
    virtual void OtherMouseDown(Event& e) { forward(&Responder::OtherMouseDown, e); }
    virtual void OtherMouseUp(Event& e) { forward(&Responder::OtherMouseUp, e); }
    virtual void OtherMouseDragged(Event& e) { forward(&Responder::OtherMouseDragged, e); }
    virtual void MouseMoved(Event& e) { forward(&Responder::MouseMoved, e); }
    virtual void ScrollWheel(Event& e) { forward(&Responder::ScrollWheel, e); }
    virtual void MagnifyWithEvent(Event& e) { forward(&Responder::MagnifyWithEvent, e); }
    virtual void RotateWithEvent(Event& e) { forward(&Responder::RotateWithEvent, e); }
    virtual void SwipeWithEvent(Event& e) { forward(&Responder::SwipeWithEvent, e); }
    virtual void KeyDown(Event& e) { forward(&Responder::KeyDown, e); }
    virtual void KeyUp(Event& e) { forward(&Responder::KeyUp, e); }
    virtual void FlagsChanged(Event& e) { forward(&Responder::FlagsChanged, e); }

    // The end of the chain.
    virtual void NoResponderFor(Event& e);

    // Calls the event method that matches the event's type.
    void Dispatch(Event& e);

private:
    void forward(void (Responder::*method)(Event&), Event& e) {
        if (Responder* next = NextResponder())
            (next->*method)(e);
        else
            NoResponderFor(e);
    }
};

} // namespace platform::wsys
