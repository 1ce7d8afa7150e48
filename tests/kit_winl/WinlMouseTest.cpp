#include "tests/kit_winl/WinlViewFixture.h"

#include "platform/wsys/Cursor.h"

namespace winltest {
namespace {

using WinlMouse = WinlViewTest;

// The window's content spans screen x 100..400, y 100..300; the flipped view's (x, y) is on the
// screen at (100 + x, 300 - y).
wsys::Point at(double x, double y) {
    return wsys::Point{100 + x, 300 - y};
}

LPARAM client(int x, int y) {
    return LPARAM(int32_t(uint32_t(y) << 16 | (uint32_t(x) & 0xFFFF)));
}

// Every point in the client area but hit tests, which answer hit.
std::function<LRESULT(HWND, unsigned int, WPARAM, LPARAM)> hitTestAnswers(LRESULT hit) {
    return [hit](HWND, unsigned int msg, WPARAM, LPARAM) -> LRESULT {
        return msg == WM_NCHITTEST ? hit : 0;
    };
}

TEST_F(WinlMouse, AClickIsAHitTestTheButtonMessagesAndACursorRequest) {
    wsys::inject::Click(at(10.7, 20.2));
    run();
    const LPARAM screen = LPARAM(GetMessagePos());
    EXPECT_EQ(screen, LPARAM(280 << 16 | 110));
    EXPECT_EQ(g_sent, (std::vector<Sent>{
                          {view.get(), WM_NCHITTEST, 0, screen},
                          {view.get(), WM_LBUTTONDOWN, 0, client(10, 20)},
                          {view.get(), WM_NCHITTEST, 0, screen},
                          {view.get(), WM_LBUTTONUP, 0, client(10, 20)},
                          {view.get(), WM_SETCURSOR, WPARAM(view.get()), HTCLIENT | WM_LBUTTONUP << 16},
                      }));
    EXPECT_EQ(wsys::App().CurrentCursor(), wsys::Cursor::Arrow());
}

TEST_F(WinlMouse, AHitOutsideTheClientAreaGivesTheNonClientTwin) {
    g_answer = hitTestAnswers(2);
    wsys::inject::Down(at(5, 5), 0, 2);
    run();
    ASSERT_EQ(g_sent.size(), 2u);
    EXPECT_EQ(g_sent[1], (Sent{view.get(), WM_NCMOUSEMOVE + 3, 2, LPARAM(GetMessagePos())}));
}

TEST_F(WinlMouse, TheCaptureHolderOfTheSameWindowTakesTheClicks) {
    auto other = Winl_vZoz_hwnd::initChild(nullptr, view.get(), recordProc, 0);
    other->SetFrame(wsys::Rect(200, 0, 50, 50));
    other->SetHidden(false);
    SetCapture(other.get());
    g_sent.clear();
    wsys::inject::Click(at(10, 10));
    run();
    // Points stay in the holder's coordinates; no hit test while a view holds the capture.
    EXPECT_EQ(g_sent, (std::vector<Sent>{{other.get(), WM_LBUTTONDOWN, 0, client(-190, 10)},
                                         {other.get(), WM_LBUTTONUP, 0, client(-190, 10)}}));
    g_sent.clear();
    ReleaseCapture();
    EXPECT_EQ(g_sent, (std::vector<Sent>{{other.get(), WM_CAPTURECHANGED, 0, 0}}));
}

TEST_F(WinlMouse, ControlClickWithEmulationIsARightClick) {
    WINL_EnableRightClickEmulate(true);
    wsys::inject::SetModifiers(wsys::kControlKeyMask);
    wsys::inject::Click(at(3, 4));
    run();
    WINL_EnableRightClickEmulate(false);
    wsys::inject::SetModifiers(0);
    // The default procedure turns the release into a context-menu request.
    EXPECT_EQ(messagesTo(view.get()),
              (std::vector<unsigned int>{WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU}));
}

TEST_F(WinlMouse, WheelDeltasAreScaledBySixtyAndBothAxesReport) {
    wsys::inject::MoveTo(at(50, 50));
    wsys::inject::Wheel(at(50, 50), -0.5, 1.5);
    run();
    const LPARAM screen = LPARAM(250 << 16 | 150);
    EXPECT_EQ(g_sent, (std::vector<Sent>{{view.get(), WM_MOUSEWHEEL, 90 << 16, screen},
                                         {view.get(), WM_MOUSEHWHEEL, 0xFFE20000, screen}}));
}

TEST_F(WinlMouse, MovesReachTheViewUnderThePointerInAnotherWindow) {
    window->SetAcceptsMouseMovedEvents(true);
    auto back = wsys::Make<wsys::Window>(wsys::Rect(500, 100, 100, 100), wsys::kBorderlessWindowMask);
    auto backView = Winl_vZoz_hwnd::initChild(nullptr, back.get(), recordProc, 0);
    backView->SetHidden(false);
    back->OrderBack();
    window->MakeKeyWindow();
    g_sent.clear();
    wsys::inject::MoveTo(wsys::Point{510, 180});
    wsys::inject::MoveTo(at(1, 2));
    run();
    EXPECT_EQ(messagesTo(backView.get()), (std::vector<unsigned int>{WM_MOUSEMOVE}));
    EXPECT_EQ(messagesTo(view.get()), (std::vector<unsigned int>{WM_MOUSEMOVE}));
    EXPECT_EQ(find(WM_MOUSEMOVE)->lParam, client(10, 20));
}

TEST_F(WinlMouse, ADisabledViewHearsOnlyTheOtherButtonsGoingDown) {
    view->SetEnabled(false);
    wsys::inject::Click(at(3, 4));
    wsys::inject::Click(at(3, 4), 1);
    wsys::inject::Click(at(3, 4), 2);
    run();
    EXPECT_EQ(messagesTo(view.get()), (std::vector<unsigned int>{WM_RBUTTONDOWN, WM_MBUTTONDOWN}));
}

struct GestureCase {
    int type;
    double amount;
    unsigned long long endArgument;
};

TEST_F(WinlMouse, GesturesSendABeginAndAnEndRecord) {
    const GestureCase cases[] = {
        {wsys::kMagnify, 0.0001, 1025}, {wsys::kMagnify, -3, 512},   {wsys::kMagnify, 5, 2048},
        {wsys::kRotate, 0.001, 32768},  {wsys::kRotate, -90, 0},     {wsys::kRotate, 60, 65534},
    };
    std::vector<GESTUREINFO> records;
    g_answer = [&](HWND, unsigned int msg, WPARAM, LPARAM lParam) -> LRESULT {
        if (msg == WM_GESTURE) records.push_back(*reinterpret_cast<GESTUREINFO*>(lParam));
        return HTCLIENT;
    };
    for (const GestureCase& c : cases) {
        records.clear();
        g_sent.clear();
        if (c.type == wsys::kMagnify)
            wsys::inject::Magnify(at(20, 30), c.amount);
        else
            wsys::inject::Rotate(at(20, 30), c.amount);
        run();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].cbSize, 40u);
        EXPECT_EQ(records[0].dwFlags, GF_BEGIN);
        EXPECT_EQ(records[0].dwID, c.type == wsys::kMagnify ? GID_ZOOM : GID_ROTATE);
        const HWND target = records[0].hwndTarget; // unaligned: read by value
        EXPECT_EQ(target, view.get());
        EXPECT_EQ(records[0].ptsLocation.x, 120);
        EXPECT_EQ(records[0].ptsLocation.y, 270);
        const unsigned long long begin = records[0].ullArguments, end = records[1].ullArguments;
        EXPECT_EQ(begin, c.type == wsys::kMagnify ? 1024u : 0u);
        EXPECT_EQ(records[1].dwFlags, GF_END);
        EXPECT_EQ(end, c.endArgument) << c.amount;
        EXPECT_EQ(g_sent[1].wParam, c.endArgument);
    }
    records.clear();
    wsys::inject::Swipe(at(20, 30), 0, -1);
    run();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].ptsLocation.x, 120);
    EXPECT_EQ(records[1].ptsLocation.y, 470); // up by the view's height
}

} // namespace
} // namespace winltest
