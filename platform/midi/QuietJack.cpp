#include "platform/midi/QuietJack.h"

namespace platform {

namespace {

std::mutex g_quiet;

void ignoreJackText(const char*) {}

} // namespace

QuietJack::QuietJack() : m_hold(g_quiet), m_error(jack_error_callback), m_info(jack_info_callback) {
    jack_set_error_function(ignoreJackText);
    jack_set_info_function(ignoreJackText);
}

QuietJack::~QuietJack() {
    jack_set_error_function(m_error);
    jack_set_info_function(m_info);
}

jack_client_t* OpenJackClient(const std::string& name) {
    QuietJack quiet;
    jack_status_t status;
    return jack_client_open(name.c_str(), JackNoStartServer, &status);
}

void CloseJackClient(jack_client_t* client) {
    QuietJack quiet;
    jack_client_close(client);
}

jack_client_t* OpenJackPort(const std::string& clientName, const std::string& portName,
                            unsigned long flags, const std::string& peer,
                            JackProcessCallback process, void* arg, jack_port_t** port,
                            std::string* failed) {
    failed->clear();
    jack_client_t* client = OpenJackClient(clientName);
    if (!client) {
        *failed = "JACK refused a client named \"" + clientName + "\"";
        return nullptr;
    }
    QuietJack quiet;
    if (!peer.empty() && !jack_port_by_name(client, peer.c_str())) {
        jack_client_close(client);
        return nullptr;
    }
    *port = jack_port_register(client, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, flags, 0);
    if (!*port) {
        *failed = "JACK refused the port \"" + portName + "\"";
    } else if (jack_set_process_callback(client, process, arg) != 0 || jack_activate(client) != 0) {
        *failed = "JACK would not run the client \"" + std::string(jack_get_client_name(client)) +
                  "\"";
    } else if (!peer.empty()) {
        const std::string own = jack_port_name(*port);
        const bool input = flags & JackPortIsInput;
        const std::string& from = input ? peer : own;
        const std::string& to = input ? own : peer;
        if (jack_connect(client, from.c_str(), to.c_str()) != 0)
            *failed = "JACK could not connect \"" + from + "\" to \"" + to + "\"";
    }
    if (failed->empty()) return client;
    jack_client_close(client);
    *port = nullptr;
    return nullptr;
}

} // namespace platform
