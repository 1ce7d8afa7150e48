#include "kit/effect/IEffectVST.h"

#include "kit/effect/IGraphics.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr VstInt32 kIdentify = VstFourCC('N', 'v', 'E', 'f');
constexpr VstIntPtr kVendorSpecificDone = 0xBEEF;
constexpr VstIntPtr kExtensionAnswer = 0xBEEF0000;
constexpr VstInt32 kVstVersion = 2400;
// What the time query asks for: position in quarter notes, tempo, bars, cycle, time signature.
constexpr VstInt32 kWantedTime =
    kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid;

// Hosts whose channel handling needs the plug-in held to stereo.
constexpr EHost kStereoOnlyHosts[] = {kHostForte, kHostAudition, kHostOrion, kHostSAWStudio};

enum EVSTExtension { kHasVxExtensions = 1, kHasVxViewAsConfig = 2 };

struct CanDoAnswer {
    const char* text;
    bool needsMidi;
    VstIntPtr answer;
    int extension; // bit set in the plug-in's extensions when asked
};

constexpr CanDoAnswer kCanDo[] = {
    {"receiveVstTimeInfo", false, 1, 0},
    {"sendVstEvents", true, 1, 0},
    {"sendVstMidiEvent", true, 1, 0},
    {"receiveVstEvents", true, 1, 0},
    {"receiveVstMidiEvent", true, 1, 0},
    {"hasVxExtensions", false, kExtensionAnswer, kHasVxExtensions},
    {"hasVxViewAsConfig", false, kExtensionAnswer, kHasVxViewAsConfig},
};

// Copies src into the host's buffer of size bytes; a longer text is cut to fit on purpose.
void copyText(void* dst, const char* src, size_t size) {
    if (size == 0) return;
    const size_t n = src ? strnlen(src, size - 1) : 0;
    if (n) memcpy(dst, src, n);
    static_cast<char*>(dst)[n] = '\0';
}

// A name asked for by the host: 1 when there was a buffer to copy it into.
VstIntPtr copyName(void* dst, const char* src, size_t size) {
    if (!dst) return 0;
    copyText(dst, src, size);
    return 1;
}

int toInt(VstIntPtr v) {
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : int(v);
}

VstInt16 toInt16(int v) {
    return VstInt16(std::min(std::max(v, 0), int(SHRT_MAX)));
}

IEffectVST* plugOf(AEffect* effect) {
    return effect ? static_cast<IEffectVST*>(effect->object) : nullptr;
}

template <class T> void silence(T** outputs, int nOut, VstInt32 nFrames) {
    for (int i = 0; outputs && i < nOut && nFrames > 0; ++i)
        if (outputs[i]) memset(outputs[i], 0, size_t(nFrames) * sizeof(T));
}

} // namespace

int VSTSpkrArrType(int nChannels) {
    return nChannels < 3 ? nChannels - 1 : -2;
}

// ---- Construction

AEffect* VSTCreateEffect(audioMasterCallback host, IEffectVST* (*make)(IEffectInstanceInfo)) {
    static KIT_Mutex creation;
    KIT_MutexLock lock(&creation);
    try {
        std::unique_ptr<IEffectVST> plug(make(IEffectInstanceInfo{host}));
        if (!plug) return nullptr;
        plug->EnsureDefaultPreset();
        AEffect* effect = plug.release()->GetAEffect();
        if (effect->numPrograms < 1) effect->numPrograms = 1;
        return effect;
    } catch (...) {
        return nullptr; // the host sees a plug-in that failed to load, not an exception
    }
}

IEffectVST::IEffectVST(IEffectInstanceInfo info, int nParams, const char* channelIOStr,
                       int nPresets, const char* effectName, const char* productName,
                       const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                       bool doesMidi, bool doesChunks, bool isInstrument, int)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                  uniqueID, mfrID, latency, doesMidi, doesChunks, isInstrument, kAPIVST2),
      m_hostCallback(info.hostCallback), m_doesMidi(doesMidi) {}

// The port watch calls the plug-in's virtuals: it ends while they are still the plug-in's own.
IEffectVST::~IEffectVST() {
    stopExternalMIDIWatch();
}

