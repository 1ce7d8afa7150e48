#pragma once

#include "src/uiconfig/ControlMapLevels.h"

class ControlAction;

// Finds the control of an NRPN-bound parameter from its record's keys: channel-or-part, the
// three NRPN keys and the variant. No layout element makes such controls yet.
class NRPNControlContainer {
public:
    // Registers control under the record's five keys; the last registration wins.
    void addToControlMap(const ControlAction* action, IControl* control);
    IControl* findControl(int channelOrPart, int key1, int key2, int key3, int mapVariant) const {
        return findControlIn(controls, channelOrPart, key1, key2, key3, mapVariant);
    }

private:
    std::map<int, controlID1> controls;
};
