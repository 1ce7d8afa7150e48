#pragma once

#include "src/sender/SoundDumpLayout.h"
#include "src/uiconfig/ParameterNames.h"

#include <algorithm>
#include <string>
#include <utility>

namespace coretest {

// The named run of parameter ids that holds id; null for none.
inline const ParameterNameRun* runOf(int id) {
    for (int i = 0; i < kParameterNameRunCount; ++i) {
        const ParameterNameRun& run = kParameterNameRuns[i];
        if (id >= run.firstId && id < run.firstId + run.width) return &run;
    }
    return nullptr;
}

// The effect type whose own setting an effect knob edits (kFX1…, kFX2…), 0 for the settings of
// every type and for any other parameter.
inline int effectTypeOf(const std::string& name) {
    if (name.rfind("kFX", 0) != 0) return 0;
    const std::string setting = name.substr(4); // after kFX1 or kFX2
    if (setting == "FiveFXSource" || setting == "VocoderAnalysisSignal") return 0;
    static const std::pair<const char*, int> types[] = {
        {"51DelayClocked", 11}, {"51Delay", 10}, {"Chorus", 1},    {"Flanger", 2},
        {"Phaser", 3},          {"Delay", 4},    {"Overdrive", 5}, {"FiveFX", 6},
        {"Vocoder", 7},         {"Reverb", 8},   {"TapDelay", 9}};
    for (const auto& [prefix, type] : types)
        if (setting.rfind(prefix, 0) == 0) return type;
    return 0;
}

// The sound dump's row that holds part0 (a part-0 id) otherwise than as it is: with other
// parameters of the part, or Effect 2's 5.1 delays with an offset; null for any other.
inline const SoundDump::Byte* encodedRow(int part0) {
    using E = SoundDump::Encoding;
    for (const SoundDump::Byte& row : SoundDump::layout()) {
        const bool encoded = row.encoding == E::Unisono || row.encoding == E::Effect2Mode ||
                             row.encoding == E::ArpStep || row.encoding == E::ArpTiming;
        const int* end = row.params + SoundDump::paramCount(row.encoding);
        if (encoded && std::find(row.params, end, part0) != end) return &row;
    }
    return nullptr;
}

} // namespace coretest
