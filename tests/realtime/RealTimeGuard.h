#pragma once

#include <vector>

namespace rt {

// While a guard is up on a thread, what a thread that must never wait does there is caught:
// allocating or freeing memory, locking a mutex (trying is allowed), starting a thread, opening
// or writing a file. The calls are interposed for the whole test program; other threads, and
// this one without a guard, go on as before. With ZOZ_RT_TRACE set each catch prints its stack
// (in a sanitizer build). The page faults the thread takes meanwhile are counted apart: a
// first touch of memory, which the kernel makes the thread wait for.
class Guard {
public:
    Guard();
    ~Guard();
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
};

// What was caught since the last call: how many, what the last one was, and the page faults.
struct Caught {
    int count;
    const char* last;
    long faults;
};
Caught TakeCaught();

// The page faults taken so far by each thread that libjack started (a client's process thread
// among them) since the first call, which starts the watch: in the order they started, 0 for
// one that has ended.
std::vector<long> JackThreadFaults();

} // namespace rt
