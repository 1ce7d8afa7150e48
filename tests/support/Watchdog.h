#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

// Ends the test process with a failure when the scope it guards has not been left within the
// time given: for tests whose waits could otherwise hang (a MIDI back end that never returns).
class Watchdog {
public:
    Watchdog(int seconds, std::string what);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

} // namespace testsupport
