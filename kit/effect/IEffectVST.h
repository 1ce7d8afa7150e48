#pragma once

#include "kit/effect/ByteChunk.h"
#include "kit/effect/IEffectBase.h"
#include "platform/vst2/Vst2.h"

// What a VST2 host gives a new plug-in object.
struct IEffectInstanceInfo {
    audioMasterCallback hostCallback = nullptr;
};

// The plug-in base bound to the VST2 host interface: the effect record the entry returns, the
// dispatcher, the host's parameter access and audio callbacks, and the base's host-facing
// operations through the host callback. Created with new by the entry; effClose deletes it.
class IEffectVST : public IEffectBase {
public:
    // The first phase; initialize must follow. The trailing int (side-chain inputs) is unused.
    IEffectVST(IEffectInstanceInfo info, int nParams, const char* channelIOStr, int nPresets,
               const char* effectName, const char* productName, const char* mfrName,
               int vendorVersion, int uniqueID, int mfrID, int latency, bool doesMidi,
               bool doesChunks, bool isInstrument, int nSideChainIn);
    ~IEffectVST() override;

    // Creates the parameters (hiding nParams − nVisible of them), presets and channels, fills
    // the effect record, connects every channel and sets a block size of 1024.
    void initialize(IEffectInstanceInfo info, int nVisible, int nParams, const char* channelIOStr,
                    int nPresets, const char* effectName, const char* productName,
                    const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                    bool doesMidi, bool doesChunks, bool isInstrument, int nSideChainIn);

    AEffect* GetAEffect() { return &m_effect; }
    audioMasterCallback GetHostCallback() const { return m_hostCallback; }

    // The host-facing operations of the base.
    void InformHostOfProgramChange() override;
    bool IsRenderingOffline() override;
    int GetSamplePos() override;
    double GetTempo() override;
    void GetTimeSig(int* numerator, int* denominator) override;
    void GetTime(ITimeInfo* timeInfo) override;
    EHost GetHost() override;
    void ResizeGraphics(int w, int h) override;
    void SetLatency(int samples) override;
    bool SendMidiVST(IMidiMsg* msg) override;
    // These four go to the external MIDI output, never to the host.
    bool SendMidiMsg(IMidiMsg* msg) override;
    // Framed with F0 … F7 unless data already starts with F0.
    bool SendMidiSysex(unsigned char* data, int size) override;
    bool SendPatchSysex(unsigned char* data, int size) override;
    bool SendMidiSysex2(std::vector<unsigned char> bytes) override;
    void HostSpecificInit() override;
    void AttachGraphics(IGraphics* g) override;
    bool SendSysEx(ISysEx* sysex) override;
    bool SendVSTEvent(VstEvent* event);

    // The entry points of the effect record. Nothing thrown inside crosses into the host: the
    // dispatcher then answers 0 and a process call leaves its block silent.
    static VstIntPtr VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                   VstIntPtr value, void* ptr, float opt);
    static float VSTGetParameter(AEffect* effect, VstInt32 idx);
    static void VSTSetParameter(AEffect* effect, VstInt32 idx, float value);
    static void VSTProcess(AEffect* effect, float** inputs, float** outputs, VstInt32 nFrames);
    static void VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                    VstInt32 nFrames);
    static void VSTProcessDoubleReplacing(AEffect* effect, double** inputs, double** outputs,
                                          VstInt32 nFrames);

protected:
    void HostBeginEdit(int idx) override;
    void HostAutomate(int idx, double normalized) override;
    void HostEndEdit(int idx) override;

private:
    VstIntPtr hostCall(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f);
    VstTimeInfo* hostTime(VstInt32 wanted);
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr getChunk(bool bank, void* ptr);
    VstIntPtr setChunk(bool bank, VstIntPtr size, const void* data);
    // The host's events, on its audio thread: MIDI is queued for the output thread, anything
    // else goes back to the host. 0, with nothing queued, while another call is under way.
    VstIntPtr processEvents(const VstEvents* events);
    VstIntPtr string2Parameter(int idx, const char* text);
    VstIntPtr canDo(const char* what);
    VstIntPtr pinProperties(int idx, int nChannels, const char* labelFormat, VstPinProperties* pin);
    void setSpeakerConnections(const VstSpeakerArrangement* in, const VstSpeakerArrangement* out);
    bool isVisible(int idx) const { return idx >= 0 && idx < NHostParams(); }
    void setEditRect();
    template <class T>
    static void runBlock(AEffect* effect, T** inputs, T** outputs, VstInt32 nFrames,
                         bool accumulate);

    audioMasterCallback m_hostCallback;
    bool m_hostSpecificInitDone = false;
    bool m_doesMidi;
    int m_vstExtensions = 0; // what the host declared through effCanDo
    ByteChunk m_presetChunk;
    ByteChunk m_bankChunk;
    VstSpeakerArrangement m_inputSpkrArr = {};
    VstSpeakerArrangement m_outputSpkrArr = {};
    ERect m_editRect = {};
    AEffect m_effect = {};
    // The host's MIDI queue has one producer: a second caller at once is refused.
    std::atomic_flag m_eventsBusy = ATOMIC_FLAG_INIT;
    // The host's thread that opened the editor, on which it hears of the editor's changes.
    std::atomic<std::thread::id> m_editorHostThread{};
};

// The speaker-arrangement type of n channels: empty, mono, stereo, else user-defined.
int VSTSpkrArrType(int nChannels);

// The plug-in entry's work: makes one plug-in object with make under a process-wide lock (so
// instances created at once are built one after the other), gives it a default preset and
// reports at least one program. Null when the object could not be made.
AEffect* VSTCreateEffect(audioMasterCallback host, IEffectVST* (*make)(IEffectInstanceInfo));

// Defines a module's exported entry: VSTPluginMain and, for older hosts, main as its alias (a C++
// function can take that name only through an assembler label). make creates the plug-in.
#define VST_PLUGIN_ENTRY(make)                                                                     \
    extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(                      \
        audioMasterCallback host) {                                                                \
        return VSTCreateEffect(host, make);                                                        \
    }                                                                                              \
    extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMainAlias(                 \
        audioMasterCallback host) __asm__("main");                                                 \
    AEffect* VSTPluginMainAlias(audioMasterCallback host) {                                        \
        return VSTPluginMain(host);                                                                \
    }
