#include "src/sender/MultiDumpLayout.h"

#include "src/uiconfig/ParameterIds.h"

namespace MultiDump {

const DumpByte kMultiBytes[6] = {
    {7, kMultiMasterVolume}, {8, kMultiControlW},  {9, kMultiControlX},
    {10, kMultiControlY},    {11, kMultiControlZ}, {12, kMultiTempo},
};

const DumpByte kPartBytes[13] = {
    {0, kMultiPartBank},        {1, kMultiPartPatch},         {2, kMultiPartMIDICh},
    {3, kMultiPartLevel},       {4, kMultiPartTranspose, 16}, {5, kMultiPartDetune},
    {6, kMultiPartOutput},      {8, kMultiPartPanning},       {11, kPartPattern},
    {12, kMultiPartVeloLow, 1}, {13, kMultiPartVeloHigh, 1},  {14, kMultiPartKeyLow},
    {15, kMultiPartKeyHigh},
};

const int kSwitches[kSwitchCount] = {kPartPitchBend, kPartModWheel, kPartAfterTouch,
                                     kPartSustain,   kPartButtons,  kPartProgramChange};

uint8_t packSettings1(int receive, int send, int engine) {
    return uint8_t((unsigned(receive) + 4u * unsigned(send) + 16u * unsigned(engine)) & 0x7F);
}

uint8_t packSettings2(const int switches[kSwitchCount]) {
    unsigned b = 0;
    for (int k = 0; k < kSwitchCount; ++k)
        if (switches[k] != 0) b |= 1u << k;
    return uint8_t(b);
}

const std::array<uint8_t, kSize>& dumpTemplate() {
    static const std::array<uint8_t, kSize> dump = [] {
        std::array<uint8_t, kSize> d{};
        SysexMessage::frameDump(d.data(), kSize, kSysexMultiDump);
        d[5] = 0x20; // the edit buffer
        return d;
    }();
    return dump;
}

} // namespace MultiDump
