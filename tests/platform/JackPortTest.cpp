// The JACK output as the studio changes under it: a peer that goes, a close or a port change
// right after sends, and a server that ends and comes back.

#include "platform/midi/JackPort.h"
#include "platform/midi/JackServer.h"
#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiOutput.h"
#include "tests/platform/ToldErrors.h"
#include "tests/support/JackActivation.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/OwnJackServer.h"

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <array>
#include <atomic>
#include <chrono>
#include <dlfcn.h>
#include <future>
#include <memory>
#include <pthread.h>
#include <semaphore.h>
#include <thread>
#include <unistd.h>

namespace {

using platform::MidiSystem;
using testsupport::OwnClientName;

// A client of this process with one MIDI input port that counts the note-offs it receives
// and notes when the cycles that brought the first ones ran. Its client closes when it goes
// (or when the test resets it), so that no process callback outlives it; one whose server
// ended closes too, as libjack allows once it told the client so: by the server's exit it has.
struct Peer {
    jack_port_t* port = nullptr;
    std::atomic<int> noteOffs{0};
    std::array<std::atomic<int64_t>, 64> at{}; // steady clock, ns
    // Last, so that it closes first.
    std::unique_ptr<jack_client_t, int (*)(jack_client_t*)> client{nullptr, &jack_client_close};

    explicit Peer(const std::string& tag) {
        const std::string name = OwnClientName("zozpeer") + tag;
        client.reset(jack_client_open(name.c_str(), JackNoStartServer, nullptr));
        if (!client) return;
        port = jack_port_register(client.get(), "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client.get(), &process, this);
        testsupport::ActivateJackClient(client.get());
    }
    std::string Port() const { return jack_port_name(port); }
    static int process(jack_nframes_t frames, void* self) {
        auto* peer = static_cast<Peer*>(self);
        void* events = jack_port_get_buffer(peer->port, frames);
        const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                std::chrono::steady_clock::now().time_since_epoch())
                                .count();
        jack_midi_event_t event;
        for (uint32_t i = 0; i < jack_midi_get_event_count(events); ++i)
            if (jack_midi_event_get(&event, events, i) == 0 && event.size == 3 &&
                event.buffer[0] == 0x80) {
                const int n = peer->noteOffs++;
                if (n < int(peer->at.size())) peer->at[size_t(n)] = now;
            }
        return 0;
    }
};

// Whether, within 10 s, the server has no port whose name begins with `prefix`.
bool WaitUntilGone(const Peer& peer, const std::string& prefix) {
    for (int i = 0; i < 1000; ++i) {
        const char** ports = jack_get_ports(peer.client.get(), ("^" + prefix).c_str(), nullptr, 0);
        if (!ports) return true;
        jack_free(ports);
        usleep(10000);
    }
    return false;
}

bool sendNoteOff(platform::MidiOutput& out, int note) {
    const unsigned char off[3] = {0x80, static_cast<unsigned char>(note), 0};
    return out.Send(off, 3);
}

// Sends note-offs for up to 5 s until the peer has one: a new connection carries events from
// the server's next cycle on. Whether every send was taken.
bool reach(platform::MidiOutput& out, const Peer& peer, int note = 0) {
    bool sent = true;
    for (int i = 0; i < 500 && peer.noteOffs == 0; ++i) {
        sent = sendNoteOff(out, note) && sent;
        usleep(10000);
    }
    return sent;
}

// 40 note-offs right before a port change and 40 right before a close all arrive; a send
// after the peer went fails at once and says why.
TEST(JackOutput, WhatWasQueuedBeforeAPortChangeOrACloseArrivesAndAGonePeerFailsTheSend) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    Peer first("first"), second("second");
    ASSERT_TRUE(first.client && second.client);
    Told told;
    const auto out =
        platform::NewMidiOutput(MidiSystem::kJack, OwnClientName("zoz output test "), told.errors);
    ASSERT_TRUE(out->Open(first.Port(), "RtMidi Output"));
    reach(*out, first);
    ASSERT_GT(first.noteOffs, 0);
    const int before = first.noteOffs;
    for (int note = 0; note < 40; ++note)
        ASSERT_TRUE(sendNoteOff(*out, note));
    ASSERT_TRUE(out->Open(second.Port(), "RtMidi Output"));
    EXPECT_EQ(first.noteOffs - before, 40);
    reach(*out, second);
    const int reached = second.noteOffs;
    for (int note = 0; note < 40; ++note)
        ASSERT_TRUE(sendNoteOff(*out, note));
    out->Close();
    EXPECT_EQ(second.noteOffs - reached, 40);

