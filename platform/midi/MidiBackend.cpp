#include "platform/midi/MidiBackend.h"

#include "platform/midi/JackClient.h"

#include <jack/jack.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <unistd.h>

namespace platform {

namespace {

std::vector<std::string> jackPorts(jack_client_t* client, unsigned long flags) {
    std::vector<std::string> names;
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    for (size_t i = 0; ports && ports[i]; ++i)
        names.emplace_back(ports[i]);
    if (ports) jack_free(ports);
    return names;
}

// A client for looking. One that nobody watches is never activated: it takes no part in the
// server's cycles, so looking costs the running graph nothing. A watched one is activated with
// no port and no process callback, since the server tells only active clients of ports coming,
// going or being connected.
std::unique_ptr<JackClient> jackLookClient(const std::string& clientName, MidiPortWatch* watch) {
    const JackClient::Until until = std::chrono::steady_clock::now() + JackClient::kStartWait;
    std::unique_ptr<JackClient> client =
        JackClient::Open(clientName, until, watch ? &MidiPortWatch::Notice : nullptr, watch);
    if (!client || !watch) return client;
    const auto registered = [](jack_port_id_t, int, void* self) { MidiPortWatch::Notice(self); };
    const auto connected = [](jack_port_id_t, jack_port_id_t, int, void* self) {
        MidiPortWatch::Notice(self);
    };
    {
        const JackClient::Calls calls(*client);
        if (!client->Get() || !client->SetPortRegistration(registered, watch) ||
            !client->SetPortConnect(connected, watch))
            return nullptr;
    }
    if (client->Activate(until) != 0) return nullptr;
    return client;
}

// The library names JACK's ports the same way.
bool lookAtJack(MidiPorts& ports, JackClient& client) {
    const JackClient::Calls calls(client);
    jack_client_t* jack = client.Get();
    if (!jack) return false;
    ports.sources = jackPorts(jack, JackPortIsOutput);
    ports.destinations = jackPorts(jack, JackPortIsInput);
    return true;
}

template <class Client> std::vector<std::string> libraryPorts(Client& client) {
    std::vector<std::string> names;
    const unsigned int count = client.getPortCount();
    for (unsigned int i = 0; i < count; ++i) {
        const std::string name = client.getPortName(i);
        names.push_back(name.empty() ? "MIDI Port " + std::to_string(i + 1) : name);
    }
    return names;
}

// Without a sequencer ALSA would print its complaint before the library could be quieted.
bool lookAtAlsa(MidiPorts& ports, const std::string& clientName) {
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) return false;
    MidiErrors ignored(nullptr);
    try {
        const std::unique_ptr<RtMidiIn> in(NewMidiIn(MidiSystem::kAlsa, clientName, 1, &ignored));
        const std::unique_ptr<RtMidiOut> out(NewMidiOut(MidiSystem::kAlsa, clientName, &ignored));
        ports.sources = libraryPorts(*in);
        ports.destinations = libraryPorts(*out);
        return true;
    } catch (const RtMidiError&) {
        return false;
    }
}

MidiSystem forcedSystem() {
    const char* forced = getenv("ZOZ_MIDI_API");
    if (forced && strcmp(forced, "jack") == 0) return MidiSystem::kJack;
    if (forced && strcmp(forced, "alsa") == 0) return MidiSystem::kAlsa;
    return MidiSystem::kNone;
}

// What the programs beside the plug-in use: ALSA unless forced or a JACK server answers.
MidiSystem chosenSystem(const std::string& clientName) {
    const MidiSystem forced = forcedSystem();
    if (forced != MidiSystem::kNone) return forced;
    return JackClient::Open(clientName, std::chrono::steady_clock::now() + JackClient::kStartWait)
               ? MidiSystem::kJack
               : MidiSystem::kAlsa;
}

template <class Client, class... Args>
Client* newClient(MidiSystem system, MidiErrors* errors, const Args&... args) {
    if (system == MidiSystem::kNone) return nullptr;
    const RtMidi::Api api = system == MidiSystem::kJack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
    Client* client = new Client(api, args...);
    if (errors) client->setErrorCallback(&MidiErrors::Callback, errors);
    return client;
}

// The ports, read on JACK with `jack`, opened when null (and then watched by `watch` when that
// is not null); `jack` is left null for any other system.
MidiPorts look(const std::string& clientName, std::unique_ptr<JackClient>& jack,
               MidiSystem only, MidiPortWatch* watch) {
    const MidiSystem forced = forcedSystem();
    const bool jackOnly = (only == MidiSystem::kNone ? forced : only) == MidiSystem::kJack;
    const bool alsaOnly = (only == MidiSystem::kNone ? forced : only) == MidiSystem::kAlsa;
    const char* const why = forced != MidiSystem::kNone ? " (ZOZ_MIDI_API)" : "";
    MidiPorts ports;
    if (!alsaOnly && !jack) jack = jackLookClient(clientName, watch);
    if (jack && !lookAtJack(ports, *jack)) jack.reset();
    if (jack) {
        ports.system = MidiSystem::kJack;
        ports.about = std::string("using JACK") + why;
    } else if (!jackOnly && lookAtAlsa(ports, clientName)) {
        ports.system = MidiSystem::kAlsa;
        ports.about = std::string("using ALSA") + why;
    } else {
        ports.missing = std::string(jackOnly   ? "no JACK server"
                                    : alsaOnly ? "no ALSA sequencer"
                                               : "no JACK server, no ALSA sequencer") +
                        why;
        ports.about = "no MIDI ports: " + ports.missing;
    }
    return ports;
}

// The watches alive in the process; kept while one is, as exit() may run while they are.
struct Watches {
    std::mutex lock;
    std::vector<MidiPortWatch*> list;
};

Watches*& allWatches() {
    static Watches* all = new Watches;
    return all;
}

Watches& watches() {
    // A plug-in left alive at exit may make its first watch after the lists went.
    Watches*& all = allWatches();
    if (!all) all = new Watches;
    return *all;
}

} // namespace

