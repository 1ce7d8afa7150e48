#include "platform/midi/JackPort.h"

#include <jack/uuid.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fstream>
#include <map>
#include <optional>
#include <pthread.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Our clients, whichever plug-in or thread made them. An open or a close takes its turn: jackd2's
// libjack may free the process's clients during an open, and an open first closes those it
// would free. The list, and what libjack may still tell of the clients let go, change only in a
// turn. Kept while a client is: a host that exits without closing its plug-ins leaves their
// threads running while the process's static objects go.
struct Clients {
    std::mutex turns;
    std::vector<JackClient*> list;
    std::vector<std::unique_ptr<JackClient::Told>> letGo;
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

// Every client has a serial, in the order they opened; those below g_endedBelow have ended.
// Libjack's notice of an end moves it past every client opened so far, the one being opened too.
std::atomic<uint64_t> g_opened{0};
std::atomic<uint64_t> g_endedBelow{0};

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
// The graph that a client reads shows a connection made or taken away from the server's next
// cycle on: once the server ran the port's client this many times since.
constexpr uint64_t kSettleCycles = 2;
constexpr uint32_t kNoPort = UINT32_MAX;
constexpr uint64_t kNever = UINT64_MAX;
// How long a close waits for libjack to tell a client that its server ended.
constexpr auto kToldTime = std::chrono::seconds(1);
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

// Whether a socket bound to `path` listens, as the kernel lists the process's sockets: jack1's
// server logs an error for every connection that hangs up without a request. Unknown when the
// list cannot be read.
std::optional<bool> listensAt(const std::string& path) {
    std::ifstream unix("/proc/net/unix");
    if (!unix) return std::nullopt;
    // "Num RefCount Protocol Flags Type St Inode Path"; a listening socket's flags hold
    // __SO_ACCEPTCON.
    constexpr unsigned long kAcceptCon = 0x10000;
    for (std::string line; std::getline(unix, line);) {
        std::istringstream fields(line);
        std::string num, refs, protocol, flags, type, state, inode, bound;
        if (!(fields >> num >> refs >> protocol >> flags >> type >> state >> inode >> bound) ||
            bound != path)
            continue;
        if (strtoul(flags.c_str(), nullptr, 16) & kAcceptCon) return true;
    }
    return false;
}

// Whether to ask libjack for a client: jackd2's and jack1's answer a missing server with lines
// through the process's error function, so they are asked only once the server's socket takes a
// connection (jackd2's) or listens (jack1's).
bool serverAnswers() {
    const std::string path = serverSocket();
    if (path.empty()) return true;
    if (libjack() == Libjack::kJack1) {
        const std::optional<bool> listens = listensAt(path);
        if (listens) return *listens;
    }
    return socketAnswers(path);
}

// Which jackd2 server answers at its socket: the socket file's inode, which each server makes
// anew as it starts; 0 when none answers.
uint64_t jackd2Server(const std::string& path) {
    struct stat file;
    if (stat(path.c_str(), &file) != 0 || !S_ISSOCK(file.st_mode) || !socketAnswers(path))
        return 0;
    return file.st_ino;
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

// The process's print functions for libjack (the host's, or libjack's own), each call made with
// the thread's cancel deferred: a thread that libjack cancels inside stdio (its lock taken or
// waited for) leaves stderr locked for good (see JackClient).
using JackPrint = void (*)(const char*);
std::atomic<JackPrint> g_processError{nullptr};
std::atomic<JackPrint> g_processInfo{nullptr};

void printDeferred(const std::atomic<JackPrint>& print, const char* text) {
    int type;
    pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, &type);
    print.load()(text);
    pthread_setcanceltype(type, &type);
}

void errorDeferred(const char* text) {
    printDeferred(g_processError, text);
}

void infoDeferred(const char* text) {
    printDeferred(g_processInfo, text);
}

// Under the turn of opens and closes: wraps what the process uses now, the host's function set
// since included.
void deferPrints() {
    if (jack_error_callback && jack_error_callback != &errorDeferred) {
        g_processError = jack_error_callback;
        jack_set_error_function(&errorDeferred);
    }
    if (jack_info_callback && jack_info_callback != &infoDeferred) {
        g_processInfo = jack_info_callback;
        jack_set_info_function(&infoDeferred);
    }
}

// As the module goes: libjack stays, and would call into it.
void restorePrints() {
    if (jack_error_callback == &errorDeferred) jack_set_error_function(g_processError);
    if (jack_info_callback == &infoDeferred) jack_set_info_function(g_processInfo);
}

std::chrono::steady_clock::time_point toldWithin() {
    return std::chrono::steady_clock::now() + kToldTime;
}

std::string numbered(const std::string& name, int number) {
    return name + (number < 10 ? "-0" : "-") + std::to_string(number);
}

} // namespace

SigpipeBlocked::SigpipeBlocked() {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, &m_mask);
    sigset_t pending;
    sigpending(&pending);
    m_wasPending = sigismember(&pending, SIGPIPE) == 1;
}

