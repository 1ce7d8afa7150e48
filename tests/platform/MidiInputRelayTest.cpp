// The hand-over of received MIDI from the library's thread to the input's own thread.

#include "platform/midi/MidiBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace {

using Bytes = std::vector<unsigned char>;

// A receiver that keeps what it got and waits in its first call until let go.
struct HeldReceiver {
    std::mutex mutex;
    std::condition_variable changed;
    bool held = true;
    std::vector<Bytes> got;
    size_t finished = 0;

    void receive(const Bytes& message) {
        std::unique_lock<std::mutex> lock(mutex);
        got.push_back(message);
        changed.notify_all();
        changed.wait(lock, [&] { return !held; });
        ++finished;
    }
    bool allFinished() {
        std::lock_guard<std::mutex> lock(mutex);
        return finished == got.size();
    }
    void waitFor(size_t count) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return got.size() >= count; });
    }
    void letGo() {
        std::lock_guard<std::mutex> lock(mutex);
        held = false;
        changed.notify_all();
    }
};

// The library's thread hands messages over while the receiver is held: none waits for it, and
// all arrive whole and in order once it goes on (a SysEx with bytes >= 0x80 inside among them).
TEST(MidiInputRelay, TheLibrarysThreadNeverWaitsForTheReceiver) {
    HeldReceiver receiver;
    const std::vector<Bytes> sent = {{0x90, 0x3C, 0x64},
                                     {0xF0, 0x3E, 0x0F, 0x00, 0x10, 0x00, 0x63, 0x7F, 0xF7},
                                     {0xB0, 0x07, 0x7F},
                                     {0xFF}};
    {
        platform::MidiInputRelay relay([&](const Bytes& m) { receiver.receive(m); });
        std::promise<void> handedOver;
        std::thread library([&] {
            for (Bytes m : sent)
                platform::MidiInputRelay::Callback(0.0, &m, &relay);
            Bytes empty;
            platform::MidiInputRelay::Callback(0.0, &empty, &relay); // nothing to hand over
            handedOver.set_value();
        });
        EXPECT_EQ(handedOver.get_future().wait_for(std::chrono::seconds(5)),
                  std::future_status::ready);
        receiver.letGo();
        library.join();
        receiver.waitFor(sent.size());
    }
    EXPECT_EQ(receiver.got, sent);
}

// A receiver held while more than the ring holds arrives: what found no room is dropped and
// its count is reported once, after the messages that came through.
TEST(MidiInputRelay, WhatTheRingCannotHoldIsDroppedAndCounted) {
    HeldReceiver receiver;
    std::atomic<size_t> reports{0}, reported{0};
    constexpr size_t kDump = 65532; // with its length, 1/16 of the ring
    {
        platform::MidiInputRelay relay([&](const Bytes& m) { receiver.receive(m); },
                                       [&](size_t dropped) {
                                           reported += dropped;
                                           ++reports;
                                       });
        Bytes first = {0x90, 0x3C, 0x64};
        platform::MidiInputRelay::Callback(0.0, &first, &relay);
        receiver.waitFor(1); // held in its call: everything after waits in the ring
        Bytes dump(kDump, 0x7F);
        for (int i = 0; i < 16 + 3; ++i)
            platform::MidiInputRelay::Callback(0.0, &dump, &relay);
        receiver.letGo();
        receiver.waitFor(1 + 16);
        for (int i = 0; i < 500 && reports == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(receiver.got.size(), 1u + 16u);
    EXPECT_EQ(reports, 1u);
    EXPECT_EQ(reported, 3u);
}

// Ending while the receiver is in a call waits for that call to return.
TEST(MidiInputRelay, EndingWaitsForTheCallInFlight) {
    HeldReceiver receiver;
    auto relay =
        std::make_unique<platform::MidiInputRelay>([&](const Bytes& m) { receiver.receive(m); });
    for (Bytes m : {Bytes{0x90, 0x3C, 0x64}, Bytes{0x80, 0x3C, 0x00}})
        platform::MidiInputRelay::Callback(0.0, &m, relay.get());
    receiver.waitFor(1);
    bool finishedAtEnd = false;
    std::thread ending([&] {
        relay.reset();
        finishedAtEnd = receiver.allFinished();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // an end that did not wait ends now
    receiver.letGo();
    ending.join();
    EXPECT_TRUE(finishedAtEnd);
}

} // namespace
