#pragma once

#include "kit/base/KIT_Mutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace testsupport {

// Whether another thread could take the lock at this moment.
inline bool OtherThreadCanEnter(KIT_Mutex* m) {
    bool entered = false;
    std::thread([&] {
        entered = m->TryEnter();
        if (entered) m->Leave();
    }).join();
    return entered;
}

// Holds the lock on another thread for its own scope, as an edit or a host call would.
class HeldElsewhere {
public:
    explicit HeldElsewhere(KIT_Mutex* m)
        : m_thread([this, m] {
              KIT_MutexLock lock(m);
              m_held.set_value();
              m_released.wait_for(std::chrono::seconds(10));
          }) {
        if (m_taken.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
            ADD_FAILURE() << "the lock was not taken";
    }
    ~HeldElsewhere() {
        m_release.set_value();
        m_thread.join();
    }

private:
    std::promise<void> m_held, m_release;
    std::future<void> m_taken = m_held.get_future(), m_released = m_release.get_future();
    std::thread m_thread; // last: it starts once the rest is there
};

} // namespace testsupport
