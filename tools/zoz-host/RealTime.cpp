#include "tools/zoz-host/RealTime.h"

#include "tools/zoz-host/Editor.h"
#include "tools/zoz-host/VstHost.h"

#include <algorithm>
#include <atomic>
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

// The blocks run on an audio thread of the host's own, paced by the clock, as a host's audio
// interface paces them; the editor is idled on this thread meanwhile. A block counts as late
// when it began more than a period after it was due or took longer than a period: a host
// with one period of buffer would have dropped out.
void RunRealTime(VstHost& host, EditorWindow& editor, int ms) {
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(host.BlockSize() / host.SampleRate()));
    const auto start = Clock::now();
    const auto end = start + std::chrono::milliseconds(ms);
    std::atomic<bool> stop{false};
    int blocks = 0, late = 0;
    Clock::duration longest{};
    std::thread audio([&] {
        for (auto due = Clock::now(); !stop; due += period) {
            std::this_thread::sleep_until(due);
            const auto began = Clock::now();
            // A host that fell this far behind (a debugger) counts afresh.
            if (began - due > kMaxLag) due = began;
            host.ProcessBlock();
            const auto took = Clock::now() - began;
            longest = std::max(longest, took);
            late += began - due > period || took > period;
            ++blocks;
        }
    });
    const bool withEditor = editor.IsOpen();
    const char* ending = nullptr;
    while (!ending) {
        if (QuitRequested())
            ending = "the host was asked to quit";
        else if (lineArrived())
            ending = "a line came on standard input";
        else if (withEditor && !editor.IsOpen())
            ending = "the editor window was closed";
        else if (ms > 0 && Clock::now() >= end)
            ending = "its time was up";
        else if (ms == 0 && !withEditor)
            ending = "no editor was open to wait for";
        else if (editor.IsOpen())
            editor.Idle();
        if (!ending) std::this_thread::sleep_for(kIdlePeriod);
    }
    stop = true;
    audio.join();
    const long long took =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    const long long longestMicros =
        std::chrono::duration_cast<std::chrono::microseconds>(longest).count();
    printf("host: ran %d blocks of %d frames in real time over %lld ms, the longest in %lld us, "
           "%d late; ended as %s\n",
           blocks, host.BlockSize(), took, longestMicros, late, ending);
}
