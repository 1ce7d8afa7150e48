#include "tests/support/FakeParamChangePlugin.h"

#include <gtest/gtest.h>

using testsupport::FakeParamChangePlugin;
using Calls = std::vector<std::string>;

TEST(WholeDumpResends, TapsAndNamesSendTheWholePartWhenPostedThenTheirOwnMessage) {
    const struct {
        int id, part; // -1: no send
        std::string notesOff;
    } rows[] = {
        {4033, 0, ""},
        {4560, 15, ""},
        {5473, 0, ""},
        {6000, 15, ""},
        {4032, -1, ""},
        {6001, -1, ""},
        {kPatchName + 3, 3, "allSoundsOff 3 0"},
    };
    for (const auto& row : rows) {
        FakeParamChangePlugin fake;
        fake.addAction(row.id);
        fake.soundRequestActiveFlag = true;
        fake.dumpWorkerBusy = true; // dropped: the librarian's request stays armed
        fake.edit(row.id, 2);
        EXPECT_TRUE(fake.soundRequestActiveFlag);
        fake.dumpWorkerBusy = false;
        fake.edit(row.id, 1);
        EXPECT_EQ(fake.soundRequestActiveFlag, row.part < 0) << row.id;
        EXPECT_EQ(fake.jobs.empty() ? -1 : fake.jobs[0].job.part, row.part) << row.id;
        EXPECT_EQ(fake.calls().size(), 2u);
        EXPECT_EQ(fake.coreCalls.empty() ? "" : fake.coreCalls.back(), row.notesOff);
    }
}

TEST(WholeDumpResends, MultiNameSendsTheMultiAloneWhenPosted) {
    FakeParamChangePlugin fake;
    fake.arrangementFlags = {false, false, true, true};
    fake.dumpWorkerBusy = true;
    fake.edit(kMultiName, 1);
    EXPECT_TRUE(fake.arrangementFlags[2] && fake.arrangementFlags[3]);
    fake.dumpWorkerBusy = false;
    fake.edit(kMultiName, 2);
    EXPECT_FALSE(fake.arrangementFlags[2] || fake.arrangementFlags[3]);
    EXPECT_EQ(fake.coreCalls, (Calls{"allSoundsOff 0 1", "allSoundsOff 0 1"}));
    ASSERT_EQ(fake.jobs.size(), 1u);
    EXPECT_EQ(fake.jobs[0].command, SenderJob::kSendArrangementToDevice);
    EXPECT_FALSE(fake.jobs[0].job.dumpOption1 || fake.jobs[0].job.dumpOption2);
}

TEST(WholeDumpResends, RandomizeOnlyOffTheMultiTabAndOnlyWhatCanBeSent) {
    FakeParamChangePlugin fake;
    fake.addAction(kRandomize);
    fake.selectedPartValue = 6;
    fake.edit(kRandomize, 1);
    EXPECT_TRUE(fake.value(kRandomize) == 1.0 && fake.coreCalls.empty() && fake.jobs.empty());

    // A busy worker: the part keeps its sound, the button springs back all the same.
    fake.setValue(kRandomize, 0);
    fake.setValue(kMainTab, 3);
    fake.dumpWorkerBusy = true;
    fake.edit(kRandomize, 1);
    EXPECT_TRUE(fake.value(kRandomize) == 0.0 && fake.coreCalls.empty() && !fake.partReRequest);

    fake.dumpWorkerBusy = false;
    fake.edit(kRandomize, 1);
    EXPECT_EQ(fake.coreCalls.front(), "randomize 6"); // then the pages, then the notes end
    EXPECT_EQ(fake.coreCalls.back(), "allSoundsOff 6 0");
    ASSERT_EQ(fake.jobs.size(), 1u);
    EXPECT_EQ(fake.jobs[0].job.part, 6);
    EXPECT_EQ(fake.nameText(), "Part Randomized");
    EXPECT_TRUE(fake.partReRequest && fake.value(kRandomize) == 0.0 && fake.calls().empty());
}
