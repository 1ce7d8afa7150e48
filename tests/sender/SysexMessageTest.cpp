#include "src/sender/SysexMessage.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/FakeSenderPlugin.h"
#include "tools/zoz-qsim/SynthSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>

using Bytes = std::vector<uint8_t>;
namespace sx = SysexMessage;

TEST(SysexMessage, RequestsCarryDeviceIdMessageIdAndAddress) {
    struct Case {
        Bytes built;
        Bytes expected;
    } cases[] = {
        {sx::request(0x7F, kSysexSoundRequest, sx::soundEditBuffer(15)),
         {0x3E, 0x0F, 0x7F, 0x00, 0x30, 0x0F}},
        {sx::request(0, kSysexSoundRequest, sx::soundSlot(3, 99)),
         {0x3E, 0x0F, 0x00, 0x00, 0x03, 0x63}},
        {sx::request(1, kSysexMultiRequest, sx::multiEditBuffer()),
         {0x3E, 0x0F, 0x01, 0x01, 0x20, 0x00}},
        {sx::request(1, kSysexMultiRequest, sx::multiSlot(42)),
         {0x3E, 0x0F, 0x01, 0x01, 0x00, 0x2A}},
        {sx::request(0, kSysexPatternRequest, sx::patternEditBuffer()),
         {0x3E, 0x0F, 0x00, 0x03, 0x20, 0x00}},
        // Pattern slots count from 1 on the wire.
        {sx::request(0, kSysexPatternRequest, sx::patternSlot(0)),
         {0x3E, 0x0F, 0x00, 0x03, 0x00, 0x01}},
        {sx::deviceIdProbe(0x11), {0x3E, 0x0F, 0x11, 0x04}},
        {sx::partSelect(0, 15), {0x3E, 0x0F, 0x00, 0x17, 0x00, 0x1F}},
        {sx::tempoMessage(2, 120), {0x3E, 0x0F, 0x02, 0x21, 0x00, 0x05, 0x78}},
        // Data bytes never leave the 7-bit range, whatever they are given.
        {sx::deviceIdProbe(0x85), {0x3E, 0x0F, 0x05, 0x04}},
        {sx::tempoMessage(0, 200), {0x3E, 0x0F, 0x00, 0x21, 0x00, 0x05, 0x48}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.built, c.expected);
}

TEST(SysexMessage, ChecksumCoversIdAddressAndDataFromTheMinimumLength) {
    // Without F0: bytes 3 .. n-2 summed into n-1, where the send path will add F7 after it;
    // the device id (0x55) is not summed.
    Bytes bare(201, 0x01);
    std::copy_n(Bytes{0x3E, 0x0F, 0x55}.begin(), 3, bare.begin());
    bare[200] = 0x00;
    sx::writeChecksum(bare.data(), int(bare.size()));
    EXPECT_EQ(bare[200], 197 & 0x7F);

    // One byte shorter: nothing is written.
    Bytes shortMessage(200, 0x01);
    shortMessage[0] = 0xF0;
    const Bytes before = shortMessage;
    sx::writeChecksum(shortMessage.data(), int(shortMessage.size()));
    EXPECT_EQ(shortMessage, before);
}

// The simulator stands in for the synthesizer in the request tests: it must answer what the
// requests put on the wire with dumps the incoming side accepts.
TEST(SynthSimulator, AnswersRequestsOnTheWireWithAddressedDumps) {
    testsupport::FakeSenderPlugin plugin;
    qsim::SynthSimulator synth(5);
    std::vector<Bytes> answers;
    synth.start([&](const Bytes& d) { answers.push_back(d); });
    plugin.output.setListener([&](const Bytes& m) { synth.receive(m); });
    for (const Bytes& r : {
             sx::request(5, kSysexSoundRequest, sx::soundEditBuffer(3)),
             sx::request(0x7F, kSysexMultiRequest, sx::multiSlot(7)),
             sx::request(5, kSysexPatternRequest, sx::patternSlot(99)),
             sx::deviceIdProbe(5),    // answered with the global dump
             sx::deviceIdProbe(6),    // another device
             sx::partSelect(5, 2),    // no answer
             sx::tempoMessage(5, 90), // no answer
         })
        plugin.SendMidiSysex(r.data(), int(r.size()));
    synth.settle();

    const Bytes headers[] = {{0xF0, 0x3E, 0x0F, 0x05, 0x10, 0x30, 0x03},
                             {0xF0, 0x3E, 0x0F, 0x05, 0x11, 0x00, 0x07},
                             {0xF0, 0x3E, 0x0F, 0x05, 0x13, 0x00, 0x64},
                             {0xF0, 0x3E, 0x0F, 0x05, 0x14}};
    const size_t sizes[] = {393, 393, 545, 207};
    ASSERT_EQ(answers.size(), 4u);
    EXPECT_EQ(synth.requestsAnswered(), 4);
    for (size_t i = 0; i < answers.size(); ++i) {
        ASSERT_EQ(answers[i].size(), sizes[i]);
        EXPECT_TRUE(std::equal(headers[i].begin(), headers[i].end(), answers[i].begin()));
        EXPECT_EQ(answers[i].back(), 0xF7);
        EXPECT_TRUE(testsupport::hasValidChecksum(answers[i]));
    }
}
