// The librarian's slot grid over a real librarian: layout, selection, keys, drag and drop,
// copy and paste, rename, drawing, and drops while another thread stores.

#include "tests/browser/BrowserRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using testsupport::readFile;

namespace {

constexpr int U = LibrarianViewControl::kUpper, L = LibrarianViewControl::kLower;

std::vector<std::vector<uint8_t>> dumpsOf(const PatchFile& bank) {
    std::vector<std::vector<uint8_t>> dumps;
    for (const LibrarianPatch& e : bank.entries)
        dumps.push_back(e.dumps.empty() ? std::vector<uint8_t>() : e.dumps[0].bytes);
    return dumps;
}

} // namespace

TEST(SlotGrid, SlotsTextsAndTheDragRectangleAtEachSize) {
    struct Size {
        double scale;
        int h, w, upperTop, lowerTop, textSize, dragW, dragH;
        int columns[3]; // the second, the seventh and the eighth column's left, from the grid's
    };
    for (const Size& s : {Size{0.85, 12, 107, 1, 234, 11, 107, 11, {109, 657, 767}},
                          Size{1.0, 14, 127, 1, 274, 13, 127, 14, {129, 774, 903}},
                          Size{1.15, 16, 146, 2, 316, 14, 146, 16, {148, 890, 1038}}}) {
        SCOPED_TRACE(s.scale);
        BrowserRig r(s.scale);
        for (int side : {U, L}) {
            for (int slot : {0, 15, 16, 96, 127}) {
                const int column = slot / 16;
                const int left = 8 + (column == 0 ? 0 : s.columns[column == 1 ? 0 : column - 5]);
                const int top = 30 + (side == U ? s.upperTop : s.lowerTop) + slot % 16 * s.h;
                EXPECT_EQ(r.rect(side, slot), IRECT(left, top, left + s.w, top + s.h)) << slot;
            }
        }
        const IText* text = r.grid->getSlot(LibrarianViewControl::kLower, 127).GetText();
        EXPECT_STREQ(text->mFont, "NK57 Monospace");
        EXPECT_EQ(text->mSize, s.textSize);
        EXPECT_EQ(text->mColor, COLOR_WHITE);
        EXPECT_EQ(text->mAlign, IText::kAlignNear);
        r.p.g->OnMouseDown(r.sx(U, 0), r.sy(U, 0), &r.left);
        r.p.g->OnMouseDrag(501, 300, &r.left);
        const int l = 501 - s.dragW / 2, t = 300 - s.dragH / 2;
        EXPECT_EQ(r.grid->getDragRect(), IRECT(l, t, l + s.dragW, t + s.dragH));
    }
}

TEST(SlotGrid, NamesEmptySlotsPastTheBankAndCategoriesOverSearchResults) {
    BrowserRig r;
    EXPECT_EQ(r.p.g->NControls(), 2); // the background and the grid: the slots are its own
    EXPECT_EQ(r.text(U, 99).substr(0, 9), "Edit 100 ");
    EXPECT_EQ(r.text(U, 100), "");
    IRECT all(0, 0, 1500, 757);
    r.p.g->Draw(&all);
    EXPECT_FALSE(r.grid->IsDirty());

    PatchFile category, search;
    category.entries.resize(1, LibrarianPatch{0, "Cat", "", {}});
    search.entries.resize(2, LibrarianPatch{0, "Found", "", {}});
    r.p.librarian.categoryBanks.insert(r.p.librarian.categoryBanks.begin(), &category);
    r.p.librarian.searchBanks.push_back(&search);
    r.p.librarian.lowerBankIndex = 0;
    r.p.searchView = r.p.categoryView = true;
    r.grid->patchSelectionLowerChanged(); // as after a store on the MIDI input thread
    EXPECT_TRUE(r.grid->IsDirty());
    EXPECT_EQ(r.text(L, 0) + "|" + r.text(L, 1), "Cat|");
    r.p.librarian.lowerBankIndex = -1; // no bank: no names of one that went
    r.grid->patchSelectionLowerChanged();
    EXPECT_EQ(r.text(L, 0), "");
}

