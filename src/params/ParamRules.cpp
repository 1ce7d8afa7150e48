#include "src/params/ParamRules.h"

#include "kit/effect/IEffectBase.h"
#include "src/params/EditorSettingsRules.h"
#include "src/params/LibrarianRules.h"
#include "src/params/MidiRoutingRules.h"
#include "src/params/ParamChangePlugin.h"
#include "src/params/PartStatusRules.h"
#include "src/params/SoundPageRules.h"
#include "src/params/TriggerButtonRules.h"
#include "src/params/WholeDumpRules.h"
#include "src/sender/SenderJob.h"
#include "src/uiconfig/ParameterIds.h"

namespace {

bool inRange(int id, int first, int last) {
    return id >= first && id <= last;
}

// The row of one parameter.
template <int Id> bool is(int id) {
    return id == Id;
}

bool isOscillatorShape(int id) {
    const int block = id & ~15;
    return block == kOscillator1Shape || block == kOscillator2Shape || block == kOscillator3Shape;
}

bool isFilterTypeOrEnvelopeMode(int id) {
    for (int first : {kFilter1TypeQ, kFilter1TypeQPlus, kFilter2TypeQ, kFilter2TypeQPlus,
                      kFilterEnvMode, kAmpEnvMode, kEnvelope3Mode, kEnvelope4Mode})
        if (isPartBlock(id, first)) return true;
    return false;
}

bool isEnvelopeTriggerOrMode(int id) {
    for (int first : {kFilterEnvTrigger, kAmpEnvTrigger, kEnv3Trigger, kEnv4Trigger, kFilterEnvMode,
                      kAmpEnvMode, kEnvelope3Mode, kEnvelope4Mode})
        if (isPartBlock(id, first)) return true;
    return false;
}

bool isPartSetting(int id) {
    for (int first : {kMultiPartStatus, kEngine, kMIDIRX, kMIDITX, kPartPitchBend, kPartModWheel,
                      kPartAfterTouch, kPartSustain, kPartButtons, kPartProgramChange})
        if (isPartBlock(id, first)) return true;
    return false;
}

} // namespace

