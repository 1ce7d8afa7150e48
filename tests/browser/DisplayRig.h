#pragma once

#include "tests/browser/BrowserRig.h"

#include "kit/effect/IGraphicsLinux.h"
#include "tests/support/TestVSTEffect.h"
#include "tests/support/Watchdog.h"

// Last: Xlib's macros would clash with the names above.
#include "platform/view/X11View.h"
#include "tests/support/XHostWindow.h"

// The browser plug-in on the Linux editor, for a host's window at the top left of the
// virtual display; a test without a display skips while `window` is not Ok. The plug-in is
// closed at the end.
struct DisplayRig {
    using Plug = testsupport::BrowserPluginOn<testsupport::TestVSTEffect, IGraphicsLinux>;

    explicit DisplayRig(const char* what) : watchdog(120, what), window(1500, 757) {
        if (window.Ok()) XMoveWindow(window.display(), window.window(), 0, 0);
    }
    ~DisplayRig() { effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }

    // Opens the editor in the host's window: its own window, or 0 when it did not open.
    Window open() {
        if (effect->dispatcher(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(window.window()),
                               0.0f) != 1)
            return 0;
        return static_cast<platform::X11View*>(plug->GetGUI()->GetWindow())->WindowId();
    }
    bool close() { return effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f) == 1; }

    static testsupport::TestVSTEffect::Options everyParameter() {
        testsupport::TestVSTEffect::Options options;
        options.nParams = kNumParams;
        return options;
    }

    testsupport::Watchdog watchdog;
    testsupport::XHostWindow window;
    testsupport::TempFolder folder;
    Plug* plug = new Plug(
        [](AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return 0; },
        everyParameter()); // owned by the host's close
    AEffect* effect = plug->GetAEffect();
    PatchLibrarian& lib = plug->librarian;
};
