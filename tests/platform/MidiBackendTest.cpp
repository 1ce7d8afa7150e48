// The choice of the MIDI system and the look at its ports.

#include "platform/midi/MidiBackend.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

// Sets an environment variable for one scope (null: unset).
class Env {
public:
    Env(const char* name, const char* value) : m_name(name) {
        if (const char* old = getenv(name)) m_old = old;
        m_had = getenv(name) != nullptr;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~Env() { m_had ? setenv(m_name, m_old.c_str(), 1) : unsetenv(m_name); }

private:
    const char* m_name;
    std::string m_old;
    bool m_had;
};

bool has(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// JACK and the MIDI library would print why they found no server; the look prints nothing.
TEST(MidiBackend, WithoutTheSystemItNamesThereIsNoneAndNothingIsPrinted) {
    const std::string none = "zoz-none-" + std::to_string(getpid());
    Env server("JACK_DEFAULT_SERVER", none.c_str());
    for (const char* api : {"jack", "alsa", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(api ? api : "unset");
        Env choice("ZOZ_MIDI_API", api);
        if (!api && access("/dev/snd/seq", R_OK | W_OK) == 0) continue;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const platform::MidiPorts ports = platform::LookForMidiPorts("zoz backend test");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        if (api && std::string(api) == "alsa" && ports.system == platform::MidiSystem::kAlsa)
            continue; // this machine has a sequencer
        EXPECT_EQ(ports.system, platform::MidiSystem::kNone);
        EXPECT_TRUE(ports.sources.empty() && ports.destinations.empty());
        EXPECT_EQ(ports.about.rfind("no MIDI ports: ", 0), 0u) << ports.about;
        EXPECT_EQ(platform::NewMidiOut(ports.system, "zoz backend test", nullptr), nullptr);
    }
}

// The look names a port the way the library's client does, in its direction only.
TEST(MidiBackend, JackWhenAServerRunsWithItsPortsNamedAsTheLibraryNamesThem) {
    if (!getenv("JACK_DEFAULT_SERVER")) GTEST_SKIP() << "no private JACK server";
    Env choice("ZOZ_MIDI_API", nullptr);
    jack_client_t* peer =
        jack_client_open(("zozlook" + std::to_string(getpid())).c_str(), JackNoStartServer, nullptr);
    if (!peer) GTEST_SKIP() << "the JACK server is not running";
    jack_port_register(peer, "src\xC3\xA9", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_activate(peer);
    const std::string port = std::string(jack_get_client_name(peer)) + ":src\xC3\xA9";

    const platform::MidiPorts ports = platform::LookForMidiPorts("zoz backend test");
    EXPECT_EQ(ports.system, platform::MidiSystem::kJack);
    EXPECT_EQ(ports.about, "using JACK");
    EXPECT_TRUE(has(ports.sources, port));
    EXPECT_FALSE(has(ports.destinations, port));
    platform::MidiErrors errors(nullptr);
    std::unique_ptr<RtMidiIn> in(platform::NewMidiIn(ports.system, "zoz backend test", 100, &errors));
    std::vector<std::string> library;
    for (unsigned int i = 0; i < in->getPortCount(); ++i)
        library.push_back(in->getPortName(i));
    EXPECT_EQ(library, ports.sources);
    EXPECT_FALSE(errors.TakeFailure());
    jack_client_close(peer);
}

} // namespace
