#pragma once

// The layer's side of the platform's application run loop: string conversion, child
// processes, platform threads and pools, running the event loop, window timers, the
// posted-message queue that carries PostMessage and timer requests from other threads to the
// UI thread, right-click emulation, quitting and App Nap control.

#include "kit/winl/winl.h"
#include "platform/wsys/RunLoop.h"
#include "platform/wsys/String.h"
#include "platform/wsys/Task.h"

#include <atomic>
#include <cstdint>

// A window handle: a view or a top-level window (whose content view stands for it).
typedef platform::wsys::Object* HWND;
typedef unsigned long WPARAM;
typedef long LPARAM;
typedef long LRESULT;

constexpr unsigned int WM_TIMER = 0x113;

// Called with (the timer's view or null, WM_TIMER, timer id, GetTickCount()).
typedef void (*TIMERPROC)(HWND hwnd, unsigned int msg, unsigned int id, unsigned int time);

// What the layer asks of the objects behind handles; an object lacking one of these lacks
// that ability.
// Takes the ticks of its platform timers.
class WinlTimerTarget {
public:
    virtual void WINL_Timer(platform::wsys::Timer& timer) = 0;

protected:
    ~WinlTimerTarget() = default;
};

// Takes the layer's messages (the window procedure's entry).
class WinlMessageTarget {
public:
    virtual LRESULT onWinlMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~WinlMessageTarget() = default;
};

// Says whether messages may be posted to it now (live, not being destroyed).
class WinlPostTarget {
public:
    virtual bool winlCanPostMessage() = 0;

protected:
    ~WinlPostTarget() = default;
};

// The application delegate's part in posted messages.
class WinlPostMessageDelegate {
public:
    virtual bool winlPostMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam) = 0;
    // The 50 ms tick on the UI thread.
    virtual void winlPostMessageTick(platform::wsys::Timer& timer) = 0;
    virtual void winlPostMessageClearQ(HWND hwnd) = 0;

protected:
    ~WinlPostMessageDelegate() = default;
};

// The timer target of callback timers: WINL_Timer calls callback(view, WM_TIMER, id, ticks).
class Winl_vZoz_tft : public platform::wsys::Object, public WinlTimerTarget {
public:
    Winl_vZoz_tft(unsigned int id, HWND view, TIMERPROC callback)
        : m_id(id), m_view(view), m_callback(callback) {}
    void WINL_Timer(platform::wsys::Timer& timer) override;

private:
    unsigned int m_id;
    HWND m_view;
    TIMERPROC m_callback;
};

// Holds one value; the user information that carries a view timer's id to the view.
class Winl_vZoz_sdh : public platform::wsys::Object {
public:
    explicit Winl_vZoz_sdh(intptr_t value) : m_value(value) {}
    intptr_t getValue() const { return m_value; }

private:
    intptr_t m_value;
};

// The application delegate of the layer: posts through WINL_Internal_PostMessage, flushes
// the queue on its tick and clears it per window. Install it as the application's delegate,
// then call WINL_Internal_PostMessage_Init on the UI thread.
class WinlAppDelegate : public platform::wsys::Object, public WinlPostMessageDelegate {
public:
    bool winlPostMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam) override;
    void winlPostMessageTick(platform::wsys::Timer& timer) override;
    void winlPostMessageClearQ(HWND hwnd) override;
};

// Strings
// A new platform string (the caller releases it) from the bytes as UTF-8, or, when they are
// not UTF-8, one character a byte; null gives the empty string.
platform::wsys::String* WINL_CStringToCFString(const char* s);
// Nothing for len below 1; else buf is terminated and holds the UTF-8 form when it fits, or
// as many bytes of a lossy UTF-8 form as fit (a character may be cut).
void WINL_CFStringToCString(const platform::wsys::String* str, char* buf, int len);

// Processes: handles of the child-process kind.
struct WINL_ProcessHandle : WINL_HandleHeader {
    explicit WINL_ProcessHandle(platform::wsys::Task* t)
        : WINL_HandleHeader(WINL_HANDLE_PROCESS), task(t) {}
    platform::wsys::Task* task; // one reference
};
// Null when the program cannot be started; null arguments count as empty.
HANDLE WINL_CreateProcess(const char* exe, int argc, const char** argv);
// WAIT_OBJECT_0 once the task has ended, WAIT_TIMEOUT while it runs after ms (INFINITE: no
// limit), polling every millisecond.
int WINL_WaitForNSTask(platform::wsys::Task* task, unsigned int ms);
void WINL_ReleaseNSTask(platform::wsys::Task* task);
// Brings the child process to the front once it runs (waiting about a second for that): this
// application is no longer the active one. Other handles do nothing.
void WINL_MakeProcessFront(HANDLE process);

// Threads and pools
void WINL_EnsureMultithreadedCocoa();
// A detached platform thread running proc(param); no handle.
void CreateThreadNS(void* attr, int stackSize, LPTHREAD_START_ROUTINE proc, void* param);
void* WINL_InitAutoRelease();
void WINL_QuitAutoRelease(void* pool);
// Sends at most 100 queued events, waiting at most 1 ms for each, until a wait finds none.
void WINL_RunEvents();
// Runs the run loop (timers, display) for ms milliseconds; the Ex form lets only hwnd's
// timers tick meanwhile.
void WINL_RunRunLoop(int ms);
void WINL_RunRunLoopEx(int ms, HWND hwnd);

// Timers. SetTimer returns the timer id (callback timers without a window get an id of their
// own, unique in the process), 0 when refused; from a thread other than the UI thread both
// calls become requests that the next tick carries out. KillTimer's id 0xFFFFFFFF kills all
// of the window's timers.
unsigned int SetTimer(HWND hwnd, unsigned int id, unsigned int ms, TIMERPROC callback);
int KillTimer(HWND hwnd, unsigned int id);

// Posted messages
// Once, on the UI thread, with a WinlPostMessageDelegate installed: that thread becomes the
// queue's main thread and the delegate's 50 ms tick starts.
void WINL_Internal_PostMessage_Init();
// Any thread: through the application delegate; 0 when it has none or refuses.
int PostMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam);
// 0 for a null handle, no queue, a handle that takes no posts, or a full queue (1024 records
// and none free).
int WINL_Internal_PostMessage(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam);
// UI thread: carries out what is queued; what is posted meanwhile waits for the next tick.
void WINL_MessageQueue_Flush();
void WINL_MessageQueue_Clear(HWND hwnd);
// Drops the queued records of hwnd (all records for null), also those a running flush has
// not reached yet.
void WINL_Internal_PMQ_ClearAllMessages(HWND hwnd);

// Others
void WINL_EnableRightClickEmulate(bool on);
bool IsRightClickEmulateEnabled();
// Marks the layer as terminating and asks the application to terminate.
void WINL_PostQuitMessage(int code);
// Adds delta to a counter; while it is 1 or more an activity keeps App Nap and idle sleep off.
void WINL_DisableAppNap(int delta);

// When set, only this view's timers tick.
extern HWND g_winl_only_timerhwnd;
extern std::atomic<bool> g_winl_terminating;
