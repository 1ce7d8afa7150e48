#include "tests/core/SendRig.h"

#include "kit/effect/ControlLayer.h"
#include "tests/support/ScaledClock.h"

#include <functional>

using namespace coretest;

namespace {

constexpr int64_t kMilli = 1000000;

// Time stands still but for the pauses, which the clock counts.
struct BankChange : SendRig {
    testsupport::ManualClock clock;

    void SetUp() override {
        SendRig::SetUp();
        for (int part = 0; part < 16; ++part) {
            set(kMultiPartMIDICh + part, part + 2);
            set(kMultiPartStatus + part, 0.0);
        }
        // Part 1 plays bank B, program 5.
        set(kMultiPartStatus + 0, 1.0);
        plug->setStoredBank(0, 1);
        plug->setStoredProgram(0, 5);
    }
    void choose(int part, int bank, int program) {
        set(kMultiPartBank + part, bank);
        set(kMultiPartPatch + part, program);
    }
    bool conflictShown() const { return plug->namedLayer("bankPatchConflictWindow")->isVisible(); }
};

} // namespace

TEST_F(BankChange, AnotherActivePartOnTheSameProgramRefusesTheChangeButItIsRecorded) {
    const struct {
        bool part1Active, includeSounds;
        int bank;
        bool sent;
    } cases[] = {
        {true, false, 1, false}, // refused, window open
        {true, true, 1, true},   // every sound is being sent: no conflict
        {false, false, 1, true}, // an inactive part is no conflict
        {true, false, 3, true},  // another bank
    };
    for (const auto& c : cases) {
        set(kMultiPartStatus + 0, c.part1Active ? 1.0 : 0.0);
        if (c.includeSounds) plug->setArrangementSendFlags(false, true, false);
        choose(1, c.bank, 5);
        EXPECT_EQ(plug->CheckBankConflict(1), c.part1Active && c.bank == 1);
        EXPECT_EQ(plug->BankChangeMessage(1), c.sent);
        EXPECT_EQ(conflictShown(), !c.sent);
        EXPECT_EQ(plug->getStoredBank(1), c.bank);
        EXPECT_EQ(plug->getStoredProgram(1), 5);
        EXPECT_EQ(plug->getLastProgramNumber(), 5);
        EXPECT_EQ(sent().size(), c.sent ? 4u : 0u);
        EXPECT_EQ(clock.SleptNanos() > 0, c.sent);
        plug->namedLayer("bankPatchConflictWindow")->Hide(true);
        plug->clearBatchAndGlobalFirst();
        plug->setArrangementBusy(false);
        plug->setStoredBank(1, 0);
    }
}

TEST_F(BankChange, ThePartsChannelCarriesNotesOffBankSelectAndProgramWithTheirPauses) {
    set(kLibSyncTimer, 7);
    choose(2, 3, 99);
    ASSERT_TRUE(plug->BankChangeMessage(2));
    const auto wire = out.messages();
    ASSERT_EQ(wire.size(), 4u);
    const Bytes expected[] = {{0xB2, 123, 0}, {0xB2, 0, 0}, {0xB2, 32, 72}, {0xC2, 99}};
    const int64_t at[] = {0, 0, 25, 50};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(wire[i].bytes, expected[i]) << i;
        EXPECT_EQ(wire[i].nanos - wire[0].nanos, at[i] * kMilli) << i;
    }
    EXPECT_EQ(clock.SleptNanos(), 600 * kMilli);
}

TEST_F(BankChange, GlobalOmniAndTheMultiUseTheGlobalChannel) {
    set(kGlobalMidiChannel, 16);
    for (int setting : {0, 1}) {
        set(kMultiPartMIDICh + 4, setting);
        choose(4, 0, 0);
        ASSERT_TRUE(plug->BankChangeMessage(4));
        EXPECT_EQ(sent(), (std::vector<Bytes>{{0xBF, 123, 0}, {0xBF, 0, 0}, {0xBF, 32, 64}, {0xCF, 0}}));
    }
    plug->setMultiMode(true);
    // The layout has no control of the multi's program to give it its range.
    plug->GetParam(kMultiPatch)->InitInt("Multi Patch", 0, 0, 127);
    set(kMultiBank, 0);
    set(kMultiPatch, 12);
    plug->setStoredBank(4, 2);
    ASSERT_TRUE(plug->BankChangeMessage(4));
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xBF, 123, 0}, {0xBF, 0, 0}, {0xBF, 32, 96}, {0xCF, 12}}));
    EXPECT_EQ(plug->getStoredBank(4), 2);
    EXPECT_EQ(plug->getLastProgramNumber(), 12);
}

TEST_F(BankChange, OnlyTheNotesOffWaitsForTheHostsBlocks) {
    plug->setToHostBuffer(true);
    choose(1, 0, 7);
    ASSERT_TRUE(plug->BankChangeMessage(1));
    EXPECT_EQ(plug->getMidiQueue().ToDo(), 1);
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB1, 0, 0}, {0xB1, 32, 64}, {0xC1, 7}}));
}

TEST_F(BankChange, WithoutAnOutputOrAChannelNothingIsSentRecordedOrAwaited) {
    const std::function<void()> cases[] = {
        [&] { plug->setMIDIIOSet(false); },
        [&] { set(kGlobalMidiChannel, 0), set(kMultiPartMIDICh + 1, 0); },
        [&] { set(kGlobalMidiChannel, 0), plug->setMultiMode(true); },
    };
    for (const auto& prepare : cases) {
        prepare();
        choose(1, 1, 5);
        set(kMultiPatch, 9);
        EXPECT_FALSE(plug->BankChangeMessage(1));
        EXPECT_EQ(plug->getStoredBank(1), 0);
        EXPECT_EQ(plug->getLastProgramNumber(), 0);
        EXPECT_FALSE(conflictShown());
        EXPECT_TRUE(sent().empty());
        EXPECT_EQ(clock.SleptNanos(), 0);
        plug->setMIDIIOSet(true);
        plug->setMultiMode(false);
        set(kGlobalMidiChannel, 1);
        set(kMultiPartMIDICh + 1, 3);
    }
}
