#include "tests/support/Watchdog.h"

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace testsupport {

Watchdog::Watchdog(int seconds, std::string what) {
    m_thread = std::thread([this, seconds, what] {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_finished; }))
            return;
        fprintf(stderr, "FAILED: %s did not finish within %d s\n", what.c_str(), seconds);
        fflush(stderr);
        _exit(1);
    });
}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished = true;
    }
    m_done.notify_all();
    m_thread.join();
}

} // namespace testsupport
