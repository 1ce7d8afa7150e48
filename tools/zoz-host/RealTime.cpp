#include "tools/zoz-host/RealTime.h"

#include "tools/zoz-host/Editor.h"
#include "tools/zoz-host/VstHost.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kIdlePeriod = std::chrono::milliseconds(40);
// A host that fell this far behind (a debugger, a loaded machine) starts counting afresh
// rather than running the missed blocks back to back.
constexpr auto kMaxLag = std::chrono::seconds(1);

bool g_quit = false;
bool g_inputEnded = false;

sigset_t quitSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

// Whether a whole line has come on standard input since the last call; reads what is there
// without waiting. The end of the input is no line.
bool lineArrived() {
    bool line = false;
    while (!g_inputEnded) {
        pollfd p = {STDIN_FILENO, POLLIN, 0};
        if (poll(&p, 1, 0) <= 0) break;
        char c;
        if (read(STDIN_FILENO, &c, 1) != 1) {
            g_inputEnded = true;
            break;
        }
        if (c == '\n') {
            line = true;
            break;
        }
    }
    return line;
}

} // namespace

void HoldQuitSignals() {
    const sigset_t signals = quitSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

bool QuitRequested() {
    if (!g_quit) {
        const sigset_t signals = quitSignals();
        const timespec now = {0, 0};
        g_quit = sigtimedwait(&signals, nullptr, &now) > 0;
    }
    return g_quit;
}

void RunRealTime(VstHost& host, EditorWindow& editor, int ms) {
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(host.BlockSize() / host.SampleRate()));
    const auto start = Clock::now();
    const auto end = start + std::chrono::milliseconds(ms);
    auto nextBlock = start;
    auto nextIdle = start;
    int blocks = 0;
    const char* ending = "its time was up";
    for (;;) {
        if (QuitRequested()) {
            ending = "the host was asked to quit";
            break;
        }
        if (lineArrived()) {
            ending = "a line came on standard input";
            break;
        }
        const auto now = Clock::now();
        if (ms > 0 ? now >= end : !editor.IsOpen()) break;
        if (now >= nextBlock) {
            host.ProcessBlock();
            ++blocks;
            nextBlock = now - nextBlock > kMaxLag ? now + period : nextBlock + period;
        }
        if (editor.IsOpen() && now >= nextIdle) {
            editor.Idle();
            nextIdle = now + kIdlePeriod;
        }
        auto wake = std::min(nextBlock, ms > 0 ? end : nextBlock);
        if (editor.IsOpen()) wake = std::min(wake, nextIdle);
        std::this_thread::sleep_until(wake);
    }
    const long long took =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    printf("host: ran %d blocks of %d frames in real time over %lld ms; ended as %s\n", blocks,
           host.BlockSize(), took, ending);
}
