#include "src/sender/SoundDumpLayout.h"

#include "src/uiconfig/ParameterIds.h"

#include <algorithm>

namespace SoundDump {
namespace {

using E = Encoding;

// clang-format off
const Byte kLayout[] = {
    {8, E::Plain, kSectionLockOsc1, {kOscillator1Octave}},
    {9, E::Plain, kSectionLockOsc1, {kOscillator1Semitone}},
    {10, E::Plain, kSectionLockOsc1, {kOscillator1Detune}},
    {11, E::BendRange, kSectionLockOsc1, {kOscillator1BendRange}},
    {12, E::Plain, kSectionLockOsc1, {kOscillator1Keytrack}},
    {13, E::Plain, kSectionLockOsc1, {kOscillator1FMSource}},
    {14, E::Plain, kSectionLockOsc1, {kOscillator1FMAmount}},
    {15, E::Plain, kSectionLockOsc1, {kOscillator1Shape}},
    {16, E::Plain, kSectionLockOsc1, {kOscillator1Pulsewidth}},
    {17, E::Plain, kSectionLockOsc1, {kOscillator1PWMSource}},
    {18, E::Plain, kSectionLockOsc1, {kOscillator1PWMAmount}},
    {19, E::Plain, kSectionLockOsc1, {kOscillator1FrqDivide}},
    {20, E::Plain, kSectionLockOsc1, {kOscillator1SubLevel}},
    {24, E::Plain, kSectionLockOsc2, {kOscillator2Octave}},
    {25, E::Plain, kSectionLockOsc2, {kOscillator2Semitone}},
    {26, E::Plain, kSectionLockOsc2, {kOscillator2Detune}},
    {27, E::BendRange, kSectionLockOsc2, {kOscillator2BendRange}},
    {28, E::Plain, kSectionLockOsc2, {kOscillator2Keytrack}},
    {29, E::Plain, kSectionLockOsc2, {kOscillator2FMSource}},
    {30, E::Plain, kSectionLockOsc2, {kOscillator2FMAmount}},
    {31, E::Plain, kSectionLockOsc2, {kOscillator2Shape}},
    {32, E::Plain, kSectionLockOsc2, {kOscillator2Pulsewidth}},
    {33, E::Plain, kSectionLockOsc2, {kOscillator2PWMSource}},
    {34, E::Plain, kSectionLockOsc2, {kOscillator2PWMAmount}},
    {35, E::Plain, kSectionLockOsc2, {kOscillator2FrqDivide}},
    {36, E::Plain, kSectionLockOsc2, {kOscillator2SubLevel}},
    {40, E::Plain, kSectionLockOsc3, {kOscillator3Octave}},
    {41, E::Plain, kSectionLockOsc3, {kOscillator3Semitone}},
    {42, E::Plain, kSectionLockOsc3, {kOscillator3Detune}},
    {43, E::BendRange, kSectionLockOsc3, {kOscillator3BendRange}},
    {44, E::Plain, kSectionLockOsc3, {kOscillator3Keytrack}},
    {45, E::Plain, kSectionLockOsc3, {kOscillator3FMSource}},
    {46, E::Plain, kSectionLockOsc3, {kOscillator3FMAmount}},
    {47, E::Plain, kSectionLockOsc3, {kOscillator3Shape}},
    {48, E::Plain, kSectionLockOsc3, {kOscillator3Pulsewidth}},
    {49, E::Plain, kSectionLockOsc3, {kOscillator3PWMSource}},
    {50, E::Plain, kSectionLockOsc3, {kOscillator3PWMAmount}},
    {56, E::Plain, kSectionLockOsc2, {kOscillator2SyncToOsc3}},
    {57, E::Plain, kSectionLockPitchMod, {kOscillatorPitchSource}},
    {58, E::Plain, kSectionLockPitchMod, {kOscillatorPitchAmount}},
    {59, E::Plain, kSectionLockPitchMod, {kTuneMode}},
    {60, E::Plain, kSectionLockPitchMod, {kOscillatorGlideOnOffSwitch}},
    {63, E::Plain, kSectionLockPitchMod, {kOscillatorGlideMode}},
    {64, E::Plain, kSectionLockPitchMod, {kOscillatorGlideRate}},
    {65, E::Unisono, kSectionLockUnisono, {kOscillatorUnisono, kOscillatorMonoPolyMode}},
    {66, E::Plain, kSectionLockUnisono, {kOscillatorUniDetune}},
    {68, E::Plain, kSectionLockMixer, {kOscillator1Level}},
    {69, E::Plain, kSectionLockMixer, {kOscillator1Balance}},
    {70, E::Plain, kSectionLockMixer, {kOscillator2Level}},
    {71, E::Plain, kSectionLockMixer, {kOscillator2Balance}},
    {72, E::Plain, kSectionLockMixer, {kOscillator3Level}},
    {73, E::Plain, kSectionLockMixer, {kOscillator3Balance}},
    {74, E::Plain, kSectionLockMixer, {kNoiseLevel}},
    {75, E::Plain, kSectionLockMixer, {kNoiseBalance}},
    {78, E::Plain, kSectionLockMixer, {kRingModulationLevel}},
    {79, E::Plain, kSectionLockMixer, {kRingModulationBalance}},
    {82, E::Plain, kSectionLockNoiseExt, {kNoiseExtFilter1Source}},
    {83, E::Plain, kSectionLockNoiseExt, {kNoiseExtFilter2Source}},
    {84, E::FilterType, kSectionLockFilter1, {kFilter1TypeQPlus, kFilter1TypeQ}},
    {85, E::Plain, kSectionLockFilter1, {kFilter1Cutoff}},
    {87, E::Plain, kSectionLockFilter1, {kFilter1Resonance}},
    {88, E::Plain, kSectionLockFilter1, {kFilter1Drive}},
    {93, E::Plain, kSectionLockFilter1, {kFilter1Keytrack}},
    {94, E::Plain, kSectionLockFilter1, {kFilter1EnvAmount}},
    {95, E::Plain, kSectionLockFilter1, {kFilter1EnvVelocity}},
    {96, E::Plain, kSectionLockFilter1, {kFilter1ModSource}},
    {97, E::Plain, kSectionLockFilter1, {kFilter1ModAmount}},
    {98, E::Plain, kSectionLockFilter1, {kFilter1FMSource}},
    {99, E::Plain, kSectionLockFilter1, {kFilter1FMAmount}},
    {100, E::Plain, kSectionLockFilter1, {kFilter1Panning}},
    {101, E::Plain, kSectionLockFilter1, {kFilter1PanSource}},
    {102, E::Plain, kSectionLockFilter1, {kFilter1PanAmount}},
    {104, E::FilterType, kSectionLockFilter2, {kFilter2TypeQPlus, kFilter2TypeQ}},
    {105, E::Plain, kSectionLockFilter2, {kFilter2Cutoff}},
    {107, E::Plain, kSectionLockFilter2, {kFilter2Resonance}},
    {108, E::Plain, kSectionLockFilter2, {kFilter2Drive}},
    {113, E::Plain, kSectionLockFilter2, {kFilter2Keytrack}},
    {114, E::Plain, kSectionLockFilter2, {kFilter2EnvAmount}},
    {115, E::Plain, kSectionLockFilter2, {kFilter2EnvVelocity}},
    {116, E::Plain, kSectionLockFilter2, {kFilter2ModSource}},
    {117, E::Plain, kSectionLockFilter2, {kFilter2ModAmount}},
    {118, E::Plain, kSectionLockFilter2, {kFilter2FMSource}},
    {119, E::Plain, kSectionLockFilter2, {kFilter2FMAmount}},
    {120, E::Plain, kSectionLockFilter2, {kFilter2Panning}},
    {121, E::Plain, kSectionLockFilter2, {kFilter2PanSource}},
    {122, E::Plain, kSectionLockFilter2, {kFilter2PanAmount}},
    {124, E::Plain, kSectionLockFilter1, {kFilterRoutingQ}},
    {125, E::FilterLink, kSectionLockFilter1, {kFilterLinkValue, kFilterLinkSwitch}},
    {128, E::Plain, kSectionLockAmp, {kAmpLevel}},
    {129, E::Plain, kSectionLockAmp, {kAmpLevelVelocity}},
    {130, E::Plain, kSectionLockAmp, {kAmpModSource}},
    {131, E::Plain, kSectionLockAmp, {kAmpModAmount}},
    {132, E::Plain, kNoLock, {kPartZaruvaMode}},
    {133, E::Plain, kNoLock, {kPartZaruvaBank}},
    {134, E::Plain, kNoLock, {kPartZaruvaPatch}},
    {135, E::EffectMode, kSectionLockFX1, {kEffect1Mode}},
    {136, E::Plain, kSectionLockFX1, {kEffect1Mix}},
    {137, E::EffectSlot, kSectionLockFX1, {kEffect1Param01}},
    {138, E::EffectSlot, kSectionLockFX1, {kEffect1Param02}},
    {139, E::EffectSlot, kSectionLockFX1, {kEffect1Param03}},
    {140, E::EffectSlot, kSectionLockFX1, {kEffect1Param04}},
    {141, E::EffectSlot, kSectionLockFX1, {kEffect1Param05}},
    {142, E::EffectSlot, kSectionLockFX1, {kEffect1Param06}},
    {143, E::EffectSlot, kSectionLockFX1, {kEffect1Param07}},
    {144, E::EffectSlot, kSectionLockFX1, {kEffect1Param08}},
    {145, E::EffectSlot, kSectionLockFX1, {kEffect1Param09}},
    {146, E::EffectSlot, kSectionLockFX1, {kEffect1Param10}},
    {147, E::EffectSlot, kSectionLockFX1, {kEffect1Param11}},
    {148, E::EffectSlot, kSectionLockFX1, {kEffect1Param12}},
    {149, E::EffectSlot, kSectionLockFX1, {kEffect1Param13}},
    {150, E::EffectSlot, kSectionLockFX1, {kEffect1Param14}},
    {151, E::Effect2Mode, kSectionLockFX2, {kEffect2Mode}},
    {152, E::Plain, kSectionLockFX2, {kEffect2Mix}},
    {153, E::EffectSlot, kSectionLockFX2, {kEffect2Param01}},
    {154, E::EffectSlot, kSectionLockFX2, {kEffect2Param02}},
    {155, E::EffectSlot, kSectionLockFX2, {kEffect2Param03}},
    {156, E::EffectSlot, kSectionLockFX2, {kEffect2Param04}},
    {157, E::EffectSlot, kSectionLockFX2, {kEffect2Param05}},
    {158, E::EffectSlot, kSectionLockFX2, {kEffect2Param06}},
    {159, E::EffectSlot, kSectionLockFX2, {kEffect2Param07}},
    {160, E::EffectSlot, kSectionLockFX2, {kEffect2Param08}},
    {161, E::EffectSlot, kSectionLockFX2, {kEffect2Param09}},
    {162, E::EffectSlot, kSectionLockFX2, {kEffect2Param10}},
    {163, E::EffectSlot, kSectionLockFX2, {kEffect2Param11}},
    {164, E::EffectSlot, kSectionLockFX2, {kEffect2Param12}},
    {165, E::EffectSlot, kSectionLockFX2, {kEffect2Param13}},
    {166, E::EffectSlot, kSectionLockFX2, {kEffect2Param14}},
    {167, E::Plain, kSectionLockLFO1, {kLFO1Shape}},
    {168, E::Plain, kSectionLockLFO1, {kLFO1Speed}},
    {170, E::Plain, kSectionLockLFO1, {kLFO1SyncOnOff}},
    {171, E::Plain, kSectionLockLFO1, {kLFO1Clock}},
    {172, E::Plain, kSectionLockLFO1, {kLFO1Startphase}},
    {173, E::Plain, kSectionLockLFO1, {kLFO1Delay}},
    {174, E::Plain, kSectionLockLFO1, {kLFO1Fade}},
    {177, E::Plain, kSectionLockLFO1, {kLFO1Keytrack}},
    {179, E::Plain, kSectionLockLFO2, {kLFO2Shape}},
    {180, E::Plain, kSectionLockLFO2, {kLFO2Speed}},
    {182, E::Plain, kSectionLockLFO2, {kLFO2SyncOnOff}},
    {183, E::Plain, kSectionLockLFO2, {kLFO2Clock}},
    {184, E::Plain, kSectionLockLFO2, {kLFO2Startphase}},
    {185, E::Plain, kSectionLockLFO2, {kLFO2Delay}},
    {186, E::Plain, kSectionLockLFO2, {kLFO2Fade}},
    {189, E::Plain, kSectionLockLFO2, {kLFO2Keytrack}},
    {191, E::Plain, kSectionLockLFO3, {kLFO3Shape}},
    {192, E::Plain, kSectionLockLFO3, {kLFO3Speed}},
    {194, E::Plain, kSectionLockLFO3, {kLFO3SyncOnOff}},
    {195, E::Plain, kSectionLockLFO3, {kLFO3Clock}},
    {196, E::Plain, kSectionLockLFO3, {kLFO3Startphase}},
    {197, E::Plain, kSectionLockLFO3, {kLFO3Delay}},
    {198, E::Plain, kSectionLockLFO3, {kLFO3Fade}},
    {201, E::Plain, kSectionLockLFO3, {kLFO3Keytrack}},
    {203, E::Envelope, kSectionLockFilterEnv, {kFilterEnvMode, kFilterEnvTrigger}},
    {206, E::Plain, kSectionLockFilterEnv, {kFilterEnvAttack}},
    {207, E::Plain, kSectionLockFilterEnv, {kFilterAttackLevel}},
    {208, E::Plain, kSectionLockFilterEnv, {kFilterEnvDecay}},
    {209, E::Plain, kSectionLockFilterEnv, {kFilterEnvSustain}},
    {210, E::Plain, kSectionLockFilterEnv, {kFilterEnvDecay2}},
    {211, E::Plain, kSectionLockFilterEnv, {kFilterEnvSustain2}},
    {212, E::Plain, kSectionLockFilterEnv, {kFilterEnvRelease}},
    {215, E::Envelope, kSectionLockAmpEnv, {kAmpEnvMode, kAmpEnvTrigger}},
    {218, E::Plain, kSectionLockAmpEnv, {kAmpEnvAttack}},
    {219, E::Plain, kSectionLockAmpEnv, {kAmpAttackLevel}},
    {220, E::Plain, kSectionLockAmpEnv, {kAmpEnvDecay}},
    {221, E::Plain, kSectionLockAmpEnv, {kAmpEnvSustain}},
    {222, E::Plain, kSectionLockAmpEnv, {kAmpEnvDecay2}},
    {223, E::Plain, kSectionLockAmpEnv, {kAmpEnvSustain2}},
    {224, E::Plain, kSectionLockAmpEnv, {kAmpEnvRelease}},
    {227, E::Envelope, kSectionLockEnv3, {kEnvelope3Mode, kEnv3Trigger}},
    {230, E::Plain, kSectionLockEnv3, {kEnv3Attack}},
    {231, E::Plain, kSectionLockEnv3, {kEnv3AttackLevel}},
    {232, E::Plain, kSectionLockEnv3, {kEnv3Decay}},
    {233, E::Plain, kSectionLockEnv3, {kEnv3Sustain}},
    {234, E::Plain, kSectionLockEnv3, {kEnv3Decay2}},
    {235, E::Plain, kSectionLockEnv3, {kEnv3Sustain2}},
    {236, E::Plain, kSectionLockEnv3, {kEnv3Release}},
    {239, E::Envelope, kSectionLockEnv4, {kEnvelope4Mode, kEnv4Trigger}},
    {242, E::Plain, kSectionLockEnv4, {kEnv4Attack}},
    {243, E::Plain, kSectionLockEnv4, {kEnv4AttackLevel}},
    {244, E::Plain, kSectionLockEnv4, {kEnv4Decay}},
    {245, E::Plain, kSectionLockEnv4, {kEnv4Sustain}},
    {246, E::Plain, kSectionLockEnv4, {kEnv4Decay2}},
    {247, E::Plain, kSectionLockEnv4, {kEnv4Sustain2}},
    {248, E::Plain, kSectionLockEnv4, {kEnv4Release}},
    {253, E::Plain, kSectionLockMod1, {kModifier1Source1}},
    {254, E::Plain, kSectionLockMod1, {kModifier1Source2}},
    {255, E::Plain, kSectionLockMod1, {kModifier1SourceType}},
    {256, E::Plain, kSectionLockMod1, {kModifier1SourceAmount}},
    {257, E::Plain, kSectionLockMod2, {kModifier2Source1}},
    {258, E::Plain, kSectionLockMod2, {kModifier2Source2}},
    {259, E::Plain, kSectionLockMod2, {kModifier2SourceType}},
    {260, E::Plain, kSectionLockMod2, {kModifier2SourceAmount}},
    {261, E::Plain, kSectionLockMod3, {kModifier3Source1}},
    {262, E::Plain, kSectionLockMod3, {kModifier3Source2}},
    {263, E::Plain, kSectionLockMod3, {kModifier3SourceType}},
    {264, E::Plain, kSectionLockMod3, {kModifier3SourceAmount}},
    {265, E::Plain, kSectionLockMod4, {kModifier4Source1}},
    {266, E::Plain, kSectionLockMod4, {kModifier4Source2}},
    {267, E::Plain, kSectionLockMod4, {kModifier4SourceType}},
    {268, E::Plain, kSectionLockMod4, {kModifier4SourceAmount}},
    {269, E::Plain, kSectionLockM1F, {kMod1FastSource}},
    {270, E::Plain, kSectionLockM1F, {kMod1FastDestination}},
    {271, E::Plain, kSectionLockM1F, {kMod1FastAmount}},
    {272, E::Plain, kSectionLockM2F, {kMod2FastSource}},
    {273, E::Plain, kSectionLockM2F, {kMod2FastDestination}},
    {274, E::Plain, kSectionLockM2F, {kMod2FastAmount}},
    {275, E::Plain, kSectionLockM3F, {kMod3FastSource}},
    {276, E::Plain, kSectionLockM3F, {kMod3FastDestination}},
    {277, E::Plain, kSectionLockM3F, {kMod3FastAmount}},
    {278, E::Plain, kSectionLockM4F, {kMod4FastSource}},
    {279, E::Plain, kSectionLockM4F, {kMod4FastDestination}},
    {280, E::Plain, kSectionLockM4F, {kMod4FastAmount}},
    {281, E::Plain, kSectionLockM5F, {kMod5FastSource}},
    {282, E::Plain, kSectionLockM5F, {kMod5FastDestination}},
    {283, E::Plain, kSectionLockM5F, {kMod5FastAmount}},
    {284, E::Plain, kSectionLockM6F, {kMod6FastSource}},
    {285, E::Plain, kSectionLockM6F, {kMod6FastDestination}},
    {286, E::Plain, kSectionLockM6F, {kMod6FastAmount}},
    {287, E::Plain, kSectionLockM7F, {kMod7FastSource}},
    {288, E::Plain, kSectionLockM7F, {kMod7FastDestination}},
    {289, E::Plain, kSectionLockM7F, {kMod7FastAmount}},
    {290, E::Plain, kSectionLockM8F, {kMod8FastSource}},
    {291, E::Plain, kSectionLockM8F, {kMod8FastDestination}},
    {292, E::Plain, kSectionLockM8F, {kMod8FastAmount}},
    {293, E::Plain, kSectionLockM1S, {kMod1StandardSource}},
    {294, E::Plain, kSectionLockM1S, {kMod1StandardDestination}},
    {295, E::Plain, kSectionLockM1S, {kMod1StandardAmount}},
    {296, E::Plain, kSectionLockM2S, {kMod2StandardSource}},
    {297, E::Plain, kSectionLockM2S, {kMod2StandardDestination}},
    {298, E::Plain, kSectionLockM2S, {kMod2StandardAmount}},
    {299, E::Plain, kSectionLockM3S, {kMod3StandardSource}},
    {300, E::Plain, kSectionLockM3S, {kMod3StandardDestination}},
    {301, E::Plain, kSectionLockM3S, {kMod3StandardAmount}},
    {302, E::Plain, kSectionLockM4S, {kMod4StandardSource}},
    {303, E::Plain, kSectionLockM4S, {kMod4StandardDestination}},
    {304, E::Plain, kSectionLockM4S, {kMod4StandardAmount}},
    {305, E::Plain, kSectionLockM5S, {kMod5StandardSource}},
    {306, E::Plain, kSectionLockM5S, {kMod5StandardDestination}},
    {307, E::Plain, kSectionLockM5S, {kMod5StandardAmount}},
    {308, E::Plain, kSectionLockM6S, {kMod6StandardSource}},
    {309, E::Plain, kSectionLockM6S, {kMod6StandardDestination}},
    {310, E::Plain, kSectionLockM6S, {kMod6StandardAmount}},
    {311, E::Plain, kSectionLockM7S, {kMod7StandardSource}},
    {312, E::Plain, kSectionLockM7S, {kMod7StandardDestination}},
    {313, E::Plain, kSectionLockM7S, {kMod7StandardAmount}},
    {314, E::Plain, kSectionLockM8S, {kMod8StandardSource}},
    {315, E::Plain, kSectionLockM8S, {kMod8StandardDestination}},
    {316, E::Plain, kSectionLockM8S, {kMod8StandardAmount}},
    {319, E::Plain, kSectionLockArp, {kArpMode}},
    {320, E::Plain, kSectionLockArp, {kArpPattern}},
    {321, E::Plain, kSectionLockArp, {kArpMaxNotes}},
    {322, E::Plain, kSectionLockArp, {kArpClock}},
    {323, E::Plain, kSectionLockArp, {kArpNoteLength}},
    {324, E::Plain, kSectionLockArp, {kArpOctRange}},
    {325, E::Plain, kSectionLockArp, {kArpDirection}},
    {326, E::Plain, kSectionLockArp, {kArpSortOrder}},
    {327, E::Plain, kSectionLockArp, {kArpVelocityMode}},
    {328, E::Plain, kSectionLockArp, {kArpTimeFactor}},
    {329, E::Plain, kSectionLockArp, {kArpSameNoteOverlap}},
    {330, E::Plain, kSectionLockArp, {kArpPatternReset}},
    {331, E::Plain, kSectionLockArp, {kArpPatternLength}},
    {335, E::ArpStep, kSectionLockArp,
     {kArpPattern01Glide, kArpPattern01Step, kArpPattern01Accent}},
    {336, E::ArpStep, kSectionLockArp,
     {kArpPattern02Glide, kArpPattern02Step, kArpPattern02Accent}},
    {337, E::ArpStep, kSectionLockArp,
     {kArpPattern03Glide, kArpPattern03Step, kArpPattern03Accent}},
    {338, E::ArpStep, kSectionLockArp,
     {kArpPattern04Glide, kArpPattern04Step, kArpPattern04Accent}},
    {339, E::ArpStep, kSectionLockArp,
     {kArpPattern05Glide, kArpPattern05Step, kArpPattern05Accent}},
    {340, E::ArpStep, kSectionLockArp,
     {kArpPattern06Glide, kArpPattern06Step, kArpPattern06Accent}},
    {341, E::ArpStep, kSectionLockArp,
     {kArpPattern07Glide, kArpPattern07Step, kArpPattern07Accent}},
    {342, E::ArpStep, kSectionLockArp,
     {kArpPattern08Glide, kArpPattern08Step, kArpPattern08Accent}},
    {343, E::ArpStep, kSectionLockArp,
     {kArpPattern09Glide, kArpPattern09Step, kArpPattern09Accent}},
    {344, E::ArpStep, kSectionLockArp,
     {kArpPattern10Glide, kArpPattern10Step, kArpPattern10Accent}},
    {345, E::ArpStep, kSectionLockArp,
     {kArpPattern11Glide, kArpPattern11Step, kArpPattern11Accent}},
    {346, E::ArpStep, kSectionLockArp,
     {kArpPattern12Glide, kArpPattern12Step, kArpPattern12Accent}},
    {347, E::ArpStep, kSectionLockArp,
     {kArpPattern13Glide, kArpPattern13Step, kArpPattern13Accent}},
    {348, E::ArpStep, kSectionLockArp,
     {kArpPattern14Glide, kArpPattern14Step, kArpPattern14Accent}},
    {349, E::ArpStep, kSectionLockArp,
     {kArpPattern15Glide, kArpPattern15Step, kArpPattern15Accent}},
    {350, E::ArpStep, kSectionLockArp,
     {kArpPattern16Glide, kArpPattern16Step, kArpPattern16Accent}},
    {351, E::ArpTiming, kSectionLockArp, {kArpPattern01StepLen, kArpPattern01Timing}},
    {352, E::ArpTiming, kSectionLockArp, {kArpPattern02StepLen, kArpPattern02Timing}},
    {353, E::ArpTiming, kSectionLockArp, {kArpPattern03StepLen, kArpPattern03Timing}},
    {354, E::ArpTiming, kSectionLockArp, {kArpPattern04StepLen, kArpPattern04Timing}},
    {355, E::ArpTiming, kSectionLockArp, {kArpPattern05StepLen, kArpPattern05Timing}},
    {356, E::ArpTiming, kSectionLockArp, {kArpPattern06StepLen, kArpPattern06Timing}},
    {357, E::ArpTiming, kSectionLockArp, {kArpPattern07StepLen, kArpPattern07Timing}},
    {358, E::ArpTiming, kSectionLockArp, {kArpPattern08StepLen, kArpPattern08Timing}},
    {359, E::ArpTiming, kSectionLockArp, {kArpPattern09StepLen, kArpPattern09Timing}},
    {360, E::ArpTiming, kSectionLockArp, {kArpPattern10StepLen, kArpPattern10Timing}},
    {361, E::ArpTiming, kSectionLockArp, {kArpPattern11StepLen, kArpPattern11Timing}},
    {362, E::ArpTiming, kSectionLockArp, {kArpPattern12StepLen, kArpPattern12Timing}},
    {363, E::ArpTiming, kSectionLockArp, {kArpPattern13StepLen, kArpPattern13Timing}},
    {364, E::ArpTiming, kSectionLockArp, {kArpPattern14StepLen, kArpPattern14Timing}},
    {365, E::ArpTiming, kSectionLockArp, {kArpPattern15StepLen, kArpPattern15Timing}},
    {366, E::ArpTiming, kSectionLockArp, {kArpPattern16StepLen, kArpPattern16Timing}},
};
// clang-format on

struct Constant {
    int offset;
    std::vector<uint8_t> bytes;
};

// The template's bytes other than zero; every byte no row names keeps its template value.
const Constant kTemplateBytes[] = {
    {0, {0xF0, 0x3E, 0x0F, 0x00, 0x10, 0x30, 0x00, 0x09}},
    {76, {0x40}},
    {81, {0x01}},
    {86, {0x40}},
    {89, {0x33, 0x00, 0x40, 0x40}},
    {106, {0x40}},
    {109, {0x40, 0x40, 0x40, 0x40}},
    {169, {0x40}},
    {181, {0x40}},
    {193, {0x40}},
    {202, {0x01}},
    {204, {0x40}},
    {216, {0x40}},
    {228, {0x40}},
    {240, {0x40}},
    {251, {0x01}},
    {334, {0x47}},
    {kNameOffset, {'-', '-', ' ', 'I', 'n', 'i', 't', ' ', 'P', 'a', 't', 'c', 'h', ' ', '-', '-'}},
    {kCategoryOffset, {'I', 'n', 'i', 't'}},
    {kSize - 2, {0x7F, 0xF7}},
};

} // namespace

const TapDelay kTapDelays[2] = {
    {135, 140, kSectionLockFX1, kFX1TapDelayTap1Volume, kFX1TapDelayTap1Pan,
     kFX1TapDelayFeedbackDucking},
    {151, 156, kSectionLockFX2, kFX2TapDelayTap1Volume, kFX2TapDelayTap1Pan,
     kFX2TapDelayFeedbackDucking},
};

const std::vector<Byte>& layout() {
    static const std::vector<Byte> rows(std::begin(kLayout), std::end(kLayout));
    return rows;
}

int paramCount(Encoding encoding) {
    switch (encoding) {
    case E::Unisono:
    case E::FilterType:
    case E::FilterLink:
    case E::Envelope:
    case E::ArpTiming:
        return 2;
    case E::ArpStep:
        return 3;
    default:
        return 1;
    }
}

const std::array<uint8_t, kSize>& dumpTemplate() {
    static const std::array<uint8_t, kSize> dump = [] {
        std::array<uint8_t, kSize> d{};
        for (const Constant& c : kTemplateBytes)
            std::copy(c.bytes.begin(), c.bytes.end(), d.begin() + c.offset);
        return d;
    }();
    return dump;
}

int truncated(double value) {
    return value > -2147483648.0 && value < 2147483648.0 ? int(value) : 0;
}

uint8_t encode(const Byte& row, const std::function<int(int param)>& value, int model) {
    // Unsigned arithmetic keeps the low seven bits of any value without overflow.
    const auto v = [&](int i) { return uint32_t(value(row.params[i])); };
    uint32_t b = 0;
    switch (row.encoding) {
    case E::Plain:
    case E::FilterLink:
    case E::EffectMode:
    case E::EffectSlot:
        b = v(0);
        break;
    case E::BendRange:
        b = v(0) + 40;
        break;
    case E::Unisono:
        b = 16 * v(0) + v(1);
        break;
    case E::FilterType:
        b = v(model == 1 ? 0 : 1);
        break;
    case E::Effect2Mode:
        b = value(row.params[0]) < 10 ? v(0) : v(0) + 22;
        break;
    case E::Envelope:
        b = 32 * v(1) + v(0);
        break;
    case E::ArpStep:
        b = 16 * v(1) + (v(0) == 1 ? 8 : 0) + v(2);
        break;
    case E::ArpTiming:
        b = 16 * v(0) + v(1);
        break;
    }
    return uint8_t(b & 0x7F);
}

int decode(const Byte& row, uint8_t b, Setting out[3]) {
    const int* p = row.params;
    switch (row.encoding) {
    case E::Plain:
    case E::EffectMode:
    case E::EffectSlot:
        out[0] = {p[0], b};
        return 1;
    case E::BendRange:
        out[0] = {p[0], b - 40};
        return 1;
    case E::Unisono:
        if ((b & 0x0F) == 0 && (b >> 4) <= 5) {
            out[0] = {p[0], b >> 4};
            out[1] = {p[1], 0};
        } else {
            out[0] = {p[0], (b - 1) / 16};
            out[1] = {p[1], 1};
        }
        return 2;
    case E::FilterType:
        out[0] = {p[0], b};
        out[1] = {p[1], b == 12 ? 1 : b == 13 ? 2 : b};
        return 2;
    case E::FilterLink:
        out[0] = {p[0], b};
        out[1] = {p[1], b == 3 ? 1 : 0};
        return 2;
    case E::Effect2Mode:
        out[0] = {p[0], b < 32 ? b : b - 22};
        return 1;
    case E::Envelope:
        out[0] = {p[0], b >= 32 ? b - 32 : b};
        out[1] = {p[1], b >= 32 ? 1 : 0};
        return 2;
    case E::ArpStep:
        out[0] = {p[0], (b >> 3) & 1};
        out[1] = {p[1], b >> 4};
        out[2] = {p[2], b & 7};
        return 3;
    case E::ArpTiming:
        out[0] = {p[0], b >> 4};
        out[1] = {p[1], b & 15};
        return 2;
    }
    return 0;
}

// Taps 1 to 15 are digits d = volume + 8·pan (0..23) of three base-24 numbers of five digits
// each, the first tap of each five the most significant; tap 16 and the ducking value share
// the last byte.
void GenTapPatternCode(const uint8_t steps[kTapStepCount], uint8_t code[kTapCodeSize]) {
    // Unsigned: out-of-range steps may carry past 31 bits, and only the low bits are kept.
    uint32_t n[3] = {0, 0, 0};
    for (int t = 0; t < 15; ++t)
        n[t / 5] = n[t / 5] * 24 + steps[2 * t] + 8u * steps[2 * t + 1];
    code[0] = n[0] & 0x7F;
    code[1] = (n[0] >> 7) & 0x7F;
    code[2] = (n[0] >> 14) & 0x7F;
    code[3] = (((n[0] >> 21) & 3) + 4 * n[1]) & 0x7F;
    code[4] = (n[1] >> 5) & 0x7F;
    code[5] = (n[1] >> 12) & 0x7F;
    code[6] = (16 * n[2] + ((n[1] >> 19) & 0x0F)) & 0x7F;
    code[7] = (n[2] >> 3) & 0x7F;
    code[8] = (n[2] >> 10) & 0x7F;
    code[9] = (n[2] >> 17) & 0x3F;
    code[10] = uint8_t(((steps[30] + 8 * steps[31]) & 0x7F) | ((4 * steps[32]) & 0x60));
}

void decodeTapPatternCode(const uint8_t code[kTapCodeSize], uint8_t steps[kTapStepCount]) {
    uint8_t c[kTapCodeSize];
    for (int i = 0; i < kTapCodeSize; ++i)
        c[i] = code[i] & 0x7F;
    int n[3] = {
        c[0] + (c[1] << 7) + (c[2] << 14) + ((c[3] & 3) << 21),
        (c[3] >> 2) + (c[4] << 5) + (c[5] << 12) + ((c[6] & 0x0F) << 19),
        (c[6] >> 4) + (c[7] << 3) + (c[8] << 10) + (c[9] << 17),
    };
    for (int t = 14; t >= 0; --t) {
        const int d = n[t / 5] % 24;
        n[t / 5] /= 24;
        steps[2 * t] = uint8_t(d & 7);
        steps[2 * t + 1] = uint8_t(d >> 3);
    }
    const int pan16 = (c[10] >> 3) & 3;
    steps[30] = c[10] & 7;
    steps[31] = uint8_t(pan16 == 3 ? 0 : pan16);
    steps[32] = (c[10] >> 2) & 0x18;
}

} // namespace SoundDump
