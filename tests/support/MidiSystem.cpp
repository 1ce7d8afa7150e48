#include "tests/support/MidiSystem.h"

#include "tests/support/Services.h"

#include <jack/jack.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace testsupport {

std::string OwnClientName(const std::string& what) {
    return what + std::to_string(getpid());
}

std::string MidiSystemMissing() {
    const char* server = getenv("JACK_DEFAULT_SERVER");
    if (!server) return Lacking("jack", "no private JACK server (scripts/test starts one)");
    // A running server refuses a new client for a moment while it still notifies one that
    // died without closing (a killed simulator, a crashed test): asked again, it takes it.
    const std::string name = OwnClientName("zozprobe");
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
