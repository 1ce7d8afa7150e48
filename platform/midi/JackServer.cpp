#include "platform/midi/JackServer.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

// Looked up at run time in the libjack the module is linked to (which may be in no global
// scope). That libjack stays loaded for good once the module asked for it: each load maps JACK's
// shared registry anew and no unload gives it back, so a host that loads and unloads the module
// would grow with every load.
Libjack WhichLibjack() {
    static const Libjack found = [] {
        void* lib = dlopen("libjack.so.0", RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        if (!lib) return Libjack::kOther;
        using Version = const char* (*)();
        const auto version = reinterpret_cast<Version>(dlsym(lib, "jack_get_version_string"));
        const char* text = version ? version() : nullptr;
        const Libjack which = !version ? Libjack::kJack1
                              : text && strncmp(text, "1.9.", 4) == 0 && !strstr(text, "PipeWire")
                                  ? Libjack::kJackd2
                                  : Libjack::kOther;
        dlclose(lib);
        return which;
    }();
    return found;
}

std::string JackServerName() {
    const char* named = getenv("JACK_DEFAULT_SERVER");
    return named && *named ? named : "default";
}

std::string Jackd2Socket(const std::string& server) {
    return "/dev/shm/jack_" + server + "_" + std::to_string(getuid()) + "_0";
}

std::string JackServerSocket() {
    const bool promiscuous = getenv("JACK_PROMISCUOUS_SERVER") != nullptr;
    switch (WhichLibjack()) {
    case Libjack::kJackd2:
        return promiscuous ? "" : Jackd2Socket(JackServerName());
    case Libjack::kJack1:
        return "/dev/shm/jack" + (promiscuous ? "" : "-" + std::to_string(getuid())) + "/" +
               JackServerName() + "/jack_0";
    case Libjack::kOther:
        break;
    }
    return "";
}

namespace {

// Whether something answers a connection at the socket `path`.
bool answersAt(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return true;
    path.copy(address.sun_path, path.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return true;
    const bool answers = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return answers;
}

// Whether a socket bound to `path` listens, as the kernel lists the process's sockets. Unknown
// when the list cannot be read.
std::optional<bool> listensAt(const std::string& path) {
    std::ifstream unix("/proc/net/unix");
    if (!unix) return std::nullopt;
    // "Num RefCount Protocol Flags Type St Inode Path"; a listening socket's flags hold
    // __SO_ACCEPTCON.
    constexpr unsigned long kAcceptCon = 0x10000;
    for (std::string line; std::getline(unix, line);) {
        std::istringstream fields(line);
        std::string num, refs, protocol, flags, type, state, inode, bound;
        if (!(fields >> num >> refs >> protocol >> flags >> type >> state >> inode >> bound) ||
            bound != path)
            continue;
        if (strtoul(flags.c_str(), nullptr, 16) & kAcceptCon) return true;
    }
    return false;
}

} // namespace

bool SocketListens(const std::string& path) {
    const std::optional<bool> listens = listensAt(path);
    return listens ? *listens : answersAt(path);
}

bool JackServerAnswers() {
    const std::string path = JackServerSocket();
    return path.empty() || SocketListens(path);
}

uint64_t Jackd2Instance(const std::string& socket) {
    struct stat file;
    if (stat(socket.c_str(), &file) != 0 || !S_ISSOCK(file.st_mode) || !SocketListens(socket))
        return 0;
    return file.st_ino;
}

} // namespace platform
