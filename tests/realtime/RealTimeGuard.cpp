#include "tests/realtime/RealTimeGuard.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <semaphore.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZOZ_RT_SANITIZER 1
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
extern "C" void __sanitizer_print_stack_trace();
#endif

namespace {

// Plain and zero-initialised: read before the program's own initialisation has run.
thread_local bool t_guarded = false;
std::atomic<int> g_count{0};
std::atomic<const char*> g_last{nullptr};

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

// The next definition of an interposed function, found once without a lock of its own (a
// function-local static would take one, and the lock may be what is interposed).
template <class F> F next(std::atomic<void*>& cache, const char* name) {
    void* f = cache.load(std::memory_order_acquire);
    if (!f) {
        f = dlsym(RTLD_NEXT, name);
        cache.store(f, std::memory_order_release);
    }
    return reinterpret_cast<F>(f);
}

#define ZOZ_NEXT(name) next<decltype(&name)>(cache_##name, #name)
using Fopen = FILE* (*)(const char*, const char*);
using Open = int (*)(const char*, int, ...);

std::atomic<void*> cache_pthread_mutex_lock{nullptr}, cache_pthread_cond_wait{nullptr},
    cache_pthread_cond_timedwait{nullptr}, cache_sem_wait{nullptr}, cache_sem_timedwait{nullptr},
    cache_nanosleep{nullptr}, cache_clock_nanosleep{nullptr}, cache_pthread_create{nullptr},
    cache_fopen{nullptr}, cache_fopen64{nullptr}, cache_open{nullptr}, cache_open64{nullptr},
    cache_write{nullptr};

int forwardOpen(std::atomic<void*>& cache, const char* name, const char* path, int flags,
                va_list args) {
    caught(name);
    const int mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, int) : 0;
    return next<Open>(cache, name)(path, flags, mode);
}

#ifdef ZOZ_RT_SANITIZER
void onMalloc(const volatile void*, size_t) {
    caught("malloc");
}
void onFree(const volatile void* p) {
    if (p) caught("free");
}
const int g_hooks = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
#endif

} // namespace

#ifndef ZOZ_RT_SANITIZER
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

void* malloc(size_t n) {
    caught("malloc");
    return __libc_malloc(n);
}
void* calloc(size_t n, size_t size) {
    caught("calloc");
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t n) {
    caught("realloc");
    return __libc_realloc(p, n);
}
void free(void* p) {
    if (p) caught("free");
    __libc_free(p);
}
}
#endif

extern "C" {

int pthread_mutex_lock(pthread_mutex_t* m) {
    caught("pthread_mutex_lock");
    return ZOZ_NEXT(pthread_mutex_lock)(m);
}
int pthread_cond_wait(pthread_cond_t* c, pthread_mutex_t* m) {
    caught("pthread_cond_wait");
    return ZOZ_NEXT(pthread_cond_wait)(c, m);
}
int pthread_cond_timedwait(pthread_cond_t* c, pthread_mutex_t* m, const timespec* t) {
    caught("pthread_cond_timedwait");
    return ZOZ_NEXT(pthread_cond_timedwait)(c, m, t);
}
int sem_wait(sem_t* s) {
    caught("sem_wait");
    return ZOZ_NEXT(sem_wait)(s);
}
int sem_timedwait(sem_t* s, const timespec* t) {
    caught("sem_timedwait");
    return ZOZ_NEXT(sem_timedwait)(s, t);
}
int nanosleep(const timespec* t, timespec* rest) {
    caught("nanosleep");
    return ZOZ_NEXT(nanosleep)(t, rest);
}
int clock_nanosleep(clockid_t clock, int flags, const timespec* t, timespec* rest) {
    caught("clock_nanosleep");
    return ZOZ_NEXT(clock_nanosleep)(clock, flags, t, rest);
}
int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*),
                   void* arg) {
    caught("pthread_create");
    return ZOZ_NEXT(pthread_create)(thread, attr, start, arg);
}
// Under both of their names: a large-file build maps one onto the other.
FILE* rtFopen(const char* path, const char* mode) __asm__("fopen");
FILE* rtFopen64(const char* path, const char* mode) __asm__("fopen64");
int rtOpen(const char* path, int flags, ...) __asm__("open");
int rtOpen64(const char* path, int flags, ...) __asm__("open64");

FILE* rtFopen(const char* path, const char* mode) {
    caught("fopen");
    return next<Fopen>(cache_fopen, "fopen")(path, mode);
}
FILE* rtFopen64(const char* path, const char* mode) {
    caught("fopen64");
    return next<Fopen>(cache_fopen64, "fopen64")(path, mode);
}
int rtOpen(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int fd = forwardOpen(cache_open, "open", path, flags, args);
    va_end(args);
    return fd;
}
int rtOpen64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const int fd = forwardOpen(cache_open64, "open64", path, flags, args);
    va_end(args);
    return fd;
}
ssize_t write(int fd, const void* data, size_t size) {
    caught("write");
    return ZOZ_NEXT(write)(fd, data, size);
}

} // extern "C"

namespace rt {

Guard::Guard() {
    t_guarded = true;
}

Guard::~Guard() {
    t_guarded = false;
}

Caught TakeCaught() {
    return {g_count.exchange(0), g_last.exchange(nullptr)};
}

} // namespace rt