void IEffectVST::initialize(IEffectInstanceInfo, int nVisible, int nParams,
                            const char* channelIOStr, int nPresets, const char* effectName,
                            const char* productName, const char* mfrName, int vendorVersion,
                            int uniqueID, int mfrID, int latency, bool doesMidi, bool doesChunks,
                            bool isInstrument, int) {
    IEffectBase::initialize(nVisible, nParams, channelIOStr, nPresets, effectName, productName,
                            mfrName, vendorVersion, uniqueID, mfrID, latency, doesMidi, doesChunks,
                            isInstrument);
    m_vstExtensions = 0;

    m_effect = AEffect{};
    m_effect.magic = kEffectMagic;
    m_effect.dispatcher = VSTDispatcher;
    m_effect.process = VSTProcess;
    m_effect.setParameter = VSTSetParameter;
    m_effect.getParameter = VSTGetParameter;
    m_effect.processReplacing = VSTProcessReplacing;
    m_effect.processDoubleReplacing = VSTProcessDoubleReplacing;
    m_effect.numPrograms = NPresets();
    m_effect.numParams = NHostParams();
    m_effect.numInputs = NInChannels();
    m_effect.numOutputs = NOutChannels();
    m_effect.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    if (DoesStateChunks()) m_effect.flags |= effFlagsProgramChunks;
    if (LegalIO(1, -1)) m_effect.flags |= effFlagsCanMono;
    if (IsInstrument()) m_effect.flags |= effFlagsIsSynth;
    if (GetGUI()) m_effect.flags |= effFlagsHasEditor;
    m_effect.initialDelay = GetLatency();
    m_effect.ioRatio = 1.0f;
    m_effect.object = this;
    m_effect.uniqueID = GetUniqueID();
    m_effect.version = GetEffectVersion(true);

    m_inputSpkrArr.numChannels = NInChannels();
    m_inputSpkrArr.type = VSTSpkrArrType(NInChannels());
    m_outputSpkrArr.numChannels = NOutChannels();
    m_outputSpkrArr.type = VSTSpkrArrType(NOutChannels());
    SetInputChannelConnections(0, NInChannels(), true);
    SetOutputChannelConnections(0, NOutChannels(), true);
    SetBlockSize(1024);
}

// ---- Calls to the host

VstIntPtr IEffectVST::hostCall(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    return m_hostCallback ? m_hostCallback(&m_effect, opcode, index, value, ptr, opt) : 0;
}

VstTimeInfo* IEffectVST::hostTime(VstInt32 wanted) {
    return reinterpret_cast<VstTimeInfo*>(hostCall(audioMasterGetTime, 0, wanted));
}

void IEffectVST::HostBeginEdit(int idx) {
    hostCall(audioMasterBeginEdit, idx);
}

void IEffectVST::HostAutomate(int idx, double normalized) {
    hostCall(audioMasterAutomate, idx, 0, nullptr, float(normalized));
}

void IEffectVST::HostEndEdit(int idx) {
    hostCall(audioMasterEndEdit, idx);
}

void IEffectVST::InformHostOfProgramChange() {
    hostCall(audioMasterUpdateDisplay);
}

