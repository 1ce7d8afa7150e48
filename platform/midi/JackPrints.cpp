#include "platform/midi/JackPrints.h"

#include <jack/jack.h>

#include <atomic>
#include <cstring>
#include <pthread.h>

namespace platform {

namespace {

using JackPrint = void (*)(const char*);
std::atomic<JackPrint> g_processError{nullptr};
std::atomic<JackPrint> g_processInfo{nullptr};
std::atomic<void (*)()> g_freeing{nullptr};

void printDeferred(const std::atomic<JackPrint>& print, const char* text) {
    static constexpr char kFreeing[] = "Jack server was closed but clients are still allocated";
    if (strncmp(text, kFreeing, sizeof kFreeing - 1) == 0) g_freeing.load()();
    int type;
    pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, &type);
    print.load()(text);
    pthread_setcanceltype(type, &type);
}

void errorDeferred(const char* text) {
    printDeferred(g_processError, text);
}

void infoDeferred(const char* text) {
    printDeferred(g_processInfo, text);
}

} // namespace

void DeferLibjackPrints(void (*freeing)()) {
    g_freeing = freeing;
    if (jack_error_callback && jack_error_callback != &errorDeferred) {
        g_processError = jack_error_callback;
        jack_set_error_function(&errorDeferred);
    }
    if (jack_info_callback && jack_info_callback != &infoDeferred) {
        g_processInfo = jack_info_callback;
        jack_set_info_function(&infoDeferred);
    }
}

} // namespace platform
