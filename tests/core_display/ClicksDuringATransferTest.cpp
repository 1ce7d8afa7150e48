// Clicks that a musician makes while the editor talks to the synthesizer, as the window system
// delivers them: each a press and its release, apart by a musician's pauses.

#include "tests/core/SendRig.h"

#include "src/uiconfig/ParameterIds.h"
#include "tests/support/XHostWindow.h"

#include <chrono>
#include <future>
#include <thread>

// Last: Xlib's macros would clash with the names above.
#include "platform/view/X11View.h"

using namespace coretest;
using namespace std::chrono_literals;

namespace {

struct ClicksDuringATransfer : SendRig {
    void SetUp() override {
        writeSettings("yellow\nnormal\n\n\n"); // no first-run notice over the page
        SendRig::SetUp();
    }
    void TearDown() override {
        if (plug) {
            plug->held = false;
            AEffect* effect = plug->GetAEffect();
            effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        }
        SendRig::TearDown();
    }
    // The page and the part the editor shows, read on its own thread.
    std::pair<int, int> shown() {
        std::promise<std::pair<int, int>> read;
        view->Post([&] { read.set_value({int(value(kMainTab)), int(value(kQuickTab))}); });
        return read.get_future().get();
    }
    // At a point of the normal-size editor, which the view shows 2 right of and 3 below it.
    bool click(int x, int y) {
        return testsupport::Xdotool({"mousemove", "--window", std::to_string(view->WindowId()),
                                     std::to_string(x + 2), std::to_string(y + 3), "click", "1"}) ==
               0;
    }
    bool clickTab(int tab) { return click(190 + 100 * tab + 50, 20); }
    bool clickPart(int part) { return click(55, 118 + 40 * part); }
    // The parts that part selects went out for, in their order.
    std::vector<int> selectedParts() {
        std::vector<int> parts;
        for (const Bytes& m : out.bytes())
            if (m.size() == 8 && m[0] == 0xF0 && m[4] == 0x17) parts.push_back((m[6] - 1) / 2);
        return parts;
    }

    platform::X11View* view = nullptr;
};

// The page tab and the Part button clicked while the part chosen before goes out: they take
// effect once it is out, and the second part goes out after the first.
TEST_F(ClicksDuringATransfer, APageTabAndAPartButtonTakeEffectWhenItEnds) {
    testsupport::XHostWindow host(1500, 757);
    if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    XSelectInput(host.display(), host.window(), KeyPressMask);
    AEffect* effect = plug->GetAEffect();
    ASSERT_EQ(
        effect->dispatcher(effect, effEditOpen, 0, 0, reinterpret_cast<void*>(host.window()), 0.0f),
        1);
    view = static_cast<platform::X11View*>(plug->GetGUI()->GetWindow());
    ASSERT_TRUE(view);
    ASSERT_TRUE(clickTab(5));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return shown().first == 5; }, 20000))
        << "the FX/Arp page";

    plug->held = true;
    ASSERT_TRUE(clickPart(2));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return bool(plug->holding); }, 20000))
        << "part 3's send under way, its veil shown";
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(clickTab(2));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(clickPart(4));
    // A key that nothing under the veil takes goes on to the host's window after the clicks
    // were handled.
    ASSERT_EQ(testsupport::Xdotool({"key", "x"}), 0);
    XEvent passed;
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return XCheckTypedWindowEvent(host.display(), host.window(), KeyPress, &passed); },
        20000))
        << "the key passed on to the host after the clicks";
    EXPECT_EQ(shown(), std::make_pair(5, 2)) << "taken while part 3 was still going out";

    plug->held = false;
    EXPECT_TRUE(testsupport::WaitUntil([&] { return shown() == std::make_pair(2, 4); }, 20000))
        << "the Oscillators page and part 5 after part 3's send";
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] {
            return selectedParts() == std::vector<int>{2, 4};
        },
        20000))
        << "part 5 selected on the synthesizer after part 3";
    waitForIdleJobThread(*plug);
}

} // namespace
