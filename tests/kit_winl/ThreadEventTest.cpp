#include "kit/winl/winl.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// Far longer than any scheduling delay, even on a clock that runs 100 times faster, so a wait
// that should succeed never times out; yet a broken wait cannot hang the test.
constexpr unsigned int kLong = 600000;

struct Waiter {
    HANDLE event = nullptr;
    unsigned int ms = 0;
    std::atomic<int> result{-100};
};

HANDLE startWaiter(Waiter& w, HANDLE event, unsigned int ms) {
    w.event = event;
    w.ms = ms;
    return CreateThread(
        nullptr, 0,
        [](void* p) {
            auto* w = static_cast<Waiter*>(p);
            w->result = WaitForSingleObject(w->event, w->ms);
            return 0u;
        },
        &w, 0, nullptr);
}

void finish(HANDLE thread) {
    EXPECT_EQ(WaitForSingleObject(thread, kLong), WAIT_OBJECT_0);
    EXPECT_EQ(CloseHandle(thread), 1);
}

HANDLE makeEvent(bool socket, bool manual, bool initial) {
    return socket ? CreateEventAsSocket(nullptr, manual, initial, nullptr)
                  : CreateEvent(nullptr, manual, initial, nullptr);
}

// A thread that runs until released.
struct Held {
    HANDLE release = CreateEvent(nullptr, true, false, nullptr);
    HANDLE finished = CreateEvent(nullptr, true, false, nullptr);
    std::atomic<pthread_t> self{};
    ~Held() {
        CloseHandle(release);
        CloseHandle(finished);
    }
    HANDLE start(pthread_t* tid = nullptr) {
        return CreateThread(
            nullptr, 0,
            [](void* p) {
                auto* h = static_cast<Held*>(p);
                h->self = GetCurrentThreadId();
                WaitForSingleObject(h->release, INFINITE);
                SetEvent(h->finished);
                return 7u;
            },
            this, 0, tid);
    }
};

} // namespace

TEST(Event, SetOnceReleasesOneAutoResetWaiterOrEveryManualResetWaiter) {
    testsupport::ScaledClock fast(20);
    for (bool socket : {false, true}) {
        for (bool manual : {false, true}) {
            HANDLE ev = makeEvent(socket, manual, false);
            ASSERT_NE(ev, nullptr);
            Waiter a, b;
            HANDLE ta = startWaiter(a, ev, 2000), tb = startWaiter(b, ev, manual ? INFINITE : 2000);
            EXPECT_EQ(SetEvent(ev), 1);
            finish(ta);
            finish(tb);
            if (manual) {
                EXPECT_EQ(a.result + b.result, 0) << "socket " << socket;
                EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_OBJECT_0) << "stays set";
            } else {
                EXPECT_EQ(a.result + b.result, WAIT_TIMEOUT) << "socket " << socket;
                EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_TIMEOUT) << "the signal was used";
            }
            EXPECT_EQ(CloseHandle(ev), 1);
        }
    }
}

TEST(Event, TimesOutWhileUnsetAndResetClearsIt) {
    testsupport::ScaledClock fast(100);
    for (bool socket : {false, true}) {
        HANDLE ev = makeEvent(socket, false, true);
        EXPECT_EQ(WaitForSingleObject(ev, 1000), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(ev, 1000), WAIT_TIMEOUT);
        SetEvent(ev);
        SetEvent(ev); // still one signal
        EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_TIMEOUT);
        SetEvent(ev);
        EXPECT_EQ(ResetEvent(ev), 1);
        EXPECT_EQ(WaitForSingleObject(ev, 50), WAIT_TIMEOUT);
        CloseHandle(ev);
    }
}

