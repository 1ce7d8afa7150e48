#include "kit/base/KIT_Mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(Mutex, ReentrantOnOneThreadExclusiveAcrossThreads) {
    KIT_Mutex m;
    m.Enter();
    m.Enter(); // the owner enters again without blocking
    std::atomic<bool> otherGotIt{false};
    std::thread t([&] {
        EXPECT_FALSE(m.TryEnter());
        m.Enter();
        otherGotIt = true;
        m.Leave();
    });
    m.Leave();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(otherGotIt.load()); // still held once
    m.Leave();
    t.join();
    EXPECT_TRUE(otherGotIt.load());
}

TEST(Mutex, CountsStayBalancedUnderContention) {
    KIT_Mutex m;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                KIT_MutexLock outer(&m);
                KIT_MutexLock inner(&m);
                ++counter;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 80000);
}

TEST(Mutex, ReleaseLetsAnotherThreadInAndRestoresEveryEntry) {
    KIT_Mutex m;
    m.Enter();
    m.Enter();
    {
        KIT_MutexRelease released(&m);
        std::thread([&] {
            EXPECT_TRUE(m.TryEnter());
            m.Leave();
        }).join();
    }
    m.Leave();
    std::thread([&] { EXPECT_FALSE(m.TryEnter()) << "one entry is still held"; }).join();
    m.Leave();
    KIT_MutexRelease none(&m); // a thread that owns nothing takes nothing back
    std::thread([&] {
        EXPECT_TRUE(m.TryEnter());
        m.Leave();
    }).join();
}
