#include "kit/effect/IEffectBase.h"
#include "kit/effect/IEffectOutputLane.h"

#include "kit/effect/IGraphics.h"
#include "platform/Clock.h"
#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiInput.h"
#include "platform/midi/MidiOutput.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t kChunkMagic = 0x70666674; // "tffp" in the chunk's bytes
constexpr int32_t kChunkVersion = 0x00010000;
constexpr double kUnsetValue = 99.99e-9;
constexpr const char* kUserPresetName = "user preset";

// Program and bank file layout: fields are big-endian, names 28 bytes.
constexpr int kFxNameLen = 28;
constexpr int kFxpHeaderLen = 56; // up to the state size or the first value
constexpr int kFxbHeaderLen = 156;

void copyName(char* dst, const char* src, size_t size) {
    snprintf(dst, size, "%s", src ? src : "");
}

// ---- Big-endian fields of the program and bank files

void putBE32(ByteChunk* c, uint32_t v) {
    const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    c->PutBytes(b, 4);
}

void putFloatBE(ByteChunk* c, float f) {
    uint32_t v;
    memcpy(&v, &f, 4);
    putBE32(c, v);
}

void putTag(ByteChunk* c, const char* tag) {
    c->PutBytes(tag, 4);
}

void putFxName(ByteChunk* c, const char* name) {
    char field[kFxNameLen] = {};
    copyName(field, name, sizeof(field));
    c->PutBytes(field, kFxNameLen);
}

uint32_t getBE32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

int32_t getIntBE(const uint8_t* p) {
    return int32_t(getBE32(p));
}

float getFloatBE(const uint8_t* p) {
    const uint32_t v = getBE32(p);
    float f;
    memcpy(&f, &v, 4);
    return f;
}

bool hasTag(const uint8_t* p, const char* tag) {
    return memcmp(p, tag, 4) == 0;
}

// The block whose big-endian byte count stands at `at`, followed by its bytes; false when the
// count or the bytes do not fit the file.
bool getSizedBlock(const ByteChunk& file, int at, ByteChunk* out) {
    if (file.Size() < at + 4) return false;
    const int32_t n = getIntBE(file.GetData() + at);
    if (n < 0 || n > file.Size() - at - 4) return false;
    out->PutBytes(file.GetData() + at + 4, n);
    return true;
}

void getFxName(const uint8_t* p, char* out) {
    memcpy(out, p, kFxNameLen);
    out[kFxNameLen - 1] = 0;
}

// ---- Files

bool readFile(const char* path, ByteChunk* out) {
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    bool ok = fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? ftell(f) : -1;
    ok = size >= 0 && size < 0x7fffffff && fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        out->Clear();
        ok = out->Resize(int(size)) == int(size) &&
             (size == 0 || fread(out->GetData(), 1, size_t(size), f) == size_t(size));
    }
    fclose(f);
    return ok;
}

bool writeFile(const char* path, const ByteChunk& data, const char* mode) {
    FILE* f = fopen(path, mode);
    if (!f) return false;
    const size_t n = size_t(data.Size());
    bool ok = n == 0 || fwrite(data.GetData(), 1, n, f) == n;
    ok = fclose(f) == 0 && ok;
    return ok;
}

// ---- Base64, standard alphabet

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void base64Encode(const uint8_t* data, int size, KIT_String* out) {
    out->Set("");
    char quad[5] = {};
    for (int i = 0; i < size; i += 3) {
        const int n = size - i < 3 ? size - i : 3;
        const uint32_t v = uint32_t(data[i]) << 16 | (n > 1 ? uint32_t(data[i + 1]) << 8 : 0) |
                           (n > 2 ? data[i + 2] : 0);
        quad[0] = kBase64[v >> 18 & 63];
        quad[1] = kBase64[v >> 12 & 63];
        quad[2] = n > 1 ? kBase64[v >> 6 & 63] : '=';
        quad[3] = n > 2 ? kBase64[v & 63] : '=';
        out->Append(quad);
    }
}

// Decodes until the first character outside the alphabet; writes at most size bytes.
void base64Decode(const char* text, uint8_t* out, int size) {
    uint32_t acc = 0;
    int bits = 0;
    int written = 0;
    for (const char* p = text; *p && written < size; ++p) {
        const char* hit = strchr(kBase64, *p);
        if (!hit) break;
        acc = acc << 6 | uint32_t(hit - kBase64);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out[written++] = uint8_t(acc >> bits);
        }
    }
}

} // namespace

// ---- Versions and presets as free functions

void GetVersionParts(int version, int* major, int* minor, int* revision) {
    *major = version >> 16;
    *minor = (version >> 8) & 255;
    *revision = version & 255;
}

int GetDecimalVersion(int version) {
    int major, minor, revision;
    GetVersionParts(version, &major, &minor, &revision);
    return major * 10000 + minor * 100 + revision;
}

void GetVersionStr(int version, char* buf) {
    int major, minor, revision;
    GetVersionParts(version, &major, &minor, &revision);
    if (revision)
        snprintf(buf, MAX_VERSION_STR_LEN, "v%d.%d.%d", major, minor, revision);
    else if (minor)
        snprintf(buf, MAX_VERSION_STR_LEN, "v%d.%d", major, minor);
    else
        snprintf(buf, MAX_VERSION_STR_LEN, "v%d", major);
}

IPreset* GetNextUninitializedPreset(KIT_PtrList<IPreset>* presets) {
    for (int i = 0; i < presets->GetSize(); ++i)
        if (!presets->Get(i)->initialized) return presets->Get(i);
    return nullptr;
}

