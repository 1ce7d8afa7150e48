#pragma once

#include "src/uiconfig/LinkInfo.h"

class ControlAction;
class ParamChangePlugin;

// Moves the partner of a changed parameter: the other filter's same parameter while the
// part's filter-link switch is on, or the partner of the layout's two-way link while its
// switch is not 0.0. Stateless; the distance kept for the filter link lives in the changed
// parameter's ControlAction. Links are followed one step deep: the partner's change runs no
// handler and shows nothing.
class LinkManager {
public:
    // action is the changed parameter's (not null), link a copy of its LinkInfo, intValue its
    // new value truncated; value is not used. Runs in the caller's plug lock; the partner's
    // message is sent also while a value from the synthesizer is being set.
    static void controlLinker(ParamChangePlugin* plug, ControlAction* action, LinkInfo link,
                              int idx, int intValue, double value);
};
