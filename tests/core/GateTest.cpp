// The gates of MIDI and SysEx from the synthesizer and the host.

#include "tests/core/ClockRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "kit/effect/IMidiMsg.h"
#include "kit/effect/ISysEx.h"

using namespace coretest;

namespace {

// The one setting that a case changes.
enum class State {
    kNone,
    kProcessing,
    kIncomingGate,
    kArrangement,
    kSysExFilter,
    kMasterKeyboard,
    kOutgoingLeds
};

struct Gate : ClockRig {
    void apply(State s, bool on) {
        switch (s) {
        case State::kProcessing:
            plug->DisplayProcessingIndicator(on);
            break;
        case State::kIncomingGate:
            plug->setArrangementSendFlags(on, false, false);
            plug->setArrangementBusy(false);
            break;
        case State::kArrangement:
            plug->setArrangementBusy(on);
            break;
        case State::kSysExFilter:
            plug->setBlocked(true, Zoz::kFilterSysEx, on);
            break;
        case State::kMasterKeyboard:
            plug->setMasterKeyboard(on);
            break;
        case State::kOutgoingLeds:
            plug->setFollowIncoming(!on);
            break;
        case State::kNone:
            break;
        }
    }
    int litPart() const {
        int lit = -1;
        for (int part = 0; part < 16; ++part)
            if (value(kMIDILed + part) == 1.0) lit = part;
        return lit;
    }
};

// A message of the synthesizer's family with byte 5 at part.
Bytes sysex(int size, int part) {
    Bytes m(size_t(size), 0x01);
    m[0] = 0xF0;
    m[1] = 0x3E;
    m[2] = 0x0F;
    m[3] = 0x00;
    m[4] = 0x20;
    m[5] = uint8_t(part);
    m.back() = 0xF7;
    return m;
}

// A short message as the host's event list brings it.
void fromHost(Zoz& plug, const uint8_t (&bytes)[3]) {
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof midi;
    std::copy(bytes, bytes + 3, midi.midiData);
    VstEvents events{};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&midi);
    plug.GetAEffect()->dispatcher(plug.GetAEffect(), effProcessEvents, 0, 0, &events, 0.0f);
}

} // namespace

