// The simulated synthesizer's memory and answers, in the test's own process.

#include "tests/support/BankFileGenerator.h"
#include "tests/support/ScaledClock.h"
#include "tools/zoz-qsim/SynthSimulator.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Bytes = qsim::SynthSimulator::Bytes;

Bytes request(uint8_t id, uint8_t a5, uint8_t a6, uint8_t device = 5) {
    return {0xF0, 0x3E, 0x0F, device, id, a5, a6, 0xF7};
}
const Bytes kProbe = {0xF0, 0x3E, 0x0F, 0x05, 0x04, 0xF7};

Bytes partSelect(int part) {
    return {0xF0, 0x3E, 0x0F, 0x05, 0x17, 0x00, uint8_t(2 * part + 1), 0xF7};
}

// A dump of generated data for an address, with its checksum; device id 5.
Bytes dumpFor(uint8_t id, uint8_t a5, uint8_t a6, uint32_t seed) {
    Bytes d = id == 0x13 ? testsupport::patternDump("Pattern", seed)
                         : testsupport::soundDump(testsupport::DumpModel::Q, "Sound", "Bass", seed);
    d[3] = 5;
    d[4] = id;
    d[5] = a5;
    d[6] = a6;
    testsupport::setChecksum(&d);
    return d;
}

struct Canonical : testing::Test {
    Canonical() { synth.fillCanonical(); }
    qsim::SynthSimulator synth{5};
};

// Each kind of request at the first and last address it has, and the addresses just beyond,
// which a Q does not have and leaves unanswered.
TEST_F(Canonical, AnswersEveryKindOfRequestAtTheEdgesOfItsAddressesWithItsOwnId) {
    struct Case {
        Bytes request;
        size_t size; // 0: no answer
    } cases[] = {
        {request(0x00, 0x00, 0x00), 393}, {request(0x00, 0x03, 0x63), 393},
        {request(0x00, 0x30, 0x0F), 393}, {request(0x01, 0x00, 0x63), 393},
        {request(0x01, 0x20, 0x00), 393}, {request(0x03, 0x00, 0x01), 545},
        {request(0x03, 0x00, 0x64), 545}, {request(0x03, 0x20, 0x00), 545},
        {kProbe, 207},
        {request(0x00, 0x04, 0x00), 0},   {request(0x00, 0x00, 0x64), 0},
        {request(0x00, 0x30, 0x10), 0},   {request(0x01, 0x20, 0x01), 0},
        {request(0x03, 0x00, 0x00), 0},   {request(0x03, 0x00, 0x65), 0},
        {request(0x00, 0x00, 0x00, 6), 0}, // another device
    };
    for (const Case& c : cases) {
        const std::vector<Bytes> answers = synth.answer(c.request);
        ASSERT_EQ(answers.size(), c.size ? 1u : 0u) << testing::PrintToString(c.request);
        if (!c.size) continue;
        const Bytes& d = answers[0];
        ASSERT_EQ(d.size(), c.size);
        const size_t header = c.size == 207 ? 5 : 7; // the global dump has no address
        Bytes expected(c.request.begin(), c.request.begin() + header);
        expected[4] += 0x10;
        expected[3] = 0x05;
        EXPECT_EQ(Bytes(d.begin(), d.begin() + header), expected);
        EXPECT_TRUE(testsupport::hasValidChecksum(d));
    }
    EXPECT_EQ(synth.answer(kProbe)[0][42], 5) << "the global dump names the device id";
    EXPECT_EQ(synth.answer(request(0x00, 0x7F, 0x00, 0x7F)).size(), 0u);
    EXPECT_EQ(synth.answer(request(0x00, 0x30, 0x00, 0x7F)).size(), 1u) << "broadcast id";
}

