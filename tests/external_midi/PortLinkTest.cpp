// The plug-in's ports while the studio changes under them: a peer that reopens its ports, a
// port that is listed but refused, ports that come and go while one is open, and a client name
// taken by a program of the user on another JACK server.

#include "tests/external_midi/ExternalMIDIFixture.h"
#include "tests/support/OwnJackServer.h"
#include "tests/support/XHostWindow.h"

#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace {

// Counts the short messages its input hands over and keeps what its ports log.
class FollowingEffect : public testsupport::TestVSTEffect {
public:
    FollowingEffect() : TestVSTEffect(nullptr) {}
    ~FollowingEffect() override {
        // Neither the watch nor the input may reach what goes first.
        stopExternalMIDIWatch();
        int none = 0;
        setExternalMIDIIn(none, nullptr);
    }
    void ProcessMidiMsg(IMidiMsg*, bool) override { ++received; }
    std::vector<std::string> Logged() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_logged;
    }
    bool Offers(const std::string& port) {
        KIT_MutexLock lock(GetMutex());
        const IParam* menu = GetParam(0);
        for (int i = 0; i < menu->GetNDisplayTexts(); ++i)
            if (menu->GetDisplayTextAtIdx(i) == port) return true;
        return false;
    }
    bool Lists(const std::string& port) {
        KIT_MutexLock lock(GetMutex());
        const std::vector<std::string>& names = getExternalMIDIOutNames();
        return std::find(names.begin(), names.end(), port) != names.end();
    }
    bool OutputOpen() {
        KIT_MutexLock lock(GetMutex());
        return openExternalMIDIPort(false) > 0;
    }
    std::atomic<int> received{0};

protected:
    void LogExternalMIDI(const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_logged.push_back(text);
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_logged;
};

void reopen(ChildProcess& peer) {
    std::string line;
    ASSERT_TRUE(peer.WriteLine("reopen"));
    // What it received before is behind it.
    while (peer.ReadLine(&line, kWaitMs) && line != "reopened") {
    }
    ASSERT_EQ(line, "reopened");
}

// True once a probe from the plug-in's output has reached the peer; sends fail meanwhile while
// the port is taken again.
bool outputReaches(FollowingEffect& plug, ChildProcess& receiver) {
    std::string line;
    for (int i = 0; i < kProbeTries; ++i) {
        plug.SendMidiSysex2({0xFE});
        if (receiver.ReadLine(&line, kProbeWaitMs) && line == kOutProbe) return true;
    }
    return false;
}

// True once a note from the peer's output has reached the plug-in.
bool inputRouted(FollowingEffect& plug, ChildProcess& sender) {
    std::string line;
    for (int i = 0; i < kProbeTries; ++i) {
        const int before = plug.received;
        if (!sender.WriteLine("90 3C 64") || !sender.ReadLine(&line, kWaitMs)) return false;
        if (testsupport::WaitUntil([&] { return plug.received > before; }, kProbeWaitMs))
            return true;
    }
    return false;
}

} // namespace

// A peer that closes its ports and opens them again at once, ten times over: after every bounce
// the plug-in's output reaches it again and its input hears it again, with no menu opened.
TEST_F(ExternalMIDI, PortsOfAPeerThatReopensThemAreConnectedAgainAfterEveryBounce) {
    auto receiver = peer("receive", "b", "in");
    auto sender = peer("send", "c", "out");
    FollowingEffect plug;
    int out = 1, in = 1;
    plug.setExternalMIDIOut(out, portOf("b", "in").c_str());
    plug.setExternalMIDIIn(in, portOf("c", "out").c_str());
    ASSERT_GT(out, 0);
    ASSERT_GT(in, 0);
    for (int bounce = 0; bounce <= 10; ++bounce) {
        if (bounce > 0) {
            reopen(*receiver);
            reopen(*sender);
        }
        EXPECT_TRUE(outputReaches(plug, *receiver)) << "bounce " << bounce;
        EXPECT_TRUE(inputRouted(plug, *sender)) << "bounce " << bounce;
    }
}

