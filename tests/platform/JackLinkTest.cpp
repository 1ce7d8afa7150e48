// What a JACK port reaches, and how its opens, sends and closes fail: a connection taken away in
// a patchbay, a peer that comes back under the same name, a server that refuses, a server that
// runs no cycle.

#include "platform/midi/MidiOutput.h"
#include "tests/platform/ToldErrors.h"
#include "tests/support/JackActivation.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/OwnJackServer.h"

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using platform::MidiSystem;
using platform::PortLink;
using testsupport::OwnClientName;

// Whether `ready` became true within timeoutMs.
template <class Ready> bool WaitUntil(Ready ready, int timeoutMs) {
    for (int waited = 0; !ready(); waited += 10) {
        if (waited >= timeoutMs) return false;
        usleep(10000);
    }
    return true;
}

// A client of this process with one MIDI port that counts the messages it receives; it can end
// and come back under the same name, as a program restarted in one process does.
struct Peer {
    const std::string name;
    const unsigned long flags;
    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;
    std::atomic<int> received{0};

    Peer(const std::string& tag, unsigned long flags = JackPortIsInput)
        : name(OwnClientName("zozlink") + tag), flags(flags) {
        Start();
    }
    ~Peer() { Stop(); }
    void Start() {
        client = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
        if (!client) return;
        port = jack_port_register(client, "p", JACK_DEFAULT_MIDI_TYPE, flags, 0);
        jack_set_process_callback(client, &process, this);
        testsupport::ActivateJackClient(client);
    }
    void Stop() {
        if (client) jack_client_close(client);
        client = nullptr;
    }
    std::string Port() const { return name + ":p"; }
    static int process(jack_nframes_t frames, void* self) {
        auto* peer = static_cast<Peer*>(self);
        if (peer->flags & JackPortIsInput)
            peer->received +=
                int(jack_midi_get_event_count(jack_port_get_buffer(peer->port, frames)));
        return 0;
    }
};

bool sendNoteOff(platform::MidiOutput& out) {
    const unsigned char off[3] = {0x80, 0x3C, 0};
    return out.Send(off, 3);
}

// Note-offs until the peer has one: a new connection carries events from the server's next
// cycle on.
bool reach(platform::MidiOutput& out, const Peer& peer) {
    return WaitUntil([&] { return sendNoteOff(out) && peer.received > 0; }, 10000);
}

bool linkBecomes(platform::MidiOutput& out, PortLink link, std::string* why) {
    return WaitUntil([&] { return out.Link(why) == link; }, 10000);
}

// Held while set, as PipeWire's libjack holds a read of the graph for a client's lock and jack1's
// for a port's; the reads held are counted.
std::atomic<bool> g_readsHeld{false};
std::atomic<int> g_heldReads{0};

} // namespace

// Stands in for libjack's (the program's own definition goes first).
extern "C" int jack_port_connected_to(const jack_port_t* port, const char* name) {
    using Read = int (*)(const jack_port_t*, const char*);
    static const auto read = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "jack_port_connected_to"));
    if (g_readsHeld) ++g_heldReads;
    while (g_readsHeld)
        usleep(1000);
    return read(port, name);
}

// A connection taken away in a patchbay leaves the port open but unconnected: sends fail and say
// why, and it is not connected again behind the user's back; connected again, it reaches its
// peer. A peer that ends and comes back at once under the same name leaves the port lost.
TEST(JackLink, AConnectionTakenAwayIsUnconnectedAndAPeerThatCameBackIsLost) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    Peer peer("a");
    ASSERT_TRUE(peer.client);
    Told told;
    const auto out =
        platform::NewMidiOutput(MidiSystem::kJack, OwnClientName("zoz link test "), told.errors);
    ASSERT_TRUE(out->Open(peer.Port(), "RtMidi Output"));
    ASSERT_TRUE(reach(*out, peer));
    std::string why;
    EXPECT_TRUE(linkBecomes(*out, PortLink::kReaches, &why));

    const std::string own = out->ClientName() + ":RtMidi Output";
    ASSERT_EQ(jack_disconnect(peer.client, own.c_str(), peer.Port().c_str()), 0);
    EXPECT_TRUE(linkBecomes(*out, PortLink::kUnconnected, &why));
    EXPECT_FALSE(sendNoteOff(*out));
    EXPECT_EQ(told.Last(),
              "a message was not sent: the port is not connected to \"" + peer.Port() + "\"");
    ASSERT_EQ(jack_connect(peer.client, own.c_str(), peer.Port().c_str()), 0);
    EXPECT_TRUE(linkBecomes(*out, PortLink::kReaches, &why));

    peer.Stop();
    peer.Start();
    ASSERT_TRUE(peer.client);
    EXPECT_TRUE(linkBecomes(*out, PortLink::kLost, &why));
    EXPECT_EQ(why, "the port \"" + peer.Port() + "\" is gone");
    out->Close();
}

