#include "tests/core/SendRig.h"

#include "kit/effect/IMidiMsg.h"

#include <functional>

using namespace coretest;
using SendPath = SendRig;

namespace {

// n bytes (a block of exactly n) that begin like a global dump, with or without F0, holding a
// byte above 0x7F in the summed range; a framed one of more than 6 bytes ends in F7.
Bytes message(int n, bool framed) {
    const Bytes head = framed ? Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x14, 0x00} : Bytes{0x3E, 0x0F, 0x00};
    Bytes m(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        m[size_t(i)] = i < int(head.size()) ? head[size_t(i)] : uint8_t((i * 37) & 0x7F);
    if (n > 100) m[100] = 0xC5;
    if (framed && n > 6) m.back() = 0xF7;
    return m;
}

IMidiMsg cc74(int channel) {
    IMidiMsg msg;
    msg.MakeControlChangeMsg(IMidiMsg::EControlChangeMsg(74), 0.5, channel);
    return msg;
}

} // namespace

TEST_F(SendPath, LongMessagesGetTheirChecksumShortOnesGoAsTheyAre) {
    const struct {
        int size;
        bool framed;
        int at, first, last; // the checksum's place and summed range; at < 0: unchanged
    } cases[] = {{207, true, 205, 4, 204}, {393, true, 391, 4, 390}, {201, false, 200, 3, 199},
                 {200, true, -1, 0, 0},    {6, true, -1, 0, 0},      {5, true, -1, 0, 0},
                 {1, true, -1, 0, 0}};
    for (const auto& c : cases) {
        Bytes m = message(c.size, c.framed), expected = m;
        unsigned sum = 0;
        for (int i = c.first; c.at >= 0 && i <= c.last; ++i)
            sum += m[size_t(i)];
        if (c.at >= 0) expected[size_t(c.at)] = uint8_t(sum & 0x7F);
        EXPECT_TRUE(plug->checksumCheckAndSend(m.data(), c.size));
        EXPECT_EQ(m, expected) << c.size; // written into the caller's buffer
        if (!c.framed) expected.insert(expected.begin(), 0xF0), expected.push_back(0xF7);
        EXPECT_EQ(sent(), std::vector<Bytes>{expected}) << c.size;
    }
}

TEST_F(SendPath, WithoutAnOutputNothingLeavesAndOnlyEditsSaySo) {
    plug->setMIDIIOSet(false);
    Bytes dump = message(207, true);
    IMidiMsg cc = cc74(0);
    ControlAction action = ccAction(kActionCC, 0);
    const char *refused = "Set MIDI I/O First!", *quiet = "Veririz Zoz Plug-in";
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { EXPECT_FALSE(plug->checksumCheckAndSend(dump.data(), 207)); }, refused},
        {[&] { plug->sendMidiMsgAndLog(&cc); }, refused},
        {[&] { plug->processControlAction(&action, kFilter1Cutoff, 5.0); }, refused},
        {[&] { plug->processControlAction(&action, kQModel, 5.0); }, quiet},
        {[&] { plug->processControlAction(&action, kGlobalSysExID, 5.0); }, quiet},
        {[&] { plug->storeAllPatchesToDeviceFromLibrarian(0, 0, 0); }, quiet},
        {[&] { plug->AllSoundsOff(0, true); }, quiet},
    };
    for (const auto& [send, text] : cases) {
        plug->Reset();
        send();
        EXPECT_EQ(line(kControlDisplayName), text);
    }
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(plug->ThreadRunning());
    EXPECT_EQ(action.lastSentValue, -1.0);
    // The All Notes Off flag stayed clear: a transfer holds nothing back.
    plug->setMIDIIOSet(true);
    plug->DisplayProcessingIndicator(true);
    plug->MIDIOutRoutingSwitch(&cc);
    EXPECT_EQ(sent().size(), 1u);
    // An output that is set but has no open port sends nothing either, and says so.
    bool toPort = true;
    auto closed = start<RecordingZoz>(out, toPort);
    closed->setMIDIIOSet(true);
    EXPECT_FALSE(closed->checksumCheckAndSend(dump.data(), 207));
}

TEST_F(SendPath, AMessageLightsItsPartOnceTheFirstOfAChannel) {
    set(kMultiPartMIDICh + 2, 4);
    set(kMultiPartMIDICh + 5, 4);
    IMidiMsg cc = cc74(2);
    plug->sendMidiMsgAndLog(&cc);
    EXPECT_EQ(value(kMIDILed + 2), 1.0);
    EXPECT_EQ(value(kMIDILed + 5), 0.0);
    set(kMIDILed + 2, 0.0);
    plug->sendMidiMsgAndLog(&cc); // still lit: not pushed again
    EXPECT_EQ(value(kMIDILed + 2), 0.0);
    // A framed message lights the part of its byte 5: the bank byte of a dump.
    for (const auto& [byte5, lit] : {std::pair{0x00, 0}, {0x0F, 15}, {0x10, -1}, {0x30, -1}}) {
        for (int part = 0; part < 16; ++part)
            set(kMIDILed + part, 0.0);
        Bytes m = message(6, true);
        m[5] = uint8_t(byte5);
        plug->checksumCheckAndSend(m.data(), 6);
        for (int part = 0; part < 16; ++part)
            EXPECT_EQ(value(kMIDILed + part), part == lit ? 1.0 : 0.0) << byte5 << " " << part;
    }
}

TEST_F(SendPath, AllNotesOffTakesThePartsChannelOrTheGlobalOneAndHoldsTransfersBack) {
    for (int part = 0; part < 16; ++part)
        set(kMultiPartStatus + part, part == 3 || part == 9);
    const struct {
        int setting, global;
        std::vector<Bytes> wire;
    } cases[] = {{0, 1, {{0xB0, 0x7B, 0}}}, {1, 16, {{0xBF, 0x7B, 0}}}, {5, 1, {{0xB3, 0x7B, 0}}},
                 {17, 0, {{0xBF, 0x7B, 0}}}, {0, 0, {}},                 {1, 0, {}}};
    for (const auto& c : cases) {
        set(kMultiPartMIDICh + 5, c.setting);
        set(kGlobalMidiChannel, c.global);
        plug->AllSoundsOff(5, false);
        EXPECT_EQ(sent(), c.wire) << c.setting << " " << c.global;
    }
    plug->AllSoundsOff(0, true);
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB3, 0x7B, 0}, {0xB9, 0x7B, 0}}));
    // During a transfer after an All Notes Off short messages are dropped; else queued for the
    // host's blocks or sent.
    IMidiMsg cc = cc74(0);
    plug->DisplayProcessingIndicator(true);
    plug->MIDIOutRoutingSwitch(&cc);
    EXPECT_TRUE(sent().empty());
    plug->DisplayProcessingIndicator(false);
    plug->setToHostBuffer(true);
    plug->MIDIOutRoutingSwitch(&cc);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(plug->getMidiQueue().ToDo(), 1);
}
