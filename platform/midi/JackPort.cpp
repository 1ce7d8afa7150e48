#include "platform/midi/JackPort.h"

#include <jack/uuid.h>

#include <algorithm>

namespace platform {

namespace {

// Cycles run by all our ports: a port whose client the server has not run for a while after
// its start, while it ran others of ours, is lost. (A server that waits for every client, as a
// synchronous one does, runs a cycle only every few seconds then.)
std::atomic<uint64_t> g_cycles{0};
constexpr uint64_t kUnrunCycles = 4;
constexpr auto kUnrunTime = std::chrono::seconds(2);
// The graph that a client reads shows a connection made or taken away from the server's next
// cycle on: once the server ran the port's client this many times since.
constexpr uint64_t kSettleCycles = 2;
constexpr uint32_t kNoPort = UINT32_MAX;
constexpr uint64_t kNever = UINT64_MAX;

} // namespace

// Set while the client is not running; the rest is the layer's read, for the cycle it was asked
// for (0 before the first).
struct JackPort::Graph {
    jack_port_t* port = nullptr;
    std::string peer;
    std::atomic<bool> peerGone{false};
    std::atomic<uint64_t> asked{0};
    std::atomic<uint64_t> readFor{0};
    std::atomic<bool> connected{false};

    // On the layer's thread. A peer that went is not asked for: jackd2's libjack prints a line
    // for a name it lacks.
    void read() {
        const uint64_t forCycle = asked.load();
        if (!peerGone) connected = jack_port_connected_to(port, peer.c_str()) == 1;
        readFor = forCycle;
    }
};

JackPort::JackPort(std::string clientName, unsigned long flags, JackProcessCallback process,
                   void* arg, JackNotice changed, void* changedArg)
    : m_clientName(std::move(clientName)), m_flags(flags), m_process(process), m_arg(arg),
      m_changed(changed), m_changedArg(changedArg) {}

bool JackPort::Open(const std::string& peer, const std::string& portName, MidiErrors& errors,
                    JackClient::Until until) {
    Close(until);
    std::unique_ptr<JackClient> client =
        JackClient::Open(m_clientName, until, m_changed, m_changedArg);
    if (!client) {
        errors.Fail("JACK refused a client named \"" + m_clientName + "\"");
        return false;
    }
    // Activated outside Calls: the layer's thread may be closing the client meanwhile (its
    // server ended), which waits for them.
    std::string failed;
    {
        const JackClient::Calls calls(*client);
        jack_client_t* jack = client->Get();
        if (jack && !peer.empty() && !jack_port_by_name(jack, peer.c_str())) return false;
        failed = prepare(*client, peer, portName);
    }
    if (failed.empty() && client->Activate(until) != 0)
        failed = "JACK would not run the client \"" + client->Name() + "\"";
    if (failed.empty()) {
        const JackClient::Calls calls(*client);
        failed = connect(*client);
    }
    if (!failed.empty()) {
        // Its process callback reads the port until the client is gone.
        client.reset();
        m_port = nullptr;
        errors.Fail(failed);
        return false;
    }
    if (client->Name() != m_clientName)
        errors.Tell("the JACK client \"" + m_clientName + "\" opened as \"" + client->Name() +
                    "\"" + (client->Renamed().empty() ? "" : ": " + client->Renamed()));
    m_client = std::move(client);
    return true;
}

std::string JackPort::prepare(JackClient& client, const std::string& peer,
                              const std::string& portName) {
    jack_client_t* jack = client.Get();
    if (!jack) return "the JACK server ended";
    const bool peered = !peer.empty();
    m_peerId = kNoPort;
    m_cycles = 0;
    // Read by the process callback and the layer: set while the client is not running.
    m_graph = std::make_shared<Graph>();
    m_graph->peer = peer;
    m_settled = kNever;
    m_asked = 0;
    m_port = jack_port_register(jack, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, m_flags, 0);
    if (!m_port) return "JACK refused the port \"" + portName + "\"";
    m_graph->port = m_port;
    m_ownId = jack_uuid_to_index(jack_port_uuid(m_port));
    m_rate = jack_get_sample_rate(jack);
    m_periodNs = 0;
    m_runner = &client;
    client.SetRead([graph = m_graph] { graph->read(); });
    if (!client.SetProcess(&JackPort::run, this) || !client.SetXrun(&JackPort::onXrun, this) ||
        (peered && (!client.SetPortRegistration(&JackPort::onRegistration, this) ||
                    !client.SetPortConnect(&JackPort::onConnect, this))))
        return "JACK would not run the client \"" + client.Name() + "\"";
    m_othersAtStart = g_cycles.load();
    m_startedAt = std::chrono::steady_clock::now();
    return "";
}

std::string JackPort::connect(JackClient& client) {
    jack_client_t* jack = client.Get();
    if (!jack) return "the JACK server ended";
    const std::string& peer = m_graph->peer;
    if (peer.empty()) return "";
    const std::string own = jack_port_name(m_port);
    const bool input = m_flags & JackPortIsInput;
    const std::string& from = input ? peer : own;
    const std::string& to = input ? own : peer;
    if (jack_connect(jack, from.c_str(), to.c_str()) != 0)
        return "JACK could not connect \"" + from + "\" to \"" + to + "\"";
    // Read before the connection shows, the port would be said to reach nothing.
    m_settled = Cycles() + kSettleCycles;
    // The one of that name now: the one looked up before may have gone and come back meanwhile.
    jack_port_t* peerPort = jack_port_by_name(jack, peer.c_str());
    m_peerId = peerPort ? jack_uuid_to_index(jack_port_uuid(peerPort)) : kNoPort;
    return "";
}

void JackPort::Close(JackClient::Until until) {
    if (m_client) m_client->Close(std::min(until, std::chrono::steady_clock::now() +
                                                      JackClient::kStopWait));
    m_client.reset();
    m_port = nullptr;
}

const std::string& JackPort::ClientName() const {
    return m_client ? m_client->Name() : m_clientName;
}

// A change that the port was told of shows from the settled cycle on: the layer reads it then.
int JackPort::run(jack_nframes_t frames, void* self) {
    auto* port = static_cast<JackPort*>(self);
    if (port->m_rate)
        port->m_periodNs.store(int64_t(frames) * 1000000000 / port->m_rate,
                               std::memory_order_release);
    const int result = port->m_process(frames, port->m_arg);
    const uint64_t cycles = port->m_cycles.fetch_add(1, std::memory_order_release) + 1;
    g_cycles.fetch_add(1, std::memory_order_relaxed);
    const uint64_t settled = port->m_settled.load(std::memory_order_acquire);
    if (cycles >= settled && port->m_asked.load(std::memory_order_relaxed) != settled) {
        port->m_asked.store(settled, std::memory_order_relaxed);
        port->m_graph->asked.store(settled);
        port->m_runner->AskRead();
    }
    return result;
}

void JackPort::onRegistration(jack_port_id_t id, int registered, void* self) {
    auto* port = static_cast<JackPort*>(self);
    if (registered || id != port->m_peerId.load()) return;
    port->m_graph->peerGone = true;
    if (port->m_changed) port->m_changed(port->m_changedArg);
}

void JackPort::onConnect(jack_port_id_t a, jack_port_id_t b, int, void* self) {
    auto* port = static_cast<JackPort*>(self);
    if (a != port->m_ownId && b != port->m_ownId) return;
    // The notice may be of another port that had one of these numbers: it only says when to
    // read the graph again, once it shows the change.
    port->m_settled = port->Cycles() + kSettleCycles;
    if (port->m_changed) port->m_changed(port->m_changedArg);
}

int JackPort::onXrun(void* self) {
    static_cast<JackPort*>(self)->m_xruns.Told(
        std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now().time_since_epoch())
            .count());
    return 0;
}

