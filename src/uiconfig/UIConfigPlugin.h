#pragma once

#include <string>

// What the configuration reader needs of the plug-in core: its debug log, which is written
// only when the log file existed at start-up.
class UIConfigPlugin {
public:
    virtual ~UIConfigPlugin() = default;
    virtual bool isDebugLogOn() const = 0;
    virtual std::string debugLogPath() const = 0;
};
