#include "kit/effect/IMidiQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

IMidiMsg msgAt(int offset, int tag = 0) {
    return IMidiMsg(offset, 0x90, uint8_t(tag & 0x7F), 0);
}

void add(IMidiQueue& q, int offset, int tag = 0) {
    const IMidiMsg m = msgAt(offset, tag);
    q.Add(&m);
}

struct Drained {
    int position;
    IMidiMsg msg;
};

// One audio block as the plug-in's timing loop runs it: every message due at each position is
// handed on and removed, then the rest are flushed. Empty result when the queue was held.
std::vector<Drained> drainBlock(IMidiQueue& q, int nFrames, bool* locked = nullptr) {
    std::vector<Drained> out;
    IMidiQueue::Block block(q);
    if (locked) *locked = block.Locked();
    for (int s = 0; s < nFrames; ++s) {
        while (const IMidiMsg* m = block.Peek()) {
            if (m->offset > s) break;
            out.push_back({s, *m});
            block.Remove();
        }
    }
    block.Flush(nFrames);
    return out;
}

} // namespace

TEST(IMidiQueue, DrainsInOffsetOrderEqualOffsetsInArrival) {
    IMidiQueue q;
    add(q, 5, 1);
    add(q, 3, 2);
    add(q, 3, 3);
    add(q, 9, 4);
    add(q, -4, 5);
    const auto out = drainBlock(q, 16);
    ASSERT_EQ(out.size(), 5u);
    const int tags[] = {5, 2, 3, 1, 4};
    const int positions[] = {0, 3, 3, 5, 9};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(out[i].msg.data1, tags[i]);
        EXPECT_EQ(out[i].position, positions[i]);
    }
    EXPECT_EQ(q.ToDo(), 0);
}

TEST(IMidiQueue, LateMessagesMoveToTheNextBlock) {
    IMidiQueue q;
    add(q, 700);
    add(q, 5);
    EXPECT_EQ(drainBlock(q, 3).size(), 0u);
    auto out = drainBlock(q, 512);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].position, 2); // 5 in a block of 3 comes out at 2 of the next
    out = drainBlock(q, 100);
    EXPECT_TRUE(out.empty());
    IMidiQueue::Block b(q);
    ASSERT_NE(b.Peek(), nullptr);
    EXPECT_EQ(b.Peek()->offset, 700 - 3 - 512 - 100);
}

TEST(IMidiQueue, GrowsOrCompactsWhenFull) {
    IMidiQueue grows;
    EXPECT_EQ(grows.GetSize(), 1024);
    for (int i = 0; i < 1025; ++i)
        add(grows, i);
    EXPECT_EQ(grows.GetSize(), 2048);
    EXPECT_EQ(grows.ToDo(), 1025);

    IMidiQueue compacts;
    for (int i = 0; i < 1024; ++i)
        add(compacts, i);
    EXPECT_EQ(drainBlock(compacts, 10).size(), 10u);
    add(compacts, 5000);
    EXPECT_EQ(compacts.GetSize(), 1024);
    EXPECT_EQ(compacts.ToDo(), 1015);
}

TEST(IMidiQueue, ResizeFollowsTheBlockSizeInWholePages) {
    IMidiQueue q;
    q.Resize(1024);
    EXPECT_EQ(q.GetSize(), 1024);
    q.Resize(512);
    EXPECT_EQ(q.GetSize(), 512);
    q.Resize(100);
    EXPECT_EQ(q.GetSize(), 512);
    EXPECT_EQ(q.GetGrowStep(), 512);
    for (int i = 0; i < 700; ++i)
        add(q, i);
    q.Resize(512);
    EXPECT_EQ(q.GetSize(), 1024); // the pending 700 keep their room
    EXPECT_EQ(q.ToDo(), 700);
    EXPECT_EQ(drainBlock(q, 700).size(), 700u);

    q.Resize(0); // no grow step: what does not fit is dropped
    EXPECT_EQ(q.GetGrowStep(), 0);
    EXPECT_EQ(q.GetSize(), 0);
    add(q, 1);
    EXPECT_EQ(q.ToDo(), 0);
}

TEST(IMidiQueue, AHeldQueueSkipsTheBlockWithOffsetsUnchanged) {
    IMidiQueue q;
    add(q, 2);
    IMidiQueue::Block producerSide(q); // stands for a producer in the middle of an add
    ASSERT_TRUE(producerSide.Locked());
    bool locked = true;
    std::thread audio([&] { EXPECT_TRUE(drainBlock(q, 64, &locked).empty()); });
    audio.join();
    EXPECT_FALSE(locked);
    EXPECT_EQ(producerSide.Peek()->offset, 2);
}

// Producers on several threads, the audio thread draining blocks meanwhile: every message comes
// out exactly once, never before its due position, and in non-decreasing position order.
TEST(IMidiQueue, ManyProducersOneDrainer) {
    constexpr int kProducers = 4;
    constexpr int kPerProducer = 5000;
    constexpr int kBlock = 64;
    IMidiQueue q;
    q.Resize(kBlock);
    std::atomic<int> producing{kProducers};
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p)
        producers.emplace_back([&, p] {
            uint32_t seed = 77u + uint32_t(p);
            for (int i = 0; i < kPerProducer; ++i) {
                seed = seed * 1664525u + 1013904223u;
                // The message's identity rides in its bytes: producer in status, index in data.
                IMidiMsg m(int(seed >> 24) % (3 * kBlock), uint8_t(0x90 | p), uint8_t(i & 0x7F),
                           uint8_t(i >> 7));
                q.Add(&m);
            }
            --producing;
        });

    std::vector<std::vector<bool>> seen(kProducers, std::vector<bool>(kPerProducer, false));
    int total = 0;
    bool orderKept = true;
    bool duplicate = false;
    // Bounded: producers finish, then at most a few more blocks empty the queue.
    for (int round = 0; round < 1000000 && total < kProducers * kPerProducer; ++round) {
        const bool stillProducing = producing.load() > 0;
        int last = -1;
        for (const Drained& d : drainBlock(q, kBlock)) {
            if (d.position < last) orderKept = false;
            last = d.position;
            const int p = d.msg.status & 0x0F;
            const int i = d.msg.data1 | d.msg.data2 << 7;
            if (seen[p][i]) duplicate = true;
            seen[p][i] = true;
            ++total;
        }
        if (!stillProducing && q.ToDo() == 0) break;
    }
    for (auto& t : producers)
        t.join();
    EXPECT_TRUE(orderKept);
    EXPECT_FALSE(duplicate);
    EXPECT_EQ(total, kProducers * kPerProducer);
}
