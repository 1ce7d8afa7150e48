#include "src/uiconfig/NRPNControlContainer.h"

#include "src/uiconfig/ControlAction.h"

void NRPNControlContainer::addToControlMap(const ControlAction* action, IControl* control) {
    controls[action->channelOrPart][action->nrpnKey1][action->nrpnKey2][action->nrpnKey3]
            [action->mapVariant] = control;
}
