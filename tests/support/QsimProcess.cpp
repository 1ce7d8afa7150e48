#include "tests/support/QsimProcess.h"

#include "tests/support/BankFileGenerator.h"
#include "tools/zoz-qsim/SynthSimulator.h"

#include <chrono>
#include <cstdio>
#include <sstream>

namespace testsupport {
namespace {

constexpr int kStartMillis = 10000;
constexpr int kSaveMillis = 10000;

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string hexLine(const QsimProcess::Bytes& bytes) {
    std::string s;
    char text[4];
    for (uint8_t b : bytes) {
        snprintf(text, sizeof(text), s.empty() ? "%02X" : " %02X", b);
        s += text;
    }
    return s;
}

} // namespace

QsimProcess::QsimProcess(const std::string& client, const Options& o) : m_client(client) {
    std::vector<std::string> argv = {ZOZ_QSIM_PATH, "--name=" + client,
                                     "--id=" + std::to_string(o.deviceId),
                                     "--delay=" + std::to_string(o.delayMillis)};
    if (!o.silent.empty()) argv.push_back("--silent=" + o.silent);
    if (!o.memory.empty()) argv.push_back("--memory=" + o.memory);
    m_process = std::make_unique<ChildProcess>(argv);
    std::string line;
    m_ready = m_process->Started() && readLine(&line, kStartMillis) &&
              line.compare(0, 5, "ready") == 0;
}

bool QsimProcess::readLine(std::string* line, int timeoutMs) {
    if (!m_process->ReadLine(line, timeoutMs)) return false;
    note(*line);
    return true;
}

void QsimProcess::note(const std::string& line) {
    if (line.compare(0, 3, "rx ") != 0 && line.compare(0, 3, "tx ") != 0) return;
    Message m{line[0] == 'r', {}};
    std::istringstream in(line.substr(3));
    for (std::string b; in >> b;)
        m.bytes.push_back(uint8_t(std::stoul(b, nullptr, 16)));
    m_record.push_back(std::move(m));
}

bool QsimProcess::WaitFor(const std::function<bool(const Message&)>& wanted, int timeoutMs) {
    const int64_t deadline = nowMs() + timeoutMs;
    std::string line;
    for (;;) {
        const size_t seen = m_record.size();
        if (!readLine(&line, int(deadline - nowMs()))) return false;
        if (m_record.size() > seen && wanted(m_record.back())) return true;
    }
}

std::vector<QsimProcess::Bytes> QsimProcess::Received() const {
    std::vector<Bytes> out;
    for (const Message& m : m_record)
        if (m.received) out.push_back(m.bytes);
    return out;
}

std::vector<QsimProcess::Bytes> QsimProcess::Sent() const {
    std::vector<Bytes> out;
    for (const Message& m : m_record)
        if (!m.received) out.push_back(m.bytes);
    return out;
}

bool QsimProcess::Send(const Bytes& message) {
    return m_process->WriteLine(hexLine(message));
}

bool QsimProcess::SaveMemory(const std::string& path, qsim::SynthSimulator& into) {
    if (!m_process->WriteLine("save " + path)) return false;
    const int64_t deadline = nowMs() + kSaveMillis;
    std::string line;
    while (readLine(&line, int(deadline - nowMs())))
        if (line == "saved " + path) return into.load(readFile(path));
    return false;
}

int QsimProcess::Finish() {
    std::string rest;
    const int status = m_process->Finish(&rest, kSaveMillis);
    std::istringstream in(rest);
    for (std::string line; std::getline(in, line);)
        note(line);
    return status;
}

} // namespace testsupport
