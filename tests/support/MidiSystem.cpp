#include "tests/support/MidiSystem.h"

#include "tests/support/Services.h"

#include <jack/jack.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace testsupport {

std::string MidiSystemMissing() {
    const char* server = getenv("JACK_DEFAULT_SERVER");
    if (!server) return Lacking("jack", "no private JACK server (scripts/test starts one)");
    // A running server refuses a new client for a moment while it still notifies one that
    // died without closing (a killed simulator, a crashed test): asked again, it takes it.
    // libjack names a client's socket after the client alone, whatever its server: the name is
    // this process's, so that a test run beside on another server cannot take it meanwhile.
    const std::string name = "zozprobe" + std::to_string(getpid());
    jack_client_t* probe = nullptr;
    for (int tries = 0; !probe && tries < 20; ++tries) {
        if (tries) std::this_thread::sleep_for(std::chrono::milliseconds(250));
        jack_status_t status;
        probe = jack_client_open(name.c_str(), JackNoStartServer, &status);
    }
    if (!probe)
        return Lacking("jack", std::string("the JACK server ") + server + " is not running");
    jack_client_close(probe);
    setenv("ZOZ_MIDI_API", "jack", 1);
    return "";
}

} // namespace testsupport
