// A second program on the JACK server for the external port tests.
//   receive CLIENT PORT        opens an input port and prints "msg <hex bytes>" per message
//   receive-from CLIENT TEXT   the same on a port connected to the first output whose name
//                              contains TEXT
//   send CLIENT PORT           opens an output port and sends each line of hex bytes read
//                              from standard input, answering "sent"
// A line "reopen" has receive or send close its port and open it again at once, as a program
// that reopens its port does, answering "reopened" (receive-from answers nothing).
//   clients CLIENT SERVER      opens a JACK client named CLIENT on the JACK server named
//                              SERVER, keeps it a moment and closes it, again and again, as
//                              another program of the user on another server may
//   hold CLIENT SERVER         opens such a client once and keeps it
// Each prints "ready" once its port (or first client) is there and ends when its standard input
// ends. Nothing is filtered: the peer sees every byte.

#include "platform/midi/MidiBackend.h"
#include "tests/support/JackActivation.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::mutex g_print;

void say(const std::string& line) {
    std::lock_guard<std::mutex> lock(g_print);
    printf("%s\n", line.c_str());
    fflush(stdout);
}

// On the relay's thread: a reader that is slow to take the lines holds up no JACK cycle.
void printMessage(const std::vector<unsigned char>& bytes) {
    std::string line = "msg";
    char hex[4];
    for (unsigned char b : bytes) {
        snprintf(hex, sizeof(hex), " %02X", b);
        line += hex;
    }
    say(line);
}

// One MIDI port on a JACK client of its own. libjack's own thread walks an active client's
// ports unguarded: the port is registered and unregistered only while the client is inactive
// (a reopen deactivates it first), and at the end it goes with its client.
class PeerPort {
public:
    // Null `relay` makes an output.
    PeerPort(const std::string& client, platform::MidiInputRelay* relay)
        : m_relay(relay), m_client(jack_client_open(client.c_str(), JackNoStartServer, nullptr)),
          m_queue(jack_ringbuffer_create(kQueueBytes)) {
        if (m_client) jack_set_process_callback(m_client, &PeerPort::process, this);
    }
    ~PeerPort() {
        if (m_client) jack_client_close(m_client);
        jack_ringbuffer_free(m_queue);
    }
    // Registers the port and runs the client; the port then takes from `source` when one is
    // named.
    bool open(const std::string& name, const std::string& source = "") {
        if (!m_client) return false;
        m_port = jack_port_register(m_client, name.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                    m_relay ? JackPortIsInput : JackPortIsOutput, 0);
        if (!m_port || testsupport::ActivateJackClient(m_client) != 0) return false;
        return source.empty() ||
               jack_connect(m_client, source.c_str(), jack_port_name(m_port)) == 0;
    }
    void close() {
        if (!m_port) return;
        jack_deactivate(m_client);
        jack_port_unregister(m_client, m_port);
        m_port = nullptr;
    }
    // The first output port of the server whose name holds `text`, or "".
    std::string outputNamed(const std::string& text) const {
        std::string found;
        const char** ports =
            m_client ? jack_get_ports(m_client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput)
                     : nullptr;
        for (const char** p = ports; p && *p && found.empty(); ++p)
            if (std::string(*p).find(text) != std::string::npos) found = *p;
        jack_free(ports);
        return found;
    }
    // Queues the message for the port's next cycles, waiting for room.
    void send(const std::vector<unsigned char>& bytes) {
        const uint32_t size = uint32_t(bytes.size());
        if (size > kMaxMessage) return;
        while (jack_ringbuffer_write_space(m_queue) < sizeof size + size)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        jack_ringbuffer_write(m_queue, reinterpret_cast<const char*>(&size), sizeof size);
        jack_ringbuffer_write(m_queue, reinterpret_cast<const char*>(bytes.data()), size);
    }

private:
    static constexpr size_t kQueueBytes = 1 << 18;
    static constexpr uint32_t kMaxMessage = 1 << 16;

