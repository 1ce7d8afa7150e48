// The Linux graphics object over the headless view: input translation, the redraw tick, popup
// menus, text entry and the system slots.

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphicsLinux.h"
#include "kit/effect/IGraphicsLinuxTextEntry.h"
#include "kit/effect/IParam.h"
#include "kit/effect/IPopupMenu.h"
#include "kit/effect/ProgressIndicator.h"
#include "kit/rast/RAST_IBitmap.h"
#include "platform/view/HeadlessView.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/ScaledClock.h"
#include "tests/support/TestControl.h"
#include "tests/support/TestEffect.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::HeadlessView;
using platform::ViewEvent;
using platform::ViewEventType;
using platform::ViewKey;
using testsupport::TestControl;

ViewEvent event(ViewEventType type, int x = 0, int y = 0, int button = 0) {
    ViewEvent e;
    e.type = type;
    e.x = e.rootX = x;
    e.y = e.rootY = y;
    e.button = button;
    return e;
}

ViewEvent key(ViewKey k, const char* text = "") {
    ViewEvent e = event(ViewEventType::kKey);
    e.key = k;
    snprintf(e.text, sizeof e.text, "%s", text);
    return e;
}

class GraphicsLinuxTest : public ::testing::Test {
protected:
    GraphicsLinuxTest() {
        plug.InitMixedParams();
        graphics = new IGraphicsLinux(&plug, 200, 100);
        plug.AttachGraphics(graphics);
        control = new TestControl(&plug, IRECT(20, 30, 68, 78), 3);
        graphics->AttachPanelBackground(&COLOR_GRAY);
        graphics->AttachControl(control);
        graphics->HandleMouseOver(true);
        view = static_cast<HeadlessView*>(graphics->OpenWindow(nullptr));
    }

    testsupport::TestEffect plug{8, 0};
    IGraphicsLinux* graphics;
    TestControl* control;
    HeadlessView* view;
};

TEST_F(GraphicsLinuxTest, InputReachesTheControlTwoLeftAndThreeUp) {
    const struct {
        ViewEvent e;
        char kind;
        int d;
        IMouseMod mod;
    } cases[] = {
        {event(ViewEventType::kButtonDown, 22, 33, 1), 'd', 0, {true, false}},
        {event(ViewEventType::kMotion, 27, 38, 1), 'g', 0, {true, false}},
        {event(ViewEventType::kButtonDown, 22, 33, 3), 'd', 0, {false, true}},
        {event(ViewEventType::kButtonUp, 22, 33, 3), 'u', 0, {false, true}},
        {event(ViewEventType::kMotion, 22, 33, 0), 'o', 0, {true, false}},
        {event(ViewEventType::kWheel, 22, 33), 'w', -1, {true, false}},
    };
    for (const auto& c : cases) {
        ViewEvent e = c.e;
        e.wheel = c.d;
        control->events.clear();
        view->Send(e);
        ASSERT_FALSE(control->events.empty()) << c.kind;
        const TestControl::Event& got = control->events.back();
        EXPECT_EQ(got.kind, c.kind);
        EXPECT_EQ(got.x, e.x - 2);
        EXPECT_EQ(got.y, e.y - 3);
        EXPECT_EQ(got.mod.L, c.mod.L) << c.kind;
        EXPECT_EQ(got.mod.R, c.mod.R) << c.kind;
        if (c.kind == 'w') {
            EXPECT_EQ(got.dX, -1);
        }
    }
    ViewEvent command = event(ViewEventType::kButtonDown, 22, 33, 1);
    command.command = command.shift = true;
    view->Send(command);
    EXPECT_TRUE(control->events.back().mod.L && control->events.back().mod.R &&
                control->events.back().mod.S);
    ViewEvent second = event(ViewEventType::kButtonDown, 22, 33, 1);
    second.clicks = 2;
    view->Send(second);
    EXPECT_EQ(control->events.back().kind, 'c');
    second.button = 3;
    view->Send(second);
    EXPECT_EQ(control->events.back().kind, 'd') << "a right click is never a double click";
}

