#include "platform/dialogs/OwnerWindow.h"

#include "platform/view/X11Connection.h"

#include <X11/Xatom.h>

namespace platform::dialogs {

namespace {

bool managed(Display* d, Window w, Atom wmState) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool has = XGetWindowProperty(d, w, wmState, 0, 0, False, AnyPropertyType, &type, &format,
                                        &count, &after, &data) == Success &&
                     type != None;
    if (data) XFree(data);
    return has;
}

OwnerPlace find(Display* d, const Owner& owner) {
    x11::TakeErrors(d);
    OwnerPlace place;
    // No window manager ever ran: no window is managed.
    const Atom wmState = XInternAtom(d, "WM_STATE", True);
    for (Window w = owner.window, root = 0, parent = 0; w; w = parent) {
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(d, w, &root, &parent, &children, &count)) return {};
        if (children) XFree(children);
        if (parent == root || (wmState != None && managed(d, w, wmState))) {
            place.topLevel = w;
            break;
        }
    }
    int x = 0, y = 0;
    Window child = 0;
    if (!place.topLevel ||
        !XTranslateCoordinates(d, owner.window, DefaultRootWindow(d), 0, 0, &x, &y, &child))
        return {};
    place.area = {x, y, x + owner.width, y + owner.height};
    // A host's window gone meanwhile answers with errors: nothing found.
    XSync(d, False);
    return x11::TakeErrors(d) ? OwnerPlace() : place;
}

} // namespace

OwnerPlace FindOwnerPlace(const Owner& owner, _XDisplay* display) {
    if (!owner.window) return {};
    if (display) return find(display, owner);
    Display* own = x11::OpenDisplay();
    if (!own) return {};
    const OwnerPlace place = find(own, owner);
    x11::CloseDisplay(own);
    return place;
}

} // namespace platform::dialogs
