// The plug-in's ports while the studio changes under them: a peer that reopens its ports, a
// port that is listed but refused, ports that come and go while one is open, a client name
// taken by a program of the user on another JACK server, and a server's passing error.

#include "tests/external_midi/ExternalMIDIFixture.h"
#include "tests/support/OwnJackServer.h"
#include "tests/support/XHostWindow.h"

#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <dlfcn.h>
#include <functional>
#include <mutex>
#include <thread>

namespace {

// Errors of the JACK server that the next opens of a client of one name meet, as a passing
// error would; every other open is libjack's own.
struct Refusals {
    std::mutex lock;
    std::string name;
    int left = 0;
    int given = 0;
} g_refusals;

void refuseOpens(const std::string& name, int count) {
    std::lock_guard<std::mutex> lock(g_refusals.lock);
    g_refusals.name = name;
    g_refusals.left = count;
    g_refusals.given = 0;
}

int refused() {
    std::lock_guard<std::mutex> lock(g_refusals.lock);
    return g_refusals.given;
}

} // namespace

// The process's libjack open, the refusals aside.
extern "C" jack_client_t* jack_client_open(const char* name, jack_options_t options,
                                           jack_status_t* status, ...) {
    {
        std::lock_guard<std::mutex> lock(g_refusals.lock);
        if (g_refusals.left > 0 && g_refusals.name == name) {
            --g_refusals.left;
            ++g_refusals.given;
            if (status) *status = jack_status_t(JackFailure | JackServerError);
            return nullptr;
        }
    }
    using Open = jack_client_t* (*)(const char*, jack_options_t, jack_status_t*, ...);
    static const auto open = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "jack_client_open"));
    if (!(options & JackServerName)) return open(name, options, status);
    va_list more;
    va_start(more, status);
    const char* server = va_arg(more, const char*);
    va_end(more);
    return open(name, options, status, server);
}

namespace {

// Counts the short messages its input hands over and keeps what its ports log.
class FollowingEffect : public testsupport::TestVSTEffect {
public:
    explicit FollowingEffect(const char* name = kName) : TestVSTEffect(nullptr, named(name)) {}
    ~FollowingEffect() override {
        // Neither the watch nor the input may reach what goes first.
        stopExternalMIDIWatch();
        int none = 0;
        setExternalMIDIIn(none, nullptr);
    }
    void ProcessMidiMsg(IMidiMsg*, bool) override { ++received; }
    // Whether the input chosen is the port named, and none is awaited for it.
    bool InputIs(const std::string& port) {
        KIT_MutexLock lock(GetMutex());
        return openedExternalMIDI(true) == port && awaitedExternalMIDI(true).empty();
    }
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
    std::atomic<int> changes{0}; // what the watch changed, counted as it ends each change

protected:
    void OnExternalMIDIChanged(bool) override { ++changes; }
    void LogExternalMIDI(const std::string& text) override {
        std::function<void()> kept;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_logged.push_back(text);
            if (text.find(" messages were not sent: ") != std::string::npos) kept = m_onKept;
        }
        if (kept) kept();
    }

public:
    // Run inside a close of the output that tells of messages the server did not take.
    void OnKept(std::function<void()> run) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_onKept = std::move(run);
    }

private:
    static Options named(const char* name) {
        Options options;
        options.name = name;
        return options;
    }

    std::mutex m_mutex;
    std::vector<std::string> m_logged;
    std::function<void()> m_onKept;
};

// Holds the first message its input hands over inside the callback until let go: closing the
// input then waits for it, without the plug lock.
class HoldingEffect : public FollowingEffect {
public:
    ~HoldingEffect() override { LetGo(); }
    void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) override {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_held = true;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return m_free; });
        }
        FollowingEffect::ProcessMidiMsg(msg, fromHardware);
    }
    // Notes from the peer until one is held.
    bool Holds(ChildProcess& sender) {
        std::string line;
        for (int i = 0; i < kProbeTries; ++i) {
            if (!sender.WriteLine("90 3C 64") || !sender.ReadLine(&line, kWaitMs)) return false;
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_changed.wait_for(lock, std::chrono::milliseconds(kProbeWaitMs),
                                   [&] { return m_held; }))
                return true;
        }
        return false;
    }
    void LetGo() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_free = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false, m_free = false;
};