TEST_F(Canonical, KeepsOnlyWholeDumpsWithTheirChecksumAtAddressesItHas) {
    const Bytes bank3slot99 = dumpFor(0x10, 0x03, 0x63, 1);
    Bytes badSum = dumpFor(0x10, 0x00, 0x00, 2);
    badSum[391] ^= 1;
    Bytes otherDevice = dumpFor(0x10, 0x00, 0x01, 3);
    otherDevice[3] = 6;
    const Bytes slot100 = dumpFor(0x10, 0x00, 0x64, 4);
    Bytes cut = dumpFor(0x10, 0x00, 0x02, 5);
    cut.erase(cut.end() - 2);
    for (const Bytes& d : {bank3slot99, badSum, otherDevice, slot100, cut})
        EXPECT_TRUE(synth.answer(d).empty());

    EXPECT_EQ(synth.answer(request(0x00, 0x03, 0x63))[0], bank3slot99);
    qsim::SynthSimulator fresh(5);
    fresh.fillCanonical();
    for (uint8_t slot : {0, 1, 2})
        EXPECT_EQ(synth.answer(request(0x00, 0x00, slot)), fresh.answer(request(0x00, 0x00, slot)));
    EXPECT_TRUE(synth.dumpAt(0x10, 0x00, 0x64).empty());
}

// The pattern edit buffer a dump or request addresses is the part last selected.
TEST_F(Canonical, PatternEditBufferIsThePartLastSelected) {
    const Bytes part15 = dumpFor(0x13, 0x20, 0x00, 7);
    synth.answer(partSelect(15));
    synth.answer(part15);
    synth.answer(partSelect(0));
    EXPECT_NE(synth.answer(request(0x03, 0x20, 0x00))[0], part15);
    synth.answer(partSelect(15));
    EXPECT_EQ(synth.answer(request(0x03, 0x20, 0x00))[0], part15);
}

// Sound and multi changes land at index + 7 of the edit buffer, global ones at index + 5, up
// to the last data byte; the checksum follows. Values are seven bits.
TEST_F(Canonical, ParameterChangesEditTheEditBuffersUpToTheirLastDataByte) {
    struct Case {
        Bytes change;
        uint8_t id, a5, a6;
        size_t at; // 0: nothing changes
        uint8_t value;
    } cases[] = {
        {{0xF0, 0x3E, 0x0F, 0x05, 0x20, 0x0F, 0x00, 0x4E, 0x85, 0xF7}, 0x10, 0x30, 0x0F, 85, 0x05},
        {{0xF0, 0x3E, 0x0F, 0x05, 0x20, 0x00, 0x02, 0x7F, 0x11, 0xF7}, 0x10, 0x30, 0x00, 390, 0x11},
        {{0xF0, 0x3E, 0x0F, 0x05, 0x20, 0x00, 0x03, 0x00, 0x11, 0xF7}, 0x10, 0x30, 0x00, 0, 0},
        {{0xF0, 0x3E, 0x0F, 0x05, 0x20, 0x10, 0x00, 0x00, 0x11, 0xF7}, 0x10, 0x30, 0x00, 0, 0},
        {{0xF0, 0x3E, 0x0F, 0x05, 0x21, 0x00, 0x05, 0x37, 0xF7}, 0x11, 0x20, 0x00, 12, 0x37},
        {{0xF0, 0x3E, 0x0F, 0x05, 0x21, 0x02, 0x7F, 0x22, 0xF7}, 0x11, 0x20, 0x00, 390, 0x22},
        {{0xF0, 0x3E, 0x0F, 0x05, 0x24, 0x00, 0x26, 0x01, 0xF7}, 0x14, 0x00, 0x00, 43, 0x01},
        {{0xF0, 0x3E, 0x0F, 0x05, 0x24, 0x01, 0x47, 0x33, 0xF7}, 0x14, 0x00, 0x00, 204, 0x33},
        {{0xF0, 0x3E, 0x0F, 0x05, 0x24, 0x01, 0x48, 0x33, 0xF7}, 0x14, 0x00, 0x00, 0, 0},
        {{0xF0, 0x3E, 0x0F, 0x06, 0x24, 0x00, 0x26, 0x02, 0xF7}, 0x14, 0x00, 0x00, 0, 0},
    };
    for (const Case& c : cases) {
        const Bytes before = synth.dumpAt(c.id, c.a5, c.a6);
        EXPECT_TRUE(synth.answer(c.change).empty());
        Bytes expected = before;
        if (c.at) {
            expected[c.at] = c.value;
            testsupport::setChecksum(&expected);
        }
        EXPECT_EQ(synth.dumpAt(c.id, c.a5, c.a6), expected) << testing::PrintToString(c.change);
    }
}

