#include "tests/realtime/RealTimeGuard.h"

#include <dlfcn.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZOZ_RT_SANITIZER 1
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
extern "C" void __sanitizer_print_stack_trace();
#endif

namespace {

// Plain and zero-initialised: read before the program's own initialisation has run.
thread_local bool t_guarded = false;
thread_local long t_faultsAtGuard = 0;
std::atomic<int> g_count{0};
std::atomic<const char*> g_last{nullptr};
std::atomic<long> g_faults{0};

long threadFaults() {
    rusage usage;
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

// The threads libjack started while watched, by kernel thread id.
constexpr int kMaxJackThreads = 64;
std::atomic<bool> g_jackWatched{false};
std::atomic<pid_t> g_jackThreads[kMaxJackThreads];
std::atomic<int> g_jackThreadCount{0};

struct Start {
    void* (*start)(void*);
    void* arg;
};

void* recordJackThread(void* p) {
    const Start s = *static_cast<Start*>(p);
    delete static_cast<Start*>(p);
    const int at = g_jackThreadCount.fetch_add(1);
    if (at < kMaxJackThreads) g_jackThreads[at] = gettid();
    return s.start(s.arg);
}

bool startsInJack(void* (*start)(void*)) {
    Dl_info info;
    return dladdr(reinterpret_cast<void*>(start), &info) && info.dli_fname &&
           strstr(info.dli_fname, "libjack");
}

// Minor and major faults of a thread of this process so far; 0 for one that has ended.
long faultsOf(pid_t tid) {
    std::ifstream in("/proc/self/task/" + std::to_string(tid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), {});
    const size_t name = stat.rfind(')');
    if (name == std::string::npos) return 0;
    // After the name: state, ppid, pgrp, session, tty, tpgid, flags, minflt, cminflt, majflt.
    std::istringstream after(stat.substr(name + 1));
    std::vector<std::string> fields{std::istream_iterator<std::string>(after), {}};
    return fields.size() > 9 ? std::stol(fields[7]) + std::stol(fields[9]) : 0;
}

void caught(const char* what) {
    if (!t_guarded) return;
    t_guarded = false; // what the report does is not caught again
    g_count.fetch_add(1);
    g_last.store(what);
#ifdef ZOZ_RT_SANITIZER
    if (getenv("ZOZ_RT_TRACE")) {
        fprintf(stderr, "real-time guard caught %s:\n", what);
        __sanitizer_print_stack_trace();
    }
#endif
    t_guarded = true;
}

// The next definition of an interposed function, looked up once without a lock of its own (a
// function-local static would take one, and a lock may be what is interposed).
template <class F> F next(std::atomic<void*>& cache, const char* name) {
    void* f = cache.load(std::memory_order_acquire);
    if (!f) cache.store(f = dlsym(RTLD_NEXT, name), std::memory_order_release);
    return reinterpret_cast<F>(f);
}

std::atomic<void*> g_lock{nullptr}, g_create{nullptr}, g_fopen{nullptr}, g_fopen64{nullptr},
    g_write{nullptr};
using Fopen = FILE* (*)(const char*, const char*);

#ifdef ZOZ_RT_SANITIZER
void onMalloc(const volatile void*, size_t) {
    caught("malloc");
}
void onFree(const volatile void* p) {
    if (p) caught("free");
}
[[maybe_unused]] const int g_hooks = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
#endif

} // namespace

extern "C" {

#ifndef ZOZ_RT_SANITIZER
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

void* malloc(size_t n) {
    caught("malloc");
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
    caught("malloc");
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
    caught("malloc");
    return __libc_realloc(p, n);
}
void free(void* p) {
    if (p) caught("free");
    __libc_free(p);
}
#endif

int pthread_mutex_lock(pthread_mutex_t* m) {
    caught("pthread_mutex_lock");
    return next<decltype(&pthread_mutex_lock)>(g_lock, "pthread_mutex_lock")(m);
}
int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*),
                   void* arg) {
    caught("pthread_create");
    const auto create = next<decltype(&pthread_create)>(g_create, "pthread_create");
    if (!g_jackWatched || !startsInJack(start)) return create(thread, attr, start, arg);
    auto* s = new Start{start, arg};
    const int result = create(thread, attr, recordJackThread, s);
    if (result != 0) delete s;
    return result;
}
// Under both of its names: a large-file build maps one onto the other.
FILE* rtFopen(const char* path, const char* mode) __asm__("fopen");
FILE* rtFopen64(const char* path, const char* mode) __asm__("fopen64");
FILE* rtFopen(const char* path, const char* mode) {
    caught("fopen");
    return next<Fopen>(g_fopen, "fopen")(path, mode);
}
FILE* rtFopen64(const char* path, const char* mode) {
    caught("fopen");
    return next<Fopen>(g_fopen64, "fopen64")(path, mode);
}
ssize_t write(int fd, const void* data, size_t size) {
    caught("write");
    return next<decltype(&write)>(g_write, "write")(fd, data, size);
}

} // extern "C"

namespace rt {

Guard::Guard() {
    t_faultsAtGuard = threadFaults();
    t_guarded = true;
}

Guard::~Guard() {
    t_guarded = false;
    g_faults += threadFaults() - t_faultsAtGuard;
}

Caught TakeCaught() {
    return {g_count.exchange(0), g_last.exchange(nullptr), g_faults.exchange(0)};
}

std::vector<long> JackThreadFaults() {
    g_jackWatched = true;
    std::vector<long> faults;
    const int n = std::min(g_jackThreadCount.load(), kMaxJackThreads);
    for (int i = 0; i < n; ++i)
        faults.push_back(faultsOf(g_jackThreads[i]));
    return faults;
}

} // namespace rt
