#include "tests/kit_winl/WinlTestView.h"

#include "platform/wsys/Window.h"

#include <map>
#include <thread>

namespace winltest {
namespace {

struct Tick {
    HWND hwnd;
    unsigned int msg, id, time;
};
std::vector<Tick> g_ticks;
void record(HWND hwnd, unsigned int msg, unsigned int id, unsigned int time) {
    g_ticks.push_back(Tick{hwnd, msg, id, time});
}

class WinlTimers : public WinlLoopTest {
protected:
    void SetUp() override {
        WinlLoopTest::SetUp();
        g_ticks.clear();
    }
    int ticksOf(unsigned int id) {
        int n = 0;
        for (const Tick& t : g_ticks)
            n += t.id == id;
        return n;
    }
};

TEST_F(WinlTimers, CallbackTimersGetIdsOfTheirOwn) {
    const unsigned int id = SetTimer(nullptr, 0, 10, record);
    const unsigned int other = SetTimer(nullptr, 0, 10, record);
    ASSERT_NE(id, 0u);
    ASSERT_NE(other, 0u);
    EXPECT_NE(id, other);
    EXPECT_EQ(KillTimer(nullptr, other), 1);
    const unsigned int start = GetTickCount();
    WINL_RunRunLoop(100);
    ASSERT_EQ(g_ticks.size(), 10u);
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(g_ticks[i].hwnd, nullptr);
        EXPECT_EQ(g_ticks[i].msg, WM_TIMER);
        EXPECT_EQ(g_ticks[i].id, id);
        EXPECT_EQ(g_ticks[i].time, start + 10 * (i + 1));
    }
    // Setting it again by its id keeps one timer, at the new interval.
    EXPECT_EQ(SetTimer(nullptr, id, 25, record), id);
    WINL_RunRunLoop(100);
    EXPECT_EQ(ticksOf(id), 14);
    EXPECT_EQ(KillTimer(nullptr, id), 1);
    EXPECT_EQ(KillTimer(nullptr, id), 0);
}

TEST_F(WinlTimers, ViewTimersCarryTheirIdAndTheLastIntervalWins) {
    TestView* v = view();
    EXPECT_EQ(SetTimer(v, 7, 10, nullptr), 7u);
    EXPECT_EQ(SetTimer(v, 7, 25, nullptr), 7u);
    EXPECT_EQ(SetTimer(v, 8, 0, nullptr), 8u); // 0 ms ticks every millisecond
    WINL_RunRunLoop(100);
    EXPECT_EQ(std::count(v->ticks.begin(), v->ticks.end(), 7), 4);
    EXPECT_EQ(std::count(v->ticks.begin(), v->ticks.end(), 8), 100);
    EXPECT_EQ(KillTimer(v, 0xFFFFFFFF), 1);
    EXPECT_EQ(KillTimer(v, 0xFFFFFFFF), 0);
    EXPECT_EQ(wsys::RunLoop::Main().TimerCount(), 1u); // the posting tick
}

TEST_F(WinlTimers, RefusedRequests) {
    TestView* v = view();
    auto plain = wsys::Make<wsys::View>();
    auto window = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 10, 10), 0);
    EXPECT_EQ(SetTimer(nullptr, 5, 10, nullptr), 0u);
    EXPECT_EQ(SetTimer(v, 0, 10, record), 0u);
    EXPECT_EQ(SetTimer(plain.get(), 1, 10, record), 0u);
    EXPECT_EQ(SetTimer(window.get(), 1, 10, nullptr), 0u); // its content view takes no ticks
    EXPECT_EQ(KillTimer(nullptr, 0), 0);
    EXPECT_EQ(KillTimer(nullptr, 0xFFFFFFFF), 0);
    EXPECT_EQ(KillTimer(v, 3), 0);
}

TEST_F(WinlTimers, AWindowsTimersTickInItsContentViewAndDieByTheWindow) {
    auto window = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 10, 10), 0);
    TestView* v = view();
    window->SetContentView(v);
    EXPECT_EQ(SetTimer(window.get(), 3, 10, nullptr), 3u);
    WINL_RunRunLoop(20);
    EXPECT_EQ(v->ticks, (std::vector<intptr_t>{3, 3}));
    EXPECT_EQ(KillTimer(window.get(), 3), 1);
    WINL_RunRunLoop(20);
    EXPECT_EQ(v->ticks.size(), 2u);
}

TEST_F(WinlTimers, TimersTickInModalLoopsAndOnlyTheChosenViewMeanwhile) {
    auto modal = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 10, 10), 0);
    static int modalTicks;
    modalTicks = 0;
    const unsigned int id =
        SetTimer(nullptr, 0, 10, [](HWND, unsigned int, unsigned int, unsigned int) {
            if (++modalTicks == 3) wsys::App().StopModal();
        });
    EXPECT_EQ(wsys::App().RunModalForWindow(modal.get()), wsys::kRunStoppedResponse);
    EXPECT_EQ(modalTicks, 3);
    KillTimer(nullptr, id);

    TestView* a = view();
    TestView* b = view();
    SetTimer(a, 1, 10, nullptr);
    SetTimer(b, 2, 10, nullptr);
    const unsigned int waiting = SetTimer(nullptr, 0, 10, record); // no view: it waits too
    WINL_RunRunLoopEx(30, a);
    KillTimer(nullptr, waiting);
    EXPECT_EQ(a->ticks.size(), 3u);
    EXPECT_TRUE(b->ticks.empty());
    EXPECT_TRUE(g_ticks.empty());
    EXPECT_EQ(g_winl_only_timerhwnd, nullptr);
    // A change made meanwhile is kept.
    TestView* c = view();
    wsys::RunLoop::Main().SetTurnHook([c] { g_winl_only_timerhwnd = c; });
    WINL_RunRunLoopEx(10, a);
    EXPECT_EQ(g_winl_only_timerhwnd, c);
    g_winl_only_timerhwnd = nullptr;
}

TEST_F(WinlTimers, OtherThreadsRequestAndTheTickCarriesOut) {
    TestView* v = view();
    SetTimer(v, 7, 10, nullptr);
    unsigned int id = 0;
    int killed = 0;
    std::thread worker([&] {
        id = SetTimer(nullptr, 0, 10, record);
        killed = KillTimer(v, 7);
    });
    worker.join();
    EXPECT_NE(id, 0u);
    EXPECT_EQ(killed, 1);
    // The requests wait for the tick at 50 ms, which comes before the view's fifth tick.
    WINL_RunRunLoop(50);
    EXPECT_EQ(v->ticks.size(), 4u);
    EXPECT_EQ(ticksOf(id), 0);
    WINL_RunRunLoop(50);
    EXPECT_EQ(v->ticks.size(), 4u);
    EXPECT_EQ(ticksOf(id), 5);
    std::thread([&] { KillTimer(nullptr, id); }).join();
    WINL_RunRunLoop(100);
    EXPECT_EQ(ticksOf(id), 5 + 4); // up to the tick at 150 ms
}

} // namespace
} // namespace winltest
