#pragma once

#include <jack/jack.h>

#include <mutex>
#include <string>

namespace platform {

// libjack tells on standard error why it found no server or refused a call (and on standard
// output some news) unless its print functions are replaced: while a QuietJack lives they are.
// Every holder takes one lock, so that two threads never leave the quiet ones in place.
class QuietJack {
public:
    QuietJack();
    ~QuietJack();
    QuietJack(const QuietJack&) = delete;
    QuietJack& operator=(const QuietJack&) = delete;

private:
    std::lock_guard<std::mutex> m_hold;
    void (*const m_error)(const char*);
    void (*const m_info)(const char*);
};

// A client of the JACK server, named `name` or a name the server makes from it; null when no
// server runs. Never starts a server; prints nothing.
jack_client_t* OpenJackClient(const std::string& name);
void CloseJackClient(jack_client_t* client);

// A client with one MIDI port (flags: JackPortIsInput or JackPortIsOutput), running `process`,
// its port connected to the port named `peer` unless that is empty. libjack's own thread walks
// a client's list of ports unguarded whenever the server reports latencies, so a port is never
// registered or unregistered on an active client: it is registered before the client runs and
// goes with it (CloseJackClient). Null when anything fails, with why in *failed, which is empty
// when only the peer is not there.
jack_client_t* OpenJackPort(const std::string& clientName, const std::string& portName,
                            unsigned long flags, const std::string& peer,
                            JackProcessCallback process, void* arg, jack_port_t** port,
                            std::string* failed);

} // namespace platform
