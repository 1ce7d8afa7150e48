#include "tests/core/SendRig.h"

#include "kit/effect/IMidiMsg.h"

using namespace coretest;
using SendPath = SendRig;

namespace {

// n bytes (a block of exactly n) that begin like a global dump, with or without F0, and hold
// one byte above 0x7F in the summed range.
Bytes message(int n, bool framed) {
    const Bytes head = framed ? Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x14, 0x00} : Bytes{0x3E, 0x0F, 0x00};
    Bytes m(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        m[size_t(i)] = i < int(head.size()) ? head[size_t(i)] : uint8_t((i * 37) & 0x7F);
    if (n > 100) m[100] = 0xC5;
    if (framed) m.back() = 0xF7;
    return m;
}

uint8_t sum(const Bytes& m, int first, int last) {
    unsigned s = 0;
    for (int i = first; i <= last; ++i)
        s += m[size_t(i)];
    return uint8_t(s & 0x7F);
}

IMidiMsg controlChange(int channel) {
    IMidiMsg msg;
    msg.MakeControlChangeMsg(IMidiMsg::EControlChangeMsg(74), 0.5, channel);
    return msg;
}

} // namespace

TEST_F(SendPath, LongMessagesGetTheirChecksumShortOnesGoAsTheyAre) {
    struct Case {
        int size;
        bool framed;
        int at, first, last; // checksum position and summed range; at < 0: unchanged
    } cases[] = {
        {207, true, 205, 4, 204}, {393, true, 391, 4, 390}, {201, false, 200, 3, 199},
        {200, true, -1, 0, 0}, {6, true, -1, 0, 0}, {5, true, -1, 0, 0}, {1, true, -1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        Bytes m = message(c.size, c.framed), expected = m;
        if (c.at >= 0) expected[size_t(c.at)] = sum(m, c.first, c.last);
        plug->checksumCheckAndSend(m.data(), c.size);
        EXPECT_EQ(m, expected); // written into the caller's buffer
        const Bytes wire = c.framed ? expected : [&] {
            Bytes w{0xF0};
            w.insert(w.end(), expected.begin(), expected.end());
            w.push_back(0xF7);
            return w;
        }();
        EXPECT_EQ(sent(), std::vector<Bytes>{wire});
    }
}

TEST_F(SendPath, NothingLeavesWithoutAnOutput) {
    plug->setMIDIIOSet(false);
    Bytes dump = message(207, true);
    IMidiMsg cc = controlChange(0);
    for (auto send : {std::function<void()>([&] { plug->checksumCheckAndSend(dump.data(), 207); }),
                      std::function<void()>([&] { plug->sendMidiMsgAndLog(&cc); })}) {
        plug->Reset();
        send();
        EXPECT_EQ(nameLine(), "Set MIDI I/O First!");
    }
    plug->Reset();
    plug->AllSoundsOff(0, true);
    plug->storeAllPatchesToDeviceFromLibrarian(0, 0, 0);
    EXPECT_EQ(nameLine(), "Veririz Zoz Plug-in");
    EXPECT_FALSE(plug->ThreadRunning());
    EXPECT_TRUE(sent().empty());
    // The All Notes Off flag stayed clear: a transfer holds nothing back.
    plug->setMIDIIOSet(true);
    plug->DisplayProcessingIndicator(true);
    plug->MIDIOutRoutingSwitch(&cc);
    EXPECT_EQ(sent().size(), 1u);
}

TEST_F(SendPath, AMessageLightsItsPartOnceTheFirstOfAChannel) {
    set(kMultiPartMIDICh + 2, 4);
    set(kMultiPartMIDICh + 5, 4);
    IMidiMsg cc = controlChange(2);
    plug->sendMidiMsgAndLog(&cc);
    EXPECT_EQ(value(kMIDILed + 2), 1.0);
    EXPECT_EQ(value(kMIDILed + 5), 0.0);
    set(kMIDILed + 2, 0.0);
    plug->sendMidiMsgAndLog(&cc); // still lit: not pushed again
    EXPECT_EQ(value(kMIDILed + 2), 0.0);

    // A framed message lights the part of its byte 5: the bank byte of a dump.
    const struct {
        uint8_t byte5;
        int part;
    } dumps[] = {{0x00, 0}, {0x0F, 15}, {0x10, -1}, {0x20, -1}, {0x30, -1}};
    for (const auto& d : dumps) {
        for (int part = 0; part < 16; ++part)
            set(kMIDILed + part, 0.0);
        Bytes m = message(6, true);
        m[5] = d.byte5;
        plug->checksumCheckAndSend(m.data(), 6);
        for (int part = 0; part < 16; ++part)
            EXPECT_EQ(value(kMIDILed + part), part == d.part ? 1.0 : 0.0) << int(d.byte5);
    }
}

TEST_F(SendPath, AllNotesOffTakesThePartsChannelOrTheGlobalOne) {
    for (int part = 0; part < 16; ++part)
        set(kMultiPartStatus + part, 0);
    const struct {
        int setting, global;
        Bytes wire; // empty: nothing sent
    } cases[] = {
        {0, 1, {0xB0, 0x7B, 0x00}}, {1, 16, {0xBF, 0x7B, 0x00}}, {5, 1, {0xB3, 0x7B, 0x00}},
        {17, 0, {0xBF, 0x7B, 0x00}}, {0, 0, {}}, {1, 0, {}},
    };
    for (const auto& c : cases) {
        set(kMultiPartMIDICh + 5, c.setting);
        set(kGlobalMidiChannel, c.global);
        plug->AllSoundsOff(5, false);
        EXPECT_EQ(sent(), c.wire.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{c.wire})
            << c.setting << " " << c.global;
    }
    set(kMultiPartStatus + 3, 1);
    set(kMultiPartStatus + 9, 2);
    plug->AllSoundsOff(0, true);
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB3, 0x7B, 0x00}, {0xB9, 0x7B, 0x00}}));
}

TEST_F(SendPath, RoutingDropsDuringATransferAfterNotesOffQueuesOrSends) {
    IMidiMsg cc = controlChange(0);
    for (int part = 0; part < 16; ++part)
        set(kMultiPartStatus + part, 0);
    plug->AllSoundsOff(0, true); // no part active: nothing sent, the flag set even so
    plug->MIDIOutRoutingSwitch(&cc);
    EXPECT_EQ(sent(), std::vector<Bytes>({{0xB0, 74, 63}}));
    plug->DisplayProcessingIndicator(true);
    plug->MIDIOutRoutingSwitch(&cc);
    EXPECT_TRUE(sent().empty());
    plug->DisplayProcessingIndicator(false); // clears the notes-off flag
    plug->setToHostBuffer(true);
    plug->MIDIOutRoutingSwitch(&cc);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(plug->getMidiQueue().ToDo(), 1);
}