void MakeDefaultUserPresetName(KIT_PtrList<IPreset>* presets, char* buf) {
    int n = 0;
    for (int i = 0; i < presets->GetSize(); ++i)
        if (strstr(presets->Get(i)->name, kUserPresetName)) ++n;
    snprintf(buf, IPreset::kNameLen, "%s %d", kUserPresetName, n + 1);
}

// ---- Construction

IEffectBase::IEffectBase(int /*nParams*/, const char* /*channelIOStr*/, int /*nPresets*/,
                         const char* /*effectName*/, const char* /*productName*/,
                         const char* /*mfrName*/, int version, int uniqueID, int mfrID, int latency,
                         bool /*plugDoesMidi*/, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
    : m_instanceNumber(takeInstanceNumber()), m_uniqueID(uniqueID), m_mfrID(mfrID),
      m_version(version), m_api(plugAPI), m_doesChunks(plugDoesChunks), m_isInstrument(plugIsInst),
      m_latency(latency) {
    startOutputThread();
}

void IEffectBase::initialize(int nAutomated, int nParams, const char* channelIOStr, int nPresets,
                             const char* effectName, const char* productName, const char* mfrName,
                             int, int, int, int, bool, bool, bool) {
    m_nHidden = nParams - nAutomated;
    m_previousPath.Set("");
    // In one block: one allocation instead of one a parameter.
    if (nParams > 0) {
        m_paramBlocks.push_back(std::make_unique<IParam[]>(size_t(nParams)));
        for (int i = 0; i < nParams; ++i)
            m_params.Add(&m_paramBlocks.back()[size_t(i)]);
    }
    for (int i = 0; i < nPresets; ++i)
        m_presets.Add(new IPreset);
    copyName(m_effectName, effectName, sizeof(m_effectName));
    copyName(m_productName, productName, sizeof(m_productName));
    copyName(m_mfrName, mfrName, sizeof(m_mfrName));

    int nIn = 0, nOut = 0;
    for (const char* p = channelIOStr; p && *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        auto* io = new ChannelIO{0, 0};
        sscanf(p, "%d-%d", &io->nIn, &io->nOut); // a count that does not parse stays 0
        if (io->nIn < 0) io->nIn = 0;
        if (io->nOut < 0) io->nOut = 0;
        if (io->nIn > nIn) nIn = io->nIn;
        if (io->nOut > nOut) nOut = io->nOut;
        m_channelIO.Add(io);
        p = strchr(p, ' ');
    }
    m_inData.assign(size_t(nIn), nullptr);
    m_outData.assign(size_t(nOut), nullptr);
    // Until the host attaches buffers every channel reads and writes its own scratch buffer.
    for (int i = 0; i < nIn; ++i)
        m_inChannels.Add(new InChannel)->data = &m_inData[size_t(i)];
    for (int i = 0; i < nOut; ++i)
        m_outChannels.Add(new OutChannel)->data = &m_outData[size_t(i)];
}

IEffectBase::~IEffectBase() {
    // First, so that neither the output thread nor the MIDI input reaches the plug-in while its
    // parts are taken down.
    StopOutputThread();
    closeExternalMIDI();
    releaseInstanceNumber(m_instanceNumber);
    delete m_graphics;
    m_graphics = nullptr;
    m_params.Empty(false);
    m_paramBlocks.clear();
    m_presets.Empty(true);
    m_inChannels.Empty(true);
    m_outChannels.Empty(true);
    m_channelIO.Empty(true);
    m_inputBusLabels.Empty(true);
    m_outputBusLabels.Empty(true);
}

int IEffectBase::NHiddenParams() const {
    const int n = NParams();
    return m_nHidden < 0 ? 0 : m_nHidden > n ? n : m_nHidden;
}

// ---- Default behaviour

void IEffectBase::Reset() {
    KIT_MutexLock lock(&m_mutex);
}

void IEffectBase::OnParamChange(int) {
    KIT_MutexLock lock(&m_mutex);
}

void IEffectBase::OnParamChange2(int) {
    KIT_MutexLock lock(&m_mutex);
}

void IEffectBase::OnActivate(bool) {
    KIT_MutexLock lock(&m_mutex);
}

namespace {
// Input i to output i where both exist; the other outputs silent.
template <class T> void passSamples(T** inputs, T** outputs, int nIn, int nOut, int nFrames) {
    if (nFrames <= 0) return;
    for (int i = 0; i < nOut; ++i) {
        if (i < nIn)
            memcpy(outputs[i], inputs[i], size_t(nFrames) * sizeof(T));
        else
            memset(outputs[i], 0, size_t(nFrames) * sizeof(T));
    }
}
} // namespace

void IEffectBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) {
    passSamples(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IEffectBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames) {
    passSamples(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

bool IEffectBase::MidiNoteName(int, char* name) {
    *name = 0;
    return false;
}

bool IEffectBase::CompareState(const unsigned char* data, int startPos) {
    const int n = NHostParams();
    for (int i = 0; i < n; ++i) {
        double stored;
        memcpy(&stored, data + (size_t(startPos) + size_t(i)) * sizeof(double), sizeof(double));
        if (!(std::fabs(float(GetParam(i)->Value()) - float(stored)) < 0.00001f)) return false;
    }
    return true;
}

// ---- Parameters and the editor

void IEffectBase::setParameterFromGUI(int idx, double normalized, bool fromHardware) {
    KIT_MutexLock lock(&m_mutex);
    IParam* param = GetParam(idx);
    if (!param) return;
    const double before = param->Value();
    param->SetNormalized(normalized);
    InformHostOfParamChange(idx, normalized);
    // NaN compares unequal and so counts as a change.
    if (!(param->Value() == before) || param->Type() == kTypeText) {
        if (fromHardware)
            OnParamChange2(idx);
        else
            OnParamChange(idx);
    }
}

void IEffectBase::SetParameterFromGUI(int idx, double normalized) {
    setParameterFromGUI(idx, normalized, false);
}

void IEffectBase::SetParameterFromGUI2(int idx, double normalized) {
    setParameterFromGUI(idx, normalized, true);
}

void IEffectBase::BeginInformHostOfParamChange(int idx) {
    if (idx >= 0 && idx < NHostParams()) HostBeginEdit(idx);
}

void IEffectBase::InformHostOfParamChange(int idx, double normalized) {
    if (idx >= 0 && idx < NHostParams()) HostAutomate(idx, normalized);
}

void IEffectBase::EndInformHostOfParamChange(int idx) {
    if (idx >= 0 && idx < NHostParams()) HostEndEdit(idx);
}

void IEffectBase::NoteEditorInput() {
    KIT_MutexLock lock(&m_mutex);
    m_editInputAt = platform::NowMillis();
    if (m_editBaseline) return;
    m_editBaseline.emplace();
    SerializeState(&*m_editBaseline);
}

void IEffectBase::CheckEditorEdits(bool inputOpen, bool closing) {
    KIT_MutexLock lock(&m_mutex);
    const int64_t now = platform::NowMillis();
    if (!m_editBaseline ||
        (!closing && m_editComparedAt && now - *m_editComparedAt < kEditNoticeMillis))
        return;
    m_editComparedAt = now;
    ByteChunk state;
    SerializeState(&state);
    if (!state.IsEqual(*m_editBaseline)) {
        m_editsUntold = true;
        m_editBaseline->Clear();
        m_editBaseline->PutChunk(&state);
    }
    if (closing || (!inputOpen && now - m_editInputAt >= kEditNoticeMillis)) m_editBaseline.reset();
}

void IEffectBase::OnParamReset() {
    for (int i = 0; i < NHostParams(); ++i)
        OnParamChange(i);
    Reset();
}

void IEffectBase::RedrawParamControls() {
    if (!m_graphics) return;
    std::vector<std::pair<int, double>> values(static_cast<size_t>(NParams()));
    for (int i = 0; i < NParams(); ++i)
        values[size_t(i)] = {i, GetParam(i)->Value()};
    m_graphics->SetParametersFromPlug(values, false);
}

void IEffectBase::AttachGraphics(IGraphics* g) {
    if (!g) return;
    KIT_MutexLock lock(&m_mutex);
    std::vector<std::pair<int, double>> values(static_cast<size_t>(NParams()));
    for (int i = 0; i < NParams(); ++i)
        values[size_t(i)] = {i, GetParam(i)->GetNormalized()};
    g->SetParametersFromPlug(values, true);
    g->PrepDraw();
    if (m_graphics != g) delete m_graphics;
    m_graphics = g;
}

void IEffectBase::DirtyParameters() {
    KIT_MutexLock lock(&m_mutex);
    for (int i = 0; i < NHostParams(); ++i)
        InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

void IEffectBase::processMIDIInput(const unsigned char* data, size_t size) {
    static constexpr const char* kFromSynthesizer = "from the synthesizer";
    m_midiFramer.Take(
        data, size,
        [this](const uint8_t* bytes, size_t n) {
            // What the MIDI library's input drops, whichever input passed it on: time code,
            // timing clock and active sensing.
            if (bytes[0] == 0xF1 || bytes[0] == 0xF8 || bytes[0] == 0xFE) return;
            if (bytes[0] == 0xF0) {
                ISysEx sysex(0, bytes, int32_t(n));
                ProcessSysEx(&sysex, true);
                return;
            }
            IMidiMsg msg(0, bytes[0], n > 1 ? bytes[1] : 0, n > 2 ? bytes[2] : 0);
            ProcessMidiMsg(&msg, true);
        },
        [this](MidiFramer::Fault fault, const uint8_t* bytes, size_t n) {
            DropMIDI(kFromSynthesizer, MidiFramer::FaultText(fault), bytes, n);
        });
}

void IEffectBase::DropMIDI(const char* where, const char* why, const uint8_t* bytes,
                           size_t size) {
    LogDroppedMIDI(where, why, bytes, size, ++m_droppedMIDI);
}

// ---- Identity

int IEffectBase::GetEffectVersion(bool decimal) const {
    return decimal ? GetDecimalVersion(m_version) : m_version;
}

int IEffectBase::GetHostVersion(bool decimal) {
    GetHost();
    return decimal ? GetDecimalVersion(m_hostVersion) : m_hostVersion;
}

void IEffectBase::GetHostVersionStr(char* buf) {
    GetHost();
    GetVersionStr(m_hostVersion, buf);
}

void IEffectBase::SetHost(const char* host, int version) {
    m_host = LookUpHost(host);
    m_hostVersion = version;
}

const char* IEffectBase::GetAPIString() const {
    static const char* const names[] = {"VST2", "VST3", "AU", "RTAS", "AAX", "Standalone"};
    const int api = int(m_api);
    return api >= 0 && api <= int(kAPISA) ? names[api] : "";
}

double IEffectBase::GetSamplesPerBeat() {
    const double tempo = GetTempo();
    return tempo > 0.0 ? m_sampleRate * 60.0 / tempo : 0.0;
}

// ---- Channels and buffers

bool IEffectBase::LegalIO(int nIn, int nOut) const {
    for (int i = 0; i < m_channelIO.GetSize(); ++i) {
        const ChannelIO* io = m_channelIO.Get(i);
        if ((nIn < 0 || io->nIn == nIn) && (nOut < 0 || io->nOut == nOut)) return true;
    }
    return false;
}

void IEffectBase::LimitToStereoIO() {
    SetInputChannelConnections(2, NInChannels() - 2, false);
    SetOutputChannelConnections(2, NOutChannels() - 2, true);
}

namespace {

template <class C> void setConnections(KIT_PtrList<C>& channels, int first, int n, bool connected) {
    const int end = first + n < channels.GetSize() ? first + n : channels.GetSize();
    for (int i = first < 0 ? 0 : first; i < end; ++i) {
        C* ch = channels.Get(i);
        ch->connected = connected;
        if (!connected) *ch->data = ch->scratch.Get();
    }
}

// Grows (or with exact, sets) a channel's scratch buffer to n zeroed doubles; a data pointer
// that pointed at the old block follows it. False when the memory could not be had.
bool resizeScratch(IEffectBase::Channel& ch, int n, bool exact) {
    const int old = ch.scratch.GetSize();
    if (!exact && old >= n) return true;
    double* before = ch.scratch.Get();
    if (!ch.scratch.Resize(n, exact) && n > 0) return false;
    const int from = exact ? 0 : old;
    if (n > from) memset(ch.scratch.Get() + from, 0, size_t(n - from) * sizeof(double));
    if (*ch.data == before) *ch.data = ch.scratch.Get();
    return true;
}

template <class C> bool resizeAllScratch(KIT_PtrList<C>& channels, int n, bool exact) {
    bool ok = true;
    for (int i = 0; i < channels.GetSize(); ++i)
        ok = resizeScratch(*channels.Get(i), n, exact) && ok;
    return ok;
}

template <class C> void zeroScratch(KIT_PtrList<C>& channels) {
    for (int i = 0; i < channels.GetSize(); ++i) {
        KIT_TypedBuf<double>& s = channels.Get(i)->scratch;
        if (s.GetSize()) memset(s.Get(), 0, size_t(s.GetSize()) * sizeof(double));
    }
}

// Each connected channel of [first, first + n) takes the next host pointer, or its own scratch
// buffer where the host gives none.
template <class C> void attachDoubles(KIT_PtrList<C>& channels, int first, int n, double** data) {
    const int end = first + n < channels.GetSize() ? first + n : channels.GetSize();
    for (int i = first < 0 ? 0 : first; i < end; ++i) {
        C* ch = channels.Get(i);
        if (!ch->connected) continue;
        double* host = data ? *data++ : nullptr;
        *ch->data = host ? host : ch->scratch.Get();
    }
}

} // namespace

void IEffectBase::SetInputChannelConnections(int first, int n, bool connected) {
    setConnections(m_inChannels, first, n, connected);
}

void IEffectBase::SetOutputChannelConnections(int first, int n, bool connected) {
    setConnections(m_outChannels, first, n, connected);
}

bool IEffectBase::IsInChannelConnected(int i) const {
    const InChannel* ch = m_inChannels.Get(i);
    return ch && ch->connected;
}

bool IEffectBase::IsOutChannelConnected(int i) const {
    const OutChannel* ch = m_outChannels.Get(i);
    return ch && ch->connected;
}

bool IEffectBase::fitScratch(int nFrames) {
    const bool in = resizeAllScratch(m_inChannels, nFrames, false);
    return resizeAllScratch(m_outChannels, nFrames, false) && in;
}

void IEffectBase::AttachInputBuffers(int first, int n, double** data, int) {
    attachDoubles(m_inChannels, first, n, data);
}

void IEffectBase::AttachInputBuffers(int first, int n, float** data, int nFrames) {
    if (!fitScratch(nFrames)) nFrames = 0;
    const int end = first + n < NInChannels() ? first + n : NInChannels();
    for (int i = first < 0 ? 0 : first; i < end; ++i) {
        InChannel* ch = m_inChannels.Get(i);
        if (!ch->connected) continue;
        const float* host = data ? *data++ : nullptr;
        double* scratch = ch->scratch.Get();
        for (int s = 0; host && s < nFrames; ++s)
            scratch[s] = host[s];
        *ch->data = scratch;
    }
}

void IEffectBase::AttachOutputBuffers(int first, int n, double** data) {
    attachDoubles(m_outChannels, first, n, data);
}

void IEffectBase::AttachOutputBuffers(int first, int n, float** data) {
    const int end = first + n < NOutChannels() ? first + n : NOutChannels();
    for (int i = first < 0 ? 0 : first; i < end; ++i) {
        OutChannel* ch = m_outChannels.Get(i);
        if (!ch->connected) continue;
        *ch->data = ch->scratch.Get();
        ch->floatDest = data ? *data++ : nullptr;
    }
}

void IEffectBase::writeFloatOutputs(int nFrames, bool accumulate) {
    for (int i = 0; i < NOutChannels(); ++i) {
        OutChannel* ch = m_outChannels.Get(i);
        if (!ch->connected || !ch->floatDest) continue;
        const double* src = ch->scratch.Get();
        for (int s = 0; s < nFrames; ++s) {
            if (accumulate)
                ch->floatDest[s] += float(src[s]);
            else
                ch->floatDest[s] = float(src[s]);
        }
    }
}

// One block under a try-lock of the plug lock. A skipped block still owes the host its
// outputs: silence where the host's buffers are (an accumulating block adds nothing).
bool IEffectBase::processBlock(int nFrames, bool floatOut, bool accumulate) {
    KIT_MutexTryLock lock(&m_mutex); // also lets go when the plug-in's processing throws
    if (!lock.Owned()) {
        for (int i = 0; i < NOutChannels() && !accumulate && nFrames > 0; ++i) {
            OutChannel* ch = m_outChannels.Get(i);
            if (!ch->connected) continue;
            if (floatOut && ch->floatDest)
                memset(ch->floatDest, 0, size_t(nFrames) * sizeof(float));
            else if (!floatOut && *ch->data != ch->scratch.Get())
                memset(*ch->data, 0, size_t(nFrames) * sizeof(double));
        }
        return false;
    }
    const bool ok = fitScratch(nFrames);
    if (ok) {
        ProcessDoubleReplacing(m_inData.data(), m_outData.data(), nFrames);
        if (floatOut) writeFloatOutputs(nFrames, accumulate);
    }
    return ok;
}

bool IEffectBase::ProcessBuffers(double, int nFrames) {
    return processBlock(nFrames, false, false);
}

bool IEffectBase::ProcessBuffers(float, int nFrames) {
    return processBlock(nFrames, true, false);
}

bool IEffectBase::ProcessBuffersAccumulating(float, int nFrames) {
    return processBlock(nFrames, true, true);
}

void IEffectBase::passThrough(int nFrames, bool floatOut) {
    if (!fitScratch(nFrames)) return;
    IEffectBase::ProcessDoubleReplacing(m_inData.data(), m_outData.data(), nFrames);
    if (floatOut) writeFloatOutputs(nFrames, false);
}

void IEffectBase::PassThroughBuffers(double, int nFrames) {
    passThrough(nFrames, false);
}

void IEffectBase::PassThroughBuffers(float, int nFrames) {
    passThrough(nFrames, true);
}

void IEffectBase::ZeroScratchBuffers() {
    zeroScratch(m_inChannels);
    zeroScratch(m_outChannels);
}

void IEffectBase::SetBlockSize(int blockSize) {
    if (blockSize < 0) blockSize = 0;
    if (blockSize == m_blockSize) return;
    resizeAllScratch(m_inChannels, blockSize, true);
    resizeAllScratch(m_outChannels, blockSize, true);
    m_blockSize = blockSize;
}

void IEffectBase::SetInputLabel(int i, const char* label) {
    if (InChannel* ch = m_inChannels.Get(i)) ch->label.Set(label);
}

void IEffectBase::SetOutputLabel(int i, const char* label) {
    if (OutChannel* ch = m_outChannels.Get(i)) ch->label.Set(label);
}

namespace {
void replaceBusLabel(KIT_PtrList<KIT_String>& labels, int i, const char* label) {
    labels.Delete(i, true);
    labels.Insert(i, new KIT_String(label ? label : ""));
}
} // namespace

void IEffectBase::SetInputBusLabel(int i, const char* label) {
    if (i == 0 || i == 1) replaceBusLabel(m_inputBusLabels, i, label);
}

void IEffectBase::SetOutputBusLabel(int i, const char* label) {
    if (i >= 0) replaceBusLabel(m_outputBusLabels, i, label);
}

// ---- State chunks

void IEffectBase::InitChunkWithIEffectVer(ByteChunk* chunk) {
    chunk->Clear();
    chunk->PutInt(kChunkMagic);
    chunk->PutInt(kChunkVersion);
}

int IEffectBase::GetIEffectVerFromChunk(ByteChunk* chunk, int* pos) {
    int32_t magic = 0;
    if (chunk->GetInt(&magic, *pos) < 0 || magic != kChunkMagic) return 0;
    int32_t version = 0;
    *pos = chunk->GetInt(&version, *pos + 4);
    return *pos < 0 ? 0 : version;
}

bool IEffectBase::serializeRange(ByteChunk* chunk, int first, int n) {
    KIT_MutexLock lock(&m_mutex);
    for (int i = 0; i < n; ++i) {
        const int before = chunk->Size();
        if (chunk->PutDouble(GetParam(first + i)->Value()) != before + 8) return false;
    }
    return true;
}

int IEffectBase::unserializeRange(ByteChunk* chunk, int startPos, int first, int n) {
    KIT_MutexLock lock(&m_mutex);
    int pos = startPos;
    for (int i = 0; i < n && pos >= 0; ++i) {
        double v = 0.0;
        pos = chunk->GetDouble(&v, pos);
        if (pos >= 0) GetParam(first + i)->Set(v);
    }
    return pos;
}

bool IEffectBase::SerializeParams(ByteChunk* chunk) {
    return serializeRange(chunk, 0, NHostParams());
}

int IEffectBase::UnserializeParams(ByteChunk* chunk, int startPos) {
    if (startPos < 0 || NHostParams() == 0) return startPos;
    return unserializeRange(chunk, startPos, 0, NHostParams());
}

bool IEffectBase::SerializeNonAutomatedParams(ByteChunk* chunk, int n) {
    if (n > NHiddenParams()) n = NHiddenParams();
    return n < 1 || serializeRange(chunk, NHostParams(), n);
}

int IEffectBase::UnserializeNonAutomatedParams(ByteChunk* chunk, int startPos, int n) {
    if (n > NHiddenParams()) n = NHiddenParams();
    if (startPos < 0 || n < 1) return startPos;
    return unserializeRange(chunk, startPos, NHostParams(), n);
}

// ---- Presets

bool IEffectBase::SerializePresets(ByteChunk* chunk) {
    for (int i = 0; i < NPresets(); ++i) {
        const IPreset* p = presetAt(i);
        const int before = chunk->Size();
        const int len = int(strlen(p->name));
        if (chunk->PutStr(p->name) != before + 4 + len) return false;
        if (chunk->PutBool(p->initialized) != before + 5 + len) return false;
        if (p->initialized && chunk->PutChunk(&p->chunk) != before + 5 + len + p->chunk.Size())
            return false;
    }
    return true;
}

int IEffectBase::UnserializePresets(ByteChunk* chunk, int startPos) {
    int pos = startPos;
    for (int i = 0; i < NPresets() && pos >= 0; ++i) {
        IPreset* p = presetAt(i);
        KIT_String name("");
        pos = chunk->GetStr(&name, pos);
        if (pos < 0) break;
        p->SetName(name.Get());
        pos = chunk->GetBool(&p->initialized, pos);
        if (pos >= 0 && p->initialized) {
            pos = UnserializeState(chunk, pos);
            if (pos > 0) {
                p->chunk.Clear();
                SerializeState(&p->chunk);
            }
        }
    }
    RestorePreset(m_currentPresetIdx);
    return pos;
}

void IEffectBase::ModifyCurrentPreset(const char* name) {
    IPreset* p = presetAt(m_currentPresetIdx);
    if (!p) return;
    p->chunk.Clear();
    SerializeState(&p->chunk);
    if (name && *name) p->SetName(name);
}

bool IEffectBase::RestorePreset(int idx) {
    IPreset* p = presetAt(idx);
    if (!p) return false;
    if (p->initialized) {
        if (UnserializeState(&p->chunk, 0) <= 0) return false;
    } else {
        p->initialized = true;
        MakeDefaultUserPresetName(&m_presets, p->name);
        p->chunk.Clear();
        if (!SerializeState(&p->chunk)) return false;
    }
    m_currentPresetIdx = idx;
    PresetsChangedByHost();
    RedrawParamControls();
    return true;
}

bool IEffectBase::RestorePreset(const char* name) {
    if (!name || !*name) return false;
    for (int i = 0; i < NPresets(); ++i)
        if (strcmp(presetAt(i)->name, name) == 0) return RestorePreset(i);
    return false;
}

const char* IEffectBase::GetPresetName(int idx) {
    const IPreset* p = presetAt(idx);
    return p ? p->name : "";
}

void IEffectBase::initPreset(IPreset* preset, const char* name) {
    preset->initialized = true;
    preset->SetName(name);
    preset->chunk.Clear();
}

void IEffectBase::MakeDefaultPreset(const char* name, int n) {
    for (int i = 0; i < n; ++i) {
        IPreset* p = GetNextUninitializedPreset(&m_presets);
        if (!p) return;
        initPreset(p, name ? name : "Empty");
        SerializeState(&p->chunk);
    }
}

void IEffectBase::EnsureDefaultPreset() {
    MakeDefaultPreset("Empty", NPresets());
}

void IEffectBase::PruneUninitializedPresets() {
    for (int i = NPresets() - 1; i >= 0; --i)
        if (!presetAt(i)->initialized) m_presets.Delete(i, true);
}

namespace {
bool takesIntArgument(const IParam* p) {
    return p->Type() == kTypeBool || p->Type() == kTypeInt || p->Type() == kTypeEnum;
}
} // namespace

void IEffectBase::MakePreset(const char* name, ...) {
    IPreset* p = GetNextUninitializedPreset(&m_presets);
    if (!p) return;
    initPreset(p, name);
    va_list vp;
    va_start(vp, name);
    for (int i = 0; i < NHostParams(); ++i) {
        const double v =
            takesIntArgument(GetParam(i)) ? double(va_arg(vp, int)) : va_arg(vp, double);
        p->chunk.PutDouble(v);
    }
    va_end(vp);
}

void IEffectBase::MakePresetFromNamedParams(const char* name, int n, ...) {
    IPreset* p = GetNextUninitializedPreset(&m_presets);
    if (!p) return;
    initPreset(p, name);
    std::vector<double> values(size_t(NHostParams()), kUnsetValue);
    va_list vp;
    va_start(vp, n);
    for (int i = 0; i < n; ++i) {
        const int idx = va_arg(vp, int);
        // Past an unknown index the type of the next value cannot be known: stop there.
        if (idx < 0 || idx >= NHostParams()) break;
        values[size_t(idx)] =
            takesIntArgument(GetParam(idx)) ? double(va_arg(vp, int)) : va_arg(vp, double);
    }
    va_end(vp);
    for (int i = 0; i < NHostParams(); ++i) {
        if (values[size_t(i)] == kUnsetValue) values[size_t(i)] = GetParam(i)->Value();
        p->chunk.PutDouble(values[size_t(i)]);
    }
}

void IEffectBase::MakePresetFromChunk(const char* name, ByteChunk* chunk) {
    IPreset* p = GetNextUninitializedPreset(&m_presets);
    if (!p) return;
    initPreset(p, name);
    p->chunk.PutChunk(chunk);
}

void IEffectBase::MakePresetFromBlob(const char* name, const char* base64, int size) {
    IPreset* p = GetNextUninitializedPreset(&m_presets);
    if (!p) return;
    initPreset(p, name);
    if (size <= 0) return;
    std::vector<uint8_t> block(size_t(size), 0);
    base64Decode(base64 ? base64 : "", block.data(), size);
    p->chunk.PutBytes(block.data(), size);
}

// ---- The host's chunk

bool IEffectBase::SerializeHostChunk(ByteChunk* chunk, bool bank) {
    KIT_MutexLock lock(&m_mutex);
    InitChunkWithIEffectVer(chunk);
    if (bank) {
        ModifyCurrentPreset();
        if (!SerializePresets(chunk)) return false;
    }
    return SerializeState(chunk);
}

bool IEffectBase::UnserializeHostChunk(ByteChunk* chunk, bool bank) {
    KIT_MutexLock lock(&m_mutex);
    int pos = 0;
    const int version = GetIEffectVerFromChunk(chunk, &pos);
    if (!bank || version < kChunkVersion) {
        pos = UnserializeState(chunk, pos);
        ModifyCurrentPreset();
    } else {
        pos = UnserializePresets(chunk, pos);
        pos = UnserializeState(chunk, pos);
    }
    if (pos < 0) return false;
    RedrawParamControls();
    return true;
}

// ---- Program and bank files

bool IEffectBase::promptForFile(KIT_String* file, EFileAction action, const char* extension) {
    if (!m_graphics) return false;
    char ext[8];
    copyName(ext, extension, sizeof(ext));
    m_graphics->PromptForFile(file, action, &m_previousPath, ext);
    return file->GetLength() > 0;
}

bool IEffectBase::promptAndRead(const char* extension, ByteChunk* in) {
    KIT_String file("");
    return promptForFile(&file, kFileOpen, extension) && readFile(file.Get(), in);
}

// A program record in the parameter form: header, name and one big-endian normalised single
// per visible parameter; values beyond nValues are 0.
void IEffectBase::putProgramRecord(ByteChunk* out, const char* name, const double* values,
                                   int nValues, int byteSize) {
    putTag(out, "CcnK");
    putBE32(out, uint32_t(byteSize));
    putTag(out, "FxCk");
    putBE32(out, 1);
    putBE32(out, uint32_t(m_uniqueID));
    putBE32(out, uint32_t(GetEffectVersion(true)));
    putBE32(out, uint32_t(NHostParams()));
    putFxName(out, name);
    for (int i = 0; i < NHostParams(); ++i)
        putFloatBE(out, i < nValues ? float(GetParam(i)->GetNormalized(values[i])) : 0.0f);
}

bool IEffectBase::SaveProgramAsFXP(const char* defaultFileName) {
    KIT_String file(defaultFileName ? defaultFileName : "");
    if (!promptForFile(&file, kFileSave, "fxp")) return false;
    ByteChunk out;
    KIT_MutexLock lock(&m_mutex);
    const char* name = GetPresetName(m_currentPresetIdx);
    if (m_doesChunks) {
        ByteChunk state;
        InitChunkWithIEffectVer(&state);
        if (!SerializeState(&state)) return false;
        putTag(&out, "CcnK");
        putBE32(&out, uint32_t(kFxpHeaderLen + 4 + state.Size()));
        putTag(&out, "FPCh");
        putBE32(&out, 1);
        putBE32(&out, uint32_t(m_uniqueID));
        putBE32(&out, uint32_t(GetEffectVersion(true)));
        putBE32(&out, uint32_t(NHostParams()));
        putFxName(&out, name);
        putBE32(&out, uint32_t(state.Size()));
        out.PutChunk(&state);
    } else {
        std::vector<double> values(static_cast<size_t>(NHostParams()));
        for (int i = 0; i < NHostParams(); ++i)
            values[size_t(i)] = GetParam(i)->Value();
        putProgramRecord(&out, name, values.data(), NHostParams(), 0);
    }
    return writeFile(file.Get(), out, "wb");
}

bool IEffectBase::SaveBankAsFXB(const char* defaultFileName) {
    KIT_String file(defaultFileName ? defaultFileName : "");
    if (!promptForFile(&file, kFileSave, "fxb")) return false;
    ByteChunk out;
    KIT_MutexLock lock(&m_mutex);
    ByteChunk presets;
    if (m_doesChunks) {
        InitChunkWithIEffectVer(&presets);
        if (!SerializePresets(&presets)) return false;
    }
    const char* kind = m_doesChunks ? "FBCh" : "FxBk";
    putTag(&out, "CcnK");
    putBE32(&out, m_doesChunks ? uint32_t(kFxbHeaderLen + 4 + presets.Size()) : 0);
    putTag(&out, kind);
    putBE32(&out, 2);
    putBE32(&out, uint32_t(m_uniqueID));
    putBE32(&out, uint32_t(GetEffectVersion(true)));
    putBE32(&out, uint32_t(NPresets()));
    putBE32(&out, uint32_t(m_currentPresetIdx));
    const uint8_t zeros[124] = {};
    out.PutBytes(zeros, sizeof(zeros));
    if (m_doesChunks) {
        putBE32(&out, uint32_t(presets.Size()));
        out.PutChunk(&presets);
    } else {
        for (int i = 0; i < NPresets(); ++i) {
            const IPreset* p = presetAt(i);
            std::vector<double> values(static_cast<size_t>(NHostParams()));
            int nValues = 0;
            for (int pos = 0; nValues < NHostParams(); ++nValues) {
                pos = p->chunk.GetDouble(&values[size_t(nValues)], pos);
                if (pos < 0) break;
            }
            putProgramRecord(&out, p->name, values.data(), nValues, 0);
        }
    }
    return writeFile(file.Get(), out, "wb");
}

// Sets every visible parameter from big-endian normalised singles (the caller checked that
// they are all there). A value outside 0..1, or not a number, is held to the range.
void IEffectBase::applyProgramValues(const uint8_t* floats) {
    for (int i = 0; i < NHostParams(); ++i) {
        const float n = getFloatBE(floats + 4 * i);
        GetParam(i)->SetNormalized(n > 0.0f ? (n < 1.0f ? n : 1.0f) : 0.0f);
    }
}

bool IEffectBase::LoadProgramFromFXP() {
    ByteChunk in;
    if (!promptAndRead("fxp", &in)) return false;
    const uint8_t* d = in.GetData();
    const int size = in.Size();
    if (size < kFxpHeaderLen || !hasTag(d, "CcnK") || getIntBE(d + 12) != 1 ||
        getIntBE(d + 16) != m_uniqueID || getIntBE(d + 24) != NHostParams())
        return false;
    char name[kFxNameLen];
    getFxName(d + 28, name);
    KIT_MutexLock lock(&m_mutex);
    if (hasTag(d + 8, "FPCh") && m_doesChunks) {
        ByteChunk state;
        if (!getSizedBlock(in, kFxpHeaderLen, &state)) return false;
        int pos = 0;
        GetIEffectVerFromChunk(&state, &pos);
        if (UnserializeState(&state, pos) < 0) return false;
        ModifyCurrentPreset(name);
    } else if (hasTag(d + 8, "FxCk")) {
        if (NHostParams() > (size - kFxpHeaderLen) / 4) return false;
        applyProgramValues(d + kFxpHeaderLen);
        ModifyCurrentPreset(name);
        RestorePreset(m_currentPresetIdx);
    } else {
        return false;
    }
    InformHostOfProgramChange();
    return true;
}

bool IEffectBase::LoadBankFromFXB() {
    ByteChunk in;
    if (!promptAndRead("fxb", &in)) return false;
    const uint8_t* d = in.GetData();
    const int size = in.Size();
    if (size < kFxbHeaderLen || !hasTag(d, "CcnK") || getIntBE(d + 16) != m_uniqueID) return false;
    KIT_MutexLock lock(&m_mutex);
    if (hasTag(d + 8, "FBCh") && m_doesChunks) {
        ByteChunk presets;
        if (!getSizedBlock(in, kFxbHeaderLen, &presets)) return false;
        int pos = 0;
        GetIEffectVerFromChunk(&presets, &pos);
        if (UnserializePresets(&presets, pos) < 0) return false;
    } else if (hasTag(d + 8, "FxBk")) {
        const int32_t nPrograms = getIntBE(d + 24);
        const int recordLen = kFxpHeaderLen + 4 * NHostParams();
        if (nPrograms < 0 || nPrograms > NPresets() ||
            nPrograms > (size - kFxbHeaderLen) / recordLen)
            return false;
        // Every record is checked before any is applied, so a bad bank changes nothing.
        for (int i = 0; i < nPrograms; ++i) {
            const uint8_t* r = d + kFxbHeaderLen + i * recordLen;
            if (!hasTag(r, "CcnK") || !hasTag(r + 8, "FxCk") || getIntBE(r + 12) != 1 ||
                getIntBE(r + 24) != NHostParams())
                return false;
        }
        for (int i = 0; i < nPrograms; ++i) {
            const uint8_t* r = d + kFxbHeaderLen + i * recordLen;
            char name[kFxNameLen];
            getFxName(r + 28, name);
            RestorePreset(i);
            applyProgramValues(r + kFxpHeaderLen);
            ModifyCurrentPreset(name);
        }
        RestorePreset(getIntBE(d + 28));
    } else {
        return false;
    }
    InformHostOfProgramChange();
    return true;
}

void IEffectBase::DumpPresetSrcCode(const char* path, const char** paramEnumNames) {
    FILE* f = fopen(path, "w");
    if (!f) return;
    fprintf(f, "  MakePresetFromNamedParams(\"%s\", %d", GetPresetName(m_currentPresetIdx),
            NHostParams());
    for (int i = 0; i < NHostParams(); ++i) {
        const IParam* p = GetParam(i);
        char value[32];
        switch (p->Type()) {
        case kTypeInt:
        case kTypeEnum:
            snprintf(value, sizeof(value), "%d", TruncToInt(p->Value()));
            break;
        case kTypeBool:
            snprintf(value, sizeof(value), "%s", p->Value() >= 0.5 ? "true" : "false");
            break;
        default:
            snprintf(value, sizeof(value), "%.6f", p->Value());
            break;
        }
        if (paramEnumNames && paramEnumNames[i])
            fprintf(f, ",\n    %s, %s", paramEnumNames[i], value);
        else
            fprintf(f, ",\n    %d, %s", i, value);
    }
    fprintf(f, ");\n");
    fclose(f);
}

void IEffectBase::DumpPresetBlob(const char* path) {
    const IPreset* p = presetAt(m_currentPresetIdx);
    FILE* f = p ? fopen(path, "w") : nullptr;
    if (!f) return;
    KIT_String text;
    base64Encode(p->chunk.GetData(), p->chunk.Size(), &text);
    fprintf(f, "  MakePresetFromBlob(\"%s\", \"%s\", %d);\n", p->name, text.Get(), p->chunk.Size());
    fclose(f);
}
