#include "platform/midi/JackClient.h"

#include "platform/midi/JackLayer.h"
#include "platform/midi/JackNameHolder.h"
#include "platform/midi/JackPrints.h"
#include "platform/midi/JackServer.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <map>
#include <optional>
#include <pthread.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The owner's handlers run only while it is open; closing waits for one under way. A handler's
// thread that libjack cancels inside it leaves as the unwinding passes.
class Gate {
public:
    class Pass {
    public:
        explicit Pass(Gate& gate) : m_gate(gate) {
            m_gate.m_busy.fetch_add(1);
            m_through = m_gate.m_open.load();
        }
        ~Pass() { m_gate.m_busy.fetch_sub(1); }
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;
        explicit operator bool() const { return m_through; }

    private:
        Gate& m_gate;
        bool m_through;
    };
    void Close() {
        m_open.store(false);
        while (m_busy.load() > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }

private:
    std::atomic<int> m_busy{0};
    std::atomic<bool> m_open{true};
};

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}


} // namespace

struct JackClient::Record {
    // Set by the layer's thread as it opens, closes or lets go of the client; read under `use`.
    jack_client_t* jack = nullptr;
    std::mutex use;
    Gate gate;
    JackNotice notice = nullptr;
    void* noticeArg = nullptr;
    JackProcessCallback process = nullptr;
    void* processArg = nullptr;
    JackPortRegistrationCallback registration = nullptr;
    void* registrationArg = nullptr;
    JackXRunCallback xrun = nullptr;
    void* xrunArg = nullptr;
    JackPortConnectCallback connect = nullptr;
    void* connectArg = nullptr;
    std::function<void()> read;
    std::atomic<bool> readAsked{false};
    // libjack's thread that tells it that its server ended: hearing it (once), which thread, and
    // heard (the owner's notice done).
    std::atomic<bool> hearing{false};
    std::atomic<pid_t> hearer{0};
    std::atomic<bool> heard{false};
    // Let go, and freed by libjack at an open of ours that knew of its end: what it tells after
    // is old news. When it was let go.
    std::atomic<bool> freed{false};
    int64_t letGoAtNs = 0;
    uint64_t serial = 0;
    // The server's socket, and which of its servers answered there when the client opened.
    std::string socket;
    uint64_t instance = 0;
    std::string name;
    std::string renamed;
};

namespace {

using Record = JackClient::Record;

// Opens of a client that the server refused, each under the name kept or numbered.
constexpr int kOpenTries = 5;

// Every client has a serial, in the order they opened; those below g_endedBelow have ended.
// Libjack's notice of an end moves it past every client opened so far, the one being opened too.
std::atomic<uint64_t> g_opened{0};
std::atomic<uint64_t> g_endedBelow{0};
// When the layer last learnt of an end, from libjack or from the server's socket.
std::atomic<int64_t> g_endedAtNs{0};
// The clients below it have ended and libjack knows so (it told one of ours, or said that it
// frees them): jackd2's libjack frees them at the next open of any thread.
std::atomic<uint64_t> g_freeableBelow{0};
// Set as the process begins to end: no client opens from then on. Then, once our clients are
// closed, closing one only lets it go: libjack's own static objects go next.
std::atomic<bool> g_ending{false};
std::atomic<bool> g_ended{false};

bool ended(const Record& record) {
    return record.serial < g_endedBelow.load();
}

// Lock-free, for libjack's threads.
void endAll() {
    const uint64_t opened = g_opened.load();
    uint64_t below = g_endedBelow.load();
    while (below < opened) {
        if (g_endedBelow.compare_exchange_weak(below, opened)) {
            g_endedAtNs = nowNs();
            return;
        }
    }
}

// The layer found a server's end at its socket, told or not, and ends our clients: the host's
// may not have heard of it yet either.
void endFound() {
    endAll();
    g_endedAtNs = nowNs();
}

void noticeOwner(Record& record) {
    const Gate::Pass pass(record.gate);
    if (pass && record.notice) record.notice(record.noticeArg);
}

void defer(void* = nullptr) {
    pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, nullptr);
}

