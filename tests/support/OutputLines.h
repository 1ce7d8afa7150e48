#pragma once

#include "tests/support/ChildProcess.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// The output of a child process, read line by line on a thread of its own as it comes, so that
// a child that prints much never waits for the test. The child's output is this object's alone
// until Finish().
class OutputLines {
public:
    explicit OutputLines(ChildProcess& child);
    ~OutputLines();
    OutputLines(const OutputLines&) = delete;
    OutputLines& operator=(const OutputLines&) = delete;

    // The index of the first line from `from` on for which wanted is true, waiting up to
    // timeoutMs for it to come; -1 when none came.
    int WaitFor(size_t from, const std::function<bool(const std::string&)>& wanted, int timeoutMs);
    std::vector<std::string> Lines() const;
    // Stops reading and waits for the child's exit (its status, -1 when it did not end within
    // timeoutMs); the lines it printed last are added.
    int Finish(int timeoutMs);

private:
    void read();

    ChildProcess& m_child;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_lines;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace testsupport