TEST_F(GraphicsLinuxTest, KeysByCharacterOrPlaceTheRestGoOnToTheHost) {
    view->Send(event(ViewEventType::kMotion, 30, 40));
    EXPECT_TRUE(view->Send(key(ViewKey::kCharacter, "a")));
    EXPECT_TRUE(view->Send(key(ViewKey::kCharacter, "A")));
    EXPECT_TRUE(view->Send(key(ViewKey::kLeft)));
    EXPECT_TRUE(view->Send(key(ViewKey::kSpace, " ")));
    EXPECT_EQ(control->keys, (std::vector<int>{15, 15, 3, 0}));
    EXPECT_FALSE(view->Send(key(ViewKey::kCharacter, "?")));
    EXPECT_FALSE(view->Send(key(ViewKey::kReturn)));
    EXPECT_FALSE(view->Send(key(ViewKey::kCharacter, "\xC3\xA9"))) << "é";
    control->takesKeys = false;
    EXPECT_FALSE(view->Send(key(ViewKey::kCharacter, "z")));
    EXPECT_EQ(view->passedOn.size(), 4u);
    EXPECT_EQ(control->keys.back(), 40);
}

TEST_F(GraphicsLinuxTest, ATickPutsOnlyTheDirtyArea) {
    ASSERT_EQ(view->puts.size(), 1u);
    EXPECT_EQ(view->puts[0].second, (platform::ViewRect{0, 0, 200, 100})) << "shown whole";
    EXPECT_EQ(view->Pixel(0, 199, 99), RAST_MakePixel(127, 127, 127, 255));
    view->Tick();
    EXPECT_EQ(view->puts.size(), 1u) << "nothing dirty";
    control->SetDirty(false);
    view->Tick();
    ASSERT_EQ(view->puts.size(), 2u);
    EXPECT_EQ(view->puts[1].second, (platform::ViewRect{20, 30, 68, 78}));
    graphics->Resize(200, 100);
    EXPECT_EQ(graphics->NControls(), 2) << "the same size changes nothing";
}

// What a save keeps is compared on the editor's tick, at most once an interval, while the
// user's input goes on and an interval past it, and a change is noted for the host. Input that
// changes nothing notes nothing, nor do values from the plug-in or the synthesizer once the
// input is over, nor the picture taken as the editor closes. A held button and an edit field
// keep the watch on until their change comes.
TEST_F(GraphicsLinuxTest, OnlyInputThatChangesWhatASaveKeepsIsNoted) {
    testsupport::ManualClock clock;
    const int64_t interval = IEffectBase::kEditNoticeMillis;
    const auto noted = [&] {
        view->Tick();
        return plug.TakeEditorEdits();
    };
    const ViewEvent down = event(ViewEventType::kButtonDown, 22, 33, 1),
                    up = event(ViewEventType::kButtonUp, 22, 33, 1);
    graphics->SetParameterFromPlug(3, 0.5, true);
    plug.SetParameterFromGUI2(3, 0.75);
    EXPECT_FALSE(noted()) << "no input";
    view->Send(down);
    view->Send(up);
    view->Send(key(ViewKey::kCharacter, "a"));
    EXPECT_FALSE(noted()) << "a press and a key that change nothing";

    clock.AdvanceMillis(interval);
    view->Send(down);
    plug.SetParameterFromGUI(3, 0.25); // as the pressed control does
    EXPECT_TRUE(noted()) << "the first at once";
    plug.SetParameterFromGUI(3, 0.5);
    clock.AdvanceMillis(interval - 1);
    EXPECT_FALSE(noted());
    clock.AdvanceMillis(1);
    EXPECT_TRUE(noted()) << "exactly at the interval";
    clock.AdvanceMillis(3 * interval);
    EXPECT_FALSE(noted());
    plug.SetParameterFromGUI(3, 0.75);
    view->Send(up);
    clock.AdvanceMillis(interval);
    EXPECT_TRUE(noted()) << "a button held long, then moved";
    plug.SetParameterFromGUI2(3, 0.5);
    clock.AdvanceMillis(interval);
    EXPECT_FALSE(noted()) << "the synthesizer's, once the input is over";

    view->Send(down);
    IText style;
    IRECT area(20, 30, 68, 46);
    graphics->CreateTextEntry(control, &style, &area, "0.5", plug.GetParam(3));
    view->Send(up);
    clock.AdvanceMillis(3 * interval);
    EXPECT_FALSE(noted());
    view->Send(key(ViewKey::kCharacter, "9"));
    view->Send(key(ViewKey::kReturn));
    clock.AdvanceMillis(interval);
    EXPECT_TRUE(noted()) << "an edit field's text";

    clock.AdvanceMillis(interval);
    view->Send(down);
    plug.SetParameterFromGUI(3, 0.25);
    graphics->CloseWindow();
    EXPECT_FALSE(plug.TakeEditorEdits()) << "the close's picture";
}

