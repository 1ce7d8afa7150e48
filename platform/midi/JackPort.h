#pragma once

#include "platform/midi/MidiBackend.h"

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

// Told on one of libjack's own threads, which the host's JACK clients share: it may only signal
// (post a semaphore, set an atomic), never lock, allocate or wait.
using JackNotice = void (*)(void* arg);

// A client of the JACK server. When a server ends, libjack frees all of the process's clients
// of it at the next client opened in the process, and closing one of them after that crashes;
// so every client of ours is opened and closed here, an open first closes ours whose server
// ended, and no client is closed while an open is under way. libjack's print functions are
// the process's (the host's) and stay as they are: jackd2's and jack1's libjack answer a missing
// server with lines through them, so they are asked only once its socket takes a connection.
// What libjack still prints on its own: the lines of a server's end ("Cannot read socket fd …",
// "Server is not running") and those of a refused call.
class JackClient {
public:
    // Null when no server answers or it refused the client a few times. A name refused while a
    // client of that name runs on another server of the user is tried again numbered, "name-01"
    // …, as JACK numbers the clients of one name: that client opening at the same moment fails
    // ours (jackd2's libjack names the socket a client opens through by its name alone). Any
    // other refusal is tried again under the same name. `ended` is told once when the server
    // ends.
    static std::unique_ptr<JackClient> Open(const std::string& name, JackNotice ended = nullptr,
                                            void* arg = nullptr);
    // Closes now every client of ours whose server ended, so that nothing opened in the process
    // meanwhile (by us or by the host) leaves them to crash a later close.
    static void CloseEnded();
    // The process ends: no client opens from then on; waits for an open (which closes what it
    // got) or a close under way, as for a look under way; closes every client of ours whose
    // server runs, and from then on a close only lets it go.
    static void EndProcess();
    // After EndProcess, as the module unloads: gives back what the list of clients took when
    // no client of ours is left.
    static void ForgetAll();
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    bool Ended() const { return m_ended; }
    // Held around every call that takes the client away from its process callback; Get() is
    // null once the client was closed because its server ended.
    std::mutex& Use() { return m_use; }
    jack_client_t* Get() const { return m_client; }
    // The name the server knows it by, and why that is not the one asked for ("" when it is).
    const std::string& Name() const { return m_name; }
    const std::string& Renamed() const { return m_renamed; }

private:
    JackClient(JackNotice ended, void* arg) : m_notice(ended), m_arg(arg) {}
    static void onShutdown(jack_status_t, const char*, void* self);
    // Under the lock of the list of clients.
    static void closeEndedLocked();
    void closeNow();

    const JackNotice m_notice;
    void* const m_arg;
    std::mutex m_use;
    jack_client_t* m_client = nullptr;
    std::string m_name;
    std::string m_renamed;
    std::atomic<bool> m_ended{false};
};

// One MIDI port (flags: JackPortIsInput or JackPortIsOutput) on a client of its own, running
// `process`. libjack's own thread walks a client's list of ports unguarded whenever the server
// reports latencies, so a port is never registered or unregistered on an active client: each
// open makes a client, registers the port before the client runs, and the port goes with its
// client.
class JackPort {
public:
    // `changed` is told (on libjack's thread) when the port's peer goes or its server ends.
    JackPort(std::string clientName, unsigned long flags, JackProcessCallback process, void* arg,
             JackNotice changed = nullptr, void* changedArg = nullptr)
        : m_clientName(std::move(clientName)), m_flags(flags), m_process(process), m_arg(arg),
          m_changed(changed), m_changedArg(changedArg) {}
    ~JackPort() { Close(); }
    JackPort(const JackPort&) = delete;
    JackPort& operator=(const JackPort&) = delete;

    // Opens the port as portName, connected to the port named `peer` unless that is empty,
    // closing it first. False when anything fails, told to `errors` as a failure (nothing is
    // told when only the peer is not there); a client that took a name other than the one asked
    // for is told as news, with why. The port is set before `process` first runs.
    bool Open(const std::string& peer, const std::string& portName, MidiErrors& errors);
    // `process` has run for the last time when this returns.
    void Close();
    bool IsOpen() const { return m_client != nullptr; }
    // What the port takes or gives reaches: its peer while connected to it (a port opened to no
    // peer, whoever connects), and nothing once its server ended, its peer went (even if a port
    // of that name is back) or the server never ran its client. Why not, in *why.
    PortLink Link(std::string* why);
    // The server's cycles that have run the port's client since it opened.
    uint64_t Cycles() const { return m_cycles.load(std::memory_order_acquire); }
    // The length of one of the server's cycles in seconds; 0 when the port is not open.
    double CycleSeconds();
    // The open port, for `process`.
    jack_port_t* Port() const { return m_port; }
    // The name its client took, or the one it asks for while closed.
    const std::string& ClientName() const;

private:
    // Registers the port on the client and runs it, connected to the peer; why not, else "".
    std::string start(JackClient& client, const std::string& peer, const std::string& portName);
    static int run(jack_nframes_t frames, void* self);
    static void onRegistration(jack_port_id_t id, int registered, void* self);
    static void onConnect(jack_port_id_t a, jack_port_id_t b, int connected, void* self);

    const std::string m_clientName;
    const unsigned long m_flags;
    const JackProcessCallback m_process;
    void* const m_arg;
    const JackNotice m_changed;
    void* const m_changedArg;
    std::unique_ptr<JackClient> m_client;
    jack_port_t* m_port = nullptr;
    std::string m_peer;
    // The port's and its peer's numbers, as the server's notices give them; whether the peer
    // went since, and what the notices said of the connection between them.
    uint32_t m_ownId = 0;
    std::atomic<uint32_t> m_peerId{0};
    std::atomic<bool> m_peerGone{false};
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_connectionTold{false};
    std::atomic<uint64_t> m_cycles{0};
    // When this one's client was activated, and the cycles every port of ours had run then.
    std::chrono::steady_clock::time_point m_startedAt;
    uint64_t m_othersAtStart = 0;
};

} // namespace platform
