#!/usr/bin/env python3
"""Writes the parameter id enum (src/uiconfig/ParameterIds.h) and the name-run table
(src/uiconfig/ParameterNames.cpp) from the runs below.

Each run is (first id, width, names): a run's k-th name has the id first + k * width; a run
of None names stands for ids that have no name. The runs must cover every id from 0 to the
last one without a gap. OUTPUT_DIR is src/uiconfig beside this script's folder unless given.
"""
import argparse
import os
import sys


def two(n):
    return "%02d" % n


def arp_pattern():
    return ["kArpPattern%s%s" % (two(step), field) for step in range(1, 17)
            for field in ("Glide", "Accent", "Step", "Timing", "StepLen")]


FX1_NAMES = """
kFX1ChorusSpeed kFX1ChorusDepth kFX1ChorusDelay kFX1FlangerSpeed kFX1FlangerDepht
kFX1FlangerFeedBack kFX1FlangerPolarity kFX1PhaserSpeed kFX1PhaserDepth kFX1PhaserCenter
kFX1PhaserSpacing kFX1PhaserFeedback kFX1PhaserPolarity kFX1DelayClocked kFX1DelayLength
kFX1DelayLengthClocked kFX1DelayTempo kFX1DelayFeedback kFX1DelayPolarity kFX1DelayCutoff
kFX1DelayAutoPan kFX1OverdriveDrive kFX1OverdrivePostGain kFX1OverdriveCutoff
kFX1FiveFXSampleHold kFX1FiveFXOverdrive kFX1FiveFXRingMod kFX1FiveFXSource
kFX1FiveFXChorusDelay kFX1FiveFXSpeed kFX1FiveFXDepth kFX1FiveFXDelay kFX1VocoderBands
kFX1VocoderAnalysisSignal kFX1VocoderAnalysisLoFrq kFX1VocoderAnalysisHiFrq
kFX1VocoderAnalysisSOffset kFX1VocoderAnalysisHiOffset kFX1VocoderBandwidth
kFX1VocoderResonance kFX1VocoderAttack kFX1VocoderDecay kFX1VocoderEQLowBandLevel
kFX1VocoderEQMiddleFreq kFX1VocoderEQMiddleLevel kFX1VocoderEQHighBandLevel
kFX1ReverbHighPass kFX1ReverbLowppass kFX1ReverbPredelay kFX1ReverbDiffusion kFX1ReverbSize
kFX1ReverbShape kFX1ReverbDecay kFX1ReverbDamping
""".split()


def fx1_tap_delay():
    return (["kFX1TapDelayDelay", "kFX1TapDelayFeedback", "kFX1TapDelaySwingFactor"] +
            ["kFX1TapDelayTap%dVolume" % t for t in range(1, 17)] +
            ["kFX1TapDelayTap%dPan" % t for t in range(1, 17)] +
            ["kFX1TapDelayFeedbackDucking"])


def fx2():
    return [n.replace("kFX1", "kFX2", 1) for n in FX1_NAMES + fx1_tap_delay()]


def effect_slots():
    return [name for slot in (1, 2)
            for name in ["kEffect%dMode" % slot] +
            ["kEffect%dParam%s" % (slot, two(p)) for p in range(1, 15)]]


def mod_matrix():
    return ["kMod%d%s%s" % (slot, kind, field) for kind in ("Fast", "Standard")
            for slot in range(1, 9) for field in ("Source", "Amount", "Destination")]


def modifiers():
    return ["kModifier%d%s" % (m, field) for m in range(1, 5)
            for field in ("Source1", "Source2", "SourceType", "SourceAmount")]


def pattern_steps():
    fields = ("Cutoff Velocity CV1 CV2 StepLength NoteLength HoldPause "
              "Note1 Note2 Note3 Note4 Note5 Note6 Note7 Note8").split()
    return ["kPatternStep%s%s" % (two(step), f) for step in range(1, 33) for f in fields]


