#pragma once

namespace rt {

// While a guard is up on a thread, what a thread that must never wait does there is caught:
// allocating or freeing memory, locking a mutex (trying is allowed), starting a thread, opening
// or writing a file. The calls are interposed for the whole test program; other threads, and
// this one without a guard, go on as before. With ZOZ_RT_TRACE set each catch prints its stack
// (in a sanitizer build).
class Guard {
public:
    Guard();
    ~Guard();
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
};

// What was caught since the last call: how many, and what the last one was.
struct Caught {
    int count;
    const char* last;
};
Caught TakeCaught();

} // namespace rt
