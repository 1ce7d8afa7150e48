// The X11 editor view on the virtual display: pixels to the visual, input translation, the
// editor thread's life beside a host window that may go first.

// GoogleTest first: Xlib defines Bool, None and Status as macros.
#include <gtest/gtest.h>

#include "platform/view/X11Connection.h"
#include "platform/view/X11Image.h"
#include "platform/view/X11Input.h"
#include "platform/view/X11View.h"
#include "tests/support/Watchdog.h"
#include "tests/support/XHostWindow.h"

#include <X11/keysym.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <future>
#include <mutex>
#include <string>

namespace {

using platform::ViewEvent;
using platform::ViewEventType;
using platform::ViewKey;
using platform::ViewRect;
using platform::X11View;
using testsupport::WaitUntil;
using testsupport::XHostWindow;

#define SKIP_WITHOUT_DISPLAY(host)                                                                 \
    if (!(host).Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)"

// Records what the view hands over; onEvent may answer an event and act on the view.
class Client : public platform::ViewClient {
public:
    bool OnViewEvent(platform::View& view, const ViewEvent& e) override {
        {
            std::lock_guard<std::mutex> lock(mutex);
            events.push_back(e);
        }
        return onEvent ? onEvent(view, e) : true;
    }
    void OnViewTick(platform::View&) override { ++ticks; }
    void OnViewExpose(platform::View&, int window, const ViewRect& area) override {
        std::lock_guard<std::mutex> lock(mutex);
        exposed.emplace_back(window, area);
    }
    std::vector<ViewEvent> Events() {
        std::lock_guard<std::mutex> lock(mutex);
        return events;
    }
    size_t Exposes() {
        std::lock_guard<std::mutex> lock(mutex);
        return exposed.size();
    }

    std::function<bool(platform::View&, const ViewEvent&)> onEvent;
    std::mutex mutex;
    std::vector<ViewEvent> events;
    std::vector<std::pair<int, ViewRect>> exposed;
    std::atomic<int> ticks{0};
};

// 0x12 alpha, red 0x80, green 0xFF, blue 0x01 in memory order.
constexpr uint32_t kWord = 0x01FF8012;

TEST(X11PixelFormat, OurWordsBecomeTheVisualsPixels) {
    const struct {
        unsigned long red, green, blue;
        uint32_t pixel;
    } cases[] = {
        {0xFF0000, 0x00FF00, 0x0000FF, 0x80FF01},
        {0xF800, 0x07E0, 0x001F, 0x87E0},
        {0x3FF00000, 0x000FFC00, 0x000003FF, 0x200FF004},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::x11::PixelFormat(c.red, c.green, c.blue).Convert(kWord), c.pixel)
            << std::hex << c.red;
}

TEST(X11Input, DoubleClicksWithin400MsAnd4PixelsOfTheLeftButton) {
    const struct {
        int button;
        Time time;
        int x, y;
        int clicks;
    } presses[] = {
        {1, 1000, 10, 10, 1}, {1, 1400, 14, 6, 2}, // at both limits
        {1, 1500, 14, 6, 1},  {1, 1901, 14, 6, 1}, // a third click starts anew; 401 ms
        {1, 2000, 19, 6, 1},  {3, 2010, 19, 6, 1}, // 5 pixels; right, which ends the run
        {1, 2020, 19, 6, 1},  {3, 2030, 19, 6, 1}, {3, 2040, 19, 6, 1},
    };
    platform::x11::ClickCounter counter;
    for (const auto& p : presses)
        EXPECT_EQ(counter.Press(p.button, p.time, p.x, p.y), p.clicks) << p.time;
}

TEST(X11Input, KeysButtonsAndModifiers) {
    XHostWindow host(10, 10);
    SKIP_WITHOUT_DISPLAY(host);
    platform::x11::ClickCounter clicks;
    auto key = [&](KeySym keysym, unsigned state) {
        XEvent e = {};
        e.xkey.type = KeyPress;
        e.xkey.display = host.display();
        e.xkey.keycode = XKeysymToKeycode(host.display(), keysym);
        e.xkey.state = state;
        ViewEvent out;
        EXPECT_TRUE(platform::x11::TranslateXEvent(e, 0, clicks, &out));
        return out;
    };
    EXPECT_STREQ(key(XK_a, 0).text, "a");
    const ViewEvent shifted = key(XK_a, ShiftMask);
    EXPECT_STREQ(shifted.text, "A");
    EXPECT_TRUE(shifted.shift);
    const ViewEvent control = key(XK_a, ControlMask | Mod1Mask | Mod4Mask);
    EXPECT_STREQ(control.text, "a") << "control does not make a control character";
    EXPECT_TRUE(control.control && control.alt && control.command);
    EXPECT_STREQ(key(XK_slash, ShiftMask).text, "?");
    const ViewEvent left = key(XK_Left, 0);
    EXPECT_EQ(left.key, ViewKey::kLeft);
    EXPECT_STREQ(left.text, "");
    EXPECT_EQ(key(XK_KP_Enter, 0).key, ViewKey::kEnter);

    const struct {
        int type;
        unsigned button;
        bool taken;
        ViewEventType as;
        int wheel;
    } buttons[] = {
        {ButtonPress, Button4, true, ViewEventType::kWheel, 1},
        {ButtonPress, Button5, true, ViewEventType::kWheel, -1},
        {ButtonRelease, Button4, false, {}, 0},
        {ButtonPress, 6, false, {}, 0},
        {ButtonPress, 7, false, {}, 0},
        {ButtonPress, Button2, false, {}, 0},
        {ButtonRelease, Button3, true, ViewEventType::kButtonUp, 0},
    };
    for (const auto& b : buttons) {
        XEvent e = {};
        e.xbutton.type = b.type;
        e.xbutton.button = b.button;
        ViewEvent out;
        ASSERT_EQ(platform::x11::TranslateXEvent(e, 0, clicks, &out), b.taken) << b.button;
        if (!b.taken) continue;
        EXPECT_EQ(out.type, b.as);
        EXPECT_EQ(out.wheel, b.wheel);
    }
}

class X11ViewTest : public ::testing::TestWithParam<bool> {
protected:
    void open(int width = 120, int height = 80) {
        platform::ViewOptions options;
        options.sharedMemory = GetParam();
        view = X11View::Open(client, host.window(), width, height, options);
        ASSERT_TRUE(view);
        ASSERT_TRUE(WaitUntil([&] { return client.Exposes() > 0; }));
    }
    std::vector<ViewEvent> eventsOf(ViewEventType type) {
        std::vector<ViewEvent> found;
        for (const ViewEvent& e : client.Events())
            if (e.type == type) found.push_back(e);
        return found;
    }