    const std::string gone = first.Port();
    ASSERT_TRUE(out->Open(gone, "RtMidi Output"));
    first.client.reset();
    EXPECT_FALSE(sendNoteOff(*out, 1));
    EXPECT_EQ(told.Last(), "a message was not sent: the port \"" + gone + "\" is gone");
    second.client.reset();
}

// The server ends under an open output and a kept look: both learn of it, sends fail at once,
// a look while no server runs prints nothing, and after the server is back a look (which has
// libjack free the old server's clients) and then closing and reopening the output work.
TEST(JackOutput, AServerThatEndsFailsSendsAndItsReturnOpensTheOutputAgain) {
    testsupport::OwnJackServer server("end");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    Told told;
    const std::string name = OwnClientName("zoz server test ");
    const auto out = platform::NewMidiOutput(MidiSystem::kJack, name, told.errors);
    {
        Peer peer("p"); // goes with the server
        ASSERT_TRUE(peer.client);
        ASSERT_TRUE(out->Open(peer.Port(), "RtMidi Output"));
        ASSERT_TRUE(sendNoteOff(*out, 1));
        platform::MidiPortWatch watch(name + " look");
        EXPECT_EQ(watch.Look(MidiSystem::kJack).system, MidiSystem::kJack);
        // Waits with no time limit of its own: only the server's end wakes it.
        auto woken = std::async(std::launch::async, [&watch] { return watch.Wait(false); });
        server.Stop();
        const bool woke = woken.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        if (!woke) watch.Stop();
        EXPECT_TRUE(woke) << "the server's end woke no watch";
        const platform::MidiPorts ended = watch.Look(MidiSystem::kJack);
        EXPECT_EQ(ended.system, MidiSystem::kJack);
        EXPECT_EQ(ended.missing, "the JACK server ended");
        EXPECT_TRUE(ended.destinations.empty());
        EXPECT_FALSE(sendNoteOff(*out, 2));
        EXPECT_EQ(told.Last(), "a message was not sent: the JACK server ended");
    }
    // libjack says "Server is not running" as it lets go of the ended server's clients, which
    // the watch or else the next look does: they go first here.
    platform::JackClient::CloseEnded();
    testing::internal::CaptureStderr();
    EXPECT_EQ(platform::LookForMidiPorts(name, MidiSystem::kJack).system, MidiSystem::kNone);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    ASSERT_TRUE(server.Start());
    EXPECT_EQ(platform::LookForMidiPorts(name, MidiSystem::kJack).system, MidiSystem::kJack);
    out->Close();
    Peer again("again");
    ASSERT_TRUE(again.client);
    ASSERT_TRUE(out->Open(again.Port(), "RtMidi Output"));
    ASSERT_TRUE(reach(*out, again, 3));
    EXPECT_GT(again.noteOffs, 0);
    out->Close();
    again.client.reset();
}

// A port whose notices libjack's thread is held in, from the first after Hold (a loaded machine
// runs one client's thread late): its notice of the server's end comes after them.
struct HeldPort {
    std::atomic<bool> held{false}, holding{false};
    std::atomic<int> notices{0};
    platform::JackPort port;
    explicit HeldPort(const std::string& name)
        : port(name, JackPortIsOutput, [](jack_nframes_t, void*) { return 0; }, nullptr, &notice,
               this) {}
    // A close waits for the notice under way.
    ~HeldPort() { held = false; }
    void Hold(jack_client_t* patchbay, const std::string& peer) {
        held = true;
        jack_disconnect(patchbay, (port.ClientName() + ":p").c_str(), peer.c_str());
        for (int i = 0; i < 500 && !holding; ++i)
            usleep(10000);
    }
    static void notice(void* self) {
        auto* port = static_cast<HeldPort*>(self);
        ++port->notices;
        if (!port->held || port->holding.exchange(true)) return;
        while (port->held)
            usleep(1000);
    }
};