TEST(SlotGrid, ClicksKeysAndDoubleClicksSelectAndSend) {
    BrowserRig r;
    r.p.currentPart = 3;
    r.p.librarian.upperSlotIndex = 42;
    // Left and right wrap at the first and last column, each tried at its limit.
    for (auto [from, key, to] : {std::tuple{0, 1, 127}, {127, 2, 0}, {5, 3, 117}, {120, 4, 8},
                                 {15, 3, 127}, {16, 3, 0}, {111, 4, 127}, {112, 4, 0},
                                 {-1, 1, 127}, {-1, 2, 0}, {-1, 3, 111}, {-1, 4, 15}}) {
        r.grid->setCurrentSlot(from);
        EXPECT_TRUE(r.p.g->OnKeyDown(r.sx(U, 0), r.sy(U, 0), key));
        EXPECT_EQ(r.selection(), std::to_string(to) + " -1 0 " + std::to_string(to) + " / 42 0");
        EXPECT_EQ(r.p.sends.back(), (testsupport::FakeBrowserPlugin::Sends::value_type{to, U, 3}));
    }
    r.p.gridFocus = false;
    EXPECT_FALSE(r.p.g->OnKeyDown(r.sx(U, 0), r.sy(U, 0), 5));
    EXPECT_TRUE(r.p.gridFocus);
    EXPECT_EQ(r.p.sends.size(), 12u);

    r.leftClick(L, 5);
    EXPECT_TRUE(r.p.saveCommand->IsGrayed());
    r.p.g->OnKeyDown(r.sx(L, 5), r.sy(L, 5), 2);
    EXPECT_EQ(r.selection(), "-1 6 1 6 / -1 5");
    EXPECT_EQ(r.p.sends.back(), (testsupport::FakeBrowserPlugin::Sends::value_type{6, L, 3}));

    r.p.GetParam(kDeviceOutSelection)->Set(0.0); // no MIDI output: nothing changes
    r.p.g->OnMouseDblClick(r.sx(U, 9), r.sy(U, 9), &r.left);
    EXPECT_EQ(r.selection(), "-1 6 1 6 / -1 5");
    r.p.GetParam(kDeviceOutSelection)->Set(1.0);
    r.p.g->OnMouseDblClick(r.sx(U, 9), r.sy(U, 9), &r.left);
    EXPECT_EQ(r.selection(), "9 -1 0 9 / -1 5");
    EXPECT_EQ(r.p.sends.size(), 14u);
    EXPECT_FALSE(r.p.saveCommand->IsGrayed());

    // Between two upper columns: the Copy menu; it copies nothing, and a right click keeps
    // the focus and the current slot.
    r.p.gridFocus = false;
    const std::vector<std::vector<uint8_t>> before = dumpsOf(r.bank("Edit.syx"));
    r.rightClick(r.rect(U, 0).R + 1, r.sy(U, 0), {"Copy"});
    EXPECT_EQ(r.p.g->menus.back().outline(), std::vector<std::string>{"Copy"});
    EXPECT_EQ(r.selection(), "-1 -1 0 9 / -1 -1");
    r.rightClickSlot(U, 20, {"Paste"});
    EXPECT_EQ(dumpsOf(r.bank("Edit.syx")), before);
    EXPECT_FALSE(r.p.gridFocus);
}

TEST(SlotGrid, RenameOffersTheSelectedNameAndPadsTheBankTo128EvenForAnEmptySlot) {
    BrowserRig r;
    r.rightClickSlot(U, 110, {"Rename"});
    EXPECT_EQ(r.bank("Edit.syx").entries.size(), 128u);
    EXPECT_FALSE(r.p.renameLayer->isVisible());
    r.p.gridFocus = true;
    r.rightClickSlot(U, 8, {"Rename"});
    EXPECT_EQ(r.p.GetParam(kPatchRename)->GetDisplayText(0), r.bank("Edit.syx").entries[8].name);
    EXPECT_TRUE(r.p.renameLayer->isVisible() && !r.p.gridFocus);
    r.leftClick(U, 1); // abandons it
    EXPECT_TRUE(!r.p.renameLayer->isVisible() && r.p.gridFocus);
}