// At exit() (or as the module is unloaded), before libjack's own static objects go, as it was
// loaded before the module: a host may end without closing its plug-ins, whose watches then
// still run. With none left, what the lists took is given back.
struct WatchesAtExit {
    ~WatchesAtExit() {
        Watches*& all = allWatches();
        {
            std::lock_guard<std::mutex> lock(all->lock);
            for (MidiPortWatch* watch : all->list) {
                watch->Stop();
                // A look under way ends first; none begins after the stop.
                std::lock_guard<std::mutex> looking(watch->m_lock);
            }
            JackClient::EndProcess();
            if (!all->list.empty()) return;
        }
        delete all;
        all = nullptr;
    }
};

static WatchesAtExit g_watchesAtExit;

void MidiErrors::Callback(RtMidiError::Type type, const std::string& text, void* self) {
    if (type == RtMidiError::DEBUG_WARNING) return;
    auto* errors = static_cast<MidiErrors*>(self);
    // The library tells of a message it could not send only as a warning from sendMessage.
    if (type != RtMidiError::WARNING || text.find("sendMessage") != std::string::npos)
        errors->m_failed = true;
    if (errors->m_report) errors->m_report(text);
}

MidiPorts LookForMidiPorts(const std::string& clientName, MidiSystem only) {
    std::unique_ptr<JackClient> jack;
    return look(clientName, jack, only, nullptr);
}

MidiPortWatch::MidiPortWatch(std::string clientName) : m_clientName(std::move(clientName)) {
    sem_init(&m_wake, 0, 0);
    std::lock_guard<std::mutex> lock(watches().lock);
    watches().list.push_back(this);
}

MidiPortWatch::~MidiPortWatch() {
    {
        std::lock_guard<std::mutex> lock(watches().lock);
        auto& list = watches().list;
        list.erase(std::find(list.begin(), list.end(), this));
    }
    Release();
    sem_destroy(&m_wake);
}

void MidiPortWatch::Notice(void* self) {
    sem_post(&static_cast<MidiPortWatch*>(self)->m_wake);
}

MidiPorts MidiPortWatch::Look(MidiSystem only) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_stopping) return MidiPorts();
    if (m_jack && m_jack->Ended()) {
        m_jack.reset();
        m_listening = false;
        MidiPorts ended;
        ended.system = MidiSystem::kJack;
        ended.missing = "the JACK server ended";
        ended.about = "no MIDI ports: " + ended.missing;
        return ended;
    }
    MidiPorts ports = look(m_clientName, m_jack, only, this);
    m_listening = m_jack != nullptr;
    return ports;
}

