#include "kit/winl/winl.h"

#include "kit/winl/winl-misc.h"

#include "kit/base/KIT_AssocArray.h"
#include "kit/base/KIT_Mutex.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cerrno>
#include <cfenv>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <fpu_control.h>
#include <mutex>
#include <poll.h>
#include <sched.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Time and numbers

void Sleep(int ms) {
    if (ms > 0)
        platform::SleepMillis(ms);
    else
        platform::SleepNanos(100000);
}

unsigned int GetTickCount() {
    return static_cast<unsigned int>(platform::NowMillis());
}

namespace {

// Milliseconds left of a wait of ms begun at start (by GetTickCount); 0 once it is over. The
// unsigned difference stays right across the 2^32 wrap.
unsigned int remainingMs(unsigned int start, unsigned int ms) {
    const unsigned int elapsed = GetTickCount() - start;
    return elapsed >= ms ? 0 : ms - elapsed;
}

// Real-time waits (conditions, poll) run in short slices between looks at the clock seam, so a
// clock that runs faster than real time also ends them sooner.
constexpr unsigned int kWaitSliceMs = 10;

void fileTimeFrom(int64_t seconds, FILETIME* ft) {
    const uint64_t v = uint64_t(seconds) * 10000000ull + 116444736000000000ull;
    ft->dwLowDateTime = static_cast<unsigned int>(v);
    ft->dwHighDateTime = static_cast<unsigned int>(v >> 32);
}

struct RoundingMode {
    unsigned int field;
    int mode;
};
const RoundingMode kRoundingModes[] = {
    {0x000, FE_TONEAREST},
    {0x100, FE_DOWNWARD},
    {0x200, FE_UPWARD},
    {0x300, FE_TOWARDZERO},
};

} // namespace

int GetFileTime(int fd, FILETIME* creation, FILETIME* access, FILETIME* write) {
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) return 0;
    if (creation) fileTimeFrom(st.st_ctime, creation);
    if (access) fileTimeFrom(st.st_atime, access);
    if (write) fileTimeFrom(st.st_mtime, write);
    return 1;
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return 0;
    const double r = double(b) * double(a) / c;
    if (!(r > double(INT_MIN) - 1.0 && r < double(INT_MAX) + 1.0)) return -1;
    return int(r);
}

unsigned int _controlfp(unsigned int newValue, unsigned int mask) {
    mask &= 0x300;
    if (mask) {
        // fesetround sets the vector unit as well as the x87 one; a control word alone would not.
        unsigned int field = 0;
        for (const RoundingMode& m : kRoundingModes)
            if (m.mode == fegetround()) field = m.field;
        field = (field & ~mask) | (newValue & mask);
        for (const RoundingMode& m : kRoundingModes)
            if (m.field == field) fesetround(m.mode);
    }
    // The processor's x87 control word, whose rounding field fesetround keeps in step.
    fpu_control_t word = 0;
    _FPU_GETCW(word);
    return unsigned(word) >> 2;
}

pthread_t GetCurrentThreadId() {
    return pthread_self();
}

char* lstrcpyn(char* dst, const char* src, int n) {
    if (!dst || n < 1) return dst;
    int i = 0;
    if (src)
        for (; i < n - 1 && src[i]; ++i)
            dst[i] = src[i];
    dst[i] = 0;
    return dst;
}

// ---------------------------------------------------------------------------------------------
// Rectangles

bool WINL_PtInRect(const RECT* r, POINT p) {
    if (!r) return false;
    return p.x >= r->left && p.x < r->right && p.y >= std::min(r->top, r->bottom) &&
           p.y < std::max(r->top, r->bottom);
}

int WinOffsetRect(RECT* r, int dx, int dy) {
    if (!r) return 0;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return 1;
}

int WinSetRect(RECT* r, int left, int top, int right, int bottom) {
    if (!r) return 0;
    *r = RECT{left, top, right, bottom};
    return 1;
}

