// The slot menus of a right click: their items, and what each item posts in each mode.

#include "tests/browser/BrowserRig.h"

#include <gtest/gtest.h>

#include <string>

constexpr int U = LibrarianViewControl::kUpper, L = LibrarianViewControl::kLower;

TEST(SlotContextMenus, AnUpperSlotOpensTheEditMenuAnythingElseTheCopyMenu) {
    BrowserRig r;
    r.rightClickSlot(U, 4, {});
    r.rightClickSlot(L, 4, {});
    r.rightClick(r.sx(U, 0), 280, {}); // between the grids
    ASSERT_EQ(r.p.g->menus.size(), 3u);
    EXPECT_EQ(r.p.g->menus[0].outline(),
              (std::vector<std::string>{"Paste", "-", "Rename", "-", "Initialize Slot",
                                        "Get DATA from..", "  Plug-in (active patch)", "  -",
                                        "  Hardware Edit Buffer", "  Hardware by Prog No."}));
    EXPECT_EQ(r.p.g->menus[0].area, IRECT(r.sx(U, 4), r.sy(U, 4), r.sx(U, 4), r.sy(U, 4)));
    for (size_t m : {1u, 2u})
        EXPECT_EQ(r.p.g->menus[m].outline(), std::vector<std::string>{"Copy"});
    EXPECT_TRUE(r.p.jobs.empty());
}

// Part 3 is current; its bank is 2, part 0's is 1. The job record holds stale values (part and
// bank 9, flags set): a post writes its job's arguments and leaves the rest.
TEST(SlotContextMenus, EachItemPostsItsJobInEachModeAndNothingWhileTheWorkerIsBusy) {
    struct Case {
        int mode;
        const char* item;
        const char* job;
        const char* flags; // d dump awaited, b manager busy, a collection armed
    } const cases[] = {
        {0, "Initialize Slot", "16 part=9 bank=9 store=01 toEditor=1 editBuffer=0 init=0", "d"},
        {0, "Plug-in (active patch)", "2 part=3 bank=9 store=10 toEditor=1 editBuffer=0 init=1", "b"},
        {0, "Hardware Edit Buffer", "11 part=9 bank=0 store=01 toEditor=1 editBuffer=1 init=1", "a"},
        {0, "Hardware by Prog No.", "11 part=9 bank=2 store=01 toEditor=1 editBuffer=0 init=1", "a"},
        {1, "Initialize Slot", "15 part=9 bank=9 store=01 toEditor=1 editBuffer=0 init=0", "d"},
        {1, "Plug-in (active patch)", "0 part=9 bank=9 store=10 toEditor=1 editBuffer=0 init=1", "b"},
        {1, "Hardware Edit Buffer", "6 part=9 bank=9 store=01 toEditor=0 editBuffer=0 init=1", ""},
        {1, "Hardware by Prog No.", "9 part=9 bank=2 store=01 toEditor=1 editBuffer=0 init=1", "a"},
        {2, "Initialize Slot", "17 part=9 bank=9 store=01 toEditor=1 editBuffer=0 init=0", "d"},
        {2, "Plug-in (active patch)", "3 part=3 bank=9 store=10 toEditor=1 editBuffer=0 init=1", "b"},
        {2, "Hardware Edit Buffer", "11 part=9 bank=0 store=01 toEditor=1 editBuffer=1 init=1", "a"},
        {2, "Hardware by Prog No.", "11 part=9 bank=2 store=01 toEditor=1 editBuffer=0 init=1", "a"},
    };
    BrowserRig r;
    r.p.currentPart = 3;
    r.p.GetParam(kMultiPartBank)->Set(1.0);
    r.p.GetParam(kMultiPartBank + 3)->Set(2.0);
    auto n = [](int v) { return std::to_string(v); };
    for (const Case& c : cases) {
        for (bool busy : {true, false}) {
            SCOPED_TRACE(n(c.mode) + " " + c.item + (busy ? " busy" : ""));
            r.p.setMode(c.mode);
            r.p.jobs.clear();
            r.p.workerBusy = busy;
            r.p.dumpAwaited = r.p.managerBusy = r.p.requestArmed = false;
            r.p.record = SenderJob();
            r.p.record.part = r.p.record.bank = 9;
            r.p.record.toEditor = r.p.record.initGuard = r.p.record.dumpOption2 = true;
            std::vector<std::string> path{c.item};
            if (path[0] != "Initialize Slot") path.insert(path.begin(), "Get DATA from..");
            r.rightClickSlot(U, 30, path);

            const std::string flags = std::string(r.p.dumpAwaited ? "d" : "") +
                                      (r.p.managerBusy ? "b" : "") + (r.p.requestArmed ? "a" : "");
            EXPECT_EQ(flags, busy ? "" : c.flags);
            ASSERT_EQ(r.p.jobs.size(), busy ? 0u : 1u);
            if (busy) continue;
            const SenderJob& j = r.p.jobs[0];
            EXPECT_EQ(n(j.command) + " part=" + n(j.part) + " bank=" + n(j.bank) + " store=" +
                          n(j.dumpOption1) + n(j.dumpOption2) + " toEditor=" + n(j.toEditor) +
                          " editBuffer=" + n(j.editBuffer) + " init=" + n(j.initGuard),
                      c.job);
        }
    }
}
