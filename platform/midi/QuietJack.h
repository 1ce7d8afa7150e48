#pragma once

#include <jack/jack.h>

#include <mutex>
#include <string>

namespace platform {

// libjack tells on standard error why it found no server or refused a call (and on standard
// output some news) unless its print functions are replaced: while a QuietJack lives they are.
// Every holder takes one lock, so that two threads never leave the quiet ones in place.
class QuietJack {
public:
    QuietJack();
    ~QuietJack();
    QuietJack(const QuietJack&) = delete;
    QuietJack& operator=(const QuietJack&) = delete;

private:
    std::lock_guard<std::mutex> m_hold;
    void (*const m_error)(const char*);
    void (*const m_info)(const char*);
};

// A client of the JACK server, named `name` or a name the server makes from it; null when no
// server runs. Never starts a server; prints nothing.
jack_client_t* OpenJackClient(const std::string& name);
void CloseJackClient(jack_client_t* client);

// One MIDI port (flags: JackPortIsInput or JackPortIsOutput) on a client of its own, running
// `process`. libjack's own thread walks a client's list of ports unguarded whenever the server
// reports latencies, so a port is never registered or unregistered on an active client: each
// open makes a client, registers the port before the client runs, and the port goes with its
// client.
class JackPort {
public:
    JackPort(std::string clientName, unsigned long flags, JackProcessCallback process, void* arg)
        : m_clientName(std::move(clientName)), m_flags(flags), m_process(process), m_arg(arg) {}
    ~JackPort() { Close(); }
    JackPort(const JackPort&) = delete;
    JackPort& operator=(const JackPort&) = delete;

    // Opens the port as portName, connected to the port named `peer` unless that is empty,
    // closing it first. False when anything fails, with why in *failed, which is left empty when
    // only the peer is not there. The port is set before `process` first runs.
    bool Open(const std::string& peer, const std::string& portName, std::string* failed);
    // `process` has run for the last time when this returns.
    void Close();
    bool IsOpen() const { return m_client != nullptr; }
    // The open port, for `process`.
    jack_port_t* Port() const { return m_port; }
    const std::string& ClientName() const { return m_clientName; }

private:
    const std::string m_clientName;
    const unsigned long m_flags;
    const JackProcessCallback m_process;
    void* const m_arg;
    jack_client_t* m_client = nullptr;
    jack_port_t* m_port = nullptr;
};

} // namespace platform
