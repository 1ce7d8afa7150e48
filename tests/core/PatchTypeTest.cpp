// The librarian's bank-list parameters follow the kind of data shown, and their labels fit
// the display.

#include "tests/core/CoreRig.h"

#include "kit/effect/IControl.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <deque>

using namespace coretest;

namespace {

struct PatchType : CoreRig {
    PatchType() { resources = ZOZ_TEST_LAYOUT; }
};

enum Was { kLabelled, kCleared, kKept };

// Five texts "old" and the value 3 on each parameter.
void markOld(Zoz& plug, const std::vector<int>& params) {
    for (int idx : params) {
        IParam* param = plug.GetParam(idx);
        param->ResetDisplayTexts();
        for (int v = 0; v < 5; ++v)
            param->SetDisplayText(v, "old");
        param->Set(3.0);
    }
}

} // namespace

TEST_F(PatchType, EachListKindEmptiesAndLabelsItsOwnParameters) {
    putBank("Sounds A.syx");
    putBank("Sounds B.syx");
    testsupport::writeFile(data + "Patches/Multis.syx",
                           testsupport::rawBankFile(testsupport::multiDumps(100, "M")));
    testsupport::writeFile(data + "Patches/Patterns.syx",
                           testsupport::rawBankFile(testsupport::patternDumps(100, "P")));
    auto plug = start();
    PatchLibrarian& lib = *plug->getLibrarian();
    lib.createNewSearchPatchFiles("S 1");
    const std::vector<int> params = {
        kPatchSelectionListUpper,     kPatchSelectionListLower, kCurrentOpenPatchBankL,
        kCurrentOpenPatchBankL + 15,  kCurrentOpenPatchBankR,   kCurrentOpenPatchBankR + 15,
        kCurrentOpenPerfBankL,        kCurrentOpenPerfBankR,    kCurrentOpenPatternBankR,
        kCurrentOpenPatternBankR + 1, kCurrentOpenPatternBankL};
    constexpr Was L = kLabelled, C = kCleared, K = kKept;
    const struct {
        int type;
        const std::vector<PatchFile*>& banks;
        Was was[11];
    } kinds[] = {
        {0, lib.soundBanks, {L, L, L, L, L, L, C, C, C, K, K}},
        {0, lib.categoryBanks, {K, L, K, K, L, L, C, C, C, K, K}},
        {1, lib.multiBanks, {L, L, K, K, K, K, L, L, C, K, K}},
        {2, lib.patternBanks, {L, L, K, K, L, L, C, C, C, K, K}},
        {0, lib.searchBanks, {K, L, K, K, L, L, C, C, C, K, K}},
    };
    for (int kind = 0; kind < 5; ++kind) {
        SCOPED_TRACE(kind);
        markOld(*plug, params);
        plug->keptControl(kPatchSelectionListUpper)->SetValueFromPlug(0.75);
        lib.upperBankIndex = lib.lowerBankIndex = 2;
        {
            // As the parameter-change handling calls it; the list controls re-enter it.
            KIT_MutexLock lock(plug->GetMutex());
            plug->patchTypeChanged(kinds[kind].type, kind, false);
        }
        EXPECT_EQ(int(lib.currentType), kinds[kind].type);
        EXPECT_EQ(lib.upperBankIndex + lib.lowerBankIndex, 0);
        const std::vector<PatchFile*>& banks = kinds[kind].banks;
        ASSERT_FALSE(banks.empty());
        for (size_t i = 0; i < params.size(); ++i) {
            SCOPED_TRACE(params[i]);
            const IParam* param = plug->GetParam(params[i]);
            switch (kinds[kind].was[i]) {
            case kLabelled:
                EXPECT_EQ(param->GetNDisplayTexts(), int(banks.size()));
                EXPECT_EQ(param->GetDisplayText(0), banks[0]->fileName);
                EXPECT_EQ(param->GetMax(), std::max(int(banks.size()) - 1, 0));
                break;
            case kCleared:
                EXPECT_EQ(param->GetNDisplayTexts(), 0);
                EXPECT_EQ(param->GetMax(), 4.0);
                break;
            case kKept:
                EXPECT_STREQ(param->GetDisplayText(4), "old");
                break;
            }
            // The upper list's control hands its 0 on also where the texts stay.
            const bool zero = kinds[kind].was[i] != kKept || params[i] == kPatchSelectionListUpper;
            EXPECT_EQ(param->Value(), zero ? 0.0 : 3.0);
        }
    }
}

