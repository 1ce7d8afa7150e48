#pragma once

#include <cstdio>
#include <string>

// A SysEx resource of count sound-parameter templates, each at an address of its own, with
// the value at byte 8.
inline std::string soundTemplates(int count) {
    std::string xml = "<sysexlist>";
    char message[64];
    for (int k = 0; k < count; ++k) {
        snprintf(message, sizeof message, "3E 0F 00 20 00 %02X %02X 00", k / 128, k % 128);
        xml += std::string("<sysex><values><value>") + message + "</value></values></sysex>";
    }
    return xml + "</sysexlist>";
}
