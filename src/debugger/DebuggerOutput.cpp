#include "src/debugger/DebuggerOutput.h"

#include "kit/effect/IMidiMsg.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace {
// Lines come from the host's threads, the MIDI input thread and the sender's workers.
std::mutex g_logMutex;

std::string hexByte(int v) {
    char buf[4];
    snprintf(buf, sizeof buf, "%02x ", v & 0xff);
    return buf;
}
} // namespace

bool DebuggerOutput::openDebugFile(const std::string& path) {
    FILE* in = fopen(path.c_str(), "r");
    if (!in) return false;
    FILE* out = fopen(path.c_str(), "w");
    if (out) fclose(out);
    fclose(in);
    return true;
}

void DebuggerOutput::printDebugInfo(const std::string& path, const std::string& text) {
    std::lock_guard<std::mutex> lock(g_logMutex);
    FILE* f = fopen(path.c_str(), "a");
    if (!f) return;
    char stamp[81];
    const time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    if (strftime(stamp, sizeof stamp, "%Y-%m-%d.%X", &local) == 0) stamp[0] = 0;
    fprintf(f, "%s\t %s\n", stamp, text.c_str());
    fclose(f);
}

void DebuggerOutput::logSysExOutMessageByte(const std::string& path, const uint8_t* bytes,
                                            int size) {
    std::string hex;
    for (int i = 0; bytes && i < size; ++i) hex += hexByte(bytes[i]);
    printDebugInfo(path, "Plug-in MIDI Out (sysex | " + std::to_string(size < 0 ? 0 : size) +
                             " bytes | F0 " + hex + "F7)");
}

// The message's own trace adds nothing to the line (IMidiMsg::LogMsg).
bool DebuggerOutput::compareMIDIdata(const std::string& path, std::array<int, 3>& last,
                                     const IMidiMsg& message) {
    const std::array<int, 3> now = {message.status, message.data1, message.data2};
    if (now == last) return true;
    last = now;
    printDebugInfo(path, "Plug-in MIDI In  ");
    return false;
}
