#pragma once

#include "src/uiconfig/SysExMessageList.h"

#include <vector>

// The SysEx messages of one parameter, chosen by the integer part of its value: message k of
// messages, or with multiMessage every message of messageSets[k] in order. A message holds
// the bytes between F0 and F7: 3E 0F, the device id at 2, the message id at 3, the part at 4
// for sound parameters, the value at the changing byte.
struct ControlActionSysExMessage {
    bool multiMessage = false;
    SysExMessageList messages;
    std::vector<std::vector<std::vector<int>>> messageSets;
};
