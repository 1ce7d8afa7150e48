#pragma once

#include "platform/MessageRing.h"

#include <RtMidi.h>
#include <semaphore.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

enum class MidiSystem : int { kNone, kJack, kAlsa };

// What an open port reaches. kPending: its peer as far as can be told yet (a connection made
// just now, a client that has not run yet), looked at again soon. kLost: nothing until it is
// opened again (its peer or server went, or the server never runs its client). kUnconnected:
// nothing until it is connected again (a patchbay took the connection away).
enum class PortLink : int { kReaches, kPending, kLost, kUnconnected };

// What the computer's MIDI system offers the plug-in.
struct MidiPorts {
    MidiSystem system = MidiSystem::kNone;
    // Which system, or why there is none: a line for the debug log.
    std::string about;
    // Why there is none, in a few words; empty when there is one.
    std::string missing;
    // The ports an input client can read from and an output client can write to, named and
    // ordered as the MIDI library names and counts them.
    std::vector<std::string> sources;
    std::vector<std::string> destinations;
};

class JackClient;

// The system that ZOZ_MIDI_API names ("jack" or "alsa") when it is there, else JACK when a
// server runs, else ALSA when its sequencer opens, and its ports; with `only`, that system or
// none. Prints nothing (but what libjack says of a promiscuous server it cannot reach), and
// leaves no client behind: a JACK client is opened for the look (under clientName, or a name
// JACK makes from it) but never activated.
MidiPorts LookForMidiPorts(const std::string& clientName, MidiSystem only = MidiSystem::kNone);

// The same look, kept up for as long as someone follows the ports. On JACK it keeps one client
// for looking, active with no port, whose server's notices (a port registered, gone, connected
// or disconnected, the server's end) wake Wait; without one (ALSA, no server) Wait wakes every
// few seconds. The notices come on libjack's thread and only signal. When the process ends
// (exit() without the plug-in closed, as a host's plug-in scanner may), every watch stops and
// looks no more.
class MidiPortWatch {
public:
    static constexpr int kLookSeconds = 2;

    explicit MidiPortWatch(std::string clientName);
    ~MidiPortWatch();
    MidiPortWatch(const MidiPortWatch&) = delete;
    MidiPortWatch& operator=(const MidiPortWatch&) = delete;

    // The ports now, as LookForMidiPorts, with the kept client (opened when there is none).
    // When that client's server ended, it goes, and the look is of JACK with no ports and
    // `missing` saying so. Any thread.
    MidiPorts Look(MidiSystem only);
    // Waits until the ports may have changed, at most kLookSeconds when `soon` or when the last
    // wait ended at a notice, or Stop; false once stopped. One thread.
    bool Wait(bool soon);
    void Stop();
    // Lets the kept client go; the next look opens one again.
    void Release();
    // The notices' callback; self is the watch.
    static void Notice(void* self);

private:
    friend struct WatchesAtExit;

    const std::string m_clientName;
    std::mutex m_lock; // one look at a time
    std::unique_ptr<JackClient> m_jack;
    std::atomic<bool> m_listening{false};
    std::atomic<bool> m_stopping{false};
    sem_t m_wake;
    // The last wait ended at a notice; Wait's thread alone.
    bool m_noticed = false;
};

// A watch's first look, on a thread of its own from construction on, so that its maker goes on
// meanwhile. The destructor waits for it.
class MidiPortLook {
public:
    explicit MidiPortLook(MidiPortWatch& watch);
    ~MidiPortLook();
    MidiPortLook(const MidiPortLook&) = delete;
    MidiPortLook& operator=(const MidiPortLook&) = delete;

    // What the look found, once it has; waits until then.
    const MidiPorts& Ports();

private:
    std::future<MidiPorts> m_found;
    MidiPorts m_ports;
    std::thread m_thread;
};

// Takes the errors and warnings of the MIDI library's clients, which the library would
// otherwise print (and throw), and the failures of our own JACK ports. Called on whatever thread
// the library reports from.
class MidiErrors {
public:
    explicit MidiErrors(std::function<void(const std::string&)> report)
        : m_report(std::move(report)) {}
    // Whether an error came since the last call: the library's errors, and its warnings of a
    // message that sendMessage could not send (its other warnings are news only).
    bool TakeFailure() { return m_failed.exchange(false); }
    // A failure of our own, told as the library's are.
    void Fail(const std::string& text) { Callback(RtMidiError::DRIVER_ERROR, text, this); }
    // News of our own that fails nothing.
    void Tell(const std::string& text) {
        if (m_report) m_report(text);
    }
    // The library's error callback; self is the MidiErrors.
    static void Callback(RtMidiError::Type type, const std::string& text, void* self);

private:
    std::function<void(const std::string&)> m_report;
    std::atomic<bool> m_failed{false};
};

// Hands what an input client receives to a thread of its own, in order, through memory taken
// once. On JACK an input is handed its messages on the server's process thread, which must
// never wait, allocate or take a lock: a late process thread makes the server lose or repeat
// the cycle's MIDI. A message that finds no room (the receiver is more than the ring behind) is
// dropped and counted. The destructor joins the thread; what is still queued then is dropped,
// so the client must be gone (or closed) by then.
class MidiInputRelay {
public:
    using Receiver = std::function<void(const std::vector<unsigned char>&)>;
    // Told on the relay's thread how many messages were dropped since it was last told.
    using DropReport = std::function<void(size_t dropped)>;
    // Room for a bank of dumps, and more, while the receiver waits for the plug-in's lock.
    static constexpr size_t kRingBytes = 1 << 20;

    explicit MidiInputRelay(Receiver receiver, DropReport reportDrops = {});
    ~MidiInputRelay();
    MidiInputRelay(const MidiInputRelay&) = delete;
    MidiInputRelay& operator=(const MidiInputRelay&) = delete;

    // Takes a message from the one thread that hands them over; never waits, allocates or takes
    // a lock.
    void Take(const unsigned char* bytes, size_t size);
    // Take as the MIDI library's input callback; self is the relay.
    static void Callback(double deltaTime, std::vector<unsigned char>* message, void* self);

private:
    void run();

    Receiver m_receiver;
    DropReport m_reportDrops;
    MessageRing m_ring{kRingBytes};
    Wakeup m_wake;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

// New clients of the MIDI library on `system` whose later errors go to `errors` (not owned).
// Null for MidiSystem::kNone. What the library raises while it builds the client (before it
// can be given `errors`) reaches the caller as RtMidiError; the caller owns the client.
RtMidiIn* NewMidiIn(MidiSystem system, const std::string& clientName,
                    unsigned int queueSizeLimit, MidiErrors* errors);
RtMidiOut* NewMidiOut(MidiSystem system, const std::string& clientName, MidiErrors* errors);
// For the programs beside the plug-in (the simulated synthesizer, test peers): clients on the
// system that ZOZ_MIDI_API names, else JACK when a server runs, else ALSA. The library prints
// and throws its errors as it does.
RtMidiIn* NewMidiIn(const std::string& clientName, unsigned int queueSizeLimit);
RtMidiOut* NewMidiOut(const std::string& clientName);
// Opens the client's port, closing it first, to or from the port named, under the number the
// library gives it now (a list read earlier may give it another, or none). False when no port
// of that name is there.
bool OpenMidiPort(RtMidi& client, const std::string& port, const std::string& portName);
// Opens the client's port, closing it first, for other programs to connect to.
void OpenVirtualMidiPort(RtMidi& client, const std::string& portName);

} // namespace platform
