#pragma once

#include "tests/browser/BrowserRig.h"

#include "tests/support/Watchdog.h"

// Last: Xlib's macros would clash with the names above.
#include "platform/view/X11View.h"
#include "tests/support/XHostWindow.h"

// The plug-in of newDisplayPlugin for a host's window at the top left of the virtual display;
// a test skips while `window` is not Ok. The host closes the plug-in at the end.
struct DisplayRig {
    explicit DisplayRig(const char* what) : watchdog(120, what), window(1500, 757) {
        if (window.Ok()) XMoveWindow(window.display(), window.window(), 0, 0);
    }
    ~DisplayRig() { effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }

    // Opens the editor in the host's window: the editor's own window, or 0 when none opened.
    Window open() {
        if (effect->dispatcher(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(window.window()),
                               0.0f) != 1)
            return 0;
        return static_cast<platform::X11View*>(plug->GetGUI()->GetWindow())->WindowId();
    }
    bool close() { return effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f) == 1; }

    testsupport::Watchdog watchdog;
    testsupport::XHostWindow window;
    testsupport::TempFolder folder;
    DisplayPlugin* plug = newDisplayPlugin(folder.path());
    AEffect* effect = plug->GetAEffect();
};
