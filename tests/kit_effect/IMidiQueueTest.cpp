#include "kit/effect/IMidiQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

// The tag rides in the data bytes, 15 bits of it.
void add(IMidiQueue& q, int offset, int tag = 0) {
    const IMidiMsg m(offset, 0x90, uint8_t(tag & 0x7F), uint8_t(tag >> 7));
    q.Add(&m);
}

// One audio block as the plug-in's timing loop runs it: each message due at a position is
// handed on (as its position and tag) and removed, then the rest are flushed.
std::vector<std::pair<int, int>> drainBlock(IMidiQueue& q, int nFrames) {
    std::vector<std::pair<int, int>> out;
    IMidiQueue::Block block(q);
    for (int s = 0; s < nFrames; ++s)
        for (const IMidiMsg* m; (m = block.Peek()) && m->offset <= s; block.Remove())
            out.emplace_back(s, m->data1 | m->data2 << 7);
    block.Flush(nFrames);
    return out;
}

using Drained = std::vector<std::pair<int, int>>;

} // namespace

TEST(IMidiQueue, DrainsInOffsetOrderAndLateMessagesMoveToTheNextBlock) {
    IMidiQueue q;
    for (auto [offset, tag] : Drained{{5, 1}, {3, 2}, {3, 3}, {9, 4}, {-4, 5}, {700, 6}, {18, 7}})
        add(q, offset, tag);
    EXPECT_EQ(drainBlock(q, 16), (Drained{{0, 5}, {3, 2}, {3, 3}, {5, 1}, {9, 4}}));
    EXPECT_EQ(drainBlock(q, 512), (Drained{{2, 7}})); // 18 in a block of 16 comes out at 2
    EXPECT_TRUE(drainBlock(q, 100).empty());
    IMidiQueue::Block b(q);
    ASSERT_NE(b.Peek(), nullptr);
    EXPECT_EQ(b.Peek()->offset, 700 - 16 - 512 - 100);
}

TEST(IMidiQueue, GrowsCompactsAndFollowsTheBlockSizeInWholePages) {
    IMidiQueue q;
    for (int i = 0; i < 1024; ++i)
        add(q, i);
    EXPECT_EQ(drainBlock(q, 10).size(), 10u);
    add(q, 5000); // room at the front: compacted, not grown
    EXPECT_EQ(q.GetSize(), 1024);
    for (int i = 0; i < 10; ++i)
        add(q, 5000);
    EXPECT_EQ(q.GetSize(), 2048);
    EXPECT_EQ(q.ToDo(), 1025);

    q.Resize(100); // a page holds 512 messages; the pending ones keep their room
    EXPECT_EQ(q.GetGrowStep(), 512);
    EXPECT_EQ(q.GetSize(), 1536);
    EXPECT_EQ(drainBlock(q, 6000).size(), 1025u);
    q.Resize(512);
    EXPECT_EQ(q.GetSize(), 512);
    q.Resize(0); // no grow step: what does not fit is dropped
    add(q, 1);
    EXPECT_EQ(q.GetSize() + q.ToDo(), 0);
}

TEST(IMidiQueue, AHeldQueueSkipsTheBlockWithOffsetsUnchanged) {
    IMidiQueue q;
    add(q, 2);
    IMidiQueue::Block producerSide(q); // stands for a producer in the middle of an add
    bool locked = true;
    std::thread audio([&] {
        IMidiQueue::Block block(q);
        locked = block.Locked();
        EXPECT_EQ(block.Peek(), nullptr);
        block.Flush(64);
    });
    audio.join();
    EXPECT_FALSE(locked);
    EXPECT_EQ(producerSide.Peek()->offset, 2);
}

// Producers on several threads, the audio thread draining blocks meanwhile: every message comes
// out exactly once, never before its due position, and in non-decreasing position order.
TEST(IMidiQueue, ManyProducersOneDrainer) {
    constexpr int kProducers = 4, kPerProducer = 5000, kBlock = 64;
    IMidiQueue q;
    q.Resize(kBlock);
    std::atomic<int> producing{kProducers};
    std::vector<std::thread> producers;
    for (int p = 0; p < kProducers; ++p)
        producers.emplace_back([&, p] {
            uint32_t seed = 77u + uint32_t(p);
            for (int i = 0; i < kPerProducer; ++i) {
                seed = seed * 1664525u + 1013904223u;
                add(q, int(seed >> 24) % (3 * kBlock), p * kPerProducer + i); // tag: identity
            }
            --producing;
        });
    std::vector<int> seen(kProducers * kPerProducer, 0);
    bool orderKept = true;
    // Producers finish, then at most a few more blocks empty the queue. A count of rounds would
    // end early on a loaded machine; an empty block lets the producers run.
    for (bool done = false; !done;) {
        const bool stillProducing = producing.load() > 0;
        int last = -1;
        const Drained block = drainBlock(q, kBlock);
        for (auto [position, tag] : block) {
            orderKept = orderKept && position >= last;
            last = position;
            ++seen[size_t(tag)];
        }
        if (block.empty()) std::this_thread::yield();
        done = !stillProducing && q.ToDo() == 0;
    }
    for (auto& t : producers)
        t.join();
    EXPECT_TRUE(orderKept);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), kProducers * kPerProducer);
}