PortLink JackPort::Link(std::string* why) {
    if (!m_client) {
        *why = "the port is closed";
        return PortLink::kLost;
    }
    const JackClient::Calls calls(*m_client);
    jack_client_t* jack = m_client->Get();
    if (!jack) {
        *why = "the JACK server ended";
        return PortLink::kLost;
    }
    const Graph& graph = *m_graph;
    if (graph.peer.empty()) return PortLink::kReaches;
    // Every send asks: the text is made only for a port that does not reach its peer.
    const auto gone = [&graph, why] {
        *why = "the port \"" + graph.peer + "\" is gone";
        return PortLink::kLost;
    };
    if (graph.peerGone) return gone();
    const uint64_t cycles = Cycles();
    if (cycles == 0) {
        if (g_cycles.load() - m_othersAtStart < kUnrunCycles ||
            std::chrono::steady_clock::now() - m_startedAt < kUnrunTime)
            return PortLink::kPending;
        *why = "JACK never ran the client \"" + m_client->Name() + "\"";
        return PortLink::kLost;
    }
    if (!jack_port_by_name(jack, graph.peer.c_str())) return gone();
    if (graph.readFor.load() == 0) return PortLink::kPending;
    if (!graph.connected) {
        *why = "the port is not connected to \"" + graph.peer + "\"";
        return PortLink::kUnconnected;
    }
    return PortLink::kReaches;
}

double JackPort::CycleSeconds() {
    if (!m_client) return 0;
    const JackClient::Calls calls(*m_client);
    jack_client_t* jack = m_client->Get();
    if (!jack) return 0;
    const jack_nframes_t rate = jack_get_sample_rate(jack);
    return rate ? double(jack_get_buffer_size(jack)) / rate : 0;
}

} // namespace platform
