#include "src/uiconfig/ParameterIds.h"
#include "tests/support/RequestRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

// A message on the wire: its id (byte 4 of SysEx, the status byte of a short message) and the
// ms since the first message.
using Timeline = std::vector<std::pair<int, int64_t>>;

Timeline timeline(const RequestRig& rig) {
    Timeline t;
    const auto sent = rig.plugin.output.messages();
    for (const auto& m : sent)
        t.emplace_back(m.bytes[0] == 0xF0 ? m.bytes[4] : m.bytes[0],
                       (m.nanos - sent.front().nanos) / 1000000);
    return t;
}

bool sendArrangement(RequestRig& rig, bool toLibrarian = false, bool requestParts = false) {
    return rig.run(SenderJob::kSendArrangementToDevice, [&](SenderJob& j) {
        j.dumpOption1 = toLibrarian;
        j.dumpOption2 = requestParts;
    });
}

std::vector<std::string> busyCalls(const RequestRig& rig) {
    std::vector<std::string> busy;
    for (const std::string& c : rig.plugin.calls())
        if (c.rfind("busy", 0) == 0) busy.push_back(c);
    return busy;
}

} // namespace

TEST(ArrangementSend, ABatchSendsEveryActivePart400msApartAndStaysBusy) {
    RequestRig rig;
    rig.plugin.batch = true;
    for (int part : {1, 4, 15})
        rig.plugin.setParam(kMultiPartStatus + part, 1.0);
    rig.plugin.setParam(kMultiPartStatus + 7, 0.5); // only exactly 1.0 is active
    ASSERT_TRUE(sendArrangement(rig));
    // Each sound pauses 150 ms itself; the tempo follows the last part.
    EXPECT_EQ(timeline(rig),
              (Timeline{{0x11, 0}, {0x10, 500}, {0x10, 1050}, {0x10, 1600}, {0x21, 1750}}));
    const auto sent = rig.plugin.output.bytes();
    EXPECT_EQ(sent[2][6], 4);
    EXPECT_EQ(busyCalls(rig), (std::vector<std::string>{"busy 1", "busy 0"}));
    EXPECT_EQ(rig.plugin.callCount("indicator 1"), 1u);
}

// A port that closes during a project's arrangement ends it at the part that failed: no later
// part, no tempo, and the busy flag that the restore waits for clears.
TEST(ArrangementSend, APortClosedHalfwayEndsTheBatchAtThePartThatFailed) {
    RequestRig rig;
    rig.plugin.batch = true;
    for (int part : {1, 4, 15})
        rig.plugin.setParam(kMultiPartStatus + part, 1.0);
    rig.onSleep = [&](int sleep) {
        if (sleep == 3) rig.plugin.portOpen = false; // after the multi, part 2 and their pauses
    };
    ASSERT_TRUE(sendArrangement(rig));
    EXPECT_EQ(timeline(rig), (Timeline{{0x11, 0}, {0x10, 500}}));
    EXPECT_EQ(rig.plugin.upperDisplay(), "Data write FAILED at part 5!");
    EXPECT_EQ(busyCalls(rig), (std::vector<std::string>{"busy 1", "busy 0"}));
}

TEST(ArrangementSend, TheRequestRoadAsksForEachActivePartsSoundAndPattern) {
    RequestRig rig;
    rig.plugin.globalFirst = true; // ignored when either argument is set
    for (int part : {0, 5})
        rig.plugin.setParam(kMultiPartStatus + part, 1.0);
    ASSERT_TRUE(sendArrangement(rig, false, true));
    // T = 500: each sound and pattern request waits two units, then 250 ms to the next part.
    EXPECT_EQ(timeline(rig),
              (Timeline{{0x11, 0}, {0x00, 500}, {0x03, 1500}, {0x00, 2750}, {0x03, 3750}}));
    EXPECT_EQ(rig.plugin.output.bytes()[3][6], 5);
    const auto sets = rig.plugin.plugSets();
    const auto setFor = [&](int id) {
        return std::any_of(sets.begin(), sets.end(), [&](const auto& s) { return s.first == id; });
    };
    EXPECT_TRUE(setFor(kFilter1Cutoff + 0) && setFor(kFilter1Cutoff + 5));
    EXPECT_FALSE(setFor(kFilter1Cutoff + 1));
    EXPECT_EQ(busyCalls(rig), (std::vector<std::string>{"busy 1", "busy 0", "busy 0"}));
}

