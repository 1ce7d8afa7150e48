#pragma once

#include <cstdint>

// Periodic check: Every(s) is true once each time more than s seconds have passed since the
// timer started or last fired. Time comes from the platform clock in microseconds.
class Timer {
public:
    Timer();
    bool Every(double seconds);

private:
    int64_t m_start; // microseconds
};
