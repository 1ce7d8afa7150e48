#pragma once

#include "kit/effect/IBitmap.h"
#include "kit/effect/IEffectStructs.h"

#include <string>

class IControl;
class IEffectBase;
class PatchLibrarian;

// What the configuration reader needs of the plug-in core: its debug log, which is written
// only when the log file existed at start-up, and the framework base, whose parameters the
// control factories set up and whose MIDI port names the port menus list, and the
// librarian's slot grids, which belong to the plug-in's browser.
class UIConfigPlugin {
public:
    virtual ~UIConfigPlugin() = default;
    virtual bool isDebugLogOn() const = 0;
    virtual std::string debugLogPath() const = 0;
    virtual IEffectBase* effect() const = 0;
    // The librarian's slot grids at (x, y) over rect, both already scaled, bound to paramIdx,
    // for the caller to place; null when the plug-in has none to give.
    virtual IControl* createLibrarianView(int x, int y, int paramIdx, const IBitmap& background,
                                          IRECT rect, PatchLibrarian* librarian, double scale) = 0;
};
