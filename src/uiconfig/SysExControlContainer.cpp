#include "src/uiconfig/SysExControlContainer.h"

#include <cstddef>

namespace {
constexpr int kMultiParameterId = 0x21;
constexpr int kGlobalParameterId = 0x24;

// The address of a multi or global parameter: device id (held as 0), message id, hi, lo.
bool isMultiOrGlobal(const unsigned char* address) {
    return address[0] == 0 && (address[1] == kMultiParameterId || address[1] == kGlobalParameterId);
}
} // namespace

bool SysExControlContainer::sysexAddress(const std::vector<int>& message, int changingByte,
                                         unsigned char address[4]) {
    const size_t first = changingByte == 7 ? 2 : 3;
    if (message.size() < first + 4) return false;
    for (size_t i = 0; i < 4; ++i)
        address[i] = static_cast<unsigned char>(message[first + i]);
    if (first == 2 && (address[1] == kMultiParameterId || address[1] == kGlobalParameterId))
        address[0] = 0;
    return true;
}

void SysExControlContainer::addToControlMap(const unsigned char* address, unsigned char fxVariant,
                                            IControl* control) {
    // The synthesizer's multi and global messages are looked up under variant 0 alone; they
    // carry no part, so no control of another part shares the address of a fader outside them.
    if (isMultiOrGlobal(address)) fxVariant = 0;
    controls[address[0]][address[1]][address[2]][address[3]][fxVariant] = control;
}