bool IEffectVST::IsRenderingOffline() {
    return hostCall(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

int IEffectVST::GetSamplePos() {
    const VstTimeInfo* t = hostTime(0);
    return t && t->samplePos >= 0.0 ? TruncToInt(t->samplePos + 0.5) : 0;
}

double IEffectVST::GetTempo() {
    const VstTimeInfo* t = hostTime(kVstTempoValid);
    return t && (t->flags & kVstTempoValid) && t->tempo >= 0.0 ? t->tempo : 0.0;
}

void IEffectVST::GetTimeSig(int* numerator, int* denominator) {
    *numerator = *denominator = 0;
    const VstTimeInfo* t = hostTime(kVstTimeSigValid);
    if (t && (t->flags & kVstTimeSigValid) && t->timeSigNumerator >= 0 &&
        t->timeSigDenominator >= 0) {
        *numerator = t->timeSigNumerator;
        *denominator = t->timeSigDenominator;
    }
}

void IEffectVST::GetTime(ITimeInfo* timeInfo) {
    const VstTimeInfo* t = hostTime(kWantedTime);
    if (!t || !(t->flags & kWantedTime)) return;
    timeInfo->samplePos = t->samplePos;
    if ((t->flags & kVstPpqPosValid) && t->ppqPos >= 0.0) timeInfo->ppqPos = t->ppqPos;
    if ((t->flags & kVstTempoValid) && t->tempo > 0.0) timeInfo->tempo = t->tempo;
    if ((t->flags & kVstBarsValid) && t->barStartPos >= 0.0) timeInfo->lastBar = t->barStartPos;
    if ((t->flags & kVstCyclePosValid) && t->cycleStartPos >= 0.0 && t->cycleEndPos >= 0.0) {
        timeInfo->cycleStart = t->cycleStartPos;
        timeInfo->cycleEnd = t->cycleEndPos;
    }
    if ((t->flags & kVstTimeSigValid) && t->timeSigNumerator > 0 && t->timeSigDenominator > 0) {
        timeInfo->numerator = t->timeSigNumerator;
        timeInfo->denominator = t->timeSigDenominator;
    }
    timeInfo->transportIsRunning = t->flags & kVstTransportPlaying;
    timeInfo->transportLoopEnabled = t->flags & kVstTransportCycleActive;
}

EHost IEffectVST::GetHost() {
    const EHost known = IEffectBase::GetHost();
    if (known != kHostUninit) return known;
    char product[256] = "";
    hostCall(audioMasterGetProductString, 0, 0, product);
    product[sizeof(product) - 1] = 0;
    int version = 0;
    if (product[0]) {
        const int v = std::max(toInt(hostCall(audioMasterGetVendorVersion)), 0);
        version = (v / 10000) << 16 | ((v % 10000) / 100) << 8 | (v % 100);
    }
    SetHost(product, version);
    return IEffectBase::GetHost();
}

void IEffectVST::HostSpecificInit() {
    if (m_hostSpecificInitDone) return;
    m_hostSpecificInitDone = true;
    const EHost host = GetHost();
    if (std::find(std::begin(kStereoOnlyHosts), std::end(kStereoOnlyHosts), host) !=
        std::end(kStereoOnlyHosts))
        LimitToStereoIO();
    m_inputSpkrArr.numChannels = m_effect.numInputs = NInChannels();
    m_outputSpkrArr.numChannels = m_effect.numOutputs = NOutChannels();
    OnHostIdentified();
}

void IEffectVST::setEditRect() {
    const IGraphics* g = GetGUI();
    m_editRect = ERect{0, 0, toInt16(g->Height()), toInt16(g->Width())};
}

void IEffectVST::ResizeGraphics(int, int) {
    if (!GetGUI()) return;
    setEditRect();
    OnWindowResize();
}

void IEffectVST::SetLatency(int samples) {
    m_effect.initialDelay = samples;
    IEffectBase::SetLatency(samples);
}

void IEffectVST::AttachGraphics(IGraphics* g) {
    if (!g) return;
    IEffectBase::AttachGraphics(g);
    m_effect.flags |= effFlagsHasEditor;
    setEditRect();
}

bool IEffectVST::SendVSTEvent(VstEvent* event) {
    VstEvents events = {};
    events.numEvents = 1;
    events.events[0] = event;
    return hostCall(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IEffectVST::SendMidiVST(IMidiMsg* msg) {
    VstMidiEvent ev = {};
    ev.type = kVstMidiType;
    ev.byteSize = sizeof(VstMidiEvent);
    ev.deltaFrames = msg->offset;
    ev.midiData[0] = char(msg->status);
    ev.midiData[1] = char(msg->data1);
    ev.midiData[2] = char(msg->data2);
    return SendVSTEvent(reinterpret_cast<VstEvent*>(&ev));
}

bool IEffectVST::SendSysEx(ISysEx* sysex) {
    VstMidiSysexEvent ev = {};
    ev.type = kVstSysExType;
    ev.byteSize = 32;
    ev.deltaFrames = sysex->offset;
    ev.dumpBytes = sysex->size;
    ev.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(sysex->data));
    return SendVSTEvent(reinterpret_cast<VstEvent*>(&ev));
}

// ---- The external MIDI output

bool IEffectVST::SendMidiMsg(IMidiMsg* msg) {
    unsigned char bytes[3];
    const int size = msg ? msg->WireBytes(bytes) : 0;
    if (size <= 0) return false;
    if (!msg->IsComplete()) {
        dropCutShort("to the synthesizer", *msg);
        return false;
    }
    return SendExternalMIDI(bytes, size);
}

bool IEffectVST::SendMidiSysex(unsigned char* data, int size) {
    if (size < 0 || (size > 0 && !data)) return false;
    if (size > 0 && data[0] == 0xF0) return SendExternalMIDI(data, size);
    if (size > kMaxExternalMIDIBytes - 2) return false;
    std::vector<unsigned char> framed;
    framed.reserve(size_t(size) + 2);
    framed.push_back(0xF0);
    framed.insert(framed.end(), data, data + size);
    framed.push_back(0xF7);
    return SendExternalMIDI(framed.data(), int(framed.size()));
}

bool IEffectVST::SendPatchSysex(unsigned char* data, int size) {
    return SendExternalMIDI(data, size);
}

bool IEffectVST::SendMidiSysex2(std::vector<unsigned char> bytes) {
    return bytes.size() <= size_t(kMaxExternalMIDIBytes) &&
           SendExternalMIDI(bytes.data(), int(bytes.size()));
}

// ---- The effect record's entry points

VstIntPtr IEffectVST::VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                    VstIntPtr value, void* ptr, float opt) {
    IEffectVST* plug = plugOf(effect);
    if (!plug) return 0;
    try {
        if (opcode == effClose) {
            // The port watch calls the plug-in's virtuals: it ends before any of the plug-in
            // goes.
            plug->stopExternalMIDIWatch();
            {
                // Waits for a call in progress on another thread. An editor the host left
                // open closes here: its thread calls the plug-in's virtuals, and the graphics
                // go only after the plug-in's derived parts.
                KIT_MutexLock lock(plug->GetMutex());
                if (IGraphics* g = plug->GetGUI()) g->CloseWindow();
            }
            delete plug;
            return 0;
        }
        // On the host's audio thread, which never waits for the plug lock.
        if (opcode == effProcessEvents)
            return plug->processEvents(static_cast<const VstEvents*>(ptr));
        VstIntPtr answer;
        {
            KIT_MutexLock lock(plug->GetMutex());
            answer = plug->dispatch(opcode, index, value, ptr, opt);
        }
        // The editor's changes reach the host on its own thread, outside the plug lock: its
        // handler may wait for its GUI thread, or call the plug-in. effEditIdle comes often
        // while the editor is open; the close tells what is left.
        if ((opcode == effEditClose ||
             std::this_thread::get_id() == plug->m_editorHostThread.load()) &&
            plug->TakeEditorEdits())
            plug->InformHostOfProgramChange();
        return answer;
    } catch (...) {
        return 0;
    }
}

float IEffectVST::VSTGetParameter(AEffect* effect, VstInt32 idx) {
    IEffectVST* plug = plugOf(effect);
    if (!plug) return 0.0f;
    try {
        KIT_MutexLock lock(plug->GetMutex());
        return plug->isVisible(idx) ? float(plug->GetParam(idx)->GetNormalized()) : 0.0f;
    } catch (...) {
        return 0.0f;
    }
}

void IEffectVST::VSTSetParameter(AEffect* effect, VstInt32 idx, float value) {
    IEffectVST* plug = plugOf(effect);
    if (!plug) return;
    try {
        KIT_MutexLock lock(plug->GetMutex());
        if (!plug->isVisible(idx)) return;
        if (IGraphics* g = plug->GetGUI()) g->SetParameterFromPlug(idx, value, true);
        plug->GetParam(idx)->SetNormalized(value);
        plug->OnParamChange(idx);
    } catch (...) {
    }
}

// One audio block: while another thread holds the plug lock the block is skipped, so the
// audio thread never waits behind an edit; a replacing block then leaves its outputs silent.
template <class T>
void IEffectVST::runBlock(AEffect* effect, T** inputs, T** outputs, VstInt32 nFrames,
                          bool accumulate) {
    IEffectVST* plug = plugOf(effect);
    if (!plug) return;
    bool done = false;
    try {
        KIT_MutexTryLock lock(plug->GetMutex());
        if (lock.Owned()) {
            if (plug->m_doesMidi) plug->hostCall(audioMasterWantMidi);
            plug->AttachInputBuffers(0, plug->NInChannels(), inputs, nFrames);
            plug->AttachOutputBuffers(0, plug->NOutChannels(), outputs);
            if (accumulate)
                done = plug->ProcessBuffersAccumulating(0.0f, nFrames);
            else
                done = plug->ProcessBuffers(T(0), nFrames);
        }
    } catch (...) {
        done = false;
    }
    if (!done && !accumulate) silence(outputs, plug->NOutChannels(), nFrames);
}

void IEffectVST::VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames) {
    runBlock(effect, inputs, outputs, nFrames, true);
}

void IEffectVST::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                     VstInt32 nFrames) {
    runBlock(effect, inputs, outputs, nFrames, false);
}

