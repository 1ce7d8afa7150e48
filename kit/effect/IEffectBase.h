#pragma once

#include "kit/base/KIT_Mutex.h"
#include "kit/base/KIT_PtrList.h"
#include "kit/base/KIT_String.h"
#include "kit/base/KIT_TypedBuf.h"
#include "kit/effect/ByteChunk.h"
#include "kit/effect/Hosts.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/IMidiMsg.h"
#include "kit/effect/IParam.h"
#include "kit/effect/IPreset.h"
#include "kit/effect/ISysEx.h"
#include "kit/effect/ITimeInfo.h"
#include "kit/effect/MidiFramer.h"
#include "platform/midi/MidiDelivery.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace platform {
enum class MidiSystem : int;
enum class PortLink : int;
class MidiErrors;
class MidiInput;
class MidiInputRelay;
class MidiOutput;
class MidiPortLook;
class MidiPortWatch;
struct MidiPorts;
} // namespace platform
struct IEffectOutputLane;

enum EAPI { kAPIVST2 = 0, kAPIVST3, kAPIAU, kAPIRTAS, kAPIAAX, kAPISA };

// Version words are major << 16 | minor << 8 | revision.
constexpr int MAX_VERSION_STR_LEN = 32;
void GetVersionParts(int version, int* major, int* minor, int* revision);
// major × 10000 + minor × 100 + revision.
int GetDecimalVersion(int version);
// "v1.0.7", "v1.1" or "v1": trailing zero parts are left out. buf holds MAX_VERSION_STR_LEN.
void GetVersionStr(int version, char* buf);

// The first preset that is not initialised, or null.
IPreset* GetNextUninitializedPreset(KIT_PtrList<IPreset>* presets);
// "user preset N", N one more than the presets whose names contain "user preset".
void MakeDefaultUserPresetName(KIT_PtrList<IPreset>* presets, char* buf);

// Base of the plug-in object: the parameter list (the last N parameters hidden from the host),
// presets, the channel configuration and its buffers, the effect's identity, the editor's
// graphics and the re-entrant plug lock that serialises access to parameters and state. Host
// adapters derive from it and give the host-facing operations.
class IEffectBase {
public:
    struct ChannelIO {
        int nIn;
        int nOut;
    };
    struct Channel {
        bool connected = false;
        double** data = nullptr; // this channel's entry of the input or output data pointers
        KIT_TypedBuf<double> scratch;
        KIT_String label;
    };
    struct InChannel : Channel {};
    struct OutChannel : Channel {
        float* floatDest = nullptr; // the host's single-precision buffer of the current block
    };

