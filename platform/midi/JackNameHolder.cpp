#include "platform/midi/JackNameHolder.h"

#include "platform/midi/JackServer.h"

#include <chrono>
#include <dirent.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kHolderLooks = 10;
constexpr auto kHolderLookPause = std::chrono::milliseconds(5);

} // namespace

// jackd2 keeps a semaphore for each client, named after its server and its name.
std::string JackNameHolder(const std::string& name) {
    if (WhichLibjack() != Libjack::kJackd2) return "";
    const std::string prefix = "jack_sem." + std::to_string(getuid()) + "_";
    const std::string suffix = "_" + name;
    const std::string ours = JackServerName();
    std::string holder;
    for (int look = 0; holder.empty() && look < kHolderLooks; ++look) {
        if (look > 0) std::this_thread::sleep_for(kHolderLookPause);
        DIR* shm = opendir("/dev/shm");
        while (shm && holder.empty()) {
            const dirent* entry = readdir(shm);
            if (!entry) break;
            const std::string file = entry->d_name;
            if (file.size() <= prefix.size() + suffix.size() || file.rfind(prefix, 0) != 0 ||
                file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            // A server that was killed leaves its semaphores behind.
            const std::string server =
                file.substr(prefix.size(), file.size() - prefix.size() - suffix.size());
            if (server != ours && SocketListens(Jackd2Socket(server))) holder = server;
        }
        if (shm) closedir(shm);
    }
    return holder;
}

std::string NumberedJackName(const std::string& name, int number) {
    return name + (number < 10 ? "-0" : "-") + std::to_string(number);
}

} // namespace platform
