#include "tests/support/OutputLines.h"

#include <algorithm>
#include <chrono>

namespace testsupport {

OutputLines::OutputLines(ChildProcess& child) : m_child(child), m_thread([this] { read(); }) {}

OutputLines::~OutputLines() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    if (m_thread.joinable()) m_thread.join();
}

void OutputLines::read() {
    std::string line;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopping) return;
        }
        // The wait is short so that a stop is noticed; at the end of the output it returns at
        // once, hence the pause.
        if (!m_child.ReadLine(&line, 50)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(line);
        m_changed.notify_all();
    }
}

int OutputLines::WaitFor(size_t from, const std::function<bool(const std::string&)>& wanted,
                         int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (size_t i = from;; ++i) {
        if (!m_changed.wait_until(lock, deadline, [&] { return m_lines.size() > i; })) return -1;
        if (wanted(m_lines[i])) return int(i);
    }
}

std::vector<std::string> OutputLines::Lines() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

int OutputLines::Finish(int timeoutMs) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    if (m_thread.joinable()) m_thread.join();
    std::string rest;
    const int status = m_child.Finish(&rest, timeoutMs);
    std::lock_guard<std::mutex> lock(m_mutex);
    for (size_t start = 0; start < rest.size();) {
        const size_t end = std::min(rest.find('\n', start), rest.size());
        m_lines.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    return status;
}

} // namespace testsupport