// jackd2's libjack tells an activated client of a new graph order at once, on its thread for the
// server's notices: from then on it is cancelled only where it may be.
int deferOnGraphOrder(void*) {
    defer();
    return 0;
}

// Lock-free: libjack told a client of ours that its server ended, or says that it frees them.
void libjackKnowsOfAnEnd() {
    endAll();
    const uint64_t below = g_endedBelow.load();
    for (uint64_t freeable = g_freeableBelow.load();
         freeable < below && !g_freeableBelow.compare_exchange_weak(freeable, below);) {
    }
}

// On libjack's thread that tells of the end (one of the client's own). The rest of that thread's
// run is cancelled only where it may be; on jackd2 its end is awaited before an open. A notice
// that comes late, after clients of ours opened on a new server, ends them too: jackd2's libjack
// frees them with the rest at the next open. One from a client that such an open freed is old news.
void hearEnd(Record* record) {
    if (!record->freed) libjackKnowsOfAnEnd();
    if (record->hearing.exchange(true)) return;
    defer();
    record->hearer = pid_t(syscall(SYS_gettid));
    noticeOwner(*record);
    record->heard = true;
}

// Whether libjack told the client of its server's end and the thread that told it has ended. A
// thread's id is not given to another within the seconds this is asked.
bool hearerEnded(const Record& record) {
    return record.heard && syscall(SYS_tgkill, getpid(), record.hearer.load(), 0) != 0 &&
           errno == ESRCH;
}

// Waits until `ready`, and kToldTime after the latest end at most: a jackd2 server that ends as
// asked closes its socket first and tells its clients (and sends them the notices of what its
// end takes away) for a while after. One not told by then is held elsewhere (a handler of the
// host's), not in libjack's end.
template <class Ready> void untilHeard(const Ready& ready) {
    const int64_t until =
        g_endedAtNs.load() +
        std::chrono::duration_cast<std::chrono::nanoseconds>(JackClient::kToldTime).count();
    while (!ready() && nowNs() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void onInfoShutdown(jack_status_t, const char*, void* record) {
    hearEnd(static_cast<Record*>(record));
}

// PipeWire's libjack tells only this one.
void onShutdown(void* record) {
    hearEnd(static_cast<Record*>(record));
}

int processThrough(jack_nframes_t frames, void* self) {
    auto* record = static_cast<Record*>(self);
    const Gate::Pass pass(record->gate);
    return pass ? record->process(frames, record->processArg) : 0;
}

void registrationThrough(jack_port_id_t id, int registered, void* self) {
    defer();
    auto* record = static_cast<Record*>(self);
    const Gate::Pass pass(record->gate);
    if (pass) record->registration(id, registered, record->registrationArg);
}

void connectThrough(jack_port_id_t a, jack_port_id_t b, int connected, void* self) {
    defer();
    auto* record = static_cast<Record*>(self);
    const Gate::Pass pass(record->gate);
    if (pass) record->connect(a, b, connected, record->connectArg);
}

int xrunThrough(void* self) {
    defer();
    auto* record = static_cast<Record*>(self);
    const Gate::Pass pass(record->gate);
    return pass ? record->xrun(record->xrunArg) : 0;
}

// The layer thread's own: our clients open, those let go (libjack may still tell them), and the
// jackd2 server last seen at the socket of our last open (0: none) and when, whose going is an
// end, heard or not. Kept for the life of the process, as the layer's thread is.
struct Clients {
    std::vector<std::shared_ptr<Record>> live;
    std::vector<std::shared_ptr<Record>> letGo;
    std::string seenSocket;
    uint64_t seenInstance = 0;
    int64_t seenAtNs = 0;
};

Clients& clients() {
    static Clients* const made = new Clients;
    return *made;
}

// The layer's idle work: the reads of the graph asked for.
void readGraphs() {
    for (const std::shared_ptr<Record>& record : clients().live) {
        if (!record->readAsked.exchange(false) || !record->read || ended(*record)) continue;
        record->read();
        noticeOwner(*record);
    }
}

// libjack may call into the module for as long as the process lives.
void keepModuleLoaded() {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&keepModuleLoaded), &info) || !info.dli_fname) return;
    if (void* self = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
        dlclose(self);
}

