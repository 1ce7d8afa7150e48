#pragma once

#include "platform/wsys/Object.h"

#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform::wsys {

// A child process: a program started with arguments, sharing the caller's standard streams
// and environment. The child is always reaped: by IsRunning once it has ended, or, when the
// last reference goes while it still runs, by a watcher that waits for its end. Any thread.
class Task : public Object {
public:
    Task(std::string launchPath, std::vector<std::string> arguments);

    // False when the program cannot be started (missing, not executable) or was started already.
    bool Launch();
    bool IsRunning();
    pid_t ProcessIdentifier() const { return m_pid; }
    // The exit status once it has ended (-1 before, or when a signal ended it).
    int TerminationStatus();

protected:
    void Dealloc() override;

private:
    std::string m_path;
    std::vector<std::string> m_arguments;
    std::mutex m_lock;
    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = -1;
};

} // namespace platform::wsys
