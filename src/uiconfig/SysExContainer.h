#pragma once

#include "src/uiconfig/Values.h"

#include <vector>

// One entry of the SysEx resource, addressed by its position in the file. Its first text
// (items[0] of values[0]) is the SysEx message template that the plug-in reads.
struct SysExContainer {
    std::vector<Values> values;
    std::vector<std::vector<Values>> multiValues;
    bool hasMultiValues = false;
};