    static int process(jack_nframes_t frames, void* self) {
        auto* port = static_cast<PeerPort*>(self);
        void* buffer = jack_port_get_buffer(port->m_port, frames);
        if (port->m_relay) {
            const uint32_t count = jack_midi_get_event_count(buffer);
            for (uint32_t i = 0; i < count; ++i) {
                jack_midi_event_t event;
                if (jack_midi_event_get(&event, buffer, i) == 0)
                    port->m_relay->Take(event.buffer, event.size);
            }
            return 0;
        }
        jack_midi_clear_buffer(buffer);
        uint32_t size;
        while (jack_ringbuffer_peek(port->m_queue, reinterpret_cast<char*>(&size), sizeof size) ==
                   sizeof size &&
               jack_ringbuffer_read_space(port->m_queue) >= sizeof size + size) {
            jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
            // What does not fit into this cycle goes in the next.
            if (!event) break;
            jack_ringbuffer_read_advance(port->m_queue, sizeof size);
            jack_ringbuffer_read(port->m_queue, reinterpret_cast<char*>(event), size);
        }
        return 0;
    }

    platform::MidiInputRelay* const m_relay;
    jack_client_t* const m_client;
    jack_ringbuffer_t* const m_queue;
    jack_port_t* m_port = nullptr;
};

int receive(const std::string& client, const std::string& port, bool connect) {
    platform::MidiInputRelay relay(printMessage);
    PeerPort in(client, &relay);
    const std::string source = connect ? in.outputNamed(port) : "";
    if (connect && source.empty()) {
        say("no port " + port);
        return 1;
    }
    if (!in.open(connect ? "in" : port, source)) {
        say("error: no port " + port + " on JACK");
        return 1;
    }
    say("ready");
    for (std::string line; std::getline(std::cin, line);) {
        if (line != "reopen" || connect) continue;
        in.close();
        in.open(port);
        say("reopened");
    }
    return 0;
}

int send(const std::string& client, const std::string& port) {
    PeerPort out(client, nullptr);
    if (!out.open(port)) {
        say("error: no port " + port + " on JACK");
        return 1;
    }
    say("ready");
    for (std::string line; std::getline(std::cin, line);) {
        if (line == "reopen") {
            out.close();
            out.open(port);
            say("reopened");
            continue;
        }
        std::istringstream hex(line);
        std::vector<unsigned char> bytes;
        for (std::string b; hex >> b;)
            bytes.push_back((unsigned char)strtoul(b.c_str(), nullptr, 16));
        out.send(bytes);
        say("sent");
    }
    return 0;
}

int clients(const std::string& client, const std::string& server, bool again) {
    // What libjack says of a name it could not take is this program's own business.
    jack_set_error_function([](const char*) {});
    std::atomic<bool> ending{false};
    const auto open = [&] {
        return jack_client_open(client.c_str(), JackOptions(JackNoStartServer | JackServerName),
                                nullptr, server.c_str());
    };
    // Another program of the user (a test run beside this one) may hold the name a while.
    jack_client_t* first = open();
    for (int tries = 0; !first && tries < 50; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        first = open();
    }
    if (!first) {
        say("no client " + client);
        return 1;
    }
    // Each client is kept a moment, as a program keeps its own: two clients of one name that
    // open at the same moment on two servers can leave libjack unable to open any client in
    // the process that opened the one.
    std::thread reopen;
    if (again) {
        jack_client_close(first);
        reopen = std::thread([&] {
            while (!ending)
                if (jack_client_t* c = open()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                    jack_client_close(c);
                }
        });
    }
    say("ready");
    for (std::string line; std::getline(std::cin, line);) {
    }
    ending = true;
    if (again)
        reopen.join();
    else
        jack_client_close(first);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s receive|receive-from|send|clients|hold CLIENT PORT|SERVER\n",
                argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "receive") return receive(argv[2], argv[3], false);
    if (mode == "receive-from") return receive(argv[2], argv[3], true);
    if (mode == "send") return send(argv[2], argv[3]);
    if (mode == "clients") return clients(argv[2], argv[3], true);
    if (mode == "hold") return clients(argv[2], argv[3], false);
    return 2;
}