TEST(ArrangementSend, ASinglePartGoesOutSelectedWithItsBankAndPatternWhenAsked) {
    // The global dump goes first, the pattern last, when asked for.
    for (bool asked : {true, false}) {
        RequestRig rig;
        rig.plugin.setParam(kQuickTab, 2);
        rig.plugin.selectedPart = 2;
        rig.plugin.patternToo = asked;
        rig.plugin.globalFirst = asked;
        rig.plugin.setParam(kMultiPartPatch + 2, 17);
        ASSERT_TRUE(sendArrangement(rig));
        Timeline want{{0x11, 0}, {0x17, 500}, {0xC0, 600}, {0x10, 650}, {0x21, 800}};
        if (asked) {
            for (auto& m : want)
                m.second += 500; // after the global dump and its pause unit
            want.insert(want.begin(), {0x14, 0});
            want.push_back({0x13, 1600});
        }
        EXPECT_EQ(timeline(rig), want);
        const auto sent = rig.plugin.output.bytes();
        EXPECT_EQ(sent[1 + asked], (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x17, 0x00, 0x05, 0xF7}));
        EXPECT_EQ(sent[2 + asked], (Bytes{0xC0, 17}));
        EXPECT_EQ(sent[3 + asked][6], 2);
        EXPECT_EQ(busyCalls(rig), (std::vector<std::string>{"busy 1", "busy 0", "busy 0"}));
        // The veil goes once, at the end: a click meanwhile waits for the whole send instead
        // of reaching a worker still at it.
        EXPECT_EQ(rig.plugin.callCount("indicator 0"), 1u);
        // Read at the start, cleared at the end.
        EXPECT_FALSE(rig.plugin.patternToo);
        EXPECT_EQ(rig.plugin.calls().back(), "clear pattern-too");
    }
}

TEST(ArrangementSend, TheLibrarianRoadStoresTheMultiIntoTheSelectedSlotAndSendsNothing) {
    RequestRig rig(kMultis);
    rig.librarian.upperSlotIndex = 42;
    rig.plugin.globalFirst = true;
    ASSERT_TRUE(sendArrangement(rig, true, false));
    EXPECT_EQ(rig.plugin.output.count(), 0u);
    const auto fed = rig.plugin.internalInputs();
    ASSERT_EQ(fed.size(), 1u);
    EXPECT_EQ(Bytes(fed[0].begin() + 4, fed[0].begin() + 7), (Bytes{0x11, 0x20, 0x2A}));
    EXPECT_EQ(fed[0][391], 0x00);
    ASSERT_EQ(rig.storedSlots(kMultis), 1);
    EXPECT_EQ(rig.slot(kMultis, 42).dumps.at(0).bytes, fed[0]);
    EXPECT_EQ(rig.plugin.callCount("unsaved 1"), 1u);
}

// What decides where a dump lands goes again with it when JACK may have dropped either: the
// part select before another part's pattern, the bank change before the sound that replaces
// what its program change loaded. A part push hands on nothing before what it sent is clear.
TEST(ArrangementSend, WhatAnXrunMayHaveDroppedGoesAgainWithWhatDecidesWhereItLands) {
    const auto ids = [](const RequestRig& rig) {
        std::vector<int> ids;
        for (const auto& m : timeline(rig))
            ids.push_back(m.first);
        return ids;
    };
    RequestRig rig;
    rig.plugin.xrunWindowMillis = 40;
    rig.plugin.setParam(kQuickTab, 2);
    rig.plugin.selectedPart = 2;
    rig.plugin.patternToo = true;
    std::vector<int> told;
    rig.plugin.output.setListener([&](const Bytes& m) {
        const int id = m[0] == 0xF0 ? m[4] : m[0];
        if ((id == 0x17 || id == 0xC0) && std::count(told.begin(), told.end(), id) == 0) {
            told.push_back(id);
            rig.plugin.tellXrun();
        }
    });
    ASSERT_TRUE(sendArrangement(rig));
    EXPECT_EQ(ids(rig), (std::vector<int>{0x11, 0x17, 0x17, 0xC0, 0xC0, 0x10, 0x21, 0x13}));

    rig.plugin.output.clear();
    rig.plugin.output.setListener([&](const Bytes& m) {
        if (m[0] == 0xF0 && m[4] == 0x13 && rig.plugin.output.count() == 2) rig.plugin.tellXrun();
    });
    ASSERT_TRUE(rig.run(SenderJob::kSendSequenceToDevice, [](SenderJob& j) { j.part = 5; }));
    EXPECT_EQ(ids(rig), (std::vector<int>{0x17, 0x13, 0x17, 0x13}));
    EXPECT_EQ(rig.plugin.output.bytes()[2][6], 2 * 5 + 1);
}
