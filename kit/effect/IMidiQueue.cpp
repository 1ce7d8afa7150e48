#include "kit/effect/IMidiQueue.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kPageMsgs = 4096 / int(sizeof(IMidiMsg)); // 512

// n rounded up to whole pages of messages; -1 when that leaves the int range.
int roundToPages(int n) {
    const long long r = (static_cast<long long>(n) + kPageMsgs - 1) / kPageMsgs * kPageMsgs;
    return r > INT_MAX / int(sizeof(IMidiMsg)) ? -1 : int(r);
}

} // namespace

IMidiQueue::IMidiQueue(int growStep) : m_grow(growStep > 0 ? growStep : 0) {
    if (m_grow > 0) reallocate(m_grow);
}

IMidiQueue::~IMidiQueue() {
    free(m_buf);
}

bool IMidiQueue::reallocate(int capacity) {
    if (capacity == 0) {
        free(m_buf);
        m_buf = nullptr;
        m_size = 0;
        return true;
    }
    void* p = realloc(m_buf, size_t(capacity) * sizeof(IMidiMsg));
    if (!p) return false;
    m_buf = static_cast<IMidiMsg*>(p);
    m_size = capacity;
    return true;
}

void IMidiQueue::compact() {
    if (m_front == 0) return;
    const int n = m_back - m_front;
    if (n > 0) memmove(m_buf, m_buf + m_front, size_t(n) * sizeof(IMidiMsg));
    m_back = n;
    m_front = 0;
}

void IMidiQueue::Add(const IMidiMsg* msg) {
    if (!msg) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_back >= m_size) {
        if (m_front > 0) {
            compact();
        } else {
            if (m_grow <= 0) return;
            const long long want = (static_cast<long long>(m_size) / m_grow + 1) * m_grow;
            if (want > INT_MAX / int(sizeof(IMidiMsg)) || !reallocate(int(want))) return;
        }
    }
    int at = m_back;
    // Walk back past every pending message later than this one; equal offsets keep their order.
    while (at > m_front && msg->offset < m_buf[at - 1].offset)
        --at;
    if (at < m_back) memmove(m_buf + at + 1, m_buf + at, size_t(m_back - at) * sizeof(IMidiMsg));
    m_buf[at] = *msg;
    ++m_back;
}

void IMidiQueue::Resize(int blockSize) {
    std::lock_guard<std::mutex> lock(m_mutex);
    compact();
    const int grow = roundToPages(blockSize > 0 ? blockSize : 0);
    if (grow < 0) return;
    m_grow = grow;
    int target = grow;
    if (target < m_back) target = roundToPages(m_back);
    if (target != m_size) reallocate(target);
}

int IMidiQueue::ToDo() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_back - m_front;
}

int IMidiQueue::GetSize() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_size;
}

int IMidiQueue::GetGrowStep() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_grow;
}

const IMidiMsg* IMidiQueue::Block::Peek() const {
    if (!Locked() || m_q.m_front >= m_q.m_back) return nullptr;
    return m_q.m_buf + m_q.m_front;
}

void IMidiQueue::Block::Remove() {
    if (Locked() && m_q.m_front < m_q.m_back) ++m_q.m_front;
}

void IMidiQueue::Block::Flush(int nFrames) {
    if (!Locked()) return;
    m_q.compact();
    for (int i = 0; i < m_q.m_back; ++i)
        m_q.m_buf[i].offset -= nFrames;
}
