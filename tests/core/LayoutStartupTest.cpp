// Start-up over a small layout that has every named layer and kept control.

#include "tests/core/CoreRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "kit/effect/ITextControl.h"
#include "src/uiconfig/ParameterIds.h"

#include <cstdio>

using namespace coretest;

namespace {

struct LayoutStartup : CoreRig {
    LayoutStartup() { resources = ZOZ_TEST_LAYOUT; }
    static bool shown(const Zoz& plug, const std::string& name) {
        const ControlLayer* layer = plug.namedLayer(name);
        EXPECT_NE(layer, nullptr) << name;
        return layer && layer->isVisible();
    }
    static std::string text(const Zoz& plug, int paramIdx) {
        auto* display = dynamic_cast<ITextControl*>(plug.keptControl(paramIdx));
        return display ? display->GetTextForPlug() : "no display";
    }
    static std::string numbered(const char* prefix, int n, const char* suffix = "") {
        char name[64];
        snprintf(name, sizeof name, "%s%02d%s", prefix, n, suffix);
        return name;
    }
};

} // namespace

TEST_F(LayoutStartup, LayersControlsAndDefaultsAreAsTheStartLeavesThem) {
    writeSettings("phoenix\nlarge\nno");
    keepLog();
    auto plug = start();
    for (const std::string& line : logLines())
        EXPECT_EQ(line.find("MISSING"), std::string::npos) << line;

    EXPECT_TRUE(shown(*plug, "root"));
    // Shown with "root", whose selected child it is, then hidden by its own row.
    EXPECT_FALSE(shown(*plug, "multiSettingsPart01"));
    EXPECT_TRUE(shown(*plug, "multiModeSettingsPage1"));
    EXPECT_FALSE(shown(*plug, "multiModeSettingsPage2"));
    EXPECT_TRUE(shown(*plug, "bankAndProgram01"));
    EXPECT_FALSE(shown(*plug, "bankAndProgramMulti"));
    for (int n = 2; n <= 16; ++n) {
        EXPECT_FALSE(shown(*plug, numbered("bankAndProgram", n))) << n;
        EXPECT_FALSE(shown(*plug, numbered("multiSettingsPart", n))) << n;
    }
    for (int n = 2; n <= 32; ++n)
        EXPECT_FALSE(shown(*plug, numbered("step", n, "overlayer"))) << n;
    for (const char* dialog : {"patchRename", "categoryLimit", "searchField", "aboutWindow"})
        EXPECT_FALSE(shown(*plug, dialog)) << dialog;
    EXPECT_TRUE(shown(*plug, "firstRunNotification"));
    EXPECT_TRUE(plug->isFirstRun());

    EXPECT_TRUE(plug->keptControl(kRandomize)->IsGrayed());
    EXPECT_EQ(plug->GetParam(kUserInterfaceStyle)->Value(), 4.0);
    EXPECT_EQ(plug->GetParam(kUserInterfaceSize)->Value(), 2.0);
    EXPECT_NE(plug->getLibrarianView(), nullptr);

    // The layout starts each switch opposite to its default.
    const std::pair<int, double> switches[] = {
        {kMIDIFilterDAWCCPassThrough, 1}, {kMIDIFilterDAWPCPassThrough, 0},
        {kMIDIFilterDAWSEPassThrough, 0}, {kMIDIFilterHWPCPassThrough, 0},
        {kMIDIFilterHWSEPassThrough, 1},  {kMIDIFilterTrackIncomingMIDI, 1},
        {kMIDIFilterDirectToHardware, 1}, {kMIDIFilterToDAWBuffer, 0},
        {kSendMIDIClockPointer, 0},       {kSendMIDIClockInfo, 0},
        {kKeepSelectedBank, 1},
    };
    for (const auto& [paramIdx, value] : switches) {
        EXPECT_EQ(plug->keptControl(paramIdx)->GetValue(), value) << paramIdx;
        EXPECT_EQ(plug->GetParam(paramIdx)->Value(), value) << paramIdx;
    }
    // A set flag blocks its kind: program changes both ways and the host's SysEx.
    for (int kind = 0; kind < Zoz::kFilterKinds; ++kind) {
        EXPECT_EQ(plug->isBlocked(false, Zoz::FilterKind(kind)),
                  kind == Zoz::kFilterPC || kind == Zoz::kFilterSysEx);
        EXPECT_EQ(plug->isBlocked(true, Zoz::FilterKind(kind)), kind == Zoz::kFilterPC);
    }
    EXPECT_TRUE(plug->isFollowingIncoming());
    EXPECT_FALSE(plug->isToHostBuffer() || plug->isClockStartStopEnabled() ||
                 plug->isClockTickEnabled());
    for (int part = 0; part < 16; ++part)
        EXPECT_EQ(plug->getFilterLink(part), 1);
    for (int part = 0; part < 16; ++part) {
        EXPECT_EQ(plug->GetParam(kMultiPartMIDICh + part)->Value(), part + 2.0) << part;
        EXPECT_DOUBLE_EQ(plug->keptControl(kMultiPartMIDICh + part)->GetValue(),
                         (part + 2.0) / 17.0) // 18 entries
            << part;
    }
    const std::pair<int, const char*> lines[] = {
        // The filter defaults are edits, and their sends found no output.
        {kControlDisplayName, "Set MIDI I/O First!"},
        {kControlDisplayValue, "v1.0.7 - 02-Jan-2020"},
        {kControlDisplayBuild, "v1.0.7"},
        {kControlDisplayCategory, "INIT"},
        {kControlDisplayPatch, "-- INIT --"},
        {kControlDisplayCC, "---"},
    };
    for (const auto& [paramIdx, line] : lines)
        EXPECT_EQ(text(*plug, paramIdx), line);
}

TEST_F(LayoutStartup, WithoutTheFirstRunAnswerNoTheNoticeStaysHidden) {
    writeSettings("red\n normal\nyes");
    auto plug = start();
    EXPECT_FALSE(shown(*plug, "firstRunNotification"));
    EXPECT_FALSE(plug->isFirstRun());
    EXPECT_EQ(plug->GetParam(kUserInterfaceStyle)->Value(), 3.0);
    EXPECT_EQ(plug->GetParam(kUserInterfaceSize)->Value(),
              1.0); // the layout's: " normal" is no word
}
