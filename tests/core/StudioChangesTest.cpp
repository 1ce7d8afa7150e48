// The studio changing under a running plug-in, with the simulated synthesizer on JACK: the
// synthesizer's program ends and starts again, it ends in the middle of a bank being stored,
// the JACK server itself restarts, and the host closes the plug-in right after its last note.

#include "tests/core/ClockRig.h"

#include "kit/effect/ITextControl.h"
#include "src/librarian/PatchLibrarian.h"
#include "tests/support/JackActivation.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/OwnJackServer.h"
#include "tests/support/QsimProcess.h"
#include "tests/support/Services.h"
#include "tests/support/Watchdog.h"
#include "tests/support/XHostWindow.h"

#include <algorithm>
#include <cstdio>
#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace coretest;

namespace {

using Message = testsupport::QsimProcess::Message;

bool isProbe(const Message& m) {
    return m.received && m.bytes.size() == 6 && m.bytes[4] == 0x04;
}

// The plug-in on the small layout, its stored ports those of a simulated synthesizer. It is a
// Zoz itself, as a host has it: the ports its constructor opens call into it at once, and its
// workers run until its teardown stops them, so no part derived from it could be built or taken
// down under their calls.
struct Studio : CoreRig {
    std::unique_ptr<testsupport::Watchdog> watchdog;
    std::unique_ptr<Zoz> plug;

    void SetUp() override {
        watchdog = std::make_unique<testsupport::Watchdog>(
            150, testing::UnitTest::GetInstance()->current_test_info()->name());
        resources = ZOZ_TEST_LAYOUT;
        keepLog();
    }
    void TearDown() override { plug.reset(); }
    static std::string client(const std::string& tag) {
        return "zozstudio" + std::to_string(getpid()) + tag;
    }
    // A synthesizer whose ports the settings store.
    std::unique_ptr<testsupport::QsimProcess> synthesizer(const std::string& tag) {
        writeSettings("yellow\nnormal\nyes\n" + client(tag) + ":in\n" + client(tag) + "-out:out");
        auto q = std::make_unique<testsupport::QsimProcess>(client(tag));
        EXPECT_TRUE(q->Ready());
        return q;
    }
    // Started, with the first block, which sends the synthesizer its probe.
    void begin() {
        plug = start<Zoz>();
        plug->ProcessDoubleReplacing(nullptr, nullptr, 256);
    }
    std::string display(int id) const {
        return static_cast<ITextControl*>(plug->keptControl(id))->GetTextForPlug();
    }
    testing::AssertionResult shows(const std::string& upper, const std::string& lower = "") const {
        if (testsupport::WaitUntil(
                [&] {
                    return display(kControlDisplayName) == upper &&
                           (lower.empty() || display(kControlDisplayValue) == lower);
                },
                30000))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "the display shows \"" << display(kControlDisplayName)
                                           << "\" / \"" << display(kControlDisplayValue) << '"';
    }
    testing::AssertionResult logged(const std::string& line) const {
        const std::vector<std::string> lines = logLines();
        if (std::find(lines.begin(), lines.end(), line) != lines.end())
            return testing::AssertionSuccess();
        testing::AssertionResult missing = testing::AssertionFailure() << "the log holds:";
        for (const std::string& held : lines)
            missing << "\n  " << held;
        return missing;
    }
};

} // namespace

