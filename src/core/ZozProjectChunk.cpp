// The plug-in's state block in the host's project chunk: writing it, and restoring the editor,
// the MIDI ports and the synthesizer from it.

#include "src/core/Zoz.h"

#include "kit/effect/IControl.h"
#include "platform/Clock.h"
#include "src/core/PatchManager.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/uiconfig/ParameterIds.h"

#include <string>

namespace {

// The last ids of the list are editor state that the chunk does not keep.
constexpr int kUnstoredParams = 648;
// Version word, selected part and model.
constexpr int kHeadSize = 4 + 8 + 8;
// The normalised device, bank and patch selections after the patch-manager block.
constexpr int kSelectionsSize = 4 * 8;
// A request ended by a restore ends at its next pause, at most 500 ms.
constexpr int64_t kRequestEndWaitMillis = 1000;
constexpr int64_t kPollMillis = 25;

// The position after a whole state block at pos, or -1 when it does not fit the chunk or a
// length inside it is malformed.
int stateEnd(const ByteChunk& chunk, int pos, bool full, int storedParams) {
    if (pos < 0) return -1;
    int64_t at = int64_t(pos) + kHeadSize;
    if (full) {
        if (at > chunk.Size()) return -1;
        const int blockEnd = PatchManager::blockEnd(chunk, int(at));
        if (blockEnd < 0) return -1;
        at = int64_t(blockEnd) + kSelectionsSize;
    }
    at += int64_t(storedParams) * 8;
    return at <= chunk.Size() ? int(at) : -1;
}

// Tests `done` under the plug lock, which the caller holds, and sleeps in steps without it until
// `done` holds; false when the deadline came first. Host calls, the editor and the audio go on
// meanwhile.
template <class Done> bool waitUntil(KIT_Mutex* lock, int64_t deadline, Done done) {
    while (!done()) {
        if (platform::NowMillis() >= deadline) return false;
        KIT_MutexRelease released(lock);
        platform::SleepMillis(kPollMillis);
    }
    return true;
}

} // namespace

int Zoz::storedParamCount() const {
    return NHiddenParams() - kUnstoredParams;
}

bool Zoz::SerializeState2(ByteChunk* chunk, bool full) {
    KIT_MutexLock lock(GetMutex());
    const uint8_t version[4] = {0, 0, 0, 1};
    chunk->PutBytes(version, 4);
    chunk->PutDouble(GetParam(kQuickTab)->Value());
    chunk->PutDouble(GetParam(kQModel)->Value());
    SerializeParams(chunk);
    if (full) {
        const std::pair<int, int> devices[] = {{kDeviceInSelection, 17}, {kDeviceOutSelection, 18}};
        for (const auto& [paramIdx, slot] : devices) {
            // A port still awaited keeps its name in the project.
            const IParam* param = GetParam(paramIdx);
            const std::string& awaited = awaitedExternalMIDI(paramIdx == kDeviceInSelection);
            const std::string name =
                awaited.empty() ? param->GetDisplayText(TruncToInt(param->Value())) : awaited;
            patchManager->setName(slot, name.empty() ? kUnnamedDevice : name);
            setLibrarianViewDirty();
        }
        patchManager->saveAllToChunk(chunk);
        for (int paramIdx :
             {kDeviceInSelection, kDeviceOutSelection, kBankSelection, kPatchSelection})
            chunk->PutDouble(GetParam(paramIdx)->GetNormalized());
    }
    SerializeNonAutomatedParams(chunk, storedParamCount());
    return true;
}

// Nothing is applied unless the whole block is there: a cut chunk must not reopen ports, send
// defaults to the synthesizer or leave the editor half restored.
int Zoz::UnserializeState2(ByteChunk* chunk, int pos, bool full) {
    KIT_MutexLock lock(GetMutex());
    if (stateEnd(*chunk, pos, full, storedParamCount()) < 0) {
        log("PROJECT RECALL: chunk too short");
        return -1;
    }
    // A request running before the restore (the start's device-id probe) brings a dump whose
    // parser would write the synthesizer's values over the restored ones, and against a silent
    // synthesizer would hold the host for its whole scan: it is ended, and what it received by
    // then is parsed while the plug lock is let go and nothing is restored yet. Any other job
    // goes on; the arrangement follows it.
    messageManager->endRequestIntoEditor();
    if (!waitUntil(GetMutex(), platform::NowMillis() + kRequestEndWaitMillis,
                   [this] { return !messageManager->isRunning(MIDIMessageManager::kJobThread); }))
        log("PROJECT RECALL: a job is running, the arrangement follows it");
    pos += 4; // the version word is not looked at
    double value = 0.0;
    pos = chunk->GetDouble(&value, pos);
    GetParam(kQuickTab)->Set(value);
    shownPart = TruncToInt(GetParam(kQuickTab)->Value());
    pos = chunk->GetDouble(&value, pos);
    GetParam(kQModel)->Set(value);
    synthModel = TruncToInt(GetParam(kQModel)->Value());

    recallRunning = true;
    if (TruncToInt(GetParamValue(kDeviceOutSelection)) > 0) midiIOSet = true;
    log("PROJECT RECALL: hardware model ", getValueListText("qModel", synthModel));
    pos = UnserializeParams(chunk, pos);
    if (full) pos = restorePortsAndSelections(chunk, pos);

    pos = UnserializeNonAutomatedParams(chunk, pos, storedParamCount());
    deviceId = TruncToInt(GetParamValue(kGlobalSysExID));
    log("PROJECT RECALL: hardware DeviceID ", std::to_string(deviceId));
    restoreNames();
    dawBufferSamples = 2 * TruncToInt(GetParamValue(kAdjustDAWOffset)) + GetBlockSize();
    // The last step, once the ports and the device id are the project's. The restore does not
    // wait for the send: the host's call returns while the arrangement goes out.
    if (midiIOSet) pendingArrangement = !postRestoredArrangement();
    logDevices("after nonautomated params ");
    recallRunning = false;
    return pos;
}