void IEffectVST::VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                           VstInt32 nFrames) {
    runBlock(effect, inputs, outputs, nFrames, false);
}

// ---- The dispatcher

VstIntPtr IEffectVST::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt) {
    switch (opcode) {
    case effOpen:
        HostSpecificInit();
        OnParamReset();
        return 0;
    case effSetProgram:
        if (!DoesStateChunks()) ModifyCurrentPreset();
        RestorePreset(toInt(value));
        return 0;
    case effGetProgram:
        return GetCurrentPresetIdx();
    case effSetProgramName:
        if (!ptr) return 0;
        ModifyCurrentPreset(static_cast<const char*>(ptr));
        PresetsChangedByHost();
        return 0;
    case effGetProgramName:
        if (ptr) copyText(ptr, GetPresetName(GetCurrentPresetIdx()), kVstMaxProgNameLen);
        return 0;
    case effGetParamLabel:
        if (ptr && isVisible(index))
            copyText(ptr, GetParam(index)->GetLabelForHost(), MAX_PARAM_DISPLAY_LEN);
        return 0;
    case effGetParamDisplay:
        if (ptr && isVisible(index)) GetParam(index)->GetDisplayForHost(static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr && isVisible(index))
            copyText(ptr, GetParam(index)->GetNameForHost(), MAX_PARAM_DISPLAY_LEN);
        return 0;
    case effSetSampleRate:
        SetSampleRate(opt);
        Reset();
        return 0;
    case effSetBlockSize:
        SetBlockSize(toInt(value));
        Reset();
        return 0;
    case effMainsChanged:
        OnActivate(value != 0);
        if (!value) Reset();
        return 0;
    case effEditGetRect:
        if (!ptr || !GetGUI()) return 0;
        *static_cast<ERect**>(ptr) = &m_editRect;
        return 1;
    case effEditOpen: {
        IGraphics* g = GetGUI();
        if (!g) return 0;
        void* view = (m_vstExtensions & kHasVxViewAsConfig) ? g->OpenWindow(ptr)
                                                            : g->OpenWindow(ptr, nullptr, 0, 0);
        if (!view) return 0;
        m_editorHostThread = std::this_thread::get_id();
        OnGUIOpen();
        return 1;
    }
    case effEditClose:
        if (!GetGUI()) return 0;
        OnGUIClose();
        GetGUI()->CloseWindow();
        // The editor's ticks end here: a change since their last comparison counts now.
        CheckEditorEdits(false, true);
        return 1;
    case effIdentify:
        return kIdentify;
    case effGetChunk:
        return getChunk(index == 0, ptr);
    case effSetChunk:
        return setChunk(index == 0, value, ptr);
    case effCanBeAutomated:
        return 1;
    case effString2Parameter:
        return string2Parameter(index, static_cast<const char*>(ptr));
    case effGetProgramNameIndexed:
        if (ptr) copyText(ptr, GetPresetName(index), kVstMaxProgNameLen);
        return GetPresetName(index)[0] ? 1 : 0;
    case effGetInputProperties:
        return pinProperties(index, NInChannels(), "Input %d", static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties:
        return pinProperties(index, NOutChannels(), "Output %d",
                             static_cast<VstPinProperties*>(ptr));
    case effGetPlugCategory:
        return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement:
        setSpeakerConnections(reinterpret_cast<const VstSpeakerArrangement*>(value),
                              static_cast<const VstSpeakerArrangement*>(ptr));
        return 1;
    case effGetEffectName:
        return copyName(ptr, GetEffectName(), kVstMaxEffectNameLen);
    case effGetVendorString:
        return copyName(ptr, GetMfrName(), kVstMaxVendorStrLen);
    case effGetProductString:
        return copyName(ptr, GetProductName(), kVstMaxProductStrLen);
    case effGetVendorVersion:
        return GetEffectVersion(false);
    case effVendorSpecific:
        // Only the host's request for the text of an arbitrary value of parameter `value`.
        if (index != effGetParamDisplay || !ptr) return 0;
        if (isVisible(toInt(value)))
            GetParam(toInt(value))->GetDisplayForHost(opt, true, static_cast<char*>(ptr), true);
        return kVendorSpecificDone;
    case effCanDo:
        return canDo(static_cast<const char*>(ptr));
    case effGetVstVersion:
        return kVstVersion;
    case effGetMidiKeyName: {
        auto* key = static_cast<MidiKeyName*>(ptr);
        if (!key) return 0;
        key->keyName[0] = 0;
        return MidiNoteName(key->thisKeyNumber, key->keyName) ? 1 : 0;
    }
    case effGetSpeakerArrangement:
        if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = &m_inputSpkrArr;
        if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = &m_outputSpkrArr;
        return 1;
    default:
        return 0;
    }
}

VstIntPtr IEffectVST::getChunk(bool bank, void* ptr) {
    if (!ptr) return 0;
    ByteChunk* chunk = bank ? &m_bankChunk : &m_presetChunk;
    if (!SerializeHostChunk(chunk, bank) || chunk->Size() == 0) return 0;
    *static_cast<void**>(ptr) = chunk->GetData();
    return chunk->Size();
}

VstIntPtr IEffectVST::setChunk(bool bank, VstIntPtr size, const void* data) {
    if (!data || size < 0 || size > INT_MAX) return 0;
    ByteChunk* chunk = bank ? &m_bankChunk : &m_presetChunk;
    chunk->Clear();
    if (chunk->PutBytes(data, int(size)) != int(size)) return 0;
    return UnserializeHostChunk(chunk, bank) ? 1 : 0;
}

VstIntPtr IEffectVST::processEvents(const VstEvents* events) {
    if (!events) return 0;
    // Through a plain pointer: the host's list is longer than the declared two entries.
    VstEvent* const* list = events->events;
    if (m_eventsBusy.test_and_set(std::memory_order_acquire)) {
        size_t midi = 0;
        for (VstInt32 i = 0; i < events->numEvents; ++i)
            midi += list[i] && list[i]->type == kVstMidiType;
        if (midi) DropHostMidi(midi);
        return 0;
    }
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        VstEvent* ev = list[i];
        if (!ev) continue;
        if (ev->type == kVstMidiType) {
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(ev);
            QueueHostMidi(IMidiMsg(midi->deltaFrames, uint8_t(midi->midiData[0]),
                                   uint8_t(midi->midiData[1]), uint8_t(midi->midiData[2])));
        } else {
            // SysEx from the host is not the synthesizer's: it goes back to the host unread.
            SendVSTEvent(ev);
        }
    }
    m_eventsBusy.clear(std::memory_order_release);
    WakeOutputThread();
    return 1;
}

