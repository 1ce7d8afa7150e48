#include "tools/zoz-host/VstHost.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace {

VstHost* g_host = nullptr;

using EntryProc = AEffect* (*)(audioMasterCallback);

constexpr const char* kProductString = "zoz-host";
constexpr const char* kVendorString = "Kavmoor";
constexpr VstIntPtr kVendorVersion = 10000; // 1.0.0
constexpr VstIntPtr kVstVersion = 2400;

// What the host can do, as it answers a plug-in's audioMasterCanDo.
constexpr const char* kHostCanDo[] = {"sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo",
                                      "receiveVstEvents", "receiveVstMidiEvent"};

std::string fourCC(VstInt32 v) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char(uint32_t(v) >> shift & 0xFF);
        s += c >= 0x20 && c < 0x7F ? c : '?';
    }
    return s;
}

std::string dispatcherText(AEffect* effect, VstInt32 opcode) {
    char text[256] = "";
    if (effect) effect->dispatcher(effect, opcode, 0, 0, text, 0.0f);
    text[sizeof(text) - 1] = 0;
    return text;
}

// A VstEvents record with room for every event of the list.
std::vector<uint8_t> eventList(const std::vector<VstEvent*>& events) {
    std::vector<uint8_t> block(offsetof(VstEvents, events) + events.size() * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(block.data());
    list->numEvents = VstInt32(events.size());
    memcpy(block.data() + offsetof(VstEvents, events), events.data(),
           events.size() * sizeof(VstEvent*));
    return block;
}

} // namespace

std::string HexBytes(const uint8_t* data, size_t size) {
    std::string s;
    char hex[4];
    for (size_t i = 0; i < size; ++i) {
        snprintf(hex, sizeof(hex), i ? " %02X" : "%02X", data[i]);
        s += hex;
    }
    return s;
}

VstHost::VstHost() {
    g_host = this;
}

VstHost::~VstHost() {
    if (m_effect) Stop();
    if (m_module) dlclose(m_module);
    g_host = nullptr;
}

bool VstHost::Load(const std::string& path, std::string* error) {
    // Kept mapped after dlclose: a thread the plug-in left behind would otherwise run in
    // unmapped code, and the static data of the libraries it brought in would look leaked.
    m_module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!m_module) {
        *error = dlerror();
        return false;
    }
    auto entry = reinterpret_cast<EntryProc>(dlsym(m_module, "VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<EntryProc>(dlsym(m_module, "main"));
    if (!entry) {
        *error = "no VSTPluginMain or main in " + path;
        return false;
    }
    m_effect = entry(hostCallback);
    if (!m_effect) {
        *error = "the plug-in made no effect";
        return false;
    }
    if (m_effect->magic != kEffectMagic || !m_effect->dispatcher) {
        char text[64];
        snprintf(text, sizeof(text), "not an effect record (magic 0x%08X)",
                 unsigned(m_effect->magic));
        *error = text;
        m_effect = nullptr; // never call into it
        return false;
    }
    printf("host: loaded %s\n", path.c_str());
    return true;
}

VstIntPtr VstHost::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                            float opt) {
    return m_effect ? m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt) : 0;
}

void VstHost::PrintEffect() {
    const AEffect* e = m_effect;
    printf("host: effect magic '%s' inputs %d outputs %d params %d programs %d flags 0x%04X "
           "unique '%s' version %d delay %d\n",
           fourCC(e->magic).c_str(), e->numInputs, e->numOutputs, e->numParams, e->numPrograms,
           unsigned(e->flags), fourCC(e->uniqueID).c_str(), e->version, e->initialDelay);
    printf("host: name \"%s\" vendor \"%s\" product \"%s\" category %d vst %d\n",
           dispatcherText(m_effect, effGetEffectName).c_str(),
           dispatcherText(m_effect, effGetVendorString).c_str(),
           dispatcherText(m_effect, effGetProductString).c_str(), int(Dispatch(effGetPlugCategory)),
           int(Dispatch(effGetVstVersion)));
}

void VstHost::Start(double sampleRate, int blockSize, bool doublePrecision) {
    m_sampleRate = sampleRate;
    m_blockSize = blockSize;
    m_double = doublePrecision && (m_effect->flags & effFlagsCanDoubleReplacing) &&
               m_effect->processDoubleReplacing;
    m_replacing = (m_effect->flags & effFlagsCanReplacing) && m_effect->processReplacing;
    m_time.sampleRate = sampleRate;
    m_time.timeSigNumerator = 4;
    m_time.timeSigDenominator = 4;
    printf("host: open %d\n", int(Dispatch(effOpen)));
    printf("host: sample rate %g %d\n", sampleRate,
           int(Dispatch(effSetSampleRate, 0, 0, nullptr, float(sampleRate))));
    printf("host: block size %d %d\n", blockSize, int(Dispatch(effSetBlockSize, 0, blockSize)));
    printf("host: resume %d\n", int(Dispatch(effMainsChanged, 0, 1)));
    printf("host: start %d\n", int(Dispatch(effStartProcess)));
    const size_t nBuffers =
        size_t(std::max(m_effect->numInputs, 0) + std::max(m_effect->numOutputs, 0));
    m_floatBuffers.assign(nBuffers, std::vector<float>(size_t(blockSize)));
    m_doubleBuffers.assign(nBuffers, std::vector<double>(size_t(blockSize)));
}

