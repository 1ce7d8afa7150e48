// Clicks that a musician makes while the editor talks to the synthesizer, as the window system
// delivers them: each a press and its release, apart by a musician's pauses. What lands on the
// progress veil reaches nothing beneath it, then or later.

#include "tests/core/SendRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphics.h"
#include "platform/dialogs/Dialogs.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/XHostWindow.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <thread>

// Last: Xlib's macros would clash with the names above.
#include "platform/view/X11View.h"
#include <X11/Xutil.h>

using namespace coretest;
using namespace std::chrono_literals;
using testsupport::WaitUntil;
using testsupport::Xdotool;

namespace {

struct ClicksDuringATransfer : SendRig {
    void SetUp() override {
        writeSettings("yellow\nnormal\n\n\n"); // no first-run notice over the page
        putBank("Factory.syx");                // a bank that fetches store into
        SendRig::SetUp();
    }
    void TearDown() override {
        unsetenv(platform::dialogs::kChooserVariable);
        if (plug) {
            plug->held = false;
            AEffect* effect = plug->GetAEffect();
            effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        }
        SendRig::TearDown();
    }
    // The editor in the host's window; false when there is no display.
    bool open() {
        if (!host.Ok()) return false;
        XSelectInput(host.display(), host.window(), KeyPressMask);
        AEffect* effect = plug->GetAEffect();
        effect->dispatcher(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(host.window()), 0.0f);
        view = static_cast<platform::X11View*>(plug->GetGUI()->GetWindow());
        return view != nullptr;
    }
    template <typename T> T onEditor(const std::function<T()>& f) {
        std::promise<T> done;
        view->Post([&] { done.set_value(f()); });
        return done.get_future().get();
    }
    // The page and the part the editor shows, read on its own thread.
    std::pair<int, int> shown() {
        return onEditor<std::pair<int, int>>(
            [&] { return std::make_pair(int(value(kMainTab)), int(value(kQuickTab))); });
    }
    bool veiled() { return plug->progressLayerOf()->isVisible(); }
    bool transferring() { return plug->ThreadRunning(); }
    // At a point of the normal-size editor, which the view shows 2 right of and 3 below it,
    // with what follows the move.
    bool at(int x, int y, std::vector<std::string> then) {
        std::vector<std::string> args{"mousemove", "--window", std::to_string(view->WindowId()),
                                      std::to_string(x + 2), std::to_string(y + 3)};
        args.insert(args.end(), then.begin(), then.end());
        return Xdotool(args) == 0;
    }
    bool click(int x, int y) { return at(x, y, {"click", "1"}); }
    bool clickTab(int tab) { return click(190 + 100 * tab + 50, 20); }
    bool clickPart(int part) { return click(55, 118 + 40 * part); }
    // Holds the middle of a control down a moment, as a musician does.
    bool hold(const IControl* control) {
        const IRECT& r = control->GetRECT();
        return at((r.L + r.R) / 2, (r.T + r.B) / 2,
                  {"mousedown", "1", "sleep", "0.3", "mouseup", "1"});
    }
    // The cancel button of the pages other than the librarian's.
    const IControl* cancelButton() {
        return plug->GetParam(kCancelDataRequest)->GetControlAction()->controls.at(1);
    }
    void fetchBank() {
        onEditor<bool>([&] {
            plug->sendAllPatchRequestSysexFromLibrarian(0);
            return true;
        });
    }
    // The parts that part selects went out for, in their order.
    std::vector<int> selectedParts() {
        std::vector<int> parts;
        for (const Bytes& m : out.bytes())
            if (m.size() == 8 && m[0] == 0xF0 && m[4] == 0x17) parts.push_back((m[6] - 1) / 2);
        return parts;
    }
    // Long enough for the editor to have taken every event read so far and ticked on.
    void settle() {
        for (int i = 0; i < 2; ++i)
            onEditor<bool>([] { return true; });
        std::this_thread::sleep_for(300ms);
    }

