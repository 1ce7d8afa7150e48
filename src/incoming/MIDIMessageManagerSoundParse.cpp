#include "kit/effect/ISysEx.h"
#include "src/incoming/DumpBytes.h"
#include "src/incoming/EffectAliases.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SoundDumpLayout.h"
#include "src/sender/SysexMessage.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <string>

namespace {

constexpr int kPartCount = 16;

int lockIndex(int lock) {
    return (lock - kSectionLockOsc1) / 16;
}

} // namespace

bool MIDIMessageManager::sysexPatchParse(ISysEx* message) {
    using namespace SoundDump;
    if (!message || !message->data || message->size < kMinParseSize) return false;
    const uint8_t* raw = message->data;
    if (raw[1] != SysexMessage::kManufacturerId || raw[2] != SysexMessage::kModelId ||
        raw[4] != kSysexSoundDump || raw[kPartByte] >= kPartCount)
        return false;
    const DumpBytes data(*message);
    const int part = raw[kPartByte];
    answerReceived = false;

    // Read once: a lock changed during the parse does not split a section.
    bool locked[kSectionLockCount];
    for (int k = 0; k < kSectionLockCount; ++k)
        locked[k] = plugin->GetParamValue(kSectionLockOsc1 + 16 * k + part) == 1.0;
    const auto free = [&](int lock) { return lock == kNoLock || !locked[lockIndex(lock)]; };
    const auto set = [&](int param, int value) {
        plugin->SetParameterFromPlug(param + part, double(value));
    };

    // Trailing blanks are kept, as the synthesizer pads.
    const int shown = plugin->getSelectedPart();
    const std::string name = data.text(kNameOffset, kNameLength);
    plugin->setParamText(kPatchName + part, name);
    plugin->setPatchManagerName(1 + part, name);
    plugin->setLibrarianViewDirty();
    plugin->displayPatchName(plugin->getParamText(kPatchName + shown));
    const std::string category = data.text(kCategoryOffset, kCategoryLength);
    plugin->setParamText(kCategoryName + part, category);
    plugin->setPatchManagerName(19 + part, category);
    plugin->setLibrarianViewDirty();
    plugin->displayCategoryName(plugin->getParamText(kCategoryName + shown));

    for (const Byte& row : layout()) {
        if (!free(row.lock)) continue;
        const uint8_t b = data[row.offset];
        Setting settings[3];
        const int n = decode(row, b, settings);
        for (int i = 0; i < n; ++i)
            set(settings[i].param, settings[i].value);
        if (row.encoding == Encoding::FilterLink) plugin->setFilterLinkMode(part, b);
        if (row.encoding == Encoding::EffectSlot)
            for (int alias : EffectAliases::ofSlot(row.params[0]))
                set(alias, b);
    }

    // The slot parameters keep the raw code bytes; the taps come from their decoding.
    for (const TapDelay& tap : kTapDelays) {
        if (!free(tap.lock) || data[tap.modeOffset] != kTapDelayMode) continue;
        uint8_t code[kTapCodeSize];
        for (int i = 0; i < kTapCodeSize; ++i)
            code[i] = data[tap.codeOffset + i];
        uint8_t steps[kTapStepCount];
        decodeTapPatternCode(code, steps);
        for (int t = 0; t < 15; ++t)
            set(tap.firstVolume + 16 * t, steps[2 * t]);
        for (int t = 0; t < 15; ++t)
            set(tap.firstPan + 16 * t, steps[2 * t + 1]);
        set(tap.firstVolume + 16 * 15, steps[30]);
        set(tap.firstPan + 16 * 15, steps[31]);
        set(tap.ducking, steps[32] / 8);
    }
    answerReceived = true;
    return true;
}

void MIDIMessageManager::SetFX1ParameterChangesToDefaultParameters(int paramId, int value) {
    mirrorEffectChange(0, paramId, value);
}

void MIDIMessageManager::SetFX2ParameterChangesToDefaultParameters(int paramId, int value) {
    mirrorEffectChange(1, paramId, value);
}

void MIDIMessageManager::mirrorEffectChange(int effect, int paramId, int value) {
    for (int position = 0; position < EffectAliases::kSlotCount; ++position) {
        for (int alias : EffectAliases::of(effect, position)) {
            const int part = paramId - alias;
            if (part < 0 || part >= kPartCount) continue;
            const int slot = EffectAliases::slot(effect, position) + part;
            const double clamped = std::min(std::max(double(value), plugin->GetParamMin(slot)),
                                            plugin->GetParamMax(slot));
            plugin->storeParamValue(slot, clamped);
            return;
        }
    }
}