    testsupport::Watchdog watchdog{60, "the X11 view test"};
    XHostWindow host{300, 200};
    Client client;
    std::unique_ptr<X11View> view;
};

TEST_P(X11ViewTest, PutPixelsReachTheScreenUpToTheLastOne) {
    SKIP_WITHOUT_DISPLAY(host);
    open();
    EXPECT_EQ(client.exposed[0], std::make_pair(0, ViewRect{0, 0, 120, 80}));
    EXPECT_EQ(view->SharedMemory(), GetParam());
    std::vector<uint32_t> picture(120 * 80, 0x00000000);
    picture[0] = kWord;
    picture[120 * 80 - 1] = kWord;
    std::atomic<bool> put{false};
    view->Post([&] {
        view->Put(0, {picture.data(), 120, 80, 120}, {0, 0, 120, 80});
        put = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return put.load(); }));
    const std::vector<uint32_t> shown = host.Capture(view->WindowId(), 0, 0, 120, 80);
    ASSERT_EQ(shown.size(), picture.size());
    EXPECT_EQ(shown[0], kWord & 0xFFFFFF00);
    EXPECT_EQ(shown[1], 0u);
    EXPECT_EQ(shown.back(), kWord & 0xFFFFFF00);
}

TEST_P(X11ViewTest, ClicksDoubleClicksAndKeysTheEditorDoesNotTake) {
    SKIP_WITHOUT_DISPLAY(host);
    // A click has the keyboard when the editor acts on it: a dialog it opens takes the focus
    // after it, never before.
    Display* probe = XOpenDisplay(nullptr);
    std::atomic<int> focusedPresses{0};
    client.onEvent = [&](platform::View&, const ViewEvent& e) {
        ::Window focus;
        int revert;
        if (e.type == ViewEventType::kButtonDown && XGetInputFocus(probe, &focus, &revert) &&
            focus == view->WindowId())
            ++focusedPresses;
        return strcmp(e.text, "?") != 0;
    };
    open();
    XSelectInput(host.display(), host.window(), KeyPressMask);
    const std::string id = std::to_string(view->WindowId());
    ASSERT_EQ(testsupport::Xdotool({"mousemove", "--window", id, "10", "20", "click", "--repeat",
                                    "2", "--delay", "60", "1", "key", "a", "question"}),
              0);
    ASSERT_TRUE(WaitUntil([&] { return eventsOf(ViewEventType::kKey).size() == 2; }));
    const auto downs = eventsOf(ViewEventType::kButtonDown);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].x, 10);
    EXPECT_EQ(downs[0].y, 20);
    EXPECT_EQ(downs[0].button, 1);
    EXPECT_EQ(downs[0].clicks, 1);
    EXPECT_EQ(downs[1].clicks, 2);
    EXPECT_EQ(eventsOf(ViewEventType::kButtonUp).size(), 2u);
    EXPECT_EQ(focusedPresses, 2);
    XCloseDisplay(probe);
    // Only "?" goes on to the host's window, which the click had taken the focus from.
    XEvent passed;
    ASSERT_TRUE(WaitUntil(
        [&] { return XCheckTypedWindowEvent(host.display(), host.window(), KeyPress, &passed); }));
    EXPECT_EQ(XLookupKeysym(&passed.xkey, ShiftMask), KeySym(XK_question));
    XSync(host.display(), False);
    EXPECT_FALSE(XCheckTypedWindowEvent(host.display(), host.window(), KeyPress, &passed));
}

