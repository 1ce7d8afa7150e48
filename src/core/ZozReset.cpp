// What prepares or restates the synthesizer's state: the host's reset, the device enquiry when
// an output is chosen, and a part's packed channel settings.

#include "src/core/Zoz.h"

#include "platform/Clock.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigManager.h"

namespace {

// The SysEx value lists of part 0's two packed settings; part p's follow at + p.
constexpr int kSettings1List = 47;
constexpr int kSettings2List = 446;
// In those lists, held without F0: the packed value.
constexpr size_t kPackedValueByte = 6;
constexpr int kEnquiryPauseMillis = 100;

} // namespace

void Zoz::Reset() {
    KIT_MutexLock lock(GetMutex());
    notesOffSent = false;
    sampleRate = GetSampleRate();
    midiQueue.Resize(GetBlockSize());
    if (dawBufferSamples == 0) dawBufferSamples = GetBlockSize();
    pendingReset = true;
    char version[MAX_VERSION_STR_LEN];
    GetEffectVersionStr(version);
    log("RESET: plug-in ", version);
    if (arrangementBusy) return;
    const std::pair<int, std::string> lines[] = {
        {kControlDisplayBuild, version},
        {kControlDisplayCategory, "INIT"},
        {kControlDisplayPatch, "-- INIT --"},
        {kControlDisplayCC, "---"},
    };
    for (const auto& [paramIdx, text] : lines)
        showText(paramIdx, text);
    // Until a block shows the DAW buffer's delay.
    if (!toHostBuffer) showText(kControlDisplayMIDIOutDelay, kNoBufferDelay);
    showGreeting();
    // What is missing of the MIDI ports still shows.
    portStatusShown = false;
    showPortStatus();
}

void Zoz::showGreeting() {
    char version[MAX_VERSION_STR_LEN];
    GetEffectVersionStr(version);
    showText(kControlDisplayName, "Veririz Zoz Plug-in");
    showText(kControlDisplayValue, std::string(version) + (logEnabled ? " - 02-Jan-2020" : ""));
}

void Zoz::sendSysExInitialization() {
    // The pause gives the enquiry its head start also when the worker was busy and took none.
    if (postDeviceIdProbe()) platform::SleepMillis(kEnquiryPauseMillis);
}

// The answer comes back through the input: the probe waits until both ports are open,
// whichever was chosen last. A running job (a bank being stored, a multi being sent as the
// synthesizer came back) is followed by it, and so is a probe that began before.
bool Zoz::postDeviceIdProbe() {
    probeStarted = true;
    if (!midiIOSet || !isExternalMIDIInOpen()) return false;
    // Before the post: a job that ends meanwhile finds it.
    probeDeferred = true;
    // Nothing may answer into an arrangement being sent: its job's end posts the probe.
    const bool arranging = arrangementBusy;
    if (!arranging && postJob(SenderJob::kSendDeviceIdEnquiry,
                              [this](SenderJob&) { messageManager->answerReceived = false; }))
        probeDeferred = false;
    return !arranging;
}

// A probe that ended asked the synthesizer that is there, unless that one went meanwhile: the
// probe asked for as it came back then runs.
void Zoz::jobThreadIdle(int endedCommand) {
    const bool asked = endedCommand == SenderJob::kSendDeviceIdEnquiry &&
                       messageManager->getSender()->connectionHeld();
    if (probeDeferred.exchange(false) && !asked) postDeviceIdProbe();
}

void Zoz::SendChannelStatus(int part, bool first) {
    if (part < 0 || part > 15) return;
    const int list = (first ? kSettings1List : kSettings2List) + part;
    std::vector<int> message = uiConfig->getSysExValueListByID(list);
    if (message.size() <= kPackedValueByte) {
        log("CONFIG READER: SysEx value list ", std::to_string(list),
            " too short for a channel status");
        return;
    }
    MIDIMessageSender* sender = messageManager->getSender();
    message[kPackedValueByte] = first ? sender->calculateMultiSettings1Values(part)
                                      : sender->calculateMultiSettings2Values(part);
    sendParameterMessage(std::move(message));
}
