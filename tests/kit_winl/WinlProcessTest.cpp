#include "kit/winl/winl-misc.h"
#include "platform/wsys/Application.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace wsys = platform::wsys;

// The state letter of a process ('Z' for a zombie), or 0 once it is gone.
char processState(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return 0;
    const size_t close = line.rfind(')');
    return close + 2 < line.size() ? line[close + 2] : 0;
}

pid_t pidOf(HANDLE h) {
    return static_cast<WINL_ProcessHandle*>(static_cast<WINL_HandleHeader*>(h))
        ->task->ProcessIdentifier();
}

TEST(WinlProcess, ChildrenEndTimeOutAndAreReaped) {
    HANDLE ok = WINL_CreateProcess("/bin/true", 0, nullptr);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(WaitForSingleObject(ok, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(ok, 0), WAIT_OBJECT_0);
    EXPECT_EQ(CloseHandle(ok), 1);

    const char* args[] = {"5"};
    HANDLE sleeping = WINL_CreateProcess("/bin/sleep", 1, args);
    ASSERT_NE(sleeping, nullptr);
    EXPECT_EQ(WaitForSingleObject(sleeping, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(sleeping, 20), WAIT_TIMEOUT);
    // Let go while it runs: once it ends it must not stay a zombie.
    const pid_t pid = pidOf(sleeping);
    EXPECT_EQ(CloseHandle(sleeping), 1);
    EXPECT_NE(processState(pid), 0);
    kill(pid, SIGKILL);
    for (int i = 0; i < 5000 && processState(pid) != 0; ++i)
        usleep(1000);
    EXPECT_EQ(processState(pid), 0);
}

// A running child comes to the front: this application is no longer the active one. One that
// has ended never comes, and other handles do nothing.
TEST(WinlProcess, ARunningChildIsBroughtToTheFront) {
    wsys::App().Activate();
    HANDLE ended = WINL_CreateProcess("/bin/true", 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(ended, 10000), WAIT_OBJECT_0);
    HANDLE event = CreateEvent(nullptr, 0, 0, nullptr);
    for (HANDLE h : {HANDLE(nullptr), event, ended}) WINL_MakeProcessFront(h);
    EXPECT_TRUE(wsys::App().IsActive());

    const char* args[] = {"30"};
    HANDLE running = WINL_CreateProcess("/bin/sleep", 1, args);
    ASSERT_NE(running, nullptr);
    WINL_MakeProcessFront(running);
    EXPECT_FALSE(wsys::App().IsActive());
    kill(pidOf(running), SIGKILL);
    for (HANDLE h : {ended, event, running}) CloseHandle(h);
    wsys::App().Reset();
}

TEST(WinlProcess, ProgramsThatCannotStartGiveNoHandle) {
    EXPECT_EQ(WINL_CreateProcess("/nonexistent/program", 0, nullptr), nullptr);
    EXPECT_EQ(WINL_CreateProcess(nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(WINL_CreateProcess("/etc/passwd", 0, nullptr), nullptr); // not executable
    // Null arguments count as empty ones.
    const char* args[] = {"-c", "test -z \"$1\" && test \"$#\" = 1", "sh", nullptr};
    HANDLE h = WINL_CreateProcess("/bin/sh", 4, args);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(static_cast<WINL_ProcessHandle*>(static_cast<WINL_HandleHeader*>(h))
                  ->task->TerminationStatus(),
              0);
    CloseHandle(h);
}

} // namespace
