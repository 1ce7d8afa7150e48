// What the parameter-change rules of part status, whole-dump re-sends, MIDI routing and the
// clock ask of the plug-in.

#include "src/core/Zoz.h"

#include "platform/Clock.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigManager.h"

#include <algorithm>

namespace {

// The SysEx value lists of part 0's two packed status bytes; part p's follow at + p.
constexpr int kFirstStatusList = 47;
constexpr int kSecondStatusList = 446;
// In those lists, held without F0: the packed value.
constexpr size_t kStatusValueByte = 6;
constexpr int kEnquiryPauseMillis = 100;

// The host's seven pass-through switches, then the synthesizer's, in the order of FilterKind.
static_assert(kMIDIFilterHWCCPassThrough == kMIDIFilterDAWCCPassThrough + Zoz::kFilterKinds);
static_assert(kMIDIFilterHWSEPassThrough == kMIDIFilterDAWCCPassThrough + 2 * Zoz::kFilterKinds - 1);

} // namespace

void Zoz::SendChannelStatus(int part, bool firstByte) {
    if (part < 0 || part > 15) return;
    const int list = (firstByte ? kFirstStatusList : kSecondStatusList) + part;
    std::vector<int> message = uiConfig->getSysExValueListByID(list);
    if (message.size() <= kStatusValueByte) {
        log("CONFIG READER: SysEx value list ", std::to_string(list),
            " too short for a channel status");
        return;
    }
    MIDIMessageSender* sender = messageManager->getSender();
    message[kStatusValueByte] = firstByte ? sender->calculateMultiSettings1Values(part)
                                          : sender->calculateMultiSettings2Values(part);
    sendParameterMessage(std::move(message));
}

void Zoz::randomizePart(int part) {
    messageManager->randomGenerator();
    messageManager->randomizePatchSettings(part);
}

void Zoz::sendSysExInitialization() {
    probeStarted = true;
    if (!midiIOSet || arrangementBusy) return;
    postJob(SenderJob::kSendDeviceIdEnquiry,
            [this](SenderJob&) { messageManager->answerReceived = false; });
    platform::SleepMillis(kEnquiryPauseMillis);
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
