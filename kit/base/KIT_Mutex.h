#pragma once

#include <atomic>
#include <pthread.h>

// Re-entrant lock: the owning thread may enter again; the platform mutex is released when
// the last Leave balances the first Enter. Must not be held when destroyed.
class KIT_Mutex {
public:
    KIT_Mutex();
    ~KIT_Mutex();
    KIT_Mutex(const KIT_Mutex&) = delete;
    KIT_Mutex& operator=(const KIT_Mutex&) = delete;

    void Enter();
    void Leave();
    // Enters without waiting; false when another thread owns the lock.
    bool TryEnter();
    // For a long wait of the owner (a modal loop, joining a thread that needs the lock): leaves
    // every entry it holds and returns their number for EnterTimes; 0 when it owns none.
    int LeaveAll();
    void EnterTimes(int entries);

private:
    pthread_mutex_t m_mutex;
    std::atomic<pthread_t> m_owner{};
    std::atomic<bool> m_owned{false};
    int m_depth = 0; // extra entries of the owner beyond the first
};

class KIT_MutexLock {
public:
    explicit KIT_MutexLock(KIT_Mutex* m) : m_mutex(m) {
        if (m_mutex) m_mutex->Enter();
    }
    ~KIT_MutexLock() {
        if (m_mutex) m_mutex->Leave();
    }
    KIT_MutexLock(const KIT_MutexLock&) = delete;
    KIT_MutexLock& operator=(const KIT_MutexLock&) = delete;

private:
    KIT_Mutex* m_mutex;
};

// Lets go of every entry the calling thread holds for its scope and takes them back after.
class KIT_MutexRelease {
public:
    explicit KIT_MutexRelease(KIT_Mutex* m) : m_mutex(m), m_entries(m ? m->LeaveAll() : 0) {}
    ~KIT_MutexRelease() {
        if (m_mutex) m_mutex->EnterTimes(m_entries);
    }
    KIT_MutexRelease(const KIT_MutexRelease&) = delete;
    KIT_MutexRelease& operator=(const KIT_MutexRelease&) = delete;

private:
    KIT_Mutex* m_mutex;
    int m_entries;
};

// Holds the lock for its scope when it could be had at once (Owned), never waiting for it.
class KIT_MutexTryLock {
public:
    explicit KIT_MutexTryLock(KIT_Mutex* m) : m_mutex(m), m_owned(m->TryEnter()) {}
    ~KIT_MutexTryLock() {
        if (m_owned) m_mutex->Leave();
    }
    KIT_MutexTryLock(const KIT_MutexTryLock&) = delete;
    KIT_MutexTryLock& operator=(const KIT_MutexTryLock&) = delete;
    bool Owned() const { return m_owned; }

private:
    KIT_Mutex* m_mutex;
    bool m_owned;
};