// A port just opened onto its peer is pending until the server shows the connection it made,
// and then reaches the peer: never unconnected in between (the watch would say so to the user).
TEST(JackLink, APortJustOpenedIsPendingUntilItReachesItsPeer) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    Peer peer("o");
    ASSERT_TRUE(peer.client);
    Told told;
    const auto out =
        platform::NewMidiOutput(MidiSystem::kJack, OwnClientName("zoz link test "), told.errors);
    for (int open = 0; open < 50; ++open) {
        ASSERT_TRUE(out->Open(peer.Port(), "RtMidi Output"));
        std::string why;
        PortLink link = PortLink::kPending;
        WaitUntil([&] { return (link = out->Link(&why)) != PortLink::kPending; }, 10000);
        ASSERT_EQ(link, PortLink::kReaches) << "open " << open << ": " << why;
    }
}

// A read of the graph that waits for a lock of libjack's never holds the port's cycle: what is
// sent meanwhile arrives, and the port reaches its peer once the read ends.
TEST(JackLink, AReadOfTheGraphThatWaitsHoldsNoCycleOfThePort) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    Peer peer("c"), other("d");
    ASSERT_TRUE(peer.client && other.client);
    Told told;
    const auto out =
        platform::NewMidiOutput(MidiSystem::kJack, OwnClientName("zoz read test "), told.errors);
    ASSERT_TRUE(out->Open(peer.Port(), "RtMidi Output"));
    ASSERT_TRUE(reach(*out, peer));
    std::string why;
    ASSERT_TRUE(linkBecomes(*out, PortLink::kReaches, &why));
    g_readsHeld = true;
    // A connection of the port's changes: it reads the graph again.
    const std::string own = out->ClientName() + ":RtMidi Output";
    ASSERT_EQ(jack_connect(other.client, own.c_str(), other.Port().c_str()), 0);
    ASSERT_TRUE(WaitUntil([] { return g_heldReads > 0; }, 10000)) << "no read was held";
    const int before = peer.received;
    EXPECT_TRUE(WaitUntil([&] { return sendNoteOff(*out) && peer.received >= before + 10; }, 5000))
        << peer.received - before << " of the note-offs sent while a read waited arrived";
    g_readsHeld = false;
    EXPECT_EQ(g_heldReads, 1);
    EXPECT_TRUE(linkBecomes(*out, PortLink::kReaches, &why)) << why;
    out->Close();
}

// jackd2's libjack may free our clients at another thread's open before it told any of them that
// their server ended, and says so first: from then on the port reaches nothing and sends fail.
// On a server of its own: the client let go stays on its server, unclosed, until the process
// ends, and the server waits for it meanwhile.
TEST(JackLink, LibjackSayingItFreesTheClientsOfAnEndedServerEndsThePort) {
    testsupport::OwnJackServer server("freed");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    Peer peer("f");
    ASSERT_TRUE(peer.client);
    Told told;
    const auto out =
        platform::NewMidiOutput(MidiSystem::kJack, OwnClientName("zoz freed test "), told.errors);
    ASSERT_TRUE(out->Open(peer.Port(), "RtMidi Output"));
    jack_error_callback("Jack server was closed but clients are still allocated, cleanup...");
    EXPECT_FALSE(sendNoteOff(*out));
    EXPECT_EQ(told.Last(), "a message was not sent: the JACK server ended");
}

