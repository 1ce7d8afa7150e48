#include "platform/midi/MidiPortNames.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The start of the run of digits that ends just before `end`; `end` when there is none.
size_t digitsBefore(const std::string& s, size_t end) {
    size_t start = end;
    while (start > 0 && isDigit(s[start - 1]))
        --start;
    return start;
}

// The name with its ALSA client number taken out; "" when it carries none.
std::string withoutClientNumber(const std::string& name) {
    // a2jmidid: "<client> [<number>] (capture|playback): <port>".
    for (const char* direction : {"] (capture): ", "] (playback): "}) {
        const size_t close = name.find(direction);
        if (close == std::string::npos) continue;
        const size_t start = digitsBefore(name, close);
        if (start < close && start >= 2 && name.compare(start - 2, 2, " [") == 0)
            return name.substr(0, start) + name.substr(close);
    }
    // ALSA: "<client>:<port> <client number>:<port number>".
    const size_t portStart = digitsBefore(name, name.size());
    if (portStart == name.size() || portStart == 0 || name[portStart - 1] != ':') return "";
    const size_t clientStart = digitsBefore(name, portStart - 1);
    if (clientStart == portStart - 1 || clientStart == 0 || name[clientStart - 1] != ' ') return "";
    return name.substr(0, clientStart) + name.substr(portStart - 1);
}

} // namespace

int MatchPortName(const std::vector<std::string>& names, const std::string& name) {
    const auto exact = std::find(names.begin(), names.end(), name);
    if (exact != names.end()) return int(exact - names.begin());
    const std::string key = withoutClientNumber(name);
    if (key.empty()) return -1;
    int found = -1;
    for (size_t i = 0; i < names.size(); ++i) {
        if (withoutClientNumber(names[i]) != key) continue;
        if (found >= 0) return -1;
        found = int(i);
    }
    return found;
}

} // namespace platform