    // The first six values and the first flag are given again to initialize.
    IEffectBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                const char* productName, const char* mfrName, int version, int uniqueID, int mfrID,
                int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI);
    virtual ~IEffectBase();
    IEffectBase(const IEffectBase&) = delete;
    IEffectBase& operator=(const IEffectBase&) = delete;

    // Creates the parameters, presets and channels; N becomes nParams − nAutomated. The
    // channel string lists "in-out" pairs separated by blanks. The trailing values are the
    // host adapter's.
    void initialize(int nAutomated, int nParams, const char* channelIOStr, int nPresets,
                    const char* effectName, const char* productName, const char* mfrName,
                    int version, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                    bool plugDoesChunks, bool plugIsInst);
    // Sets N (it does not add to it).
    void addNonAutomateParamCount(int n) { m_nHidden = n; }

    // Behaviour the plug-in gives; the base versions take and release the plug lock.
    virtual void Reset();
    virtual void OnParamChange(int idx);
    virtual void OnParamChange2(int idx);
    // The base copies input i to output i where both exist and zeroes the other outputs.
    virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
    virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
    virtual void OnGUIOpen() {}
    virtual void OnGUIClose() {}
    virtual void OnIdle() {}
    virtual void OnActivate(bool active);
    // fromHardware: the message came from the external MIDI input, not from the host.
    virtual void ProcessMidiMsg(IMidiMsg* /*msg*/, bool /*fromHardware*/) {}
    virtual void ProcessSysEx(ISysEx* /*sysex*/, bool /*fromHardware*/) {}
    virtual bool MidiNoteName(int note, char* name);
    virtual bool SerializeState(ByteChunk* chunk) { return SerializeParams(chunk); }
    // The position after the state, or −1.
    virtual int UnserializeState(ByteChunk* chunk, int startPos) {
        return UnserializeParams(chunk, startPos);
    }
    // data holds doubles; startPos counts doubles. True when every visible value matches.
    virtual bool CompareState(const unsigned char* data, int startPos);
    virtual void OnWindowResize() {}
    virtual bool HostRequestingAboutBox() { return false; }
    virtual void OnHostIdentified() {}
    virtual void PopupHostContextMenuForParam(int /*idx*/, int /*x*/, int /*y*/) {}

    // A user edit: under the plug lock stores the value, tells the host and calls OnParamChange
    // when the value changed or the parameter is a text parameter. An unknown index does nothing.
    virtual void SetParameterFromGUI(int idx, double normalized);
    // The same for a value that came from the synthesizer, ending in OnParamChange2.
    virtual void SetParameterFromGUI2(int idx, double normalized);

    // Only parameters the host can see (0 ≤ idx < NHostParams) reach the host; the hidden ones
    // travel in the state chunk alone.
    void BeginInformHostOfParamChange(int idx);
    void InformHostOfParamChange(int idx, double normalized);
    void EndInformHostOfParamChange(int idx);
    virtual void InformHostOfProgramChange() = 0;
    // The host sees no hidden parameter, so it learns of what the user does in the open editor
    // as a change of the whole state (InformHostOfProgramChange), and only when what a save
    // keeps (SerializeState) differs from what it was as the input began: a page browsed or a
    // knob pressed without a move is no change, nor is what the synthesizer sends or the host
    // restores. The editor's tick compares at most once every kEditNoticeMillis and notes a
    // change; the host is told on a thread of its own (the adapter's).
    static constexpr int64_t kEditNoticeMillis = 250;
    // A control of the open editor is about to take the user's input: what a save keeps is
    // taken, unless earlier input is still watched. Under the plug lock.
    void NoteEditorInput();
    // The editor's tick (without the plug lock) and the editor's close: while input is
    // watched, compares what a save keeps with what it was and notes a change. The watch ends at a comparison
    // kEditNoticeMillis after the last input unless `inputOpen` (a button held, an edit field
    // open), and at once when `closing` (the editor's ticks end), which compares whatever the
    // interval.
    void CheckEditorEdits(bool inputOpen, bool closing);
    // Whether a change was noted since the last call.
    bool TakeEditorEdits() { return m_editsUntold.exchange(false); }
    virtual bool IsRenderingOffline() { return false; }
    virtual int GetSamplePos() = 0;
    virtual double GetTempo() = 0;
    virtual void GetTimeSig(int* numerator, int* denominator) = 0;
    virtual void GetTime(ITimeInfo* timeInfo) = 0;
    virtual EHost GetHost() { return m_host; }
    EAPI GetAPI() const { return m_api; }
    virtual void ResizeGraphics(int w, int h) = 0;
    // Shows every parameter's value on the editor (no lock of its own).
    virtual void RedrawParamControls();
    virtual void SetLatency(int samples) { m_latency = samples; }
    virtual bool SendMidiVST(IMidiMsg* msg) = 0;
    // MIDI to the synthesizer leaves through the external output, never to the host.
    virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
    virtual bool SendMidiSysex(unsigned char* /*data*/, int /*size*/) { return false; }
    virtual bool SendPatchSysex(unsigned char* /*data*/, int /*size*/) { return false; }
    virtual bool SendMidiSysex2(std::vector<unsigned char> /*bytes*/) { return false; }
    virtual void HostSpecificInit() {}
    // Takes ownership of g (replacing and deleting an earlier one) and shows every value on it.
    virtual void AttachGraphics(IGraphics* g);
    virtual bool SendSysEx(ISysEx* /*sysex*/) { return false; }
    virtual void DirtyPTCompareState() {}
    virtual void PresetsChangedByHost() {}
    virtual void SetBlockSize(int blockSize);

    // Bytes from the external MIDI input as it hands them over (the MIDI library's input joins
    // what follows a SysEx without its F7 onto it), framed into whole messages: a short
    // message, or a SysEx whose bytes live only during the call. What cannot become a whole
    // message is dropped (DropMIDI); time code, timing clock and active sensing are ignored.
    void processMIDIInput(const unsigned char* data, size_t size);
    // MIDI dropped on its way in or out since the plug-in was made: malformed, or finding no
    // room on the audio thread's way.
    unsigned DroppedMIDICount() const { return m_droppedMIDI; }

    // ---- External MIDI ports, the road to the synthesizer.
    // Entry 0 is "Select MIDI Device", then the system's ports in the library's order. The
    // lists are built once per plug-in, both on the first call of either (or the first device
    // menu opened): a direction's client is made when a port of it is first opened, named after
    // the plug-in ("<effect name>[ <instance number>] In", "… Out").
    std::vector<std::string>& getExternalMIDIInNames();
    std::vector<std::string>& getExternalMIDIOutNames();
    // Starts reading the system's ports for both lists on a thread of its own, so that the
    // plug-in goes on building meanwhile; the list operations then wait for that look instead
    // of making their own. For a plug-in about to open ports: the look's JACK client is the one
    // kept to follow them. The effect name is the one initialize will be given; once per
    // plug-in.
    void BeginExternalMIDILook(const char* effectName);
    // Takes that look once the plug-in is built, keeping its JACK client only when ports are
    // followed.
    void EndExternalMIDILook();
    // Closes the port of the previous selection and opens the port named, or, when the list has
    // no such name, the one port named alike but for the ALSA client number that Linux gives
    // anew as devices are plugged in; selection receives the list index of the port, which is
    // above 0 exactly when a port was opened. For the input, closing first waits for a
    // callback in flight on another thread (letting go of the plug lock meanwhile, as the
    // callback may want it); no callback reaches the plug-in after that until a port opens
    // again. Both take the plug lock, as the port watch does.
    void setExternalMIDIIn(int& selection, const char* name);
    void setExternalMIDIOut(int& selection, const char* name);
    // The list index of name, or -1.
    int getExternalMIDIInDevice(const char* name);
    int getExternalMIDIOutDevice(const char* name);
    // "Select MIDI Device" 0, "virtual input"/"virtual output" 1, a system port its list
    // index; -1 when there is no such port.
    int GetMIDIInPortNumber(const char* name);
    int GetMIDIOutPortNumber(const char* name);
    // The list index of the open port of a direction; 0 when none is open.
    int openExternalMIDIPort(bool input) const;
    // Why the MIDI system could not be found, in a few words; empty once a look found one.
    const std::string& missingExternalMIDISystem() const { return m_midiMissing; }
    // The device menus: the parameter lists the ports of a direction (an enum of the list's
    // entries whose value is the open port's entry) and goes on doing so as the lists change.
    void AttachExternalMIDIMenu(int paramIdx, bool input);
    // Before a control asks for a parameter's value: a device menu looks at the MIDI system
    // again, so that it lists the ports there now. Lets go of the plug lock while it looks.
    void OnParamPrompt(int paramIdx);
    // A stored port that is not there: it opens as soon as a later look finds it, by the
    // rules of setExternalMIDIIn/Out. While a port is awaited, and on JACK while a port is
    // open, a thread of the plug-in's own follows the MIDI system (on JACK as its server tells
    // of ports, of connections and of its own end, and every two seconds while a port is
    // awaited or new; else every two seconds), and so does every device menu opened. An open
    // port that no longer reaches its peer (its peer went, even if only for a moment, or its
    // server never ran it) is awaited and so taken again. An empty name awaits none. Under
    // the plug lock.
    void awaitExternalMIDI(bool input, const std::string& name);
    const std::string& awaitedExternalMIDI(bool input) const {
        return input ? m_midiInAwaited : m_midiOutAwaited;
    }
    // The name of the open port of a direction; empty while none is open. Under the plug lock.
    const std::string& openedExternalMIDI(bool input) const {
        return input ? m_midiInPortName : m_midiOutPortName;
    }
    // Whether the open port of a direction was disconnected from its peer, in a patchbay: it
    // stays open and is not connected again behind the user's back, but nothing passes it
    // until the user connects it. Under the plug lock.
    bool unconnectedExternalMIDI(bool input) const {
        return input ? m_midiInUnconnected : m_midiOutUnconnected;
    }
    // False while the input chosen cannot take what the synthesizer sends: it is awaited, or
    // open but reaching nothing. Any thread.
    bool externalMIDIInReaches();
    // Changes whenever a port of either direction closes or opens, the port watch's taking one
    // again included: what must span one connection to the synthesizer (a transfer) reads it
    // as it begins and before each step. Any thread.
    uint64_t ExternalMIDIConnection() const { return m_midiConnection.load(); }
    // platform::MidiOutput's Queued, Delivery and XrunShadowNs of the output; 0, a message that
    // may be lost, and 0 while no output is there. Any thread but the audio thread.
    uint64_t ExternalMIDIOutQueued();
    platform::MidiDelivery ExternalMIDIOutDelivery(uint64_t message);
    int64_t ExternalMIDIOutXrunShadowNs();
    // Replaces the output client by one whose virtual port is "From " + name.
    bool initializeVirtualOutput(std::string name);
    // Whether an input port is open now; a test plug-in that records its output may claim one.
    virtual bool isExternalMIDIInOpen() const { return m_midiInOpen; }
    // SendMidiMsg for each message in order; true when every one was sent.
    bool SendMidiMsgs(KIT_TypedBuf<IMidiMsg>* msgs);

    // ---- The audio thread's hand-over. What a block and the host's events leave for the
    // synthesizer, and what a block asks of the plug-in that may wait, is done after the block
    // on the plug-in's output thread: the audio thread never waits, allocates or takes a lock
    // for it. Each queue has one producer: the audio thread (the host's events, the blocks).
    // A message for the external output, sent in order after the block; false when the queue
    // has no room for it (dropped, logged).
    bool QueueExternalMIDI(const unsigned char* bytes, int size);
    bool QueueMidiMsg(const IMidiMsg& msg);
    // At the end of every block: wakes the output thread when a queue holds something for it,
    // or when `followUp` says that the plug-in's OnBlocksSent has work of its own. An idle
    // block leaves the thread asleep.
    void WakeOutputThread(bool followUp = false);
    // Returns once the output thread has done what was queued before the call (or has ended).
    // Not under the plug lock, which the host's events are handled under.
    void WaitForOutputThread();

    // Parameters.
    IParam* GetParam(int idx) const { return m_params.Get(idx); }
    int NParams() const { return m_params.GetSize(); }
    int NHiddenParams() const;
    int NHostParams() const { return NParams() - NHiddenParams(); }
    void OnParamReset();
    void DirtyParameters();
    // The re-entrant plug lock: the owner may enter again and must leave as often.
    KIT_Mutex* GetMutex() { return &m_mutex; }

    // Identity.
    IGraphics* GetGUI() const { return m_graphics; }
    const char* GetEffectName() const { return m_effectName; }
    const char* GetProductName() const { return m_productName; }
    const char* GetMfrName() const { return m_mfrName; }
    int GetUniqueID() const { return m_uniqueID; }
    int GetMfrID() const { return m_mfrID; }
    int GetEffectVersion(bool decimal) const;
    void GetEffectVersionStr(char* buf) const { GetVersionStr(m_version, buf); }
    int GetHostVersion(bool decimal);
    void GetHostVersionStr(char* buf);
    void SetHost(const char* host, int version);
    const char* GetAPIString() const;
    const char* GetArchString() const { return "x86"; }
    bool DoesStateChunks() const { return m_doesChunks; }
    bool IsInstrument() const { return m_isInstrument; }
    int GetLatency() const { return m_latency; }

    // Timing.
    double GetSampleRate() const { return m_sampleRate; }
    void SetSampleRate(double sampleRate) { m_sampleRate = sampleRate; }
    int GetBlockSize() const { return m_blockSize; }
    double GetSamplesPerBeat();

    // Channels and buffers, driven by the host adapter's process calls.
    int NInChannels() const { return m_inChannels.GetSize(); }
    int NOutChannels() const { return m_outChannels.GetSize(); }
    bool LegalIO(int nIn, int nOut) const;
    void LimitToStereoIO();
    void SetInputChannelConnections(int first, int n, bool connected);
    void SetOutputChannelConnections(int first, int n, bool connected);
    bool IsInChannelConnected(int i) const;
    bool IsOutChannelConnected(int i) const;
    void AttachInputBuffers(int first, int n, double** data, int nFrames);
    void AttachInputBuffers(int first, int n, float** data, int nFrames);
    void AttachOutputBuffers(int first, int n, double** data);
    void AttachOutputBuffers(int first, int n, float** data);
    // One block of the plug-in's processing. The plug lock is only tried: while another thread
    // holds it the block is skipped (the outputs are silent) and the result is false.
    bool ProcessBuffers(double, int nFrames);
    bool ProcessBuffers(float, int nFrames);
    bool ProcessBuffersAccumulating(float, int nFrames);
    void PassThroughBuffers(double, int nFrames);
    void PassThroughBuffers(float, int nFrames);
    void ZeroScratchBuffers();
    void SetInputLabel(int i, const char* label);
    void SetOutputLabel(int i, const char* label);
    // Only buses 0 and 1 have an input label.
    void SetInputBusLabel(int i, const char* label);
    void SetOutputBusLabel(int i, const char* label);

    // State chunks: an 8-byte framework header ("tffp", version 1.0.0) opens every chunk.
    void InitChunkWithIEffectVer(ByteChunk* chunk);
    // The framework version at *pos (which then moves past the header), or 0 with *pos
    // unchanged for a chunk without header; a header cut short gives 0 and *pos −1.
    int GetIEffectVerFromChunk(ByteChunk* chunk, int* pos);
    // Plain values of the visible parameters as doubles.
    bool SerializeParams(ByteChunk* chunk);
    // Reads the visible values, clamped into their ranges, without any change reaction; a value
    // that does not fit stores nothing and gives −1.
    int UnserializeParams(ByteChunk* chunk, int startPos);
    // The same over the first n hidden parameters.
    bool SerializeNonAutomatedParams(ByteChunk* chunk, int n);
    int UnserializeNonAutomatedParams(ByteChunk* chunk, int startPos, int n);

    // Presets: name, initialised flag and, when initialised, the state bytes without length.
    bool SerializePresets(ByteChunk* chunk);
    int UnserializePresets(ByteChunk* chunk, int startPos);
    int NPresets() const { return m_presets.GetSize(); }
    int GetCurrentPresetIdx() const { return m_currentPresetIdx; }
    void ModifyCurrentPreset(const char* name = nullptr);
    bool RestorePreset(int idx);
    bool RestorePreset(const char* name);
    const char* GetPresetName(int idx);
    void MakeDefaultPreset(const char* name, int n);
    void EnsureDefaultPreset();
    void PruneUninitializedPresets();
    // One value per visible parameter: an int for Bool, Int and Enum parameters, a double for
    // the others.
    void MakePreset(const char* name, ...);
    // n pairs (parameter index, value as for MakePreset); the rest keep their current values.
    void MakePresetFromNamedParams(const char* name, int n, ...);
    void MakePresetFromChunk(const char* name, ByteChunk* chunk);
    void MakePresetFromBlob(const char* name, const char* base64, int size);

    // The chunk the host keeps: header, the presets (bank only) and the plug-in's state.
    bool SerializeHostChunk(ByteChunk* chunk, bool bank);
    // Reads it back (a chunk without header as one program state) and shows the values; false
    // when the state could not be read.
    bool UnserializeHostChunk(ByteChunk* chunk, bool bank);

    // Program and bank files, through the editor's file panel.
    bool SaveProgramAsFXP(const char* defaultFileName);
    bool SaveBankAsFXB(const char* defaultFileName);
    bool LoadProgramFromFXP();
    bool LoadBankFromFXB();
    // Developer dumps of the current values as source text.
    void DumpPresetSrcCode(const char* path, const char** paramEnumNames);
    void DumpPresetBlob(const char* path);

