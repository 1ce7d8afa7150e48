#include "src/sender/GlobalDumpLayout.h"

#include "src/uiconfig/ParameterIds.h"

namespace GlobalDump {

const std::vector<DumpByte>& layout() {
    static const std::vector<DumpByte> bytes = {
        {5, kGlobalInitSound1},
        {6, kGlobalInitSound2},
        {7, kGlobalInitSound3},
        {8, kGlobalInitSound4},
        {9, kGlobalPedalOffset},
        {10, kGlobalPedalGain},
        {11, kGlobalPedalCurve},
        {12, kGlobalPedalController},
        {13, kGlobalPedal2Offset},
        {14, kGlobalPedal2Gain},
        {15, kGlobalPedal2Curve},
        {16, kGlobalPedal2Controller},
        {17, kGlobalTuning, 54},
        {18, kGlobalTranspose, 52},
        {19, kGlobalControlSend},
        {20, kGlobalReceive},
        {26, kGlobalRxProgramChange},
        {28, kGlobalControlW},
        {29, kGlobalControlX},
        {30, kGlobalControlY},
        {31, kGlobalControlZ},
        {32, kGlobalArpSend},
        {36, kGlobalClock},
        {37, kGlobalInstrSel},
        {38, kGlobalStartMode},
        {39, kGlobalMultiSound},
        {41, kGlobalMidiChannel},
        {42, kGlobalSysExID},
        {kLocalControlByte, kGlobalLocalControl},
        {44, kGlobalPopupTime},
        {45, kGlobalDisplayContrast},
        {46, kGlobalKeyVeloCurve},
        {47, kGlobalReleaseCurve},
        {48, kGlobalPressureCurve},
        {49, kGlobalInputGain},
        {51, kGlobalTxProgramChange},
        {53, kGlobalPatternInst1},
        {54, kGlobalPatternInst2},
        {55, KGlobalPatternInst3},
        {56, kGlobalPatternInst4},
        {69, kGlobalFootswitch1Mode},
        {70, kGlobalFootswitch1Controller},
        {71, kGlobalFootswitch2Mode},
        {72, kGlobalFootswitch2Controller},
        {73, kGlobalTuningHMTMode},
        {74, kGlobalTuningHMTDepth},
        {75, kGlobalTuningHMTMIDIExport},
        {76, kGlobalMixInputTo},
        {77, kGlobalInputMix},
    };
    return bytes;
}

const std::array<uint8_t, kSize>& dumpTemplate() {
    static const std::array<uint8_t, kSize> dump = [] {
        std::array<uint8_t, kSize> d{};
        SysexMessage::frameDump(d.data(), kSize, kSysexGlobalDump);
        d[34] = 0x02;
        d[35] = 0x04;
        return d;
    }();
    return dump;
}

} // namespace GlobalDump