// No server at all, a server whose port table is full, and a connection that the ports'
// directions forbid: each open fails, says why, leaves no client behind and prints nothing.
TEST(JackLink, RefusedClientsPortsAndConnectionsFailTheOpenAndLeaveNoClient) {
    testsupport::OwnJackServer server("refuse");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    Told told;
    const std::string name = OwnClientName("zoz refused test ");
    const auto out = platform::NewMidiOutput(MidiSystem::kJack, name, told.errors);
    testing::internal::CaptureStderr();
    setenv("JACK_DEFAULT_SERVER", ("zoz-none-" + std::to_string(getpid())).c_str(), 1);
    EXPECT_FALSE(out->Open("", "RtMidi Output"));
    setenv("JACK_DEFAULT_SERVER", server.Name().c_str(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(told.Last(), "JACK refused a client named \"" + name + "\"");

    Peer sender("s", JackPortIsOutput);
    ASSERT_TRUE(sender.client);
    EXPECT_FALSE(out->Open(sender.Port(), "RtMidi Output"));
    EXPECT_EQ(told.Last(),
              "JACK could not connect \"" + name + ":RtMidi Output\" to \"" + sender.Port() + "\"");

    Peer receiver("r");
    ASSERT_TRUE(receiver.client);
    // Its ports are registered before it could run: libjack's thread walks an active client's.
    jack_client_t* filler =
        jack_client_open(OwnClientName("zozfiller").c_str(), JackNoStartServer, nullptr);
    ASSERT_TRUE(filler);
    for (int n = 0; jack_port_register(filler, ("f" + std::to_string(n)).c_str(),
                                       JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
         ++n) {
    }
    EXPECT_FALSE(out->Open(receiver.Port(), "RtMidi Output"));
    jack_client_close(filler);
    EXPECT_EQ(told.Last(), "JACK refused the port \"RtMidi Output\"");
    char* left = jack_get_uuid_for_client_name(receiver.client, name.c_str());
    EXPECT_EQ(left, nullptr);
    jack_free(left);
    std::string why;
    EXPECT_EQ(out->Link(&why), PortLink::kLost);
    EXPECT_EQ(why, "the port is closed");
}

// A server that runs no cycle takes nothing. Messages held back to keep their spacing are let go
// for a few cycles at a close, no longer: the close tells how many it kept, and every message
// either arrived or was told of. A send that finds the output's ring full waits a second and
// fails, saying so.
TEST(JackLink, AHeldServerHasACloseTellWhatItKeptAndFailsASendAfterASecond) {
    testsupport::OwnJackServer server("held");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    Peer peer("h");
    ASSERT_TRUE(peer.client);
    Told told;
    const std::string name = OwnClientName("zoz held test ");
    const auto out = platform::NewMidiOutput(MidiSystem::kJack, name, told.errors);
    int sent = 0;
    const auto send = [&] { return sendNoteOff(*out) && ++sent; };
    ASSERT_TRUE(out->Open(peer.Port(), "RtMidi Output"));
    ASSERT_TRUE(WaitUntil([&] { return send() && peer.received > 0; }, 10000));
    server.Hold(true);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(send()) << told.Last();
        usleep(50000);
    }
    server.Hold(false);
    out->Close();
    const std::string said = told.Last();
    const int kept = atoi(said.c_str());
    EXPECT_EQ(said, std::to_string(kept) + " messages were not sent: JACK did not take them " +
                        "from \"" + name + "\" before it closed");
    EXPECT_GT(kept, 0);
    EXPECT_TRUE(WaitUntil([&] { return peer.received + kept == sent; }, 5000))
        << peer.received << " arrived, " << kept << " kept of " << sent;

    ASSERT_TRUE(out->Open(peer.Port(), "RtMidi Output"));
    server.Hold(true);
    usleep(200000); // a cycle under way as the server stops still takes what the ring holds
    std::vector<unsigned char> dump(16000, 0x01);
    dump.front() = 0xF0;
    dump.back() = 0xF7;
    int taken = 0;
    while (taken < 10 && out->Send(dump.data(), dump.size()))
        ++taken;
    EXPECT_EQ(taken, 4); // 64 KiB of ring
    EXPECT_EQ(told.Last(),
              "JACK took no MIDI from \"" + name + "\" for a second: a message was not sent");
    server.Hold(false);
}
