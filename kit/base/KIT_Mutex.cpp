#include "kit/base/KIT_Mutex.h"

KIT_Mutex::KIT_Mutex() { pthread_mutex_init(&m_mutex, nullptr); }

KIT_Mutex::~KIT_Mutex() { pthread_mutex_destroy(&m_mutex); }

void KIT_Mutex::Enter() {
    const pthread_t self = pthread_self();
    if (m_owned.load() && pthread_equal(m_owner.load(), self)) {
        ++m_depth;
        return;
    }
    pthread_mutex_lock(&m_mutex);
    m_owner.store(self);
    m_owned.store(true);
    m_depth = 0;
}

bool KIT_Mutex::TryEnter() {
    const pthread_t self = pthread_self();
    if (m_owned.load() && pthread_equal(m_owner.load(), self)) {
        ++m_depth;
        return true;
    }
    if (pthread_mutex_trylock(&m_mutex) != 0) return false;
    m_owner.store(self);
    m_owned.store(true);
    m_depth = 0;
    return true;
}

void KIT_Mutex::Leave() {
    if (--m_depth < 0) {
        m_owned.store(false);
        pthread_mutex_unlock(&m_mutex);
    }
}

int KIT_Mutex::LeaveAll() {
    if (!m_owned.load() || !pthread_equal(m_owner.load(), pthread_self())) return 0;
    const int entries = m_depth + 1;
    m_depth = 0;
    Leave();
    return entries;
}

void KIT_Mutex::EnterTimes(int entries) {
    for (int i = 0; i < entries; ++i) Enter();
}
