#include "tests/kit_winl/WinlTestView.h"

#include "platform/Clock.h"

namespace winltest {
namespace {

using WinlRunLoop = WinlLoopTest;

TEST_F(WinlRunLoop, RunEventsTakesAHundredAtMost) {
    for (int i = 0; i < 150; ++i)
        wsys::App().PostEvent(wsys::Event::Make(wsys::kApplicationDefined));
    WINL_RunEvents();
    EXPECT_EQ(wsys::App().DispatchPendingEvents(), 50);
    const int64_t before = platform::NowNanos();
    WINL_RunEvents(); // nothing queued: one wait of a millisecond
    EXPECT_EQ(platform::NowNanos() - before, 1000000);
}

TEST_F(WinlRunLoop, AppNapIsHeldWhileTheCounterIsPositive) {
    const struct {
        int delta;
        size_t activities;
    } steps[] = {{1, 1}, {1, 1}, {-1, 1}, {-1, 0}, {-1, 0}, {1, 0}, {1, 1}, {-1, 0}};
    for (const auto& s : steps) {
        WINL_DisableAppNap(s.delta);
        ASSERT_EQ(wsys::App().Activities().size(), s.activities) << s.delta;
    }
    WINL_DisableAppNap(1);
    ASSERT_EQ(wsys::App().Activities().size(), 1u);
    EXPECT_EQ(wsys::App().Activities()[0]->options, 0xFF00100000ull);
    EXPECT_EQ(wsys::App().Activities()[0]->reason, "WINL_DisableAppNap");
    WINL_DisableAppNap(-1);

    WINL_PostQuitMessage(0);
    EXPECT_TRUE(g_winl_terminating);
    EXPECT_TRUE(wsys::App().IsTerminated());
    WINL_DisableAppNap(5); // ignored while terminating
    EXPECT_TRUE(wsys::App().Activities().empty());
    g_winl_terminating = false;
}

TEST_F(WinlRunLoop, PlatformThreadsPoolsAndRightClicks) {
    HANDLE done = CreateEvent(nullptr, true, false, nullptr);
    CreateThreadNS(
        nullptr, 0, [](void* e) { return unsigned(SetEvent(e)); }, done);
    EXPECT_TRUE(wsys::IsMultiThreaded());
    platform::Clock::Install(nullptr); // a real wait for a real thread
    EXPECT_EQ(WaitForSingleObject(done, 10000), WAIT_OBJECT_0);
    platform::Clock::Install(&clock);
    CloseHandle(done);
    void* pool = WINL_InitAutoRelease();
    EXPECT_NE(pool, nullptr);
    WINL_QuitAutoRelease(pool);
    WINL_QuitAutoRelease(nullptr);
    WINL_EnableRightClickEmulate(true);
    EXPECT_TRUE(IsRightClickEmulateEnabled());
    WINL_EnableRightClickEmulate(false);
    EXPECT_FALSE(IsRightClickEmulateEnabled());
}

} // namespace
} // namespace winltest
