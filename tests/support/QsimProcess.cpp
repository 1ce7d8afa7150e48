#include "tests/support/QsimProcess.h"

#include "tests/support/BankFileGenerator.h"
#include "tools/zoz-qsim/SynthSimulator.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace testsupport {
namespace {

constexpr int kStartMillis = 10000;
constexpr int kSaveMillis = 10000;

std::string hexLine(const QsimProcess::Bytes& bytes) {
    std::string s;
    char text[4];
    for (uint8_t b : bytes) {
        snprintf(text, sizeof(text), s.empty() ? "%02X" : " %02X", b);
        s += text;
    }
    return s;
}

QsimProcess::Bytes bytesOf(const std::string& hex) {
    QsimProcess::Bytes bytes;
    std::istringstream in(hex);
    for (std::string b; in >> b;)
        bytes.push_back(uint8_t(std::stoul(b, nullptr, 16)));
    return bytes;
}

// An "rx …" or "tx …" line of the record.
bool parse(const std::string& line, QsimProcess::Message* m) {
    if (line.compare(0, 3, "rx ") != 0 && line.compare(0, 3, "tx ") != 0) return false;
    m->received = line[0] == 'r';
    m->bytes = bytesOf(line.substr(3));
    return true;
}

} // namespace

QsimProcess::QsimProcess(const std::string& client, const Options& o) : m_client(client) {
    std::vector<std::string> argv = {ZOZ_QSIM_PATH, "--name=" + client,
                                     "--id=" + std::to_string(o.deviceId),
                                     "--delay=" + std::to_string(o.delayMillis)};
    if (!o.silent.empty()) argv.push_back("--silent=" + o.silent);
    if (!o.memory.empty()) argv.push_back("--memory=" + o.memory);
    if (o.cable) argv.push_back("--cable");
    m_process = std::make_unique<ChildProcess>(argv);
    m_output = std::make_unique<OutputLines>(*m_process);
    m_ready = m_process->Started() &&
              m_output->WaitFor(
                  0, [](const std::string& l) { return l.compare(0, 5, "ready") == 0; },
                  kStartMillis) >= 0;
}

bool QsimProcess::WaitFor(const std::function<bool(const Message&)>& wanted, int timeoutMs) {
    const int found = m_output->WaitFor(
        m_next,
        [&](const std::string& line) {
            Message m;
            return parse(line, &m) && wanted(m);
        },
        timeoutMs);
    if (found >= 0) m_next = size_t(found) + 1;
    return found >= 0;
}

std::vector<QsimProcess::Message> QsimProcess::Record() const {
    std::vector<Message> record;
    Message m;
    for (const std::string& line : m_output->Lines())
        if (parse(line, &m)) record.push_back(m);
    return record;
}

std::vector<QsimProcess::Bytes> QsimProcess::Received() const {
    std::vector<Bytes> out;
    for (const Message& m : Record())
        if (m.received) out.push_back(m.bytes);
    return out;
}

std::vector<QsimProcess::Bytes> QsimProcess::Sent() const {
    std::vector<Bytes> out;
    for (const Message& m : Record())
        if (!m.received) out.push_back(m.bytes);
    return out;
}

std::vector<QsimProcess::Bytes> QsimProcess::Lost() const {
    std::vector<Bytes> out;
    for (const std::string& line : m_output->Lines())
        if (line.compare(0, 5, "lost ") == 0) out.push_back(bytesOf(line.substr(5)));
    return out;
}

int QsimProcess::Xruns() const {
    const std::vector<std::string> lines = m_output->Lines();
    return int(std::count(lines.begin(), lines.end(), "xrun"));
}

bool QsimProcess::Send(const Bytes& message) {
    return m_process->WriteLine(hexLine(message));
}

bool QsimProcess::SaveMemory(const std::string& path, qsim::SynthSimulator& into) {
    const size_t from = m_output->Lines().size();
    return m_process->WriteLine("save " + path) &&
           m_output->WaitFor(
               from, [&](const std::string& l) { return l == "saved " + path; }, kSaveMillis) >= 0 &&
           into.load(readFile(path));
}

int QsimProcess::Finish() {
    return m_output->Finish(kSaveMillis);
}

} // namespace testsupport
