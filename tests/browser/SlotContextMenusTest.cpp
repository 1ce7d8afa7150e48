// The slot menus of a right click: their items, and what each item posts in each mode.

#include "tests/browser/BrowserRig.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int U = LibrarianViewControl::kUpper, L = LibrarianViewControl::kLower;

// The arguments each job reads.
std::string describe(const SenderJob& j) {
    const std::string code = std::to_string(j.command);
    switch (j.command) {
    case 0:
        return code + " store=" + std::to_string(j.dumpOption1) + std::to_string(j.dumpOption2);
    case 2:
    case 3:
        return code + " part=" + std::to_string(j.part) + " store=" +
               std::to_string(j.dumpOption1) + std::to_string(j.dumpOption2);
    case 6:
        return code + " toEditor=" + std::to_string(j.toEditor);
    case 9:
        return code + " bank=" + std::to_string(j.bank);
    case 11:
        return code + " editBuffer=" + std::to_string(j.editBuffer) + " bank=" +
               std::to_string(j.bank);
    default:
        return code + " init=" + std::to_string(j.initGuard);
    }
}

} // namespace

TEST(SlotContextMenus, AnUpperSlotOpensTheEditMenuAnythingElseTheCopyMenu) {
    BrowserRig r;
    r.rightClick(r.sx(U, 4), r.sy(U, 4), {});
    r.rightClick(r.sx(L, 4), r.sy(L, 4), {});
    r.rightClick(r.sx(U, 0), 280, {}); // between the grids
    ASSERT_EQ(r.p.g->menus.size(), 3u);
    EXPECT_EQ(r.p.g->menus[0].outline(),
              (std::vector<std::string>{"Paste", "-", "Rename", "-", "Initialize Slot",
                                        "Get DATA from..", "  Plug-in (active patch)", "  -",
                                        "  Hardware Edit Buffer", "  Hardware by Prog No."}));
    EXPECT_EQ(r.p.g->menus[0].area, IRECT(r.sx(U, 4), r.sy(U, 4), r.sx(U, 4), r.sy(U, 4)));
    EXPECT_EQ(r.p.librarian.upperSlotIndex, -1);
    EXPECT_EQ(r.p.librarian.lowerSlotIndex, -1);
    for (size_t m : {1u, 2u})
        EXPECT_EQ(r.p.g->menus[m].outline(), std::vector<std::string>{"Copy"});
    EXPECT_TRUE(r.p.jobs.empty());
    EXPECT_EQ(r.p.unsavedMarks, 0);
}

// Part 3 is current; its bank is 2, part 0's is 1. The job record holds stale values that
// every post must overwrite where its job reads them.
TEST(SlotContextMenus, EachItemPostsItsJobInEachModeAndNothingWhileTheWorkerIsBusy) {
    struct Case {
        int mode;
        const char* item;
        const char* job;
        const char* flags; // d dump awaited, b manager busy, a collection armed
    };
    const Case cases[] = {
        {0, "Initialize Slot", "16 init=0", "d"},
        {0, "Plug-in (active patch)", "2 part=3 store=10", "b"},
        {0, "Hardware Edit Buffer", "11 editBuffer=1 bank=0", "a"},
        {0, "Hardware by Prog No.", "11 editBuffer=0 bank=2", "a"},
        {1, "Initialize Slot", "15 init=0", "d"},
        {1, "Plug-in (active patch)", "0 store=10", "b"},
        {1, "Hardware Edit Buffer", "6 toEditor=0", ""},
        {1, "Hardware by Prog No.", "9 bank=2", "a"},
        {2, "Initialize Slot", "17 init=0", "d"},
        {2, "Plug-in (active patch)", "3 part=3 store=10", "b"},
        {2, "Hardware Edit Buffer", "11 editBuffer=1 bank=0", "a"},
        {2, "Hardware by Prog No.", "11 editBuffer=0 bank=2", "a"},
    };
    BrowserRig r;
    r.p.currentPart = 3;
    r.p.GetParam(kMultiPartBank)->Set(1.0);
    r.p.GetParam(kMultiPartBank + 3)->Set(2.0);
    for (const Case& c : cases) {
        for (bool busy : {true, false}) {
            SCOPED_TRACE(std::to_string(c.mode) + " " + c.item + (busy ? " busy" : ""));
            r.p.setMode(c.mode);
            r.p.jobs.clear();
            r.p.workerBusy = busy;
            r.p.dumpAwaited = r.p.managerBusy = r.p.requestArmed = false;
            r.p.record = SenderJob();
            r.p.record.part = r.p.record.bank = 9;
            r.p.record.toEditor = r.p.record.initGuard = r.p.record.dumpOption2 = true;
            std::vector<std::string> path{c.item};
            if (std::string(c.item) != "Initialize Slot") path.insert(path.begin(), "Get DATA from..");
            r.rightClick(r.sx(U, 30), r.sy(U, 30), path);

            std::string flags;
            if (r.p.dumpAwaited) flags += 'd';
            if (r.p.managerBusy) flags += 'b';
            if (r.p.requestArmed) flags += 'a';
            if (busy) {
                EXPECT_TRUE(r.p.jobs.empty());
                EXPECT_EQ(flags, "");
            } else {
                ASSERT_EQ(r.p.jobs.size(), 1u);
                EXPECT_EQ(describe(r.p.jobs[0]), c.job);
                EXPECT_EQ(flags, c.flags);
            }
        }
    }
}