int WinIntersectRect(RECT* dst, const RECT* a, const RECT* b) {
    if (!dst) return 0;
    *dst = RECT{0, 0, 0, 0};
    if (!a || !b) return 0;
    const auto empty = [](const RECT* r) { return r->right <= r->left || r->bottom <= r->top; };
    if (empty(a) || empty(b)) return 0;
    *dst = RECT{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
                std::min(a->bottom, b->bottom)};
    return empty(dst) ? 0 : 1;
}

int WinUnionRect(RECT* dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return 0;
    *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Movable memory

namespace {
struct GlobalHeader {
    int size;
    int locks;
};
GlobalHeader* globalHeader(HGLOBAL h) {
    return static_cast<GlobalHeader*>(h) - 1;
}
} // namespace

HGLOBAL GlobalAlloc(int, int size) {
    if (size < 0) size = 0;
    auto* hdr = static_cast<GlobalHeader*>(malloc(sizeof(GlobalHeader) + size_t(size)));
    if (!hdr) return nullptr;
    *hdr = GlobalHeader{size, 0};
    return hdr + 1;
}

void* GlobalLock(HGLOBAL h) {
    if (h) ++globalHeader(h)->locks;
    return h;
}

int GlobalUnlock(HGLOBAL h) {
    return h ? --globalHeader(h)->locks : 0;
}

int GlobalSize(HGLOBAL h) {
    return h ? globalHeader(h)->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL h) {
    if (h) free(globalHeader(h));
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Handles

namespace {

struct ThreadRecord : WINL_HandleHeader {
    ThreadRecord(LPTHREAD_START_ROUTINE p, void* a)
        : WINL_HandleHeader(WINL_HANDLE_THREAD, 2), proc(p), param(a) {}
    LPTHREAD_START_ROUTINE proc;
    void* param;
    pthread_t tid{};
    std::atomic<bool> done{false};
    std::mutex joinLock; // held across a join, so a thread is joined at most once
    bool joined = false;
};

struct EventRecord : WINL_HandleHeader {
    EventRecord(bool manual, bool initial)
        : WINL_HandleHeader(WINL_HANDLE_EVENT), signalled(initial), manualReset(manual) {}
    std::mutex mutex;
    std::condition_variable cond;
    bool signalled;
    bool manualReset;
};

struct SocketEventRecord : WINL_HandleHeader {
    SocketEventRecord(int r, int w, bool autoRst)
        : WINL_HandleHeader(WINL_HANDLE_SOCKETEVENT), readFd(r), writeFd(w), autoReset(autoRst) {}
    int readFd;
    int writeFd;
    bool autoReset;
};

WINL_HandleHeader* asHandle(HANDLE h) {
    auto* hdr = static_cast<WINL_HandleHeader*>(h);
    if (!hdr || hdr->type < WINL_HANDLE_THREAD || hdr->type > WINL_HANDLE_PROCESS)
        return nullptr;
    return hdr;
}

template <class Record> Record* asKind(HANDLE h, int type) {
    WINL_HandleHeader* hdr = asHandle(h);
    return hdr && hdr->type == type ? static_cast<Record*>(hdr) : nullptr;
}

FILE* streamOf(HANDLE h) {
    auto* f = asKind<WINL_FileHandle>(h, WINL_HANDLE_FILE);
    return f ? f->fp : nullptr;
}

bool joinOnce(ThreadRecord* t) {
    std::lock_guard<std::mutex> lock(t->joinLock);
    if (!t->joined) t->joined = pthread_join(t->tid, nullptr) == 0;
    return t->joined;
}

void* threadEntry(void* arg) {
    auto* t = static_cast<ThreadRecord*>(arg);
    t->proc(t->param);
    t->done.store(true);
    CloseHandle(static_cast<WINL_HandleHeader*>(t));
    return nullptr;
}

// Consumes an auto-reset socket event's signal; false when another waiter took it first.
bool consumeSocketSignal(int fd) {
    char junk[128];
    const ssize_t n = read(fd, junk, sizeof junk);
    return n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
}

// The descriptor a socket-type handle waits on, or -1 (with *autoReset set for socket events).
int waitDescriptor(WINL_HandleHeader* hdr, bool* autoReset) {
    *autoReset = false;
    if (hdr->type == WINL_HANDLE_SOCKET) return static_cast<WINL_SocketHandle*>(hdr)->sock;
    if (hdr->type == WINL_HANDLE_SOCKETEVENT) {
        auto* e = static_cast<SocketEventRecord*>(hdr);
        *autoReset = e->autoReset;
        return e->readFd;
    }
    return -1;
}

// Index into fds of the first readable descriptor within ms of start, or -1. The descriptors
// are looked at at least once, however little time is left.
int pollReadable(pollfd* fds, int n, unsigned int start, unsigned int ms) {
    for (;;) {
        const unsigned int left = ms == INFINITE ? INFINITE : remainingMs(start, ms);
        const int slice = ms == INFINITE ? -1 : int(std::min(left, kWaitSliceMs));
        for (int i = 0; i < n; ++i)
            fds[i].revents = 0;
        const int r = poll(fds, nfds_t(n), slice);
        if (r > 0)
            for (int i = 0; i < n; ++i)
                if (fds[i].revents) return i;
        if ((r < 0 && errno != EINTR) || left == 0) return -1;
    }
}

int waitThread(ThreadRecord* t, unsigned int ms) {
    if (t->done.load() || ms == INFINITE) return joinOnce(t) ? WAIT_OBJECT_0 : WAIT_FAILED;
    if (ms == 0) return WAIT_TIMEOUT;
    const unsigned int start = GetTickCount();
    for (;;) {
        if (t->done.load()) return joinOnce(t) ? WAIT_OBJECT_0 : WAIT_FAILED;
        if (remainingMs(start, ms) == 0) return WAIT_TIMEOUT;
        Sleep(1);
    }
}

int waitEvent(EventRecord* e, unsigned int ms) {
    std::unique_lock<std::mutex> lock(e->mutex);
    if (ms == INFINITE) {
        e->cond.wait(lock, [e] { return e->signalled; });
    } else {
        const unsigned int start = GetTickCount();
        while (!e->signalled) {
            const unsigned int left = remainingMs(start, ms);
            if (left == 0) return WAIT_TIMEOUT;
            e->cond.wait_for(lock, std::chrono::milliseconds(std::min(left, kWaitSliceMs)));
        }
    }
    if (!e->manualReset) e->signalled = false;
    return WAIT_OBJECT_0;
}

int waitSocket(WINL_HandleHeader* hdr, unsigned int ms) {
    bool autoReset;
    pollfd pfd{waitDescriptor(hdr, &autoReset), POLLIN, 0};
    if (pfd.fd < 0) {
        Sleep(ms == INFINITE ? 1 : int(std::min(ms, unsigned(INT_MAX))));
        return WAIT_FAILED;
    }
    const unsigned int start = GetTickCount();
    for (;;) {
        if (pollReadable(&pfd, 1, start, ms) < 0) return WAIT_TIMEOUT;
        if (!autoReset || consumeSocketSignal(pfd.fd)) return WAIT_OBJECT_0;
    }
}

} // namespace

HANDLE CreateThread(void*, int, LPTHREAD_START_ROUTINE proc, void* param, int, pthread_t* tid) {
    if (!proc) return nullptr;
    WINL_EnsureMultithreadedCocoa();
    auto* t = new ThreadRecord(proc, param);
    if (pthread_create(&t->tid, nullptr, threadEntry, t) != 0) {
        delete t;
        return nullptr;
    }
    if (tid) *tid = t->tid;
    return static_cast<WINL_HandleHeader*>(t);
}

int SetThreadPriority(HANDLE h, int priority) {
    auto* t = asKind<ThreadRecord>(h, WINL_HANDLE_THREAD);
    if (!t || t->done.load()) return 0;
    // A thread that another one is joining cannot be touched until that join ends.
    std::unique_lock<std::mutex> lock(t->joinLock, std::try_to_lock);
    if (!lock.owns_lock() || t->joined) return 0;
    int policy;
    sched_param param;
    if (pthread_getschedparam(t->tid, &policy, &param) != 0) return 0;
    param.sched_priority =
        std::clamp(priority + 31, sched_get_priority_min(policy), sched_get_priority_max(policy));
    return pthread_setschedparam(t->tid, policy, &param) == 0 ? 1 : 0;
}

HANDLE CreateEvent(void*, bool manualReset, bool initialState, const char*) {
    return static_cast<WINL_HandleHeader*>(new EventRecord(manualReset, initialState));
}

HANDLE CreateEventAsSocket(void*, bool manualReset, bool initialState, const char*) {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return nullptr;
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    auto* e = new SocketEventRecord(fds[0], fds[1], !manualReset);
    if (initialState) SetEvent(static_cast<WINL_HandleHeader*>(e));
    return static_cast<WINL_HandleHeader*>(e);
}

int SetEvent(HANDLE h) {
    if (auto* e = asKind<EventRecord>(h, WINL_HANDLE_EVENT)) {
        std::lock_guard<std::mutex> lock(e->mutex);
        if (!e->signalled) {
            e->signalled = true;
            if (e->manualReset)
                e->cond.notify_all();
            else
                e->cond.notify_one();
        }
        return 1;
    }
    if (auto* e = asKind<SocketEventRecord>(h, WINL_HANDLE_SOCKETEVENT)) {
        pollfd pfd{e->readFd, POLLIN, 0};
        if (poll(&pfd, 1, 0) <= 0) {
            const char one = 1;
            (void)!send(e->writeFd, &one, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        }
        return 1;
    }
    return 0;
}

int ResetEvent(HANDLE h) {
    if (auto* e = asKind<EventRecord>(h, WINL_HANDLE_EVENT)) {
        std::lock_guard<std::mutex> lock(e->mutex);
        e->signalled = false;
        return 1;
    }
    if (auto* e = asKind<SocketEventRecord>(h, WINL_HANDLE_SOCKETEVENT)) {
        consumeSocketSignal(e->readFd);
        return 1;
    }
    return 0;
}

int WaitForSingleObject(HANDLE h, unsigned int ms) {
    WINL_HandleHeader* hdr = asHandle(h);
    if (!hdr) return WAIT_FAILED;
    switch (hdr->type) {
    case WINL_HANDLE_THREAD:
        return waitThread(static_cast<ThreadRecord*>(hdr), ms);
    case WINL_HANDLE_EVENT:
        return waitEvent(static_cast<EventRecord*>(hdr), ms);
    case WINL_HANDLE_SOCKET:
    case WINL_HANDLE_SOCKETEVENT:
        return waitSocket(hdr, ms);
    case WINL_HANDLE_PROCESS:
        return WINL_WaitForNSTask(static_cast<WINL_ProcessHandle*>(hdr)->task, ms);
    default:
        return WAIT_FAILED;
    }
}

int WaitForAnySocketObject(int count, HANDLE* handles, unsigned int ms) {
    if (count < 1 || !handles) return WAIT_TIMEOUT;
    std::vector<pollfd> fds;
    std::vector<int> index;
    std::vector<bool> autoReset;
    for (int i = 0; i < count; ++i) {
        WINL_HandleHeader* hdr = asHandle(handles[i]);
        bool ar = false;
        const int fd = hdr ? waitDescriptor(hdr, &ar) : -1;
        if (fd < 0) continue;
        fds.push_back(pollfd{fd, POLLIN, 0});
        index.push_back(i);
        autoReset.push_back(ar);
    }
    if (fds.empty()) return WAIT_TIMEOUT;
    const unsigned int start = GetTickCount();
    for (;;) {
        const int k = pollReadable(fds.data(), int(fds.size()), start, ms);
        if (k < 0) return WAIT_TIMEOUT;
        if (!autoReset[size_t(k)] || consumeSocketSignal(fds[size_t(k)].fd))
            return index[size_t(k)];
    }
}

int CloseHandle(HANDLE h) {
    WINL_HandleHeader* hdr = asHandle(h);
    if (!hdr) return 0;
    if (hdr->refcnt.fetch_sub(1, std::memory_order_acq_rel) > 1) return 1;
    switch (hdr->type) {
    case WINL_HANDLE_THREAD: {
        auto* t = static_cast<ThreadRecord*>(hdr);
        if (pthread_equal(pthread_self(), t->tid))
            pthread_detach(t->tid); // the thread let go last: nobody is left to join it
        else
            joinOnce(t);
        delete t;
        break;
    }
    case WINL_HANDLE_EVENT:
        delete static_cast<EventRecord*>(hdr);
        break;
    case WINL_HANDLE_FILE: {
        auto* f = static_cast<WINL_FileHandle*>(hdr);
        if (f->fp) fclose(f->fp);
        delete f;
        break;
    }
    case WINL_HANDLE_SOCKET:
        return 0;
    case WINL_HANDLE_SOCKETEVENT: {
        auto* e = static_cast<SocketEventRecord*>(hdr);
        close(e->readFd);
        close(e->writeFd);
        delete e;
        break;
    }
    case WINL_HANDLE_PROCESS: {
        auto* p = static_cast<WINL_ProcessHandle*>(hdr);
        WINL_ReleaseNSTask(p->task);
        delete p;
        break;
    }
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Files

HANDLE CreateFile(const char*, int, int, void*, int, int, HANDLE) {
    return nullptr;
}

namespace {
int fileFailure(int* high) {
    if (high) *high = -1;
    return -1;
}
} // namespace

int SetFilePointer(HANDLE h, int offset, int* high) {
    FILE* fp = streamOf(h);
    if (!fp || (high && *high != 0) || fseek(fp, offset, SEEK_SET) != 0) return fileFailure(high);
    return GetFilePointer(h, high);
}

int GetFilePointer(HANDLE h, int* high) {
    FILE* fp = streamOf(h);
    const long pos = fp ? ftell(fp) : -1;
    if (pos < 0) return fileFailure(high);
    if (high) *high = int(int64_t(pos) >> 32);
    return int(uint32_t(pos));
}

int GetFileSize(HANDLE h, int* high) {
    FILE* fp = streamOf(h);
    if (!fp) return fileFailure(high);
    const long pos = ftell(fp);
    if (pos < 0 || fseek(fp, 0, SEEK_END) != 0) return fileFailure(high);
    const long size = ftell(fp);
    fseek(fp, pos, SEEK_SET);
    if (size < 0) return fileFailure(high);
    if (high) *high = int(int64_t(size) >> 32);
    return int(uint32_t(size));
}

int WriteFile(HANDLE h, const void* buf, int n, int* written) {
    FILE* fp = streamOf(h);
    if (!fp || n <= 0 || !buf) return 0;
    const size_t moved = fwrite(buf, 1, size_t(n), fp);
    if (written) *written = int(moved);
    return moved > 0 ? 1 : 0;
}

int ReadFile(HANDLE h, void* buf, int n, int* read) {
    FILE* fp = streamOf(h);
    if (!fp || n <= 0 || !buf) return 0;
    const size_t moved = fread(buf, 1, size_t(n), fp);
    if (read) *read = int(moved);
    return moved > 0 ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// Libraries and modules

struct WINL_HINSTANCE {
    void* dl;
    int refcnt;
    WINL_DllEntry winlDllMain;
    WINL_DllEntry dllMain;
    std::atomic<void*> lastAddress;
};

namespace {

int compareAddresses(void* a, void* b) {
    const auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

// Made at load and destroyed at unload; the lock is re-entrant because a library's entry
// points run under it and may load libraries of their own.
KIT_Mutex s_libraryMutex;
KIT_AssocArray<void*, WINL_HINSTANCE*> s_loadedLibs(compareAddresses);

WINL_DllEntry entryOf(WINL_HINSTANCE* inst, const char* name) {
    return reinterpret_cast<WINL_DllEntry>(GetProcAddress(inst, name));
}

} // namespace

HINSTANCE LoadLibrary(const char* path) {
    return LoadLibraryGlobals(path, false);
}

HINSTANCE LoadLibraryGlobals(const char* path, bool symbolsGlobal) {
    if (!path || !*path) return nullptr;
    void* dl = dlopen(path, RTLD_NOW | (symbolsGlobal ? RTLD_GLOBAL : RTLD_LOCAL));
    if (!dl) return nullptr;

    KIT_MutexLock lock(&s_libraryMutex);
    if (WINL_HINSTANCE* known = s_loadedLibs.Get(dl)) {
        ++known->refcnt; // this load's loader reference goes back with one FreeLibrary
        return known;
    }
    auto* inst = new WINL_HINSTANCE{dl, 1, nullptr, nullptr, {nullptr}};
    if (!s_loadedLibs.Insert(dl, inst)) {
        dlclose(dl);
        delete inst;
        return nullptr;
    }
    // The entries are stored only once both have accepted, so a refused load is freed without
    // detach calls beyond the one made here.
    const WINL_DllEntry winlMain = entryOf(inst, "WINL_dllMain");
    if (!winlMain) return inst;
    if (!winlMain(inst, 1, nullptr)) {
        FreeLibrary(inst);
        return nullptr;
    }
    const WINL_DllEntry dllMain = entryOf(inst, "DllMain");
    if (dllMain && !dllMain(inst, 1, nullptr)) {
        winlMain(inst, 0, nullptr);
        FreeLibrary(inst);
        return nullptr;
    }
    inst->winlDllMain = winlMain;
    inst->dllMain = dllMain;
    return inst;
}

void* GetProcAddress(HINSTANCE inst, const char* name) {
    if (!inst || !name) return nullptr;
    void* addr = dlsym(inst->dl, name);
    if (addr) inst->lastAddress.store(addr);
    return addr;
}

int FreeLibrary(HINSTANCE inst) {
    if (!inst) return 0;
    KIT_MutexLock lock(&s_libraryMutex);
    const bool last = --inst->refcnt == 0;
    if (last) {
        s_loadedLibs.Delete(inst->dl);
        if (inst->winlDllMain) {
            inst->winlDllMain(inst, 0, nullptr);
            if (inst->dllMain) inst->dllMain(inst, 0, nullptr);
        }
    }
    dlclose(inst->dl);
    if (last) delete inst;
    return 1;
}

int GetModuleFileName(HINSTANCE inst, char* buf, int size) {
    if (!buf || size < 1) return 0;
    buf[0] = 0;
    if (inst) {
        Dl_info info;
        void* addr = inst->lastAddress.load();
        if (!addr || !dladdr(addr, &info) || !info.dli_fname) return 0;
        lstrcpyn(buf, info.dli_fname, size);
    } else {
        char path[8192];
        const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
        if (n <= 0) return 0;
        path[n] = 0;
        lstrcpyn(buf, path, size);
    }
    return int(strlen(buf));
}

void WINL_GenerateGUID(GUID* g) {
    if (!g) return;
    unsigned char bytes[16] = {};
    size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n > 0)
            got += size_t(n);
        else if (errno != EINTR)
            break;
    }
    bytes[6] = (bytes[6] & 0x0F) | 0x40; // version 4: random
    bytes[8] = (bytes[8] & 0x3F) | 0x80; // RFC 4122 variant
    memcpy(g, bytes, sizeof bytes);
}
