#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/support/TestEffect.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

using ::testing::IsEmpty;

namespace {

bool sameLink(const LinkInfo& a, const LinkInfo& b) {
    return a.partnerId == b.partnerId && a.switchId == b.switchId && a.extra == b.extra;
}

class ControlRecords : public ::testing::Test {
protected:
    ControlRecords() {
        plugin.effectBase = &effect;
        // No graphics: only the plug-in is stored, nothing is read.
        manager->readUIConfig(nullptr, &plugin, nullptr, 0, 1.0);
    }
    ControlAction* recordOf(int id) const { return effect.GetParam(id)->GetControlAction(); }

    testsupport::TestEffect effect{kNumParams, kNumNonAutomatedParams};
    FakeConfigPlugin plugin;
    std::unique_ptr<UIConfigManager> manager = std::make_unique<UIConfigManager>();
};

TEST(ControlActionRecord, Defaults) {
    const ControlAction a;
    EXPECT_EQ(a.lastSentValue, -1.0);
    for (int field : {a.linkOffset, a.partIndex, a.ccNumber, a.nrpnKey1, a.nrpnKey2, a.nrpnKey3,
                      a.channelOrPart, a.mapVariant, a.minValue, a.maxValue})
        EXPECT_EQ(field, -1);
    EXPECT_EQ(a.actionType, kActionSysEx);
    EXPECT_THAT(a.controls, IsEmpty());
    EXPECT_TRUE(sameLink(a.link, LinkInfo{-1, -1, -1}));
    EXPECT_EQ(a.switchLayer, nullptr);
    EXPECT_FALSE(a.sysexMessage.multiMessage);
    EXPECT_TRUE(a.sysexMessage.messages.empty());
    EXPECT_THAT(a.sysexMessage.messageSets, IsEmpty());
}

TEST_F(ControlRecords, LinkMakesThePartnerRecordWithTheBackLink) {
    ControlAction own;
    manager->setControlLink(&own, kFilter1Cutoff + 2, {kFilter2Cutoff + 2, kFilterLinkSwitch, 5}, 2);
    EXPECT_TRUE(sameLink(own.link, {kFilter2Cutoff + 2, kFilterLinkSwitch, 5}));
    ControlAction* partner = recordOf(kFilter2Cutoff + 2);
    ASSERT_NE(partner, nullptr);
    EXPECT_TRUE(sameLink(partner->link, {kFilter1Cutoff + 2, kFilterLinkSwitch, -1}));
    EXPECT_EQ(partner->actionType, kActionSysEx);
    EXPECT_THAT(partner->controls, IsEmpty());

    // A later link to the same partner reuses its record and only replaces the link.
    partner->ccNumber = 74;
    ControlAction other;
    manager->setControlLink(&other, kFilter1Resonance, {kFilter2Cutoff + 2, kFilterLinkSwitch, -1},
                            -1);
    EXPECT_EQ(recordOf(kFilter2Cutoff + 2), partner);
    EXPECT_EQ(partner->ccNumber, 74);
    EXPECT_TRUE(sameLink(partner->link, {kFilter1Resonance, kFilterLinkSwitch, -1}));
}

TEST_F(ControlRecords, NoLinkWithoutPartnerAndSwitchOneWayPastTheList) {
    ControlAction own;
    own.link = {7, 8, 9}; // a back link given earlier stays
    for (LinkInfo link : {LinkInfo{kFilter2Cutoff, -1, 3}, LinkInfo{-1, kFilterLinkSwitch, 3}})
        manager->setControlLink(&own, kFilter1Cutoff, link, -1);
    EXPECT_TRUE(sameLink(own.link, {7, 8, 9}));
    EXPECT_EQ(recordOf(kFilter2Cutoff), nullptr);

    manager->setControlLink(&own, kFilter1Cutoff, {kNumParams, kFilterLinkSwitch, -1}, -1);
    EXPECT_TRUE(sameLink(own.link, {kNumParams, kFilterLinkSwitch, -1}));
    manager->setControlLink(&own, kFilter1Cutoff, {kDebugParts, kFilterLinkSwitch, -1}, -1);
    ASSERT_NE(recordOf(kDebugParts), nullptr); // the last parameter still has its back link
    EXPECT_EQ(recordOf(kDebugParts)->link.partnerId, kFilter1Cutoff);
}

TEST_F(ControlRecords, ParamGroups) {
    EXPECT_EQ(manager->getParamGroup(-1, ""), "");
    EXPECT_EQ(manager->getParamGroup(-1, "Filter"), "Filter");
    EXPECT_EQ(manager->getParamGroup(0, ""), "Part 1");
    EXPECT_EQ(manager->getParamGroup(15, "Osc"), "Part 16:Osc");
}

TEST_F(ControlRecords, ManagerTakesItsRecordsBackAndLeavesOthers) {
    ControlAction foreign;
    effect.GetParam(kFilter1Cutoff)->SetControlAction(&foreign);
    ControlAction own;
    manager->setControlLink(&own, kFilter1Resonance, {kFilter1Cutoff, kFilterLinkSwitch, -1}, -1);
    manager->setControlLink(&own, kFilter1Resonance, {kFilter2Cutoff, kFilterLinkSwitch, -1}, -1);
    EXPECT_TRUE(sameLink(foreign.link, {kFilter1Resonance, kFilterLinkSwitch, -1}));
    ASSERT_NE(recordOf(kFilter2Cutoff), nullptr);

    manager.reset(); // LeakSanitizer reports a record that is not freed
    EXPECT_EQ(recordOf(kFilter2Cutoff), nullptr);
    EXPECT_EQ(recordOf(kFilter1Cutoff), &foreign);
}

} // namespace