// The synthesizer's program ends (its ports go) and starts again: meanwhile the display and the
// log say which port waits, sends fail, and its return opens both ports and probes again, with
// no menu opened.
TEST_F(Studio, ASynthesizerThatGoesIsAwaitedAndTakenAgainWhenItReturns) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    testsupport::ScaledClock fast(5);
    auto q = synthesizer("v");
    begin();
    ASSERT_TRUE(q->WaitFor(isProbe, 30000));
    ASSERT_TRUE(shows("Plug-in is ready to go!"));
    q->Finish();
    EXPECT_TRUE(shows("MIDI Out '" + client("v").substr(0, 12) + "\xE2\x80\xA6' not found:",
                      "waiting for it, or choose a port"));
    EXPECT_TRUE(logged("MIDI PORTS: MIDI Out '" + client("v") +
                       ":in' not found: waiting for it, or choose a port"));
    EXPECT_FALSE(plug->isMIDIIOSet());

    auto again = synthesizer("v");
    EXPECT_TRUE(again->WaitFor(isProbe, 30000));
    EXPECT_TRUE(shows("Plug-in is ready to go!"));
    {
        KIT_MutexLock lock(plug->GetMutex());
        EXPECT_TRUE(plug->isMIDIIOSet());
        EXPECT_TRUE(plug->isExternalMIDIInOpen());
    }
    plug.reset(); // the probe's last pause is on the fast clock
}

// The synthesizer's program ends after 30 dumps of a bank of 100: the store fails at the slot
// whose dump found no one, at the last one heard while JACK could still tell of an xrun that
// dropped it, or at an earlier one still to go again after an xrun (a store says it failed or
// that it completed, never both).
TEST_F(Studio, ABankStoredToASynthesizerThatGoesMidwayFailsAtItsSlot) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    putBank("Bank.syx");
    auto q = synthesizer("b");
    begin();
    ASSERT_TRUE(q->WaitFor(isProbe, 30000));
    ASSERT_TRUE(shows("Plug-in is ready to go!"));
    const auto isDump = [](const Message& m) { return m.received && m.bytes.size() == 393; };
    waitForIdleJobThread(*plug);
    plug->SendAllProgramsFromLibrarian(0);
    for (int n = 0; n < 30; ++n)
        ASSERT_TRUE(q->WaitFor(isDump, 10000)) << n;
    q->Finish();
    int heard = 0; // slots, from 1
    for (const Message& m : q->Record())
        if (isDump(m)) heard = std::max(heard, m.bytes[6] + 1);
    waitForIdleJobThread(*plug);
    // The display may show the missing port by now; the log keeps both.
    const std::string failed = "MIDI PORTS: Data write FAILED at slot ";
    const std::vector<std::string> lines = logLines();
    const auto said = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.rfind(failed, 0) == 0;
    });
    ASSERT_NE(said, lines.end());
    const int at = std::stoi(said->substr(failed.size()));
    EXPECT_TRUE(at >= heard || q->Xruns() > 0) << at << " after " << heard;
}

// The synthesizer's program ends and starts again under the same name between two dumps of a
// bank being stored (the store held at its next slot meanwhile): the store fails at that slot,
// nothing of the bank reaches the new synthesizer, and the new one is asked for its id as soon
// as the store has ended.
TEST_F(Studio, ABankStoreDuringWhichTheSynthesizerCameBackFailsAndTheNewOneIsProbed) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    putBank("Bank.syx");
    auto q = synthesizer("g");
    begin();
    ASSERT_TRUE(q->WaitFor(isProbe, 30000));
    ASSERT_TRUE(shows("Plug-in is ready to go!"));
    waitForIdleJobThread(*plug);
    const auto isDump = [](const Message& m) { return m.received && m.bytes.size() == 393; };
    const auto outputIs = [&](bool awaited) {
        return testsupport::WaitUntil(
            [&] {
                KIT_MutexLock lock(plug->GetMutex());
                return plug->awaitedExternalMIDI(false).empty() != awaited &&
                       plug->openedExternalMIDI(false).empty() == awaited;
            },
            30000);
    };
    plug->SendAllProgramsFromLibrarian(0);
    for (int n = 0; n < 5; ++n)
        ASSERT_TRUE(q->WaitFor(isDump, 10000)) << n;
    {
        // The store reads each slot's dump under the librarian's lock.
        KIT_MutexLock slots(&plug->getLibrarian()->mutex());
        q->Finish();
        ASSERT_TRUE(outputIs(true));
        q = synthesizer("g");
        ASSERT_TRUE(outputIs(false));
    }
    EXPECT_TRUE(q->WaitFor(isProbe, 30000));
    const std::vector<std::string> lines = logLines();
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& line) {
                               return line.rfind("MIDI PORTS: Data write FAILED at slot ", 0) == 0;
                           }),
              lines.end());
    const std::vector<Message> heard = q->Record();
    EXPECT_EQ(std::count_if(heard.begin(), heard.end(), isDump), 0);
}