// What image() writes, load() reads back into a synthesizer of another id as it was, the part
// selection and every part's pattern edit buffer included.
TEST_F(Canonical, MemoryImageLoadsBackAsItWas) {
    synth.answer(dumpFor(0x10, 0x02, 0x2A, 1));
    synth.answer(partSelect(7));
    synth.answer(dumpFor(0x13, 0x20, 0x00, 2));
    synth.answer(dumpFor(0x13, 0x00, 0x64, 3));
    synth.answer(partSelect(3));
    synth.answer({0xF0, 0x3E, 0x0F, 0x05, 0x20, 0x03, 0x00, 0x4E, 0x40, 0xF7});
    const Bytes image = synth.image();

    qsim::SynthSimulator copy(9);
    ASSERT_TRUE(copy.load(image));
    EXPECT_EQ(copy.image(), image) << "the same dumps, the same selection";
    copy.load(partSelect(7));
    EXPECT_EQ(copy.dumpAt(0x13, 0x20, 0x00), dumpFor(0x13, 0x20, 0x00, 2));
    EXPECT_FALSE(copy.load({0x00, 0xF7, 0xF0, 0x3E, 0x0F}));
}

// Bytes that are no message of the synthesizer's change nothing and get no answer.
TEST_F(Canonical, GarbageIsIgnored) {
    const Bytes before = synth.image();
    std::vector<Bytes> garbage = {
        {},
        {0xF7},
        {0xF0, 0xF7},
        {0xF0, 0x3E, 0x0F, 0x05, 0x04},             // no end
        {0xF0, 0x3E, 0x10, 0x05, 0x04, 0xF7},       // another model
        {0xF0, 0x3E, 0x0F, 0x05, 0x17, 0x00, 0xF7}, // short part select
        {0xF0, 0x3E, 0x0F, 0x05, 0x21, 0x00, 0x05, 0xF7},
        {0xF0, 0x3E, 0x0F, 0x05, 0x00, 0x30, 0x00, 0x00, 0xF7}, // long request
    };
    std::mt19937 random(44);
    for (int n = 0; n < 200; ++n) {
        Bytes b(1 + random() % 400);
        for (uint8_t& x : b)
            x = uint8_t(random());
        b.front() = 0xF0;
        b.back() = 0xF7;
        garbage.push_back(b);
    }
    for (const Bytes& g : garbage)
        EXPECT_TRUE(synth.answer(g).empty());
    Bytes stream;
    for (const Bytes& g : garbage)
        stream.insert(stream.end(), g.begin(), g.end());
    synth.load(stream);
    EXPECT_EQ(synth.image(), before);
}

// On its own thread each answer comes its delay after the request; silent requests never do.
TEST(SimulatorOnItsThread, AnswersAfterItsDelayAndNotTheSilentRequests) {
    testsupport::ManualClock clock;
    qsim::SynthSimulator synth(5);
    std::vector<Bytes> answers;
    synth.setAnswerDelayMillis(300);
    synth.setSilence([](const Bytes& r) { return r[4] == 0x04; });
    synth.start([&](const Bytes& d) { answers.push_back(d); });
    synth.receive(kProbe);
    synth.receive(request(0x01, 0x20, 0x00));
    clock.AdvanceMillis(299);
    synth.settle();
    EXPECT_TRUE(answers.empty());
    clock.AdvanceMillis(1);
    synth.settle();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0][4], 0x11);
    EXPECT_EQ(synth.requestsAnswered(), 1);
    synth.stop();
}

} // namespace