// The layer's thread once asked for (null without one, and then nothing opens).
std::atomic<JackLayer*> g_layer{nullptr};
std::atomic<bool> g_layerMade{false};

JackLayer* layerThread() {
    static JackLayer* const made = [] {
        keepModuleLoaded();
        JackLayer* layer = JackLayer::Get(&readGraphs);
        g_layer = layer;
        g_layerMade = true;
        return layer;
    }();
    return made;
}

// Runs `work` on the layer's thread (JackLayer::Run); nothing without one.
template <class R>
std::optional<R> onLayer(JackClient::Until until, std::function<R()> work,
                         std::function<void(R&)> orphaned = {}) {
    JackLayer* layer = layerThread();
    if (!layer) return std::nullopt;
    return layer->Run<R>(until, std::move(work), std::move(orphaned));
}

// What follows runs on the layer's thread.

int64_t nsOf(std::chrono::nanoseconds span) {
    return span.count();
}

// The client, which its owner's calls see no more: they wait for none of ours into libjack.
jack_client_t* takeJack(Record& record) {
    const std::lock_guard<std::mutex> use(record.use);
    return std::exchange(record.jack, nullptr);
}

void closeNow(Record& record) {
    if (jack_client_t* jack = takeJack(record)) jack_client_close(jack);
}

void letGo(const std::shared_ptr<Record>& record) {
    takeJack(*record);
    record->letGoAtNs = nowNs();
    clients().letGo.push_back(record);
}

// Whether the jackd2 server the client opened on no longer answers at its socket: then libjack
// may have freed the client at any thread's open, whether or not it told us of the end.
bool serverGone(const Record& record) {
    return record.instance != 0 && Jackd2Instance(record.socket) != record.instance;
}

void closeRecord(const std::shared_ptr<Record>& record) {
    std::vector<std::shared_ptr<Record>>& live = clients().live;
    const auto held = std::find(live.begin(), live.end(), record);
    if (held == live.end()) return;
    live.erase(held);
    if (!ended(*record) && serverGone(*record)) endFound();
    if (g_ended || (ended(*record) && WhichLibjack() == Libjack::kJackd2)) {
        letGo(record);
    } else if (ended(*record)) {
        untilHeard([&record] { return record->heard.load(); });
        g_ended ? letGo(record) : closeNow(*record);
    } else {
        closeNow(*record);
    }
}

void closeEndedLive() {
    std::vector<std::shared_ptr<Record>> endedOnes;
    for (const std::shared_ptr<Record>& record : clients().live)
        if (ended(*record)) endedOnes.push_back(record);
    for (const std::shared_ptr<Record>& record : endedOnes)
        closeRecord(record);
}

// Whether a jackd2 server ended that the layer has not learnt of: the one a live client of ours
// opened on no longer answers at its socket, or another one does, or the server last seen
// there went since.
bool serverChanged() {
    std::map<std::string, uint64_t> servers;
    const auto now = [&servers](const std::string& socket) {
        const auto known = servers.find(socket);
        return known != servers.end() ? known->second : (servers[socket] = Jackd2Instance(socket));
    };
    Clients& ours = clients();
    bool changed = false;
    if (!ours.seenSocket.empty()) {
        const uint64_t seen = std::exchange(ours.seenInstance, now(ours.seenSocket));
        changed = seen != 0 && seen != ours.seenInstance && g_endedAtNs.load() < ours.seenAtNs;
        ours.seenAtNs = nowNs();
    }
    for (const std::shared_ptr<Record>& record : ours.live)
        changed = changed || (!ended(*record) && record->instance != 0 &&
                              now(record->socket) != record->instance);
    return changed;
}

