#pragma once

#include <cstdint>

// Periodic check: Every(s) is true once each time more than s seconds have passed since the
// timer started or last fired. Time is the processor time of the process, in microseconds.
class Timer {
public:
    Timer();
    bool Every(double seconds);

private:
    int64_t m_start; // microseconds
};