// Libjack tells one client of ours that its server ended while another's thread is held: the
// other has ended as well and fails sends, and the next open, after which jackd2's libjack
// frees every client of the ended server, finds it closed before. A new server that answers
// before libjack told our clients of the old one's end: they are closed before an open meets it.
// Closing a client that libjack freed fails under AddressSanitizer.
TEST(JackOutput, OurClientsOfAServerThatEndsEndTogetherAndNoneIsClosedAfterLibjackFreedIt) {
    testsupport::OwnJackServer server("together");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    const std::string name = OwnClientName("zoz together test ");
    Told told;
    for (const bool toldByAnother : {true, false}) {
        HeldPort held(name);
        auto peer = std::make_unique<Peer>("p");
        ASSERT_TRUE(peer->client);
        ASSERT_TRUE(held.port.Open(peer->Port(), "p", told.errors,
                                   std::chrono::steady_clock::now() +
                                       platform::JackClient::kStartWait));
        held.Hold(peer->client.get(), peer->Port());
        ASSERT_TRUE(held.holding);
        platform::MidiPortWatch watch(name + " look");
        std::string why;
        if (toldByAnother) {
            ASSERT_EQ(watch.Look(MidiSystem::kJack).system, MidiSystem::kJack);
            server.Stop();
            auto woken = std::async(std::launch::async, [&watch] { return watch.Wait(false); });
            ASSERT_EQ(woken.wait_for(std::chrono::seconds(10)), std::future_status::ready);
            EXPECT_EQ(held.port.Link(&why), platform::PortLink::kLost);
            EXPECT_EQ(why, "the JACK server ended");
            // The test's own client of it goes before anything opens.
            peer.reset();
            ASSERT_TRUE(server.Start());
            EXPECT_EQ(platform::LookForMidiPorts(name, MidiSystem::kJack).system,
                      MidiSystem::kJack);
        } else {
            peer.reset();
            server.Stop();
            ASSERT_TRUE(server.Start());
            // Let go: libjack frees it, and the client opened meanwhile, at an open once it
            // told of the end, which it does as its thread goes on.
            ASSERT_EQ(watch.Look(MidiSystem::kJack).system, MidiSystem::kJack);
            EXPECT_EQ(held.port.Link(&why), platform::PortLink::kLost);
            EXPECT_EQ(why, "the JACK server ended");
            const int before = held.notices;
            held.held = false;
            for (int i = 0; i < 500 && held.notices == before; ++i)
                usleep(10000);
            EXPECT_EQ(platform::LookForMidiPorts(name, MidiSystem::kJack).system,
                      MidiSystem::kJack);
        }
        held.held = false;
        held.port.Close();
    }
}

// Closes held while set, as by a libjack whose lock a gone thread holds; while slow, each takes
// nearly kStopWait.
std::atomic<bool> g_closesHeld{false}, g_closesSlow{false};
// While counted, each activation takes a while, and the most under way at once is kept.
std::atomic<bool> g_activationsCounted{false};
std::atomic<int> g_activating{0}, g_mostActivating{0};
// While set, an open and an activation begun take 15 s each, as on a loaded machine; opens are
// held while held.
std::atomic<bool> g_startsSlow{false}, g_opensHeld{false};
constexpr auto kSlowStart = std::chrono::seconds(15);
// Once set, the next client that registers a shutdown handler is told at once that its server
// ended; then g_endTold is set.
std::atomic<bool> g_endToldAtOnce{false}, g_endTold{false};
// While set, the shutdown handlers registered meanwhile are told this late, as on a loaded
// machine whose libjack thread runs late.
std::atomic<int> g_endToldLateMs{0};

// A handler told late: the plain one or the one with the server's reason.
struct LateNotice {
    JackShutdownCallback plain = nullptr;
    JackInfoShutdownCallback info = nullptr;
    void* arg = nullptr;
    int ms = 0;
};
std::array<LateNotice, 16> g_lateNotices;
std::atomic<size_t> g_lateNoticesMade{0};

LateNotice* lateNotice(JackShutdownCallback plain, JackInfoShutdownCallback info, void* arg) {
    const int ms = g_endToldLateMs;
    const size_t made = ms > 0 ? g_lateNoticesMade++ : g_lateNotices.size();
    if (made >= g_lateNotices.size()) return nullptr;
    g_lateNotices[made] = LateNotice{plain, info, arg, ms};
    return &g_lateNotices[made];
}

} // namespace

