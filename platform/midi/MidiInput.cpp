#include "platform/midi/MidiInput.h"

#include "platform/midi/QuietJack.h"

#include <jack/midiport.h>

namespace platform {

namespace {

// The MIDI library's input, whose callback runs on the library's thread.
class LibraryMidiInput final : public MidiInput {
public:
    LibraryMidiInput(std::unique_ptr<RtMidiIn> client, MidiInputRelay& relay)
        : m_client(std::move(client)) {
        m_client->setCallback(MidiInputRelay::Callback, &relay);
        // SysEx passes; the library drops timing (clock, time code) and active sensing.
        m_client->ignoreTypes(false, true, true);
    }
    bool Open(const std::string& source, const std::string& portName) override {
        m_client->closePort();
        return OpenMidiPort(*m_client, source, portName);
    }
    bool OpenVirtual(const std::string& portName) override {
        m_client->closePort();
        m_client->openVirtualPort(portName);
        return true;
    }
    void Close() override { m_client->closePort(); }

private:
    const std::unique_ptr<RtMidiIn> m_client;
};

// What the library's input is told to ignore, it ignores by an event's first byte: time code
// quarter frames, timing clock and active sensing.
bool ignored(jack_midi_data_t first) {
    return first == 0xF1 || first == 0xF8 || first == 0xFE;
}

// JACK's own MIDI input: a client made with its port on each open and closed with it. Its
// process callback only copies events into the relay.
class JackMidiInput final : public MidiInput {
public:
    JackMidiInput(std::string clientName, MidiInputRelay& relay, MidiErrors& errors)
        : m_clientName(std::move(clientName)), m_relay(relay), m_errors(errors) {}
    ~JackMidiInput() override { Close(); }
    bool Open(const std::string& source, const std::string& portName) override {
        return open(source, portName);
    }
    bool OpenVirtual(const std::string& portName) override { return open("", portName); }
    void Close() override {
        if (!m_client) return;
        // The client's process thread has ended when this returns.
        CloseJackClient(m_client);
        m_client = nullptr;
        m_port = nullptr;
    }
    // On the server's process thread, which must never wait, allocate or take a lock.
    static int Process(jack_nframes_t frames, void* self) {
        auto* input = static_cast<JackMidiInput*>(self);
        void* events = jack_port_get_buffer(input->m_port, frames);
        const uint32_t count = jack_midi_get_event_count(events);
        jack_midi_event_t event;
        for (uint32_t i = 0; i < count; ++i)
            if (jack_midi_event_get(&event, events, i) == 0 && event.size > 0 &&
                !ignored(event.buffer[0]))
                input->m_relay.Take(event.buffer, event.size);
        return 0;
    }

private:
    bool open(const std::string& source, const std::string& portName) {
        Close();
        std::string failed;
        // The port is set before the process thread starts, and stays while it runs.
        m_client = OpenJackPort(m_clientName, portName, JackPortIsInput, source, &Process, this,
                                &m_port, &failed);
        if (!failed.empty()) m_errors.Fail(failed);
        return m_client != nullptr;
    }

    const std::string m_clientName;
    MidiInputRelay& m_relay;
    MidiErrors& m_errors;
    jack_client_t* m_client = nullptr;
    jack_port_t* m_port = nullptr;
};

} // namespace

std::unique_ptr<MidiInput> NewMidiInput(MidiSystem system, const std::string& clientName,
                                        MidiInputRelay& relay, MidiErrors& errors) {
    if (system == MidiSystem::kJack)
        return std::make_unique<JackMidiInput>(clientName, relay, errors);
    std::unique_ptr<RtMidiIn> client(NewMidiIn(system, clientName, 100, &errors));
    if (!client) return nullptr;
    return std::make_unique<LibraryMidiInput>(std::move(client), relay);
}

} // namespace platform
