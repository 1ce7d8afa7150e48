#include "tests/platform/WsysTestViews.h"

#include "platform/Clock.h"
#include "tests/support/ScaledClock.h"

namespace wsystest {
namespace {

class WsysRunLoop : public WsysTest {
protected:
    testsupport::ManualClock clock;
    RunLoop& loop = RunLoop::Main();

    int64_t msFromNow(int ms) { return platform::NowNanos() + int64_t(ms) * 1000000; }
    Ref<Timer> counter(double seconds, int* count, unsigned modes) {
        Ref<Timer> t = Make<Timer>(seconds, true, [count](Timer&) { ++*count; });
        loop.AddTimer(t.get(), modes);
        return t;
    }
};

TEST_F(WsysRunLoop, TimersFireOnTimeInTheirModesOnly) {
    int common = 0, plain = 0;
    counter(0.010, &common, kRunLoopCommonModes);
    counter(0.010, &plain, kDefaultRunLoopMode);
    loop.RunUntil(msFromNow(100));
    EXPECT_EQ(common, 10);
    EXPECT_EQ(plain, 10);
    loop.RunUntil(msFromNow(50), kModalPanelRunLoopMode);
    EXPECT_EQ(common, 15);
    EXPECT_EQ(plain, 10);
}

TEST_F(WsysRunLoop, ATimerThatFellBehindFiresOnceAndKeepsItsBeat) {
    int count = 0;
    Ref<Timer> t = counter(0.010, &count, kDefaultRunLoopMode);
    const int64_t first = t->FireDate();
    clock.AdvanceMillis(55);
    loop.RunTurn(kDefaultRunLoopMode);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(t->FireDate(), first + 50000000); // due at 10 ms, late at 55: next at 60
    t->Invalidate();
    EXPECT_EQ(loop.TimerCount(), 0u);
}

TEST_F(WsysRunLoop, NextEventWaitsForItsDeadlineOrAnEvent) {
    const int64_t start = platform::NowNanos();
    EXPECT_FALSE(App().NextEvent(kAnyEventMask, msFromNow(30), kDefaultRunLoopMode));
    EXPECT_EQ(platform::NowNanos() - start, 30000000);
    int turns = 0;
    loop.SetTurnHook([&] {
        if (++turns == 3) App().PostEvent(Event::Make(kApplicationDefined));
    });
    Ref<Event> e = App().NextEvent(kAnyEventMask, kDistantFuture, kDefaultRunLoopMode);
    ASSERT_TRUE(e);
    EXPECT_EQ(App().CurrentEvent(), e.get());
    EXPECT_EQ(turns, 3);
}

TEST_F(WsysRunLoop, ModalSessionsAnswerAsStoppedAndTerminateEndsLoops) {
    Ref<Window> w = Make<Window>(Rect(0, 0, 50, 50), kTitledWindowMask);
    Ref<ModalSession> s = App().BeginModalSession(w.get());
    EXPECT_EQ(App().RunModalSession(s.get()), kRunContinuesResponse);
    App().StopModalWithCode(3);
    App().AbortModal(); // the first stop decides
    EXPECT_EQ(App().RunModalSession(s.get()), 3);
    App().EndModalSession(s.get());
    loop.SetTurnHook([] { App().Terminate(); });
    EXPECT_EQ(App().RunModalForWindow(w.get()), kRunAbortedResponse);
    App().Run(); // returns at once: the application has terminated
    EXPECT_TRUE(App().IsTerminated());
}

TEST_F(WsysRunLoop, ADeadTaskIsReapedAndAMissingOneDoesNotStart) {
    Ref<Task> missing = Make<Task>("/nonexistent/program", std::vector<std::string>{});
    EXPECT_FALSE(missing->Launch());
    Ref<Task> t = Make<Task>("/bin/sh", std::vector<std::string>{"-c", "exit 3"});
    ASSERT_TRUE(t->Launch());
    for (int i = 0; i < 5000 && t->IsRunning(); ++i)
        usleep(1000);
    EXPECT_EQ(t->TerminationStatus(), 3);
}

} // namespace
} // namespace wsystest
