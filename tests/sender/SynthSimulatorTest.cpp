#include "tests/support/SynthSimulator.h"
#include "src/sender/SysexMessage.h"
#include "tests/support/FakeSenderPlugin.h"

#include <gtest/gtest.h>

#include <algorithm>

using Bytes = std::vector<uint8_t>;
namespace sx = SysexMessage;

namespace {

bool checksumValid(Bytes dump) {
    const Bytes sent = dump;
    sx::writeChecksum(dump.data(), int(dump.size()));
    return dump == sent;
}

} // namespace

// The simulator stands in for the synthesizer in the request tests: it must answer what the
// requests put on the wire with dumps the incoming side accepts.
TEST(SynthSimulator, AnswersRequestsOnTheWireWithAddressedDumps) {
    testsupport::FakeSenderPlugin plugin;
    testsupport::SynthSimulator synth(5);
    std::vector<Bytes> answers;
    synth.attach(plugin.output, [&](const Bytes& d) { answers.push_back(d); });

    const Bytes requests[] = {
        sx::request(5, kSysexSoundRequest, sx::soundEditBuffer(3)),
        sx::request(0x7F, kSysexMultiRequest, sx::multiSlot(7)),
        sx::request(5, kSysexPatternRequest, sx::patternSlot(99)),
        sx::deviceIdProbe(5),
        sx::deviceIdProbe(6),    // another device
        sx::partSelect(5, 2),    // no answer
        sx::tempoMessage(5, 90), // no answer
    };
    for (const Bytes& r : requests)
        plugin.SendMidiSysex(r.data(), int(r.size()));

    ASSERT_EQ(answers.size(), 4u);
    EXPECT_EQ(synth.requestsAnswered(), 4);
    const struct {
        size_t size;
        Bytes header;
    } expected[] = {
        {393, {0xF0, 0x3E, 0x0F, 0x05, 0x10, 0x30, 0x03}},
        {393, {0xF0, 0x3E, 0x0F, 0x05, 0x11, 0x00, 0x07}},
        {545, {0xF0, 0x3E, 0x0F, 0x05, 0x13, 0x00, 0x64}},
        {207, {0xF0, 0x3E, 0x0F, 0x05, 0x14}},
    };
    for (size_t i = 0; i < answers.size(); ++i) {
        ASSERT_EQ(answers[i].size(), expected[i].size);
        EXPECT_TRUE(
            std::equal(expected[i].header.begin(), expected[i].header.end(), answers[i].begin()));
        EXPECT_EQ(answers[i].back(), 0xF7);
        EXPECT_TRUE(checksumValid(answers[i]));
    }
}