// A let-go client that libjack freed is dropped once none of its threads can tell it anything:
// the one that told it of its end has ended. One never told stays listed, waited for no more:
// a thread of it that libjack left running would tell a record gone.
void pruneLetGo() {
    std::vector<std::shared_ptr<Record>>& letGo = clients().letGo;
    letGo.erase(std::remove_if(letGo.begin(), letGo.end(),
                               [](const std::shared_ptr<Record>& record) {
                                   return record->freed && hearerEnded(*record);
                               }),
                letGo.end());
}

// Waits until the host's own clients can have heard of the latest end (kEndGrace after it) and
// the threads that told ours have ended, while the server answers. Whether it does.
bool serverBackAndHeard(bool jackd2) {
    for (;;) {
        if (g_ending) return false;
        if (jackd2 && serverChanged()) endFound();
        closeEndedLive();
        if (!JackServerAnswers()) return false;
        const int64_t heard = g_endedAtNs.load() + nsOf(JackClient::kEndGrace);
        if (nowNs() >= heard) break;
        std::this_thread::sleep_for(std::chrono::nanoseconds(heard - nowNs()));
    }
    if (!jackd2) return true;
    // This open has libjack free the clients we let go, cancelling their threads. One freed
    // already, or let go more than kToldTime ago, is no longer waited for.
    const std::vector<std::shared_ptr<Record>>& letGo = clients().letGo;
    untilHeard([&letGo] {
        const int64_t now = nowNs();
        return std::all_of(letGo.begin(), letGo.end(), [now](const std::shared_ptr<Record>& r) {
            return r->freed || now - r->letGoAtNs > nsOf(JackClient::kToldTime) ||
                   hearerEnded(*r);
        });
    });
    return true;
}

// Opens the record's client: whether it did.
bool openOnLayer(const std::shared_ptr<Record>& record, const std::string& name) {
    const bool jackd2 = WhichLibjack() == Libjack::kJackd2;
    if (!serverBackAndHeard(jackd2)) return false;
    DeferLibjackPrints(&libjackKnowsOfAnEnd);
    const uint64_t endedBefore = g_endedBelow.load();
    // Once libjack told of every end we know of, jackd2's libjack frees their clients at this
    // open, telling some of them meanwhile: no news for the client it opens.
    const bool freesEnded = jackd2 && g_freeableBelow.load() >= endedBefore;
    if (freesEnded)
        for (const std::shared_ptr<Record>& freed : clients().letGo)
            freed->freed = true;
    if (jackd2) {
        record->socket = JackServerSocket();
        record->instance = record->socket.empty() ? 0 : Jackd2Instance(record->socket);
        clients().seenSocket = record->socket;
        clients().seenInstance = record->instance;
        clients().seenAtNs = nowNs();
    }
    if (!freesEnded) record->serial = g_opened++;
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
        const std::string holder = JackNameHolder(asked);
        if (holder.empty()) continue;
        because("a client on the JACK server \"" + holder + "\" holds \"" + asked + "\"");
        asked = NumberedJackName(name, ++number);
    }
    if (freesEnded) record->serial = g_opened++;
    if (jackd2) pruneLetGo();
    if (jackd2 && ((!freesEnded && g_endedBelow.load() != endedBefore) || serverChanged())) {
        // A server ended during the open: libjack may have freed what it held, and frees the
        // rest at a later open, any thread's: all are let go. The new client goes with them if
        // its server ended; else libjack may hold it still, and it is closed before anything
        // else of ours opens.
        endFound();
        for (const std::shared_ptr<Record>& held : clients().live)
            letGo(held);
        clients().live.clear();
        if (opened && !serverGone(*record)) jack_client_close(opened);
        return false;
    }
    if (!opened) return false;
    record->jack = opened;
    record->name = jack_get_client_name(opened);
    record->renamed = why;
    jack_on_shutdown(opened, &onShutdown, record.get());
    jack_on_info_shutdown(opened, &onInfoShutdown, record.get());
    clients().live.push_back(record);
    return true;
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

JackClient::JackClient(std::shared_ptr<Record> record) : m_record(std::move(record)) {}

