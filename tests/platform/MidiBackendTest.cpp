// The choice of the MIDI system and the look at its ports.

#include "platform/midi/MidiBackend.h"
#include "tests/support/JackActivation.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/Services.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

const std::string kClient = testsupport::OwnClientName("zoz backend test ");

std::string g_hostsLastJackText;

void hostsJackText(const char* text) {
    g_hostsLastJackText = text;
}

// What libjack and the MIDI library would print about the missing server stays unsaid, and
// what libjack prints still reaches the host's print function.
TEST(MidiBackend, JackNamedWithoutAServerGivesNoSystemQuietly) {
    void (*const before)(const char*) = jack_error_callback;
    jack_set_error_function(hostsJackText);
    const char* server = getenv("JACK_DEFAULT_SERVER");
    const std::string saved = server ? server : "";
    setenv("JACK_DEFAULT_SERVER", ("zoz-none-" + std::to_string(getpid())).c_str(), 1);
    setenv("ZOZ_MIDI_API", "jack", 1);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const platform::MidiPorts ports = platform::LookForMidiPorts(kClient);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(ports.system, platform::MidiSystem::kNone);
    EXPECT_EQ(ports.about, "no MIDI ports: no JACK server (ZOZ_MIDI_API)");
    EXPECT_EQ(platform::NewMidiOut(ports.system, kClient, nullptr), nullptr);
    unsetenv("ZOZ_MIDI_API");
    server ? setenv("JACK_DEFAULT_SERVER", saved.c_str(), 1) : unsetenv("JACK_DEFAULT_SERVER");
    platform::LookForMidiPorts(kClient);
    jack_error_callback("a line of libjack's");
    EXPECT_EQ(g_hostsLastJackText, "a line of libjack's");
    jack_set_error_function(before);
}

// The look names a port as the library's client names it, in its direction only.
TEST(MidiBackend, JackWhenAServerRunsWithItsPortsNamedAsTheLibraryNamesThem) {
    unsetenv("ZOZ_MIDI_API");
    jack_client_t* peer = getenv("JACK_DEFAULT_SERVER")
                              ? jack_client_open(testsupport::OwnClientName("zozlook").c_str(),
                                                 JackNoStartServer, nullptr)
                              : nullptr;
    if (!peer)
        GTEST_SKIP() << testsupport::Lacking("jack",
                                             "no private JACK server (scripts/test starts one)");
    jack_port_register(peer, "src\xC3\xA9", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    testsupport::ActivateJackClient(peer);
    const platform::MidiPorts ports = platform::LookForMidiPorts(kClient);
    EXPECT_EQ(ports.about, "using JACK");
    const std::string port = std::string(jack_get_client_name(peer)) + ":src\xC3\xA9";
    EXPECT_EQ(std::count(ports.sources.begin(), ports.sources.end(), port), 1);
    EXPECT_EQ(std::count(ports.destinations.begin(), ports.destinations.end(), port), 0);
    platform::MidiErrors errors(nullptr);
    std::unique_ptr<RtMidiIn> in(platform::NewMidiIn(ports.system, "zoz test", 100, &errors));
    // Other tests share the server and come and go: only this client's ports are compared.
    const auto own = [&](const std::vector<std::string>& names) {
        std::vector<std::string> mine;
        for (const std::string& name : names)
            if (name.rfind(jack_get_client_name(peer), 0) == 0) mine.push_back(name);
        return mine;
    };
    std::vector<std::string> listed;
    for (unsigned int i = 0; i < in->getPortCount(); ++i)
        listed.push_back(in->getPortName(i));
    EXPECT_EQ(own(listed), std::vector<std::string>{port});
    EXPECT_FALSE(errors.TakeFailure());
    // A look on a thread of its own finds the same, and a port plugged in after one look is in
    // the next.
    platform::MidiPortWatch watch(kClient);
    platform::MidiPortLook meanwhile(watch);
    EXPECT_EQ(meanwhile.Ports().about, ports.about);
    EXPECT_EQ(own(meanwhile.Ports().sources), own(ports.sources));
    EXPECT_EQ(own(meanwhile.Ports().destinations), own(ports.destinations));
    // The watch's kept client hears of it and the next look has it.
    jack_port_register(peer, "plugged", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    // Waits with no time limit of its own: only a notice wakes it.
    auto woken = std::async(std::launch::async, [&watch] { return watch.Wait(false); });
    const bool woke = woken.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!woke) watch.Stop();
    EXPECT_TRUE(woke) << "the port's registration woke no watch";
    const platform::MidiPorts next = watch.Look(platform::MidiSystem::kNone);
    const std::string plugged = std::string(jack_get_client_name(peer)) + ":plugged";
    EXPECT_EQ(std::count(next.destinations.begin(), next.destinations.end(), plugged), 1);
    jack_client_close(peer);
}

// RtMidi tells of a message it could not send only as a warning from sendMessage: that one is a
// failure; its other warnings are news, and its debug warnings not even that.
TEST(MidiErrors, ARefusedSendIsAFailureAndOtherWarningsAreNot) {
    std::vector<std::string> told;
    platform::MidiErrors errors([&](const std::string& text) { told.push_back(text); });
    const std::string refused = "MidiOutAlsa::sendMessage: error sending MIDI message to port.";
    platform::MidiErrors::Callback(RtMidiError::WARNING, refused, &errors);
    EXPECT_TRUE(errors.TakeFailure());
    EXPECT_FALSE(errors.TakeFailure());
    platform::MidiErrors::Callback(
        RtMidiError::WARNING, "MidiInAlsa::getPortName: error looking for port name!", &errors);
    platform::MidiErrors::Callback(RtMidiError::DEBUG_WARNING, "sendMessage: debug", &errors);
    EXPECT_FALSE(errors.TakeFailure());
    EXPECT_EQ(told, (std::vector<std::string>{
                        refused, "MidiInAlsa::getPortName: error looking for port name!"}));
}

} // namespace
