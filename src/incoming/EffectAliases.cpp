#include "src/incoming/EffectAliases.h"

#include "src/uiconfig/ParameterIds.h"

namespace EffectAliases {
namespace {

// clang-format off
const std::vector<int> kFX1[kSlotCount] = {
    {kFX1ChorusSpeed, kFX1FlangerSpeed, kFX1PhaserSpeed, kFX1FiveFXSpeed, kFX1VocoderBands,
     kFX1ReverbSize, kFX1TapDelayDelay},
    {kFX1ChorusDepth, kFX1FlangerDepht, kFX1PhaserDepth, kFX1OverdriveDrive, kFX1FiveFXDepth,
     kFX1VocoderAnalysisSignal, kFX1ReverbShape, kFX1TapDelayFeedback},
    {kFX1DelayTempo, kFX1OverdrivePostGain, kFX1FiveFXDelay, kFX1VocoderAnalysisLoFrq,
     kFX1ReverbDecay, kFX1TapDelaySwingFactor},
    {kFX1ChorusDelay, kFX1DelayLength, kFX1FiveFXChorusDelay, kFX1VocoderAnalysisHiFrq,
     kFX1ReverbPredelay},
    {kFX1FlangerFeedBack, kFX1PhaserFeedback, kFX1DelayFeedback, kFX1FiveFXSampleHold,
     kFX1VocoderAnalysisSOffset},
    {kFX1PhaserCenter, kFX1DelayCutoff, kFX1OverdriveCutoff, kFX1FiveFXOverdrive,
     kFX1VocoderAnalysisHiOffset, kFX1ReverbLowppass},
    {kFX1PhaserSpacing, kFX1FiveFXSource, kFX1VocoderBandwidth, kFX1ReverbHighPass},
    {kFX1DelayClocked, kFX1FiveFXRingMod, kFX1VocoderResonance, kFX1ReverbDiffusion},
    {kFX1FlangerPolarity, kFX1PhaserPolarity, kFX1DelayPolarity, kFX1VocoderAttack,
     kFX1ReverbDamping},
    {kFX1DelayAutoPan, kFX1VocoderDecay},
    {kFX1DelayLengthClocked, kFX1VocoderEQLowBandLevel},
    {kFX1VocoderEQMiddleFreq},
    {kFX1VocoderEQMiddleLevel},
    {kFX1VocoderEQHighBandLevel},
};

const std::vector<int> kFX2[kSlotCount] = {
    {kFX2ChorusSpeed, kFX2FlangerSpeed, kFX2PhaserSpeed, kFX2FiveFXSpeed, kFX2VocoderBands,
     kFX2ReverbSize, kFX2TapDelayDelay, kFX251DelayDelay, kFX251DelayClockedDelay},
    {kFX2ChorusDepth, kFX2FlangerDepht, kFX2PhaserDepth, kFX2OverdriveDrive, kFX2FiveFXDepth,
     kFX2VocoderAnalysisSignal, kFX2ReverbShape, kFX2TapDelayFeedback, kFX251DelayFeedback,
     kFX251DelayClockedFeedback},
    {kFX2DelayTempo, kFX2OverdrivePostGain, kFX2FiveFXDelay, kFX2VocoderAnalysisLoFrq,
     kFX2ReverbDecay, kFX2TapDelaySwingFactor, kFX251DelayLFELP, kFX251DelayClockedLFELP},
    {kFX2ChorusDelay, kFX2DelayLength, kFX2FiveFXChorusDelay, kFX2VocoderAnalysisHiFrq,
     kFX2ReverbPredelay, kFX251DelayInputHP, kFX251DelayClockedInputHP},
    {kFX2FlangerFeedBack, kFX2PhaserFeedback, kFX2DelayFeedback, kFX2FiveFXSampleHold,
     kFX2VocoderAnalysisSOffset, kFX251DelayDelayML, kFX251DelayClockedDelayML},
    {kFX2PhaserCenter, kFX2DelayCutoff, kFX2OverdriveCutoff, kFX2FiveFXOverdrive,
     kFX2VocoderAnalysisHiOffset, kFX2ReverbLowppass, kFX251DelayFSLV, kFX251DelayClockedFSLV},
    {kFX2PhaserSpacing, kFX2FiveFXSource, kFX2VocoderBandwidth, kFX2ReverbHighPass,
     kFX251DelayDelayMR, kFX251DelayClockedDelayMR},
    {kFX2DelayClocked, kFX2FiveFXRingMod, kFX2VocoderResonance, kFX2ReverbDiffusion,
     kFX251DelayFSRV, kFX251DelayClockedFSRV},
    {kFX2FlangerPolarity, kFX2PhaserPolarity, kFX2DelayPolarity, kFX2VocoderAttack,
     kFX2ReverbDamping, kFX251DelayDelayS2L, kFX251DelayClockedDelayS2L},
    {kFX2DelayAutoPan, kFX2VocoderDecay, kFX251DelayCntrSV, kFX251DelayClockedCntrSV},
    {kFX2DelayLengthClocked, kFX2VocoderEQLowBandLevel, kFX251DelayS1L,
     kFX251DelayClockedDelayS1L},
    {kFX2VocoderEQMiddleFreq, kFX251DelayRearSLV, kFX251DelayClockedRearSLV},
    {kFX2VocoderEQMiddleLevel, kFX251DelayS1R, kFX251DelayClockedDelayS1R},
    {kFX2VocoderEQHighBandLevel, kFX251DelayRearSRV, kFX251DelayClockedRearSRV},
};
// clang-format on

const std::vector<int> kNone;

} // namespace

int slot(int effect, int position) {
    return (effect == 0 ? kEffect1Param01 : kEffect2Param01) + 16 * position;
}

const std::vector<int>& of(int effect, int position) {
    return (effect == 0 ? kFX1 : kFX2)[position];
}

const std::vector<int>& ofSlot(int slotParam) {
    for (int effect = 0; effect < 2; ++effect) {
        const int offset = slotParam - slot(effect, 0);
        if (offset >= 0 && offset < 16 * kSlotCount && offset % 16 == 0)
            return of(effect, offset / 16);
    }
    return kNone;
}

} // namespace EffectAliases
