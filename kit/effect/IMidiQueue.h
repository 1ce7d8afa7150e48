#pragma once

#include "kit/effect/IMidiMsg.h"

#include <mutex>

// Short messages waiting for their sample offset, kept in offset order (equal offsets in the
// order they were added). Producers add on any thread; the audio thread drains one block at a
// time through a Block. One short mutex guards every operation. Adding and draining never
// shrink the buffer, so the audio thread normally runs without allocating.
class IMidiQueue {
public:
    // The first growStep slots are allocated at once (or on the first add, when that fails).
    explicit IMidiQueue(int growStep = 1024);
    ~IMidiQueue();
    IMidiQueue(const IMidiQueue&) = delete;
    IMidiQueue& operator=(const IMidiQueue&) = delete;

    // Dropped silently when there is no room and none can be had.
    void Add(const IMidiMsg* msg);
    // Sizes the queue for a block of blockSize samples: the grow step becomes blockSize rounded
    // up to whole 4096-byte pages of messages, and the capacity that step, or the pending
    // messages rounded up the same way when they are more. A failed allocation keeps the buffer.
    void Resize(int blockSize);

    int ToDo() const;    // pending messages
    int GetSize() const; // capacity in messages
    int GetGrowStep() const;

    // The audio thread's hold on the queue for one block, taken with a try-lock: while a
    // producer holds the queue the block drains nothing and pending offsets stay as they are,
    // so those messages come out in the next block. A Block must not add to its own queue.
    class Block {
    public:
        explicit Block(IMidiQueue& q) : m_q(q), m_lock(q.m_mutex, std::try_to_lock) {}
        bool Locked() const { return m_lock.owns_lock(); }
        // The first pending message, or null when there is none (or no lock).
        const IMidiMsg* Peek() const;
        void Remove();
        // End of block: pending messages move to the front and lose nFrames from their offsets.
        void Flush(int nFrames);

    private:
        IMidiQueue& m_q;
        std::unique_lock<std::mutex> m_lock;
    };

private:
    void compact();
    bool reallocate(int capacity);

    mutable std::mutex m_mutex;
    IMidiMsg* m_buf = nullptr;
    int m_size = 0; // capacity
    int m_grow;
    int m_front = 0;
    int m_back = 0;
};