// These stand in for libjack's (the program's own definitions go first).
extern "C" int jack_client_close(jack_client_t* client) {
    using Close = int (*)(jack_client_t*);
    static const auto close = reinterpret_cast<Close>(dlsym(RTLD_NEXT, "jack_client_close"));
    while (g_closesHeld)
        usleep(1000);
    if (g_closesSlow)
        std::this_thread::sleep_for(platform::JackClient::kStopWait -
                                    std::chrono::milliseconds(100));
    return close(client);
}

extern "C" int jack_activate(jack_client_t* client) {
    using Activate = int (*)(jack_client_t*);
    static const auto activate = reinterpret_cast<Activate>(dlsym(RTLD_NEXT, "jack_activate"));
    if (g_startsSlow) std::this_thread::sleep_for(kSlowStart);
    if (!g_activationsCounted) return activate(client);
    const int now = ++g_activating;
    for (int most = g_mostActivating; now > most && !g_mostActivating.compare_exchange_weak(most, now);) {
    }
    usleep(20000);
    const int result = activate(client);
    --g_activating;
    return result;
}

extern "C" jack_client_t* jack_client_open(const char* name, jack_options_t options,
                                           jack_status_t* status, ...) {
    using Open = jack_client_t* (*)(const char*, jack_options_t, jack_status_t*, ...);
    static const auto open = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "jack_client_open"));
    if (g_startsSlow) std::this_thread::sleep_for(kSlowStart);
    while (g_opensHeld)
        usleep(1000);
    return open(name, options, status); // nothing here names a server
}

extern "C" void jack_on_shutdown(jack_client_t* client, JackShutdownCallback told, void* arg) {
    using On = void (*)(jack_client_t*, JackShutdownCallback, void*);
    static const auto on = reinterpret_cast<On>(dlsym(RTLD_NEXT, "jack_on_shutdown"));
    if (LateNotice* late = lateNotice(told, nullptr, arg)) {
        on(client,
           [](void* self) {
               auto* notice = static_cast<LateNotice*>(self);
               usleep(useconds_t(notice->ms) * 1000);
               notice->plain(notice->arg);
           },
           late);
        return;
    }
    on(client, told, arg);
    if (g_endToldAtOnce.exchange(false)) {
        told(arg);
        g_endTold = true;
    }
}

extern "C" void jack_on_info_shutdown(jack_client_t* client, JackInfoShutdownCallback told,
                                      void* arg) {
    using On = void (*)(jack_client_t*, JackInfoShutdownCallback, void*);
    static const auto on = reinterpret_cast<On>(dlsym(RTLD_NEXT, "jack_on_info_shutdown"));
    LateNotice* late = lateNotice(nullptr, told, arg);
    if (!late) return on(client, told, arg);
    on(client,
       [](jack_status_t code, const char* reason, void* self) {
           auto* notice = static_cast<LateNotice*>(self);
           usleep(useconds_t(notice->ms) * 1000);
           notice->info(code, reason, notice->arg);
       },
       late);
}

namespace {

// jack1's jack_activate sets up one lock of the whole library afresh on every call and waits on
// it: ports that two threads open at once never have their clients activated together.
TEST(JackOutput, PortsOpenedOnTwoThreadsAtOnceAreNeverActivatedTogether) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    Peer peer("a");
    ASSERT_TRUE(peer.client);
    Told told;
    g_activationsCounted = true;
    std::vector<std::thread> threads;
    std::atomic<int> opened{0};
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&, t] {
            const auto out = platform::NewMidiOutput(
                MidiSystem::kJack, OwnClientName("zoz activate test " + std::to_string(t) + " "),
                told.errors);
            for (int i = 0; i < 5; ++i)
                opened += out->Open(peer.Port(), "RtMidi Output");
        });
    for (std::thread& thread : threads)
        thread.join();
    g_activationsCounted = false;
    EXPECT_EQ(opened, 10);
    EXPECT_EQ(g_mostActivating, 1);
}

