// What instances of one process share on the product layout: the value lists' texts, which
// a parameter copies only when its own change, and the editor images, decoded at their first
// draw by whichever instance draws first and let go with the last instance that holds them.

#include "tests/core/CoreRig.h"

#include "kit/effect/BitmapStorage.h"
#include "kit/effect/IGraphics.h"
#include "src/uiconfig/ParameterIds.h"

#include <thread>
#include <vector>

using namespace coretest;

namespace {

// The whole editor drawn, as its pixels.
std::vector<RAST_pixel> drawn(Zoz& plug) {
    IGraphics* g = plug.GetGUI();
    IRECT all(0, 0, g->Width(), g->Height());
    g->SetStrictDrawing(true);
    g->Draw(&all);
    std::vector<RAST_pixel> pixels;
    const int span = g->GetDrawBitmap()->getRowSpan();
    for (int y = 0; y < g->Height(); ++y)
        pixels.insert(pixels.end(), g->GetBits() + y * span, g->GetBits() + y * span + g->Width());
    return pixels;
}

struct SharedInstances : CoreRig {
    SharedInstances() {
        resources = ZOZ_BUILT_RESOURCES;
        setenv("ZOZ_MIDI_API", "alsa", 1); // the port menus open no MIDI client
    }
    void settings(const char* scheme, const char* size) {
        writeSettings(std::string(scheme) + "\n" + size + "\nyes\n\n\n");
    }
    // Chooses the entry of an editor setting as its menu does.
    static void choose(Zoz& plug, int paramIdx, int entry) {
        plug.SetParameterFromGUI(paramIdx, plug.GetParam(paramIdx)->GetNormalized(entry));
    }
};

} // namespace

TEST_F(SharedInstances, TwoBuiltAtOnceDrawAtOnceAndKeepTheirTextsApart) {
    settings("yellow", "normal");
    putBank("Start/First.syx");
    start().reset(); // the environment both threads build in
    std::unique_ptr<Zoz> made[2];
    std::vector<RAST_pixel> pixels[2];
    // Each thread builds one and draws it at once with the other: the first draws decode the
    // images both show.
    const auto build = [&](int i) {
        made[i] = std::make_unique<Zoz>(IEffectInstanceInfo{});
        pixels[i] = drawn(*made[i]);
    };
    std::thread other(build, 1);
    build(0);
    other.join();
    EXPECT_EQ(pixels[0], pixels[1]);

    // A shared value list and the bank list, changed in one instance only.
    IParam* shape[2] = {made[0]->GetParam(kOscillator1Shape), made[1]->GetParam(kOscillator1Shape)};
    ASSERT_STREQ(shape[1]->GetDisplayText(1), "Pulse");
    shape[0]->SetDisplayText(1, "Square");
    shape[0]->SetDisplayText(shape[0]->GetNDisplayTexts(), "Extra");
    EXPECT_STREQ(shape[0]->GetDisplayText(1), "Square");
    EXPECT_STREQ(shape[1]->GetDisplayText(1), "Pulse");
    EXPECT_EQ(shape[1]->GetNDisplayTexts() + 1, shape[0]->GetNDisplayTexts());
    const IParam* banks = made[1]->GetParam(kPatchSelectionListUpper);
    const std::string first = banks->GetDisplayText(0);
    const int count = banks->GetNDisplayTexts();
    putBank("Extra/New Bank.syx");
    made[0]->patchTypeChanged(0, 0, true);
    EXPECT_EQ(made[0]->GetParam(kPatchSelectionListUpper)->GetNDisplayTexts(), count + 1);
    EXPECT_EQ(banks->GetNDisplayTexts(), count);
    EXPECT_EQ(banks->GetDisplayText(0), first);
}

TEST_F(SharedInstances, ASchemeOrSizeChosenDrawsAsAnInstanceStartedInIt) {
    const struct {
        int param, entry;
        const char *scheme, *size;
        int oldImage; // shown before the switch only
    } switches[] = {
        {kUserInterfaceStyle, 2, "blue", "normal", 500},  // the yellow background
        {kUserInterfaceSize, 2, "yellow", "large", 104}, // the frame at size normal
    };
    for (const auto& s : switches) {
        SCOPED_TRACE(s.scheme + std::string(" ") + s.size);
        settings("yellow", "normal");
        auto before = start();
        drawn(*before);
        ASSERT_GT(BitmapStorage::Instance().References(s.oldImage), 0);
        choose(*before, s.param, s.entry);
        // The host reloads the project: the instance goes and comes back.
        before.reset();
        EXPECT_EQ(BitmapStorage::Instance().References(s.oldImage), 0);
        auto after = start();
        const std::vector<RAST_pixel> switched = drawn(*after);
        after.reset();
        ASSERT_EQ(BitmapStorage::Instance().Count(), 0);

        settings(s.scheme, s.size);
        auto fresh = start();
        EXPECT_EQ(switched, drawn(*fresh));
    }
}
