#include "tests/core/SendRig.h"

#include "kit/effect/ControlLayer.h"
#include "tests/support/ScaledClock.h"

using namespace coretest;

namespace {

constexpr int64_t kMilli = 1000000;

// Part p on channel p + 1; part 1 alone is active and plays bank B, program 5. Time moves
// only by the pauses.
struct BankChange : SendRig {
    testsupport::ManualClock clock;

    void SetUp() override {
        SendRig::SetUp();
        plug->setStoredBank(0, 1);
        plug->setStoredProgram(0, 5);
    }
    bool change(int part, int bank, int program) {
        set(kMultiPartBank + part, bank);
        set(kMultiPartPatch + part, program);
        return plug->BankChangeMessage(part);
    }
    ControlLayer* window() const { return plug->namedLayer("bankPatchConflictWindow"); }
};

} // namespace

TEST_F(BankChange, AnotherActivePartOnTheProgramRefusesTheChangeWhichIsRecordedAllTheSame) {
    const struct {
        bool part1Active, includeSounds;
        int bank;
        bool sent;
    } cases[] = {{true, false, 1, false}, {true, true, 1, true}, {false, false, 1, true},
                 {true, false, 3, true}};
    for (const auto& c : cases) {
        set(kMultiPartStatus + 0, c.part1Active);
        if (c.includeSounds) plug->setArrangementSendFlags(false, true, false);
        EXPECT_EQ(change(1, c.bank, 5), c.sent);
        EXPECT_EQ(plug->CheckBankConflict(1), c.part1Active && c.bank == 1);
        EXPECT_EQ(window()->isVisible(), !c.sent);
        EXPECT_EQ(plug->getStoredBank(1) * 100 + plug->getStoredProgram(1), c.bank * 100 + 5);
        EXPECT_EQ(sent().size(), c.sent ? 4u : 0u);
        EXPECT_EQ(clock.SleptNanos() > 0, c.sent);
        window()->Hide(true);
        plug->clearBatchAndGlobalFirst();
    }
}

// The All Notes Off alone may wait for the host's blocks.
TEST_F(BankChange, BankSelectAndProgramLeaveAtOnceWithTheSynthesizersPauses) {
    set(kLibSyncTimer, 7);
    plug->setToHostBuffer(true);
    ASSERT_TRUE(change(2, 3, 99));
    EXPECT_EQ(plug->getMidiQueue().ToDo(), 1);
    const auto wire = out.messages();
    ASSERT_EQ(wire.size(), 3u);
    const Bytes expected[] = {{0xB2, 0, 0}, {0xB2, 32, 72}, {0xC2, 99}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(wire[i].bytes, expected[i]);
        EXPECT_EQ(wire[i].nanos - wire[0].nanos, 25 * kMilli * int64_t(i));
    }
    EXPECT_EQ(clock.SleptNanos(), 600 * kMilli);
}

TEST_F(BankChange, OmniPartsAndTheMultiUseTheGlobalChannel) {
    set(kGlobalMidiChannel, 16);
    set(kMultiPartMIDICh + 4, 1);
    ASSERT_TRUE(change(4, 0, 0));
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xBF, 123, 0}, {0xBF, 0, 0}, {0xBF, 32, 64}, {0xCF, 0}}));
    plug->setMultiMode(true);
    // The layout has no control of the multi's program to give it its range.
    plug->GetParam(kMultiPatch)->InitInt("Multi Patch", 12, 0, 127);
    ASSERT_TRUE(change(4, 2, 7));
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xBF, 123, 0}, {0xBF, 0, 0}, {0xBF, 32, 96}, {0xCF, 12}}));
    EXPECT_EQ(plug->getStoredBank(4) * 100 + plug->getStoredProgram(4), 0);
    EXPECT_EQ(plug->getLastProgramNumber(), 12);
}

TEST_F(BankChange, WithoutAnOutputOrAChannelNothingIsSentRecordedOrAwaited) {
    for (int c = 0; c < 3; ++c) {
        plug->setMIDIIOSet(c != 0);
        set(kGlobalMidiChannel, c == 0);
        set(kMultiPartMIDICh + 1, c == 1 ? 0 : 3);
        plug->setMultiMode(c == 2);
        EXPECT_FALSE(change(1, 1, 5));
        EXPECT_EQ(plug->getStoredBank(1) + plug->getLastProgramNumber(), 0);
        EXPECT_TRUE(sent().empty());
        EXPECT_EQ(clock.SleptNanos(), 0);
    }
}