TEST_F(GraphicsLinuxTest, AnExposedAreaGoesOutWithWhatBecameDirtySinceTheLastTick) {
    control->SetDirty(false);
    static_cast<platform::ViewClient*>(graphics)->OnViewExpose(*view, 0, {0, 0, 10, 10});
    EXPECT_EQ(view->puts.back().second, (platform::ViewRect{0, 0, 68, 78}));
    view->Tick();
    EXPECT_EQ(view->puts.size(), 2u);
}

TEST_F(GraphicsLinuxTest, TheHiddenCursorComesBackWhereItWasFirstHidden) {
    view->pointerX = 100;
    view->pointerY = 50;
    graphics->HideMouseCursor();
    view->pointerX = 7;
    graphics->HideMouseCursor();
    EXPECT_TRUE(view->cursorHidden);
    graphics->ShowMouseCursor();
    EXPECT_FALSE(view->cursorHidden);
    EXPECT_EQ(view->pointerX, 100);
    EXPECT_EQ(view->pointerY, 50);
}

// A transfer's veil over the whole editor, with a cancel button on it: a click, a drag and the
// wheel on the control beneath reach nothing, then or once the veil has gone, when the same
// click reaches it; the cancel button works. A press made before the veil showed gets its
// release, and the host the end of its edit.
TEST_F(GraphicsLinuxTest, TheVeilSwallowsWhatLandsOnIt) {
    auto* veil = new ControlLayer(0, "PROGRESS");
    IBitmap picture;
    picture.W = 200;
    picture.H = 100;
    new ProgressIndicator(veil, &plug, 0, 0, 200, 100, -1, &picture, IRECT(0, 0, 200, 100));
    auto* cancel = new TestControl(&plug, IRECT(150, 80, 190, 95));
    veil->addControl(cancel);
    graphics->AttachLayer(veil);
    const auto kinds = [&] {
        std::string all;
        for (const TestControl::Event& e : control->events)
            all += e.kind;
        return all;
    };
    const ViewEvent press = event(ViewEventType::kButtonDown, 22, 33, 1);
    const ViewEvent release = event(ViewEventType::kButtonUp, 27, 38, 1);
    ViewEvent wheel = event(ViewEventType::kWheel, 24, 35);
    wheel.wheel = 1;
    veil->Hide(false);
    for (const ViewEvent& e :
         {press, event(ViewEventType::kMotion, 27, 38, 1), release,
          event(ViewEventType::kMotion, 30, 40), event(ViewEventType::kButtonDown, 155, 85, 1),
          event(ViewEventType::kButtonUp, 155, 85, 1), wheel})
        view->Send(e);
    EXPECT_EQ(cancel->events.size(), 2u);
    veil->Hide(true);
    view->Tick();
    view->Tick();
    EXPECT_EQ(kinds(), "") << "reached the control";
    view->Send(press);
    view->Send(release);
    EXPECT_EQ(kinds(), "du") << "after the veil";

    control->events.clear();
    plug.informs.clear();
    view->Send(press);
    veil->Hide(false);
    view->Send(release);
    veil->Hide(true);
    view->Tick();
    EXPECT_EQ(kinds(), "du");
    ASSERT_EQ(plug.informs.size(), 2u);
    EXPECT_EQ(plug.informs[1].kind, 'e');
}

// Menus: three numbered items, a submenu of two, a title, a checked and a disabled item.
class MenuTest : public GraphicsLinuxTest {
protected:
    MenuTest() {
        menu.SetPrefix(IPopupMenu::kPrefixTwoDigits);
        menu.AddItem("Init");
        menu.AddItem("Edit", &submenu);
        menu.AddItem("Sounds", -1, IPopupMenuItem::kTitle);
        menu.AddSeparator();
        menu.AddItem("Keep", -1, IPopupMenuItem::kChecked);
        menu.AddItem("Locked", -1, IPopupMenuItem::kDisabled);
        submenu.AddItem("Copy");
        submenu.AddItem("Paste");
        menu.SetChosenItemIdx(5);
    }
    IPopupMenu* run() {
        IRECT area(20, 30, 68, 40);
        return graphics->CreateIPopupMenu(&menu, &area);
    }
    // The middle of a row of the menu, on the screen: rows are 20 pixels from 4 below its top,
    // which is 4 below the area; a separator takes 9.
    ViewEvent at(ViewEventType type, int row, int button = 0) {
        return event(type, 40, 40 + 4 + 4 + 20 * row + 10 - (row > 3 ? 11 : 0), button);
    }

