#include "src/params/ParamRules.h"
#include "tests/kit_effect/PlugLock.h"
#include "tests/support/FakeParamChangePlugin.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using testsupport::FakeParamChangePlugin;

namespace {

std::atomic<bool> gEntered{false};
std::atomic<bool> gRelease{false};

RuleEnd blockingRule(ParamChange&) {
    gEntered = true;
    while (!gRelease)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return RuleEnd::kGoOn;
}

} // namespace

TEST(ParamThreads, TriggerDispatchesItsSettingOnceInsideTheOuterLock) {
    FakeParamChangePlugin fake;
    fake.addAction(kFX1DelayClocked + 4);
    KIT_Mutex* mutex = fake.GetMutex();
    mutex->Enter();
    fake.edit(kTriggerFX1DelayClocked + 4, 1);
    EXPECT_EQ(fake.value(kFX1DelayClocked + 4), 1.0);
    EXPECT_EQ(fake.calls().size(), 1u);
    EXPECT_FALSE(testsupport::OtherThreadCanEnter(mutex));
    mutex->Leave();
    EXPECT_TRUE(testsupport::OtherThreadCanEnter(mutex));
}

TEST(ParamThreads, AnEditOnAnotherThreadWaitsForTheOuterCall) {
    ParamRuleTable rules = kParamRules;
    for (RuleSlot& row : rules.stage3)
        if (row.rule && row.claims(kMainTab)) row.rule = blockingRule;
    FakeParamChangePlugin fake(true, rules);
    fake.addAction(kMainTab);
    fake.addAction(kFilter1Cutoff);
    gEntered = gRelease = false;
    std::thread outer([&] { fake.edit(kMainTab, 3); });
    while (!gEntered)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::thread second([&] { fake.edit(kFilter1Cutoff, 9); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(fake.calls().empty());
    gRelease = true;
    outer.join();
    second.join();
    const auto calls = fake.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].idx, kMainTab);
    EXPECT_EQ(calls[1].idx, kFilter1Cutoff);
}

TEST(ParamThreads, EditorAndSynthesizerReactionsNeverOverlap) {
    FakeParamChangePlugin fake;
    fake.addAction(kFilter1Cutoff);
    fake.addAction(kFilter1Resonance);
    std::thread editor([&] {
        for (int i = 1; i <= 2000; ++i)
            fake.edit(kFilter1Cutoff, i % 128);
    });
    std::thread device([&] {
        for (int i = 1; i <= 2000; ++i)
            fake.editFromDevice(kFilter1Resonance, i % 128);
    });
    editor.join();
    device.join();
    EXPECT_EQ(fake.overlaps, 0);
    EXPECT_GT(fake.calls().size(), 3900u);
}