void VstHost::Stop() {
    printf("host: stop %d\n", int(Dispatch(effStopProcess)));
    printf("host: suspend %d\n", int(Dispatch(effMainsChanged, 0, 0)));
    printf("host: close %d\n", int(Dispatch(effClose)));
    m_effect = nullptr;
}

void VstHost::QueueMidi(const Bytes& bytes, int deltaFrames) {
    m_pending.push_back({false, deltaFrames, bytes});
    printf("host: queued MIDI %s at %d\n", HexBytes(bytes.data(), bytes.size()).c_str(),
           deltaFrames);
}

void VstHost::QueueSysEx(const Bytes& bytes, int deltaFrames) {
    m_pending.push_back({true, deltaFrames, bytes});
    printf("host: queued SysEx %zu bytes %s at %d\n", bytes.size(),
           HexBytes(bytes.data(), bytes.size()).c_str(), deltaFrames);
}

void VstHost::SetTempo(double bpm) {
    m_tempoValid = bpm >= 0.0;
    if (m_tempoValid) m_tempo = bpm;
    if (m_tempoValid)
        printf("host: tempo %g\n", bpm);
    else
        printf("host: tempo not given\n");
}

void VstHost::SetPlaying(bool playing) {
    m_transportChanged = m_playing != playing;
    m_playing = playing;
    printf("host: transport %s\n", playing ? "playing" : "stopped");
}

// The transport as a host reports it at the start of a block.
void VstHost::updateTime() {
    VstTimeInfo& t = m_time;
    t.flags = kVstTimeSigValid;
    if (m_playing) t.flags |= kVstTransportPlaying;
    if (m_transportChanged) t.flags |= kVstTransportChanged;
    t.tempo = m_tempo;
    if (m_tempoValid && m_tempo > 0.0) {
        t.flags |= kVstTempoValid | kVstPpqPosValid | kVstBarsValid;
        t.ppqPos = t.samplePos / m_sampleRate * m_tempo / 60.0;
        const double beatsPerBar = 4.0 * t.timeSigNumerator / t.timeSigDenominator;
        t.barStartPos = std::floor(t.ppqPos / beatsPerBar) * beatsPerBar;
    } else if (m_tempoValid) {
        t.flags |= kVstTempoValid; // a tempo of 0: nothing can be counted in beats
    }
}

void VstHost::sendEvents() {
    if (m_pending.empty()) return;
    std::vector<VstMidiEvent> midi;
    std::vector<VstMidiSysexEvent> sysex;
    midi.reserve(m_pending.size());
    sysex.reserve(m_pending.size());
    std::vector<VstEvent*> events;
    for (Pending& p : m_pending) {
        if (p.sysex) {
            VstMidiSysexEvent ev = {};
            ev.type = kVstSysExType;
            ev.byteSize = sizeof(ev);
            ev.deltaFrames = p.deltaFrames;
            ev.dumpBytes = VstInt32(p.bytes.size());
            ev.sysexDump = reinterpret_cast<char*>(p.bytes.data());
            sysex.push_back(ev);
            events.push_back(reinterpret_cast<VstEvent*>(&sysex.back()));
        } else {
            VstMidiEvent ev = {};
            ev.type = kVstMidiType;
            ev.byteSize = sizeof(ev);
            ev.deltaFrames = p.deltaFrames;
            for (size_t i = 0; i < p.bytes.size() && i < 3; ++i)
                ev.midiData[i] = char(p.bytes[i]);
            midi.push_back(ev);
            events.push_back(reinterpret_cast<VstEvent*>(&midi.back()));
        }
    }
    std::vector<uint8_t> list = eventList(events);
    Dispatch(effProcessEvents, 0, 0, list.data());
    m_pending.clear();
}

void VstHost::Process(int nBlocks) {
    double peak = 0.0;
    for (int block = 0; block < nBlocks; ++block)
        peak = std::max(peak, ProcessBlock());
    printf("host: processed %d blocks of %d frames (%s), output peak %.6f\n", nBlocks, m_blockSize,
           m_double      ? "double"
           : m_replacing ? "float"
                         : "accumulating",
           peak);
}