// Messages sent while the server stands still, 50 ms apart: they leave with that spacing once it
// runs again, so the output's next close, a few cycles later, still holds some.
void keepInOutput(testsupport::OwnJackServer& server, FollowingEffect& plug) {
    server.Hold(true);
    for (int i = 0; i < 20; ++i) {
        plug.SendMidiSysex2({0xFE});
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    server.Hold(false);
}

// A plug-in named for this test process alone, whose client names no plug-in of a run beside
// on another JACK server holds.
std::string ownName() {
    return "Zoz Test " + std::to_string(getpid());
}

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

// The output moves between two synthesizers six times, the input chosen as none: the port watch
// follows the ports throughout with the one client it opened, as a choice costs the host's JACK
// graph the port's own client and no more (a watch that ended while the old port closed came
// back with a new, activated client).
TEST_F(ExternalMIDI, ChoosingAnotherPortKeepsTheWatchsClient) {
    auto first = peer("receive", "w1", "in");
    auto second = peer("receive", "w2", "in");
    const std::string name = ownName();
    jack_client_t* looker = jack_client_open(client("look").c_str(), JackNoStartServer, nullptr);
    ASSERT_TRUE(looker);
    const auto watch = [&] {
        char* uuid = jack_get_uuid_for_client_name(looker, name.c_str());
        const std::string named = uuid ? uuid : "";
        jack_free(uuid);
        return named;
    };
    {
        FollowingEffect plug(name.c_str());
        std::string watching;
        for (int choice = 0; choice <= 6; ++choice) {
            int out = 1;
            plug.setExternalMIDIOut(out, portOf(choice % 2 ? "w2" : "w1", "in").c_str());
            ASSERT_GT(out, 0) << "choice " << choice;
            EXPECT_TRUE(outputRouted(plug, choice % 2 ? *second : *first)) << "choice " << choice;
            if (choice == 0) {
                ASSERT_TRUE(testsupport::WaitUntil([&] { return !(watching = watch()).empty(); },
                                                   kWaitMs));
            }
        }
        EXPECT_EQ(watch(), watching);
    }
    jack_client_close(looker);
}

// The input's peer ends while a message is held in the input's callback: the port watch closes
// the input, and waits for the callback without the plug lock. Meanwhile another port is chosen
// for the input, as the device menu does. The choice stands: the watch, done, neither awaits the
// port that went nor takes the input from the port chosen.
TEST_F(ExternalMIDI, AChoiceMadeWhileTheWatchClosesALostPortStands) {
    auto lost = peer("send", "x", "out");
    auto chosen = peer("send", "y", "out");
    HoldingEffect plug;
    int in = 1;
    plug.setExternalMIDIIn(in, portOf("x", "out").c_str());
    ASSERT_GT(in, 0);
    ASSERT_TRUE(plug.Holds(*lost));
    ASSERT_EQ(lost->Finish(nullptr, kWaitMs), 0);
    // The watch's close has begun: the input takes nothing more.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !plug.isExternalMIDIInOpen(); }, kWaitMs));
    const int changes = plug.changes;
    std::atomic<bool> choosing{false};
    int choice = 0;
    std::thread menu([&] {
        KIT_MutexLock lock(plug.GetMutex());
        choosing = true;
        plug.awaitExternalMIDI(true, "");
        choice = 1;
        plug.setExternalMIDIIn(choice, portOf("y", "out").c_str());
    });
    ASSERT_TRUE(testsupport::WaitUntil([&] { return bool(choosing); }, kWaitMs));
    {
        // Had once the choice lets go of it to wait for the watch's close.
        KIT_MutexLock lock(plug.GetMutex());
    }
    plug.LetGo();
    menu.join();
    EXPECT_GT(choice, 0);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return plug.changes > changes; }, kWaitMs));
    EXPECT_TRUE(plug.InputIs(portOf("y", "out")));
    EXPECT_TRUE(inputRouted(plug, *chosen));
}