// The rules of each family fill their slots; the ids tests are the dispatcher's map. A slot
// of several rules is split into rows, one per rule; a row without a rule holds the rest of
// the slot's ids, which the rows before it leave.
const ParamRuleTable kParamRules = {
    {
        // Oscillator shapes: clamp, quick-tab refresh.
        {isOscillatorShape, clampAndRefreshQuickTab},
        // Filter types and envelope modes: clamp, quick-tab refresh.
        {isFilterTypeOrEnvelopeMode, clampAndRefreshQuickTab},
        // Trigger buttons, then the filter-link buttons: toggle the mirrored parameter.
        {[](int id) {
             return inRange(id, kTriggerFX1DelayClocked, kTriggerArpPatternReset + 15) ||
                    isPartBlock(id, kFilterLinkTrigger);
         },
         pressTriggerButton},
        // Editor and librarian toggles.
        {[](int id) {
             return id == kTriggerProgControl || id == kKeepSelectedBank ||
                    id == kTriggerGlobalArpMidiOut || id == kTriggerGlobalLocalKBDControl ||
                    id == kTriggerLibControl;
         },
         pressEditorToggle},
        // Filter-link switches: single-parameter SysEx.
        {[](int id) { return isPartBlock(id, kFilterLinkSwitch); }, sendFilterLinkSwitch},
        // Librarian banks, editor settings and the host tempo.
        {[](int id) {
             return id == kLibUpperPreviousBank || id == kLibUpperNextBank ||
                    id == kLibLowerPreviousBank || id == kLibLowerNextBank;
         },
         stepBank},
        {[](int id) { return isPartBlock(id, kCurrentPatchBank); }, openCurrentPatchBank},
        {is<kUserInterfaceStyle>, applyColourScheme},
        {is<kUserInterfaceSize>, applyWindowSize},
        {is<kFirstRunExit>, answerFirstRun},
        {is<kTempoInformation>, readHostTempo},
        {[](int id) {
             return isPartBlock(id, kCurrentPatchBank) || id == kLibUpperPreviousBank ||
                    id == kLibUpperNextBank || inRange(id, kLibLowerPreviousBank, kFirstRunExit) ||
                    id == kTempoInformation;
         },
         nullptr},
    },
    {
        // Part status, engine, MIDI and controller switches: mirrors and channel status.
        {isPartSetting, sendPartSetting},
        // Multi settings pages.
        {[](int id) { return isPartBlock(id, kMultiPartSettings); }, showMultiSettingsPage},
        // Editor flags.
        {[](int id) { return id == kControlProgBank || id == kControlLibrary; },
         chooseProgramControl},
        {is<kMasterKeyboard>, followSwitch},
        // Effect pages.
        {[](int id) { return isPartBlock(id, kEffect1Mode) || isPartBlock(id, kEffect2Mode); },
         showEffectPages},
        // Envelope triggers and modes: whole-part re-send.
        {isEnvelopeTriggerOrMode, resendPart},
        // Device id, randomizer, librarian rename.
        {is<kGlobalSysExID>, changeDeviceId},
        {is<kRandomize>, randomizeSelectedPart},
        {is<kPatchRename>, renameSlot},
        // Names: whole-part or whole-multi re-send.
        {[](int id) { return isPartBlock(id, kPatchName) || isPartBlock(id, kCategoryName); },
         resendPartForName},
        {is<kMultiName>, resendMultiForName},
        // Tap delays of both effects: whole-part re-send.
        {[](int id) {
             return inRange(id, kFX1TapDelayTap1Volume, kFX1TapDelayFeedbackDucking + 15) ||
                    inRange(id, kFX2TapDelayTap1Volume, kFX2TapDelayFeedbackDucking + 15);
         },
         resendPartForTap},
        // Local control, multi transfers, program stepping.
        {is<kPushArrangement>, pushArrangement},
        {is<kRequestTempData>, requestTempData},
        {[](int id) { return isPartBlock(id, kPatchUp) || isPartBlock(id, kPatchDown); },
         stepProgram},
        {is<kGlobalLocalControl>, followSwitch},
        // Editor, librarian, transport and MIDI filter commands.
        {is<kOverwriteBank>, overwriteBank},
        {is<kPatchSearchString>, searchPatches},
        {is<kPatchSearch>, toggleSearchView},
        {is<kViewMIDIFilterSettings>, viewMIDIFilterSettings},
        {is<kCategorySelection>, selectCategoryView},
        {is<kDisplayAboutWindow>, showAboutWindow},
        {is<kExitAboutWindow>, exitAboutWindow},
        {is<kDiscardBankData>, discardBankData},
        {is<kMultiSettings>, showMultiSettings},
        {is<kDatatype>, switchDataType},
        {is<kRefreshFolders>, refreshFolders},
        {is<kCancelDataRequest>, cancelDataRequest},
        {is<kMainTab>, switchMainTab},
        {is<kQuickTab>, switchQuickTab},
        {is<kSendMIDIClockInfo>, switchMidiClock},
        {[](int id) {
             return inRange(id, kMIDIFilterDAWCCPassThrough, kMIDIFilterHWSEPassThrough);
         },
         passMidiType},
        {[](int id) { return id == kMIDIFilterTrackIncomingMIDI || id == kSendMIDIClockPointer; },
         followSwitch},
        {[](int id) { return id == kMIDIFilterDirectToHardware || id == kMIDIFilterToDAWBuffer; },
         chooseMidiRoute},
        {is<kAdjustDAWOffset>, setDawOffset},
        {[](int id) { return id == kDeviceOutSelection || id == kDeviceInSelection; },
         selectMidiPort},
        {[](int id) {
             return inRange(id, kDiscardBankData, kQuickTab) || id == kDisplayAboutWindow ||
                    id == kExitAboutWindow ||
                    inRange(id, kMIDIFilterDAWCCPassThrough, kAdjustDAWOffset) ||
                    inRange(id, kOverwriteBank, kDeviceInSelection);
         },
         nullptr},
        // Pattern lengths: the veiled steps.
        {[](int id) { return isPartBlock(id, kPatternStepLength); }, veilPatternSteps},
    },
};

void clampChangedValue(ParamChange& change) {
    change.param->Set(double(change.iv));
}

double toggleMirrored(ParamChangePlugin* plug, int target, bool normalized) {
    IParam* param = plug->effect()->GetParam(target);
    if (!param) return 0.0;
    const double value = param->Value() == 1.0 ? 0.0 : 1.0;
    dispatchMirrored(plug, target, value, normalized);
    return value;
}

void dispatchMirrored(ParamChangePlugin* plug, int target, double value, bool normalized) {
    IEffectBase* effect = plug->effect();
    IParam* param = effect->GetParam(target);
    if (!param) return;
    param->Set(value);
    effect->OnParamChange(target);
    if (IGraphics* graphics = effect->GetGUI())
        graphics->SetParameterFromPlug(target, value, normalized);
}

void setFromPlug(ParamChangePlugin* plug, int idx, double value) {
    IEffectBase* effect = plug->effect();
    IParam* param = effect->GetParam(idx);
    if (!param) return;
    param->Set(value);
    if (IGraphics* graphics = effect->GetGUI())
        graphics->SetParameterFromPlug(idx, param->Value(), false);
}

bool postSenderJob(ParamChangePlugin* plug, int command, JobKind kind,
                   const std::function<void(SenderJob&)>& setArguments, bool clearSoundRequest) {
    return plug->postJob(command, [&](SenderJob& job) {
        if (clearSoundRequest) plug->soundRequestActive() = false;
        if (kind == JobKind::kRequest) {
            plug->SetLibrarianRequestActive(false);
            plug->dumpAwaited() = true;
        }
        if (setArguments) setArguments(job);
    });
}

bool postPartSend(ParamChangePlugin* plug, int part, bool clearSoundRequest) {
    return postSenderJob(
        plug, SenderJob::kSendPartToDevice, JobKind::kDump,
        [part](SenderJob& job) {
            job.part = part;
            job.dumpOption1 = false;
        },
        clearSoundRequest);
}
