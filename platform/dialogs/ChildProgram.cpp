#include "platform/dialogs/ChildProgram.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform::dialogs {

std::string FindProgram(const std::string& name) {
    const char* path = getenv("PATH");
    if (!path || name.empty() || name.find('/') != std::string::npos) return "";
    const std::string folders = path;
    for (size_t at = 0; at <= folders.size();) {
        size_t end = folders.find(':', at);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > at ? folders.substr(at, end - at) : ".";
        const std::string candidate = folder + "/" + name;
        struct stat s {};
        if (stat(candidate.c_str(), &s) == 0 && S_ISREG(s.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = end + 1;
    }
    return "";
}

namespace {

// Takes what the pipe holds now.
void drain(int fd, std::string* into) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        into->append(buffer, size_t(n));
}

} // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv, const Waiter& wait) {
    ProgramResult result;
    if (argv.empty()) return result;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return result;
    fcntl(out[0], F_SETFL, O_NONBLOCK);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return result;
    }
    result.started = true;

    int status = 0;
    bool reaped = false, unknown = false;
    const auto ended = [&] {
        drain(out[0], &result.output);
        const pid_t r = waitpid(pid, &status, WNOHANG);
        // A host that ignores SIGCHLD has its children reaped for it: the exit code is lost.
        unknown = r < 0 && errno == ECHILD;
        reaped = r == pid || unknown;
        // What it wrote before it ended is in the pipe already.
        if (reaped) drain(out[0], &result.output);
        return reaped;
    };
    result.ran = wait(ended);
    if (!result.ran) {
        kill(pid, SIGKILL);
        if (!reaped) waitpid(pid, &status, 0);
    } else if (unknown) {
        result.exitCode = result.output.empty() ? 1 : 0;
    } else if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    close(out[0]);
    return result;
}

} // namespace platform::dialogs