SigpipeBlocked::~SigpipeBlocked() {
    sigset_t pending;
    sigpending(&pending);
    if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        const timespec now{};
        while (sigtimedwait(&pipe, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &m_mask, nullptr);
}

JackClient::JackClient(JackNotice ended, void* arg) : m_told(new Told{ended, arg}) {}

bool JackClient::Ended() const {
    return m_serial < g_endedBelow.load();
}

void JackClient::endAll() {
    const uint64_t opened = g_opened.load();
    uint64_t below = g_endedBelow.load();
    while (below < opened && !g_endedBelow.compare_exchange_weak(below, opened)) {
    }
}

void JackClient::closeEndedAlone() {
    const auto toldBy = toldWithin();
    for (JackClient* client : clients().list)
        if (client->Ended()) client->closeNow(toldBy);
}

// jackd2's libjack frees every client of the process at an open once it told one of them that
// its server ended. The clients it may have freed are let go, and one opened meanwhile closes
// rather than be freed under us at the next open.
std::unique_ptr<JackClient> JackClient::Open(const std::string& name, JackNotice ended,
                                             void* arg) {
    Clients& all = clients();
    const std::lock_guard<std::mutex> turn(all.turns);
    const SigpipeBlocked quiet;
    if (g_ending) return nullptr;
    const bool jackd2 = libjack() == Libjack::kJackd2;
    // The server each socket has now; a client whose server is another, or none, has ended,
    // though libjack may not have told it yet.
    std::map<std::string, uint64_t> servers;
    const auto changed = [&servers] {
        bool any = false;
        for (JackClient* client : clients().list) {
            const Server& was = client->m_server;
            if (was.instance == 0 || !client->m_client) continue;
            const auto known = servers.find(was.socket);
            const uint64_t now = known != servers.end() ? known->second
                                                        : (servers[was.socket] = jackd2Server(
                                                               was.socket));
            any = any || now != was.instance;
        }
        return any;
    };
    if (jackd2 && changed()) endAll();
    closeEndedAlone();
    if (!serverAnswers()) return nullptr;
    deferPrints();
    const uint64_t endedBefore = g_endedBelow.load();
    Server server;
    if (jackd2) {
        server.socket = serverSocket();
        server.instance = server.socket.empty() ? 0 : jackd2Server(server.socket);
    }
    const uint64_t serial = g_opened++;
    jack_client_t* opened = nullptr;
    std::string why; // the name is not the one asked for
    const auto because = [&why](const std::string& reason) {
        why += (why.empty() ? "" : "; ") + reason;
    };
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
    servers.clear();
    if (jackd2 && (g_endedBelow.load() != endedBefore || changed())) {
        // A server ended during the open: libjack may have freed what it held, and would free
        // the new client with them at a later open.
        endAll();
        for (JackClient* client : all.list)
            client->letGo();
        if (opened) jack_client_close(opened);
        return nullptr;
    }
    if (!opened) return nullptr;
    std::unique_ptr<JackClient> client(new JackClient(ended, arg));
    client->m_serial = serial;
    client->m_server = server;
    client->m_client = opened;
    client->m_name = jack_get_client_name(opened);
    client->m_renamed = why;
    jack_on_info_shutdown(opened, &JackClient::onShutdown, client->m_told.get());
    all.list.push_back(client.get());
    return client;
}

void JackClient::EndProcess() {
    Clients& all = clients();
    g_ending = true;
    // An open or a close under way ends first: as a look under way is waited for.
    const std::lock_guard<std::mutex> turn(all.turns);
    const SigpipeBlocked quiet;
    // A client that goes without a close costs a server seconds of waiting for it, and one
    // whose server ended is only let go.
    for (JackClient* client : all.list)
        client->Ended() ? client->letGo() : client->closeNow(toldWithin());
    g_ended = true;
}

void JackClient::ForgetAll() {
    Clients*& all = allClients();
    {
        const std::lock_guard<std::mutex> turn(all->turns);
        if (!all->list.empty()) return;
        restorePrints();
    }
    delete all;
    all = nullptr;
}

void JackClient::CloseEnded() {
    const std::lock_guard<std::mutex> turn(clients().turns);
    const SigpipeBlocked quiet;
    closeEndedAlone();
}

JackClient::~JackClient() {
    Clients& all = clients();
    const std::lock_guard<std::mutex> turn(all.turns);
    const SigpipeBlocked quiet;
    all.list.erase(std::find(all.list.begin(), all.list.end(), this));
    g_ended ? letGo() : closeNow(toldWithin());
}

void JackClient::closeNow(std::chrono::steady_clock::time_point toldBy) {
    if (!m_client) return;
    while (Ended() && !m_told->told && std::chrono::steady_clock::now() < toldBy)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::lock_guard<std::mutex> use(m_use);
    jack_client_close(m_client);
    m_client = nullptr;
}

void JackClient::letGo() {
    const std::lock_guard<std::mutex> use(m_use);
    if (!m_client) return;
    m_client = nullptr;
    clients().letGo.push_back(std::move(m_told));
}

int JackClient::Activate() {
    const auto cancelOnlyWhereItMay = [](void*) {
        pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, nullptr);
        return 0;
    };
    if (jack_set_graph_order_callback(m_client, cancelOnlyWhereItMay, nullptr) != 0) return -1;
    return jack_activate(m_client);
}

