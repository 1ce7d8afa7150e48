// Closing the external input while the MIDI library's thread is inside the plug-in's callback.

#include "tests/external_midi/ExternalMIDIFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// A plug-in whose input callback holds each message: it tells that it has one, takes the plug
// lock and keeps it until the test lets the message go.
class HoldingEffect : public testsupport::TestVSTEffect {
public:
    HoldingEffect() : TestVSTEffect(nullptr) {}
    ~HoldingEffect() override { Release(); }

    void ProcessMidiMsg(IMidiMsg*, bool) override {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_late += m_closed;
        ++m_entered;
        m_changed.notify_all();
        lock.unlock();
        KIT_MutexLock plugLock(GetMutex());
        lock.lock();
        m_changed.wait(lock, [&] { return m_released; });
        ++m_finished;
    }
    // Sends notes from the peer until one is held in the callback.
    bool FeedUntilHeld(ChildProcess& sender) {
        std::string line;
        for (int i = 0; i < kProbeTries; ++i) {
            if (!sender.WriteLine("90 3C 64") || !sender.ReadLine(&line, kWaitMs)) return false;
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_changed.wait_for(lock, std::chrono::milliseconds(kProbeWaitMs),
                                   [&] { return m_entered > 0; }))
                return true;
        }
        return false;
    }
    void Release() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }
    // Closes the input and notes how many held messages had finished by then.
    void CloseInput() {
        int none = 0;
        setExternalMIDIIn(none, nullptr);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
        m_finishedAtClose = m_finished;
    }
    bool Closed() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_closed;
    }
    // Every message that entered had finished when the close returned; none entered after.
    void ExpectQuietAfterClose() {
        std::lock_guard<std::mutex> lock(m_mutex);
        EXPECT_EQ(m_finishedAtClose, m_entered);
        EXPECT_EQ(m_late, 0);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_released = false, m_closed = false;
    int m_entered = 0, m_finished = 0, m_finishedAtClose = -1, m_late = 0;
};

class InputClose : public ExternalMIDI {
protected:
    void SetUp() override {
        ExternalMIDI::SetUp();
        if (IsSkipped()) return;
        sender = peer("send", "h", "out");
        plug.getExternalMIDIInNames();
        int selection = 1;
        plug.setExternalMIDIIn(selection, portOf("h", "out").c_str());
        ASSERT_GT(selection, 0);
    }
    std::unique_ptr<ChildProcess> sender;
    HoldingEffect plug;
};

TEST_F(InputClose, FromAnotherThreadWaitsForTheCallbackInFlight) {
    ASSERT_TRUE(plug.FeedUntilHeld(*sender));
    std::thread closer([&] { plug.CloseInput(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(plug.Closed());
    plug.Release();
    closer.join();
    plug.ExpectQuietAfterClose();
}

// The closing thread holds the plug lock that the callback in flight waits for.
TEST_F(InputClose, UnderThePlugLockLetsTheCallbackFinish) {
    plug.Release();
    KIT_Mutex* lock = plug.GetMutex();
    lock->EnterTimes(2);
    ASSERT_TRUE(plug.FeedUntilHeld(*sender));
    plug.CloseInput();
    plug.ExpectQuietAfterClose();
    EXPECT_EQ(lock->LeaveAll(), 2); // both entries taken back
}

} // namespace
