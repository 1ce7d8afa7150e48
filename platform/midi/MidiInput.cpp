#include "platform/midi/MidiInput.h"

#include "platform/midi/JackPort.h"

#include <jack/midiport.h>

namespace platform {

namespace {

// The MIDI library's input, whose callback runs on the library's thread.
class LibraryMidiInput final : public MidiInput {
public:
    LibraryMidiInput(std::unique_ptr<RtMidiIn> client, std::string clientName,
                     MidiInputRelay& relay)
        : m_client(std::move(client)), m_clientName(std::move(clientName)) {
        m_client->setCallback(MidiInputRelay::Callback, &relay);
        // SysEx passes; the library drops timing (clock, time code) and active sensing.
        m_client->ignoreTypes(false, true, true);
    }
    bool Open(const std::string& source, const std::string& portName) override {
        return OpenMidiPort(*m_client, source, portName);
    }
    bool OpenVirtual(const std::string& portName) override {
        OpenVirtualMidiPort(*m_client, portName);
        return true;
    }
    void Close() override { m_client->closePort(); }
    std::string ClientName() const override { return m_clientName; }

private:
    const std::unique_ptr<RtMidiIn> m_client;
    const std::string m_clientName;
};

// JACK's own MIDI input, its port on a client of its own. Its process callback only copies
// events into the relay.
class JackMidiInput final : public MidiInput {
public:
    JackMidiInput(std::string clientName, MidiInputRelay& relay, MidiErrors& errors,
                  MidiPortWatch* watch)
        : m_port(std::move(clientName), JackPortIsInput, &Process, this,
                 watch ? &MidiPortWatch::Notice : nullptr, watch),
          m_relay(relay), m_errors(errors) {}
    bool Open(const std::string& source, const std::string& portName) override {
        // Stored ports open on the host's thread as it makes an instance: the whole start waits
        // once.
        return m_port.Open(source, portName, m_errors,
                           std::chrono::steady_clock::now() + JackClient::kStartWait);
    }
    bool OpenVirtual(const std::string& portName) override { return Open("", portName); }
    void Close() override { m_port.Close(); }
    PortLink Link(std::string* why) override { return m_port.Link(why); }
    uint64_t Xruns() override { return m_port.Xruns(); }
    std::string ClientName() const override { return m_port.ClientName(); }

private:
    // On the server's process thread, which must never wait, allocate or take a lock. Each
    // event goes whole: a real-time byte may stand before the message beside it, which only
    // the framing on the relay's side tells apart.
    static int Process(jack_nframes_t frames, void* self) {
        auto* input = static_cast<JackMidiInput*>(self);
        void* events = jack_port_get_buffer(input->m_port.Port(), frames);
        // jack1's library gives none once its server ended, and may run a cycle after.
        if (!events) return 0;
        const uint32_t count = jack_midi_get_event_count(events);
        jack_midi_event_t event;
        for (uint32_t i = 0; i < count; ++i)
            if (jack_midi_event_get(&event, events, i) == 0 && event.size > 0)
                input->m_relay.Take(event.buffer, event.size);
        return 0;
    }

    JackPort m_port;
    MidiInputRelay& m_relay;
    MidiErrors& m_errors;
};

} // namespace

std::unique_ptr<MidiInput> NewMidiInput(MidiSystem system, const std::string& clientName,
                                        MidiInputRelay& relay, MidiErrors& errors,
                                        MidiPortWatch* watch) {
    if (system == MidiSystem::kJack)
        return std::make_unique<JackMidiInput>(clientName, relay, errors, watch);
    std::unique_ptr<RtMidiIn> client(NewMidiIn(system, clientName, 100, &errors));
    if (!client) return nullptr;
    return std::make_unique<LibraryMidiInput>(std::move(client), clientName, relay);
}

} // namespace platform
