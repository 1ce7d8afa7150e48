#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/OutputLines.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qsim {
class SynthSimulator;
}

namespace testsupport {

// The simulated synthesizer (zoz-qsim) as a program of its own on the MIDI system, and the
// record of what its ports carried. Start it only where MidiSystemMissing() is "".
class QsimProcess {
public:
    using Bytes = std::vector<uint8_t>;
    struct Options {
        int deviceId = 0;
        int delayMillis = 0;
        std::string silent; // zoz-qsim's --silent list
        std::string memory; // a .syx file to start from
        bool cable = false; // takes messages in at a MIDI cable's rate (--cable)
    };
    // One line of its record: a message its input port received (rx) or it sent (tx).
    struct Message {
        bool received;
        Bytes bytes;
    };

    // Starts it as MIDI client `client` (ports client:in and client-out:out) and waits until
    // its ports are there.
    explicit QsimProcess(const std::string& client, const Options& options);
    explicit QsimProcess(const std::string& client) : QsimProcess(client, Options()) {}
    bool Ready() const { return m_ready; }
    std::string InPort() const { return m_client + ":in"; }
    std::string OutPort() const { return m_client + "-out:out"; }

    // Waits until a message for which `wanted` is true comes after those already waited for
    // (true), or timeoutMs passed without one (false).
    bool WaitFor(const std::function<bool(const Message&)>& wanted, int timeoutMs);
    // Every message of the record so far, in order.
    std::vector<Message> Record() const;
    std::vector<Bytes> Received() const;
    std::vector<Bytes> Sent() const;
    // What overran the buffer before its cable (--cable): it came faster than a cable carries it.
    std::vector<Bytes> Lost() const;
    // The xruns its JACK server told it of so far.
    int Xruns() const;

    // Has it send these bytes from its output port.
    bool Send(const Bytes& message);
    // Has it write its memory to `path` and loads that file into `into`.
    bool SaveMemory(const std::string& path, qsim::SynthSimulator& into);
    // Ends it: its exit status.
    int Finish();

private:
    std::string m_client;
    std::unique_ptr<ChildProcess> m_process;
    std::unique_ptr<OutputLines> m_output;
    size_t m_next = 0; // the first line WaitFor has not looked at
    bool m_ready = false;
};

} // namespace testsupport