// An awaited port that is listed but cannot open (the server's port table is full) opens once
// there is room, though no MIDI port came or went meanwhile.
TEST_F(ExternalMIDI, AnAwaitedPortRefusedWhileListedOpensOnceThereIsRoom) {
    testsupport::OwnJackServer server("room");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    auto receiver = peer("receive", "m", "in");
    const std::string port = portOf("m", "in");
    FollowingEffect plug;
    // Its ports are registered before it could run: libjack's thread walks an active client's.
    jack_client_t* filler = jack_client_open(client("filler").c_str(), JackNoStartServer, nullptr);
    ASSERT_TRUE(filler);
    for (int n = 0; jack_port_register(filler, ("f" + std::to_string(n)).c_str(),
                                       JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
         ++n) {
    }
    int out = 1;
    plug.setExternalMIDIOut(out, port.c_str());
    EXPECT_EQ(out, 0);
    ASSERT_TRUE(plug.Lists(port));
    {
        KIT_MutexLock lock(plug.GetMutex());
        plug.awaitExternalMIDI(false, port);
    }
    // The plug-in's watch has tried it, and been refused, by itself.
    const auto refusals = [&] {
        const std::vector<std::string> logged = plug.Logged();
        return std::count(logged.begin(), logged.end(), "JACK refused the port \"RtMidi Output\"");
    };
    ASSERT_TRUE(testsupport::WaitUntil([&] { return refusals() >= 2; }, kWaitMs));
    jack_client_close(filler);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return plug.OutputOpen(); }, kWaitMs));
    EXPECT_TRUE(outputRouted(plug, *receiver));
}

// With a port open, the device menu offers a port that came later as it opens, and no longer
// offers one that went.
TEST_F(ExternalMIDI, TheMenusFollowThePortsWhileAPortIsOpen) {
    auto receiver = peer("receive", "o", "in");
    FollowingEffect plug;
    plug.AttachExternalMIDIMenu(0, false);
    int out = 1;
    plug.setExternalMIDIOut(out, portOf("o", "in").c_str());
    ASSERT_GT(out, 0);
    auto later = peer("receive", "l", "in");
    const std::string port = portOf("l", "in");
    // The plug-in's own watch has seen it before the menu opens.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return plug.Lists(port); }, kWaitMs));
    plug.OnParamPrompt(0);
    EXPECT_TRUE(plug.Offers(port));
    ASSERT_EQ(later->Finish(nullptr, kWaitMs), 0);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !plug.Lists(port); }, kWaitMs));
    plug.OnParamPrompt(0);
    EXPECT_FALSE(plug.Offers(port));
}

// A program of the user opens and closes a client named as the plug-in's output on another
// JACK server, again and again; libjack names a client's socket by client name alone, so some
// opens of the plug-in's output meet it. Every open succeeds all the same, under a numbered
// name when it must, and says which. A suite of its own, which ThreadSanitizer does not run.
class ClientNameStorm : public ExternalMIDI {};

TEST_F(ClientNameStorm, AClientNameTakenOnAnotherServerOpensNumberedAndSaysSo) {
    const std::string shared = getenv("JACK_DEFAULT_SERVER");
    testsupport::OwnJackServer other("clash");
    if (!other.Missing().empty()) GTEST_SKIP() << other.Missing();
    setenv("JACK_DEFAULT_SERVER", shared.c_str(), 1);
    auto receiver = peer("receive", "n", "in");
    FollowingEffect plug;
    ChildProcess storm({ZOZ_MIDI_PEER_PATH, "clients", "Zoz Editor Out", other.Name()});
    std::string line;
    ASSERT_TRUE(storm.ReadLine(&line, kWaitMs) && line == "ready") << line;
    for (int i = 0; i < 50; ++i) {
        int out = 1;
        plug.setExternalMIDIOut(out, portOf("n", "in").c_str());
        EXPECT_GT(out, 0) << "open " << i;
        out = 0;
        plug.setExternalMIDIOut(out, nullptr);
    }
    const std::string renamed = "the JACK client \"Zoz Editor Out\" opened as \"Zoz Editor Out-0";
    for (const std::string& logged : plug.Logged()) {
        if (logged.rfind("the JACK client", 0) != 0) continue;
        EXPECT_EQ(logged.substr(0, renamed.size()), renamed);
        EXPECT_EQ(logged.size(), renamed.size() + 2) << logged;
    }
}