namespace {

// A peer beside the synthesizer on the plug-in's output that counts the sound dumps of the first
// slots it receives and, after a slot's first one, sleeps through the cycles in which the next
// is due (a pace on, give or take a cycle and a half): the server runs on past it and drops
// what it should have read then.
struct LatePeer {
    static constexpr int kSlots = 12;
    const int64_t paceNs;
    jack_port_t* port = nullptr;
    std::array<std::atomic<int>, kSlots> dumps{};
    int64_t sleepAt = 0; // the process thread's own
    int64_t sleepNs = 0;
    // Last, so that it closes first.
    std::unique_ptr<jack_client_t, int (*)(jack_client_t*)> client{nullptr, &jack_client_close};

    // Connected to whatever feeds the port named.
    LatePeer(const std::string& beside, int64_t pace) : paceNs(pace) {
        client.reset(jack_client_open(testsupport::OwnClientName("zozlate").c_str(),
                                      JackNoStartServer, nullptr));
        if (!client) return;
        port = jack_port_register(client.get(), "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client.get(), &process, this);
        if (testsupport::ActivateJackClient(client.get()) != 0) return;
        const char** feeds = jack_port_get_all_connections(
            client.get(), jack_port_by_name(client.get(), beside.c_str()));
        for (int i = 0; feeds && feeds[i]; ++i)
            jack_connect(client.get(), feeds[i], jack_port_name(port));
        jack_free(feeds);
    }
    static int process(jack_nframes_t frames, void* self) {
        auto* peer = static_cast<LatePeer*>(self);
        void* events = jack_port_get_buffer(peer->port, frames);
        const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                std::chrono::steady_clock::now().time_since_epoch())
                                .count();
        const int64_t around =
            int64_t(frames) * 1500000000 / jack_get_sample_rate(peer->client.get());
        jack_midi_event_t e;
        for (uint32_t i = 0; i < jack_midi_get_event_count(events); ++i)
            if (jack_midi_event_get(&e, events, i) == 0 && e.size == 393 && e.buffer[4] == 0x10 &&
                e.buffer[6] < kSlots && peer->dumps[e.buffer[6]]++ == 0) {
                peer->sleepAt = now + peer->paceNs - around;
                peer->sleepNs = 2 * around;
            }
        if (peer->sleepAt != 0 && now >= peer->sleepAt) {
            peer->sleepAt = 0;
            std::this_thread::sleep_for(std::chrono::nanoseconds(peer->sleepNs));
        }
        return 0;
    }
};

} // namespace

// A bank stored while a client of the JACK server runs late, right as dumps go out: every slot
// arrives, and the synthesizer says that it was told of xruns. Again once the server's period
// grew fourfold under the open ports: JACK tells of xruns later, and the dumps leave later.
TEST_F(Studio, ABankStoredThroughXrunsArrivesWhole) {
    testsupport::OwnJackServer server("xrun", false);
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    setenv("ZOZ_MIDI_API", "jack", 1);
    putBank("Bank.syx");
    auto q = synthesizer("x");
    begin();
    ASSERT_TRUE(q->WaitFor(isProbe, 30000));
    ASSERT_TRUE(shows("Plug-in is ready to go!"));
    waitForIdleJobThread(*plug);
    // Each dump leaves once the one before crossed a MIDI cable, and the pause unit passed.
    const int64_t pace = std::max(int64_t(plug->getTimerValue()) * 1000000, int64_t(393) * 320000);
    for (jack_nframes_t frames : {256, 1024}) {
        LatePeer peer(q->InPort(), pace);
        ASSERT_TRUE(peer.client);
        ASSERT_EQ(jack_set_buffer_size(peer.client.get(), frames), 0);
        plug->storeAllPatchesToDeviceFromLibrarian(0, 100 - LatePeer::kSlots, 0);
        waitForIdleJobThread(*plug);
        // Never "completed" with a slot missing: a store that fails names the slot, and what
        // came before it arrived (a slow machine adds xruns of its own past the resends).
        const std::string shown = display(kControlDisplayName);
        int failed = 0;
        const bool completed = shown == "Data write completed!";
        ASSERT_TRUE(completed ||
                    std::sscanf(shown.c_str(), "Data write FAILED at slot %d!", &failed) == 1)
            << shown;
        for (int slot = 0; slot < (completed ? LatePeer::kSlots : failed - 1); ++slot)
            EXPECT_GT(peer.dumps[slot], 0) << slot << " at " << frames << ": " << shown;
    }
    EXPECT_GT(q->Xruns(), 0);
    plug.reset(); // before its server ends
}