RUNS = [
    (0, 16, """
kOscillator1Octave kOscillator1Balance kOscillator1Pulsewidth kOscillator1PWMAmount
kOscillator1FMAmount kOscillator1Detune kOscillator1Shape kOscillator1Semitone
kOscillator1Level kOscillator2Octave kOscillator2Balance kOscillator2Pulsewidth
kOscillator2PWMAmount kOscillator2FMAmount kOscillator2Detune kOscillator2Shape
kOscillator2Semitone kOscillator2Level kOscillator2SyncToOsc3 kOscillator3Octave
kOscillator3Balance kOscillator3Pulsewidth kOscillator3PWMAmount kOscillator3FMAmount
kOscillator3Detune kOscillator3Shape kOscillator3Semitone kOscillator3Level
kOscillatorGlideOnOffSwitch kOscillatorGlideRate kOscillatorGlideMode kOscillatorPitchAmount
kRingModulationLevel kRingModulationBalance kNoiseLevel kNoiseBalance kFilter1Cutoff
kFilter1Resonance kFilter1TypeQ kFilter1TypeQPlus kFilter1EnvAmount kFilter1Keytrack
kFilter1Drive kFilter1EnvVelocity kFilter1Panning kFilter1ModAmount kFilter1FMAmount
kFilter1PanAmount kFilterRoutingQ kFilter2Cutoff kFilter2Resonance kFilter2TypeQ
kFilter2TypeQPlus kFilter2EnvAmount kFilter2Keytrack kFilter2Drive kFilter2EnvVelocity
kFilter2Panning kFilter2ModAmount kFilter2FMAmount kFilter2PanAmount kAmpLevel
kAmpLevelVelocity kAmpModAmount kFilterEnvAttack kFilterEnvDecay kFilterEnvSustain
kFilterEnvRelease kFilterEnvDecay2 kFilterEnvSustain2 kAmpEnvAttack kAmpEnvDecay
kAmpEnvSustain kAmpEnvRelease kAmpEnvDecay2 kAmpEnvSustain2 kEnv3Attack kEnv3Decay
kEnv3Sustain kEnv3Release kEnv3Decay2 kEnv3Sustain2 kEnv4Attack kEnv4Decay kEnv4Sustain
kEnv4Release kEnv4Decay2 kEnv4Sustain2 kLFO1Speed kLFO1Shape kLFO1Delay kLFO1SyncOnOff
kLFO2Speed kLFO2Shape kLFO2Delay kLFO2SyncOnOff kLFO3Speed kLFO3Shape kLFO3Delay
kLFO3SyncOnOff kEffect1Mix kEffect2Mix kArpMode kArpNoteLength kArpOctRange
""".split()),
    (1680, 1, ["kPatchFileDialog"]),
    (1681, 16, """
kArpPattern kArpMaxNotes kArpClock kArpDirection kArpSortOrder kArpVelocityMode
kArpTimeFactor kArpSameNoteOverlap kArpPatternReset kArpPatternLength
""".split()),
    (1841, 16, arp_pattern()),
    (3121, 16, FX1_NAMES),
    (3985, 16, fx1_tap_delay()),
    (4561, 16, fx2()),
    (6001, 16, """
kFX251DelayDelay kFX251DelayFeedback kFX251DelayLFELP kFX251DelayInputHP kFX251DelayFSLV
kFX251DelayDelayML kFX251DelayFSRV kFX251DelayDelayMR kFX251DelayCntrSV kFX251DelayDelayS2L
kFX251DelayRearSLV kFX251DelayS1L
""".split()),
    (6193, 16, [None]),
    (6209, 16, """
kFX251DelayRearSRV kFX251DelayS1R kFX251DelayClockedDelay kFX251DelayClockedFeedback
kFX251DelayClockedLFELP kFX251DelayClockedInputHP kFX251DelayClockedFSLV
kFX251DelayClockedDelayML kFX251DelayClockedFSRV kFX251DelayClockedDelayMR
kFX251DelayClockedCntrSV kFX251DelayClockedDelayS2L kFX251DelayClockedRearSLV
kFX251DelayClockedDelayS1L kFX251DelayClockedRearSRV kFX251DelayClockedDelayS1R
""".split()),
    (6465, 16, effect_slots()),
    (6945, 16, """
kOscillator1PWMSource kOscillator1FMSource kOscillator1Keytrack kOscillator1BendRange
kOscillator2PWMSource kOscillator2FMSource kOscillator2Keytrack kOscillator2BendRange
kOscillator3PWMSource kOscillator3FMSource kOscillator3Keytrack kOscillator3BendRange
kOscillatorMonoPolyMode kOscillatorUnisono kOscillatorUniDetune kOscillatorPitchSource
kOscillator1FrqDivide kOscillator1SubLevel kOscillator2FrqDivide kOscillator2SubLevel
kNoiseExtSelect kNoiseF12Feed kFilter1ModSource kFilter1FMSource kFilter1PanSource
kFilter2ModSource kFilter2FMSource kFilter2PanSource kFilterEnvTrigger kAmpEnvTrigger
kEnv3Trigger kEnv4Trigger kAmpModSource kFilterAttackLevel kFilterEnvMode kAmpAttackLevel
kAmpEnvMode kEnv3AttackLevel kEnvelope3Mode kEnv4AttackLevel kEnvelope4Mode kLFO1Fade
kLFO1Startphase kLFO1Clock kLFO1Keytrack kLFO2Fade kLFO2Startphase kLFO2Clock kLFO2Keytrack
kLFO3Fade kLFO3Startphase kLFO3Clock kLFO3Keytrack
""".split()),
    (7793, 16, mod_matrix()),
    (8561, 16, modifiers()),
    (8817, 16, """
kMultiPartBank kMultiPartPatch kMultiPartStatus kMultiPartMIDICh kMultiPartOutput
kMultiPartLevel kMultiPartPanning kMultiPartTranspose kMultiPartDetune kMultiPartKeyLow
kMultiPartKeyHigh kMultiPartVeloLow kMultiPartVeloHigh kPartPattern
""".split()),
    (9041, 1, """
kGlobalInitSound1 kGlobalInitSound2 kGlobalInitSound3 kGlobalInitSound4 kGlobalMultiSound
kGlobalInstrSel kGlobalStartMode kGlobalKeyVeloCurve kGlobalReleaseCurve
kGlobalPressureCurve kGlobalLocalControl kGlobalPedalOffset kGlobalPedalGain
kGlobalPedalCurve kGlobalPedalController kGlobalMidiChannel kGlobalSysExID kGlobalClock
kGlobalArpSend kGlobalControlSend kGlobalReceive kGlobalControlW kGlobalControlX
kGlobalControlY kGlobalControlZ kGlobalRxProgramChange kGlobalTxProgramChange kGlobalTuning
kGlobalTranspose kGlobalInputGain kGlobalMixInputTo kGlobalInputMix kGlobalPopupTime
kGlobalDisplayContrast kGlobalPedal2Offset kGlobalPedal2Gain kGlobalPedal2Curve
kGlobalPedal2Controller kGlobalFootswitch1Mode kGlobalFootswitch1Controller
kGlobalFootswitch2Mode kGlobalFootswitch2Controller kGlobalTuningHMTDepth
kGlobalTuningHMTMode kGlobalTuningHMTMIDIExport kGlobalPatternInst1 kGlobalPatternInst2
KGlobalPatternInst3 kGlobalPatternInst4 kMultiMasterVolume kMultiTempo kMultiControlW
kMultiControlX kMultiControlY kMultiControlZ kOverrideTempo kOverrideSettings
kBankSelection kPatchSelection kMultiName
""".split()),
    (9101, 16, ["kPatchName", "kCategoryName"]),
    (9133, 1, ["kQModel", "kDeviceID_old"]),
    (9135, 16, """
kModWheel kBreathControl kContr3 kFootController kDataSlider kChannelVolume kBalance kContr9
kPanorama kExpression kContr12 kContr13 kContr14 kContr15 kContr16 kMIDIRX kMIDITX kEngine
kPartPitchBend kPartModWheel kPartAfterTouch kPartSustain kPartButtons kPartProgramChange
kNoiseExtFilter1Source kNoiseExtFilter2Source kTuneMode kPartLock kSectionLockOsc1
kSectionLockOsc2 kSectionLockOsc3 kSectionLockMixer kSectionLockPitchMod
kSectionLockUnisono kSectionLockNoiseExt kSectionLockFilter1 kSectionLockFilter2
kSectionLockFilterEnv kSectionLockAmp kSectionLockAmpEnv kSectionLockFX1 kSectionLockFX2
kSectionLockArp kSectionLockEnv3 kSectionLockEnv4 kSectionLockLFO1 kSectionLockLFO2
kSectionLockLFO3 kSectionLockM1F kSectionLockM2F kSectionLockM3F kSectionLockM4F
kSectionLockM5F kSectionLockM6F kSectionLockM7F kSectionLockM8F kSectionLockM1S
kSectionLockM2S kSectionLockM3S kSectionLockM4S kSectionLockM5S kSectionLockM6S
kSectionLockM7S kSectionLockM8S kSectionLockMod1 kSectionLockMod2 kSectionLockMod3
kSectionLockMod4
""".split()),
    (10223, 1, """
kSectionLockGlobal kGlobalLabelTime kMIDIFilterDAWCCPassThrough kMIDIFilterDAWPCPassThrough
kMIDIFilterDAWNotePassThrough kMIDIFilterDAWPPPassThrough kMIDIFilterDAWPAPassThrough
kMIDIFilterDAWCAPassThrough kMIDIFilterDAWSEPassThrough kMIDIFilterHWCCPassThrough
kMIDIFilterHWPCPassThrough kMIDIFilterHWNotePassThrough kMIDIFilterHWPPPassThrough
kMIDIFilterHWPAPassThrough kMIDIFilterHWCAPassThrough kMIDIFilterHWSEPassThrough
kMIDIFilterTrackIncomingMIDI kMIDIFilterDirectToHardware kMIDIFilterToDAWBuffer
""".split()),
    (10242, 16, ["kCurrentBank", "kCurrentPatch", "kCurrentPatchBank", "kFilterLinkSwitch"]),
    (10306, 1, ["kAdjustDAWOffset"]),
    (10307, 16, """
kPatternName kPatternStepLength kPatternTransposeMode kPatternTransposeKey
kPatternTransposeQuantize kOptionLinePar
""".split()),
    (10403, 16, pattern_steps()),
    (18083, 16, ["kSectionLockPattern", "kPartZaruvaMode", "kPartZaruvaPatch",
                 "kPartZaruvaBank"]),
    (18147, 1, ["kMultiBank", "kMultiPatch", "kControlProgBank", "kTempoInformation"]),
    (18151, 16, ["kFilterLinkValue", "kSustainPedal"]),
    (18183, 1, ["kTriggerProgControl", "kOverwriteBank", "kPatchSearchString", "kPatchSearch"]),
    (18187, 16, ["kCurrentOpenPatternBankL", "kCurrentOpenPatternBankR", "kFilterLinkTrigger"]),
    (18235, 1, """
kViewMIDIFilterSettings kCategorySelection kLibUpperPreviousBank kLibLowerPreviousBank
kLibUpperNextBank kLibLowerNextBank kMasterKeyboard kUserInterfaceSize kUserInterfaceStyle
kKeepSelectedBank
""".split()),
    (18245, 1, [None]),
    (18246, 1, ["kDeviceOutSelection", "kDeviceInSelection", "kCurrentOpenPerfBankL",
                "kCurrentOpenPerfBankR"]),
    (18250, 16, ["kCurrentOpenPatchBankL", "kCurrentOpenPatchBankR"]),
    (18282, 1, ["kFirstRunExit", "kDisplayAboutWindow", "kExitAboutWindow"]),
    (18285, 1, [None, None]),
    (18287, 1, ["kTriggerGlobalArpMidiOut", "kTriggerGlobalLocalKBDControl",
                "kControlDisplayBuild"]),
    (18290, 16, """
kMIDILed kMultiPartSettings kTriggerFX1DelayClocked kTriggerFX1DelayPolarity
kTriggerFX1DelayAutoPan kTriggerFX2DelayClocked kTriggerFX2DelayPolarity
kTriggerFX2DelayAutoPan kTriggerFX2FlangerPolarity kTriggerFX2PhaserPolarity
kTriggerFX1FlangerPolarity kTriggerFX1PhaserPolarity kTriggerOscillator2SyncToOsc3
kTriggerOscillatorGlideOnOffSwitch kTriggerLFO1SyncOnOff kTriggerLFO2SyncOnOff
kTriggerLFO3SyncOnOff kTriggerLFO1Clock kTriggerLFO2Clock kTriggerLFO3Clock
kTriggerOscillatorMonoPolyMode kTriggerFilterEnvTrigger kTriggerAmpEnvTrigger
kTriggerEnv3Trigger kTriggerEnv4Trigger kTriggerArpNoteOverlap kTriggerArpPatternReset
""".split()),
    (18722, 16, [None, None]),
    (18754, 1, ["kLibSyncTimer", "kRequestFromBank"]),
    (18756, 16, ["kPatchUp", "kPatchDown"]),
    (18788, 1, """
kControlLibrary kControlDisplayName kControlDisplayValue kControlDisplayCC
kControlDisplayCategory kBankEditUnsaved kControlDisplayPatch kPushArrangement kPatternMode
kControlDisplayMIDIOutDelay kDiscardBankData kRequestTempData kSendMIDIClockInfo
kSendMIDIClockPointer kMultiSettings kPatchRename kDatatype kRefreshFolders
kPatchSelectionListUpper kPatchSelectionListLower kCancelDataRequest kRandomize kMainTab
kTriggerLibControl kQuickTab kCategoryRename kLibrarianArea kPatchSelectionListUpperButton
kPatchSelectionListLowerButton kDebugParts
""".split()),
]