TEST(SlotGridDrop, DropsAndPastesStoreTheEntryByteForByteMarkedAndSaved) {
    BrowserRig r;
    const std::vector<uint8_t> dropped = r.dump("Source.syx", 7), copied = r.dump("Source.syx", 3);
    r.dragLowerTo(7, r.sx(U, 12), r.sy(U, 12));
    EXPECT_EQ(r.dump("Edit.syx", 12), dropped);
    EXPECT_EQ(r.text(U, 12), r.bank("Source.syx").entries[7].name);
    EXPECT_EQ(r.p.unsavedMarks, 1);
    EXPECT_EQ(r.p.librarian.dropTargetIndex, 12);

    // The copy survives a change of the lower bank and a drag outside the upper grid.
    r.rightClickSlot(L, 3, {"Copy"});
    r.p.librarian.lowerBankIndex = r.bankIndex("Other.syx");
    r.grid->patchSelectionLowerChanged();
    r.dragLowerTo(5, 1400, r.sy(U, 0));
    EXPECT_EQ(r.p.librarian.dropTargetIndex, -1);
    EXPECT_EQ(r.p.librarian.upperSlotIndex, -1);
    r.rightClickSlot(U, 20, {"Paste"});
    EXPECT_EQ(r.dump("Edit.syx", 20), copied);
    EXPECT_EQ(r.p.unsavedMarks, 2);

    const std::string path = r.folder.path() + "/Patches/Edit.syx";
    ASSERT_TRUE(r.p.librarian.saveEditedPatch(path, "Edit.syx"));
    const std::vector<uint8_t> file = readFile(path);
    ASSERT_EQ(file.size(), 100u * 393);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 12 * 393, file.begin() + 13 * 393), dropped);
}

TEST(SlotGridDrop, NothingIsStoredBeforeACopyPastTheBankFromAnEmptySlotOrWithDragsDisabled) {
    BrowserRig r;
    const std::vector<std::vector<uint8_t>> before = dumpsOf(r.bank("Edit.syx"));
    r.rightClickSlot(U, 20, {"Paste"});
    r.dragLowerTo(7, r.sx(U, 110), r.sy(U, 110));
    EXPECT_EQ(r.p.librarian.dropTargetIndex, 110);
    r.bank("Source.syx").entries[9].dumps.clear();
    r.dragLowerTo(9, r.sx(U, 6), r.sy(U, 6));
    r.grid->setDragEnabled(false);
    r.dragLowerTo(7, r.sx(U, 6), r.sy(U, 6));
    EXPECT_EQ(dumpsOf(r.bank("Edit.syx")), before);
    EXPECT_EQ(r.p.unsavedMarks, 0);
    EXPECT_FALSE(r.p.requestArmed); // no collection left to catch a later dump

    // Pressed on an upper slot, a drag begins only once it passes a lower one.
    r.grid->setDragEnabled(true);
    r.p.g->OnMouseDown(r.sx(U, 2), r.sy(U, 2), &r.left);
    r.p.g->OnMouseDrag(r.sx(U, 3), r.sy(U, 3), &r.left);
    EXPECT_FALSE(r.grid->isDragging());
    r.p.g->OnMouseDrag(r.sx(L, 4), r.sy(L, 4), &r.left);
    r.p.g->OnMouseUp(r.sx(U, 5), r.sy(U, 5), &r.left);
    EXPECT_EQ(r.dump("Edit.syx", 5), r.dump("Source.syx", 4));
}

