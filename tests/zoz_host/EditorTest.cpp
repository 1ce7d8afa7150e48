// The test module's editor as a host shows it: rendered without a display, and in host windows
// on the virtual display driven with xdotool and captured with ImageMagick's import.

#include <gtest/gtest.h>

#include "kit/rast/RAST_PNGLoader.h"
#include "platform/view/HeadlessView.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/Watchdog.h"
#include "tests/zoz_host/plugin/EditorPlugin.h"

// Last: Xlib's macros would clash with the names above.
#include "platform/view/X11View.h"
#include "tests/support/XHostWindow.h"

#include <memory>
#include <string>
#include <unistd.h>

namespace {

using testsupport::EditorPlugin;
using testsupport::WaitUntil;
using testsupport::Xdotool;

constexpr const char* kGolden = "tests/zoz_host/golden/editor.png";

VstIntPtr noHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) {
    return 0;
}

// A plug-in of the test module made in this process, deleted through the host's close.
struct Plugin {
    Plugin() : plug(new EditorPlugin(noHost)) {}
    ~Plugin() { call(effClose); }
    VstIntPtr call(VstInt32 opcode, void* ptr = nullptr) {
        AEffect* a = plug->GetAEffect();
        return a->dispatcher(a, opcode, 0, 0, ptr, 0.0f);
    }
    double value(int idx) {
        KIT_MutexLock lock(plug->GetMutex());
        return plug->GetParam(idx)->Value();
    }
    std::string display(int idx) {
        KIT_MutexLock lock(plug->GetMutex());
        char text[MAX_PARAM_DISPLAY_LEN];
        plug->GetParam(idx)->GetDisplayForHost(text, true);
        return text;
    }
    EditorPlugin* plug;
};

TEST(Editor, HeadlessKnobDragReachesThePlugInAndTheRenderIsTheGolden) {
    Plugin p;
    ASSERT_EQ(p.call(effEditOpen), 1);
    auto* view = static_cast<platform::HeadlessView*>(p.plug->GetGUI()->GetWindow());
    const platform::HeadlessView::Window* shown = view->Shown(0);
    EXPECT_TRUE(testsupport::MatchesGolden(kGolden, shown->pixels.data(), EditorPlugin::kWidth,
                                           EditorPlugin::kHeight, EditorPlugin::kWidth, 2, 0));
    platform::ViewEvent e;
    e.x = 42;
    e.y = 53;
    e.button = 1;
    for (auto [type, dy] : {std::pair{platform::ViewEventType::kButtonDown, 0},
                            {platform::ViewEventType::kMotion, -20},
                            {platform::ViewEventType::kButtonUp, -20}}) {
        e.type = type;
        e.y = 53 + dy;
        view->Send(e);
    }
    ASSERT_FALSE(p.plug->changes.empty());
    EXPECT_EQ(p.plug->changes.back(), EditorPlugin::kKnob);
    EXPECT_GT(p.value(EditorPlugin::kKnob), 0.5);
    EXPECT_EQ(p.value(EditorPlugin::kKnob), p.plug->GetGUI()->GetControl(1)->GetValue());
}

// ---- On the virtual display

// The screen's picture of a window, read back from the PNG that import writes.
std::unique_ptr<RAST_IBitmap> import(const std::string& window) {
    const std::string file = testing::TempDir() + "zozimport" + std::to_string(getpid()) + ".png";
    std::string output;
    if (testsupport::RunProgram({"/usr/bin/import", "-window", window, file}, &output) != 0)
        return nullptr;
    std::unique_ptr<RAST_IBitmap> picture(RAST_LoadPNG(file.c_str(), nullptr));
    remove(file.c_str());
    return picture;
}

uint32_t rgb(const RAST_IBitmap& b, int x, int y) {
    return RAST_PixelAt(b, x, y)[0] & 0xFFFFFF00;
}

// An editor opened by a host in a window of its own.
struct ShownEditor : Plugin {
    explicit ShownEditor(int top = 0) {
        if (!window.Ok()) return;
        XMoveWindow(window.display(), window.window(), 0, top);
        XSync(window.display(), False);
        opened = call(effEditOpen, reinterpret_cast<void*>(window.window())) == 1;
        editor = std::to_string(
            static_cast<platform::X11View*>(plug->GetGUI()->GetWindow())->WindowId());
    }
    // A left (1) or right (3) click at an editor point: the view moves clicks 2 left, 3 up.
    bool click(int x, int y, int button = 1) {
        return Xdotool({"mousemove", "--window", editor, std::to_string(x + 2),
                        std::to_string(y + 3), "click", std::to_string(button)}) == 0;
    }
    testsupport::XHostWindow window{EditorPlugin::kWidth, EditorPlugin::kHeight};
    bool opened = false;
    std::string editor;
};

