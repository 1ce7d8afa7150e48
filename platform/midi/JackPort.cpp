#include "platform/midi/JackPort.h"

#include <algorithm>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Our clients, whichever plug-in or thread made them; opens and closes take turns.
std::mutex g_clientsLock;
std::vector<JackClient*> g_clients;

// Whether a server listens where libjack would look for it (the server's name from
// JACK_DEFAULT_SERVER, as libjack takes it). A promiscuous server's socket is named otherwise:
// libjack looks for that one itself.
bool serverAnswers() {
    if (getenv("JACK_PROMISCUOUS_SERVER")) return true;
    const char* named = getenv("JACK_DEFAULT_SERVER");
    const std::string path = "/dev/shm/jack_" + std::string(named && *named ? named : "default") +
                             "_" + std::to_string(getuid()) + "_0";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return true;
    path.copy(address.sun_path, path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return true;
    const bool answers = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return answers;
}

} // namespace

void JackClient::closeEndedLocked() {
    for (JackClient* client : g_clients)
        if (client->m_ended) client->closeNow();
}

std::unique_ptr<JackClient> JackClient::Open(const std::string& name, JackNotice ended,
                                             void* arg) {
    std::lock_guard<std::mutex> lock(g_clientsLock);
    closeEndedLocked();
    if (!serverAnswers()) return nullptr;
    jack_status_t status;
    jack_client_t* opened = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (!opened) return nullptr;
    std::unique_ptr<JackClient> client(new JackClient(ended, arg));
    client->m_client = opened;
    jack_on_info_shutdown(opened, &JackClient::onShutdown, client.get());
    g_clients.push_back(client.get());
    return client;
}

void JackClient::CloseEnded() {
    std::lock_guard<std::mutex> lock(g_clientsLock);
    closeEndedLocked();
}

JackClient::~JackClient() {
    std::lock_guard<std::mutex> lock(g_clientsLock);
    g_clients.erase(std::find(g_clients.begin(), g_clients.end(), this));
    closeNow();
}

void JackClient::closeNow() {
    std::lock_guard<std::mutex> use(m_use);
    if (m_client) jack_client_close(m_client);
    m_client = nullptr;
}

void JackClient::onShutdown(jack_status_t, const char*, void* self) {
    auto* client = static_cast<JackClient*>(self);
    client->m_ended = true;
    if (client->m_notice) client->m_notice(client->m_arg);
}

bool JackPort::Open(const std::string& peer, const std::string& portName, std::string* failed) {
    Close();
    failed->clear();
    std::unique_ptr<JackClient> client = JackClient::Open(m_clientName);
    if (!client) {
        *failed = "JACK refused a client named \"" + m_clientName + "\"";
        return false;
    }
    jack_client_t* jack = client->Get();
    if (!peer.empty() && !jack_port_by_name(jack, peer.c_str())) return false;
    m_port = jack_port_register(jack, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, m_flags, 0);
    if (!m_port) {
        *failed = "JACK refused the port \"" + portName + "\"";
    } else if (jack_set_process_callback(jack, m_process, m_arg) != 0 ||
               jack_activate(jack) != 0) {
        *failed = "JACK would not run the client \"" + std::string(jack_get_client_name(jack)) +
                  "\"";
    } else if (!peer.empty()) {
        const std::string own = jack_port_name(m_port);
        const bool input = m_flags & JackPortIsInput;
        const std::string& from = input ? peer : own;
        const std::string& to = input ? own : peer;
        if (jack_connect(jack, from.c_str(), to.c_str()) != 0)
            *failed = "JACK could not connect \"" + from + "\" to \"" + to + "\"";
    }
    if (failed->empty()) {
        m_client = std::move(client);
        m_peer = peer;
        return true;
    }
    m_port = nullptr;
    return false;
}

void JackPort::Close() {
    m_client.reset();
    m_port = nullptr;
}

bool JackPort::Reaches(std::string* why) {
    if (!m_client) {
        *why = "the port is closed";
        return false;
    }
    std::lock_guard<std::mutex> use(m_client->Use());
    if (m_client->Ended() || !m_client->Get()) {
        *why = "the JACK server ended";
        return false;
    }
    // By the peer's name: a connection made just now shows in the graph only from the server's
    // next cycle on.
    if (!m_peer.empty() && !jack_port_by_name(m_client->Get(), m_peer.c_str())) {
        *why = "the port \"" + m_peer + "\" is gone";
        return false;
    }
    return true;
}

double JackPort::CycleSeconds() {
    if (!m_client) return 0;
    std::lock_guard<std::mutex> use(m_client->Use());
    jack_client_t* jack = m_client->Get();
    if (m_client->Ended() || !jack) return 0;
    const jack_nframes_t rate = jack_get_sample_rate(jack);
    return rate ? double(jack_get_buffer_size(jack)) / rate : 0;
}

} // namespace platform
