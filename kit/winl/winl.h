#pragma once

// Win32-style process services: sleeping and the millisecond clock, file times, integer and
// rectangle helpers, movable memory, kernel-like handles (threads, events, socket events,
// files) with CloseHandle and WaitForSingleObject, loadable libraries and GUIDs.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <pthread.h>

typedef void* HANDLE;
typedef void* HGLOBAL;

struct RECT {
    int left, top, right, bottom;
};

struct POINT {
    int x, y;
};

// 100-nanosecond intervals since 1 January 1601 (UTC).
struct FILETIME {
    unsigned int dwLowDateTime;
    unsigned int dwHighDateTime;
};

struct GUID {
    unsigned int Data1;
    unsigned short Data2;
    unsigned short Data3;
    unsigned char Data4[8];
};

constexpr unsigned int INFINITE = 0xFFFFFFFF;
constexpr int WAIT_OBJECT_0 = 0;
constexpr int WAIT_TIMEOUT = 258;
constexpr int WAIT_FAILED = -1;

// Handle kinds: every handle record begins with its kind word and a reference count.
enum : int {
    WINL_HANDLE_THREAD = 0x1000002,
    WINL_HANDLE_EVENT = 0x1000003,
    WINL_HANDLE_FILE = 0x1000004,
    WINL_HANDLE_SOCKET = 0x1000005,
    WINL_HANDLE_SOCKETEVENT = 0x1000006,
    WINL_HANDLE_PROCESS = 0x1000007, // kit/winl/winl-misc.h
};

struct WINL_HandleHeader {
    explicit WINL_HandleHeader(int t, int refs = 1) : type(t), refcnt(refs) {}
    int type;
    std::atomic<int> refcnt;
};

// A stream handed out as a handle by whoever opened it; the last CloseHandle closes the stream.
struct WINL_FileHandle : WINL_HandleHeader {
    explicit WINL_FileHandle(FILE* f) : WINL_HandleHeader(WINL_HANDLE_FILE), fp(f) {}
    FILE* fp;
};

// A socket that stays its creator's: waits see it, the last CloseHandle neither closes nor
// frees it (and returns 0).
struct WINL_SocketHandle : WINL_HandleHeader {
    explicit WINL_SocketHandle(int fd) : WINL_HandleHeader(WINL_HANDLE_SOCKET), sock(fd) {}
    int sock;
};

// Time and numbers
void Sleep(int ms);
// Monotonic milliseconds, wrapping at 2^32: compare only differences.
unsigned int GetTickCount();
int GetFileTime(int fd, FILETIME* creation, FILETIME* access, FILETIME* write);
// b * a / c truncated; 0 when c is 0, -1 when the result does not fit an int.
int MulDiv(int a, int b, int c);
// Only the rounding field (mask 0x300: 0 nearest, 0x100 down, 0x200 up, 0x300 toward zero)
// is supported; returns the processor's resulting control word shifted right by 2, so its
// rounding field reads in that form.
unsigned int _controlfp(unsigned int newValue, unsigned int mask);
pthread_t GetCurrentThreadId();
char* lstrcpyn(char* dst, const char* src, int n);

// Rectangles (right and bottom exclusive)
bool WINL_PtInRect(const RECT* r, POINT p);
int WinOffsetRect(RECT* r, int dx, int dy);
int WinSetRect(RECT* r, int left, int top, int right, int bottom);
int WinIntersectRect(RECT* dst, const RECT* a, const RECT* b);
int WinUnionRect(RECT* dst, const RECT* a, const RECT* b);

// Movable memory: the handle is the data pointer.
HGLOBAL GlobalAlloc(int flags, int size);
void* GlobalLock(HGLOBAL h);
// Returns the lock count left.
int GlobalUnlock(HGLOBAL h);
int GlobalSize(HGLOBAL h);
HGLOBAL GlobalFree(HGLOBAL h);

// Threads and events
typedef unsigned int (*LPTHREAD_START_ROUTINE)(void* param);
HANDLE CreateThread(void* attr, int stackSize, LPTHREAD_START_ROUTINE proc, void* param, int flags,
                    pthread_t* tid);
int SetThreadPriority(HANDLE h, int priority);
HANDLE CreateEvent(void* attr, bool manualReset, bool initialState, const char* name);
// An event whose read end can join a poll; null when no socket pair can be had.
HANDLE CreateEventAsSocket(void* attr, bool manualReset, bool initialState, const char* name);
int SetEvent(HANDLE h);
int ResetEvent(HANDLE h);
// WAIT_OBJECT_0 when signalled, WAIT_TIMEOUT, or WAIT_FAILED; ms INFINITE waits without limit.
int WaitForSingleObject(HANDLE h, unsigned int ms);
// Index of the first signalled socket-type handle, or WAIT_TIMEOUT.
int WaitForAnySocketObject(int count, HANDLE* handles, unsigned int ms);
int CloseHandle(HANDLE h);

// Files: file handles are not made here (CreateFile gives null).
HANDLE CreateFile(const char* name, int access, int share, void* security, int disposition,
                  int flags, HANDLE templ);
int SetFilePointer(HANDLE h, int offset, int* high);
int GetFilePointer(HANDLE h, int* high);
int GetFileSize(HANDLE h, int* high);
int WriteFile(HANDLE h, const void* buf, int n, int* written);
int ReadFile(HANDLE h, void* buf, int n, int* read);

// Libraries and modules
struct WINL_HINSTANCE;
typedef WINL_HINSTANCE* HINSTANCE;
// "WINL_dllMain" and "DllMain" entries: reason 1 attach, 0 detach; 0 from an attach refuses it.
typedef int (*WINL_DllEntry)(HINSTANCE inst, int reason, void* reserved);
HINSTANCE LoadLibrary(const char* path);
HINSTANCE LoadLibraryGlobals(const char* path, bool symbolsGlobal);
void* GetProcAddress(HINSTANCE inst, const char* name);
int FreeLibrary(HINSTANCE inst);
// The file of a library that has had a symbol looked up, or the program's own file for null.
int GetModuleFileName(HINSTANCE inst, char* buf, int size);
void WINL_GenerateGUID(GUID* g);
