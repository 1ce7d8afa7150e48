#pragma once

// Our declarations of the VST2 binary interface as Linux hosts use it (x86-64, LP64): the effect
// record, the events, the time record and the other records that cross between host and plug-in,
// with the published opcode and flag numbers. Every layout is pinned by the checks at the end.

#include <cstddef>
#include <cstdint>

using VstInt16 = int16_t;
using VstInt32 = int32_t;
using VstIntPtr = intptr_t;

struct AEffect;

using audioMasterCallback = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);
using AEffectDispatcherProc = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                            VstIntPtr value, void* ptr, float opt);
using AEffectProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs,
                                    VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs,
                                          VstInt32 sampleFrames);
using AEffectSetParameterProc = void (*)(AEffect* effect, VstInt32 index, float value);
using AEffectGetParameterProc = float (*)(AEffect* effect, VstInt32 index);

// The four characters of a code, first character in the most significant byte.
constexpr VstInt32 VstFourCC(char a, char b, char c, char d) {
    return VstInt32(uint32_t(uint8_t(a)) << 24 | uint32_t(uint8_t(b)) << 16 |
                    uint32_t(uint8_t(c)) << 8 | uint32_t(uint8_t(d)));
}

constexpr VstInt32 kEffectMagic = VstFourCC('V', 's', 't', 'P');

struct AEffect {
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process; // accumulating; deprecated but still called by old hosts
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr resvd1;
    VstIntPtr resvd2;
    VstInt32 initialDelay;
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;
    void* object; // the plug-in's own pointer
    void* user;   // the host's
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

enum VstAEffectFlags {
    effFlagsHasEditor = 1 << 0,
    effFlagsCanMono = 1 << 3,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsCanDoubleReplacing = 1 << 12,
};

// The plug-in's dispatcher opcodes.
enum AEffectOpcodes {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditIdle = 19, // the host idles an open editor; nothing to do for ours
    effIdentify = 22,
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetProgramNameIndexed = 29,
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effSetSpeakerArrangement = 42,
    effGetEffectName = 45,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetVstVersion = 58,
    effGetMidiKeyName = 66,
    effGetSpeakerArrangement = 69,
    effStartProcess = 71,
    effStopProcess = 72,
};

// The host callback's opcodes.
enum AudioMasterOpcodes {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterWantMidi = 6,
    audioMasterGetTime = 7,
    audioMasterProcessEvents = 8,
    audioMasterIOChanged = 13,
    audioMasterSizeWindow = 15,
    audioMasterGetSampleRate = 16,
    audioMasterGetBlockSize = 17,
    audioMasterGetCurrentProcessLevel = 23,
    audioMasterGetVendorString = 32,
    audioMasterGetProductString = 33,
    audioMasterGetVendorVersion = 34,
    audioMasterCanDo = 37,
    audioMasterUpdateDisplay = 42,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
};

enum VstProcessLevels { kVstProcessLevelRealtime = 2, kVstProcessLevelOffline = 4 };

enum VstPlugCategory { kPlugCategEffect = 1, kPlugCategSynth = 2 };

// Text buffers as long as hosts conventionally give them, terminator included.
enum VstStringConstants {
    kVstMaxProgNameLen = 24,
    kVstMaxEffectNameLen = 32,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
};

// ---- Events

enum VstEventTypes { kVstMidiType = 1, kVstSysExType = 6 };

struct VstEvent {
    VstInt32 type;
    VstInt32 byteSize; // of the event without the first eight bytes
    VstInt32 deltaFrames;
    VstInt32 flags;
    char data[16];
};

struct VstMidiEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

struct VstMidiSysexEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 dumpBytes;
    VstIntPtr resvd1;
    char* sysexDump;
    VstIntPtr resvd2;
};

// Declared with two entries, as published; a host allocates room for as many as it sends.
struct VstEvents {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2];
};

// ---- Time

struct VstTimeInfo {
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;
    double tempo;
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;
    VstInt32 samplesToNextClock;
    VstInt32 flags;
};