// The JACK server restarts under the plug-in: it says so, a menu opened meanwhile and after,
// a port chosen and the close crash nothing, and the ports come back with the server.
TEST_F(Studio, AJackServerThatRestartsIsSurvivedAndItsPortsComeBack) {
    testsupport::OwnJackServer server("studio");
    if (!server.Missing().empty()) GTEST_SKIP() << server.Missing();
    setenv("ZOZ_MIDI_API", "jack", 1);
    testsupport::ScaledClock fast(5);
    auto q = synthesizer("r");
    begin();
    ASSERT_TRUE(q->WaitFor(isProbe, 30000));
    // Its answer taken: a probe that timed out later would say so instead.
    ASSERT_TRUE(shows("Plug-in is ready to go!"));
    server.Stop();
    q->Finish();
    // The display's reason becomes "no JACK server" at the watch's next look; the log keeps it.
    EXPECT_TRUE(shows("No MIDI ports:"));
    EXPECT_TRUE(logged("MIDI PORTS: no MIDI ports: the JACK server ended"));
    plug->OnParamPrompt(kDeviceOutSelection);

    ASSERT_TRUE(server.Start());
    auto again = synthesizer("r");
    EXPECT_TRUE(again->WaitFor(isProbe, 30000));
    EXPECT_TRUE(shows("Plug-in is ready to go!"));
    plug->OnParamPrompt(kDeviceOutSelection);
    plug->SetParameterFromGUI(kDeviceOutSelection, 0.0);
    EXPECT_FALSE(plug->isMIDIIOSet());
    plug.reset();
}

// A plug-in with no stored port, as a host adds it to a track, makes no JACK client at all: no
// look at the ports until a device menu opens.
TEST_F(Studio, APlugInWithNoStoredPortMakesNoJackClient) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    jack_client_t* watcher = jack_client_open(client("w").c_str(), JackNoStartServer, nullptr);
    ASSERT_TRUE(watcher);
    // Told on libjack's thread, in the order the clients came.
    static std::atomic<int> ours, marks;
    ours = marks = 0;
    jack_set_client_registration_callback(
        watcher,
        [](const char* name, int registered, void*) {
            const std::string named = name;
            if (registered && named.rfind("Zoz Editor", 0) == 0) ++ours;
            if (registered && named.find("mark") != std::string::npos) ++marks;
        },
        nullptr);
    ASSERT_EQ(testsupport::ActivateJackClient(watcher), 0);
    writeSettings("yellow\nnormal\nyes\n\n");
    begin();
    plug.reset();
    // Once the watcher heard of a client made after the plug-in went, it heard of any before.
    jack_client_t* mark = jack_client_open(client("mark").c_str(), JackNoStartServer, nullptr);
    ASSERT_TRUE(mark);
    EXPECT_TRUE(testsupport::WaitUntil([] { return marks > 0; }, 10000));
    EXPECT_EQ(ours, 0);
    jack_client_close(mark);
    jack_client_close(watcher);
}

