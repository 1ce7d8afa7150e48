#include "kit/winl/winl.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// Far longer than any scheduling delay, even on a clock that runs 100 times faster, so a wait
// that should succeed never times out; yet a broken wait cannot hang the test.
constexpr unsigned int kLong = 600000;

// Runs f on a thread of the layer.
HANDLE spawn(std::function<void()> f) {
    return CreateThread(
        nullptr, 0,
        [](void* p) {
            const std::unique_ptr<std::function<void()>> f(static_cast<std::function<void()>*>(p));
            (*f)();
            return 0u;
        },
        new std::function<void()>(std::move(f)), 0, nullptr);
}

void finish(HANDLE thread) {
    EXPECT_EQ(WaitForSingleObject(thread, kLong), WAIT_OBJECT_0);
    EXPECT_EQ(CloseHandle(thread), 1);
}

} // namespace

TEST(Event, SignalsTimeOutsResetsAndWaitersOfEachKind) {
    testsupport::ScaledClock fast(20);
    for (bool socket : {false, true}) {
        for (bool manual : {false, true}) {
            SCOPED_TRACE(std::string(socket ? "socket" : "plain") + (manual ? " manual" : " auto"));
            HANDLE ev = socket ? CreateEventAsSocket(nullptr, manual, true, nullptr)
                               : CreateEvent(nullptr, manual, true, nullptr);
            ASSERT_NE(ev, nullptr);
            // A manual-reset event stays set; an auto-reset signal is used up, however often set.
            EXPECT_EQ(WaitForSingleObject(ev, 1000), WAIT_OBJECT_0);
            EXPECT_EQ(WaitForSingleObject(ev, 100), manual ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
            SetEvent(ev);
            SetEvent(ev);
            EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_OBJECT_0);
            EXPECT_EQ(WaitForSingleObject(ev, 0), manual ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
            EXPECT_EQ(ResetEvent(ev), 1);
            EXPECT_EQ(WaitForSingleObject(ev, 50), WAIT_TIMEOUT);

            // One set releases one auto-reset waiter or every manual-reset waiter.
            std::atomic<int> a{-100}, b{-100};
            HANDLE ta = spawn([&] { a = WaitForSingleObject(ev, 2000); });
            HANDLE tb = spawn([&] { b = WaitForSingleObject(ev, manual ? INFINITE : 2000); });
            EXPECT_EQ(SetEvent(ev), 1);
            finish(ta);
            finish(tb);
            EXPECT_EQ(a + b, manual ? 0 : WAIT_TIMEOUT);
            EXPECT_EQ(CloseHandle(ev), 1);
        }
    }
}

TEST(SocketEvent, WaitForAnyTakesSocketHandlesOnlyAndLeavesACreatorsSocketOpen) {
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    WINL_SocketHandle sock(fds[0]);
    HANDLE plain = CreateEvent(nullptr, true, true, nullptr);
    HANDLE ev = CreateEventAsSocket(nullptr, false, false, nullptr);
    HANDLE set[] = {plain, ev, nullptr, &sock};
    {
        testsupport::ScaledClock fast(100);
        EXPECT_EQ(WaitForAnySocketObject(4, set, 500), WAIT_TIMEOUT) << "a plain event is no part";
        SetEvent(ev);
        ASSERT_EQ(write(fds[1], "x", 1), 1);
        EXPECT_EQ(WaitForAnySocketObject(4, set, 0), 1);
        EXPECT_EQ(WaitForAnySocketObject(4, set, 0), 3) << "the event's signal was used";
        EXPECT_EQ(WaitForSingleObject(&sock, 100), WAIT_OBJECT_0) << "the socket is not drained";
        HANDLE t = spawn([ev] {
            usleep(20000);
            SetEvent(ev);
        });
        EXPECT_EQ(WaitForAnySocketObject(2, set, kLong), 1);
        finish(t);
    }
    EXPECT_EQ(CloseHandle(&sock), 0);
    char c;
    EXPECT_EQ(read(fds[0], &c, 1), 1) << "the descriptor is still open";
    close(fds[0]);
    close(fds[1]);
    CloseHandle(plain);
    CloseHandle(ev);

    int notAHandle[4] = {5, 1, 0, 0};
    EXPECT_EQ(SetEvent(notAHandle) + CloseHandle(nullptr), 0);
    EXPECT_EQ(WaitForSingleObject(notAHandle, 0), WAIT_FAILED);
    testsupport::ManualClock manual;
    WINL_SocketHandle noSocket(-1);
    EXPECT_EQ(WaitForSingleObject(&noSocket, 30), WAIT_FAILED);
    EXPECT_EQ(manual.SleptNanos(), 30 * 1000000) << "a failed wait still takes its time";
}

TEST(ThreadHandle, TimedWaitsSpanTheTickWrapAndAnEndedThreadStaysSignalledJoinedOnce) {
    HANDLE release = CreateEvent(nullptr, true, false, nullptr);
    HANDLE t = spawn([release] { WaitForSingleObject(release, INFINITE); });
    EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_TIMEOUT);
    {
        testsupport::ManualClock clock;
        // The tick count wraps 5 ms after the wait begins.
        clock.AdvanceMillis((int64_t(1) << 32) - int64_t(GetTickCount()) - 5);
        EXPECT_EQ(WaitForSingleObject(t, 20), WAIT_TIMEOUT);
        EXPECT_EQ(clock.SleptNanos(), 20 * 1000000);
        EXPECT_EQ(GetTickCount(), 15u);
    }
    EXPECT_EQ(SetThreadPriority(t, 0), 1);
    SetEvent(release);
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(SetThreadPriority(t, 0), 0) << "only a running thread";
    EXPECT_EQ(CloseHandle(t), 1);
    CloseHandle(release);
}

TEST(ThreadHandle, ThreadsClosedBeforeOrAfterTheyEndAreJoinedOrDetachedCleanly) {
    HANDLE go = CreateEvent(nullptr, true, false, nullptr);
    HANDLE ended = CreateEvent(nullptr, true, false, nullptr);
    std::atomic<int> ran{0};
    std::vector<HANDLE> threads;
    for (int i = 0; i < 40; ++i)
        threads.push_back(spawn([&] {
            WaitForSingleObject(go, INFINITE);
            if (++ran == 40) SetEvent(ended);
        }));
    // The even half is closed while running: each thread lets go of its record last.
    for (size_t i = 0; i < threads.size(); i += 2)
        EXPECT_EQ(CloseHandle(threads[i]), 1);
    SetEvent(go);
    EXPECT_EQ(WaitForSingleObject(ended, kLong), WAIT_OBJECT_0);
    // The odd half is closed unwaited, as it ends: the close joins.
    for (size_t i = 1; i < threads.size(); i += 2)
        EXPECT_EQ(CloseHandle(threads[i]), 1);
    CloseHandle(go);
    CloseHandle(ended);
}
