#include "platform/wsys/Workspace.h"

#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>
#include <vector>

extern char** environ;

namespace platform::wsys::Workspace {

namespace {

// The process id, or -1 when the program could not start.
pid_t spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

bool runToSuccess(const std::vector<std::string>& args) {
    const pid_t pid = spawn(args);
    if (pid < 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool isTextEditor(const std::string& application) {
    return !strcasecmp(application.c_str(), "TextEdit.app");
}

// "NAME.app" without its suffix; any other name as it is.
std::string programOf(const std::string& application) {
    const size_t n = application.size();
    return n > 4 && !strcasecmp(application.c_str() + n - 4, ".app") ? application.substr(0, n - 4) : application;
}

// Starts the program and reaps it when it ends, however long it runs.
bool launch(const std::vector<std::string>& args) {
    const pid_t pid = spawn(args);
    if (pid < 0) return false;
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    }).detach();
    return true;
}

} // namespace

bool OpenURL(const std::string& url) {
    return runToSuccess({"xdg-open", url});
}

bool OpenFile(const std::string& path) {
    return runToSuccess({"xdg-open", path});
}

bool OpenFileWithApplication(const std::string& path, const std::string& application) {
    return isTextEditor(application) ? OpenFile(path) : launch({programOf(application), path});
}

bool LaunchApplication(const std::string& application) {
    return launch({programOf(application)});
}

} // namespace platform::wsys::Workspace