// A close that libjack never ends leaves the client to the JACK layer: the first of a plug-in's
// closes returns after a few seconds and the others at once; once libjack lets it, the clients go.
TEST(JackOutput, ClosesReturnWhenLibjackNeverDoesAndWaitOnceForTheLot) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    Peer peer("w");
    ASSERT_TRUE(peer.client);
    Told told;
    std::vector<std::unique_ptr<platform::MidiOutput>> outs;
    for (int i = 0; i < 3; ++i) {
        outs.push_back(platform::NewMidiOutput(
            MidiSystem::kJack, OwnClientName("zoz stuck test " + std::to_string(i) + " "),
            told.errors));
        ASSERT_TRUE(outs.back()->Open(peer.Port(), "RtMidi Output"));
    }
    g_closesHeld = true;
    const auto start = std::chrono::steady_clock::now();
    auto closed = std::async(std::launch::async, [&] {
        outs[0].reset();
        const auto first = std::chrono::steady_clock::now();
        outs.clear();
        return std::make_pair(first - start, std::chrono::steady_clock::now() - first);
    });
    const bool returned = closed.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    g_closesHeld = false;
    ASSERT_TRUE(returned) << "a close waited for libjack";
    const auto [first, rest] = closed.get();
    EXPECT_LT(first, platform::JackClient::kStopWait + std::chrono::seconds(2));
    EXPECT_LT(rest, std::chrono::seconds(1));
    EXPECT_TRUE(WaitUntilGone(peer, OwnClientName("zoz stuck test ")));
}

// The host's own client, which the host opens again the moment libjack tells it that its server
// ended (an open with no server fails). Left unclosed: libjack frees it at that open.
struct ReopeningHost {
    const std::string name = OwnClientName("zozhost");
    sem_t ended;
    jack_client_t* client = nullptr;
    std::future<bool> reopened;
    ReopeningHost() {
        sem_init(&ended, 0, 0);
        client = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
        if (!client) return;
        jack_on_shutdown(
            client, [](void* self) { sem_post(&static_cast<ReopeningHost*>(self)->ended); }, this);
        testsupport::ActivateJackClient(client);
        reopened = std::async(std::launch::async, [this] {
            while (sem_wait(&ended) != 0) {
            }
            return jack_client_open(name.c_str(), JackNoStartServer, nullptr) != nullptr;
        });
    }
    // A host never told does not keep the test waiting.
    ~ReopeningHost() { sem_post(&ended); }
    // Whether it was told of the end and opened again, in vain, within 10 s.
    bool ReopenedInVain() {
        return reopened.wait_for(std::chrono::seconds(10)) == std::future_status::ready &&
               !reopened.get();
    }
};

// The host's own client opens again the moment libjack tells it that its server ended, and
// jackd2's libjack then frees every client of the process left from that server, ours too,
// whether or not it told them yet: handing one to libjack again crashes. Nothing waits on
// libjack's close either: with closes held meanwhile, a send, a link and a port choice fail at
// once and a close returns. Once the server is back the output reaches a peer again.
TEST(JackOutput, AHostThatOpensAgainAtOnceAfterTheEndIsNeverCrashedAndNothingWaitsOnLibjack) {
#if defined(__SANITIZE_THREAD__)
    // Slowed this much, the host's open now and then cancels a thread of libjack's own that holds
    // a lock of the whole libjack, and the open waits for it for good: nothing of ours is there.
    GTEST_SKIP() << "jackd2's libjack can hang in the host's open under ThreadSanitizer";
#endif
    testsupport::OwnJackServer server("reopen");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    const std::string name = OwnClientName("zoz reopen test ");
    Told told;
    const auto out = platform::NewMidiOutput(MidiSystem::kJack, name, told.errors);
    auto peer = std::make_unique<Peer>("p");
    ASSERT_TRUE(peer->client);
    const std::string peerPort = peer->Port();
    ASSERT_TRUE(out->Open(peerPort, "RtMidi Output"));
    platform::MidiPortWatch watch(name + " look");
    ASSERT_EQ(watch.Look(MidiSystem::kJack).system, MidiSystem::kJack);
    ReopeningHost host;
    ASSERT_TRUE(host.client);
    peer->client.release();
    g_closesHeld = true;
    server.Stop();
    ASSERT_TRUE(host.ReopenedInVain());
    std::string why;
    for (int i = 0; i < 1000 && out->Link(&why) != platform::PortLink::kLost; ++i)
        usleep(10000);
    watch.Wait(true);
    auto calls = std::async(std::launch::async, [&] {
        const bool failed = !sendNoteOff(*out, 1) && out->Link(&why) == platform::PortLink::kLost &&
                            !out->Open(peerPort, "RtMidi Output");
        out->Close();
        return failed;
    });
    const bool returned = calls.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    g_closesHeld = false;
    ASSERT_TRUE(returned) << "a call waited for libjack's close";
    EXPECT_TRUE(calls.get());

    ASSERT_TRUE(server.Start());
    Peer again("again");
    ASSERT_TRUE(again.client);
    ASSERT_TRUE(out->Open(again.Port(), "RtMidi Output")) << told.Last();
    EXPECT_TRUE(reach(*out, again, 3));
    out->Close();
}

