#pragma once

#include "src/uiconfig/ControlMapLevels.h"

#include <vector>

// Finds the control of a SysEx parameter from the four address bytes of its message and a
// variant that tells apart controls of one address (the effect type of an effect parameter,
// 1 for a sound parameter's fader outside every part, else 0).
class SysExControlContainer {
public:
    // The address of a message (bytes between F0 and F7) with the value at changingByte
    // (from 1): bytes 2 to 5 when that is 7, else 3 to 6. Multi (21) and global (24)
    // parameter messages are keyed with device id 0, so that they are found whatever device
    // id the synthesizer has. False when the message is too short.
    static bool sysexAddress(const std::vector<int>& message, int changingByte,
                             unsigned char address[4]);

    // Registers control under the address and the variant; the last registration wins. Multi
    // and global parameters are registered under variant 0, where their messages are sought.
    void addToControlMap(const unsigned char* address, unsigned char fxVariant, IControl* control);
    IControl* findControl(int a, int b, int c, int d, int e) const {
        return findControlIn(controls, a, b, c, d, e);
    }

private:
    std::map<int, controlID1> controls;
};
