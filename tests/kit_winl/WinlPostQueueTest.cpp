#include "tests/kit_winl/WinlTestView.h"

#include <atomic>
#include <map>
#include <thread>

namespace winltest {
namespace {

using WinlPostQueue = WinlLoopTest;
using Messages = std::vector<Message>;

TEST_F(WinlPostQueue, PostsArriveInOrderOnTheTick) {
    TestView* v = view();
    for (WPARAM i = 1; i <= 3; ++i)
        EXPECT_EQ(PostMessage(v, 0x400, i, -long(i)), 1);
    WINL_RunRunLoop(49);
    EXPECT_TRUE(v->messages.empty());
    WINL_RunRunLoop(1);
    EXPECT_EQ(v->messages, (Messages{{0x400, 1, -1}, {0x400, 2, -2}, {0x400, 3, -3}}));
}

TEST_F(WinlPostQueue, TargetsThatTakeNoPosts) {
    TestView* v = view();
    v->live = false;
    auto plain = wsys::Make<wsys::View>();
    EXPECT_EQ(PostMessage(nullptr, 1, 0, 0), 0);
    EXPECT_EQ(PostMessage(v, 1, 0, 0), 0);
    EXPECT_EQ(PostMessage(plain.get(), 1, 0, 0), 0);
    wsys::App().SetDelegate(nullptr);
    v->live = true;
    EXPECT_EQ(PostMessage(v, 1, 0, 0), 0);
    EXPECT_EQ(WINL_Internal_PostMessage(v, 1, 0, 0), 1);
}

TEST_F(WinlPostQueue, TheQueueHolds1024UntilFlushedAndThenReusesItsRecords) {
    TestView* v = view();
    for (int round = 0; round < 2; ++round) {
        for (WPARAM i = 0; i < 1024; ++i)
            ASSERT_EQ(PostMessage(v, 0x401, i, round), 1) << i;
        EXPECT_EQ(PostMessage(v, 0x401, 1024, round), 0);
        WINL_MessageQueue_Flush();
        ASSERT_EQ(v->messages.size(), 1024u * (round + 1));
        EXPECT_EQ(v->messages.back(), (Message{0x401, 1023, round}));
    }
}

TEST_F(WinlPostQueue, APostMadeDuringAFlushComesWithTheNextTick) {
    TestView* v = view();
    v->onMessage = [v](unsigned int msg, WPARAM, LPARAM) {
        if (msg == 1) PostMessage(v, 2, 0, 0);
    };
    PostMessage(v, 1, 0, 0);
    WINL_MessageQueue_Flush();
    EXPECT_EQ(v->messages.size(), 1u);
    WINL_MessageQueue_Flush();
    EXPECT_EQ(v->messages, (Messages{{1, 0, 0}, {2, 0, 0}}));
}

TEST_F(WinlPostQueue, AWindowClearedDuringAFlushGetsNoneOfTheRest) {
    TestView* a = view();
    TestView* b = view();
    TestView* c = view();
    a->onMessage = [b](unsigned int, WPARAM, LPARAM) { WINL_MessageQueue_Clear(b); };
    PostMessage(b, 1, 0, 0);
    WINL_MessageQueue_Clear(b);
    PostMessage(a, 2, 0, 0);
    PostMessage(b, 3, 0, 0);
    PostMessage(c, 4, 0, 0);
    WINL_MessageQueue_Flush();
    EXPECT_EQ(a->messages, (Messages{{2, 0, 0}}));
    EXPECT_TRUE(b->messages.empty());
    EXPECT_EQ(c->messages, (Messages{{4, 0, 0}}));
}

// Four threads post (again while the queue is full) and set and kill callback timers while
// the loop runs: every message arrives once and in its thread's order, and of each thread's
// five timers only the one it kept goes on ticking.
TEST_F(WinlPostQueue, FourThreadsPostAndSetTimersDuringTheLoop) {
    constexpr int kThreads = 4, kPosts = 600;
    TestView* v = view();
    static std::map<unsigned int, int> ticks;
    ticks.clear();
    const TIMERPROC count = [](HWND, unsigned int, unsigned int id, unsigned int) { ++ticks[id]; };
    std::vector<unsigned int> kept(kThreads), killed;
    std::mutex killedLock;
    std::atomic<int> running{kThreads};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i) {
                while (!PostMessage(v, 0x402, WPARAM(t), i))
                    std::this_thread::yield();
                if (i % 120 == 0) {
                    const unsigned int id = SetTimer(nullptr, 0, 10, count);
                    if (i == 0) {
                        kept[size_t(t)] = id;
                    } else {
                        KillTimer(nullptr, id);
                        std::lock_guard<std::mutex> lock(killedLock);
                        killed.push_back(id);
                    }
                }
            }
            --running;
        });
    }
    while (running > 0 || v->messages.size() < size_t(kThreads * kPosts))
        WINL_RunRunLoop(50);
    for (std::thread& t : threads)
        t.join();
    WINL_RunRunLoop(50); // the last requests
    const std::map<unsigned int, int> before = ticks;
    WINL_RunRunLoop(100);

    std::vector<int> next(kThreads, 0);
    for (const Message& m : v->messages)
        EXPECT_EQ(m.lParam, next[m.wParam]++);
    EXPECT_EQ(next, std::vector<int>(kThreads, kPosts));
    EXPECT_EQ(killed.size(), size_t(kThreads * 4));
    for (unsigned int id : killed) {
        EXPECT_EQ(ticks[id], before.count(id) ? before.at(id) : 0) << id;
        EXPECT_EQ(KillTimer(nullptr, id), 0);
    }
    for (unsigned int id : kept) {
        EXPECT_EQ(ticks[id], before.at(id) + 10) << id;
        EXPECT_EQ(KillTimer(nullptr, id), 1);
    }
}

} // namespace
} // namespace winltest