// A host's client whose notices wait in a handler of the host's while held, as a loaded
// machine runs the host's thread late.
struct HostClient {
    std::atomic<bool> held{false}, holding{false}, toldEnd{false};
    jack_client_t* client = nullptr;
    explicit HostClient(const std::string& name) {
        client = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
        if (!client) return;
        jack_on_shutdown(client, [](void* self) { static_cast<HostClient*>(self)->toldEnd = true; },
                         this);
        jack_set_port_registration_callback(
            client,
            [](jack_port_id_t, int, void* self) {
                auto* host = static_cast<HostClient*>(self);
                if (!host->held) return;
                host->holding = true;
                while (host->held)
                    usleep(1000);
            },
            this);
        testsupport::ActivateJackClient(client);
    }
    // From the notice of the next port registered by `other`.
    void Hold(jack_client_t* other) {
        held = true;
        jack_port_register(other, "held", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        for (int i = 0; i < 500 && !holding; ++i)
            usleep(10000);
    }
};

// The host's thread reads its server's end 100 ms after ours: an open of ours at once (here on
// the run's shared server) would have jackd2's libjack free the host's client before the host is
// told, and the host would never hear of the end. The host is told first.
TEST(JackOutput, TheHostHearsOfItsServersEndBeforeAnyOpenOfOurs) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "jackd2's libjack can hang in the host's open under ThreadSanitizer";
#endif
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    const std::string shared = platform::JackServerName();
    testsupport::OwnJackServer server("heard");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    const std::string name = OwnClientName("zoz heard test ");
    Told told;
    const auto out = platform::NewMidiOutput(MidiSystem::kJack, name, told.errors);
    auto peer = std::make_unique<Peer>("p");
    ASSERT_TRUE(peer->client);
    ASSERT_TRUE(out->Open(peer->Port(), "RtMidi Output"));
    HostClient host(OwnClientName("zozhost"));
    ASSERT_TRUE(host.client);
    host.Hold(peer->client.get());
    ASSERT_TRUE(host.holding);
    peer->client.release();
    server.Stop();
    std::string why;
    for (int i = 0; i < 1000 && out->Link(&why) != platform::PortLink::kLost; ++i)
        usleep(1000);
    auto late = std::async(std::launch::async, [&host] {
        usleep(100000);
        host.held = false;
    });
    setenv("JACK_DEFAULT_SERVER", shared.c_str(), 1);
    EXPECT_EQ(platform::LookForMidiPorts(name, MidiSystem::kJack).system, MidiSystem::kJack);
    late.wait();
    for (int i = 0; i < 500 && !host.toldEnd; ++i)
        usleep(10000);
    EXPECT_TRUE(host.toldEnd) << "libjack freed the host's client before it told the host";
}

// A host that sets libjack's print functions again after its own opens (our hook of them goes)
// and opens again the moment it hears that its server ended has libjack free our clients
// before their notices come (300 ms late here): the output's close never goes into libjack with
// a client libjack freed, which fails under AddressSanitizer.
TEST(JackOutput, AClientFreedBeforeItHeardOfTheEndIsNeverClosedWhateverTheHostPrintsWith) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "jackd2's libjack can hang in the host's open under ThreadSanitizer";
#endif
    testsupport::OwnJackServer server("hook");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    const std::string name = OwnClientName("zoz hook test ");
    Told told;
    g_endToldLateMs = 300;
    const auto out = platform::NewMidiOutput(MidiSystem::kJack, name, told.errors);
    auto peer = std::make_unique<Peer>("p");
    ASSERT_TRUE(peer->client);
    ASSERT_TRUE(out->Open(peer->Port(), "RtMidi Output"));
    g_endToldLateMs = 0;
    ReopeningHost host;
    ASSERT_TRUE(host.client);
    const auto quiet = [](const char*) {};
    jack_set_error_function(quiet);
    jack_set_info_function(quiet);
    peer->client.release();
    server.Stop();
    ASSERT_TRUE(host.ReopenedInVain());
    out->Close();
    jack_set_error_function(nullptr);
    jack_set_info_function(nullptr);
}