TEST_P(X11ViewTest, ClosesWithAModalLoopRunningAndAfterTheHostWindowWent) {
    SKIP_WITHOUT_DISPLAY(host);
    open();
    std::atomic<bool> inLoop{false}, loopResult{true};
    view->Post([&] {
        inLoop = true;
        loopResult = view->RunModal([] { return false; });
    });
    ASSERT_TRUE(WaitUntil([&] { return inLoop.load(); }));
    host.Destroy();
    view->Close();
    EXPECT_FALSE(loopResult);
    view->Close();
}

TEST_P(X11ViewTest, APopupGrabsUntilItCloses) {
    SKIP_WITHOUT_DISPLAY(host);
    open();
    std::atomic<int> popup{0};
    view->Post([&] { popup = view->OpenPopup({50, 60, 90, 100}, true); });
    ASSERT_TRUE(WaitUntil([&] { return popup.load() > 0; }));
    auto grabbedByOthers = [&] {
        const int status = XGrabPointer(host.display(), host.window(), False, ButtonPressMask,
                                        GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
        XUngrabPointer(host.display(), CurrentTime);
        return status == AlreadyGrabbed;
    };
    EXPECT_TRUE(grabbedByOthers());
    std::vector<uint32_t> picture(40 * 40, kWord);
    view->Post([&] {
        view->Put(popup, {picture.data(), 40, 40, 40}, {0, 0, 40, 40});
        view->Resize(100, 50);
    });
    ASSERT_TRUE(WaitUntil([&] {
        return host.Capture(DefaultRootWindow(host.display()), 89, 99, 1, 1)[0] ==
               (kWord & 0xFFFFFF00);
    }));
    view->Post([&] {
        view->ClosePopup(popup);
        popup = 0;
    });
    ASSERT_TRUE(WaitUntil([&] { return popup.load() == 0; }));
    // The view's release goes on its own connection, which the server may read after ours.
    EXPECT_TRUE(WaitUntil([&] { return !grabbedByOthers(); }))
        << "the pointer stayed grabbed after the popup closed";
    XWindowAttributes a;
    XGetWindowAttributes(host.display(), view->WindowId(), &a);
    EXPECT_EQ(a.width, 100);
    EXPECT_EQ(a.height, 50);
}

INSTANTIATE_TEST_SUITE_P(SharedMemoryAndPutImage, X11ViewTest, ::testing::Values(false, true));

int hostErrors = 0;
int countHostError(Display*, XErrorEvent*) {
    return ++hostErrors, 0;
}

TEST(X11ViewErrors, OursNeverEndTheHostAndTheHostsReachItsHandler) {
    XHostWindow host(10, 10);
    SKIP_WITHOUT_DISPLAY(host);
    XSetErrorHandler(countHostError);
    Client client;
    EXPECT_FALSE(X11View::Open(client, 0x7FFFFF0, 100, 100)) << "no such window";
    XMapWindow(host.display(), 0x7FFFFF1);
    XSync(host.display(), False);
    EXPECT_EQ(hostErrors, 1);
}

// A display of our own at a free number, in the abstract namespace where Xlib looks first. It
// drops each connection unanswered, as a flooded server does: the open tries again, and gives
// up within its bound when no server is left.
TEST(X11Connection, AConnectionDroppedUnansweredIsTriedAgain) {
    testsupport::Watchdog watchdog(60, "opening a display that drops connections");
    // The first number from 700 on that no other display (another test run's) holds.
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    int number = 700;
    for (;; ++number) {
        ASSERT_LT(number, 1000) << "every display number from 700 to 999 is taken";
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
        std::copy(name.begin(), name.end(), address.sun_path + 1); // abstract: a 0 first
        if (bind(listener, reinterpret_cast<sockaddr*>(&address),
                 socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size())) == 0)
            break;
    }
    ASSERT_EQ(listen(listener, 4), 0);
    const std::string display = getenv("DISPLAY") ? getenv("DISPLAY") : "";
    setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
    auto opened = std::async(std::launch::async, [] { return platform::x11::OpenDisplay(); });
    // Closed with the setup request unread: the other end sees the connection reset.
    auto dropNext = [&] {
        pollfd waiting{listener, POLLIN, 0};
        if (poll(&waiting, 1, 3000) != 1) return false;
        const int connection = accept(listener, nullptr, nullptr);
        pollfd request{connection, POLLIN, 0};
        const bool asked = poll(&request, 1, 3000) == 1;
        close(connection);
        return asked;
    };
    EXPECT_TRUE(dropNext());
    EXPECT_TRUE(dropNext()) << "the dropped open was not tried again";
    close(listener);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(opened.get(), nullptr);
    // It gives up (two seconds of tries), with room for a loaded machine's late wake-ups.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    if (display.empty())
        unsetenv("DISPLAY");
    else
        setenv("DISPLAY", display.c_str(), 1);
}

} // namespace
