// The controls that incoming values find, through the tables the UI configuration filled.

#include "src/core/Zoz.h"

#include "src/uiconfig/UIConfigManager.h"

IControl* Zoz::getSysexControl(int k1, int k2, int k3, int k4, int variant) {
    return uiConfig->getSysExControlMap().findControl(k1, k2, k3, k4, variant);
}

IControl* Zoz::getMsbLsbControl(int channelOrPart, int key1, int key2, int key3, int variant) {
    return uiConfig->getNRPNControlMap().findControl(channelOrPart, key1, key2, key3, variant);
}

IControl* Zoz::getCCControls(int channel, int cc, int legacy) {
    return uiConfig->getCCControls(channel, cc, legacy);
}

int Zoz::getProgramValueByParts(int key1, int key2, int key3) {
    return uiConfig->getProgramValueByParts(key1, key2, key3);
}

void Zoz::setProgramValueByParts(int key1, int key2, int key3, int value) {
    uiConfig->setProgramValueByParts(key1, key2, key3, value);
}