void JackClient::onShutdown(jack_status_t, const char*, void* told) {
    endAll();
    auto* what = static_cast<Told*>(told);
    if (what->notice) what->notice(what->arg);
    what->told = true;
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
        // A client that ended meanwhile is closed at the next open or look.
        const JackClient::Calls calls(*client);
        jack_client_t* jack = client->Get();
        if (jack && !peer.empty() && !jack_port_by_name(jack, peer.c_str())) return false;
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
    return true;
}

std::string JackPort::start(JackClient& client, const std::string& peer,
                            const std::string& portName) {
    jack_client_t* jack = client.Get();
    if (!jack) return "the JACK server ended";
    jack_port_t* peerPort = peer.empty() ? nullptr : jack_port_by_name(jack, peer.c_str());
    m_peerId = kNoPort;
    m_peerGone = false;
    m_cycles = 0;
    // Read by the process callback: set while the client is not running.
    m_peer = peer;
    m_settled = kNever;
    m_readFor = 0;
    m_connected = false;
    m_othersAtStart = g_cycles.load();
    m_startedAt = std::chrono::steady_clock::now();
    m_port = jack_port_register(jack, portName.c_str(), JACK_DEFAULT_MIDI_TYPE, m_flags, 0);
    if (!m_port) return "JACK refused the port \"" + portName + "\"";
    m_ownId = jack_uuid_to_index(jack_port_uuid(m_port));
    if (jack_set_process_callback(jack, &JackPort::run, this) != 0 ||
        jack_set_xrun_callback(jack, &JackPort::onXrun, this) != 0 ||
        (peerPort &&
         (jack_set_port_registration_callback(jack, &JackPort::onRegistration, this) != 0 ||
          jack_set_port_connect_callback(jack, &JackPort::onConnect, this) != 0)) ||
        client.Activate() != 0)
        return "JACK would not run the client \"" + client.Name() + "\"";
    if (!peerPort) return "";
    const std::string own = jack_port_name(m_port);
    const bool input = m_flags & JackPortIsInput;
    const std::string& from = input ? peer : own;
    const std::string& to = input ? own : peer;
    if (jack_connect(jack, from.c_str(), to.c_str()) != 0)
        return "JACK could not connect \"" + from + "\" to \"" + to + "\"";
    // Read before the connection shows, the port would be said to reach nothing.
    m_settled = Cycles() + kSettleCycles;
    // The one of that name now: the one looked up before may have gone and come back meanwhile.
    peerPort = jack_port_by_name(jack, peer.c_str());
    m_peerId = peerPort ? jack_uuid_to_index(jack_port_uuid(peerPort)) : kNoPort;
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
    const uint64_t cycles = port->m_cycles.fetch_add(1, std::memory_order_release) + 1;
    g_cycles.fetch_add(1, std::memory_order_relaxed);
    // A change that the port was told of shows now. The graph is read here, where jackd2's
    // libjack reads it as it stands: elsewhere a read waits for the server's next cycle while
    // any change of its graph is pending, and a send or a look under the plug lock would wait
    // with it (for as long as the server runs no cycle).
    const uint64_t settled = port->m_settled.load(std::memory_order_acquire);
    if (cycles >= settled && port->m_readFor.load(std::memory_order_relaxed) != settled) {
        // A peer that went is not asked for: jackd2's libjack prints a line for a name it lacks.
        if (!port->m_peer.empty() && !port->m_peerGone)
            port->m_connected = jack_port_connected_to(port->m_port, port->m_peer.c_str()) == 1;
        port->m_readFor.store(settled, std::memory_order_release);
        if (port->m_changed) port->m_changed(port->m_changedArg);
    }
    return result;
}

void JackPort::onRegistration(jack_port_id_t id, int registered, void* self) {
    auto* port = static_cast<JackPort*>(self);
    if (registered || id != port->m_peerId.load()) return;
    port->m_peerGone = true;
    if (port->m_changed) port->m_changed(port->m_changedArg);
}

void JackPort::onConnect(jack_port_id_t a, jack_port_id_t b, int, void* self) {
    auto* port = static_cast<JackPort*>(self);
    if (a != port->m_ownId && b != port->m_ownId) return;
    // The notice may be of another port that had one of these numbers: it only says when to
    // read the graph again, now and once it shows the change.
    port->m_settled = port->Cycles() + kSettleCycles;
    if (port->m_changed) port->m_changed(port->m_changedArg);
}

int JackPort::onXrun(void* self) {
    auto* port = static_cast<JackPort*>(self);
    port->m_lastXrunNs.store(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::steady_clock::now().time_since_epoch())
                                 .count(),
                             std::memory_order_release);
    port->m_xruns.fetch_add(1, std::memory_order_acq_rel);
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
    if (!jack_port_by_name(jack, m_peer.c_str())) return gone();
    if (m_readFor.load(std::memory_order_acquire) == 0) return PortLink::kPending;
    if (!m_connected) {
        *why = "the port is not connected to \"" + m_peer + "\"";
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
