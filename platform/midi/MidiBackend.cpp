#include "platform/midi/MidiBackend.h"

#include "platform/midi/QuietJack.h"

#include <jack/jack.h>

#include <cstdlib>
#include <cstring>
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

// A client that is never activated takes no part in the server's cycles, so looking costs
// the running graph nothing. The library names JACK's ports the same way. The client is left
// open for the caller to close.
jack_client_t* lookAtJack(MidiPorts& ports, const std::string& clientName) {
    jack_client_t* client = OpenJackClient(clientName);
    if (!client) return nullptr;
    ports.sources = jackPorts(client, JackPortIsOutput);
    ports.destinations = jackPorts(client, JackPortIsInput);
    return client;
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
    jack_client_t* client = OpenJackClient(clientName);
    if (!client) return MidiSystem::kAlsa;
    CloseJackClient(client);
    return MidiSystem::kJack;
}

template <class Client, class... Args>
Client* newClient(MidiSystem system, MidiErrors* errors, const Args&... args) {
    if (system == MidiSystem::kNone) return nullptr;
    const RtMidi::Api api = system == MidiSystem::kJack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
    Client* client;
    {
        QuietJack quiet;
        client = new Client(api, args...);
    }
    if (errors) client->setErrorCallback(&MidiErrors::Callback, errors);
    return client;
}

// The ports, and the JACK client that read them (null for any other system).
MidiPorts look(const std::string& clientName, jack_client_t*& jack, MidiSystem only) {
    const MidiSystem forced = forcedSystem();
    const bool jackOnly = (only == MidiSystem::kNone ? forced : only) == MidiSystem::kJack;
    const bool alsaOnly = (only == MidiSystem::kNone ? forced : only) == MidiSystem::kAlsa;
    const char* const why = forced != MidiSystem::kNone ? " (ZOZ_MIDI_API)" : "";
    MidiPorts ports;
    jack = alsaOnly ? nullptr : lookAtJack(ports, clientName);
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

} // namespace

void MidiErrors::Callback(RtMidiError::Type type, const std::string& text, void* self) {
    if (type == RtMidiError::DEBUG_WARNING) return;
    auto* errors = static_cast<MidiErrors*>(self);
    if (type != RtMidiError::WARNING) errors->m_failed = true;
    if (errors->m_report) errors->m_report(text);
}

MidiPorts LookForMidiPorts(const std::string& clientName, MidiSystem only) {
    jack_client_t* jack = nullptr;
    MidiPorts ports = look(clientName, jack, only);
    if (jack) CloseJackClient(jack);
    return ports;
}

MidiPortLook::MidiPortLook(const std::string& clientName) {
    std::promise<MidiPorts> found;
    m_found = found.get_future();
    try {
        m_thread = std::thread(
            [clientName](std::promise<MidiPorts> promise, std::future<void> close) {
                jack_client_t* jack = nullptr;
                promise.set_value(look(clientName, jack, MidiSystem::kNone));
                if (!jack) return;
                close.wait();
                CloseJackClient(jack);
            },
            std::move(found), m_close.get_future());
    } catch (const std::system_error&) {
        // No thread to be had: the maker waits for a look of its own.
        std::promise<MidiPorts> now;
        m_found = now.get_future();
        now.set_value(LookForMidiPorts(clientName));
    }
}

MidiPortLook::~MidiPortLook() {
    Close();
    if (m_thread.joinable()) m_thread.join();
}

const MidiPorts& MidiPortLook::Ports() {
    if (m_found.valid()) m_ports = m_found.get();
    return m_ports;
}

void MidiPortLook::Close() {
    if (m_closeLet) return;
    m_closeLet = true;
    m_close.set_value();
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
        QuietJack quiet;
        client.openPort(i, portName);
        return true;
    }
    return false;
}

void OpenVirtualMidiPort(RtMidi& client, const std::string& portName) {
    client.closePort();
    QuietJack quiet;
    client.openVirtualPort(portName);
}

} // namespace platform
