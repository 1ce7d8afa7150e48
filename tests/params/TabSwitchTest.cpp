#include "src/params/TabSwitchFunctions.h"
#include "tests/support/EditorLayerTree.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <chrono>

using testsupport::EditorLayerTree;
using testsupport::FakeParamChangePlugin;
using TSF = TabSwitchFunctions;
using Lines = std::vector<std::string>;

namespace {

// The plug-in with the layer tree and part 3 (index 2) set up so that every page shows
// something of its own.
struct Editor {
    Editor() {
        const std::pair<int, double> values[] = {
            {kOscillator2Shape + 2, 2},   {kOscillator3Shape + 2, 5}, {kQModel, 1},
            {kFilterEnvMode + 2, 1},      {kAmpEnvMode + 2, 2},       {kEnvelope3Mode + 2, 3},
            {kEnvelope4Mode + 2, 4},      {kFilter1TypeQ + 2, 9},     {kFilter2TypeQPlus + 2, 5},
            {kLFO2Clock + 2, 1},          {kEffect1Mode + 2, 4},      {kFX1DelayClocked + 2, 1},
            {kPatternStepLength + 2, 29}, {kMultiSettings, 1},        {kMultiPartSettings + 4, 1},
            {kMultiPartPatch + 2, 7},
        };
        for (const auto& [id, value] : values)
            fake.setValue(id, value);
        fake.GetParam(kPatchName + 2)->SetDisplayText(0, "Pad");
        fake.GetParam(kCategoryName + 2)->SetDisplayText(0, "Keys");
    }
    void quick(int part, bool onHardware = false) {
        fake.setValue(kQuickTab, part);
        TSF::quickTabSwitch(&fake, kQuickTab, part, 0, onHardware);
    }
    bool randomizeGreyed() { return fake.randomizeControl()->IsGrayed(); }

    testsupport::ManualClock clock;
    FakeParamChangePlugin fake;
    EditorLayerTree tree{fake};
};

} // namespace

TEST(TabSwitch, EachTabShowsThePartsPanelsThroughEitherSwitch) {
    const Lines names = {"patch Pad", "category Keys"};
    const struct {
        int tab;
        std::string named, zones;
        Lines mainCalls, quickCalls;
    } rows[] = {
        {0,
         "multiPage multiModeSettingsPage2 bankAndProgram03 multiSettingsPart05 ",
         "/ ",
         names,
         {}},
        {1,
         "librarianPage miniMixer categoryLimit keepBankOpenLayer saveChangesLayer UPPERPOPUPMENU "
         "LOWERPOPUPMENU BANKEDITMENU bankAndProgram03 ",
         "/ ",
         {"patch Pad", "category Keys", "progress 1", "drag", "upperBank 7", "progress 0"},
         {"progress 1", "upperBank 7", "progress 0", "currentSlot 7", "patch Pad",
          "category Keys"}},
        {2, "oscillators miniMixer bankAndProgram03 ", "10 20 30 40 50 62 / 20 30 40 50 ", names,
         names},
        {3, "filtersEnvelopes miniMixer filter1CombMinus bankAndProgram03 ", "11 22 33 44 52 / ",
         names, names},
        {4, "lfoModMatrix miniMixer bankAndProgram03 ", "10 20 30 / 20 ", names, names},
        {5, "effectsArp miniMixer bankAndProgram03 ", "14 21 32 40 52 300 / 50 ", names, names},
        {6,
         "patternPage miniMixer bankAndProgram03 step31overlayer step32overlayer ",
         "/ ",
         names,
         {"patch Pad", "category Keys", "sendPatchAndPattern 2 1001 patternSend 1"}},
    };
    for (const auto& row : rows) {
        for (bool quick : {false, true}) {
            Editor e;
            TSF::mainTabSwitch(&e.fake, kMainTab, row.tab, 0, quick ? 0 : 2);
            if (quick) {
                e.fake.coreCalls.clear();
                e.quick(2);
            }
            SCOPED_TRACE(std::to_string(row.tab) + (quick ? " quick" : " main"));
            EXPECT_EQ(e.tree.visibleNamed(), row.named);
            EXPECT_EQ(e.tree.zones(row.tab, 2), row.zones);
            EXPECT_EQ(e.fake.coreCalls, quick ? row.quickCalls : row.mainCalls);
            EXPECT_EQ(e.randomizeGreyed(), row.tab <= 1);
            EXPECT_EQ(e.fake.selectedPartValue, quick && row.tab > 0 ? 2 : 0);
            EXPECT_EQ(e.fake.jobs.size(), quick && row.tab == 6 ? 1u : 0u);
        }
    }
}

