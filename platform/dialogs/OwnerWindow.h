#pragma once

#include "platform/dialogs/Dialogs.h"
#include "platform/view/View.h"

struct _XDisplay;

namespace platform::dialogs {

// Where a dialog of the owner stands on the screen.
struct OwnerPlace {
    // The host's top-level window that holds the owner's window: the nearest that a window
    // manager manages, else the one under the screen's root; 0 when none is found.
    unsigned long topLevel = 0;
    // The owner's area on the screen; empty when none is found.
    ViewRect area;
};

// Looks on the display connection given (of the calling thread), or on one of its own.
OwnerPlace FindOwnerPlace(const Owner& owner, _XDisplay* display = nullptr);

} // namespace platform::dialogs