    IPopupMenu menu, submenu;
};

TEST_F(MenuTest, AChoiceWithThePointerIsTheItemsIndex) {
    view->Queue(at(ViewEventType::kMotion, 4));
    view->Queue(at(ViewEventType::kButtonUp, 5, 1)); // disabled: nothing
    view->Queue(at(ViewEventType::kButtonUp, 4, 1));
    EXPECT_EQ(run(), &menu);
    EXPECT_EQ(menu.GetChosenItemIdx(), 4);
    const HeadlessView::Window* shown = view->Shown(1);
    ASSERT_TRUE(shown);
    EXPECT_FALSE(shown->open);
    EXPECT_TRUE(shown->grab);
    EXPECT_EQ(shown->area.top, 44);
    EXPECT_EQ(shown->area.Height(), 4 + 5 * 20 + 9 + 4);
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_effect_linux/golden/menu.png",
                                           shown->pixels.data(), shown->area.Width(),
                                           shown->area.Height(), shown->area.Width(), 40, 60));
}

TEST_F(MenuTest, TheSecondItemOfASubmenuByKeysIsTheSubmenusIndexOne) {
    for (ViewKey k :
         {ViewKey::kDown, ViewKey::kDown, ViewKey::kRight, ViewKey::kDown, ViewKey::kReturn})
        view->Queue(key(k));
    EXPECT_EQ(run(), &submenu);
    EXPECT_EQ(submenu.GetChosenItemIdx(), 1);
    EXPECT_EQ(menu.GetChosenItemIdx(), 5);
    EXPECT_TRUE(view->Shown(2)) << "the submenu had a window of its own";
}

TEST_F(MenuTest, DismissedMenusReturnNullAndKeepTheIndex) {
    view->Queue(event(ViewEventType::kButtonDown, 500, 500, 1));
    EXPECT_EQ(run(), nullptr);
    view->Queue(key(ViewKey::kEscape));
    EXPECT_EQ(run(), nullptr);
    EXPECT_EQ(run(), nullptr) << "no more input: the loop ends";
    EXPECT_EQ(menu.GetChosenItemIdx(), 5);
    IPopupMenu empty;
    IRECT area(0, 0, 10, 10);
    EXPECT_EQ(graphics->CreateIPopupMenu(&empty, &area), nullptr);
}

// Taller than a 1200-pixel screen: as high as the screen, beside its field, 16-pixel arrows at
// its ends. The keys, the wheel and the pointer resting on an arrow (a tick after each input)
// reach every row.
TEST_F(GraphicsLinuxTest, AMenuTallerThanTheScreenScrollsToEveryRow) {
    view->screen = {0, 0, 1920, 1200};
    IRECT area(20, 30, 68, 40);
    const auto choose = [&](int n, const std::vector<ViewEvent>& input) {
        IPopupMenu menu;
        for (int i = 0; i < n; ++i)
            menu.AddItem(std::to_string(i).c_str());
        for (const ViewEvent& e : input)
            view->Queue(e);
        return graphics->CreateIPopupMenu(&menu, &area) ? menu.GetChosenItemIdx() : -1;
    };
    const auto click = [](int x, int y) {
        return std::vector<ViewEvent>{event(ViewEventType::kButtonDown, x, y, 1),
                                      event(ViewEventType::kButtonUp, x, y, 1)};
    };
    // The last of 3000 by the keys, wrapping upwards from none.
    EXPECT_EQ(choose(3000, {key(ViewKey::kUp), key(ViewKey::kReturn)}), 2999);
    EXPECT_EQ(view->Shown(1)->area, (platform::ViewRect{72, 0, view->Shown(1)->area.right, 1200}));
    // Of 300, the last by the wheel (it then lies above the lower arrow and the pad), and the
    // first from there by resting on the upper arrow: a row a tick, one more each second.
    ViewEvent wheel = event(ViewEventType::kWheel, 100, 600);
    wheel.wheel = -1;
    std::vector<ViewEvent> down(90, wheel), back(100, event(ViewEventType::kMotion, 100, 8));
    for (const ViewEvent& e : click(100, 1200 - 16 - 4 - 10))
        down.push_back(e);
    EXPECT_EQ(choose(300, down), 299);
    back.insert(back.begin(), key(ViewKey::kUp));
    for (const ViewEvent& e : click(100, 16 + 4 + 10))
        back.push_back(e);
    EXPECT_EQ(choose(300, back), 0);
}