double VstHost::ProcessBlock() {
    const int nIn = std::max(m_effect->numInputs, 0);
    const int nOut = std::max(m_effect->numOutputs, 0);
    std::vector<float*> floats;
    std::vector<double*> doubles;
    for (auto& b : m_floatBuffers)
        floats.push_back(b.data());
    for (auto& b : m_doubleBuffers)
        doubles.push_back(b.data());
    updateTime();
    m_processing = true;
    sendEvents();
    if (m_double) {
        m_effect->processDoubleReplacing(m_effect, doubles.data(), doubles.data() + nIn,
                                         m_blockSize);
    } else if (m_replacing) {
        m_effect->processReplacing(m_effect, floats.data(), floats.data() + nIn, m_blockSize);
    } else if (m_effect->process) {
        for (int o = 0; o < nOut; ++o) // the old entry adds to what it is given
            std::fill(m_floatBuffers[size_t(nIn + o)].begin(),
                      m_floatBuffers[size_t(nIn + o)].end(), 0.0f);
        m_effect->process(m_effect, floats.data(), floats.data() + nIn, m_blockSize);
    }
    m_processing = false;
    double peak = 0.0;
    for (int o = 0; o < nOut; ++o)
        for (int s = 0; s < m_blockSize; ++s) {
            const double v = m_double ? m_doubleBuffers[size_t(nIn + o)][size_t(s)]
                                      : m_floatBuffers[size_t(nIn + o)][size_t(s)];
            peak = std::max(peak, std::fabs(v));
        }
    m_transportChanged = false;
    if (m_playing) m_time.samplePos += m_blockSize;
    return peak;
}

bool VstHost::GetChunk(bool bank, Bytes* out) {
    void* data = nullptr;
    const VstIntPtr size = Dispatch(effGetChunk, bank ? 0 : 1, 0, &data);
    if (size <= 0 || !data) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->assign(bytes, bytes + size);
    return true;
}

bool VstHost::SetChunk(bool bank, const Bytes& chunk) {
    Bytes copy(chunk); // the plug-in reads the host's memory, which it must not write
    return Dispatch(effSetChunk, bank ? 0 : 1, VstIntPtr(copy.size()), copy.data()) == 1;
}

// ---- The plug-in's calls

VstIntPtr VstHost::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr,
                                void* ptr, float opt) {
    return g_host ? g_host->answer(effect, opcode, index, ptr, opt) : 0;
}

void VstHost::received(const VstEvents* events) {
    if (!events) return;
    VstEvent* const* list = events->events;
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent* ev = list[i];
        if (!ev) continue;
        if (ev->type == kVstMidiType) {
            const auto* m = reinterpret_cast<const VstMidiEvent*>(ev);
            const uint8_t bytes[3] = {uint8_t(m->midiData[0]), uint8_t(m->midiData[1]),
                                      uint8_t(m->midiData[2])};
            printf("host: received MIDI %s at %d\n", HexBytes(bytes, 3).c_str(), m->deltaFrames);
        } else if (ev->type == kVstSysExType) {
            const auto* s = reinterpret_cast<const VstMidiSysexEvent*>(ev);
            const size_t n = s->sysexDump && s->dumpBytes > 0 ? size_t(s->dumpBytes) : 0;
            printf("host: received SysEx %zu bytes %s at %d\n", n,
                   HexBytes(reinterpret_cast<const uint8_t*>(s->sysexDump), n).c_str(),
                   s->deltaFrames);
        } else {
            printf("host: received event of type %d\n", ev->type);
        }
    }
}

VstIntPtr VstHost::answer(AEffect* effect, VstInt32 opcode, VstInt32 index, void* ptr, float opt) {
    switch (opcode) {
    case audioMasterAutomate:
        printf("host: automate %d %.6f\n", index, double(opt));
        return 0;
    case audioMasterBeginEdit:
        printf("host: begin edit %d\n", index);
        return 1;
    case audioMasterEndEdit:
        printf("host: end edit %d\n", index);
        return 1;
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterCurrentId:
        return effect ? effect->uniqueID : 0;
    case audioMasterWantMidi:
        return 1;
    case audioMasterGetTime:
        return reinterpret_cast<VstIntPtr>(&m_time);
    case audioMasterProcessEvents:
        received(static_cast<const VstEvents*>(ptr));
        return 1;
    case audioMasterGetSampleRate:
        return VstIntPtr(m_sampleRate);
    case audioMasterGetBlockSize:
        return m_blockSize;
    case audioMasterGetCurrentProcessLevel:
        return m_processing ? kVstProcessLevelRealtime : 0;
    case audioMasterGetVendorString:
        if (ptr) snprintf(static_cast<char*>(ptr), kVstMaxVendorStrLen, "%s", kVendorString);
        return ptr ? 1 : 0;
    case audioMasterGetProductString:
        if (ptr) snprintf(static_cast<char*>(ptr), kVstMaxProductStrLen, "%s", kProductString);
        return ptr ? 1 : 0;
    case audioMasterGetVendorVersion:
        return kVendorVersion;
    case audioMasterCanDo:
        for (const char* can : kHostCanDo)
            if (ptr && strcmp(static_cast<const char*>(ptr), can) == 0) return 1;
        return 0;
    case audioMasterUpdateDisplay:
        printf("host: update display\n");
        return 1;
    default:
        return 0;
    }
}