#define OPEN_ON_DISPLAY(e)                                                                         \
    if (!(e).window.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";               \
    ASSERT_TRUE((e).opened)

// The menu of the mode caption lies 4 pixels below it; its rows are 20 high from 4 below its
// top.
constexpr int kMenuTop = 44 + 4;
const uint32_t kMenuBackground = RAST_MakePixel(240, 240, 240, 0);

bool menuShown() {
    std::unique_ptr<RAST_IBitmap> screen = import("root");
    return screen && rgb(*screen, 152, kMenuTop + 2) == kMenuBackground;
}

TEST(EditorOnDisplay, ClicksMenusAndTypingReachThePlugIn) {
    testsupport::Watchdog watchdog(120, "the editor on the display");
    ShownEditor e;
    OPEN_ON_DISPLAY(e);
    ASSERT_TRUE(e.click(110, 50));
    EXPECT_TRUE(WaitUntil([&] { return e.value(EditorPlugin::kSwitch) == 1.0; }));

    ASSERT_TRUE(e.click(215, 32, 3));
    ASSERT_TRUE(WaitUntil(menuShown));
    ASSERT_TRUE(e.click(180, kMenuTop + 4 + 20 + 10)); // "Mono"
    EXPECT_TRUE(WaitUntil([&] { return e.display(EditorPlugin::kMode) == "Mono"; }));

    ASSERT_TRUE(e.click(215, 68));
    ASSERT_EQ(Xdotool({"type", "--delay", "30", "Bass@"}), 0);
    ASSERT_EQ(Xdotool({"key", "Return"}), 0);
    EXPECT_TRUE(WaitUntil([&] { return e.display(EditorPlugin::kName) == "Bass"; }))
        << "the at sign is refused";
}

TEST(EditorOnDisplay, TheWindowShowsWhatTheHeadlessViewRenders) {
    ShownEditor e;
    OPEN_ON_DISPLAY(e);
    std::unique_ptr<RAST_IBitmap> shown;
    ASSERT_TRUE(WaitUntil([&] {
        shown = import(e.editor);
        return shown && rgb(*shown, 0, 0) == RAST_MakePixel(40, 44, 52, 0);
    }));
    std::vector<uint32_t> pixels;
    for (int y = 0; y < EditorPlugin::kHeight; ++y)
        for (int x = 0; x < EditorPlugin::kWidth; ++x)
            pixels.push_back(rgb(*shown, x, y));
    EXPECT_TRUE(testsupport::MatchesGolden(kGolden, pixels.data(), EditorPlugin::kWidth,
                                           EditorPlugin::kHeight, EditorPlugin::kWidth, 2, 0));
}

TEST(EditorOnDisplay, ClosesWithAMenuOpenAndAfterTheHostWindowWent) {
    testsupport::Watchdog watchdog(60, "closing editors");
    ShownEditor withMenu, orphan(200);
    OPEN_ON_DISPLAY(withMenu);
    ASSERT_TRUE(orphan.opened);
    ASSERT_TRUE(withMenu.click(215, 32, 3));
    ASSERT_TRUE(WaitUntil(menuShown));
    EXPECT_EQ(withMenu.call(effEditClose), 1);
    EXPECT_FALSE(menuShown());
    orphan.window.Destroy();
    EXPECT_EQ(orphan.call(effEditClose), 1);
}

TEST(EditorOnDisplay, TwoEditorsInOneProcessEachTakeTheirClicks) {
    testsupport::Watchdog watchdog(60, "two editors");
    ShownEditor first, second(200);
    OPEN_ON_DISPLAY(first);
    ASSERT_TRUE(second.opened);
    ASSERT_TRUE(second.click(110, 50));
    ASSERT_TRUE(WaitUntil([&] { return second.value(EditorPlugin::kSwitch) == 1.0; }));
    ASSERT_TRUE(first.click(215, 32, 3)); // a menu of the first on the way does no harm
    ASSERT_TRUE(WaitUntil(menuShown));
    ASSERT_TRUE(first.click(110, 50)); // dismisses it
    ASSERT_TRUE(first.click(110, 50));
    EXPECT_TRUE(WaitUntil([&] { return first.value(EditorPlugin::kSwitch) == 1.0; }));
    EXPECT_EQ(second.value(EditorPlugin::kSwitch), 1.0);
}

} // namespace
