#include "tests/support/MidiSystem.h"

#include "tests/support/Services.h"

#include <jack/jack.h>

#include <cstdlib>

namespace testsupport {

std::string MidiSystemMissing() {
    const char* server = getenv("JACK_DEFAULT_SERVER");
    if (!server) return Lacking("jack", "no private JACK server (scripts/test starts one)");
    jack_status_t status;
    jack_client_t* probe = jack_client_open("zozprobe", JackNoStartServer, &status);
    if (!probe)
        return Lacking("jack", std::string("the JACK server ") + server + " is not running");
    jack_client_close(probe);
    setenv("ZOZ_MIDI_API", "jack", 1);
    return "";
}

} // namespace testsupport
