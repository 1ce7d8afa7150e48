#pragma once

#include <string>

class IEffectBase;

// What the configuration reader needs of the plug-in core: its debug log, which is written
// only when the log file existed at start-up, and the framework base, whose parameters the
// control factories set up and whose MIDI port names the port menus list.
class UIConfigPlugin {
public:
    virtual ~UIConfigPlugin() = default;
    virtual bool isDebugLogOn() const = 0;
    virtual std::string debugLogPath() const = 0;
    virtual IEffectBase* effect() const = 0;
};