TEST(TabSwitch, StripAndCoveredStepsAtTheirLimits) {
    Editor e;
    TSF::mainTabSwitch(&e.fake, kMainTab, 2, 0, 16);
    EXPECT_EQ(e.tree.visibleNamed(), "oscillators miniMixer ");
    e.fake.multiMode = true;
    e.quick(-1);
    EXPECT_EQ(e.tree.visibleNamed(), "oscillators miniMixer bankAndProgramMulti ");

    // Length, then the first covered step and the number covered.
    const std::tuple<int, std::string, size_t> lengths[] = {{0, "02", 31}, {30, "32", 1}};
    for (const auto& [length, first, count] : lengths) {
        e.fake.setValue(kPatternStepLength + 5, length);
        TSF::mainTabSwitch(&e.fake, kMainTab, 6, 0, 5);
        const std::string shown = e.tree.visibleNamed();
        EXPECT_EQ(shown.substr(shown.find("step") + 4, 2), first);
        EXPECT_EQ(shown.size() - shown.find("step"), count * 16);
    }
    e.fake.setValue(kPatternStepLength + 5, 31);
    TSF::mainTabSwitch(&e.fake, kMainTab, 6, 0, 5);
    EXPECT_EQ(e.tree.visibleNamed(), "patternPage miniMixer bankAndProgramMulti ");
}

TEST(TabSwitch, EachOscillatorsOffZoneIsLitOnlyWhileItIsOff) {
    // The shapes of oscillators 1, 2 and 3 of part 3, and the zones then greyed.
    const std::tuple<int, int, int, std::string> rows[] = {
        {0, 0, 0, "20 40 "}, {4, 68, 4, "10 30 50 "}, {3, 1, 1, "10 20 30 40 50 "}};
    for (const auto& [osc1, osc2, osc3, greyed] : rows) {
        Editor e;
        e.fake.setValue(kOscillator1Shape + 2, osc1);
        e.fake.setValue(kOscillator2Shape + 2, osc2);
        e.fake.setValue(kOscillator3Shape + 2, osc3);
        TSF::mainTabSwitch(&e.fake, kMainTab, 2, 0, 2);
        EXPECT_EQ(e.tree.zones(2, 2), "10 20 30 40 50 62 / " + greyed) << osc1;
    }
}

TEST(TabSwitch, FilterPanelFollowsTheModelsTypeParameter) {
    const struct {
        int model, typeQ, typeQPlus;
        const char* panel;
    } rows[] = {{0, 0, 5, ""},
                {2, 9, 9, ""},
                {1, 9, 5, "filter1HP "},
                {0, 11, 0, "filter1LP "},
                {0, 10, 0, "filter1CombPlus "}};
    for (const auto& row : rows) {
        Editor e;
        e.fake.modelValue = row.model;
        e.fake.setValue(kFilter1TypeQ, row.typeQ);
        e.fake.setValue(kFilter1TypeQPlus, row.typeQPlus);
        TSF::mainTabSwitch(&e.fake, kMainTab, 3, 0, 0);
        EXPECT_EQ(e.tree.visibleNamed(),
                  std::string("filtersEnvelopes miniMixer ") + row.panel + "bankAndProgram01 ");
    }
}