// The host hands over a note-off and closes the plug-in at once, 50 times: the note-off reaches
// the synthesizer every time.
TEST_F(Studio, ANoteOffRightBeforeTheCloseReachesTheSynthesizer) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    resources.clear(); // no editor needed: a quicker start
    auto q = synthesizer("n");
    const auto isNoteOff = [](const Message& m) {
        return m.received && m.bytes == testsupport::QsimProcess::Bytes{0x81, 0x3C, 0x00};
    };
    for (int run = 0; run < 50; ++run) {
        begin();
        // A note needs the connection made, which the probe shows, and the probe ended.
        ASSERT_TRUE(q->WaitFor(isProbe, 30000)) << run;
        waitForIdleJobThread(*plug);
        VstMidiEvent off{};
        off.type = kVstMidiType;
        off.byteSize = sizeof off;
        off.midiData[0] = char(0x81); // the global channel's messages are the plug-in's own
        off.midiData[1] = 0x3C;
        VstEvents events{};
        events.numEvents = 1;
        events.events[0] = reinterpret_cast<VstEvent*>(&off);
        AEffect* effect = plug->GetAEffect();
        ASSERT_EQ(effect->dispatcher(effect, effProcessEvents, 0, 0, &events, 0.0f), 1);
        (void)plug.release();
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        ASSERT_TRUE(q->WaitFor(isNoteOff, 5000)) << run;
    }
}

// A connection taken away in a patchbay: the display and the log say so and nothing connects it
// again behind the user's back; a bank stored into it fails at its first slot, and a bank
// fetched through an input taken away ends at once the same way, with nothing asked. Connected
// again, the port reaches the synthesizer, which is asked for its id anew.
TEST_F(Studio, APatchbayDisconnectIsShownNotUndoneAndFailsAStoreAndAFetchAtOnce) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    putBank("Bank.syx");
    auto q = synthesizer("p");
    begin();
    ASSERT_TRUE(q->WaitFor(isProbe, 30000));
    ASSERT_TRUE(shows("Plug-in is ready to go!"));
    waitForIdleJobThread(*plug);
    jack_client_t* patchbay = jack_client_open(client("pb").c_str(), JackNoStartServer, nullptr);
    ASSERT_TRUE(patchbay);
    const auto connectedTo = [&](const std::string& port) {
        const char** ports =
            jack_port_get_all_connections(patchbay, jack_port_by_name(patchbay, port.c_str()));
        const std::string first = ports && ports[0] ? ports[0] : "";
        jack_free(ports);
        return first;
    };
    const std::string ourOut = connectedTo(q->InPort()), ourIn = connectedTo(q->OutPort());
    ASSERT_FALSE(ourOut.empty() || ourIn.empty());

    ASSERT_EQ(jack_disconnect(patchbay, ourOut.c_str(), q->InPort().c_str()), 0);
    EXPECT_TRUE(shows("MIDI Out '" + client("p").substr(0, 8) + "\xE2\x80\xA6' not connected:",
                      "connect it, or choose a port"));
    EXPECT_TRUE(logged("MIDI PORTS: MIDI Out '" + q->InPort() +
                       "' not connected: connect it, or choose a port"));
    plug->SendAllProgramsFromLibrarian(0);
    waitForIdleJobThread(*plug);
    EXPECT_TRUE(logged("MIDI PORTS: Data write FAILED at slot 1!"));
    EXPECT_EQ(connectedTo(q->InPort()), "");

    ASSERT_EQ(jack_connect(patchbay, ourOut.c_str(), q->InPort().c_str()), 0);
    EXPECT_TRUE(q->WaitFor(isProbe, 30000));
    EXPECT_TRUE(shows("Plug-in is ready to go!"));
    waitForIdleJobThread(*plug);
    ASSERT_EQ(jack_disconnect(patchbay, q->OutPort().c_str(), ourIn.c_str()), 0);
    EXPECT_TRUE(shows("MIDI In '" + client("p").substr(0, 9) + "\xE2\x80\xA6' not connected:",
                      "connect it, or choose a port"));
    const size_t heard = q->Record().size();
    plug->sendAllPatchRequestSysexFromLibrarian(0);
    waitForIdleJobThread(*plug);
    EXPECT_TRUE(logged("MIDI PORTS: Data request FAILED at slot 1!"));
    EXPECT_EQ(q->Record().size(), heard);
    jack_client_close(patchbay);
}