// A port change lets go of the plug lock while the old port's client closes (the server taking
// what it still holds), and so does replacing the output by a virtual one. A port listed before
// the new one goes meanwhile and a menu opened takes the lists without it: the selection is the
// new port's place in those lists.
TEST_F(ExternalMIDI, APortChangeAndAVirtualOutputCloseTheOldPortWithoutThePlugLock) {
    testsupport::OwnJackServer server("drain");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    auto first = peer("receive", "a", "in");
    auto gone = peer("receive", "g", "in");
    auto second = peer("receive", "b", "in");
    FollowingEffect plug;
    plug.AttachExternalMIDIMenu(0, false);
    int out = 1;
    plug.setExternalMIDIOut(out, portOf("a", "in").c_str());
    ASSERT_GT(out, 0);
    ASSERT_TRUE(outputReaches(plug, *first));
    keepInOutput(server, plug);
    plug.OnKept([&] {
        EXPECT_EQ(gone->Finish(nullptr, kWaitMs), 0);
        // The menu opens on the editor's thread; the watch waits for the change.
        const auto menuLooks = [&] {
            bool listed = true;
            std::thread([&] {
                plug.OnParamPrompt(0);
                listed = plug.Lists(portOf("g", "in"));
            }).join();
            return !listed;
        };
        EXPECT_TRUE(testsupport::WaitUntil(menuLooks, kWaitMs));
    });
    out = 1;
    plug.setExternalMIDIOut(out, portOf("b", "in").c_str());
    EXPECT_EQ(out, plug.getExternalMIDIOutDevice(portOf("b", "in").c_str()));
    ASSERT_TRUE(outputReaches(plug, *second));

    keepInOutput(server, plug);
    std::atomic<int> held{-1};
    plug.OnKept([&] {
        held = plug.GetMutex()->LeaveAll();
        plug.GetMutex()->EnterTimes(held);
    });
    ASSERT_TRUE(plug.initializeVirtualOutput("Zoz " + std::to_string(getpid())));
    EXPECT_EQ(held, 0);
    EXPECT_FALSE(plug.OutputOpen()); // no port of the lists
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
    const std::string name = ownName(), out = name + " Out";
    FollowingEffect plug(name.c_str());
    ChildProcess storm({ZOZ_MIDI_PEER_PATH, "clients", out, other.Name()});
    std::string line;
    ASSERT_TRUE(storm.ReadLine(&line, kWaitMs) && line == "ready") << line;
    for (int i = 0; i < 50; ++i) {
        int opened = 1;
        plug.setExternalMIDIOut(opened, portOf("n", "in").c_str());
        EXPECT_GT(opened, 0) << "open " << i;
        opened = 0;
        plug.setExternalMIDIOut(opened, nullptr);
    }
    const std::string renamed = "the JACK client \"" + out + "\" opened as \"" + out + "-0";
    const std::string why = "\": a client on the JACK server \"" + other.Name() + "\" holds \"";
    for (const std::string& logged : plug.Logged()) {
        if (logged.rfind("the JACK client", 0) != 0) continue;
        EXPECT_EQ(logged.substr(0, renamed.size()), renamed);
        EXPECT_EQ(logged.substr(renamed.size() + 1, why.size()), why) << logged;
    }
}

// A passing error of the server opens the port under its own name again, and so does a client
// of that name on another JACK server of the user that fails nothing: what a patchbay saved by
// name still matches. A name refused while such a client runs is numbered, and the log says
// why. An error that stays fails the port after a few tries.
TEST_F(ExternalMIDI, OnlyANameRefusedWhileHeldOnAnotherServerIsNumbered) {
    const std::string shared = getenv("JACK_DEFAULT_SERVER");
    testsupport::OwnJackServer other("held");
    if (!other.Missing().empty()) GTEST_SKIP() << other.Missing();
    setenv("JACK_DEFAULT_SERVER", shared.c_str(), 1);
    auto receiver = peer("receive", "h", "in");
    const std::string name = ownName(), out = name + " Out";
    FollowingEffect plug(name.c_str());
    const auto open = [&] {
        int opened = 1;
        plug.setExternalMIDIOut(opened, portOf("h", "in").c_str());
        return opened > 0;
    };
    const auto renames = [&] {
        std::vector<std::string> lines;
        for (const std::string& logged : plug.Logged())
            if (logged.rfind("the JACK client", 0) == 0) lines.push_back(logged);
        return lines;
    };

    refuseOpens(out, 1);
    EXPECT_TRUE(open());
    EXPECT_EQ(refused(), 1);
    // Another program's client: jackd2's libjack mixes up one process's clients of two servers.
    ChildProcess holder({ZOZ_MIDI_PEER_PATH, "hold", out, other.Name()});
    std::string line;
    ASSERT_TRUE(holder.ReadLine(&line, kWaitMs) && line == "ready") << line;
    EXPECT_TRUE(open());
    EXPECT_EQ(renames(), std::vector<std::string>{});

    refuseOpens(out, 1);
    EXPECT_TRUE(open());
    EXPECT_EQ(renames(), std::vector<std::string>{"the JACK client \"" + out + "\" opened as \"" +
                                                  out + "-01\": a client on the JACK server \"" +
                                                  other.Name() + "\" holds \"" + out + "\""});
    holder.CloseInput();
    ASSERT_EQ(holder.Finish(nullptr, kWaitMs), 0);

    refuseOpens(out, 1000);
    EXPECT_FALSE(open());
    EXPECT_GT(refused(), 1);
    EXPECT_LT(refused(), 10);
    refuseOpens("", 0);
}