// Every channel status short of each data byte it needs, from the synthesizer, and from the
// host with a status byte where its event holds that data byte: nothing is sent, whether local
// control echoes the synthesizer's messages or not and whether they go out directly or through
// the host's buffer, and each is counted in the log. The whole message is echoed.
TEST_F(Gate, AMessageCutShortIsNeverCompletedOnAnyPath) {
    for (int kind = 0; kind < Zoz::kFilterSysEx; ++kind)
        for (bool hardware : {true, false})
            plug->setBlocked(hardware, Zoz::FilterKind(kind), false);
    set(kMultiPartMIDICh + 2, 4); // part 2 on channel 2
    unsigned dropped = 0;
    for (bool local : {false, true}) {
        for (bool queued : {false, true}) {
            plug->setLocalControl(local);
            plug->setToHostBuffer(queued);
            for (int kind = 0x80; kind <= 0xE0; kind += 0x10) {
                const uint8_t whole[3] = {uint8_t(kind | 2), 0x3C, 0x64};
                for (int have = 0; have < IMidiMsg::DataBytes(whole[0]); ++have) {
                    plug->processMIDIInput(whole, size_t(have) + 1);
                    const uint8_t cut[3] = {whole[0], have ? whole[1] : uint8_t(0x90), 0x90};
                    fromHost(*plug, cut);
                    block();
                    EXPECT_EQ(sent(), std::vector<Bytes>()) << kind << " " << have;
                    EXPECT_EQ(plug->DroppedMIDICount(), dropped += 2);
                }
            }
        }
    }
    const std::vector<std::string> lines = logLines();
    for (const char* line :
         {"PROCESSOR: MIDI from the synthesizer dropped, cut short: 82 (1 so far)",
          "PROCESSOR: MIDI from the host dropped, cut short: 92 3C 90 (8 so far)"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    IMidiMsg cut(0, 0x92, 0x3C, 0x90); // as a faulty producer might queue it for the host buffer
    EXPECT_FALSE(plug->SendMidiMsg(&cut));
    EXPECT_EQ(plug->DroppedMIDICount(), dropped + 1);
    plug->setLocalControl(false);
    const uint8_t note[3] = {0x92, 0x3C, 0x64};
    for (bool queued : {false, true}) {
        plug->setToHostBuffer(queued);
        plug->processMIDIInput(note, 3);
        block();
        EXPECT_EQ(sent(), std::vector<Bytes>{Bytes(note, note + 3)}) << queued;
    }
}

TEST_F(Gate, ShortMessagesPassByTheEditorsStateAndTheirChannel) {
    const struct {
        State state;
        int global;
        uint8_t status;
        bool fromSynthesizer, fromHost; // passed
    } cases[] = {
        {State::kNone, 1, 0x91, true, true},
        {State::kProcessing, 1, 0x91, false, false},
        {State::kIncomingGate, 1, 0x91, false, false},
        {State::kMasterKeyboard, 1, 0x91, false, true},
        {State::kNone, 1, 0xF8, false, false},
        {State::kNone, 1, 0x40, false, false},
        {State::kNone, 1, 0x90, false, false},
        {State::kNone, 0, 0x90, true, true},
        {State::kNone, 16, 0x9F, false, false},
        {State::kNone, 16, 0x9E, true, true},
    };
    for (const auto& c : cases) {
        for (bool device : {true, false}) {
            apply(c.state, true);
            set(kGlobalMidiChannel, c.global);
            manager->fromHost = device; // each handler sets it to its side
            IMidiMsg msg(0, c.status, 60, 100);
            plug->ProcessMidiMsg(&msg, device);
            EXPECT_EQ(manager->fromHost != device, device ? c.fromSynthesizer : c.fromHost)
                << int(c.status) << " " << int(c.state) << " " << device;
            apply(c.state, false);
        }
    }
    // The host's messages go to the first part on their channel, else to part 0.
    plug->setBlocked(false, Zoz::kFilterPC, false);
    set(kMultiPartMIDICh + 5, 5); // channel 3, as part 3
    set(kMultiPartMIDICh + 9, 1); // channel 9 is no part's
    set(kMultiPartPatch + 5, 0);
    for (const auto& [channel, part] : {std::pair{3, 3}, {9, 0}}) {
        IMidiMsg programChange(0, uint8_t(0xC0 | channel), 17, 0);
        plug->ProcessMidiMsg(&programChange, false);
        EXPECT_EQ(value(kMultiPartPatch + part), 17) << channel;
        EXPECT_EQ(value(kMultiPartPatch + 5), 0);
        set(kMultiPartPatch + part, 0);
        // The part's sound is requested after the change: its overlay would gate the next.
        idle();
    }
}

// A host plays a note as the plug-in starts, and the synthesizer echoes one: the start-up
// enquiry begins between each note-on and its note-off and holds short MIDI back, but lets the
// notes that went out end, once. All else stays held: a controller, a new note and its end.
TEST_F(Gate, ANoteThatWentOutBeforeTheStartUpHoldEndsThroughIt) {
    writeSettings("yellow\nnormal\nyes\nno such output\n");
    restart(true, false);
    plug->setMIDIIOSet(true);
    plug->setLocalControl(false);
    plug->inputOpen = true;
    plug->held = true;
    const Bytes echoed = {0x93, 0x40, 0x50}, echoEnd = {0x93, 0x40, 0x00};
    plug->processMIDIInput(echoed.data(), 3);
    fromHost(*plug, {0x91, 0x3C, 0x64});
    block(); // the enquiry follows the block and waits at its first send
    while (!plug->holding)
        std::this_thread::yield();
    for (int i = 0; i < 2; ++i)
        plug->processMIDIInput(echoEnd.data(), 3);
    const uint8_t held[][3] = {{0xB1, 0x07, 0x10},
                               {0x91, 0x3E, 0x64},
                               {0x81, 0x3E, 0x00},
                               {0x81, 0x3C, 0x00},
                               {0x81, 0x3C, 0x00}};
    for (const auto& m : held)
        fromHost(*plug, m);
    block();
    std::vector<Bytes> notes = out.bytes();
    plug->held = false;
    notes.erase(std::remove_if(notes.begin(), notes.end(),
                               [](const Bytes& m) { return (m[0] & 0xE0) != 0x80; }),
                notes.end());
    EXPECT_EQ(notes, (std::vector<Bytes>{echoed, {0x91, 0x3C, 0x64}, echoEnd, {0x81, 0x3C, 0x00}}));
}

TEST_F(Gate, SysExLightsThePartOfAParameterMessageAndRaisesTheAnswerOnlyWhenPassed) {
    IControl* mixer = plug->namedLayer("miniMixer")->getControls().Get(0);
    const struct {
        State state;
        int size, part;
        int lit; // -1: none
        bool passed;
    } cases[] = {
        {State::kNone, 10, 5, 5, true},           {State::kNone, 9, 15, 15, true},
        {State::kNone, 13, 0, 0, true},           {State::kNone, 8, 5, -1, true},
        {State::kNone, 14, 5, -1, true},          {State::kNone, 10, 16, -1, true},
        {State::kNone, 10, 0x85, -1, true},       {State::kNone, 393, 5, -1, true},
        {State::kOutgoingLeds, 10, 5, -1, true},  {State::kProcessing, 10, 5, 5, true},
        {State::kArrangement, 10, 5, -1, false},  {State::kSysExFilter, 10, 5, -1, false},
        {State::kIncomingGate, 10, 5, -1, false},
    };
    for (const auto& c : cases) {
        for (bool collected : {false, true}) {
            clock.AdvanceMillis(101);
            block(); // every indicator out
            plug->SetLibrarianRequestActive(false);
            manager->dumpAwaited = false;
            manager->answerReceived = collected;
            mixer->SetClean();
            apply(c.state, true);
            const Bytes m = sysex(c.size, c.part);
            ISysEx message(0, m.data(), int(m.size()));
            plug->ProcessSysEx(&message, true);
            apply(c.state, false);
            EXPECT_EQ(litPart(), c.lit) << c.size << " " << c.part << " " << int(c.state);
            EXPECT_EQ(mixer->IsDirty(), c.passed);
            EXPECT_EQ(plug->isAnswerReceived(), c.passed && collected);
        }
    }
}

TEST_F(Gate, ThePlugInsOwnDumpsPassTheSysExFilterIntoTheLibrarian) {
    putBank("Bank.syx");
    restart(true);
    plug->setBlocked(true, Zoz::kFilterSysEx, true);
    const Bytes dump = testsupport::soundDumps(1, "Fed", "Bass")[0];
    ISysEx message(0, dump.data(), int(dump.size()));
    plug->SetLibrarianRequestActive(true);
    plug->ProcessSysEx(&message, true);
    EXPECT_FALSE(plug->isAnswerReceived());
    EXPECT_TRUE(plug->ProcessSysExInternal(&message));
    EXPECT_TRUE(plug->isAnswerReceived());
}
