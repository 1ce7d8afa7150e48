#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace {

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& env) {
    int in[2], out[2];
    if (argv.empty() || pipe2(in, O_CLOEXEC) != 0) return;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);

    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envStrings(env);
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& given : env)
            replaced = replaced || given.compare(0, name.size(), name) == 0;
        if (!replaced) envStrings.push_back(entry);
    }
    std::vector<char*> envp;
    for (const std::string& e : envStrings)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    if (posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    m_in = in[1];
    m_out = out[0];
    signal(SIGPIPE, SIG_IGN); // a child that has gone must not take the test with it
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) Finish(nullptr, 5000);
    if (m_out >= 0) close(m_out);
}

bool ChildProcess::fill(int timeoutMs) {
    if (m_out < 0) return false;
    pollfd p = {m_out, POLLIN, 0};
    const int ready = poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (ready <= 0) return false;
    char chunk[4096];
    const ssize_t n = read(m_out, chunk, sizeof(chunk));
    if (n <= 0) return false;
    m_buffer.append(chunk, size_t(n));
    return true;
}

bool ChildProcess::ReadLine(std::string* line, int timeoutMs) {
    const int64_t deadline = nowMs() + timeoutMs;
    for (;;) {
        const size_t nl = m_buffer.find('\n');
        if (nl != std::string::npos) {
            *line = m_buffer.substr(0, nl);
            m_buffer.erase(0, nl + 1);
            return true;
        }
        if (!fill(int(deadline - nowMs()))) return false;
    }
}

bool ChildProcess::WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    return m_in >= 0 && write(m_in, text.data(), text.size()) == ssize_t(text.size());
}

void ChildProcess::CloseInput() {
    if (m_in >= 0) close(m_in);
    m_in = -1;
}

bool ChildProcess::Signal(int signal) {
    return m_pid > 0 && ::kill(m_pid, signal) == 0;
}

int ChildProcess::Finish(std::string* rest, int timeoutMs) {
    CloseInput();
    const int64_t deadline = nowMs() + timeoutMs;
    while (nowMs() < deadline && fill(int(deadline - nowMs()))) {
    }
    if (rest) *rest = m_buffer;
    m_buffer.clear();
    while (Running()) {
        if (nowMs() >= deadline) {
            kill();
            return -1;
        }
        usleep(10000);
    }
    return m_status;
}

bool ChildProcess::Running() {
    if (m_pid <= 0) return false;
    int status = 0;
    const pid_t done = waitpid(m_pid, &status, WNOHANG);
    if (done == 0) return true;
    m_status = done == m_pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m_pid = -1;
    return false;
}

void ChildProcess::kill() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    int status;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
}

int RunProgram(const std::vector<std::string>& argv, std::string* output, int timeoutMs,
               const std::vector<std::string>& env) {
    ChildProcess child(argv, env);
    if (!child.Started()) return -1;
    return child.Finish(output, timeoutMs);
}

} // namespace testsupport