// libjack's close of the port's client takes nearly 3 s, and the open and activation of the next
// one 15 s each: a port's open fails within its one deadline. An open given up on tells its
// caller nothing after: not the end of the server that the client it opens after all is told at
// once.
// On a server of its own: the client left opening and activating after the test gave up on it
// holds up the server's other clients.
TEST(JackOutput, APortsStartWaitsOnceAndAnOpenGivenUpOnTellsNothingAfter) {
    testsupport::OwnJackServer server("slow");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    Peer peer("s");
    ASSERT_TRUE(peer.client);
    Told told;
    const auto out =
        platform::NewMidiOutput(MidiSystem::kJack, OwnClientName("zoz slow test "), told.errors);
    ASSERT_TRUE(out->Open(peer.Port(), "RtMidi Output"));
    g_startsSlow = g_closesSlow = true;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(out->Open(peer.Port(), "RtMidi Output"));
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              platform::JackClient::kStartWait + std::chrono::seconds(2));
    g_startsSlow = g_closesSlow = false;

    g_opensHeld = true;
    g_endToldAtOnce = true;
    static std::atomic<int> notices{0};
    EXPECT_FALSE(platform::JackClient::Open(OwnClientName("zoz orphan test "),
                                            std::chrono::steady_clock::now(),
                                            [](void*) { ++notices; }));
    g_opensHeld = false;
    for (int i = 0; i < 4000 && !g_endTold; ++i)
        usleep(10000);
    ASSERT_TRUE(g_endTold);
    EXPECT_EQ(notices, 0);
}

// How the host's print function was last called.
std::atomic<int> g_printCancelType{-1};
std::string g_printed;

void hostPrint(const char* text) {
    int type, deferred;
    pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, &type);
    pthread_setcanceltype(type, &deferred);
    g_printCancelType = type;
    g_printed = text;
}

// jackd2's libjack cancels its own threads wherever they are, and they print: a line that one of
// them gives the process's print function reaches the host's with the thread's cancel deferred.
TEST(JackOutput, LibjackPrintsThroughTheHostsFunctionWithTheCancelDeferred) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    jack_set_error_function(&hostPrint);
    ASSERT_TRUE(platform::JackClient::Open(OwnClientName("zoz print test "),
                                           std::chrono::steady_clock::now() +
                                               platform::JackClient::kStartWait));
    std::thread([] {
        pthread_setcanceltype(PTHREAD_CANCEL_ASYNCHRONOUS, nullptr);
        jack_error_callback("Cannot read socket fd = 9 err = Success");
    }).join();
    EXPECT_EQ(g_printed, "Cannot read socket fd = 9 err = Success");
    EXPECT_EQ(g_printCancelType, PTHREAD_CANCEL_DEFERRED);
    jack_set_error_function(nullptr);
}

// Note-offs sent 50 ms apart while the server ran no cycle leave with that spacing once it
// runs again, not all in its first cycle: the interface behind the port buffers only so much.
// A cycle that comes late takes what fell due meanwhile, so only the whole span is sure.
TEST(JackOutput, WhatQueuedWhileTheServerStoodStillLeavesWithItsSpacing) {
    testsupport::OwnJackServer server("still");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    Peer peer("p");
    ASSERT_TRUE(peer.client);
    Told told;
    const auto out =
        platform::NewMidiOutput(MidiSystem::kJack, OwnClientName("zoz still test "), told.errors);
    ASSERT_TRUE(out->Open(peer.Port(), "RtMidi Output"));
    reach(*out, peer);
    usleep(100000);
    const int first = peer.noteOffs;
    ASSERT_GT(first, 0);
    constexpr int kHeld = 6;
    server.Hold(true);
    for (int note = 0; note < kHeld; ++note) {
        ASSERT_TRUE(sendNoteOff(*out, note)) << told.Last();
        usleep(50000);
    }
    server.Hold(false);
    for (int i = 0; i < 500 && peer.noteOffs < first + kHeld; ++i)
        usleep(10000);
    ASSERT_EQ(peer.noteOffs, first + kHeld);
    EXPECT_GE(peer.at[size_t(first + kHeld - 1)] - peer.at[size_t(first)],
              (kHeld - 2) * 50'000'000LL);
    out->Close();
    peer.client.reset();
}

} // namespace