int Zoz::restorePortsAndSelections(ByteChunk* chunk, int pos) {
    pos = patchManager->loadAllFromChunk(chunk, pos);
    pos += 16; // the normalised device selections are not used

    // The project's ports replace those awaited: a port not there now is awaited in their place.
    const std::string inName = patchManager->getName(17);
    log("PROJECT RECALL: MIDI In device stored ", inName);
    int inPort = 1;
    getExternalMIDIInNames();
    setExternalMIDIIn(inPort, inName.c_str());
    awaitStoredPort(true, inPort, inName);
    IParam* in = GetParam(kDeviceInSelection);
    in->Set(inPort);
    if (IControl* selector = keptControl(kDeviceInSelection))
        selector->SetValueFromPlug(in->GetNormalized(inPort));

    const std::string outName = patchManager->getName(18);
    log("PROJECT RECALL: MIDI Out device stored ", outName);
    int outPort = 1;
    getExternalMIDIOutNames();
    setExternalMIDIOut(outPort, outName.c_str());
    awaitStoredPort(false, outPort, outName);
    GetParam(kDeviceOutSelection)->Set(outPort);
    // A stored output that is gone leaves no port open: nothing may be sent into it.
    midiIOSet = outPort > 0;
    in->Set(inPort);
    logDevices("after checking devices ");
    showPortStatus();

    double bank = 0.0, patch = 0.0;
    pos = chunk->GetDouble(&bank, pos);
    pos = chunk->GetDouble(&patch, pos);
    GetParam(kBankSelection)->SetNormalized(bank);
    GetParam(kPatchSelection)->SetNormalized(patch);
    patchManager->selectedBank = TruncToInt(GetParamValue(kBankSelection));
    patchManager->selectedPatch = TruncToInt(GetParamValue(kPatchSelection));
    readFilterSwitches();
    return pos;
}

void Zoz::logDevices(const std::string& when) {
    for (const auto& [direction, paramIdx] :
         {std::pair<const char*, int>{"In", kDeviceInSelection}, {"Out", kDeviceOutSelection}}) {
        const IParam* param = GetParam(paramIdx);
        log("PROJECT RECALL: MIDI ", direction, " device ", when,
            param->GetDisplayText(TruncToInt(param->Value())));
    }
}

// The switches as they stand before the hidden values are read decide the routing.
void Zoz::readFilterSwitches() {
    const auto on = [this](int paramIdx) { return GetParamValue(paramIdx) == 1.0; };
    for (int kind = 0; kind < kFilterKinds; ++kind) {
        hostBlocked[size_t(kind)] = !on(kMIDIFilterDAWCCPassThrough + kind);
        hardwareBlocked[size_t(kind)] = !on(kMIDIFilterHWCCPassThrough + kind);
    }
    followIncoming = on(kMIDIFilterTrackIncomingMIDI);
    toHostBuffer = on(kMIDIFilterToDAWBuffer);
    clockPointer = on(kSendMIDIClockPointer);
    clockInfo = on(kSendMIDIClockInfo);
}

void Zoz::restoreNames() {
    const std::string multi = patchManager->getName(0);
    setParamText(kMultiName, multi);
    log("PROJECT RECALL: Multi name ", multi.c_str());
    for (int part = 0; part < 16; ++part) {
        const std::string sound = patchManager->getName(1 + part);
        const std::string category = patchManager->getName(19 + part);
        setParamText(kPatchName + part, sound);
        setParamText(kCategoryName + part, category);
        setParamText(kPatternName + part, patchManager->getName(35 + part));
        log("PROJECT RECALL: Part ", std::to_string(part), " name ", sound.c_str(),
            " | Category name ", category);
    }
}

bool Zoz::postRestoredArrangement() {
    return messageManager->postJob(SenderJob::kSendArrangementToDevice, [this](SenderJob& job) {
        job.dumpOption1 = false;
        job.dumpOption2 = false;
        setArrangementSendFlags(true, true, true);
    });
}