namespace {

// Sets (or, with null, unsets) an environment variable of the test's process, and of the
// programs it starts, for its scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        const char* before = getenv(name);
        if (before) m_before = before;
        m_had = before != nullptr;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { m_had ? setenv(m_name, m_before.c_str(), 1) : unsetenv(m_name); }

private:
    const char* m_name;
    std::string m_before;
    bool m_had = false;
};

// A PipeWire of the test's own (no session manager: the plug-in makes its connections itself),
// and PipeWire's libjack first for the programs the test starts, as pw-jack has it. PipeWire and
// its clients find each other in XDG_RUNTIME_DIR alone.
struct OwnPipeWire {
    const std::string pwJack = "/usr/bin/pw-jack";
    const std::string run;
    const std::string missing;
    const ScopedEnv runtime{"XDG_RUNTIME_DIR", run.c_str()}, config{"XDG_CONFIG_HOME", run.c_str()},
        remote{"PIPEWIRE_REMOTE", nullptr}, runtimeDir{"PIPEWIRE_RUNTIME_DIR", nullptr},
        server{"JACK_DEFAULT_SERVER", nullptr}, api{"ZOZ_MIDI_API", "jack"},
        libjack{"LD_LIBRARY_PATH", "/usr/${LIB}/pipewire-0.3/jack"},
        // PipeWire keeps what it made for a client until the process ends.
        leaks{"ASAN_OPTIONS", "detect_leaks=0"};
    std::unique_ptr<testsupport::ChildProcess> pipewire;

    explicit OwnPipeWire(const std::string& folder)
        : run(folder), missing(std::filesystem::exists("/usr/bin/pipewire") &&
                                       std::filesystem::exists(pwJack)
                                   ? ""
                                   : testsupport::Lacking("programs",
                                                          "PipeWire's JACK is not installed "
                                                          "(scripts/setup --test installs it)")) {
        std::filesystem::create_directories(run);
        std::filesystem::permissions(run, std::filesystem::perms::owner_all);
    }
    ~OwnPipeWire() { Stop(SIGTERM); }
    bool Start() {
        pipewire = std::make_unique<testsupport::ChildProcess>(
            std::vector<std::string>{"/bin/sh", "-c", "exec pipewire >/dev/null 2>&1"});
        return testsupport::WaitUntil(
            [&] { return std::filesystem::exists(run + "/pipewire-0"); }, 30000);
    }
    void Stop(int signal) {
        if (!pipewire) return;
        pipewire->Signal(signal);
        pipewire->Finish(nullptr, 10000);
        pipewire.reset();
        std::filesystem::remove(run + "/pipewire-0");
    }
};

} // namespace

// PipeWire's JACK is JACK. The plug-in in zoz-host through pw-jack finds the simulated
// synthesizer, scans for its id and hears its answer: the scan ends at the synthesizer's id,
// which the project then keeps.
TEST_F(Studio, UnderPipeWiresJackThePlugInFindsTheSynthesizerAndHearsItsAnswer) {
    OwnPipeWire pipewire(temp.path() + "/run");
    if (!pipewire.missing.empty()) GTEST_SKIP() << pipewire.missing;
    ASSERT_TRUE(pipewire.Start());
    writeSettings("yellow\nnormal\nyes\n" + client("w") + ":in\n" + client("w") + "-out:out");
    testsupport::QsimProcess::Options nine;
    nine.deviceId = 9;
    testsupport::QsimProcess q(client("w"), nine);
    ASSERT_TRUE(q.Ready());
    std::string output;
    // The scan reaches id 9 in some 3 s; a loaded machine under a sanitizer takes a few times it.
    EXPECT_EQ(testsupport::RunProgram({pipewire.pwJack, ZOZ_HOST_PATH, ZOZ_EDITOR_PATH, "run=16000",
                                       "chunk-roundtrip"},
                                      &output, 120000,
                                      {"ZOZ_DATA_DIR=" + data,
                                       "ZOZ_RESOURCES_DIR=" ZOZ_BUILT_RESOURCES}),
              0)
        << output;
    const std::vector<Message> heard = q.Record();
    EXPECT_TRUE(std::any_of(heard.begin(), heard.end(),
                            [](const Message& m) { return isProbe(m) && m.bytes[3] == 9; }));
    EXPECT_TRUE(logged("MIDI PORTS: using JACK (ZOZ_MIDI_API)"));
    EXPECT_TRUE(logged("PROJECT RECALL: hardware DeviceID 9"));
}