TEST(SocketEvent, WaitForAnyReturnsTheFirstSignalledSocketHandle) {
    testsupport::ScaledClock fast(100);
    HANDLE plain = CreateEvent(nullptr, true, true, nullptr);
    HANDLE a = CreateEventAsSocket(nullptr, false, false, nullptr);
    HANDLE b = CreateEventAsSocket(nullptr, false, false, nullptr);
    HANDLE set[] = {plain, a, nullptr, b};
    EXPECT_EQ(WaitForAnySocketObject(4, set, 500), WAIT_TIMEOUT) << "a plain event takes no part";
    SetEvent(a);
    SetEvent(b);
    EXPECT_EQ(WaitForAnySocketObject(4, set, 0), 1);
    EXPECT_EQ(WaitForAnySocketObject(4, set, 0), 3);
    EXPECT_EQ(WaitForAnySocketObject(4, set, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForAnySocketObject(0, set, 0), WAIT_TIMEOUT);
    int notAHandle[4] = {5, 1, 0, 0};
    EXPECT_EQ(SetEvent(notAHandle), 0);
    EXPECT_EQ(WaitForSingleObject(notAHandle, 0), WAIT_FAILED);
    EXPECT_EQ(CloseHandle(nullptr), 0);

    HANDLE t = CreateThread(
        nullptr, 0,
        [](void* ev) {
            usleep(20000);
            SetEvent(ev);
            return 0u;
        },
        b, 0, nullptr);
    EXPECT_EQ(WaitForAnySocketObject(4, set, kLong), 3);
    finish(t);
    for (HANDLE h : {plain, a, b})
        CloseHandle(h);
}

TEST(SocketEvent, ACreatorsSocketIsWaitedOnButNeverClosedByTheLayer) {
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    auto* sock = new WINL_SocketHandle(fds[0]);
    {
        testsupport::ScaledClock fast(100);
        EXPECT_EQ(WaitForSingleObject(sock, 100), WAIT_TIMEOUT);
        ASSERT_EQ(write(fds[1], "x", 1), 1);
        EXPECT_EQ(WaitForSingleObject(sock, 100), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(sock, 100), WAIT_OBJECT_0) << "its data is not drained";
    }
    EXPECT_EQ(CloseHandle(sock), 0);
    char c;
    EXPECT_EQ(read(fds[0], &c, 1), 1) << "the descriptor is still open";
    close(fds[0]);
    close(fds[1]);
    delete sock;

    testsupport::ManualClock manual;
    WINL_SocketHandle noSocket(-1);
    EXPECT_EQ(WaitForSingleObject(&noSocket, 30), WAIT_FAILED);
    EXPECT_EQ(manual.SleptNanos(), 30 * 1000000);
}

TEST(ThreadHandle, AnEndedThreadStaysSignalledAndIsJoinedOnce) {
    testsupport::ScaledClock fast(100);
    Held held;
    pthread_t tid{};
    HANDLE t = held.start(&tid);
    EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(t, 300), WAIT_TIMEOUT);
    EXPECT_EQ(SetThreadPriority(t, 0), 1);
    SetEvent(held.release);
    EXPECT_EQ(WaitForSingleObject(held.finished, kLong), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(pthread_equal(tid, held.self.load()));
    EXPECT_EQ(SetThreadPriority(t, 0), 0) << "only a running thread";
    EXPECT_EQ(CloseHandle(t), 1);

    // Closed without a wait after it ended: the close joins it.
    Held other;
    t = other.start();
    SetEvent(other.release);
    WaitForSingleObject(other.finished, kLong);
    EXPECT_EQ(CloseHandle(t), 1);
}

TEST(ThreadHandle, ManyThreadsClosedInMixedOrderEndCleanly) {
    struct Arg {
        HANDLE go = CreateEvent(nullptr, true, false, nullptr);
        std::atomic<int> ran{0};
    } arg;
    std::vector<HANDLE> threads;
    for (int i = 0; i < 40; ++i)
        threads.push_back(CreateThread(
            nullptr, 0,
            [](void* p) {
                auto* a = static_cast<Arg*>(p);
                WaitForSingleObject(a->go, INFINITE);
                ++a->ran;
                return 0u;
            },
            &arg, 0, nullptr));
    for (size_t i = 0; i < threads.size(); i += 2)
        EXPECT_EQ(CloseHandle(threads[i]), 1);
    SetEvent(arg.go);
    for (size_t i = 1; i < threads.size(); i += 2)
        finish(threads[i]);
    // The closed half ends on its own; wait (bounded) until each has counted itself.
    for (int spin = 0; spin < 10000 && arg.ran.load() < 40; ++spin)
        usleep(1000);
    EXPECT_EQ(arg.ran.load(), 40);
    CloseHandle(arg.go);
}

TEST(ThreadHandle, TimedWaitSpanningTheTickWrapEndsOnTime) {
    Held held;
    HANDLE t = held.start();
    {
        testsupport::ManualClock clock;
        // The tick count wraps 5 ms after the wait begins.
        clock.AdvanceMillis((int64_t(1) << 32) - int64_t(GetTickCount()) - 5);
        EXPECT_EQ(GetTickCount(), 0xFFFFFFFBu);
        EXPECT_EQ(WaitForSingleObject(t, 20), WAIT_TIMEOUT);
        EXPECT_EQ(clock.SleptNanos(), 20 * 1000000);
        EXPECT_EQ(GetTickCount(), 15u);
    }
    SetEvent(held.release);
    finish(t);
}
