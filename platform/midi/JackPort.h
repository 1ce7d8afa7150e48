#pragma once

#include <jack/jack.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

// Told on one of libjack's own threads, which the host's JACK clients share: it may only signal
// (post a semaphore, set an atomic), never lock, allocate or wait.
using JackNotice = void (*)(void* arg);

// A client of the JACK server. When a server ends, libjack frees all of the process's clients
// of it at the next client opened in the process, and closing one of them after that crashes;
// so every client of ours is opened and closed here, and an open first closes ours whose server
// ended. libjack's print functions are the process's (the host's) and stay as they are: an open
// is tried only when the server's socket answers, so that looking for a missing server prints
// nothing. What libjack still prints on its own: the lines of a server's end ("Cannot read
// socket fd …", "Server is not running") and those of a refused call.
class JackClient {
public:
    // Null when no server answers or it refused the client. `ended` is told once when the
    // server ends.
    static std::unique_ptr<JackClient> Open(const std::string& name, JackNotice ended = nullptr,
                                            void* arg = nullptr);
    // Closes now every client of ours whose server ended, so that nothing opened in the process
    // meanwhile (by us or by the host) leaves them to crash a later close.
    static void CloseEnded();
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    bool Ended() const { return m_ended; }
    // Held around every call that takes the client away from its process callback; Get() is
    // null once the client was closed because its server ended.
    std::mutex& Use() { return m_use; }
    jack_client_t* Get() const { return m_client; }

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
    std::atomic<bool> m_ended{false};
};

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
    // Whether what the port takes reaches anyone: its server runs and, opened to a peer, that
    // peer's port is still there. Why not, in *why.
    bool Reaches(std::string* why);
    // The length of one of the server's cycles in seconds; 0 when the port is not open.
    double CycleSeconds();
    // The open port, for `process`.
    jack_port_t* Port() const { return m_port; }
    const std::string& ClientName() const { return m_clientName; }

private:
    const std::string m_clientName;
    const unsigned long m_flags;
    const JackProcessCallback m_process;
    void* const m_arg;
    std::unique_ptr<JackClient> m_client;
    jack_port_t* m_port = nullptr;
    std::string m_peer;
};

} // namespace platform
