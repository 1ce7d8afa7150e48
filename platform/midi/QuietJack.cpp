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

bool JackPort::Open(const std::string& peer, const std::string& portName, std::string* failed) {
    Close();
    failed->clear();
    jack_client_t* client = OpenJackClient(m_clientName);
    if (!client) {
        *failed = "JACK refused a client named \"" + m_clientName + "\"";
        return false;
    }
    QuietJack quiet;
    if (!peer.empty() && !jack_port_by_name(client, peer.c_str())) {
        jack_client_close(client);
        return false;
    }
    m_port = jack_port_register(client, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, m_flags, 0);
    if (!m_port) {
        *failed = "JACK refused the port \"" + portName + "\"";
    } else if (jack_set_process_callback(client, m_process, m_arg) != 0 ||
               jack_activate(client) != 0) {
        *failed = "JACK would not run the client \"" + std::string(jack_get_client_name(client)) +
                  "\"";
    } else if (!peer.empty()) {
        const std::string own = jack_port_name(m_port);
        const bool input = m_flags & JackPortIsInput;
        const std::string& from = input ? peer : own;
        const std::string& to = input ? own : peer;
        if (jack_connect(client, from.c_str(), to.c_str()) != 0)
            *failed = "JACK could not connect \"" + from + "\" to \"" + to + "\"";
    }
    if (failed->empty()) {
        m_client = client;
        return true;
    }
    jack_client_close(client);
    m_port = nullptr;
    return false;
}

void JackPort::Close() {
    if (!m_client) return;
    CloseJackClient(m_client);
    m_client = nullptr;
    m_port = nullptr;
}

} // namespace platform
