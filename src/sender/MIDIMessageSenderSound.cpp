#include "kit/effect/ISysEx.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SoundDumpLayout.h"
#include "src/sender/SysexMessage.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <string>

namespace {

constexpr int kPauseAfterDumpMillis = 150;
constexpr int kLastPart = 15;

} // namespace

void MIDIMessageSender::buildSoundDump(int part, uint8_t* dump) {
    using namespace SoundDump;
    std::copy(dumpTemplate().begin(), dumpTemplate().end(), dump);
    dump[kDeviceIdByte] = uint8_t(truncated(plugin->GetParamValue(kGlobalSysExID)) & 0x7F);
    dump[kPartByte] = uint8_t(part & 0x7F);

    const auto value = [&](int param) { return truncated(plugin->GetParamValue(param + part)); };
    const int model = plugin->getModel();
    for (const Byte& row : layout())
        dump[row.offset] = encode(row, value, model);

    for (const TapDelay& tap : kTapDelays) {
        if (dump[tap.modeOffset] != kTapDelayMode) continue;
        uint8_t steps[kTapStepCount];
        for (int t = 0; t < 16; ++t) {
            steps[2 * t] = uint8_t(value(tap.firstVolume + 16 * t));
            steps[2 * t + 1] = uint8_t(value(tap.firstPan + 16 * t));
        }
        steps[32] = uint8_t(8 * value(tap.ducking));
        GenTapPatternCode(steps, dump + tap.codeOffset);
    }

    SysexMessage::writeText(dump + kNameOffset, kNameLength,
                            plugin->getParamText(kPatchName + part));
    SysexMessage::writeText(dump + kCategoryOffset, kCategoryLength,
                            plugin->getParamText(kCategoryName + part));
}

bool MIDIMessageSender::sendPartToDevice(int part, bool toLibrarian, bool withinTransfer) {
    // A whole-multi transfer shows and hides the progress display around all of its parts.
    const bool batch = plugin->isBatch();
    const bool veiled = batch || withinTransfer;
    if (!veiled) plugin->DisplayProcessingIndicator(true);

    uint8_t dump[SoundDump::kSize];
    buildSoundDump(part, dump);

    bool sent = true;
    if (toLibrarian) {
        dump[SoundDump::kBankByte] =
            uint8_t(SoundDump::truncated(plugin->GetParamValue(kMultiPartBank + part)) & 0x7F);
        dump[SoundDump::kPartByte] = uint8_t(selectedSlot() & 0x7F);
        storeIntoLibrarian(dump, SoundDump::kSize);
    } else {
        const std::string name = plugin->getParamText(kPatchName + part);
        const std::string category = plugin->getParamText(kCategoryName + part);
        plugin->setPatchManagerName(1 + part, name.empty() ? "Set Name" : name);
        plugin->setLibrarianViewDirty();
        plugin->setPatchManagerName(19 + part, category.empty() ? "Set Name" : category);
        plugin->setLibrarianViewDirty();
        if (part == plugin->getSelectedPart()) {
            plugin->displayPatchName(name);
            plugin->displayCategoryName(category);
        }
        // A whole-multi transfer sends the tempo once, after its last part. The tempo keeps the
        // multi's in step after the sound, so it goes again with it.
        const bool tempo =
            plugin->GetParamValue(kOverrideTempo) == 0.0 && (part == kLastPart || !batch);
        sent = deliver([&] {
            bool went = transmit(SoundDump::kSize, [&] {
                return plugin->checksumCheckAndSend(dump, SoundDump::kSize);
            });
            pace(kPauseAfterDumpMillis);
            if (went && tempo)
                went = send(SysexMessage::tempoMessage(
                                plugin->getDeviceId(),
                                SoundDump::truncated(plugin->GetParamValue(kMultiTempo))),
                            true);
            return went;
        });
        if (!sent) failed("part " + std::to_string(part + 1));
    }

    if (!veiled) plugin->DisplayProcessingIndicator(false);
    return sent;
}