VstIntPtr IEffectVST::string2Parameter(int idx, const char* text) {
    if (!isVisible(idx)) return 0;
    if (!text) return 1;
    IParam* param = GetParam(idx);
    double value;
    if (param->GetNDisplayTexts()) {
        int v;
        if (!param->MapDisplayText(text, &v)) return 0;
        value = v;
    } else {
        value = atof(text);
    }
    if (IGraphics* g = GetGUI()) g->SetParameterFromPlug(idx, value, false);
    param->Set(value);
    OnParamChange(idx);
    return 1;
}

VstIntPtr IEffectVST::canDo(const char* what) {
    if (!what) return 0;
    for (const CanDoAnswer& c : kCanDo) {
        if (strcmp(what, c.text) != 0) continue;
        if (c.needsMidi && !m_doesMidi) return 0;
        m_vstExtensions |= c.extension;
        return c.answer;
    }
    return 0;
}

VstIntPtr IEffectVST::pinProperties(int idx, int nChannels, const char* labelFormat,
                                    VstPinProperties* pin) {
    if (idx < 0 || !pin || idx >= nChannels) return 0;
    pin->flags = kVstPinIsActive;
    if (idx % 2 == 0 && idx + 1 < nChannels) pin->flags |= kVstPinIsStereo;
    snprintf(pin->label, sizeof(pin->label), labelFormat, idx + 1);
    return 1;
}

void IEffectVST::setSpeakerConnections(const VstSpeakerArrangement* in,
                                       const VstSpeakerArrangement* out) {
    if (in) {
        const int n = std::min(std::max(in->numChannels, 0), NInChannels());
        SetInputChannelConnections(0, n, true);
        SetInputChannelConnections(n, NInChannels() - n, false);
    }
    if (out) {
        const int n = std::min(std::max(out->numChannels, 0), NOutChannels());
        SetOutputChannelConnections(0, n, true);
        SetOutputChannelConnections(n, NOutChannels() - n, false);
    }
}