TEST(TabSwitch, EffectsOfPartsFiveToSixteenAreCovered) {
    Editor e;
    for (int part : {3, 4}) {
        e.fake.setValue(kEffect1Mode + part, 4);
        e.fake.setValue(kFX1DelayClocked + part, 1);
    }
    TSF::mainTabSwitch(&e.fake, kMainTab, 5, 0, 3);
    EXPECT_EQ(e.tree.visibleNamed(), "effectsArp miniMixer bankAndProgram04 ");
    EXPECT_EQ(e.tree.zones(5, 3), "14 21 32 40 52 300 / 50 ");
    e.quick(4);
    EXPECT_EQ(e.tree.visibleNamed(),
              "effectsArp miniMixer effect1Overlayer effect2Overlayer bankAndProgram05 ");
    EXPECT_EQ(e.tree.zones(5, 4), "14 21 32 40 52 300 / 14 21 30 40 50 ");
}

TEST(TabSwitch, PatternPageSendsAfterFourHundredMillisecondsOfClockTime) {
    Editor e;
    TSF::mainTabSwitch(&e.fake, kMainTab, 6, 0, 0);
    const auto start = std::chrono::steady_clock::now();
    e.quick(4);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(e.clock.SleptNanos(), 400000000);
    ASSERT_EQ(e.fake.jobs.size(), 1u);
    EXPECT_EQ(e.fake.jobs[0].command, SenderJob::kSendArrangementToDevice);
    EXPECT_FALSE(e.fake.patternSendFlagValue);

    // Elsewhere a switch sends only when asked; otherwise the next one by the user will.
    TSF::mainTabSwitch(&e.fake, kMainTab, 2, 0, 0);
    e.fake.partSelectFlagValue = false;
    e.quick(5);
    EXPECT_TRUE(e.fake.partSelectFlagValue);
    e.quick(5, true);
    EXPECT_EQ(e.fake.coreCalls.back(), "sendPatchAndPattern 5 1001 patternSend 1");
}

TEST(TabSwitch, LibrarianMenusFollowTheDataTypeAndTheLowerList) {
    const std::string page = "librarianPage miniMixer ";
    const struct {
        bool multi, pattern, category, search, unsaved, keep;
        std::string named;
    } rows[] = {
        {true, false, false, false, false, false,
         page + "bankAndProgramMulti categoryLimit keepBankOpenLayer saveChangesLayer "
                "LeftPerformancePopupMenu RightPerformancePopupMenu BANKEDITMENU "},
        {false, true, false, false, false, false,
         page + "categoryLimit keepBankOpenLayer saveChangesLayer LeftPatternPopupMenu "
                "RightPatternPopupMenu BANKEDITMENU bankAndProgram01 "},
        {false, false, true, false, false, true,
         page + "categoryLimit keepBankOpenLayer saveChangesLayer UPPERPOPUPMENU "
                "RightPatchPopupMenu BANKEDITMENU bankAndProgram01 "},
        {false, false, false, true, true, false,
         page + "searchField discardChangesLayerRight saveChangesLayer UPPERPOPUPMENU "
                "RightSearchPopupMenu BANKEDITMENU bankAndProgram01 "},
    };
    for (const auto& row : rows) {
        Editor e;
        e.fake.multiMode = row.multi;
        e.fake.sequenceMode = row.pattern;
        e.fake.categoryView = row.category;
        e.fake.searchView = row.search;
        e.fake.setValue(kPatchSearch, row.search); // the search field's Search button
        e.fake.setValue(kBankEditUnsaved, row.unsaved);
        e.fake.keepSelectedBankFlagValue = row.keep;
        TSF::mainTabSwitch(&e.fake, kMainTab, 1, 0, 0);
        EXPECT_EQ(e.tree.visibleNamed(), row.named);
        // A bank that holds unsaved data stays in the upper list.
        EXPECT_EQ(e.fake.coreCalls[4] == "upperBank 0", !row.keep && !row.unsaved);
        EXPECT_EQ(e.fake.nameText(), ""); // a part's bank opens without the display
    }
    // While a job runs the quick switch shows no progress.
    Editor e;
    TSF::mainTabSwitch(&e.fake, kMainTab, 1, 0, 0);
    e.fake.coreCalls.clear();
    e.fake.dumpWorkerBusy = true;
    e.quick(2);
    EXPECT_EQ(e.fake.coreCalls,
              (Lines{"upperBank 7", "currentSlot 7", "patch Pad", "category Keys"}));
}