// PipeWire's libjack tells its clients of PipeWire's end only through jack_on_shutdown. PipeWire
// killed and started again under the plug-in, the synthesizer with it: the plug-in says that the
// server ended, takes its ports back and probes the synthesizer.
TEST_F(Studio, UnderPipeWiresJackARestartIsNoticedAndThePortsComeBack) {
    OwnPipeWire pipewire(temp.path() + "/run");
    if (!pipewire.missing.empty()) GTEST_SKIP() << pipewire.missing;
    ASSERT_TRUE(pipewire.Start());
    writeSettings("yellow\nnormal\nyes\n" + client("r") + ":in\n" + client("r") + "-out:out");
    auto q = std::make_unique<testsupport::QsimProcess>(client("r"));
    ASSERT_TRUE(q->Ready());
    testsupport::ChildProcess host({pipewire.pwJack, ZOZ_HOST_PATH, ZOZ_EDITOR_PATH, "run=120000"},
                                   {"ZOZ_DATA_DIR=" + data,
                                    "ZOZ_RESOURCES_DIR=" ZOZ_BUILT_RESOURCES});
    ASSERT_TRUE(q->WaitFor(isProbe, 60000));
    pipewire.Stop(SIGKILL);
    q.reset();
    ASSERT_TRUE(pipewire.Start());
    q = std::make_unique<testsupport::QsimProcess>(client("r"));
    ASSERT_TRUE(q->Ready());
    EXPECT_TRUE(q->WaitFor(isProbe, 60000));
    host.WriteLine("");
    std::string output;
    EXPECT_EQ(host.Finish(&output, 30000), 0) << output;
    EXPECT_TRUE(logged("MIDI PORTS: no MIDI ports: the JACK server ended"));
}

// A host's plug-in scanner that exits with the plug-in open, its stored ports those of a
// synthesizer that is there: the process ends cleanly every time, though the plug-in's port
// watch still runs as exit() takes the process's objects down.
TEST_F(Studio, AScannerThatExitsWithThePlugInOpenEndsCleanly) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    auto q = synthesizer("x");
    // What a process that skips the close leaves unjoined or unfreed is the scanner's to answer.
    const char* tsan = getenv("TSAN_OPTIONS");
    const std::string threads =
        "TSAN_OPTIONS=" + std::string(tsan ? tsan : "") + ":report_thread_leaks=0";
    for (int run = 0; run < 20; ++run) {
        std::string output;
        EXPECT_EQ(testsupport::RunProgram({ZOZ_SCANNER_PATH, ZOZ_EDITOR_PATH, "--no-close"},
                                          &output, 60000,
                                          {"ZOZ_DATA_DIR=" + data, "ZOZ_RESOURCES_DIR=" + resources,
                                           "ASAN_OPTIONS=detect_leaks=0", threads}),
                  0)
            << "run " << run;
        EXPECT_EQ(output, "VST|Zoz Editor|Kavmoor\n") << "run " << run;
    }
    EXPECT_TRUE(logged("MIDI PORTS: using JACK (ZOZ_MIDI_API)"));
}
