#include "platform/midi/JackPort.h"

#include <jack/uuid.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <shared_mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Our clients, whichever plug-in or thread made them. Opens share `turns`; a close takes it
// alone, as libjack may free a client whose server ended during an open. Kept while a client
// is: a host that exits without closing its plug-ins leaves their threads running while the
// process's static objects go.
struct Clients {
    std::shared_timed_mutex turns;
    std::mutex lock; // the list
    std::vector<JackClient*> list;
};

Clients*& allClients() {
    static Clients* all = new Clients;
    return all;
}

Clients& clients() {
    // A plug-in left alive at exit may look for a client after the list went.
    Clients*& all = allClients();
    if (!all) all = new Clients;
    return *all;
}

// Set as the process begins to end: no client opens from then on, and one that libjack was
// opening meanwhile is closed at once. Then, once our clients are closed, closing one only lets
// it go: libjack's own static objects go next.
std::atomic<bool> g_ending{false};
std::atomic<bool> g_ended{false};

// Cycles run by all our ports: a port whose client the server has not run for a while after
// its start, while it ran others of ours, is lost. (A server that waits for every client, as a
// synchronous one does, runs a cycle only every few seconds then.)
std::atomic<uint64_t> g_cycles{0};
constexpr uint64_t kUnrunCycles = 4;
constexpr auto kUnrunTime = std::chrono::seconds(2);
// The server tells a client of every connection made or taken away within a cycle or two; a
// libjack that has told nothing of the port's own after this many is asked for the graph.
constexpr uint64_t kToldCycles = 50;
// Opens of a client that the server refused, each under the name kept or numbered, and the
// looks for a client elsewhere that holds the name after each.
constexpr int kOpenTries = 5;
constexpr int kHolderLooks = 10;
constexpr auto kHolderLookPause = std::chrono::milliseconds(5);

// Which libjack the module runs on. jack1's lacks jack_get_version_string, so it is looked up
// at run time in the libjack the module is linked to (which may be in no global scope). That
// libjack stays loaded for good once the module asked for it: each load maps JACK's shared
// registry anew and no unload gives it back, so a host that loads and unloads the module would
// grow with every load.
enum class Libjack { kJackd2, kJack1, kOther };

