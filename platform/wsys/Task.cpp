#include "platform/wsys/Task.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace platform::wsys {

Task::Task(std::string launchPath, std::vector<std::string> arguments)
    : m_path(std::move(launchPath)), m_arguments(std::move(arguments)) {}

bool Task::Launch() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_pid > 0) return false;
    std::vector<char*> argv;
    argv.push_back(m_path.data());
    for (std::string& a : m_arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    // posix_spawn reports a program that cannot be run as an error, with no child left over.
    if (posix_spawn(&pid, m_path.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    m_pid = pid;
    return true;
}

bool Task::IsRunning() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_pid <= 0 || m_ended) return false;
    int status;
    pid_t r;
    do
        r = waitpid(m_pid, &status, WNOHANG);
    while (r < 0 && errno == EINTR);
    if (r == 0) return true;
    m_ended = true;
    if (r == m_pid && WIFEXITED(status)) m_status = WEXITSTATUS(status);
    return false;
}

int Task::TerminationStatus() {
    IsRunning();
    std::lock_guard<std::mutex> lock(m_lock);
    return m_status;
}

void Task::Dealloc() {
    if (IsRunning()) {
        const pid_t pid = m_pid;
        std::thread([pid] {
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }
    Object::Dealloc();
}

} // namespace platform::wsys