NUM_AUTOMATED = 1680
NUM_PARAMS = 18818


def named_entries():
    """(name, id, width) in id order, after checking that the runs tile 0 .. NUM_PARAMS - 1."""
    entries, next_id, seen = [], 0, set()
    for first, width, names in RUNS:
        if first != next_id:
            sys.exit("run at %d does not follow the previous run (expected %d)" % (first, next_id))
        for k, name in enumerate(names):
            if name is None:
                continue
            if name in seen:
                sys.exit("name given twice: " + name)
            seen.add(name)
            entries.append((name, first + k * width, width))
        next_id = first + len(names) * width
    if next_id != NUM_PARAMS:
        sys.exit("the runs end at %d, not %d" % (next_id, NUM_PARAMS))
    return entries


HEADER = "// Generated by tools/gen_parameter_ids.py: edit the runs there, not this file.\n"


def ids_header(entries):
    out = [HEADER, "#pragma once\n\n",
           "// Every parameter of the plug-in's one list. A name of width 16 stands for its id\n",
           "// and the 15 ids after it (index i is part i + 1 where the block is per part);\n",
           "// ids without a name are ordinary parameters that the layout cannot address.\n",
           "enum ParameterId {\n"]
    out += ["    %s = %d,\n" % (name, pid) for name, pid, _ in entries]
    out += ["\n",
            "    // Where the sound parameters of the 16 parts end.\n",
            "    kNumAutomatedParams = %d,\n" % NUM_AUTOMATED,
            "    kNumNonAutomatedParams = %d,\n" % (NUM_PARAMS - NUM_AUTOMATED),
            "    kNumParams = kNumAutomatedParams + kNumNonAutomatedParams\n",
            "};\n"]
    return "".join(out)


def names_source(entries):
    out = [HEADER, '#include "src/uiconfig/ParameterNames.h"\n\n',
           '#include "src/uiconfig/ParameterIds.h"\n\n',
           "const ParameterNameRun kParameterNameRuns[] = {\n"]
    out += ['    {"%s", %s, %d},\n' % (name, name, width) for name, _, width in entries]
    out += ["};\n\n",
            "const int kParameterNameRunCount = int(sizeof kParameterNameRuns / "
            "sizeof kParameterNameRuns[0]);\n"]
    return "".join(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("outdir", nargs="?", metavar="OUTPUT_DIR",
                        default=os.path.join(here, "..", "src", "uiconfig"))
    outdir = parser.parse_args().outdir
    entries = named_entries()
    os.makedirs(outdir, exist_ok=True)
    for name, text in (("ParameterIds.h", ids_header(entries)),
                       ("ParameterNames.cpp", names_source(entries))):
        with open(os.path.join(outdir, name), "w", newline="\n") as f:
            f.write(text)


if __name__ == "__main__":
    main()