Libjack libjack() {
    static const Libjack found = [] {
        void* lib = dlopen("libjack.so.0", RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        if (!lib) return Libjack::kOther;
        using Version = const char* (*)();
        const auto version = reinterpret_cast<Version>(dlsym(lib, "jack_get_version_string"));
        // PipeWire's gives a version of its own, "… PipeWire …".
        const char* text = version ? version() : nullptr;
        const Libjack which = !version ? Libjack::kJack1
                              : text && strncmp(text, "1.9.", 4) == 0 && !strstr(text, "PipeWire")
                                  ? Libjack::kJackd2
                                  : Libjack::kOther;
        dlclose(lib);
        return which;
    }();
    return found;
}

// The server that libjack asks for a client.
std::string defaultServer() {
    const char* named = getenv("JACK_DEFAULT_SERVER");
    return named && *named ? named : "default";
}

std::string jackd2Socket(const std::string& server) {
    return "/dev/shm/jack_" + server + "_" + std::to_string(getuid()) + "_0";
}

// Where the server that JACK_DEFAULT_SERVER names takes clients, as libjack looks for it; empty
// where libjack looks by itself (PipeWire's, a promiscuous jackd2 server).
std::string serverSocket() {
    const bool promiscuous = getenv("JACK_PROMISCUOUS_SERVER") != nullptr;
    switch (libjack()) {
    case Libjack::kJackd2:
        return promiscuous ? "" : jackd2Socket(defaultServer());
    case Libjack::kJack1:
        return "/dev/shm/jack" + (promiscuous ? "" : "-" + std::to_string(getuid())) + "/" +
               defaultServer() + "/jack_0";
    case Libjack::kOther:
        break;
    }
    return "";
}

bool socketAnswers(const std::string& path) {
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

// Whether to ask libjack for a client: jackd2's and jack1's answer a missing server with lines
// through the process's error function, so they are asked only once the server's socket takes a
// connection.
bool serverAnswers() {
    const std::string path = serverSocket();
    return path.empty() || socketAnswers(path);
}

// The running JACK server, other than ours, that has a client named `name`; "" when there is
// none or it cannot be told. jackd2's libjack names the socket through which a client opens
// after the client alone, so ours fails when such a client opens at the same moment; jackd2
// keeps a semaphore for each client, named after its server and its name. One that opens and
// closes again and again has it open within moments of the failure it caused.
std::string nameHolder(const std::string& name) {
    if (libjack() != Libjack::kJackd2) return "";
    const std::string prefix = "jack_sem." + std::to_string(getuid()) + "_";
    const std::string suffix = "_" + name;
    const std::string ours = defaultServer();
    std::string holder;
    for (int look = 0; holder.empty() && look < kHolderLooks; ++look) {
        if (look > 0) std::this_thread::sleep_for(kHolderLookPause);
        DIR* shm = opendir("/dev/shm");
        while (shm && holder.empty()) {
            const dirent* entry = readdir(shm);
            if (!entry) break;
            const std::string file = entry->d_name;
            if (file.size() <= prefix.size() + suffix.size() || file.rfind(prefix, 0) != 0 ||
                file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            // A server that was killed leaves its semaphores behind.
            const std::string server =
                file.substr(prefix.size(), file.size() - prefix.size() - suffix.size());
            if (server != ours && socketAnswers(jackd2Socket(server))) holder = server;
        }
        if (shm) closedir(shm);
    }
    return holder;
}

std::string numbered(const std::string& name, int number) {
    return name + (number < 10 ? "-0" : "-") + std::to_string(number);
}

} // namespace

void JackClient::closeEndedLocked() {
    std::lock_guard<std::mutex> lock(clients().lock);
    for (JackClient* client : clients().list)
        if (client->m_ended) client->closeNow();
}

std::unique_ptr<JackClient> JackClient::Open(const std::string& name, JackNotice ended,
                                             void* arg) {
    Clients& all = clients();
    {
        std::unique_lock<std::shared_timed_mutex> alone(all.turns);
        closeEndedLocked();
    }
    if (!serverAnswers()) return nullptr;
    jack_client_t* opened = nullptr;
    std::string why; // the name is not the one asked for
    const auto because = [&why](const std::string& reason) {
        why += (why.empty() ? "" : "; ") + reason;
    };
    {
        std::shared_lock<std::shared_timed_mutex> opening(all.turns);
        if (g_ending) return nullptr;
        std::string asked = name;
        for (int tries = 0, number = 0; tries < kOpenTries; ++tries) {
            jack_status_t status;
            opened = jack_client_open(asked.c_str(), JackNoStartServer, &status);
            if (opened) {
                // The server numbers a name that a client of its own holds.
                if (status & JackNameNotUnique)
                    because("a client named \"" + asked + "\" runs on the JACK server");
                break;
            }
            // A server that could not be reached is not there under any name either. Any other
            // error of the server may pass: the name stays unless a client elsewhere holds it.
            if (!(status & JackServerError) || (status & JackServerFailed)) break;
            const std::string holder = nameHolder(asked);
            if (holder.empty()) continue;
            because("a client on the JACK server \"" + holder + "\" holds \"" + asked + "\"");
            asked = numbered(name, ++number);
        }
        // The end waits for this open, and would close nothing opened after it.
        if (opened && g_ending) {
            jack_client_close(opened);
            return nullptr;
        }
    }
    if (!opened) return nullptr;
    std::unique_ptr<JackClient> client(new JackClient(ended, arg));
    client->m_client = opened;
    client->m_name = jack_get_client_name(opened);
    client->m_renamed = why;
    jack_on_info_shutdown(opened, &JackClient::onShutdown, client.get());
    std::lock_guard<std::mutex> lock(all.lock);
    all.list.push_back(client.get());
    return client;
}

void JackClient::EndProcess() {
    Clients& all = clients();
    g_ending = true;
    // An open under way closes what it got, a close under way ends: as a look under way is
    // waited for.
    std::unique_lock<std::shared_timed_mutex> alone(all.turns);
    // A client that goes without a close costs a server seconds of waiting for it, and one
    // whose server ended is only let go.
    std::lock_guard<std::mutex> lock(all.lock);
    for (JackClient* client : all.list)
        if (!client->m_ended) client->closeNow();
    g_ended = true;
}

void JackClient::ForgetAll() {
    Clients*& all = allClients();
    {
        std::lock_guard<std::mutex> lock(all->lock);
        if (!all->list.empty()) return;
    }
    delete all;
    all = nullptr;
}

void JackClient::CloseEnded() {
    std::unique_lock<std::shared_timed_mutex> alone(clients().turns);
    closeEndedLocked();
}

JackClient::~JackClient() {
    Clients& all = clients();
    // Alone whatever its server's state now: a server that ends during the close would leave
    // an ended client closed beside an open, in which libjack may free it.
    std::unique_lock<std::shared_timed_mutex> alone(all.turns);
    {
        std::lock_guard<std::mutex> lock(all.lock);
        all.list.erase(std::find(all.list.begin(), all.list.end(), this));
    }
    closeNow();
}

void JackClient::closeNow() {
    std::lock_guard<std::mutex> use(m_use);
    if (m_client && !g_ended) jack_client_close(m_client);
    m_client = nullptr;
}

void JackClient::onShutdown(jack_status_t, const char*, void* self) {
    auto* client = static_cast<JackClient*>(self);
    client->m_ended = true;
    if (client->m_notice) client->m_notice(client->m_arg);
}

bool JackPort::Open(const std::string& peer, const std::string& portName, MidiErrors& errors) {
    Close();
    std::unique_ptr<JackClient> client = JackClient::Open(m_clientName, m_changed, m_changedArg);
    if (!client) {
        errors.Fail("JACK refused a client named \"" + m_clientName + "\"");
        return false;
    }
    std::string failed;
    {
        // The port watch closes a client whose server ended meanwhile.
        std::lock_guard<std::mutex> use(client->Use());
        if (!client->Get())
            failed = "the JACK server ended";
        else if (!peer.empty() && !jack_port_by_name(client->Get(), peer.c_str()))
            return false;
        else
            failed = start(*client, peer, portName);
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
    m_peer = peer;
    return true;
}

std::string JackPort::start(JackClient& client, const std::string& peer,
                            const std::string& portName) {
    jack_client_t* jack = client.Get();
    jack_port_t* peerPort = peer.empty() ? nullptr : jack_port_by_name(jack, peer.c_str());
    m_peerId = peerPort ? jack_uuid_to_index(jack_port_uuid(peerPort)) : 0;
    m_peerGone = false;
    m_connected = m_connectionTold = false;
    m_cycles = 0;
    m_othersAtStart = g_cycles.load();
    m_startedAt = std::chrono::steady_clock::now();
    m_port = jack_port_register(jack, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, m_flags, 0);
    if (!m_port) return "JACK refused the port \"" + portName + "\"";
    m_ownId = jack_uuid_to_index(jack_port_uuid(m_port));
    if (jack_set_process_callback(jack, &JackPort::run, this) != 0 ||
        (peerPort &&
         (jack_set_port_registration_callback(jack, &JackPort::onRegistration, this) != 0 ||
          jack_set_port_connect_callback(jack, &JackPort::onConnect, this) != 0)) ||
        jack_activate(jack) != 0)
        return "JACK would not run the client \"" + client.Name() + "\"";
    if (!peerPort) return "";
    const std::string own = jack_port_name(m_port);
    const bool input = m_flags & JackPortIsInput;
    const std::string& from = input ? peer : own;
    const std::string& to = input ? own : peer;
    if (jack_connect(jack, from.c_str(), to.c_str()) != 0)
        return "JACK could not connect \"" + from + "\" to \"" + to + "\"";
    return "";
}

void JackPort::Close() {
    m_client.reset();
    m_port = nullptr;
}

const std::string& JackPort::ClientName() const {
    return m_client ? m_client->Name() : m_clientName;
}

int JackPort::run(jack_nframes_t frames, void* self) {
    auto* port = static_cast<JackPort*>(self);
    const int result = port->m_process(frames, port->m_arg);
    port->m_cycles.fetch_add(1, std::memory_order_release);
    g_cycles.fetch_add(1, std::memory_order_relaxed);
    return result;
}

void JackPort::onRegistration(jack_port_id_t id, int registered, void* self) {
    auto* port = static_cast<JackPort*>(self);
    if (registered || id != port->m_peerId.load()) return;
    port->m_peerGone = true;
    if (port->m_changed) port->m_changed(port->m_changedArg);
}

void JackPort::onConnect(jack_port_id_t a, jack_port_id_t b, int connected, void* self) {
    auto* port = static_cast<JackPort*>(self);
    const uint32_t own = port->m_ownId, peer = port->m_peerId.load();
    if (!((a == own && b == peer) || (a == peer && b == own))) return;
    port->m_connected = connected != 0;
    port->m_connectionTold = true;
    // The watch's own client may have heard of it first, and looked before this one did.
    if (port->m_changed) port->m_changed(port->m_changedArg);
}

PortLink JackPort::Link(std::string* why) {
    if (!m_client) {
        *why = "the port is closed";
        return PortLink::kLost;
    }
    std::lock_guard<std::mutex> use(m_client->Use());
    jack_client_t* jack = m_client->Get();
    if (m_client->Ended() || !jack) {
        *why = "the JACK server ended";
        return PortLink::kLost;
    }
    if (m_peer.empty()) return PortLink::kReaches;
    // Every send asks: the text is made only for a port that does not reach its peer.
    const auto gone = [this, why] {
        *why = "the port \"" + m_peer + "\" is gone";
        return PortLink::kLost;
    };
    if (m_peerGone) return gone();
    const uint64_t cycles = Cycles();
    if (cycles == 0) {
        if (g_cycles.load() - m_othersAtStart < kUnrunCycles ||
            std::chrono::steady_clock::now() - m_startedAt < kUnrunTime)
            return PortLink::kPending;
        *why = "JACK never ran the client \"" + m_client->Name() + "\"";
        return PortLink::kLost;
    }
    bool connected = m_connected;
    if (!m_connectionTold) {
        if (cycles < kToldCycles) return PortLink::kPending;
        if (!jack_port_by_name(jack, m_peer.c_str())) return gone();
        connected = jack_port_connected_to(m_port, m_peer.c_str());
    }
    if (!connected) {
        *why = "the port is not connected to \"" + m_peer + "\"";
        return PortLink::kUnconnected;
    }
    return PortLink::kReaches;
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