enum VstTimeInfoFlags {
    kVstTransportChanged = 1,
    kVstTransportPlaying = 1 << 1,
    kVstTransportCycleActive = 1 << 2,
    kVstTransportRecording = 1 << 3,
    kVstNanosValid = 1 << 8,
    kVstPpqPosValid = 1 << 9,
    kVstTempoValid = 1 << 10,
    kVstBarsValid = 1 << 11,
    kVstCyclePosValid = 1 << 12,
    kVstTimeSigValid = 1 << 13,
    kVstSmpteValid = 1 << 14,
    kVstClockValid = 1 << 15,
};

// ---- Other records

struct ERect {
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
};

enum VstPinPropertiesFlags {
    kVstPinIsActive = 1 << 0,
    kVstPinIsStereo = 1 << 1,
    kVstPinUseSpeaker = 1 << 2,
};

struct VstPinProperties {
    char label[64];
    VstInt32 flags;
    VstInt32 arrangementType;
    char shortLabel[8];
    char future[48];
};

struct VstSpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[64];
    VstInt32 type;
    char future[28];
};

struct VstSpeakerArrangement {
    VstInt32 type;
    VstInt32 numChannels;
    VstSpeakerProperties speakers[8];
};

struct MidiKeyName {
    VstInt32 thisProgramIndex;
    VstInt32 thisKeyNumber;
    char keyName[64];
    VstInt32 reserved;
    VstInt32 flags;
};

// ---- Layout checks

static_assert(sizeof(void*) == 8, "the declarations are for 64-bit hosts");
static_assert(sizeof(AEffect) == 192, "AEffect");
static_assert(offsetof(AEffect, dispatcher) == 8 && offsetof(AEffect, process) == 16 &&
                  offsetof(AEffect, setParameter) == 24 && offsetof(AEffect, getParameter) == 32,
              "AEffect entry points");
static_assert(offsetof(AEffect, numPrograms) == 40 && offsetof(AEffect, flags) == 56 &&
                  offsetof(AEffect, resvd1) == 64 && offsetof(AEffect, initialDelay) == 80 &&
                  offsetof(AEffect, ioRatio) == 92 && offsetof(AEffect, object) == 96 &&
                  offsetof(AEffect, user) == 104 && offsetof(AEffect, uniqueID) == 112 &&
                  offsetof(AEffect, version) == 116 && offsetof(AEffect, processReplacing) == 120 &&
                  offsetof(AEffect, processDoubleReplacing) == 128 &&
                  offsetof(AEffect, future) == 136,
              "AEffect fields");
static_assert(sizeof(VstEvent) == 32 && sizeof(VstMidiEvent) == 32 &&
                  offsetof(VstMidiEvent, midiData) == 24 && offsetof(VstMidiEvent, detune) == 28,
              "VstMidiEvent");
static_assert(sizeof(VstMidiSysexEvent) == 48 && offsetof(VstMidiSysexEvent, dumpBytes) == 16 &&
                  offsetof(VstMidiSysexEvent, sysexDump) == 32,
              "VstMidiSysexEvent");
static_assert(offsetof(VstEvents, events) == 16, "VstEvents");
static_assert(sizeof(VstTimeInfo) == 88 && offsetof(VstTimeInfo, tempo) == 32 &&
                  offsetof(VstTimeInfo, timeSigNumerator) == 64 &&
                  offsetof(VstTimeInfo, flags) == 84,
              "VstTimeInfo");
static_assert(sizeof(ERect) == 8, "ERect");
static_assert(sizeof(VstPinProperties) == 128 && offsetof(VstPinProperties, shortLabel) == 72,
              "VstPinProperties");
static_assert(sizeof(VstSpeakerProperties) == 112 && offsetof(VstSpeakerProperties, type) == 80,
              "VstSpeakerProperties");
static_assert(offsetof(VstSpeakerArrangement, speakers) == 8, "VstSpeakerArrangement");
static_assert(sizeof(MidiKeyName) == 80 && offsetof(MidiKeyName, flags) == 76, "MidiKeyName");
