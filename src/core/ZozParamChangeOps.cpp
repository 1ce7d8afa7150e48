// What the parameter-change rules of part status, whole-dump re-sends, MIDI routing and the
// clock ask of the plug-in.

#include "src/core/Zoz.h"

#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>

namespace {

// The host's seven pass-through switches, then the synthesizer's, in the order of FilterKind.
static_assert(kMIDIFilterHWCCPassThrough == kMIDIFilterDAWCCPassThrough + Zoz::kFilterKinds);
static_assert(kMIDIFilterHWSEPassThrough == kMIDIFilterDAWCCPassThrough + 2 * Zoz::kFilterKinds - 1);

} // namespace

void Zoz::randomizePart(int part) {
    messageManager->randomGenerator();
    messageManager->randomizePatchSettings(part);
}

void Zoz::resetContinuousClock(bool stop) {
    messageManager->getSender()->resetContinuousClock(stop);
}

// Callers name one of the fourteen switches; the index is held inside them all the same.
std::atomic<bool>& Zoz::midiDropFlag(int passThroughSwitch) {
    const int i =
        std::clamp(passThroughSwitch - kMIDIFilterDAWCCPassThrough, 0, 2 * kFilterKinds - 1);
    return i < kFilterKinds ? hostBlocked[size_t(i)] : hardwareBlocked[size_t(i - kFilterKinds)];
}

bool Zoz::isMIDIFilterBlocked(int passThroughSwitch) {
    const int i = passThroughSwitch - kMIDIFilterDAWCCPassThrough;
    return i >= 0 && i < 2 * kFilterKinds && midiDropFlag(passThroughSwitch);
}