TEST_F(PatchType, LongNamesAreShortenedCountedAndCutToTheDisplay) {
    keepLog();
    const std::string a(47, 'a'), b46(46, 'b');
    std::deque<PatchFile> files;
    auto plug = start();
    const std::pair<std::string, std::string> names[] = {
        {std::string(48, 'x') + ".SYX", std::string(48, 'x') + ".SYX"}, // 52 bytes
        {a + "-one.SYX", a + "~1.syx"},
        {b46 + "\xC3\xA4x.syx", b46 + "\xC3~1.syx"}, // cut inside a character
        {a + "-two.syx", a + "~1.syx"},
        {"short.syx", "short.syx"},
        {a + "-3.mid", a + "~2.mid"},
    };
    std::vector<PatchFile*>& banks = plug->getLibrarian()->soundBanks;
    banks.clear();
    auto add = [&](const std::string& name) {
        banks.push_back(&files.emplace_back());
        banks.back()->fileName = name;
    };
    for (const auto& name : names)
        add(name.first);
    for (int n = 3; n <= 1000; ++n)
        add(a + "-more.syx");
    plug->patchTypeChanged(0, 0, false);

    for (int idx : {int(kPatchSelectionListUpper), kCurrentOpenPatchBankR + 15}) {
        const IParam* param = plug->GetParam(idx);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(param->GetDisplayText(i), names[i].second) << i;
        EXPECT_EQ(param->GetDisplayText(1002), a + "~999.syx");
        EXPECT_EQ(param->GetDisplayText(1003), a + "~1000.sy"); // cut to 55 bytes
    }
    const std::vector<std::string> log = logLines();
    EXPECT_EQ(std::count(log.begin(), log.end(),
                         "PATCH LIBRARIAN: Filename " + a + "-one.SYX RENAMED TO " + a +
                             "~1.syx Because the filename was too long to fit in plug-in "
                             "display!"),
              1);
}

// Relabelling keeps values, surplus texts and maxima; the pattern banks name the part lists.
TEST_F(PatchType, ResetLabelsTheModesListInPlace) {
    putBank("Sounds.syx");
    testsupport::writeFile(data + "Patches/Patterns.syx",
                           testsupport::rawBankFile(testsupport::patternDumps(100, "P")));
    auto plug = start();
    const std::vector<int> params = {kPatchSelectionListLower, kCurrentOpenPatchBankL + 3,
                                     kCurrentOpenPerfBankR};
    markOld(*plug, params);
    plug->setSequenceMode(true);
    plug->ResetPatchSelectionMenus();
    const char* expected[] = {"Patterns.syx", "Patterns.syx", "old"};
    for (size_t i = 0; i < params.size(); ++i) {
        const IParam* param = plug->GetParam(params[i]);
        EXPECT_EQ(param->GetDisplayText(0), std::string(expected[i]));
        EXPECT_STREQ(param->GetDisplayText(4), "old");
        EXPECT_EQ(param->GetMax(), 4.0);
        EXPECT_EQ(param->Value(), 3.0);
    }
}

// A reload forgets the search results, so the lower lists have nothing left to name.
TEST_F(PatchType, AReloadInTheSearchViewEmptiesTheLowerLists) {
    putBank("Sounds.syx");
    auto plug = start();
    plug->getLibrarian()->createNewSearchPatchFiles("S 1");
    plug->setSearchView(true);
    plug->patchTypeChanged(0, 4, true);
    EXPECT_EQ(plug->GetParam(kPatchSelectionListLower)->GetNDisplayTexts(), 0);
    EXPECT_EQ(plug->GetParam(kCurrentOpenPatchBankR + 7)->GetNDisplayTexts(), 0);
    EXPECT_EQ(plug->GetParam(kPatchSelectionListUpper)->GetDisplayText(0),
              std::string("Sounds.syx"));
}