TEST(SlotGridDrawing, TheSelectedSlotIsGreyWithBlackTextAndTheDragRectangleIsDrawnLast) {
    BrowserRig r;
    r.bank("Edit.syx").entries[0].name = "Caf\xc3\xa9 \xc3\x9c";
    r.grid->patchSelectionUpperChanged();
    EXPECT_EQ(r.text(U, 0), "Caf\xc3\xa9 \xc3\x9c");
    r.leftClick(U, 0);
    IRECT all(0, 0, 1500, 757);
    r.p.g->Draw(&all);
    auto scan = [&](int slot, auto&& each) {
        for (int y = r.rect(U, slot).T; y < r.rect(U, slot).B; ++y)
            for (int x = r.rect(U, slot).L; x < r.rect(U, slot).R; ++x)
                each(r.p.g->GetPoint(x, y));
    };
    // Every pixel of the selected slot lies between the grey and black, and some are black.
    int black = 0, bright = 0;
    scan(0, [&](IColor c) {
        EXPECT_TRUE(c.R == c.G && c.G == c.B && c.R <= 225) << c.R << " " << c.G << " " << c.B;
        black += c.R < 64;
    });
    EXPECT_GT(black, 10);
    EXPECT_EQ(r.grid->getSlot(LibrarianViewControl::kUpper, 0).GetText()->mColor, COLOR_WHITE);
    scan(1, [&](IColor c) { bright += c.R > 200 && c.B > 200; });
    EXPECT_GT(bright, 10);

    r.p.g->OnMouseDown(r.sx(L, 0), r.sy(L, 0), &r.left);
    r.p.g->OnMouseDrag(r.sx(L, 1), r.sy(L, 1), &r.left);
    r.p.g->OnMouseDrag(r.sx(U, 1), r.sy(U, 1), &r.left);
    r.p.g->Draw(&all);
    scan(1, [&](IColor c) { EXPECT_EQ(c, IColor(255, 225, 225, 225)); });
}

// A name of 16 characters fits its slot in the seventh column, the last of a bank of 100,
// and starts a few pixels inside its edge.
TEST(SlotGridDrawing, AWholeNameFitsEveryColumnInsideItsSlot) {
    BrowserRig r;
    r.bank("Edit.syx").entries[96].name = "-- Init Patch --";
    r.grid->patchSelectionUpperChanged();
    IRECT all(0, 0, 1500, 757);
    r.p.g->Draw(&all);
    const IRECT slot = r.rect(U, 96);
    int first = -1, last = -1;
    for (int x = slot.L; x < slot.R + 20; ++x)
        for (int y = slot.T; y < slot.B; ++y)
            if (r.p.g->GetPoint(x, y).R > 128) {
                if (first < 0) first = x;
                last = x;
            }
    EXPECT_GE(first, slot.L + 3);
    EXPECT_LT(last, slot.R);
    EXPECT_GT(last - first, 100) << "the whole name";
}

TEST(SlotGridThreads, DropsWhileAnotherThreadStoresLeaveNoTornEntry) {
    BrowserRig r;
    std::atomic<bool> stop{false};
    std::thread midi([&] {
        const std::vector<testsupport::Dump> dumps = testsupport::soundDumps(20, "Midi", "Lead");
        for (int n = 0; !stop; n = (n + 1) % 20) {
            LibrarianPatch e;
            e.dumps.emplace_back(dumps[size_t(n)]);
            e.name = e.dumps[0].text(PatchSysexMessage::kSoundNameOffset, 16);
            if (r.p.librarian.setSysexDatatoSelectedSlot(&e)) r.grid->patchSelectionUpperChanged();
        }
    });
    IRECT all(0, 0, 1500, 757);
    for (int i = 0; i < 60; ++i) {
        r.dragLowerTo(i, r.sx(U, i * 7 % 100), r.sy(U, i * 7 % 100));
        r.p.g->Draw(&all);
    }
    stop = true;
    midi.join();
    const PatchFile& bank = r.bank("Edit.syx");
    ASSERT_EQ(bank.entries.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        const LibrarianPatch& e = bank.entries[size_t(i)];
        ASSERT_EQ(e.dumps.size(), 1u);
        EXPECT_EQ(e.name, e.dumps[0].text(PatchSysexMessage::kSoundNameOffset, 16));
        EXPECT_EQ(r.text(U, i), e.name);
    }
}
