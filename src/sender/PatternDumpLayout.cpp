#include "src/sender/PatternDumpLayout.h"

#include "src/uiconfig/ParameterIds.h"

#include <algorithm>

namespace PatternDump {
namespace {

// The fields of a step block, by their step-1 ids; step s adds 240·(s − 1). Offset 7 is a gap.
const DumpByte kStepFields[] = {
    {0, kPatternStep01Cutoff},    {1, kPatternStep01Velocity},   {2, kPatternStep01CV1},
    {3, kPatternStep01CV2},       {4, kPatternStep01StepLength}, {5, kPatternStep01NoteLength},
    {6, kPatternStep01HoldPause}, {8, kPatternStep01Note1},      {9, kPatternStep01Note2},
    {10, kPatternStep01Note3},    {11, kPatternStep01Note4},     {12, kPatternStep01Note5},
    {13, kPatternStep01Note6},    {14, kPatternStep01Note7},     {15, kPatternStep01Note8},
};
constexpr int kStepIdStride = 240;
constexpr int kHoldPauseOffset = 6;

const DumpByte kSettings[] = {
    {8, kPatternStepLength},         {9, kPatternTransposeMode}, {10, kPatternTransposeKey},
    {11, kPatternTransposeQuantize}, {12, kOptionLinePar, 16},
};

} // namespace

const std::vector<DumpByte>& layout() {
    static const std::vector<DumpByte> bytes = [] {
        std::vector<DumpByte> b(std::begin(kSettings), std::end(kSettings));
        for (int s = 0; s < kSteps; ++s)
            for (const DumpByte& f : kStepFields)
                b.push_back({kFirstStep + kStepSize * s + f.offset, f.param + kStepIdStride * s});
        return b;
    }();
    return bytes;
}

uint8_t encode(const DumpByte& row, int value) {
    const bool holdPause =
        row.offset >= kFirstStep && (row.offset - kFirstStep) % kStepSize == kHoldPauseOffset;
    return row.encode(holdPause && value == 2 ? 3 : value);
}

const std::array<uint8_t, kSize>& dumpTemplate() {
    static const std::array<uint8_t, kSize> dump = [] {
        std::array<uint8_t, kSize> d{};
        SysexMessage::frameDump(d.data(), kSize, kSysexPatternDump);
        // The edit buffer; step length 15, transpose key 60, option line 3.
        const uint8_t head[] = {0x20, 0x00, 0x00, 0x0F, 0x00, 0x3C, 0x00, 0x13};
        std::copy(std::begin(head), std::end(head), d.begin() + 5);
        const char name[] = "INIT Sequence   ";
        std::copy(name, name + kNameLength, d.begin() + kNameOffset);
        const uint8_t step[] = {0x40, 0x64, 0x40, 0x40, 0x05, 0x08};
        for (int s = 0; s < kSteps; ++s)
            std::copy(std::begin(step), std::end(step), d.begin() + kFirstStep + kStepSize * s);
        return d;
    }();
    return dump;
}

} // namespace PatternDump
