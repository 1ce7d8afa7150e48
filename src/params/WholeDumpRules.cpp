#include "src/params/WholeDumpRules.h"

#include "kit/effect/IEffectBase.h"
#include "src/params/PageZones.h"
#include "src/params/ParamChangePlugin.h"
#include "src/params/TabSwitchFunctions.h"
#include "src/sender/SenderJob.h"
#include "src/uiconfig/ParameterIds.h"

RuleEnd resendPartForTap(ParamChange& c) {
    // The families of both effects lie on 16-id blocks counted from the first.
    postPartSend(c.plug, (c.idx - kFX1TapDelayTap1Volume) % 16, true);
    return RuleEnd::kGoOn;
}

RuleEnd resendPartForName(ParamChange& c) {
    const int part = (c.idx - kPatchName) % 16;
    c.plug->AllSoundsOff(part, false);
    postPartSend(c.plug, part, true);
    return RuleEnd::kGoOn;
}

RuleEnd resendMultiForName(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    plug->AllSoundsOff(0, true);
    // The name travels in the multi dump alone: neither the parts' sounds nor the global dump.
    postSenderJob(
        plug, SenderJob::kSendArrangementToDevice, JobKind::kDump,
        [plug](SenderJob& job) {
            plug->clearArrangementSendFlag(false);
            plug->clearArrangementSendFlag(true);
            job.dumpOption1 = false;
            job.dumpOption2 = false;
        },
        true);
    return RuleEnd::kGoOn;
}

RuleEnd randomizeSelectedPart(ParamChange& c) {
    if (c.iv != 1) return RuleEnd::kStop;
    ParamChangePlugin* plug = c.plug;
    const double tab = plug->effect()->GetParam(kMainTab)->Value();
    if (!(tab > 0)) return RuleEnd::kStop;
    const int part = plug->selectedPart();
    // While the worker is busy the new sound could not be sent, and reading the part back
    // would overwrite it with the old one: the part stays as it is.
    bool sent = false;
    if (!plug->ThreadRunning()) {
        plug->randomizePart(part);
        TabSwitchFunctions::mainTabSwitch(plug, kRandomize, TruncToInt(tab), plug->model(), part);
        plug->AllSoundsOff(part, false);
        sent = postPartSend(plug, part);
    }
    if (sent) showMessage(plug, "Part Randomized");
    setFromPlug(plug, kRandomize, 0.0);
    if (sent) plug->partReRequestFlag() = true;
    return RuleEnd::kStop;
}