// A field in the middle of the screen whose 300 values do not fit above or below it: the menu
// opens beside it, scrolled so that the current value (checked) is level with the field. The
// release of the opening press over a row chooses nothing; moved onto a row, it does.
TEST_F(GraphicsLinuxTest, ALongMenuOpensOnTheCurrentValueAndAPlainClickChoosesNothing) {
    view->screen = {0, 0, 1920, 1200};
    IRECT area(20, 600, 68, 612);
    const auto choose = [&](const std::vector<ViewEvent>& input) {
        IPopupMenu menu;
        for (int i = 0; i < 300; ++i)
            menu.AddItem(std::to_string(i).c_str(), -1,
                         i == 150 ? IPopupMenuItem::kChecked : IPopupMenuItem::kNoFlags);
        menu.SetChosenItemIdx(7);
        for (const ViewEvent& e : input)
            view->Queue(e);
        const IPopupMenu* chosen = graphics->CreateIPopupMenu(&menu, &area);
        EXPECT_EQ(chosen != nullptr, menu.GetChosenItemIdx() != 7);
        return menu.GetChosenItemIdx();
    };
    const ViewEvent release = event(ViewEventType::kButtonUp, 78, 605, 1);
    EXPECT_EQ(choose({release}), 7);
    EXPECT_EQ(choose({event(ViewEventType::kMotion, 78, 605), release}), 150);
    // Home and End reach the ends; a page is the 58 rows between the arrows.
    EXPECT_EQ(choose({key(ViewKey::kEnd), key(ViewKey::kReturn)}), 299);
    EXPECT_EQ(choose({key(ViewKey::kEnd), key(ViewKey::kHome), key(ViewKey::kReturn)}), 0);
    EXPECT_EQ(choose({event(ViewEventType::kMotion, 78, 605), key(ViewKey::kPageDown),
                      key(ViewKey::kPageDown), key(ViewKey::kPageUp), key(ViewKey::kReturn)}),
              208);
    EXPECT_EQ(choose({key(ViewKey::kPageUp), key(ViewKey::kReturn)}), 0);
}

TEST(TextEntryRule, CharactersByParameterKindAndTheLengthLimit) {
    IParam real, text, integer;
    real.InitDouble("r", 0.0, 0.0, 10.0, 0.1);
    text.InitText();
    integer.InitInt("i", 0, -10, 10);
    const char* sixteen = "abcdefghijklmnop";
    const struct {
        const IParam* param;
        int maxLength;
        std::string text;
        bool accepted;
    } cases[] = {
        {&real, 0, "1.5", true},
        {&real, 0, "1,5", false},
        {&integer, 0, "-12", true},
        {&integer, 0, "1.", false},
        {&text, 0, "Bass (old) #2", true},
        {&text, 0, "a@b", false},
        {&text, 0, "\xC3\xA9", false},
        {&text, 16, sixteen, true},
        {&text, 16, std::string(sixteen) + "q", false},
        {nullptr, 0, std::string(40, '@') + "\xC3\xA9", true},
    };
    for (const auto& c : cases) {
        const char* accepted =
            c.param ? IGraphicsLinuxTextEntry::AcceptedCharacters(c.param) : nullptr;
        EXPECT_EQ(IGraphicsLinuxTextEntry::Accepts(accepted, c.maxLength, c.text), c.accepted)
            << c.text;
    }
}

class TextEntryTest : public GraphicsLinuxTest {
protected:
    void open(int param) {
        IText style;
        style.mSize = 13;
        IRECT area(20, 30, 68, 46);
        graphics->CreateTextEntry(control, &style, &area, "3.25", plug.GetParam(param));
        ASSERT_TRUE(view->Shown(1));
    }
    void type(const char* text) {
        for (const char* c = text; *c; ++c) {
            const char one[2] = {*c, 0};
            view->Send(key(ViewKey::kCharacter, one));
        }
    }
};

TEST_F(TextEntryTest, TypedTextCommitsByEachRoad) {
    ViewEvent outside = event(ViewEventType::kButtonDown, 150, 90, 1);
    int popup = 0;
    for (const ViewEvent& end :
         {key(ViewKey::kReturn), key(ViewKey::kEnter), key(ViewKey::kTab), outside}) {
        open(3);
        type(("4," + std::to_string(popup) + ".").c_str());
        view->Send(end);
        EXPECT_FALSE(view->Shown(++popup)->open);
        EXPECT_NEAR(plug.GetParam(3)->Value(), 39.0 + popup, 1e-9) << "the comma was refused";
    }
}

