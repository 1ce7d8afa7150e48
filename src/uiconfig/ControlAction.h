#pragma once

#include "src/uiconfig/ControlActionSysExMessage.h"
#include "src/uiconfig/LinkInfo.h"

#include <vector>

class ControlLayer;
class IControl;

// How a change of the parameter is sent; the send path sends nothing for other codes.
enum ControlActionType {
    kActionNone = 0,        // controls, link and page switch only
    kActionCC = 1,          // the value as a control change
    kActionCCSwitch = 2,    // minValue for 0, maxValue otherwise
    kActionNRPN = 3,        // bound to an NRPN; nothing is sent
    kActionSysExSwitch = 5, // the value selects one of the messages
    kActionSysEx = 6,       // the value selects one message, or one set with multiMessage
};

// The record hung on a parameter that an editor control changes: how a change reaches the
// synthesizer, which controls show the parameter, its link and the page it switches. Made by
// the control factories or by a link to the parameter, owned by the UI configuration; after
// the layout is read only lastSentValue and linkOffset change.
class ControlAction {
public:
    double lastSentValue = -1.0;
    int linkOffset = -1; // distance to the link partner's value, kept by the link handling
    int partIndex = -1;  // the part whose MIDI channel CC sends use
    int actionType = kActionSysEx;
    int ccNumber = -1;
    int nrpnKey1 = -1;
    int nrpnKey2 = -1;
    int nrpnKey3 = -1;
    int channelOrPart = -1;          // first key of the CC and NRPN control maps
    int mapVariant = -1;             // last key of the CC and NRPN control maps
    LinkInfo link;
    int minValue = -1; // sent by a CC switch when off
    int maxValue = -1; // sent by a CC switch when on
    std::vector<IControl*> controls; // not owned, in the order of their creation
    ControlLayer* switchLayer = nullptr; // shows its child whose id is the value; not owned
    ControlActionSysExMessage sysexMessage;
};
