#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/support/TestEffect.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

std::vector<int> fields(const LinkInfo& link) {
    return {link.partnerId, link.switchId, link.extra};
}

TEST(ControlActionRecord, Defaults) {
    const ControlAction a;
    EXPECT_EQ(a.lastSentValue, -1.0);
    for (int field : {a.linkOffset, a.partIndex, a.ccNumber, a.nrpnKey1, a.nrpnKey2, a.nrpnKey3,
                      a.channelOrPart, a.mapVariant, a.minValue, a.maxValue})
        EXPECT_EQ(field, -1);
    EXPECT_EQ(a.actionType, kActionSysEx);
    EXPECT_TRUE(a.controls.empty() && !a.switchLayer && fields(a.link) == fields({}));
    EXPECT_TRUE(!a.sysexMessage.multiMessage && a.sysexMessage.messages.empty() &&
                a.sysexMessage.messageSets.empty());
}

TEST(ControlActionRecord, LinksAndTheRecordsTheManagerTakesBack) {
    testsupport::TestEffect effect{kNumParams, kNumNonAutomatedParams};
    FakeConfigPlugin plugin;
    plugin.effectBase = &effect;
    auto manager = std::make_unique<UIConfigManager>();
    manager->readUIConfig(nullptr, &plugin, nullptr, 0, 1.0); // stores the plug-in, reads nothing
    auto record = [&](int id) { return effect.GetParam(id)->GetControlAction(); };

    ControlAction own, foreign;
    own.link = {7, 8, 9}; // a back link given earlier stays without partner or switch
    for (LinkInfo link : {LinkInfo{kFilter2Cutoff, -1, 3}, LinkInfo{-1, kFilterLinkSwitch, 3}})
        manager->setControlLink(&own, kFilter1Cutoff, link, -1);
    EXPECT_EQ(fields(own.link), (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(record(kFilter2Cutoff), nullptr);

    manager->setControlLink(&own, kFilter1Cutoff, {kNumParams, kFilterLinkSwitch, 3}, -1);
    EXPECT_EQ(fields(own.link), (std::vector<int>{kNumParams, kFilterLinkSwitch, 3})); // one-way
    manager->setControlLink(&own, kFilter1Cutoff, {kDebugParts, kFilterLinkSwitch, 3}, -1);
    ASSERT_NE(record(kDebugParts), nullptr);
    EXPECT_EQ(fields(record(kDebugParts)->link),
              (std::vector<int>{kFilter1Cutoff, kFilterLinkSwitch, -1}));
    // A record the manager did not make gets its link and stays its owner's.
    effect.GetParam(kFilter2Cutoff)->SetControlAction(&foreign);
    manager->setControlLink(&own, kFilter1Cutoff, {kFilter2Cutoff, kFilterLinkSwitch, 3}, -1);
    EXPECT_EQ(foreign.link.partnerId, kFilter1Cutoff);

    manager.reset(); // LeakSanitizer reports a record that is not freed
    EXPECT_EQ(record(kDebugParts), nullptr);
    EXPECT_EQ(record(kFilter2Cutoff), &foreign);
}

TEST(ControlActionRecord, ParamGroups) {
    UIConfigManager manager;
    EXPECT_EQ(manager.getParamGroup(-1, ""), "");
    EXPECT_EQ(manager.getParamGroup(0, ""), "Part 1");
    EXPECT_EQ(manager.getParamGroup(15, "Osc"), "Part 16:Osc");
}

} // namespace