bool MidiPortWatch::Wait(bool soon) {
    // The server tells of a client that closed before its lists leave the client's ports out:
    // the look that a notice asks for is followed by another.
    if (soon || !m_listening || m_noticed) {
        timespec until;
        clock_gettime(CLOCK_REALTIME, &until);
        until.tv_sec += kLookSeconds;
        int woken;
        while ((woken = sem_timedwait(&m_wake, &until)) != 0 && errno == EINTR) {
        }
        m_noticed = woken == 0;
    } else {
        while (sem_wait(&m_wake) != 0 && errno == EINTR) {
        }
        m_noticed = true;
    }
    // A burst of notices (a client's ports coming together) asks for one look.
    while (sem_trywait(&m_wake) == 0) {
    }
    // A server that ended leaves clients of ours that nothing may open past.
    JackClient::CloseEnded();
    return !m_stopping;
}

void MidiPortWatch::Stop() {
    m_stopping = true;
    sem_post(&m_wake);
}

void MidiPortWatch::Release() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_jack.reset();
    m_listening = false;
}

MidiPortLook::MidiPortLook(MidiPortWatch& watch) {
    std::promise<MidiPorts> found;
    m_found = found.get_future();
    try {
        m_thread = std::thread(
            [&watch](std::promise<MidiPorts> promise) {
                promise.set_value(watch.Look(MidiSystem::kNone));
            },
            std::move(found));
    } catch (const std::system_error&) {
        // No thread to be had: the maker waits for a look of its own.
        std::promise<MidiPorts> now;
        m_found = now.get_future();
        now.set_value(watch.Look(MidiSystem::kNone));
    }
}

MidiPortLook::~MidiPortLook() {
    if (m_thread.joinable()) m_thread.join();
}

const MidiPorts& MidiPortLook::Ports() {
    if (m_found.valid()) m_ports = m_found.get();
    return m_ports;
}

MidiInputRelay::MidiInputRelay(Receiver receiver, DropReport reportDrops)
    : m_receiver(std::move(receiver)), m_reportDrops(std::move(reportDrops)),
      m_thread([this] { run(); }) {}

MidiInputRelay::~MidiInputRelay() {
    m_stopping = true;
    m_wake.Signal();
    m_thread.join();
}

void MidiInputRelay::Callback(double, std::vector<unsigned char>* message, void* self) {
    if (self && message) static_cast<MidiInputRelay*>(self)->Take(message->data(), message->size());
}

void MidiInputRelay::Take(const unsigned char* bytes, size_t size) {
    if (size == 0) return;
    m_ring.Push(bytes, size);
    m_wake.Signal();
}

void MidiInputRelay::run() {
    std::vector<unsigned char> message;
    for (;;) {
        m_wake.Wait();
        while (!m_stopping && m_ring.Pop(message))
            m_receiver(message);
        if (m_stopping) return;
        const size_t dropped = m_ring.TakeDropped();
        if (dropped && m_reportDrops) m_reportDrops(dropped);
    }
}

RtMidiIn* NewMidiIn(MidiSystem system, const std::string& clientName,
                    unsigned int queueSizeLimit, MidiErrors* errors) {
    return newClient<RtMidiIn>(system, errors, clientName, queueSizeLimit);
}

RtMidiOut* NewMidiOut(MidiSystem system, const std::string& clientName, MidiErrors* errors) {
    return newClient<RtMidiOut>(system, errors, clientName);
}

RtMidiIn* NewMidiIn(const std::string& clientName, unsigned int queueSizeLimit) {
    return NewMidiIn(chosenSystem(clientName), clientName, queueSizeLimit, nullptr);
}

RtMidiOut* NewMidiOut(const std::string& clientName) {
    return NewMidiOut(chosenSystem(clientName), clientName, nullptr);
}

bool OpenMidiPort(RtMidi& client, const std::string& port, const std::string& portName) {
    client.closePort();
    const unsigned int count = client.getPortCount();
    for (unsigned int i = 0; i < count; ++i) {
        if (client.getPortName(i) != port) continue;
        client.openPort(i, portName);
        return true;
    }
    return false;
}

void OpenVirtualMidiPort(RtMidi& client, const std::string& portName) {
    client.closePort();
    client.openVirtualPort(portName);
}

} // namespace platform