    testsupport::XHostWindow host{1500, 757};
    platform::X11View* view = nullptr;
};

// A page tab and a Part button clicked while a part goes out: neither acts, then or once the
// part is out; the same tab clicked then shows its page.
TEST_F(ClicksDuringATransfer, ClicksOnTheVeilReachNothingThenOrLater) {
    if (!open()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    ASSERT_TRUE(clickTab(5));
    ASSERT_TRUE(WaitUntil([&] { return shown().first == 5; }, 20000)) << "the FX/Arp page";

    plug->held = true;
    ASSERT_TRUE(clickPart(2));
    ASSERT_TRUE(WaitUntil([&] { return bool(plug->holding); }, 20000))
        << "part 3's send under way, its veil shown";
    ASSERT_TRUE(veiled());
    ASSERT_TRUE(clickTab(2));
    ASSERT_TRUE(clickPart(4));
    // A key that nothing under the veil takes goes on to the host's window after the clicks
    // were handled.
    ASSERT_EQ(Xdotool({"key", "x"}), 0);
    XEvent passed;
    ASSERT_TRUE(WaitUntil(
        [&] { return XCheckTypedWindowEvent(host.display(), host.window(), KeyPress, &passed); },
        20000))
        << "the key passed on to the host after the clicks";
    plug->held = false;
    ASSERT_TRUE(WaitUntil([&] { return !transferring() && !veiled(); }, 20000));
    settle();
    EXPECT_EQ(shown(), std::make_pair(5, 2)) << "the page and the part";
    EXPECT_EQ(selectedParts(), std::vector<int>{2});

    ASSERT_TRUE(clickTab(2));
    EXPECT_TRUE(WaitUntil([&] { return shown().first == 2; }, 20000)) << "the Oscillators page";
}

// Five fetches of a sound bank in a row in one editor, each with a click on the veil before
// its Cancel, held as a musician holds it: each fetch stops at once, and the click selects no
// part, then or later.
TEST_F(ClicksDuringATransfer, EveryCancelStopsItsFetch) {
    if (!open()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    for (int fetch = 1; fetch <= 5; ++fetch) {
        SCOPED_TRACE(fetch);
        fetchBank();
        ASSERT_TRUE(WaitUntil([&] { return veiled(); }, 20000));
        ASSERT_TRUE(clickPart(4));
        ASSERT_TRUE(hold(cancelButton()));
        ASSERT_TRUE(WaitUntil([&] { return !transferring(); }, 20000)) << "still fetching";
        EXPECT_FALSE(veiled());
    }
    settle();
    EXPECT_EQ(shown().second, 0);
    EXPECT_TRUE(selectedParts().empty());
}

// A fetch cancelled while the librarian holds a bank fetched before and not saved: the veil
// goes as the fetch ends, before the question whether to save the bank, which stands over the
// editor's window, centred on it, kept above the host's window.
TEST_F(ClicksDuringATransfer, TheVeilGoesBeforeTheQuestionOverTheEditor) {
    if (!open()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    setenv(platform::dialogs::kChooserVariable, "drawn", 1);
    onEditor<bool>([&] {
        plug->SetLibrarianStatusUnsaved(true);
        return true;
    });
    fetchBank();
    ASSERT_TRUE(WaitUntil([&] { return veiled(); }, 20000));
    ASSERT_TRUE(hold(cancelButton()));
    std::string found;
    ASSERT_TRUE(WaitUntil(
        [&] {
            return Xdotool({"search", "--onlyvisible", "--name", "Refresh Folders"}, &found) == 0;
        },
        20000));
    EXPECT_FALSE(veiled()) << "the veil under the question";
    const Window box = std::stoul(found);
    Window below = 0;
    EXPECT_TRUE(XGetTransientForHint(host.display(), box, &below));
    EXPECT_EQ(below, host.window());
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(host.display(), box, &a));
    int boxX = 0, boxY = 0;
    Window child;
    XTranslateCoordinates(host.display(), box, a.root, 0, 0, &boxX, &boxY, &child);
    // The host's window, and the editor in it, stand at the screen's top-left corner.
    EXPECT_NEAR(boxX + a.width / 2, plug->GetGUI()->Width() / 2, 1);
    EXPECT_NEAR(boxY + a.height / 2, plug->GetGUI()->Height() / 2, 1);

    // Cancel: the bank is kept.
    ASSERT_TRUE(WaitUntil(
        [&] {
            std::string focus;
            return Xdotool({"getwindowfocus", "-f"}, &focus) == 0 && std::stoul(focus) == box;
        },
        20000));
    ASSERT_EQ(Xdotool({"key", "Escape"}), 0);
    EXPECT_TRUE(WaitUntil([&] { return !transferring(); }, 20000));
    EXPECT_EQ(value(kBankEditUnsaved), 1.0);
}

// The librarian's filters after transfers, as a user meets them: in the category view the
// Search button stays grayed after a fetch; with Search on, after a fetch and after a store
// (then a page switch), a click on the search field takes typed text, which finds.
TEST_F(ClicksDuringATransfer, TheFiltersAreAsBeforeATransfer) {
    if (!open()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    ASSERT_TRUE(clickTab(1));
    ASSERT_TRUE(WaitUntil([&] { return shown().first == 1; }, 20000)) << "the librarian";
    const auto clickOn = [&](const IControl* control) {
        const IRECT& r = control->GetRECT();
        return click((r.L + r.R) / 2, (r.T + r.B) / 2);
    };
    const auto transfer = [&](bool store) {
        onEditor<bool>([&] {
            store ? plug->SendAllProgramsFromLibrarian(0)
                  : plug->sendAllPatchRequestSysexFromLibrarian(0);
            return true;
        });
        ASSERT_TRUE(WaitUntil([&] { return veiled(); }, 20000));
        ASSERT_TRUE(hold(plug->GetParam(kCancelDataRequest)->GetControlAction()->controls.at(0)));
        ASSERT_TRUE(WaitUntil([&] { return !transferring() && !veiled(); }, 20000));
    };
    const IControl* category =
        plug->GetParam(kCategorySelection)->GetControlAction()->controls.at(0);
    ASSERT_TRUE(clickOn(category));
    ASSERT_TRUE(WaitUntil([&] { return plug->isCategoryView(); }, 20000));
    transfer(false);
    EXPECT_TRUE(plug->searchButton()->IsGrayed());
    ASSERT_TRUE(clickOn(category));
    ASSERT_TRUE(WaitUntil([&] { return !plug->isCategoryView(); }, 20000));

    for (const bool store : {false, true}) {
        SCOPED_TRACE(store ? "store" : "fetch");
        transfer(store);
        ASSERT_TRUE(clickOn(plug->searchButton()));
        if (store) {
            ASSERT_TRUE(clickTab(2) && clickTab(1));
        }
        ASSERT_TRUE(
            clickOn(plug->GetParam(kPatchSearchString)->GetControlAction()->controls.at(0)));
        ASSERT_EQ(Xdotool({"type", "S 5"}), 0);
        ASSERT_EQ(Xdotool({"key", "Return"}), 0);
        EXPECT_TRUE(WaitUntil([&] { return plug->isSearchView(); }, 20000));
        ASSERT_TRUE(clickOn(plug->searchButton())); // off again
        ASSERT_TRUE(WaitUntil([&] { return !plug->isSearchView(); }, 20000));
    }
}

} // namespace
