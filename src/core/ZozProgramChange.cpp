// Bank select and program change of a part's sound or of the multi, as the synthesizer wants
// them: one channel, fixed pauses between the messages.

#include "src/core/Zoz.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IMidiMsg.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>

namespace {

constexpr int kParts = 16;
// Bank select LSB of the sound banks A, B, C and the card bank X.
constexpr uint8_t kSoundBankSelect[] = {64, 65, 66, 72};
constexpr int kMultiBankSelectBase = 96;
constexpr int kAfterBankSelectMillis = 25;
constexpr int kAfterProgramMillis = 50;

uint8_t dataByte(int value) {
    return uint8_t(std::clamp(value, 0, 127));
}

} // namespace

int Zoz::conflictingPart(int part, int bank, int program) {
    for (int i = 0; i < kParts; ++i)
        if (i != part && GetParamValue(kMultiPartStatus + i) == 1.0 &&
            storedBanks[size_t(i)] == bank && storedPrograms[size_t(i)] == program)
            return i;
    return -1;
}

bool Zoz::CheckBankConflict(int part) {
    if (part < 0 || part >= kParts) return false;
    return conflictingPart(part, TruncToInt(GetParamValue(kMultiPartBank + part)),
                           TruncToInt(GetParamValue(kMultiPartPatch + part))) >= 0;
}

bool Zoz::BankChangeMessage(int part) {
    const bool multi = multiMode;
    if (!midiIOSet || (!multi && (part < 0 || part >= kParts))) return false;
    const int channel = partChannel(multi ? -1 : part);
    if (channel < 0) return false;

    int bankSelect, program;
    if (multi) {
        bankSelect = TruncToInt(GetParamValue(kMultiBank)) + kMultiBankSelectBase;
        program = TruncToInt(GetParamValue(kMultiPatch));
        lastProgramNumber = program;
    } else {
        const int bank = TruncToInt(GetParamValue(kMultiPartBank + part));
        program = TruncToInt(GetParamValue(kMultiPartPatch + part));
        // Recorded even when refused: the lists say what the editor last asked for.
        storedBanks[size_t(part)] = bank;
        storedPrograms[size_t(part)] = program;
        lastProgramNumber = program;
        if (!arrangementBatch && conflictingPart(part, bank, program) >= 0) {
            if (ControlLayer* window = namedLayer("bankPatchConflictWindow")) window->Hide(false);
            return false;
        }
        bankSelect = kSoundBankSelect[std::clamp(bank, 0, int(std::size(kSoundBankSelect)) - 1)];
    }

    const uint8_t control = uint8_t(0xB0 | channel);
    IMidiMsg notesOff(0, control, IMidiMsg::kAllNotesOff, 0);
    MIDIOutRoutingSwitch(&notesOff);
    notesOffSent = false;
    const struct {
        IMidiMsg msg;
        int pauseMillis;
    } sequence[] = {
        {IMidiMsg(0, control, IMidiMsg::kBankSelectMSB, 0), kAfterBankSelectMillis},
        {IMidiMsg(0, control, IMidiMsg::kBankSelectLSB, dataByte(bankSelect)),
         kAfterBankSelectMillis},
        {IMidiMsg(0, uint8_t(0xC0 | channel), dataByte(program), 0), kAfterProgramMillis},
    };
    // Straight out, never through the host's blocks: the pauses are the synthesizer's. A job
    // that changes the bank ends its pauses at the workers' stop.
    MIDIMessageSender* pauses = messageManager->getSender();
    for (auto step : sequence) {
        sendMidiMsgAndLog(&step.msg);
        pauses->pause(step.pauseMillis);
    }
    notesOffSent = true;
    pauses->pause(getTimerValue());
    return true;
}