protected:
    // One message to the external output, sent only into an open port and only when it has 1
    // to kMaxExternalMIDIBytes bytes; false when nothing was sent. Every send to the
    // synthesizer ends here, so a test plug-in may record the bytes instead.
    virtual bool SendExternalMIDI(const unsigned char* bytes, int size);
    static constexpr int kMaxExternalMIDIBytes = 16000;
    // Where the external ports report what the MIDI library and the MIDI system say (which
    // system is used, errors): nothing of it may reach the host's terminal. Called on any
    // thread; the base drops it.
    virtual void LogExternalMIDI(const std::string& /*text*/) {}
    // After a later look changed the ports: an awaited port opened (opened), an open one
    // whose device went away closed and is awaited, or a MIDI system was found where there
    // was none. Under the plug lock, on the thread that looked; the menus show it already.
    virtual void OnExternalMIDIChanged(bool /*opened*/) {}
    // A device menu is about to open with no port open and no MIDI system to be found: why.
    // Under the plug lock, on the editor's thread.
    virtual void OnExternalMIDIMissing(const std::string& /*why*/) {}
    // Ends the thread that follows the ports, letting go of the plug lock while it ends;
    // before anything OnExternalMIDIChanged uses goes. The host's close does it before the
    // plug-in is deleted.
    void stopExternalMIDIWatch();

    // A short message from the host, handed to ProcessMidiMsg on the output thread under the
    // plug lock; false when the queue has no room for it (dropped, logged).
    bool QueueHostMidi(const IMidiMsg& msg);
    // The host's short messages of a list that could not be queued (dropped, logged).
    void DropHostMidi(size_t count);
    // On the output thread, after it sent what the blocks queued: the plug-in's own follow-up
    // of its blocks (posts, the editor, the log). The base does nothing.
    virtual void OnBlocksSent() {}
    // Ends the output thread after a last pass over what is queued. A plug-in whose
    // OnBlocksSent, ProcessMidiMsg or SendExternalMIDI use its own members calls it in its
    // destructor before those go, and before it stops sending, so that the host's last events
    // (a note-off before a close) still go out.
    void StopOutputThread();

    // Counts a malformed message that is dropped instead of passed on and has it logged:
    // `where` it was going ("from the synthesizer" …), `why` it was dropped, its bytes.
    void DropMIDI(const char* where, const char* why, const uint8_t* bytes, size_t size);
    // DropMIDI for a short message that lacks a data byte its status needs.
    void dropCutShort(const char* where, const IMidiMsg& msg);
    // The log line of DropMIDI, with the count so far; called on the dropping thread, never
    // the audio thread (a block's refusals are logged by the output thread). The base drops it.
    virtual void LogDroppedMIDI(const char* /*where*/, const char* /*why*/,
                                const uint8_t* /*bytes*/, size_t /*size*/, unsigned /*count*/) {}

    // The host adapter's three parameter notices; called for visible parameters only.
    virtual void HostBeginEdit(int idx) = 0;
    virtual void HostAutomate(int idx, double normalized) = 0;
    virtual void HostEndEdit(int idx) = 0;