std::unique_ptr<JackClient> JackClient::Open(const std::string& name, Until until,
                                             JackNotice notice, void* arg) {
    // Nothing of the layer's, the module's staying loaded included, until a server answers.
    if (!g_layerMade && !JackServerAnswers()) return nullptr;
    auto record = std::make_shared<Record>();
    record->notice = notice;
    record->noticeArg = arg;
    const std::optional<bool> opened = onLayer<bool>(
        until, [record, name] { return openOnLayer(record, name); },
        [record](bool& orphan) {
            if (orphan) closeRecord(record);
        });
    if (opened && *opened) return std::unique_ptr<JackClient>(new JackClient(record));
    // The caller, who may go now, is told nothing of a client the layer opens after all.
    if (!opened) record->gate.Close();
    return nullptr;
}

void JackClient::CloseEnded() {
    onLayer<bool>(std::chrono::steady_clock::now() + kStopWait, [] {
        closeEndedLive();
        return true;
    });
}

void JackClient::EndProcess() {
    g_ending = true;
    if (!g_layerMade) return;
    onLayer<bool>(std::chrono::steady_clock::now() + kStopWait, [] {
        std::vector<std::shared_ptr<Record>>& live = clients().live;
        for (const std::shared_ptr<Record>& record : live)
            ended(*record) || serverGone(*record) ? letGo(record) : closeNow(*record);
        live.clear();
        g_ended = true;
        return true;
    });
    g_ended = true;
}

void JackClient::Close(Until until) {
    if (std::exchange(m_closed, true)) return;
    m_record->gate.Close();
    const std::shared_ptr<Record> record = m_record;
    onLayer<bool>(until, [record] {
        closeRecord(record);
        return true;
    });
}

JackClient::~JackClient() {
    Close(std::chrono::steady_clock::now() + kStopWait);
}

JackClient::Calls::Calls(JackClient& client) : m_use(client.m_record->use) {}

bool JackClient::Ended() const {
    return ended(*m_record);
}

jack_client_t* JackClient::Get() const {
    return Ended() ? nullptr : m_record->jack;
}

bool JackClient::SetProcess(JackProcessCallback process, void* arg) {
    m_record->process = process;
    m_record->processArg = arg;
    return jack_set_process_callback(m_record->jack, &processThrough, m_record.get()) == 0;
}

bool JackClient::SetPortRegistration(JackPortRegistrationCallback registration, void* arg) {
    m_record->registration = registration;
    m_record->registrationArg = arg;
    return jack_set_port_registration_callback(m_record->jack, &registrationThrough,
                                               m_record.get()) == 0;
}

bool JackClient::SetPortConnect(JackPortConnectCallback connect, void* arg) {
    m_record->connect = connect;
    m_record->connectArg = arg;
    return jack_set_port_connect_callback(m_record->jack, &connectThrough, m_record.get()) == 0;
}

bool JackClient::SetXrun(JackXRunCallback xrun, void* arg) {
    m_record->xrun = xrun;
    m_record->xrunArg = arg;
    return jack_set_xrun_callback(m_record->jack, &xrunThrough, m_record.get()) == 0;
}

void JackClient::SetRead(std::function<void()> read) {
    m_record->read = std::move(read);
}

void JackClient::AskRead() {
    m_record->readAsked.store(true);
    if (JackLayer* layer = g_layer.load()) layer->Wake();
}

int JackClient::Activate(Until until) {
    const std::shared_ptr<Record> record = m_record;
    const std::optional<int> result = onLayer<int>(until, [record] {
        // jack1's libjack starts a thread that calls into a server which may be gone.
        if (ended(*record) || !record->jack) return -1;
        if (jack_set_graph_order_callback(record->jack, &deferOnGraphOrder, nullptr) != 0)
            return -1;
        return jack_activate(record->jack);
    });
    return result ? *result : -1;
}

const std::string& JackClient::Name() const {
    return m_record->name;
}

const std::string& JackClient::Renamed() const {
    return m_record->renamed;
}

} // namespace platform