TEST_F(TextEntryTest, EscapeWheelFocusAndForcedEndsDropTheText) {
    ViewEvent wheel = event(ViewEventType::kWheel, 30, 40);
    wheel.wheel = 1;
    const ViewEvent forced = event(ViewEventType::kMotion); // stands for ForceEndUserEdit
    for (const ViewEvent& end :
         {key(ViewKey::kEscape), wheel, event(ViewEventType::kFocusOut), forced}) {
        open(3);
        type("7");
        if (end.type == ViewEventType::kMotion)
            graphics->ForceEndUserEdit();
        else
            view->Send(end);
        EXPECT_NE(plug.GetParam(3)->Value(), 7.0) << "the typed text was dropped";
    }
    EXPECT_EQ(control->events.back().kind, 'w') << "the wheel still scrolls";
}

TEST(TextEntryField, MonacoAtNineTenthsOfTheSize) {
    struct : platform::ViewClient {
        bool OnViewEvent(platform::View&, const ViewEvent&) override { return true; }
        void OnViewTick(platform::View&) override {}
        void OnViewExpose(platform::View&, int, const platform::ViewRect&) override {}
    } client;
    HeadlessView view(client, 10, 10);
    IText style;
    style.mSize = 13;
    testsupport::TestEffect plug(1, 1);
    TestControl control(&plug, IRECT(0, 0, 10, 10));
    auto entry =
        IGraphicsLinuxTextEntry::Open(view, &control, nullptr, style, IRECT(0, 0, 40, 16), "x");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->FontSize(), 11);
}

TEST_F(GraphicsLinuxTest, ResourcesPathsAndTheSystem) {
    const std::string folder = testing::TempDir() + "zozres" + std::to_string(getpid());
    ASSERT_EQ(system(("mkdir -p " + folder + "/img").c_str()), 0);
    ASSERT_EQ(system(("cp " + std::string(getenv("ZOZ_TEST_SOURCE_DIR")) +
                      "/tests/fuzz/corpus/rast_png/rgba8.png " + folder + "/img/knob.PNG")
                         .c_str()),
              0);
    std::ofstream(folder + "/a.tea") << "0123456789";
    setenv("ZOZ_RESOURCES_DIR", folder.c_str(), 1);
    std::unique_ptr<RAST_IBitmap> knob(graphics->OSLoadBitmap(0, "resources/img/knob.PNG"));
    EXPECT_TRUE(knob);
    EXPECT_EQ(graphics->OSLoadBitmap(0, "resources/img/knob.jpg"), nullptr);
    std::vector<char> bytes;
    ASSERT_TRUE(graphics->OSLoadFile(0, "resources/a.tea", bytes));
    EXPECT_EQ(bytes.size(), 11u);
    EXPECT_EQ(bytes[10], 0);

    std::ofstream(folder + "/xdg-open") << "#!/bin/sh\necho \"$1\" > " << folder << "/opened\n";
    ASSERT_EQ(chmod((folder + "/xdg-open").c_str(), 0755), 0);
    setenv("PATH", (folder + ":" + getenv("PATH")).c_str(), 1);
    EXPECT_TRUE(graphics->OpenURL("https://example.org/a b", nullptr, nullptr, nullptr));
    EXPECT_TRUE(graphics->OpenURL("https://example.org/q?x=1", nullptr, nullptr, nullptr));
    std::string opened;
    for (int i = 0; i < 500 && opened.empty(); ++i) {
        usleep(10000);
        std::getline(std::ifstream(folder + "/opened"), opened);
    }
    EXPECT_EQ(opened, "https://example.org/q?x=1") << "the text with a blank opened nothing";

    KIT_String file("bank.vub"), dir("");
    graphics->CloseWindow();
    graphics->PromptForFile(&file, kFileSave, &dir, const_cast<char*>("vub"));
    EXPECT_STREQ(file.Get(), "");
    EXPECT_STREQ(dir.Get(), "") << "no window: nothing shown";
    KIT_String path;
    graphics->PluginPath(&path);
    EXPECT_EQ(path.Get()[strlen(path.Get()) - 1], '/');
}

} // namespace