private:
    IPreset* presetAt(int idx) const { return m_presets.Get(idx); }
    void setParameterFromGUI(int idx, double normalized, bool fromHardware);
    int unserializeRange(ByteChunk* chunk, int startPos, int first, int n);
    bool serializeRange(ByteChunk* chunk, int first, int n);
    void initPreset(IPreset* preset, const char* name);
    bool fitScratch(int nFrames);
    bool processBlock(int nFrames, bool floatOut, bool accumulate);
    void passThrough(int nFrames, bool floatOut);
    void writeFloatOutputs(int nFrames, bool accumulate);
    bool promptForFile(KIT_String* file, EFileAction action, const char* extension);
    bool promptAndRead(const char* extension, ByteChunk* in);
    void putProgramRecord(ByteChunk* out, const char* name, const double* values, int nValues,
                          int byteSize);
    void applyProgramValues(const uint8_t* floats);

    void closeExternalMIDI();
    void shutMIDIInput();
    void startOutputThread();
    void runOutputThread();
    // Counts and logs what the audio thread's queues dropped, on the output thread.
    void countDropped(size_t count, const char* why);
    // What the input client received, on the input's own thread: passed on only while an input
    // port is open; nothing it raises escapes.
    void receiveMIDI(const std::vector<unsigned char>& bytes);

    void lookForExternalMIDI();
    void takeFirstExternalMIDILook(const platform::MidiPorts& ports, unsigned look);
    // Port changes take turns, and take JACK's cycles without the plug lock: one that waits
    // for its turn lets go of the plug lock meanwhile. Under the plug lock.
    std::unique_lock<std::mutex> takePortChange();
    // setExternalMIDIIn/Out without counting a choice: the port watch's own changes.
    void changeExternalMIDIIn(int& selection, const char* name);
    void changeExternalMIDIOut(int& selection, const char* name);
    // The choices of each direction's port (the input's at 1) that callers made, and those
    // under way; the port watch undoes none of them. Under the plug lock.
    struct PortChoices {
        unsigned made = 0;
        int underWay = 0;
    };
    struct PortChoice {
        explicit PortChoice(PortChoices& c) : choices(c) {
            ++choices.made;
            ++choices.underWay;
        }
        ~PortChoice() { --choices.underWay; }
        PortChoices& choices;
    };
    // Whether a choice of the direction was made since `made` was read, or is under way.
    bool chosenSince(bool input, unsigned made) const;
    // A choice has ended: a watch that nothing is left to follow ends now, not at the next
    // notice. Under the plug lock.
    void endPortChoice();
    // What the open port of a direction reaches; kLost while none is open. Unless it may
    // `wait`, nothing while a port change holds the direction (for the plug lock's holders).
    std::optional<platform::PortLink> externalMIDILink(bool input, std::string* why, bool wait);
    platform::MidiPortWatch& midiWatcher(const char* effectName);
    // Whether a port is awaited, or open on JACK (where its peer may go); under the plug lock.
    bool followsExternalMIDI() const;
    // Starts the thread that follows the ports when they need it; else lets the kept look go.
    void followExternalMIDI();
    // Which system a new look may take: once a client is made, only its own.
    platform::MidiSystem externalMIDIScope() const;
    // menuOpening: a device menu is about to show the lists. look: the number the look took
    // as it began. False when a port change or a send held a port it had to look at, which it
    // then left as it was, or when a newer look was taken first.
    bool takeExternalMIDILook(const platform::MidiPorts& ports, bool menuOpening, unsigned look);
    void showExternalMIDIMenus();
    // The plug-in's own ports, which the lists leave out.
    bool ownExternalMIDIPort(const std::string& name) const;
    void watchExternalMIDI();
    std::string midiClientName(const char* direction) const;
    static std::string midiClientName(const char* effectName, int instance, const char* direction);
    platform::MidiInput* inputClient();
    platform::MidiOutput* outputClient();
    static int takeInstanceNumber();
    static void releaseInstanceNumber(int number);

    int m_nHidden = 0;
    // Under the plug lock: what a save kept as the watched input began or when a change was
    // last noted (none: no input watched), the last input and the last comparison (the
    // clock's milliseconds).
    std::optional<ByteChunk> m_editBaseline;
    int64_t m_editInputAt = 0;
    std::optional<int64_t> m_editComparedAt;
    std::atomic<bool> m_editsUntold{false};
    // 1 for the first plug-in alive in the process, then the lowest number free.
    const int m_instanceNumber;
    bool m_midiLooked = false;
    // Looks numbered as they begin, and the newest taken; under the plug lock.
    unsigned m_midiLooksStarted = 0;
    unsigned m_midiLookTaken = 0;
    // The watch outlives its first look.
    std::unique_ptr<platform::MidiPortWatch> m_midiWatcher;
    std::unique_ptr<platform::MidiPortLook> m_midiLook;
    platform::MidiSystem m_midiSystem{};
    std::unique_ptr<platform::MidiErrors> m_midiInErrors;
    std::unique_ptr<platform::MidiErrors> m_midiOutErrors;
    // Made and let go with m_midiIn, which hands it what the port receives.
    std::unique_ptr<platform::MidiInputRelay> m_midiInRelay;
    std::unique_ptr<platform::MidiInput> m_midiIn;
    std::unique_ptr<platform::MidiOutput> m_midiOut;
    // Around every use of the input client, so that the port watch may ask what it reaches
    // without the plug lock.
    std::mutex m_midiInMutex;
    std::mutex m_midiPortChange;
    std::array<PortChoices, 2> m_midiChoices{};
    int m_midiInSelection = 0;
    int m_midiOutSelection = 0;
    // Held by receiveMIDI for the whole call, so that closing can wait for it; recursive, so
    // that the input's own thread may close the input.
    std::recursive_mutex m_midiInGate;
    std::atomic<bool> m_midiInOpen{false};
    std::atomic<uint64_t> m_midiConnection{0};
    // Under m_midiInGate; it keeps no SysEx longer than the output could send.
    MidiFramer m_midiFramer{kMaxExternalMIDIBytes};
    std::atomic<unsigned> m_droppedMIDI{0};
    // Around every use of the output client: sends come from the host's, the output and the
    // worker threads while a selection may close the port. The audio thread never takes it.
    std::mutex m_midiOutMutex;
    bool m_midiOutOpen = false; // the MIDI library cannot tell of a virtual port
    // The names of the open ports, empty while closed; the stored ports awaited; why the
    // MIDI system was not found. Under the plug lock.
    std::string m_midiInPortName;
    std::string m_midiOutPortName;
    // The names their clients took on the MIDI system, which JACK may have numbered.
    std::string m_midiInClient;
    std::string m_midiOutClient;
    std::string m_midiInAwaited;
    std::string m_midiOutAwaited;
    std::atomic<bool> m_midiInAwaiting{false}; // for other threads
    bool m_midiInUnconnected = false;
    bool m_midiOutUnconnected = false;
    std::string m_midiMissing;
    // The device menus' parameters and their directions (true: input), and whether the lists
    // changed since the menus last showed them.
    std::vector<std::pair<int, bool>> m_midiMenus;
    bool m_midiMenusStale = false;
    std::thread m_midiWatch;
    bool m_midiWatching = false; // under the plug lock
    std::atomic<bool> m_midiWatchStop{false};
    std::unique_ptr<IEffectOutputLane> m_output;
    KIT_PtrList<ChannelIO> m_channelIO;
    KIT_Mutex m_mutex;
    char m_effectName[128] = {};
    char m_productName[128] = {};
    char m_mfrName[128] = {};
    int m_uniqueID;
    int m_mfrID;
    int m_version;
    std::vector<std::string> m_midiOutNames;
    std::vector<std::string> m_midiInNames;
    EAPI m_api;
    EHost m_host = kHostUninit;
    int m_hostVersion = 0;
    bool m_doesChunks;
    bool m_isInstrument;
    int m_currentPresetIdx = 0;
    double m_sampleRate = 44100.0;
    int m_blockSize = 0;
    int m_latency;
    KIT_String m_previousPath;
    IGraphics* m_graphics = nullptr;
    KIT_PtrList<IParam> m_params; // into m_paramBlocks
    std::vector<std::unique_ptr<IParam[]>> m_paramBlocks;
    KIT_PtrList<IPreset> m_presets;
    std::vector<double*> m_inData;
    std::vector<double*> m_outData;
    KIT_PtrList<InChannel> m_inChannels;
    KIT_PtrList<OutChannel> m_outChannels;
    KIT_PtrList<KIT_String> m_inputBusLabels;
    KIT_PtrList<KIT_String> m_outputBusLabels;
};
